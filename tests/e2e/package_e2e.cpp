// The setup package (Setup.exe, built with NSIS) run the way the installer
// runs it: hidden, from %APPDATA%\Vorn, with its response file and log path.
// It installs Q8 into Program Files, registers it, starts it; its quiet
// uninstaller takes all of that away again but leaves the user's settings.
#include "harness.h"

#include "sim/world.h"

#include <shlobj.h>

#include <string>
#include <vector>

namespace {

const wchar_t* const kInstalledFiles[] = {L"Q8.exe", L"Dravolib.dll"};

std::string U8(const std::wstring& s) { return SimToUtf8(s); }

FILETIME WriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    bool bOk = WriteFile(h, bytes.data(), (DWORD)bytes.size(), &n, nullptr) && n == bytes.size();
    CloseHandle(h);
    return bOk;
}

unsigned long long Ticks(const FILETIME& t) { return ((unsigned long long)t.dwHighDateTime << 32) | t.dwLowDateTime; }

class Package : public Q8E2eTest {
protected:
    void SetUp() override {
        Q8E2eTest::SetUp();
        if (HasFatalFailure()) return;
        E2eRemoveInstall();
        ASSERT_FALSE(E2eFileExists(E2eInstallFolder())) << U8(E2eInstallFolder()) << " is left from before";
        // The installed Q8's simulated library reads its world from the sandbox.
        SetEnvironmentVariableW(L"Q8SIM_WORLD", box.WorldPath().c_str());
        SetEnvironmentVariableW(L"Q8_UI_LOG", nullptr);

        // The user's settings folder, where the installer leaves the package.
        workDir = E2eDataFolder();
        ASSERT_TRUE(E2eWriteConfigValue(L"SOFTAP", L"ssid", L"家里的热点"));
        ASSERT_TRUE(E2eWriteConfigValue(L"SOFTAP", L"key", L"87654321"));
        ASSERT_FALSE(E2ePackageDir().empty()) << "Q8_PACKAGE_DIR is not set";
        for (const wchar_t* file : {L"Setup.exe", L"Setup.iss"})
            ASSERT_TRUE(CopyFileW((E2ePackageDir() + L"\\" + file).c_str(), (workDir + L"\\" + file).c_str(), FALSE))
                << U8(E2ePackageDir()) << "\\" << U8(file);
    }

    void TearDown() override {
        E2eRemoveInstall();
        SetEnvironmentVariableW(L"Q8SIM_WORLD", nullptr);
        Q8E2eTest::TearDown();
    }

    std::wstring WorkPath(const wchar_t* name) const { return workDir + L"\\" + name; }
    std::wstring LogPath() const { return WorkPath(L"UI_Dri_SetupLog.log"); }

    // The installer's command line; the program's path is quoted only when it has a space.
    std::wstring SetupCommandLine() const {
        std::wstring exe = WorkPath(L"Setup.exe");
        if (exe.find(L' ') != std::wstring::npos) exe = L"\"" + exe + L"\"";
        return exe + L" /s /f1\"" + WorkPath(L"Setup.iss") + L"\" /f2\"" + LogPath() + L"\"";
    }

    // Runs the package and expects it to end with 0.
    void Install() {
        DWORD code = 0xDEAD;
        ASSERT_TRUE(E2eRunHidden(SetupCommandLine(), workDir, &code)) << "Setup.exe did not end: " << U8(SetupCommandLine());
        ASSERT_EQ(0u, code) << "log:\n" << E2eReadFile(LogPath());
    }

    void ExpectSettingsKept() const {
        EXPECT_EQ(L"家里的热点", E2eConfigValue(L"SOFTAP", L"ssid"));
        EXPECT_EQ(L"87654321", E2eConfigValue(L"SOFTAP", L"key"));
    }

    std::wstring workDir;
};

