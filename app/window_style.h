#pragma once

#include <QString>
#include <QStringList>

namespace app {

// The window's style sheet, focus frames and disabled buttons included.
QString windowStyleSheet();

// The instruction lines of the three two-column pages.
QStringList connectInstructions();
QStringList cleanupInstructions();
QStringList customerWifiInstructions();

// The three places where an image file beside the program may be: the program's folder and the
// one or two folders above it.
QStringList imageCandidates(const QString &applicationDir, const QString &fileName);

} // namespace app
