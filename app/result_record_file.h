#pragma once

#include <QByteArray>
#include <QString>

namespace app {

// Appends rows (whole CSV lines) to the record file at `path`, whole or not at all: a new or
// empty file gets its byte-order mark and header in the same write as the rows. After a
// failure the file ends where it ended before (a file this call created is removed again) and
// `error` names the reason.
bool appendResultRows(const QString &path, const QByteArray &rows, QString &error);

} // namespace app
