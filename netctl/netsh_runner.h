#pragma once

#include <QString>
#include <QStringList>

namespace common {
class Interruption;
}

// The one place that starts netsh, always with an argument list, never through a shell. On
// Windows it is netsh.exe of the system folder, whose output is decoded in the OEM code page;
// elsewhere it is "netsh" found on PATH, with output in the local 8-bit encoding.
namespace netctl {

struct NetshRun
{
    bool started = false;  // the process could be started
    bool finished = false; // it ended within the time-out
    int exitCode = -1;     // meaningful only when finished
    QString out;           // standard output, decoded as netsh writes it
    QString err;           // standard error, decoded as netsh writes it

    bool succeeded() const { return started && finished && exitCode == 0; }
};

// Runs netsh and waits at most timeoutMs in a local event loop; a process still running then is
// killed. At most maxOutputBytes of each stream are kept; a run that writes more is ended and not
// finished. Nothing is started while `stop` is raised, and raising it ends the wait.
NetshRun runNetsh(const QStringList &arguments, int timeoutMs,
                  const common::Interruption *stop = nullptr);

// Runs netsh for a command whose output nobody reads (it goes to the program's own output) and
// waits for it to exit, at most executeTimeoutMs; a run still going then is killed.
void executeNetsh(const QStringList &arguments, const common::Interruption *stop = nullptr);

constexpr int executeTimeoutMs = 30000;
constexpr qint64 maxOutputBytes = 1024 * 1024;

} // namespace netctl
