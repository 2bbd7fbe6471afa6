// Shared by the fuzz tests: printing a wide text that may hold anything.
#pragma once
#include <cstdio>
#include <string>

// The first `maxChars` characters of `w` in printable ASCII, every other
// character as \xNNNN.
inline std::string Show(const std::wstring& w, size_t maxChars = std::wstring::npos) {
    std::string s;
    for (wchar_t c : w.substr(0, maxChars)) {
        if (c >= 0x20 && c < 0x7F) {
            s += (char)c;
        } else {
            char hex[12];
            snprintf(hex, sizeof hex, "\\x%04X", (unsigned)c);
            s += hex;
        }
    }
    return s;
}
