#include "demo_panel.h"

#include "charger_simulator.h"
#include "demo_environment.h"
#include "demo_script.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace demo {

namespace {

// The product creates the guided-run options without a parent; they are found by their text.
QCheckBox *productOption(const QString &text, const QWidget *panel)
{
    const QList<QWidget *> widgets = QApplication::allWidgets();
    for (QWidget *widget : widgets) {
        auto *box = qobject_cast<QCheckBox *>(widget);
        if (box && box->text() == text && box != panel && !panel->isAncestorOf(box))
            return box;
    }
    return nullptr;
}

QPlainTextEdit *makeLogView()
{
    auto *view = new QPlainTextEdit();
    view->setReadOnly(true);
    view->setMaximumBlockCount(2000);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setMinimumHeight(140);
    return view;
}

} // namespace

QString maskedCommand(const QString &command)
{
    const QString passkeySet = QStringLiteral("set wlan.passkey");
    if (command.startsWith(passkeySet))
        return passkeySet + QStringLiteral(" [hidden]");
    if (command.startsWith(QStringLiteral("network_verify "))) {
        QStringList words = command.split(QLatin1Char(' '));
        // network_verify wifi <ssid> <bssid> <channel> <code> <key>: the key is last.
        if (words.size() >= 7)
            words.last() = QStringLiteral("[hidden]");
        return words.join(QLatin1Char(' '));
    }
    return command;
}

DemoPanel::DemoPanel(QWidget *productWindow, ChargerSimulator *simulator, const QString &demoFolder,
                     QWidget *parent)
    : QWidget(parent), productWindow(productWindow), demoFolder(demoFolder)
{
    setWindowTitle(QStringLiteral("Demo controls"));
    resize(520, 760);

    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(QStringLiteral(
        "Simulated laptop and chargers. These buttons reach what the technician's build does "
        "not offer in its window."));
    intro->setWordWrap(true);
    layout->addWidget(intro);

    laptopLabel = new QLabel();
    layout->addWidget(laptopLabel);

    auto *guided = new QPushButton(QStringLiteral("Run guided setup"));
    guided->setToolTip(QStringLiteral("Uses the SSID and password of the Customer Wi-Fi page."));
    connect(guided, &QPushButton::clicked, this,
            [this]() { invokeProductSlot("onStartGuidedSetup", QStringLiteral("Guided setup")); });
    auto *firmware = new QPushButton(QStringLiteral("Trigger firmware update"));
    connect(firmware, &QPushButton::clicked, this,
            [this]() { invokeProductSlot("onTriggerUpdate", QStringLiteral("Firmware update")); });
    auto *advanced = new QPushButton(QStringLiteral("Open advanced mode"));
    advanced->setToolTip(QStringLiteral("Presses the window's \"Open Wi-Fi Step\" button: the "
                                        "cleanup step and the options appear."));
    connect(advanced, &QPushButton::clicked, this, &DemoPanel::openAdvancedMode);
    layout->addWidget(guided);
    layout->addWidget(firmware);
    layout->addWidget(advanced);

    auto *options =
        new QGroupBox(QStringLiteral("Guided-run options (the window's hidden ones)"), this);
    auto *optionsLayout = new QVBoxLayout(options);
    const QStringList optionTexts{
        QStringLiteral("Get info (SSID/Passkey/UUID)"), QStringLiteral("Clear ECache & EEvents"),
        QStringLiteral("Configure Wi-Fi credentials"), QStringLiteral("Firmware update")};
    for (const QString &text : optionTexts) {
        // "&&" shows the ampersand instead of making a shortcut of the next letter.
        auto *mirror =
            new QCheckBox(QString(text).replace(QLatin1Char('&'), QStringLiteral("&&")), options);
        optionsLayout->addWidget(mirror);
        optionMirrors.append({mirror, QPointer<QCheckBox>(productOption(text, this))});
    }
    layout->addWidget(options);
    mirrorOptions();

    auto *locationOff = new QCheckBox(QStringLiteral("Laptop's location access off"));
    locationOff->setToolTip(QStringLiteral("Windows 11 then withholds Wi-Fi information: netsh "
                                           "prints its location notice. Press the window's "
                                           "Try Again after turning it back on."));
    connect(locationOff, &QCheckBox::toggled, this, &DemoPanel::setLocationAccessOff);
    layout->addWidget(locationOff);

    panelStatus = new QLabel();
    panelStatus->setWordWrap(true);
    layout->addWidget(panelStatus);

    layout->addWidget(new QLabel(QStringLiteral("netsh commands (stand-in laptop)")));
    netshView = makeLogView();
    layout->addWidget(netshView, 1);
    layout->addWidget(new QLabel(QStringLiteral("Charger requests")));
    chargerView = makeLogView();
    layout->addWidget(chargerView, 1);

    if (simulator)
        connect(simulator, &ChargerSimulator::requestReceived, this,
                &DemoPanel::showChargerRequest);

    laptopPoll.setInterval(500);
    connect(&laptopPoll, &QTimer::timeout, this, &DemoPanel::refreshLaptop);
    laptopPoll.start();
    refreshLaptop();
}

