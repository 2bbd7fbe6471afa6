// Owner-drawn menus: turning a loaded menu's items into owner-drawn items
// backed by our records, answering the owner's WM_MEASUREITEM/WM_DRAWITEM
// for them, and drawing each item off-screen before one copy to the menu.
#include "ui/kit/skin_menu.h"

#include <algorithm>
#include <set>

namespace {

// Item geometry, in pixels.
const int ICON_MARGIN = 5;          // each side of the icon inside the strip
const int TEXT_GAP = 8;             // between the strip and the text
const int TEXT_RIGHT_MARGIN = 40;   // room after the text for a sub-menu arrow
const int ITEM_PADDING_Y = 5;       // above and below the text
const int SEPARATOR_HEIGHT = 8;

// Item font.
const wchar_t ITEM_FONT_FACE[] = L"Arial";
const int ITEM_FONT_HEIGHT = -12;   // character height of 12 pixels

// How far the flat style lightens the system colours.
const double STRIP_LIGHTEN = 0.35;
const double SELECTED_LIGHTEN = 0.85;

const COLORREF FLAT_BACKGROUND = RGB(255, 255, 255);

bool gFlatStyle = false;

// Every record some menu holds. Item data is trusted only when it is here,
// because the owner also receives WM_DRAWITEM for other people's items.
std::set<const SkinMenuItem*>& LiveRecords() {
    static std::set<const SkinMenuItem*> records;
    return records;
}

SkinMenuItem* FindLiveRecord(ULONG_PTR itemData) {
    const SkinMenuItem* record = (const SkinMenuItem*)itemData;
    return LiveRecords().count(record) ? const_cast<SkinMenuItem*>(record) : nullptr;
}

BYTE LightenChannel(BYTE channel, double factor) {
    return (BYTE)(channel + factor * (255 - channel));
}

HFONT CreateItemFont(bool bold) {
    LOGFONTW font = {};
    font.lfHeight = ITEM_FONT_HEIGHT;
    font.lfWeight = bold ? FW_BOLD : FW_MEDIUM;
    // The face often lacks Chinese glyphs; the default charset lets the font
    // mapper pick a face of the system code page for them.
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    lstrcpynW(font.lfFaceName, ITEM_FONT_FACE, ARRAYSIZE(font.lfFaceName));
    return CreateFontIndirectW(&font);
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

// An etched line across the middle of `rect`, from `left`.
void DrawSeparatorLine(HDC dc, const RECT& rect, int left) {
    RECT line = rect;
    line.left = left;
    line.top = rect.top + (rect.bottom - rect.top) / 2 - 1;
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
}

// Flat: white with the light strip, or all light highlight when selected.
// Classic: the menu colour, raised when selected.
void DrawItemBackground(HDC dc, const RECT& item, bool selected, int stripWidth) {
    if (!gFlatStyle) {
        FillRect(dc, &item, GetSysColorBrush(COLOR_MENU));
        RECT edge = item;
        if (selected) DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
    } else if (selected) {
        FillSolid(dc, item, LightenColor(GetSysColor(COLOR_HIGHLIGHT), SELECTED_LIGHTEN));
    } else {
        FillSolid(dc, item, FLAT_BACKGROUND);
        RECT strip = item;
        strip.right = item.left + stripWidth;
        FillSolid(dc, strip, LightenColor(GetSysColor(COLOR_MENU), STRIP_LIGHTEN));
    }
}

void DrawItemText(HDC dc, RECT rect, const wchar_t* text, bool bold, bool greyed, bool hidePrefix) {
    HFONT font = CreateItemFont(bold);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(greyed ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_EXPANDTABS;
    if (hidePrefix) format |= DT_HIDEPREFIX;
    DrawTextW(dc, text, -1, &rect, format);
    SelectObject(dc, oldFont);
    DeleteObject(font);
}

}  // namespace

COLORREF LightenColor(COLORREF color, double factor) {
    if (!(factor > 0.0 && factor <= 1.0)) return color;  // NaN fails this too
    return RGB(LightenChannel(GetRValue(color), factor), LightenChannel(GetGValue(color), factor),
               LightenChannel(GetBValue(color), factor));
}

CSkinMenuMemDC::CSkinMenuMemDC(HDC target, const RECT& rect) : m_target(target), m_rect(rect) {
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    // A printer gets the drawing directly: its pages are not flicker-prone screens.
    if (GetDeviceCaps(target, TECHNOLOGY) == DT_RASPRINTER || width <= 0 || height <= 0) return;
    m_memDC = CreateCompatibleDC(target);
    m_bitmap = m_memDC ? CreateCompatibleBitmap(target, width, height) : nullptr;
    if (!m_bitmap) {  // short of GDI memory: draw straight on the target
        if (m_memDC) DeleteDC(m_memDC);
        m_memDC = nullptr;
        return;
    }
    m_oldBitmap = SelectObject(m_memDC, m_bitmap);
    // Callers draw in the target's coordinates; the bitmap starts at the rectangle.
    SetWindowOrgEx(m_memDC, rect.left, rect.top, nullptr);
}

CSkinMenuMemDC::~CSkinMenuMemDC() {
    if (!m_memDC) return;
    BitBlt(m_target, m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, m_memDC,
           m_rect.left, m_rect.top, SRCCOPY);
    SelectObject(m_memDC, m_oldBitmap);
    DeleteObject(m_bitmap);
    DeleteDC(m_memDC);
}

CSkinMenu::CSkinMenu(UINT boldItem) : boldItemId(boldItem) {}

CSkinMenu::~CSkinMenu() { Destroy(); }

BOOL CSkinMenu::LoadMenu(HINSTANCE module, UINT menuId) {
    Destroy();
    HMENU menu = ::LoadMenuW(module, MAKEINTRESOURCEW(menuId));
    return menu ? Attach(menu) : FALSE;
}

BOOL CSkinMenu::Attach(HMENU menu) {
    Destroy();
    if (!menu) return FALSE;
    m_hMenu = menu;
    m_ownsMenu = true;
    if (ConvertItems() != 0) {
        Destroy();
        return FALSE;
    }
    return TRUE;
}

int CSkinMenu::ConvertItems() {
    int count = GetMenuItemCount(m_hMenu);
    if (count < 0) return -1;
    for (int position = 0; position < count; ++position) {
        if (ConvertItem(position) != 0) return -1;
    }
    return 0;
}

int CSkinMenu::ConvertItem(int position) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    if (!GetMenuItemInfoW(m_hMenu, position, TRUE, &info)) return -1;  // cch: the text's length
    // Items someone else already draws, and pictures, are left as they are.
    if (info.fType & (MFT_OWNERDRAW | MFT_BITMAP)) return 0;
    std::wstring text(info.cch + 1, L'\0');
    info.dwTypeData = &text[0];
    info.cch = (UINT)text.size();
    if (!GetMenuItemInfoW(m_hMenu, position, TRUE, &info)) return -1;
    text.resize(info.cch);

    SkinMenuItem* record = new SkinMenuItem{text, info.wID, -1, info.fType, this};
    m_items.push_back(record);
    LiveRecords().insert(record);

    MENUITEMINFOW owned = {};
    owned.cbSize = sizeof owned;
    owned.fMask = MIIM_FTYPE | MIIM_DATA;
    owned.fType = info.fType | MFT_OWNERDRAW;
    owned.dwItemData = (ULONG_PTR)record;
    if (!SetMenuItemInfoW(m_hMenu, position, TRUE, &owned)) return -1;

    if (!info.hSubMenu) return 0;
    CSkinMenu* sub = new CSkinMenu(boldItemId);
    sub->m_hMenu = info.hSubMenu;
    m_subMenus.push_back(sub);
    return sub->ConvertItems();
}

CSkinMenu* CSkinMenu::GetSubMenu(int position) {
    HMENU handle = m_hMenu ? ::GetSubMenu(m_hMenu, position) : nullptr;
    if (!handle) return nullptr;
    for (CSkinMenu* sub : m_subMenus) {
        if (sub->m_hMenu == handle) return sub;
    }
    return nullptr;
}

BOOL CSkinMenu::DeleteItemByCommand(UINT commandId) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA | MIIM_SUBMENU;
    if (!m_hMenu || !GetMenuItemInfoW(m_hMenu, commandId, FALSE, &info)) return FALSE;
    if (!DeleteMenu(m_hMenu, commandId, MF_BYCOMMAND)) return FALSE;
    // The item may sit in a sub-menu: its record belongs to that menu.
    SkinMenuItem* record = FindLiveRecord(info.dwItemData);
    if (!record) return TRUE;
    CSkinMenu* owner = record->owner;
    owner->RemoveRecord(record);
    if (info.hSubMenu) owner->DeleteSubMenu(info.hSubMenu);  // DeleteMenu destroyed its handle
    return TRUE;
}

