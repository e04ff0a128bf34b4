#include "console.h"

namespace netsh_standin {

QByteArray encoded(const QString &text)
{
    return text.toLocal8Bit();
}

QStringList arguments(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

void addInvocation(QJsonObject &) {}

} // namespace netsh_standin
