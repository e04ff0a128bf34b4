#include "console.h"

#include <qt_windows.h>

#include <shellapi.h>

namespace netsh_standin {

QByteArray encoded(const QString &text)
{
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int size =
        WideCharToMultiByte(GetOEMCP(), 0, wide, int(text.size()), nullptr, 0, nullptr, nullptr);
    QByteArray bytes(qMax(size, 0), Qt::Uninitialized);
    WideCharToMultiByte(GetOEMCP(), 0, wide, int(text.size()), bytes.data(), size, nullptr,
                        nullptr);
    return bytes;
}

QStringList arguments(int, char *[])
{
    QStringList args;
    int count = 0;
    wchar_t **split = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; split && i < count; ++i)
        args << QString::fromWCharArray(split[i]);
    LocalFree(split);
    return args;
}

void addInvocation(QJsonObject &entry)
{
    wchar_t program[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    entry.insert(QStringLiteral("program"), QString::fromWCharArray(program, int(length)));
    entry.insert(QStringLiteral("commandLine"), QString::fromWCharArray(GetCommandLineW()));
}

} // namespace netsh_standin
