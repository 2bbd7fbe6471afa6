// CZephynApp: decides whether this process runs, relaunches elevated or
// wakes the running instance, then runs the main dialog modally.
#pragma once
#include <windows.h>

class CZephynApp {
public:
    // FALSE in every outcome: the framework then exits without a loop of its own.
    BOOL InitInstance(HINSTANCE instance, const wchar_t* commandLine);
    int ExitInstance();

private:
    void RunMainPath();
    bool RelaunchElevated();
    ULONG_PTR m_gdiplusToken = 0;
};

extern HANDLE apLock;
extern HANDLE staLock;
