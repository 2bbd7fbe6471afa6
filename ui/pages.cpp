// The tips page and the two easy-connection guides: their pictures, skinned
// buttons and labels, the painting they share, back to the hotspot panel,
// close (hide the main window), dragging, and the keys they swallow.
#include "ui/pages.h"

#include "app/messages.h"
#include "app/settings.h"
#include "res/q8_resource.h"
#include "ui/kit/page_kit.h"
#include "ui/kit/res_text.h"

// Controls of the page templates.
static const int kTipsClose = 1029;
static const int kGuideBack = 1018;
static const int kGuideClose = 1031;
static const int kLabelNameA = 1021;
static const int kLabelNameB = 1006;
static const int kLabelNameC = 1007;  // in the phone's highlighted row
static const int kLabelKeyA = 1019;
static const int kLabelKeyB = 1020;

// Layout strings (x,y,w,h).
static const UINT kTipsCloseRect = 1006;
static const UINT kGuideBackFirstRect = 1005;
static const UINT kGuideCloseRect = 1007;
static const UINT kGuideNameARect = 1051;
static const UINT kGuideNameBRect = 1052;
static const UINT kGuideNameCRect = 1053;
static const UINT kGuideKeyARect = 1054;
static const UINT kGuideKeyBRect = 1055;
static const UINT kGuideBackRect = 1056;
static const UINT kOpenNameARect = 1061;
static const UINT kOpenNameBRect = 1062;
static const UINT kOpenBackRect = 1063;
static const UINT kOpenCloseRect = 1064;

// Labels show these until the first refresh: obviously sample values.
static const UINT kSampleName = IDS_GUIDE_SAMPLE_NAME;
static const UINT kSampleKey = IDS_GUIDE_SAMPLE_KEY;

static const wchar_t kLabelFace[] = L"微软雅黑";
static const int kLabelPoints = 9;
static const COLORREF kLabelColor = RGB(97, 98, 101);
// The name drawn inside the phone's dark highlighted row.
static const int kHighlightPoints = 10;
static const COLORREF kHighlightColor = RGB(240, 240, 240);

// The panel the back link returns to.
static const WPARAM kPanelPage = 2;

struct LabelSpec {
    int id;
    UINT rectId;
    int points;
    COLORREF color;
    UINT sample;  // string id
};

static const LabelSpec kGuideLabels[] = {
    {kLabelNameA, kGuideNameARect, kLabelPoints, kLabelColor, kSampleName},
    {kLabelNameB, kGuideNameBRect, kLabelPoints, kLabelColor, kSampleName},
    {kLabelNameC, kGuideNameCRect, kHighlightPoints, kHighlightColor, kSampleName},
    {kLabelKeyA, kGuideKeyARect, kLabelPoints, kLabelColor, kSampleKey},
    {kLabelKeyB, kGuideKeyBRect, kLabelPoints, kLabelColor, kSampleKey},
};

static const LabelSpec kOpenLabels[] = {
    {kLabelNameA, kOpenNameARect, kLabelPoints, kLabelColor, kSampleName},
    {kLabelNameB, kOpenNameBRect, kLabelPoints, kLabelColor, kSampleName},
};

// ---- what the three pages share -------------------------------------------

static void LoadPageLook(PageLook& look, int pictureId) {
    look.picture = LoadImageResource(pictureId);
    look.size.cx = ImageWidth(look.picture);
    look.size.cy = ImageHeight(look.picture);
}

static void AddPageButton(PageLook& look, CTpButton& button) {
    if (look.buttonCount < (int)ARRAYSIZE(look.buttons)) look.buttons[look.buttonCount++] = &button;
}

static void SetUpCloseButton(HWND page, PageLook& look, CTpButton& button, int id, UINT firstRect) {
    button.AttachItem(page, id);
    SkinButton(button, IDP_CLOSE_HOVER, IDP_CLOSE_NORMAL, IDP_CLOSE_PRESSED, IDP_CLOSE_HOVER, IDC_HAND_CURSOR);
    PlaceSkinnedButton(button, firstRect);
    AddPageButton(look, button);
}

static void SetUpBackButton(HWND page, PageLook& look, CTpButton& button, UINT firstRect) {
    button.AttachItem(page, kGuideBack);
    SkinButton(button, IDP_BACK, IDP_BACK, IDP_BACK, IDP_BACK, IDC_HAND_CURSOR);
    PlaceSkinnedButton(button, firstRect);
    AddPageButton(look, button);
}

static void SetUpLabel(HWND page, CTpStatic& label, const LabelSpec& spec) {
    label.AttachItem(page, spec.id);
    label.SetLabelFont(ScaledPointFont(kLabelFace, spec.points, true));
    label.SetLabelTextColor(spec.color);
    wchar_t sample[64];
    label.SetLabelText(LoadResText(spec.sample, sample, ARRAYSIZE(sample)));
}

// The labels and buttons at exactly their layout strings' x,y,w,h.
static void PlaceGuideControls(HWND page, const LabelSpec* labels, int count, UINT backRect, UINT closeRect) {
    for (int i = 0; i < count; i++) PlaceControl(page, labels[i].id, labels[i].rectId);
    PlaceControl(page, kGuideBack, backRect);
    PlaceControl(page, kGuideClose, closeRect);
}

