#pragma once

#include <QString>
#include <QStringList>

// Fixed key lists and text rules of the charger maintenance operations.
namespace maintenance {

// The ten setting keys that may hold the charger's UUID, in the order they are tried.
QStringList uuidKeyCandidates();
QStringList serialKeys();
QStringList macKeys();

// The "ead..." token inside a UUID value (letter case kept), or empty text.
QString uuidToken(const QString &value);

// "N/A" for an empty value, the value otherwise.
QString valueOrNotAvailable(const QString &value);

// True when an identity value (serial, MAC) is usable: not empty and no "unknown" in it.
bool isUsableIdentityValue(const QString &value);

// The five lines of the charger identity block.
QStringList identityBlockLines(const QString &serial, const QString &mac, const QString &uuid);

// ECache_/EEvents_ file names in a listing, in order of first appearance, without duplicates
// (letter case ignored, the first spelling kept).
QStringList cleanupFileNames(const QString &listing);

// "fde "<name>"".
QString deleteFileCommand(const QString &fileName);

// The factory reset command forms to try, in order, for the MAC read from the charger.
QStringList factoryResetCommands(const QString &mac);

} // namespace maintenance
