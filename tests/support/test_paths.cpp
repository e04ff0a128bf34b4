#include "test_paths.h"

#include <QFile>

namespace testsupport {

QString dataFilePath(const QString &relativePath)
{
    return QStringLiteral(ZEPHYL_TEST_DATA_DIR "/") + relativePath;
}

QByteArray readDataFile(const QString &relativePath)
{
    QFile file(dataFilePath(relativePath));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data file %s", qPrintable(file.fileName()));
    return file.readAll();
}

} // namespace testsupport
