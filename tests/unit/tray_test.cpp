// The tray: values sent to the shell for the icon, tip and balloon, the
// right-click menu's preparation and tracking, and how the kit's
// owner-drawn menu items look when drawn.
#include "ui/nic_tray.h"

#include "app/log.h"
#include "res/q8_resource.h"
#include "test_log.h"
#include "ui/kit/framework.h"
#include "ui/kit/skin_menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Rgb(COLORREF c) {
    char text[32];
    snprintf(text, sizeof text, "RGB(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

std::string Narrow(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
    return out;
}

int Brightness(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); }

// ---- LightenColor ----------------------------------------------------------

struct LightenCase {
    COLORREF color;
    double factor;
    COLORREF expected;
};

TEST(LightenColor, MovesChannelsTowardWhiteOnlyForFactorsUpToOne) {
    const LightenCase cases[] = {
        {RGB(212, 208, 200), 0.35, RGB(227, 224, 219)},  // a classic menu grey: 227.05, 224.45, 219.25
        {RGB(240, 240, 240), 0.35, RGB(245, 245, 245)},  // 245.25
        {RGB(100, 0, 255), 0.35, RGB(154, 89, 255)},     // 154.25 and 89.25 truncate
        {RGB(49, 106, 197), 0.85, RGB(224, 232, 246)},   // 224.1, 232.65, 246.3
        {RGB(0, 120, 200), 0.85, RGB(216, 234, 246)},    // 216.75, 234.75, 246.75
        {RGB(0, 0, 0), 0.5, RGB(127, 127, 127)},         // 127.5
        {RGB(255, 255, 255), 0.5, RGB(255, 255, 255)},
        {RGB(12, 34, 56), 1.0, RGB(255, 255, 255)},
        {RGB(12, 34, 56), 0.0, RGB(12, 34, 56)},
        {RGB(12, 34, 56), -0.5, RGB(12, 34, 56)},
        {RGB(12, 34, 56), 1.5, RGB(12, 34, 56)},
        {RGB(12, 34, 56), std::nan(""), RGB(12, 34, 56)},
    };
    for (const LightenCase& c : cases) {
        EXPECT_EQ(Rgb(c.expected), Rgb(LightenColor(c.color, c.factor)))
            << Rgb(c.color) << " lightened by " << c.factor;
    }
}

// ---- drawing of single items -------------------------------------------------

const int CANVAS_WIDTH = 160;
const int TEXT_ITEM_HEIGHT = 24;
const int STRIP_X = 3;             // a column inside the icon strip
const int RIGHT_X = CANVAS_WIDTH - 3;  // a column right of any text
const COLORREF UNPAINTED = RGB(255, 0, 255);

// A 32-bit top-down bitmap in a memory DC that menu items are drawn into,
// the way the menu's window hands its DC to the owner.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, (void**)&m_bits, nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        Clear();
    }
    ~Canvas() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    void Clear() {
        for (int i = 0; i < m_width * m_height; ++i) m_bits[i] = 0x00FF00FF;  // UNPAINTED
    }
    COLORREF At(int x, int y) const {
        GdiFlush();
        DWORD bgr = m_bits[y * m_width + x];
        return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }
    // The darkest pixel and the sum of darkness ("ink") over a row band.
    int DarkestIn(int top, int bottom) const {
        int darkest = 3 * 255;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < m_width; ++x) darkest = std::min(darkest, Brightness(At(x, y)));
        return darkest;
    }
    long InkIn(const RECT& r, COLORREF background) const {
        long ink = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                int d = Brightness(background) - Brightness(At(x, y));
                if (d > 0) ink += d;
            }
        return ink;
    }
    // Draws one item through the owner's WM_DRAWITEM path.
    bool DrawItem(ULONG_PTR itemData, UINT itemId, UINT state, const RECT& item, UINT ctlType = ODT_MENU) {
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ctlType;
        draw.itemID = itemId;
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = state;
        draw.hDC = m_dc;
        draw.rcItem = item;
        draw.itemData = itemData;
        LRESULT result = 0;
        return CSkinMenu::HandleOwnerMessage(WM_DRAWITEM, 0, (LPARAM)&draw, &result);
    }
    bool DrawItem(ULONG_PTR itemData, UINT itemId, UINT state) {
        return DrawItem(itemData, itemId, state, RECT{0, 0, m_width, m_height});
    }
    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    int m_width, m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    DWORD* m_bits = nullptr;
};

