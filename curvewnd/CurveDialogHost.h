#pragma once
// What the settings dialogs of the X axis, the Y axes, the curves, the limit lines and the
// markers ask of the curve window they edit: its options, its curves and axes in running
// order, and the window operations that apply a change. The curve window implements it; tests
// substitute a window of their own.
//
// Curve indices are running indices over the groups in order; without includeHidden the
// curves of kinds 3 and 4 are skipped and not counted.

#include <cstdint>

#include "foundation/String.h"

class CKSTChannel;
class CKSTCurve;
class CKSTCurveWndSettings;
class CKSTXAxis;
class CKSTYAxis;

class IKSTCurveDialogHost {
public:
    // Window events the dialogs post.
    static constexpr uint32_t kEventCurveChanged = 15;
    static constexpr uint32_t kEventMarkerDeleted = 16;

    // --- State and options ---
    virtual const CKSTCurveWndSettings& GetWindowSettings() const = 0;
    virtual bool IsEnglish() const = 0;
    // 0 y(t), 1 and 3 XY (3 shows a channel as X axis), 2 bar, 4 pointer instrument.
    virtual uint32_t GetDisplayKind() const = 0;
    virtual const CKSTChannel* GetXChannel() const = 0;
    virtual CKSTXAxis* GetXAxis() = 0;
    // Curve names may be edited in the curve dialog.
    virtual bool CanEditNames() const = 0;
    // Units may be edited in the Y axis dialog.
    virtual bool CanEditUnits() const = 0;
    // The window feeds a value list (the curve dialog offers the value-list mode).
    virtual bool HasValueListOption() const = 0;
    // The window knows the track axis type.
    virtual bool HasTrackOption() const = 0;
    // X position of the left (or only) measuring cursor, where a new marker goes.
    virtual double GetLeftCursorValue() const = 0;

    // --- Curves and axes ---
    virtual int GetCurveCount(bool includeHidden) const = 0;
    virtual CKSTCurve* GetCurve(int index, bool includeHidden) const = 0;
    // -1 when the curve is not in the window.
    virtual int GetCurveIndex(const CKSTCurve* curve, bool includeHidden) const = 0;
    // Cyclic, skipping curves of kinds 3 and 4.
    virtual CKSTCurve* GetNextCurve(const CKSTCurve* curve) const = 0;
    virtual CKSTCurve* GetPreviousCurve(const CKSTCurve* curve) const = 0;
    // Cyclic over the groups' Y axes; unless any is set, axes without shown curves are skipped.
    virtual CKSTYAxis* GetNextAxis(const CKSTYAxis* axis, bool any) const = 0;
    virtual CKSTYAxis* GetPreviousAxis(const CKSTYAxis* axis, bool any) const = 0;

    // --- Changes ---
    virtual void SetModified() = 0;
    virtual void RecalcLayout() = 0;
    virtual void UpdateNow() = 0;
    // Every axis group recomputes the value ranges of its axes.
    virtual void RecalcGroupRanges() = 0;
    // While disabled, changes neither lay out nor repaint; enabling lays out once.
    virtual void SetUpdateEnabled(bool enable) = 0;
    virtual bool IsSubscribed(uint32_t event) const = 0;
    virtual void PostEvent(uint32_t event, intptr_t parameter) = 0;
    // Back to the unzoomed state.
    virtual void RezoomTotal() = 0;
    // Display kind 0, 1 or 3 with the X channel named (empty for kind 0).
    virtual void SetDisplayKind(uint32_t kind, const CKSTString& xChannelName) = 0;
    // The X range follows the data again (automatic range, fixed span or points).
    virtual void UpdateXRange() = 0;
    // Every group takes the X axis' new state; then re-layout and repaint.
    virtual void SetXAxisForGroups() = 0;
    virtual void SetXAxisTicks(double spacing, bool automatic, bool onlyAtDataPoints) = 0;
    virtual void SetXTextColor(uint32_t colour) = 0;
    virtual void SetXAxisRotation(int16_t degrees) = 0;

protected:
    ~IKSTCurveDialogHost() = default;
};
