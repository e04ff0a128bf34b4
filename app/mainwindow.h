#pragma once

#include "app/result_record_format.h"

#include <QFile>
#include <QIcon>
#include <QMainWindow>
#include <QString>
#include <QStringList>

class ApiClient;
class QProgressBar;
class QTimer;
class QCheckBox;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTableWidget;

namespace common {
class Interruption;
}

namespace netctl {
enum class FreshScan;
struct NetshRun;
} // namespace netctl

namespace provisioning {
struct WlanScanRow;
enum class VerifyOutcome;
enum class VerifyStage;
} // namespace provisioning

// The wizard's one window. It owns all run-time state; the member functions are defined in the
// folder of the subsystem that owns them (app/, charger_api/, netctl/, maintenance/,
// provisioning/, workflow/).
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    // The order of these slots is their meta-object index (0 to 14).
    void onApiResult(const QString &command, bool ok, const QString &response);
    void goStep1();
    void goStep2();
    void goStep3();
    void goStep4();
    void onScanJuiceNet();
    void onConnectSelected();
    void onSetStaticIp();
    void onRefreshAll();
    void onPreviewCleanup();
    void onDeleteCleanup();
    void onScanTargetWifi();
    void onStartGuidedSetup();
    void onRunWifiOnlyWorkflow();
    void onTriggerUpdate();

