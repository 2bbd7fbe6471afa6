// Q8's notification-area icon and menu as a user meets them: real right and
// left clicks on the icon in Wine's tray, the owner-drawn menu with its two
// entries, the greyed entry and the animation while the hotspot is being
// created, the icon, tip and balloon of every state as the shell shows them,
// and the icon coming back when the shell's taskbar is rebuilt.
#include "desktop.h"
#include "harness.h"

#include "sim/sim_edit.h"

#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <functional>

#include <string>
#include <vector>

namespace {

const wchar_t kLanGuid[] = L"{5C8A0D1E-1111-2222-3333-444455556666}";

// The log is written in the ANSI code page; the sources are UTF-8.
std::string Acp(const std::wstring& wide) {
    char out[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, out, sizeof out, nullptr, nullptr);
    return out;
}

size_t CountOf(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1)) ++n;
    return n;
}

const UINT kTrayUid = 167;
const UINT kExitCommand = 32779;

class Tray : public Q8E2eTest {
protected:
    void StartQ8(bool bCreatingStays) {
        if (bCreatingStays) {
            // Adapter plugged in but InitAdapter answering 7: the bring-up
            // stays in its first step with the animation up.
            ASSERT_TRUE(SimPlugAdapter(box.world, 0, SimPlugOptions()));
            box.world.SetInt(L"library", L"init", 7);
        }
        StartQ8InWorld(&main);
        if (HasFatalFailure()) return;
        ASSERT_TRUE(WaitForLog(bCreatingStays ? "{RefreshTray} state=3" : "{RefreshTray} state=0")) << box.Log();
    }

    // True while the shell knows Q8's icon: modifying nothing succeeds only then.
    bool IconShown() const {
        NOTIFYICONDATAW nid = {};
        nid.cbSize = NOTIFYICONDATAW_V3_SIZE;
        nid.hWnd = main;
        nid.uID = kTrayUid;
        return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
    }

    // Right-clicks the icon; the menu window that opens, or null.
    HWND OpenMenu() {
        if (!E2eClickTrayIcon(3)) return nullptr;  // Q8's icon is the tray's only one
        HWND menu = nullptr;
        E2eWaitUntil([&] {
            for (HWND h : E2eWindowsOf(q8.pid(), L"#32768"))
                if (IsWindowVisible(h)) menu = h;
            return menu != nullptr;
        });
        return menu;
    }

    // Clicks entry `index` (0 = first) of the open menu.
    void ClickEntry(HWND menu, int index) {
        RECT rc;
        GetWindowRect(menu, &rc);
        int entry = (rc.bottom - rc.top) / 2;  // two entries of equal height
        E2eXdo("mousemove " + std::to_string(rc.left + 30) + " " + std::to_string(rc.top + entry * index + entry / 2) +
               " click 1");
    }

    // Waits until the shell's tip of Q8's icon, the only one, reads `tip`.
    bool WaitForTip(const std::wstring& tip) {
        std::vector<std::wstring> tips;
        bool ok = E2eWaitUntil([&] {
            tips = E2eTrayTips();
            return tips.size() == 1 && tips[0] == tip;
        });
        if (!ok) ADD_FAILURE() << "tray tips (" << tips.size() << "): "
                               << (tips.empty() ? std::string("none") : SimToUtf8(tips[0])) << "; expected "
                               << SimToUtf8(tip) << "\nlog:\n" << box.Log();
        return ok;
    }

    // The fewest and most lit pixels of the icon, sampled until `enough`
    // holds for them or `ms` pass.
    void SampleIcon(int* fewest, int* most, const std::function<bool(int, int)>& enough, DWORD ms) {
        *fewest = 1 << 30;
        *most = -1;
        E2eWaitUntil([&] {
            int n = E2eTrayIconWhitePixels();
            if (n >= 0) {
                if (n < *fewest) *fewest = n;
                if (n > *most) *most = n;
            }
            return enough(*fewest, *most);
        }, ms);
    }
    // A steady icon over two refreshes of the tray.
    void SampleSteadyIcon(int* fewest, int* most) {
        SampleIcon(fewest, most, [](int, int) { return false; }, 4500);
    }

    void Apply() {
        std::wstring error;
        ASSERT_EQ(0, box.ApplyWorld(&error)) << SimToUtf8(error);
    }

