// The tips page and the two easy-connection guides as a user meets them in
// the real Q8.exe: opened from the hotspot panel's "简易连接步骤" button
// with real clicks, showing the running network's name and key, back to the
// panel, close hiding the window, dragging, and keys that change nothing.
#include "desktop.h"
#include "harness.h"

#include "adapter/keyrules.h"
#include "sim/sim_edit.h"

#include <string>

namespace {

const wchar_t kLanGuid[] = L"{5C8A0D1E-1111-2222-3333-444455556666}";

// Pages: each a child of the main window whose control id is its template.
const int kTipsPage = 133;
const int kPanelPage = 131;
const int kGuidePage = 135;
const int kOpenGuidePage = 195;
// Controls.
const int kStepsButton = 1017;  // on the panel: "简易连接步骤"
const int kTipsClose = 1029;
const int kGuideBack = 1018;
const int kGuideClose = 1031;
const int kNameLabels[] = {1021, 1006, 1007};
const int kKeyLabels[] = {1019, 1020};
const int kOpenNameLabels[] = {1021, 1006};

// Where each control of a guide sits on its page: x, y, w, h.
struct Spot {
    int id;
    RECT rc;  // left, top, width, height
};
const Spot kGuideSpots[] = {
    {1021, {280, 106, 160, 18}}, {1006, {246, 170, 160, 18}}, {1007, {440, 142, 160, 18}},
    {1019, {490, 106, 160, 18}}, {1020, {430, 240, 160, 18}}, {kGuideBack, {20, 300, 36, 14}},
    {kGuideClose, {574, 10, 18, 18}},
};
const Spot kOpenGuideSpots[] = {
    {1021, {270, 106, 160, 18}}, {1006, {240, 170, 160, 18}}, {kGuideBack, {20, 300, 36, 14}},
    {kGuideClose, {376, 10, 18, 18}},
};

const char kSampleName[] = "R5_ABCDEF";
const char kSampleKey[] = "pqrst905";
const COLORREF kLabelColor = RGB(97, 98, 101);

std::string Xy(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }

// Four numbers of a RECT, in its own order.
std::string RectText(const RECT& rc) {
    return "(" + std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom) + ")";
}

// Where a network is stored before Q8 starts; null ssid: none, Q8 makes a fresh one.
struct StoredNetwork {
    const wchar_t* ssid;
    const wchar_t* key;
    const wchar_t* encrypt;
    const wchar_t* auth;
};

class Pages : public Q8E2eTest {
protected:
    void SetUp() override {
        Q8E2eTest::SetUp();
        ASSERT_TRUE(E2eXdo("mousemove 5 795")) << "real input is needed for these tests";
    }

    void WriteConfig(const wchar_t* key, const wchar_t* value) {
        ASSERT_TRUE(E2eWriteConfigValue(L"SOFTAP", key, value));
    }
    std::wstring Config(const wchar_t* key) const { return E2eConfigValue(L"SOFTAP", key); }
    void StoreNetwork(const StoredNetwork& n) {
        if (!n.ssid) return;
        wchar_t stored[512] = L"";
        wcsncpy(stored, n.key, 511);
        EncodeStoredKey(stored, 512);
        WriteConfig(L"ssid", n.ssid);
        WriteConfig(L"key", stored);
        WriteConfig(L"encrypt", n.encrypt);
        WriteConfig(L"auth", n.auth);
    }
    // The key of the running network in plain form, as config.ini keeps it.
    std::string StoredKey() const {
        wchar_t key[512] = L"";
        wcsncpy(key, Config(L"key").c_str(), 511);
        DecodeStoredKey(key, 512);
        return SimToUtf8(key);
    }

    void StartQ8() {
        StartQ8InWorld(&main);
        if (HasFatalFailure()) return;
    }
    // A table row of its own: Q8 ended, settings cleared, a fresh sandbox and world.
    void NextCase(const std::string& name) {
        q8.Stop();
        E2eClearDataFolder();
        ASSERT_TRUE(box.Create(SimFromUtf8(name)));
        box.world = SimWorld();
    }
    // Adapter and a shared connection: the hotspot comes up and the main
    // window shows the panel.
    void BringUp(const StoredNetwork& network) {
        StoreNetwork(network);
        ASSERT_TRUE(SimPlugAdapter(box.world, 0, SimPlugOptions()));
        ASSERT_TRUE(SimAddIcsConnection(box.world, L"本地连接", kLanGuid, 3, 2));
        StartQ8();
        ASSERT_TRUE(WaitForLog("{RefreshTray} state=8 ")) << box.Log();
        ASSERT_TRUE(ShowsOnly(kPanelPage)) << box.Log();
    }

