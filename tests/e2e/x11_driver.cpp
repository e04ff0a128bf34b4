// zephyl-e2e-x11-driver --probe PROBE --steps FILE --closer CLOSER -- PROGRAM [ARG...]
//
// Plays a technician at the product's window from outside the program, on the X display it is
// started on: it asks PROBE (zephyl-e2e-layout-probe) where the controls are, starts PROGRAM,
// finds its window "Zephyl WiFi Setup", and sends real pointer and key input through the XTEST
// extension, step by step, reading the setup log under $HOME/Documents/Zephyl-Logs to know when
// a step is done. CLOSER (zephyl-e2e-close-window) closes the window the way a window manager
// does.
//
// Steps, one per line, fields separated by tabs ('#' starts a comment line):
//   await<TAB>ENTRY...          wait until these log entries appear, in this order
//   click<TAB>CONTROL[<TAB>ENTRY...]
//                               click the control named as the probe names it, then wait until
//                               these entries appear after the click, in this order. When the
//                               log shows nothing new at all, the click is taken as lost and sent
//                               again, with the clicks just before it that expect no entry.
//   type<TAB>TEXT               type TEXT on the keyboard
//   close                       close the window and wait for PROGRAM to end
// ENTRY is a log line without its time stamp; a trailing '*' matches any rest of the line.
//
// Exit code: PROGRAM's, when every step passed and it ended by itself after "close"; 3 when a
// step failed (PROGRAM is then ended); 2 for a usage or set-up error.
#include "x11_windows.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QPoint>
#include <QProcess>
#include <QRegularExpression>
#include <QSize>
#include <QStringList>
#include <QThread>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <cstdio>
#include <string>

namespace {

const QString windowTitleText = QStringLiteral("Zephyl WiFi Setup");
constexpr int probeTimeoutMs = 60000;
constexpr int windowTimeoutMs = 20000;
constexpr int entryTimeoutMs = 20000;
constexpr int lostClickMs = 8000;
constexpr int clickTries = 3;
constexpr int exitTimeoutMs = 30000;
constexpr int pollMs = 50;

void say(const QString &text)
{
    std::printf("x11-driver: %s\n", qPrintable(text));
    std::fflush(stdout);
}

void complain(const QString &text)
{
    std::fprintf(stderr, "x11-driver: %s\n", qPrintable(text));
    std::fflush(stderr);
}

struct Step
{
    QString action;
    QString argument;
    QStringList entries;
    int line = 0;
};

bool readSteps(const QString &path, QList<Step> &steps)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    int number = 0;
    const QString text = QString::fromUtf8(file.readAll());
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        ++number;
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        QStringList fields = line.split(QLatin1Char('\t'));
        Step step;
        step.action = fields.takeFirst();
        step.line = number;
        if (step.action == QLatin1String("await")) {
            step.entries = fields;
        } else if (step.action == QLatin1String("click") || step.action == QLatin1String("type")) {
            if (fields.isEmpty())
                return false;
            step.argument = fields.takeFirst();
            step.entries = fields;
        } else if (step.action != QLatin1String("close")) {
            return false;
        }
        steps << step;
    }
    return true;
}

// The product's setup log, read as entries without their "[yyyy-MM-dd HH:mm:ss] " stamp. Only
// complete lines count; the product writes each entry with its line end.
class SetupLog
{
public:
    QStringList entries() const
    {
        const QDir dir(QDir::home().filePath(QStringLiteral("Documents/Zephyl-Logs")));
        const QStringList files = dir.entryList({QStringLiteral("*.log")}, QDir::Files);
        if (files.size() != 1)
            return {};
        QFile file(dir.filePath(files.first()));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QByteArray bytes = file.readAll();
        bytes.truncate(bytes.lastIndexOf('\n') + 1);
        static const QRegularExpression stamp(
            QStringLiteral(R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] )"));
        QStringList result;
        for (const QString &line : QString::fromUtf8(bytes).split(QLatin1Char('\n'))) {
            const QRegularExpressionMatch match = stamp.match(line);
            if (match.hasMatch())
                result << line.mid(match.capturedLength());
        }
        return result;
    }
};

bool entryMatches(const QString &entry, const QString &expected)
{
    if (expected.endsWith(QLatin1Char('*')))
        return entry.startsWith(expected.chopped(1));
    return entry == expected;
}

// How many of `expected` appear in order among entries[from...].
int matchedInOrder(const QStringList &entries, qsizetype from, const QStringList &expected)
{
    int matched = 0;
    for (qsizetype i = from; i < entries.size() && matched < expected.size(); ++i) {
        if (entryMatches(entries.at(i), expected.at(matched)))
            ++matched;
    }
    return matched;
}

using e2e::findViewableWindow;

