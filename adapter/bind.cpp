// Driver-control library binding: loads the library beside Q8.exe, resolves
// the factory and keeps the control object for the life of the process.
#include "adapter/bind.h"

#include "app/log.h"
#include "app/messages.h"

#include <cwchar>

IDravo* gDravo = nullptr;
HWND gMainWnd = nullptr;

int UIBindAdapterFrom(const wchar_t* dllPath) {
    WriteUiLog(L"{UIBindAdapter} new Dravolib\n");
    // A full path keeps a planted DLL in the current directory or on PATH out;
    // the altered search path lets the library find its own neighbours.
    HMODULE module = LoadLibraryExW(dllPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) {
        WriteUiLog(L"Load Dravo module failed, Dravo name is \"%s\", the last error is %d.\r\n", dllPath,
                   (int)GetLastError());
        return 10;
    }
    NewDravoFn factory = (NewDravoFn)GetProcAddress(module, "NewDravo");
    if (!factory) {
        WriteUiLog(L"LoadAPI failed, Dravo name is \"%s\", the last error is %d.\r\n", dllPath,
                   (int)GetLastError());
        FreeLibrary(module);
        return 10;
    }
    IDravo* object = factory();
    if (!object) {
        WriteUiLog(L"Get Dravo FAILED.\r\n");
        FreeLibrary(module);
        return 10;
    }
    gDravo = object;
    return 0;
}

int UIBindAdapter() {
    wchar_t path[MAX_PATH + 32];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        WriteUiLog(L"{UIBindAdapter} new Dravolib\n");
        WriteUiLog(L"Load Dravo module failed, Dravo name is \"%s\", the last error is %d.\r\n", L"Dravolib.dll",
                   (int)GetLastError());
        return 10;
    }
    wchar_t* slash = wcsrchr(path, L'\\');
    wchar_t* name = slash ? slash + 1 : path;
    wcscpy(name, L"Dravolib.dll");
    return UIBindAdapterFrom(path);
}

int __cdecl DravoEventCallback(int event) {
    return PostMessageW(gMainWnd, WM_DRAVO_EVENT, 0, (LPARAM)event);
}
