// CGifShowDlg: a borderless top-most layered window that plays a strip of
// frames (one PNG, frames side by side) with a caption picture over each
// frame, shaped by the pictures' own alpha. It centres itself on a window it
// is given, can be dragged, and never closes by keyboard.
#pragma once
#include "ui/kit/framework.h"
#include "ui/kit/image_cache.h"

namespace Gdiplus { class Graphics; }

#define GIF_TIMER_FRAME 1
#define GIF_FRAME_COUNT 24
#define GIF_DEFAULT_DELAY_MS 100
#define GIF_CAPTION_X 74
#define GIF_CAPTION_Y 45
#define GIF_CAPTION_W 57
#define GIF_CAPTION_H 17

class CGifShowDlg : public CDialog {
public:
    // captionId 0: no caption picture.
    CGifShowDlg(UINT templateId, int stripId, int captionId);
    ~CGifShowDlg() override;

    // Loads the strip, sets the frame count and places the window over
    // `placeOver`. 1 on success, 0 when there is no strip.
    int LoadStrip();

    // Where a frame of w x h goes, centred on `over`; a rectangle that was
    // never given a size (a window not yet placed) centres on `workArea` instead.
    static POINT CentreOn(const RECT& over, const RECT& workArea, int w, int h);

    HWND placeOver = nullptr;  // the window to centre on
    CachedImage* strip = nullptr;
    CachedImage* caption = nullptr;
    int frameCount = 0;
    int frameIndex = 0;
    int frameDelay = GIF_DEFAULT_DELAY_MS;
    int frameWidth = 0, frameHeight = 0;
    double stripWidth = 0, stripHeight = 0;
    RECT windowRect = {};
    bool ready = false;
    int progress = 0;  // kept for the owner; not drawn here

protected:
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    // Draws what lies over the frame; the default draws the caption picture.
    virtual void DrawOverlay(Gdiplus::Graphics& g);

private:
    void PlaceWindow();
    void PaintFrame();
    void NextFrame();

    int m_stripId;
    int m_captionId;
};
