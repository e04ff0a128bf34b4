#include "demo_script.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace demo {

bool pageFromName(const QString &name, Page &page)
{
    if (name == QLatin1String("connect"))
        page = Page::Connect;
    else if (name == QLatin1String("wifi"))
        page = Page::Wifi;
    else if (name == QLatin1String("cleanup"))
        page = Page::Cleanup;
    else
        return false;
    return true;
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

QListWidget *listBeside(QWidget *root, const QString &buttonText)
{
    QPushButton *button = findButton(root, buttonText);
    if (!button || !button->parentWidget())
        return nullptr;
    return button->parentWidget()->findChild<QListWidget *>();
}

PageScript::PageScript(QWidget *window, Page page, QObject *parent)
    : QObject(parent), window(window), page(page)
{
    poll.setInterval(100);
    connect(&poll, &QTimer::timeout, this, [this]() {
        QWidget *shown = this->window;
        if (shown && ready(shown)) {
            poll.stop();
            // The step may wait again, which replaces `next`.
            const std::function<void()> step = std::move(next);
            step();
        } else if (--pollsLeft <= 0 || !shown) {
            poll.stop();
            fail(failure);
        }
    });
}

void PageScript::start()
{
    // Start-up ends with a status; the controls are disabled until then.
    waitUntil(
        [](QWidget *window) {
            const auto *status = window->findChild<QLabel *>(QStringLiteral("Status"));
            return status && !status->text().isEmpty();
        },
        60, [this]() { run(); }, QStringLiteral("The window did not finish starting up."));
}

void PageScript::waitUntil(std::function<bool(QWidget *)> condition, int seconds,
                           std::function<void()> then, const QString &failureMessage)
{
    ready = std::move(condition);
    next = std::move(then);
    failure = failureMessage;
    pollsLeft = seconds * 10;
    poll.start();
}

bool PageScript::press(const QString &buttonText)
{
    QPushButton *button = window ? findButton(window, buttonText) : nullptr;
    if (!button) {
        fail(QStringLiteral("The window has no button \"%1\".").arg(buttonText));
        return false;
    }
    button->click();
    return true;
}

bool PageScript::joinFirstCharger()
{
    if (!press(QStringLiteral("Find Charger Wi-Fi")))
        return false;
    QListWidget *chargers = listBeside(window, QStringLiteral("Find Charger Wi-Fi"));
    if (!chargers || chargers->count() == 0) {
        fail(QStringLiteral("No charger network was found."));
        return false;
    }
    chargers->setCurrentRow(0);
    return press(QStringLiteral("Connect to Selected")) && press(QStringLiteral("Set Static IP"));
}

void PageScript::run()
{
    if (!window) {
        fail(QStringLiteral("The window is gone."));
        return;
    }
    switch (page) {
    case Page::None:
        emit finished(true, QString());
        return;
    case Page::Connect:
        if (press(QStringLiteral("Find Charger Wi-Fi")))
            emit finished(true, QStringLiteral("Connect page with the chargers in range."));
        return;
    case Page::Wifi: {
        if (!joinFirstCharger() || !press(QStringLiteral("2  Wi-Fi Setup")) ||
            !press(QStringLiteral("Scan Available Wi-Fi (from charger)")))
            return;
        QListWidget *networks =
            listBeside(window, QStringLiteral("Scan Available Wi-Fi (from charger)"));
        if (!networks || networks->count() == 0) {
            fail(QStringLiteral("The charger reported no customer network."));
            return;
        }
        // What a click on the first network does: fill the SSID and move to the password.
        networks->setCurrentRow(0);
        emit networks->itemClicked(networks->item(0));
        const QList<QLineEdit *> edits = window->findChildren<QLineEdit *>();
        for (QLineEdit *edit : edits) {
            if (edit->echoMode() == QLineEdit::Password)
                edit->setText(QStringLiteral("correct horse"));
        }
        emit finished(true, QStringLiteral("Customer Wi-Fi page with the charger's scan."));
        return;
    }
    case Page::Cleanup:
        if (!joinFirstCharger() || !press(QStringLiteral("Open Wi-Fi Step")) ||
            !press(QStringLiteral("2  Clear ECache")) ||
            !press(QStringLiteral("Preview cleanup files")))
            return;
        // The listing arrives asynchronously.
        waitUntil(
            [](QWidget *window) {
                const QListWidget *files =
                    listBeside(window, QStringLiteral("Preview cleanup files"));
                return files && files->count() > 0;
            },
            15,
            [this]() {
                emit finished(true, QStringLiteral("Cleanup page with the previewed files."));
            },
            QStringLiteral("The cleanup preview listed no file."));
        return;
    }
}

void PageScript::fail(const QString &message)
{
    emit finished(false, message);
}

} // namespace demo
