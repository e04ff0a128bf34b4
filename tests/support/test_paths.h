#pragma once

#include <QByteArray>
#include <QString>

namespace testsupport {

// A file under tests/data/, read byte for byte.
QByteArray readDataFile(const QString &relativePath);
QString dataFilePath(const QString &relativePath);

} // namespace testsupport
