// CNicTray: the utility's notification-area icon (icon, tip, balloon) and
// its right-click menu, an owner-drawn menu of the kit.
#pragma once
#include "ui/kit/skin_menu.h"

#include <windows.h>
#include <shellapi.h>

// Our icon among the shell's icons of the main window.
#define NIC_TRAY_ICON_ID 167
// What we tell the shell NOTIFYICONDATAW is: the Windows XP layout, which
// every shell from XP on accepts (the full structure only Vista and later).
#define NIC_TRAY_DATA_SIZE NOTIFYICONDATAW_V3_SIZE
// How long a balloon stays up, in milliseconds (shells clamp it to their own range).
#define NIC_TRAY_BALLOON_MS 1000

class CNicTray : public CSkinMenu {
public:
    CNicTray();

    // Each sends one Shell_NotifyIconW and keeps its result in lastResult.
    // Texts longer than their field are cut; null text is empty text.
    BOOL AddTrayIcon(HWND mainWindow, const wchar_t* text, HICON icon);
    BOOL SetTrayIcon(UINT iconResourceId);
    BOOL SetTrayTip(const wchar_t* text);
    // An empty text takes down a balloon that is showing.
    BOOL ShowTrayBalloon(const wchar_t* text);
    BOOL RemoveTrayIcon();

    // Loads the tray menu into this object and readies its pop-up; while
    // `creating` the "open" command is greyed.
    void PrepareTrayMenu(bool creating);
    // Prepares the menu, tracks it at `cursor` for `owner` (which receives the
    // chosen WM_COMMAND and the owner-draw messages) and destroys it again.
    void ShowTrayMenu(HWND owner, POINT cursor, bool creating);

    int lastResult = FALSE;          // of the last Shell_NotifyIconW; kept for diagnosis
    NOTIFYICONDATAW iconData;        // the icon as last sent to the shell

private:
    BOOL Send(DWORD message);
};
