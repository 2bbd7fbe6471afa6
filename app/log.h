// Diagnostic log of the utility: one line per call appended to "ui_log.log"
// in the current directory, switched off unless a developer sets Q8_UI_LOG=1.
#pragma once
#include <windows.h>

// 0 = off (the normal state). Set once at start-up from the environment.
extern int gUiLogSwitch;

// Selects the ANSI code page for the C library's wide-to-narrow output and
// reads Q8_UI_LOG once; "1" turns the log on.
void InitUiLog();

// printf-style wide message after a "H:MM:SS.mmm [0xTHREADID] " prefix.
// 0 when off, the open error when the file cannot be opened, else fclose's result.
int WriteUiLog(const wchar_t* format, ...);

// Case-insensitive compare of the first `count` characters of `wide` with
// `narrow` widened through the ANSI code page (wcsnicmp semantics).
int stricmp_T(const char* narrow, const wchar_t* wide, size_t count);
