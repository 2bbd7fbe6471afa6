// CInstaroDlg: the installer window. While it opens it stops a running
// utility and writes out the setup package; it then shows a per-pixel-alpha
// picture with three picture buttons. Install hides it, runs the setup
// program silently on a worker thread and shows the progress window until
// the setup program ends; destroying it deletes the unpacked files.
#pragma once
#include "installer/progress_dlg.h"
#include "installer/tp_button_ex.h"
#include "installer/unpack_res.h"
#include "ui/kit/framework.h"

namespace Gdiplus { class Bitmap; }

// Sent by the setup worker to the installer window.
#define WM_SETUP_ENDED 2025    // the setup program has ended, or could not be started
#define WM_SETUP_MISSING 2026  // there is no setup program to start

// Timers of the installer window.
#define TIMER_BUTTONS 1
#define TIMER_BUTTONS_MS 50
#define TIMER_PROGRESS 2
#define TIMER_PROGRESS_MS 250
#define TIMER_UTILITY 3
#define TIMER_UTILITY_MS 300

// The estimate holds from 95 to 98 until the utility's mutex appears; the
// mutex sets 99.
#define PROGRESS_HOLD_FIRST 95
#define PROGRESS_HOLD_LAST 98
#define PROGRESS_UTILITY_STARTED 99
#define PROGRESS_FULL 100

#define SETUP_START_ATTEMPTS 3

// Name of the mutex a running installer owns, and of the property its window
// carries so that a second start can find it.
#define INSTALLER_INSTANCE_NAME L"TAVELIN-NIC-SETUP-UTILITY"

// The work folder, the setup program in it and the installer window: written
// while the window opens, read by the setup worker.
extern wchar_t gLogDirPath[MAX_PATH];
extern wchar_t gSetupFilePath[MAX_PATH];
extern HWND gInstaroWindow;

// The progress count after one tick of the progress timer that found `count`.
int NextProgressCount(int count);
// Whether the tick that found `count` is the one that ends the progress display.
bool ProgressTickEnds(int count);
// `setup` /s /f1"`folder`\Setup.iss" /f2"`folder`\`logName`" into `out`;
// false (and `out` empty) when it would not fit in `size` characters.
bool BuildSetupCommandLine(wchar_t* out, size_t size, const wchar_t* setup, const wchar_t* folder,
                           const wchar_t* logName);

// Whether a process owns (or has opened) the utility's single-instance mutex.
bool IsUtilityRunning();

class CInstaroDlg : public CDialog {
public:
    CInstaroDlg();
    ~CInstaroDlg() override;

protected:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnDestroy() override;

private:
    bool BindUpdateLayeredWindow();
    void MakeWorkPaths();
    void SetUpButtons();
    void PushFirstImage();
    void StopRunningUtility();
    void Unpack();
    void Compose();
    void Paint();
    void OnButtonsTimer();
    void OnProgressTimer();
    void OnUtilityTimer();
    void StartSetup();
    void FinishSetup();
    void AskQuit();
    void OpenGuide();
    bool PushSurface(HDC source, BYTE alpha);

    typedef BOOL(WINAPI* UpdateLayeredWindowFn)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*,
                                                 DWORD);
    HMODULE m_user32 = nullptr;
    UpdateLayeredWindowFn m_updateLayeredWindow = nullptr;
    BLENDFUNCTION m_blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};

    HICON m_icon = nullptr, m_smallIcon = nullptr;
    CachedImage* m_background = nullptr;
    CachedImage* m_quitPicture = nullptr;
    RECT m_client = {};
    CTpButtonEx m_close, m_install, m_guide;

    // The composed window picture: a top-down 32-bit DIB section in a memory
    // DC, and a GDI+ view of the same rows.
    HDC m_surfaceDC = nullptr;
    HBITMAP m_surfaceBitmap = nullptr;
    HGDIOBJ m_surfaceOld = nullptr;
    Gdiplus::Bitmap* m_surface = nullptr;
    bool m_composed = false;

    int m_count = 0;
    CPercentShowDlg* m_progress = nullptr;
    HANDLE m_worker = nullptr;
    UnPackFromRes m_unPack;
};
