#include "elements/win/ElementCurveDialogs.h"

#include "curvewnd/CurveWndOptions.h"
#include "curvewnd/win/CurveWnd.h"
#include "elements/win/InstrumentDialog.h"

namespace {

int RunInstrumentDialog(CKSTInstrumentDialog& dialog, CKSTCurveWnd& window)
{
    KstInstrumentOptions options;
    KstFillInstrumentOptions(window, options);
    dialog.m_language = window.IsEnglish() ? 1 : 0;
    dialog.m_fields = KstInstrumentFieldsFromOptions(options);
    const int result = static_cast<int>(dialog.DoModal());
    // -1: the dialog could not be made, so nothing was confirmed.
    if (result == IDCANCEL || result == -1) {
        return result;
    }
    KstInstrumentOptionsFromFields(dialog.m_fields, options);
    if (KstApplyInstrumentOptions(window, options)) {
        window.InvalidateClient();
    }
    return result;
}

}  // namespace

int CKSTElementCurveDialogs::BarSettings(CKSTCurveWnd& window)
{
    CKSTBarDialog dialog;
    return RunInstrumentDialog(dialog, window);
}

int CKSTElementCurveDialogs::MeterSettings(CKSTCurveWnd& window)
{
    CKSTMeterDialog dialog;
    return RunInstrumentDialog(dialog, window);
}
