#include "app/mainwindow.h"
#include "app/result_record_file.h"
#include "common/redaction.h"
#include "netctl/netsh_parse.h"

#include <QDir>

QString MainWindow::identifyCharger()
{
    // A name seen now wins over the one last seen; none shows while the laptop is between
    // networks, and nothing runs once the window is closing.
    const QString seen = currentWifiSsid();
    if (!seen.isEmpty())
        laptopNetwork = seen;
    if (chargerIdentity.network != laptopNetwork && !stopRequested())
        logChargerIdentity();
    return laptopNetwork;
}

app::ChargerResult MainWindow::recordResult(const QString &network, const QString &customerNetwork,
                                            const app::ChargerResult &result,
                                            const app::ChargerResult &settled)
{
    const app::ChargerResult recorded = stopRequested() ? app::closedAfter(settled) : result;
    // Cells stay empty rather than hold another charger's identity.
    const app::ChargerIdentity charger =
        chargerIdentity.network == network ? chargerIdentity : app::ChargerIdentity{};

    const QStringList secrets = secretsToMask();
    const auto masked = [&secrets](const QString &text) {
        return common::redactSecrets(text, secrets);
    };
    const app::ResultRow row{QDateTime::currentDateTime(),
                             masked(runningOperation),
                             masked(netctl::isChargerSsid(network) ? network : QString()),
                             masked(charger.serial),
                             masked(charger.mac),
                             masked(charger.uuid),
                             masked(customerNetwork),
                             {recorded.outcome, masked(recorded.reason)}};
    const QByteArray line = app::resultLine(row);
    pendingResultLines << line;

    QString error;
    if (!writePendingResults(error)) {
        appendLog(QStringLiteral("Result row not written yet: ") +
                  QString::fromUtf8(line).trimmed());
        setStatus(QStringLiteral("Could not write the result record (%1); the row is in the setup "
                                 "log and will be written with the next result or when the "
                                 "window closes.")
                      .arg(error));
    }
    return recorded;
}

bool MainWindow::writePendingResults(QString &error)
{
    if (pendingResultLines.isEmpty())
        return true;
    QByteArray rows;
    for (const QByteArray &line : std::as_const(pendingResultLines))
        rows += line;
    if (!app::appendResultRows(QDir(logFolder()).filePath(app::resultFileName()), rows, error))
        return false;
    pendingResultLines.clear();
    return true;
}

void MainWindow::writePendingResultsAtClose()
{
    QString error;
    if (writePendingResults(error))
        return;
    const qsizetype rows = pendingResultLines.size();
    appendLog(QStringLiteral("Result record not written at close (%1): %2 row(s) are only in this "
                             "log.")
                  .arg(error)
                  .arg(rows));
    setStatus(QStringLiteral("Could not write the result record (%1); %2 row(s) are only in the "
                             "setup log.")
                  .arg(error)
                  .arg(rows));
}
