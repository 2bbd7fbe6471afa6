// Skinned message box: button and icon choice, fonts and colours from the
// string table, painting, answers, swallowed keys and dragging.
#include "installer/nic_msgbox.h"

#include "installer/res/setup_resource.h"
#include "ui/kit/layout.h"
#include "ui/kit/page_kit.h"
#include "ui/kit/res_text.h"

#include <gdiplus.h>
#include <cwchar>
#include <initializer_list>

// Pictures of the box.
enum {
    PNG_MSG_BACKGROUND = 171,
    PNG_ICON_ERROR = 172,
    PNG_ICON_INFO = 173,
    PNG_ICON_WARNING = 174,
    PNG_ICON_NONE = 225,
};

// Each button's pictures in the order disabled, normal, pressed, hover.
static const int kYesPictures[4] = {193, 195, 196, 194};
static const int kOkPictures[4] = {187, 189, 190, 188};
static const int kNoPictures[4] = {198, 200, 197, 199};
static const int kCancelPictures[4] = {176, 178, 179, 177};

static const wchar_t kFace[] = L"微软雅黑";
static const COLORREF kTextColor = RGB(0x33, 0x33, 0x33);

MsgBoxButtons ButtonsForType(UINT type) {
    switch (type & NMB_BUTTONS_MASK) {
    case MB_OKCANCEL: return {false, true, false, true, true, false};
    case MB_YESNO: return {true, false, true, false, false, false};
    default: return {false, true, false, false, false, true};
    }
}

int IconPictureForType(UINT type) {
    switch (type & NMB_ICON_MASK) {
    case MB_ICONERROR: return PNG_ICON_ERROR;
    case MB_ICONWARNING: return PNG_ICON_WARNING;
    case MB_ICONINFORMATION: return PNG_ICON_INFO;
    default: return PNG_ICON_NONE;
    }
}

// A whole decimal number of at most `maxDigits` digits and nothing else; -1 otherwise.
static int ParseSmallNumber(const wchar_t*& p, int maxDigits) {
    int value = 0, digits = 0;
    while (*p >= L'0' && *p <= L'9') {
        if (++digits > maxDigits) return -1;
        value = value * 10 + (*p++ - L'0');
    }
    return digits ? value : -1;
}

int FontPixelHeight(const wchar_t* points) {
    const wchar_t* p = points ? points : L"";
    int value = ParseSmallNumber(p, 3);
    if (*p || value < 1 || value > 100) return 8;
    return value * 96 / 72;
}

COLORREF ParseColorText(const wchar_t* text, COLORREF fallback) {
    const wchar_t* p = text ? text : L"";
    int c[3];
    for (int i = 0; i < 3; i++) {
        c[i] = ParseSmallNumber(p, 3);
        if (c[i] < 0 || c[i] > 255) return fallback;
        if (i < 2 && *p++ != L',') return fallback;
    }
    return *p ? fallback : RGB(c[0], c[1], c[2]);
}

CNicMsgBox::CNicMsgBox() : CDialog(IDD_NIC_MSGBOX) {}

CNicMsgBox::~CNicMsgBox() {
    DestroyWindow();
    if (m_optionBrush) DeleteObject(m_optionBrush);
}

int CNicMsgBox::Show(const wchar_t* text, const wchar_t* caption, UINT type, HWND owner) {
    wcsncpy(m_text, text ? text : L"", ARRAYSIZE(m_text) - 1);
    wcsncpy(m_caption, caption ? caption : L"", ARRAYSIZE(m_caption) - 1);
    m_type = type;
    m_textRect = LoadLayoutRect(IDS_MSG_TEXT_RECT, RECT{84, 75, 84 + 230, 75 + 80});
    if (m_hWnd) {
        SendMessageW(m_hWnd, WM_CLOSE, 0, 0);
        Sleep(100);
    }
    m_result = IDCANCEL;
    DoModal(owner);
    return m_result;
}

