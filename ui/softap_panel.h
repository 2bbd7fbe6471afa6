// CSoftap: the hotspot page of the main window. It shows the network name,
// the key and how many devices are connected; lets the user change name and
// key or open the network, hide or broadcast the name, open the connection
// guide and close the window to the tray; and hands every change to the
// settings file and, off the UI thread, to the adapter.
#pragma once
#include "adapter/types.h"
#include "res/q8_resource.h"
#include "ui/kit/framework.h"
#include "ui/kit/image_cache.h"
#include "ui/kit/tp_button.h"
#include "ui/kit/tp_static.h"

// Controls of the panel's template.
#define IDC_SOFTAP_BUTTON_EDIT 1002      // "密码设置": into edit mode
#define IDC_SOFTAP_BUTTON_CONFIRM 1003   // "确定": apply the edits
#define IDC_SOFTAP_BUTTON_HIDE 1004      // hide or broadcast the name
#define IDC_SOFTAP_LABEL_NAME 1005       // the network name
#define IDC_SOFTAP_LABEL_KEY 1006        // the key, or "无"
#define IDC_SOFTAP_RADIO_KEYED 1007      // key required
#define IDC_SOFTAP_RADIO_OPEN 1008       // anyone may connect
#define IDC_SOFTAP_EDIT_KEY 1009
#define IDC_SOFTAP_EDIT_NAME 1011
#define IDC_SOFTAP_CAPTION_NAME 1013
#define IDC_SOFTAP_CAPTION_KEY 1014
#define IDC_SOFTAP_COUNT_SHORT 1015      // never shown
#define IDC_SOFTAP_LABEL_COUNT 1016      // "连接到共享WiFi的终端设备有 N 台"
#define IDC_SOFTAP_BUTTON_STEPS 1017     // "简易连接步骤"
#define IDC_SOFTAP_CAPTION_NAME_EDIT 1018
#define IDC_SOFTAP_GROUP_EDIT 1028
#define IDC_SOFTAP_BUTTON_CLOSE 1030
#define IDC_SOFTAP_LABEL_KEY_HINT 1032
#define IDC_SOFTAP_LABEL_OPEN_WARNING 1033

#define SOFTAP_TIMER_CREATED_LOOK 4  // back to the usual picture
#define SOFTAP_TIMER_STATIONS 6      // the count line follows the station poll
#define SOFTAP_CREATED_LOOK_MS 10000
#define SOFTAP_STATIONS_MS 4500

#define SOFTAP_FIELD_MAX 12  // characters of the name and key fields
#define SOFTAP_KEY_MIN 8

class CSoftap : public CDialog {
public:
    CSoftap();

    // Each time the main window shows the panel: what it shows comes from
    // the hotspot in use (gSoftApInfo); back to view mode.
    void RefreshFromActive();
    // The hotspot has just been created: the "created" picture for a while.
    void OnHotspotCreated();
    // Width of the usual background picture.
    int BackgroundWidth() const;

protected:
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnDestroy() override;

private:
    void LayoutControls();
    void SetupButtons();
    void SetupLabels();
    void SetupFields();
    void ShowEditMode(bool edit);
    void EnterEditMode();
    void ApplySettings();
    void ToggleHiddenSsid();

    void OnCommand(int id, int code);
    void OnTimer(UINT_PTR id);
    INT_PTR OnCtlColor(HDC dc, HWND control, bool& handled);
    void ChooseKeyMode(int pwdMode);
    void UpdateConfirmButton();
    bool EditsAcceptable() const;
    void ReadFields();
    void WriteFields();
    void ShowHiddenLook(bool hidden);
    void ShowKeyLine(const SoftApCfgInfo& info);
    void ShowCount(int count);
    void RedrawPanel();

    CachedImage* m_backgroundNormal = nullptr;
    CachedImage* m_backgroundCreated = nullptr;
    CachedImage* m_backgroundCurrent = nullptr;
    SIZE m_backgroundSize = {};
    int m_pwdMode = 1;     // 1 = key required (WPA2-PSK), 0 = open network
    int m_hiddenSsid = 0;  // 1 = name hidden
    bool m_editMode = false;
    wchar_t m_keyText[Q8_TEXT_MAX] = L"";
    wchar_t m_ssidText[Q8_TEXT_MAX] = L"";
    int m_lastCount = 0;
    wchar_t m_countText[128] = L"";
    HBRUSH m_editBrush = nullptr;
    COLORREF m_editBkColor = RGB(255, 255, 255);
    COLORREF m_editTextColor = RGB(97, 98, 101);
    HFONT m_fieldFont = nullptr;  // font A for the edit fields and radio buttons

    CTpStatic m_nameCaption, m_nameCaptionEdit, m_name, m_keyCaption, m_key;
    CTpStatic m_keyHint, m_openWarning, m_countShort, m_count;
    CTpButton m_hide, m_edit, m_confirm, m_steps, m_close;
};
