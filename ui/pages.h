// The main window's further pages: the tips page shown while no hotspot
// runs, and the two easy-connection guides (key-protected and open network)
// that show the running hotspot's name and key over their pictures.
#pragma once
#include "ui/kit/framework.h"
#include "ui/kit/image_cache.h"
#include "ui/kit/tp_button.h"
#include "ui/kit/tp_static.h"

// What a page paints and hands its background to: the picture at its own
// size and the picture buttons that sit on it.
struct PageLook {
    CachedImage* picture = nullptr;
    SIZE size = {};
    CTpButton* buttons[2] = {};
    int buttonCount = 0;
};

// Page 0: only the picture and a close button.
class CTips : public CDialog {
public:
    CTips();

protected:
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    PageLook m_look;
    CTpButton m_close;
};

// Page 4: connection steps for a key-protected hotspot; the name three
// times and the key twice.
class CGuide : public CDialog {
public:
    CGuide();
    // Labels from the hotspot in use (gSoftApInfo).
    void RefreshGuide();

protected:
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    PageLook m_look;
    CTpStatic m_names[3];
    CTpStatic m_keys[2];
    CTpButton m_back;
    CTpButton m_close;
};

// Page 5: connection steps for an open hotspot; the name twice.
class CGuide_none : public CDialog {
public:
    CGuide_none();
    // Labels from the hotspot in use (gSoftApInfo).
    void RefreshGuideOpen();

protected:
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    PageLook m_look;
    CTpStatic m_names[2];
    CTpButton m_back;
    CTpButton m_close;
};