    HWND main = nullptr;
};

TEST_F(Tray, MenuOffersOpenAndExitAndExitTakesTheIconAway) {
    StartQ8(false);
    EXPECT_TRUE(IconShown());
    E2eScreenshot("tray_balloon");  // the state's text as a balloon under the icon
    HWND menu = OpenMenu();
    ASSERT_NE(nullptr, menu) << "no menu after a right click on the icon; log:\n" << box.Log();
    EXPECT_TRUE(WaitForLog("{ShowTrayMenu} items=2 creating=0")) << box.Log();
    RECT rc;
    GetWindowRect(menu, &rc);
    EXPECT_LT(rc.bottom - rc.top, 3 * 24) << "two entries of about 24 pixels";
    E2eScreenshot("tray_menu");
    ClickEntry(menu, 1);  // "退出"
    EXPECT_TRUE(E2eWaitUntil([&] { return !IconShown(); })) << "the exit command removes the icon";
    EXPECT_TRUE(q8.IsRunning()) << "the process stays";
}

// The operations of sim_calls.log ("<seq> <Operation> ...") named `op`.
size_t CallCount(const std::string& calls, const char* op) { return CountOf(calls, std::string(" ") + op + " "); }

TEST_F(Tray, ExitStopsTheHotspotAndTheNextPlugBringsIconAndHotspotBack) {
    ASSERT_TRUE(SimPlugAdapter(box.world, 0, SimPlugOptions()));
    ASSERT_TRUE(SimAddIcsConnection(box.world, L"本地连接", kLanGuid, 3, 2));
    StartQ8InWorld(&main);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(WaitForLog("{RefreshTray} state=8")) << box.Log();
    const size_t modesBefore = CallCount(box.Calls(), "SetSoftApMode");
    const size_t stopsBefore = CallCount(box.Calls(), "StopSoftap");

    HWND menu = OpenMenu();
    ASSERT_NE(nullptr, menu) << box.Log();
    ClickEntry(menu, 1);  // "退出"
    EXPECT_TRUE(E2eWaitUntil([&] { return !IconShown(); })) << "the exit command removes the icon";
    EXPECT_TRUE(E2eWaitUntil([&] { return CallCount(box.Calls(), "StopSoftap") == stopsBefore + 1; })) << box.Calls();
    EXPECT_FALSE(IsWindowVisible(main));

    // Out and in again: the utility is back in the tray with a running hotspot.
    box.world.SetInt(L"adapter0", L"present", 0);
    ASSERT_NO_FATAL_FAILURE(Apply());
    ASSERT_TRUE(WaitForLog("{ControlNicChange} SOFTAP_NoCard")) << box.Log();
    box.world.SetInt(L"adapter0", L"present", 1);
    ASSERT_NO_FATAL_FAILURE(Apply());
    EXPECT_TRUE(E2eWaitUntil([&] { return IconShown(); })) << box.Log();
    EXPECT_TRUE(E2eWaitUntil([&] { return CallCount(box.Calls(), "SetSoftApMode") > modesBefore; })) << box.Calls();
    EXPECT_TRUE(WaitForTip(L"连接到共享WiFi的终端设备有 0 台"));
}

TEST_F(Tray, OpenEntryAndLeftClickShowTheMainWindow) {
    StartQ8(false);
    HWND menu = OpenMenu();
    ASSERT_NE(nullptr, menu) << box.Log();
    ClickEntry(menu, 0);  // "打开主界面"
    EXPECT_TRUE(E2eWaitUntil([&] { return IsWindowVisible(main) != FALSE; })) << box.Log();
    ShowWindow(main, SW_HIDE);
    ASSERT_TRUE(E2eWaitUntil([&] { return !IsWindowVisible(main); }));
    ASSERT_TRUE(E2eClickTrayIcon(1));
    EXPECT_TRUE(E2eWaitUntil([&] { return IsWindowVisible(main) != FALSE; })) << box.Log();
}

