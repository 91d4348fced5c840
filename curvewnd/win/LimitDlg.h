#pragma once
// The limit-line dialog: creates, edits and deletes a curve's limit lines and steps through
// them with "OK, <<" and "OK, >>".
#include <windows.h>

#include <cstdint>

#include "curvewnd/win/CurveDialog.h"
#include "resources/ResourceIds.h"

class CKSTLimitLine;

class CKSTLimitDlg : public CKSTCurveDialog {
    DECLARE_MESSAGE_MAP()

public:
    enum { IDD = IDD_LIMIT };

    CKSTLimitDlg(IKSTCurveDialogHost& host, CWnd* parent = nullptr);

    // Opens the dialog for the line, or for a new one (null); IDCANCEL at once for a window
    // without curves.
    static INT_PTR CreateLimit(IKSTCurveDialogHost& host, CKSTLimitLine* line,
                               CWnd* parent = nullptr);

    // The fields from the line, or the defaults of a new one.
    void FillFromLine(CKSTLimitLine* line);
    // Makes or changes the line; afterwards the dialog edits the line that holds the values.
    void ApplyToLine();
    CKSTLimitLine* GetLine() const { return m_line; }

    int m_curveIndex = 0;
    int m_lineStyle = 0;
    double m_value = 0.0;
    int m_autoColour = 1;
    uint32_t m_colour = 0;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;

    void OnCurveOrAutoChanged();
    void OnColour();
    void OnDelete();
    void OnPrevious();
    void OnNext();
    void OnDrawItem(int id, LPDRAWITEMSTRUCT draw);

private:
    void Step(bool forward);
    double FactorOf(const CKSTCurve* curve) const;

    CKSTLimitLine* m_line = nullptr;
};
