// zephyl-e2e-driver CHARGER_SSID CUSTOMER_SSID PASSWORD
//
// Not the product binary: the product's program entry (an application and one MainWindow, shown)
// followed by what a technician does in the window, by button text, and then the window's close.
// The end-to-end tests use it for the Wi-Fi workflow, which the unmodified binary offers no way
// to drive from outside. Everything below the window (fixed host name, port 80, netsh on PATH,
// Documents under HOME) is the same as for the product binary.
#include "app/mainwindow.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <cstdio>

namespace {

int failures = 0;

void say(const QString &text)
{
    std::printf("driver: %s\n", qPrintable(text));
    std::fflush(stdout);
}

void fail(const QString &text)
{
    ++failures;
    std::fprintf(stderr, "driver: %s\n", qPrintable(text));
}

QPushButton *button(QWidget *root, const QString &text)
{
    const QList<QPushButton *> buttons = root->findChildren<QPushButton *>();
    for (QPushButton *candidate : buttons) {
        if (candidate->text() == text)
            return candidate;
    }
    return nullptr;
}

QString statusText(QWidget *root)
{
    auto *status = root->findChild<QLabel *>(QStringLiteral("Status"));
    return status ? status->text() : QString();
}

bool press(QWidget *root, const QString &text)
{
    QPushButton *target = button(root, text);
    if (!target) {
        fail(QStringLiteral("no button \"%1\"").arg(text));
        return false;
    }
    QTest::mouseClick(target, Qt::LeftButton);
    say(QStringLiteral("pressed \"%1\" -> %2").arg(text, statusText(root)));
    return true;
}

// The list widget in the same card as the button with this text.
QListWidget *listBeside(QWidget *root, const QString &buttonText)
{
    QPushButton *target = button(root, buttonText);
    return target && target->parentWidget() ? target->parentWidget()->findChild<QListWidget *>()
                                            : nullptr;
}

QListWidgetItem *itemWithText(QListWidget *list, const QString &text)
{
    if (!list)
        return nullptr;
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->text() == text)
            return list->item(row);
    }
    return nullptr;
}

void runWorkflow(QWidget *window, const QString &charger, const QString &customer,
                 const QString &password)
{
    if (!press(window, QStringLiteral("Find Charger Wi-Fi")))
        return;
    QListWidget *chargers = listBeside(window, QStringLiteral("Find Charger Wi-Fi"));
    QListWidgetItem *chargerItem = itemWithText(chargers, charger);
    if (!chargerItem) {
        fail(QStringLiteral("charger network %1 not listed").arg(charger));
        return;
    }
    chargers->setCurrentItem(chargerItem);
    if (!press(window, QStringLiteral("Connect to Selected")) ||
        !press(window, QStringLiteral("Set Static IP")) ||
        !press(window, QStringLiteral("2  Wi-Fi Setup")) ||
        !press(window, QStringLiteral("Scan Available Wi-Fi (from charger)")))
        return;

    QListWidget *networks =
        listBeside(window, QStringLiteral("Scan Available Wi-Fi (from charger)"));
    QListWidgetItem *networkItem = itemWithText(networks, customer);
    if (!networkItem) {
        fail(QStringLiteral("customer network %1 not listed").arg(customer));
        return;
    }
    QTest::mouseClick(networks->viewport(), Qt::LeftButton, Qt::NoModifier,
                      networks->visualItemRect(networkItem).center());
    say(QStringLiteral("clicked network %1 -> %2").arg(customer, statusText(window)));

    QLineEdit *passwordEdit = nullptr;
    const QList<QLineEdit *> edits = window->findChildren<QLineEdit *>();
    for (QLineEdit *edit : edits) {
        if (edit->echoMode() == QLineEdit::Password)
            passwordEdit = edit;
    }
    if (!passwordEdit) {
        fail(QStringLiteral("no password field"));
        return;
    }
    QTest::keyClicks(passwordEdit, password);
    press(window, QStringLiteral("Set Wi-Fi + Reboot Charger"));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4) {
        std::fprintf(stderr, "usage: zephyl-e2e-driver CHARGER_SSID CUSTOMER_SSID PASSWORD\n");
        return 2;
    }

    MainWindow window;
    window.show();
    say(QStringLiteral("window ready -> ") + statusText(&window));

    QTimer::singleShot(0, &window, [&]() {
        runWorkflow(&window, arguments.at(1), arguments.at(2), arguments.at(3));
        say(QStringLiteral("closing the window"));
        window.close();
    });
    const int result = application.exec();
    return failures > 0 ? 3 : result;
}
