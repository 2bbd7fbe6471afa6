// CTpStatic: a label with its own font and colours, drawn straight over the
// parent's painted background (transparent, the default) or over a solid or
// gradient fill, with optional flashing, web or mail links, 3D and rotated text.
#pragma once
#include "ui/kit/kit_ctrl.h"

#define TPS_TIMER_FLASH 1
#define TPS_FLASH_MS 500
#define TPS_NOTIFY_LINK_CLICK 0x8200  // WM_NOTIFY code sent to the parent when a link is clicked

enum TpLinkKind { TPS_LINK_NONE, TPS_LINK_WEB, TPS_LINK_MAIL };
enum TpFlashKind { TPS_FLASH_NONE, TPS_FLASH_TEXT, TPS_FLASH_BACKGROUND };

// Colour of band `band` of `bands` in a left-to-right gradient from `low`,
// stepped in 8.8 fixed point per channel towards `high`.
COLORREF GradientBandColor(COLORREF low, COLORREF high, int band, int bands);
// LOGFONT height of a font of `points` that keeps its pixel size whatever the
// screen's resolution: tenths of a point = points * 960 / LOGPIXELSX, made a
// height as a point font with no device context would be.
LONG PointFontHeight(int points);
// DrawText format for a static control's style and text.
UINT LabelTextFormat(LONG style, const wchar_t* text);

class CTpStatic : public CKitCtrl {
public:
    CTpStatic();
    ~CTpStatic() override;

    void SetLabelFont(const LOGFONTW& font);
    void SetLabelTextColor(COLORREF color);
    void SetLabelText(const wchar_t* text);
    void SetFontBold(bool bold);
    void SetFontName(const wchar_t* face, BYTE charset = DEFAULT_CHARSET);
    void SetFontUnderline(bool on);
    void SetFontItalic(bool on);
    void SetFontSize(int points);
    void SetSunken(bool on);
    void SetBorder(bool on);
    void SetTransparent(bool on);
    void SetLabelBkColor(COLORREF low, COLORREF high = 0, bool gradient = false);
    void FlashText(bool on);
    void FlashBackground(bool on);
    void SetLink(bool on, bool notify);
    void SetMailLink(bool on, bool notify);
    void SetLinkUrl(const wchar_t* url);
    void SetLinkCursor(UINT cursorId);
    void SetLinkCursorHandle(HCURSOR cursor);
    void SetText3D(bool on, bool down = false);
    void SetText3DHiliteColor(COLORREF color);
    void SetRotationAngle(int degrees, bool rotate);
    COLORREF GetLabelTextColor() const { return textColor; }
    const LOGFONTW& labelFont() const { return logFont; }

    COLORREF textColor;
    COLORREF hiliteColor = RGB(255, 255, 255);
    LOGFONTW logFont = {};
    bool flashOn = false;
    bool flashing = false;
    int linkKind = TPS_LINK_NONE;
    bool transparent = true;
    bool text3D = false;
    bool text3DDown = false;
    bool linkNotify = false;
    bool rotated = false;
    HCURSOR linkCursor = nullptr;
    int flashKind = TPS_FLASH_NONE;
    bool gradient = false;
    COLORREF gradientHigh = 0, gradientLow = 0;
    wchar_t linkUrl[MAX_PATH] = L"";

protected:
    void OnAttach() override;
    void OnDetach() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void RebuildFont();
    void RedrawThroughParent();
    void SetStyleBit(int index, LONG bit, bool on);
    void StartFlash(bool on, int kind);
    void Paint(HDC dc);
    void FillBackground(HDC dc, const RECT& rc);
    void DrawLabelText(HDC dc, const RECT& rc, const wchar_t* text);
    void OpenLink();

    HBRUSH m_faceBrush = nullptr;
    HBRUSH m_bkBrush = nullptr;
    COLORREF m_bkColor = 0;  // colour of m_bkBrush
    HFONT m_font = nullptr;
};
