// The installer Q8_Setup.exe as a user and other programs meet it, under Wine
// on the lane's display with real X input: it stops a running utility, writes
// out its payload and holds it, waits for the user, runs the setup program
// hidden behind its progress window, and cleans up after itself.
//
// Test builds of the same code carry other payloads: a stand-in setup program
// that the tests steer through files in Q8_STANDIN_DIR, a setup program that
// is no program, a list without a setup program, and a list that names a
// resource the installer lacks. The installer's diagnostic log goes to
// E:\Instaro_log.log; drive E: is a folder of the test's sandbox.
#include "desktop.h"
#include "harness.h"

#include "sim/unix_run.h"
#include "sim/world.h"

#include <tlhelp32.h>

#include <cstdlib>
#include <functional>
#include <regex>
#include <string>
#include <vector>

namespace {

// The installer's mutex, and the property of its window by which a second
// start finds the first.
#define INSTALLER_NAME L"TAVELIN-NIC-SETUP-UTILITY"
const wchar_t kInstallerTitle[] = L"Ambrel安装程序";

// The installer window opens at the screen's origin, so its client points are
// screen points: the middle of its close and install buttons, and a point on
// its picture away from every button.
const POINT kCloseButton = {405 + 9, 40 + 9};
const POINT kInstallButton = {162 + 68, 260 + 22};
const POINT kOnPicture = {230, 150};
const RECT kWindowRect = {0, 0, 460, 400};
// The progress window (198 x 198) is centred on the installer window.
const RECT kProgressRect = {131, 101, 131 + 198, 101 + 198};
// The quit question (354 x 167) is centred on the screen; its buttons'
// middles, relative to it, and a point on its picture away from them.
const SIZE kQuitBoxSize = {354, 167};
const POINT kYesButton = {98 + 39, 114 + 11};
const POINT kNoButton = {185 + 39, 114 + 11};
const POINT kOnQuitPicture = {20, 140};
// Where the mouse waits while it is not needed: on none of the windows.
const char kMouseAway[] = "mousemove 1200 780";

// The programs a run may leave behind when a test fails half-way: the
// installer builds, the stand-in under both its names, the setup package.
const wchar_t* const kPrograms[] = {
    L"Q8_Setup.exe",          L"q8_setup_standin.exe",          L"q8_setup_not_a_program.exe",
    L"q8_setup_no_setup.exe", L"q8_setup_missing_resource.exe", L"setup_standin.exe",
    L"Setup.exe",
};

std::string U8(const std::wstring& s) { return SimToUtf8(s); }

std::wstring Title(HWND w) {
    wchar_t text[64] = L"";
    GetWindowTextW(w, text, ARRAYSIZE(text));
    return text;
}

// The percentage the progress window's title says, or -1.
int Percent(HWND progress) {
    std::wstring t = Title(progress);
    if (t.size() < 2 || t.back() != L'%') return -1;
    return _wtoi(t.c_str());
}

RECT WindowRect(HWND w) {
    RECT r = {};
    GetWindowRect(w, &r);
    return r;
}

std::string RectText(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

std::string Xy(POINT p) { return std::to_string(p.x) + " " + std::to_string(p.y); }

// A real click of the left button at screen point `p`, the mouse then put away.
bool Click(POINT p) {
    std::string why;
    bool ok = E2eXdo("mousemove " + Xy(p) + " click 1 " + kMouseAway, &why);
    if (!ok) ADD_FAILURE() << "clicking at " << Xy(p) << ": " << why;
    return ok;
}

bool Touch(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

// Types `keys` (xdotool's names) into `window`: it is made the foreground
// window, and the mouse rests on it at `at` (relative to it), as X sends the
// keys to the window under the mouse.
bool TypeInto(HWND window, POINT at, const std::string& keys) {
    SetForegroundWindow(window);
    if (!E2eWaitUntil([&] { return GetForegroundWindow() == window; })) {
        ADD_FAILURE() << "the window does not come to the foreground";
        return false;
    }
    RECT r = WindowRect(window);
    std::string why;
    bool ok = E2eXdo("mousemove " + Xy(POINT{r.left + at.x, r.top + at.y}) + " key " + keys, &why);
    if (!ok) ADD_FAILURE() << why;
    return ok;
}

// Drags `window` by a point of its picture, at a person's pace, and waits
// until it has moved. Being input that comes after whatever was typed
// before, its effect also shows that the earlier keys have been handled.
bool DragAndWait(HWND window, POINT from, int dx, int dy) {
    RECT before = WindowRect(window);
    POINT a = {before.left + from.x, before.top + from.y};
    std::string why;
    if (!E2eXdo("mousemove " + Xy(a) + " sleep 0.3 mousedown 1 sleep 0.3 mousemove " +
                    Xy(POINT{a.x + dx / 2, a.y + dy / 2}) + " sleep 0.3 mousemove " + Xy(POINT{a.x + dx, a.y + dy}) +
                    " sleep 0.3 mouseup 1 " + kMouseAway,
                &why)) {
        ADD_FAILURE() << "dragging: " << why;
        return false;
    }
    RECT after = {};
    bool moved = E2eWaitUntil([&] {
        after = WindowRect(window);
        return IsWindow(window) && after.left != before.left && after.top != before.top;
    });
    if (!moved) ADD_FAILURE() << "the window stayed at " << RectText(before) << " after a drag of " << dx << "," << dy;
    return moved;
}

// Ends every process of this machine that runs one of the test's programs.
void EndLeftoverPrograms() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W pe = {};
    pe.dwSize = sizeof pe;
    for (BOOL more = Process32FirstW(snap, &pe); more; more = Process32NextW(snap, &pe)) {
        bool ours = false;
        for (const wchar_t* name : kPrograms) ours = ours || _wcsicmp(pe.szExeFile, name) == 0;
        if (!ours) continue;
        HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pe.th32ProcessID);
        if (!h) continue;
        TerminateProcess(h, 1);
        WaitForSingleObject(h, E2E_CLOSE_MS);
        CloseHandle(h);
    }
    CloseHandle(snap);
}

// Drive E:, where the installer's log goes, made a folder of the test.
// Wine's DefineDosDevice names a drive but opening files on it fails; a link
// among the prefix's devices works for every process started after it.
bool MapDriveE(const std::wstring& folder, std::string* why) {
    return SimRunUnixScript("ln -sfn \"$2\" \"$WINEPREFIX/dosdevices/e:\" && finish ok\nfinish 'cannot link drive e:'",
                            {SimFromUtf8(SimUnixPath(folder))}, E2E_DEADLINE_MS, why) &&
           *why == "ok";
}

void UnmapDriveE() {
    std::string answer;
    SimRunUnixScript("rm -f \"$WINEPREFIX/dosdevices/e:\"; finish ok", {}, E2E_DEADLINE_MS, &answer);
}

std::string MappedText(const std::vector<E2eXWindow>& mapped) {
    std::string text;
    for (const E2eXWindow& m : mapped) text += " " + std::to_string(m.id) + " at " + RectText(m.rect);
    return mapped.empty() ? " none" : text;
}

// A window of another program, one colour all over, made the foreground
// window, from a thread of its own that keeps it painted.
class COtherWindow {
public:
    COtherWindow() = default;
    COtherWindow(const COtherWindow&) = delete;
    COtherWindow& operator=(const COtherWindow&) = delete;
    ~COtherWindow() { Close(); }

