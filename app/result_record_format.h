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

// Nothing lasting done yet: what a close during the first steps leaves.
ChargerResult notFinished();

// The customer's Wi-Fi written and saved on the charger, with no reboot sent yet.
ChargerResult wifiSaved();

// What a row says when the window was closed during a run: the last thing settled before the
// close, with the close in its reason, or "stopped by closing the window" when nothing was.
ChargerResult closedAfter(const ChargerResult &settled);

// The charger a row is about, as read on the laptop network `network`; `read` stays false until
// something of it could be read there.
struct ChargerIdentity
{
    QString network;
    bool read = false;
    QString serial;
    QString mac;
    QString uuid;
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

// A cell as RFC 4180 writes it, always in double quotes (inner quotes doubled), so no list
// separator of any locale splits it. A cell that a spreadsheet would run as a formula (it starts
// with = + - @, a tab or a CR) gets a leading single quote first, so it stays text.
QString csvCell(const QString &text);

// Local time with its UTC offset in ISO 8601: 2026-12-07T16:42:59+01:00.
QString recordTime(const QDateTime &at);

} // namespace app
