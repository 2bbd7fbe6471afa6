// The hotspot panel as a user meets it in the real Q8.exe: typing into the
// name and key fields with real keys, the rule that enables "确定",
// applying a new name and key or an open network (what reaches the adapter,
// what config.ini keeps, what the labels show), hiding the name, the keys
// that never close the panel, the count line, the created picture and
// dragging. Seen from outside: the windows, the screen, config.ini and the
// simulated library's record of its calls.
#include "desktop.h"
#include "harness.h"

#include "adapter/keyrules.h"
#include "sim/sim_edit.h"
#include "ui/softap_panel.h"

#include <sstream>
#include <string>
#include <vector>

namespace {

const wchar_t kLanGuid[] = L"{5C8A0D1E-1111-2222-3333-444455556666}";
const int kPanelPage = IDD_SOFTAP;  // the panel: the main window's child with this control id

const COLORREF kTextColor = RGB(81, 82, 85);
const COLORREF kHiddenColor = RGB(192, 192, 192);
const COLORREF kFieldTextColor = RGB(97, 98, 101);

// The network stored before Q8 starts.
const wchar_t kStartName[] = L"StartNet";
const char kStartKey[] = "start123";

std::string Xy(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }

std::string RectText(const RECT& rc) {
    return "(" + std::to_string(rc.left) + "," + std::to_string(rc.top) + ")-(" + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom) + ")";
}

// The text as one shell word for xdotool.
std::string ShellWord(const std::string& text) { return "'" + text + "'"; }

bool Contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

std::wstring ArtFile(int id) {
    wchar_t dir[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"Q8_ART_DIR", dir, MAX_PATH);
    return std::wstring(L"Z:") + dir + L"/png_" + std::to_wstring(id) + L".png";
}

class Panel : public Q8E2eTest {
protected:
    void SetUp() override {
        Q8E2eTest::SetUp();
        ASSERT_TRUE(E2eXdo("mousemove 5 795")) << "real input is needed for these tests";
    }

    // ---- set-up and what Q8 keeps ----

    void WriteConfig(const wchar_t* key, const wchar_t* value) {
        ASSERT_TRUE(E2eWriteConfigValue(L"SOFTAP", key, value));
    }
    std::string Config(const wchar_t* key) const { return SimToUtf8(E2eConfigValue(L"SOFTAP", key)); }
    std::string StoredKey() const {
        wchar_t key[512] = L"";
        wcsncpy(key, SimFromUtf8(Config(L"key")).c_str(), 511);
        DecodeStoredKey(key, 512);
        return SimToUtf8(key);
    }
    // A key-protected network is stored; an adapter and a shared connection
    // are there, so the hotspot comes up and the main window shows the panel.
    void BringUp() {
        wchar_t stored[512] = L"";
        wcsncpy(stored, SimFromUtf8(kStartKey).c_str(), 511);
        EncodeStoredKey(stored, 512);
        WriteConfig(L"ssid", kStartName);
        WriteConfig(L"key", stored);
        WriteConfig(L"encrypt", L"ENCRYPT_AES");
        WriteConfig(L"auth", L"AUTH_WPA2PSK");
        ASSERT_TRUE(SimPlugAdapter(box.world, 0, SimPlugOptions()));
        ASSERT_TRUE(SimAddIcsConnection(box.world, L"本地连接", kLanGuid, 3, 2));
        StartQ8InWorld(&main);
        if (HasFatalFailure()) return;
        ASSERT_TRUE(WaitForLog("{RefreshTray} state=8 ")) << box.Log();
        ASSERT_TRUE(E2eWaitUntil([&] { return IsWindowVisible(main) && IsWindowVisible(page()); }))
            << "the panel is not shown; log:\n"
            << box.Log();
        ASSERT_TRUE(ShowsViewMode());
    }

