// Soft AP life: the UI-thread steps that start a bring-up and the workers
// that wait for the adapter, set the hotspot and sharing up, stop it and
// watch it.
#pragma once
#include <windows.h>

extern HANDLE apLock;   // serialises start, change and stop of the hotspot
extern HANDLE staLock;  // guards the station poll
extern HANDLE exitEvent;

#define AP_LOCK_WAIT_MS 180000
#define NIC_INIT_ATTEMPTS 200
#define NIC_INIT_PAUSE_MS 300
#define MAC_NAME_TRIES_AFTER_INIT 151
#define MAC_NAME_TRIES_IN_INIT 16

// UI thread.
void ControlNicChange();
void InitSoftap();
LRESULT OnSoftapCtrl(WPARAM wParam);
void OnExitCommand();
// The no-adapter look: creating look removed, state SOFTAP_NoCard, tips page.
void ShowNoCardLook();

// Workers.
DWORD WINAPI ThreadWaitNicInitOk(LPVOID);
DWORD WINAPI ThreadSetSoftApAndIcs(LPVOID mainWnd);
DWORD WINAPI ThreadStopSoftap(LPVOID);
DWORD WINAPI ThreadMonitorStations(LPVOID);

// Starts a worker that nobody joins.
void StartWorker(LPTHREAD_START_ROUTINE routine, LPVOID arg);