// Enter and Escape would end a dialog and F1 asks for help: a page must
// never go away or react by keyboard.
static bool IsSwallowedKey(const MSG* msg) {
    return msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE || msg->wParam == VK_F1);
}

static void OnPageCommand(HWND page, int closeId, WPARAM wParam) {
    if (HIWORD(wParam) != BN_CLICKED) return;
    int id = LOWORD(wParam);
    if (id == kGuideBack)
        SendMessageW(GetParent(page), WM_SHOW_PAGE, kPanelPage, 0);
    else if (id == closeId)
        ShowWindow(GetAncestor(page, GA_ROOT), SW_HIDE);  // the program stays in the tray
}

// The message handling all three pages have in common.
static INT_PTR OnPageMessage(HWND page, PageLook& look, int closeId, UINT msg, WPARAM wParam, bool& handled) {
    switch (msg) {
    case WM_PAINT:
        PaintSkinnedPage(page, look.picture, look.size, look.buttons, look.buttonCount);
        handled = true;
        return 0;
    case WM_ERASEBKGND:  // the picture covers the page; erasing would only flicker
        handled = true;
        return 1;
    case WM_COMMAND:
        OnPageCommand(page, closeId, wParam);
        handled = true;
        return 0;
    case WM_MOUSEMOVE:
        handled = DragTopLevelOnMouseMove(page, wParam);
        return 0;
    }
    return 0;
}

static void ShowHotspotName(CTpStatic* labels, int count) {
    for (int i = 0; i < count; i++) labels[i].SetLabelText(gSoftApInfo.ssid);
}

// ---- CTips ------------------------------------------------------------------

CTips::CTips() : CDialog(IDD_TIPS) {}

BOOL CTips::OnInitDialog() {
    LoadPageLook(m_look, IDP_TIPS_BG);
    // Keeps the button rule's size: nothing moves it afterwards.
    SetUpCloseButton(m_hWnd, m_look, m_close, kTipsClose, kTipsCloseRect);
    return TRUE;
}

BOOL CTips::PreTranslateMessage(MSG* msg) { return IsSwallowedKey(msg) || CDialog::PreTranslateMessage(msg); }

INT_PTR CTips::OnMessage(UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    return OnPageMessage(m_hWnd, m_look, kTipsClose, msg, wParam, handled);
}

// ---- CGuide -----------------------------------------------------------------

CGuide::CGuide() : CDialog(IDD_GUIDE) {}

BOOL CGuide::OnInitDialog() {
    LoadPageLook(m_look, IDP_GUIDE_BG);
    SetUpBackButton(m_hWnd, m_look, m_back, kGuideBackFirstRect);
    SetUpCloseButton(m_hWnd, m_look, m_close, kGuideClose, kGuideCloseRect);
    CTpStatic* labels[] = {&m_names[0], &m_names[1], &m_names[2], &m_keys[0], &m_keys[1]};
    static_assert(ARRAYSIZE(labels) == ARRAYSIZE(kGuideLabels), "one label object per label");
    for (int i = 0; i < (int)ARRAYSIZE(kGuideLabels); i++) SetUpLabel(m_hWnd, *labels[i], kGuideLabels[i]);
    PlaceGuideControls(m_hWnd, kGuideLabels, ARRAYSIZE(kGuideLabels), kGuideBackRect, kGuideCloseRect);
    return TRUE;
}

void CGuide::RefreshGuide() {
    ShowHotspotName(m_names, ARRAYSIZE(m_names));
    for (int i = 0; i < (int)ARRAYSIZE(m_keys); i++) m_keys[i].SetLabelText(gSoftApInfo.key);
}

BOOL CGuide::PreTranslateMessage(MSG* msg) { return IsSwallowedKey(msg) || CDialog::PreTranslateMessage(msg); }

INT_PTR CGuide::OnMessage(UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    return OnPageMessage(m_hWnd, m_look, kGuideClose, msg, wParam, handled);
}

// ---- CGuide_none ------------------------------------------------------------

CGuide_none::CGuide_none() : CDialog(IDD_GUIDE_NONE) {}

BOOL CGuide_none::OnInitDialog() {
    LoadPageLook(m_look, IDP_GUIDE_NONE_BG);
    SetUpBackButton(m_hWnd, m_look, m_back, kOpenBackRect);
    SetUpCloseButton(m_hWnd, m_look, m_close, kGuideClose, kOpenCloseRect);
    static_assert(ARRAYSIZE(m_names) == ARRAYSIZE(kOpenLabels), "one label object per label");
    for (int i = 0; i < (int)ARRAYSIZE(kOpenLabels); i++) SetUpLabel(m_hWnd, m_names[i], kOpenLabels[i]);
    PlaceGuideControls(m_hWnd, kOpenLabels, ARRAYSIZE(kOpenLabels), kOpenBackRect, kOpenCloseRect);
    return TRUE;
}

void CGuide_none::RefreshGuideOpen() { ShowHotspotName(m_names, ARRAYSIZE(m_names)); }

BOOL CGuide_none::PreTranslateMessage(MSG* msg) { return IsSwallowedKey(msg) || CDialog::PreTranslateMessage(msg); }

INT_PTR CGuide_none::OnMessage(UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    return OnPageMessage(m_hWnd, m_look, kGuideClose, msg, wParam, handled);
}
