// Binding of the driver-control library and its event callback.
#pragma once
#include "adapter/dravo.h"

// The control object, null until UIBindAdapter succeeds. Never released.
extern IDravo* gDravo;

// Loads Dravolib.dll from the program's own folder and creates the control
// object through "NewDravo". 0 on success, 10 on any failure (logged).
int UIBindAdapter();

// Same, for a library at an explicit path (the binding's one variable part).
int UIBindAdapterFrom(const wchar_t* dllPath);

// Posts WM_DRAVO_EVENT (wParam 0, lParam = event) to the main window.
int __cdecl DravoEventCallback(int event);
