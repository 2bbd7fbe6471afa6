// Utility start-up: command line, single instance, elevation, main path.
#include "app/zephyn_app.h"

#include "app/log.h"
#include "app/messages.h"
#include "app/startup.h"
#include "ui/kit/framework.h"
#include "ui/kit/image_cache.h"
#include "ui/zephyn_dlg.h"

#include <commctrl.h>
#include <gdiplus.h>
#include <shellapi.h>
#include <cwchar>

HANDLE apLock = nullptr;
HANDLE staLock = nullptr;

static const wchar_t kInstanceMutex[] = L"AMBREL_UTILITY";
static const wchar_t kRelaunchMutex[] = L"AMBREL-SOFTAP";

static BOOL CALLBACK FindRunningUtility(HWND hwnd, LPARAM out) {
    if (GetPropW(hwnd, kInstanceMutex)) {
        *(HWND*)out = hwnd;
        return FALSE;
    }
    return TRUE;
}

bool CZephynApp::RelaunchElevated() {
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t file[MAX_PATH + 8];
    _snwprintf(file, MAX_PATH + 8, L"\"%s\"", self);
    file[MAX_PATH + 7] = L'\0';
    wchar_t params[64];
    RelaunchParameters(gStartFlags.noGui, params, 64);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = L"RunAs";
    info.lpFile = file;
    info.lpParameters = params;
    info.lpDirectory = L"";
    info.nShow = 0;
    if (!ShellExecuteExW(&info)) return false;
    if (info.hProcess) {
        // Hold "AMBREL_UTILITY" a moment so the copy knows it was relaunched.
        WaitForSingleObject(info.hProcess, 5000);
        CloseHandle(info.hProcess);
    }
    return true;
}

void CZephynApp::RunMainPath() {
    staLock = CreateMutexW(nullptr, FALSE, nullptr);
    apLock = CreateMutexW(nullptr, FALSE, nullptr);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    FrameworkSetRegistryKey(L"Ambrel");
    Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, nullptr);
    InitImageCache();
    CZephynDlg* dlg = new CZephynDlg();
    gFramework.mainWindow = dlg;
    dlg->DoModal();
    delete dlg;
    gFramework.mainWindow = nullptr;
}

BOOL CZephynApp::InitInstance(HINSTANCE instance, const wchar_t* commandLine) {
    FrameworkInit(instance);
    gStartFlags = ParseCommandLine(commandLine);
    HANDLE mutex = CreateMutexW(nullptr, TRUE, kInstanceMutex);
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        OsInfo = ProbeOsInfo();
        if (DecideFirstStart(OsInfo, IsUserAdmin()) == START_RELAUNCH) {
            RelaunchElevated();
            CreateMutexW(nullptr, TRUE, kRelaunchMutex);
            PostQuitMessage(0);
            return FALSE;
        }
        RunMainPath();
        return FALSE;
    }
    if (gStartFlags.elevatedRelaunch) {
        CreateMutexW(nullptr, TRUE, kRelaunchMutex);
        RunMainPath();
        return FALSE;
    }
    CloseHandle(mutex);
    HWND running = nullptr;
    EnumWindows(FindRunningUtility, (LPARAM)&running);
    if (running && IsWindow(running)) SendMessageW(running, WM_TRAY_NOTIFY, 0, TRAY_CMD_SHOW);
    return FALSE;
}

int CZephynApp::ExitInstance() {
    FreeImageCache();
    if (m_gdiplusToken) Gdiplus::GdiplusShutdown(m_gdiplusToken);
    FrameworkExit();
    return 0;
}
