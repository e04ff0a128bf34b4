#pragma once

#include <QString>
#include <QStringList>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QWidget;

namespace testsupport {

// The stacked pages reorder their children when one is raised, so a list or a field is found on
// the card of the button that works on it rather than by its position among the window's children.
QListWidget *listBeside(QWidget *window, const QString &buttonText);
QListWidget *chargerList(QWidget *window);
QListWidget *wifiList(QWidget *window);
QStringList itemTexts(const QListWidget *list);

// The SSID field and the password field on the card of the charger's Wi-Fi scan.
QLineEdit *ssidEdit(QWidget *window);
QLineEdit *passwordEdit(QWidget *window);
// Fills both fields at once, as a paste would; false when either is missing.
bool enterTarget(QWidget *window, const QString &ssid, const QString &password);

// The text of the "Metric" card at `index` (PC address, SSID, passkey, UUID), or a placeholder
// that no card shows when there is none.
QString metricText(QWidget *window, int index);
QString statusText(QWidget *window);

// The four option boxes in their fixed order: get info, clear cache, configure Wi-Fi, firmware.
QStringList optionTexts();
// Outside Advanced mode the option boxes have no parent, so they are found among all widgets.
QCheckBox *optionBox(const QString &text);
bool setOptions(bool getInfo, bool clearCache, bool configureWifi, bool firmware);

// Scans for charger networks and makes `ssid` the current item; false unless it is listed once.
bool pickCharger(QWidget *window, const QString &ssid);
// pickCharger, then "Connect to Selected".
bool joinCharger(QWidget *window, const QString &ssid);

// Points the charger's host name at a loopback port where nothing listens, so every charger
// request fails at once, as with no charger in reach.
void routeChargerToNowhere();

// The lines that start with any of the prefixes, in order.
QStringList startingWith(const QStringList &lines, const QStringList &prefixes);
// The list with each run of equal neighbours kept once: what the product asked for, whatever the
// network layer re-sent after a dropped connection.
QStringList withoutRepeats(const QStringList &items);
// The WPA key of a passphrase as hex, derived here rather than by the product.
QString referenceWpaKey(const QString &password, const QString &ssid);
// Fails the current test when `log` is empty or holds the password or the WPA key derived from
// it (in either letter case).
void verifyNoSecretIn(const QString &log, const QString &password, const QString &ssid);

} // namespace testsupport
