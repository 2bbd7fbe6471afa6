// Start-up decisions of the utility, kept free of side effects so that the
// OS version table, the command-line rules and the relaunch choice can be
// checked on any machine.
#pragma once
#include <windows.h>

struct CommandLineFlags {
    bool elevatedRelaunch;  // "admin-softap" as the first 12 characters
    bool noGui;             // "nogui" anywhere
};

CommandLineFlags ParseCommandLine(const wchar_t* line);

// OS version code from GetVersionExW's fields (5 for anything unlisted).
int OsCodeFromVersion(DWORD platformId, DWORD major, DWORD minor, BYTE productType);

// Probes the running system; 5 when even the plain GetVersionExW fails.
int ProbeOsInfo();

// True when the process token is in the local Administrators group.
bool IsUserAdmin();

// What a first instance does once it owns "AMBREL_UTILITY".
enum StartupAction { START_MAIN, START_RELAUNCH };
StartupAction DecideFirstStart(int osCode, bool isAdmin);

// Parameters of the elevated relaunch ("admin-softap;" [+ " -nogui;"]).
void RelaunchParameters(bool noGui, wchar_t* out, size_t outCount);

extern int OsInfo;
extern CommandLineFlags gStartFlags;
