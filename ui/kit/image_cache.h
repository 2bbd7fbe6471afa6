// Process-wide cache of PNG pictures loaded through GDI+.
#pragma once

void InitImageCache();
void FreeImageCache();
