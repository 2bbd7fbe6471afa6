// Soft AP bring-up and its worker threads.
#include "softap/softap.h"

#include "adapter/bind.h"
#include "adapter/keyrules.h"
#include "adapter/ops.h"
#include "adapter/secmode.h"
#include "app/log.h"
#include "app/messages.h"
#include "app/settings.h"
#include "app/shared_lock.h"
#include "netenv/discovery.h"
#include "netenv/ics_select.h"
#include "softap/clock.h"
#include "softap/softap_state.h"
#include "softap/view.h"

#include <cwchar>
#include <cwctype>

void StartWorker(LPTHREAD_START_ROUTINE routine, LPVOID arg) {
    HANDLE h = CreateThread(nullptr, 0, routine, arg, 0, nullptr);
    if (h) CloseHandle(h);
}

static int AdapterCount() {
    SHARED_RECORD_GUARD;
    return adapterList.count;
}

static void FirstAdapterGuid(wchar_t* out) {
    SHARED_RECORD_GUARD;
    wcscpy(out, adapterList.entries[0].guid);
}

static bool ExitRequested() {
    HANDLE e = exitEvent;
    return !e || WaitForSingleObject(e, 1) != WAIT_TIMEOUT;
}

static void TakeApLock() { WorkerWait(apLock, AP_LOCK_WAIT_MS); }  // a time-out goes on as if held
static void DropApLock() { ReleaseMutex(apLock); }

void ShowNoCardLook() {
    SoftApView()->HideCreating();
    softApState = SOFTAP_NoCard;
    SoftApView()->ShowPage(SOFTAP_PAGE_TIPS);
}

// A worker that ends because the adapter went away leaves the looks to the
// window: without a word, the creating animation would spin on, and every
// later adapter check would return early because it exists.
static void WorkerEndsOnNoCard(const wchar_t* worker) {
    WriteUiLog(L"{%s} SOFTAP_NoCard, worker ends\n", worker);
    PostMessageW(gMainWnd, WM_SOFTAP_NOCARD, 0, 0);
}

// Refreshes the list; false (and the no-adapter state) when it is empty.
static bool RefreshAdapters() {
    UIGetControlNicList(&adapterList);
    return AdapterCount() > 0;
}

static void DeriveDefaultSsid(wchar_t* ssid) {
    RefreshMacTable();
    MakeDefaultSsid(ssid);
}

void ControlNicChange() {
    if (!RefreshAdapters()) {
        WriteUiLog(L"{ControlNicChange} SOFTAP_NoCard\n");
        if (gDravo) WriteUiLog(L"{UIDoUnplug} ret=%d \n", UIDoUnplug());
        ShowNoCardLook();
        return;
    }
    if (SoftApView()->CreatingWindowExists()) {
        WriteUiLog(L"{ControlNicChange} is creating..., return\n");
        return;
    }
    bool same = false;
    {
        SHARED_RECORD_GUARD;
        for (int i = 0; i < adapterList.count && i < Q8_NIC_MAX; ++i)
            if (wcscmp(currentAdapter.guid, adapterList.entries[i].guid) == 0) same = true;
    }
    WriteUiLog(same ? L"{ControlNicChange} Card no change\n" : L"{ControlNicChange} Card changed\n");
    if (SoftApView()->CreatingFlag()) return;
    SoftApView()->RestoreTrayIfRemoved();
    SoftApView()->ShowCreating();
    StartWorker(ThreadWaitNicInitOk, nullptr);
}

DWORD WINAPI ThreadWaitNicInitOk(LPVOID) {
    wchar_t ssid[Q8_NAME_MAX] = L"";
    wchar_t guid[Q8_GUID_TEXT_MAX];
    bool ready = false;
    for (int attempt = 0; attempt < NIC_INIT_ATTEMPTS; ++attempt) {
        if (!RefreshAdapters()) {
            softApState = SOFTAP_NoCard;
            WorkerEndsOnNoCard(L"ThreadWaitNicInitOk");
            return (DWORD)-1;
        }
        FirstAdapterGuid(guid);
        if (UIInitAdapter(guid) == 0) {
            ready = true;
            break;
        }
        WorkerSleep(NIC_INIT_PAUSE_MS);
    }
    if (!ready) return (DWORD)-1;
    {
        SHARED_RECORD_GUARD;
        currentAdapter = adapterList.entries[0];
        wcscpy(gIniFile.nicGuid, currentAdapter.guid);
    }
    if (gDravo) WriteUiLog(L"{UISetControlTool} ret=%d, toolType=%d\n", UISetControlTool(), 1);
    for (int n = 0; ssid[0] == L'\0';) {
        WorkerSleep(NIC_INIT_PAUSE_MS);
        if (!RefreshAdapters()) {
            softApState = SOFTAP_NoCard;
            WorkerEndsOnNoCard(L"ThreadWaitNicInitOk");
            return (DWORD)-1;
        }
        DeriveDefaultSsid(ssid);
        WriteUiLog(L"{ThreadWaitNicInitOk} %d times strSSid = %s\n", n, ssid);
        if (++n >= MAC_NAME_TRIES_AFTER_INIT) break;
    }
    if (ssid[0] == L'\0') return (DWORD)-1;
    PostMessageW(gMainWnd, WM_DRAVO_EVENT, 0, 8);
    return 0;
}

