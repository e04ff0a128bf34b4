#include "netctl/netsh_runner.h"

#include <QElapsedTimer>
#include <QProcess>

namespace netctl {

namespace {

const QString netshProgram = QStringLiteral("netsh");

} // namespace

NetshRun runNetsh(const QStringList &arguments, int timeoutMs)
{
    NetshRun run;
    QProcess process;
    process.start(netshProgram, arguments, QIODevice::ReadWrite);
    QElapsedTimer clock;
    clock.start();
    run.started = process.waitForStarted(timeoutMs);
    if (run.started) {
        const int remainingMs = qMax(0, timeoutMs - int(clock.elapsed()));
        run.finished = process.waitForFinished(remainingMs);
        if (run.finished && process.exitStatus() == QProcess::NormalExit)
            run.exitCode = process.exitCode();
        else if (run.finished)
            run.finished = false; // a crash is no answer either
    }
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
    }
    return run;
}

void executeNetsh(const QStringList &arguments)
{
    QProcess::execute(netshProgram, arguments);
}

} // namespace netctl
