// CInstaroApp: the installer's start-up. One installer at a time (a second
// one brings the first to the front and ends), the administrator question
// where the system needs it, GDI+ and the picture cache, then the installer
// window, run modally; the process ends when it closes.
#pragma once
#include <windows.h>

// Whether a user must be asked before installing without administrator
// rights: never for an administrator, never on NT 6.0 to 6.2 (codes above 6),
// always otherwise.
bool NeedsAdminQuestion(int osCode, bool isAdmin);

// The first top-level window carrying the installer's property, or null.
HWND FindRunningInstaller();

class CInstaroApp {
public:
    // Always false: the process ends after it, with no message loop of its own.
    bool InitInstance(HINSTANCE instance);
    int ExitInstance();

private:
    bool AskAboutRights();
    HANDLE m_instance = nullptr;  // the single-instance mutex, held until exit
    ULONG_PTR m_gdiplusToken = 0;
};
