// Until the settings dialogs of the window's objects are installed, a request for one tells the
// user that it is not there yet.
#include "curvewnd/win/CurveEditDialogs.h"

#include "curvewnd/win/CurveWnd.h"
#include "foundation/win/StringLoader.h"
#include "framework/Seams.h"
#include "resources/StringIds.h"

namespace {

class UnavailableEditDialogs : public IKSTCurveEditDialogs {
public:
    int XAxisSettings(CKSTCurveWnd& window) override { return Tell(window); }
    int YAxisSettings(CKSTCurveWnd& window, CKSTYAxis&) override { return Tell(window); }
    int CurveDisplay(CKSTCurveWnd& window, CKSTCurve&) override { return Tell(window); }
    int Marker(CKSTCurveWnd& window, CKSTPlotMarker*) override { return Tell(window); }
    int Limit(CKSTCurveWnd& window, CKSTLimitLine*) override { return Tell(window); }

private:
    static int Tell(CKSTCurveWnd& window)
    {
        const bool english = window.IsEnglish();
        const CKSTString text = LoadResString(KST_STR_CW_DIALOG_UNAVAILABLE, english);
        const CKSTString caption = LoadResString(KST_STR_ATTENTION, english);
        KstMessageBox(window.GetSafeHwnd(), text.c_str(), caption.c_str(),
                      MB_OK | MB_ICONINFORMATION, KST_STR_CW_DIALOG_UNAVAILABLE);
        return IDCANCEL;
    }
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
