#include "netctl/netsh_runner.h"

#include "app/local_wait.h"

#include <QProcess>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace netctl {

namespace {

// The program runs elevated, and Windows looks for a program named without a path in the
// program's own folder and the current folder before the system folder: a netsh.exe left in a
// download folder would run with administrator rights. So on Windows only the system folder's
// netsh.exe is run; when that folder cannot be told, nothing is.
QString netshProgram()
{
#ifdef Q_OS_WIN
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return QString();
    return QString::fromWCharArray(folder, int(length)) + QStringLiteral("\\netsh.exe");
#else
    return QStringLiteral("netsh");
#endif
}

// A console program writes into a pipe in the console's OEM code page (437 or 850, say), not in
// the ANSI code page that fromLocal8Bit reads; "Café" would come back under another name.
QString decodeOutput(const QByteArray &bytes)
{
#ifdef Q_OS_WIN
    const UINT codePage = GetOEMCP();
    const int size =
        MultiByteToWideChar(codePage, 0, bytes.constData(), int(bytes.size()), nullptr, 0);
    if (size <= 0)
        return QString();
    QString text(size, Qt::Uninitialized);
    MultiByteToWideChar(codePage, 0, bytes.constData(), int(bytes.size()),
                        reinterpret_cast<wchar_t *>(text.data()), size);
    return text;
#else
    return QString::fromLocal8Bit(bytes);
#endif
}

// Keeps what a stream writes as it arrives, up to the limit; past it the run is ended.
void keepBounded(QProcess &process, QProcess::ProcessChannel channel, QByteArray &kept,
                 bool &overflowed)
{
    process.setReadChannel(channel);
    kept.append(process.readAll());
    if (kept.size() > maxOutputBytes) {
        kept.truncate(maxOutputBytes);
        overflowed = true;
        process.kill();
    }
}

// Starts netsh and waits in a local event loop until it ends, fails to start, runs out of time
// or is interrupted; a process still running then is killed.
void runToEnd(QProcess &process, const QStringList &arguments, int timeoutMs,
              const app::Interruption *stop)
{
    process.start(netshProgram(), arguments, QIODevice::ReadWrite);
    // A program that cannot be found fails inside start(), before anything could be waited for.
    if (process.state() == QProcess::NotRunning)
        return;
    app::waitLocally(timeoutMs, stop, [&process](QEventLoop &loop) {
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    });
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
    }
}

} // namespace

NetshRun runNetsh(const QStringList &arguments, int timeoutMs, const app::Interruption *stop)
{
    NetshRun run;
    if (stop && stop->isRaised())
        return run;
    QProcess process;
    QByteArray out;
    QByteArray err;
    bool overflowed = false;
    bool crashedOrKilled = false;
    QObject::connect(&process, &QProcess::readyReadStandardOutput,
                     [&]() { keepBounded(process, QProcess::StandardOutput, out, overflowed); });
    QObject::connect(&process, &QProcess::readyReadStandardError,
                     [&]() { keepBounded(process, QProcess::StandardError, err, overflowed); });
    QObject::connect(&process, &QProcess::finished, [&](int, QProcess::ExitStatus status) {
        if (!run.finished)
            run.finished = status == QProcess::NormalExit;
        crashedOrKilled = status != QProcess::NormalExit;
    });
    QObject::connect(&process, &QProcess::started, [&run]() { run.started = true; });
    runToEnd(process, arguments, timeoutMs, stop);
    // A run killed at its time-out or for a flood of output is no answer either.
    if (crashedOrKilled || overflowed)
        run.finished = false;
    if (run.finished)
        run.exitCode = process.exitCode();
    if (!overflowed) {
        keepBounded(process, QProcess::StandardOutput, out, overflowed);
        keepBounded(process, QProcess::StandardError, err, overflowed);
    }
    process.disconnect();
    run.out = decodeOutput(out);
    run.err = decodeOutput(err);
    return run;
}

void executeNetsh(const QStringList &arguments, const app::Interruption *stop)
{
    if (stop && stop->isRaised())
        return;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    runToEnd(process, arguments, executeTimeoutMs, stop);
}

} // namespace netctl
