#include "app/mainwindow.h"
#include "charger_api/apiclient.h"
#include "charger_api/reply_rules.h"
#include "common/local_wait.h"
#include "maintenance/maintenance_rules.h"

#include <QListWidget>
#include <QMessageBox>

namespace {

constexpr int cleanupTimeoutMs = 6000;
constexpr int listingRetryPauseMs = 400;

} // namespace

bool MainWindow::askYesNo(const QString &title, const QString &question)
{
    return QMessageBox::question(this, title, question, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void MainWindow::onApiResult(const QString &command, bool ok, const QString &response)
{
    appendLog(QStringLiteral("ASYNC %1 -> ok=%2 response=%3")
                  .arg(command, charger_api::boolDigit(ok), redactSecrets(response)));
    if (command == charger_api::fileListCommand())
        showCleanupPreview(response);
}

void MainWindow::onPreviewCleanup()
{
    const Operation operation(this, QStringLiteral("Preview cleanup files"));
    if (operation.refused())
        return;
    setStatus(QStringLiteral("Loading cleanup candidates..."));
    api->requestFileList();
}

void MainWindow::showCleanupPreview(const QString &listing)
{
    cleanupCandidates = maintenance::cleanupFileNames(listing);
    cleanupList->clear();
    cleanupList->addItems(cleanupCandidates);
    if (!cleanupCandidates.isEmpty()) {
        setStatus(
            QStringLiteral("Preview found %1 cleanup file(s).").arg(cleanupCandidates.size()));
    } else {
        setStatus(QStringLiteral("No ECache/EEvents files found (nothing to delete)."));
        appendLog(QStringLiteral("Cleanup preview: no matching files found."));
    }
}

void MainWindow::onDeleteCleanup()
{
    const Operation operation(this, QStringLiteral("Delete previewed files"));
    if (operation.refused())
        return;
    if (cleanupCandidates.isEmpty()) {
        setStatus(QStringLiteral("Run preview first."));
        return;
    }
    if (!askYesNo(QStringLiteral("Confirm cleanup"),
                  QStringLiteral("Delete %1 file(s)?").arg(cleanupCandidates.size())))
        return;

    setStatus(QStringLiteral("Deleting cleanup files..."));
    if (cleanupDeviceFiles()) {
        refreshDeviceInfo();
        api->requestFileList();
        setStatus(QStringLiteral("Cleanup complete. Refreshed file list."));
    } else {
        setStatus(QStringLiteral("Cleanup failed."));
    }
}

bool MainWindow::cleanupDeviceFiles()
{
    const QString listCommand = charger_api::fileListCommand();
    QString listing;
    bool listed = api->sendCommand(listCommand, listing, cleanupTimeoutMs);
    if (!listed || listing.trimmed().isEmpty()) {
        common::waitLocally(listingRetryPauseMs, interruption);
        listed = api->sendCommand(listCommand, listing, cleanupTimeoutMs);
    }
    if (!listed) {
        appendLog(QStringLiteral("CMD ls -v failed"));
        return false;
    }

    const QStringList names = maintenance::cleanupFileNames(listing);
    if (names.isEmpty()) {
        appendLog(QStringLiteral("Cleanup: no ECache/EEvents files found."));
        cleanupList->clear();
        return true;
    }

    for (const QString &name : names) {
        const QString command = maintenance::deleteFileCommand(name);
        appendLog(QStringLiteral("CMD ") + command);
        QString reply;
        if (!api->postCommand(command, reply, cleanupTimeoutMs, 0)) {
            appendLog(QStringLiteral("CMD fde failed for ") + name + QStringLiteral(" response=") +
                      redactSecrets(reply.trimmed()));
            return false;
        }
    }

    QString saveReply;
    api->sendCommand(QStringLiteral("save"), saveReply, cleanupTimeoutMs);
    appendLog(QStringLiteral("CMD save after cleanup -> ") + redactSecrets(saveReply.trimmed()));

    cleanupList->clear();
    cleanupList->addItems(names);
    return true;
}
