#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// Text rules of the setup log: file names, header and entry lines.
namespace app {

// "Zephyl_WiFi_Setup_yyyyMMdd_HHmmss.log" for sequence 1, "..._<n>.log" for later ones, so that a
// second run started in the same second never overwrites the first run's log.
QString logFileName(const QDateTime &startedAt, int sequence);

// The header lines written once after the log is opened (the last one is empty).
QStringList logHeaderLines(const QDateTime &startedAt);

// "[yyyy-MM-dd HH:mm:ss] text"; the text is taken as it is (mask it first).
QString formatLogLine(const QDateTime &at, const QString &text);

} // namespace app
