#pragma once
// The password dialogs of a document lock: a new password typed twice, and the password asked
// once to unlock or to remove the lock. The commands that run them decide what the password does.
#include "foundation/String.h"
#include "panels/win/SmallDialogs.h"

class CKSTFileLockDlg : public CKSTSmallDialog {
public:
    explicit CKSTFileLockDlg(bool english, CWnd* parent = nullptr);

    CKSTString m_strPassword;
    CKSTString m_strRetype;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    // Closes only when both entries are the same bytes.
    void OnOK() override;
};

class CKSTUnlockFileDlg : public CKSTSmallDialog {
    DECLARE_MESSAGE_MAP()

public:
    explicit CKSTUnlockFileDlg(bool english, CWnd* parent = nullptr);

    CKSTString m_strCaption;  // set by the caller
    CKSTString m_strPassword;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    // The dialog's own Cancel button and ESC both take the entry and end with IDCANCEL.
    void OnCancel() override;
};