ULONG_PTR ItemDataAt(HMENU menu, int position, UINT* type = nullptr) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    if (!GetMenuItemInfoW(menu, position, TRUE, &info)) return 0;
    if (type) *type = info.fType;
    return info.dwItemData;
}

// A menu colour that is not white (Wine's default is), so that the strip
// can be told from the item's background: Windows XP's classic grey.
const COLORREF TEST_MENU_COLOR = RGB(212, 208, 200);

// Flat style and the test's menu colour for each test, restored after it.
class MenuLook : public ::testing::Test {
protected:
    void SetUp() override {
        savedMenuColor = GetSysColor(COLOR_MENU);
        SetMenuColor(TEST_MENU_COLOR);
        CSkinMenu::SetFlatStyle(true);
    }
    void TearDown() override {
        CSkinMenu::SetFlatStyle(true);
        SetMenuColor(savedMenuColor);
    }
    static void SetMenuColor(COLORREF color) {
        const INT element = COLOR_MENU;
        SetSysColors(1, &element, &color);
    }
    COLORREF savedMenuColor = 0;
};

class TrayMenu : public MenuLook {
protected:
    void SetUp() override {
        MenuLook::SetUp();
        FrameworkInit(GetModuleHandleW(nullptr));
        tray.PrepareTrayMenu(false);
        popup = tray.GetSubMenu(0);
        ASSERT_NE(nullptr, popup);
        openData = ItemDataAt(popup->handle(), 0);
        exitData = ItemDataAt(popup->handle(), 1);
    }
    UINT Measure(ULONG_PTR data, UINT id, UINT* width) {
        MEASUREITEMSTRUCT measure = {};
        measure.CtlType = ODT_MENU;
        measure.itemID = id;
        measure.itemData = data;
        LRESULT result = 0;
        EXPECT_TRUE(CSkinMenu::HandleOwnerMessage(WM_MEASUREITEM, 0, (LPARAM)&measure, &result));
        if (width) *width = measure.itemWidth;
        return measure.itemHeight;
    }

    CNicTray tray;
    CSkinMenu* popup = nullptr;
    ULONG_PTR openData = 0, exitData = 0;
};

TEST_F(TrayMenu, PreparedPopupHoldsOpenAndExitAsOwnerDrawnItems) {
    const bool creatingCases[] = {false, true};
    for (bool creating : creatingCases) {
        SCOPED_TRACE(creating ? "creating" : "not creating");
        InitUiLog();
        gUiLogSwitch = 1;
        DeleteFileA("ui_log.log");
        tray.PrepareTrayMenu(creating);
        gUiLogSwitch = 0;
        CSkinMenu* menu = tray.GetSubMenu(0);
        ASSERT_NE(nullptr, menu);
        HMENU handle = menu->handle();
        ASSERT_EQ(2, GetMenuItemCount(handle));
        EXPECT_EQ((UINT)ID_TRAY_OPEN, GetMenuItemID(handle, 0));
        EXPECT_EQ((UINT)ID_TRAY_EXIT, GetMenuItemID(handle, 1));
        const wchar_t* texts[] = {L"打开主界面", L"退出"};
        for (int position = 0; position < 2; ++position) {
            UINT type = 0;
            const SkinMenuItem* record = (const SkinMenuItem*)ItemDataAt(handle, position, &type);
            EXPECT_TRUE(type & MFT_OWNERDRAW) << "item " << position << " type 0x" << std::hex << type;
            ASSERT_NE(nullptr, record) << "item " << position;
            EXPECT_EQ(Narrow(texts[position]), Narrow(record->text)) << "item " << position;
            EXPECT_EQ(GetMenuItemID(handle, position), record->commandId);
        }
        EXPECT_EQ((UINT)ID_TRAY_OPEN, menu->boldItemId);
        EXPECT_EQ(creating, (GetMenuState(handle, ID_TRAY_OPEN, MF_BYCOMMAND) & MF_GRAYED) != 0);
        EXPECT_EQ(0u, GetMenuState(handle, ID_TRAY_EXIT, MF_BYCOMMAND) & MF_GRAYED);
        std::string expected = "{ShowTrayMenu} items=2 creating=" + std::to_string(creating ? 1 : 0);
        std::string log = ReadLog();
        EXPECT_NE(std::string::npos, log.find(expected)) << log;
        DeleteFileA("ui_log.log");
    }
}

