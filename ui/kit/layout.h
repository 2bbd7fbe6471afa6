// Layout rectangles kept as text in the string table: "x,y,width,height".
#pragma once
#include <windows.h>

// Reads `text` as four numbers x,y,w,h into left/top/right/bottom; false
// (and `out` untouched) unless all four were read, each is above 0 and none
// exceeds 10000. A position of 0 is therefore not expressible.
bool ParseLayoutRect(const wchar_t* text, RECT* out);

// The rectangle of string `stringId` in the program's string table, or
// `fallback` whole when the string is missing or malformed.
RECT LoadLayoutRect(UINT stringId, const RECT& fallback);
