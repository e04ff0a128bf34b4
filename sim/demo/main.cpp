// zephyl-wifi-setup-demo: the product's window, unchanged, against a simulated laptop (the netsh
// stand-in) and three simulated chargers, with a panel for what the window does not offer.
#include "app/mainwindow.h"
#include "charger_simulator.h"
#include "demo_environment.h"
#include "demo_panel.h"
#include "demo_script.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEvent>
#include <QNetworkProxy>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// Ends the demo once the product's window has closed and hidden (its close runs the laptop
// restore, during which the window still shows); the panel and any window the product shows on
// its own do not keep the demo alive.
class QuitWhenClosed : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide) {
            auto *window = qobject_cast<QWidget *>(watched);
            QTimer::singleShot(0, qApp, [window]() {
                if (!window->isVisible())
                    QApplication::exit(
                        QCoreApplication::instance()->property("demoExitCode").toInt());
            });
        }
        return false;
    }
};

void say(const QString &text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

void complain(const QString &text)
{
    std::fprintf(stderr, "zephyl-wifi-setup-demo: %s\n", qPrintable(text));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zephyl-wifi-setup-demo"));
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Zephyl WiFi Setup against a simulated laptop and three simulated chargers."));
    parser.addHelpOption();
    const QCommandLineOption quitAfterOption(
        QStringLiteral("quit-after-ms"),
        QStringLiteral("Close the window N ms after it is ready (its close restores the laptop)."),
        QStringLiteral("N"));
    const QCommandLineOption pageOption(
        QStringLiteral("page"),
        QStringLiteral("Bring the window to a page first: connect, wifi or cleanup."),
        QStringLiteral("PAGE"));
    const QCommandLineOption grabOption(
        QStringLiteral("grab"),
        QStringLiteral("Save a picture of the window to FILE once it is ready, then close it."),
        QStringLiteral("FILE"));
    const QCommandLineOption noPanelOption(QStringLiteral("no-panel"),
                                           QStringLiteral("Do not open the demo controls."));
    const QCommandLineOption invokeOption(
        QStringLiteral("invoke"),
        QStringLiteral("Once the page is ready, invoke this slot of the window by name, as the "
                       "demo controls do (repeatable), e.g. onStartGuidedSetup."),
        QStringLiteral("SLOT"));
    parser.addOptions({quitAfterOption, pageOption, grabOption, noPanelOption, invokeOption});
    parser.process(application);

    int quitAfterMs = -1;
    if (parser.isSet(quitAfterOption)) {
        bool ok = false;
        quitAfterMs = parser.value(quitAfterOption).toInt(&ok);
        if (!ok || quitAfterMs < 0) {
            complain(QStringLiteral("--quit-after-ms needs a number of milliseconds"));
            return 2;
        }
    }
    demo::Page page = demo::Page::None;
    if (parser.isSet(pageOption) && !demo::pageFromName(parser.value(pageOption), page)) {
        complain(QStringLiteral("--page is one of connect, wifi, cleanup"));
        return 2;
    }
    const QString grabFile = parser.value(grabOption);
    const QStringList slotsToInvoke = parser.values(invokeOption);

    QTemporaryDir folder(QDir::temp().filePath(QStringLiteral("zephyl-demo-XXXXXX")));
    if (!folder.isValid()) {
        complain(QStringLiteral("cannot create a demo folder: ") + folder.errorString());
        return 1;
    }
    QString error;
    const QString netshDir =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("sim/netsh"));
    if (!demo::prepareLaptop(folder.path(), netshDir, &error)) {
        complain(error);
        return 1;
    }

    ChargerSimulator simulator;
    simulator.setChargers(demo::chargers());
    // Only the charger whose setup network the laptop has joined answers, as in the field.
    const QString statePath = demo::statePath(folder.path());
    simulator.setActiveChargerSelector(
        [statePath]() { return chargersim::connectedSsidFromNetshState(statePath); });
    if (!simulator.listen(QHostAddress::LocalHost, 0)) {
        complain(QStringLiteral("the charger simulator cannot listen on 127.0.0.1"));
        return 1;
    }
    // The window keeps its fixed http://setup.zephyl/command; the simulator is its proxy.
    QNetworkProxy::setApplicationProxy(
        QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), simulator.port()));
    say(QStringLiteral("Demo folder: %1").arg(folder.path()));
    say(QStringLiteral("Simulated chargers on 127.0.0.1:%1; laptop on %2.")
            .arg(simulator.port())
            .arg(chargersim::connectedSsidFromNetshState(statePath)));

    MainWindow window;
    window.show();
    QuitWhenClosed quitWhenClosed;
    window.installEventFilter(&quitWhenClosed);

    std::unique_ptr<demo::DemoPanel> panel;
    if (!parser.isSet(noPanelOption) && grabFile.isEmpty()) {
        panel = std::make_unique<demo::DemoPanel>(&window, &simulator, folder.path());
        panel->move(window.frameGeometry().topRight());
        panel->show();
    }

    QTimer quitTimer;
    quitTimer.setSingleShot(true);
    QObject::connect(&quitTimer, &QTimer::timeout, &window, &QWidget::close);

    demo::PageScript script(&window, page);
    QObject::connect(
        &script, &demo::PageScript::finished, &window, [&](bool ok, const QString &message) {
            if (!ok) {
                complain(message);
                application.setProperty("demoExitCode", 1);
                window.close();
                return;
            }
            if (!message.isEmpty())
                say(message);
            // Directly, so each slot has returned before the next step begins.
            for (const QString &slot : slotsToInvoke) {
                if (!QMetaObject::invokeMethod(&window, qPrintable(slot), Qt::DirectConnection)) {
                    complain(QStringLiteral("the window has no slot ") + slot);
                    application.setProperty("demoExitCode", 1);
                    window.close();
                    return;
                }
                say(QStringLiteral("Invoked %1").arg(slot));
            }
            if (!grabFile.isEmpty()) {
                QApplication::processEvents();
                if (!window.grab().save(grabFile)) {
                    complain(QStringLiteral("cannot save ") + grabFile);
                    application.setProperty("demoExitCode", 1);
                } else {
                    say(QStringLiteral("Saved %1").arg(grabFile));
                }
                window.close();
                return;
            }
            if (quitAfterMs >= 0)
                quitTimer.start(quitAfterMs);
        });
    script.start();

    const int result = application.exec();
    panel.reset();
    return result;
}