void DemoPanel::invokeProductSlot(const char *slot, const QString &what)
{
    if (!productWindow) {
        panelStatus->setText(QStringLiteral("The window is closed."));
        return;
    }
    // Queued, so this button's click returns before the long operation starts.
    const bool invoked = QMetaObject::invokeMethod(productWindow, slot, Qt::QueuedConnection);
    panelStatus->setText(
        invoked ? what + QStringLiteral(" started; see the window's status line.")
                : QStringLiteral("The window has no slot %1.").arg(QString::fromLatin1(slot)));
}

void DemoPanel::openAdvancedMode()
{
    QPushButton *button =
        productWindow ? findButton(productWindow, QStringLiteral("Open Wi-Fi Step")) : nullptr;
    if (!button) {
        panelStatus->setText(QStringLiteral("The window has no \"Open Wi-Fi Step\" button."));
        return;
    }
    button->click();
    panelStatus->setText(QStringLiteral("Advanced mode: step \"2  Clear ECache\" is shown."));
}

void DemoPanel::mirrorOptions()
{
    for (const auto &[mirror, product] : optionMirrors) {
        if (!product) {
            mirror->setEnabled(false);
            mirror->setToolTip(QStringLiteral("Not found in the window."));
            continue;
        }
        mirror->setChecked(product->isChecked());
        QCheckBox *source = product;
        connect(source, &QCheckBox::toggled, mirror, &QCheckBox::setChecked);
        connect(mirror, &QCheckBox::toggled, source, [source](bool checked) {
            if (source->isChecked() != checked)
                source->setChecked(checked);
        });
    }
}

void DemoPanel::setLocationAccessOff(bool off)
{
    QFile file(statePath(demoFolder));
    QJsonObject state;
    if (file.open(QIODevice::ReadOnly))
        state = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    state.insert(QStringLiteral("locationGate"), off);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(QJsonDocument(state).toJson()) < 0)
        panelStatus->setText(QStringLiteral("The laptop's state could not be written."));
}

void DemoPanel::showChargerRequest(const SimRequest &request)
{
    const QString charger =
        request.charger.isEmpty() ? QStringLiteral("(no charger reachable)") : request.charger;
    chargerView->appendPlainText(
        QStringLiteral("%1  %2  %3")
            .arg(charger, QString::fromLatin1(request.method), maskedCommand(request.command)));
}

void DemoPanel::refreshLaptop()
{
    QFile state(statePath(demoFolder));
    if (state.open(QIODevice::ReadOnly)) {
        const QJsonArray interfaces = QJsonDocument::fromJson(state.readAll())
                                          .object()
                                          .value(QStringLiteral("interfaces"))
                                          .toArray();
        const QJsonObject first =
            interfaces.isEmpty() ? QJsonObject() : interfaces.first().toObject();
        const QString ssid = first.value(QStringLiteral("connectedSsid")).toString();
        const QString address = first.value(QStringLiteral("address")).toString();
        laptopLabel->setText(QStringLiteral("Laptop: %1 on %2, address %3")
                                 .arg(first.value(QStringLiteral("name")).toString(),
                                      ssid.isEmpty() ? QStringLiteral("no network") : ssid,
                                      address.isEmpty() ? QStringLiteral("none") : address));
    }

    QFile journal(journalPath(demoFolder));
    if (!journal.open(QIODevice::ReadOnly) || journal.size() <= netshJournalOffset)
        return;
    journal.seek(netshJournalOffset);
    const QByteArray fresh = journal.readAll();
    const qsizetype complete = fresh.lastIndexOf('\n') + 1;
    netshJournalOffset += complete;
    for (const QByteArray &line : fresh.left(complete).split('\n')) {
        const QJsonArray argv =
            QJsonDocument::fromJson(line).object().value(QStringLiteral("argv")).toArray();
        if (argv.isEmpty())
            continue;
        QStringList words;
        for (const QJsonValue &word : argv)
            words << word.toString();
        netshView->appendPlainText(QStringLiteral("netsh ") + words.join(QLatin1Char(' ')));
    }
}

} // namespace demo