static void TrimInPlace(wchar_t* text) {
    size_t len = wcslen(text);
    while (len > 0 && iswspace(text[len - 1])) text[--len] = L'\0';
    size_t start = 0;
    while (text[start] && iswspace(text[start])) ++start;
    if (start) memmove(text, text + start, (len - start + 1) * sizeof(wchar_t));
}

// A fresh network: MAC-derived name, random key, AES with WPA2-PSK, channel 6.
// False when the adapter went away meanwhile (the no-adapter look is shown).
static bool MakeFreshNetwork() {
    wchar_t ssid[Q8_NAME_MAX] = L"";
    DeriveDefaultSsid(ssid);
    WriteUiLog(L"{InitSoftap} strSSid = %s\n", ssid);
    for (int n = 0; ssid[0] == L'\0';) {
        WorkerSleep(200);
        if (!RefreshAdapters()) {
            ShowNoCardLook();
            return false;
        }
        DeriveDefaultSsid(ssid);
        WriteUiLog(L"{InitSoftap} %d times again strSSid = %s\n", n, ssid);
        if (++n >= MAC_NAME_TRIES_IN_INIT) break;
    }
    SoftApCfgInfo fresh;
    CopyShared(&fresh, gSoftApInfo);  // hideSSIDtype keeps its current value
    wcscpy(fresh.ssid, ssid);
    MakeRandomKey(fresh.key);
    fresh.encrypt = ENCRYPT_AES;
    fresh.auth = AUTH_WPA2PSK;
    fresh.channel = 6;
    fresh.frequency = 2437;
    SoftApCfgInfo stored = fresh;
    EncodeStoredKey(stored.key, Q8_TEXT_MAX);
    SHARED_RECORD_GUARD;
    gSoftApInfo = fresh;
    gIniFile.softApCfgInfo = stored;
    return true;
}

void InitSoftap() {
    if (!RefreshAdapters()) {
        ShowNoCardLook();
        return;
    }
    UIQueryServiceStatus();
    if (UIQueryNicRadioStatus() == 0 && gRadioState == 0 && gDravo)
        WriteUiLog(L"{UISetNicRadioStatus} ret=%d, radio=%d\n", UISetNicRadioStatus(), 1);
    WriteUiLog(L"{InitSoftap} SOFTAP_NotCreated\n");
    bool fresh;
    {
        SHARED_RECORD_GUARD;
        TrimInPlace(gIniFile.softApCfgInfo.ssid);
        fresh = gIniFile.softApCfgInfo.ssid[0] == L'\0';
    }
    if (fresh) {
        if (!MakeFreshNetwork()) return;
        SaveIniFile();
    }
    SoftApCfgInfo stored;
    CopyShared(&stored, gIniFile.softApCfgInfo);
    WriteUiLog(L"{InitSoftap} gIniFile.softApCfgInfo.ssid = %s\n", stored.ssid);
    DecodeStoredKey(stored.key, Q8_TEXT_MAX);
    CopyShared(&gSoftApInfo, stored);
    WriteUiLog(L"{InitSoftap} gSoftApInfo.ssid = %s\n", stored.ssid);
    gIniFile.softAp = 1;
    StartWorker(ThreadSetSoftApAndIcs, (LPVOID)gMainWnd);
}

// Ends a bring-up that failed: the result page is posted unless the
// no-adapter look has already won.
static void FailBringUp(unsigned state, bool stopAfter) {
    if (softApState == SOFTAP_NoCard) {
        WorkerEndsOnNoCard(L"ThreadSetSoftApAndIcs");
        return;
    }
    softApState = state;
    PostMessageW(gMainWnd, WM_SOFTAP_RESULT, 0, 0);
    if (stopAfter) PostMessageW(gMainWnd, WM_SOFTAP_CTRL, 1, 0);
}

