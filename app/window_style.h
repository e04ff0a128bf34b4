#pragma once

#include <QRgb>
#include <QString>
#include <QStringList>

namespace app {

// The window's style sheet, focus frames and disabled buttons included.
QString windowStyleSheet();

// The customer network list's signal bars: lit, lit and marked with a "!" where the password
// check cannot test the network's security, and unlit.
constexpr QRgb signalBarLit = 0xff7dd3fc;
constexpr QRgb signalBarUntestable = 0xfff59e0b;
constexpr QRgb signalBarUnlit = 0xff2b3b55;

// The instruction lines of the three two-column pages.
QStringList connectInstructions();
QStringList cleanupInstructions();
QStringList customerWifiInstructions();

// The three places where an image file beside the program may be: the program's folder and the
// one or two folders above it.
QStringList imageCandidates(const QString &applicationDir, const QString &fileName);

} // namespace app
