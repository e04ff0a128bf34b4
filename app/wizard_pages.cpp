#include "app/mainwindow.h"
#include "app/window_style.h"
#include "provisioning/network_marks.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QFrame *makeCard(QWidget *parent = nullptr)
{
    auto *card = new QFrame(parent);
    card->setObjectName(QStringLiteral("Card"));
    return card;
}

QFrame *makeInstructionsCard(const QString &title, const QStringList &lines)
{
    QFrame *card = makeCard();
    card->setMinimumWidth(420);
    auto *layout = new QVBoxLayout(card);
    layout->addWidget(new QLabel(title));
    for (const QString &line : lines) {
        auto *label = new QLabel(line);
        label->setWordWrap(true);
        label->setObjectName(QStringLiteral("Subtle"));
        layout->addWidget(label);
    }
    layout->addStretch();
    return card;
}

QFrame *makeTwoColumnPage(QFrame *left, QFrame *instructions)
{
    QFrame *page = makeCard();
    auto *layout = new QHBoxLayout(page);
    layout->addWidget(left, 1);
    layout->addWidget(instructions, 0);
    return page;
}

QCheckBox *makeOption(const QString &text, bool checked)
{
    auto *option = new QCheckBox(text);
    option->setChecked(checked);
    option->hide();
    return option;
}

void loadLogo(QLabel *logo)
{
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString &path : app::imageCandidates(dir, QStringLiteral("zephyl.png"))) {
        if (!QFileInfo::exists(path))
            continue;
        const QPixmap pixmap(path);
        if (pixmap.isNull())
            continue;
        logo->setPixmap(pixmap.scaled(220, 74, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        return;
    }
}

void loadWindowIcon(QWidget *window)
{
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString &path : app::imageCandidates(dir, QStringLiteral("zephyl.ico"))) {
        if (QFileInfo::exists(path)) {
            window->setWindowIcon(QIcon(path));
            return;
        }
    }
}

// 1360 x 900 where the screen has room for it; otherwise the whole available area.
void fitToScreen(QWidget *window)
{
    const QSize wanted(1360, 900);
    const QScreen *screen = window->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect(QPoint(), wanted);
    if (available.width() >= wanted.width() && available.height() >= wanted.height()) {
        window->resize(wanted);
        return;
    }
    window->setGeometry(available);
    window->setWindowState(Qt::WindowMaximized);
}

// A focused button is pressed by Enter as well as by Space, as in a dialog.
class EnterPressesButtons : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *button = qobject_cast<QPushButton *>(watched);
        if (!button || event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        if (button->isEnabled())
            button->click();
        return true;
    }
};

} // namespace

