// Picture button: state machine, picture choice and off-screen drawing.
#include "ui/kit/tp_button.h"

#include "ui/kit/framework.h"

#include <gdiplus.h>

TpButtonImage ChooseButtonImage(bool enabled, int state, int prevState) {
    if (!enabled) return TPB_IMG_DISABLED;
    // Rows: state; columns: previous state 1, 3, any other.
    static const TpButtonImage table[4][3] = {
        {TPB_IMG_HOVER, TPB_IMG_PRESSED, TPB_IMG_HOVER},     // hover
        {TPB_IMG_NORMAL, TPB_IMG_PRESSED, TPB_IMG_NORMAL},   // normal
        {TPB_IMG_NORMAL, TPB_IMG_HOVER, TPB_IMG_HOVER},      // released
        {TPB_IMG_NORMAL, TPB_IMG_PRESSED, TPB_IMG_PRESSED},  // pressed
    };
    if (state < TPB_HOVER || state > TPB_PRESSED) return TPB_IMG_NORMAL;
    int column = prevState == TPB_NORMAL ? 0 : prevState == TPB_PRESSED ? 1 : 2;
    return table[state][column];
}

bool ButtonImageShifted(int state, int prevState) {
    return state == TPB_PRESSED || (state == TPB_NORMAL && prevState == TPB_PRESSED);
}

CTpButton::~CTpButton() {
    Detach();
    FreeBackground();
    if (cursor) DestroyCursor(cursor);
}

void CTpButton::OnAttach() {
    // The button's own drawing goes; the parent hands us WM_DRAWITEM instead.
    LONG style = GetWindowLongW(m_hWnd, GWL_STYLE);
    SendMessageW(m_hWnd, BM_SETSTYLE, (style & 0xFFF4) | BS_OWNERDRAW, TRUE);
}

void CTpButton::OnDetach() { KillTimer(m_hWnd, TPB_TIMER_HOVER); }

int CTpButton::SetImages(CachedImage* disabled, CachedImage* normal, CachedImage* pressed, CachedImage* hover) {
    if (!disabled || !normal || !pressed || !hover) return 0;
    m_img[TPB_IMG_DISABLED] = disabled;
    m_img[TPB_IMG_NORMAL] = normal;
    m_img[TPB_IMG_PRESSED] = pressed;
    m_img[TPB_IMG_HOVER] = hover;
    if (m_hWnd) InvalidateRect(m_hWnd, nullptr, FALSE);
    return 1;
}

void CTpButton::SetCursorResource(UINT cursorId) {
    if (cursor) DestroyCursor(cursor);
    cursor = (HCURSOR)LoadImageW(gFramework.instance, MAKEINTRESOURCEW(cursorId), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE);
}

void CTpButton::FreeBackground() {
    if (!m_background) return;
    SelectObject(m_background, m_backgroundOld);
    DeleteObject(m_backgroundBitmap);
    DeleteDC(m_background);
    m_background = nullptr;
    backgroundTaken = false;
}

void CTpButton::CaptureBackground(HDC source) {
    if (!m_hWnd) return;
    RECT rc;
    GetWindowRect(m_hWnd, &rc);
    MapWindowPoints(nullptr, GetParent(m_hWnd), (POINT*)&rc, 2);
    FreeBackground();
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    m_background = CreateCompatibleDC(source);
    m_backgroundBitmap = CreateCompatibleBitmap(source, w, h);
    m_backgroundOld = SelectObject(m_background, m_backgroundBitmap);
    BitBlt(m_background, 0, 0, w, h, source, rc.left, rc.top, SRCCOPY);
    backgroundTaken = true;
}

CachedImage* CTpButton::CurrentImage() const {
    for (CachedImage* img : m_img)
        if (!img) return nullptr;
    return m_img[ChooseButtonImage(enabled, state, prevState)];
}

void CTpButton::Redraw(HDC target) {
    CachedImage* img = CurrentImage();
    if (!m_hWnd || !img) return;
    RECT client;
    GetClientRect(m_hWnd, &client);
    int w = client.right, h = client.bottom;
    HDC window = target ? target : GetDC(m_hWnd);
    HDC mem = CreateCompatibleDC(window);
    HBITMAP bmp = CreateCompatibleBitmap(window, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    if (m_background)
        BitBlt(mem, 0, 0, w, h, m_background, 0, 0, SRCCOPY);
    else
        FillRect(mem, &client, GetSysColorBrush(COLOR_WINDOW));
    int iw = ImageWidth(img), ih = ImageHeight(img);
    if (img->image && iw > 0) {
        int x = (w - iw) / 2, y = (h - ih) / 2;
        if (ButtonImageShifted(state, prevState)) x++, y++;
        Gdiplus::Graphics g(mem);
        g.DrawImage(img->image, x, y, iw, ih);
    }
    BitBlt(window, 0, 0, w, h, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    if (!target) ReleaseDC(m_hWnd, window);
}

void CTpButton::SetState(int newState) {
    prevState = state;
    state = newState;
    Redraw();
}

void CTpButton::OnHoverTimer() {
    POINT pt;
    RECT rc;
    GetCursorPos(&pt);
    GetWindowRect(m_hWnd, &rc);
    if (PtInRect(&rc, pt) || !hovering || !enabled) return;
    KillTimer(m_hWnd, TPB_TIMER_HOVER);
    hovering = false;
    SetState(TPB_NORMAL);
}

LRESULT CTpButton::OnLButtonUp(UINT msg, WPARAM wParam, LPARAM lParam) {
    SetState(TPB_RELEASED);
    if (prevState != TPB_NORMAL) return Default(msg, wParam, lParam);
    // The mouse left the button while it was held: no click. The parent sees
    // the move instead, marked with MK_CONTROL.
    SendMessageW(GetParent(m_hWnd), WM_MOUSEMOVE, MK_CONTROL, lParam);
    ReleaseCapture();
    return 0;
}

LRESULT CTpButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEMOVE:
        if (!(wParam & MK_LBUTTON) && !hovering && enabled) {
            hovering = true;
            SetState(TPB_HOVER);
            SetTimer(m_hWnd, TPB_TIMER_HOVER, TPB_HOVER_POLL_MS, nullptr);
        }
        break;
    case WM_TIMER:
        if (wParam == TPB_TIMER_HOVER) {
            OnHoverTimer();
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
        SetState(TPB_PRESSED);
        break;
    case WM_LBUTTONDBLCLK:
        // An owner-drawn button would turn a quick second click into a
        // double-click notice and never report the click: press it like the first.
        SetState(TPB_PRESSED);
        return Default(WM_LBUTTONDOWN, wParam, lParam);
    case WM_LBUTTONUP: return OnLButtonUp(msg, wParam, lParam);
    case WM_SETCURSOR:
        if (cursor) {
            SetCursor(cursor);
            return TRUE;
        }
        break;
    }
    return Default(msg, wParam, lParam);
}

bool CTpButton::OnReflect(UINT msg, WPARAM, LPARAM lParam, LRESULT* result) {
    const DRAWITEMSTRUCT* dis = (const DRAWITEMSTRUCT*)lParam;
    enabled = !(dis->itemState & ODS_DISABLED);
    Redraw(dis->hDC);
    *result = TRUE;
    return true;
}
