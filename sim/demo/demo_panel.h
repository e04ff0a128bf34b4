#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

class ChargerSimulator;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
struct SimRequest;

namespace demo {

// The demo's own window beside the product's: buttons for what the product reaches only through
// its meta-object slots or its unreachable Welcome page, mirrors of the four hidden guided-run
// options, and what the stand-in laptop and the simulated chargers have been asked.
class DemoPanel : public QWidget
{
    Q_OBJECT

public:
    DemoPanel(QWidget *productWindow, ChargerSimulator *simulator, const QString &demoFolder,
              QWidget *parent = nullptr);

private:
    void invokeProductSlot(const char *slot, const QString &what);
    void openAdvancedMode();
    void mirrorOptions();
    // The stand-in laptop holds the location gate, or lets it go.
    void setLocationAccessOff(bool off);
    void showChargerRequest(const SimRequest &request);
    void refreshLaptop();

    QPointer<QWidget> productWindow;
    QString demoFolder;
    QLabel *laptopLabel = nullptr;
    QLabel *panelStatus = nullptr;
    QPlainTextEdit *netshView = nullptr;
    QPlainTextEdit *chargerView = nullptr;
    QList<QPair<QCheckBox *, QPointer<QCheckBox>>> optionMirrors;
    qint64 netshJournalOffset = 0;
    QTimer laptopPoll;
};

// The command as the panel shows it: the value of "set wlan.passkey" and the key of
// "network_verify" are masked.
QString maskedCommand(const QString &command);

} // namespace demo