void CNicMsgBox::MakeFonts() {
    wchar_t size[16];
    LOGFONTW bold = ScaledPointFont(kFace, 9, true);
    bold.lfHeight = -FontPixelHeight(LoadResText(IDS_MSG_FONT_BOLD, size, ARRAYSIZE(size)));
    bold.lfWeight = FW_BOLD;
    LOGFONTW normal = bold;
    normal.lfHeight = -FontPixelHeight(LoadResText(IDS_MSG_FONT_NORMAL, size, ARRAYSIZE(size)));
    normal.lfWeight = FW_NORMAL;
    // The caption in the bold font above, the message in the normal one below.
    m_captionLabel.SetLabelFont(bold);
    m_textLabel.SetLabelFont(normal);
    m_captionLabel.SetLabelTextColor(kTextColor);
    m_textLabel.SetLabelTextColor(kTextColor);
    m_captionLabel.SetLabelText(m_caption);
    m_textLabel.SetLabelText(m_text);
}

void CNicMsgBox::PlaceControls() {
    static const struct { int id; UINT rect; } places[] = {
        {IDC_MSG_ICON, IDS_MSG_ICON_RECT},           {IDC_MSG_CAPTION, IDS_MSG_CAPTION_RECT},
        {IDC_MSG_RADIO_MIN, IDS_MSG_RADIO_MIN_RECT}, {IDC_MSG_RADIO_CLOSE, IDS_MSG_RADIO_CLOSE_RECT},
        {IDC_MSG_NOASK, IDS_MSG_NOASK_RECT},
    };
    for (const auto& p : places) PlaceControl(m_hWnd, p.id, p.rect);
    m_iconRect = LoadLayoutRect(IDS_MSG_ICON_RECT, RECT{26, 70, 26 + 45, 70 + 40});
    MoveWindow(GetDlgItem(m_hWnd, IDC_MSG_TEXT), m_textRect.left, m_textRect.top, m_textRect.right - m_textRect.left,
               m_textRect.bottom - m_textRect.top, FALSE);
    PlaceSkinnedButton(m_yes, IDS_MSG_LEFT_BUTTON_RECT);
    PlaceSkinnedButton(m_ok, IDS_MSG_LEFT_BUTTON_RECT);
    PlaceSkinnedButton(m_no, IDS_MSG_RIGHT_BUTTON_RECT);
    PlaceSkinnedButton(m_cancel, IDS_MSG_RIGHT_BUTTON_RECT);
}

void CNicMsgBox::CentreOnScreen() {
    int w = ImageWidth(m_background), h = ImageHeight(m_background);
    int x = (GetSystemMetrics(SM_CXFULLSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYFULLSCREEN) - h) / 2;
    MoveWindow(m_hWnd, x, y, w, h, FALSE);
    // One pixel more to the right and at the bottom: the region's far edges are exclusive.
    SetWindowRgn(m_hWnd, CreateRoundRectRgn(0, 0, w + 1, h + 1, 10, 10), FALSE);
}

BOOL CNicMsgBox::OnInitDialog() {
    m_background = LoadImageResource(PNG_MSG_BACKGROUND);
    m_captionLabel.AttachItem(m_hWnd, IDC_MSG_CAPTION);
    m_textLabel.AttachItem(m_hWnd, IDC_MSG_TEXT);
    struct { CTpButton* button; int id; const int* pictures; } buttons[] = {
        {&m_yes, IDC_MSG_YES, kYesPictures},
        {&m_ok, IDC_MSG_OK, kOkPictures},
        {&m_no, IDC_MSG_NO, kNoPictures},
        {&m_cancel, IDC_MSG_CANCEL, kCancelPictures},
    };
    for (auto& b : buttons) {
        b.button->AttachItem(m_hWnd, b.id);
        b.button->SetImages(LoadImageResource(b.pictures[0]), LoadImageResource(b.pictures[1]),
                            LoadImageResource(b.pictures[2]), LoadImageResource(b.pictures[3]));
        b.button->SetCursorResource(IDC_HAND_CURSOR);
    }
    wchar_t colour[32];
    m_optionColor = ParseColorText(LoadResText(IDS_MSG_RADIO_COLOR, colour, ARRAYSIZE(colour)), m_optionColor);
    m_optionBrush = CreateSolidBrush(m_optionColor);
    MakeFonts();
    PlaceControls();
    CentreOnScreen();
    return TRUE;
}

