// Texts from the string table.
#include "ui/kit/res_text.h"

#include "ui/kit/framework.h"

wchar_t* LoadResText(UINT stringId, wchar_t* out, int size) {
    if (!out || size <= 0) return out;
    out[0] = L'\0';
    if (LoadStringW(gFramework.instance, stringId, out, size) <= 0) out[0] = L'\0';
    return out;
}
