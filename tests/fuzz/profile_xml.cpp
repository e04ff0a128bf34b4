#include "fuzz_input.h"
#include "netctl/wlan_profile.h"

#include <QXmlStreamReader>

#include <algorithm>

// Tab, LF, CR, U+0020 to U+D7FF, U+E000 to U+FFFD and the astral planes (whole pairs).
static bool xmlCanCarry(const QString &text)
{
    const QList<uint> points = text.toUcs4();
    return text.isValidUtf16() && std::all_of(points.begin(), points.end(), [](uint c) {
               return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
                      (c >= 0xE000 && c <= 0xFFFD) || c >= 0x10000;
           });
}

// The text of every <name> element, or nothing when the document is not well-formed.
static QStringList namesReadBack(const QString &xml)
{
    QXmlStreamReader reader(xml);
    QStringList names;
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == u"name")
            names << reader.readElementText();
    }
    return reader.hasError() ? QStringList() : names;
}

static void checkProfile(const QString &ssid)
{
    const bool refused = !netctl::profileSsidRefusal(ssid).isEmpty();
    require(refused != xmlCanCarry(ssid), "refused exactly when XML 1.0 cannot carry the SSID");
    if (!refused)
        require(namesReadBack(netctl::openNetworkProfileXml(ssid)) == QStringList{ssid, ssid},
                "the profile is well-formed and both names read back the SSID");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return checkTexts(data, size, checkProfile);
}
