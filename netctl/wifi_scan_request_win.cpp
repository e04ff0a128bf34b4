#include "common/local_wait.h"
#include "netctl/wifi_scan_request.h"

#include <QMetaObject>
#include <QUuid>
#include <qt_windows.h>

#include <mutex>
#include <wlanapi.h>

namespace netctl {

namespace {

constexpr DWORD wlanClientVersion = 2; // Windows Vista and later

// GetProcAddress's result as the entry point's own type; the cast through void(*)() is the one
// GCC accepts between unrelated function types.
template <typename Function> void resolve(HMODULE module, const char *name, Function &entry)
{
    entry = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The WLAN API, loaded at run time from wlanapi.dll of the system folder (never from the
// program's or the current folder: the program runs elevated), so that the program starts and
// works where the DLL is missing.
class WlanApi
{
public:
    WlanApi()
    {
        wchar_t folder[MAX_PATH];
        const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return;
        const QString path =
            QString::fromWCharArray(folder, int(length)) + QStringLiteral("\\wlanapi.dll");
        module = LoadLibraryW(reinterpret_cast<const wchar_t *>(path.utf16()));
        if (!module)
            return;
        resolve(module, "WlanOpenHandle", open);
        resolve(module, "WlanCloseHandle", close);
        resolve(module, "WlanEnumInterfaces", enumInterfaces);
        resolve(module, "WlanRegisterNotification", registerNotification);
        resolve(module, "WlanScan", scan);
        resolve(module, "WlanFreeMemory", freeMemory);
    }
    ~WlanApi()
    {
        if (module)
            FreeLibrary(module);
    }
    WlanApi(const WlanApi &) = delete;
    WlanApi &operator=(const WlanApi &) = delete;

    bool loaded() const
    {
        return open && close && enumInterfaces && registerNotification && scan && freeMemory;
    }

    decltype(&WlanOpenHandle) open = nullptr;
    decltype(&WlanCloseHandle) close = nullptr;
    decltype(&WlanEnumInterfaces) enumInterfaces = nullptr;
    decltype(&WlanRegisterNotification) registerNotification = nullptr;
    decltype(&WlanScan) scan = nullptr;
    decltype(&WlanFreeMemory) freeMemory = nullptr;

private:
    HMODULE module = nullptr;
};

// What the notification callback, on a thread of the WLAN API, hands to the waiting loop on the
// GUI thread.
struct ScanWatch
{
    GUID interfaceGuid = {};
    std::mutex mutex;
    QEventLoop *loop = nullptr;
    bool ended = false;
    bool failed = false;
};

void CALLBACK onWlanNotification(PWLAN_NOTIFICATION_DATA data, PVOID context)
{
    auto *watch = static_cast<ScanWatch *>(context);
    if (!data || data->NotificationSource != WLAN_NOTIFICATION_SOURCE_ACM ||
        !IsEqualGUID(data->InterfaceGuid, watch->interfaceGuid))
        return;
    if (data->NotificationCode != wlan_notification_acm_scan_complete &&
        data->NotificationCode != wlan_notification_acm_scan_fail)
        return;
    const std::lock_guard<std::mutex> lock(watch->mutex);
    watch->ended = true;
    watch->failed = data->NotificationCode == wlan_notification_acm_scan_fail;
    if (watch->loop)
        QMetaObject::invokeMethod(watch->loop, &QEventLoop::quit, Qt::QueuedConnection);
}

// An open client handle with, once registered, ACM notifications going to a ScanWatch. Closing
// the handle waits for a callback that is running, so the watch must outlive the session.
class WlanSession
{
public:
    explicit WlanSession(const WlanApi &api) : api(api)
    {
        DWORD negotiated = 0;
        opened = api.open(wlanClientVersion, nullptr, &negotiated, &handle) == ERROR_SUCCESS;
    }
    ~WlanSession()
    {
        if (registered) {
            api.registerNotification(handle, WLAN_NOTIFICATION_SOURCE_NONE, TRUE, nullptr, nullptr,
                                     nullptr, nullptr);
        }
        if (opened)
            api.close(handle, nullptr);
    }
    WlanSession(const WlanSession &) = delete;
    WlanSession &operator=(const WlanSession &) = delete;

    bool isOpen() const { return opened; }

    // The interface whose GUID netsh printed; without one, the only interface there is.
    bool chooseInterface(const QString &guidText, GUID &chosen) const
    {
        PWLAN_INTERFACE_INFO_LIST list = nullptr;
        if (api.enumInterfaces(handle, nullptr, &list) != ERROR_SUCCESS || !list) {
            if (list)
                api.freeMemory(list);
            return false;
        }
        const QUuid wanted = QUuid::fromString(guidText);
        bool found = false;
        for (DWORD i = 0; i < list->dwNumberOfItems && !found; ++i) {
            const GUID &guid = list->InterfaceInfo[i].InterfaceGuid;
            found = guidText.isEmpty() ? list->dwNumberOfItems == 1
                                       : !wanted.isNull() && QUuid(guid) == wanted;
            if (found)
                chosen = guid;
        }
        api.freeMemory(list);
        return found;
    }

    bool notifyTo(ScanWatch &watch)
    {
        registered =
            api.registerNotification(handle, WLAN_NOTIFICATION_SOURCE_ACM, TRUE, onWlanNotification,
                                     &watch, nullptr, nullptr) == ERROR_SUCCESS;
        return registered;
    }

    DWORD requestScan(const GUID &guid) const
    {
        return api.scan(handle, &guid, nullptr, nullptr, nullptr);
    }

private:
    const WlanApi &api;
    HANDLE handle = nullptr;
    bool opened = false;
    bool registered = false;
};

// Drivers must finish a scan within 4 s; the wait also ends when the scan is reported done.
void waitForScanEnd(ScanWatch &watch, int boundMs, const common::Interruption *stop)
{
    common::waitLocally(boundMs, stop, [&watch](QEventLoop &loop) {
        // The loop is gone when the wait returns; a late callback must not post to it then.
        QObject::connect(&loop, &QObject::destroyed, [&watch]() {
            const std::lock_guard<std::mutex> lock(watch.mutex);
            watch.loop = nullptr;
        });
        const std::lock_guard<std::mutex> lock(watch.mutex);
        watch.loop = &loop;
        if (watch.ended)
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
}

FreshScan notAvailable(const QString &reason, QString &note)
{
    static bool told = false;
    note = told ? QString()
                : QStringLiteral("No fresh Wi-Fi scan on this laptop (%1); discovery reads the "
                                 "networks Windows has cached.")
                      .arg(reason);
    told = true;
    return FreshScan::NotAvailable;
}

} // namespace

FreshScan requestFreshScan(const QString &interfaceGuid, int boundMs,
                           const common::Interruption *stop, const std::function<void()> &waiting,
                           QString &note)
{
    note.clear();
    const WlanApi api;
    if (!api.loaded())
        return notAvailable(QStringLiteral("wlanapi.dll not loaded from the system folder"), note);
    ScanWatch watch;
    WlanSession session(api);
    if (!session.isOpen())
        return notAvailable(QStringLiteral("the WLAN service did not answer"), note);
    if (!session.chooseInterface(interfaceGuid, watch.interfaceGuid)) {
        return notAvailable(
            interfaceGuid.isEmpty()
                ? QStringLiteral("netsh printed no GUID and there is not one Wi-Fi interface")
                : QStringLiteral("no Wi-Fi interface with GUID %1").arg(interfaceGuid),
            note);
    }
    if (!session.notifyTo(watch))
        return notAvailable(QStringLiteral("no scan notifications"), note);
    const DWORD requested = session.requestScan(watch.interfaceGuid);
    if (requested == ERROR_ACCESS_DENIED) {
        note = QStringLiteral("Fresh Wi-Fi scan refused (access denied): Windows withholds Wi-Fi "
                              "information while Location access is off.");
        return FreshScan::Denied;
    }
    if (requested != ERROR_SUCCESS) {
        return notAvailable(QStringLiteral("the scan request failed with error %1").arg(requested),
                            note);
    }
    if (waiting)
        waiting();
    waitForScanEnd(watch, boundMs, stop);
    const std::lock_guard<std::mutex> lock(watch.mutex);
    if (watch.ended) {
        note = watch.failed ? QStringLiteral("Fresh Wi-Fi scan failed.")
                            : QStringLiteral("Fresh Wi-Fi scan finished.");
    } else if (!stop || !stop->isRaised()) {
        note = QStringLiteral("No end of the fresh Wi-Fi scan reported within %1 ms.").arg(boundMs);
    }
    return FreshScan::Scanned;
}

} // namespace netctl
