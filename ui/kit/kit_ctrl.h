// Base of the kit's controls: attaches an object to an existing child window
// (a control of a dialog template) by subclassing it, and takes back the
// owner-draw messages that the parent receives on the control's behalf.
#pragma once
#include <windows.h>

class CKitCtrl {
public:
    CKitCtrl() = default;
    CKitCtrl(const CKitCtrl&) = delete;
    CKitCtrl& operator=(const CKitCtrl&) = delete;
    virtual ~CKitCtrl();

    // Subclasses `control`; false when it is null or already attached.
    BOOL Attach(HWND control);
    BOOL AttachItem(HWND dialog, int controlId) { return Attach(GetDlgItem(dialog, controlId)); }
    void Detach();
    HWND hwnd() const { return m_hWnd; }

    // The kit control attached to `control`, or null.
    static CKitCtrl* FromHandle(HWND control);
    // For a parent's WM_DRAWITEM about one of the kit's controls: hands it to
    // that control. true when the control took it (`*result` then holds the answer).
    static bool ReflectToControl(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

protected:
    virtual void OnAttach() {}
    virtual void OnDetach() {}
    // The control's own messages; the default passes them on.
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) { return Default(msg, wParam, lParam); }
    // A message the parent received about this control.
    virtual bool OnReflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) { return false; }
    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR refData);
};
