#pragma once

#include <QByteArray>
#include <QString>

// How netsh is found and how its output is read differ between Windows and the stand-in's
// platforms; the build picks netsh_platform_win.cpp or netsh_platform_unix.cpp.
namespace netctl {

// The program the runner starts; empty when it cannot be told, and then nothing is started.
QString netshProgram();

// netsh's output bytes as text, in the encoding netsh writes into a pipe.
QString decodeNetshOutput(const QByteArray &bytes);

} // namespace netctl