    // The last sim_calls.log line of an operation, and how many there are.
    std::string LastCall(const char* op) const {
        std::istringstream in(box.Calls());
        std::string line, found;
        std::string needle = std::string(" ") + op + " ";
        while (std::getline(in, line))
            if (Contains(line, needle)) found = line;
        return found;
    }
    int CallCount(const char* op) const {
        std::istringstream in(box.Calls());
        std::string line;
        int n = 0;
        while (std::getline(in, line))
            if (Contains(line, std::string(" ") + op + " ")) n++;
        return n;
    }
    bool WaitForCall(const char* op, const std::vector<std::string>& parts) const {
        return E2eWaitUntil([&] {
            std::string line = LastCall(op);
            for (const std::string& p : parts)
                if (!Contains(line, p)) return false;
            return true;
        });
    }

    // ---- the panel's windows ----

    HWND page() const { return GetDlgItem(main, kPanelPage); }
    HWND Control(int id) const { return GetDlgItem(page(), id); }
    bool Visible(int id) const { return IsWindowVisible(Control(id)) != FALSE; }
    bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
    std::string Text(int id) const {
        wchar_t text[256] = L"";
        DWORD_PTR got = 0;
        SendMessageTimeoutW(Control(id), WM_GETTEXT, ARRAYSIZE(text), (LPARAM)text, SMTO_BLOCK, 5000, &got);
        return SimToUtf8(text);
    }
    bool WaitForText(int id, const std::string& text) const {
        bool ok = E2eWaitUntil([&] { return Text(id) == text; }, 10000);
        if (!ok) ADD_FAILURE() << "control " << id << " holds \"" << Text(id) << "\", expected \"" << text << "\"";
        return ok;
    }
    bool ShowsEditMode() const {
        return E2eWaitUntil([&] {
            return Visible(IDC_SOFTAP_EDIT_NAME) && Visible(IDC_SOFTAP_EDIT_KEY) && Visible(IDC_SOFTAP_BUTTON_CONFIRM) &&
                   Visible(IDC_SOFTAP_RADIO_OPEN) && Visible(IDC_SOFTAP_CAPTION_NAME_EDIT) &&
                   !Visible(IDC_SOFTAP_CAPTION_NAME) && !Visible(IDC_SOFTAP_BUTTON_EDIT) &&
                   !Visible(IDC_SOFTAP_LABEL_NAME) && !Visible(IDC_SOFTAP_BUTTON_HIDE);
        });
    }
    bool ShowsViewMode() const {
        return E2eWaitUntil([&] {
            return !Visible(IDC_SOFTAP_EDIT_NAME) && !Visible(IDC_SOFTAP_EDIT_KEY) &&
                   !Visible(IDC_SOFTAP_BUTTON_CONFIRM) && !Visible(IDC_SOFTAP_RADIO_OPEN) &&
                   !Visible(IDC_SOFTAP_CAPTION_NAME_EDIT) && Visible(IDC_SOFTAP_CAPTION_NAME) &&
                   Visible(IDC_SOFTAP_BUTTON_EDIT) && Visible(IDC_SOFTAP_BUTTON_HIDE) &&
                   Visible(IDC_SOFTAP_LABEL_NAME) && Visible(IDC_SOFTAP_LABEL_KEY);
        });
    }
    std::string ModeText() const {
        return std::string("name field ") + (Visible(IDC_SOFTAP_EDIT_NAME) ? "shown" : "hidden") + ", 确定 " +
               (Visible(IDC_SOFTAP_BUTTON_CONFIRM) ? "shown" : "hidden") + (Enabled(IDC_SOFTAP_BUTTON_CONFIRM) ? " enabled" : " disabled") +
               ", 密码设置 " + (Visible(IDC_SOFTAP_BUTTON_EDIT) ? "shown" : "hidden");
    }

    // ---- real input ----

