// End-to-end harness: runs the real Q8.exe under Wine from a fresh sandbox
// folder per test, against the simulated world, and watches it from outside
// as a user or the installer would (log lines, windows, named mutexes).
// Every wait polls with a generous deadline; nothing sleeps for a fixed time
// to make a result come true. Each test ends its Q8 so that the next one
// starts on a clean machine.
#pragma once
#include "sim/world.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Deadlines. Wine starts a program in 1-3 s on this machine; these leave
// room for a loaded machine without ever being the thing a test measures.
#define E2E_DEADLINE_MS 30000  // a log line, a window, a process end
#define E2E_CLOSE_MS 10000     // WM_CLOSE before TerminateProcess

// The utility's names as the outside world sees them.
#define E2E_INSTANCE_MUTEX L"AMBREL_UTILITY"
#define E2E_WINDOW_PROP L"AMBREL_UTILITY"
#define E2E_WINDOW_TITLE L"Ambrel"

// Where Q8.exe, Dravolib.dll and the test stand-ins were built (Q8_BIN_DIR,
// else this program's own folder), as a Windows path.
std::wstring E2eBinDir();

// Polls `done` every 20 ms until it holds or `ms` pass; true when it held.
bool E2eWaitUntil(const std::function<bool()>& done, DWORD ms = E2E_DEADLINE_MS);

// A file's bytes; empty when it does not exist.
std::string E2eReadFile(const std::wstring& path);
bool E2eFileExists(const std::wstring& path);

// True while some process holds the named mutex.
bool E2eMutexExists(const wchar_t* name);

// Every top-level window that carries the utility's window property.
std::vector<HWND> E2eUtilityWindows();

// "%APPDATA%\Vorn", the utility's settings folder in this Wine prefix.
std::wstring E2eDataFolder();
// A value of "%APPDATA%\Vorn\config.ini" ("<missing>" when absent), and
// writing one (the folder is made when needed).
std::wstring E2eConfigValue(const wchar_t* section, const wchar_t* key);
bool E2eWriteConfigValue(const wchar_t* section, const wchar_t* key, const wchar_t* value);
// Removes that folder and all it holds.
void E2eClearDataFolder();

// Ends every utility an earlier test left behind (found by its window
// property). true when none is left holding the instance mutex.
bool E2eEndStrayUtilities();

// One test's folder: Q8's current directory, its program folder (the same
// folder unless a test separates them), and the world Q8 and the simulator see.
class CE2eSandbox {
public:
    // Makes a fresh, empty <working dir>\sandbox\<name>.
    bool Create(const std::wstring& name);

    // Puts Q8.exe into `programDir` (default: the sandbox itself) with the
    // library copied from `dravolibSource` in the build folder under the name
    // Dravolib.dll (null: no library at all), plus the host stand-ins that the
    // build made, which Q8.exe is told to prefer over Wine's own DLLs.
    bool InstallProgram(const wchar_t* dravolibSource = L"Dravolib.dll", const std::wstring& programDir = L"");

    // Copies a file of the build folder to `to` (a path inside the sandbox).
    bool CopyFromBin(const wchar_t* binName, const std::wstring& to) const;

    // Saves `world` and brings the host side in line with it. 0 on success.
    int ApplyWorld(std::wstring* error);

    // Queues one event code for the simulated library (sim_events.txt).
    bool RaiseEvent(int code) const;

    std::wstring Path(const wchar_t* name) const { return dir + L"\\" + name; }
    std::wstring WorldPath() const { return Path(L"sim_world.ini"); }
    std::string Log() const { return E2eReadFile(Path(L"ui_log.log")); }
    std::string Calls() const { return E2eReadFile(Path(L"sim_calls.log")); }

    std::wstring dir;
    std::wstring programDir;
    std::vector<std::wstring> standIns;  // host stand-in DLLs installed beside Q8.exe
    SimWorld world;
};

struct Q8StartOptions {
    bool bLog = true;           // Q8_UI_LOG=1
    std::wstring commandLine;   // text after the program name
};

// One Q8.exe process started from a sandbox.
class CQ8Process {
public:
    CQ8Process() = default;
    CQ8Process(const CQ8Process&) = delete;
    CQ8Process& operator=(const CQ8Process&) = delete;
    ~CQ8Process() { Stop(); }

    bool Start(const CE2eSandbox& box, const Q8StartOptions& options = Q8StartOptions());
    bool IsRunning() const;
    // true when the process ended within `ms`.
    bool WaitForExit(DWORD ms = E2E_DEADLINE_MS) const;
    // The process's top-level window titled "Ambrel" with the property, or null.
    HWND MainWindow() const;
    HWND WaitForMainWindow(DWORD ms = E2E_DEADLINE_MS) const;
    // WM_CLOSE to its window, then TerminateProcess once E2E_CLOSE_MS pass.
    // true when it ended of its own accord.
    bool Stop();

    DWORD pid() const { return m_pi.dwProcessId; }
    DWORD mainThreadId() const { return m_pi.dwThreadId; }

private:
    PROCESS_INFORMATION m_pi = {};
};

// Fixture of every end-to-end test: ends strays, clears the settings folder,
// makes the sandbox named after the test and applies its (empty) world.
class Q8E2eTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Waits for `text` to appear in the sandbox's ui_log.log.
    bool WaitForLog(const char* text, DWORD ms = E2E_DEADLINE_MS) const;
    // Applies the sandbox's world, installs Q8 beside its library and starts
    // it; `*mainWindow` gets its main window. Fails the test on any step.
    void StartQ8InWorld(HWND* mainWindow);

    CE2eSandbox box;
    CQ8Process q8;
};

// ---- The installed utility -------------------------------------------------
// What the setup package leaves on the machine, as the package's and the
// installer's tests check it and take it away again.

// Setup waits up to about 5 s for a running Q8 to close before it kills it.
#define E2E_SETUP_MS 60000

#define E2E_RUN_KEY L"Software\\Microsoft\\Windows\\CurrentVersion\\Run"
#define E2E_UNINSTALL_KEY L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ambrel"

// Where the build put Setup.exe and Setup.iss (Q8_PACKAGE_DIR), as a Windows path.
std::wstring E2ePackageDir();
// <Program Files>\Ambrel as this program sees Program Files: the 64-bit folder
// for the 64-bit build, which is where its 64-bit package installs.
std::wstring E2eInstallFolder();
// A REG_SZ value under HKLM, "<missing>" when absent.
std::wstring E2eMachineValue(const wchar_t* key, const wchar_t* name);
bool E2eMachineKeyExists(const wchar_t* key);
// Runs a command line hidden, as the installer starts the package, and waits
// for its end. false when it did not start or did not end within `ms`.
bool E2eRunHidden(const std::wstring& commandLine, const std::wstring& workDir, DWORD* exitCode,
                  DWORD ms = E2E_SETUP_MS);
// The process that owns `window`, and a process's program file.
DWORD E2eProcessOf(HWND window);
std::wstring E2eImageOf(DWORD pid);
// The one running utility's process, once there is exactly one with the
// instance mutex (and it is not `notThis`); 0 when there is none by the deadline.
DWORD E2eWaitForOneUtility(DWORD notThis = 0);
// Takes away whatever an install left: the running utility, the files in the
// default folder, the registry entries.
void E2eRemoveInstall();
