#pragma once
// The X axis settings dialog: the axis type with the display kind that goes with it, the range
// mode and range, unit prefixes, ticks, the label colour and rotation.
#include <windows.h>

#include <cstdint>

#include "curvewnd/win/CurveDialog.h"
#include "resources/ResourceIds.h"

class CKSTXAxis;

class CKSTXAxisDlg : public CKSTCurveDialog {
    DECLARE_MESSAGE_MAP()

public:
    enum { IDD = IDD_XAXIS };

    CKSTXAxisDlg(IKSTCurveDialogHost& host, CWnd* parent = nullptr);

    // Opens the dialog for the window's X axis and applies it on OK; the dialog's result.
    static INT_PTR EditSettings(IKSTCurveDialogHost& host, CWnd* parent = nullptr);

    // Fills the fields from the axis and the window.
    void ExportToDialog(const CKSTXAxis& axis);
    // Applies the fields to the window's X axis.
    void ApplyDialog();

    // Entry of the full type list (kKstXType...), range mode, X channel (index into the
    // window's curves), ends and span as numbers, times and durations.
    int m_typeEntry = 0;
    int m_rangeMode = 0;
    int m_xChannel = -1;
    double m_minimum = 0.0;
    double m_maximum = 0.0;
    CKSTTimeStamp m_minimumTime;
    CKSTTimeStamp m_maximumTime;
    double m_minimumSeconds = 0.0;
    double m_maximumSeconds = 0.0;
    double m_span = 0.0;
    int m_points = 0;
    int m_prefixMode = 0;
    int m_manualTicks = 0;
    double m_spacing = 0.0;
    double m_spacingSeconds = 0.0;
    int m_atDataPoints = 0;
    uint32_t m_colour = 0;
    int m_rotation = 0;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;

    void OnTypeChanged();
    void OnRadio();
    void OnColour();
    void OnDrawItem(int id, LPDRAWITEMSTRUCT draw);

private:
    void FillTypeList();
    void ApplyShowRules();
    void UpdateUnitTexts();
    bool IsTimeType() const;
    // Channel-as-axis display with an X channel: the factor between the span in time and in
    // channel values.
    double ChannelSpanFactor(const CKSTXAxis& axis) const;

    CKSTString m_unit;
    // The values first shown, to tell what the user changed.
    int m_shownRangeMode = 0;
    double m_shownMinimum = 0.0;
    double m_shownMaximum = 0.0;
    double m_shownSpan = 0.0;
    int m_shownPoints = 0;
};
