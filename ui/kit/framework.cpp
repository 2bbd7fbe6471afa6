// Dialog framework: modeless dialogs with a modal loop of our own, so that
// PreTranslateMessage sees every queued message first.
#include "ui/kit/framework.h"
#include "ui/kit/skin_menu.h"

#include "ui/kit/kit_ctrl.h"

#include <cwchar>

// Marks a window as one of our dialogs; the dialog procedure keeps the object
// in DWLP_USER.
static const wchar_t kDialogProp[] = L"Q8KitDialog";

FrameworkApp gFramework = {nullptr, nullptr, L""};

void FrameworkInit(HINSTANCE instance) { gFramework.instance = instance; }

void FrameworkSetRegistryKey(const wchar_t* name) {
    wcsncpy(gFramework.registryKey, name, 63);
    gFramework.registryKey[63] = L'\0';
}

void FrameworkExit() { gFramework.mainWindow = nullptr; }

CDialog::CDialog(UINT templateId) : m_templateId(templateId) {}

CDialog::~CDialog() { DestroyWindow(); }

BOOL CDialog::Create(HWND parent) {
    m_hWnd = CreateDialogParamW(gFramework.instance, MAKEINTRESOURCEW(m_templateId), parent, DialogProc,
                                (LPARAM)this);
    return m_hWnd != nullptr;
}

INT_PTR CDialog::DoModal(HWND parent) {
    if (!Create(parent)) return -1;
    if (parent) EnableWindow(parent, FALSE);
    m_modalRunning = true;
    m_modalResult = 0;
    MSG msg;
    while (m_modalRunning) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {           // WM_QUIT ends the run; keep it for an outer loop
            PostQuitMessage((int)msg.wParam);
            break;
        }
        if (got == -1) break;
        if (!WalkPreTranslate(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    m_modalRunning = false;
    if (parent) EnableWindow(parent, TRUE);
    DestroyWindow();
    return m_modalResult;
}

void CDialog::EndDialog(INT_PTR result) {
    m_modalResult = result;
    m_modalRunning = false;
    if (m_hWnd) PostMessageW(m_hWnd, WM_NULL, 0, 0);  // wake the loop
}

void CDialog::DestroyWindow() {
    if (m_hWnd) {
        HWND h = m_hWnd;
        ::DestroyWindow(h);
        m_hWnd = nullptr;
    }
}

CDialog* CDialog::FromHandle(HWND hwnd) {
    if (!hwnd || !GetPropW(hwnd, kDialogProp)) return nullptr;
    return (CDialog*)GetWindowLongPtrW(hwnd, DWLP_USER);
}

BOOL CDialog::WalkPreTranslate(MSG* msg) {
    for (HWND h = msg->hwnd; h; h = (GetWindowLongW(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr) {
        if (h == m_hWnd) break;
        CDialog* dlg = FromHandle(h);
        if (dlg && dlg->PreTranslateMessage(msg)) return TRUE;
    }
    return PreTranslateMessage(msg);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (!m_hWnd || (GetWindowLongW(m_hWnd, GWL_STYLE) & WS_CHILD)) return FALSE;
    return IsDialogMessageW(m_hWnd, msg);
}

INT_PTR CDialog::OnMessage(UINT, WPARAM, LPARAM, bool&) { return 0; }

// The few messages whose answer a dialog procedure returns itself (a brush,
// an item index) instead of leaving it in DWLP_MSGRESULT.
static bool ReturnsResultDirectly(UINT msg) {
    return (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) || msg == WM_COMPAREITEM || msg == WM_VKEYTOITEM ||
           msg == WM_CHARTOITEM || msg == WM_QUERYDRAGICON;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CDialog* self;
    if (msg == WM_INITDIALOG) {
        self = (CDialog*)lParam;
        SetWindowLongPtrW(hwnd, DWLP_USER, (LONG_PTR)self);
        self->m_hWnd = hwnd;
        SetPropW(hwnd, kDialogProp, (HANDLE)1);
        return self->OnInitDialog();
    }
    self = (CDialog*)GetWindowLongPtrW(hwnd, DWLP_USER);
    if (!self) return FALSE;
    if (msg == WM_NCDESTROY) {
        RemovePropW(hwnd, kDialogProp);
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        return FALSE;
    }
    LRESULT reflected = 0;
    if (CKitCtrl::ReflectToControl(msg, wParam, lParam, &reflected)) {
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, reflected);
        return TRUE;
    }
    if (msg == WM_MEASUREITEM || msg == WM_DRAWITEM) {
        LRESULT menuResult = 0;
        if (CSkinMenu::HandleOwnerMessage(msg, wParam, lParam, &menuResult)) {
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, menuResult);
            return TRUE;
        }
    }
    bool handled = false;
    INT_PTR result = self->OnMessage(msg, wParam, lParam, handled);
    if (msg == WM_DESTROY) self->OnDestroy();
    if (!handled) return FALSE;
    if (ReturnsResultDirectly(msg)) return result;
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}