class Driver
{
public:
    Driver(Display *display, QProcess &program, const QMap<QString, QPoint> &layout,
           const QSize &probedSize, const QString &closer)
        : display(display), program(program), layout(layout), probedSize(probedSize), closer(closer)
    {}

    bool run(const QList<Step> &steps)
    {
        // Clicks since the last step that expected entries: sent again with a lost click.
        QList<Step> pendingClicks;
        for (const Step &step : steps) {
            bool ok = false;
            if (step.action == QLatin1String("await")) {
                ok = awaitEntries(step, 0);
            } else if (step.action == QLatin1String("click")) {
                ok = click(step, pendingClicks);
                if (step.entries.isEmpty())
                    pendingClicks << step;
                else
                    pendingClicks.clear();
            } else if (step.action == QLatin1String("type")) {
                ok = typeText(step.argument);
            } else {
                ok = closeWindow();
            }
            if (!ok) {
                complain(QStringLiteral("step at line %1 (%2 %3) failed; the log so far:")
                             .arg(step.line)
                             .arg(step.action, step.argument));
                const QStringList entries = log.entries();
                for (const QString &entry : entries)
                    complain(QStringLiteral("  | ") + entry);
                return false;
            }
        }
        return true;
    }

private:
    bool programRunning() const { return program.state() != QProcess::NotRunning; }

    bool awaitEntries(const Step &step, qsizetype from)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < entryTimeoutMs) {
            if (matchedInOrder(log.entries(), from, step.entries) == step.entries.size())
                return true;
            if (!programRunning()) {
                complain(QStringLiteral("the program ended early"));
                return false;
            }
            wait(pollMs);
        }
        complain(QStringLiteral("no log entries \"%1\" within %2 ms")
                     .arg(step.entries.join(QStringLiteral("\", \"")))
                     .arg(entryTimeoutMs));
        return false;
    }

    bool findWindow()
    {
        QElapsedTimer clock;
        clock.start();
        while (!window && clock.elapsed() < windowTimeoutMs && programRunning()) {
            window = findViewableWindow(display, windowTitleText.toStdString());
            if (!window)
                wait(pollMs);
        }
        if (!window) {
            complain(QStringLiteral("no window \"%1\" appeared").arg(windowTitleText));
            return false;
        }
        XWindowAttributes attributes;
        XGetWindowAttributes(display, window, &attributes);
        Window child = 0;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &origin.rx(),
                              &origin.ry(), &child);
        const QSize size(attributes.width, attributes.height);
        say(QStringLiteral("window 0x%1 at %2,%3 size %4x%5")
                .arg(window, 0, 16)
                .arg(origin.x())
                .arg(origin.y())
                .arg(size.width())
                .arg(size.height()));
        if (size != probedSize) {
            complain(QStringLiteral("the window is %1x%2, the probe laid out %3x%4")
                         .arg(size.width())
                         .arg(size.height())
                         .arg(probedSize.width())
                         .arg(probedSize.height()));
            return false;
        }
        // What a window manager does for a newly mapped window: give it the keyboard.
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        XSync(display, False);
        return true;
    }

    bool sendClick(const QString &control)
    {
        if (!window && !findWindow())
            return false;
        const auto found = layout.constFind(control);
        if (found == layout.cend()) {
            complain(QStringLiteral("the probe found no control \"%1\"").arg(control));
            return false;
        }
        const QPoint point = origin + found.value();
        XTestFakeMotionEvent(display, -1, point.x(), point.y(), CurrentTime);
        XTestFakeButtonEvent(display, Button1, True, CurrentTime);
        XTestFakeButtonEvent(display, Button1, False, CurrentTime);
        XSync(display, False);
        say(QStringLiteral("clicked \"%1\" at %2,%3").arg(control).arg(point.x()).arg(point.y()));
        return true;
    }

    bool click(const Step &step, const QList<Step> &before)
    {
        for (int attempt = 1; attempt <= clickTries; ++attempt) {
            const qsizetype from = log.entries().size();
            if (attempt > 1) {
                for (const Step &earlier : before) {
                    if (!sendClick(earlier.argument))
                        return false;
                }
            }
            if (!sendClick(step.argument))
                return false;
            if (step.entries.isEmpty())
                return true;
            // A click that reached the window shows in the log at once; a lost one never does.
            QElapsedTimer clock;
            clock.start();
            while (log.entries().size() == from && clock.elapsed() < lostClickMs &&
                   programRunning())
                wait(pollMs);
            if (log.entries().size() > from)
                return awaitEntries(step, from);
            if (!programRunning())
                break;
            say(QStringLiteral("nothing logged after clicking \"%1\"; clicking again")
                    .arg(step.argument));
        }
        complain(QStringLiteral("clicking \"%1\" had no effect").arg(step.argument));
        return false;
    }

    bool typeText(const QString &text)
    {
        if (!window && !findWindow())
            return false;
        const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
        for (const QChar character : text) {
            // Keysyms of Latin-1 characters are their code points.
            const KeySym keysym = character.unicode();
            const KeyCode keycode = XKeysymToKeycode(display, keysym);
            if (character.unicode() > 0xff || keycode == 0) {
                complain(QStringLiteral("no key for \"%1\"").arg(character));
                return false;
            }
            const bool shifted = XkbKeycodeToKeysym(display, keycode, 0, 0) != keysym;
            if (shifted)
                XTestFakeKeyEvent(display, shift, True, CurrentTime);
            XTestFakeKeyEvent(display, keycode, True, CurrentTime);
            XTestFakeKeyEvent(display, keycode, False, CurrentTime);
            if (shifted)
                XTestFakeKeyEvent(display, shift, False, CurrentTime);
        }
        XSync(display, False);
        say(QStringLiteral("typed %1 characters").arg(text.size()));
        return true;
    }

    bool closeWindow()
    {
        const int closed =
            QProcess::execute(closer, {windowTitleText, QString::number(windowTimeoutMs)});
        if (closed != 0) {
            complain(QStringLiteral("the close helper failed (%1)").arg(closed));
            return false;
        }
        if (!program.waitForFinished(exitTimeoutMs)) {
            complain(QStringLiteral("the program did not end after its window was closed"));
            return false;
        }
        return true;
    }

    // Lets QProcess notice the program's end, then sleeps.
    static void wait(int ms)
    {
        QCoreApplication::processEvents();
        QThread::msleep(ms);
    }

    Display *display;
    QProcess &program;
    QMap<QString, QPoint> layout;
    QSize probedSize;
    QString closer;
    SetupLog log;
    Window window = 0;
    QPoint origin;
};