    bool Click(int id) const {
        RECT rc;
        if (!GetWindowRect(Control(id), &rc)) {
            ADD_FAILURE() << "no control " << id << " on the panel";
            return false;
        }
        return E2eXdo("mousemove " + Xy((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2) +
                      " click 1 mousemove 5 795");
    }
    bool EnterEditMode() const {
        if (!Click(IDC_SOFTAP_BUTTON_EDIT)) return false;
        bool shown = ShowsEditMode();
        if (!shown) ADD_FAILURE() << "密码设置 did not open edit mode: " << ModeText();
        return shown;
    }
    // Clicks into the field, deletes what it holds and types `text` key by key;
    // waits until the field holds `expect` (what it should have accepted).
    bool TypeInto(int id, const std::string& text, const std::string& expect) const {
        if (!Click(id)) return false;
        std::string keys = "key --delay 20 End key --repeat 16 --delay 20 BackSpace";
        if (!text.empty()) keys += " type --delay 40 " + ShellWord(text);
        return E2eXdo(keys) && WaitForText(id, expect);
    }
    bool TypeInto(int id, const std::string& text) const { return TypeInto(id, text, text); }
    // Picks a radio button; its effect on the key field shows it was taken.
    bool ChooseOpenNetwork(bool open) const {
        if (!Click(open ? IDC_SOFTAP_RADIO_OPEN : IDC_SOFTAP_RADIO_KEYED)) return false;
        bool taken = E2eWaitUntil([&] { return Enabled(IDC_SOFTAP_EDIT_KEY) == !open; }, 10000);
        if (!taken) ADD_FAILURE() << "the radio click did not reach the panel";
        return taken;
    }
    // A key pressed where the keyboard focus is; true once the panel logged it.
    bool PressKey(const char* key, int code) {
        size_t before = CountInLog(code);
        if (!E2eXdo(std::string("key ") + key)) return false;
        bool seen = E2eWaitUntil([&] { return CountInLog(code) > before; });
        if (!seen) ADD_FAILURE() << "the panel never saw key " << key << "; log:\n" << box.Log();
        return seen;
    }
    // Lines "SOFTAP<<**PreTranslateMessage** (WM_KEYDOWN) wParam = <code>".
    size_t CountInLog(int code) const {
        std::string line = "SOFTAP<<**PreTranslateMessage** (WM_KEYDOWN) wParam = " + std::to_string(code);
        std::string log = box.Log();
        size_t n = 0;
        for (size_t p = log.find(line); p != std::string::npos; p = log.find(line, p + 1)) {
            size_t end = p + line.size();
            if (end < log.size() && (log[end] == '\r' || log[end] == '\n')) n++;
        }
        return n;
    }

    // ---- the screen ----

    int PixelsOf(int id, COLORREF color) const {
        RECT rc;
        GetWindowRect(Control(id), &rc);
        int n = 0;
        for (int y = rc.top; y < rc.bottom; y++)
            for (int x = rc.left; x < rc.right; x++)
                if (E2eScreenPixel(x, y) == color) n++;
        return n;
    }
    POINT OnScreen(int x, int y) const {
        POINT p = {x, y};
        ClientToScreen(page(), &p);
        return p;
    }
    bool InMoveLoop() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) && (info.flags & GUI_INMOVESIZE);
    }

    HWND main = nullptr;
};

// ---- the confirm-button rule -----------------------------------------------

struct RuleRow {
    const char* what;
    const char* name;
    const char* key;
    bool bOpen;
    bool bConfirm;  // "确定" enabled
};

