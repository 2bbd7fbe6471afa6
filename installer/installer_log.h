// Diagnostic log of the installer: one line per call appended to
// "E:\Instaro_log.log", switched off unless a developer sets Q8_SETUP_LOG=1.
// Called from the installer window's thread and from the setup worker.
#pragma once
#include <windows.h>

#define INSTALLER_LOG_PATH L"E:\\Instaro_log.log"
#define INSTALLER_LOG_LINE_MAX 1024  // characters of one line, terminator included

// 0 = off (the normal state). Set once at start-up from the environment.
extern int gInstallerLogSwitch;

// Selects the ANSI code page for the C library's wide-to-narrow output and
// reads Q8_SETUP_LOG once; "1" turns the log on.
void InitInstallerLog();

// Formats "\nH:MM:SS.mmm [0xTHREADID]: " and the printf-style wide message
// into one line (cut to INSTALLER_LOG_LINE_MAX), then, when the switch is
// on, appends it in one piece. A file that cannot be opened is skipped.
// 0 when off or skipped, else fclose's result.
int WriteInstallerLog(const wchar_t* format, ...);

// The same line as WriteInstallerLog would write now, for `message` taken
// as plain text (never as a format).
void FormatInstallerLogLine(wchar_t* line, size_t size, const wchar_t* message);
