// The hotspot panel: its look (pictures, skinned labels and buttons, fonts,
// colours, layout strings), view and edit mode, the rule that enables
// "确定", applying a new name and key or an open network, hiding the name,
// the station count line, the keys it swallows and dragging the window.
#include "ui/softap_panel.h"

#include "adapter/keyrules.h"
#include "adapter/ops.h"
#include "adapter/secmode.h"
#include "app/log.h"
#include "app/messages.h"
#include "app/settings.h"
#include "app/shared_lock.h"
#include "softap/settings_worker.h"
#include "ui/kit/page_kit.h"
#include "ui/kit/res_text.h"

#include <cwchar>

// Layout strings (x,y,w,h).
static const UINT kRectConfirm = 1000;
static const UINT kRectClose = 1002;
static const UINT kRectEdit = 1003;
static const UINT kRectSteps = 1004;
static const UINT kRectHide = 1010;
static const UINT kRectEditName = 1011;
static const UINT kRectCaptionName = 1030;
static const UINT kRectCaptionKey = 1031;
static const UINT kRectName = 1032;
static const UINT kRectKey = 1033;
static const UINT kRectRadioKeyed = 1034;
static const UINT kRectRadioOpen = 1035;
static const UINT kRectEditKey = 1036;
static const UINT kRectCount = 1037;
static const UINT kRectKeyHint = 1038;
static const UINT kRectOpenWarning = 1039;
static const UINT kRectGroup = 1040;
static const UINT kNoRect = 0;

// Character classes of the name and key rules.
static const int kNameClass = 0;  // printable ASCII, space and double quote included
static const int kKeyClass = 2;   // letters and digits

// What the panel builds for the adapter: channel 6 at 2437 MHz.
static const int kPanelChannel = 6;
static const int kPanelFrequency = 2437;

// Pages the connection-steps button asks the main window for.
static const WPARAM kGuidePageKeyed = 4;
static const WPARAM kGuidePageOpen = 5;

static const wchar_t kFaceYahei[] = L"微软雅黑";
static const wchar_t kFaceLanting[] = L"方正兰亭黑";
static const int kLargePoints = 11;
static const int kSmallPoints = 9;

static const COLORREF kTextColor = RGB(81, 82, 85);
static const COLORREF kHiddenColor = RGB(192, 192, 192);
static const COLORREF kHintColor = RGB(8, 176, 167);
static const COLORREF kWarningColor = RGB(171, 174, 178);
static const COLORREF kCountColor = RGB(8, 176, 167);


// Picture sets in the order the pages list them: hover, normal, pressed, disabled.
struct ButtonLook {
    int hover, normal, pressed, disabled;
};
static const ButtonLook kLookHideOff = {IDP_HIDE_OFF_HOVER, IDP_HIDE_OFF_NORMAL, IDP_HIDE_OFF_PRESSED,
                                        IDP_HIDE_OFF_DISABLED};
static const ButtonLook kLookHideOn = {IDP_HIDE_ON_HOVER, IDP_HIDE_ON_NORMAL, IDP_HIDE_ON_PRESSED,
                                       IDP_HIDE_ON_DISABLED};
static const ButtonLook kLookEdit = {IDP_PWDSET_HOVER, IDP_PWDSET_NORMAL, IDP_PWDSET_PRESSED, IDP_PWDSET_DISABLED};
static const ButtonLook kLookConfirm = {IDP_CONFIRM_HOVER, IDP_CONFIRM_NORMAL, IDP_CONFIRM_PRESSED,
                                        IDP_CONFIRM_DISABLED};
static const ButtonLook kLookSteps = {IDP_GUIDE_BUTTON, IDP_GUIDE_BUTTON, IDP_GUIDE_BUTTON, IDP_GUIDE_BUTTON};
static const ButtonLook kLookClose = {IDP_CLOSE_HOVER, IDP_CLOSE_NORMAL, IDP_CLOSE_PRESSED, IDP_CLOSE_HOVER};

