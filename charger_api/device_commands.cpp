#include "app/mainwindow.h"
#include "charger_api/apiclient.h"
#include "charger_api/reply_rules.h"
#include "common/redaction.h"

namespace {

constexpr int settingTimeoutMs = 6000;
constexpr int factoryResetTimeoutMs = 12000;
constexpr int rebootTimeoutMs = 10000;

} // namespace

bool MainWindow::getDeviceValue(const QString &key, QString &value)
{
    QString reply;
    const bool httpOk = api->sendCommand(QStringLiteral("get ") + key, reply, settingTimeoutMs);
    value = charger_api::settingValueFromReply(reply);
    appendLog(QStringLiteral("CMD get %1 -> ok=%2 response=%3")
                  .arg(key, charger_api::boolDigit(httpOk),
                       charger_api::isSecretKey(key) ? common::redactedMark() : value));
    return httpOk;
}

bool MainWindow::setDeviceValue(const QString &key, const QString &value)
{
    QString reply;
    const bool httpOk =
        api->sendCommand(charger_api::setCommand(key, value), reply, settingTimeoutMs);
    const bool cmdOk = charger_api::setValueAccepted(httpOk, reply);
    appendLog(QStringLiteral("CMD set %1 %2 -> httpOk=%3 cmdOk=%4 response=%5")
                  .arg(key, charger_api::isSecretKey(key) ? common::redactedMark() : value,
                       charger_api::boolDigit(httpOk), charger_api::boolDigit(cmdOk),
                       redactSecrets(reply.trimmed())));
    return cmdOk;
}

bool MainWindow::runCommand(const QString &command, QString &usedCommand)
{
    return runJudgedCommand(command, factoryResetTimeoutMs, charger_api::runCommandAccepted,
                            usedCommand);
}

bool MainWindow::runRebootCommand(const QString &command, QString &usedCommand)
{
    return runJudgedCommand(command, rebootTimeoutMs, charger_api::rebootCommandAccepted,
                            usedCommand);
}

bool MainWindow::runJudgedCommand(const QString &command, int timeoutMs,
                                  bool (*accepted)(bool, const QString &), QString &usedCommand)
{
    QString reply;
    const bool httpOk = api->sendCommand(command, reply, timeoutMs);
    const bool cmdOk = accepted(httpOk, reply);
    appendLog(QStringLiteral("CMD %1 -> httpOk=%2 cmdOk=%3 response=%4")
                  .arg(command, charger_api::boolDigit(httpOk), charger_api::boolDigit(cmdOk),
                       redactSecrets(reply.trimmed())));
    if (cmdOk)
        usedCommand = command;
    return cmdOk;
}
