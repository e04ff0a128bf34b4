// A stand-in for the Windows "netsh" tool: it answers the wlan and "interface ip" commands the
// way Windows does, against a simulated laptop kept in a JSON state file, and journals every
// invocation. See README.md for the state and journal formats.

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

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <shellapi.h>
#endif

using netsh_standin::Reply;
using netsh_standin::SimulatedLaptop;

namespace {

// netsh writes into a pipe in the console's OEM code page on Windows, which differs from the
// ANSI one; elsewhere the local 8-bit encoding stands in for it.
QByteArray encoded(const QString &text)
{
#ifdef Q_OS_WIN
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int size =
        WideCharToMultiByte(GetOEMCP(), 0, wide, int(text.size()), nullptr, 0, nullptr, nullptr);
    QByteArray bytes(qMax(size, 0), Qt::Uninitialized);
    WideCharToMultiByte(GetOEMCP(), 0, wide, int(text.size()), bytes.data(), size, nullptr,
                        nullptr);
    return bytes;
#else
    return text.toLocal8Bit();
#endif
}

// The arguments after the program name. On Windows they are split from the raw command line by
// the rules netsh itself follows (CommandLineToArgvW), so that a wrongly quoted command line shows.
QStringList arguments(int argc, char *argv[])
{
    QStringList args;
#ifdef Q_OS_WIN
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    int count = 0;
    wchar_t **split = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; split && i < count; ++i)
        args << QString::fromWCharArray(split[i]);
    LocalFree(split);
#else
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
#endif
    return args;
}

// On Windows the journal also keeps which netsh.exe ran and its raw command line.
void addInvocation(QJsonObject &entry)
{
#ifdef Q_OS_WIN
    wchar_t program[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    entry.insert(QStringLiteral("program"), QString::fromWCharArray(program, int(length)));
    entry.insert(QStringLiteral("commandLine"), QString::fromWCharArray(GetCommandLineW()));
#else
    Q_UNUSED(entry);
#endif
}

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