TEST_F(Tray, WhileCreatingOpenIsGreyedAndTheAnimationIsCentredOnTheWorkArea) {
    StartQ8(true);
    HWND gif = nullptr;
    ASSERT_TRUE(E2eWaitUntil([&] { return (gif = E2eLayeredWindowOf(q8.pid())) != nullptr; })) << box.Log();
    // The main window was never shown, so it has no place to centre on.
    RECT rc, work;
    GetWindowRect(gif, &rc);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int x = (work.right - work.left) / 2 + work.left - 99, y = (work.bottom - work.top) / 2 + work.top - 99;
    EXPECT_EQ(x, rc.left);
    EXPECT_EQ(y, rc.top);
    EXPECT_EQ(198, rc.right - rc.left);
    EXPECT_EQ(198, rc.bottom - rc.top);
    EXPECT_TRUE(GetWindowLongW(gif, GWL_EXSTYLE) & WS_EX_TOPMOST);

    HWND menu = OpenMenu();
    ASSERT_NE(nullptr, menu) << box.Log();
    EXPECT_TRUE(WaitForLog("{ShowTrayMenu} items=2 creating=1")) << box.Log();
    E2eScreenshot("tray_creating");
    ClickEntry(menu, 0);  // greyed: nothing happens, the menu stays
    ASSERT_TRUE(E2eXdo("key Escape"));
    EXPECT_TRUE(E2eWaitUntil([&] { return !IsWindowVisible(menu) || !IsWindow(menu); }));
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_TRUE(IsWindowVisible(gif));
}

TEST_F(Tray, IconComesBackWhenTheTaskbarIsRebuiltUnlessExitRemovedIt) {
    StartQ8(false);
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    // Explorer restarting forgets every icon.
    NOTIFYICONDATAW nid = {};
    nid.cbSize = NOTIFYICONDATAW_V3_SIZE;
    nid.hWnd = main;
    nid.uID = kTrayUid;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &nid));
    ASSERT_FALSE(IconShown());
    SendMessageW(main, taskbarCreated, 0, 0);
    EXPECT_TRUE(E2eWaitUntil([&] { return IconShown(); })) << box.Log();

    // After the exit command the icon stays away.
    SendMessageW(main, WM_COMMAND, kExitCommand, 0);
    ASSERT_TRUE(E2eWaitUntil([&] { return !IconShown(); }));
    SendMessageW(main, taskbarCreated, 0, 0);
    EXPECT_TRUE(WaitForLog("{OnTaskbarCreated} trayRemoved=1")) << box.Log();
    EXPECT_FALSE(IconShown());
}

}  // namespace