// Shown only in view mode, only in edit mode (inputs, then plain labels).
// The name caption has an edit-mode twin in the same place, never greyed:
// only one of them is shown, or the two would be drawn over each other.
static const int kViewOnly[] = {IDC_SOFTAP_CAPTION_NAME, IDC_SOFTAP_CAPTION_KEY, IDC_SOFTAP_LABEL_KEY,
                                IDC_SOFTAP_LABEL_COUNT, IDC_SOFTAP_LABEL_NAME, IDC_SOFTAP_BUTTON_HIDE};
static const int kEditInputs[] = {IDC_SOFTAP_RADIO_KEYED, IDC_SOFTAP_RADIO_OPEN, IDC_SOFTAP_EDIT_KEY,
                                  IDC_SOFTAP_BUTTON_CONFIRM, IDC_SOFTAP_EDIT_NAME};
static const int kEditLabels[] = {IDC_SOFTAP_LABEL_KEY_HINT, IDC_SOFTAP_LABEL_OPEN_WARNING,
                                  IDC_SOFTAP_CAPTION_NAME_EDIT, IDC_SOFTAP_GROUP_EDIT};
// The controls that take the white background and grey text of the fields.
static const int kFieldColoured[] = {IDC_SOFTAP_RADIO_KEYED, IDC_SOFTAP_RADIO_OPEN, IDC_SOFTAP_EDIT_KEY,
                                     IDC_SOFTAP_EDIT_NAME};

static SoftApCfgInfo InUse() {
    SoftApCfgInfo info;
    CopyShared(&info, gSoftApInfo);
    return info;
}

static int StoredHidden() {
    SHARED_RECORD_GUARD;
    return gIniFile.softApCfgInfo.hideSSIDtype;
}

static void CopyText(wchar_t* to, const wchar_t* from) {
    wcsncpy(to, from, Q8_TEXT_MAX - 1);
    to[Q8_TEXT_MAX - 1] = L'\0';
}

static void ShowItem(HWND dialog, int id, bool show) { ShowWindow(GetDlgItem(dialog, id), show ? SW_SHOW : SW_HIDE); }
static void EnableItem(HWND dialog, int id, bool enable) { EnableWindow(GetDlgItem(dialog, id), enable); }

// Only a real change is written: rewriting the same text would move the
// caret to the start while the user types.
static void SetFieldText(HWND dialog, int id, const wchar_t* text) {
    wchar_t now[Q8_TEXT_MAX];
    GetDlgItemTextW(dialog, id, now, ARRAYSIZE(now));
    if (wcscmp(now, text) != 0) SetDlgItemTextW(dialog, id, text);
}

// A name of blanks only would be taken for no name at the next start, which
// then makes a fresh network with a new key: it counts as empty here too.
static bool NameAcceptable(const wchar_t* name) {
    if (!IsTextInClass(name, kNameClass)) return false;
    for (const wchar_t* p = name; *p; ++p)
        if (*p != L' ') return true;
    return false;
}

static bool KeyAcceptable(const wchar_t* key) {
    size_t length = wcslen(key);
    return length >= SOFTAP_KEY_MIN && length <= SOFTAP_FIELD_MAX && IsTextInClass(key, kKeyClass);
}

static void SkinWithLook(CTpButton& button, const ButtonLook& look) {
    SkinButton(button, look.hover, look.normal, look.pressed, look.disabled, IDC_HAND_CURSOR);
    if (button.hwnd()) InvalidateRect(button.hwnd(), nullptr, FALSE);
}

// The configuration in use after an apply, and what the settings file keeps:
// the key in stored form, and for an open network the key it had before.
static void StoreApplied(const SoftApCfgInfo& applied) {
    wchar_t storedKey[Q8_TEXT_MAX];
    CopyText(storedKey, applied.key);
    EncodeStoredKey(storedKey, Q8_TEXT_MAX);
    SHARED_RECORD_GUARD;
    gSoftApInfo = applied;
    SoftApCfgInfo& stored = gIniFile.softApCfgInfo;
    CopyText(stored.ssid, applied.ssid);
    stored.hideSSIDtype = applied.hideSSIDtype;
    stored.encrypt = applied.encrypt;
    stored.auth = applied.auth;
    if (applied.encrypt != ENCRYPT_NONE) CopyText(stored.key, storedKey);
}

