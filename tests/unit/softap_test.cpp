// Soft AP workers and event handling, run against a scripted control object:
// the bring-up's every outcome with its state and posts, the connection
// choice, the internet status, the station poll and the power notices.
#include "adapter/bind.h"
#include "adapter/ops.h"
#include "app/log.h"
#include "app/messages.h"
#include "app/settings.h"
#include "netenv/ics_select.h"
#include "scripted_dravo.h"
#include "softap/clock.h"
#include "softap/events.h"
#include "softap/softap.h"
#include "softap/softap_state.h"

#include "test_log.h"

#include "test_threads.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

enum { SLOT_SET_SOFTAP = 11, SLOT_QUERY_SOFTAP = 14, SLOT_SET_ICS = 9, SLOT_QUERY_ICS = 6 };

struct Posted {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Posted& o) const { return msg == o.msg && wParam == o.wParam && lParam == o.lParam; }
};

std::ostream& operator<<(std::ostream& os, const Posted& p) {
    return os << "{0x" << std::hex << p.msg << std::dec << ", " << p.wParam << ", " << p.lParam << "}";
}

void InstantSleep(DWORD) {}
DWORD NoWait(HANDLE h, DWORD) { return WaitForSingleObject(h, 0); }


class SoftApWorkers : public ::testing::Test {
protected:
    void SetUp() override {
        gSoftApClock = {InstantSleep, NoWait};
        gMainWnd = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        apLock = CreateMutexW(nullptr, FALSE, nullptr);
        staLock = CreateMutexW(nullptr, FALSE, nullptr);
        exitEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        gDravo = &lib;
        currentAdapter = {};
        gIcsInfo = {};
        lib.connections = {{L"本地连接", 3, 2}};
        DeleteFileA("ui_log.log");
        gUiLogSwitch = 1;
    }
    void TearDown() override {
        gUiLogSwitch = 0;
        gDravo = nullptr;
        DestroyWindow(gMainWnd);
        gMainWnd = nullptr;
        CloseHandle(apLock);
        CloseHandle(staLock);
        CloseHandle(exitEvent);
        exitEvent = nullptr;
    }
    std::vector<Posted> TakePosted() {
        std::vector<Posted> out;
        MSG m;
        while (PeekMessageW(&m, gMainWnd, 0x1600, 0x1700, PM_REMOVE)) out.push_back({m.message, m.wParam, m.lParam});
        return out;
    }
    unsigned BringUp() {
        softApState = SOFTAP_Creating;
        ThreadSetSoftApAndIcs(gMainWnd);
        return softApState;
    }
    ScriptedDravo lib;
};

TEST_F(SoftApWorkers, BringUpSucceedsAndSharesTheChosenConnection) {
    EXPECT_EQ((unsigned)SOFTAP_Created, BringUp());
    std::vector<Posted> expect = {{WM_CHECK_INTERNET, 0, 0}, {WM_SOFTAP_RESULT, 2, 0}};
    EXPECT_EQ(expect, TakePosted());
    std::vector<int> libraryOrder;
    for (int s : lib.order)
        if (s == SLOT_SET_SOFTAP || s == SLOT_QUERY_SOFTAP || s == SLOT_QUERY_ICS || s == SLOT_SET_ICS)
            libraryOrder.push_back(s);
    EXPECT_EQ((std::vector<int>{SLOT_SET_SOFTAP, SLOT_QUERY_SOFTAP, SLOT_QUERY_ICS, SLOT_SET_ICS}), libraryOrder);
    EXPECT_STREQ(L"本地连接", gIcsInfo.networkName);
    EXPECT_TRUE(FreeForAnotherThread(apLock));
}

struct FailureCase {
    const char* what;
    void (*script)(ScriptedDravo&);
    unsigned state;
    std::vector<Posted> posts;
    int setIcsCalls;
};

