// A stand-in for Windows' wlanapi.dll, for the check under Wine: the calls the product makes to
// ask for a fresh Wi-Fi scan, answered against the netsh stand-in's state file and journalled
// into its journal, so that one journal holds netsh runs and WLAN API calls in order. See
// README.md.

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QThread>
#include <QUuid>
#include <qt_windows.h>

#include <mutex>
#include <thread>
#include <wlanapi.h>

namespace {

constexpr int scanMs = 1000;

QString pathFromEnvironment(const char *name, const QString &fallback)
{
    const QString path = qEnvironmentVariable(name);
    return path.isEmpty() ? fallback : path;
}

QString statePath()
{
    return pathFromEnvironment("ZEPHYL_NETSH_STATE", QStringLiteral("netsh-state.json"));
}

void journal(const QString &call, QJsonObject entry = {})
{
    static std::mutex writing;
    const std::lock_guard<std::mutex> lock(writing);
    entry.insert(QStringLiteral("wlanapi"), call);
    QFile file(pathFromEnvironment("ZEPHYL_NETSH_JOURNAL", QStringLiteral("netsh-journal.jsonl")));
    if (file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        file.write(QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n');
}

// The state file is shared with the netsh stand-in, which runs only between the product's calls.
QJsonObject loadState()
{
    QFile file(statePath());
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object()
                                          : QJsonObject();
}

void saveState(const QJsonObject &state)
{
    QSaveFile file(statePath());
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(state).toJson(QJsonDocument::Indented));
        file.commit();
    }
}

// The one interface: the first of the state, with the GUID netsh prints for it.
GUID interfaceGuid()
{
    const QJsonObject first =
        loadState().value(QStringLiteral("interfaces")).toArray().first().toObject();
    return QUuid::fromString(first.value(QStringLiteral("guid")).toString());
}

// The next of the state's "wlanapi"/"scanReplies" ("complete", "silent" or "deny"), taken out of
// the list; "complete" once it is empty.
QString takeScanReply()
{
    QJsonObject state = loadState();
    QJsonObject wlanapi = state.value(QStringLiteral("wlanapi")).toObject();
    QJsonArray replies = wlanapi.value(QStringLiteral("scanReplies")).toArray();
    if (replies.isEmpty())
        return QStringLiteral("complete");
    const QString reply = replies.takeAt(0).toString();
    wlanapi.insert(QStringLiteral("scanReplies"), replies);
    state.insert(QStringLiteral("wlanapi"), wlanapi);
    saveState(state);
    return reply;
}

// The scan has found what is in range: networks that awaited one join Windows' list.
void revealAwaitingNetworks()
{
    QJsonObject state = loadState();
    QJsonArray networks = state.value(QStringLiteral("networks")).toArray();
    for (qsizetype i = 0; i < networks.size(); ++i) {
        QJsonObject network = networks.at(i).toObject();
        network.remove(QStringLiteral("awaitsScan"));
        networks.replace(i, network);
    }
    state.insert(QStringLiteral("networks"), networks);
    saveState(state);
}

struct Client
{
    std::mutex mutex;
    WLAN_NOTIFICATION_CALLBACK callback = nullptr;
    void *context = nullptr;
    std::thread scan;
};

void finishScan(Client *client, GUID guid, bool notify)
{
    QThread::msleep(scanMs);
    revealAwaitingNetworks();
    WLAN_NOTIFICATION_CALLBACK callback = nullptr;
    void *context = nullptr;
    {
        const std::lock_guard<std::mutex> lock(client->mutex);
        callback = client->callback;
        context = client->context;
    }
    if (!notify || !callback)
        return;
    WLAN_NOTIFICATION_DATA data = {};
    data.NotificationSource = WLAN_NOTIFICATION_SOURCE_ACM;
    data.NotificationCode = wlan_notification_acm_scan_complete;
    data.InterfaceGuid = guid;
    callback(&data, context);
}

} // namespace