CSoftap::CSoftap() : CDialog(IDD_SOFTAP) {}

int CSoftap::BackgroundWidth() const { return ImageWidth(LoadImageResource(IDP_SOFTAP_BG)); }

// ---- set-up -----------------------------------------------------------------

BOOL CSoftap::OnInitDialog() {
    LayoutControls();
    EnableItem(m_hWnd, IDC_SOFTAP_BUTTON_STEPS, true);
    SetTimer(m_hWnd, SOFTAP_TIMER_STATIONS, SOFTAP_STATIONS_MS, nullptr);
    SoftApCfgInfo stored;
    {
        SHARED_RECORD_GUARD;
        stored = gIniFile.softApCfgInfo;
    }
    m_name.SetLabelText(stored.ssid);
    // The template shows every control; the panel starts in view mode.
    ShowEditMode(false);
    return FALSE;  // the panel is created hidden: it takes no focus
}

void CSoftap::LayoutControls() {
    m_editBrush = CreateSolidBrush(m_editBkColor);
    m_backgroundCreated = LoadImageResource(IDP_SOFTAP_CREATED_BG);
    m_backgroundNormal = LoadImageResource(IDP_SOFTAP_BG);
    m_backgroundCurrent = m_backgroundNormal;
    m_backgroundSize = SIZE{ImageWidth(m_backgroundNormal), ImageHeight(m_backgroundNormal)};
    SetupButtons();
    SetupLabels();
    SetupFields();
}

void CSoftap::SetupButtons() {
    struct {
        CTpButton* button;
        int id;
        const ButtonLook* look;
        UINT rect;
    } buttons[] = {
        {&m_hide, IDC_SOFTAP_BUTTON_HIDE, StoredHidden() ? &kLookHideOn : &kLookHideOff, kRectHide},
        {&m_edit, IDC_SOFTAP_BUTTON_EDIT, &kLookEdit, kRectEdit},
        {&m_confirm, IDC_SOFTAP_BUTTON_CONFIRM, &kLookConfirm, kRectConfirm},
        {&m_steps, IDC_SOFTAP_BUTTON_STEPS, &kLookSteps, kRectSteps},
        {&m_close, IDC_SOFTAP_BUTTON_CLOSE, &kLookClose, kRectClose},
    };
    for (auto& b : buttons) {
        b.button->AttachItem(m_hWnd, b.id);
        SkinWithLook(*b.button, *b.look);
        PlaceSkinnedButton(*b.button, b.rect);
    }
}

