// memory_probe: a helper of tools/bench-start.sh, not part of Q8. Finds a
// running program's window, optionally walks the utility through every page
// so that each picture is decoded, and prints what Windows reports of the
// program's memory:
//   memory_probe q8            the window carrying the utility's property;
//                              shows the main window and each page first
//   memory_probe title TEXT    the top-level window titled TEXT
// Output: "private=<bytes> working_set=<bytes> handles=<n> pid=<pid>", or a line starting
// with "error".
#include <windows.h>
#include <psapi.h>

#include "app/messages.h"

#include <cstdio>
#include <cwchar>

static const wchar_t kUtilityProp[] = L"AMBREL_UTILITY";

static BOOL CALLBACK FindUtility(HWND hwnd, LPARAM param) {
    if (!GetPropW(hwnd, kUtilityProp)) return TRUE;
    *(HWND*)param = hwnd;
    return FALSE;
}

// Pages of the main window: tips, hotspot panel, the two guides.
static const int kPages[] = {0, 4, 5, 2};

static void VisitEveryPage(HWND main) {
    SendMessageW(main, WM_TRAY_NOTIFY, 0, TRAY_CMD_SHOW);
    for (int page : kPages) {
        SendMessageW(main, WM_SHOW_PAGE, page, 0);
        UpdateWindow(main);
        Sleep(500);  // let each page paint its pictures
    }
}

int wmain(int argc, wchar_t** argv) {
    HWND window = nullptr;
    if (argc >= 2 && wcscmp(argv[1], L"q8") == 0) {
        EnumWindows(FindUtility, (LPARAM)&window);
        if (window) VisitEveryPage(window);
    } else if (argc >= 3 && wcscmp(argv[1], L"title") == 0) {
        window = FindWindowW(nullptr, argv[2]);
    } else {
        printf("error usage: memory_probe q8 | memory_probe title TEXT\n");
        return 2;
    }
    if (!window) {
        printf("error no such window\n");
        return 1;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!process || !GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS*)&counters, sizeof counters)) {
        printf("error no memory counters for pid %lu\n", pid);
        return 1;
    }
    DWORD handles = 0;
    GetProcessHandleCount(process, &handles);
    CloseHandle(process);
    printf("private=%lu working_set=%lu handles=%lu pid=%lu\n", (unsigned long)counters.PrivateUsage,
           (unsigned long)counters.WorkingSetSize, (unsigned long)handles, pid);
    return 0;
}
