// CNicMsgBox: the installer's skinned message box. Its picture carries the
// title and the question; it answers Yes, OK, No or Cancel by its picture
// buttons only, never by the keyboard, and can be dragged by any point.
#pragma once
#include "ui/kit/framework.h"
#include "ui/kit/image_cache.h"
#include "ui/kit/tp_button.h"
#include "ui/kit/tp_static.h"

// Button codes (low four bits of the type) and icon codes (the next four),
// as MessageBoxW has them.
#define NMB_BUTTONS_MASK 0x0F
#define NMB_ICON_MASK 0xF0

// Which of the four buttons a button code shows, and whether the radio pair
// and the check box show. Codes other than MB_OK, MB_OKCANCEL and MB_YESNO
// show the OK button alone, so that the box can always be answered.
struct MsgBoxButtons {
    bool yes, ok, no, cancel, options;
    bool okAlone;  // OK at the single-button place
};
MsgBoxButtons ButtonsForType(UINT type);
// The icon picture for the type's icon code (the blank picture for none).
int IconPictureForType(UINT type);
// A point size string as a pixel height (points x 96 / 72); 8 unless the
// text is a whole number from 1 to 100.
int FontPixelHeight(const wchar_t* points);
// "r,g,b" as a colour; `fallback` unless three numbers of 0..255.
COLORREF ParseColorText(const wchar_t* text, COLORREF fallback);

class CNicMsgBox : public CDialog {
public:
    CNicMsgBox();
    ~CNicMsgBox() override;
    // Runs the box over `owner` (may be null) and returns IDOK, IDCANCEL,
    // IDYES or IDNO.
    int Show(const wchar_t* text, const wchar_t* caption, UINT type, HWND owner = nullptr);
    int result() const { return m_result; }

protected:
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnDestroy() override;

private:
    void MakeFonts();
    void PlaceControls();
    void CentreOnScreen();
    void ShowButtonsForType();
    void Paint();
    void Answer(int result);
    HBRUSH OptionBrush(HWND control);

    wchar_t m_text[256] = L"";
    wchar_t m_caption[128] = L"";
    UINT m_type = 0;
    int m_result = IDCANCEL;
    RECT m_textRect = {};
    CachedImage* m_background = nullptr;
    CachedImage* m_icon = nullptr;
    RECT m_iconRect = {};
    CTpStatic m_captionLabel, m_textLabel;
    CTpButton m_yes, m_ok, m_no, m_cancel;
    COLORREF m_optionColor = RGB(249, 251, 252);
    HBRUSH m_optionBrush = nullptr;
};
