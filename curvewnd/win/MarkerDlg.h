#pragma once
// The marker dialog: creates, edits and deletes the markers (events) of a window's curves and
// steps through a curve's events with "OK, <<" and "OK, >>". A locked marker is shown with
// every control disabled and is never changed.
#include <windows.h>

#include <cstdint>

#include "curvewnd/PlotMarker.h"
#include "curvewnd/win/CurveDialog.h"
#include "resources/ResourceIds.h"

class CKSTMarkerDlg : public CKSTCurveDialog {
    DECLARE_MESSAGE_MAP()

public:
    enum { IDD = IDD_MARKER };

    CKSTMarkerDlg(IKSTCurveDialogHost& host, CWnd* parent = nullptr);

    // Opens the dialog for the marker, or for a new one (null); IDCANCEL at once for a window
    // without curves.
    static INT_PTR CreateMarker(IKSTCurveDialogHost& host, CKSTPlotMarker* marker,
                                CWnd* parent = nullptr);

    void FillFromMarker(CKSTPlotMarker* marker);
    // Makes or changes the marker (nothing for a locked one); afterwards the dialog edits the
    // marker that holds the values.
    void ApplyMarkerDialog();
    CKSTPlotMarker* GetMarker() const { return m_marker; }

    CKSTString m_text;
    int m_adjust = 1;
    double m_x = 0.0;
    CKSTTimeStamp m_xTime;
    double m_xFraction = 0.0;
    double m_xSeconds = 0.0;
    int m_typeIndex = 0;
    int m_rotationIndex = 0;
    int m_curveIndex = 0;
    int m_frame = 1;
    int m_pointer = 1;
    int m_autoTextColour = 1;
    uint32_t m_textColour = 0;
    int m_backIndex = 0;
    uint32_t m_backColour = 0;
    CKSTFontDesc m_font;
    int m_default = 0;
    bool m_locked = false;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;

    void OnChanged();
    void OnTextColour();
    void OnBackColour();
    void OnFont();
    void OnDelete();
    void OnPrevious();
    void OnNext();
    void OnDrawItem(int id, LPDRAWITEMSTRUCT draw);

private:
    void Step(bool forward);
    void ApplyEnabling();
    void ShowTexts();
    uint32_t AxisType() const;
    double XFactor() const;
    double TimeFromFields() const;

    CKSTPlotMarker* m_marker = nullptr;
    double m_time = 0.0;
};
