// A stand-in for the setup package, carried by test builds of the installer
// in its place. It does what the test tells it through files in the folder
// named by Q8_STANDIN_DIR: it notes its command line and its start, creates
// the utility's mutex once "make_mutex" appears, and ends once "release"
// appears (or after two minutes, so that nothing is left behind).
#include <windows.h>

#include <string>

static std::wstring gDir;

static bool Exists(const wchar_t* name) {
    return GetFileAttributesW((gDir + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

static void Note(const wchar_t* name, const std::wstring& text) {
    HANDLE f = CreateFileW((gDir + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    char utf8[4096];
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), utf8, sizeof utf8, nullptr, nullptr);
    DWORD written;
    WriteFile(f, utf8, n > 0 ? n : 0, &written, nullptr);
    CloseHandle(f);
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t dir[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"Q8_STANDIN_DIR", dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 3;
    gDir = dir;
    Note(L"standin_cmdline.txt", GetCommandLineW());
    HANDLE mutex = nullptr;
    for (int waited = 0; waited < 120000 && !Exists(L"release"); waited += 20) {
        if (!mutex && Exists(L"make_mutex")) {
            mutex = CreateMutexW(nullptr, TRUE, L"AMBREL_UTILITY");
            Note(L"standin_mutex.txt", L"made");
        }
        Sleep(20);
    }
    Note(L"standin_ended.txt", L"ended");
    if (mutex) CloseHandle(mutex);
    return 0;
}
