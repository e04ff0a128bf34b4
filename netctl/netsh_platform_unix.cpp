#include "netctl/netsh_platform.h"

namespace netctl {

// Away from Windows only the stand-in answers: it is found on PATH and writes local 8-bit text.
QString netshProgram()
{
    return QStringLiteral("netsh");
}

QString decodeNetshOutput(const QByteArray &bytes)
{
    return QString::fromLocal8Bit(bytes);
}

} // namespace netctl
