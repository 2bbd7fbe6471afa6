// End-to-end harness: sandbox folders, starting and ending Q8.exe, and the
// outside views of it (log, windows, mutexes) that the tests wait on.
#include "harness.h"

#include "sim/host/host_world.h"
#include "sim/sim_edit.h"

#include <shlobj.h>

#include <cwchar>

namespace {

// Stand-ins of the host side that Q8 must load instead of Wine's own DLLs,
// copied beside Q8.exe when the build made them. Wine takes a child's load
// order from its Unix environment and the registry, not from the environment
// block given to CreateProcess, so the override is Q8.exe's AppDefaults key;
// "native,builtin" keeps a Q8 without the file beside it starting.
const wchar_t* const kStandIns[] = {L"cfgmgr32.dll"};
const wchar_t kQ8Overrides[] = L"Software\\Wine\\AppDefaults\\Q8.exe\\DllOverrides";

bool SetQ8Override(const wchar_t* dll) {
    std::wstring name(dll);
    name = name.substr(0, name.rfind(L'.'));
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kQ8Overrides, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const wchar_t order[] = L"native,builtin";
    LONG r = RegSetValueExW(key, name.c_str(), 0, REG_SZ, (const BYTE*)order, sizeof order);
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}

std::wstring UnixToWine(const std::wstring& path) {
    if (path.empty() || path[0] != L'/') return path;
    std::wstring out = L"Z:" + path;  // Wine maps the Unix root to drive Z:
    for (wchar_t& c : out)
        if (c == L'/') c = L'\\';
    return out;
}

std::wstring EnvVar(const wchar_t* name) {
    wchar_t buf[4096];
    DWORD n = GetEnvironmentVariableW(name, buf, 4096);
    return (n > 0 && n < 4096) ? std::wstring(buf, n) : std::wstring();
}

bool RemoveTreeOnce(const std::wstring& path) {
    DWORD attr = GetFileAttributesW(path.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) return true;
    if (!(attr & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        return DeleteFileW(path.c_str()) != FALSE;
    }
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring n = fd.cFileName;
            if (n != L"." && n != L"..") RemoveTreeOnce(path + L"\\" + n);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    return RemoveDirectoryW(path.c_str()) != FALSE;
}

// A process that just ended may still hold a file a moment: try until the deadline.
bool RemoveTree(const std::wstring& path) {
    return E2eWaitUntil([&] { return RemoveTreeOnce(path); }, E2E_CLOSE_MS);
}

struct WindowSearch {
    DWORD pid;  // 0 = any process
    bool bNeedTitle;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
    WindowSearch* s = (WindowSearch*)param;
    if (!GetPropW(hwnd, E2E_WINDOW_PROP)) return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (s->pid && pid != s->pid) return TRUE;
    if (s->bNeedTitle) {
        wchar_t title[64] = L"";
        GetWindowTextW(hwnd, title, 64);
        if (wcscmp(title, E2E_WINDOW_TITLE) != 0) return TRUE;
    }
    s->found.push_back(hwnd);
    return TRUE;
}

// The current environment with `set` replacing (or adding) and `drop` removing
// variables; names compare without case, as Windows does.
std::vector<wchar_t> BuildEnvironment(const std::vector<std::pair<std::wstring, std::wstring>>& set,
                                      const std::vector<std::wstring>& drop) {
    std::vector<wchar_t> block;
    wchar_t* env = GetEnvironmentStringsW();
    for (const wchar_t* p = env; p && *p; p += wcslen(p) + 1) {
        std::wstring entry = p;
        size_t eq = entry.find(L'=', 1);  // entries like "=C:=C:\" start with '='
        std::wstring name = entry.substr(0, eq);
        bool bSkip = false;
        for (const auto& kv : set)
            if (_wcsicmp(kv.first.c_str(), name.c_str()) == 0) bSkip = true;
        for (const auto& d : drop)
            if (_wcsicmp(d.c_str(), name.c_str()) == 0) bSkip = true;
        if (bSkip) continue;
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(L'\0');
    }
    if (env) FreeEnvironmentStringsW(env);
    for (const auto& kv : set) {
        std::wstring entry = kv.first + L"=" + kv.second;
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

bool EndProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (!h) return false;
    bool bOwn = WaitForSingleObject(h, E2E_CLOSE_MS) == WAIT_OBJECT_0;
    if (!bOwn) {
        TerminateProcess(h, 1);
        WaitForSingleObject(h, E2E_CLOSE_MS);
    }
    CloseHandle(h);
    return bOwn;
}

}  // namespace

std::wstring E2eBinDir() {
    std::wstring dir = UnixToWine(EnvVar(L"Q8_BIN_DIR"));
    if (!dir.empty()) return dir;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring p(self);
    return p.substr(0, p.rfind(L'\\'));
}

bool E2eWaitUntil(const std::function<bool()>& done, DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start > ms) return done();
        Sleep(20);
    }
}