struct ItemLook {
    const char* name;
    UINT state;
    bool highlighted;      // filled with the light highlight instead of white and strip
    bool blackText;        // text in COLOR_MENUTEXT rather than COLOR_GRAYTEXT
};

TEST_F(TrayMenu, FlatItemsShowStripHighlightAndGreyedText) {
    const COLORREF strip = LightenColor(GetSysColor(COLOR_MENU), 0.35);
    const COLORREF highlight = LightenColor(GetSysColor(COLOR_HIGHLIGHT), 0.85);
    const COLORREF white = RGB(255, 255, 255);
    const int grey = Brightness(GetSysColor(COLOR_GRAYTEXT));
    const ItemLook looks[] = {
        {"normal", 0, false, true},
        {"selected", ODS_SELECTED, true, true},
        {"greyed", ODS_GRAYED, false, false},
        {"greyed and selected", ODS_GRAYED | ODS_SELECTED, false, false},
        {"disabled and selected", ODS_DISABLED | ODS_SELECTED, false, false},
    };
    ASSERT_NE(Rgb(white), Rgb(strip));
    Canvas canvas(CANVAS_WIDTH, TEXT_ITEM_HEIGHT);
    for (const ItemLook& look : looks) {
        SCOPED_TRACE(look.name);
        canvas.Clear();
        ASSERT_TRUE(canvas.DrawItem(openData, ID_TRAY_OPEN, look.state));
        EXPECT_EQ(Rgb(look.highlighted ? highlight : strip), Rgb(canvas.At(STRIP_X, TEXT_ITEM_HEIGHT / 2)));
        EXPECT_EQ(Rgb(look.highlighted ? highlight : white), Rgb(canvas.At(RIGHT_X, 2)));
        EXPECT_EQ(Rgb(look.highlighted ? highlight : white), Rgb(canvas.At(RIGHT_X, TEXT_ITEM_HEIGHT - 1)));
        int darkest = canvas.DarkestIn(0, canvas.height());
        if (look.blackText) {
            EXPECT_LT(darkest, grey) << "darkest pixel brightness";
        } else {
            EXPECT_GE(darkest, grey) << "darkest pixel brightness";
            EXPECT_LT(darkest, Brightness(white) - 60) << "greyed text must still be visible";
        }
    }
}

TEST_F(TrayMenu, ItemLandsOnlyInsideItsRectangle) {
    // The second item of a menu window: drawn off-screen, then copied to its place.
    Canvas canvas(CANVAS_WIDTH, 3 * TEXT_ITEM_HEIGHT);
    RECT second = {0, TEXT_ITEM_HEIGHT, CANVAS_WIDTH, 2 * TEXT_ITEM_HEIGHT};
    ASSERT_TRUE(canvas.DrawItem(exitData, ID_TRAY_EXIT, 0, second));
    const COLORREF strip = LightenColor(GetSysColor(COLOR_MENU), 0.35);
    EXPECT_EQ(Rgb(UNPAINTED), Rgb(canvas.At(RIGHT_X, TEXT_ITEM_HEIGHT - 1)));
    EXPECT_EQ(Rgb(strip), Rgb(canvas.At(0, TEXT_ITEM_HEIGHT)));
    EXPECT_EQ(Rgb(RGB(255, 255, 255)), Rgb(canvas.At(RIGHT_X, 2 * TEXT_ITEM_HEIGHT - 1)));
    EXPECT_EQ(Rgb(UNPAINTED), Rgb(canvas.At(STRIP_X, 2 * TEXT_ITEM_HEIGHT)));
    EXPECT_LT(canvas.DarkestIn(TEXT_ITEM_HEIGHT, 2 * TEXT_ITEM_HEIGHT), 3 * 255) << "text drawn in the item";
}