TEST_F(Package, SilentInstallPutsQ8InProgramFilesRegistersAndStartsIt) {
    ASSERT_TRUE(WriteBytes(LogPath(), "a log of an earlier run\r\n"));
    ASSERT_NO_FATAL_FAILURE(Install());
    const std::wstring dir = E2eInstallFolder();
    const std::wstring q8 = dir + L"\\Q8.exe";

    for (const wchar_t* file : kInstalledFiles) {
        std::string installed = E2eReadFile(dir + L"\\" + file);
        EXPECT_FALSE(installed.empty()) << U8(dir) << "\\" << U8(file) << " is missing";
        EXPECT_TRUE(installed == E2eReadFile(E2eBinDir() + L"\\" + file)) << U8(file) << " differs from the build's";
    }
    EXPECT_TRUE(E2eFileExists(dir + L"\\uninstall.exe"));

    EXPECT_EQ(L"\"" + q8 + L"\" nogui", E2eMachineValue(E2E_RUN_KEY, L"Ambrel"));
    EXPECT_EQ(L"Ambrel 无线热点", E2eMachineValue(E2E_UNINSTALL_KEY, L"DisplayName"));
    EXPECT_EQ(L"1.0.0.0", E2eMachineValue(E2E_UNINSTALL_KEY, L"DisplayVersion"));
    EXPECT_EQ(L"Ambrel", E2eMachineValue(E2E_UNINSTALL_KEY, L"Publisher"));
    EXPECT_EQ(q8 + L",0", E2eMachineValue(E2E_UNINSTALL_KEY, L"DisplayIcon"));
    EXPECT_EQ(L"\"" + dir + L"\\uninstall.exe\"", E2eMachineValue(E2E_UNINSTALL_KEY, L"UninstallString"));
    EXPECT_EQ(L"\"" + dir + L"\\uninstall.exe\" /S", E2eMachineValue(E2E_UNINSTALL_KEY, L"QuietUninstallString"));

    // The utility that runs is the installed one.
    DWORD pid = E2eWaitForOneUtility();
    ASSERT_NE(0u, pid) << "no single utility with its mutex after the install";
    EXPECT_EQ(0, _wcsicmp(q8.c_str(), E2eImageOf(pid).c_str())) << U8(E2eImageOf(pid));

    // The log at the /f2 path is this run's, step by step.
    std::string log = E2eReadFile(LogPath());
    EXPECT_EQ(std::string::npos, log.find("earlier run")) << log;
    for (const std::wstring& line : {L"Installed " + q8, L"Installed " + dir + L"\\Dravolib.dll",
                                     L"Started \"" + q8 + L"\" nogui", std::wstring(L"Result: installed")})
        EXPECT_NE(std::string::npos, log.find(U8(line) + "\r\n")) << "no line \"" << U8(line) << "\" in\n" << log;

    ExpectSettingsKept();
    EXPECT_TRUE(E2eFileExists(WorkPath(L"Setup.exe")));
}

TEST_F(Package, QuietUninstallTakesEverythingAwayButTheSettings) {
    ASSERT_NO_FATAL_FAILURE(Install());
    ASSERT_NE(0u, E2eWaitForOneUtility());
    const std::wstring dir = E2eInstallFolder();
    std::wstring quiet = E2eMachineValue(E2E_UNINSTALL_KEY, L"QuietUninstallString");

    // NSIS's uninstaller copies itself to %TEMP%, starts the copy and ends at
    // once; the copy does the work.
    DWORD code = 0xDEAD;
    ASSERT_TRUE(E2eRunHidden(quiet, workDir, &code)) << U8(quiet);
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(E2eWaitUntil([&] { return !E2eFileExists(dir); }, E2E_SETUP_MS))
        << U8(dir) << " is still there; Q8.exe "
        << (E2eFileExists(dir + L"\\Q8.exe") ? "too" : "gone") << ", uninstall.exe "
        << (E2eFileExists(dir + L"\\uninstall.exe") ? "too" : "gone");
    EXPECT_FALSE(E2eMutexExists(E2E_INSTANCE_MUTEX)) << "Q8 still runs";
    EXPECT_TRUE(E2eUtilityWindows().empty());
    EXPECT_TRUE(E2eWaitUntil([] { return !E2eMachineKeyExists(E2E_UNINSTALL_KEY); })) << "the Uninstall key is left";
    EXPECT_EQ(L"<missing>", E2eMachineValue(E2E_RUN_KEY, L"Ambrel"));

    ExpectSettingsKept();
    EXPECT_TRUE(E2eFileExists(WorkPath(L"UI_Dri_SetupLog.log")));
}

