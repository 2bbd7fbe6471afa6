// Installer window: opening (work folder, running utility, unpack), the
// composed per-pixel-alpha picture, the setup worker, the progress estimate,
// the quit question and the clean-up.
#include "installer/instaro_dlg.h"

#include "installer/installer_log.h"
#include "installer/nic_msgbox.h"
#include "installer/res/setup_resource.h"
#include "ui/kit/layout.h"
#include "ui/kit/page_kit.h"
#include "ui/kit/res_text.h"

#include <gdiplus.h>
#include <shellapi.h>
#include <shlobj.h>
#include <cwchar>
#include <initializer_list>

wchar_t gLogDirPath[MAX_PATH] = L"";
wchar_t gSetupFilePath[MAX_PATH] = L"";
HWND gInstaroWindow = nullptr;

enum {
    PNG_BACKGROUND = 159,
    PNG_QUIT_BOX = 171,
    PNG_PROGRESS_STRIP = 224,
    PNG_DIGITS = 221,
    PNG_PERCENT = 222,
};

// Each button's pictures in the order disabled, normal, pressed, hover.
static const int kClosePictures[4] = {153, 153, 154, 152};
static const int kInstallPictures[4] = {161, 161, 163, 160};
static const int kGuidePictures[4] = {156, 156, 157, 155};

int NextProgressCount(int count) {
    return (count < PROGRESS_HOLD_FIRST || count > PROGRESS_HOLD_LAST) ? count + 1 : count;
}

bool ProgressTickEnds(int count) { return count > PROGRESS_FULL; }

bool BuildSetupCommandLine(wchar_t* out, size_t size, const wchar_t* setup, const wchar_t* folder,
                           const wchar_t* logName) {
    int n = _snwprintf(out, size, L"%s /s /f1\"%s\\Setup.iss\" /f2\"%s\\%s\"", setup, folder, folder, logName);
    if (n < 0 || (size_t)n >= size) {
        if (size) out[0] = L'\0';
        return false;
    }
    return true;
}

// The utility counts as running unless its mutex is certainly absent.
bool IsUtilityRunning() {
    wchar_t name[64];
    LoadResText(IDS_UTILITY_MUTEX, name, ARRAYSIZE(name));
    HANDLE mutex = OpenMutexW(0, FALSE, name);
    if (mutex) {
        CloseHandle(mutex);
        return true;
    }
    return GetLastError() != ERROR_FILE_NOT_FOUND;
}

