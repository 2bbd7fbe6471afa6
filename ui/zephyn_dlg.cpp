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
#include "ui/kit/layout.h"
#include "ui/kit/page_kit.h"
#include "ui/kit/res_text.h"

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
    SetSoftApView(this);
    PrepareDataDir(m_hWnd);
    LoadIniFile();
    LoadStringW(gFramework.instance, IDS_MAIN_TITLE, m_title, 64);
    SetWindowTextW(m_hWnd, m_title);
    SetImageCacheLanguage(gResourceLanguage);
    exitEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    LoadPageRects();
    m_windowRect = m_pages[0].rect;
    ResizeTo(m_windowRect, false, 0, 0, 0);
    CreatePages();
    SkinCloseButton();
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

// Page 0 takes its picture's size; the others one pixel more each way.
void CZephynDlg::LoadPageRects() {
    struct { int number; CDialog* dialog; int picture; int extra; } pages[] = {
        {PAGE_TIPS, &m_tips, IDP_TIPS_BG, 0},
        {PAGE_SOFTAP, &m_softap, IDP_SOFTAP_CREATED_BG, 1},
        {PAGE_GUIDE, &m_guide, IDP_GUIDE_BG, 1},
        {PAGE_GUIDE_NONE, &m_guideNone, IDP_GUIDE_NONE_BG, 1},
    };
    for (int i = 0; i < (int)ARRAYSIZE(pages); i++) {
        CachedImage* picture = LoadImageResource(pages[i].picture);
        m_pages[i] = Page{pages[i].number, pages[i].dialog,
                          RECT{0, 0, ImageWidth(picture) + pages[i].extra, ImageHeight(picture) + pages[i].extra}};
    }
}

