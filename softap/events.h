// Dispatch of library, device and power events on the main window's thread.
#pragma once
#include <windows.h>

// Handler of WM_DRAVO_EVENT; lParam is the WFF event code. Returns 0.
LRESULT EventManage(WPARAM wParam, LPARAM code);

// Handler of WM_CTRL_TOOL: tool type 0 takes the utility to the no-adapter state.
LRESULT OnCtrlTool(WPARAM wParam);

// Name of a handled event code, or null for codes that are ignored.
const wchar_t* DravoEventName(int code);

// Suspend and resume bookkeeping: the hotspot is rebuilt only after the
// second resume-type notice that follows a suspend.
struct PowerState {
    unsigned char suspended;
    int wakeCount;
};
extern PowerState gPowerState;

// Applies one power notice; true when it is time to rebuild.
bool PowerNotice(PowerState* power, WPARAM event);

// Handler of WM_POWERBROADCAST; returns 0 for every event.
LRESULT OnPowerBroadcast(WPARAM event);