DWORD WINAPI ThreadSetSoftApAndIcs(LPVOID) {
    if (ExitRequested()) return 0;
    TakeApLock();
    if (softApState != SOFTAP_Creating) {
        DropApLock();
        if (softApState == SOFTAP_NoCard) WorkerEndsOnNoCard(L"ThreadSetSoftApAndIcs");
        return 0;
    }
    SoftApCfgInfo info;
    CopyShared(&info, gSoftApInfo);
    int r = UISetSoftApMode(info);
    WorkerSleep(1000);
    WriteUiLog(L"{ThreadSetSoftApAndIcs} gSoftApInfo.ssid = %s\n", info.ssid);
    if (r != 0) {
        WriteUiLog(L"{ThreadSetSoftApAndIcs} UISetSoftApMode failed %d\n", r);
        FailBringUp(SOFTAP_CreateFailed, false);
        DropApLock();
        return 0;
    }
    SoftApStatus status = {};
    r = UIQuerySoftApStatus(&status);
    if (r != 0 || status.bActive == 0) {
        WriteUiLog(L"{ThreadSetSoftApAndIcs} UIQuerySoftApStatus failed %d or bActive=%d\n", r, status.bActive);
        DropApLock();
        FailBringUp(SOFTAP_CreateFailed, false);
        return 0;
    }
    if (!CommonSelectIcsConnectionEx()) {
        WriteUiLog(L"{ThreadSetSoftApAndIcs} UIQueryIcsConnection failed %d\n", 0);
        DropApLock();
        if (softApState != SOFTAP_NoCard) {
            softApState = SOFTAP_NoInternet;
            PostMessageW(gMainWnd, WM_SOFTAP_RESULT, 0, 0);
            PostMessageW(gMainWnd, WM_CHECK_INTERNET, 0, 0);
            PostMessageW(gMainWnd, WM_SOFTAP_CTRL, 1, 0);
        } else {
            WorkerEndsOnNoCard(L"ThreadSetSoftApAndIcs");
        }
        return 0;
    }
    IcsConnection ics;
    CopyShared(&ics, gIcsInfo);
    WriteUiLog(L"{ThreadSetSoftApAndIcs} gIcsInfo.name = %s\n", ics.networkName);
    if (softApState == SOFTAP_NoCard) {
        DropApLock();
        WorkerEndsOnNoCard(L"ThreadSetSoftApAndIcs");
        return 0;
    }
    softApState = SOFTAP_SettingIcs;
    r = UISetIcsConnection(ics);
    if (r != 0) {
        WriteUiLog(L"{ThreadSetSoftApAndIcs} UISetIcsConnection first failed %d\n", r);
        r = UISetIcsConnection(ics);
        if (r != 0) {
            WriteUiLog(L"{ThreadSetSoftApAndIcs} UISetIcsConnection again failed %d\n", r);
            DropApLock();
            FailBringUp(SOFTAP_IcsFailed, true);
            return 0;
        }
    }
    WriteUiLog(L"{ThreadSetSoftApAndIcs} ok = %s\n", ics.guid);
    unsigned expected = SOFTAP_SettingIcs;
    // Another step may have changed the state meanwhile; only then is it kept.
    if (!softApState.compare_exchange_strong(expected, SOFTAP_Created)) {
        DropApLock();
        if (expected == SOFTAP_NoCard) WorkerEndsOnNoCard(L"ThreadSetSoftApAndIcs");
        return 0;
    }
    PostMessageW(gMainWnd, WM_CHECK_INTERNET, 0, 0);
    PostMessageW(gMainWnd, WM_SOFTAP_RESULT, 2, 0);
    DropApLock();
    return 0;
}

DWORD WINAPI ThreadStopSoftap(LPVOID) {
    TakeApLock();
    if (gDravo) WriteUiLog(L"{UIStopSoftap} ret=%d\n", UIStopSoftap());
    WorkerSleep(1000);
    DropApLock();
    return 0;
}

LRESULT OnSoftapCtrl(WPARAM wParam) {
    if (wParam != 1) return 1;
    gIniFile.softAp = 0;
    if (AdapterCount() > 0) StartWorker(ThreadStopSoftap, nullptr);
    return 1;
}

void OnExitCommand() {
    softApState = SOFTAP_Stopped;
    SoftApView()->HideCreating();
    SoftApView()->ShowExitLook();
    if (AdapterCount() > 0) StartWorker(ThreadStopSoftap, nullptr);
}

DWORD WINAPI ThreadMonitorStations(LPVOID) {
    while (!ExitRequested()) {
        if (softApState == SOFTAP_Created) {
            DWORD w = WorkerWait(staLock, 1000);
            UIQuerySoftApStaList();
            SoftApStatus status = {};
            int r = UIQuerySoftApStatus(&status);
            if (r != 0 || status.bActive == 0) {
                softApState = SOFTAP_Stopped;
                PostMessageW(gMainWnd, WM_SOFTAP_RESULT, 0, 0);
            }
            if (w == WAIT_OBJECT_0 || w == WAIT_ABANDONED) ReleaseMutex(staLock);
        } else {
            stationCount = 0;
        }
        WorkerSleep(2000);
    }
    return 0;
}