void CSoftap::SetupLabels() {
    LOGFONTW fontA = ScaledPointFont(kFaceYahei, kLargePoints, true);
    LOGFONTW fontB = ScaledPointFont(kFaceYahei, kSmallPoints, false);
    LOGFONTW fontC = ScaledPointFont(kFaceLanting, kLargePoints, false);
    struct {
        CTpStatic* label;
        int id;
        UINT rect;
        const LOGFONTW* font;
        COLORREF color;
        UINT text;  // string id; 0: the template's text, or set later
    } labels[] = {
        {&m_nameCaption, IDC_SOFTAP_CAPTION_NAME, kRectCaptionName, &fontA, kTextColor, IDS_SOFTAP_CAPTION_NAME},
        {&m_nameCaptionEdit, IDC_SOFTAP_CAPTION_NAME_EDIT, kRectCaptionName, &fontA, kTextColor, 0},
        {&m_name, IDC_SOFTAP_LABEL_NAME, kRectName, &fontA, kTextColor, 0},
        {&m_keyCaption, IDC_SOFTAP_CAPTION_KEY, kRectCaptionKey, &fontA, kTextColor, IDS_SOFTAP_CAPTION_KEY},
        {&m_key, IDC_SOFTAP_LABEL_KEY, kRectKey, &fontA, kTextColor, 0},
        {&m_keyHint, IDC_SOFTAP_LABEL_KEY_HINT, kRectKeyHint, &fontB, kHintColor, IDS_SOFTAP_KEY_HINT},
        {&m_openWarning, IDC_SOFTAP_LABEL_OPEN_WARNING, kRectOpenWarning, &fontB, kWarningColor, IDS_SOFTAP_OPEN_WARNING},
        {&m_countShort, IDC_SOFTAP_COUNT_SHORT, kNoRect, &fontC, kCountColor, IDS_SOFTAP_COUNT_SHORT},
        {&m_count, IDC_SOFTAP_LABEL_COUNT, kRectCount, &fontC, kCountColor, 0},
    };
    for (auto& l : labels) {
        l.label->AttachItem(m_hWnd, l.id);
        l.label->SetLabelFont(*l.font);
        l.label->SetLabelTextColor(l.color);
        wchar_t text[64];
        if (l.text) l.label->SetLabelText(LoadResText(l.text, text, ARRAYSIZE(text)));
        if (l.rect != kNoRect) PlaceControl(m_hWnd, l.id, l.rect);
    }
    m_countShort.SetFontBold(false);
    m_countShort.SetFontSize(kSmallPoints);
    m_count.SetFontBold(true);
    m_count.SetFontSize(kLargePoints);
    ShowCount(m_lastCount);
}

void CSoftap::SetupFields() {
    LOGFONTW fontA = ScaledPointFont(kFaceYahei, kLargePoints, true);
    m_fieldFont = CreateFontIndirectW(&fontA);
    struct {
        int id;
        UINT rect;
        UINT text;  // string id; 0: none to set
    } fields[] = {
        {IDC_SOFTAP_EDIT_NAME, kRectEditName, 0},
        {IDC_SOFTAP_EDIT_KEY, kRectEditKey, 0},
        {IDC_SOFTAP_RADIO_KEYED, kRectRadioKeyed, IDS_SOFTAP_CAPTION_KEY},
        {IDC_SOFTAP_RADIO_OPEN, kRectRadioOpen, IDS_SOFTAP_RADIO_OPEN},
    };
    for (auto& f : fields) {
        SendDlgItemMessageW(m_hWnd, f.id, WM_SETFONT, (WPARAM)m_fieldFont, FALSE);
        wchar_t text[64];
        if (f.text) SetDlgItemTextW(m_hWnd, f.id, LoadResText(f.text, text, ARRAYSIZE(text)));
        PlaceControl(m_hWnd, f.id, f.rect);
    }
    SendDlgItemMessageW(m_hWnd, IDC_SOFTAP_EDIT_NAME, EM_LIMITTEXT, SOFTAP_FIELD_MAX, 0);
    SendDlgItemMessageW(m_hWnd, IDC_SOFTAP_EDIT_KEY, EM_LIMITTEXT, SOFTAP_FIELD_MAX, 0);
    PlaceControl(m_hWnd, IDC_SOFTAP_GROUP_EDIT, kRectGroup);
}

void CSoftap::OnDestroy() {
    KillTimer(m_hWnd, SOFTAP_TIMER_STATIONS);
    KillTimer(m_hWnd, SOFTAP_TIMER_CREATED_LOOK);
    if (m_editBrush) DeleteObject(m_editBrush);
    m_editBrush = nullptr;
    // The fields still hold the font until they are destroyed after us.
    SendDlgItemMessageW(m_hWnd, IDC_SOFTAP_EDIT_NAME, WM_SETFONT, 0, FALSE);
    SendDlgItemMessageW(m_hWnd, IDC_SOFTAP_EDIT_KEY, WM_SETFONT, 0, FALSE);
    SendDlgItemMessageW(m_hWnd, IDC_SOFTAP_RADIO_KEYED, WM_SETFONT, 0, FALSE);
    SendDlgItemMessageW(m_hWnd, IDC_SOFTAP_RADIO_OPEN, WM_SETFONT, 0, FALSE);
    if (m_fieldFont) DeleteObject(m_fieldFont);
    m_fieldFont = nullptr;
}

