#include "netctl/wifi_scan_request.h"

namespace netctl {

// Only Windows keeps a cached list that a scan request refreshes; elsewhere the netsh stand-in
// answers, and discovery keeps its pauses between attempts.
FreshScan requestFreshScan(const QString &, int, const common::Interruption *,
                           const std::function<void()> &, QString &note)
{
    note.clear();
    return FreshScan::NotAvailable;
}

} // namespace netctl
