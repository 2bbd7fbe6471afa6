// hello_dialog: the yardstick of tools/bench-start.sh, not part of Q8. The
// smallest Win32 dialog program: one dialog template with a line of text and
// an OK button, shown with DialogBoxParamW until it is closed.
#include <windows.h>

#include "hello_dialog_res.h"

static INT_PTR CALLBACK HelloProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return (int)DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_HELLO), nullptr, HelloProc, 0);
}