TEST_F(TrayMenu, BoldItemHasHeavierText) {
    Canvas canvas(CANVAS_WIDTH, TEXT_ITEM_HEIGHT);
    const RECT text = {26, 0, CANVAS_WIDTH, TEXT_ITEM_HEIGHT};
    ASSERT_TRUE(canvas.DrawItem(openData, ID_TRAY_OPEN, 0));
    long bold = canvas.InkIn(text, RGB(255, 255, 255));
    UINT boldWidth = 0;
    Measure(openData, ID_TRAY_OPEN, &boldWidth);

    popup->boldItemId = 0;
    canvas.Clear();
    ASSERT_TRUE(canvas.DrawItem(openData, ID_TRAY_OPEN, 0));
    long normal = canvas.InkIn(text, RGB(255, 255, 255));
    UINT normalWidth = 0;
    Measure(openData, ID_TRAY_OPEN, &normalWidth);

    EXPECT_GT(normal, 0);
    EXPECT_GT(bold, normal + normal / 10) << "bold ink " << bold << ", normal ink " << normal;
    EXPECT_GE(boldWidth, normalWidth);
}

TEST_F(TrayMenu, MeasuresRoomForTextStripAndMargins) {
    UINT openWidth = 0, exitWidth = 0;
    UINT openHeight = Measure(openData, ID_TRAY_OPEN, &openWidth);
    UINT exitHeight = Measure(exitData, ID_TRAY_EXIT, &exitWidth);
    // About 24 pixels for a 12-pixel font; the five characters need more room than two.
    EXPECT_GE(openHeight, 20u);
    EXPECT_LE(openHeight, 30u);
    EXPECT_GE(exitHeight, 20u);
    EXPECT_GT(openWidth, exitWidth) << "open " << openWidth << ", exit " << exitWidth;
    EXPECT_GE(exitWidth, 26u + 2 * 12u + 40u) << "strip, two 12-pixel characters and the margins";
}

