// kit_probe.exe: the skinned control kit in a small program of its own, for
// the end-to-end tests and the animation benchmark. It shows what a test
// asks for and writes what happened, one line each, to the file it is given:
//   kit_probe buttons OUT              a skinned page with picture buttons and labels;
//                                      notes clicks, dropped presses and the first button's state
//   kit_probe gif OUT X Y W H [S [D]]  the animation centred on a window at X,Y,W,H
//                                      (W or H 0: a window never placed), for S seconds
//                                      (0: until closed) with D ms per frame (default 50)
//   kit_probe missing ID               asks the picture cache for a picture it lacks
#include "kit_probe_res.h"
#include "ui/kit/framework.h"
#include "ui/kit/gif_show_dlg.h"
#include "ui/kit/image_cache.h"
#include "ui/kit/tp_button.h"
#include "ui/kit/tp_static.h"

#include <gdiplus.h>
#include <shellapi.h>
#include <cstdio>
#include <cwchar>
#include <cstdlib>

static wchar_t gOut[MAX_PATH];

static void Note(const char* format, ...) {
    FILE* f = _wfopen(gOut, L"ab");
    if (!f) return;
    va_list args;
    va_start(args, format);
    vfprintf(f, format, args);
    va_end(args);
    fclose(f);
}

// ---- buttons ---------------------------------------------------------------

struct ButtonSpec { int id; int disabled, normal, pressed, hover; RECT at; };
static const ButtonSpec kButtons[] = {
    {IDC_PROBE_CONFIRM, 171, 173, 170, 172, {40, 240, 121, 265}},
    {IDC_PROBE_DISABLED, 171, 173, 170, 172, {40, 290, 121, 315}},
    {IDC_PROBE_HIDE, 211, 213, 214, 212, {160, 240, 241, 265}},
};

class CButtonsDlg : public CDialog {
public:
    CButtonsDlg() : CDialog(IDD_PROBE_BUTTONS) {}

protected:
    BOOL OnInitDialog() override {
        m_background = LoadImageResource(IDP_PROBE_BACKGROUND);
        SetWindowPos(m_hWnd, nullptr, 100, 100, ImageWidth(m_background), ImageHeight(m_background),
                     SWP_NOZORDER | SWP_SHOWWINDOW);
        for (int i = 0; i < (int)ARRAYSIZE(kButtons); i++) {
            const ButtonSpec& b = kButtons[i];
            m_buttons[i].AttachItem(m_hWnd, b.id);
            m_buttons[i].SetImages(LoadImageResource(b.disabled), LoadImageResource(b.normal),
                                   LoadImageResource(b.pressed), LoadImageResource(b.hover));
            m_buttons[i].SetCursorResource(IDC_PROBE_CURSOR);
            MoveWindow(m_buttons[i].hwnd(), b.at.left, b.at.top, b.at.right - b.at.left, b.at.bottom - b.at.top, TRUE);
        }
        SetUpLabels();
        // The confirm button's state as it changes, for tests to follow.
        SetTimer(m_hWnd, kStateTimer, 5, nullptr);
        Note("ready\n");
        return TRUE;
    }

    void SetUpLabels() {
        m_label.AttachItem(m_hWnd, IDC_PROBE_LABEL);
        m_label.SetFontName(L"微软雅黑", DEFAULT_CHARSET);
        m_label.SetFontSize(11);
        m_label.SetFontBold(true);
        m_label.SetLabelTextColor(RGB(81, 82, 85));
        MoveWindow(m_label.hwnd(), 40, 330, 300, 20, TRUE);
        m_gradient.AttachItem(m_hWnd, IDC_PROBE_GRADIENT);
        m_gradient.SetTransparent(false);
        m_gradient.SetLabelBkColor(RGB(8, 176, 167), RGB(255, 255, 255), true);
        m_gradient.SetLabelTextColor(RGB(255, 255, 255));
        MoveWindow(m_gradient.hwnd(), 40, 356, 300, 22, TRUE);
        m_text3D.AttachItem(m_hWnd, IDC_PROBE_3D);
        m_text3D.SetFontSize(11);
        m_text3D.SetLabelTextColor(RGB(8, 176, 167));
        m_text3D.SetText3D(true, true);
        m_text3D.SetText3DHiliteColor(RGB(171, 174, 178));
        MoveWindow(m_text3D.hwnd(), 40, 384, 300, 22, TRUE);
    }

