#pragma once
// The about box: product name and version, who makes it and links to the maker's web pages.
#include "framework/Dialog.h"

class CAboutDlg : public CDialog {
    DECLARE_MESSAGE_MAP()

public:
    CAboutDlg(bool english, CWnd* parent = nullptr);
    ~CAboutDlg() override;

    // The address behind a link control, empty for other controls.
    CKSTString LinkAddress(int controlId) const;

protected:
    BOOL OnInitDialog() override;
    HBRUSH OnCtlColor(HDC dc, CWnd* control, UINT controlType);
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    void OnHomepageClicked();
    void OnMakerClicked();

private:
    bool IsLink(HWND control) const;
    void OpenLink(int controlId);

    bool m_english;
    HFONT m_linkFont = nullptr;
};
