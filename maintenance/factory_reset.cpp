#include "app/mainwindow.h"
#include "maintenance/maintenance_rules.h"

void MainWindow::factoryResetCharger()
{
    const Operation operation(this, QStringLiteral("Factory Reset Charger"));
    if (operation.refused())
        return;
    if (completeSetupMode) {
        setStatus(QStringLiteral("Factory reset is available only in Advanced mode."));
        return;
    }
    if (!askYesNo(
            QStringLiteral("Confirm factory reset"),
            QStringLiteral("Factory reset will erase charger settings and reboot. Continue?")))
        return;

    const QString charger = identifyCharger();
    QString mac;
    getDeviceValue(QStringLiteral("wlan.mac"), mac);
    if (maintenance::isUsableIdentityValue(mac))
        chargerIdentity.mac = mac.trimmed();

    QString usedCommand;
    for (const QString &command : maintenance::factoryResetCommands(mac.trimmed())) {
        if (runCommand(command, usedCommand)) {
            setStatus(QStringLiteral("Factory reset command sent (") + usedCommand +
                      QStringLiteral("). Charger will reboot."));
            recordResult(charger, QString(),
                         {app::Outcome::FactoryResetSent,
                          QStringLiteral("command accepted: ") + usedCommand});
            return;
        }
    }
    setStatus(QStringLiteral("Factory reset failed (device says command args invalid). See log for "
                             "exact response."));
    recordResult(charger, QString(),
                 {app::Outcome::FactoryResetRefused, QStringLiteral("no command form accepted")});
}
