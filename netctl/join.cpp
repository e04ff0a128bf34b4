#include "app/mainwindow.h"
#include "common/local_wait.h"
#include "netctl/netsh_commands.h"
#include "netctl/netsh_parse.h"
#include "netctl/netsh_runner.h"
#include "netctl/wlan_profile.h"

#include <QDeadlineTimer>
#include <QListWidget>
#include <QTemporaryFile>

#include <optional>

namespace {

constexpr int addProfileTimeoutMs = 5000;
constexpr int connectTimeoutMs = 7000;
constexpr int associationBoundMs = 15000;
constexpr int pollIntervalMs = 500;
constexpr int pollTimeoutMs = 4000;

std::optional<netctl::InterfaceReport> reportFor(const QString &showInterfaces,
                                                 const QString &interfaceName)
{
    for (const netctl::InterfaceReport &report : netctl::parseInterfaces(showInterfaces)) {
        if (report.name.compare(interfaceName, Qt::CaseInsensitive) == 0)
            return report;
    }
    return std::nullopt;
}

QString notJoinedText(const QString &interfaceName, const QString &ssid,
                      const std::optional<netctl::InterfaceReport> &last)
{
    const QString head = QStringLiteral("%1 did not join %2 within %3 s; ")
                             .arg(interfaceName, ssid, QString::number(associationBoundMs / 1000));
    if (!last)
        return head + QStringLiteral("netsh reported nothing for it.");
    const QString state = last->state.isEmpty() ? QStringLiteral("no state")
                                                : QStringLiteral("state \"%1\"").arg(last->state);
    const QString reported = last->ssid.isEmpty() ? QStringLiteral("no SSID")
                                                  : QStringLiteral("SSID \"%1\"").arg(last->ssid);
    return head + QStringLiteral("it last reported %1 and %2.").arg(state, reported);
}

} // namespace

bool MainWindow::connectToWifi(const QString &ssid)
{
    // The laptop leaves its network: what was read from a charger there names another one.
    laptopNetwork.clear();
    if (ssid.isEmpty() || wifiInterface.isEmpty())
        return false;
    const QString refusal = netctl::profileSsidRefusal(ssid);
    if (!refusal.isEmpty()) {
        appendLog(QStringLiteral("connectToWifi: ") + refusal);
        return false;
    }

    netctl::executeNetsh(netctl::disconnectAllArgs(), interruption);
    netctl::executeNetsh(netctl::deleteProfileArgs(ssid), interruption);

    QTemporaryFile profileFile(netctl::profileFileTemplate());
    if (!profileFile.open())
        return false;
    profileFile.write(netctl::openNetworkProfileXml(ssid).toUtf8());
    profileFile.flush();

    netctl::runNetsh(netctl::addProfileArgs(profileFile.fileName(), wifiInterface),
                     addProfileTimeoutMs, interruption);
    const netctl::NetshRun run =
        netctl::runNetsh(netctl::connectArgs(ssid, wifiInterface), connectTimeoutMs, interruption);
    if (meetLocationGate(runningOperation, run))
        return false;
    // The reply is in the display language and only says that Windows took the request; the
    // interface itself tells when the laptop has joined.
    appendLog(QStringLiteral("wlan connect: ") + netctl::netshTextForLog(run.out + run.err));
    if (!waitForAssociation(ssid))
        return false;
    laptopNetwork = ssid;
    return true;
}

bool MainWindow::waitForAssociation(const QString &ssid)
{
    const QDeadlineTimer deadline(associationBoundMs);
    std::optional<netctl::InterfaceReport> last;
    for (;;) {
        common::waitLocally(pollIntervalMs, interruption);
        if (stopRequested())
            return false;
        if (deadline.hasExpired())
            break;
        const int bound = int(qMin<qint64>(pollTimeoutMs, deadline.remainingTime()));
        const netctl::NetshRun poll =
            netctl::runNetsh(netctl::showInterfacesArgs(), bound, interruption);
        if (meetLocationGate(runningOperation, poll))
            return false;
        last = reportFor(poll.out, wifiInterface);
        if (last && last->ssid == ssid)
            return true;
    }
    appendLog(notJoinedText(wifiInterface, ssid, last));
    return false;
}

void MainWindow::onConnectSelected()
{
    const Operation operation(this, QStringLiteral("Connect to Selected"));
    if (operation.refused())
        return;
    const QListWidgetItem *item = chargerList->currentItem();
    if (!item) {
        setStatus(QStringLiteral("Select a charger network first."));
        return;
    }
    selectedChargerSsid = item->text();

    if (originalSsid.isEmpty()) {
        const QString current = currentWifiSsid();
        // Under the location gate no join could be seen to succeed; the laptop stays where it is.
        if (locationGateMet)
            return;
        if (!current.isEmpty() && !netctl::isChargerSsid(current)) {
            originalSsid = current;
            appendLog(QStringLiteral("Captured original laptop Wi-Fi: ") + originalSsid);
        }
    }

    setStatus(QStringLiteral("Connecting to ") + selectedChargerSsid + QStringLiteral("..."));
    if (connectToWifi(selectedChargerSsid))
        setStatus(QStringLiteral("Connected to ") + selectedChargerSsid);
    else if (!locationGateMet)
        setStatus(QStringLiteral("Connection failed."));
    refreshDeviceInfo();
}
