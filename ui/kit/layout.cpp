// Layout rectangles from the string table.
#include "ui/kit/layout.h"

#include "ui/kit/framework.h"

#include <cstdio>

static const int kLayoutMax = 10000;

bool ParseLayoutRect(const wchar_t* text, RECT* out) {
    int v[4];
    if (!text || swscanf(text, L"%d,%d,%d,%d", &v[0], &v[1], &v[2], &v[3]) != 4) return false;
    for (int n : v)
        if (n <= 0 || n > kLayoutMax) return false;
    *out = RECT{v[0], v[1], v[0] + v[2], v[1] + v[3]};
    return true;
}

RECT LoadLayoutRect(UINT stringId, const RECT& fallback) {
    wchar_t text[64] = L"";
    RECT rc = fallback;
    if (LoadStringW(gFramework.instance, stringId, text, ARRAYSIZE(text)) > 0) ParseLayoutRect(text, &rc);
    return rc;
}
