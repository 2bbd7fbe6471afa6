// CZephynDlg: the utility's one top-level window. A borderless, skinned
// dialog with rounded corners that hosts the four pages (tips, hotspot panel,
// two guides), receives every internal and library message, runs the timers,
// owns the tray icon with its menu and the "creating" animation window, and
// is the soft AP logic's view.
#pragma once
#include "res/q8_resource.h"
#include "softap/view.h"
#include "ui/kit/framework.h"
#include "ui/kit/gif_show_dlg.h"
#include "ui/kit/tp_button.h"
#include "ui/nic_tray.h"
#include "ui/pages.h"
#include "ui/softap_panel.h"

#include <atomic>
#include <shellapi.h>

#define PAGE_TIPS 0
#define PAGE_SOFTAP 2
#define PAGE_GUIDE 4
#define PAGE_GUIDE_NONE 5

#define TIMER_FIRST_CHECK 1
#define TIMER_TRAY 2
#define TIMER_PROGRESS 20
#define TIMER_FIRST_SHOW 888

#define CREATING_FRAME_DELAY_MS 50
#define MAIN_CORNER 10  // corner ellipse of the rounded window region

class CZephynDlg : public CDialog, public ISoftApView {
public:
    CZephynDlg();

    // ISoftApView. Page changes and showing the window do nothing while the
    // creating look is up; ShowMainWindow may be called from any thread.
    void ShowPage(int page) override;
    void ShowMainWindow() override;
    void HideMainWindow() override;
    void ShowCreating() override;
    void HideCreating() override;
    bool CreatingWindowExists() const override { return m_creatingWindow != nullptr; }
    bool CreatingFlag() const override { return m_creating != 0; }
    void RestoreTrayIfRemoved() override;
    void ShowExitLook() override;

    HWND CreatingWindowHandle() const { return m_creatingWindow ? m_creatingWindow->hwnd() : nullptr; }
    void RefreshTray();

protected:
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnDestroy() override;

private:
    struct Page {
        int number;
        CDialog* dialog;
        RECT rect;  // 0,0,width,height
    };
    void LoadPageRects();
    void CreatePages();
    void SkinCloseButton();
    Page* FindPage(int number);
    void RefreshPage(int number);
    void ShowOnly(int number);
    void ResizeTo(const RECT& rc, bool move, int x, int y, UINT show);
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR id);
    void OnCreatingProgress();
    void OnSoftapCreated(WPARAM page);
    void ShowMainWindowNow();
    void PaintMinimised();
    void AddTrayIcon();
    void OnTaskbarCreated();

    HICON m_icon = nullptr;
    CTpButton m_close;
    wchar_t m_title[64] = L"";
    CNicTray m_tray;
    UINT m_taskbarCreatedMsg = 0;  // the shell's "TaskbarCreated": the tray was rebuilt
    wchar_t m_trayTip[128] = L"";
    int m_trayRemoved = 1;
    unsigned m_lastTrayState = 11;  // matches no state: the first refresh counts as a change
    int m_trayAnimIndex = 0;
    CTips m_tips;
    CSoftap m_softap;
    CGuide m_guide;
    CGuide_none m_guideNone;
    Page m_pages[4];
    RECT m_windowRect = {};  // the page rectangle the window has now
    CGifShowDlg* m_creatingWindow = nullptr;
    std::atomic<int> m_creating{0};
    int m_progress = 0;
    DWORD m_uiThread = 0;
};

extern CZephynDlg* gZephynDlg;
