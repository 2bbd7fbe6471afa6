// Start-up of the real Q8.exe under Wine: the first instance with its
// hidden window and mutex, a second start that wakes it and leaves, the
// library's event reaching the main window, each way binding can fail, the
// log switch and format, and a planted library that must not be loaded.
#include "harness.h"

#include "sim/sim_edit.h"

#include <cstdio>
#include <regex>
#include <string>

namespace {

class Startup : public Q8E2eTest {};

TEST_F(Startup, FirstStartOwnsTheMutexAndAHiddenTitledWindow) {
    ASSERT_TRUE(box.InstallProgram());
    ASSERT_FALSE(E2eMutexExists(E2E_INSTANCE_MUTEX));
    ASSERT_TRUE(q8.Start(box));
    HWND w = q8.WaitForMainWindow();
    ASSERT_NE(nullptr, w) << "no window titled Ambrel with the property; log:\n" << box.Log();
    EXPECT_TRUE(E2eMutexExists(E2E_INSTANCE_MUTEX));
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_EQ(GetDesktopWindow(), GetAncestor(w, GA_PARENT));  // top-level
    EXPECT_EQ((HANDLE)1, GetPropW(w, E2E_WINDOW_PROP));

    // Ending it frees the name for the next start.
    EXPECT_TRUE(q8.Stop()) << "Q8 did not end on WM_CLOSE";
    EXPECT_TRUE(E2eWaitUntil([] { return !E2eMutexExists(E2E_INSTANCE_MUTEX); }));
}

TEST_F(Startup, SecondStartWakesTheFirstAndLeaves) {
    ASSERT_TRUE(box.InstallProgram());
    ASSERT_TRUE(q8.Start(box));
    HWND first = q8.WaitForMainWindow();
    ASSERT_NE(nullptr, first);

    CQ8Process second;
    ASSERT_TRUE(second.Start(box));
    EXPECT_TRUE(second.WaitForExit()) << "the second start did not end";
    EXPECT_TRUE(WaitForLog("{OnTrayNotify} lParam=0x163A")) << box.Log();
    std::vector<HWND> windows = E2eUtilityWindows();
    ASSERT_EQ(1u, windows.size());
    EXPECT_EQ(first, windows[0]);
    EXPECT_TRUE(q8.IsRunning());
}

TEST_F(Startup, LibraryEventReachesTheMainWindow) {
    ASSERT_TRUE(SimPlugAdapter(box.world, 0, SimPlugOptions()));
    ASSERT_TRUE(SimAddIcsConnection(box.world, L"本地连接", L"{5C8A0D1E-1111-2222-3333-444455556666}", 3, 2));
    std::wstring error;
    ASSERT_EQ(0, box.ApplyWorld(&error)) << SimToUtf8(error);
    ASSERT_TRUE(box.InstallProgram());
    ASSERT_TRUE(q8.Start(box));
    ASSERT_NE(nullptr, q8.WaitForMainWindow());
    // The library raises events only to a caller that initialised an adapter.
    ASSERT_TRUE(WaitForLog("{UIInitAdapter} ret=0")) << box.Log() << "\ncalls:\n" << box.Calls();

    ASSERT_TRUE(box.RaiseEvent(18));
    EXPECT_TRUE(WaitForLog("{EventManage} WFF_SERVICE_UNRUN")) << box.Log();
    EXPECT_NE(std::string::npos, box.Calls().find(" Event ret=1 code=18 delivered=1")) << box.Calls();
}

struct BindFailure {
    const char* name;
    const wchar_t* library;  // file of the build folder installed as Dravolib.dll; null = none
    const char* line;        // the line that failure logs; %s = the library's full path
};

TEST_F(Startup, EachBindingFailureEndsQ8WithItsOwnLine) {
    const BindFailure rows[] = {
        {"no library", nullptr, "Load Dravo module failed, Dravo name is \"%s\", the last error is 126."},
        {"no NewDravo export", L"dravo_noexport.dll", "LoadAPI failed, Dravo name is \"%s\", the last error is 127."},
        {"factory returns null", L"dravo_nullobject.dll", "Get Dravo FAILED."},
    };
    for (const BindFailure& r : rows) {
        SCOPED_TRACE(r.name);
        ASSERT_TRUE(box.Create(std::wstring(L"bind-") + (r.library ? r.library : L"none")));
        ASSERT_TRUE(box.InstallProgram(r.library));
        CQ8Process p;
        ASSERT_TRUE(p.Start(box));
        EXPECT_TRUE(p.WaitForExit()) << "Q8 kept running without a library";
        EXPECT_TRUE(E2eUtilityWindows().empty());
        std::string log = box.Log();
        EXPECT_NE(std::string::npos, log.find("{UIBindAdapter} new Dravolib\r\n")) << log;
        std::string path = SimToUtf8(box.programDir + L"\\Dravolib.dll");
        char expected[512];
        snprintf(expected, sizeof expected, r.line, path.c_str());
        EXPECT_NE(std::string::npos, log.find(expected)) << log;
        EXPECT_TRUE(E2eWaitUntil([] { return !E2eMutexExists(E2E_INSTANCE_MUTEX); }));
    }
}

TEST_F(Startup, LogLineHasTheTimeAndThreadPrefixAndCrLf) {
    ASSERT_TRUE(box.InstallProgram());
    ASSERT_TRUE(q8.Start(box));
    ASSERT_TRUE(WaitForLog("{UIBindAdapter} new Dravolib")) << box.Log();
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::string log = box.Log();
    std::smatch m;
    const std::regex line("(^|\n)(\\d{1,2}):(\\d{2}):(\\d{2})\\.(\\d{3}) \\[0x([0-9A-F]{8})\\] "
                          "\\{UIBindAdapter\\} new Dravolib\r\n");
    ASSERT_TRUE(std::regex_search(log, m, line)) << log;
    int hour = std::stoi(m[2]), minute = std::stoi(m[3]), second = std::stoi(m[4]);
    EXPECT_TRUE(hour < 24 && minute < 60 && second < 60);
    EXPECT_FALSE(m[2].str().size() == 2 && m[2].str()[0] == '0') << "the hour is not zero-padded";
    // Local time, not UTC: within a few minutes of this process's clock (midnight wraps).
    int logged = hour * 3600 + minute * 60 + second;
    int here = now.wHour * 3600 + now.wMinute * 60 + now.wSecond;
    int diff = (here - logged + 86400) % 86400;
    EXPECT_LT(diff, 300) << "logged " << m[0];
    // The binding runs on the main window's thread, the process's first.
    char tid[16];
    snprintf(tid, sizeof tid, "%08X", (unsigned)q8.mainThreadId());
    EXPECT_EQ(tid, m[6].str());
}

TEST_F(Startup, WithoutTheSwitchNoLogFileIsMade) {
    ASSERT_TRUE(box.InstallProgram());
    Q8StartOptions quiet;
    quiet.bLog = false;
    ASSERT_TRUE(q8.Start(box, quiet));
    ASSERT_NE(nullptr, q8.WaitForMainWindow());
    // Everything start-up logs has been written once the process has ended.
    ASSERT_TRUE(q8.Stop());
    EXPECT_FALSE(E2eFileExists(box.Path(L"ui_log.log")));
    EXPECT_NE(std::string::npos, box.Calls().find(" NewDravo ret=0")) << "the library was not even bound";
}

TEST_F(Startup, LibraryPlantedInTheCurrentDirectoryIsNotLoaded) {
    // Q8's folder has no library; its current directory has a working one.
    ASSERT_TRUE(box.InstallProgram(nullptr, box.Path(L"program")));
    ASSERT_TRUE(box.CopyFromBin(L"Dravolib.dll", box.Path(L"Dravolib.dll")));
    ASSERT_TRUE(q8.Start(box));
    EXPECT_TRUE(q8.WaitForExit()) << "Q8 runs: it bound the planted library";
    std::string log = box.Log();
    EXPECT_NE(std::string::npos, log.find("Load Dravo module failed, Dravo name is \"")) << log;
    EXPECT_NE(std::string::npos, log.find("\\program\\Dravolib.dll\"")) << log;
    EXPECT_EQ(std::string::npos, box.Calls().find("NewDravo")) << box.Calls();
}

}  // namespace
