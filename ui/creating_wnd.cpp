// Plain "creating" popup: a centred box with the creating text. It stores the
// progress value but does not draw it.
#include "ui/creating_wnd.h"

#include "ui/kit/framework.h"

static const wchar_t kClass[] = L"Q8CreatingWindow";
static const wchar_t kText[] = L"无线网络正在创建中…";

static LRESULT CALLBACK CreatingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(dc, &rc, (HBRUSH)GetStockObject(WHITE_BRUSH));
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, kText, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND CreateCreatingWindow(HWND owner) {
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = CreatingProc;
        wc.hInstance = gFramework.instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClass;
        atom = RegisterClassW(&wc);
    }
    const int w = 240, h = 80;
    int x = (GetSystemMetrics(SM_CXFULLSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYFULLSCREEN) - h) / 2;
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClass, kText, WS_POPUP | WS_BORDER, x < 0 ? 0 : x,
                                y < 0 ? 0 : y, w, h, owner, nullptr, gFramework.instance, nullptr);
    if (hwnd) ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    return hwnd;
}

void SetCreatingProgress(HWND window, int progress) {
    SetWindowLongPtrW(window, GWLP_USERDATA, progress);
}
