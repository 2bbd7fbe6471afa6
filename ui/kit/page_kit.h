// What every skinned page does alike: paint its picture off screen and hand
// the buttons their background, place controls by layout strings, build
// fonts that keep their pixel size, drag the top-level window, and make the
// 32-bit surfaces that per-pixel-alpha windows are drawn into.
#pragma once
#include "ui/kit/image_cache.h"
#include "ui/kit/tp_button.h"

// Paints `picture` at 0,0 scaled to `size` (GDI+, default interpolation) into
// an off-screen bitmap, copies it to the page in one transfer, then lets each
// button capture its background from that bitmap, in the order given.
// Call from WM_PAINT.
void PaintSkinnedPage(HWND page, CachedImage* picture, SIZE size, CTpButton* const* buttons, int count);

// A 32-bit top-down DIB section of w x h for a per-pixel-alpha picture:
// `*bits` gets its rows, top row first, which a GDI+ bitmap of the same size
// (stride w * 4, 32bppPARGB) can share. Null when it can't be made.
HBITMAP CreateAlphaSurface(HDC dc, int w, int h, void** bits);
// Moves control `id` of `dialog` to exactly x,y,w,h of layout string
// `stringId`; a missing or malformed string leaves it where it is.
void PlaceControl(HWND dialog, int id, UINT stringId);
// The picture-button rule: x,y of the layout string, size w+1 by h+1, z-order
// kept; a missing or malformed string leaves the button where it is.
void PlaceSkinnedButton(CTpButton& button, UINT stringId);

// Gives a button its four pictures (ids in the order hover, normal, pressed,
// disabled, as the pages list them), the centred-picture mode and the cursor.
void SkinButton(CTpButton& button, int hover, int normal, int pressed, int disabled, UINT cursorId);

// The stock system font's LOGFONT with `face` and a height of `points` at
// 96 dpi whatever the screen's resolution (tenths of a point = points * 960 /
// LOGPIXELSX, as a point font with no device context).
LOGFONTW ScaledPointFont(const wchar_t* face, int points, bool bold);

// WM_MOUSEMOVE with exactly MK_LBUTTON on a page: lets the mouse go and
// starts a drag of the page's top-level window. true when it did.
bool DragTopLevelOnMouseMove(HWND page, WPARAM wParam);
