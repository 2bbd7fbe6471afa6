// Main window: initialisation, message table, timers, the tray icon and its
// refresh, the creating look (the animation window) and clean-up.
#include "ui/zephyn_dlg.h"

#include "adapter/bind.h"
#include "adapter/ops.h"
#include "app/log.h"
#include "app/messages.h"
#include "app/settings.h"
#include "app/shared_lock.h"
#include "app/startup.h"
#include "netenv/discovery.h"
#include "netenv/ics_select.h"
#include "res/q8_resource.h"
#include "softap/events.h"
#include "softap/softap.h"
#include "softap/softap_state.h"

#include <shlobj.h>
#include <cwchar>

CZephynDlg* gZephynDlg = nullptr;
HANDLE exitEvent = nullptr;

static const wchar_t kWindowProp[] = L"AMBREL_UTILITY";
// Handed over by threads other than the UI thread (the internet watch).
static const UINT WM_Q8_SHOW_MAIN = WM_APP + 1;

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
    m_uiThread = GetCurrentThreadId();
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
    SetImageCacheLanguage(gResourceLanguage);
    exitEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    softApState = SOFTAP_Initializing;
    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(m_hWnd, SW_HIDE);
    if (UIBindAdapter() != 0) {
        PostQuitMessage(0);
        return FALSE;
    }
    SetTimer(m_hWnd, TIMER_FIRST_CHECK, 3000, nullptr);
    SetTimer(m_hWnd, TIMER_FIRST_SHOW, 300, nullptr);
    m_taskbarCreatedMsg = RegisterWindowMessageW(L"TaskbarCreated");
    AddTrayIcon();
    m_trayRemoved = 0;
    SetTimer(m_hWnd, TIMER_TRAY, 2000, nullptr);
    StartWorker(ThreadMonitorStations, nullptr);
    gWatchDevicesThread = CreateThread(nullptr, 0, ThreadWatchDevices, nullptr, 0, nullptr);
    return gWatchDevicesThread != nullptr;
}

BOOL CZephynDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN) {
        WriteUiLog(L"MAIN<<**PreTranslateMessage** (WM_KEYDOWN) wParam = %d\n", (int)msg->wParam);
        if (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE || msg->wParam == VK_F1) return TRUE;
    }
    return CDialog::PreTranslateMessage(msg);
}

// ---- pages and the window -------------------------------------------------

void CZephynDlg::ShowPage(int page) {
    if (m_creating) return;
    m_currentPage = page;
    WriteUiLog(L"{ShowPage} page=%d\n", page);
}

// Plain text of the page in front: the hotspot's name, key and devices, or
// the state's tip.
void CZephynDlg::ShowPageText() {
    wchar_t text[512];
    if (m_currentPage == PAGE_SOFTAP) {
        SoftApCfgInfo info;
        CopyShared(&info, gSoftApInfo);
        _snwprintf(text, 512, L"无线网络已创建\r\n\r\n网络名称：%s\r\n密码：%s\r\n已连接设备：%d 台", info.ssid,
                   info.encrypt == 1 ? L"（开放网络）" : info.key, (int)stationCount);
    } else {
        _snwprintf(text, 512, L"%s", m_trayTip[0] ? m_trayTip : L"请插入Ambrel");
    }
    text[511] = L'\0';
    SetDlgItemTextW(m_hWnd, IDC_MAIN_STATUS, text);
}

void CZephynDlg::HideMainWindow() { ShowWindow(m_hWnd, SW_HIDE); }

void CZephynDlg::ShowMainWindow() {
    if (GetCurrentThreadId() != m_uiThread) {
        PostMessageW(m_hWnd, WM_Q8_SHOW_MAIN, 0, 0);
        return;
    }
    ShowMainWindowNow();
}

void CZephynDlg::ShowMainWindowNow() {
    if (m_creating) return;
    unsigned state = softApState;
    if (state == SOFTAP_NoInternet || state == SOFTAP_Initializing) {
        HideMainWindow();
        return;
    }
    m_currentPage = state == SOFTAP_Created ? PAGE_SOFTAP : PAGE_TIPS;
    WriteUiLog(L"{ShowMainWindow} page=%d\n", m_currentPage);
    ShowPageText();
    const int w = 480, h = 320;
    int x = (GetSystemMetrics(SM_CXFULLSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYFULLSCREEN) - h) / 2;
    bool hidden = gStartFlags.noGui;
    SetWindowPos(m_hWnd, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, w, h,
                 SWP_NOZORDER | (hidden ? SWP_HIDEWINDOW : SWP_SHOWWINDOW));
    ShowWindow(m_hWnd, hidden ? SW_HIDE : SW_SHOW);
    if (hidden) return;
    ShowWindow(m_hWnd, SW_SHOWNORMAL);
    SetForegroundWindow(m_hWnd);
    SetActiveWindow(m_hWnd);
}

// ---- the creating look ----------------------------------------------------

