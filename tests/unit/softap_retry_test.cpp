// The retry limits of the adapter wait, run through the workers' clock seam
// so that minute-long loops take milliseconds. The adapter is a simulated one
// that Wine's SetupAPI really finds; the library is scripted.
#include "adapter/bind.h"
#include "adapter/ops.h"
#include "app/log.h"
#include "app/messages.h"
#include "app/settings.h"
#include "scripted_dravo.h"
#include "sim/host/host_world.h"
#include "sim/sim_edit.h"
#include "softap/clock.h"
#include "softap/softap.h"
#include "softap/softap_state.h"

#include "test_log.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

int gSleeps = 0;
std::set<DWORD> gPauses;  // every pause length asked for
void CountingSleep(DWORD ms) {
    ++gSleeps;
    gPauses.insert(ms);
}
DWORD NoWait(HANDLE h, DWORD) { return WaitForSingleObject(h, 0); }

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1)) ++n;
    return n;
}

class AdapterWait : public ::testing::Test {
protected:
    void SetUp() override {
        gSoftApClock = {CountingSleep, NoWait};
        gSleeps = 0;
        gPauses.clear();
        gMainWnd = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        gDravo = &lib;
        // A plugged, running adapter whose GUID names no network interface, so
        // no MAC address (and no default name) can be found for it.
        SimPlugOptions o = {};
        o.guid = L"{5C8A0D1E-AAAA-BBBB-CCCC-DDDDEEEEFFFF}";
        ASSERT_TRUE(SimPlugAdapter(world, 0, o));
        Apply();
        DeleteFileA("ui_log.log");
        gUiLogSwitch = 1;
        softApState = SOFTAP_Creating;
    }
    void TearDown() override {
        gUiLogSwitch = 0;
        gDravo = nullptr;
        DestroyWindow(gMainWnd);
        gMainWnd = nullptr;
        world = SimWorld();
        Apply();
    }
    void Apply() {
        std::wstring error;
        ASSERT_EQ(0, SimApplyHostWorld(world, &error)) << SimToUtf8(error);
    }
    bool AnyPosted() {
        MSG m;
        return PeekMessageW(&m, gMainWnd, 0, 0, PM_REMOVE) != FALSE;
    }
    SimWorld world;
    ScriptedDravo lib;
};

TEST_F(AdapterWait, InitialisationIsTriedTwoHundredTimesThenGivenUp) {
    lib.status[1] = 5;
    EXPECT_EQ((DWORD)-1, ThreadWaitNicInitOk(nullptr));
    EXPECT_EQ(200, lib.Count(1));
    EXPECT_EQ(200, gSleeps);
    EXPECT_EQ(std::set<DWORD>{300}, gPauses);  // one minute in all
    EXPECT_EQ((unsigned)SOFTAP_Creating, (unsigned)softApState);  // the creating look stays
    EXPECT_EQ(0, lib.Count(19));                                  // control never taken
    EXPECT_FALSE(AnyPosted());
}

TEST_F(AdapterWait, RemovingTheAdapterEndsTheWaitWithNoCard) {
    lib.status[1] = 5;
    lib.onInitAdapter = [this](int call) {
        if (call == 3) {
            world = SimWorld();
            Apply();
        }
    };
    EXPECT_EQ((DWORD)-1, ThreadWaitNicInitOk(nullptr));
    EXPECT_EQ(3, lib.Count(1));
    EXPECT_EQ((unsigned)SOFTAP_NoCard, (unsigned)softApState);
    // The window is told, so that it takes the creating look away.
    MSG m = {};
    ASSERT_TRUE(PeekMessageW(&m, gMainWnd, 0, 0, PM_REMOVE));
    EXPECT_EQ((UINT)WM_SOFTAP_NOCARD, m.message);
    EXPECT_FALSE(AnyPosted());
}

TEST_F(AdapterWait, DefaultNameIsTriedAHundredAndFiftyOneTimes) {
    EXPECT_EQ((DWORD)-1, ThreadWaitNicInitOk(nullptr));
    EXPECT_EQ(1, lib.Count(1));
    EXPECT_EQ(1, lib.Count(19));  // control taken once the adapter answered
    std::string log = ReadLog();
    EXPECT_EQ(151u, Count(log, "{ThreadWaitNicInitOk} ")) << log.substr(0, 2000);
    EXPECT_NE(std::string::npos, log.find("{ThreadWaitNicInitOk} 150 times strSSid = \r\n"));
    EXPECT_EQ(std::string::npos, log.find("{ThreadWaitNicInitOk} 151 times"));
    EXPECT_EQ(151, gSleeps);
    EXPECT_EQ(std::set<DWORD>{300}, gPauses);
    EXPECT_FALSE(AnyPosted());  // no name: no radio event, no bring-up
    EXPECT_STREQ(L"{5C8A0D1E-AAAA-BBBB-CCCC-DDDDEEEEFFFF}", currentAdapter.guid);
}

TEST_F(AdapterWait, FreshNetworkNameIsTriedSixteenMoreTimesThenSetUpGoesOn) {
    // No stored name: set-up derives one, retries 16 times, then goes on
    // without one. The bring-up worker it starts finds the state changed and ends.
    wchar_t dir[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, dir);
    wcscpy(gDataDir, dir);
    gIniFile = {};
    apLock = CreateMutexW(nullptr, FALSE, nullptr);
    exitEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    softApState = SOFTAP_Stopped;
    InitSoftap();
    std::string log = ReadLog();
    EXPECT_EQ(16u, Count(log, "{InitSoftap} ") - 4) << log.substr(0, 3000);  // besides the four one-off lines
    EXPECT_EQ(16u, Count(log, " times again strSSid = "));
    EXPECT_NE(std::string::npos, log.find("{InitSoftap} 15 times again strSSid = \r\n"));
    EXPECT_EQ(std::string::npos, log.find("{InitSoftap} 16 times again"));
    EXPECT_EQ(16, gSleeps);
    EXPECT_EQ(std::set<DWORD>{200}, gPauses);
    EXPECT_EQ(4, gSoftApInfo.encrypt);
    EXPECT_EQ(6, gSoftApInfo.channel);
    EXPECT_EQ(1, gIniFile.softAp);
    SetEvent(exitEvent);
    WaitForSingleObject(apLock, 5000);  // the worker, if it took the lock, is gone
    ReleaseMutex(apLock);
    CloseHandle(exitEvent);
    exitEvent = nullptr;
    DeleteFileA("config.ini");
}

}  // namespace