    void Paint() {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        int w = ImageWidth(m_background), h = ImageHeight(m_background);
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP bmp = CreateCompatibleBitmap(dc, w, h);
        HGDIOBJ old = SelectObject(mem, bmp);
        {
            Gdiplus::Graphics g(mem);
            g.DrawImage(m_background->image, 0, 0, w, h);
        }
        BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
        for (CTpButton& b : m_buttons) b.CaptureBackground(mem);
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
        EndPaint(m_hWnd, &ps);
    }

    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override {
        handled = true;
        switch (msg) {
        case WM_PAINT: Paint(); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) Note("clicked %d\n", LOWORD(wParam));
            return 0;
        case WM_MOUSEMOVE:
            if (wParam == MK_CONTROL) Note("dropped %d,%d\n", (short)LOWORD(lParam), (short)HIWORD(lParam));
            return 0;
        case WM_TIMER: NoteStateChange(); return 0;
        case WM_CLOSE: EndDialog(0); return 0;
        }
        handled = false;
        return 0;
    }

    void NoteStateChange() {
        const CTpButton& b = m_buttons[0];
        if (b.state == m_state && b.prevState == m_prevState) return;
        m_state = b.state;
        m_prevState = b.prevState;
        Note("state %d prev %d\n", m_state, m_prevState);
    }

private:
    static const UINT_PTR kStateTimer = 1;
    int m_state = -1, m_prevState = -1;
    CachedImage* m_background = nullptr;
    CTpButton m_buttons[ARRAYSIZE(kButtons)];
    CTpStatic m_label, m_gradient, m_text3D;
};

// ---- the animation ----------------------------------------------------------

class CProbeGif : public CGifShowDlg {
public:
    CProbeGif() : CGifShowDlg(IDD_PROBE_GIF, IDP_PROBE_STRIP, IDP_PROBE_CAPTION) {}
    int frames = 0;

protected:
    void DrawOverlay(Gdiplus::Graphics& g) override {
        CGifShowDlg::DrawOverlay(g);
        frames++;
        Note("frame %d\n", frameIndex);
    }
};

class COwnerDlg : public CDialog {
public:
    COwnerDlg(RECT at, int seconds, int delay) : CDialog(IDD_PROBE_OWNER), m_at(at), m_seconds(seconds), m_delay(delay) {}

protected:
    BOOL OnInitDialog() override {
        bool placed = m_at.right > m_at.left && m_at.bottom > m_at.top;
        // Never placed: as the utility's main window at start, at 0,0 with no size, hidden.
        SetWindowPos(m_hWnd, nullptr, m_at.left, m_at.top, m_at.right - m_at.left, m_at.bottom - m_at.top,
                     SWP_NOZORDER | (placed ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
        m_gif.placeOver = m_hWnd;
        m_gif.Create(nullptr);
        m_gif.LoadStrip();
        m_gif.frameDelay = m_delay;
        ShowWindow(m_gif.hwnd(), SW_SHOW);
        InvalidateRect(m_gif.hwnd(), nullptr, TRUE);
        RECT rc;
        GetWindowRect(m_gif.hwnd(), &rc);
        Note("placed %d,%d,%d,%d\n", (int)rc.left, (int)rc.top, (int)rc.right, (int)rc.bottom);
        m_start = GetTickCount();
        if (m_seconds > 0) SetTimer(m_hWnd, 1, m_seconds * 1000, nullptr);
        return TRUE;
    }

    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM, bool& handled) override {
        if (msg == WM_TIMER && wParam == 1) {
            FILETIME created, exited, kernel, user;
            GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
            ULONGLONG cpu = (((ULONGLONG)kernel.dwHighDateTime << 32 | kernel.dwLowDateTime) +
                             ((ULONGLONG)user.dwHighDateTime << 32 | user.dwLowDateTime)) / 10000;
            Note("done frames=%d elapsed_ms=%lu cpu_ms=%llu\n", m_gif.frames, GetTickCount() - m_start, cpu);
            EndDialog(0);
            handled = true;
            return 0;
        }
        if (msg == WM_CLOSE) {
            EndDialog(0);
            handled = true;
        }
        return 0;
    }

private:
    RECT m_at;
    int m_seconds, m_delay;
    DWORD m_start = 0;
    CProbeGif m_gif;
};

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) return 2;
    FrameworkInit(instance);
    wcsncpy(gOut, argv[2], MAX_PATH - 1);
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    int code = 0;
    if (wcscmp(argv[1], L"buttons") == 0) {
        CButtonsDlg dlg;
        dlg.DoModal();
    } else if (wcscmp(argv[1], L"gif") == 0 && argc >= 7) {
        int x = _wtoi(argv[3]), y = _wtoi(argv[4]);
        RECT at = {x, y, x + _wtoi(argv[5]), y + _wtoi(argv[6])};
        COwnerDlg dlg(at, argc >= 8 ? _wtoi(argv[7]) : 0, argc >= 9 ? _wtoi(argv[8]) : 50);
        dlg.DoModal();
    } else if (wcscmp(argv[1], L"missing") == 0) {
        LoadImageResource(_wtoi(argv[2]));  // ends the program when the picture is missing
        code = 3;
    } else {
        code = 2;
    }
    FreeImageCache();
    Gdiplus::GdiplusShutdown(token);
    LocalFree(argv);
    return code;
}
