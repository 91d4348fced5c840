#pragma once
// The two dialogs that edit time positions of the open record: the range to cut to, as X
// numbers, calendar times or a span from the record's start; and the record's start and X unit.
// The callers do the cut and the shift.
#include <cstdint>

#include "foundation/String.h"
#include "foundation/TimeStamp.h"
#include "panels/CutCursorFields.h"
#include "panels/win/SmallDialogs.h"

class CKSTCutCursorDlg : public CKSTSmallDialog {
    DECLARE_MESSAGE_MAP()

public:
    explicit CKSTCutCursorDlg(bool english, CWnd* parent = nullptr);

    // Set by the caller.
    uint8_t m_nXAxisMode = 1;  // 1 Standard, 2 Absolute Time, 3 Relative Time
    double m_dStartOffset = 0.0;
    double m_dEndOffset = 0.0;  // seconds from the record's start
    CKSTTimeStamp m_baseTime;   // the record's start
    CKSTTimeStamp m_startDate, m_startTime, m_endDate, m_endTime;
    CKSTString m_strStartX, m_strEndX;
    CKSTString m_strUnit;  // shown beside both X edits
    int m_bKeepXOffset = 0;

    // Filled on OK: 1 Standard, 3 Absolute Time, 2 Relative Time (unchanged with no form).
    uint8_t m_nResultMode = 0;
    // The chosen start and end of the two time forms are stored in m_startDate and m_endDate.
    KstSpanTexts m_startSpan, m_endSpan;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnStandard() { ShowForm(KstCutForm::Standard); }
    void OnAbsolute() { ShowForm(KstCutForm::Absolute); }
    void OnRelative() { ShowForm(KstCutForm::Relative); }

private:
    void ShowForm(KstCutForm form);
    KstCutForm CheckedForm() const;
};

class CKSTEditXAxisDlg : public CKSTSmallDialog {
public:
    explicit CKSTEditXAxisDlg(bool english, CWnd* parent = nullptr);

    CKSTTimeStamp m_startTime;     // read after OK
    CKSTTimeStamp m_date, m_time;  // the pickers, set by the caller
    CKSTString m_strUnit;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
};

// A date-time picker's value as a time stamp and back (whole seconds).
void DDX_DateTime(CDataExchange* dx, int id, CKSTTimeStamp& value);
