// Dispatch of library, device and power events on the main window's thread.
#pragma once
#include <windows.h>

// Handler of WM_DRAVO_EVENT; lParam is the WFF event code. Returns 0.
LRESULT EventManage(WPARAM wParam, LPARAM code);

// Name of a handled event code, or null for codes that are ignored.
const wchar_t* DravoEventName(int code);
