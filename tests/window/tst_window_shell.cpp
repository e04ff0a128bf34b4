#include "app/mainwindow.h"
#include "app/window_style.h"
#include "standin_laptop.h"
#include "window_harness.h"
#include "window_widgets.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaMethod>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>

using testsupport::IsolatedHome;
using testsupport::optionBox;
using testsupport::StandInLaptop;

namespace {

QStringList visibleStepButtons(QWidget *window)
{
    QStringList texts;
    for (QPushButton *button : window->findChildren<QPushButton *>()) {
        if (button->text().contains(QLatin1String("  ")) && button->isVisible())
            texts << button->text();
    }
    return texts;
}

} // namespace

class WindowShellTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensOnConnectPageWithReady();
    void writesLogHeaderAndStatusEntries();
    void neverTruncatesAnEarlierLogOfTheSameSecond();
    void keepsWorkingWhenTheLogCannotBeCreated();
    void registersTheFifteenSlotsInOrder();
    void navigatesBetweenPages();
    void copiesAChosenNetworkIntoTheSsidField();
    void togglesPasswordVisibility();
    void keepsOptionsHiddenWithTheirInitialStates();
    void switchesSetupModes();
    void appliesTheStyleSheet();
    void fallsThroughACorruptLogo();

private:
    std::unique_ptr<IsolatedHome> home;
    std::unique_ptr<StandInLaptop> laptop;
};

void WindowShellTest::init()
{
    home = std::make_unique<IsolatedHome>();
    laptop = std::make_unique<StandInLaptop>();
    laptop->writeState(StandInLaptop::homeLaptop({QStringLiteral("JuiceNet-1A2B")}));
    testsupport::routeChargerToNowhere();
}

void WindowShellTest::cleanup()
{
    laptop.reset();
    home.reset();
}

void WindowShellTest::opensOnConnectPageWithReady()
{
    MainWindow window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Zephyl WiFi Setup"));
    QCOMPARE(window.size(), QSize(1360, 900));
    auto *pages = window.findChild<QStackedWidget *>();
    QVERIFY(pages);
    QCOMPARE(pages->count(), 5);
    QCOMPARE(pages->currentIndex(), 1);
    QCOMPARE(testsupport::statusText(&window), QStringLiteral("Ready."));

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(visibleStepButtons(&window), QStringList({"1  Connect Charger", "2  Wi-Fi Setup"}));
    QCOMPARE(home->statuses(), QStringList({"Ready."}));
}

void WindowShellTest::writesLogHeaderAndStatusEntries()
{
    {
        MainWindow window;
    }
    const QStringList files = home->logFiles();
    QCOMPARE(files.size(), 1);
    QVERIFY(QRegularExpression(QStringLiteral(R"(^Zephyl_WiFi_Setup_\d{8}_\d{6}\.log$)"))
                .match(files.first())
                .hasMatch());
    const QStringList lines = home->logText().split(QLatin1Char('\n'));
    QVERIFY(lines.size() > 5);
    QCOMPARE(lines.at(0), QStringLiteral("Zephyl WiFi Setup Log"));
    QVERIFY(QRegularExpression(QStringLiteral(R"(^Started: \d{4}-\d\d-\d\dT\d\d:\d\d:\d\d$)"))
                .match(lines.at(1))
                .hasMatch());
    QCOMPARE(lines.at(2), QStringLiteral("Password fields are redacted."));
    QCOMPARE(lines.at(3), QString());
    QVERIFY(QRegularExpression(QStringLiteral(R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] CMD get )"))
                .match(lines.at(4))
                .hasMatch());
    // The passkey read never shows a value, and every start-up ends with "Ready.".
    QVERIFY(home->logEntries().contains(
        QStringLiteral("CMD get wlan.passkey [REDACTED] ok=0 response=[REDACTED]")));
    QVERIFY(home->logEntries().contains(QStringLiteral("STATUS: Ready.")));
}

