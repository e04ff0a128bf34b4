#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace testsupport {

// An argument list written with '|' between its elements, so a blank inside one element stays
// part of it: argv("wlan|connect|name=Home Net|interface=Wi-Fi").
QStringList argv(const QString &elements);

// Argument lists as compact JSON arrays, so a failed comparison shows where each element starts
// and ends (an interface name with a blank split in two shows as two strings).
QStringList rendered(const QList<QStringList> &invocations);

// The invocations with the temporary profile file, a fresh <temp>/zephyl_XXXXXX.xml, written as
// "filename=<profile>"; any other path stays visible. The last such path goes to *profilePath.
QList<QStringList> withProfilePlaceholder(const QList<QStringList> &invocations,
                                          QString *profilePath = nullptr);

// The netsh command lines the window is expected to issue, written out independently of the
// product.
namespace netsh {

QStringList showInterfaces();
QStringList showAddresses(const QString &adapter);
// Discovery's first pass over every adapter, and its second pass on the detected one.
QStringList showNetworks();
QStringList showNetworksOn(const QString &adapter);
QStringList disconnectAll();
QStringList deleteProfile(const QString &ssid);
QStringList addProfile(const QString &adapter);
QStringList connectTo(const QString &ssid, const QString &adapter);
QStringList setStaticAddress(const QString &adapter);
QStringList setStaticDns(const QString &adapter);
QStringList dhcpAddress(const QString &adapter);
QStringList dhcpDns(const QString &adapter);
QStringList disconnectAdapter(const QString &adapter);
QStringList rejoin(const QString &ssid, const QString &adapter);

// A join after the laptop's network is known: disconnect, replace the profile, connect.
QList<QStringList> join(const QString &ssid, const QString &adapter);
// Static address and DNS, then the address read that refreshes the PC card.
QList<QStringList> staticAddressing(const QString &adapter);
// Back to DHCP; with an original network, also disconnect and rejoin it by its stored profile.
QList<QStringList> restore(const QString &adapter, const QString &originalSsid = QString());

} // namespace netsh

} // namespace testsupport