TEST_F(SoftApWorkers, EveryFailedBringUpEndsInItsStateAndReleasesTheLock) {
    const FailureCase cases[] = {
        {"soft AP mode refused", [](ScriptedDravo& d) { d.status[SLOT_SET_SOFTAP] = 5; }, SOFTAP_CreateFailed,
         {{WM_SOFTAP_RESULT, 0, 0}}, 0},
        {"hotspot not active after set-up", [](ScriptedDravo& d) { d.active = 0; }, SOFTAP_CreateFailed,
         {{WM_SOFTAP_RESULT, 0, 0}}, 0},
        {"status query fails", [](ScriptedDravo& d) { d.status[SLOT_QUERY_SOFTAP] = 3; }, SOFTAP_CreateFailed,
         {{WM_SOFTAP_RESULT, 0, 0}}, 0},
        {"only disconnected connections", [](ScriptedDravo& d) { d.connections = {{L"本地连接", 3, 1}}; },
         SOFTAP_NoInternet, {{WM_SOFTAP_RESULT, 0, 0}, {WM_CHECK_INTERNET, 0, 0}, {WM_SOFTAP_CTRL, 1, 0}}, 0},
        {"connection query fails", [](ScriptedDravo& d) { d.status[SLOT_QUERY_ICS] = 4; }, SOFTAP_NoInternet,
         {{WM_SOFTAP_RESULT, 0, 0}, {WM_CHECK_INTERNET, 0, 0}, {WM_SOFTAP_CTRL, 1, 0}}, 0},
        {"sharing fails twice", [](ScriptedDravo& d) { d.setIcsFailures = 2; }, SOFTAP_IcsFailed,
         {{WM_SOFTAP_RESULT, 0, 0}, {WM_SOFTAP_CTRL, 1, 0}}, 2},
        {"sharing fails once, then works", [](ScriptedDravo& d) { d.setIcsFailures = 1; }, SOFTAP_Created,
         {{WM_CHECK_INTERNET, 0, 0}, {WM_SOFTAP_RESULT, 2, 0}}, 2},
        // The window is told, so that it takes the creating look away.
        {"adapter lost during set-up", [](ScriptedDravo& d) { d.onSetSoftApMode = [] { softApState = SOFTAP_NoCard; }; },
         SOFTAP_NoCard, {{WM_SOFTAP_NOCARD, 0, 0}}, 0},
        {"adapter lost and mode refused",
         [](ScriptedDravo& d) {
             d.status[SLOT_SET_SOFTAP] = 5;
             d.onSetSoftApMode = [] { softApState = SOFTAP_NoCard; };
         },
         SOFTAP_NoCard, {{WM_SOFTAP_NOCARD, 0, 0}}, 0},
        {"adapter lost and no connection to share",
         [](ScriptedDravo& d) {
             d.status[SLOT_QUERY_ICS] = 4;
             d.onSetSoftApMode = [] { softApState = SOFTAP_NoCard; };
         },
         SOFTAP_NoCard, {{WM_SOFTAP_NOCARD, 0, 0}}, 0},
    };
    for (const FailureCase& c : cases) {
        lib = ScriptedDravo();
        lib.connections = {{L"本地连接", 3, 2}};
        c.script(lib);
        EXPECT_EQ(c.state, BringUp()) << c.what;
        EXPECT_EQ(c.posts, TakePosted()) << c.what;
        EXPECT_EQ(c.setIcsCalls ? c.setIcsCalls : (c.state == SOFTAP_Created ? 1 : 0), lib.Count(SLOT_SET_ICS))
            << c.what;
        EXPECT_TRUE(FreeForAnotherThread(apLock)) << c.what;
    }
}

TEST_F(SoftApWorkers, BringUpDoesNothingUnlessCreating) {
    softApState = SOFTAP_Stopped;
    ThreadSetSoftApAndIcs(gMainWnd);
    EXPECT_EQ(0, lib.Count(SLOT_SET_SOFTAP));
    EXPECT_TRUE(TakePosted().empty());
    SetEvent(exitEvent);  // closing: not even the lock is taken
    EXPECT_EQ((unsigned)SOFTAP_Creating, BringUp());
    EXPECT_EQ(0, lib.Count(SLOT_SET_SOFTAP));
}

TEST_F(SoftApWorkers, StationPollCountsAndNoticesAVanishedHotspot) {
    struct Runner {
        static DWORD WINAPI Run(LPVOID) { return ThreadMonitorStations(nullptr); }
    };
    softApState = SOFTAP_Created;
    lib.stations = 2;
    HANDLE t = CreateThread(nullptr, 0, Runner::Run, nullptr, 0, nullptr);
    for (int i = 0; i < 5000 && stationCount != 2; ++i) Sleep(1);
    EXPECT_EQ(2, (int)stationCount);
    lib.active = 0;
    for (int i = 0; i < 5000 && softApState != SOFTAP_Stopped; ++i) Sleep(1);
    EXPECT_EQ((unsigned)SOFTAP_Stopped, (unsigned)softApState);
    for (int i = 0; i < 5000 && stationCount != 0; ++i) Sleep(1);
    EXPECT_EQ(0, (int)stationCount);  // forced to 0 once not created
    SetEvent(exitEvent);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(t, 10000));
    CloseHandle(t);
    std::vector<Posted> posts = TakePosted();
    ASSERT_FALSE(posts.empty());
    EXPECT_EQ((Posted{WM_SOFTAP_RESULT, 0, 0}), posts[0]);
    EXPECT_TRUE(FreeForAnotherThread(staLock));
}

struct ChoiceCase {
    const char* what;
    std::vector<ScriptedConnection> connections;
    const wchar_t* ownConnection;
    const wchar_t* chosen;  // null: none
};

