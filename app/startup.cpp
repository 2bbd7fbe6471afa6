// Command line, OS version code, administrator test and relaunch choice.
#include "app/startup.h"

#include <cwchar>

int OsInfo = 5;
CommandLineFlags gStartFlags = {false, false};

CommandLineFlags ParseCommandLine(const wchar_t* line) {
    CommandLineFlags flags = {false, false};
    if (!line || !*line) return flags;
    // wcsncmp compares a shorter line whole, as the rule wants.
    if (wcsncmp(line, L"admin-softap", 12) == 0) flags.elevatedRelaunch = true;
    if (wcsstr(line, L"nogui")) flags.noGui = true;
    return flags;
}

int OsCodeFromVersion(DWORD platformId, DWORD major, DWORD minor, BYTE productType) {
    if (platformId == VER_PLATFORM_WIN32_WINDOWS) {
        if (major == 4 && minor == 0) return 0;
        if (major == 4 && minor == 10) return 1;
        if (major == 4 && minor == 90) return 2;
        return 5;
    }
    if (platformId == VER_PLATFORM_WIN32_NT) {
        if (major <= 4) return 3;
        if (major == 5 && minor == 0) return 4;
        if (major == 5 && minor == 1) return 5;
        if (major == 5 && minor == 2) return productType == VER_NT_WORKSTATION ? 5 : 6;
        if (major == 6 && minor == 0) return 7;
        if (major == 6 && minor == 1) return 8;
        if (major == 6 && minor == 2) return 9;
        return 5;
    }
    return 10;
}

int ProbeOsInfo() {
    OSVERSIONINFOEXW ex = {};
    ex.dwOSVersionInfoSize = sizeof(ex);
    if (GetVersionExW((OSVERSIONINFOW*)&ex))
        return OsCodeFromVersion(ex.dwPlatformId, ex.dwMajorVersion, ex.dwMinorVersion, ex.wProductType);
    OSVERSIONINFOW plain = {};
    plain.dwOSVersionInfoSize = sizeof(plain);
    if (GetVersionExW(&plain)) return OsCodeFromVersion(plain.dwPlatformId, plain.dwMajorVersion, plain.dwMinorVersion, 0);
    return 5;
}

bool IsUserAdmin() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &admins))
        return false;
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, admins, &member)) member = FALSE;
    FreeSid(admins);
    return member != FALSE;
}

StartupAction DecideFirstStart(int osCode, bool isAdmin) {
    // Below Vista there is no elevation to ask for.
    if (isAdmin || osCode < 7) return START_MAIN;
    return START_RELAUNCH;
}

void RelaunchParameters(bool noGui, wchar_t* out, size_t outCount) {
    _snwprintf(out, outCount, L"%s%s", L"admin-softap;", noGui ? L" -nogui;" : L"");
    out[outCount - 1] = L'\0';
}