bool probeLayout(const QString &probe, QMap<QString, QPoint> &layout, QSize &size)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(probe, {});
    if (!process.waitForFinished(probeTimeoutMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        process.kill();
        process.waitForFinished(5000);
        return false;
    }
    for (const QString &line :
         QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != 3)
            continue;
        if (fields.first() == QLatin1String("window"))
            size = QSize(fields.at(1).toInt(), fields.at(2).toInt());
        else
            layout.insert(fields.first(), QPoint(fields.at(1).toInt(), fields.at(2).toInt()));
    }
    return size.isValid() && !layout.isEmpty();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    QString probe;
    QString stepsPath;
    QString closer;
    while (arguments.size() >= 2 && arguments.first() != QLatin1String("--")) {
        const QString option = arguments.takeFirst();
        const QString value = arguments.takeFirst();
        if (option == QLatin1String("--probe"))
            probe = value;
        else if (option == QLatin1String("--steps"))
            stepsPath = value;
        else if (option == QLatin1String("--closer"))
            closer = value;
    }
    if (probe.isEmpty() || stepsPath.isEmpty() || closer.isEmpty() || arguments.size() < 2 ||
        arguments.first() != QLatin1String("--")) {
        complain(QStringLiteral("usage: zephyl-e2e-x11-driver --probe PROBE --steps FILE "
                                "--closer CLOSER -- PROGRAM [ARG...]"));
        return 2;
    }
    arguments.removeFirst();

    QList<Step> steps;
    if (!readSteps(stepsPath, steps)) {
        complain(QStringLiteral("cannot read the steps in %1").arg(stepsPath));
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        complain(QStringLiteral("cannot open the display"));
        return 2;
    }
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        complain(QStringLiteral("the display has no XTEST extension"));
        XCloseDisplay(display);
        return 2;
    }

    QMap<QString, QPoint> layout;
    QSize probedSize;
    if (!probeLayout(probe, layout, probedSize)) {
        complain(QStringLiteral("the layout probe failed"));
        XCloseDisplay(display);
        return 2;
    }
    say(QStringLiteral("probed %1 controls").arg(layout.size()));

    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(arguments.takeFirst(), arguments);
    if (!program.waitForStarted(10000)) {
        complain(QStringLiteral("the program did not start"));
        XCloseDisplay(display);
        return 2;
    }

    Driver driver(display, program, layout, probedSize, closer);
    const bool passed = driver.run(steps);
    XCloseDisplay(display);
    if (!passed || program.state() != QProcess::NotRunning) {
        if (passed)
            complain(QStringLiteral("the steps ended without closing the window"));
        program.kill();
        program.waitForFinished(5000);
        return 3;
    }
    if (program.exitStatus() != QProcess::NormalExit) {
        complain(QStringLiteral("the program crashed"));
        return 3;
    }
    return program.exitCode();
}
