// The display side of the end-to-end harness.
#include "desktop.h"

#include "harness.h"
#include "sim/unix_run.h"
#include "sim/world.h"

#include <gdiplus.h>

#include <cstdio>

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
