// Skinned label: font and colour operations, painting, flashing and links.
// Every change redraws the label and then the parent beneath it, so a
// transparent label always sits on freshly painted background.
#include "ui/kit/tp_static.h"

#include "ui/kit/framework.h"

#include <shellapi.h>
#include <cwchar>

static const int kMaxGradientBands = 100;

COLORREF GradientBandColor(COLORREF low, COLORREF high, int band, int bands) {
    if (bands < 1) bands = 1;
    // 8.8 fixed point: start and step per channel.
    int r = GetRValue(low) * 256, g = GetGValue(low) * 256, b = GetBValue(low) * 256;
    int dr = ((GetRValue(high) - GetRValue(low)) * 256) / bands;
    int dg = ((GetGValue(high) - GetGValue(low)) * 256) / bands;
    int db = ((GetBValue(high) - GetBValue(low)) * 256) / bands;
    return RGB((r + dr * band) >> 8, (g + dg * band) >> 8, (b + db * band) >> 8);
}

UINT LabelTextFormat(LONG style, const wchar_t* text) {
    UINT format;
    switch (style & SS_TYPEMASK) {
    case SS_CENTER: format = DT_CENTER | DT_WORDBREAK; break;
    case SS_RIGHT: format = DT_RIGHT | DT_WORDBREAK; break;
    case SS_LEFTNOWORDWRAP: format = 0; break;
    default: format = DT_WORDBREAK; break;
    }
    if (wcschr(text, L'\t')) format |= DT_EXPANDTABS;
    if (style & SS_CENTERIMAGE) format = wcsstr(text, L"\r\n") ? DT_CENTER : DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
    return format;
}

CTpStatic::CTpStatic() {
    textColor = GetSysColor(COLOR_WINDOWTEXT);
    m_faceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
}

CTpStatic::~CTpStatic() {
    Detach();
    if (m_faceBrush) DeleteObject(m_faceBrush);
    if (m_bkBrush) DeleteObject(m_bkBrush);
    if (m_font) DeleteObject(m_font);
    if (linkCursor) DestroyCursor(linkCursor);
}

void CTpStatic::OnAttach() {
    HFONT font = (HFONT)SendMessageW(m_hWnd, WM_GETFONT, 0, 0);
    if (!font) font = (HFONT)GetStockObject(SYSTEM_FONT);
    GetObjectW(font, sizeof(logFont), &logFont);
    RebuildFont();
}

void CTpStatic::OnDetach() { KillTimer(m_hWnd, TPS_TIMER_FLASH); }

void CTpStatic::RebuildFont() {
    if (m_font) DeleteObject(m_font);
    m_font = CreateFontIndirectW(&logFont);
}

void CTpStatic::RedrawThroughParent() {
    if (!m_hWnd) return;
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HWND parent = GetParent(m_hWnd);
    if (!parent) return;
    RECT rc;
    GetWindowRect(m_hWnd, &rc);
    MapWindowPoints(nullptr, parent, (POINT*)&rc, 2);
    InvalidateRect(parent, &rc, TRUE);
    UpdateWindow(parent);
}

void CTpStatic::SetLabelFont(const LOGFONTW& font) {
    logFont = font;
    RebuildFont();
    RedrawThroughParent();
}

void CTpStatic::SetLabelTextColor(COLORREF color) {
    textColor = color;
    RedrawThroughParent();
}

void CTpStatic::SetLabelText(const wchar_t* text) {
    if (!m_hWnd) return;
    SetWindowTextW(m_hWnd, text ? text : L"");
    RedrawThroughParent();
}

void CTpStatic::SetFontBold(bool bold) {
    logFont.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    RebuildFont();
    RedrawThroughParent();
}

void CTpStatic::SetFontName(const wchar_t* face, BYTE charset) {
    wcsncpy(logFont.lfFaceName, face ? face : L"", ARRAYSIZE(logFont.lfFaceName) - 1);
    logFont.lfFaceName[ARRAYSIZE(logFont.lfFaceName) - 1] = L'\0';
    logFont.lfCharSet = charset;
    RebuildFont();
    RedrawThroughParent();
}

void CTpStatic::SetFontUnderline(bool on) {
    logFont.lfUnderline = on;
    RebuildFont();
    RedrawThroughParent();
}

void CTpStatic::SetFontItalic(bool on) {
    logFont.lfItalic = on;
    RebuildFont();
    RedrawThroughParent();
}

