// CZephynDlg: the utility's one top-level window. It receives every
// internal and library message, runs the timers, owns the tray icon with its
// menu and the "creating" animation window, and hosts the soft AP logic.
#pragma once
#include "res/q8_resource.h"
#include "ui/kit/framework.h"
#include "ui/kit/gif_show_dlg.h"
#include "ui/nic_tray.h"

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

class CZephynDlg : public CDialog {
public:
    CZephynDlg();

    // Page and window look; both do nothing while the creating look is up.
    void ShowPage(int page);
    void ShowMainWindow();  // any thread: off the UI thread it is handed over
    void HideMainWindow();
    void ShowCreating();
    void HideCreating();
    bool CreatingWindowExists() const { return m_creatingWindow != nullptr; }
    HWND CreatingWindowHandle() const { return m_creatingWindow ? m_creatingWindow->hwnd() : nullptr; }
    bool CreatingFlag() const { return m_creating != 0; }
    int CurrentPage() const { return m_currentPage; }

    // Tray icon.
    void RestoreTrayIfRemoved();
    void RemoveTrayForExit();
    void RefreshTray();

protected:
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnDestroy() override;

private:
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR id);
    void OnCreatingProgress();
    void OnSoftapCreated(WPARAM page);
    void ShowMainWindowNow();
    void ShowPageText();
    void AddTrayIcon();
    void OnTaskbarCreated();

    HICON m_icon = nullptr;
    wchar_t m_title[64] = L"";
    CNicTray m_tray;
    UINT m_taskbarCreatedMsg = 0;  // the shell's "TaskbarCreated": the tray was rebuilt
    wchar_t m_trayTip[128] = L"";
    int m_trayRemoved = 1;
    unsigned m_lastTrayState = 11;  // matches no state: the first refresh counts as a change
    int m_trayAnimIndex = 0;
    CGifShowDlg* m_creatingWindow = nullptr;
    std::atomic<int> m_creating{0};
    int m_progress = 0;
    int m_currentPage = PAGE_TIPS;
    DWORD m_uiThread = 0;
};

extern CZephynDlg* gZephynDlg;