void CZephynDlg::ShowCreating() {
    if (m_creatingWindow) return;
    softApState = SOFTAP_Creating;
    if (!m_trayRemoved) SetTimer(m_hWnd, TIMER_TRAY, 200, nullptr);
    HideMainWindow();
    m_creating = 1;
    m_progress = 0;
    m_creatingWindow = new CGifShowDlg(IDD_GIF_SHOW, IDP_GIF_STRIP, IDP_GIF_CAPTION);
    // Centred where the main window was; until it was first shown it has no
    // size (0,0 at start), and the animation centres on the work area instead.
    m_creatingWindow->placeOver = m_hWnd;
    if (m_creatingWindow->Create(nullptr)) {
        m_creatingWindow->LoadStrip();
        m_creatingWindow->frameDelay = CREATING_FRAME_DELAY_MS;
        ShowWindow(m_creatingWindow->hwnd(), SW_SHOW);
        InvalidateRect(m_creatingWindow->hwnd(), nullptr, TRUE);
        RECT rc;
        GetWindowRect(m_creatingWindow->hwnd(), &rc);
        WriteUiLog(L"{ShowCreating} window=%d,%d,%d,%d\n", (int)rc.left, (int)rc.top, (int)rc.right, (int)rc.bottom);
    }
    SetTimer(m_hWnd, TIMER_PROGRESS, 200, nullptr);
}

void CZephynDlg::HideCreating() {
    if (m_creatingWindow) {
        KillTimer(m_hWnd, TIMER_PROGRESS);
        m_creatingWindow->progress = 100;
        delete m_creatingWindow;  // destroys the window
        m_creatingWindow = nullptr;
    }
    m_creating = 0;
}

void CZephynDlg::OnCreatingProgress() {
    int p = m_progress;
    if (p < 95 || p >= 100) {
        m_progress = p + 1;
        if (p >= 100) KillTimer(m_hWnd, TIMER_PROGRESS);
    }
    if (m_creatingWindow) {
        m_creatingWindow->progress = p >= 100 ? 100 : (p < 0 ? 0 : p);
    } else {
        KillTimer(m_hWnd, TIMER_PROGRESS);
        HideCreating();
    }
    if (softApState == SOFTAP_Created) {
        KillTimer(m_hWnd, TIMER_PROGRESS);
        HideCreating();
    }
}

void CZephynDlg::OnSoftapCreated(WPARAM page) {
    if (!m_trayRemoved) SetTimer(m_hWnd, TIMER_TRAY, 2000, nullptr);
    HideCreating();
    if (page == 2) WriteUiLog(L"SOFTAP OnSoftapCreated \n");
    ShowPage((int)page);
    gStartFlags.noGui = false;
    ShowMainWindow();
}

// ---- tray -----------------------------------------------------------------

void CZephynDlg::AddTrayIcon() { m_tray.AddTrayIcon(m_hWnd, m_title, m_icon); }

// Explorer rebuilt the notification area and forgot every icon: add ours
// again unless the exit command took it away, then show the state's look.
void CZephynDlg::OnTaskbarCreated() {
    WriteUiLog(L"{OnTaskbarCreated} trayRemoved=%d\n", m_trayRemoved);
    if (m_trayRemoved) return;
    AddTrayIcon();
    RefreshTray();
}

void CZephynDlg::RestoreTrayIfRemoved() {
    if (m_trayRemoved != 1) return;
    AddTrayIcon();
    SetTimer(m_hWnd, TIMER_TRAY, 2000, nullptr);
    m_trayRemoved = 0;
}

void CZephynDlg::RemoveTrayForExit() {
    KillTimer(m_hWnd, TIMER_TRAY);
    m_tray.RemoveTrayIcon();
    m_trayRemoved = 1;
}

// The creating icons in the order they are shown.
static const UINT kCreatingIcons[] = {IDI_TRAY_CREATE_1, IDI_TRAY_CREATE_2, IDI_TRAY_CREATE_3, IDI_TRAY_CREATE_4};

