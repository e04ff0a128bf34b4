#pragma once

#include "charger_simulator.h"
#include "recording_relay.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace testsupport {

class StandInLaptop;

// The charger side of a window test: a simulator behind a recording relay, installed as the
// application's HTTP proxy so the product's fixed http://setup.zephyl/command reaches it.
class ChargerRig
{
public:
    ChargerRig();
    ~ChargerRig();

    ChargerSimulator sim;
    RecordingRelay relay;

    // The first (or named) charger of the simulator.
    SimCharger &charger(const QString &setupSsid = QString());

    // A charger at "JuiceNet-1A2B" that sees HomeNet (WPA2-AES, password "correct horse",
    // two access points), CafeOpen (OPEN), NeighbourWPA3 (WPA3-SAE) and a hidden network, and
    // holds a few cache, event and ordinary files.
    static SimCharger standardCharger(const QString &setupSsid = QStringLiteral("JuiceNet-1A2B"),
                                      int number = 1);
    // Replaces the simulator's chargers by standard ones, one per setup SSID.
    void useStandardChargers(const QStringList &setupSsids);
    // Only the charger whose setup SSID the stand-in laptop is joined to answers.
    void followLaptop(const StandInLaptop &laptop);

    // The decoded commands the simulator received, in order, and the exact request lines.
    QStringList commands() const;
    QList<QByteArray> requestLines() const;
    void clear();
};

} // namespace testsupport