LONG PointFontHeight(int points) {
    HDC screen = GetDC(nullptr);
    int tenths = points * 960 / GetDeviceCaps(screen, LOGPIXELSX);
    LONG height = -MulDiv(tenths, GetDeviceCaps(screen, LOGPIXELSY), 720);
    ReleaseDC(nullptr, screen);
    return height;
}

void CTpStatic::SetFontSize(int points) {
    logFont.lfHeight = PointFontHeight(points);
    logFont.lfWidth = 0;
    RebuildFont();
    RedrawThroughParent();
}

void CTpStatic::SetStyleBit(int index, LONG bit, bool on) {
    if (!m_hWnd) return;
    LONG style = GetWindowLongW(m_hWnd, index);
    SetWindowLongW(m_hWnd, index, on ? style | bit : style & ~bit);
    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void CTpStatic::SetSunken(bool on) {
    SetStyleBit(GWL_EXSTYLE, WS_EX_STATICEDGE, on);
    RedrawThroughParent();
}

void CTpStatic::SetBorder(bool on) {
    SetStyleBit(GWL_STYLE, WS_BORDER, on);
    RedrawThroughParent();
}

void CTpStatic::SetTransparent(bool on) {
    transparent = on;
    SetStyleBit(GWL_EXSTYLE, WS_EX_TRANSPARENT, true);
    RedrawThroughParent();
}

void CTpStatic::SetLabelBkColor(COLORREF low, COLORREF high, bool useGradient) {
    gradientLow = low;
    gradientHigh = high;
    gradient = useGradient;
    if (!useGradient) {
        if (m_bkBrush) DeleteObject(m_bkBrush);
        m_bkBrush = CreateSolidBrush(low);
        m_bkColor = low;
    }
    RedrawThroughParent();
}

void CTpStatic::StartFlash(bool on, int kind) {
    if (m_hWnd && flashing) KillTimer(m_hWnd, TPS_TIMER_FLASH);
    flashing = false;
    if (on) {
        flashOn = false;
        flashKind = kind;
        flashing = m_hWnd && SetTimer(m_hWnd, TPS_TIMER_FLASH, TPS_FLASH_MS, nullptr);
    }
    RedrawThroughParent();
}

void CTpStatic::FlashText(bool on) {
    if (!on) flashKind = TPS_FLASH_NONE;
    StartFlash(on, TPS_FLASH_TEXT);
}

void CTpStatic::FlashBackground(bool on) { StartFlash(on, TPS_FLASH_BACKGROUND); }

void CTpStatic::SetLink(bool on, bool notify) {
    linkKind = on ? TPS_LINK_WEB : TPS_LINK_NONE;
    linkNotify = notify;
    SetStyleBit(GWL_STYLE, SS_NOTIFY, on);
}

void CTpStatic::SetMailLink(bool on, bool notify) {
    linkKind = on ? TPS_LINK_MAIL : TPS_LINK_NONE;
    linkNotify = notify;
    SetStyleBit(GWL_STYLE, SS_NOTIFY, on);
}

void CTpStatic::SetLinkUrl(const wchar_t* url) {
    wcsncpy(linkUrl, url ? url : L"", ARRAYSIZE(linkUrl) - 1);
    linkUrl[ARRAYSIZE(linkUrl) - 1] = L'\0';
}

void CTpStatic::SetLinkCursor(UINT cursorId) {
    SetLinkCursorHandle((HCURSOR)LoadImageW(gFramework.instance, MAKEINTRESOURCEW(cursorId), IMAGE_CURSOR, 0, 0,
                                            LR_DEFAULTSIZE));
}

void CTpStatic::SetLinkCursorHandle(HCURSOR cursor) {
    if (linkCursor && linkCursor != cursor) DestroyCursor(linkCursor);
    linkCursor = cursor;
}

void CTpStatic::SetText3D(bool on, bool down) {
    text3D = on;
    text3DDown = down;
    RedrawThroughParent();
}

void CTpStatic::SetText3DHiliteColor(COLORREF color) {
    hiliteColor = color;
    RedrawThroughParent();
}

void CTpStatic::SetRotationAngle(int degrees, bool rotate) {
    logFont.lfEscapement = logFont.lfOrientation = degrees * 10;
    rotated = rotate;
    RebuildFont();
    RedrawThroughParent();
}

// ---- painting -------------------------------------------------------------

void CTpStatic::FillBackground(HDC dc, const RECT& rc) {
    if (gradient) {
        int width = rc.right - rc.left;
        int bands = width < kMaxGradientBands ? width : kMaxGradientBands;
        if (bands < 1) bands = 1;
        int step = width / bands;
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
        for (int i = 0; i < bands; i++) {
            HBRUSH band = CreateSolidBrush(GradientBandColor(gradientLow, gradientHigh, i, bands));
            HGDIOBJ oldBrush = SelectObject(dc, band);
            int right = i == bands - 1 ? rc.right : rc.left + (i + 1) * step;
            // The null pen leaves the bottom and right edges out: one more pixel each.
            Rectangle(dc, rc.left + i * step, rc.top, right + 1, rc.bottom + 1);
            SelectObject(dc, oldBrush);
            DeleteObject(band);
        }
        SelectObject(dc, oldPen);
        return;
    }
    bool flashedOff = flashKind == TPS_FLASH_BACKGROUND && !flashOn;
    FillRect(dc, &rc, m_bkBrush && !flashedOff ? m_bkBrush : m_faceBrush);
}

void CTpStatic::DrawLabelText(HDC dc, const RECT& rc, const wchar_t* text) {
    COLORREF color = textColor;
    if (flashKind == TPS_FLASH_TEXT && !flashOn) color = m_bkBrush ? m_bkColor : RGB(0, 0, 0);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    HGDIOBJ oldFont = SelectObject(dc, m_font);
    if (rotated) {
        UINT oldAlign = SetTextAlign(dc, TA_CENTER | TA_BASELINE);
        POINT oldOrigin;
        SetViewportOrgEx(dc, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2, &oldOrigin);
        TextOutW(dc, 0, 0, text, (int)wcslen(text));
        SetViewportOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
        SetTextAlign(dc, oldAlign);
    } else {
        UINT format = LabelTextFormat(GetWindowLongW(m_hWnd, GWL_STYLE), text);
        RECT box = rc;
        DrawTextW(dc, text, -1, &box, format);
        if (text3D) {
            SetTextColor(dc, hiliteColor);
            OffsetRect(&box, text3DDown ? 1 : -1, text3DDown ? 1 : -1);
            DrawTextW(dc, text, -1, &box, format);
        }
    }
    SelectObject(dc, oldFont);
}

void CTpStatic::Paint(HDC dc) {
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    int length = GetWindowTextLengthW(m_hWnd);
    wchar_t shortText[256];
    wchar_t* text = length < (int)ARRAYSIZE(shortText) ? shortText : new wchar_t[length + 1];
    GetWindowTextW(m_hWnd, text, length + 1);
    if (transparent) {
        DrawLabelText(dc, rc, text);
    } else {
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP bmp = CreateCompatibleBitmap(dc, rc.right, rc.bottom);
        HGDIOBJ old = SelectObject(mem, bmp);
        FillBackground(mem, rc);
        DrawLabelText(mem, rc, text);
        BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
    }
    if (text != shortText) delete[] text;
}

void CTpStatic::OpenLink() {
    wchar_t text[MAX_PATH] = L"";
    GetWindowTextW(m_hWnd, text, ARRAYSIZE(text));
    if (linkKind == TPS_LINK_WEB) {
        ShellExecuteW(nullptr, L"open", linkUrl[0] ? linkUrl : text, nullptr, nullptr, SW_SHOWNORMAL);
    } else if (linkKind == TPS_LINK_MAIL) {
        wchar_t mail[MAX_PATH + 8];
        _snwprintf(mail, ARRAYSIZE(mail), L"mailto:%s", text);
        mail[ARRAYSIZE(mail) - 1] = L'\0';
        ShellExecuteW(nullptr, nullptr, mail, nullptr, nullptr, SW_SHOWNORMAL);
    }
}

LRESULT CTpStatic::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        Paint(dc);
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_SYSCOLORCHANGE:
        if (m_faceBrush) DeleteObject(m_faceBrush);
        m_faceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
        break;
    case WM_TIMER:
        if (wParam == TPS_TIMER_FLASH) {
            flashOn = !flashOn;
            RedrawThroughParent();
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
        if (linkKind == TPS_LINK_NONE) break;
        if (linkNotify) {
            NMHDR nm = {m_hWnd, (UINT_PTR)GetDlgCtrlID(m_hWnd), TPS_NOTIFY_LINK_CLICK};
            SendMessageW(GetParent(m_hWnd), WM_NOTIFY, nm.idFrom, (LPARAM)&nm);
        } else {
            OpenLink();
        }
        return 0;
    case WM_SETCURSOR:
        if (linkCursor) {
            SetCursor(linkCursor);
            return TRUE;
        }
        break;
    }
    return Default(msg, wParam, lParam);
}
