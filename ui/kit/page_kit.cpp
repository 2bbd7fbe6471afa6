// Skinned page helpers shared by the utility's pages and the installer.
#include "ui/kit/page_kit.h"

#include "ui/kit/framework.h"
#include "ui/kit/layout.h"
#include "ui/kit/tp_static.h"

#include <gdiplus.h>
#include <cwchar>

void PaintSkinnedPage(HWND page, CachedImage* picture, SIZE size, CTpButton* const* buttons, int count) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(page, &ps);
    if (picture && size.cx > 0 && size.cy > 0) {
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP bmp = CreateCompatibleBitmap(dc, size.cx, size.cy);
        HGDIOBJ old = SelectObject(mem, bmp);
        if (picture->image) {
            Gdiplus::Graphics g(mem);
            g.DrawImage(picture->image, 0, 0, size.cx, size.cy);
        }
        BitBlt(dc, 0, 0, size.cx, size.cy, mem, 0, 0, SRCCOPY);
        for (int i = 0; i < count; i++) buttons[i]->CaptureBackground(mem);
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
    }
    EndPaint(page, &ps);
}

HBITMAP CreateAlphaSurface(HDC dc, int w, int h, void** bits) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down: rows in the order GDI+ expects them
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    *bits = nullptr;
    return CreateDIBSection(dc, &bi, DIB_RGB_COLORS, bits, nullptr, 0);
}

static bool CurrentRect(HWND control, RECT* rc) {
    if (!control || !GetWindowRect(control, rc)) return false;
    MapWindowPoints(nullptr, GetParent(control), (POINT*)rc, 2);
    return true;
}

void PlaceControl(HWND dialog, int id, UINT stringId) {
    HWND control = GetDlgItem(dialog, id);
    RECT now;
    if (!CurrentRect(control, &now)) return;
    RECT rc = LoadLayoutRect(stringId, now);
    MoveWindow(control, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

void PlaceSkinnedButton(CTpButton& button, UINT stringId) {
    RECT now;
    if (!CurrentRect(button.hwnd(), &now)) return;
    RECT rc = LoadLayoutRect(stringId, now);
    if (memcmp(&rc, &now, sizeof rc) == 0) return;  // no usable string: stays as it is
    SetWindowPos(button.hwnd(), nullptr, rc.left, rc.top, rc.right - rc.left + 1, rc.bottom - rc.top + 1,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void SkinButton(CTpButton& button, int hover, int normal, int pressed, int disabled, UINT cursorId) {
    button.SetImages(LoadImageResource(disabled), LoadImageResource(normal), LoadImageResource(pressed),
                     LoadImageResource(hover));
    button.drawMode = TPB_DRAW_CENTRED;
    button.SetCursorResource(cursorId);
}

LOGFONTW ScaledPointFont(const wchar_t* face, int points, bool bold) {
    LOGFONTW lf = {};
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof lf, &lf);
    lf.lfHeight = PointFontHeight(points);
    lf.lfWidth = 0;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    wcsncpy(lf.lfFaceName, face, ARRAYSIZE(lf.lfFaceName) - 1);
    lf.lfFaceName[ARRAYSIZE(lf.lfFaceName) - 1] = L'\0';
    return lf;
}

bool DragTopLevelOnMouseMove(HWND page, WPARAM wParam) {
    if (wParam != MK_LBUTTON) return false;
    ReleaseCapture();
    SendMessageW(GetAncestor(page, GA_ROOT), WM_NCLBUTTONDOWN, HTCAPTION, 0);
    return true;
}