TEST_F(Package, InstallOverARunningQ8ReplacesItsFilesAndLeavesOneRunning) {
    ASSERT_NO_FATAL_FAILURE(Install());
    DWORD first = E2eWaitForOneUtility();
    ASSERT_NE(0u, first);
    HANDLE firstProcess = OpenProcess(SYNCHRONIZE, FALSE, first);
    ASSERT_NE(nullptr, firstProcess);

    // Date the installed files back, so that fresh copies show.
    const std::wstring dir = E2eInstallFolder();
    FILETIME old = {0x256D4000, 0x01BF53EB};  // 2000-01-01
    for (const wchar_t* file : kInstalledFiles) {
        HANDLE h = CreateFileW((dir + L"\\" + file).c_str(), FILE_WRITE_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h) << U8(file) << " error " << GetLastError();
        EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &old));
        CloseHandle(h);
    }

    ASSERT_NO_FATAL_FAILURE(Install());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(firstProcess, 0)) << "the first Q8 still runs";
    CloseHandle(firstProcess);
    for (const wchar_t* file : kInstalledFiles) {
        // The package keeps a file's time to 2 s, rounded down.
        unsigned long long installed = Ticks(WriteTime(dir + L"\\" + file));
        unsigned long long built = Ticks(WriteTime(E2eBinDir() + L"\\" + file));
        EXPECT_TRUE(installed <= built && built - installed < 20000000ull)
            << U8(file) << " is dated " << installed << ", the build's " << built << ", the old one " << Ticks(old);
    }
    std::string log = E2eReadFile(LogPath());
    EXPECT_NE(std::string::npos, log.find("Asked the running utility to close")) << log;

    DWORD second = E2eWaitForOneUtility(first);
    ASSERT_NE(0u, second) << E2eUtilityWindows().size() << " utility windows after the second install";
    EXPECT_EQ(0, _wcsicmp((dir + L"\\Q8.exe").c_str(), E2eImageOf(second).c_str())) << U8(E2eImageOf(second));
}

TEST_F(Package, InstallEndsAQ8ThatNoLongerAnswers) {
    // A Q8 whose window thread is stuck: WM_CLOSE goes unanswered.
    ASSERT_TRUE(box.InstallProgram());
    ASSERT_TRUE(q8.Start(box));
    ASSERT_NE(nullptr, q8.WaitForMainWindow());
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, q8.mainThreadId());
    ASSERT_NE(nullptr, thread);
    ASSERT_NE((DWORD)-1, SuspendThread(thread));
    CloseHandle(thread);

    ASSERT_NO_FATAL_FAILURE(Install());
    EXPECT_TRUE(q8.WaitForExit(0)) << "the stuck Q8 still runs";
    std::string log = E2eReadFile(LogPath());
    EXPECT_NE(std::string::npos, log.find("Ended the running utility with taskkill")) << log;
    EXPECT_NE(std::string::npos, log.find("Result: installed")) << log;
    DWORD pid = E2eWaitForOneUtility(q8.pid());
    ASSERT_NE(0u, pid) << E2eUtilityWindows().size() << " utility windows after the install";
    EXPECT_EQ(0, _wcsicmp((E2eInstallFolder() + L"\\Q8.exe").c_str(), E2eImageOf(pid).c_str())) << U8(E2eImageOf(pid));
}

TEST_F(Package, ResponseFileChoosesTheFolderAndWhetherToStart) {
    const std::wstring dir = box.Path(L"安装 目录");
    const std::wstring iss = WorkPath(L"Setup.iss");
    ASSERT_TRUE(WritePrivateProfileStringW(L"Ambrel", L"InstallDir", dir.c_str(), iss.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Ambrel", L"StartUtility", L"0", iss.c_str()));
    ASSERT_NO_FATAL_FAILURE(Install());

    for (const wchar_t* file : kInstalledFiles)
        EXPECT_TRUE(E2eFileExists(dir + L"\\" + file)) << U8(dir) << "\\" << U8(file);
    EXPECT_FALSE(E2eFileExists(E2eInstallFolder()));
    EXPECT_EQ(L"\"" + dir + L"\\Q8.exe\" nogui", E2eMachineValue(E2E_RUN_KEY, L"Ambrel"));
    EXPECT_EQ(L"\"" + dir + L"\\uninstall.exe\"", E2eMachineValue(E2E_UNINSTALL_KEY, L"UninstallString"));
    std::string log = E2eReadFile(LogPath());
    EXPECT_NE(std::string::npos, log.find("Utility not started (StartUtility=0)\r\n")) << log;
    EXPECT_EQ(std::string::npos, log.find("Started ")) << log;
    EXPECT_FALSE(E2eMutexExists(E2E_INSTANCE_MUTEX));
}

}  // namespace