// ---- what the main window calls ---------------------------------------------

void CSoftap::RefreshFromActive() {
    SoftApCfgInfo info = InUse();
    m_name.SetLabelText(info.ssid);
    m_hiddenSsid = info.hideSSIDtype ? 1 : 0;
    ShowHiddenLook(StoredHidden() != 0);
    ShowKeyLine(info);
    ShowEditMode(false);
}

void CSoftap::OnHotspotCreated() {
    m_backgroundCurrent = m_backgroundCreated;
    WriteFields();
    SetTimer(m_hWnd, SOFTAP_TIMER_CREATED_LOOK, SOFTAP_CREATED_LOOK_MS, nullptr);
    if (IsWindowVisible(m_hWnd)) RedrawPanel();
}

// ---- modes --------------------------------------------------------------------

void CSoftap::ShowEditMode(bool edit) {
    m_editMode = edit;
    if (edit) {
        SoftApCfgInfo info = InUse();
        CopyText(m_keyText, info.key);
        CopyText(m_ssidText, info.ssid);
    }
    EnableItem(m_hWnd, IDC_SOFTAP_BUTTON_EDIT, !edit);
    ShowItem(m_hWnd, IDC_SOFTAP_BUTTON_EDIT, !edit);
    for (int id : kViewOnly) ShowItem(m_hWnd, id, !edit);
    for (int id : kEditInputs) {
        ShowItem(m_hWnd, id, edit);
        EnableItem(m_hWnd, id, edit);
    }
    for (int id : kEditLabels) ShowItem(m_hWnd, id, edit);
    if (!edit) m_name.SetLabelText(InUse().ssid);
}

void CSoftap::EnterEditMode() {
    ShowEditMode(true);
    int encrypt;
    {
        SHARED_RECORD_GUARD;
        encrypt = gIniFile.softApCfgInfo.encrypt;
        CopyText(gIniFile.softApCfgInfo.ssid, gSoftApInfo.ssid);
    }
    ChooseKeyMode(encrypt == ENCRYPT_NONE ? 0 : 1);
    WriteFields();
    UpdateConfirmButton();
    // The clicked button is gone: typing goes to the name, at its end.
    HWND name = GetDlgItem(m_hWnd, IDC_SOFTAP_EDIT_NAME);
    SetFocus(name);
    SendMessageW(name, EM_SETSEL, SOFTAP_FIELD_MAX, SOFTAP_FIELD_MAX);
}

// Radio state, the key field's use and pwdMode move together.
void CSoftap::ChooseKeyMode(int pwdMode) {
    m_pwdMode = pwdMode;
    CheckRadioButton(m_hWnd, IDC_SOFTAP_RADIO_KEYED, IDC_SOFTAP_RADIO_OPEN,
                     pwdMode ? IDC_SOFTAP_RADIO_KEYED : IDC_SOFTAP_RADIO_OPEN);
    EnableItem(m_hWnd, IDC_SOFTAP_EDIT_KEY, pwdMode == 1);
}

// "确定" is usable exactly when what the fields hold can be applied: a name
// that keeps the name rule, and a key of 8-12 letters or digits unless the
// network is open (the disabled key field then does not count).
bool CSoftap::EditsAcceptable() const {
    if (!NameAcceptable(m_ssidText)) return false;
    return m_pwdMode == 0 || KeyAcceptable(m_keyText);
}

void CSoftap::UpdateConfirmButton() {
    if (!m_editMode) return;  // hidden in view mode, and Enter must not apply there
    EnableItem(m_hWnd, IDC_SOFTAP_BUTTON_CONFIRM, EditsAcceptable());
}

