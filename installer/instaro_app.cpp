// Installer start-up: single instance, administrator question, GDI+, the
// installer window.
#include "installer/instaro_app.h"

#include "app/startup.h"
#include "installer/instaro_dlg.h"
#include "installer/res/setup_resource.h"
#include "ui/kit/framework.h"
#include "ui/kit/image_cache.h"
#include "ui/kit/res_text.h"

#include <commctrl.h>
#include <gdiplus.h>
#include <cwchar>

bool NeedsAdminQuestion(int osCode, bool isAdmin) { return !isAdmin && osCode <= 6; }

static BOOL CALLBACK FindInstallerWindow(HWND window, LPARAM found) {
    if (!GetPropW(window, INSTALLER_INSTANCE_NAME)) return TRUE;
    *(HWND*)found = window;
    return FALSE;
}

HWND FindRunningInstaller() {
    HWND found = nullptr;
    EnumWindows(FindInstallerWindow, (LPARAM)&found);
    return found;
}

static void BringToFront(HWND window) {
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    if (!IsWindowVisible(window)) ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    SetActiveWindow(GetLastActivePopup(window));
}

// The caption of the question: the program's file name without its extension.
static void ProgramName(wchar_t* out, size_t size) {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, ARRAYSIZE(path));
    const wchar_t* name = wcsrchr(path, L'\\');
    name = name ? name + 1 : path;
    wcsncpy(out, name, size - 1);
    out[size - 1] = L'\0';
    if (wchar_t* dot = wcsrchr(out, L'.')) *dot = L'\0';
}

bool CInstaroApp::AskAboutRights() {
    OsInfo = ProbeOsInfo();
    if (!NeedsAdminQuestion(OsInfo, IsUserAdmin())) return true;
    wchar_t text[128], caption[MAX_PATH];
    LoadResText(IDS_ADMIN_QUESTION, text, ARRAYSIZE(text));
    ProgramName(caption, ARRAYSIZE(caption));
    return MessageBoxW(nullptr, text, caption, MB_YESNO) == IDYES;
}

bool CInstaroApp::InitInstance(HINSTANCE instance) {
    FrameworkInit(instance);
    m_instance = CreateMutexW(nullptr, TRUE, INSTALLER_INSTANCE_NAME);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(m_instance);
        m_instance = nullptr;
        HWND first = FindRunningInstaller();
        if (first && IsWindow(first)) BringToFront(first);
        return false;
    }
    if (!AskAboutRights()) return false;
    INITCOMMONCONTROLSEX icc = {sizeof icc, 0xFF};
    InitCommonControlsEx(&icc);
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, nullptr);
    InitImageCache();
    CInstaroDlg* dialog = new CInstaroDlg();
    gFramework.mainWindow = dialog;
    dialog->DoModal();
    gFramework.mainWindow = nullptr;
    delete dialog;
    return false;
}

int CInstaroApp::ExitInstance() {
    if (m_gdiplusToken) Gdiplus::GdiplusShutdown(m_gdiplusToken);
    FrameworkExit();
    // The mutex goes with the process.
    return 0;
}
