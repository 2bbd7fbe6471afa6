// Picture button drawing into its layered parent's composed picture.
#include "installer/tp_button_ex.h"

#include <gdiplus.h>

CTpButtonEx::~CTpButtonEx() { delete m_under; }

RECT CTpButtonEx::PlaceInParent() const {
    RECT rc = {};
    if (!m_hWnd) return rc;
    GetWindowRect(m_hWnd, &rc);
    MapWindowPoints(nullptr, GetParent(m_hWnd), (POINT*)&rc, 2);
    return rc;
}

void CTpButtonEx::CaptureSurface(Gdiplus::Bitmap* surface) {
    m_surface = surface;
    delete m_under;
    m_under = nullptr;
    if (!surface || !m_hWnd) return;
    RECT rc = PlaceInParent();
    m_under = surface->Clone(Gdiplus::Rect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top),
                             PixelFormat32bppPARGB);
    backgroundTaken = m_under != nullptr;
    Redraw();
}

void CTpButtonEx::Redraw(HDC) {
    CachedImage* img = CurrentImage();
    if (!m_hWnd || !m_surface || !m_under || !img) return;
    RECT rc = PlaceInParent();
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    Gdiplus::Graphics g(m_surface);
    // The picture under the button goes back first, alpha and all, so that a
    // state drawn before leaves nothing behind.
    g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    g.DrawImage(m_under, rc.left, rc.top, w, h);
    g.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
    int iw = ImageWidth(img), ih = ImageHeight(img);
    if (!img->image || iw <= 0) return;
    int x = rc.left + (w - iw) / 2, y = rc.top + (h - ih) / 2;
    if (ButtonImageShifted(state, prevState)) x++, y++;
    g.DrawImage(img->image, x, y, iw, ih);
}
