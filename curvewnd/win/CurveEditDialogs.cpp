// The settings dialogs of the window's objects, each run over the live window.
#include "curvewnd/win/CurveEditDialogs.h"

#include "curvewnd/win/CurveDisplayDlg.h"
#include "curvewnd/win/CurveWnd.h"
#include "curvewnd/win/CurveWndDialogHost.h"
#include "curvewnd/win/LimitDlg.h"
#include "curvewnd/win/MarkerDlg.h"
#include "curvewnd/win/XAxisDlg.h"
#include "curvewnd/win/YAxisDlg.h"

namespace {

class WindowEditDialogs : public IKSTCurveEditDialogs {
public:
    int XAxisSettings(CKSTCurveWnd& window) override
    {
        CKSTCurveWndDialogHost host(window, window.GetDialogOptions());
        return static_cast<int>(CKSTXAxisDlg::EditSettings(host, &window));
    }
    int YAxisSettings(CKSTCurveWnd& window, CKSTYAxis& axis) override
    {
        CKSTCurveWndDialogHost host(window, window.GetDialogOptions());
        return static_cast<int>(CKSTYAxisDlg::EditSettings(host, axis, &window));
    }
    int CurveDisplay(CKSTCurveWnd& window, CKSTCurve& curve) override
    {
        CKSTCurveWndDialogHost host(window, window.GetDialogOptions());
        return static_cast<int>(CKSTCurveDisplayDlg::OpenDisplayDialog(host, curve, &window));
    }
    int Marker(CKSTCurveWnd& window, CKSTPlotMarker* marker) override
    {
        CKSTCurveWndDialogHost host(window, window.GetDialogOptions());
        return static_cast<int>(CKSTMarkerDlg::CreateMarker(host, marker, &window));
    }
    int Limit(CKSTCurveWnd& window, CKSTLimitLine* line) override
    {
        CKSTCurveWndDialogHost host(window, window.GetDialogOptions());
        return static_cast<int>(CKSTLimitDlg::CreateLimit(host, line, &window));
    }
};

IKSTCurveEditDialogs* g_editDialogs = nullptr;

}  // namespace

IKSTCurveEditDialogs& KstCurveEditDialogs()
{
    static WindowEditDialogs windowDialogs;
    return g_editDialogs != nullptr ? *g_editDialogs : windowDialogs;
}

void KstSetCurveEditDialogs(IKSTCurveEditDialogs* dialogs)
{
    g_editDialogs = dialogs;
}
