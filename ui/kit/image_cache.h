// Process-wide cache of the program's PNG pictures: each resource is decoded
// once per resource language through GDI+ and kept until exit. UI thread only.
#pragma once
#include <windows.h>

namespace Gdiplus { class Image; }

// One cached picture; entries belong to the cache, callers never free them.
struct CachedImage {
    Gdiplus::Image* image;  // decoded clone, independent of the resource memory
    int resourceId;
    int languageId;         // language in force when it was loaded
    wchar_t resourceType[16];
    CachedImage* next;
};

// Language that new look-ups are made for (the settings' langId); 1033 until set.
void SetImageCacheLanguage(unsigned short languageId);

// The entry for (id, type, current language), decoding the resource on first
// use. A missing resource shows "Image Resource Error:<id>" and ends the
// program with exit code 1. `type` is "PNG" throughout.
CachedImage* LoadImageResource(int resourceId, const wchar_t* type = L"PNG");

// Picture size; 0 for a picture GDI+ could not decode.
int ImageWidth(const CachedImage* entry);
int ImageHeight(const CachedImage* entry);

// The cache's head is made on first use (or here, at start-up); FreeImageCache
// frees every entry and the head, once, at program exit.
void InitImageCache();
void FreeImageCache();
