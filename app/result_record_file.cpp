#include "app/result_record_file.h"

#include "app/result_record_format.h"

#include <QFile>

namespace app {

namespace {

// A short write is followed by a write of the rest, which either goes on or fails with the
// reason (the first one stops short without saying why).
bool writeAll(QFile &file, const QByteArray &bytes, QString &error)
{
    for (qint64 written = 0; written < bytes.size();) {
        const qint64 count = file.write(bytes.constData() + written, bytes.size() - written);
        if (count <= 0) {
            error = count < 0 ? file.errorString() : QStringLiteral("the file took no more bytes");
            return false;
        }
        written += count;
    }
    return true;
}

void takeBack(QFile &file, bool existed, qint64 sizeBefore, QString &error)
{
    const bool undone = existed ? file.resize(sizeBefore) : file.remove();
    if (!undone)
        error += QStringLiteral("; the cut-off part could not be taken back (%1)")
                     .arg(file.errorString());
}

} // namespace

bool appendResultRows(const QString &path, const QByteArray &rows, QString &error)
{
    QFile file(path);
    const bool existed = file.exists();
    // Unbuffered: every byte reaches the file in the write that is checked here.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        error = file.errorString();
        return false;
    }
    const qint64 sizeBefore = file.size();
    const QByteArray bytes = (sizeBefore == 0 ? newResultFileHead() : QByteArray()) + rows;
    if (writeAll(file, bytes, error))
        return true;
    takeBack(file, existed, sizeBefore, error);
    return false;
}

} // namespace app