void CSoftap::ReadFields() {
    GetDlgItemTextW(m_hWnd, IDC_SOFTAP_EDIT_NAME, m_ssidText, ARRAYSIZE(m_ssidText));
    GetDlgItemTextW(m_hWnd, IDC_SOFTAP_EDIT_KEY, m_keyText, ARRAYSIZE(m_keyText));
}

void CSoftap::WriteFields() {
    // Writing the name reads both fields back (its change notice) before the
    // key is written: write from copies.
    wchar_t ssid[Q8_TEXT_MAX], key[Q8_TEXT_MAX];
    CopyText(ssid, m_ssidText);
    CopyText(key, m_keyText);
    SetFieldText(m_hWnd, IDC_SOFTAP_EDIT_NAME, ssid);
    SetFieldText(m_hWnd, IDC_SOFTAP_EDIT_KEY, key);
}

// ---- changes --------------------------------------------------------------------

void CSoftap::ApplySettings() {
    ReadFields();
    if (!m_editMode || !EditsAcceptable()) return;
    SoftApCfgInfo before = InUse();
    SoftApCfgInfo applied = {};
    CopyText(applied.ssid, m_ssidText);
    applied.hideSSIDtype = m_hiddenSsid;
    applied.encrypt = m_pwdMode ? ENCRYPT_AES : ENCRYPT_NONE;
    applied.auth = m_pwdMode ? AUTH_WPA2PSK : AUTH_NONE;
    // An open network keeps the key it had, in use as in the file, for a later switch back.
    CopyText(applied.key, m_pwdMode ? m_keyText : before.key);
    applied.channel = kPanelChannel;
    applied.frequency = kPanelFrequency;

    RequestSoftapParam(applied);
    StoreApplied(applied);
    m_name.SetLabelText(applied.ssid);
    ShowKeyLine(applied);
    SaveIniFile();
    ShowEditMode(false);
    WriteFields();
    SetFocus(GetDlgItem(m_hWnd, IDC_SOFTAP_BUTTON_EDIT));  // the fields went away with edit mode
}

void CSoftap::ToggleHiddenSsid() {
    SoftApCfgInfo request;
    {
        SHARED_RECORD_GUARD;
        m_hiddenSsid = gIniFile.softApCfgInfo.hideSSIDtype ? 0 : 1;
        gIniFile.softApCfgInfo.hideSSIDtype = m_hiddenSsid;
        // The hotspot in use changes too, so that a later apply or refresh keeps the choice.
        gSoftApInfo.hideSSIDtype = m_hiddenSsid;
        request = gSoftApInfo;
    }
    ShowHiddenLook(m_hiddenSsid != 0);
    RedrawPanel();
    SaveIniFile();
    request.channel = kPanelChannel;
    request.frequency = kPanelFrequency;
    RequestSoftapParam2(request);
}

// ---- what the panel shows ---------------------------------------------------------

void CSoftap::ShowHiddenLook(bool hidden) {
    COLORREF color = hidden ? kHiddenColor : kTextColor;
    m_name.SetLabelTextColor(color);
    m_nameCaption.SetLabelTextColor(color);
    SkinWithLook(m_hide, hidden ? kLookHideOn : kLookHideOff);
}

void CSoftap::ShowKeyLine(const SoftApCfgInfo& info) {
    wchar_t none[16];
    m_key.SetLabelText(info.encrypt == ENCRYPT_NONE ? LoadResText(IDS_SOFTAP_NO_KEY, none, ARRAYSIZE(none)) : info.key);
}

void CSoftap::ShowCount(int count) {
    wchar_t format[64];
    LoadResText(IDS_STATION_COUNT, format, ARRAYSIZE(format));
    _snwprintf(m_countText, ARRAYSIZE(m_countText), format, count);
    m_countText[ARRAYSIZE(m_countText) - 1] = L'\0';
    m_count.SetLabelText(m_countText);
}