void WindowShellTest::neverTruncatesAnEarlierLogOfTheSameSecond()
{
    // Pre-create the names of this second and the next few, as a run started moments ago would.
    QDir().mkpath(home->logsFolder());
    const QDateTime now = QDateTime::currentDateTime();
    QStringList planted;
    for (int offset = 0; offset <= 3; ++offset) {
        const QString stamp = now.addSecs(offset).toString(QStringLiteral("yyyyMMdd_HHmmss"));
        for (const QString &suffix : {QString(), QStringLiteral("_2")}) {
            const QString name =
                QStringLiteral("Zephyl_WiFi_Setup_") + stamp + suffix + QStringLiteral(".log");
            QFile file(QDir(home->logsFolder()).filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("earlier run\n");
            planted << name;
        }
    }
    {
        MainWindow window;
    }
    for (const QString &name : planted) {
        QFile file(QDir(home->logsFolder()).filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("earlier run\n"));
    }
    const QStringList files = home->logFiles();
    QCOMPARE(files.size(), planted.size() + 1);
    QStringList fresh = files;
    for (const QString &name : planted)
        fresh.removeAll(name);
    QVERIFY2(fresh.first().endsWith(QLatin1String("_3.log")), qPrintable(fresh.first()));
}

void WindowShellTest::keepsWorkingWhenTheLogCannotBeCreated()
{
    // A plain file where the log folder should be: the folder and the log cannot be created.
    QDir().mkpath(home->path() + QStringLiteral("/Documents"));
    QFile blocker(home->logsFolder());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    MainWindow window;
    QCOMPARE(testsupport::statusText(&window), QStringLiteral("Ready."));
    QVERIFY(testsupport::invokeSlot(&window, "goStep4"));
    QCOMPARE(testsupport::statusText(&window),
             QStringLiteral("Factory reset page is temporarily disabled in Tech build."));
}

void WindowShellTest::registersTheFifteenSlotsInOrder()
{
    const QStringList expected = {"onApiResult(QString,bool,QString)",
                                  "goStep1()",
                                  "goStep2()",
                                  "goStep3()",
                                  "goStep4()",
                                  "onScanJuiceNet()",
                                  "onConnectSelected()",
                                  "onSetStaticIp()",
                                  "onRefreshAll()",
                                  "onPreviewCleanup()",
                                  "onDeleteCleanup()",
                                  "onScanTargetWifi()",
                                  "onStartGuidedSetup()",
                                  "onRunWifiOnlyWorkflow()",
                                  "onTriggerUpdate()"};
    const QMetaObject &meta = MainWindow::staticMetaObject;
    QCOMPARE(meta.methodCount() - meta.methodOffset(), int(expected.size()));
    for (int index = 0; index < expected.size(); ++index) {
        const QMetaMethod method = meta.method(meta.methodOffset() + index);
        QCOMPARE(QString::fromLatin1(method.methodSignature()), expected.at(index));
        QCOMPARE(method.methodType(), QMetaMethod::Slot);
        QCOMPARE(method.access(), QMetaMethod::Private);
    }
}

void WindowShellTest::navigatesBetweenPages()
{
    MainWindow window;
    auto *pages = window.findChild<QStackedWidget *>();
    testsupport::clickButton(&window, QStringLiteral("2  Wi-Fi Setup"));
    QCOMPARE(pages->currentIndex(), 3);
    testsupport::clickButton(&window, QStringLiteral("1  Connect Charger"));
    QCOMPARE(pages->currentIndex(), 1);
    QVERIFY(testsupport::invokeSlot(&window, "goStep2"));
    QCOMPARE(pages->currentIndex(), 2);
    testsupport::clickButton(&window, QStringLiteral("Connect"));
    QCOMPARE(pages->currentIndex(), 1);
    QVERIFY(testsupport::invokeSlot(&window, "goStep3"));
    QVERIFY(testsupport::invokeSlot(&window, "goStep4"));
    QCOMPARE(pages->currentIndex(), 3);
    QCOMPARE(home->statuses(),
             QStringList({"Ready.", "Back on connect page.",
                          "Factory reset page is temporarily disabled in Tech build."}));
}

void WindowShellTest::copiesAChosenNetworkIntoTheSsidField()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(testsupport::invokeSlot(&window, "goStep3"));
    QListWidget *list = testsupport::wifiList(&window);
    QLineEdit *ssidEdit = testsupport::ssidEdit(&window);
    QLineEdit *passwordEdit = testsupport::passwordEdit(&window);
    QVERIFY(list && ssidEdit && passwordEdit);
    QCOMPARE(ssidEdit->placeholderText(), QStringLiteral("Wi-Fi SSID"));
    passwordEdit->setText(QStringLiteral("typed before"));
    list->addItems({QStringLiteral("  Home Net  "), QStringLiteral("   ")});

    emit list->itemClicked(list->item(1));
    QCOMPARE(ssidEdit->text(), QString());
    emit list->itemClicked(list->item(0));
    QCOMPARE(ssidEdit->text(), QStringLiteral("Home Net"));
    QVERIFY(passwordEdit->hasFocus());
    QCOMPARE(passwordEdit->selectedText(), QStringLiteral("typed before"));
    QCOMPARE(home->statuses().last(), QStringLiteral("Selected Wi-Fi: Home Net (enter password)."));
}

void WindowShellTest::togglesPasswordVisibility()
{
    MainWindow window;
    QLineEdit *passwordEdit = testsupport::passwordEdit(&window);
    QCheckBox *show = optionBox(QStringLiteral("Show password"));
    QVERIFY(passwordEdit && show && window.isAncestorOf(show));
    QCOMPARE(passwordEdit->echoMode(), QLineEdit::Password);
    show->setChecked(true);
    QCOMPARE(passwordEdit->echoMode(), QLineEdit::Normal);
    show->setChecked(false);
    QCOMPARE(passwordEdit->echoMode(), QLineEdit::Password);
}