    HWND Page(int id) const { return GetDlgItem(main, id); }
    HWND Control(int page, int id) const { return GetDlgItem(Page(page), id); }
    // The label's text, asked of the label itself.
    std::string Text(int page, int id) const {
        wchar_t text[256] = L"";
        DWORD_PTR got = 0;
        SendMessageTimeoutW(Control(page, id), WM_GETTEXT, ARRAYSIZE(text), (LPARAM)text, SMTO_BLOCK, 5000, &got);
        return SimToUtf8(text);
    }
    // Waits until the main window shows page `id` and none of the other three.
    bool ShowsOnly(int id) const {
        const int all[] = {kTipsPage, kPanelPage, kGuidePage, kOpenGuidePage};
        bool shown = E2eWaitUntil([&] {
            if (!IsWindowVisible(main)) return false;
            for (int p : all)
                if ((IsWindowVisible(Page(p)) != FALSE) != (p == id)) return false;
            return true;
        });
        if (!shown) {
            std::string seen;
            for (int p : all)
                if (IsWindowVisible(Page(p))) seen += std::to_string(p) + " ";
            ADD_FAILURE() << "page " << id << " expected; main window visible=" << (IsWindowVisible(main) != FALSE)
                          << ", visible pages: " << seen;
        }
        return shown;
    }
    // The main window's thread runs a window move loop.
    bool InMoveLoop() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) && (info.flags & GUI_INMOVESIZE);
    }
    // A left click on Q8's icon, the only one in Wine's own tray window,
    // opens the main window; the mouse then leaves it.
    bool ClickTrayIcon() const { return E2eClickTrayIcon(1) && E2eXdo("mousemove 5 795"); }
    bool WindowHides() const { return E2eWaitUntil([&] { return !IsWindowVisible(main); }); }

    // A real click in the middle of a control.
    bool Click(int page, int id) const {
        RECT rc;
        HWND control = Control(page, id);
        if (!control || !GetWindowRect(control, &rc)) {
            ADD_FAILURE() << "no control " << id << " on page " << page;
            return false;
        }
        return E2eXdo("mousemove " + Xy((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2) +
                      " click 1 mousemove 5 795");
    }

    // Pixels of exactly `color` inside the control's rectangle on the screen.
    int PixelsOf(int page, int id, COLORREF color) const {
        RECT rc;
        GetWindowRect(Control(page, id), &rc);
        int n = 0;
        for (int y = rc.top; y < rc.bottom; y++)
            for (int x = rc.left; x < rc.right; x++)
                if (E2eScreenPixel(x, y) == color) n++;
        return n;
    }

    template <size_t N>
    void ExpectAtSpots(int page, const Spot (&spots)[N]) const {
        for (const Spot& spot : spots) {
            RECT rc = {};
            GetWindowRect(Control(page, spot.id), &rc);
            MapWindowPoints(nullptr, Page(page), (POINT*)&rc, 2);
            RECT seen = {rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top};
            EXPECT_TRUE(EqualRect(&seen, &spot.rc))
                << "control " << spot.id << " at x,y,w,h " << RectText(seen) << ", expected " << RectText(spot.rc);
        }
    }

    HWND main = nullptr;
};

// ---- the key-protected guide -------------------------------------------------

struct KeyGuideRow {
    const char* what;
    StoredNetwork network;
    const char* ssid;  // UTF-8; null: the fresh network's name, read back from config.ini
    const char* key;   // null: the fresh network's random key, read back from config.ini
    const char* screenshot;
};

