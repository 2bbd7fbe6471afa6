// The "creating" window shown while the hotspot is being brought up.
// A plain popup for now; the animated picture window takes its place later.
#pragma once
#include <windows.h>

HWND CreateCreatingWindow(HWND owner);
void SetCreatingProgress(HWND window, int progress);
