#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class QListWidget;
class QPushButton;
class QWidget;

namespace demo {

// The page the demo brings the window to before it is shown to a camera or a smoke test.
enum class Page { None, Connect, Wifi, Cleanup };

bool pageFromName(const QString &name, Page &page);

// The first push button under `root` with exactly this text, hidden ones included.
QPushButton *findButton(QWidget *root, const QString &text);
// The list widget in the same card as the button with this text.
QListWidget *listBeside(QWidget *root, const QString &buttonText);

// Brings the window to a page by pressing its buttons the way a technician would: find the
// chargers, join the first and give the laptop its static address, and then scan the customer
// networks (Wi-Fi page) or switch to Advanced mode and preview the cache files (Cleanup page).
// Emits finished() once the page shows what it should, or with ok false and a reason.
class PageScript : public QObject
{
    Q_OBJECT

public:
    PageScript(QWidget *window, Page page, QObject *parent = nullptr);

    // Runs the steps from the event loop, once the window's start-up reads are done.
    void start();

signals:
    void finished(bool ok, const QString &message);

private:
    // Polls `condition` ten times a second for up to `seconds`; then runs `then`, or fails.
    void waitUntil(std::function<bool(QWidget *)> condition, int seconds,
                   std::function<void()> then, const QString &failureMessage);
    void run();
    bool press(const QString &buttonText);
    bool joinFirstCharger();
    void fail(const QString &message);

    QPointer<QWidget> window;
    Page page;
    QTimer poll;
    int pollsLeft = 0;
    std::function<bool(QWidget *)> ready;
    std::function<void()> next;
    QString failure;
};

} // namespace demo
