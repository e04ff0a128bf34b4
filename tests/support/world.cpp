#include "world.h"

#include "app/mainwindow.h"
#include "app/result_record_format.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPasswordDigestor>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTcpSocket>
#include <QtTest>

namespace testsupport {

Relay::Relay()
{
    server.listen(QHostAddress::LocalHost);
    connect(&server, &QTcpServer::newConnection, this, [this]() {
        while (QTcpSocket *client = server.nextPendingConnection()) {
            auto *upstream = new QTcpSocket(client);
            upstream->connectToHost(QHostAddress::LocalHost, target);
            connect(client, &QTcpSocket::readyRead, upstream, [this, client, upstream]() {
                const QByteArray chunk = client->readAll();
                bytes += chunk;
                upstream->write(chunk);
            });
            connect(upstream, &QTcpSocket::readyRead, client,
                    [client, upstream]() { client->write(upstream->readAll()); });
            connect(upstream, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
            connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        }
    });
}

QNetworkProxy Relay::proxy() const
{
    return QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"),
                         server.serverPort());
}

World::World(const QString &scenario) : savedHome(qgetenv("HOME"))
{
    QDesktopServices::setUrlHandler(QStringLiteral("ms-settings"), &urls, "open");
    qputenv("HOME", dir.filePath(QStringLiteral("home")).toLocal8Bit());
    QDir(dir.path()).mkdir(QStringLiteral("tmp"));
    qputenv("TMPDIR", dir.filePath(QStringLiteral("tmp")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("ZEPHYL_NETSH_STATE", dir.filePath(QStringLiteral("netsh.json")).toLocal8Bit());
    qputenv("ZEPHYL_NETSH_JOURNAL", dir.filePath(QStringLiteral("netsh.jsonl")).toLocal8Bit());
    QString error;
    if (!sim.loadScenarioFile(QStringLiteral(ZEPHYL_SCENARIO_DIR "/") + scenario, &error))
        qFatal("scenario %s: %s", qPrintable(scenario), qPrintable(error));
    sim.listen();
    relay.target = sim.port();
    QNetworkProxy::setApplicationProxy(relay.proxy());
    writeLaptop(R"({"interfaces":[{"name":"Wi-Fi","connectedSsid":"HomeNet",
                     "address":"192.168.1.23"}],
        "networks":[{"ssid":"HomeNet","authentication":"WPA2-Personal","encryption":"CCMP",
                     "dhcpAddress":"192.168.1.23"},
                    {"ssid":"JuiceNet-1A2B","authentication":"Open","dhcpAddress":"10.10.10.3"}],
        "elevated":true,
        "profiles":[{"name":"HomeNet","interface":"Wi-Fi"}]})");
}

World::~World()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("ms-settings"));
    QNetworkProxy::setApplicationProxy(QNetworkProxy());
    qputenv("HOME", savedHome);
}

void World::writeLaptop(const QByteArray &json)
{
    QFile file(dir.filePath(QStringLiteral("netsh.json")));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(json);
}

QJsonObject World::laptop() const
{
    QFile file(dir.filePath(QStringLiteral("netsh.json")));
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object()
                                          : QJsonObject();
}

void World::followLaptop()
{
    const QString state = dir.filePath(QStringLiteral("netsh.json"));
    sim.setActiveChargerSelector(
        [state]() { return chargersim::connectedSsidFromNetshState(state); });
}

QStringList World::netsh() const
{
    // The temporary profile's random name is the one thing that differs between runs.
    const QRegularExpression profilePath(QRegularExpression::escape(dir.filePath("tmp")) +
                                         QStringLiteral("/zephyl_[A-Za-z0-9]{6}\\.xml"));
    QFile file(dir.filePath(QStringLiteral("netsh.jsonl")));
    QStringList calls;
    if (!file.open(QIODevice::ReadOnly))
        return calls;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (qsizetype i = journalMark; i < lines.size(); ++i) {
        if (lines.at(i).trimmed().isEmpty())
            continue;
        QStringList argv;
        for (const QJsonValue &arg :
             QJsonDocument::fromJson(lines.at(i)).object()["argv"].toArray())
            argv << arg.toString();
        const QString call =
            argv.join(QLatin1Char('|')).replace(profilePath, QStringLiteral("<profile>"));
        // A join watches the interface at its own pace: its run of reads counts once.
        const bool watching = calls.size() > 1 && calls.last() == call &&
                              call == QLatin1String("wlan|show|interfaces") &&
                              calls.at(calls.size() - 2).startsWith(QLatin1String("wlan|connect|"));
        if (!watching)
            calls << call;
    }
    return calls;
}