void CSkinMenu::RemoveRecord(SkinMenuItem* record) {
    m_items.erase(std::remove(m_items.begin(), m_items.end(), record), m_items.end());
    LiveRecords().erase(record);
    delete record;
}

void CSkinMenu::DeleteSubMenu(HMENU subMenu) {
    for (size_t i = 0; i < m_subMenus.size(); ++i) {
        if (m_subMenus[i]->m_hMenu != subMenu) continue;
        delete m_subMenus[i];
        m_subMenus.erase(m_subMenus.begin() + i);
        return;
    }
}

BOOL CSkinMenu::EnableItem(UINT commandId, UINT flags) {
    if (!m_hMenu) return FALSE;
    return EnableMenuItem(m_hMenu, commandId, MF_BYCOMMAND | (flags & ~MF_BYPOSITION)) != -1;
}

void CSkinMenu::Destroy() {
    for (CSkinMenu* sub : m_subMenus) delete sub;
    m_subMenus.clear();
    for (SkinMenuItem* record : m_items) {
        LiveRecords().erase(record);
        delete record;
    }
    m_items.clear();
    if (m_hMenu && m_ownsMenu) DestroyMenu(m_hMenu);  // frees the sub-menus' handles too
    m_hMenu = nullptr;
    m_ownsMenu = false;
}

