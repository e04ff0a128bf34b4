// zephyl-charger-sim: the charger simulator as a stand-alone HTTP server.
#include "charger_simulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

QByteArray journalLine(const SimRequest &request)
{
    const QJsonObject line{
        {QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)},
        {QStringLiteral("method"), QString::fromLatin1(request.method)},
        {QStringLiteral("path"), QString::fromLatin1(request.path)},
        {QStringLiteral("host"), QString::fromLatin1(request.host)},
        {QStringLiteral("command"), request.command},
        {QStringLiteral("body"), QString::fromUtf8(request.body)},
        {QStringLiteral("charger"), request.charger},
    };
    return QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zephyl-charger-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Answers charger commands over HTTP as a charger on its setup network."));
    parser.addHelpOption();
    const QCommandLineOption listenOption(QStringLiteral("listen"),
                                          QStringLiteral("Address and port to listen on."),
                                          QStringLiteral("ADDR:PORT"));
    const QCommandLineOption scenarioOption(
        QStringLiteral("scenario"), QStringLiteral("Scenario JSON file."), QStringLiteral("FILE"));
    const QCommandLineOption netshStateOption(
        QStringLiteral("netsh-state"),
        QStringLiteral("State file of the netsh stand-in; only the charger whose setup network "
                       "the laptop is joined to answers."),
        QStringLiteral("FILE"));
    const QCommandLineOption journalOption(
        QStringLiteral("journal"), QStringLiteral("Append every request as a JSON line to FILE."),
        QStringLiteral("FILE"));
    parser.addOptions({listenOption, scenarioOption, netshStateOption, journalOption});
    parser.process(app);

    const QString listen = parser.value(listenOption);
    const qsizetype colon = listen.lastIndexOf(QLatin1Char(':'));
    bool portOk = false;
    const uint port = colon < 0 ? 0 : listen.mid(colon + 1).toUInt(&portOk);
    const QHostAddress address(colon < 0 ? QString() : listen.left(colon));
    if (!portOk || port > 65535 || address.isNull()) {
        std::fprintf(stderr, "zephyl-charger-sim: --listen needs ADDR:PORT, e.g. 127.0.0.1:8080\n");
        return 2;
    }

    ChargerSimulator simulator;
    if (parser.isSet(scenarioOption)) {
        QString error;
        if (!simulator.loadScenarioFile(parser.value(scenarioOption), &error)) {
            std::fprintf(stderr, "zephyl-charger-sim: %s\n", qPrintable(error));
            return 2;
        }
    }
    if (parser.isSet(netshStateOption)) {
        const QString statePath = parser.value(netshStateOption);
        simulator.setActiveChargerSelector(
            [statePath] { return chargersim::connectedSsidFromNetshState(statePath); });
    }

    QFile journal;
    if (parser.isSet(journalOption)) {
        journal.setFileName(parser.value(journalOption));
        if (!journal.open(QIODevice::WriteOnly | QIODevice::Append)) {
            std::fprintf(stderr, "zephyl-charger-sim: cannot write %s\n",
                         qPrintable(journal.fileName()));
            return 2;
        }
        QObject::connect(&simulator, &ChargerSimulator::requestReceived, &simulator,
                         [&journal](const SimRequest &request) {
                             journal.write(journalLine(request));
                             journal.flush();
                         });
    }

    if (!simulator.listen(address, quint16(port))) {
        std::fprintf(stderr, "zephyl-charger-sim: cannot listen on %s\n", qPrintable(listen));
        return 1;
    }
    std::printf("zephyl-charger-sim listening on %s:%u\n",
                qPrintable(simulator.address().toString()), unsigned(simulator.port()));
    std::fflush(stdout);
    return app.exec();
}