// A menu with a separator between two items, built in memory.
class SeparatorMenu : public MenuLook {
protected:
    void SetUp() override {
        MenuLook::SetUp();
        HMENU handle = CreatePopupMenu();
        AppendMenuW(handle, MF_STRING, 1, L"甲");
        AppendMenuW(handle, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(handle, MF_STRING, 2, L"乙");
        ASSERT_TRUE(menu.Attach(handle));
        separatorData = ItemDataAt(handle, 1, &separatorType);
    }
    CSkinMenu menu;
    ULONG_PTR separatorData = 0;
    UINT separatorType = 0;
};

TEST_F(SeparatorMenu, SeparatorIsAShortOwnerDrawnEtchedLineRightOfTheStrip) {
    EXPECT_EQ((UINT)(MFT_SEPARATOR | MFT_OWNERDRAW), separatorType & (MFT_SEPARATOR | MFT_OWNERDRAW));
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    measure.itemData = separatorData;
    LRESULT result = 0;
    ASSERT_TRUE(CSkinMenu::HandleOwnerMessage(WM_MEASUREITEM, 0, (LPARAM)&measure, &result));
    EXPECT_LE(measure.itemHeight, 10u);

    const int height = 8;
    Canvas canvas(CANVAS_WIDTH, height);
    ASSERT_TRUE(canvas.DrawItem(separatorData, 0, 0));
    const COLORREF strip = LightenColor(GetSysColor(COLOR_MENU), 0.35);
    // Etched: a shadow line with a highlight line under it, mid-height.
    EXPECT_EQ(Rgb(GetSysColor(COLOR_BTNSHADOW)), Rgb(canvas.At(RIGHT_X - 20, height / 2 - 1)));
    EXPECT_EQ(Rgb(GetSysColor(COLOR_BTNHIGHLIGHT)), Rgb(canvas.At(RIGHT_X - 20, height / 2)));
    EXPECT_EQ(Rgb(RGB(255, 255, 255)), Rgb(canvas.At(RIGHT_X - 20, 0)));
    EXPECT_EQ(Rgb(RGB(255, 255, 255)), Rgb(canvas.At(RIGHT_X - 20, height - 1)));
    EXPECT_EQ(Rgb(strip), Rgb(canvas.At(STRIP_X, height / 2 - 1))) << "the line leaves the strip alone";
}

TEST_F(SeparatorMenu, DeletingAnItemByCommandDropsItsRecord) {
    HMENU handle = menu.handle();
    ULONG_PTR first = ItemDataAt(handle, 0);
    Canvas canvas(CANVAS_WIDTH, TEXT_ITEM_HEIGHT);
    ASSERT_TRUE(canvas.DrawItem(first, 1, 0));
    ASSERT_TRUE(menu.DeleteItemByCommand(1));
    EXPECT_EQ(2, GetMenuItemCount(handle));
    EXPECT_FALSE(canvas.DrawItem(first, 1, 0)) << "the deleted item's record is no longer ours";
    EXPECT_FALSE(menu.DeleteItemByCommand(1));
}

TEST_F(TrayMenu, ClassicStyleIsGreyWithARaisedSelection) {
    CSkinMenu::SetFlatStyle(false);
    Canvas canvas(CANVAS_WIDTH, TEXT_ITEM_HEIGHT);
    const COLORREF menu = GetSysColor(COLOR_MENU);
    ASSERT_TRUE(canvas.DrawItem(openData, ID_TRAY_OPEN, 0));
    EXPECT_EQ(Rgb(menu), Rgb(canvas.At(STRIP_X, TEXT_ITEM_HEIGHT / 2)));
    EXPECT_EQ(Rgb(menu), Rgb(canvas.At(0, 0)));
    EXPECT_EQ(Rgb(menu), Rgb(canvas.At(RIGHT_X, 2)));

    canvas.Clear();
    ASSERT_TRUE(canvas.DrawItem(openData, ID_TRAY_OPEN, ODS_SELECTED));
    EXPECT_EQ(Rgb(GetSysColor(COLOR_BTNHIGHLIGHT)), Rgb(canvas.At(RIGHT_X, 0)));
    EXPECT_EQ(Rgb(GetSysColor(COLOR_BTNSHADOW)), Rgb(canvas.At(RIGHT_X, TEXT_ITEM_HEIGHT - 1)));
    EXPECT_EQ(Rgb(menu), Rgb(canvas.At(RIGHT_X - 2, TEXT_ITEM_HEIGHT / 2)));
}

TEST_F(TrayMenu, ForeignOrStaleItemDataIsLeftToTheCaller) {
    Canvas canvas(CANVAS_WIDTH, TEXT_ITEM_HEIGHT);
    SkinMenuItem lookalike = {L"假", ID_TRAY_OPEN, -1, 0, popup};
    RECT item = {0, 0, CANVAS_WIDTH, TEXT_ITEM_HEIGHT};
    EXPECT_FALSE(canvas.DrawItem((ULONG_PTR)&lookalike, ID_TRAY_OPEN, 0)) << "not one of the menu's records";
    EXPECT_FALSE(canvas.DrawItem(0x12345678, ID_TRAY_OPEN, 0)) << "arbitrary item data";
    EXPECT_FALSE(canvas.DrawItem(openData, ID_TRAY_OPEN, 0, item, ODT_BUTTON)) << "a button, not a menu";
    EXPECT_EQ(Rgb(UNPAINTED), Rgb(canvas.At(RIGHT_X, 2))) << "nothing drawn";

    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    measure.itemData = (ULONG_PTR)&lookalike;
    LRESULT result = 0;
    EXPECT_FALSE(CSkinMenu::HandleOwnerMessage(WM_MEASUREITEM, 0, (LPARAM)&measure, &result));
    EXPECT_FALSE(CSkinMenu::HandleOwnerMessage(WM_DRAWITEM, 0, 0, &result));

    tray.Destroy();
    EXPECT_EQ(nullptr, tray.handle());
    EXPECT_FALSE(canvas.DrawItem(openData, ID_TRAY_OPEN, 0)) << "records of a destroyed menu";
    EXPECT_EQ(Rgb(UNPAINTED), Rgb(canvas.At(RIGHT_X, 2)));
}

// ---- tracking the menu ---------------------------------------------------------

// The owner window of a tracked tray menu: it draws through the kit, walks
// down to "退出" with the keyboard once the menu is idle, and records what
// reaches it.
struct MenuOwner {
    CNicTray* tray = nullptr;
    HMENU trackedMenu = nullptr;
    HWND menuWindow = nullptr;
    std::vector<UINT> drawnIds;
    int measured = 0;
    int keysSent = 0;
    UINT command = 0;
};
MenuOwner gOwner;

const UINT_PTR HANG_GUARD_TIMER = 1;
const UINT HANG_GUARD_MS = 20000;  // ends the menu if the keyboard walk never happens
const int MAX_KEYS = 6;

void SendMenuKey(UINT key) {
    ++gOwner.keysSent;
    PostMessageW(gOwner.menuWindow, WM_KEYDOWN, key, 0);
    PostMessageW(gOwner.menuWindow, WM_KEYUP, key, 0);
}

LRESULT CALLBACK MenuOwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (msg) {
    case WM_MEASUREITEM:
        if (CSkinMenu::HandleOwnerMessage(msg, wParam, lParam, &result)) {
            ++gOwner.measured;
            return result;
        }
        break;
    case WM_DRAWITEM:
        if (CSkinMenu::HandleOwnerMessage(msg, wParam, lParam, &result)) {
            gOwner.drawnIds.push_back(((DRAWITEMSTRUCT*)lParam)->itemID);
            return result;
        }
        break;
    case WM_ENTERIDLE:
        if (wParam == MSGF_MENU && !gOwner.menuWindow) {
            gOwner.menuWindow = (HWND)lParam;
            CSkinMenu* popup = gOwner.tray->GetSubMenu(0);
            gOwner.trackedMenu = popup ? popup->handle() : nullptr;
            SendMenuKey(VK_DOWN);
        }
        return 0;
    case WM_MENUSELECT:
        if (gOwner.menuWindow && (HMENU)lParam == gOwner.trackedMenu && HIWORD(wParam) != 0xFFFF) {
            if (LOWORD(wParam) == ID_TRAY_EXIT) SendMenuKey(VK_RETURN);
            else if (gOwner.keysSent < MAX_KEYS) SendMenuKey(VK_DOWN);
        }
        return 0;
    case WM_TIMER:
        if (wParam == HANG_GUARD_TIMER) EndMenu();
        return 0;
    case WM_COMMAND:
        gOwner.command = LOWORD(wParam);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

TEST(TrayMenuTracking, OwnerDrawsTheItemsAndReceivesTheChosenCommand) {
    FrameworkInit(GetModuleHandleW(nullptr));
    WNDCLASSW wc = {};
    wc.lpfnWndProc = MenuOwnerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Q8TrayMenuOwner";
    RegisterClassW(&wc);
    HWND owner = CreateWindowExW(0, wc.lpszClassName, L"tray menu owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    ASSERT_NE(nullptr, owner);
    CNicTray tray;
    gOwner = MenuOwner();
    gOwner.tray = &tray;
    SetTimer(owner, HANG_GUARD_TIMER, HANG_GUARD_MS, nullptr);

    tray.ShowTrayMenu(owner, POINT{200, 200}, false);
    KillTimer(owner, HANG_GUARD_TIMER);
    MSG msg;
    while (PeekMessageW(&msg, owner, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);

    EXPECT_EQ((UINT)ID_TRAY_EXIT, gOwner.command) << "keys sent " << gOwner.keysSent;
    EXPECT_EQ(2, gOwner.measured);
    auto drawn = [](UINT id) {
        for (UINT d : gOwner.drawnIds)
            if (d == id) return true;
        return false;
    };
    EXPECT_TRUE(drawn(ID_TRAY_OPEN));
    EXPECT_TRUE(drawn(ID_TRAY_EXIT));
    EXPECT_FALSE(drawn(ID_TRAY_ABOUT));
    EXPECT_EQ(nullptr, tray.handle()) << "the menu is destroyed after tracking";
    EXPECT_NE(nullptr, gOwner.trackedMenu);
    EXPECT_FALSE(IsMenu(gOwner.trackedMenu));
    DestroyWindow(owner);
}

// ---- notification-area icon ------------------------------------------------------

// NOTIFYICONDATAW up to its balloon icon, the layout the shell is told about:
// 952 bytes in the shipped 32-bit program (968 in a 64-bit test build).
const DWORD XP_LAYOUT_SIZE = sizeof(void*) == 8 ? 968 : 952;

class TrayIcon : public ::testing::Test {
protected:
    void SetUp() override {
        FrameworkInit(GetModuleHandleW(nullptr));
        window = CreateWindowExW(0, L"STATIC", L"tray icon test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, window);
        icon = LoadIconW(nullptr, IDI_APPLICATION);
    }
    void TearDown() override {
        NOTIFYICONDATAW gone = {};
        gone.cbSize = XP_LAYOUT_SIZE;
        gone.hWnd = window;
        gone.uID = NIC_TRAY_ICON_ID;
        Shell_NotifyIconW(NIM_DELETE, &gone);
        DestroyWindow(window);
        FrameworkInit(GetModuleHandleW(nullptr));
    }
    // A tip change sent by someone else for the same icon: succeeds only while it exists.
    BOOL ModifyFromOutside() {
        NOTIFYICONDATAW other = {};
        other.cbSize = XP_LAYOUT_SIZE;
        other.hWnd = window;
        other.uID = NIC_TRAY_ICON_ID;
        other.uFlags = NIF_TIP;
        lstrcpynW(other.szTip, L"outside", ARRAYSIZE(other.szTip));
        return Shell_NotifyIconW(NIM_MODIFY, &other);
    }

    HWND window = nullptr;
    HICON icon = nullptr;
    CNicTray tray;
};

TEST_F(TrayIcon, AddSendsIconTipAndOneBalloonOfTheSameText) {
    const wchar_t* text = L"Ambrel 无线热点";
    ASSERT_TRUE(tray.AddTrayIcon(window, text, icon));
    const NOTIFYICONDATAW& d = tray.iconData;
    EXPECT_EQ(XP_LAYOUT_SIZE, d.cbSize);
    EXPECT_EQ(window, d.hWnd);
    EXPECT_EQ(167u, d.uID);
    EXPECT_EQ(23u, d.uFlags);
    EXPECT_EQ((UINT)NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO, d.uFlags);
    EXPECT_EQ(0x1625u, d.uCallbackMessage);
    EXPECT_EQ(icon, d.hIcon);
    EXPECT_EQ(Narrow(text), Narrow(d.szTip));
    EXPECT_EQ(Narrow(text), Narrow(d.szInfo));
    EXPECT_EQ("", Narrow(d.szInfoTitle));
    EXPECT_EQ(1000u, d.uTimeout);
    EXPECT_EQ((DWORD)NIIF_INFO, d.dwInfoFlags);
    EXPECT_EQ((DWORD)NIS_SHAREDICON, d.dwState);
    EXPECT_EQ((DWORD)NIS_SHAREDICON, d.dwStateMask);
    EXPECT_EQ(TRUE, tray.lastResult);
}

// Text of `length` UTF-16 units, with a surrogate pair starting at `pairAt`
// (or none for -1), so that a wrong cut shows in the content.
std::wstring MakeText(int length, int pairAt) {
    std::wstring text;
    for (int i = 0; i < length; ++i) text += (wchar_t)(0x4E00 + i);
    if (pairAt >= 0) {
        text[pairAt] = 0xD83D;      // U+1F4F6, "antenna with bars"
        text[pairAt + 1] = 0xDCF6;
    }
    return text;
}

struct CutCase {
    const char* name;
    bool balloon;      // ShowTrayBalloon, else SetTrayTip
    int length;        // -1: null text
    int pairAt;
    int expectedLength;
};

TEST_F(TrayIcon, TipAndBalloonTextsAreCutToTheirFields) {
    const CutCase cases[] = {
        {"tip of 200", false, 200, -1, 127},
        {"tip of 127", false, 127, -1, 127},
        {"tip with a pair across the end", false, 200, 126, 126},
        {"tip with a pair just inside", false, 200, 125, 127},
        {"null tip", false, -1, -1, 0},
        {"balloon of 300", true, 300, -1, 255},
        {"balloon with a pair across the end", true, 300, 254, 254},
        {"empty balloon", true, 0, -1, 0},
    };
    ASSERT_TRUE(tray.AddTrayIcon(window, L"Ambrel", icon));
    for (const CutCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring text = c.length >= 0 ? MakeText(c.length, c.pairAt) : L"";
        const wchar_t* argument = c.length >= 0 ? text.c_str() : nullptr;
        BOOL sent = c.balloon ? tray.ShowTrayBalloon(argument) : tray.SetTrayTip(argument);
        const wchar_t* field = c.balloon ? tray.iconData.szInfo : tray.iconData.szTip;
        EXPECT_EQ(Narrow(text.substr(0, c.expectedLength)), Narrow(field));
        EXPECT_EQ((size_t)c.expectedLength, wcslen(field));
        EXPECT_EQ((UINT)(c.balloon ? NIF_INFO : NIF_TIP), tray.iconData.uFlags);
        if (c.balloon) {
            EXPECT_EQ((DWORD)NIIF_INFO, tray.iconData.dwInfoFlags);
            EXPECT_EQ("", Narrow(tray.iconData.szInfoTitle));
        }
        EXPECT_TRUE(sent);
        EXPECT_EQ(TRUE, tray.lastResult);
    }
}

TEST_F(TrayIcon, SetIconSendsTheModulesIcon) {
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    ASSERT_NE(nullptr, shell);
    const UINT shellIcon = 1;  // shell32's first icon, a stand-in for the program's own
    ASSERT_TRUE(tray.AddTrayIcon(window, L"Ambrel", icon));
    gFramework.instance = shell;
    EXPECT_TRUE(tray.SetTrayIcon(shellIcon));
    EXPECT_EQ((UINT)NIF_ICON, tray.iconData.uFlags);
    EXPECT_EQ(LoadIconW(shell, MAKEINTRESOURCEW(shellIcon)), tray.iconData.hIcon);
    EXPECT_NE(nullptr, tray.iconData.hIcon);
    EXPECT_EQ(TRUE, tray.lastResult);

    // The test program has no icon resources: nothing is sent, the shell keeps its icon.
    HICON before = tray.iconData.hIcon;
    gFramework.instance = GetModuleHandleW(nullptr);
    EXPECT_FALSE(tray.SetTrayIcon(IDI_TRAY_NORMAL));
    EXPECT_EQ(FALSE, tray.lastResult);
    EXPECT_EQ(before, tray.iconData.hIcon);
}

TEST_F(TrayIcon, RemovedIconNoLongerAcceptsChanges) {
    ASSERT_TRUE(tray.AddTrayIcon(window, L"Ambrel", icon));
    EXPECT_TRUE(ModifyFromOutside()) << "the icon exists before removal";
    EXPECT_TRUE(tray.RemoveTrayIcon());
    EXPECT_EQ(TRUE, tray.lastResult);
    EXPECT_EQ(XP_LAYOUT_SIZE, tray.iconData.cbSize);
    EXPECT_EQ(window, tray.iconData.hWnd);
    EXPECT_EQ(167u, tray.iconData.uID);
    EXPECT_FALSE(ModifyFromOutside()) << "the icon is gone";
    EXPECT_FALSE(tray.SetTrayTip(L"again"));
    EXPECT_EQ(FALSE, tray.lastResult);
}

}  // namespace
