// Choice of the connection to share, its status, and the internet watch.
#pragma once
#include "adapter/types.h"

#include <windows.h>

// The connection chosen for sharing; copy it under SHARED_RECORD_GUARD.
extern IcsConnection gIcsInfo;

// Chooses a connected connection by media-type priority; true when one was found.
bool CommonSelectIcsConnectionEx();

// 1 = the shared connection is listed and connected, 0 = listed but down,
// 2 = not listed, nothing listed, or the query failed.
int CurWlanStatus();

// Handler of WM_CHECK_INTERNET: starts the watch unless one is recorded.
LRESULT OnSoftapCheckInternet();

DWORD WINAPI ThreadCheckInternet(LPVOID);