TEST_F(Pages, KeyGuideShowsTheRunningNetworksNameThriceAndKeyTwice) {
    const KeyGuideRow rows[] = {
        // Named "Q8_" and the last three bytes of the adapter's MAC address
        // as the host reports it, which differs from machine to machine.
        {"fresh network", {nullptr, nullptr, nullptr, nullptr}, nullptr, nullptr, nullptr},
        {"stored network", {L"我的热点", L"abcd2345", L"ENCRYPT_AES", L"AUTH_WPA2PSK"}, "我的热点", "abcd2345",
         "page_guide"},
    };
    bool first = true;
    for (const KeyGuideRow& r : rows) {
        SCOPED_TRACE(r.what);
        if (!first) NextCase(std::string("Pages.KeyGuide.") + r.what);
        first = false;
        BringUp(r.network);
        std::string ssid = r.ssid ? r.ssid : SimToUtf8(Config(L"ssid"));
        std::string key = r.key ? r.key : StoredKey();
        if (!r.ssid) {
            ASSERT_EQ(0u, ssid.find("Q8_")) << "a fresh name to look for: '" << ssid << "'";
        }
        ASSERT_EQ(8u, key.size()) << "a key to look for: '" << key << "'";

        ASSERT_TRUE(Click(kPanelPage, kStepsButton));
        ASSERT_TRUE(ShowsOnly(kGuidePage)) << box.Log();
        for (int id : kNameLabels) {
            EXPECT_EQ(ssid, Text(kGuidePage, id)) << "name label " << id;
            EXPECT_NE(kSampleName, Text(kGuidePage, id)) << "name label " << id;
        }
        for (int id : kKeyLabels) {
            EXPECT_EQ(key, Text(kGuidePage, id)) << "key label " << id;
            EXPECT_NE(kSampleKey, Text(kGuidePage, id)) << "key label " << id;
        }
        // The text is painted over the picture in the labels' colour.
        EXPECT_GT(PixelsOf(kGuidePage, 1021, kLabelColor), 0) << "name label 1021 shows no text in (97,98,101)";
        EXPECT_GT(PixelsOf(kGuidePage, 1019, kLabelColor), 0) << "key label 1019 shows no text in (97,98,101)";
        ExpectAtSpots(kGuidePage, kGuideSpots);
        if (r.screenshot) E2eScreenshot(r.screenshot);
    }
}

TEST_F(Pages, OpenGuideShowsTheRunningNetworksNameTwice) {
    BringUp({L"开放热点Q8", L"abcd2345", L"ENCRYPT_NONE", L"AUTH_NONE"});
    ASSERT_TRUE(Click(kPanelPage, kStepsButton));
    ASSERT_TRUE(ShowsOnly(kOpenGuidePage)) << "an open network opens the open guide; log:\n" << box.Log();
    for (int id : kOpenNameLabels) EXPECT_EQ("开放热点Q8", Text(kOpenGuidePage, id)) << "name label " << id;
    EXPECT_GT(PixelsOf(kOpenGuidePage, 1021, kLabelColor), 0) << "name label 1021 shows no text in (97,98,101)";
    ExpectAtSpots(kOpenGuidePage, kOpenGuideSpots);
    E2eScreenshot("page_guide_open");
}

// ---- leaving a guide ---------------------------------------------------------

struct LeaveRow {
    const char* what;
    StoredNetwork network;
    int guide;
};

const LeaveRow kLeaveRows[] = {
    {"key guide", {L"我的热点", L"abcd2345", L"ENCRYPT_AES", L"AUTH_WPA2PSK"}, kGuidePage},
    {"open guide", {L"开放热点Q8", L"abcd2345", L"ENCRYPT_NONE", L"AUTH_NONE"}, kOpenGuidePage},
};

TEST_F(Pages, BackReturnsToThePanelAndCloseHidesTheWindow) {
    bool first = true;
    for (const LeaveRow& r : kLeaveRows) {
        SCOPED_TRACE(r.what);
        if (!first) NextCase(std::string("Pages.Leave.") + r.what);
        first = false;
        BringUp(r.network);
        ASSERT_TRUE(Click(kPanelPage, kStepsButton));
        ASSERT_TRUE(ShowsOnly(r.guide)) << box.Log();

        ASSERT_TRUE(Click(r.guide, kGuideBack));
        EXPECT_TRUE(ShowsOnly(kPanelPage)) << "back";

        ASSERT_TRUE(Click(kPanelPage, kStepsButton));
        ASSERT_TRUE(ShowsOnly(r.guide)) << "the guide opens again after back";
        ASSERT_TRUE(Click(r.guide, kGuideClose));
        EXPECT_TRUE(WindowHides()) << "close hides the main window";
        EXPECT_TRUE(q8.IsRunning()) << "and the program stays";
    }
}

