#include "app/mainwindow.h"
#include "charger_api/apiclient.h"
#include "charger_api/reply_rules.h"

namespace {

constexpr int firmwareTimeoutMs = 8000;

} // namespace

bool MainWindow::triggerFirmwareUpdate(app::ChargerResult &result)
{
    const QString command = QStringLiteral("dfuu -i wlan --multi");
    QString reply;
    const bool ok = api->sendCommand(command, reply, firmwareTimeoutMs);
    appendLog(QStringLiteral("CMD dfuu -i wlan --multi -> ok=%1 response=%2")
                  .arg(charger_api::boolDigit(ok), redactSecrets(reply.trimmed())));
    result = ok ? app::ChargerResult{app::Outcome::FirmwareUpdateRequested,
                                     QStringLiteral("the charger answered")}
                : app::ChargerResult{app::Outcome::FirmwareUpdateNotAnswered,
                                     QStringLiteral("no answer from the charger")};
    return ok;
}

void MainWindow::onTriggerUpdate()
{
    const Operation operation(this, QStringLiteral("Firmware update"));
    if (operation.refused())
        return;
    const QString charger = identifyCharger();
    app::ChargerResult result;
    if (triggerFirmwareUpdate(result))
        setStatus(QStringLiteral("Firmware update command sent."));
    else
        setStatus(QStringLiteral("Firmware update command failed (no answer from charger)."));
    recordResult(charger, QString(), result);
}
