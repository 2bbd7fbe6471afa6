// Picture cache. Pictures are added by the skinned controls; the cache is
// created empty at start-up and freed at exit.
#include "ui/kit/image_cache.h"

#include <windows.h>
#include <gdiplus.h>
#include <vector>

struct CachedImage {
    unsigned id;
    Gdiplus::Image* image;
};

static std::vector<CachedImage>* gImageCache = nullptr;

void InitImageCache() {
    if (!gImageCache) gImageCache = new std::vector<CachedImage>();
}

void FreeImageCache() {
    if (!gImageCache) return;
    for (CachedImage& c : *gImageCache) delete c.image;
    delete gImageCache;
    gImageCache = nullptr;
}
