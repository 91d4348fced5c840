#pragma once
// The dialogs the display elements lend to curve windows: the bar and pointer settings. Every
// other request goes to the dialogs that were installed before.
#include "curvewnd/win/CurveWndDialogs.h"

class CKSTElementCurveDialogs : public IKSTCurveWndDialogs {
public:
    // `others` must outlive this object.
    explicit CKSTElementCurveDialogs(IKSTCurveWndDialogs& others) : m_others(others) {}

    // Fill the dialog from the window, run it, and unless it was cancelled apply what changed.
    int BarSettings(CKSTCurveWnd& window) override;
    int MeterSettings(CKSTCurveWnd& window) override;

    int ClipboardSize(CKSTCurveWnd& window, double& widthCm, double& heightCm) override
    {
        return m_others.ClipboardSize(window, widthCm, heightCm);
    }
    int OptionsSheet(CKSTCurveWnd& window) override { return m_others.OptionsSheet(window); }
    std::unique_ptr<IKSTCurveWndTable> OpenValueTable(CKSTCurveWnd& window) override
    {
        return m_others.OpenValueTable(window);
    }
    std::unique_ptr<IKSTCurveWndTable> OpenDiffMeasure(CKSTCurveWnd& window) override
    {
        return m_others.OpenDiffMeasure(window);
    }

private:
    IKSTCurveWndDialogs& m_others;
};
