// The display side of the end-to-end harness.
#include "desktop.h"

#include "harness.h"
#include "sim/unix_run.h"
#include "sim/world.h"

#include <commctrl.h>
#include <gdiplus.h>


#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>

bool E2eXShell(const std::string& lines, std::string* why) {
    std::string answer;
    std::string body = "command -v xdotool >/dev/null 2>&1 || finish \"xdotool is missing\"\n" + lines + "\n";
    bool ok = SimRunUnixScript(body, {}, E2E_DEADLINE_MS, &answer) && answer == "ok";
    if (why) *why = answer;
    return ok;
}

bool E2eXdo(const std::string& args, std::string* why) {
    return E2eXShell("xdotool " + args + " 2>&1 && finish ok\nfinish \"xdotool " + args + " failed\"", why);
}

COLORREF E2eScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return c;
}

std::string E2eColorText(COLORREF c) {
    char text[32];
    if (c == CLR_INVALID) return "(none)";
    snprintf(text, sizeof text, "(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

bool E2eScreenshot(const char* name) {
    wchar_t dir[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"Q8_BIN_DIR", dir, MAX_PATH);
    std::string unixDir = SimToUtf8(dir);
    unixDir = unixDir.substr(0, unixDir.rfind('/')) + "/screenshots";
    std::string body = "mkdir -p \"" + unixDir + "\" && import -window root \"" + unixDir + "/" + name +
                       ".png\" 2>/dev/null && finish ok\nfinish \"import failed\"\n";
    std::string answer;
    return SimRunUnixScript(body, {}, E2E_DEADLINE_MS, &answer) && answer == "ok";
}

struct ProcessWindows {
    DWORD pid;
    const wchar_t* className;
    std::vector<HWND> found;
};

static BOOL CALLBACK CollectProcessWindow(HWND hwnd, LPARAM param) {
    ProcessWindows* s = (ProcessWindows*)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid) return TRUE;
    wchar_t cls[64] = L"";
    GetClassNameW(hwnd, cls, ARRAYSIZE(cls));
    if (!s->className || wcscmp(cls, s->className) == 0) s->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> E2eWindowsOf(DWORD pid, const wchar_t* className) {
    ProcessWindows s = {pid, className, {}};
    EnumWindows(CollectProcessWindow, (LPARAM)&s);
    return s.found;
}

HWND E2eLayeredWindowOf(DWORD pid) {
    for (HWND h : E2eWindowsOf(pid))
        if ((GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_LAYERED) && IsWindowVisible(h)) return h;
    return nullptr;
}

// Wine's tray, stand-alone ("Wine System Tray") or in its taskbar: each icon
// has a tooltip window of its own, owned by the tray window, whose one tool
// holds the icon's tip. All of them live in the shell's process.
static bool IsTrayWindowClass(const wchar_t* cls) {
    return wcscmp(cls, L"__winex11_standalone_tray") == 0 || wcscmp(cls, L"Shell_TrayWnd") == 0;
}

// Runs `message` on a tooltip of another process with a tool record and a
// text buffer that live in that process's memory; `ti` goes in and comes
// back, `text` gets the buffer. false when the process could not be reached.
static bool RemoteToolCall(HANDLE process, HWND tooltip, UINT message, WPARAM wParam, TTTOOLINFOW* ti,
                           std::wstring* text) {
    const int textChars = 256;
    wchar_t buffer[textChars] = L"";
    SIZE_T size = sizeof *ti + sizeof buffer, moved = 0;
    BYTE* remote = (BYTE*)VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    if (!remote) return false;
    ti->cbSize = sizeof *ti;
    ti->lpszText = (wchar_t*)(remote + sizeof *ti);
    bool ok = WriteProcessMemory(process, remote, ti, sizeof *ti, &moved) &&
              WriteProcessMemory(process, remote + sizeof *ti, buffer, sizeof buffer, &moved);
    if (ok) {
        SendMessageW(tooltip, message, wParam, (LPARAM)remote);
        ok = ReadProcessMemory(process, remote, ti, sizeof *ti, &moved) &&
             ReadProcessMemory(process, remote + sizeof *ti, buffer, sizeof buffer, &moved);
        buffer[textChars - 1] = L'\0';
        if (ok && text) *text = buffer;
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return ok;
}

static BOOL CALLBACK CollectTrayTips(HWND hwnd, LPARAM param) {
    wchar_t cls[64] = L"";
    GetClassNameW(hwnd, cls, ARRAYSIZE(cls));
    HWND owner = GetWindow(hwnd, GW_OWNER);
    wchar_t ownerCls[64] = L"";
    if (owner) GetClassNameW(owner, ownerCls, ARRAYSIZE(ownerCls));
    if (wcscmp(cls, TOOLTIPS_CLASSW) != 0 || !IsTrayWindowClass(ownerCls)) return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return TRUE;
    int tools = (int)SendMessageW(hwnd, TTM_GETTOOLCOUNT, 0, 0);
    for (int i = 0; i < tools; i++) {
        TTTOOLINFOW ti = {};
        std::wstring tip;
        if (!RemoteToolCall(process, hwnd, TTM_ENUMTOOLSW, i, &ti, nullptr)) continue;
        TTTOOLINFOW which = {};
        which.hwnd = ti.hwnd;
        which.uId = ti.uId;
        which.uFlags = ti.uFlags;
        if (RemoteToolCall(process, hwnd, TTM_GETTEXTW, 256, &which, &tip))
            ((std::vector<std::wstring>*)param)->push_back(tip);
    }
    CloseHandle(process);
    return TRUE;
}

std::vector<std::wstring> E2eTrayTips() {
    std::vector<std::wstring> tips;
    EnumWindows(CollectTrayTips, (LPARAM)&tips);
    return tips;
}

static const int kTrayIconBorder = 2;  // around each icon in its cell

bool E2eTrayOrigin(int* x, int* y, std::string* why) {
    std::string lines =
        "id=$(xdotool search --name 'Wine System Tray' | head -n 1)\n"
        "[ -n \"$id\" ] || finish 'no Wine System Tray window'\n"
        "eval $(xdotool getwindowgeometry --shell \"$id\")\n"
        "finish \"at $X $Y\"";
    std::string answer;
    E2eXShell(lines, &answer);  // answers with the position instead of "ok"
    bool ok = sscanf(answer.c_str(), "at %d %d", x, y) == 2;
    if (!ok && why) *why = answer;
    return ok;
}

bool E2eClickTrayIcon(int button) {
    int x = 0, y = 0;
    std::string why;
    int half = (GetSystemMetrics(SM_CYSMICON) + 2 * kTrayIconBorder) / 2;
    bool ok = E2eTrayOrigin(&x, &y, &why) &&
              E2eXdo("mousemove " + std::to_string(x + half) + " " + std::to_string(y + half) + " click " +
                         std::to_string(button),
                     &why);
    if (!ok) ADD_FAILURE() << "clicking the tray icon: " << why;
    return ok;
}

int E2eTrayIconWhitePixels() {
    int x = 0, y = 0;
    if (!E2eTrayOrigin(&x, &y)) return -1;
    // Only the icon itself: the cell has a border of the tray's own colour.
    int size = GetSystemMetrics(SM_CYSMICON), white = 0;
    HDC screen = GetDC(nullptr);
    for (int dy = kTrayIconBorder; dy < kTrayIconBorder + size; dy++)
        for (int dx = kTrayIconBorder; dx < kTrayIconBorder + size; dx++) {
            COLORREF c = GetPixel(screen, x + dx, y + dy);
            if (c != CLR_INVALID && GetRValue(c) > 220 && GetGValue(c) > 220 && GetBValue(c) > 220) white++;
        }
    ReleaseDC(nullptr, screen);
    return white;
}

COLORREF E2ePicturePixel(const std::wstring& pngPath, int x, int y) {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return CLR_INVALID;
    COLORREF c = CLR_INVALID;
    {
        Gdiplus::Bitmap picture(pngPath.c_str());
        Gdiplus::Color px;
        if (picture.GetLastStatus() == Gdiplus::Ok && picture.GetPixel(x, y, &px) == Gdiplus::Ok)
            c = RGB(px.GetR(), px.GetG(), px.GetB());
    }
    Gdiplus::GdiplusShutdown(token);
    return c;
}

bool E2eLoadPicture(const std::wstring& pngPath, int* width, int* height, std::vector<DWORD>* argb) {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
    bool ok = false;
    {
        Gdiplus::Bitmap picture(pngPath.c_str());
        if (picture.GetLastStatus() == Gdiplus::Ok) {
            *width = (int)picture.GetWidth();
            *height = (int)picture.GetHeight();
            argb->assign((size_t)*width * *height, 0);
            Gdiplus::Rect all(0, 0, *width, *height);
            Gdiplus::BitmapData data = {};
            if (picture.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) == Gdiplus::Ok) {
                for (int y = 0; y < *height; y++)
                    memcpy(&(*argb)[(size_t)y * *width], (BYTE*)data.Scan0 + (size_t)y * data.Stride, *width * 4);
                picture.UnlockBits(&data);
                ok = true;
            }
        }
    }
    Gdiplus::GdiplusShutdown(token);
    return ok;
}

std::vector<COLORREF> E2eScreenPixels(const RECT& r) {
    int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<COLORREF> pixels;
    if (w <= 0 || h <= 0) return pixels;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bmp) {
        HGDIOBJ old = SelectObject(mem, bmp);
        if (BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY)) {
            const DWORD* p = (const DWORD*)bits;
            pixels.resize((size_t)w * h);
            for (size_t i = 0; i < pixels.size(); i++)
                pixels[i] = RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF);
        }
        SelectObject(mem, old);
        DeleteObject(bmp);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool CE2eMapWatch::Start(const std::wstring& logPath, std::string* why) {
    Stop();
    m_log = logPath;
    m_from = 0;
    DeleteFileW(m_log.c_str());
    DeleteFileW((m_log + L".pid").c_str());
    // xev, line-buffered so that the log is complete up to the last event.
    // It says nothing until an event comes, and takes a moment to start
    // listening: a property of the root window is set until xev reports it.
    std::string body =
        "command -v xev >/dev/null 2>&1 && command -v xprop >/dev/null 2>&1 || finish 'xev or xprop is missing'\n"
        "stdbuf -oL xev -root -event substructure -event property >\"$2\" 2>&1 </dev/null &\n"
        "echo $! >\"$3\"\n"
        "for i in $(seq 200); do\n"
        "  xprop -root -f Q8_MAP_WATCH 8s -set Q8_MAP_WATCH \"$i\" 2>/dev/null\n"
        "  grep -q Q8_MAP_WATCH \"$2\" && finish ok\n"
        "  sleep 0.1\n"
        "done\n"
        "finish 'xev reported nothing'\n";
    std::string answer;
    std::wstring unixLog = SimFromUtf8(SimUnixPath(m_log));
    bool ok = SimRunUnixScript(body, {unixLog, unixLog + L".pid"}, E2E_DEADLINE_MS, &answer) && answer == "ok";
    m_running = E2eFileExists(m_log + L".pid");
    m_from = E2eReadFile(m_log).size();
    if (!ok && why) *why = answer;
    return ok;
}

std::vector<E2eXWindow> CE2eMapWatch::Mapped() const {
    std::vector<E2eXWindow> mapped;
    Read(&mapped, nullptr);
    return mapped;
}

std::vector<E2eXWindow> CE2eMapWatch::Placed() const {
    std::vector<E2eXWindow> placed;
    Read(nullptr, &placed);
    return placed;
}

void CE2eMapWatch::Read(std::vector<E2eXWindow>* mapped, std::vector<E2eXWindow>* placed) const {
    std::string log = E2eReadFile(m_log);
    if (log.size() < m_from) return;
    // An event is a line that starts at the margin, with indented lines after it.
    static const std::regex where("(?:parent|event) 0x([0-9a-f]+), window 0x([0-9a-f]+), \\((-?\\d+),(-?\\d+)\\), "
                                  "width (\\d+), height (\\d+)");
    static const std::regex shown("event 0x[0-9a-f]+, window 0x([0-9a-f]+), override");
    std::vector<E2eXWindow> geometry;
    auto find = [](std::vector<E2eXWindow>& in, unsigned long id) -> RECT* {
        for (E2eXWindow& w : in)
            if (w.id == id) return &w.rect;
        return nullptr;
    };
    size_t pos = 0;
    while (pos < log.size()) {
        size_t end = pos;
        do {
            end = log.find('\n', end);
            end = end == std::string::npos ? log.size() : end + 1;
        } while (end < log.size() && (log[end] == ' ' || log[end] == '\t' || log[end] == '\n'));
        std::string event = log.substr(pos, end - pos);
        bool after = pos >= m_from;
        pos = end;
        std::smatch m;
        if (std::regex_search(event, m, where)) {
            unsigned long id = strtoul(m[2].str().c_str(), nullptr, 16);
            int x = atoi(m[3].str().c_str()), y = atoi(m[4].str().c_str());
            RECT r = {x, y, x + atoi(m[5].str().c_str()), y + atoi(m[6].str().c_str())};
            if (RECT* known = find(geometry, id)) *known = r;
            else geometry.push_back({id, r});
            if (placed && after) {
                if (RECT* known = find(*placed, id)) *known = r;
                else placed->push_back({id, r});
            }
        } else if (mapped && after && event.compare(0, 9, "MapNotify") == 0 && std::regex_search(event, m, shown)) {
            unsigned long id = strtoul(m[1].str().c_str(), nullptr, 16);
            RECT* known = find(geometry, id);
            mapped->push_back({id, known ? *known : RECT{0, 0, 0, 0}});
        }
    }
}

void CE2eMapWatch::Stop() {
    if (!m_running) return;
    m_running = false;
    std::string answer;
    SimRunUnixScript("kill \"$(cat \"$2\")\" 2>/dev/null; finish ok", {SimFromUtf8(SimUnixPath(m_log + L".pid"))},
                     E2E_DEADLINE_MS, &answer);
}

bool CE2eProgram::Start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workDir) {
    std::wstring cmd = L"\"" + exe + L"\" " + arguments;
    std::vector<wchar_t> line(cmd.begin(), cmd.end());
    line.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    return CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(), &si,
                          &m_pi) != FALSE;
}

bool CE2eProgram::WaitForExit(DWORD ms, DWORD* code) const {
    if (!m_pi.hProcess || WaitForSingleObject(m_pi.hProcess, ms) != WAIT_OBJECT_0) return false;
    if (code) GetExitCodeProcess(m_pi.hProcess, code);
    return true;
}

void CE2eProgram::Stop() {
    if (!m_pi.hProcess) return;
    if (WaitForSingleObject(m_pi.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(m_pi.hProcess, 1);
        WaitForSingleObject(m_pi.hProcess, E2E_CLOSE_MS);
    }
    CloseHandle(m_pi.hProcess);
    CloseHandle(m_pi.hThread);
    m_pi = {};
}
