#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The result record: one CSV row for every charger a run reached, in the words that the guided
// run's result table shows as well.
namespace app {

enum class Outcome {
    ConfiguredAndRebooted,
    RebootNotConfirmed,
    ConfiguredAndSaved,
    JoinedNotConfigured,
    PasswordRefused,
    NotVerified,
    AuthFailedBeforeReboot,
    RebootBlocked,
    WriteFailed,
    NotJoined,
    FirmwareUpdateRequested,
    FirmwareUpdateNotAnswered,
    FactoryResetSent,
    FactoryResetRefused,
    StoppedByClose,
};

// The outcome as the record and the result table write it.
QString outcomeText(Outcome outcome);

// What a step found out about the charger: an outcome and a short reason.
struct ChargerResult
{
    Outcome outcome = Outcome::NotVerified;
    QString reason;
};

// One row of the record. Texts are taken as they are: mask secrets first.
struct ResultRow
{
    QDateTime at;
    QString operation;
    QString setupNetwork;
    QString serial;
    QString mac;
    QString uuid;
    QString customerNetwork;
    ChargerResult result;
};

// "results.csv", beside the setup logs.
QString resultFileName();

// What a new record file starts with: the UTF-8 byte-order mark and the header row.
QByteArray newResultFileHead();

// The row as one CSV line in UTF-8, ended by CR LF.
QByteArray resultLine(const ResultRow &row);

// A cell as RFC 4180 writes it: in double quotes, with inner quotes doubled, when it holds a
// comma, a quote or a line end. A cell that a spreadsheet would run as a formula (it starts with
// = + - @, a tab or a CR) gets a leading single quote first, so it stays text.
QString csvCell(const QString &text);

// Local time with its UTC offset in ISO 8601: 2026-12-07T16:42:59+01:00.
QString recordTime(const QDateTime &at);

} // namespace app
