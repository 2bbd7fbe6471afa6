// The window as the soft AP logic and the internet watch see it: the few
// looks they switch between. The main window implements it and registers
// itself once; until then (and in tests) a view that shows nothing stands in.
// UI thread only, except ShowMainWindow, which other threads may call.
#pragma once

class ISoftApView {
public:
    virtual void ShowPage(int page) = 0;
    virtual void ShowMainWindow() = 0;
    virtual void HideMainWindow() = 0;
    virtual void ShowCreating() = 0;
    virtual void HideCreating() = 0;
    virtual bool CreatingWindowExists() const = 0;
    virtual bool CreatingFlag() const = 0;
    virtual void RestoreTrayIfRemoved() = 0;
    // The exit command's look: window hidden, tray icon removed.
    virtual void ShowExitLook() = 0;

protected:
    ~ISoftApView() = default;
};

// null: back to the view that shows nothing.
void SetSoftApView(ISoftApView* view);
ISoftApView* SoftApView();

#define SOFTAP_PAGE_TIPS 0
#define SOFTAP_PAGE_PANEL 2
