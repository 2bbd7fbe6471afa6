// The installer's payload unpacker and its log, against this program's own
// resources (a payload like the installer's and resource lists of every
// shape): the list, the work folder, the written files, holding them until
// the setup program starts, and the clean-up. Log lines are read from
// E:\Instaro_log.log, with the prefix's drive E: made a folder of the test
// (Wine's DefineDosDevice names the drive but opening files on it fails).
#include "installer/installer_log.h"
#include "installer/unpack_res.h"
#include "sim/unix_run.h"
#include "sim/world.h"
#include "unpack_test_res.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::string Narrow(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &s[0], n, nullptr, nullptr);
    return s;
}

std::string ReadAll(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes(GetFileSize(f, nullptr), '\0');
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(f, &bytes[0], (DWORD)bytes.size(), &got, nullptr);
    CloseHandle(f);
    return bytes.substr(0, got);
}

std::string Resource(UINT id) {
    HRSRC r = FindResourceW(nullptr, MAKEINTRESOURCEW(id), L"UTILITY");
    if (!r) return std::string();
    return std::string((const char*)LockResource(LoadResource(nullptr, r)), SizeofResource(nullptr, r));
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class Unpack : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t cwd[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, cwd);
        base = std::wstring(cwd) + L"\\unpack-" + std::to_wstring(GetTickCount());
        logDir = base + L"-log";
        CreateDirectoryW(logDir.c_str(), nullptr);
        // The log's fixed drive, here a folder of this test.
        std::string answer;
        ASSERT_TRUE(SimRunUnixScript("ln -sfn \"$2\" \"$WINEPREFIX/dosdevices/e:\" && finish ok\nfinish failed",
                                     {SimFromUtf8(SimUnixPath(logDir))}, 10000, &answer) &&
                    answer == "ok")
            << answer;
        gInstallerLogSwitch = 1;
        SetWork(base + L"\\Vorn");
    }
    void TearDown() override {
        gInstallerLogSwitch = 0;
        std::string answer;
        SimRunUnixScript("rm -f \"$WINEPREFIX/dosdevices/e:\"; finish ok", {}, 10000, &answer);
    }
    void SetWork(const std::wstring& folder) { wcsncpy(work, folder.c_str(), MAX_PATH - 1); }
    std::string Log() const { return ReadAll(logDir + L"\\Instaro_log.log"); }
    bool Logged(const std::wstring& text) const { return Log().find(Narrow(text)) != std::string::npos; }
    // Ready to unpack the list of string `listId`.
    bool Prepare(UnPackFromRes& u, UINT listId) {
        return u.InitResouse(GetModuleHandleW(nullptr), L"UTILITY", listId) && u.SetOutDir();
    }
    std::wstring In(const wchar_t* name) const { return std::wstring(work) + L"\\" + name; }

    wchar_t work[MAX_PATH] = L"";
    std::wstring base, logDir;
};

struct ListRow {
    const char* what;
    UINT listId;
    std::vector<std::pair<UINT, const wchar_t*>> entries;  // resource id, file name; empty: the list fails
};

TEST_F(Unpack, ResourceListGivesEntriesInOrderOrFailsWhole) {
    const ListRow rows[] = {
        {"the installer's list", IDS_UNPACK_LIST, {{227, L"Setup.exe"}, {228, L"Setup.iss"}}},
        {"a single item", IDS_UNPACK_LIST_SINGLE, {{228, L"Setup.iss"}}},
        {"a trailing comma", IDS_UNPACK_LIST_TRAILING, {}},
        {"no dash", IDS_UNPACK_LIST_NO_DASH, {}},
        {"letters", IDS_UNPACK_LIST_LETTERS, {}},
        {"an empty item", IDS_UNPACK_LIST_EMPTY_ITEM, {}},
        {"a blank before an item", IDS_UNPACK_LIST_SPACE, {}},
        {"a file-name string that does not exist", IDS_UNPACK_LIST_NO_NAME, {}},
        {"no list string", IDS_UNPACK_LIST_ABSENT, {}},
    };
    for (const ListRow& r : rows) {
        SCOPED_TRACE(r.what);
        UnPackFromRes u(work);
        ASSERT_TRUE(Prepare(u, r.listId));
        bool ok = u.GetResourceList();
        EXPECT_EQ(!r.entries.empty(), ok);
        if (!ok) continue;
        ASSERT_EQ((int)r.entries.size(), u.Count());
        const ResDot* dot = u.First();
        for (const auto& e : r.entries) {
            ASSERT_NE(nullptr, dot);
            EXPECT_EQ(e.first, dot->resourceId);
            EXPECT_EQ(Narrow(In(e.second)), Narrow(dot->path));
            EXPECT_STREQ(L"UTILITY", dot->type);
            dot = dot->next;
        }
        EXPECT_EQ(nullptr, dot);
    }
    EXPECT_TRUE(Logged(L"UnPackFromRes::GetResourceList ->load table fail")) << Log();
    EXPECT_TRUE(Logged(L"UnPackFromRes::GetResourceList ->bad item \"a-b\" in \"227-137,a-b\"")) << Log();
}