TEST_F(Panel, ConfirmIsEnabledExactlyForANameAndAKeyThatCanBeApplied) {
    const RuleRow rows[] = {
        {"key of 7 characters", "MyNet", "abc1234", false, false},
        {"key of 8 letters and digits", "MyNet", "abcd1234", false, true},
        {"key of 12 letters and digits", "MyNet", "abcdef123456", false, true},
        {"key with a hyphen", "MyNet", "abcd-1234", false, false},
        {"key with a space", "MyNet", "abcd 1234", false, false},
        {"empty name", "", "abcd1234", false, false},
        {"name of blanks only", "   ", "abcd1234", false, false},
        {"name with spaces and punctuation", "My Net!#\"%", "abcd1234", false, true},
        {"open network, short key", "MyNet", "abc", true, true},
        {"open network, key with a hyphen", "MyNet", "ab-c", true, true},
        {"open network, empty name", "", "abc", true, false},
    };
    BringUp();
    ASSERT_TRUE(EnterEditMode());
    EXPECT_TRUE(Enabled(IDC_SOFTAP_BUTTON_CONFIRM)) << "the stored network can be applied as it is";
    E2eScreenshot("panel_edit");
    for (const RuleRow& r : rows) {
        SCOPED_TRACE(r.what);
        ASSERT_TRUE(ChooseOpenNetwork(false));
        ASSERT_TRUE(TypeInto(IDC_SOFTAP_EDIT_NAME, r.name));
        ASSERT_TRUE(TypeInto(IDC_SOFTAP_EDIT_KEY, r.key));
        if (r.bOpen) {
            ASSERT_TRUE(ChooseOpenNetwork(true));
        }
        EXPECT_EQ(r.bConfirm, Enabled(IDC_SOFTAP_BUTTON_CONFIRM))
            << "name \"" << Text(IDC_SOFTAP_EDIT_NAME) << "\" key \"" << Text(IDC_SOFTAP_EDIT_KEY) << "\" "
            << (r.bOpen ? "open" : "key required") << ": " << ModeText();
    }
}

TEST_F(Panel, NeitherFieldTakesAThirteenthCharacter) {
    BringUp();
    ASSERT_TRUE(EnterEditMode());
    EXPECT_TRUE(TypeInto(IDC_SOFTAP_EDIT_NAME, "ABCDEFGHIJKLM", "ABCDEFGHIJKL"));
    EXPECT_TRUE(TypeInto(IDC_SOFTAP_EDIT_KEY, "abcdef1234567", "abcdef123456"));
    EXPECT_TRUE(Enabled(IDC_SOFTAP_BUTTON_CONFIRM)) << ModeText();
}

// ---- applying ----------------------------------------------------------------

TEST_F(Panel, ApplyingANewNameAndKeyReachesTheAdapterTheFileAndTheLabels) {
    BringUp();
    EXPECT_EQ(SimToUtf8(kStartName), Text(IDC_SOFTAP_LABEL_NAME));
    EXPECT_EQ(kStartKey, Text(IDC_SOFTAP_LABEL_KEY));
    EXPECT_GT(PixelsOf(IDC_SOFTAP_LABEL_NAME, kTextColor), 0) << "the name is not drawn in (81,82,85)";

    ASSERT_TRUE(EnterEditMode());
    EXPECT_EQ(SimToUtf8(kStartName), Text(IDC_SOFTAP_EDIT_NAME)) << "edit mode starts from the network in use";
    EXPECT_EQ(kStartKey, Text(IDC_SOFTAP_EDIT_KEY));
    EXPECT_GT(PixelsOf(IDC_SOFTAP_RADIO_KEYED, kFieldTextColor), 0) << "the radio's text is not in (97,98,101)";
    ASSERT_TRUE(TypeInto(IDC_SOFTAP_EDIT_NAME, "Cafe 2F"));
    ASSERT_TRUE(TypeInto(IDC_SOFTAP_EDIT_KEY, "newKey99"));
    ASSERT_TRUE(Click(IDC_SOFTAP_BUTTON_CONFIRM));

    EXPECT_TRUE(WaitForCall("SetSoftapParam", {"ssid=\"Cafe 2F\"", "key=\"newKey99\"", "encrypt=4", "auth=9", "hide=0"}))
        << LastCall("SetSoftapParam");
    EXPECT_TRUE(ShowsViewMode()) << ModeText();
    EXPECT_EQ("Cafe 2F", Text(IDC_SOFTAP_LABEL_NAME));
    EXPECT_EQ("newKey99", Text(IDC_SOFTAP_LABEL_KEY));
    EXPECT_EQ("Cafe 2F", Config(L"ssid"));
    EXPECT_EQ("newKey99", StoredKey()) << "stored as " << Config(L"key");
    EXPECT_NE("newKey99", Config(L"key")) << "the key is kept in its stored form";
    EXPECT_EQ("ENCRYPT_AES", Config(L"encrypt"));
    EXPECT_EQ("AUTH_WPA2PSK", Config(L"auth"));
}

