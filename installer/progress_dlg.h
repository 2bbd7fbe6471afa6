// CPercentShowDlg: the installer's progress window, the kit's animated
// picture window with the percentage drawn over each frame from a strip of
// the ten digits and a percent-sign picture.
#pragma once
#include "ui/kit/gif_show_dlg.h"

#define PERCENT_GLYPH_SIZE 25  // every glyph is drawn into a square cell of this side
#define PERCENT_GLYPH_TOP 45
#define PERCENT_SIGN -1        // the glyph that is the percent sign, not a digit

// One glyph of the percentage: a digit 0..9 or PERCENT_SIGN, and where its
// cell's left edge goes in the frame.
struct PercentGlyph {
    int digit;
    int x;
};

// Splits `value` (clamped to 0..100 first) into its glyphs, left to right,
// at their places in the frame; returns how many (2 to 4).
int LayoutPercent(int value, PercentGlyph out[4]);

class CPercentShowDlg : public CGifShowDlg {
public:
    CPercentShowDlg(UINT templateId, int stripId, int digitsId, int percentId);
    // Shows `value` (clamped to 0..100) from the next frame on; the window's
    // title becomes "<value>%".
    void SetPercent(int value);
    int percent() const { return m_percent; }

protected:
    BOOL OnInitDialog() override;
    void DrawOverlay(Gdiplus::Graphics& g) override;

private:
    int m_digitsId, m_percentId;
    CachedImage* m_digits = nullptr;
    CachedImage* m_sign = nullptr;
    int m_percent = 0;
    bool m_titled = false;
};
