#pragma once

#include <QString>
#include <QStringList>

// The one place that starts netsh. It is found on PATH and always run with an argument list,
// never through a shell.
namespace netctl {

struct NetshRun
{
    bool started = false;  // the process could be started
    bool finished = false; // it ended within the time-out
    int exitCode = -1;     // meaningful only when finished
    QString out;           // standard output, local 8-bit code page
    QString err;           // standard error, local 8-bit code page

    bool succeeded() const { return started && finished && exitCode == 0; }
};

// Runs netsh and waits at most timeoutMs; a process still running then is killed.
NetshRun runNetsh(const QStringList &arguments, int timeoutMs);

// Runs netsh and blocks until it exits; the output is not captured.
void executeNetsh(const QStringList &arguments);

} // namespace netctl
