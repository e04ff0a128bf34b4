#include "netctl/netsh_platform.h"

#include <qt_windows.h>

namespace netctl {

// The program runs elevated, and Windows looks for a program named without a path in the
// program's own folder and the current folder before the system folder: a netsh.exe left in a
// download folder would run with administrator rights. So only the system folder's netsh.exe is
// run; when that folder cannot be told, nothing is.
QString netshProgram()
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return QString();
    return QString::fromWCharArray(folder, int(length)) + QStringLiteral("\\netsh.exe");
}

// A console program writes into a pipe in the console's OEM code page (437 or 850, say), not in
// the ANSI code page that fromLocal8Bit reads; "Café" would come back under another name.
QString decodeNetshOutput(const QByteArray &bytes)
{
    const UINT codePage = GetOEMCP();
    const int size =
        MultiByteToWideChar(codePage, 0, bytes.constData(), int(bytes.size()), nullptr, 0);
    if (size <= 0)
        return QString();
    QString text(size, Qt::Uninitialized);
    MultiByteToWideChar(codePage, 0, bytes.constData(), int(bytes.size()),
                        reinterpret_cast<wchar_t *>(text.data()), size);
    return text;
}

} // namespace netctl