    bool Show(const RECT& r, COLORREF colour) {
        m_rect = r;
        m_colour = colour;
        m_ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        if (!m_thread) return false;
        WaitForSingleObject(m_ready, E2E_DEADLINE_MS);
        return m_hwnd != nullptr;
    }
    HWND hwnd() const { return m_hwnd; }
    void Close() {
        if (m_thread) {
            if (m_hwnd) PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
            else PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
            WaitForSingleObject(m_thread, E2E_DEADLINE_MS);
            CloseHandle(m_thread);
            m_thread = nullptr;
        }
        if (m_ready) CloseHandle(m_ready);
        m_ready = nullptr;
        m_hwnd = nullptr;
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    static DWORD WINAPI Run(LPVOID param) {
        COtherWindow* self = (COtherWindow*)param;
        self->m_threadId = GetCurrentThreadId();
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = CreateSolidBrush(self->m_colour);
        wc.lpszClassName = L"E2eOtherWindow";
        RegisterClassW(&wc);
        const RECT& r = self->m_rect;
        self->m_hwnd = CreateWindowExW(0, wc.lpszClassName, L"another program", WS_POPUP, r.left, r.top,
                                       r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
        if (self->m_hwnd) {
            ShowWindow(self->m_hwnd, SW_SHOW);
            UpdateWindow(self->m_hwnd);
            SetForegroundWindow(self->m_hwnd);
        }
        SetEvent(self->m_ready);
        MSG msg;
        while (self->m_hwnd && GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        UnregisterClassW(wc.lpszClassName, wc.hInstance);
        DeleteObject(wc.hbrBackground);
        return 0;
    }

    RECT m_rect = {};
    COLORREF m_colour = 0;
    HWND m_hwnd = nullptr;
    HANDLE m_thread = nullptr, m_ready = nullptr;
    DWORD m_threadId = 0;
};

class Installer : public Q8E2eTest {
protected:
    void SetUp() override {
        // First, as the base clears the work folder, where a left installer holds files.
        EndLeftoverPrograms();
        Q8E2eTest::SetUp();
        if (HasFatalFailure()) return;
        E2eRemoveInstall();
        ASSERT_FALSE(E2eFileExists(E2eInstallFolder())) << U8(E2eInstallFolder()) << " is left from before";
        ASSERT_FALSE(E2eMutexExists(INSTALLER_NAME)) << "an installer is left from before";
        workDir = E2eDataFolder();
        ASSERT_FALSE(E2eFileExists(workDir)) << U8(workDir) << " is left from before";
        driveE = box.Path(L"drive-e");
        ASSERT_TRUE(CreateDirectoryW(driveE.c_str(), nullptr));
        std::string why;
        ASSERT_TRUE(MapDriveE(driveE, &why)) << why;
        SetEnvironmentVariableW(L"Q8_SETUP_LOG", L"1");
        // The stand-in setup program takes its orders from the sandbox; an
        // installed Q8's simulated library reads its world there.
        SetEnvironmentVariableW(L"Q8_STANDIN_DIR", box.dir.c_str());
        SetEnvironmentVariableW(L"Q8SIM_WORLD", box.WorldPath().c_str());
        // A ui_log.log in the install folder would keep the uninstaller from removing it.
        SetEnvironmentVariableW(L"Q8_UI_LOG", nullptr);
        E2eXdo(kMouseAway);
    }

    void TearDown() override {
        installer.Stop();
        EndLeftoverPrograms();
        E2eRemoveInstall();
        UnmapDriveE();
        for (const wchar_t* name : {L"Q8_SETUP_LOG", L"Q8_STANDIN_DIR", L"Q8SIM_WORLD"})
            SetEnvironmentVariableW(name, nullptr);
        Q8E2eTest::TearDown();
    }

    bool StartInstaller(const wchar_t* program = L"Q8_Setup.exe") {
        installer.Stop();
        return installer.Start(E2eBinDir() + L"\\" + program, L"", box.dir);
    }

    // The installer's own window: a dialog that carries the installer's property.
    HWND MainWindow() const {
        for (HWND w : E2eWindowsOf(installer.pid(), L"#32770"))
            if (GetPropW(w, INSTALLER_NAME)) return w;
        return nullptr;
    }

    // Waits until the installer shows its window; null when it ends first.
    HWND WaitForWindow() const {
        HWND w = nullptr;
        E2eWaitUntil([&] {
            w = MainWindow();
            return (w && IsWindowVisible(w)) || !installer.IsRunning();
        });
        return w && IsWindowVisible(w) ? w : nullptr;
    }

    // The progress window: the installer's other picture window, visible or not.
    HWND ProgressWindow(HWND main) const {
        for (HWND w : E2eWindowsOf(installer.pid(), L"#32770"))
            if (w != main && (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED)) return w;
        return nullptr;
    }

    // The quit question while it is shown: the installer's other dialog, not layered.
    HWND QuitBox(HWND main) const {
        for (HWND w : E2eWindowsOf(installer.pid(), L"#32770"))
            if (w != main && IsWindowVisible(w) && !(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED)) return w;
        return nullptr;
    }

    HWND OpenQuitBox(HWND main) {
        HWND question = nullptr;
        if (!Click(kCloseButton)) return nullptr;
        if (!E2eWaitUntil([&] { return (question = QuitBox(main)) != nullptr; }))
            ADD_FAILURE() << "no question after a click on the close button";
        return question;
    }

    // Waits for the installer's end and expects exit code 0.
    void ExpectEnds(DWORD ms = E2E_DEADLINE_MS) {
        DWORD code = 0xDEAD;
        ASSERT_TRUE(installer.WaitForExit(ms, &code)) << "the installer still runs; log:\n" << LogText();
        EXPECT_EQ(0u, code);
    }

    // ---- the log ----

    std::wstring LogPath() const { return driveE + L"\\Instaro_log.log"; }
    std::string LogText() const { return E2eReadFile(LogPath()); }

    // Each line opens with a line break, then "H:MM:SS.mmm [0xTHREAD]: ".
    struct LogLine {
        std::string thread, message;
    };
    std::vector<LogLine> LogLines() const {
        std::vector<LogLine> lines;
        std::string log = LogText();
        size_t pos = 0;
        while (pos < log.size()) {
            size_t end = log.find("\r\n", pos);
            if (end == std::string::npos) end = log.size();
            std::string line = log.substr(pos, end - pos);
            pos = end + 2;
            size_t open = line.find(" [0x"), close = line.find("]: ");
            if (open == std::string::npos || close == std::string::npos || close < open) continue;
            lines.push_back({line.substr(open + 4, close - open - 4), line.substr(close + 3)});
        }
        return lines;
    }
    // Where the first line whose message is `message` (or, with `prefix`,
    // starts with it) stands; -1 when none has.
    int IndexOf(const std::string& message, bool prefix = false) const {
        std::vector<LogLine> lines = LogLines();
        for (size_t i = 0; i < lines.size(); i++)
            if (prefix ? lines[i].message.compare(0, message.size(), message) == 0 : lines[i].message == message)
                return (int)i;
        return -1;
    }
    int CountOf(const std::string& prefix) const {
        int n = 0;
        for (const LogLine& l : LogLines()) n += l.message.compare(0, prefix.size(), prefix) == 0;
        return n;
    }
    bool WaitForMessage(const std::string& message) const {
        return E2eWaitUntil([&] { return IndexOf(message) >= 0; });
    }

    // ---- the work folder ----

    std::wstring Work(const wchar_t* name) const { return workDir + L"\\" + name; }
    // The setup program's command line as the installer builds it.
    std::wstring SetupCommandLine() const {
        return Work(L"Setup.exe") + L" /s /f1\"" + Work(L"Setup.iss") + L"\" /f2\"" + Work(L"UI_Dri_SetupLog.log") +
               L"\"";
    }
    void ExpectUnpackedFilesGone() const {
        EXPECT_TRUE(E2eWaitUntil([&] { return !E2eFileExists(Work(L"Setup.exe")); })) << "Setup.exe is left";
        EXPECT_TRUE(E2eWaitUntil([&] { return !E2eFileExists(Work(L"Setup.iss")); })) << "Setup.iss is left";
    }

    // ---- the stand-in setup program ----

    std::wstring Standin(const wchar_t* name) const { return box.Path(name); }
    bool StandinWrote(const wchar_t* name) const {
        return E2eWaitUntil([&] { return E2eFileExists(Standin(name)); });
    }

    std::wstring workDir, driveE;
    CE2eProgram installer;
};

// ---- a full install ---------------------------------------------------------

// What another program may try on an unpacked file while the installer holds it.
struct Tampering {
    const char* what;
    std::function<bool(const std::wstring&)> succeeds;
};

const Tampering kTamperings[] = {
    {"open it for writing",
     [](const std::wstring& path) {
         HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
         if (h == INVALID_HANDLE_VALUE) return false;
         CloseHandle(h);
         return true;
     }},
    {"open it for deleting",
     [](const std::wstring& path) {
         HANDLE h = CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
         if (h == INVALID_HANDLE_VALUE) return false;
         CloseHandle(h);
         return true;
     }},
    {"delete it", [](const std::wstring& path) { return DeleteFileW(path.c_str()) != FALSE; }},
    {"rename it",
     [](const std::wstring& path) {
         if (!MoveFileW(path.c_str(), (path + L".moved").c_str())) return false;
         MoveFileW((path + L".moved").c_str(), path.c_str());
         return true;
     }},
};

TEST_F(Installer, StopsTheRunningUtilityInstallsAndTheUninstallerTakesItAllAway) {
    HWND utility = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartQ8InWorld(&utility));
    ASSERT_TRUE(E2eMutexExists(E2E_INSTANCE_MUTEX));

    ASSERT_TRUE(StartInstaller());
    HWND main = WaitForWindow();
    ASSERT_NE(nullptr, main) << "log:\n" << LogText();

    // The running utility was ended before the window showed.
    EXPECT_TRUE(q8.WaitForExit(0)) << "the utility still runs";
    int running = IndexOf("UI isRuning "), stopped = IndexOf("UI stoped Runing ");
    EXPECT_GE(running, 0) << LogText();
    EXPECT_GT(stopped, running) << LogText();

    // The window as the user meets it.
    wchar_t cls[64] = L"";
    GetClassNameW(main, cls, ARRAYSIZE(cls));
    EXPECT_STREQ(L"#32770", cls);
    EXPECT_EQ(kInstallerTitle, Title(main));
    EXPECT_EQ((HANDLE)1, GetPropW(main, INSTALLER_NAME));
    EXPECT_TRUE(SameRect(kWindowRect, WindowRect(main))) << RectText(WindowRect(main));
    EXPECT_TRUE(E2eMutexExists(INSTALLER_NAME));
    E2eScreenshot("installer-window");

    // The package is written out as built, and held: while the window
    // waits, nobody can change the files or take them away.
    for (const wchar_t* file : {L"Setup.exe", L"Setup.iss"}) {
        SCOPED_TRACE(U8(file));
        const std::string built = E2eReadFile(E2ePackageDir() + L"\\" + file);
        ASSERT_FALSE(built.empty()) << "the build's " << U8(file) << " (Q8_PACKAGE_DIR)";
        EXPECT_TRUE(built == E2eReadFile(Work(file))) << "the unpacked file differs from the build's";
        for (const Tampering& t : kTamperings)
            EXPECT_FALSE(t.succeeds(Work(file))) << "another program could " << t.what;
        EXPECT_TRUE(built == E2eReadFile(Work(file))) << "the file changed";
    }

    // Install: the package runs hidden behind the progress window, and the
    // installer ends by itself once it has.
    CE2eMapWatch watch;
    std::string why;
    ASSERT_TRUE(watch.Start(box.Path(L"x-maps.log"), &why)) << why;
    ASSERT_TRUE(Click(kInstallButton));
    ASSERT_NO_FATAL_FAILURE(ExpectEnds(E2E_SETUP_MS));
    EXPECT_GE(IndexOf("start exe comand is " + U8(SetupCommandLine())), 0) << LogText();
    // The progress window was made and put over the installer window's
    // middle. Whether it gets drawn there is a race under Wine: hiding the
    // installer window holds its thread for about 2 s, and the package is
    // often done by then; the installer then ends before the progress window
    // paints its first picture, which is what maps a layered window.
    std::vector<E2eXWindow> placed = watch.Placed();
    watch.Stop();
    bool progressPlaced = false;
    for (const E2eXWindow& m : placed) progressPlaced = progressPlaced || SameRect(m.rect, kProgressRect);
    EXPECT_TRUE(progressPlaced) << "X windows placed after the click:" << MappedText(placed);

    // Q8 is installed, registered to start at logon, listed with its
    // uninstaller, and running.
    const std::wstring dir = E2eInstallFolder(), exe = dir + L"\\Q8.exe";
    for (const wchar_t* file : {L"Q8.exe", L"Dravolib.dll"})
        EXPECT_TRUE(E2eReadFile(dir + L"\\" + file) == E2eReadFile(E2eBinDir() + L"\\" + file))
            << U8(dir) << "\\" << U8(file) << " is missing or differs from the build's";
    EXPECT_EQ(L"\"" + exe + L"\" nogui", E2eMachineValue(E2E_RUN_KEY, L"Ambrel"));
    EXPECT_EQ(L"Ambrel 无线热点", E2eMachineValue(E2E_UNINSTALL_KEY, L"DisplayName"));
    const std::wstring quiet = E2eMachineValue(E2E_UNINSTALL_KEY, L"QuietUninstallString");
    EXPECT_EQ(L"\"" + dir + L"\\uninstall.exe\" /S", quiet);
    DWORD pid = E2eWaitForOneUtility(q8.pid());
    ASSERT_NE(0u, pid) << "no single utility with its mutex after the install";
    EXPECT_EQ(0, _wcsicmp(exe.c_str(), E2eImageOf(pid).c_str())) << U8(E2eImageOf(pid));
    EXPECT_TRUE(E2eMutexExists(E2E_INSTANCE_MUTEX));

    // The installer took its files away; the package's log stays.
    ExpectUnpackedFilesGone();
    std::string setupLog = E2eReadFile(Work(L"UI_Dri_SetupLog.log"));
    EXPECT_NE(std::string::npos, setupLog.find("Result: installed\r\n")) << setupLog;

    // The quiet uninstaller takes everything away again.
    DWORD code = 0xDEAD;
    ASSERT_TRUE(E2eRunHidden(quiet, workDir, &code)) << U8(quiet);
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(E2eWaitUntil([&] { return !E2eFileExists(dir); }, E2E_SETUP_MS)) << U8(dir) << " is still there";
    EXPECT_TRUE(E2eWaitUntil([] { return !E2eMutexExists(E2E_INSTANCE_MUTEX); })) << "Q8 still runs";
    EXPECT_TRUE(E2eWaitUntil([] { return !E2eMachineKeyExists(E2E_UNINSTALL_KEY); })) << "the Uninstall key is left";
    EXPECT_EQ(L"<missing>", E2eMachineValue(E2E_RUN_KEY, L"Ambrel"));
}

// ---- the progress window ----------------------------------------------------

// The picture files the installer was built from (Q8_SETUP_ART_DIR).
std::wstring SetupArt(int id) {
    wchar_t dir[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"Q8_SETUP_ART_DIR", dir, MAX_PATH);
    return std::wstring(L"Z:") + dir + L"/png_" + std::to_wstring(id) + L".png";
}

// Compares the glyph cells of the progress window on the screen with the
// pictures they are copied from: every pixel that a glyph covers fully shows
// the glyph's own colour, and no pixel it leaves clear shows that colour.
// `cells` gives each glyph's picture (0..9, or 10 for the percent sign) and
// the left edge of its 25 x 25 cell, 45 pixels below the window's top.
void ExpectGlyphsDrawn(HWND progress, const std::vector<std::pair<int, int>>& cells) {
    const int kCell = 25, kTop = 45;
    int dw = 0, dh = 0, pw = 0, ph = 0;
    std::vector<DWORD> digits, sign;
    ASSERT_TRUE(E2eLoadPicture(SetupArt(221), &dw, &dh, &digits)) << U8(SetupArt(221));
    ASSERT_TRUE(E2eLoadPicture(SetupArt(222), &pw, &ph, &sign)) << U8(SetupArt(222));
    ASSERT_EQ(10 * kCell, dw);
    ASSERT_EQ(kCell, dh);
    ASSERT_EQ(kCell, pw);
    RECT r = WindowRect(progress);
    for (const auto& cell : cells) {
        SCOPED_TRACE("glyph " + std::to_string(cell.first) + " at x " + std::to_string(cell.second));
        RECT on = {r.left + cell.second, r.top + kTop, r.left + cell.second + kCell, r.top + kTop + kCell};
        std::vector<COLORREF> screen = E2eScreenPixels(on);
        ASSERT_EQ((size_t)kCell * kCell, screen.size());
        int solid = 0, wrong = 0;
        std::string firstWrong;
        for (int y = 0; y < kCell; y++)
            for (int x = 0; x < kCell; x++) {
                DWORD g = cell.first == 10 ? sign[y * pw + x] : digits[y * dw + cell.first * kCell + x];
                COLORREF colour = RGB((g >> 16) & 0xFF, (g >> 8) & 0xFF, g & 0xFF);
                BYTE alpha = g >> 24;
                COLORREF shown = screen[y * kCell + x];
                bool bad = false;
                if (alpha == 255) {
                    solid++;
                    bad = shown != colour;
                } else if (alpha == 0) {
                    bad = shown == RGB(0x06, 0x96, 0x8E);  // the glyphs' colour
                }
                if (bad && wrong++ == 0)
                    firstWrong = "at " + std::to_string(x) + "," + std::to_string(y) + " the screen shows " +
                                 E2eColorText(shown) + ", the picture " + E2eColorText(colour) + " alpha " +
                                 std::to_string(alpha);
            }
        EXPECT_GT(solid, 20) << "the picture has hardly any solid pixels to compare";
        EXPECT_EQ(0, wrong) << firstWrong;
    }
}

TEST_F(Installer, ProgressCountsToNinetyFiveHoldsThereAndEndsWhenTheUtilityRuns) {
    ASSERT_TRUE(StartInstaller(L"q8_setup_standin.exe"));
    HWND main = WaitForWindow();
    ASSERT_NE(nullptr, main) << "log:\n" << LogText();
    EXPECT_GE(IndexOf("UI is not Runing "), 0) << LogText();

    ASSERT_TRUE(Click(kInstallButton));
    ASSERT_TRUE(StandinWrote(L"standin_cmdline.txt")) << "the setup program did not start; log:\n" << LogText();
    EXPECT_EQ(U8(SetupCommandLine()), E2eReadFile(Standin(L"standin_cmdline.txt")));
    EXPECT_GE(IndexOf("start exe comand is " + U8(SetupCommandLine())), 0) << LogText();

    HWND progress = nullptr;
    ASSERT_TRUE(E2eWaitUntil([&] { return (progress = ProgressWindow(main)) && IsWindowVisible(progress); }));
    EXPECT_FALSE(IsWindowVisible(main)) << "the installer window stays up behind the progress";
    EXPECT_TRUE(SameRect(kProgressRect, WindowRect(progress))) << RectText(WindowRect(progress));
    EXPECT_TRUE(GetWindowLongW(progress, GWL_EXSTYLE) & WS_EX_TOPMOST);

    // The estimate climbs step by step to 95 and holds there while the setup
    // program runs and no utility has started.
    std::vector<int> seen;
    bool at95 = E2eWaitUntil([&] {
        int p = Percent(progress);
        if (p >= 0 && (seen.empty() || seen.back() != p)) seen.push_back(p);
        return p == 95;
    }, 90000);
    std::string counted;
    for (int p : seen) counted += " " + std::to_string(p);
    ASSERT_TRUE(at95) << "titles seen:" << counted;
    EXPECT_GE(seen.size(), 10u) << "titles seen:" << counted;
    for (size_t i = 1; i < seen.size(); i++) EXPECT_LT(seen[i - 1], seen[i]) << "titles seen:" << counted;
    ASSERT_NO_FATAL_FAILURE(ExpectGlyphsDrawn(progress, {{9, 72}, {5, 90}, {10, 110}}));
    E2eScreenshot("installer-progress");
    EXPECT_FALSE(E2eWaitUntil([&] { return Title(progress) != L"95%"; }, 2000)) << "went on to " << U8(Title(progress));
    EXPECT_TRUE(IsWindowVisible(progress));

    // The setup program starts the utility: 100 %, then the progress window
    // goes while the setup program still runs.
    ASSERT_TRUE(Touch(Standin(L"make_mutex")));
    ASSERT_TRUE(StandinWrote(L"standin_mutex.txt"));
    EXPECT_TRUE(E2eWaitUntil([&] { return Title(progress) == L"100%"; })) << U8(Title(progress));
    EXPECT_TRUE(E2eWaitUntil([&] { return !IsWindowVisible(progress); })) << "the progress window stays at 100 %";
    EXPECT_TRUE(WaitForMessage("persent Percent 100, Hide UI")) << LogText();
    EXPECT_GE(IndexOf("UI Started----SetProcess Persent99"), 0) << LogText();
    EXPECT_TRUE(installer.IsRunning());
    EXPECT_FALSE(E2eFileExists(Standin(L"standin_ended.txt")));
    EXPECT_TRUE(E2eFileExists(Work(L"Setup.exe")));

    // Once the setup program ends, the installer does, and cleans up.
    ASSERT_TRUE(Touch(Standin(L"release")));
    ASSERT_NO_FATAL_FAILURE(ExpectEnds());
    EXPECT_TRUE(E2eFileExists(Standin(L"standin_ended.txt")));
    ExpectUnpackedFilesGone();

    // The window's thread opened the installer; another one ran the setup program.
    std::vector<LogLine> lines = LogLines();
    int opened = IndexOf("gLogDirPath = ", true), started = IndexOf("start exe comand is ", true);
    ASSERT_TRUE(opened >= 0 && started >= 0) << LogText();
    EXPECT_EQ(installer.threadId(), strtoul(lines[opened].thread.c_str(), nullptr, 16));
    EXPECT_NE(lines[opened].thread, lines[started].thread);
}

TEST_F(Installer, UtilityThatCannotBeStoppedDoesNotHoldUpTheInstall) {
    // A program that holds the utility's mutex but has no window of the
    // utility's title: the stand-in, started by the test, told beforehand.
    const std::wstring blockerDir = box.Path(L"blocker");
    ASSERT_TRUE(CreateDirectoryW(blockerDir.c_str(), nullptr));
    ASSERT_TRUE(Touch(blockerDir + L"\\make_mutex"));
    CE2eProgram blocker;
    SetEnvironmentVariableW(L"Q8_STANDIN_DIR", blockerDir.c_str());
    ASSERT_TRUE(blocker.Start(E2eBinDir() + L"\\setup_standin.exe", L"", box.dir));
    SetEnvironmentVariableW(L"Q8_STANDIN_DIR", box.dir.c_str());
    ASSERT_TRUE(E2eWaitUntil([&] { return E2eFileExists(blockerDir + L"\\standin_mutex.txt"); }));
    ASSERT_TRUE(E2eMutexExists(E2E_INSTANCE_MUTEX));

    ASSERT_TRUE(StartInstaller(L"q8_setup_standin.exe"));
    HWND main = WaitForWindow();
    ASSERT_NE(nullptr, main) << "log:\n" << LogText();
    int running = IndexOf("UI isRuning "), notFound = IndexOf("FindWindow Fail"), failed = IndexOf("Stop UI run fail ");
    EXPECT_GE(running, 0) << LogText();
    EXPECT_GT(notFound, running) << LogText();
    EXPECT_GT(failed, notFound) << LogText();
    EXPECT_TRUE(blocker.IsRunning());
    EXPECT_TRUE(E2eFileExists(Work(L"Setup.exe")));

    // The utility counts as started already: the progress goes to 100 % and
    // away while the setup program still runs.
    ASSERT_TRUE(Click(kInstallButton));
    ASSERT_TRUE(StandinWrote(L"standin_cmdline.txt")) << "the setup program did not start; log:\n" << LogText();
    HWND progress = nullptr;
    ASSERT_TRUE(E2eWaitUntil([&] { return (progress = ProgressWindow(main)) != nullptr; }));
    EXPECT_TRUE(E2eWaitUntil([&] { return Title(progress) == L"100%"; })) << U8(Title(progress));
    EXPECT_TRUE(E2eWaitUntil([&] { return !IsWindowVisible(progress); })) << "the progress window stays";
    EXPECT_TRUE(WaitForMessage("persent Percent 100, Hide UI")) << LogText();
    EXPECT_TRUE(installer.IsRunning());
    EXPECT_FALSE(E2eFileExists(Standin(L"standin_ended.txt")));

    ASSERT_TRUE(Touch(Standin(L"release")));
    ASSERT_NO_FATAL_FAILURE(ExpectEnds());
    ExpectUnpackedFilesGone();
    EXPECT_TRUE(blocker.IsRunning()) << "the installer ended the program it could not recognise";

    ASSERT_TRUE(Touch(blockerDir + L"\\release"));
    EXPECT_TRUE(blocker.WaitForExit(E2E_DEADLINE_MS));
}

// ---- a setup program that cannot run ------------------------------------------

// An installer build whose setup program cannot run, and what it does about it.
struct SetupFailure {
    const char* name;
    const wchar_t* program;
    std::vector<const wchar_t*> unpacked;     // written out while the window waits
    std::vector<const wchar_t*> notUnpacked;  // never there
    std::vector<std::string> lines;           // starts of log messages after the click, in this order
    std::vector<std::string> absent;          // starts of log messages that must not come
};

const SetupFailure kSetupFailures[] = {
    {"SetupThatIsNoProgram",
     L"q8_setup_not_a_program.exe",
     {L"Setup.exe", L"Setup.iss"},
     {},
     {"start exe comand is ", "the 0 time start setup CreateProcess  failed ,Error Number is ",
      "the 1 time start setup CreateProcess  failed ,Error Number is ",
      "the 2 time start setup CreateProcess  failed ,Error Number is ",
      "final time start setup CreateProcess  failed ,Error Number is "},
     {"the 3 time "}},
    {"NoSetupProgram",
     L"q8_setup_no_setup.exe",
     {L"Setup.iss"},
     {L"Setup.exe"},
     {"Can't find setup"},
     {"start exe comand is ", "the 0 time ", "final time "}},
};

class InstallerSetupFails : public Installer, public ::testing::WithParamInterface<SetupFailure> {};

TEST_P(InstallerSetupFails, InstallerEndsCleanlyAfterTheClick) {
    const SetupFailure& c = GetParam();
    ASSERT_TRUE(StartInstaller(c.program));
    HWND main = WaitForWindow();
    ASSERT_NE(nullptr, main) << "log:\n" << LogText();
    for (const wchar_t* file : c.unpacked) EXPECT_TRUE(E2eFileExists(Work(file))) << U8(file) << " is not written out";
    for (const wchar_t* file : c.notUnpacked) EXPECT_FALSE(E2eFileExists(Work(file))) << U8(file);

    ASSERT_TRUE(Click(kInstallButton));
    ASSERT_NO_FATAL_FAILURE(ExpectEnds());
    ExpectUnpackedFilesGone();

    int at = -1;
    for (const std::string& line : c.lines) {
        int next = IndexOf(line, true);
        EXPECT_GT(next, at) << "\"" << line << "\" is missing or out of order in\n" << LogText();
        at = next;
    }
    for (const std::string& line : c.absent)
        EXPECT_LT(IndexOf(line, true), 0) << "\"" << line << "\" in\n" << LogText();
    // Every failed start names its error number.
    static const std::regex numbered(".*failed ,Error Number is [0-9]+");
    for (const LogLine& l : LogLines()) {
        if (l.message.find("CreateProcess") != std::string::npos)
            EXPECT_TRUE(std::regex_match(l.message, numbered)) << l.message;
    }
}

INSTANTIATE_TEST_SUITE_P(Builds, InstallerSetupFails, ::testing::ValuesIn(kSetupFailures),
                         [](const ::testing::TestParamInfo<SetupFailure>& info) { return info.param.name; });

// ---- a payload that cannot be written out --------------------------------------

TEST_F(Installer, PayloadThatCannotBeWrittenOutEndsTheInstallerWithoutAWindow) {
    CE2eMapWatch watch;
    std::string why;
    ASSERT_TRUE(watch.Start(box.Path(L"x-maps.log"), &why)) << why;
    ASSERT_TRUE(StartInstaller(L"q8_setup_missing_resource.exe"));
    bool shown = false;
    ASSERT_TRUE(E2eWaitUntil([&] {
        for (HWND w : E2eWindowsOf(installer.pid())) shown = shown || IsWindowVisible(w);
        return !installer.IsRunning();
    })) << "the installer still runs";
    ASSERT_NO_FATAL_FAILURE(ExpectEnds());
    // X saw the installer make its window, and never show it.
    std::vector<E2eXWindow> mapped = watch.Mapped();
    EXPECT_FALSE(shown);
    EXPECT_FALSE(watch.Placed().empty()) << "X saw no window made, so it would not have seen one shown either";
    EXPECT_TRUE(mapped.empty()) << "X windows shown:" << MappedText(mapped);
    EXPECT_GE(IndexOf("UnPackFromRes::UnPackFromList ->Get Source ", true), 0) << LogText();
    EXPECT_GE(IndexOf("unPack.UnPack", true), 0) << LogText();
}

// ---- the user changes their mind ----------------------------------------------

// One way to answer the quit question, and whether the question is still up after it.
struct QuitAnswer {
    const char* name;
    std::function<bool(HWND question)> give;
    bool questionStays;
};

bool ClickOnQuestion(HWND question, POINT at) {
    RECT r = WindowRect(question);
    return Click(POINT{r.left + at.x, r.top + at.y});
}

// Every answer but Yes keeps the installer waiting. The question takes no
// keys; Alt+F4 is the window's close request, which closes the question like
// No, and shows that keys typed this way do reach it.
const QuitAnswer kAnswersThatKeepTheInstaller[] = {
    {"Enter", [](HWND question) { return TypeInto(question, kOnQuitPicture, "Return"); }, true},
    {"Escape", [](HWND question) { return TypeInto(question, kOnQuitPicture, "Escape"); }, true},
    {"arrow keys and F1",
     [](HWND question) { return TypeInto(question, kOnQuitPicture, "Left Right Up Down F1"); }, true},
    {"Alt+F4", [](HWND question) { return TypeInto(question, kOnQuitPicture, "alt+F4"); }, false},
    {"No", [](HWND question) { return ClickOnQuestion(question, kNoButton); }, false},
    {"a close request", [](HWND question) { return PostMessageW(question, WM_CLOSE, 0, 0) != FALSE; }, false},
};

TEST_F(Installer, QuitQuestionEndsTheInstallerOnlyOnYes) {
    ASSERT_TRUE(StartInstaller(L"q8_setup_standin.exe"));
    HWND main = WaitForWindow();
    ASSERT_NE(nullptr, main) << "log:\n" << LogText();

    HWND question = OpenQuitBox(main);
    ASSERT_NE(nullptr, question);
    RECT r = WindowRect(question);
    int x = (GetSystemMetrics(SM_CXFULLSCREEN) - kQuitBoxSize.cx) / 2;
    int y = (GetSystemMetrics(SM_CYFULLSCREEN) - kQuitBoxSize.cy) / 2;
    EXPECT_TRUE(SameRect(RECT{x, y, x + kQuitBoxSize.cx, y + kQuitBoxSize.cy}, r)) << RectText(r);
    EXPECT_EQ(E2eProcessOf(main), E2eProcessOf(question));
    EXPECT_TRUE(E2eWaitUntil([&] { return !IsWindowEnabled(main); }))
        << "the installer window still takes clicks while it asks";
    E2eScreenshot("installer-quit-box");

    for (const QuitAnswer& a : kAnswersThatKeepTheInstaller) {
        SCOPED_TRACE(a.name);
        if (!question) question = OpenQuitBox(main);
        ASSERT_NE(nullptr, question);
        ASSERT_TRUE(a.give(question));
        if (a.questionStays) {
            // Dragging the question comes after the keys: once it has moved,
            // they have been handled, and the question is still up.
            ASSERT_TRUE(DragAndWait(question, kOnQuitPicture, 40, 30));
            EXPECT_EQ(question, QuitBox(main));
        } else {
            EXPECT_TRUE(E2eWaitUntil([&] { return QuitBox(main) == nullptr; })) << "the question stays";
            question = nullptr;
            EXPECT_TRUE(E2eWaitUntil([&] { return IsWindowEnabled(main) != FALSE; }));
        }
        EXPECT_TRUE(installer.IsRunning());
        EXPECT_TRUE(IsWindowVisible(main));
    }

    // Yes ends the installer, which has started nothing and leaves nothing.
    if (!question) question = OpenQuitBox(main);
    ASSERT_NE(nullptr, question);
    ASSERT_TRUE(ClickOnQuestion(question, kYesButton));
    ASSERT_NO_FATAL_FAILURE(ExpectEnds());
    ExpectUnpackedFilesGone();
    EXPECT_FALSE(E2eFileExists(Standin(L"standin_cmdline.txt"))) << "the setup program was started";
    EXPECT_LT(IndexOf("start exe comand is ", true), 0) << LogText();
}

TEST_F(Installer, EnterAndEscapeOnTheWindowStartNothing) {
    ASSERT_TRUE(StartInstaller(L"q8_setup_standin.exe"));
    HWND main = WaitForWindow();
    ASSERT_NE(nullptr, main) << "log:\n" << LogText();
    ASSERT_TRUE(TypeInto(main, kOnPicture, "Return Escape"));
    // The drag comes after the keys: once the window has moved, they have been
    // handled. Any point of the picture moves it.
    ASSERT_TRUE(DragAndWait(main, kOnPicture, 60, 40));
    EXPECT_TRUE(installer.IsRunning());
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(nullptr, QuitBox(main));
    EXPECT_FALSE(E2eFileExists(Standin(L"standin_cmdline.txt"))) << "the setup program was started";
    EXPECT_LT(IndexOf("start exe comand is ", true), 0) << LogText();

    // The keys did reach the window: Space presses the install button, which
    // has the focus, as a click does.
    ASSERT_TRUE(TypeInto(main, kOnPicture, "space"));
    ASSERT_TRUE(StandinWrote(L"standin_cmdline.txt")) << "Space did not press the install button";
    ASSERT_TRUE(Touch(Standin(L"release")));
    ASSERT_NO_FATAL_FAILURE(ExpectEnds());
}

// ---- a second installer ---------------------------------------------------------

TEST_F(Installer, SecondInstallerBringsTheFirstToTheFrontAndEnds) {
    ASSERT_TRUE(StartInstaller(L"q8_setup_standin.exe"));
    HWND main = WaitForWindow();
    ASSERT_NE(nullptr, main) << "log:\n" << LogText();

    // The user has gone on to another program meanwhile.
    COtherWindow other;
    ASSERT_TRUE(other.Show(RECT{600, 100, 900, 400}, RGB(255, 0, 255)));
    ASSERT_TRUE(E2eWaitUntil([&] { return GetForegroundWindow() == other.hwnd(); }));

    CE2eMapWatch watch;
    std::string why;
    ASSERT_TRUE(watch.Start(box.Path(L"x-maps.log"), &why)) << why;
    CE2eProgram second;
    ASSERT_TRUE(second.Start(E2eBinDir() + L"\\Q8_Setup.exe", L"", box.dir));
    bool shown = false;
    EXPECT_TRUE(E2eWaitUntil([&] {
        for (HWND w : E2eWindowsOf(second.pid())) shown = shown || IsWindowVisible(w);
        return !second.IsRunning();
    })) << "the second installer still runs";
    DWORD code = 0xDEAD;
    EXPECT_TRUE(second.WaitForExit(0, &code));
    EXPECT_EQ(0u, code);
    EXPECT_FALSE(shown) << "the second installer showed a window";
    std::vector<E2eXWindow> mapped = watch.Mapped();
    EXPECT_TRUE(mapped.empty()) << "X windows shown:" << MappedText(mapped);

    // The first one is the foreground window again. (Wine activates it but
    // keeps its place in the stacking order, so on the screen it does not
    // rise above a window that covers it.)
    EXPECT_TRUE(E2eWaitUntil([&] { return GetForegroundWindow() == main; }))
        << "the foreground window is " << GetForegroundWindow() << ", the installer's " << main;
    EXPECT_TRUE(IsWindowVisible(main));
    // It still waits, with its files, and is the only one that opened.
    EXPECT_TRUE(installer.IsRunning());
    EXPECT_TRUE(E2eFileExists(Work(L"Setup.exe")));
    EXPECT_EQ(1, CountOf("gLogDirPath = ")) << "the second installer went on to open:\n" << LogText();
}

// ---- the diagnostic log ----------------------------------------------------------

// The log switch's values: only "1" writes the log.
struct LogSwitch {
    const wchar_t* value;  // null: not set
    bool written;
};

const LogSwitch kLogSwitches[] = {{nullptr, false}, {L"0", false}, {L"yes", false}, {L"11", false}, {L"1", true}};

TEST_F(Installer, LogIsWrittenToDriveEOnlyWhenSwitchedOn) {
    // The build that ends right after its first steps: it logs and shows nothing.
    for (const LogSwitch& s : kLogSwitches) {
        SCOPED_TRACE(s.value ? U8(s.value) : "not set");
        DeleteFileW(LogPath().c_str());
        SetEnvironmentVariableW(L"Q8_SETUP_LOG", s.value);
        ASSERT_TRUE(StartInstaller(L"q8_setup_missing_resource.exe"));
        ASSERT_NO_FATAL_FAILURE(ExpectEnds());
        EXPECT_EQ(s.written, E2eFileExists(LogPath()));
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((driveE + L"\\*.*").c_str(), &fd);
        int files = 0;
        if (h != INVALID_HANDLE_VALUE) {
            do files += !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
            while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        EXPECT_EQ(s.written ? 1 : 0, files) << "files on drive E:";
    }

    // The first line of the run that logged: a line break, the time, the
    // installer's main thread, the work folder.
    std::string log = LogText();
    std::smatch m;
    static const std::regex first("^\r\n([0-9]{1,2}):([0-9]{2}):([0-9]{2})\\.([0-9]{3}) \\[0x([0-9A-F]{8})\\]: "
                                  "gLogDirPath = ([^\r\n]*)\r\n");
    ASSERT_TRUE(std::regex_search(log, m, first)) << log.substr(0, 300);
    EXPECT_LT(atoi(m[1].str().c_str()), 24);
    EXPECT_LT(atoi(m[2].str().c_str()), 60);
    EXPECT_LT(atoi(m[3].str().c_str()), 60);
    EXPECT_EQ(installer.threadId(), strtoul(m[5].str().c_str(), nullptr, 16));
    EXPECT_EQ(U8(workDir), m[6].str());
}

}  // namespace
