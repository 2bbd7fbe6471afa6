// Animated picture window: placement, per-pixel alpha frames pushed with
// UpdateLayeredWindow, the frame timer, dragging and the swallowed keys.
#include "ui/kit/gif_show_dlg.h"

#include "ui/kit/page_kit.h"

#include <gdiplus.h>

CGifShowDlg::CGifShowDlg(UINT templateId, int stripId, int captionId)
    : CDialog(templateId), m_stripId(stripId), m_captionId(captionId) {}

CGifShowDlg::~CGifShowDlg() { DestroyWindow(); }

BOOL CGifShowDlg::OnInitDialog() {
    SetWindowLongW(m_hWnd, GWL_EXSTYLE, WS_EX_LAYERED);
    if (m_captionId) caption = LoadImageResource(m_captionId);
    return TRUE;
}

int CGifShowDlg::LoadStrip() {
    ready = false;
    strip = LoadImageResource(m_stripId);
    if (!strip || ImageWidth(strip) <= 0) return 0;
    frameCount = GIF_FRAME_COUNT;
    frameWidth = ImageWidth(strip) / frameCount;
    frameHeight = ImageHeight(strip);
    PlaceWindow();
    return 1;
}

POINT CGifShowDlg::CentreOn(const RECT& over, const RECT& workArea, int w, int h) {
    const RECT& r = (over.right > over.left && over.bottom > over.top) ? over : workArea;
    return POINT{(r.right - r.left) / 2 + r.left - w / 2, (r.bottom - r.top) / 2 + r.top - h / 2};
}

void CGifShowDlg::PlaceWindow() {
    frameIndex = 0;
    RECT over = {}, work = {};
    if (placeOver) GetWindowRect(placeOver, &over);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    POINT at = CentreOn(over, work, frameWidth, frameHeight);
    SetWindowPos(m_hWnd, HWND_TOPMOST, at.x, at.y, frameWidth, frameHeight, SWP_SHOWWINDOW);
    GetWindowRect(m_hWnd, &windowRect);
    stripWidth = ImageWidth(strip);
    stripHeight = ImageHeight(strip);
    ready = true;
}

void CGifShowDlg::DrawOverlay(Gdiplus::Graphics& g) {
    if (caption && caption->image)
        g.DrawImage(caption->image, GIF_CAPTION_X, GIF_CAPTION_Y, GIF_CAPTION_W, GIF_CAPTION_H);
}

// One frame into a 32-bit premultiplied bitmap, handed to the window whole:
// the alpha of the pictures shapes the window.
void CGifShowDlg::PaintFrame() {
    RECT client;
    GetClientRect(m_hWnd, &client);
    int w = client.right, h = client.bottom;
    if (w <= 0 || h <= 0) return;
    HDC window = GetDC(m_hWnd);
    HDC mem = CreateCompatibleDC(window);
    void* bits = nullptr;
    HBITMAP bmp = CreateAlphaSurface(window, w, h, &bits);
    if (bmp) {
        HGDIOBJ old = SelectObject(mem, bmp);
        {
            Gdiplus::Bitmap canvas(w, h, w * 4, PixelFormat32bppPARGB, (BYTE*)bits);
            Gdiplus::Graphics g(&canvas);
            int sx = (int)(stripWidth / frameCount * frameIndex);
            if (strip && strip->image)
                g.DrawImage(strip->image, Gdiplus::Rect(0, 0, frameWidth, frameHeight), sx, 0, frameWidth, frameHeight,
                            Gdiplus::UnitPixel);
            DrawOverlay(g);
        }
        SetTimer(m_hWnd, GIF_TIMER_FRAME, frameDelay, nullptr);
        POINT src = {0, 0};
        SIZE size = {w, h};
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        UpdateLayeredWindow(m_hWnd, window, nullptr, &size, mem, &src, 0, &blend, ULW_ALPHA);
        SelectObject(mem, old);
        DeleteObject(bmp);
    }
    DeleteDC(mem);
    ReleaseDC(m_hWnd, window);
}

void CGifShowDlg::NextFrame() {
    KillTimer(m_hWnd, GIF_TIMER_FRAME);
    SetTimer(m_hWnd, GIF_TIMER_FRAME, frameDelay, nullptr);
    frameIndex = frameCount > 0 ? (frameIndex + 1) % frameCount : 0;
    InvalidateRect(m_hWnd, nullptr, TRUE);
    UpdateWindow(m_hWnd);
}

BOOL CGifShowDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE || msg->wParam == VK_F1))
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

INT_PTR CGifShowDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(m_hWnd, &ps);
        EndPaint(m_hWnd, &ps);
        if (ready) PaintFrame();
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_TIMER:
        if (wParam != GIF_TIMER_FRAME) break;
        NextFrame();
        return 0;
    case WM_LBUTTONDOWN: {
        DWORD pos = GetMessagePos();
        PostMessageW(m_hWnd, WM_NCLBUTTONDOWN, HTCAPTION, (LPARAM)pos);
        return 0;
    }
    case WM_COMMAND:
        // Enter and Escape reach a dialog as IDOK and IDCANCEL: it stays open.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) return 0;
        break;
    }
    handled = false;
    return 0;
}
