#pragma once
// The splash picture: a borderless modal dialog that ends itself 3,000 ms after it is shown.
#include "framework/Dialog.h"

constexpr UINT kKstSplashTimer = 1;
constexpr UINT kKstSplashMs = 3000;

class CKSTSplashDlg : public CDialog {
    DECLARE_MESSAGE_MAP()

public:
    explicit CKSTSplashDlg(CWnd* parent = nullptr);

protected:
    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR id);
};
