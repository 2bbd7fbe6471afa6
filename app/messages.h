// Window messages of the main window and the process-wide handle that
// workers and the library callback post to.
#pragma once
#include <windows.h>

#define WM_TRAY_NOTIFY    0x1625
#define TRAY_CMD_SHOW     0x163A
#define WM_CTRL_TOOL      0x1628
#define WM_SOFTAP_CTRL    0x1629
#define WM_DRAVO_EVENT    0x1631
#define WM_SHOW_PAGE      0x1635
#define WM_SOFTAP_RESULT  0x1638
#define WM_CHECK_INTERNET 0x163C
#define WM_SOFTAP_NOCARD  0x163D  // a worker ended because the adapter went away

// The main dialog's window, set when it initialises; read by every thread.
extern HWND gMainWnd;