QString World::logText() const
{
    const QDir logs(dir.filePath(QStringLiteral("home/Documents/Zephyl-Logs")));
    const QStringList files = logs.entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name);
    QFile file(files.isEmpty() ? QString() : logs.filePath(files.last()));
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(file.readAll())
                                                            : QString();
}

QString World::recordPath() const
{
    return dir.filePath(QStringLiteral("home/Documents/Zephyl-Logs/results.csv"));
}

QByteArray World::recordBytes() const
{
    QFile file(recordPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList World::logEntries() const
{
    static const QRegularExpression stamp(
        QStringLiteral(R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] )"));
    QStringList entries;
    for (const QString &line : logText().split(QLatin1Char('\n'))) {
        if (stamp.match(line).hasMatch())
            entries << line.mid(22);
    }
    return entries.mid(logMark);
}

QStringList World::statuses() const
{
    QStringList result;
    for (const QString &entry : logEntries()) {
        if (entry.startsWith(QLatin1String("STATUS: ")))
            result << entry.mid(8);
    }
    return result;
}

QStringList World::temporaryFiles() const
{
    return QDir(dir.filePath(QStringLiteral("tmp"))).entryList(QDir::Files);
}

void World::mark()
{
    const qsizetype entries = logEntries().size();
    logMark += entries;
    QFile file(dir.filePath(QStringLiteral("netsh.jsonl")));
    journalMark = file.open(QIODevice::ReadOnly) ? file.readAll().count('\n') : 0;
    sim.clearJournal();
    relay.clear();
}

void World::verifyWire() const
{
    const QByteArray sent = relay.sent();
    const QByteArray base = "http://setup.zephyl/command";
    for (qsizetype at = 0; at < sent.size();) {
        const qsizetype headEnd = sent.indexOf("\r\n\r\n", at);
        QVERIFY(headEnd > at);
        const QList<QByteArray> head = sent.mid(at, headEnd - at).split('\n');
        const QList<QByteArray> line = head.first().trimmed().split(' ');
        QCOMPARE(line.size(), 3);
        qsizetype bodySize = 0;
        QByteArray host;
        for (const QByteArray &header : head) {
            if (header.startsWith("Host: "))
                host = header.mid(6).trimmed();
            if (header.startsWith("Content-Length: "))
                bodySize = header.mid(16).trimmed().toLongLong();
        }
        QCOMPARE(host, QByteArray("setup.zephyl"));
        at = headEnd + 4 + bodySize;
        if (line.first() == "POST") {
            QCOMPARE(line.at(1), base);
            continue;
        }
        QVERIFY2(line.at(1).startsWith(base + '/'), line.at(1).constData());
        const QByteArray encoded = line.at(1).mid(base.size() + 1);
        QByteArray canonical;
        for (const char byte : QByteArray::fromPercentEncoding(encoded)) {
            const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                                    (byte >= '0' && byte <= '9') ||
                                    QByteArray("-._~").contains(byte);
            if (unreserved)
                canonical += byte;
            else
                canonical +=
                    '%' + QByteArray::number(uchar(byte), 16).rightJustified(2, '0').toUpper();
        }
        QCOMPARE(encoded, canonical);
    }
}

namespace {

// The window's controls, found by what they show.
QListWidget *listBeside(QWidget *window, const QString &buttonText)
{
    for (QPushButton *button : window->findChildren<QPushButton *>()) {
        if (button->text() == buttonText)
            return button->parentWidget()->findChild<QListWidget *>();
    }
    return nullptr;
}

// The SSID field shows a placeholder; the password field has none.
QLineEdit *edit(QWidget *window, const QString &placeholder)
{
    for (QLineEdit *edit : window->findChildren<QLineEdit *>()) {
        if (edit->placeholderText() == placeholder)
            return edit;
    }
    return nullptr;
}

// A button or option box showing `text`.
template <typename Control> Control *shown(const QString &text)
{
    for (QWidget *widget : QApplication::allWidgets()) {
        auto *control = qobject_cast<Control *>(widget);
        if (control && control->text() == text)
            return control;
    }
    return nullptr;
}

// The record's data rows, their quoted cells after the time joined by "|", after checking that
// the file starts with the one head, ends with a line end and every row with a local time.
void verifyRecord(const QByteArray &bytes, const QString &expected)
{
    const QByteArray head = app::newResultFileHead();
    QVERIFY2(bytes.isEmpty() ||
                 (bytes.startsWith(head) && bytes.count(head) == 1 && bytes.endsWith("\r\n")),
             bytes.left(120).constData());
    static const QRegularExpression time(
        QStringLiteral(R"(^"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d",".*"$)"));
    QStringList rows;
    for (QString row :
         QString::fromUtf8(bytes.mid(head.size())).split("\r\n", Qt::SkipEmptyParts)) {
        QVERIFY2(time.match(row).hasMatch(), qPrintable(row));
        rows << row.mid(29).chopped(1).replace("\",\"", "|").replace("\"\"", "\"");
    }
    QCOMPARE(rows.join(QLatin1Char('\n')), expected);
}

void pick(QListWidget *list, const QString &text)
{
    QVERIFY(list);
    const QList<QListWidgetItem *> items = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(QStringLiteral("no single item ") + text));
    list->setCurrentItem(items.first());
    emit list->itemClicked(items.first());
}

// Clicks `answer` in the next message box, as soon as it is shown.
void answerNextQuestion(const QString &answer)
{
    auto *timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer]() {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        box->button(answer == QLatin1String("Yes") ? QMessageBox::Yes : QMessageBox::No)->click();
        timer->deleteLater();
    });
    timer->start();
}

} // namespace