// Ends the utility whose main window has the utility's title.
static bool StopUtility() {
    wchar_t title[64];
    LoadResText(IDS_UTILITY_TITLE, title, ARRAYSIZE(title));
    HWND window = FindWindowW(nullptr, title);
    if (!window) {
        WriteInstallerLog(L"FindWindow Fail");
        return false;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
    if (process && TerminateProcess(process, 0)) {
        CloseHandle(process);
        return true;
    }
    WriteInstallerLog(L"TerminateProcess Fail,error id is %d", (int)GetLastError());
    if (process) CloseHandle(process);
    return false;
}

// Runs the setup program hidden and waits for it; tells the window when it
// has ended or could not be started.
static DWORD WINAPI SetupWorker(LPVOID) {
    if (GetFileAttributesW(gSetupFilePath) == INVALID_FILE_ATTRIBUTES) {
        WriteInstallerLog(L"Can't find setup");
        SendMessageW(gInstaroWindow, WM_SETUP_MISSING, 0, 0);
        return FALSE;
    }
    wchar_t logName[MAX_PATH], commandLine[MAX_PATH];
    LoadResText(IDS_SETUP_LOG_FILE, logName, ARRAYSIZE(logName));
    if (!BuildSetupCommandLine(commandLine, ARRAYSIZE(commandLine), gSetupFilePath, gLogDirPath, logName)) {
        // A cut command line would run the setup with the wrong response or log file.
        WriteInstallerLog(L"start exe comand is too long for %s", gSetupFilePath);
        SendMessageW(gInstaroWindow, WM_SETUP_ENDED, 0, 0);
        return FALSE;
    }
    WriteInstallerLog(L"start exe comand is %s", commandLine);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi = {};
    bool started = false;
    for (int attempt = 0; attempt < SETUP_START_ATTEMPTS && !started; attempt++) {
        started = CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != 0;
        if (!started)
            WriteInstallerLog(L"the %d time start setup CreateProcess  failed ,Error Number is %d", attempt,
                              (int)GetLastError());
    }
    if (!started) {
        WriteInstallerLog(L"final time start setup CreateProcess  failed ,Error Number is %d", (int)GetLastError());
        SendMessageW(gInstaroWindow, WM_SETUP_ENDED, 0, 0);
        return FALSE;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    SendMessageW(gInstaroWindow, WM_SETUP_ENDED, 0, 0);
    return TRUE;
}

CInstaroDlg::CInstaroDlg() : CDialog(IDD_INSTARO), m_unPack(gLogDirPath) {}

CInstaroDlg::~CInstaroDlg() {
    DestroyWindow();
    delete m_progress;
    delete m_surface;
    if (m_surfaceDC) {
        SelectObject(m_surfaceDC, m_surfaceOld);
        DeleteObject(m_surfaceBitmap);
        DeleteDC(m_surfaceDC);
    }
    // The worker has said its last word by the time the window goes; it is never waited for.
    if (m_worker) CloseHandle(m_worker);
    if (m_icon) DestroyIcon(m_icon);
    if (m_smallIcon) DestroyIcon(m_smallIcon);
    if (m_user32) FreeLibrary(m_user32);
}

bool CInstaroDlg::BindUpdateLayeredWindow() {
    m_user32 = LoadLibraryW(L"User32.DLL");
    if (!m_user32) return false;
    m_updateLayeredWindow = (UpdateLayeredWindowFn)GetProcAddress(m_user32, "UpdateLayeredWindow");
    m_blend.SourceConstantAlpha = 255;
    return true;
}

void CInstaroDlg::MakeWorkPaths() {
    wchar_t appData[MAX_PATH] = L"", folder[64], setupName[64];
    SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE);
    LoadResText(IDS_WORK_FOLDER, folder, ARRAYSIZE(folder));
    int n = _snwprintf(gLogDirPath, ARRAYSIZE(gLogDirPath), L"%s\\%s", appData, folder);
    if (n < 0 || n >= (int)ARRAYSIZE(gLogDirPath)) {
        // A cut folder name would unpack somewhere else than where the setup looks.
        WriteInstallerLog(L"gLogDirPath is too long: %s", appData);
        ExitProcess(0);
    }
    WriteInstallerLog(L"gLogDirPath = %s", gLogDirPath);
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(gLogDirPath, &found);
    if (find == INVALID_HANDLE_VALUE) {
        WriteInstallerLog(L"dir is invalid\n");
        CreateDirectoryW(gLogDirPath, nullptr);
    } else {
        FindClose(find);
    }
    LoadResText(IDS_SETUP_FILE, setupName, ARRAYSIZE(setupName));
    n = _snwprintf(gSetupFilePath, ARRAYSIZE(gSetupFilePath), L"%s\\%s", gLogDirPath, setupName);
    if (n < 0 || n >= (int)ARRAYSIZE(gSetupFilePath)) {
        WriteInstallerLog(L"gSetupFilePath is too long in %s", gLogDirPath);
        ExitProcess(0);
    }
    WriteInstallerLog(L"gSetupFilePath = %s ", gSetupFilePath);
}

void CInstaroDlg::SetUpButtons() {
    struct { CTpButtonEx* button; int id; const int* pictures; UINT rect; } buttons[] = {
        {&m_close, IDC_CLOSE, kClosePictures, IDS_CLOSE_RECT},
        {&m_install, IDC_INSTALL, kInstallPictures, IDS_INSTALL_RECT},
        {&m_guide, IDC_GUIDE, kGuidePictures, IDS_GUIDE_RECT},
    };
    for (auto& b : buttons) {
        b.button->AttachItem(m_hWnd, b.id);
        b.button->SetImages(LoadImageResource(b.pictures[0]), LoadImageResource(b.pictures[1]),
                            LoadImageResource(b.pictures[2]), LoadImageResource(b.pictures[3]));
        b.button->SetCursorResource(IDC_HAND_CURSOR);
        PlaceSkinnedButton(*b.button, b.rect);
    }
}

// The string every later step depends on; without it the installer can't go on.
static void MustLoadString(UINT id) {
    wchar_t text[MAX_PATH];
    if (LoadStringW(gFramework.instance, id, text, ARRAYSIZE(text)) > 0) return;
    wchar_t message[64];
    _snwprintf(message, ARRAYSIZE(message), L"Load String (%d) Failed!", (int)id);
    message[ARRAYSIZE(message) - 1] = L'\0';
    MessageBoxW(nullptr, message, L"Error", MB_OK);
    ExitProcess(1);
}

// The background alone, so that the window shows at once, before the slower steps.
void CInstaroDlg::PushFirstImage() {
    int w = m_client.right, h = m_client.bottom;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bmp = CreateAlphaSurface(screen, w, h, &bits);
    if (bmp) {
        HGDIOBJ old = SelectObject(mem, bmp);
        {
            Gdiplus::Bitmap canvas(w, h, w * 4, PixelFormat32bppPARGB, (BYTE*)bits);
            Gdiplus::Graphics g(&canvas);
            g.DrawImage(m_background->image, 0, 0, w, h);
        }
        SetWindowLongW(m_hWnd, GWL_EXSTYLE, GetWindowLongW(m_hWnd, GWL_EXSTYLE) | WS_EX_LAYERED);
        PushSurface(mem, 254);
        SelectObject(mem, old);
        DeleteObject(bmp);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

bool CInstaroDlg::PushSurface(HDC source, BYTE alpha) {
    if (!m_updateLayeredWindow) return false;
    RECT rc;
    GetWindowRect(m_hWnd, &rc);
    POINT at = {rc.left, rc.top}, from = {0, 0};
    SIZE size = {m_client.right, m_client.bottom};
    m_blend.SourceConstantAlpha = alpha;
    HDC screen = GetDC(nullptr);
    BOOL ok = m_updateLayeredWindow(m_hWnd, screen, &at, &size, source, &from, 0, &m_blend, ULW_ALPHA);
    ReleaseDC(nullptr, screen);
    return ok != FALSE;
}

void CInstaroDlg::StopRunningUtility() {
    if (!IsUtilityRunning()) {
        WriteInstallerLog(L"UI is not Runing ");
        return;
    }
    WriteInstallerLog(L"UI isRuning ");
    if (!StopUtility()) {
        WriteInstallerLog(L"Stop UI run fail ");
        return;
    }
    if (!IsUtilityRunning()) {
        WriteInstallerLog(L"UI stoped Runing ");
        return;
    }
    WriteInstallerLog(L"UI isRuning still ");
    StopUtility();
    WriteInstallerLog(IsUtilityRunning() ? L"UI isRuning still " : L"UI stoped Runing ");
}

void CInstaroDlg::Unpack() {
    HMODULE self = GetModuleHandleW(nullptr);
    if (!self || !m_unPack.InitResouse(self, RES_TYPE_PAYLOAD, IDS_PAYLOAD_LIST)) {
        WriteInstallerLog(L"unPack.InitResouse error！ ");
        ExitProcess(0);
    }
    if (!m_unPack.SetOutDir()) {
        WriteInstallerLog(L"unPack.SetOutDir error！ ");
        ExitProcess(0);
    }
    if (!m_unPack.UnPack()) {
        WriteInstallerLog(L"unPack.UnPack！ ");
        ExitProcess(0);
    }
}

BOOL CInstaroDlg::OnInitDialog() {
    if (!BindUpdateLayeredWindow()) ExitProcess(0);
    SetWindowLongW(m_hWnd, GWL_STYLE, GetWindowLongW(m_hWnd, GWL_STYLE) | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    MakeWorkPaths();
    m_icon = (HICON)LoadImageW(gFramework.instance, MAKEINTRESOURCEW(IDI_SETUP), IMAGE_ICON,
                               GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0);
    m_smallIcon = (HICON)LoadImageW(gFramework.instance, MAKEINTRESOURCEW(IDI_SETUP), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0);
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, (LPARAM)m_icon);
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, (LPARAM)m_smallIcon);
    wchar_t title[64];
    SetWindowTextW(m_hWnd, LoadResText(IDS_WINDOW_TITLE, title, ARRAYSIZE(title)));
    gInstaroWindow = m_hWnd;
    // A second installer looks for this to bring the first one to the front.
    SetPropW(m_hWnd, INSTALLER_INSTANCE_NAME, (HANDLE)1);

    m_background = LoadImageResource(PNG_BACKGROUND);
    m_quitPicture = LoadImageResource(PNG_QUIT_BOX);
    m_client = RECT{0, 0, ImageWidth(m_background), ImageHeight(m_background)};
    SetWindowRgn(m_hWnd, CreateRoundRectRgn(0, 0, m_client.right, m_client.bottom, 5, 5), FALSE);
    MoveWindow(m_hWnd, 0, 0, m_client.right, m_client.bottom, FALSE);
    SetUpButtons();
    MustLoadString(IDS_SETUP_FILE);
    PushFirstImage();
    StopRunningUtility();
    SetTimer(m_hWnd, TIMER_BUTTONS, TIMER_BUTTONS_MS, nullptr);
    SetTimer(m_hWnd, TIMER_UTILITY, TIMER_UTILITY_MS, nullptr);
    Unpack();
    return TRUE;
}

// The background and every button's state, drawn once into the window's
// picture; later the buttons draw their own changes into it.
void CInstaroDlg::Compose() {
    int w = m_client.right, h = m_client.bottom;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    m_surfaceBitmap = CreateAlphaSurface(screen, w, h, &bits);
    ReleaseDC(nullptr, screen);
    if (!m_surfaceBitmap) return;
    m_surfaceDC = CreateCompatibleDC(nullptr);
    m_surfaceOld = SelectObject(m_surfaceDC, m_surfaceBitmap);
    m_surface = new Gdiplus::Bitmap(w, h, w * 4, PixelFormat32bppPARGB, (BYTE*)bits);
    {
        Gdiplus::Graphics g(m_surface);
        g.DrawImage(m_background->image, 0, 0, w, h);
    }
    for (CTpButtonEx* b : {&m_close, &m_install, &m_guide}) b->CaptureSurface(m_surface);
    m_composed = true;
}

void CInstaroDlg::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    if (IsIconic(m_hWnd)) {
        RECT rc;
        GetClientRect(m_hWnd, &rc);
        DrawIcon(dc, (rc.right - GetSystemMetrics(SM_CXICON) + 1) / 2, (rc.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2,
                 m_icon);
        EndPaint(m_hWnd, &ps);
        return;
    }
    EndPaint(m_hWnd, &ps);
    if (!(GetWindowLongW(m_hWnd, GWL_EXSTYLE) & WS_EX_LAYERED))
        SetWindowLongW(m_hWnd, GWL_EXSTYLE, GetWindowLongW(m_hWnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    if (!m_composed) Compose();
    if (m_surfaceDC) PushSurface(m_surfaceDC, 254);
}

void CInstaroDlg::OnButtonsTimer() {
    for (CTpButtonEx* b : {&m_close, &m_install, &m_guide}) {
        RECT rc = b->PlaceInParent();
        InvalidateRect(m_hWnd, &rc, TRUE);
    }
}

void CInstaroDlg::OnProgressTimer() {
    int before = m_count;
    m_count = NextProgressCount(before);
    if (m_progress) {
        m_progress->SetPercent(m_count);
        InvalidateRect(m_progress->hwnd(), nullptr, FALSE);
    }
    if (!ProgressTickEnds(before)) return;
    KillTimer(m_hWnd, TIMER_PROGRESS);
    if (m_progress) ShowWindow(m_progress->hwnd(), SW_HIDE);
    WriteInstallerLog(L"persent Percent 100, Hide UI");
}

void CInstaroDlg::OnUtilityTimer() {
    wchar_t name[64];
    LoadResText(IDS_UTILITY_MUTEX, name, ARRAYSIZE(name));
    HANDLE mutex = OpenMutexW(0, FALSE, name);
    if (!mutex && GetLastError() == ERROR_FILE_NOT_FOUND) return;
    if (mutex) CloseHandle(mutex);
    KillTimer(m_hWnd, TIMER_UTILITY);
    m_count = PROGRESS_UTILITY_STARTED;
    WriteInstallerLog(L"UI Started----SetProcess Persent99");
}

void CInstaroDlg::StartSetup() {
    if (m_worker || m_progress) return;  // one setup per installer
    m_worker = CreateThread(nullptr, 0, SetupWorker, nullptr, 0, nullptr);
    ShowWindow(m_hWnd, SW_HIDE);
    m_progress = new CPercentShowDlg(IDD_PROGRESS, PNG_PROGRESS_STRIP, PNG_DIGITS, PNG_PERCENT);
    m_progress->placeOver = m_hWnd;
    if (m_progress->Create(nullptr)) {
        m_progress->LoadStrip();
        m_progress->frameDelay = 50;
        m_progress->SetPercent(m_count);
        ShowWindow(m_progress->hwnd(), SW_SHOW);
        InvalidateRect(m_progress->hwnd(), nullptr, TRUE);
    }
    SetTimer(m_hWnd, TIMER_PROGRESS, TIMER_PROGRESS_MS, nullptr);
    if (!m_worker) {
        // No thread, no setup: end as a setup that could not be started does.
        WriteInstallerLog(L"CreateThread for setup failed ,Error Number is %d", (int)GetLastError());
        PostMessageW(m_hWnd, WM_SETUP_ENDED, 0, 0);
    }
}

void CInstaroDlg::FinishSetup() {
    KillTimer(m_hWnd, TIMER_PROGRESS);
    if (m_progress) {
        m_progress->SetPercent(PROGRESS_FULL);
        delete m_progress;  // destroys its window
        m_progress = nullptr;
    }
    EndDialog(IDOK);
}

void CInstaroDlg::AskQuit() {
    wchar_t text[64];
    CNicMsgBox box;
    if (box.Show(LoadResText(IDS_QUIT_QUESTION, text, ARRAYSIZE(text)), L"", MB_YESNO, m_hWnd) == IDYES)
        EndDialog(IDOK);
}

void CInstaroDlg::OpenGuide() {
    wchar_t url[MAX_PATH];
    ShellExecuteW(m_hWnd, L"open", LoadResText(IDS_PRODUCT_URL, url, ARRAYSIZE(url)), nullptr, nullptr, SW_SHOW);
}

INT_PTR CInstaroDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    switch (msg) {
    case WM_PAINT: Paint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEMOVE: {
        POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
        if (PtInRect(&m_client, pt) && DragTopLevelOnMouseMove(m_hWnd, wParam)) return 0;
        break;
    }
    case WM_TIMER:
        if (wParam == TIMER_BUTTONS) OnButtonsTimer();
        else if (wParam == TIMER_PROGRESS) OnProgressTimer();
        else if (wParam == TIMER_UTILITY) OnUtilityTimer();
        break;
    case WM_SETUP_ENDED: FinishSetup(); return 0;
    case WM_SETUP_MISSING:
        // Nothing will ever start the utility: end as when the setup has run.
        FinishSetup();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) break;
        switch (LOWORD(wParam)) {
        case IDC_INSTALL: StartSetup(); return 0;
        case IDC_CLOSE: AskQuit(); return 0;
        case IDC_GUIDE: OpenGuide(); return 0;
        // Enter and Escape reach a dialog as IDOK and IDCANCEL: the installer stays.
        case IDOK:
        case IDCANCEL: return 0;
        }
        break;
    }
    handled = false;
    return 0;
}

void CInstaroDlg::OnDestroy() {
    KillTimer(m_hWnd, TIMER_BUTTONS);
    KillTimer(m_hWnd, TIMER_PROGRESS);
    KillTimer(m_hWnd, TIMER_UTILITY);
    RemovePropW(m_hWnd, INSTALLER_INSTANCE_NAME);
    if (!m_unPack.DelFiles()) WriteInstallerLog(L"CInstaroDlg::OnDestroy->DelUnpackFiles  fail");
    for (CTpButtonEx* b : {&m_close, &m_install, &m_guide}) b->Detach();
    gInstaroWindow = nullptr;
    FreeImageCache();
}