void CSkinMenu::SetFlatStyle(bool flat) {
    // 256-colour palettes cannot show the light tints; keep the classic look there.
    HDC screen = GetDC(nullptr);
    if (screen && (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE)) flat = false;
    if (screen) ReleaseDC(nullptr, screen);
    gFlatStyle = flat;
}

bool CSkinMenu::HandleOwnerMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!lParam) return false;
    if (msg == WM_MEASUREITEM) {
        MEASUREITEMSTRUCT* measure = (MEASUREITEMSTRUCT*)lParam;
        SkinMenuItem* record = measure->CtlType == ODT_MENU ? FindLiveRecord(measure->itemData) : nullptr;
        if (!record) return false;
        record->owner->Measure(measure, *record);
    } else if (msg == WM_DRAWITEM) {
        const DRAWITEMSTRUCT* draw = (const DRAWITEMSTRUCT*)lParam;
        SkinMenuItem* record = draw->CtlType == ODT_MENU ? FindLiveRecord(draw->itemData) : nullptr;
        if (!record) return false;
        record->owner->Draw(draw, *record);
    } else {
        return false;
    }
    if (result) *result = TRUE;
    return true;
}

bool CSkinMenu::IsBold(const SkinMenuItem& record) const {
    return boldItemId != 0 && record.commandId == boldItemId;
}

void CSkinMenu::Measure(MEASUREITEMSTRUCT* measure, const SkinMenuItem& record) const {
    int stripWidth = m_iconSize.cx + 2 * ICON_MARGIN;
    if (record.flags & MFT_SEPARATOR) {
        measure->itemWidth = stripWidth;
        measure->itemHeight = SEPARATOR_HEIGHT;
        return;
    }
    HDC screen = GetDC(nullptr);
    HFONT font = CreateItemFont(IsBold(record));
    HGDIOBJ oldFont = SelectObject(screen, font);
    RECT text = {0, 0, 0, 0};
    DrawTextW(screen, record.text.c_str(), -1, &text, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(screen, &metrics);
    SelectObject(screen, oldFont);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
    measure->itemWidth = stripWidth + TEXT_GAP + (text.right - text.left) + TEXT_RIGHT_MARGIN;
    measure->itemHeight = metrics.tmHeight + 2 * ITEM_PADDING_Y;
}

void CSkinMenu::Draw(const DRAWITEMSTRUCT* draw, const SkinMenuItem& record) const {
    CSkinMenuMemDC memory(draw->hDC, draw->rcItem);
    HDC dc = memory.dc();
    bool separator = (record.flags & MFT_SEPARATOR) != 0;
    bool greyed = (draw->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    bool selected = (draw->itemState & ODS_SELECTED) && !greyed && !separator;
    int stripWidth = gFlatStyle ? m_iconSize.cx + 2 * ICON_MARGIN : 0;
    DrawItemBackground(dc, draw->rcItem, selected, stripWidth);
    if (separator) {
        DrawSeparatorLine(dc, draw->rcItem, draw->rcItem.left + stripWidth);
        return;
    }
    RECT text = draw->rcItem;
    text.left += stripWidth + TEXT_GAP;
    text.right -= TEXT_GAP;
    DrawItemText(dc, text, record.text.c_str(), IsBold(record), greyed, (draw->itemState & ODS_NOACCEL) != 0);
}
