#pragma once

#include <QByteArray>
#include <QString>

// Reads a WLANProfile v1 document the way "netsh wlan add profile" needs it.
namespace netsh_standin {

struct WlanProfileInfo
{
    QString name;
    QString ssid;
    QString connectionType;
    QString authentication;
    QString encryption;
};

// True when the document is well-formed, its root is WLANProfile in the v1 namespace and it
// carries every element a profile needs; otherwise `problem` says what is wrong.
bool readWlanProfile(const QByteArray &xml, WlanProfileInfo &info, QString &problem);

} // namespace netsh_standin