void MainWindow::buildUi()
{
    setWindowTitle(QStringLiteral("Zephyl WiFi Setup"));
    loadWindowIcon(this);
    fitToScreen(this);

    auto *central = new QWidget(this);
    auto *root = new QVBoxLayout(central);
    root->setContentsMargins(16, 16, 12, 12);
    root->setSpacing(10);
    setCentralWidget(central);

    // Header row.
    auto *header = new QHBoxLayout();
    auto *logo = new QLabel();
    loadLogo(logo);
    header->addWidget(logo);
    header->addStretch();
    auto *connectButton = new QPushButton(QStringLiteral("Connect"));
    auto *refreshButton = new QPushButton(QStringLiteral("Refresh"));
    header->addWidget(connectButton);
    header->addWidget(refreshButton);
    root->addLayout(header, 0);

    // Metric cards.
    auto *metrics = new QHBoxLayout();
    auto makeMetricCard = [metrics](const QString &title, QLabel *&value) {
        QFrame *card = makeCard();
        auto *layout = new QVBoxLayout(card);
        auto *titleLabel = new QLabel(title);
        titleLabel->setObjectName(QStringLiteral("Subtle"));
        value = new QLabel(QStringLiteral("\u2014"));
        value->setObjectName(QStringLiteral("Metric"));
        layout->addWidget(titleLabel);
        layout->addWidget(value);
        metrics->addWidget(card);
    };
    makeMetricCard(QStringLiteral("PC IP"), pcIpValue);
    makeMetricCard(QStringLiteral("Device SSID"), deviceSsidValue);
    makeMetricCard(QStringLiteral("Device Passkey"), devicePasskeyValue);
    makeMetricCard(QStringLiteral("Device UUID"), deviceUuidValue);
    root->addLayout(metrics, 0);

    // Workflow card and pages.
    auto *content = new QHBoxLayout();
    content->setSpacing(10);
    QFrame *workflow = makeCard();
    workflow->setMinimumWidth(220);
    auto *workflowLayout = new QVBoxLayout(workflow);
    workflowLayout->addWidget(new QLabel(QStringLiteral("Workflow")));
    stepConnectButton = new QPushButton(QStringLiteral("1  Connect Charger"));
    stepCleanupButton = new QPushButton(QStringLiteral("2  Clear ECache"));
    stepWifiButton = new QPushButton(QStringLiteral("2  Wi-Fi Setup"));
    workflowLayout->addWidget(stepConnectButton);
    workflowLayout->addWidget(stepCleanupButton);
    workflowLayout->addWidget(stepWifiButton);
    workflowLayout->addStretch();
    stepCleanupButton->hide();
    stepFactoryResetButton = new QPushButton(QStringLiteral("4  Factory Reset"));
    stepFactoryResetButton->hide();
    content->addWidget(workflow);

    pages = new QStackedWidget();
    // A small screen scrolls the page rather than pushing its buttons off the edge.
    auto *pageScroll = new QScrollArea();
    pageScroll->setWidget(pages);
    pageScroll->setWidgetResizable(true);
    pageScroll->setFrameShape(QFrame::NoFrame);
    content->addWidget(pageScroll, 1);
    root->addLayout(content, 1);

    // Page 0: Welcome.
    QFrame *welcome = makeCard();
    auto *welcomeLayout = new QVBoxLayout(welcome);
    welcomeLayout->addWidget(new QLabel(QStringLiteral("Welcome")));
    welcomeLayout->addWidget(new QLabel(QStringLiteral("Choose setup mode:")));
    auto *completeSetupButton = new QPushButton(QStringLiteral("Open Connect Step"));
    auto *advancedButton = new QPushButton(QStringLiteral("Open Wi-Fi Step"));
    welcomeLayout->addWidget(completeSetupButton);
    welcomeLayout->addWidget(advancedButton);
    welcomeLayout->addStretch();
    pages->addWidget(welcome);

    // Page 1: Connect.
    QFrame *connectCard = makeCard();
    auto *connectLayout = new QVBoxLayout(connectCard);
    connectLayout->addWidget(new QLabel(QStringLiteral("Nearby Charger Wi-Fi")));
    chargerList = new QListWidget();
    connectLayout->addWidget(chargerList, 1);
    auto *findButton = new QPushButton(QStringLiteral("Find Charger Wi-Fi"));
    auto *connectSelectedButton = new QPushButton(QStringLiteral("Connect to Selected"));
    auto *staticIpButton = new QPushButton(QStringLiteral("Set Static IP"));
    connectLayout->addWidget(findButton);
    connectLayout->addWidget(connectSelectedButton);
    connectLayout->addWidget(staticIpButton);
    pages->addWidget(
        makeTwoColumnPage(connectCard, makeInstructionsCard(QStringLiteral("Connect Instructions"),
                                                            app::connectInstructions())));

    // Page 2: Cleanup.
    QFrame *cleanupCard = makeCard();
    auto *cleanupLayout = new QVBoxLayout(cleanupCard);
    cleanupLayout->addWidget(new QLabel(QStringLiteral("Cleanup Files")));
    cleanupList = new QListWidget();
    cleanupLayout->addWidget(cleanupList, 1);
    auto *previewButton = new QPushButton(QStringLiteral("Preview cleanup files"));
    auto *deleteButton = new QPushButton(QStringLiteral("Delete previewed files"));
    cleanupLayout->addWidget(previewButton);
    cleanupLayout->addWidget(deleteButton);
    pages->addWidget(
        makeTwoColumnPage(cleanupCard, makeInstructionsCard(QStringLiteral("Cleanup Instructions"),
                                                            app::cleanupInstructions())));

    // Page 3: Customer Wi-Fi.
    QFrame *wifiCard = makeCard();
    auto *wifiLayout = new QVBoxLayout(wifiCard);
    wifiLayout->addWidget(new QLabel(QStringLiteral("Customer Wi-Fi")));
    wifiList = new QListWidget();
    wifiLayout->addWidget(wifiList, 1);
    auto *scanButton = new QPushButton(QStringLiteral("Scan Available Wi-Fi (from charger)"));
    wifiLayout->addWidget(scanButton);
    wifiLayout->addWidget(new QLabel(QStringLiteral("If network not shown, enter SSID manually:")));
    ssidEdit = new QLineEdit();
    ssidEdit->setPlaceholderText(QStringLiteral("Wi-Fi SSID"));
    wifiLayout->addWidget(ssidEdit);
    wifiLayout->addWidget(new QLabel(QStringLiteral("Password")));
    passwordEdit = new QLineEdit();
    passwordEdit->setEchoMode(QLineEdit::Password);
    wifiLayout->addWidget(passwordEdit);
    auto *showPassword = new QCheckBox(QStringLiteral("Show password"));
    wifiLayout->addWidget(showPassword);
    auto *runWorkflowButton = new QPushButton(QStringLiteral("Set Wi-Fi + Reboot Charger"));
    wifiLayout->addWidget(runWorkflowButton);
    optGetInfo = makeOption(QStringLiteral("Get info (SSID/Passkey/UUID)"), true);
    optClearCache = makeOption(QStringLiteral("Clear ECache & EEvents"), false);
    optConfigureWifi = makeOption(QStringLiteral("Configure Wi-Fi credentials"), true);
    optFirmwareUpdate = makeOption(QStringLiteral("Firmware update"), false);
    pages->addWidget(makeTwoColumnPage(
        wifiCard, makeInstructionsCard(QStringLiteral("Customer Wi-Fi Instructions"),
                                       app::customerWifiInstructions())));

    // Page 4: Factory Reset.
    QFrame *resetCard = makeCard();
    auto *resetLayout = new QVBoxLayout(resetCard);
    resetLayout->addWidget(new QLabel(QStringLiteral("Factory Reset")));
    auto *resetWarning = new QLabel(QStringLiteral(
        "This will erase charger settings and reboot the charger. Use only in Advanced mode."));
    resetWarning->setWordWrap(true);
    resetWarning->setObjectName(QStringLiteral("Subtle"));
    resetLayout->addWidget(resetWarning);
    auto *factoryResetButton = new QPushButton(QStringLiteral("Factory Reset Charger"));
    resetLayout->addWidget(factoryResetButton);
    resetLayout->addStretch();
    pages->addWidget(resetCard);

    // What each charger of the last guided run got; shown once a guided run has ended.
    resultPanel = makeCard();
    auto *resultLayout = new QVBoxLayout(resultPanel);
    resultLayout->addWidget(new QLabel(QStringLiteral("Guided run results")));
    resultTable = new QTableWidget(0, 3);
    resultTable->setHorizontalHeaderLabels(
        {QStringLiteral("Charger"), QStringLiteral("Outcome"), QStringLiteral("Reason")});
    resultTable->verticalHeader()->hide();
    resultTable->horizontalHeader()->setStretchLastSection(true);
    resultTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    resultLayout->addWidget(resultTable);
    resultPanel->hide();
    root->addWidget(resultPanel, 0);

    // Empty until the start-up reads are done; the row keeps its height meanwhile.
    statusLabel = new QLabel();
    statusLabel->setObjectName(QStringLiteral("Status"));
    statusLabel->setMinimumHeight(statusLabel->fontMetrics().lineSpacing());
    busyBar = new QProgressBar();
    busyBar->setRange(0, 0);
    busyBar->setMaximumWidth(160);
    busyBar->setTextVisible(false);
    busyBar->hide();
    auto *statusRow = new QHBoxLayout();
    statusRow->addWidget(statusLabel, 1);
    statusRow->addWidget(busyBar);
    root->addLayout(statusRow);
    // Work shorter than this shows no busy sign, so quick clicks do not flicker.
    busyDelay = new QTimer(this);
    busyDelay->setSingleShot(true);
    busyDelay->setInterval(300);
    connect(busyDelay, &QTimer::timeout, this, &MainWindow::showBusy);
    operationControls = {refreshButton,  findButton,        connectSelectedButton,
                         staticIpButton, previewButton,     deleteButton,
                         scanButton,     runWorkflowButton, factoryResetButton};

    // Connections.
    connect(connectButton, &QPushButton::clicked, this, [this]() {
        pages->setCurrentIndex(1);
        setStatus(QStringLiteral("Back on connect page."));
    });
    connect(refreshButton, &QPushButton::clicked, this, &MainWindow::onRefreshAll);
    connect(stepConnectButton, &QPushButton::clicked, this, &MainWindow::goStep1);
    connect(stepCleanupButton, &QPushButton::clicked, this, &MainWindow::goStep2);
    connect(stepWifiButton, &QPushButton::clicked, this, &MainWindow::goStep3);
    connect(stepFactoryResetButton, &QPushButton::clicked, this, &MainWindow::goStep4);

    const QList<QCheckBox *> options = {optGetInfo, optClearCache, optConfigureWifi,
                                        optFirmwareUpdate};
    connect(completeSetupButton, &QPushButton::clicked, this, [this, options]() {
        completeSetupMode = true;
        for (QCheckBox *option : options)
            option->setChecked(true);
        for (QCheckBox *option : options)
            option->setEnabled(false);
        for (QCheckBox *option : options)
            option->hide();
        stepCleanupButton->hide();
        stepFactoryResetButton->hide();
        pages->setCurrentIndex(1);
        setStatus(QStringLiteral(
            "Complete Setup selected. Reboot charger until flashing blue, then Scan + Connect."));
    });
    // The options and the factory-reset step have no place in the window until advanced mode
    // asks for them; shown without one they would each open as a window of their own.
    auto placeAdvancedControls = [this, options, workflowLayout, wifiLayout, runWorkflowButton,
                                  showPassword]() {
        if (stepFactoryResetButton->parentWidget())
            return;
        workflowLayout->insertWidget(workflowLayout->indexOf(stepWifiButton) + 1,
                                     stepFactoryResetButton);
        QWidget *previous = showPassword;
        for (QCheckBox *option : options) {
            wifiLayout->insertWidget(wifiLayout->indexOf(runWorkflowButton), option);
            setTabOrder(previous, option);
            previous = option;
        }
        setTabOrder(previous, runWorkflowButton);
        setTabOrder(stepWifiButton, stepFactoryResetButton);
    };
    connect(advancedButton, &QPushButton::clicked, this, [this, options, placeAdvancedControls]() {
        completeSetupMode = false;
        placeAdvancedControls();
        for (QCheckBox *option : options)
            option->setEnabled(true);
        for (QCheckBox *option : options)
            option->show();
        stepCleanupButton->show();
        stepFactoryResetButton->show();
        pages->setCurrentIndex(1);
        setStatus(QStringLiteral("Advanced mode selected."));
    });

    connect(findButton, &QPushButton::clicked, this, &MainWindow::onScanJuiceNet);
    connect(connectSelectedButton, &QPushButton::clicked, this, &MainWindow::onConnectSelected);
    connect(staticIpButton, &QPushButton::clicked, this, &MainWindow::onSetStaticIp);
    connect(previewButton, &QPushButton::clicked, this, &MainWindow::onPreviewCleanup);
    connect(deleteButton, &QPushButton::clicked, this, &MainWindow::onDeleteCleanup);
    connect(wifiList, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        if (!item)
            return;
        const QString ssid = item->text().trimmed();
        if (ssid.isEmpty())
            return;
        ssidEdit->setText(ssid);
        passwordEdit->setFocus(Qt::OtherFocusReason);
        passwordEdit->selectAll();
        setStatus(QStringLiteral("Selected Wi-Fi: ") + ssid + QStringLiteral(" (enter password)."));
        // Signal and security, when the charger's scan gave them (onScanTargetWifi).
        const QString details = item->data(provisioning::networkSummaryRole).toString();
        if (!details.isEmpty())
            setStatus(details);
    });
    connect(scanButton, &QPushButton::clicked, this, &MainWindow::onScanTargetWifi);
    connect(showPassword, &QCheckBox::toggled, this, [this](bool checked) {
        passwordEdit->setEchoMode(checked ? QLineEdit::Normal : QLineEdit::Password);
    });
    connect(runWorkflowButton, &QPushButton::clicked, this, &MainWindow::onRunWifiOnlyWorkflow);
    connect(passwordEdit, &QLineEdit::returnPressed, this, &MainWindow::onRunWifiOnlyWorkflow);
    connect(factoryResetButton, &QPushButton::clicked, this, [this]() { factoryResetCharger(); });

    auto *enterPresses = new EnterPressesButtons(this);
    QList<QPushButton *> buttons = findChildren<QPushButton *>();
    buttons << stepFactoryResetButton;
    for (QPushButton *button : std::as_const(buttons))
        button->installEventFilter(enterPresses);
}

void MainWindow::goStep1()
{
    pages->setCurrentIndex(1);
}

void MainWindow::goStep2()
{
    pages->setCurrentIndex(2);
}

void MainWindow::goStep3()
{
    pages->setCurrentIndex(3);
}

void MainWindow::goStep4()
{
    setStatus(QStringLiteral("Factory reset page is temporarily disabled in Tech build."));
}

QIcon MainWindow::signalBarsIcon(int filledBars, bool checkable) const
{
    const QColor lit(checkable ? app::signalBarLit : app::signalBarUntestable);
    QPixmap pixmap(24, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    for (int bar = 0; bar < 3; ++bar) {
        const int height = 6 + 4 * bar;
        painter.fillRect(QRect(bar * 5, 16 - height, 4, height),
                         bar < filledBars ? lit : QColor(app::signalBarUnlit));
    }
    if (!checkable) {
        painter.fillRect(QRect(18, 1, 3, 9), lit);
        painter.fillRect(QRect(18, 12, 3, 3), lit);
    }
    return QIcon(pixmap);
}
