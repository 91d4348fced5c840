// Until the panels and display elements install their dialogs, the curve window says that the
// dialog it would open is not there yet.
#include "curvewnd/win/CurveWndDialogs.h"

#include "curvewnd/win/CurveWnd.h"
#include "foundation/win/StringLoader.h"
#include "framework/Seams.h"
#include "resources/StringIds.h"

namespace {

class UnavailableDialogs : public IKSTCurveWndDialogs {
public:
    int ClipboardSize(CKSTCurveWnd& window, double&, double&) override { return Tell(window); }
    int BarSettings(CKSTCurveWnd& window) override { return Tell(window); }
    int MeterSettings(CKSTCurveWnd& window) override { return Tell(window); }
    int OptionsSheet(CKSTCurveWnd& window) override { return Tell(window); }
    std::unique_ptr<IKSTCurveWndTable> OpenValueTable(CKSTCurveWnd& window) override
    {
        Tell(window);
        return nullptr;
    }
    std::unique_ptr<IKSTCurveWndTable> OpenDiffMeasure(CKSTCurveWnd& window) override
    {
        Tell(window);
        return nullptr;
    }

private:
    static int Tell(CKSTCurveWnd& window) { return KstTellDialogUnavailable(window); }
};

IKSTCurveWndDialogs* g_dialogs = nullptr;

}  // namespace

IKSTCurveWndDialogs& KstCurveWndDialogs()
{
    static UnavailableDialogs unavailable;
    return g_dialogs != nullptr ? *g_dialogs : unavailable;
}

void KstSetCurveWndDialogs(IKSTCurveWndDialogs* dialogs)
{
    g_dialogs = dialogs;
}

int KstTellDialogUnavailable(CKSTCurveWnd& window)
{
    const bool english = window.IsEnglish();
    const CKSTString text = LoadResString(KST_STR_CW_DIALOG_UNAVAILABLE, english);
    const CKSTString caption = LoadResString(KST_STR_ATTENTION, english);
    KstMessageBox(window.GetSafeHwnd(), text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION,
                  KST_STR_CW_DIALOG_UNAVAILABLE);
    return IDCANCEL;
}