void CNicMsgBox::ShowButtonsForType() {
    m_icon = LoadImageResource(IconPictureForType(m_type));
    MsgBoxButtons shown = ButtonsForType(m_type);
    ShowWindow(m_yes.hwnd(), shown.yes ? SW_SHOW : SW_HIDE);
    ShowWindow(m_ok.hwnd(), shown.ok ? SW_SHOW : SW_HIDE);
    ShowWindow(m_no.hwnd(), shown.no ? SW_SHOW : SW_HIDE);
    ShowWindow(m_cancel.hwnd(), shown.cancel ? SW_SHOW : SW_HIDE);
    if (shown.okAlone) PlaceSkinnedButton(m_ok, IDS_MSG_SINGLE_BUTTON_RECT);
    // The options belong to a box that the installer never shows; they stay hidden.
    for (int id : {IDC_MSG_ICON, IDC_MSG_RADIO_MIN, IDC_MSG_RADIO_CLOSE, IDC_MSG_NOASK})
        ShowWindow(GetDlgItem(m_hWnd, id), SW_HIDE);
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CNicMsgBox::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    int w = ImageWidth(m_background), h = ImageHeight(m_background);
    if (w > 0 && h > 0) {
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP bmp = CreateCompatibleBitmap(dc, w, h);
        HGDIOBJ old = SelectObject(mem, bmp);
        {
            Gdiplus::Graphics g(mem);
            g.DrawImage(m_background->image, 0, 0, w, h);
            if (m_icon && m_icon->image)
                g.DrawImage(m_icon->image, (int)m_iconRect.left, (int)m_iconRect.top, ImageWidth(m_icon),
                            ImageHeight(m_icon));
        }
        BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
        for (CTpButton* b : {&m_yes, &m_ok, &m_no, &m_cancel}) b->CaptureBackground(mem);
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
    }
    EndPaint(m_hWnd, &ps);
    for (CTpButton* b : {&m_yes, &m_ok, &m_no, &m_cancel})
        if (IsWindowVisible(b->hwnd())) InvalidateRect(b->hwnd(), nullptr, FALSE);
}

void CNicMsgBox::Answer(int result) {
    m_result = result;
    EndDialog(result == IDYES || result == IDOK ? IDOK : IDCANCEL);
}

HBRUSH CNicMsgBox::OptionBrush(HWND control) {
    int id = GetDlgCtrlID(control);
    if (id == IDC_MSG_RADIO_MIN || id == IDC_MSG_RADIO_CLOSE || id == IDC_MSG_NOASK) return m_optionBrush;
    return nullptr;
}

BOOL CNicMsgBox::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN) {
        switch (msg->wParam) {
        case VK_RETURN:
        case VK_ESCAPE:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_F1: return TRUE;
        }
    }
    return CDialog::PreTranslateMessage(msg);
}

INT_PTR CNicMsgBox::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    switch (msg) {
    case WM_SHOWWINDOW:
        if (wParam) ShowButtonsForType();
        handled = false;
        return 0;
    case WM_PAINT: Paint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEMOVE: {
        RECT client;
        POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
        GetClientRect(m_hWnd, &client);
        if (PtInRect(&client, pt) && DragTopLevelOnMouseMove(m_hWnd, wParam)) return 0;
        break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (HBRUSH brush = OptionBrush((HWND)lParam)) {
            SetBkColor((HDC)wParam, m_optionColor);
            return (INT_PTR)brush;
        }
        break;
    case WM_CLOSE: Answer(IDCANCEL); return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) break;
        switch (LOWORD(wParam)) {
        case IDC_MSG_YES: Answer(IDYES); return 0;
        case IDC_MSG_OK: Answer(IDOK); return 0;
        case IDC_MSG_NO: Answer(IDNO); return 0;
        case IDC_MSG_CANCEL: Answer(IDCANCEL); return 0;
        // Enter and Escape reach a dialog as IDOK and IDCANCEL: the box stays.
        case IDOK:
        case IDCANCEL: return 0;
        }
        break;
    }
    handled = false;
    return 0;
}

void CNicMsgBox::OnDestroy() {
    m_yes.Detach();
    m_ok.Detach();
    m_no.Detach();
    m_cancel.Detach();
    m_captionLabel.Detach();
    m_textLabel.Detach();
}
