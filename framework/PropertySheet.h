#pragma once
// Modal property sheets of dialog-template pages.
//
// A page is a CDialog of its own template: OnInitDialog and DoDataExchange as for any dialog;
// leaving the page reads its controls back (OnKillActive), OK applies every page that was shown
// (OnApply -> OnOK). Pages never shown keep their members. The sheet's window exists between
// the page creation and the end of DoModal; a derived sheet may set flags in m_psh
// (PSH_NOAPPLYNOW, PSH_USECALLBACK with its own callback that passes each call on to
// PropSheetCallback) and override OnInitDialog (calling the base first).
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <vector>

#include "foundation/String.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"

class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT templateId);

    virtual BOOL OnSetActive();
    // Reads the controls back; FALSE keeps the page shown.
    virtual BOOL OnKillActive();
    // OK on the sheet: OnOK; FALSE keeps the sheet open on this page.
    virtual BOOL OnApply();

protected:
    void OnOK() override {}
    void OnCancel() override {}
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    friend class CPropertySheet;
    static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

class CPropertySheet : public CWnd {
    DECLARE_MESSAGE_MAP()

public:
    explicit CPropertySheet(const char* caption = nullptr, CWnd* parent = nullptr,
                            UINT selectPage = 0);

    void AddPage(CPropertyPage* page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const { return m_pages[index]; }
    int GetActiveIndex() const;
    BOOL SetActivePage(int index);
    // The sheet's tab control (while the sheet's window exists).
    CTabCtrl* GetTabControl();

    // Runs the sheet (through the modal-driver seam when one is set); IDOK or IDCANCEL, -1 when
    // it could not be created.
    virtual INT_PTR DoModal();

    // The framework's part of the sheet callback; nothing to do before or after creation.
    static int CALLBACK PropSheetCallback(HWND window, UINT message, LPARAM lParam);
    // Adds style bits to the template that PSCB_PRECREATE passes (plain or extended).
    static void AddTemplateStyle(LPARAM dialogTemplate, DWORD style);

    PROPSHEETHEADERA m_psh;

protected:
    // The common controls' initialisation of the sheet (pages, tabs, buttons).
    virtual BOOL OnInitDialog();
    BOOL PreTranslateMessage(MSG* msg) override;

private:
    LRESULT HandleInitDialog(WPARAM, LPARAM);
    void OnSheetButton(UINT id);
    bool Ended() const;

    CKSTString m_caption;
    CWnd* m_parent;
    std::vector<CPropertyPage*> m_pages;
    CTabCtrl m_tabCtrl;
    int m_result = IDCANCEL;
};