TEST_F(Panel, AnOpenNetworkShowsNoKeyAndKeepsTheStoredOne) {
    BringUp();
    std::string storedBefore = Config(L"key");
    ASSERT_TRUE(EnterEditMode());
    ASSERT_TRUE(ChooseOpenNetwork(true));
    ASSERT_TRUE(Click(IDC_SOFTAP_BUTTON_CONFIRM));

    EXPECT_TRUE(WaitForCall("SetSoftapParam", {"ssid=\"StartNet\"", "encrypt=1", "auth=1", "keyed=0"}))
        << LastCall("SetSoftapParam");
    EXPECT_TRUE(ShowsViewMode()) << ModeText();
    EXPECT_EQ("无", Text(IDC_SOFTAP_LABEL_KEY));
    EXPECT_EQ("ENCRYPT_NONE", Config(L"encrypt"));
    EXPECT_EQ("AUTH_NONE", Config(L"auth"));
    EXPECT_EQ(storedBefore, Config(L"key")) << "the stored key is unchanged";
    // Back to a key: the field offers the key the network had.
    ASSERT_TRUE(EnterEditMode());
    EXPECT_FALSE(Enabled(IDC_SOFTAP_EDIT_KEY)) << "an open network starts with the key field off";
    ASSERT_TRUE(ChooseOpenNetwork(false));
    EXPECT_EQ(kStartKey, Text(IDC_SOFTAP_EDIT_KEY));
    EXPECT_TRUE(Enabled(IDC_SOFTAP_BUTTON_CONFIRM)) << ModeText();
}

// ---- keys ----------------------------------------------------------------------

TEST_F(Panel, EnterAppliesOnlyWhileConfirmIsEnabled) {
    BringUp();
    ASSERT_TRUE(EnterEditMode());
    ASSERT_TRUE(TypeInto(IDC_SOFTAP_EDIT_NAME, "KeyedNet"));
    ASSERT_TRUE(TypeInto(IDC_SOFTAP_EDIT_KEY, "abc"));
    ASSERT_FALSE(Enabled(IDC_SOFTAP_BUTTON_CONFIRM));
    // Enter, then Escape as a marker: once Escape is seen, Enter was handled.
    ASSERT_TRUE(PressKey("Return", VK_RETURN));
    ASSERT_TRUE(PressKey("Escape", VK_ESCAPE));
    EXPECT_TRUE(Visible(IDC_SOFTAP_EDIT_NAME)) << "Enter with 确定 disabled left edit mode: " << ModeText();
    EXPECT_EQ(SimToUtf8(kStartName), Config(L"ssid")) << "Enter with 确定 disabled saved the settings";

    ASSERT_TRUE(TypeInto(IDC_SOFTAP_EDIT_KEY, "abcd5678"));
    ASSERT_TRUE(Enabled(IDC_SOFTAP_BUTTON_CONFIRM));
    ASSERT_TRUE(PressKey("Return", VK_RETURN));
    EXPECT_TRUE(ShowsViewMode()) << ModeText();
    EXPECT_TRUE(WaitForCall("SetSoftapParam", {"ssid=\"KeyedNet\"", "key=\"abcd5678\""})) << LastCall("SetSoftapParam");
    EXPECT_EQ("KeyedNet", Config(L"ssid"));
}