void CZephynDlg::RefreshTray() {
    if (m_trayRemoved) return;
    unsigned state = softApState;
    bool changed = state != m_lastTrayState;
    wchar_t tip[128];
    UINT icon = IDI_TRAY_NORMAL;
    const wchar_t* balloon = L"";  // empty: clear a balloon that is showing
    switch (state) {
    case SOFTAP_NoCard: wcscpy(tip, L"请插入Ambrel"); break;
    case SOFTAP_NoInternet: wcscpy(tip, L"网络连接正常后请重试"); break;
    case SOFTAP_Creating:
    case SOFTAP_SettingIcs:
        wcscpy(tip, L"无线网络正在创建中…");
        icon = kCreatingIcons[m_trayAnimIndex];
        m_trayAnimIndex = (m_trayAnimIndex + 1) % ARRAYSIZE(kCreatingIcons);
        balloon = changed ? tip : nullptr;  // nullptr: leave the balloon alone
        break;
    case SOFTAP_CreateFailed: wcscpy(tip, L"无线网络创建失败"); break;
    case SOFTAP_InternetBack:
    case SOFTAP_IcsFailed: wcscpy(tip, L"共享网络设置失败"); break;
    case SOFTAP_Created:
        _snwprintf(tip, ARRAYSIZE(tip), L"连接到共享WiFi的终端设备有 %d 台", (int)stationCount);
        tip[ARRAYSIZE(tip) - 1] = L'\0';
        if (changed) balloon = L"无线网络创建成功";
        break;
    case SOFTAP_Initializing: wcscpy(tip, L"软件正在初始化，请稍后…"); break;
    default: wcscpy(tip, L"Ambrel"); changed = false; break;
    }
    if (changed && balloon && !balloon[0] && state != SOFTAP_Created) balloon = tip;
    if (changed || wcscmp(tip, m_trayTip) != 0) WriteUiLog(L"{RefreshTray} state=%d tip=%s\n", (int)state, tip);
    wcscpy(m_trayTip, tip);
    if (IsWindowVisible(m_hWnd)) ShowPageText();
    m_tray.SetTrayIcon(icon);
    m_tray.SetTrayTip(tip);
    if (balloon) m_tray.ShowTrayBalloon(balloon);
    m_lastTrayState = state;
}

LRESULT CZephynDlg::OnTrayNotify(WPARAM, LPARAM lParam) {
    UINT what = LOWORD(lParam);
    if (what != WM_MOUSEMOVE) WriteUiLog(L"{OnTrayNotify} lParam=0x%X\n", what);
    RestoreTrayIfRemoved();
    if (what == WM_RBUTTONUP) {
        POINT pt;
        GetCursorPos(&pt);
        SetForegroundWindow(m_hWnd);
        m_tray.ShowTrayMenu(m_hWnd, pt, m_creating != 0);
    } else if (what == TRAY_CMD_SHOW) {
        unsigned s = softApState;
        if (s == SOFTAP_NoInternet || s == SOFTAP_Stopped || s == SOFTAP_CreateFailed || s == SOFTAP_InternetBack ||
            s == SOFTAP_IcsFailed) {
            PostMessageW(m_hWnd, WM_DRAVO_EVENT, 0, 17);
        } else if (!m_creating) {
            gStartFlags.noGui = false;
            ShowMainWindow();
        }
    } else if (what == WM_LBUTTONUP) {
        if (!m_creating) {
            gStartFlags.noGui = false;
            ShowMainWindow();
        }
    }
    return 1;
}

// ---- messages -------------------------------------------------------------

void CZephynDlg::OnTimer(UINT_PTR id) {
    switch (id) {
    case TIMER_FIRST_CHECK:
        PostMessageW(m_hWnd, WM_DRAVO_EVENT, 0, 17);
        KillTimer(m_hWnd, TIMER_FIRST_CHECK);
        break;
    case TIMER_TRAY: RefreshTray(); break;
    case TIMER_PROGRESS: OnCreatingProgress(); break;
    case TIMER_FIRST_SHOW:
        KillTimer(m_hWnd, TIMER_FIRST_SHOW);
        ShowMainWindow();
        break;
    }
}

INT_PTR CZephynDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    if (msg == m_taskbarCreatedMsg && msg != 0) {
        OnTaskbarCreated();
        return 0;
    }
    switch (msg) {
    case WM_TRAY_NOTIFY: return OnTrayNotify(wParam, lParam);
    case WM_DRAVO_EVENT: return EventManage(wParam, lParam);
    case WM_SHOW_PAGE: ShowPage((int)wParam); return 0;
    case WM_CTRL_TOOL: return OnCtrlTool(wParam);
    case WM_SOFTAP_CTRL: return OnSoftapCtrl(wParam);
    case WM_SOFTAP_RESULT: OnSoftapCreated(wParam); return 0;
    case WM_CHECK_INTERNET: return OnSoftapCheckInternet();
    case WM_POWERBROADCAST: return OnPowerBroadcast(wParam);
    case WM_Q8_SHOW_MAIN: ShowMainWindowNow(); return 0;
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_MOUSEMOVE:
        if (wParam == MK_LBUTTON) {
            ReleaseCapture();
            SendMessageW(m_hWnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
        }
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_MAIN_CLOSE: HideMainWindow(); return 0;
        case ID_TRAY_OPEN:
            gStartFlags.noGui = false;
            ShowMainWindow();
            return 0;
        case ID_TRAY_ABOUT: return 0;
        case ID_TRAY_EXIT: OnExitCommand(); return 0;
        }
        break;
    case WM_CLOSE:
        // A close message from outside ends the dialog, and with it the process.
        EndDialog(IDCANCEL);
        return 0;
    }
    handled = false;
    return 0;
}

void CZephynDlg::OnDestroy() {
    if (!m_trayRemoved) m_tray.RemoveTrayIcon();
    RemovePropW(m_hWnd, kWindowProp);
    if (exitEvent) {
        HANDLE e = exitEvent;
        exitEvent = nullptr;
        SetEvent(e);
        CloseHandle(e);
    }
}
