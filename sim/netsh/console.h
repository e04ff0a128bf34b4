#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// How the stand-in meets its caller, which differs on Windows; the build picks console_win.cpp
// or console_unix.cpp.
namespace netsh_standin {

// Text as netsh writes it into a pipe: in the console's OEM code page on Windows, which differs
// from the ANSI one; elsewhere the local 8-bit encoding stands in for it.
QByteArray encoded(const QString &text);

// The arguments after the program name. On Windows they are split from the raw command line by
// the rules netsh itself follows (CommandLineToArgvW), so that a wrongly quoted command line shows.
QStringList arguments(int argc, char *argv[]);

// On Windows the journal also keeps which netsh.exe ran and its raw command line.
void addInvocation(QJsonObject &entry);

} // namespace netsh_standin
