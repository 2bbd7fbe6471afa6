// Notification-area icon and tray menu of the utility: what we send the
// shell for each change of icon, tip and balloon, and the right-click menu.
#include "ui/nic_tray.h"

#include "app/log.h"
#include "app/messages.h"
#include "res/q8_resource.h"
#include "ui/kit/framework.h"

#include <cwchar>

namespace {

const int TRAY_POPUP_POSITION = 0;  // the menu resource's one pop-up

// Copies as much of `text` as fits `field` with its terminator, in whole
// UTF-16 units, without leaving half of a surrogate pair at the end.
void CopyFieldText(wchar_t* field, size_t fieldSize, const wchar_t* text) {
    if (!text) text = L"";
    size_t length = 0;
    while (length + 1 < fieldSize && text[length]) ++length;
    if (length > 0 && IS_SURROGATE_PAIR(text[length - 1], text[length])) --length;
    wmemcpy(field, text, length);
    field[length] = L'\0';
}

}  // namespace

CNicTray::CNicTray() : iconData() {}

BOOL CNicTray::Send(DWORD message) {
    lastResult = Shell_NotifyIconW(message, &iconData);
    return lastResult;
}

BOOL CNicTray::AddTrayIcon(HWND mainWindow, const wchar_t* text, HICON icon) {
    iconData = NOTIFYICONDATAW();
    iconData.cbSize = NIC_TRAY_DATA_SIZE;
    iconData.hWnd = mainWindow;
    iconData.uID = NIC_TRAY_ICON_ID;
    iconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
    iconData.uCallbackMessage = WM_TRAY_NOTIFY;
    iconData.hIcon = icon;
    CopyFieldText(iconData.szTip, ARRAYSIZE(iconData.szTip), text);
    // The same text once as a balloon, so that a new icon is noticed.
    CopyFieldText(iconData.szInfo, ARRAYSIZE(iconData.szInfo), text);
    iconData.szInfoTitle[0] = L'\0';
    iconData.uTimeout = NIC_TRAY_BALLOON_MS;
    iconData.dwInfoFlags = NIIF_INFO;
    iconData.dwState = NIS_SHAREDICON;
    iconData.dwStateMask = NIS_SHAREDICON;
    WriteUiLog(L"{AddTrayIcon} balloon=%s\n", iconData.szInfo);
    return Send(NIM_ADD);
}

BOOL CNicTray::SetTrayIcon(UINT iconResourceId) {
    HICON icon = LoadIconW(gFramework.instance, MAKEINTRESOURCEW(iconResourceId));
    if (!icon) {  // sending it would blank the icon in the notification area
        lastResult = FALSE;
        return FALSE;
    }
    iconData.uFlags = NIF_ICON;
    iconData.hIcon = icon;
    return Send(NIM_MODIFY);
}

BOOL CNicTray::SetTrayTip(const wchar_t* text) {
    iconData.uFlags = NIF_TIP;
    CopyFieldText(iconData.szTip, ARRAYSIZE(iconData.szTip), text);
    return Send(NIM_MODIFY);
}

BOOL CNicTray::ShowTrayBalloon(const wchar_t* text) {
    iconData.uFlags = NIF_INFO;
    iconData.dwInfoFlags = NIIF_INFO;
    CopyFieldText(iconData.szInfo, ARRAYSIZE(iconData.szInfo), text);
    iconData.szInfoTitle[0] = L'\0';
    if (iconData.szInfo[0]) WriteUiLog(L"{ShowTrayBalloon} balloon=%s\n", iconData.szInfo);
    return Send(NIM_MODIFY);
}

BOOL CNicTray::RemoveTrayIcon() {
    HWND mainWindow = iconData.hWnd;
    iconData = NOTIFYICONDATAW();
    iconData.cbSize = NIC_TRAY_DATA_SIZE;
    iconData.hWnd = mainWindow;
    iconData.uID = NIC_TRAY_ICON_ID;
    return Send(NIM_DELETE);
}

void CNicTray::PrepareTrayMenu(bool creating) {
    LoadMenu(gFramework.instance, IDR_TRAY_MENU);
    CSkinMenu* popup = GetSubMenu(TRAY_POPUP_POSITION);
    if (popup) {
        popup->DeleteItemByCommand(ID_TRAY_ABOUT);
        if (creating) popup->EnableItem(ID_TRAY_OPEN, MF_DISABLED | MF_GRAYED);
        SetFlatStyle(true);
        popup->boldItemId = ID_TRAY_OPEN;
    }
    WriteUiLog(L"{ShowTrayMenu} items=%d creating=%d\n", popup ? GetMenuItemCount(popup->handle()) : -1,
               creating ? 1 : 0);
}

void CNicTray::ShowTrayMenu(HWND owner, POINT cursor, bool creating) {
    PrepareTrayMenu(creating);
    CSkinMenu* popup = GetSubMenu(TRAY_POPUP_POSITION);
    if (popup) {
        // A tray menu whose owner is not in front stays open when the user
        // clicks elsewhere; the WM_NULL after it lets the next showing close
        // properly too.
        SetForegroundWindow(owner);
        TrackPopupMenu(popup->handle(), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, owner, nullptr);
        PostMessageW(owner, WM_NULL, 0, 0);
    }
    Destroy();
}