std::string E2eReadFile(const std::wstring& path) { return SimReadFile(path); }

bool E2eFileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool E2eMutexExists(const wchar_t* name) {
    HANDLE m = OpenMutexW(SYNCHRONIZE, FALSE, name);
    if (!m) return false;
    CloseHandle(m);
    return true;
}

std::vector<HWND> E2eUtilityWindows() {
    WindowSearch s = {0, false, {}};
    EnumWindows(CollectWindow, (LPARAM)&s);
    return s.found;
}

std::wstring E2eDataFolder() {
    wchar_t dir[MAX_PATH] = L"";
    SHGetSpecialFolderPathW(nullptr, dir, CSIDL_APPDATA, FALSE);
    return std::wstring(dir) + L"\\Vorn";
}

void E2eClearDataFolder() { RemoveTree(E2eDataFolder()); }

std::wstring E2eConfigValue(const wchar_t* section, const wchar_t* key) {
    wchar_t value[512] = L"";
    std::wstring file = E2eDataFolder() + L"\\config.ini";
    GetPrivateProfileStringW(section, key, L"<missing>", value, ARRAYSIZE(value), file.c_str());
    return value;
}

bool E2eWriteConfigValue(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    CreateDirectoryW(E2eDataFolder().c_str(), nullptr);
    std::wstring file = E2eDataFolder() + L"\\config.ini";
    return WritePrivateProfileStringW(section, key, value, file.c_str()) != FALSE;
}

bool E2eEndStrayUtilities() {
    for (HWND w : E2eUtilityWindows()) EndProcessOf(w);
    return E2eWaitUntil([] { return !E2eMutexExists(E2E_INSTANCE_MUTEX); }, E2E_CLOSE_MS);
}

bool CE2eSandbox::Create(const std::wstring& name) {
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    std::wstring root = std::wstring(cwd) + L"\\sandbox";
    CreateDirectoryW(root.c_str(), nullptr);
    std::wstring safe = name;
    for (wchar_t& c : safe)
        if (wcschr(L"\\/:*?\"<>|", c)) c = L'_';
    dir = root + L"\\" + safe;
    programDir = dir;
    standIns.clear();
    world.sections.clear();
    if (!RemoveTree(dir)) return false;
    return CreateDirectoryW(dir.c_str(), nullptr) != FALSE;
}

bool CE2eSandbox::CopyFromBin(const wchar_t* binName, const std::wstring& to) const {
    return CopyFileW((E2eBinDir() + L"\\" + binName).c_str(), to.c_str(), FALSE) != FALSE;
}

bool CE2eSandbox::InstallProgram(const wchar_t* dravolibSource, const std::wstring& folder) {
    if (!folder.empty()) programDir = folder;
    CreateDirectoryW(programDir.c_str(), nullptr);
    if (!CopyFromBin(L"Q8.exe", programDir + L"\\Q8.exe")) return false;
    if (dravolibSource && !CopyFromBin(dravolibSource, programDir + L"\\Dravolib.dll")) return false;
    standIns.clear();
    for (const wchar_t* file : kStandIns) {
        if (!E2eFileExists(E2eBinDir() + L"\\" + file)) continue;
        if (!CopyFromBin(file, programDir + L"\\" + file) || !SetQ8Override(file)) return false;
        standIns.push_back(file);
    }
    return true;
}

int CE2eSandbox::ApplyWorld(std::wstring* error) {
    if (!world.Save(WorldPath())) {
        if (error) *error = L"cannot write " + WorldPath();
        return -1;
    }
    return SimApplyHostWorld(world, error);
}

bool CE2eSandbox::RaiseEvent(int code) const { return SimAppendEvent(WorldPath(), code); }

bool CQ8Process::Start(const CE2eSandbox& box, const Q8StartOptions& options) {
    Stop();
    std::vector<std::pair<std::wstring, std::wstring>> set = {{L"Q8SIM_WORLD", box.WorldPath()}};
    std::vector<std::wstring> drop;
    if (options.bLog)
        set.push_back({L"Q8_UI_LOG", L"1"});
    else
        drop.push_back(L"Q8_UI_LOG");
    std::vector<wchar_t> env = BuildEnvironment(set, drop);
    std::wstring exe = box.programDir + L"\\Q8.exe";
    std::wstring line = L"\"" + exe + L"\"";
    if (!options.commandLine.empty()) line += L" " + options.commandLine;
    std::vector<wchar_t> lineBuf(line.begin(), line.end());
    lineBuf.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    return CreateProcessW(exe.c_str(), lineBuf.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                          env.data(), box.dir.c_str(), &si, &m_pi) != FALSE;
}

bool CQ8Process::IsRunning() const {
    return m_pi.hProcess && WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT;
}

