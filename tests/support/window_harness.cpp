#include "window_harness.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

namespace testsupport {

IsolatedHome::IsolatedHome()
    : savedHome(qgetenv("HOME")), savedConfigHome(qgetenv("XDG_CONFIG_HOME"))
{
    qputenv("HOME", dir.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/.config")).toLocal8Bit());
}

IsolatedHome::~IsolatedHome()
{
    qputenv("HOME", savedHome);
    qputenv("XDG_CONFIG_HOME", savedConfigHome);
}

QString IsolatedHome::logsFolder() const
{
    return dir.path() + QStringLiteral("/Documents/Zephyl-Logs");
}

QStringList IsolatedHome::logFiles() const
{
    return QDir(logsFolder()).entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name);
}

QString IsolatedHome::logText() const
{
    const QStringList files = logFiles();
    if (files.isEmpty())
        return QString();
    // With same-second runs the later files carry _2, _3 ...; the newest is the longest name.
    QString newest = files.first();
    for (const QString &file : files) {
        if (file.size() > newest.size() || (file.size() == newest.size() && file > newest))
            newest = file;
    }
    QFile log(QDir(logsFolder()).filePath(newest));
    if (!log.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(log.readAll());
}

QStringList IsolatedHome::logEntries() const
{
    return logEntriesOf(logText());
}

QStringList logEntriesOf(const QString &logText)
{
    static const QRegularExpression stamp(
        QStringLiteral(R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] )"));
    QStringList entries;
    for (const QString &line : logText.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = stamp.match(line);
        if (match.hasMatch())
            entries << line.mid(match.capturedLength());
    }
    return entries;
}

QStringList IsolatedHome::statuses() const
{
    QStringList result;
    const QString prefix = QStringLiteral("STATUS: ");
    for (const QString &entry : logEntries()) {
        if (entry.startsWith(prefix))
            result << entry.mid(prefix.size());
    }
    return result;
}

MessageBoxAnswerer::MessageBoxAnswerer(QMessageBox::StandardButton button)
{
    // Polls every 10 ms for at most about 30 s and stops when the answerer goes out of scope, so a
    // box that never comes cannot keep a timer alive or be answered by a later test.
    auto seenFlag = seen;
    auto stillWanted = active;
    auto title = seenTitle;
    auto text = seenText;
    auto poll = std::make_shared<std::function<void(int)>>();
    std::weak_ptr<std::function<void(int)>> weakPoll = poll;
    *poll = [=](int remaining) {
        if (!*stillWanted)
            return;
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box) {
            *seenFlag = true;
            *title = box->windowTitle();
            *text = box->text();
            box->button(button)->click();
            return;
        }
        if (remaining <= 0)
            return;
        if (auto next = weakPoll.lock())
            QTimer::singleShot(10, QCoreApplication::instance(),
                               [next, remaining]() { (*next)(remaining - 1); });
    };
    QTimer::singleShot(0, QCoreApplication::instance(), [poll]() { (*poll)(3000); });
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    *active = false;
}

QPushButton *findButton(QWidget *root, const QString &text)
{
    const QList<QPushButton *> buttons = root->findChildren<QPushButton *>();
    for (QPushButton *button : buttons) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

void clickButton(QWidget *root, const QString &text)
{
    QPushButton *button = findButton(root, text);
    QVERIFY2(button, qPrintable(QStringLiteral("no button ") + text));
    button->click();
}

bool invokeSlot(QWidget *window, const char *slot)
{
    return QMetaObject::invokeMethod(window, slot, Qt::DirectConnection);
}

} // namespace testsupport