namespace {

// One Q8 walks through the states of the tray's table. The shell must hold
// each state's tip, the icon must be the steady one except while creating,
// when its frames turn, and each change of state brings exactly one balloon.
TEST_F(Tray, EachStateShowsItsTipIconAndOneBalloonPerChange) {
    StartQ8(false);  // no adapter
    ASSERT_TRUE(WaitForTip(L"请插入Ambrel"));
    // A few pixels of the glyph's edges may read differently from one
    // sample to the next; a frame with an arc more or less lit differs by many.
    const int kJitter = 4, kFrameStep = 10;
    int fewest = 0, most = 0;
    SampleSteadyIcon(&fewest, &most);
    const int steadyLit = most;
    EXPECT_LE(most - fewest, kJitter) << "the steady icon does not change between ticks";
    EXPECT_GT(steadyLit, 20) << "the Wi-Fi glyph's white pixels";

    // Plugged in, but the adapter will not initialise: creating, frames turning.
    ASSERT_TRUE(SimPlugAdapter(box.world, 0, SimPlugOptions()));
    ASSERT_TRUE(SimAddIcsConnection(box.world, L"本地连接", kLanGuid, 3, 2));
    box.world.SetInt(L"library", L"init", 7);
    ASSERT_NO_FATAL_FAILURE(Apply());
    ASSERT_TRUE(WaitForTip(L"无线网络正在创建中…"));
    // Four frames, one per 2 s refresh: a whole round within 12 s.
    SampleIcon(&fewest, &most, [&](int f, int m) { return m >= steadyLit - kJitter && f + kFrameStep < m; }, 12000);
    EXPECT_LT(fewest + kFrameStep, most) << "frames with fewer arcs lit are shown";
    EXPECT_GE(most, steadyLit - kJitter) << "the last frame looks like the steady icon";
    E2eScreenshot("tray_creating_icon");

    // Taken out while creating: back to asking for the adapter, once the
    // device watch has seen it go (else a quick plug would pass unseen).
    box.world.SetInt(L"adapter0", L"present", 0);
    ASSERT_NO_FATAL_FAILURE(Apply());
    ASSERT_TRUE(WaitForTip(L"请插入Ambrel"));
    ASSERT_TRUE(E2eWaitUntil([&] { return CountOf(box.Log(), "{ControlNicChange} SOFTAP_NoCard") == 2; }))
        << box.Log();

    // Plugged in again, but soft AP mode is refused: creation failed.
    box.world.SetInt(L"library", L"init", 0);
    box.world.SetInt(L"adapter0", L"present", 1);
    ASSERT_TRUE(SimArmFailure(box.world, L"SetSoftApMode", 5, -1));
    ASSERT_NO_FATAL_FAILURE(Apply());
    ASSERT_TRUE(WaitForTip(L"无线网络创建失败"));
    SampleSteadyIcon(&fewest, &most);
    EXPECT_NEAR(steadyLit, fewest, kJitter);
    EXPECT_NEAR(steadyLit, most, kJitter);

    // A second start retries, and this time the hotspot comes up.
    ASSERT_TRUE(SimArmFailure(box.world, L"SetSoftApMode", 0, 0));
    ASSERT_NO_FATAL_FAILURE(Apply());
    {
        CQ8Process again;
        ASSERT_TRUE(again.Start(box));
        EXPECT_TRUE(again.WaitForExit());
    }
    ASSERT_TRUE(WaitForTip(L"连接到共享WiFi的终端设备有 0 台"));

    // A device joins: the tip follows, no new balloon.
    box.world.SetInt(L"softap", L"stations", 1);
    ASSERT_NO_FATAL_FAILURE(Apply());
    ASSERT_TRUE(WaitForTip(L"连接到共享WiFi的终端设备有 1 台"));

    // The shared connection drops, then comes back while sharing keeps failing.
    box.world.Set(L"ics", L"conn0", L"本地连接|{5C8A0D1E-1111-2222-3333-444455556666}|3|7");
    ASSERT_NO_FATAL_FAILURE(Apply());
    ASSERT_TRUE(WaitForTip(L"网络连接正常后请重试"));
    ASSERT_TRUE(SimArmFailure(box.world, L"SetIcsConnection", 6, -1));
    box.world.Set(L"ics", L"conn0", L"本地连接|{5C8A0D1E-1111-2222-3333-444455556666}|3|2");
    ASSERT_NO_FATAL_FAILURE(Apply());
    ASSERT_TRUE(WaitForTip(L"共享网络设置失败"));
    SampleSteadyIcon(&fewest, &most);
    EXPECT_NEAR(steadyLit, fewest, kJitter);
    EXPECT_NEAR(steadyLit, most, kJitter);

    // Balloons: one when the icon is added, then one per change of state,
    // the station count changing none. States the 2 s refresh passed over
    // in between count as changes too, so count the refreshes that changed
    // the state and compare.
    std::string log = box.Log();
    size_t stateChanges = 0;
    int last = -1;
    for (size_t p = log.find("{RefreshTray} state="); p != std::string::npos;
         p = log.find("{RefreshTray} state=", p + 1)) {
        int state = atoi(log.c_str() + p + strlen("{RefreshTray} state="));
        if (state != last && state != 2) ++stateChanges;
        last = state;
    }
    EXPECT_EQ(1u, CountOf(log, "{AddTrayIcon} balloon=Ambrel")) << log;
    EXPECT_EQ(stateChanges, CountOf(log, "{ShowTrayBalloon} balloon=")) << log;
    EXPECT_EQ(2u, CountOf(log, Acp(L"{ShowTrayBalloon} balloon=请插入Ambrel"))) << log;
    EXPECT_EQ(1u, CountOf(log, Acp(L"{ShowTrayBalloon} balloon=无线网络创建成功"))) << log;
    EXPECT_EQ(0u, CountOf(log, Acp(L"{ShowTrayBalloon} balloon=连接到共享WiFi"))) << log;
    EXPECT_EQ(1u, CountOf(log, Acp(L"{ShowTrayBalloon} balloon=共享网络设置失败"))) << log;
}

}  // namespace
