// The thin dialog framework shared by both programs: an application object
// that owns the module handle, and a dialog class over plain Win32 dialogs
// whose modal run lets the dialog filter each message before dispatch.
#pragma once
#include <windows.h>

class CDialog;

// Application-wide framework state.
struct FrameworkApp {
    HINSTANCE instance;
    CDialog* mainWindow;
    wchar_t registryKey[64];  // handed over by the program; nothing reads it
};
extern FrameworkApp gFramework;

void FrameworkInit(HINSTANCE instance);
void FrameworkSetRegistryKey(const wchar_t* name);
void FrameworkExit();

class CDialog {
public:
    explicit CDialog(UINT templateId);
    virtual ~CDialog();

    // Runs the dialog until EndDialog or WM_QUIT; the window is destroyed
    // before it returns. Result: the EndDialog value, or -1 when creation failed.
    INT_PTR DoModal(HWND parent = nullptr);
    // Creates the dialog modeless, as a child or owned popup.
    BOOL Create(HWND parent);
    void EndDialog(INT_PTR result);
    void DestroyWindow();

    HWND hwnd() const { return m_hWnd; }
    UINT templateId() const { return m_templateId; }

    // The framework dialog that owns `hwnd`, or null.
    static CDialog* FromHandle(HWND hwnd);

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    // TRUE swallows the message. The running loop offers each message to the
    // dialogs from its target window up to the top-level one, then to the
    // modal dialog. The default gives it to IsDialogMessage, except in a child
    // dialog, whose parent does that.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Dialog procedure body; set handled and return the result to keep a message.
    virtual INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual void OnDestroy() {}

    HWND m_hWnd = nullptr;

private:
    BOOL WalkPreTranslate(MSG* msg);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    UINT m_templateId;
    bool m_modalRunning = false;
    INT_PTR m_modalResult = 0;
};
