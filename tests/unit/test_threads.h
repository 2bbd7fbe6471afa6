// Looking at the utility's locks from outside, as another of its threads would.
#pragma once
#include <windows.h>

// True when another thread can take `mutex` at once. `deadlineMs` only
// guards against a probe that never returns.
inline bool FreeForAnotherThread(HANDLE mutex, DWORD deadlineMs = 30000) {
    struct Probe {
        static DWORD WINAPI Run(LPVOID m) {
            DWORD w = WaitForSingleObject((HANDLE)m, 0);
            if (w != WAIT_OBJECT_0 && w != WAIT_ABANDONED) return 0;
            ReleaseMutex((HANDLE)m);
            return 1;
        }
    };
    HANDLE t = CreateThread(nullptr, 0, Probe::Run, mutex, 0, nullptr);
    if (!t) return false;
    WaitForSingleObject(t, deadlineMs);
    DWORD code = 0;
    GetExitCodeThread(t, &code);
    CloseHandle(t);
    return code == 1;
}
