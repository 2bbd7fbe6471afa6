// Control subclassing for the kit (comctl32's window subclass chain).
#include "ui/kit/kit_ctrl.h"

#include <commctrl.h>

static const UINT_PTR kKitSubclassId = 0x51384B;  // "Q8K"
// Names the attached object on its window, so a parent can find it.
static const wchar_t kKitCtrlProp[] = L"Q8KitCtrl";

CKitCtrl::~CKitCtrl() { Detach(); }

BOOL CKitCtrl::Attach(HWND control) {
    if (!control || m_hWnd || FromHandle(control)) return FALSE;
    if (!SetWindowSubclass(control, SubclassProc, kKitSubclassId, (DWORD_PTR)this)) return FALSE;
    m_hWnd = control;
    SetPropW(control, kKitCtrlProp, (HANDLE)this);
    OnAttach();
    return TRUE;
}

void CKitCtrl::Detach() {
    if (!m_hWnd) return;
    OnDetach();
    RemoveWindowSubclass(m_hWnd, SubclassProc, kKitSubclassId);
    RemovePropW(m_hWnd, kKitCtrlProp);
    m_hWnd = nullptr;
}

CKitCtrl* CKitCtrl::FromHandle(HWND control) {
    return control ? (CKitCtrl*)GetPropW(control, kKitCtrlProp) : nullptr;
}

bool CKitCtrl::ReflectToControl(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (msg != WM_DRAWITEM) return false;
    const DRAWITEMSTRUCT* dis = (const DRAWITEMSTRUCT*)lParam;
    if (!dis || dis->CtlType == ODT_MENU) return false;
    CKitCtrl* ctrl = FromHandle(dis->hwndItem);
    return ctrl && ctrl->OnReflect(msg, wParam, lParam, result);
}

LRESULT CKitCtrl::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(m_hWnd, msg, wParam, lParam);
}

LRESULT CALLBACK CKitCtrl::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR refData) {
    CKitCtrl* self = (CKitCtrl*)refData;
    if (msg == WM_NCDESTROY) {
        // The window goes first; the object may live on and be attached again.
        self->Detach();
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    return self->WndProc(msg, wParam, lParam);
}
