#include "app/mainwindow.h"
#include "common/redaction.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

app::ChargerResult MainWindow::recordResult(const QString &setupNetwork,
                                            const QString &customerNetwork,
                                            app::ChargerResult result)
{
    // Whatever a step made of an exchange that the close cut short, the run did not finish.
    if (stopRequested())
        result = {app::Outcome::StoppedByClose, QStringLiteral("remaining steps not run")};

    // The record is held to the log's rule: no password, derived key or charger passkey in it.
    QStringList secrets = secretsInUse;
    secrets << passwordEdit->text() << chargerPasskey;
    const auto masked = [&secrets](const QString &text) {
        return common::redactSecrets(text, secrets);
    };
    app::ResultRow row{QDateTime::currentDateTime(), masked(runningOperation),
                       masked(setupNetwork),         masked(chargerSerial),
                       masked(chargerMac),           masked(chargerUuid),
                       masked(customerNetwork),      {result.outcome, masked(result.reason)}};
    const QByteArray line = app::resultLine(row);
    pendingResultLines << line;

    QString error;
    if (!writePendingResults(error)) {
        appendLog(QStringLiteral("Result row not written yet: ") +
                  QString::fromUtf8(line).trimmed());
        setStatus(QStringLiteral("Could not write the result record (%1); the row is in the setup "
                                 "log and will be written with the next result.")
                      .arg(error));
    }
    return row.result;
}

bool MainWindow::writePendingResults(QString &error)
{
    QFile file(QDir(logFolder()).filePath(app::resultFileName()));
    const QFileInfo before(file);
    const bool isNew = !before.exists() || before.size() == 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        error = file.errorString();
        return false;
    }
    QByteArray bytes = isNew ? app::newResultFileHead() : QByteArray();
    for (const QByteArray &line : std::as_const(pendingResultLines))
        bytes += line;
    const qint64 sizeBefore = file.size();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        error = file.errorString();
        // A row is there whole or not at all: what a full disk let through is taken back.
        file.resize(sizeBefore);
        return false;
    }
    pendingResultLines.clear();
    return true;
}
