#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class QPushButton;
class QWidget;

namespace testsupport {

// A private HOME for one test, so the setup log lands in <tmp>/Documents/Zephyl-Logs.
class IsolatedHome
{
public:
    IsolatedHome();
    ~IsolatedHome();

    QString path() const { return dir.path(); }
    QString logsFolder() const;
    QStringList logFiles() const;
    // The whole text of the newest log, and its entries without their "[time] " stamp.
    QString logText() const;
    QStringList logEntries() const;
    // The status messages in the order they were logged.
    QStringList statuses() const;
    // Remembers how many statuses were logged so far; statusesSinceMark() gives the later ones.
    void markStatuses() { mark = statuses().size(); }
    QStringList statusesSinceMark() const { return statuses().mid(mark); }

private:
    QTemporaryDir dir;
    QByteArray savedHome;
    QByteArray savedConfigHome;
    qsizetype mark = 0;
};

// Answers the next modal message box with `button` as soon as it appears; records what it asked.
class MessageBoxAnswerer
{
public:
    explicit MessageBoxAnswerer(QMessageBox::StandardButton button);
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer &) = delete;
    MessageBoxAnswerer &operator=(const MessageBoxAnswerer &) = delete;
    bool answered() const { return *seen; }
    QString title() const { return *seenTitle; }
    QString text() const { return *seenText; }

private:
    std::shared_ptr<bool> seen = std::make_shared<bool>(false);
    std::shared_ptr<bool> active = std::make_shared<bool>(true);
    std::shared_ptr<QString> seenTitle = std::make_shared<QString>();
    std::shared_ptr<QString> seenText = std::make_shared<QString>();
};

// The entries of a setup log's text without their "[yyyy-MM-dd HH:mm:ss] " stamp; header lines
// are left out.
QStringList logEntriesOf(const QString &logText);

QPushButton *findButton(QWidget *root, const QString &text);
void clickButton(QWidget *root, const QString &text);
// Invokes a slot of the window by name, as a technician's build exposes it.
bool invokeSlot(QWidget *window, const char *slot);

} // namespace testsupport