void runSteps(MainWindow &window, World &world, const QStringList &steps)
{
    QLineEdit *const ssidField = edit(&window, QStringLiteral("Wi-Fi SSID"));
    QLineEdit *const passwordField = edit(&window, QString());
    for (const QString &step : steps) {
        const QString kind = step.section(QLatin1Char(':'), 0, 0);
        const QString arg = step.section(QLatin1Char(':'), 1);
        if (kind == QLatin1String("click")) {
            QPushButton *target = shown<QPushButton>(arg);
            QVERIFY2(target, qPrintable(step));
            target->click();
        } else if (kind == QLatin1String("invoke")) {
            QVERIFY(QMetaObject::invokeMethod(&window, arg.toLatin1(), Qt::DirectConnection));
        } else if (kind == QLatin1String("ssid")) {
            ssidField->setText(arg);
        } else if (kind == QLatin1String("echo")) {
            QCOMPARE(passwordField->echoMode() == QLineEdit::Normal, arg == QLatin1String("shown"));
        } else if (kind == QLatin1String("shows-ssid")) {
            QCOMPARE(ssidField->text(), arg);
        } else if (kind == QLatin1String("password")) {
            passwordField->setText(arg);
        } else if (kind == QLatin1String("pick-charger")) {
            pick(listBeside(&window, QStringLiteral("Find Charger Wi-Fi")), arg);
        } else if (kind == QLatin1String("tip")) {
            const QList<QListWidgetItem *> items =
                listBeside(&window, QStringLiteral("Scan Available Wi-Fi (from charger)"))
                    ->findItems(arg.section(QLatin1Char('='), 0, 0), Qt::MatchExactly);
            QCOMPARE(items.size(), 1);
            QVERIFY(!items.first()->icon().isNull());
            QCOMPARE(items.first()->toolTip(), arg.section(QLatin1Char('='), 1));
        } else if (kind == QLatin1String("pick-wifi")) {
            pick(listBeside(&window, QStringLiteral("Scan Available Wi-Fi (from charger)")), arg);
        } else if (kind == QLatin1String("answer")) {
            answerNextQuestion(arg);
        } else if (kind == QLatin1String("option")) {
            shown<QCheckBox>(arg.section(QLatin1Char('='), 0, 0))
                ->setChecked(arg.endsWith(QLatin1Char('1')));
        } else if (kind == QLatin1String("wait")) {
            QTRY_VERIFY_WITH_TIMEOUT(world.statuses().contains(arg), 20000);
        } else if (kind == QLatin1String("cards")) {
            QStringList shown;
            for (QLabel *label : window.findChildren<QLabel *>(QStringLiteral("Metric")))
                shown << label->text();
            QCOMPARE(shown.join(QLatin1Char('|')), arg);
        } else if (kind == QLatin1String("visible") || kind == QLatin1String("hidden")) {
            QWidget *target = shown<QPushButton>(arg)
                                  ? static_cast<QWidget *>(shown<QPushButton>(arg))
                                  : shown<QCheckBox>(arg);
            QVERIFY2(target, qPrintable(step));
            QCOMPARE(target->isVisibleTo(&window), kind == QLatin1String("visible"));
        } else if (kind == QLatin1String("logged-end")) {
            const QStringList entries = world.logEntries();
            QVERIFY2(std::any_of(entries.begin(), entries.end(),
                                 [&arg](const QString &entry) { return entry.endsWith(arg); }),
                     qPrintable(arg));
        } else if (kind == QLatin1String("records")) {
            verifyRecord(world.recordBytes(), arg);
        } else if (kind == QLatin1String("record")) {
            // A folder in the file's place refuses every write, even root's.
            if (arg == QLatin1String("blocked"))
                QVERIFY(QDir().mkpath(world.recordPath()));
            else
                QVERIFY(QDir().rmdir(world.recordPath()));
        } else if (kind == QLatin1String("table")) {
            const auto *table = window.findChild<QTableWidget *>();
            QVERIFY(table->isVisibleTo(&window));
            QStringList rows;
            for (int row = 0; row < table->rowCount(); ++row) {
                QStringList cells;
                for (int column = 0; column < table->columnCount(); ++column)
                    cells << table->item(row, column)->text();
                rows << cells.join(QLatin1Char('|'));
            }
            QCOMPARE(rows.join(QLatin1Char('\n')), arg);
        } else if (kind == QLatin1String("startup")) {
            // The start-up reads run once the event loop turns, and end on "Ready.".
            QTRY_COMPARE_WITH_TIMEOUT(window.findChild<QLabel *>(QStringLiteral("Status"))->text(),
                                      QStringLiteral("Ready."), 120000);
        } else if (kind == QLatin1String("starting")) {
        } else if (kind == QLatin1String("logged")) {
            QTRY_VERIFY2_WITH_TIMEOUT(world.logEntries().contains(arg),
                                      qPrintable(world.logEntries().join(QLatin1Char('\n'))),
                                      20000);
        } else if (kind == QLatin1String("later")) {
            // Runs the rest of the step from a timer, while the window waits inside an operation.
            const QString later = arg.section(QLatin1Char(':'), 1);
            QTimer::singleShot(arg.section(QLatin1Char(':'), 0, 0).toInt(), &window,
                               [&window, &world, later]() { runSteps(window, world, {later}); });
        } else if (kind == QLatin1String("once")) {
            // That step as soon as the status shows, while the operation waits.
            auto *poll = new QTimer(&window);
            const QString status = arg.section(QLatin1Char('='), 0, 0);
            const QString then = arg.section(QLatin1Char('='), 1);
            QObject::connect(poll, &QTimer::timeout, poll, [&window, &world, poll, status, then]() {
                if (!world.statuses().contains(status))
                    return;
                poll->deleteLater();
                runSteps(window, world, {then});
            });
            poll->start(20);
        } else if (kind == QLatin1String("tray")) {
            // The technician moves the laptop to another network from the Windows tray.
            static const QRegularExpression joined(QStringLiteral(R"("connectedSsid":"[^"]*")"));
            world.writeLaptop(
                QString::fromUtf8(QJsonDocument(world.laptop()).toJson(QJsonDocument::Compact))
                    .replace(joined, "\"connectedSsid\":\"" + arg + '"')
                    .toUtf8());
        } else if (kind == QLatin1String("enabled") || kind == QLatin1String("disabled")) {
            QCOMPARE(shown<QPushButton>(arg)->isEnabled(), kind == QLatin1String("enabled"));
        } else if (kind == QLatin1String("enter")) {
            QWidget *target = arg == QLatin1String("password")
                                  ? static_cast<QWidget *>(passwordField)
                                  : shown<QPushButton>(arg);
            QTest::keyClick(target, Qt::Key_Return);
        } else if (kind == QLatin1String("opened")) {
            QCOMPARE(world.urls.opened, QList<QUrl>{QUrl(arg)});
        } else if (kind == QLatin1String("gate")) {
            QJsonObject state = world.laptop();
            state[QStringLiteral("locationGate")] = arg == QLatin1String("held");
            world.writeLaptop(QJsonDocument(state).toJson());
        } else if (kind == QLatin1String("mark")) {
            world.mark();
        } else if (kind == QLatin1String("close")) {
            window.close();
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
        }
    }
}

void addOperationColumns()
{
    QTest::addColumn<QByteArray>("laptop");
    QTest::addColumn<QByteArray>("netshFaults");
    QTest::addColumn<QList<SimFault>>("faults");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QStringList>("netsh");
    QTest::addColumn<QStringList>("statuses");
    QTest::addColumn<QStringList>("log");
}

namespace {

void verifyInOrder(const QStringList &entries, const QStringList &expected)
{
    qsizetype at = 0;
    for (const QString &line : expected) {
        at = entries.indexOf(line, at);
        QVERIFY2(at >= 0, qPrintable(QStringLiteral("log lacks, in order: ") + line +
                                     QStringLiteral("\n") + entries.join(QLatin1Char('\n'))));
        ++at;
    }
}

void verifyNoSecret(const QString &log, const QStringList &steps)
{
    for (const QString &step : steps) {
        if (!step.startsWith(QLatin1String("password:")) || step.size() < 12)
            continue;
        const QString password = step.mid(9);
        QVERIFY2(!log.contains(password), qPrintable(QStringLiteral("leaked ") + password));
    }
    static const QRegularExpression key(QStringLiteral("[0-9a-f]{64}"));
    QVERIFY2(!key.match(log).hasMatch(), "a derived key reached the log or the record");
}

} // namespace

void runOperationRow(const QString &scenario, bool followLaptop)
{
    QFETCH(QByteArray, laptop);
    QFETCH(QByteArray, netshFaults);
    QFETCH(QList<SimFault>, faults);
    QFETCH(QStringList, steps);
    World world(scenario);
    if (followLaptop)
        world.followLaptop();
    if (!laptop.isEmpty())
        world.writeLaptop(laptop);
    if (!netshFaults.isEmpty()) {
        QJsonObject state = world.laptop();
        state[QStringLiteral("faults")] = QJsonDocument::fromJson(netshFaults).object();
        world.writeLaptop(QJsonDocument(state).toJson());
    }
    for (const SimFault &fault : faults)
        world.sim.addFault(fault);
    MainWindow window;
    if (!steps.startsWith(QStringLiteral("startup")) &&
        !steps.startsWith(QStringLiteral("starting"))) {
        runSteps(window, world, {QStringLiteral("startup")});
        world.mark();
    }
    runSteps(window, world, steps);
    QCoreApplication::processEvents(); // what an operation left for later, a close among it
    if (QTest::currentTestFailed())
        return;

    QTEST(world.sim.commands(), "commands");
    QTEST(world.netsh(), "netsh");
    QTEST(world.statuses(), "statuses");
    QFETCH(QStringList, log);
    verifyInOrder(world.logEntries(), log);
    verifyNoSecret(world.logText() + QString::fromUtf8(world.recordBytes()), steps);
    QCOMPARE(world.temporaryFiles(), QStringList());
    world.verifyWire();
}

} // namespace testsupport
