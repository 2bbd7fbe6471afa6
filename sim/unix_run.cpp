// Unix scripts from Windows programs under Wine: a script file in the
// temporary folder, /bin/sh started through CreateProcess, an answer file.
#include "sim/unix_run.h"

#include "sim/world.h"

#include <windows.h>

std::string SimUnixPath(const std::wstring& dosPath) {
    typedef char*(CDECL * ToUnixFn)(LPCWSTR);
    ToUnixFn toUnix = (ToUnixFn)GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    if (!toUnix) return std::string();
    char* unixPath = toUnix(dosPath.c_str());
    if (!unixPath) return std::string();
    std::string out(unixPath);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return out;
}

static bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    BOOL ok = WriteFile(f, bytes.data(), (DWORD)bytes.size(), &put, nullptr) && put == bytes.size();
    CloseHandle(f);
    return ok != FALSE;
}

// The script's own name for the answer: written aside, then renamed, so the
// caller never reads half an answer.
static const char kFinish[] =
    "finish() { printf '%s' \"$1\" > \"$Q8_ANSWER.part\"; mv \"$Q8_ANSWER.part\" \"$Q8_ANSWER\"; exit 0; }\n"
    "Q8_ANSWER=$1\n";

bool SimRunUnixScript(const std::string& body, const std::vector<std::wstring>& args, unsigned ms,
                      std::string* answer) {
    wchar_t temp[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH) {
        *answer = "no temporary folder for the script";
        return false;
    }
    static LONG serial = 0;
    std::wstring base = std::wstring(temp) + L"q8-unix-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(InterlockedIncrement(&serial));
    std::wstring script = base + L".sh", result = base + L".out";
    DeleteFileW(result.c_str());
    if (!WriteBytes(script, kFinish + body)) {
        *answer = "cannot write " + SimToUtf8(script);
        return false;
    }
    std::string unixScript = SimUnixPath(script), unixResult = SimUnixPath(result);
    if (unixScript.empty() || unixResult.empty()) {
        DeleteFileW(script.c_str());
        *answer = "not running under Wine: no Unix path for the script";
        return false;
    }
    std::wstring cmd = L"/bin/sh \"" + SimFromUtf8(unixScript) + L"\" \"" + SimFromUtf8(unixResult) + L"\"";
    for (const std::wstring& a : args) cmd += L" \"" + a + L"\"";
    std::vector<wchar_t> line(cmd.begin(), cmd.end());
    line.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        DeleteFileW(script.c_str());
        *answer = "cannot start /bin/sh (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);
    DWORD start = GetTickCount();
    while (GetFileAttributesW(result.c_str()) == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < ms) Sleep(10);
    bool answered = GetFileAttributesW(result.c_str()) != INVALID_FILE_ATTRIBUTES;
    *answer = answered ? SimReadFile(result) : "the script gave no answer within " + std::to_string(ms / 1000) + " s";
    DeleteFileW(result.c_str());
    DeleteFileW(script.c_str());
    return answered;
}
