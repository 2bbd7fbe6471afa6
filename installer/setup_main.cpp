// Entry point of Q8_Setup.exe.
#include "installer/installer_log.h"
#include "installer/instaro_app.h"

// An installer is started from a downloads folder, where anyone may have left
// a DLL with a system DLL's name; this process runs elevated. From here on
// every DLL comes from the system folder only. The program's own imports are
// the system's core DLLs, which the system never takes from beside the
// program; the rest are loaded on first use, after this.
static void RestrictDllSearch() {
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFn)(DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto setDefault = (SetDefaultDllDirectoriesFn)GetProcAddress(kernel, "SetDefaultDllDirectories");
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    // Systems without it (before the 2011 loader update) still drop the
    // current folder from the search.
    SetDllDirectoryW(L"");
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    RestrictDllSearch();
    InitInstallerLog();
    CInstaroApp app;
    app.InitInstance(instance);
    return app.ExitInstance();
}