TEST_F(Unpack, WritesEveryResourceWholeOverAnyOldFile) {
    UnPackFromRes u(work);
    ASSERT_TRUE(Prepare(u, IDS_UNPACK_LIST));
    CreateDirectoryW(work, nullptr);
    HANDLE old = CreateFileW(In(L"Setup.iss").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    WriteFile(old, "an older and much longer response file than ours", 49, &put, nullptr);
    CloseHandle(old);
    ASSERT_TRUE(u.UnPack()) << Log();
    EXPECT_EQ(Resource(IDR_UNPACK_SETUP), ReadAll(In(L"Setup.exe")));
    EXPECT_EQ(Resource(IDR_UNPACK_ISS), ReadAll(In(L"Setup.iss")));
    EXPECT_GT(Resource(IDR_UNPACK_SETUP).size(), 1000u) << "the stand-in setup program is a real program";
}

TEST_F(Unpack, FailuresAreLoggedAndStopTheUnpack) {
    {
        SCOPED_TRACE("nothing prepared: the folder is asked for first");
        UnPackFromRes u(work);
        EXPECT_FALSE(u.UnPack());
        EXPECT_TRUE(Logged(L"UnPackFromRes::UnPack ->didn,t set Dir ")) << Log();
    }
    {
        SCOPED_TRACE("a listed resource the program does not hold");
        UnPackFromRes u(work);
        ASSERT_TRUE(Prepare(u, IDS_UNPACK_LIST_MISSING_RES));
        EXPECT_FALSE(u.UnPack());
        EXPECT_TRUE(Logged(L"UnPackFromRes::UnPackFromList ->Get Source " + In(L"Setup.iss") + L" fail!")) << Log();
        EXPECT_TRUE(Logged(L"UnPackFromRes::UnPack ->UnPackFromList Fail")) << Log();
        EXPECT_TRUE(Exists(In(L"Setup.exe"))) << "the files before the failing one stay";
        u.DelFiles();
    }
    {
        SCOPED_TRACE("a target held open elsewhere without sharing");
        UnPackFromRes u(work);
        ASSERT_TRUE(Prepare(u, IDS_UNPACK_LIST));
        HANDLE busy = CreateFileW(In(L"Setup.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, busy);
        EXPECT_FALSE(u.UnPack());
        CloseHandle(busy);
        EXPECT_TRUE(Logged(L"UnPackFromRes::UnPackFromList ->Get Source " + In(L"Setup.exe") + L" fail!")) << Log();
    }
}

TEST_F(Unpack, WorkFolderIsMadeParentByParent) {
    {
        SCOPED_TRACE("three missing levels");
        SetWork(base + L"\\a\\b\\Vorn");
        UnPackFromRes u(work);
        ASSERT_TRUE(u.InitResouse(GetModuleHandleW(nullptr), L"UTILITY", IDS_UNPACK_LIST));
        EXPECT_TRUE(u.SetOutDir()) << Log();
        EXPECT_TRUE(Exists(work));
    }
    {
        SCOPED_TRACE("already there");
        UnPackFromRes u(work);
        EXPECT_TRUE(u.SetOutDir());
        EXPECT_TRUE(Logged(L"UnPackFromRes::SetOutDir ->The  outDir  " + std::wstring(work) + L" is exist ")) << Log();
    }
    {
        SCOPED_TRACE("a drive that does not exist");
        SetWork(L"Q:\\nowhere\\Vorn");
        UnPackFromRes u(work);
        EXPECT_FALSE(u.SetOutDir());
        EXPECT_TRUE(Logged(L"UnPackFromRes::SetOutDir ->can,t creat ")) << Log();
    }
}

// The setup program is started from the user's own folder by an elevated
// installer: from writing to deleting, no one may change or swap it.
TEST_F(Unpack, WrittenFilesCannotBeChangedWhileHeldAndTheSetupStillRuns) {
    UnPackFromRes u(work);
    ASSERT_TRUE(Prepare(u, IDS_UNPACK_LIST));
    ASSERT_TRUE(u.UnPack()) << Log();
    for (const wchar_t* name : {L"Setup.exe", L"Setup.iss"}) {
        SCOPED_TRACE(Narrow(name));
        HANDLE w = CreateFileW(In(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(INVALID_HANDLE_VALUE, w) << "opened for writing";
        EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, GetLastError());
        if (w != INVALID_HANDLE_VALUE) CloseHandle(w);
        EXPECT_FALSE(DeleteFileW(In(name).c_str())) << "deleted";
        EXPECT_FALSE(MoveFileW(In(name).c_str(), (In(name) + L".old").c_str())) << "renamed";
        EXPECT_EQ(Resource(IDR_UNPACK_SETUP).size(), ReadAll(In(L"Setup.exe")).size()) << "readable";
    }
    // Held as it is, the program starts and runs.
    std::wstring cmd = L"\"" + In(L"Setup.exe") + L"\" /s";
    std::vector<wchar_t> line(cmd.begin(), cmd.end());
    line.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        << GetLastError();
    u.ReleaseHolds();
    WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    EXPECT_EQ(7u, code);
    HANDLE w = CreateFileW(In(L"Setup.iss").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, w) << "let go after the start";
    if (w != INVALID_HANDLE_VALUE) CloseHandle(w);
}

TEST_F(Unpack, CleanUpDeletesWhatItCanAndSchedulesWhatIsInUse) {
    UnPackFromRes u(work);
    ASSERT_TRUE(Prepare(u, IDS_UNPACK_LIST));
    ASSERT_TRUE(u.UnPack()) << Log();
    u.ReleaseHolds();
    ASSERT_TRUE(DeleteFileW(In(L"Setup.iss").c_str()));  // gone already
    HANDLE busy = CreateFileW(In(L"Setup.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, busy);
    EXPECT_TRUE(u.DelFiles());
    CloseHandle(busy);
    EXPECT_EQ(0, u.Count());
    EXPECT_TRUE(Logged(L"UnPackFromRes::DelFiles-> Can't find " + In(L"Setup.iss"))) << Log();
    // The file in use waits for the next restart.
    wchar_t pending[4096] = L"";
    DWORD size = sizeof pending;
    LSTATUS r = RegGetValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                             L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, pending, &size);
    bool scheduled = false;
    for (const wchar_t* p = pending; r == ERROR_SUCCESS && *p; p += wcslen(p) + 1)
        if (wcsstr(p, L"Setup.exe") && wcsstr(p, L"unpack-")) scheduled = true;
    EXPECT_TRUE(scheduled || !Exists(In(L"Setup.exe"))) << "neither deleted nor scheduled for deletion";
    // The work folder itself stays.
    EXPECT_TRUE(Exists(work));
}

TEST(InstallerLog, LineOpensANewLineWithTimeThreadAndColon) {
    wchar_t line[INSTALLER_LOG_LINE_MAX];
    FormatInstallerLogLine(line, ARRAYSIZE(line), L"gLogDirPath = C:\\Users\\me\\AppData\\Roaming\\Vorn");
    std::string text = Narrow(line);
    char thread[32];
    snprintf(thread, sizeof thread, " [0x%08X]: ", (unsigned)GetCurrentThreadId());
    EXPECT_EQ('\n', text[0]) << text;
    int h = -1, m = -1, s = -1, ms = -1;
    EXPECT_EQ(4, sscanf(text.c_str() + 1, "%d:%d:%d.%d", &h, &m, &s, &ms)) << text;
    EXPECT_NE(std::string::npos, text.find(thread)) << text;
    EXPECT_EQ(text.size() - strlen("gLogDirPath = C:\\Users\\me\\AppData\\Roaming\\Vorn"),
              text.find("gLogDirPath = ")) << text;
}

TEST_F(Unpack, LogWritesNothingWhileSwitchedOff) {
    gInstallerLogSwitch = 0;
    WriteInstallerLog(L"gLogDirPath = %s", L"C:\\Vorn");
    EXPECT_FALSE(Exists(logDir + L"\\Instaro_log.log"));
    gInstallerLogSwitch = 1;
    WriteInstallerLog(L"gLogDirPath = %s", L"C:\\Vorn");
    std::string log = Log();
    EXPECT_EQ(0u, log.find("\r\n")) << "text mode: the leading line break is CR LF";
    EXPECT_NE(std::string::npos, log.find("]: gLogDirPath = C:\\Vorn")) << log;
}

}  // namespace
