// CZephynDlg: the utility's one top-level window. It receives every
// internal and library message and hosts the soft AP logic.
#pragma once
#include "ui/kit/framework.h"

class CZephynDlg : public CDialog {
public:
    CZephynDlg();

    void ShowPage(int page);
    void ShowMainWindow();

protected:
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnDestroy() override;

private:
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    HICON m_icon = nullptr;
    wchar_t m_title[64] = L"";
};

extern CZephynDlg* gZephynDlg;
extern HANDLE exitEvent;
