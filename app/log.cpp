// Diagnostic log: WriteUiLog and stricmp_T.
#include "app/log.h"

#include <cerrno>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

int gUiLogSwitch = 0;

void InitUiLog() {
    // The log narrows wide text through the C library: use the ANSI code page.
    setlocale(LC_CTYPE, "");
    wchar_t value[8] = {};
    DWORD n = GetEnvironmentVariableW(L"Q8_UI_LOG", value, 8);
    gUiLogSwitch = (n == 1 && value[0] == L'1') ? 1 : 0;
}

int WriteUiLog(const wchar_t* format, ...) {
    if (!gUiLogSwitch) return 0;
    FILE* f = nullptr;
    // Text mode: the C library writes each "\n" as CR LF and narrows wide text.
    errno_t err = fopen_s(&f, "ui_log.log", "a");
    if (err != 0 || !f) return err ? err : EACCES;
    SYSTEMTIME t;
    GetLocalTime(&t);
    fprintf(f, "%d:%02d:%02d.%03d [0x%08X] ", t.wHour, t.wMinute, t.wSecond, t.wMilliseconds,
            (unsigned)GetCurrentThreadId());
    // msvcrt's own formatter, where "%s" takes a wide text; the C99 one that
    // libstdc++ selects for vfwprintf would read it as narrow.
    wchar_t message[4096];
    va_list args;
    va_start(args, format);
    _vsnwprintf(message, 4096, format, args);  // -1 on truncation; the cut text is kept
    va_end(args);
    message[4095] = L'\0';
    fputws(message, f);
    return fclose(f);
}

int stricmp_T(const char* narrow, const wchar_t* wide, size_t count) {
    wchar_t buffer[1024];
    buffer[0] = L'\0';
    if (!MultiByteToWideChar(CP_ACP, 0, narrow, -1, buffer, 1024)) {
        printf("stricmp_T()'s MultiByteToWideChar FAILED, last error is: %d.\r\n", (int)GetLastError());
        buffer[0] = L'\0';
    }
    return _wcsnicmp(buffer, wide, count);
}
