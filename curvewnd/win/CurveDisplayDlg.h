#pragma once
// The curve display dialog: name, style, line style, symbol, colour, visibility, gaps, legend
// and cursor display, value list and decimals of one curve. "OK, <<" and "OK, >>" apply and
// step through the window's curves; "OK for all" applies to every curve.
#include <windows.h>

#include <cstdint>

#include "curvewnd/PlotMarker.h"
#include "curvewnd/win/CurveDialog.h"
#include "resources/ResourceIds.h"

class CKSTCurveDisplayDlg : public CKSTCurveDialog {
    DECLARE_MESSAGE_MAP()

public:
    enum { IDD = IDD_CURVE_DISPLAY };

    CKSTCurveDisplayDlg(IKSTCurveDialogHost& host, CKSTCurve& curve, CWnd* parent = nullptr);

    // Opens the dialog for the curve; its buttons apply it. The dialog's result.
    static INT_PTR OpenDisplayDialog(IKSTCurveDialogHost& host, CKSTCurve& curve,
                                     CWnd* parent = nullptr);

    void FillDisplayDialog(CKSTCurve& curve);
    // With forAll the name and an explicit colour stay as they are.
    void ApplyDisplayDialog(CKSTCurve& curve, bool forAll);
    CKSTCurve* GetCurve() const { return m_curve; }

    CKSTString m_name;
    int m_style = 0;
    int m_lineStyle = 0;
    int m_symbol = 0;
    int m_autoColour = 1;
    uint32_t m_colour = 0;
    int m_visible = 1;
    int m_interpolateGaps = 0;
    int m_showInLegend = 1;
    int m_showAtCursor = 1;
    int m_valueListMode = 0;
    CKSTString m_decimals{"auto"};
    // The curve's event-text template as the event dialog edits it.
    CKSTPlotMarker m_template;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;

    void OnStyleChanged();
    void OnAutoColour();
    void OnColour();
    void OnPrevious();
    void OnNext();
    void OnOkForAll();
    void OnDrawItem(int id, LPDRAWITEMSTRUCT draw);

private:
    void Step(bool forward);
    CKSTString NameText(const CKSTCurve& curve) const;

    CKSTCurve* m_curve;
};
