#include "fuzz_input.h"
#include "provisioning/wifi_scan_parse.h"

static void checkTargetRow(const QString &reply, const QString &ssid)
{
    provisioning::WlanScanRow row;
    if (provisioning::findTargetRow(reply, ssid, row))
        require(!row.bssid.isEmpty() && row.ssid.compare(ssid, Qt::CaseInsensitive) == 0,
                "the target row has a BSSID and the asked SSID");
}

// The reply, then U+0000 and an SSID to look up in it.
static void checkScan(const QString &input)
{
    const QString reply = input.section(QChar(0), 0, 0);
    const QStringList names = provisioning::parseScanReply(reply);
    for (qsizetype i = 0; i < names.size(); ++i) {
        require(!names[i].isEmpty() && names[i].size() <= 32 && isTrimmedLine(names[i]),
                "every name is 1 to 32 trimmed units of one line");
        for (qsizetype j = 0; j < i; ++j)
            require(names[j].compare(names[i], Qt::CaseInsensitive) != 0,
                    "no name twice in any letter case");
    }
    checkTargetRow(reply, input.section(QChar(0), 1));
    checkTargetRow(reply, names.value(0));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return checkTexts(data, size, checkScan);
}