bool CQ8Process::WaitForExit(DWORD ms) const {
    return !m_pi.hProcess || WaitForSingleObject(m_pi.hProcess, ms) == WAIT_OBJECT_0;
}

HWND CQ8Process::MainWindow() const {
    if (!m_pi.hProcess) return nullptr;
    WindowSearch s = {m_pi.dwProcessId, true, {}};
    EnumWindows(CollectWindow, (LPARAM)&s);
    return s.found.empty() ? nullptr : s.found.front();
}

HWND CQ8Process::WaitForMainWindow(DWORD ms) const {
    HWND w = nullptr;
    E2eWaitUntil([&] { return (w = MainWindow()) != nullptr || !IsRunning(); }, ms);
    return w;
}

bool CQ8Process::Stop() {
    if (!m_pi.hProcess) return true;
    bool bOwn = true;
    if (IsRunning()) {
        HWND w = MainWindow();
        if (w) PostMessageW(w, WM_CLOSE, 0, 0);
        bOwn = w && WaitForExit(E2E_CLOSE_MS);
        if (!bOwn) {
            TerminateProcess(m_pi.hProcess, 1);
            WaitForSingleObject(m_pi.hProcess, E2E_CLOSE_MS);
        }
    }
    CloseHandle(m_pi.hThread);
    CloseHandle(m_pi.hProcess);
    m_pi = PROCESS_INFORMATION();
    return bOwn;
}

void Q8E2eTest::SetUp() {
    ASSERT_TRUE(E2eEndStrayUtilities()) << "a utility left by an earlier test still holds " << "AMBREL_UTILITY";
    E2eClearDataFolder();
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    ASSERT_TRUE(box.Create(std::wstring(name.begin(), name.end())));
    std::wstring error;
    ASSERT_EQ(0, box.ApplyWorld(&error)) << SimToUtf8(error);
}

void Q8E2eTest::TearDown() {
    q8.Stop();
    EXPECT_TRUE(E2eEndStrayUtilities()) << "a utility did not end";
    E2eClearDataFolder();
    RegDeleteKeyW(HKEY_CURRENT_USER, kQ8Overrides);
}

bool Q8E2eTest::WaitForLog(const char* text, DWORD ms) const {
    return E2eWaitUntil([&] { return box.Log().find(text) != std::string::npos; }, ms);
}

void Q8E2eTest::StartQ8InWorld(HWND* mainWindow) {
    std::wstring error;
    ASSERT_EQ(0, box.ApplyWorld(&error)) << SimToUtf8(error);
    ASSERT_TRUE(box.InstallProgram());
    ASSERT_TRUE(q8.Start(box));
    *mainWindow = q8.WaitForMainWindow();
    ASSERT_NE(nullptr, *mainWindow) << box.Log();
}

std::wstring E2ePackageDir() { return UnixToWine(EnvVar(L"Q8_PACKAGE_DIR")); }

std::wstring E2eInstallFolder() {
    wchar_t dir[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, dir);
    return std::wstring(dir) + L"\\Ambrel";
}

std::wstring E2eMachineValue(const wchar_t* key, const wchar_t* name) {
    wchar_t value[1024] = L"";
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return value;
}

bool E2eMachineKeyExists(const wchar_t* key) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

bool E2eRunHidden(const std::wstring& commandLine, const std::wstring& workDir, DWORD* exitCode, DWORD ms) {
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(), &si, &pi))
        return false;
    bool bEnded = WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0;
    if (bEnded) {
        GetExitCodeProcess(pi.hProcess, exitCode);
    } else {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, E2E_CLOSE_MS);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return bEnded;
}

DWORD E2eProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

std::wstring E2eImageOf(DWORD pid) {
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!h) return L"<no process>";
    wchar_t path[MAX_PATH] = L"";
    DWORD n = MAX_PATH;
    if (!QueryFullProcessImageNameW(h, 0, path, &n)) path[0] = L'\0';
    CloseHandle(h);
    return path;
}

DWORD E2eWaitForOneUtility(DWORD notThis) {
    DWORD pid = 0;
    E2eWaitUntil([&] {
        std::vector<HWND> w = E2eUtilityWindows();
        pid = (w.size() == 1 && E2eProcessOf(w[0]) != notThis) ? E2eProcessOf(w[0]) : 0;
        return pid != 0 && E2eMutexExists(E2E_INSTANCE_MUTEX);
    });
    return pid;
}

void E2eRemoveInstall() {
    E2eEndStrayUtilities();
    std::wstring dir = E2eInstallFolder();
    for (const wchar_t* file : {L"Q8.exe", L"Dravolib.dll", L"uninstall.exe"}) DeleteFileW((dir + L"\\" + file).c_str());
    RemoveDirectoryW(dir.c_str());
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, E2E_RUN_KEY, L"Ambrel");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, E2E_UNINSTALL_KEY);
}