TEST_F(Pages, EnterEscapeAndF1OnAGuideChangeNothing) {
    BringUp({L"我的热点", L"abcd2345", L"ENCRYPT_AES", L"AUTH_WPA2PSK"});
    ASSERT_TRUE(Click(kPanelPage, kStepsButton));
    ASSERT_TRUE(ShowsOnly(kGuidePage));
    // Keys as they would reach the back button: Enter there would press it.
    HWND back = Control(kGuidePage, kGuideBack);
    for (WPARAM key : {VK_RETURN, VK_ESCAPE, VK_F1}) PostMessageW(back, WM_KEYDOWN, key, 0);
    // A key the main window logs, queued behind them: once it is logged, they were handled.
    PostMessageW(main, WM_KEYDOWN, 'A', 0);
    ASSERT_TRUE(WaitForLog("(WM_KEYDOWN) wParam = 65")) << box.Log();
    EXPECT_TRUE(ShowsOnly(kGuidePage));
    // The guide kept them to itself: the main window never saw them.
    std::string log = box.Log();
    for (int key : {VK_RETURN, VK_ESCAPE, VK_F1})
        EXPECT_EQ(std::string::npos, log.find("(WM_KEYDOWN) wParam = " + std::to_string(key)))
            << "key " << key << " reached the main window; log:\n" << log;
}

TEST_F(Pages, DraggingAGuideMovesTheMainWindow) {
    BringUp({L"我的热点", L"abcd2345", L"ENCRYPT_AES", L"AUTH_WPA2PSK"});
    ASSERT_TRUE(Click(kPanelPage, kStepsButton));
    ASSERT_TRUE(ShowsOnly(kGuidePage));
    RECT before;
    GetWindowRect(main, &before);
    // A spot of the picture away from labels and buttons.
    int x = before.left + 300, y = before.top + 60;
    // Each step waits for Q8 to take the one before: the first move with the
    // button held starts the move loop, which follows the moves after it.
    ASSERT_TRUE(E2eXdo("mousemove " + Xy(x, y) + " mousedown 1 mousemove " + Xy(x + 10, y + 10)));
    bool started = E2eWaitUntil([&] { return InMoveLoop(); }, 5000);
    if (started) E2eXdo("mousemove " + Xy(x + 40, y + 30) + " mousemove " + Xy(x + 70, y + 50));
    RECT rc = {};
    bool moved = started && E2eWaitUntil([&] {
        GetWindowRect(main, &rc);
        return rc.left == before.left + 60 && rc.top == before.top + 40;
    }, 5000);
    ASSERT_TRUE(E2eXdo("mouseup 1"));
    EXPECT_TRUE(started) << "pressing on the guide and moving starts no drag";
    EXPECT_TRUE(moved) << "window left,top,right,bottom " << RectText(rc) << " from " << RectText(before)
                       << " after a drag of +60,+40 from where it began";
    EXPECT_TRUE(E2eWaitUntil([&] { return !InMoveLoop(); }, 5000)) << "the drag ends with the release";
    EXPECT_TRUE(ShowsOnly(kGuidePage));
}

// ---- the tips page -----------------------------------------------------------

TEST_F(Pages, TipsShowWhileNoAdapterIsPluggedAndCloseHidesTheWindow) {
    StartQ8();
    ASSERT_TRUE(WaitForLog("{RefreshTray} state=0")) << box.Log();
    ASSERT_TRUE(ClickTrayIcon());
    ASSERT_TRUE(ShowsOnly(kTipsPage)) << box.Log();
    RECT rc;
    GetWindowRect(Control(kTipsPage, kTipsClose), &rc);
    EXPECT_EQ(19, rc.right - rc.left) << "close keeps the button rule's size";
    EXPECT_EQ(19, rc.bottom - rc.top);
    E2eScreenshot("page_tips");
    ASSERT_TRUE(Click(kTipsPage, kTipsClose));
    EXPECT_TRUE(WindowHides()) << "close hides the main window";
    EXPECT_TRUE(q8.IsRunning());
}

}  // namespace
