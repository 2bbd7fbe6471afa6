// Shared connection selection and the internet watch thread.
#include "netenv/ics_select.h"

#include "adapter/bind.h"
#include "adapter/ops.h"
#include "app/log.h"
#include "app/messages.h"
#include "app/shared_lock.h"
#include "softap/clock.h"
#include "softap/softap_state.h"
#include "softap/view.h"

#include <atomic>
#include <cwchar>
#include <memory>

IcsConnection gIcsInfo = {};
// The one internet watch that runs: its handle and thread id, both 0 while none runs.
static std::atomic<HANDLE> gCheckInternetThread{nullptr};
static std::atomic<DWORD> gCheckInternetThreadId{0};

static const int kMediaPriority[9] = {1, 6, 4, 2, 3, 5, 7, 8, 9};

static void LogCandidates(const IcsConnectionList& list) {
    for (int i = 0; i < list.count; ++i)
        WriteUiLog(L"{CommonSelectIcsConnectionEx} icsGuid name = %s, connected=%d\n", list.entries[i].networkName,
                   list.entries[i].connected);
}

// The list is large (32 entries of texts): keep it off the worker's stack.
static std::unique_ptr<IcsConnectionList> QueryConnections(int* status) {
    std::unique_ptr<IcsConnectionList> list(new IcsConnectionList());
    *status = UIQueryIcsConnection(list.get());
    return list;
}

bool CommonSelectIcsConnectionEx() {
    int status = 0;
    std::unique_ptr<IcsConnectionList> list = QueryConnections(&status);
    if (status != 0 || list->count <= 0) return false;
    LogCandidates(*list);
    wchar_t ownName[Q8_NAME_MAX];
    {
        SHARED_RECORD_GUARD;
        wcscpy(ownName, currentAdapter.connName);
    }
    for (int p : kMediaPriority) {
        for (int i = 0; i < list->count; ++i) {
            const IcsConnection& c = list->entries[i];
            if (c.connected != 1 || c.mediaType != p || wcscmp(c.networkName, ownName) == 0) continue;
            wchar_t chosen[Q8_NAME_MAX];
            {
                SHARED_RECORD_GUARD;
                gIcsInfo = c;
                wcscpy(chosen, gIcsInfo.networkName);
            }
            WriteUiLog(L"{CommonSelectIcsConnectionEx} gIcsInfo.networkName = %s\n", chosen);
            return true;
        }
    }
    WriteUiLog(L"{CommonSelectIcsConnectionEx} not fit.\n");
    return false;
}

int CurWlanStatus() {
    int status = 0;
    std::unique_ptr<IcsConnectionList> list = QueryConnections(&status);
    if (status != 0 || list->count <= 0) return 2;
    LogCandidates(*list);
    wchar_t shared[Q8_NAME_MAX];
    {
        SHARED_RECORD_GUARD;
        wcscpy(shared, gIcsInfo.networkName);
    }
    for (int i = 0; i < list->count; ++i)
        if (wcscmp(list->entries[i].networkName, shared) == 0) return list->entries[i].connected == 1 ? 1 : 0;
    WriteUiLog(L"{CurWlanStatus} not fit.\n");
    return 2;
}

static void PostAdapterCheck() { PostMessageW(gMainWnd, WM_DRAVO_EVENT, 0, 17); }

DWORD WINAPI ThreadCheckInternet(LPVOID) {
    for (;;) {
        // Without an adapter there is nothing to watch: this watch ends, and
        // the next hotspot starts a new one. Only the registered watch clears
        // the record, so a newer one is never forgotten.
        if (softApState == SOFTAP_NoCard) {
            DWORD me = GetCurrentThreadId();
            if (gCheckInternetThreadId.compare_exchange_strong(me, 0)) {
                HANDLE self = gCheckInternetThread.exchange(nullptr);
                if (self) CloseHandle(self);
            }
            WriteUiLog(L"{ThreadCheckInternet} no adapter, ends\n");
            return 0;
        }
        int s = CurWlanStatus();
        if (s == 0) {
            if (softApState != SOFTAP_NoCard) {
                softApState = SOFTAP_NoInternet;
                SoftApView()->ShowMainWindow();
                if (gDravo) {
                    int r = UIDoUnplug();
                    WriteUiLog(L"{UIDoUnplug} ret=%d \n", r);
                }
                if (CommonSelectIcsConnectionEx()) PostAdapterCheck();
            }
        } else if (s == 2) {
            if (CommonSelectIcsConnectionEx()) PostAdapterCheck();
        } else if (softApState == SOFTAP_NoInternet) {
            softApState = SOFTAP_InternetBack;
            PostAdapterCheck();
        }
        WorkerSleep(50);
    }
}

LRESULT OnSoftapCheckInternet() {
    if (!gCheckInternetThreadId) {
        WriteUiLog(L"CZephynDlg::OnSoftapCheckInternet >> CreateThread(ThreadCheckInternet)\n");
        // Recorded before it runs, so that it can tell itself from a later watch.
        DWORD id = 0;
        HANDLE h = CreateThread(nullptr, 0, ThreadCheckInternet, nullptr, CREATE_SUSPENDED, &id);
        if (h) {
            gCheckInternetThread = h;
            gCheckInternetThreadId = id;
            ResumeThread(h);
        }
    }
    return 0;
}
