#pragma once
// The print report dialog: the data range, the X range per page with the resulting number of
// pages, the header and footer templates and the page margins.
#include <cstdint>

#include "framework/Dialog.h"
#include "panels/PrintReportPages.h"

class CKSTPrintReportDlg : public CDialog {
    DECLARE_MESSAGE_MAP()

public:
    // `language`: 0 German, anything else English.
    explicit CKSTPrintReportDlg(uint32_t language, CWnd* parent = nullptr);

    // The record and its main curve window, as the page count reads them; not owned.
    void SetRangeSource(const IKSTReportRangeSource* source) { m_pSource = source; }

    int m_nRangeMode = -1;  // KstReportRangeMode
    double m_dXMin = 0.0;
    double m_dXMax = 0.0;
    double m_dRangePerPage = 0.0;
    double m_dScaleFactor = 0.0;  // X units per second of an XY display; 0 for none
    int m_nPages = 0;
    // The layout between runs: the caller sets it before and copies it back after IDOK.
    CKSTPageLayout m_layout;

    void OnUpdateDataTrue();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnXMinChanged();
    void OnXMaxChanged();
    void OnRangePerPageChanged();

private:
    CKSTString Text(int id) const;
    // Takes the fields, parses one edit's text into its value and shows the fields again.
    void TakeNumber(CKSTString& text, double& value);

    bool m_english;
    const IKSTReportRangeSource* m_pSource = nullptr;
    CKSTString m_strXMin;
    CKSTString m_strXMax;
    CKSTString m_strRangePerPage;
    CKSTString m_strUnit;
    CKSTString m_strTopLine;
    CKSTString m_strBottomLine;
    CKSTString m_strMarginLeft;
    CKSTString m_strMarginRight;
    CKSTString m_strMarginTop;
    CKSTString m_strMarginBottom;
};