TEST_F(Panel, EscapeAndF1NeverCloseThePanel) {
    BringUp();
    ASSERT_TRUE(EnterEditMode());
    ASSERT_TRUE(TypeInto(IDC_SOFTAP_EDIT_NAME, "Typed"));
    for (int round = 0; round < 2; round++) {
        ASSERT_TRUE(PressKey("Escape", VK_ESCAPE));
        ASSERT_TRUE(PressKey("F1", VK_F1));
    }
    EXPECT_TRUE(IsWindowVisible(main)) << "the main window went away";
    EXPECT_TRUE(IsWindowVisible(page())) << "the panel went away";
    EXPECT_TRUE(ShowsEditMode()) << ModeText();
    EXPECT_EQ("Typed", Text(IDC_SOFTAP_EDIT_NAME));
    EXPECT_TRUE(q8.IsRunning());
}

// ---- hiding the name -----------------------------------------------------------

TEST_F(Panel, HideGreysTheNameAndTheNewestChoiceReachesTheAdapter) {
    BringUp();
    ASSERT_TRUE(Click(IDC_SOFTAP_BUTTON_HIDE));
    EXPECT_TRUE(WaitForCall("SetSoftapParam2", {"ssid=\"StartNet\"", "hide=1", "encrypt=4", "key=\"start123\""}))
        << LastCall("SetSoftapParam2");
    EXPECT_TRUE(E2eWaitUntil([&] { return Config(L"hideSSIDtype") == "1"; })) << Config(L"hideSSIDtype");
    EXPECT_TRUE(E2eWaitUntil([&] { return PixelsOf(IDC_SOFTAP_LABEL_NAME, kHiddenColor) > 0; }, 10000))
        << "the hidden name is not drawn in (192,192,192)";
    E2eScreenshot("panel_hidden");

    // Twice quickly: broadcast, then hidden again. Whatever ran meanwhile,
    // the adapter hears "hidden" last.
    int callsBefore = CallCount("SetSoftapParam2");
    RECT rc;
    GetWindowRect(Control(IDC_SOFTAP_BUTTON_HIDE), &rc);
    std::string at = Xy((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    ASSERT_TRUE(E2eXdo("mousemove " + at + " click --repeat 2 --delay 80 1 mousemove 5 795"));
    EXPECT_TRUE(E2eWaitUntil([&] {
        return CallCount("SetSoftapParam2") > callsBefore && Contains(LastCall("SetSoftapParam2"), "hide=1");
    })) << box.Calls();
    EXPECT_EQ("1", Config(L"hideSSIDtype")) << "an even number of presses leaves the name hidden";

    // Once more: broadcast.
    ASSERT_TRUE(Click(IDC_SOFTAP_BUTTON_HIDE));
    EXPECT_TRUE(E2eWaitUntil([&] { return Config(L"hideSSIDtype") == "0"; })) << Config(L"hideSSIDtype");
    EXPECT_TRUE(WaitForCall("SetSoftapParam2", {"hide=0"})) << LastCall("SetSoftapParam2");
    EXPECT_TRUE(E2eWaitUntil([&] { return PixelsOf(IDC_SOFTAP_LABEL_NAME, kTextColor) > 0; }, 10000))
        << "the broadcast name is not drawn in (81,82,85)";

    // Hidden again, then a new key: the apply keeps the choice made with the button.
    ASSERT_TRUE(Click(IDC_SOFTAP_BUTTON_HIDE));
    ASSERT_TRUE(E2eWaitUntil([&] { return Config(L"hideSSIDtype") == "1"; }));
    ASSERT_TRUE(EnterEditMode());
    ASSERT_TRUE(TypeInto(IDC_SOFTAP_EDIT_KEY, "hidden12"));
    ASSERT_TRUE(Click(IDC_SOFTAP_BUTTON_CONFIRM));
    EXPECT_TRUE(WaitForCall("SetSoftapParam", {"key=\"hidden12\"", "hide=1"})) << LastCall("SetSoftapParam");
    EXPECT_EQ("1", Config(L"hideSSIDtype"));
}

// ---- the rest of the page --------------------------------------------------------

TEST_F(Panel, CountLineFollowsTheConnectedDevices) {
    BringUp();
    EXPECT_EQ("连接到共享WiFi的终端设备有 0 台", Text(IDC_SOFTAP_LABEL_COUNT));
    box.world.SetInt(L"softap", L"stations", 3);
    std::wstring error;
    ASSERT_EQ(0, box.ApplyWorld(&error)) << SimToUtf8(error);
    EXPECT_TRUE(WaitForText(IDC_SOFTAP_LABEL_COUNT, "连接到共享WiFi的终端设备有 3 台"));
    EXPECT_FALSE(IsWindowVisible(Control(IDC_SOFTAP_COUNT_SHORT))) << "the short line is never shown";
}

TEST_F(Panel, CreatedPictureGivesWayToTheUsualOne) {
    // A spot where the two pictures differ: the tick of "created" over the usual drawing.
    const POINT spot = {180, 100};
    COLORREF created = E2ePicturePixel(ArtFile(IDP_SOFTAP_CREATED_BG), spot.x, spot.y);
    COLORREF usual = E2ePicturePixel(ArtFile(IDP_SOFTAP_BG), spot.x, spot.y);
    ASSERT_NE(CLR_INVALID, usual) << "picture files are read from Q8_ART_DIR";
    ASSERT_NE(created, usual) << "the pictures must differ where the test looks";
    BringUp();
    POINT p = OnScreen(spot.x, spot.y);
    EXPECT_TRUE(E2eWaitUntil([&] { return E2eScreenPixel(p.x, p.y) == created; }, 5000))
        << "right after the hotspot came up the screen shows " << E2eColorText(E2eScreenPixel(p.x, p.y))
        << ", the created picture has " << E2eColorText(created);
    E2eScreenshot("panel_created");
    EXPECT_TRUE(E2eWaitUntil([&] { return E2eScreenPixel(p.x, p.y) == usual; }))
        << "later the screen shows " << E2eColorText(E2eScreenPixel(p.x, p.y)) << ", the usual picture has "
        << E2eColorText(usual);
    // Labels and buttons are drawn again over the new picture.
    EXPECT_GT(PixelsOf(IDC_SOFTAP_LABEL_NAME, kTextColor), 0) << "the name vanished with the repaint";
    E2eScreenshot("panel_view");
}

TEST_F(Panel, DraggingThePanelMovesTheWindowAndCloseHidesIt) {
    BringUp();
    RECT before;
    GetWindowRect(main, &before);
    POINT p = OnScreen(330, 190);  // on the picture, away from labels and buttons
    // The drag starts with the first move while the button is held and
    // follows the mouse from there; each step waits for Q8 to take the one before.
    ASSERT_TRUE(E2eXdo("mousemove " + Xy(p.x, p.y) + " mousedown 1 mousemove " + Xy(p.x + 1, p.y)));
    EXPECT_TRUE(E2eWaitUntil([&] { return InMoveLoop(); }, 5000)) << "pressing on the panel and moving starts no drag";
    ASSERT_TRUE(E2eXdo("mousemove " + Xy(p.x + 31, p.y + 20) + " mousemove " + Xy(p.x + 51, p.y + 30)));
    RECT rc = {};
    bool moved = E2eWaitUntil([&] {
        GetWindowRect(main, &rc);
        return rc.left == before.left + 50 && rc.top == before.top + 30;
    }, 5000);
    ASSERT_TRUE(E2eXdo("mouseup 1"));
    EXPECT_TRUE(moved) << "window at " << RectText(rc) << " from " << RectText(before) << " after a drag of +50,+30";
    EXPECT_TRUE(E2eWaitUntil([&] { return !InMoveLoop(); }, 5000)) << "the drag ends with the release";

    ASSERT_TRUE(Click(IDC_SOFTAP_BUTTON_CLOSE));
    EXPECT_TRUE(E2eWaitUntil([&] { return !IsWindowVisible(main); })) << "关闭 hides the main window";
    EXPECT_TRUE(q8.IsRunning()) << "and the program stays";
}

}  // namespace
