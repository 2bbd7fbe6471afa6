// CTpButton: a push button drawn from four pictures (hover, normal, pressed,
// disabled) centred over a copy of the dialog background beneath it, with a
// hover poll and a press that is dropped when released outside.
#pragma once
#include "ui/kit/image_cache.h"
#include "ui/kit/kit_ctrl.h"

// Button states.
#define TPB_HOVER 0
#define TPB_NORMAL 1
#define TPB_RELEASED 2
#define TPB_PRESSED 3

// Which picture a button shows.
enum TpButtonImage { TPB_IMG_HOVER, TPB_IMG_NORMAL, TPB_IMG_PRESSED, TPB_IMG_DISABLED };

// The picture for a state and the state before it; a disabled button always
// shows its disabled picture.
TpButtonImage ChooseButtonImage(bool enabled, int state, int prevState);
// true when the picture is drawn one pixel right and down (held down).
bool ButtonImageShifted(int state, int prevState);

#define TPB_TIMER_HOVER 1
#define TPB_HOVER_POLL_MS 10
#define TPB_DRAW_CENTRED 1

class CTpButton : public CKitCtrl {
public:
    ~CTpButton() override;

    // Pictures in the order disabled, normal, pressed, hover. All four must be
    // present, else nothing changes and 0 is returned; 1 on success.
    int SetImages(CachedImage* disabled, CachedImage* normal, CachedImage* pressed, CachedImage* hover);
    // Copies the part of `source` (the parent's freshly painted off-screen
    // picture, in the parent's client coordinates) that lies under the button.
    void CaptureBackground(HDC source);
    // Loads the cursor shown over the button from the program's resources.
    void SetCursorResource(UINT cursorId);

    int state = TPB_NORMAL;
    int prevState = TPB_NORMAL;
    bool hovering = false;
    bool enabled = true;
    bool backgroundTaken = false;
    int drawMode = TPB_DRAW_CENTRED;
    HCURSOR cursor = nullptr;  // owned; none = the default cursor

protected:
    void OnAttach() override;
    void OnDetach() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnReflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // Draws the current picture over the captured background, on `target`
    // or, without one, on the button's own window.
    virtual void Redraw(HDC target = nullptr);
    // The picture for the current state; null until all four are set.
    CachedImage* CurrentImage() const;

private:
    void SetState(int newState);
    LRESULT OnLButtonUp(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnHoverTimer();
    void FreeBackground();

    HDC m_background = nullptr;
    HBITMAP m_backgroundBitmap = nullptr;
    HGDIOBJ m_backgroundOld = nullptr;
    CachedImage* m_img[4] = {};  // indexed by TpButtonImage
};
