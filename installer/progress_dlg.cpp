// Progress window: the percentage's layout and its drawing over the frame.
#include "installer/progress_dlg.h"

#include <gdiplus.h>
#include <cwchar>

int LayoutPercent(int value, PercentGlyph out[4]) {
    if (value < 0) value = 0;
    if (value > 100) value = 100;
    int n = 0;
    if (value == 100) {
        out[n++] = {1, 62};
        out[n++] = {0, 77};
        out[n++] = {0, 94};
        out[n++] = {PERCENT_SIGN, 114};
    } else if (value >= 10) {
        out[n++] = {value / 10, 72};
        out[n++] = {value % 10, 90};
        out[n++] = {PERCENT_SIGN, 110};
    } else {
        out[n++] = {value, 80};
        out[n++] = {PERCENT_SIGN, 100};
    }
    return n;
}

CPercentShowDlg::CPercentShowDlg(UINT templateId, int stripId, int digitsId, int percentId)
    : CGifShowDlg(templateId, stripId, 0), m_digitsId(digitsId), m_percentId(percentId) {}

BOOL CPercentShowDlg::OnInitDialog() {
    CGifShowDlg::OnInitDialog();
    m_digits = LoadImageResource(m_digitsId);
    m_sign = LoadImageResource(m_percentId);
    return TRUE;
}

void CPercentShowDlg::SetPercent(int value) {
    value = value < 0 ? 0 : value > 100 ? 100 : value;
    if (value == m_percent && m_titled) return;
    m_percent = progress = value;
    // The title says it in words too, for the taskbar and for screen readers.
    if (m_hWnd) {
        wchar_t title[8];
        _snwprintf(title, ARRAYSIZE(title), L"%d%%", value);
        title[ARRAYSIZE(title) - 1] = L'\0';
        SetWindowTextW(m_hWnd, title);
        m_titled = true;
    }
}

void CPercentShowDlg::DrawOverlay(Gdiplus::Graphics& g) {
    PercentGlyph glyphs[4];
    int n = LayoutPercent(m_percent, glyphs);
    Gdiplus::Rect cell(0, PERCENT_GLYPH_TOP, PERCENT_GLYPH_SIZE, PERCENT_GLYPH_SIZE);
    for (int i = 0; i < n; i++) {
        cell.X = glyphs[i].x;
        if (glyphs[i].digit == PERCENT_SIGN) {
            if (m_sign && m_sign->image) g.DrawImage(m_sign->image, cell);
            continue;
        }
        if (!m_digits || !m_digits->image) continue;
        int cellWidth = ImageWidth(m_digits) / 10;
        g.DrawImage(m_digits->image, cell, glyphs[i].digit * cellWidth, 0, cellWidth, ImageHeight(m_digits),
                    Gdiplus::UnitPixel);
    }
}
