// A stand-in for the Windows "netsh" tool: it answers the wlan and "interface ip" commands the
// way Windows does, against a simulated laptop kept in a JSON state file, and journals every
// invocation. See README.md for the state and journal formats.

#include "console.h"
#include "simulated_laptop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QThread>

#include <cstdio>

using netsh_standin::addInvocation;
using netsh_standin::arguments;
using netsh_standin::encoded;
using netsh_standin::Reply;
using netsh_standin::SimulatedLaptop;

namespace {

void writeTo(FILE *stream, const QString &text)
{
    const QByteArray bytes = encoded(text);
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

QString statePath()
{
    const QString path = qEnvironmentVariable("ZEPHYL_NETSH_STATE");
    return path.isEmpty() ? QStringLiteral("netsh-state.json") : path;
}

QString journalPath(const QString &state)
{
    const QString path = qEnvironmentVariable("ZEPHYL_NETSH_JOURNAL");
    if (!path.isEmpty())
        return path;
    return QFileInfo(state).absoluteDir().filePath(QStringLiteral("netsh-journal.jsonl"));
}

bool isAddProfile(const QStringList &args)
{
    return args.size() >= 3 && args.at(0).toLower() == QStringLiteral("wlan") &&
           args.at(1).toLower() == QStringLiteral("add") &&
           args.at(2).toLower() == QStringLiteral("profile");
}

// One line per invocation, written with a single append so that concurrent runs never
// interleave, and written before the command runs so that a hang still leaves its record.
void appendJournal(const QString &path, const QStringList &args)
{
    QJsonObject entry{{QStringLiteral("argv"), QJsonArray::fromStringList(args)}};
    addInvocation(entry);
    if (isAddProfile(args)) {
        QJsonValue xml = QJsonValue::Null;
        for (const QString &arg : args) {
            if (arg.startsWith(QStringLiteral("filename="), Qt::CaseInsensitive)) {
                QFile file(arg.mid(int(sizeof("filename=")) - 1));
                if (file.open(QIODevice::ReadOnly))
                    xml = QString::fromUtf8(file.readAll());
            }
        }
        entry.insert(QStringLiteral("profileXml"), xml);
    }
    QFile journal(path);
    if (!journal.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        writeTo(stderr, QStringLiteral("netsh stand-in: cannot write journal %1\n").arg(path));
        return;
    }
    journal.write(QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n');
}

bool loadState(const QString &path, QJsonObject &state)
{
    QFile file(path);
    if (!file.exists()) {
        state = SimulatedLaptop::defaultState();
        return true;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        writeTo(stderr, QStringLiteral("netsh stand-in: cannot read %1\n").arg(path));
        return false;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (!doc.isObject()) {
        writeTo(stderr, QStringLiteral("netsh stand-in: %1 is not a JSON object: %2\n")
                            .arg(path, error.errorString()));
        return false;
    }
    state = doc.object();
    return true;
}

bool saveState(const QString &path, const QJsonObject &state)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        writeTo(stderr, QStringLiteral("netsh stand-in: cannot write %1\n").arg(path));
        return false;
    }
    file.write(QJsonDocument(state).toJson(QJsonDocument::Indented));
    return file.commit();
}

// The fault whose key is the longest prefix of the command line, or an empty key.
QString matchingFault(const QJsonObject &faults, const QString &commandLine)
{
    QString best;
    bool found = false;
    for (auto it = faults.begin(); it != faults.end(); ++it) {
        if (commandLine.startsWith(it.key()) && (!found || it.key().size() > best.size())) {
            best = it.key();
            found = true;
        }
    }
    return found ? best : QString();
}

} // namespace

int main(int argc, char *argv[])
{
    const QStringList args = arguments(argc, argv);
    const QString state = statePath();
    appendJournal(journalPath(state), args);

    QJsonObject root;
    if (!loadState(state, root))
        return 2;
    bool mustSave = false;

    const QJsonObject faults = root.value(QStringLiteral("faults")).toObject();
    const QString faultKey = matchingFault(faults, args.join(QLatin1Char(' ')));
    QJsonObject fault;
    if (faults.contains(faultKey)) {
        fault = faults.value(faultKey).toObject();
        if (fault.contains(QStringLiteral("times"))) {
            const int left = fault.value(QStringLiteral("times")).toInt() - 1;
            QJsonObject remaining = faults;
            if (left > 0) {
                QJsonObject updated = fault;
                updated.insert(QStringLiteral("times"), left);
                remaining.insert(faultKey, updated);
            } else {
                remaining.remove(faultKey);
            }
            root.insert(QStringLiteral("faults"), remaining);
            mustSave = true;
        }
    }

    const double hang = fault.value(QStringLiteral("hangSeconds")).toDouble();
    if (hang > 0)
        QThread::msleep(static_cast<unsigned long>(hang * 1000));

    const bool overrides = fault.contains(QStringLiteral("stdout")) ||
                           fault.contains(QStringLiteral("stderr")) ||
                           fault.contains(QStringLiteral("exitCode"));
    Reply reply;
    SimulatedLaptop laptop(root);
    if (!overrides || fault.value(QStringLiteral("apply")).toBool()) {
        reply = laptop.run(args);
        if (laptop.changed()) {
            root = laptop.state();
            mustSave = true;
        }
    }
    if (overrides) {
        reply.out = fault.value(QStringLiteral("stdout")).toString();
        reply.err = fault.value(QStringLiteral("stderr")).toString();
        reply.exitCode = fault.value(QStringLiteral("exitCode")).toInt();
    }
    if (mustSave && !saveState(state, root))
        return 2;

    writeTo(stdout, reply.out);
    writeTo(stderr, reply.err);
    return reply.exitCode;
}
