// The installer's diagnostic log.
#include "installer/installer_log.h"

#include <cstdarg>
#include <clocale>
#include <cstdio>
#include <cwchar>

int gInstallerLogSwitch = 0;

void InitInstallerLog() {
    setlocale(LC_CTYPE, "");
    wchar_t value[8] = {};
    DWORD n = GetEnvironmentVariableW(L"Q8_SETUP_LOG", value, ARRAYSIZE(value));
    gInstallerLogSwitch = (n == 1 && value[0] == L'1') ? 1 : 0;
}

// The prefix of a line: it opens a new line, then the time and the thread.
static int FormatPrefix(wchar_t* line, size_t size) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    int n = _snwprintf(line, size, L"\n%d:%02d:%02d.%03d [0x%08X]: ", t.wHour, t.wMinute, t.wSecond,
                       t.wMilliseconds, (unsigned)GetCurrentThreadId());
    return (n < 0 || (size_t)n >= size) ? (int)size - 1 : n;
}

void FormatInstallerLogLine(wchar_t* line, size_t size, const wchar_t* message) {
    if (!line || size == 0) return;
    int n = FormatPrefix(line, size);
    _snwprintf(line + n, size - n, L"%s", message ? message : L"");
    line[size - 1] = L'\0';
}

int WriteInstallerLog(const wchar_t* format, ...) {
    wchar_t line[INSTALLER_LOG_LINE_MAX];
    int n = FormatPrefix(line, ARRAYSIZE(line));
    va_list args;
    va_start(args, format);
    // msvcrt's formatter, where "%s" takes a wide text. A longer message is cut.
    _vsnwprintf(line + n, ARRAYSIZE(line) - n, format ? format : L"", args);
    va_end(args);
    line[ARRAYSIZE(line) - 1] = L'\0';
    if (!gInstallerLogSwitch) return 0;
    FILE* f = nullptr;
    if (_wfopen_s(&f, INSTALLER_LOG_PATH, L"a+") != 0 || !f) return 0;
    fputws(line, f);  // text mode: "\n" becomes CR LF, wide text is narrowed
    return fclose(f);
}
