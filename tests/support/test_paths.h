#pragma once

#include <QByteArray>
#include <QString>

namespace testsupport {

// A file under tests/data/, read byte for byte.
QByteArray readDataFile(const QString &relativePath);
QString dataFilePath(const QString &relativePath);
// A file of the shared material beside the project (netsh samples, the profile schema).
QString sharedFilePath(const QString &relativePath);

} // namespace testsupport
