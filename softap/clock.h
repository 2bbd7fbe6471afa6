// The soft AP workers' only view of time: their pauses and their waits on
// apLock go through here, so that a test can run minute-long retry loops in
// milliseconds. Production uses Sleep and WaitForSingleObject unchanged.
#pragma once
#include <windows.h>

struct SoftApClock {
    void (*sleep)(DWORD ms);
    DWORD (*wait)(HANDLE handle, DWORD ms);
};

extern SoftApClock gSoftApClock;

inline void WorkerSleep(DWORD ms) { gSoftApClock.sleep(ms); }
inline DWORD WorkerWait(HANDLE h, DWORD ms) { return gSoftApClock.wait(h, ms); }
