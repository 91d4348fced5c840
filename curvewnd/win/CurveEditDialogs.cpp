// Until the settings dialogs of the window's objects are installed, a request for one tells the
// user that it is not there yet.
#include "curvewnd/win/CurveEditDialogs.h"

#include "curvewnd/win/CurveWndDialogs.h"

namespace {

class UnavailableEditDialogs : public IKSTCurveEditDialogs {
public:
    int XAxisSettings(CKSTCurveWnd& window) override { return Tell(window); }
    int YAxisSettings(CKSTCurveWnd& window, CKSTYAxis&) override { return Tell(window); }
    int CurveDisplay(CKSTCurveWnd& window, CKSTCurve&) override { return Tell(window); }
    int Marker(CKSTCurveWnd& window, CKSTPlotMarker*) override { return Tell(window); }
    int Limit(CKSTCurveWnd& window, CKSTLimitLine*) override { return Tell(window); }

private:
    static int Tell(CKSTCurveWnd& window) { return KstTellDialogUnavailable(window); }
};

IKSTCurveEditDialogs* g_editDialogs = nullptr;

}  // namespace

IKSTCurveEditDialogs& KstCurveEditDialogs()
{
    static UnavailableEditDialogs unavailable;
    return g_editDialogs != nullptr ? *g_editDialogs : unavailable;
}

void KstSetCurveEditDialogs(IKSTCurveEditDialogs* dialogs)
{
    g_editDialogs = dialogs;
}
