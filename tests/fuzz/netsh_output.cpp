#include "fuzz_input.h"
#include "netctl/netsh_parse.h"

static void checkOutput(const QString &output)
{
    const QString ssid = netctl::parseCurrentSsid(output);
    for (const QString &value : {netctl::parseInterfaceName(output), ssid})
        require(isTrimmedLine(value) && output.contains(value), "a value is one trimmed line's");
    require(!ssid.startsWith(u"BSSID", Qt::CaseInsensitive), "a BSSID is no current SSID");

    QStringList found{QStringLiteral("JUICENET-known")};
    netctl::parseChargerSsids(output, found);
    for (qsizetype i = 1; i < found.size(); ++i) {
        require(netctl::isChargerSsid(found[i]) && isTrimmedLine(found[i]) &&
                    output.contains(found[i]),
                "every charger SSID is a trimmed charger name from one line");
        for (qsizetype j = 0; j < i; ++j)
            require(found[j].compare(found[i], Qt::CaseInsensitive) != 0,
                    "no charger SSID twice in any letter case");
    }

    const QString quad = netctl::parseFirstDottedQuad(output);
    require(output.contains(quad) && quad.count(u'.') == (quad.isEmpty() ? 0 : 3),
            "the address is a dotted quad out of the output");
    for (const netctl::InterfaceReport &report : netctl::parseInterfaces(output)) {
        for (const QString &value : {report.name, report.state, report.ssid, report.guid})
            require(isTrimmedLine(value) && output.contains(value), "a value is one line's");
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return checkTexts(data, size, checkOutput);
}
