// zephyl-e2e-layout-probe: builds the product's window at its initial size, laid out but not
// mapped, on the display it is started on, and prints where its controls are, one per line:
//
//   window<TAB>WIDTH<TAB>HEIGHT
//   NAME<TAB>X<TAB>Y          centre of the control, relative to the window's top-left corner
//
// NAME is a button's text ("Find Charger Wi-Fi"), a line edit's placeholder text or else the
// label just above it ("Wi-Fi SSID", "Password"), or a list's card title and a row number
// ("Nearby Charger Wi-Fi/0" to "/2", rows filled with stand-in items here). Controls of the
// Connect and the Customer Wi-Fi pages are listed.
//
// Run on the same display, with the same fonts and Qt as the product binary, the window lays out
// the same, so these points land on the same controls of the product's window. The probe touches
// neither the laptop nor the charger nor the technician's setup log: netsh is not on its PATH,
// charger requests go to a proxy port where nothing listens, and HOME is a folder of its own.
#include "app/mainwindow.h"

#include <QApplication>
#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QNetworkProxy>
#include <QPoint>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int pageConnect = 1;
constexpr int pageCustomerWifi = 3;
constexpr int probedRows = 3;

// The label placed right before `widget` in its parent's box layout, if there is one.
QString labelAbove(QWidget *widget)
{
    QWidget *parent = widget->parentWidget();
    auto *layout = parent ? qobject_cast<QBoxLayout *>(parent->layout()) : nullptr;
    if (!layout)
        return QString();
    const int index = layout->indexOf(widget);
    for (int i = index - 1; i >= 0; --i) {
        if (auto *label = qobject_cast<QLabel *>(layout->itemAt(i)->widget()))
            return label->text();
        if (layout->itemAt(i)->widget())
            break;
    }
    return QString();
}

// A list's card title: the first label of the card that holds it.
QString cardTitle(QWidget *widget)
{
    QWidget *card = widget->parentWidget();
    auto *layout = card ? card->layout() : nullptr;
    if (!layout)
        return QString();
    for (int i = 0; i < layout->count(); ++i) {
        if (auto *label = qobject_cast<QLabel *>(layout->itemAt(i)->widget()))
            return label->text();
    }
    return QString();
}

class Probe
{
public:
    explicit Probe(QWidget *window) : window(window) {}

    void collectVisibleControls()
    {
        for (QPushButton *button : window->findChildren<QPushButton *>()) {
            if (button->isVisibleTo(window))
                add(button->text(), button, button->rect().center());
        }
        for (QLineEdit *edit : window->findChildren<QLineEdit *>()) {
            if (!edit->isVisibleTo(window))
                continue;
            const QString name =
                edit->placeholderText().isEmpty() ? labelAbove(edit) : edit->placeholderText();
            add(name, edit, edit->rect().center());
        }
        for (QListWidget *list : window->findChildren<QListWidget *>()) {
            if (!list->isVisibleTo(window))
                continue;
            const QString title = cardTitle(list);
            for (int row = 0; row < probedRows; ++row)
                list->addItem(QStringLiteral("JuiceNet-%1").arg(row, 4, 10, QLatin1Char('0')));
            for (int row = 0; row < probedRows; ++row) {
                const QRect rect = list->visualItemRect(list->item(row));
                add(title + QLatin1Char('/') + QString::number(row), list->viewport(),
                    rect.center());
            }
            list->clear();
        }
    }

    bool print() const
    {
        if (!conflicts.isEmpty()) {
            for (const QString &name : conflicts)
                std::fprintf(stderr, "layout-probe: \"%s\" sits at two places\n", qPrintable(name));
            return false;
        }
        std::printf("window\t%d\t%d\n", window->width(), window->height());
        for (auto it = points.cbegin(); it != points.cend(); ++it)
            std::printf("%s\t%d\t%d\n", qPrintable(it.key()), it.value().x(), it.value().y());
        std::fflush(stdout);
        return true;
    }

private:
    void add(const QString &name, QWidget *widget, const QPoint &local)
    {
        if (name.isEmpty())
            return;
        const QPoint point = widget->mapTo(window, local);
        const auto found = points.constFind(name);
        if (found != points.cend() && found.value() != point)
            conflicts << name;
        points.insert(name, point);
    }

    QWidget *window;
    QMap<QString, QPoint> points;
    QStringList conflicts;
};

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    if (!home.isValid()) {
        std::fprintf(stderr, "layout-probe: no temporary folder\n");
        return 2;
    }
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral(".config"))));
    qputenv("PATH", QFile::encodeName(home.path()));

    QApplication application(argc, argv);
    QNetworkProxy::setApplicationProxy(
        QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), 1));

    MainWindow window;
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.show();
    settle();

    auto *pages = window.findChild<QStackedWidget *>();
    if (!pages) {
        std::fprintf(stderr, "layout-probe: the window has no page stack\n");
        return 2;
    }
    Probe probe(&window);
    for (int page : {pageConnect, pageCustomerWifi}) {
        pages->setCurrentIndex(page);
        settle();
        probe.collectVisibleControls();
    }
    return probe.print() ? 0 : 3;
}
