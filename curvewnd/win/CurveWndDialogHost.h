#pragma once
// The curve window as the settings dialogs see it: every request goes to the live window, so a
// confirmed dialog changes what the window shows.
#include "curvewnd/CurveDialogHost.h"

class CKSTCurveWnd;

// What the window lets its dialogs edit (CKSTCurveWnd::SetDialogOptions); its owner states
// them. Until it does, names and units stay read-only and neither the value-list mode nor the
// track axis type is offered.
struct KstCurveDialogOptions {
    bool editNames = false;
    bool editUnits = false;
    bool valueList = false;
    bool track = false;
};

class CKSTCurveWndDialogHost final : public IKSTCurveDialogHost {
public:
    explicit CKSTCurveWndDialogHost(CKSTCurveWnd& window,
                                    const KstCurveDialogOptions& options = {})
        : m_window(window), m_options(options)
    {
    }

    // --- State and options ---
    const CKSTCurveWndSettings& GetWindowSettings() const override;
    bool IsEnglish() const override;
    uint32_t GetDisplayKind() const override;
    const CKSTChannel* GetXChannel() const override;
    CKSTXAxis* GetXAxis() override;
    bool CanEditNames() const override { return m_options.editNames; }
    bool CanEditUnits() const override { return m_options.editUnits; }
    bool HasValueListOption() const override { return m_options.valueList; }
    bool HasTrackOption() const override { return m_options.track; }
    double GetLeftCursorValue() const override;

    // --- Curves and axes ---
    int GetCurveCount(bool includeHidden) const override;
    CKSTCurve* GetCurve(int index, bool includeHidden) const override;
    int GetCurveIndex(const CKSTCurve* curve, bool includeHidden) const override;
    CKSTCurve* GetNextCurve(const CKSTCurve* curve) const override;
    CKSTCurve* GetPreviousCurve(const CKSTCurve* curve) const override;
    CKSTYAxis* GetNextAxis(const CKSTYAxis* axis, bool any) const override;
    CKSTYAxis* GetPreviousAxis(const CKSTYAxis* axis, bool any) const override;

    // --- Changes ---
    void SetModified() override;
    void RecalcLayout() override;
    void UpdateNow() override;
    void RecalcGroupRanges() override;
    void SetUpdateEnabled(bool enable) override;
    bool IsSubscribed(uint32_t event) const override;
    void PostEvent(uint32_t event, intptr_t parameter) override;
    void RezoomTotal() override;
    void SetDisplayKind(uint32_t kind, const CKSTString& xChannelName) override;
    void UpdateXRange() override;
    void SetXAxisForGroups() override;
    void SetXAxisTicks(double spacing, bool automatic, bool onlyAtDataPoints) override;
    void SetXTextColor(uint32_t colour) override;
    void SetXAxisRotation(int16_t degrees) override;

private:
    CKSTCurveWnd& m_window;
    KstCurveDialogOptions m_options;
};
