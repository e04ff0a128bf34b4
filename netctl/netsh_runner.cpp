#include "netctl/netsh_runner.h"

#include <QElapsedTimer>
#include <QProcess>

namespace netctl {

namespace {

const QString netshProgram = QStringLiteral("netsh");

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

void endIfRunning(QProcess &process)
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
    }
}

} // namespace

NetshRun runNetsh(const QStringList &arguments, int timeoutMs)
{
    NetshRun run;
    QProcess process;
    QByteArray out;
    QByteArray err;
    bool overflowed = false;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, [&]() {
        keepBounded(process, QProcess::StandardOutput, out, overflowed);
    });
    QObject::connect(&process, &QProcess::readyReadStandardError, [&]() {
        keepBounded(process, QProcess::StandardError, err, overflowed);
    });
    process.start(netshProgram, arguments, QIODevice::ReadWrite);
    QElapsedTimer clock;
    clock.start();
    run.started = process.waitForStarted(timeoutMs);
    if (run.started) {
        const int remainingMs = qMax(0, timeoutMs - int(clock.elapsed()));
        run.finished = process.waitForFinished(remainingMs);
        if (run.finished && process.exitStatus() == QProcess::NormalExit && !overflowed)
            run.exitCode = process.exitCode();
        else if (run.finished)
            run.finished = false; // a crash or a flood is no answer either
    }
    endIfRunning(process);
    if (!overflowed) {
        keepBounded(process, QProcess::StandardOutput, out, overflowed);
        keepBounded(process, QProcess::StandardError, err, overflowed);
    }
    process.disconnect();
    run.out = QString::fromLocal8Bit(out);
    run.err = QString::fromLocal8Bit(err);
    return run;
}

void executeNetsh(const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(netshProgram, arguments);
    if (process.waitForStarted(executeTimeoutMs))
        process.waitForFinished(executeTimeoutMs);
    endIfRunning(process);
}

} // namespace netctl
