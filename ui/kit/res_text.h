// User-visible texts kept in the program's string table, so that every word a
// user reads lives in the resources and nowhere in the code.
#pragma once
#include <windows.h>

// Copies string `stringId` of the program's string table into `out` (at most
// `size` characters with the terminator) and returns `out`. A missing string
// gives an empty text, never stale or unterminated memory.
wchar_t* LoadResText(UINT stringId, wchar_t* out, int size);