// Background, every control over it and the buttons' captured backgrounds.
void CSoftap::RedrawPanel() {
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// ---- messages -------------------------------------------------------------------

BOOL CSoftap::PreTranslateMessage(MSG* msg) {
    if (msg->message != WM_KEYDOWN) return CDialog::PreTranslateMessage(msg);
    WriteUiLog(L"SOFTAP<<**PreTranslateMessage** (WM_KEYDOWN) wParam = %d\n", (int)msg->wParam);
    switch (msg->wParam) {
    case VK_RETURN:
        if (IsWindowEnabled(GetDlgItem(m_hWnd, IDC_SOFTAP_BUTTON_CONFIRM))) ApplySettings();
        return TRUE;
    case VK_ESCAPE:
    case VK_F1:
        return TRUE;  // the panel never closes or asks for help by keyboard
    }
    return CDialog::PreTranslateMessage(msg);
}

void CSoftap::OnCommand(int id, int code) {
    if (code == EN_CHANGE && (id == IDC_SOFTAP_EDIT_NAME || id == IDC_SOFTAP_EDIT_KEY)) {
        ReadFields();
        UpdateConfirmButton();
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
    case IDC_SOFTAP_BUTTON_EDIT: EnterEditMode(); break;
    case IDC_SOFTAP_BUTTON_CONFIRM: ApplySettings(); break;
    case IDC_SOFTAP_BUTTON_HIDE: ToggleHiddenSsid(); break;
    case IDC_SOFTAP_BUTTON_STEPS:
        PostMessageW(GetParent(m_hWnd), WM_SHOW_PAGE,
                     InUse().encrypt == ENCRYPT_NONE ? kGuidePageOpen : kGuidePageKeyed, 0);
        break;
    case IDC_SOFTAP_BUTTON_CLOSE: ShowWindow(GetAncestor(m_hWnd, GA_ROOT), SW_HIDE); break;
    case IDC_SOFTAP_RADIO_KEYED:
    case IDC_SOFTAP_RADIO_OPEN:
        ReadFields();
        ChooseKeyMode(id == IDC_SOFTAP_RADIO_KEYED ? 1 : 0);
        UpdateConfirmButton();
        break;
    }
}

void CSoftap::OnTimer(UINT_PTR id) {
    if (id == SOFTAP_TIMER_STATIONS) {
        int count = stationCount;
        if (count == m_lastCount) return;  // an unchanged count rewrites nothing
        m_lastCount = count;
        ShowCount(count);
    } else if (id == SOFTAP_TIMER_CREATED_LOOK) {
        KillTimer(m_hWnd, SOFTAP_TIMER_CREATED_LOOK);
        m_backgroundCurrent = m_backgroundNormal;
        RedrawPanel();
    }
}

INT_PTR CSoftap::OnCtlColor(HDC dc, HWND control, bool& handled) {
    int id = GetDlgCtrlID(control);
    for (int coloured : kFieldColoured) {
        if (id != coloured) continue;
        SetBkColor(dc, m_editBkColor);
        SetTextColor(dc, m_editTextColor);
        handled = true;
        return (INT_PTR)m_editBrush;
    }
    return 0;
}

INT_PTR CSoftap::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    switch (msg) {
    case WM_PAINT: {
        CTpButton* order[] = {&m_hide, &m_edit, &m_steps, &m_confirm, &m_close};
        PaintSkinnedPage(m_hWnd, m_backgroundCurrent, m_backgroundSize, order, ARRAYSIZE(order));
        handled = true;
        return 0;
    }
    case WM_ERASEBKGND:  // the picture covers the page; erasing would only flicker
        handled = true;
        return 1;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        handled = true;
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        handled = true;
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return OnCtlColor((HDC)wParam, (HWND)lParam, handled);
    case WM_MOUSEMOVE:
        handled = DragTopLevelOnMouseMove(m_hWnd, wParam);
        return 0;
    }
    return 0;
}
