#include "app/mainwindow.h"
#include "app/setup_log_format.h"
#include "common/redaction.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTextStream>

namespace {

// Tries the stamp's plain name first, then _2, _3 ...; NewOnly never truncates an earlier log.
bool openFreshLogFile(QFile &file, const QDir &folder, const QDateTime &startedAt)
{
    constexpr int maxSequence = 1000;
    for (int sequence = 1; sequence <= maxSequence; ++sequence) {
        file.setFileName(folder.filePath(app::logFileName(startedAt, sequence)));
        if (file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::NewOnly))
            return true;
        if (!file.exists())
            return false;
    }
    return false;
}

} // namespace

// The setup logs and the result record live here.
QString MainWindow::logFolder() const
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (base.isEmpty())
        base = QCoreApplication::applicationDirPath();
    return QDir(base).filePath(QStringLiteral("Zephyl-Logs"));
}

void MainWindow::openSetupLog()
{
    const QDir folder(logFolder());
    QDir().mkpath(folder.path());

    const QDateTime startedAt = QDateTime::currentDateTime();
    const bool opened = openFreshLogFile(logFile, folder, startedAt);
    logFilePath = logFile.fileName();
    if (!opened)
        return;

    QTextStream out(&logFile);
    for (const QString &line : app::logHeaderLines(startedAt))
        out << line << '\n';
    out.flush();
}

void MainWindow::appendLog(const QString &text)
{
    if (!logFile.isOpen())
        return;
    QTextStream out(&logFile);
    out << app::formatLogLine(QDateTime::currentDateTime(), redactSecrets(text)) << '\n';
    out.flush();
}

QString MainWindow::redactSecrets(QString text) const
{
    return common::redactSecrets(text, secretsToMask());
}

// The one list that both the log and the result record mask.
QStringList MainWindow::secretsToMask() const
{
    return secretsInUse + QStringList{passwordEdit->text()};
}

void MainWindow::rememberSecret(const QString &secret)
{
    if (!secret.isEmpty() && !secretsInUse.contains(secret))
        secretsInUse << secret;
}

void MainWindow::setStatus(const QString &text)
{
    statusLabel->setText(text);
    appendLog(QStringLiteral("STATUS: ") + text);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
