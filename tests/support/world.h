#pragma once

#include "charger_simulator.h"

#include <QList>
#include <QNetworkProxy>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <memory>

class MainWindow;

namespace testsupport {

// The laptop on HomeNet with two of the demo's chargers in range; each answers only while the
// laptop is joined to it.
inline const QByteArray kTwoChargersInRange =
    R"({"interfaces":[{"name":"Wi-Fi","connectedSsid":"HomeNet"}],
    "networks":[{"ssid":"HomeNet","authentication":"WPA2-Personal"},
                {"ssid":"JuiceNet-1A2B","authentication":"Open","dhcpAddress":"10.10.10.3"},
                {"ssid":"JuiceNet-3C4D","authentication":"Open","dhcpAddress":"10.10.10.3"}],
    "profiles":[{"name":"HomeNet","interface":"Wi-Fi"}]})";

// A TCP relay set as the application's HTTP proxy in front of the charger simulator; it keeps
// every byte the client sent, so a test sees the exact request lines.
class Relay : public QObject
{
public:
    Relay();
    QNetworkProxy proxy() const;
    QByteArray sent() const { return bytes; }
    void clear() { bytes.clear(); }
    quint16 target = 0;

private:
    QTcpServer server;
    QByteArray bytes;
};

// Stands in for the desktop: the URLs the window asked it to open.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

// The outside world of one window test: a private HOME for the setup log, the netsh stand-in's
// laptop (state file and journal), and a charger simulator reached through the relay.
class World
{
public:
    // `scenario` names a file under sim/charger/scenarios.
    explicit World(const QString &scenario = QStringLiteral("default.json"));
    ~World();

    ChargerSimulator sim;
    Relay relay;
    UrlCatcher urls;

    void writeLaptop(const QByteArray &json);
    QJsonObject laptop() const;
    // Only the charger whose setup network the laptop is joined to answers.
    void followLaptop();

    // What happened since the last mark: netsh argument lists (elements joined with "|"),
    // status messages and the other log entries; sim.commands() has the charger commands.
    QStringList netsh() const;
    QStringList statuses() const;
    QStringList logEntries() const;
    QString logText() const;
    // The result record beside the logs, as bytes; empty when there is none.
    QString recordPath() const;
    QByteArray recordBytes() const;
    void mark();
    // Files left in the temporary folder the window was given.
    QStringList temporaryFiles() const;

    // Every request line went to http://setup.zephyl/command with each byte outside A-Z a-z 0-9
    // - . _ ~ percent-encoded in upper case, and every request named Host setup.zephyl.
    void verifyWire() const;

private:
    QTemporaryDir dir;
    QByteArray savedHome;
    qsizetype logMark = 0;
    qsizetype journalMark = 0;
};

// Works the window through a list of steps:
//   "click:<button text>", "invoke:<slot>", "ssid:<text>", "password:<text>", "shows-ssid:<text>"
//   (what the SSID field holds), "echo:shown|hidden" (the password field), "pick-charger:<ssid>",
//   "pick-wifi:<ssid>", "tip:<ssid>=<text>" (the scanned network's item has an icon and that
//   tooltip), "answer:Yes|No" (the next question), "option:<text>=0|1", "mark" (forget what
//   happened so far), "close", "later:<ms>:<step>" (that step from a timer, while an operation
//   waits), "once:<status>=<step>" (that step as soon as the status shows), "tray:<ssid>" (the
//   laptop moved to that network outside the program), "enabled:<button>", "disabled:<button>",
//   "enter:<button>|password" (Enter pressed there), "visible:<text>", "hidden:<text>" (a button or
//   option box as the window shows it), "wait:<status>" (until that status was shown),
//   "logged:<entry>" (until the log holds it), "cards:<a>|<b>|<c>|<d>" (the four header cards show
//   these texts), "startup" (until start-up is done; as the first step, what start-up did is kept),
//   "starting" (first step only: act while start-up runs), "records:<row>\n<row>..." (the result
//   record's rows so far, each as its cells after the time joined by "|"), "opened:<url>" (the one
//   URL the desktop was asked to open), "gate:held|lifted" (the laptop's location access is off or
//   on), "logged-end:<text>" (a log entry ends so), "record:blocked|free" (the record file cannot
//   be written, or can again), "table:<cell>|<cell>|<cell>\n..." (the guided run's table).
// Charger faults are in place before the window is built.
void runSteps(MainWindow &window, World &world, const QStringList &steps);

// Adds the columns of an operation table: laptop state (JSON; empty for a laptop with adapter
// "Wi-Fi" on HomeNet and JuiceNet-1A2B in range), netsh faults (JSON object keyed by argument
// prefix), charger faults, steps; then what must come out: charger commands, netsh argument lists
// and statuses in order, and log entries that must appear in this order.
void addOperationColumns();
// Runs the current row against a fresh window and compares every expected column.
void runOperationRow(const QString &scenario = QStringLiteral("default.json"),
                     bool followLaptop = false);

} // namespace testsupport

Q_DECLARE_METATYPE(QList<SimFault>)