extern "C" {

__declspec(dllexport) DWORD WINAPI
    WlanOpenHandle(DWORD dwClientVersion, PVOID, PDWORD pdwNegotiatedVersion,
                   PHANDLE phClientHandle)
{
    journal(QStringLiteral("WlanOpenHandle"));
    if (dwClientVersion != 2 || !pdwNegotiatedVersion || !phClientHandle)
        return ERROR_INVALID_PARAMETER;
    *pdwNegotiatedVersion = 2;
    *phClientHandle = new Client;
    return ERROR_SUCCESS;
}

// Like the real one, it waits for a callback that is under way.
__declspec(dllexport) DWORD WINAPI WlanCloseHandle(HANDLE hClientHandle, PVOID)
{
    journal(QStringLiteral("WlanCloseHandle"));
    auto *client = static_cast<Client *>(hClientHandle);
    if (client->scan.joinable())
        client->scan.join();
    delete client;
    return ERROR_SUCCESS;
}

__declspec(dllexport) DWORD WINAPI
    WlanEnumInterfaces(HANDLE, PVOID, PWLAN_INTERFACE_INFO_LIST *ppInterfaceList)
{
    journal(QStringLiteral("WlanEnumInterfaces"));
    auto *list = static_cast<PWLAN_INTERFACE_INFO_LIST>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY,
                  sizeof(WLAN_INTERFACE_INFO_LIST) + sizeof(WLAN_INTERFACE_INFO)));
    list->dwNumberOfItems = 1;
    list->InterfaceInfo[0].InterfaceGuid = interfaceGuid();
    list->InterfaceInfo[0].isState = wlan_interface_state_connected;
    *ppInterfaceList = list;
    return ERROR_SUCCESS;
}

__declspec(dllexport) VOID WINAPI WlanFreeMemory(PVOID pMemory)
{
    journal(QStringLiteral("WlanFreeMemory"));
    HeapFree(GetProcessHeap(), 0, pMemory);
}

__declspec(dllexport) DWORD WINAPI
    WlanRegisterNotification(HANDLE hClientHandle, DWORD dwNotifSource, WINBOOL,
                             WLAN_NOTIFICATION_CALLBACK funcCallback, PVOID pCallbackContext, PVOID,
                             PDWORD)
{
    journal(QStringLiteral("WlanRegisterNotification"),
            {{QStringLiteral("source"), qint64(dwNotifSource)}});
    auto *client = static_cast<Client *>(hClientHandle);
    const std::lock_guard<std::mutex> lock(client->mutex);
    const bool on = dwNotifSource != WLAN_NOTIFICATION_SOURCE_NONE;
    client->callback = on ? funcCallback : nullptr;
    client->context = on ? pCallbackContext : nullptr;
    return ERROR_SUCCESS;
}

// "complete" reports the end through the callback about a second later, "silent" never does,
// "deny" refuses as Windows does while Location access is off.
__declspec(dllexport) DWORD WINAPI WlanScan(HANDLE hClientHandle, const GUID *pInterfaceGuid,
                                            const PDOT11_SSID, const PWLAN_RAW_DATA, PVOID)
{
    journal(QStringLiteral("WlanScan"),
            {{QStringLiteral("guid"), QUuid(*pInterfaceGuid).toString(QUuid::WithoutBraces)},
             {QStringLiteral("ms"), QDateTime::currentMSecsSinceEpoch()}});
    if (!IsEqualGUID(*pInterfaceGuid, interfaceGuid()))
        return ERROR_INVALID_PARAMETER;
    const QString reply = takeScanReply();
    if (reply == QStringLiteral("deny"))
        return ERROR_ACCESS_DENIED;
    auto *client = static_cast<Client *>(hClientHandle);
    if (client->scan.joinable())
        client->scan.join();
    client->scan =
        std::thread(finishScan, client, *pInterfaceGuid, reply != QStringLiteral("silent"));
    return ERROR_SUCCESS;
}

} // extern "C"
