#include "netctl/netsh_runner.h"

#include "common/local_wait.h"
#include "netctl/netsh_platform.h"

#include <QProcess>

namespace netctl {

namespace {

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
              const common::Interruption *stop)
{
    process.start(netshProgram(), arguments, QIODevice::ReadWrite);
    // A program that cannot be found fails inside start(), before anything could be waited for.
    if (process.state() == QProcess::NotRunning)
        return;
    common::waitLocally(timeoutMs, stop, [&process](QEventLoop &loop) {
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    });
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
    }
}

} // namespace

NetshRun runNetsh(const QStringList &arguments, int timeoutMs, const common::Interruption *stop)
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
    run.out = decodeNetshOutput(out);
    run.err = decodeNetshOutput(err);
    return run;
}

void executeNetsh(const QStringList &arguments, const common::Interruption *stop)
{
    if (stop && stop->isRaised())
        return;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    runToEnd(process, arguments, executeTimeoutMs, stop);
}

} // namespace netctl
