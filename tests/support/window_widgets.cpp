#include "window_widgets.h"

#include "window_harness.h"

#include <QApplication>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QNetworkProxy>
#include <QPasswordDigestor>
#include <QPushButton>
#include <QTcpServer>
#include <QtTest>

namespace testsupport {

namespace {

const QString findChargersButton = QStringLiteral("Find Charger Wi-Fi");
const QString scanWifiButton = QStringLiteral("Scan Available Wi-Fi (from charger)");

QLineEdit *lineEditBesideScan(QWidget *window, int index)
{
    QPushButton *button = findButton(window, scanWifiButton);
    if (!button)
        return nullptr;
    return button->parentWidget()
        ->findChildren<QLineEdit *>(QString(), Qt::FindDirectChildrenOnly)
        .value(index);
}

} // namespace

QListWidget *listBeside(QWidget *window, const QString &buttonText)
{
    QPushButton *button = findButton(window, buttonText);
    return button ? button->parentWidget()->findChild<QListWidget *>() : nullptr;
}

QListWidget *chargerList(QWidget *window)
{
    return listBeside(window, findChargersButton);
}

QListWidget *wifiList(QWidget *window)
{
    return listBeside(window, scanWifiButton);
}

QStringList itemTexts(const QListWidget *list)
{
    QStringList texts;
    for (int row = 0; list && row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}

QLineEdit *ssidEdit(QWidget *window)
{
    return lineEditBesideScan(window, 0);
}

QLineEdit *passwordEdit(QWidget *window)
{
    return lineEditBesideScan(window, 1);
}

bool enterTarget(QWidget *window, const QString &ssid, const QString &password)
{
    QLineEdit *ssidField = ssidEdit(window);
    QLineEdit *passwordField = passwordEdit(window);
    if (!ssidField || !passwordField)
        return false;
    ssidField->setText(ssid);
    passwordField->setText(password);
    return true;
}

QString metricText(QWidget *window, int index)
{
    const QList<QLabel *> cards = window->findChildren<QLabel *>(QStringLiteral("Metric"));
    return index < cards.size() ? cards.at(index)->text()
                                : QStringLiteral("<no card %1>").arg(index);
}

QString statusText(QWidget *window)
{
    auto *status = window->findChild<QLabel *>(QStringLiteral("Status"));
    return status ? status->text() : QStringLiteral("<no status label>");
}

QStringList optionTexts()
{
    return {QStringLiteral("Get info (SSID/Passkey/UUID)"),
            QStringLiteral("Clear ECache & EEvents"), QStringLiteral("Configure Wi-Fi credentials"),
            QStringLiteral("Firmware update")};
}

QCheckBox *optionBox(const QString &text)
{
    for (QWidget *widget : QApplication::allWidgets()) {
        auto *box = qobject_cast<QCheckBox *>(widget);
        if (box && box->text() == text)
            return box;
    }
    return nullptr;
}

bool setOptions(bool getInfo, bool clearCache, bool configureWifi, bool firmware)
{
    const QList<bool> wanted = {getInfo, clearCache, configureWifi, firmware};
    const QStringList texts = optionTexts();
    for (int index = 0; index < texts.size(); ++index) {
        QCheckBox *box = optionBox(texts.at(index));
        if (!box)
            return false;
        box->setChecked(wanted.at(index));
    }
    return true;
}

bool pickCharger(QWidget *window, const QString &ssid)
{
    QPushButton *find = findButton(window, findChargersButton);
    QListWidget *list = chargerList(window);
    if (!find || !list)
        return false;
    find->click();
    const QList<QListWidgetItem *> items = list->findItems(ssid, Qt::MatchExactly);
    if (items.size() != 1)
        return false;
    list->setCurrentItem(items.first());
    return true;
}

bool joinCharger(QWidget *window, const QString &ssid)
{
    return pickCharger(window, ssid) && invokeSlot(window, "onConnectSelected");
}

void routeChargerToNowhere()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    QNetworkProxy::setApplicationProxy(
        QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), port));
}

QStringList startingWith(const QStringList &lines, const QStringList &prefixes)
{
    QStringList picked;
    for (const QString &line : lines) {
        for (const QString &prefix : prefixes) {
            if (line.startsWith(prefix)) {
                picked << line;
                break;
            }
        }
    }
    return picked;
}

QStringList withoutRepeats(const QStringList &items)
{
    QStringList kept;
    for (const QString &item : items) {
        if (kept.isEmpty() || kept.last() != item)
            kept << item;
    }
    return kept;
}

QString referenceWpaKey(const QString &password, const QString &ssid)
{
    return QString::fromLatin1(QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha1,
                                                                  password.toUtf8(), ssid.toUtf8(),
                                                                  4096, 32)
                                   .toHex());
}

void verifyNoSecretIn(const QString &log, const QString &password, const QString &ssid)
{
    QVERIFY(!log.isEmpty());
    QVERIFY2(!log.contains(password), "password in the log");
    QVERIFY2(!log.contains(referenceWpaKey(password, ssid), Qt::CaseInsensitive),
             "derived key in the log");
}

} // namespace testsupport
