#include "app/window_style.h"

namespace app {

QString windowStyleSheet()
{
    return QStringLiteral(
        "QWidget { background: #0b1220; color: #e5edf7; font-family: 'Segoe UI'; font-size: "
        "10.5pt; }\n"
        "QLabel#Subtle { color: #9db0c8; }\n"
        "QLabel#Metric { font-size: 18pt; font-weight: 700; color: #ffffff; }\n"
        "QLabel#Status { color: #7dd3fc; font-weight: 700; }\n"
        "QFrame#Card { background: #121a2a; border: 1px solid #26344a; border-radius: 14px; }\n"
        "QFrame#Notice { background: #3a2e0a; border: 1px solid #facc15; border-radius: 10px; }\n"
        "QFrame#Notice QLabel { background: transparent; color: #fef3c7; }\n"
        "QPushButton { background: #2563eb; color: white; border: none; border-radius: 9px; "
        "padding: 10px 12px; font-weight: 600; }\n"
        "QPushButton:hover { background: #1d4ed8; }\n"
        "QPushButton:focus { border: 2px solid #facc15; }\n"
        "QPushButton:disabled { background: #334155; color: #94a3b8; }\n"
        "QListWidget, QLineEdit { background: #0c1422; border: 1px solid #2b3b55; border-radius: "
        "9px; padding: 7px; color: #e8f1ff; }\n"
        "QListWidget:focus, QLineEdit:focus { border: 2px solid #facc15; }\n"
        "QListWidget::item:selected { background: #1e3a8a; color: #f3f8ff; }\n"
        "QCheckBox:focus { color: #facc15; }\n"
        "QCheckBox { padding: 4px; }\n");
}

QStringList connectInstructions()
{
    return {QStringLiteral("1) Power-cycle the charger and wait until lights are flashing BLUE."),
            QStringLiteral(
                "2) Click Find Charger Wi-Fi, select JuiceNet, then click Connect to Selected."),
            QStringLiteral("3) Once connected, charger should turn solid BLUE and beep; UUID "
                           "should appear above."),
            QStringLiteral(
                "4) Keep your PC on JuiceNet (Windows may try to switch due to no internet)."),
            QStringLiteral("5) If PC IP is not 10.10.10.2, click Set Static IP."),
            QStringLiteral("6) Click step 2: Wi-Fi Setup to continue.")};
}

QStringList cleanupInstructions()
{
    return {QStringLiteral("1) Click Preview cleanup files."),
            QStringLiteral("2) Review ECache_/EEvents_ entries."),
            QStringLiteral("3) Click Delete previewed files."),
            QStringLiteral("4) If no files are found, continue to Customer Wi-Fi setup.")};
}

QStringList customerWifiInstructions()
{
    return {QStringLiteral("1) Click Scan Available Wi-Fi (from charger) and wait for results."),
            QStringLiteral("2) Select your Wi-Fi network (or enter SSID manually if not listed)."),
            QStringLiteral("3) Enter password."),
            QStringLiteral("4) Click Set Wi-Fi + Reboot Charger."),
            QStringLiteral(
                "5) Charger reboots; lights should turn solid WHITE when internet is connected.")};
}

QStringList imageCandidates(const QString &applicationDir, const QString &fileName)
{
    return {applicationDir + QLatin1Char('/') + fileName,
            applicationDir + QStringLiteral("/../") + fileName,
            applicationDir + QStringLiteral("/../../") + fileName};
}

} // namespace app
