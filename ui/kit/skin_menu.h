// Owner-drawn menus of the kit: a menu loaded from a resource whose items we
// measure and draw ourselves (a flat white look with a light icon strip, or
// the classic grey look on palette displays), and the memory device context
// each item is drawn through so that it reaches the screen in one copy.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Moves each of red, green and blue towards 255 by `factor` (0 < factor <= 1),
// truncating toward zero. Any other factor returns the colour unchanged.
COLORREF LightenColor(COLORREF color, double factor);

// Draws into a memory bitmap the size of `rect` and copies it to `target` at
// `rect` when it goes out of scope. On a printer it draws on `target` itself.
class CSkinMenuMemDC {
public:
    CSkinMenuMemDC(HDC target, const RECT& rect);
    ~CSkinMenuMemDC();
    CSkinMenuMemDC(const CSkinMenuMemDC&) = delete;
    CSkinMenuMemDC& operator=(const CSkinMenuMemDC&) = delete;

    // Where to draw, in the target's coordinates.
    HDC dc() const { return m_memDC ? m_memDC : m_target; }

private:
    HDC m_target;
    RECT m_rect;
    HDC m_memDC = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
};

class CSkinMenu;

// What we keep of one menu item: its item data in the menu points here.
struct SkinMenuItem {
    std::wstring text;
    UINT commandId;
    int iconIndex;      // -1: none
    UINT flags;         // the item's MFT_* type as loaded (MFT_SEPARATOR, MFT_RADIOCHECK, ...)
    CSkinMenu* owner;   // the menu whose list holds this record
};

class CSkinMenu {
public:
    explicit CSkinMenu(UINT boldItem = 0);
    virtual ~CSkinMenu();
    CSkinMenu(const CSkinMenu&) = delete;
    CSkinMenu& operator=(const CSkinMenu&) = delete;

    // Loads a menu resource and makes every item of it, and of its
    // sub-menus, owner-drawn. Replaces a menu loaded before.
    BOOL LoadMenu(HINSTANCE module, UINT menuId);
    // Takes ownership of `menu` and makes every item owner-drawn, as LoadMenu.
    BOOL Attach(HMENU menu);
    // The sub-menu at `position`, or null.
    CSkinMenu* GetSubMenu(int position);
    // Deletes the item with this command (searching sub-menus too) and its record.
    BOOL DeleteItemByCommand(UINT commandId);
    // EnableMenuItem by command with `flags` (MF_ENABLED, MF_DISABLED | MF_GRAYED).
    BOOL EnableItem(UINT commandId, UINT flags);
    // Destroys the menu, the item records and the sub-menus.
    void Destroy();

    HMENU handle() const { return m_hMenu; }

    // Flat white look when true; a palette display keeps the classic look.
    static void SetFlatStyle(bool flat);
    // Measures or draws an item for WM_MEASUREITEM / WM_DRAWITEM when it is a
    // menu item whose data is one of our live records; false leaves the
    // message to the caller.
    static bool HandleOwnerMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

    UINT boldItemId;  // the command drawn in bold; 0 = none

protected:
    HMENU m_hMenu = nullptr;
    bool m_ownsMenu = false;  // false for a sub-menu: its parent's DestroyMenu frees it
    std::vector<SkinMenuItem*> m_items;
    std::vector<CSkinMenu*> m_subMenus;
    SIZE m_iconSize = {16, 15};
    COLORREF m_iconBackground = RGB(192, 192, 192);

private:
    int ConvertItems();
    int ConvertItem(int position);
    void RemoveRecord(SkinMenuItem* record);
    void DeleteSubMenu(HMENU subMenu);
    bool IsBold(const SkinMenuItem& record) const;
    void Measure(MEASUREITEMSTRUCT* measure, const SkinMenuItem& record) const;
    void Draw(const DRAWITEMSTRUCT* draw, const SkinMenuItem& record) const;
};