// All four pages in one batch: each a hidden, disabled child with its
// template number as control id, at its rectangle.
void CZephynDlg::CreatePages() {
    HDWP batch = BeginDeferWindowPos(20);
    for (Page& p : m_pages) {
        if (!p.dialog->Create(m_hWnd)) continue;
        HWND h = p.dialog->hwnd();
        SetWindowLongPtrW(h, GWLP_ID, p.dialog->templateId());
        ShowWindow(h, SW_HIDE);
        EnableWindow(h, FALSE);
        if (batch)
            batch = DeferWindowPos(batch, h, nullptr, p.rect.left, p.rect.top, p.rect.right - p.rect.left,
                                   p.rect.bottom - p.rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (batch) EndDeferWindowPos(batch);
}

void CZephynDlg::SkinCloseButton() {
    m_close.AttachItem(m_hWnd, IDC_MAIN_CLOSE);
    SkinButton(m_close, IDP_CLOSE_HOVER, IDP_CLOSE_NORMAL, IDP_CLOSE_PRESSED, IDP_CLOSE_HOVER, IDC_HAND_CURSOR);
    PlaceSkinnedButton(m_close, IDS_MAIN_CLOSE_RECT);
}

CZephynDlg::Page* CZephynDlg::FindPage(int number) {
    for (Page& p : m_pages)
        if (p.number == number) return &p;
    return nullptr;
}

void CZephynDlg::RefreshPage(int number) {
    switch (number) {
    case PAGE_SOFTAP: m_softap.RefreshFromActive(); break;
    case PAGE_GUIDE: m_guide.RefreshGuide(); break;
    case PAGE_GUIDE_NONE: m_guideNone.RefreshGuideOpen(); break;
    }
}

// Shows and enables page `number`, hides and disables the others, and takes
// its rectangle as the window's.
void CZephynDlg::ShowOnly(int number) {
    for (Page& p : m_pages) {
        HWND h = p.dialog->hwnd();
        if (!h || p.number == number) continue;
        ShowWindow(h, SW_HIDE);
        EnableWindow(h, FALSE);
    }
    Page* shown = FindPage(number);
    if (!shown || !shown->dialog->hwnd()) return;
    ShowWindow(shown->dialog->hwnd(), SW_SHOW);
    EnableWindow(shown->dialog->hwnd(), TRUE);
    SendMessageW(shown->dialog->hwnd(), WM_ACTIVATE, 0, 0);
    m_windowRect = shown->rect;
}

// Sizes the window to `rc` (moved to x, y when `move`) with its rounded region.
void CZephynDlg::ResizeTo(const RECT& rc, bool move, int x, int y, UINT show) {
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    SetWindowPos(m_hWnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE | (move ? 0 : SWP_NOMOVE) | show);
    SetWindowRgn(m_hWnd, CreateRoundRectRgn(0, 0, w + 1, h + 1, MAIN_CORNER, MAIN_CORNER), TRUE);
}

void CZephynDlg::ShowPage(int page) {
    if (m_creating) return;
    WriteUiLog(L"{ShowPage} page=%d\n", page);
    RefreshPage(page);
    ShowOnly(page);
    ResizeTo(m_windowRect, false, 0, 0, 0);
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
    int page = state == SOFTAP_Created ? PAGE_SOFTAP : PAGE_TIPS;
    WriteUiLog(L"{ShowMainWindow} page=%d\n", page);
    RefreshPage(page);
    ShowOnly(page);
    // Centred on the screen; a window larger than the screen starts at 0,0.
    const RECT& r = m_windowRect;
    int x = (GetSystemMetrics(SM_CXFULLSCREEN) + r.left - r.right) / 2;
    int y = (GetSystemMetrics(SM_CYFULLSCREEN) + r.top - r.bottom) / 2;
    bool hidden = gStartFlags.noGui;
    ResizeTo(r, true, x < 0 ? 0 : x, y < 0 ? 0 : y, hidden ? SWP_HIDEWINDOW : SWP_SHOWWINDOW);
    ShowWindow(m_hWnd, hidden ? SW_HIDE : SW_SHOW);
    if (hidden) return;
    ResizeTo(r, false, 0, 0, 0);
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
    if (page == PAGE_SOFTAP) {
        WriteUiLog(L"SOFTAP OnSoftapCreated \n");
        m_softap.OnHotspotCreated();
    }
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

void CZephynDlg::ShowExitLook() {
    HideMainWindow();
    KillTimer(m_hWnd, TIMER_TRAY);
    m_tray.RemoveTrayIcon();
    m_trayRemoved = 1;
}

// The creating icons in the order they are shown.
static const UINT kCreatingIcons[] = {IDI_TRAY_CREATE_1, IDI_TRAY_CREATE_2, IDI_TRAY_CREATE_3, IDI_TRAY_CREATE_4};

// The tray's tip text for each state, in the string table.
static UINT TrayTipText(unsigned state) {
    switch (state) {
    case SOFTAP_NoCard: return IDS_TRAY_NO_CARD;
    case SOFTAP_NoInternet: return IDS_TRAY_NO_INTERNET;
    case SOFTAP_Creating:
    case SOFTAP_SettingIcs: return IDS_TRAY_CREATING;
    case SOFTAP_CreateFailed: return IDS_TRAY_CREATE_FAILED;
    case SOFTAP_InternetBack:
    case SOFTAP_IcsFailed: return IDS_TRAY_ICS_FAILED;
    case SOFTAP_Created: return IDS_STATION_COUNT;
    case SOFTAP_Initializing: return IDS_TRAY_INITIALIZING;
    default: return IDS_TRAY_IDLE;
    }
}

void CZephynDlg::RefreshTray() {
    if (m_trayRemoved) return;
    unsigned state = softApState;
    bool changed = state != m_lastTrayState;
    wchar_t text[128], tip[128], balloon[128] = L"";  // empty: clear a balloon that is showing
    bool touchBalloon = true;
    UINT icon = IDI_TRAY_NORMAL;
    LoadResText(TrayTipText(state), text, ARRAYSIZE(text));
    wcscpy(tip, text);
    switch (state) {
    case SOFTAP_Creating:
    case SOFTAP_SettingIcs:
        icon = kCreatingIcons[m_trayAnimIndex];
        m_trayAnimIndex = (m_trayAnimIndex + 1) % ARRAYSIZE(kCreatingIcons);
        touchBalloon = changed;  // while creating a balloon is never cleared
        break;
    case SOFTAP_Created:
        _snwprintf(tip, ARRAYSIZE(tip), text, (int)stationCount);
        tip[ARRAYSIZE(tip) - 1] = L'\0';
        if (changed) LoadResText(IDS_TRAY_CREATED, balloon, ARRAYSIZE(balloon));
        changed = false;  // the balloon is the success text, not the tip
        break;
    case SOFTAP_NoCard:
    case SOFTAP_NoInternet:
    case SOFTAP_CreateFailed:
    case SOFTAP_InternetBack:
    case SOFTAP_IcsFailed:
    case SOFTAP_Initializing: break;
    default: changed = false; break;  // the product name never pops up
    }
    if (changed) wcscpy(balloon, tip);
    if (state != m_lastTrayState || wcscmp(tip, m_trayTip) != 0)
        WriteUiLog(L"{RefreshTray} state=%d tip=%s icon=%u balloon=%s\n", (int)state, tip, icon,
                   touchBalloon ? balloon : L"(kept)");
    wcscpy(m_trayTip, tip);
    m_tray.SetTrayIcon(icon);
    m_tray.SetTrayTip(tip);
    if (touchBalloon) m_tray.ShowTrayBalloon(balloon);
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
    case WM_SOFTAP_NOCARD:
        // Unless a later plug has started a new bring-up meanwhile.
        if (softApState == SOFTAP_NoCard) ShowNoCardLook();
        return 0;
    case WM_POWERBROADCAST: return OnPowerBroadcast(wParam);
    case WM_Q8_SHOW_MAIN: ShowMainWindowNow(); return 0;
    case WM_QUERYDRAGICON: return (INT_PTR)m_icon;
    case WM_PAINT:
        if (!IsIconic(m_hWnd)) break;
        PaintMinimised();
        return 0;
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

// Minimised: the application icon centred in the client area.
void CZephynDlg::PaintMinimised() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    SendMessageW(m_hWnd, WM_ICONERASEBKGND, (WPARAM)dc, 0);
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
    DrawIcon(dc, (rc.right - cx + 1) / 2, (rc.bottom - cy + 1) / 2, m_icon);
    EndPaint(m_hWnd, &ps);
}

void CZephynDlg::OnDestroy() {
    SetSoftApView(nullptr);
    if (!m_trayRemoved) m_tray.RemoveTrayIcon();
    RemovePropW(m_hWnd, kWindowProp);
    if (exitEvent) {
        HANDLE e = exitEvent;
        exitEvent = nullptr;
        SetEvent(e);
        CloseHandle(e);
    }
}
