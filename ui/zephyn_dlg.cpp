// Main window: initialisation, message table and clean-up.
#include "ui/zephyn_dlg.h"

#include "adapter/bind.h"
#include "app/log.h"
#include "app/messages.h"
#include "app/settings.h"
#include "app/startup.h"
#include "res/q8_resource.h"
#include "softap/events.h"
#include "softap/softap_state.h"

#include <shlobj.h>
#include <cwchar>

CZephynDlg* gZephynDlg = nullptr;
HANDLE exitEvent = nullptr;

static const wchar_t kWindowProp[] = L"AMBREL_UTILITY";

CZephynDlg::CZephynDlg() : CDialog(IDD_Q8_MAIN) {}

static void PrepareDataDir(HWND hwnd) {
    wchar_t dir[MAX_PATH] = L"";
    SHGetSpecialFolderPathW(hwnd, dir, CSIDL_APPDATA, FALSE);
    WriteUiLog(L"MyDir = %s\n", dir);
    _snwprintf(gDataDir, MAX_PATH, L"%s\\Vorn", dir);
    gDataDir[MAX_PATH - 1] = L'\0';
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(gDataDir, &found);
    if (h == INVALID_HANDLE_VALUE)
        CreateDirectoryW(gDataDir, nullptr);
    else
        FindClose(h);
}

BOOL CZephynDlg::OnInitDialog() {
    m_icon = LoadIconW(gFramework.instance, MAKEINTRESOURCEW(IDI_Q8_APP));
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, (LPARAM)m_icon);
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, (LPARAM)m_icon);
    SetPropW(m_hWnd, kWindowProp, (HANDLE)1);
    gZephynDlg = this;
    gMainWnd = m_hWnd;
    PrepareDataDir(m_hWnd);
    LoadIniFile();
    LoadStringW(gFramework.instance, IDS_MAIN_TITLE, m_title, 64);
    SetWindowTextW(m_hWnd, m_title);
    exitEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    softApState = SOFTAP_Initializing;
    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(m_hWnd, SW_HIDE);
    if (UIBindAdapter() != 0) {
        PostQuitMessage(0);
        return FALSE;
    }
    return TRUE;
}

BOOL CZephynDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN) {
        WriteUiLog(L"MAIN<<**PreTranslateMessage** (WM_KEYDOWN) wParam = %d\n", (int)msg->wParam);
        if (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE || msg->wParam == VK_F1) return TRUE;
    }
    return CDialog::PreTranslateMessage(msg);
}

void CZephynDlg::ShowPage(int) {}

void CZephynDlg::ShowMainWindow() {
    unsigned state = softApState;
    if (state == SOFTAP_NoInternet || state == SOFTAP_Initializing) {
        ShowWindow(m_hWnd, SW_HIDE);
        return;
    }
}

LRESULT CZephynDlg::OnTrayNotify(WPARAM, LPARAM lParam) {
    UINT what = LOWORD(lParam);
    if (what != WM_MOUSEMOVE) WriteUiLog(L"{OnTrayNotify} lParam=0x%X\n", what);
    if (what == TRAY_CMD_SHOW) {
        unsigned s = softApState;
        if (s == SOFTAP_NoInternet || s == SOFTAP_Stopped || s == SOFTAP_CreateFailed || s == SOFTAP_InternetBack ||
            s == SOFTAP_IcsFailed) {
            PostMessageW(m_hWnd, WM_DRAVO_EVENT, 0, 17);
        } else {
            gStartFlags.noGui = false;
            ShowMainWindow();
        }
    } else if (what == WM_LBUTTONUP) {
        gStartFlags.noGui = false;
        ShowMainWindow();
    }
    return 1;
}

INT_PTR CZephynDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    switch (msg) {
    case WM_TRAY_NOTIFY: return OnTrayNotify(wParam, lParam);
    case WM_DRAVO_EVENT: return EventManage(wParam, lParam);
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_MAIN_CLOSE) {
            ShowWindow(m_hWnd, SW_HIDE);
            return 0;
        }
        break;
    case WM_CLOSE:
        // A close message from outside ends the dialog (and with it the process).
        EndDialog(IDCANCEL);
        return 0;
    }
    handled = false;
    return 0;
}

void CZephynDlg::OnDestroy() {
    RemovePropW(m_hWnd, kWindowProp);
    if (exitEvent) {
        SetEvent(exitEvent);
        CloseHandle(exitEvent);
        exitEvent = nullptr;
    }
}
