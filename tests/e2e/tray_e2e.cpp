// Q8's notification-area icon and menu as a user meets them: real right and
// left clicks on the icon in Wine's tray, the owner-drawn menu with its two
// entries, the greyed entry and the animation while the hotspot is being
// created, and the icon coming back when the shell's taskbar is rebuilt.
#include "desktop.h"
#include "harness.h"

#include "sim/sim_edit.h"

#include <shellapi.h>

#include <string>

namespace {

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

    // Clicks Q8's icon, the only one in Wine's own tray window, with mouse
    // button `button`. Wine places that window with a caption of its own where
    // no window manager runs, so its X position is asked of X, not of Wine.
    bool ClickIcon(int button) const {
        int half = (GetSystemMetrics(SM_CYSMICON) + 4) / 2;
        std::string why, lines =
            "id=$(xdotool search --name 'Wine System Tray' | head -n 1)\n"
            "[ -n \"$id\" ] || finish 'no Wine System Tray window'\n"
            "eval $(xdotool getwindowgeometry --shell \"$id\")\n"
            "xdotool mousemove $((X + " + std::to_string(half) + ")) $((Y + " + std::to_string(half) +
            ")) click " + std::to_string(button) + " && finish ok\n"
            "finish 'xdotool failed'";
        bool ok = E2eXShell(lines, &why);
        if (!ok) ADD_FAILURE() << why;
        return ok;
    }

    // Right-clicks the icon; the menu window that opens, or null.
    HWND OpenMenu() {
        if (!ClickIcon(3)) return nullptr;
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

TEST_F(Tray, OpenEntryAndLeftClickShowTheMainWindow) {
    StartQ8(false);
    HWND menu = OpenMenu();
    ASSERT_NE(nullptr, menu) << box.Log();
    ClickEntry(menu, 0);  // "打开主界面"
    EXPECT_TRUE(E2eWaitUntil([&] { return IsWindowVisible(main) != FALSE; })) << box.Log();
    ShowWindow(main, SW_HIDE);
    ASSERT_TRUE(E2eWaitUntil([&] { return !IsWindowVisible(main); }));
    ASSERT_TRUE(ClickIcon(1));
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
