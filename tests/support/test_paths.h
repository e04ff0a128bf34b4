#pragma once

#include <QFile>
#include <QString>

namespace testsupport {

inline QString dataFilePath(const QString &relativePath)
{
    return QStringLiteral(ZEPHYL_TEST_DATA_DIR "/") + relativePath;
}

// A file under tests/data/, read byte for byte.
inline QByteArray readDataFile(const QString &relativePath)
{
    QFile file(dataFilePath(relativePath));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data file %s", qPrintable(file.fileName()));
    return file.readAll();
}

} // namespace testsupport
