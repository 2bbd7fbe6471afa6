// CTpButtonEx: the picture button of a per-pixel-alpha window. Such a window
// shows one composed picture and nothing its child windows paint, so this
// button draws each state into that picture instead, over the part of it
// that lay beneath the button when it was captured; the window then pushes
// the picture to the screen again.
#pragma once
#include "ui/kit/tp_button.h"

namespace Gdiplus { class Bitmap; }

class CTpButtonEx : public CTpButton {
public:
    ~CTpButtonEx() override;
    // `surface` is the parent's composed picture (its client size, 32-bit
    // premultiplied alpha); it must outlive the button's drawing. Keeps a
    // copy of the part under the button, then draws the current state.
    void CaptureSurface(Gdiplus::Bitmap* surface);
    // The button's rectangle in its parent's client coordinates.
    RECT PlaceInParent() const;

protected:
    void Redraw(HDC target = nullptr) override;

private:
    Gdiplus::Bitmap* m_surface = nullptr;
    Gdiplus::Bitmap* m_under = nullptr;  // owned copy of what lay beneath
};