private:
    // One operation at a time. An Operation marks the window busy for as long as it lives, or is
    // refused (with a log line) while another runs or the window is closing.
    class Operation
    {
    public:
        Operation(MainWindow *owner, const QString &name);
        ~Operation();
        Operation(const Operation &) = delete;
        Operation &operator=(const Operation &) = delete;
        bool refused() const { return window == nullptr; }

    private:
        MainWindow *window = nullptr;
    };

    // app/
    void buildUi();
    // One to three filled signal bars in the window's colours, with a "!" when not checkable.
    QIcon signalBarsIcon(int filledBars, bool checkable) const;
    void readStartupState();
    void finishOperation();
    void setOperationControlsEnabled(bool enabled);
    void showBusy();
    // The window was closed during the operation: it stops at its next step.
    bool stopRequested() const;
    QString logFolder() const;
    void openSetupLog();
    void appendLog(const QString &text);
    void setStatus(const QString &text);
    QString redactSecrets(QString text) const;
    // Masked by value in every later log line and record cell: the passwords a run uses, the keys
    // it derives and the chargers' passkeys.
    void rememberSecret(const QString &secret);
    QStringList secretsToMask() const;
    // The network the laptop is on now (it may have been moved from the Windows tray), with the
    // identity of the charger there read again if it was read elsewhere; called before a step
    // can make the charger reboot.
    QString identifyCharger();
    // Adds the row of the charger on `network` to the result record, as the running
    // operation, with that charger's identity (empty when it was read on another network). When
    // the window was closed during the run, the row holds what was `settled` before the close
    // instead of `result`. Returns the result as recorded.
    app::ChargerResult recordResult(const QString &network, const QString &customerNetwork,
                                    const app::ChargerResult &result,
                                    const app::ChargerResult &settled = app::notFinished());
    // Appends the rows not yet written, in order; false (with the reason) when the file refused.
    bool writePendingResults(QString &error);
    // The last try, after the close's network restore: what still fails is said in the log.
    void writePendingResultsAtClose();

    // charger_api/
    bool runCommand(const QString &command, QString &usedCommand);
    bool runRebootCommand(const QString &command, QString &usedCommand);
    bool runJudgedCommand(const QString &command, int timeoutMs,
                          bool (*accepted)(bool, const QString &), QString &usedCommand);
    bool getDeviceValue(const QString &key, QString &value);
    bool setDeviceValue(const QString &key, const QString &value);

    // netctl/
    void findChargerNetworks();
    netctl::FreshScan askForFreshScan();
    void applyStaticAddress();
    void wifiInterfaceName();
    QString currentWifiSsid();
    bool connectToWifi(const QString &ssid);
    void restoreLaptopNetwork();
    // Address and DNS of the known Wi-Fi interface back to DHCP.
    void returnLaptopToDhcp();
    void requestOriginalNetworkRejoin();
    // Waits, watching the chosen interface, until it reports the SSID; false when it does not
    // within the bound, the gate holds or the window closes.
    bool waitForAssociation(const QString &ssid);
    // True when the run met the location gate: then the notice shows and the status line and
    // the log say so (netsh's notice once per operation). Any reader of WLAN information calls it.
    bool meetLocationGate(const QString &operation, const netctl::NetshRun &run);
    // The same for a gate found another way; `notice` is what Windows said.
    void showLocationGate(const QString &operation, const QString &notice);
    // "Try Again": reads the interfaces once; with the gate lifted, start-up's reads run again.
    void retryAfterLocationGate();

    // maintenance/
    void refreshDeviceInfo();
    void logChargerIdentity();
    bool cleanupDeviceFiles();
    void showCleanupPreview(const QString &listing);
    bool triggerFirmwareUpdate(app::ChargerResult &result);
    void factoryResetCharger();
    bool askYesNo(const QString &title, const QString &question);

    // provisioning/
    bool scanTargetWifiFromCharger(QStringList &ssids, QString &rawScan);
    // Each step says in `failure` (or `result`) what it found out about the charger.
    bool verifyNetworkBeforeConfig(const QString &ssid, const QString &password,
                                   app::ChargerResult &failure);
    bool configureDeviceWifi(const QString &ssid, const QString &password,
                             app::ChargerResult &failure);
    bool verifyWifiAuthBeforeReboot(const QString &ssid, const QString &password,
                                    app::ChargerResult &failure);
    bool rebootAfterWifiSave(app::ChargerResult &result);
    // The one verification exchange both checks share: the scan and the target's row, the
    // command for its security code, and one judged send.
    bool scanVerifyTarget(const QString &ssid, provisioning::VerifyStage stage,
                          provisioning::WlanScanRow &row, app::ChargerResult &failure);
    QString verifyCommandFor(const QString &ssid, const QString &password,
                             const provisioning::WlanScanRow &row, int code);
    provisioning::VerifyOutcome exchangeVerifyCommand(const QString &command,
                                                      provisioning::VerifyStage stage, int attempt);
    QString chosenCustomerSsid() const;

    // workflow/
    void showGuidedResults(const QList<QStringList> &rows);

    ApiClient *api = nullptr;
    QStackedWidget *pages = nullptr;
    QLabel *statusLabel = nullptr;
    QLabel *pcIpValue = nullptr;
    QLabel *deviceSsidValue = nullptr;
    QLabel *devicePasskeyValue = nullptr;
    QLabel *deviceUuidValue = nullptr;
    QListWidget *chargerList = nullptr;
    QString selectedChargerSsid;
    QPushButton *stepConnectButton = nullptr;
    QPushButton *stepCleanupButton = nullptr;
    QPushButton *stepWifiButton = nullptr;
    QPushButton *stepFactoryResetButton = nullptr;
    QListWidget *cleanupList = nullptr;
    QStringList cleanupCandidates;
    QListWidget *wifiList = nullptr;
    QLineEdit *ssidEdit = nullptr;
    QLineEdit *passwordEdit = nullptr;
    QCheckBox *optGetInfo = nullptr;
    QCheckBox *optClearCache = nullptr;
    QCheckBox *optConfigureWifi = nullptr;
    QCheckBox *optFirmwareUpdate = nullptr;
    QString wifiInterface;
    // The GUID netsh prints for that interface; empty when it printed none.
    QString wifiInterfaceGuid;
    QString originalSsid;
    bool completeSetupMode = false;
    bool identityLogged = false;
    QFile logFile;
    QString logFilePath;
    QStringList secretsInUse;
    common::Interruption *interruption = nullptr;
    QString runningOperation;
    bool laptopRestoredOnClose = false;
    QList<QWidget *> operationControls;
    QProgressBar *busyBar = nullptr;
    QTimer *busyDelay = nullptr;
    bool busyCursorShown = false;
    // The laptop's Wi-Fi network as last seen or joined, and the identity of the charger read
    // on it (read again once the laptop is on another network).
    QString laptopNetwork;
    app::ChargerIdentity chargerIdentity;
    QList<QByteArray> pendingResultLines;
    QWidget *resultPanel = nullptr;
    // The inline notice above the pages while the location gate holds; built when first needed.
    QWidget *locationNotice = nullptr;
    // The running operation met the location gate (its notice is logged once per operation).
    bool locationGateMet = false;
    QTableWidget *resultTable = nullptr;
};
