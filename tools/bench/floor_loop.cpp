// floor_loop: the yardstick of tools/bench-q8.sh, not part of Q8. It makes
// exactly the calls that Q8's design demands while the hotspot is up with
// stations joined, through the same library and the same operation code,
// on threads as Q8 has them, and nothing else:
//   - one device enumeration a second (the device watch),
//   - one connection query every 50 ms (the internet watch),
//   - the station list and the hotspot status every 2 s (the station poll),
//   - a tray icon refreshed every 2 s (the tray tick).
// What Q8 costs beyond this is the cost of its own design's execution.
#include "adapter/bind.h"
#include "adapter/ops.h"
#include "adapter/secmode.h"
#include "app/messages.h"
#include "netenv/discovery.h"
#include "softap/softap_state.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <initializer_list>
#include <memory>

#define FLOOR_TIMER_TRAY 1
#define FLOOR_TRAY_MS 2000
#define FLOOR_TRAY_MSG (WM_APP + 1)

static DWORD WINAPI WatchDevices(LPVOID) {
    NicModel table[NIC_MODEL_MAX];
    BuildShippedModelTable(table);
    static NicDeviceRecord records[NIC_RECORD_MAX];
    for (;;) {
        EnumerateAdapters(table, records);
        Sleep(1000);
    }
}

static DWORD WINAPI WatchConnection(LPVOID) {
    std::unique_ptr<IcsConnectionList> list(new IcsConnectionList());
    for (;;) {
        UIQueryIcsConnection(list.get());
        Sleep(50);
    }
}

static DWORD WINAPI PollStations(LPVOID) {
    for (;;) {
        UIQuerySoftApStaList();
        SoftApStatus status = {};
        UIQuerySoftApStatus(&status);
        Sleep(2000);
    }
}

static NOTIFYICONDATAW gTray = {};

static void RefreshTray() {
    static int tick = 0;
    _snwprintf(gTray.szTip, ARRAYSIZE(gTray.szTip), L"floor_loop %d", ++tick % 2);
    gTray.uFlags = NIF_TIP | NIF_ICON;
    Shell_NotifyIconW(NIM_MODIFY, &gTray);
}

static LRESULT CALLBACK FloorWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER && wParam == FLOOR_TIMER_TRAY) {
        RefreshTray();
        return 0;
    }
    if (msg == WM_DESTROY) {
        Shell_NotifyIconW(NIM_DELETE, &gTray);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The hotspot up as Q8 brings it up: adapter initialised, soft AP mode set.
static bool BringUp() {
    ControlNicList adapters = {};
    UIGetControlNicList(&adapters);
    if (adapters.count <= 0 || UIInitAdapter(adapters.entries[0].guid) != 0) return false;
    SoftApCfgInfo info = {};
    wcscpy(info.ssid, L"floor_loop");
    wcscpy(info.key, L"floor123");
    info.encrypt = ENCRYPT_AES;
    info.auth = AUTH_WPA2PSK;
    info.channel = 6;
    info.frequency = 2437;
    return UISetSoftApMode(info) == 0;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = FloorWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"FloorLoop";
    if (!RegisterClassW(&wc)) return 1;
    HWND hwnd = CreateWindowW(L"FloorLoop", L"floor_loop", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                              instance, nullptr);
    if (!hwnd) return 1;
    gMainWnd = hwnd;  // the library's events land here and are dropped
    if (UIBindAdapter() != 0 || !BringUp()) return 2;
    gTray.cbSize = sizeof gTray;
    gTray.hWnd = hwnd;
    gTray.uID = 1;
    gTray.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    gTray.uCallbackMessage = FLOOR_TRAY_MSG;
    gTray.hIcon = LoadIconW(nullptr, (LPCWSTR)IDI_APPLICATION);
    wcscpy(gTray.szTip, L"floor_loop");
    Shell_NotifyIconW(NIM_ADD, &gTray);
    SetTimer(hwnd, FLOOR_TIMER_TRAY, FLOOR_TRAY_MS, nullptr);
    for (LPTHREAD_START_ROUTINE body : {WatchDevices, WatchConnection, PollStations}) {
        HANDLE t = CreateThread(nullptr, 0, body, nullptr, 0, nullptr);
        if (t) CloseHandle(t);  // they run until the process ends
    }
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return 0;
}