void WindowShellTest::keepsOptionsHiddenWithTheirInitialStates()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Get info and Configure Wi-Fi start checked, Clear cache and Firmware unchecked.
    const QList<bool> checked = {true, false, true, false};
    for (int index = 0; index < checked.size(); ++index) {
        QCheckBox *box = optionBox(testsupport::optionTexts().at(index));
        QVERIFY2(box, qPrintable(testsupport::optionTexts().at(index)));
        QCOMPARE(box->isChecked(), checked.at(index));
        QVERIFY(!box->isVisible());
        QVERIFY(!window.isAncestorOf(box));
    }
}

void WindowShellTest::switchesSetupModes()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *pages = window.findChild<QStackedWidget *>();
    const QStringList options = testsupport::optionTexts();

    testsupport::clickButton(&window, QStringLiteral("Open Wi-Fi Step"));
    QCOMPARE(pages->currentIndex(), 1);
    // Advanced mode places the factory-reset step and the options in the window, not as windows
    // of their own.
    QStringList steps = visibleStepButtons(&window);
    steps.sort();
    QCOMPARE(steps, QStringList({"1  Connect Charger", "2  Clear ECache", "2  Wi-Fi Setup",
                                 "4  Factory Reset"}));
    for (const QString &text : options) {
        QVERIFY(optionBox(text)->isEnabled());
        QVERIFY(!optionBox(text)->isHidden());
        QVERIFY(window.isAncestorOf(optionBox(text)));
    }
    QCOMPARE(optionBox(options.at(1))->isChecked(), false);

    testsupport::clickButton(&window, QStringLiteral("Open Connect Step"));
    QCOMPARE(visibleStepButtons(&window), QStringList({"1  Connect Charger", "2  Wi-Fi Setup"}));
    for (const QString &text : options) {
        QVERIFY(optionBox(text)->isChecked());
        QVERIFY(!optionBox(text)->isEnabled());
        QVERIFY(optionBox(text)->isHidden());
    }
    QCOMPARE(home->statuses(),
             QStringList({"Ready.", "Advanced mode selected.",
                          "Complete Setup selected. Reboot charger until flashing blue, then "
                          "Scan + Connect."}));
}

void WindowShellTest::appliesTheStyleSheet()
{
    MainWindow window;
    const QString sheet = window.styleSheet();
    QCOMPARE(sheet, app::windowStyleSheet());
    const QStringList selectors = {"QWidget {",
                                   "QLabel#Subtle {",
                                   "QLabel#Metric {",
                                   "QLabel#Status {",
                                   "QFrame#Card {",
                                   "QPushButton {",
                                   "QPushButton:hover {",
                                   "QListWidget, QLineEdit {",
                                   "QListWidget::item:selected {",
                                   "QCheckBox {"};
    qsizetype at = 0;
    for (const QString &selector : selectors) {
        const qsizetype next = sheet.indexOf(selector, at);
        QVERIFY2(next >= at, qPrintable(selector));
        at = next + 1;
    }
    QVERIFY(sheet.contains(QLatin1String(
        "QPushButton { background: #2563eb; color: white; border: none; border-radius: 9px; "
        "padding: 10px 12px; font-weight: 600; }")));
    for (QLabel *metric : window.findChildren<QLabel *>(QStringLiteral("Metric")))
        QVERIFY(!metric->text().isEmpty());
}

void WindowShellTest::fallsThroughACorruptLogo()
{
    // A corrupt logo beside the program and a valid one a level up: the valid one is shown.
    // The build puts the product's own logo one level above the tests; use it when it is there.
    const QString dir = QCoreApplication::applicationDirPath();
    const QString besideProgram = dir + QStringLiteral("/zephyl.png");
    const QString levelUp = QDir::cleanPath(dir + QStringLiteral("/../zephyl.png"));
    QVERIFY(!QFile::exists(besideProgram));
    const bool plantLevelUp = !QFile::exists(levelUp);
    if (plantLevelUp) {
        QImage image(40, 20, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(levelUp));
    }
    {
        QFile corrupt(besideProgram);
        QVERIFY(corrupt.open(QIODevice::WriteOnly));
        corrupt.write("not a png");
    }
    const QSize expected = QPixmap(levelUp).size().scaled(220, 74, Qt::KeepAspectRatio);

    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>();
    QFile::remove(besideProgram);
    if (plantLevelUp)
        QFile::remove(levelUp);

    QLabel *logo = nullptr;
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (!label->pixmap().isNull())
            logo = label;
    }
    QVERIFY(logo);
    QCOMPARE(logo->pixmap().size(), expected);
}

QTEST_MAIN(WindowShellTest)
#include "tst_window_shell.moc"
