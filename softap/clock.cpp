// Real time for the soft AP workers.
#include "softap/clock.h"

static void RealSleep(DWORD ms) { Sleep(ms); }
static DWORD RealWait(HANDLE h, DWORD ms) { return WaitForSingleObject(h, ms); }

SoftApClock gSoftApClock = {RealSleep, RealWait};
