// Picture cache: a singly linked list behind a sentinel head, new entries
// right after the head. Decoding goes through a memory stream that owns a
// copy of the resource bytes, so the cached clone outlives nothing.
#include "ui/kit/image_cache.h"

#include "ui/kit/framework.h"

#include <gdiplus.h>
#include <objidl.h>
#include <cwchar>

static CachedImage* gImageHead = nullptr;
static unsigned short gImageLanguage = 1033;

void SetImageCacheLanguage(unsigned short languageId) { gImageLanguage = languageId; }

void InitImageCache() {
    if (!gImageHead) gImageHead = new CachedImage{nullptr, 0, 0, L"", nullptr};
}

void FreeImageCache() {
    CachedImage* e = gImageHead;
    while (e) {
        CachedImage* next = e->next;
        delete e->image;
        delete e;
        e = next;
    }
    gImageHead = nullptr;
}

static CachedImage* FindCached(int id, const wchar_t* type) {
    for (CachedImage* e = gImageHead ? gImageHead->next : nullptr; e; e = e->next)
        if (e->languageId == gImageLanguage && e->resourceId == id && wcscmp(e->resourceType, type) == 0) return e;
    return nullptr;
}

// A missing picture leaves the program without its look: say which one and end.
[[noreturn]] static void FailMissingImage(int id) {
    wchar_t text[64];
    _snwprintf(text, ARRAYSIZE(text), L"Image Resource Error:%d", id);
    text[ARRAYSIZE(text) - 1] = L'\0';
    MessageBoxW(nullptr, text, nullptr, MB_ICONERROR);
    ExitProcess(1);
}

// Copies the resource into a movable block; null when any step fails.
static HGLOBAL CopyResource(int id, const wchar_t* type) {
    HMODULE module = gFramework.instance;
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!res) return nullptr;
    DWORD size = SizeofResource(module, res);
    HGLOBAL loaded = LoadResource(module, res);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    void* dst = block ? GlobalLock(block) : nullptr;
    if (!dst) {
        if (block) GlobalFree(block);
        return nullptr;
    }
    memcpy(dst, bytes, size);
    GlobalUnlock(block);
    return block;
}

// Decodes the block (the stream takes it over and frees it); a picture that
// does not decode gives an empty image rather than none.
static Gdiplus::Image* DecodeBlock(HGLOBAL block) {
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(block, TRUE, &stream) != S_OK) {
        GlobalFree(block);
        return nullptr;
    }
    Gdiplus::Image* bound = Gdiplus::Image::FromStream(stream);
    Gdiplus::Image* clone = nullptr;
    if (bound && bound->GetLastStatus() == Gdiplus::Ok) clone = bound->Clone();
    delete bound;
    stream->Release();
    return clone;
}

CachedImage* LoadImageResource(int resourceId, const wchar_t* type) {
    InitImageCache();
    if (CachedImage* hit = FindCached(resourceId, type)) return hit;
    HGLOBAL block = CopyResource(resourceId, type);
    if (!block) FailMissingImage(resourceId);
    CachedImage* e = new CachedImage{DecodeBlock(block), resourceId, gImageLanguage, L"", gImageHead->next};
    wcsncpy(e->resourceType, type, ARRAYSIZE(e->resourceType) - 1);
    e->resourceType[ARRAYSIZE(e->resourceType) - 1] = L'\0';
    gImageHead->next = e;
    return e;
}

int ImageWidth(const CachedImage* entry) {
    return entry && entry->image ? (int)entry->image->GetWidth() : 0;
}

int ImageHeight(const CachedImage* entry) {
    return entry && entry->image ? (int)entry->image->GetHeight() : 0;
}
