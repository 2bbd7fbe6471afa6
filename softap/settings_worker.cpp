// The panel's settings workers: per kind, one pending record under a short
// lock and at most one thread that drains it. The thread calls the operation
// with the newest record, looks again, and ends once nothing newer came; its
// handle is closed as soon as it starts. Each call holds apLock like every
// other change of the running hotspot.
#include "softap/settings_worker.h"

#include "adapter/ops.h"
#include "app/log.h"
#include "softap/clock.h"
#include "softap/softap.h"

#include <mutex>

namespace {

struct SettingsLane {
    SettingsLane(const wchar_t* workerName, int (*call)(SoftApCfgInfo)) : name(workerName), operation(call) {}

    const wchar_t* name;  // the worker's name in the log
    int (*operation)(SoftApCfgInfo);
    std::mutex lock;  // guards the three below; held only to copy or test them
    SoftApCfgInfo pending = {};
    bool bPending = false;
    bool bRunning = false;  // a thread owns the lane until it finds nothing pending
};

SettingsLane gApplyLane(L"ThreadSetSoftapParam", UISetSoftapParam);
SettingsLane gHideLane(L"ThreadSetSoftapParam2", UISetSoftapParam2);

// The newest request, or false (and the lane given up) when none is left.
// Giving up under the same lock as a request's test means that a request
// either is taken by this thread or starts a new one.
bool TakePending(SettingsLane& lane, SoftApCfgInfo* info) {
    std::lock_guard<std::mutex> guard(lane.lock);
    if (!lane.bPending) {
        lane.bRunning = false;
        return false;
    }
    *info = lane.pending;
    lane.bPending = false;
    return true;
}

// A bring-up or stop may hold apLock for a while; a time-out goes on as if held.
void CallUnderApLock(SettingsLane& lane, const SoftApCfgInfo& info) {
    DWORD wait = WorkerWait(apLock, AP_LOCK_WAIT_MS);
    lane.operation(info);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) ReleaseMutex(apLock);
}

DWORD WINAPI RunLane(LPVOID arg) {
    SettingsLane& lane = *(SettingsLane*)arg;
    SoftApCfgInfo info;
    while (TakePending(lane, &info)) CallUnderApLock(lane, info);
    return 0;
}

void Request(SettingsLane& lane, const SoftApCfgInfo& info) {
    bool bQueued;
    {
        std::lock_guard<std::mutex> guard(lane.lock);
        lane.pending = info;
        lane.bPending = true;
        bQueued = lane.bRunning;
        lane.bRunning = true;
    }
    if (bQueued) {
        WriteUiLog(L"{%s} busy, the newest request waits\n", lane.name);
        return;
    }
    HANDLE thread = CreateThread(nullptr, 0, RunLane, &lane, 0, nullptr);
    if (thread) {
        CloseHandle(thread);
        return;
    }
    WriteUiLog(L"{%s} not started err=%d\n", lane.name, (int)GetLastError());
    std::lock_guard<std::mutex> guard(lane.lock);
    lane.bRunning = false;  // the record stays pending; the next request starts a worker
}

bool Busy(SettingsLane& lane) {
    std::lock_guard<std::mutex> guard(lane.lock);
    return lane.bRunning;
}

}  // namespace

void RequestSoftapParam(const SoftApCfgInfo& info) { Request(gApplyLane, info); }
void RequestSoftapParam2(const SoftApCfgInfo& info) { Request(gHideLane, info); }

bool SoftapParamWorkerBusy() { return Busy(gApplyLane); }
bool SoftapParam2WorkerBusy() { return Busy(gHideLane); }
