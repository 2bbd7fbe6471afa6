// What a user sees and does on the virtual display: real X input through
// xdotool, pixels read back from the screen, screenshots kept for a person
// to look at, and the top-level windows of a process.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Runs xdotool with `args` (e.g. "mousemove 120 240 click 1") on the test
// display and waits until it has finished. false, with the reason in `why`,
// when it could not run.
bool E2eXdo(const std::string& args, std::string* why = nullptr);

// Runs shell lines with the X tools on the test display (xdotool,
// xwininfo, ...); true when they ended with "ok" written by `finish ok`.
bool E2eXShell(const std::string& lines, std::string* why = nullptr);

// The colour on the screen at x, y (as the X server shows it).
COLORREF E2eScreenPixel(int x, int y);
std::string E2eColorText(COLORREF c);

// Saves the whole screen as <build>/screenshots/<name>.png for a person to
// open; true when the file was written.
bool E2eScreenshot(const char* name);

// Visible or hidden top-level windows of process `pid` whose class is `className` (null: any).
std::vector<HWND> E2eWindowsOf(DWORD pid, const wchar_t* className = nullptr);

// The first visible layered top-level window of process `pid` (the
// animation window), or null.
HWND E2eLayeredWindowOf(DWORD pid);

// The tip texts of the icons in Wine's notification area as the shell holds
// them (read from each icon's tooltip), in no particular order.
std::vector<std::wstring> E2eTrayTips();

// Where Wine's stand-alone tray window ("Wine System Tray") starts on the X
// screen: its first icon cell, a 2-pixel border around the small icon.
// Asked of X, because Wine gives that window a frame no window manager
// draws, so its Windows coordinates miss. false, with the reason, when absent.
bool E2eTrayOrigin(int* x, int* y, std::string* why = nullptr);

// Clicks the first icon of Wine's tray with X mouse button `button`; false
// (and a test failure with the reason) when it could not.
bool E2eClickTrayIcon(int button);

// How many near-white pixels the first icon of Wine's tray shows on the
// screen (the lit parts of its glyph); -1 when the tray window is not found.
int E2eTrayIconWhitePixels();

// The pixel at x, y of a PNG picture file, or CLR_INVALID.
COLORREF E2ePicturePixel(const std::wstring& pngPath, int x, int y);

// A PNG picture file's pixels as 0xAARRGGBB, row by row (alpha not
// premultiplied); false when it cannot be read.
bool E2eLoadPicture(const std::wstring& pngPath, int* width, int* height, std::vector<DWORD>* argb);

// The pixels the screen shows in `r`, row by row, read from X in one piece.
std::vector<COLORREF> E2eScreenPixels(const RECT& r);

// What happens to the X windows on the screen from Start to Stop, as xev
// sees it on the root window. Wine gives each top-level window an X window
// there when the window is made, and maps it when the window is shown (a
// layered one: once it has its first picture), so a window that is shown
// only for a moment is still seen.
struct E2eXWindow {
    unsigned long id;
    RECT rect;  // where X had the window
};

class CE2eMapWatch {
public:
    CE2eMapWatch() = default;
    CE2eMapWatch(const CE2eMapWatch&) = delete;
    CE2eMapWatch& operator=(const CE2eMapWatch&) = delete;
    ~CE2eMapWatch() { Stop(); }
    // Starts xev, writing into `logPath`, and returns once it is seen
    // listening. false, with the reason in `why`, when it could not.
    bool Start(const std::wstring& logPath, std::string* why = nullptr);
    // The windows shown since Start, in order, each where it was when shown.
    std::vector<E2eXWindow> Mapped() const;
    // The windows made or moved since Start, each where it was put last.
    std::vector<E2eXWindow> Placed() const;
    // Ends xev (the log stays for a person to read).
    void Stop();

private:
    void Read(std::vector<E2eXWindow>* mapped, std::vector<E2eXWindow>* placed) const;
    std::wstring m_log;
    size_t m_from = 0;  // where the events after the start begin in the log
    bool m_running = false;
};

// A Windows program of the build started with a command line, ended by the destructor.
class CE2eProgram {
public:
    CE2eProgram() = default;
    CE2eProgram(const CE2eProgram&) = delete;
    CE2eProgram& operator=(const CE2eProgram&) = delete;
    ~CE2eProgram() { Stop(); }
    bool Start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workDir);
    // true when it ended within `ms`; `code` gets its exit code.
    bool WaitForExit(DWORD ms, DWORD* code = nullptr) const;
    void Stop();
    bool IsRunning() const { return m_pi.hProcess && WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD pid() const { return m_pi.dwProcessId; }
    DWORD threadId() const { return m_pi.dwThreadId; }  // the main thread's

private:
    PROCESS_INFORMATION m_pi = {};
};