TEST_F(SoftApWorkers, ConnectionChoiceFollowsMediaPriorityThenOrder) {
    const ChoiceCase cases[] = {
        {"PPPoE after LAN", {{L"本地连接", 3, 2}, {L"宽带连接", 6, 2}}, L"", L"宽带连接"},
        {"PPPoE before LAN", {{L"宽带连接", 6, 2}, {L"本地连接", 3, 2}}, L"", L"宽带连接"},
        {"two LANs", {{L"本地连接", 3, 2}, {L"本地连接 2", 3, 2}}, L"", L"本地连接"},
        {"direct beats phone", {{L"拨号", 4, 2}, {L"直连", 1, 2}}, L"", L"直连"},
        {"disconnected PPPoE", {{L"宽带连接", 6, 1}, {L"本地连接", 3, 2}}, L"", L"本地连接"},
        {"only disconnected", {{L"宽带连接", 6, 0}, {L"本地连接", 3, 1}}, L"", nullptr},
        {"media type 0 and 11", {{L"无", 0, 2}, {L"别的", 11, 2}}, L"", nullptr},
        {"own connection skipped", {{L"无线网络连接 2", 3, 2}, {L"本地连接", 3, 2}}, L"无线网络连接 2", L"本地连接"},
        {"nothing listed", {}, L"", nullptr},
    };
    for (const ChoiceCase& c : cases) {
        lib.connections = c.connections;
        wcscpy(currentAdapter.connName, c.ownConnection);
        wcscpy(gIcsInfo.networkName, L"之前");
        DeleteFileA("ui_log.log");
        bool found = CommonSelectIcsConnectionEx();
        EXPECT_EQ(c.chosen != nullptr, found) << c.what;
        EXPECT_STREQ(c.chosen ? c.chosen : L"之前", gIcsInfo.networkName) << c.what;  // kept when none fits
        if (!c.chosen && !c.connections.empty()) {
            EXPECT_NE(std::string::npos, ReadLog().find("{CommonSelectIcsConnectionEx} not fit.")) << c.what;
        }
    }
}

TEST_F(SoftApWorkers, InternetStatusOfTheSharedConnection) {
    wcscpy(gIcsInfo.networkName, L"本地连接");
    lib.connections = {{L"宽带连接", 6, 2}, {L"本地连接", 3, 2}};
    EXPECT_EQ(1, CurWlanStatus());
    lib.connections = {{L"本地连接", 3, 7}};
    EXPECT_EQ(0, CurWlanStatus());
    lib.connections = {{L"本地连接 (重命名)", 3, 2}};
    EXPECT_EQ(2, CurWlanStatus());
    lib.connections = {};
    EXPECT_EQ(2, CurWlanStatus());
    lib.connections = {{L"本地连接", 3, 2}};
    lib.status[SLOT_QUERY_ICS] = 9;
    EXPECT_EQ(2, CurWlanStatus());
}

struct PowerCase {
    const char* what;
    std::vector<WPARAM> events;
    int rebuilds;
};

TEST(PowerNotices, RebuildOnlyAfterTheSecondResumeFollowingASuspend) {
    const PowerCase cases[] = {
        {"suspend, one resume", {PBT_APMSUSPEND, PBT_APMRESUMESUSPEND}, 0},
        {"suspend, two resumes", {PBT_APMSUSPEND, PBT_APMRESUMESUSPEND, PBT_APMRESUMEAUTOMATIC}, 1},
        {"suspend, three resumes", {PBT_APMSUSPEND, PBT_APMRESUMESUSPEND, PBT_APMRESUMEAUTOMATIC, PBT_APMRESUMECRITICAL}, 1},
        {"resumes without suspend", {PBT_APMRESUMESUSPEND, PBT_APMRESUMEAUTOMATIC}, 0},
        {"cancelled query, later suspend and two resumes",
         {PBT_APMQUERYSUSPEND, PBT_APMQUERYSUSPENDFAILED, PBT_APMSUSPEND, PBT_APMRESUMESUSPEND, PBT_APMRESUMEAUTOMATIC}, 1},
        {"standby twice then resumes", {PBT_APMQUERYSTANDBY, PBT_APMSTANDBY, PBT_APMRESUMESTANDBY, PBT_APMRESUMESTANDBY}, 1},
        {"two full cycles", {PBT_APMSUSPEND, 7, 18, PBT_APMSUSPEND, 7, 18}, 2},
        {"other events", {PBT_APMPOWERSTATUSCHANGE, PBT_POWERSETTINGCHANGE, 3}, 0},
    };
    for (const PowerCase& c : cases) {
        PowerState power = {0, 0};
        int rebuilds = 0;
        for (WPARAM e : c.events) rebuilds += PowerNotice(&power, e) ? 1 : 0;
        EXPECT_EQ(c.rebuilds, rebuilds) << c.what;
    }
}

}  // namespace
