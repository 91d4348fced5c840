#pragma once
// The settings dialog of a Y axis: range, scale type, unit and prefixes, ticks, direction and
// colour. "OK, <<" and "OK, >>" apply and step through the window's Y axes.
#include <windows.h>

#include <cstdint>

#include "curvewnd/win/CurveDialog.h"
#include "resources/ResourceIds.h"

class CKSTYAxis;

class CKSTYAxisDlg : public CKSTCurveDialog {
    DECLARE_MESSAGE_MAP()

public:
    enum { IDD = IDD_YAXIS };

    CKSTYAxisDlg(IKSTCurveDialogHost& host, CKSTYAxis& axis, CWnd* parent = nullptr);

    // Opens the dialog for the axis; OK applies it. The dialog's result.
    static INT_PTR EditSettings(IKSTCurveDialogHost& host, CKSTYAxis& axis, CWnd* parent = nullptr);

    void ExportToDialog(CKSTYAxis& axis);
    void ApplyDialog();
    CKSTYAxis* GetAxis() const { return m_axis; }

    int m_manualRange = 0;
    double m_minimum = 0.0;
    double m_maximum = 0.0;
    int m_scaleType = 0;
    CKSTString m_unit;
    int m_prefixMode = 0;
    int m_manualTicks = 0;
    double m_spacing = 0.0;
    int m_lowestOnTop = 0;
    int m_autoColour = 1;
    uint32_t m_colour = 0;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;

    void OnRadio();
    void OnScaleTypeChanged();
    void OnAutoColour();
    void OnColour();
    void OnPrevious();
    void OnNext();
    void OnDrawItem(int id, LPDRAWITEMSTRUCT draw);

private:
    void Step(bool forward);
    void ShowAxisTexts();
    uint32_t AutomaticColour() const;
    CKSTCurve* FirstCurveOnAxis() const;

    CKSTYAxis* m_axis;
    // The factor of the exported axis' labels, and what was shown, to tell changes apart.
    double m_factor = 1.0;
    CKSTString m_prefixedUnit;
    bool m_shownAutoRange = true;
    double m_shownMinimum = 0.0;
    double m_shownMaximum = 0.0;
};
