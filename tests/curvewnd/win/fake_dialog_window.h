#pragma once
// A curve window stand-in for the settings dialogs: real groups, curves and axes over channels
// the test adds, the window's options as the test sets them, and a log of the window
// operations the dialogs call.
#include <memory>
#include <string>
#include <vector>

#include "curvewnd/AxisGroup.h"
#include "curvewnd/Curve.h"
#include "curvewnd/CurveDialogHost.h"
#include "curvewnd/XAxis.h"
#include "curvewnd/YAxis.h"
#include "data/Channel.h"
#include "data/settings/CurveWndSettings.h"

class FakeDialogWindow : public CKSTInertCurveOwner<IKSTGroupHost>, public IKSTCurveDialogHost {
public:
    FakeDialogWindow() : xAxis(this) { groups.push_back(std::make_unique<CKSTAxisGroup>(this)); }

    // A curve of a ramp channel (values 0 .. n - 1 at times 0 .. n - 1) on a new Y axis of the
    // group (made when missing).
    CKSTCurve* AddCurve(const char* name, const char* unit = "V", size_t group = 0,
                        const char* groupText = "", uint32_t n = 11)
    {
        while (groups.size() <= group) {
            groups.push_back(std::make_unique<CKSTAxisGroup>(this));
        }
        auto channel = std::make_unique<CKSTChannel>();
        channel->SetName(name);
        channel->SetUnit(unit);
        channel->SetGroup(groupText);
        channel->SetDt(1.0);
        for (uint32_t i = 0; i < n; ++i) {
            channel->AppendValue(static_cast<double>(i), false);
        }
        CKSTAxisGroup& target = *groups[group];
        const int index = target.AddChannel(channel.get(), &xAxis, CKSTAxisGroup::kAxisNew, false);
        channels.push_back(std::move(channel));
        return target.GetCurve(index);
    }
    bool Logged(const char* call) const
    {
        for (const std::string& entry : calls) {
            if (entry == call) {
                return true;
            }
        }
        return false;
    }

    // --- IKSTCurveOwner and IKSTCurveDialogHost ---
    const CKSTCurveWndSettings& GetWindowSettings() const override { return settings; }
    bool IsEnglish() const override { return english; }
    uint32_t GetDisplayKind() const override { return displayKind; }
    const CKSTChannel* GetXChannel() const override { return xChannel; }
    bool GetCurveColorOfAxis(const CKSTYAxis& axis, uint32_t& colour) const override
    {
        for (int i = 0; i < GetCurveCount(true); ++i) {
            if (GetCurve(i, true)->GetYAxis() == &axis) {
                colour = GetCurve(i, true)->GetColor();
                return true;
            }
        }
        return false;
    }
    void GetChannelNamesOfAxis(const CKSTYAxis& axis, std::vector<CKSTString>& names) const override
    {
        names.clear();
        for (int i = 0; i < GetCurveCount(true); ++i) {
            if (GetCurve(i, true)->GetYAxis() == &axis) {
                names.push_back(GetCurve(i, true)->GetChannelName());
            }
        }
    }
    uint32_t GetAutoCurveColor(const CKSTCurve&) const override { return 0x0000FF; }
    void RecalcLayout() override { calls.push_back("layout"); }
    void UpdateNow() override { calls.push_back("update"); }
    void UpdateLegend() override {}
    void RecalcGroupRanges() override { calls.push_back("ranges"); }
    bool IsSubscribed(uint32_t event) const override { return event == subscribedEvent; }
    int32_t PostEvent(uint32_t event, const CKSTCurve*) override
    {
        posted.push_back({event, -1});
        return 0;
    }
    CKSTDrawContext* GetDrawContext() override { return nullptr; }
    bool GetPlotPixel(int32_t, int32_t, uint32_t&) const override { return false; }
    uint32_t GetNearestScreenColor(uint32_t colour) const override { return colour; }
    void ReleaseChannel(CKSTChannel*) override {}
    CKSTString GetTitleText() const override { return CKSTString(); }
    int32_t GetTitleValue() const override { return -1; }
    void GetShownGroupsExtent(int32_t& top, int32_t& bottom) const override { top = bottom = 0; }
    std::unique_ptr<IKSTGroupScrollBar> CreateScrollBar(int, const RECT&) override
    {
        return nullptr;
    }

    // --- IKSTCurveDialogHost ---
    CKSTXAxis* GetXAxis() override { return &xAxis; }
    bool CanEditNames() const override { return editNames; }
    bool CanEditUnits() const override { return editUnits; }
    bool HasValueListOption() const override { return valueList; }
    bool HasTrackOption() const override { return trackOption; }
    double GetLeftCursorValue() const override { return leftCursor; }
    int GetCurveCount(bool includeHidden) const override
    {
        int count = 0;
        for (const auto& group : groups) {
            for (int i = 0; i < group->GetCurveCount(); ++i) {
                count += includeHidden || !Excluded(*group->GetCurve(i));
            }
        }
        return count;
    }
    CKSTCurve* GetCurve(int index, bool includeHidden) const override
    {
        for (const auto& group : groups) {
            for (int i = 0; i < group->GetCurveCount(); ++i) {
                CKSTCurve* curve = group->GetCurve(i);
                if ((includeHidden || !Excluded(*curve)) && index-- == 0) {
                    return curve;
                }
            }
        }
        return nullptr;
    }
    int GetCurveIndex(const CKSTCurve* curve, bool includeHidden) const override
    {
        for (int i = 0; i < GetCurveCount(includeHidden); ++i) {
            if (GetCurve(i, includeHidden) == curve) {
                return i;
            }
        }
        return -1;
    }
    CKSTCurve* GetNextCurve(const CKSTCurve* curve) const override
    {
        const int count = GetCurveCount(false);
        return count ? GetCurve((GetCurveIndex(curve, false) + 1) % count, false) : nullptr;
    }
    CKSTCurve* GetPreviousCurve(const CKSTCurve* curve) const override
    {
        const int count = GetCurveCount(false);
        return count ? GetCurve((GetCurveIndex(curve, false) + count - 1) % count, false) : nullptr;
    }
    CKSTYAxis* GetNextAxis(const CKSTYAxis* axis, bool) const override { return StepAxis(axis, 1); }
    CKSTYAxis* GetPreviousAxis(const CKSTYAxis* axis, bool) const override
    {
        return StepAxis(axis, -1);
    }
    void SetModified() override { modified = true; }
    void SetUpdateEnabled(bool enable) override
    {
        calls.push_back(enable ? "updates on" : "updates off");
    }
    void PostEvent(uint32_t event, intptr_t parameter) override
    {
        posted.push_back({event, parameter});
    }
    void RezoomTotal() override { calls.push_back("rezoom"); }
    void SetDisplayKind(uint32_t kind, const CKSTString& xName) override
    {
        displayKind = kind;
        xChannel = nullptr;
        for (const auto& channel : channels) {
            if (kind != 0 && channel->GetName() == xName) {
                xChannel = channel.get();
            }
        }
    }
    void UpdateXRange() override { calls.push_back("x range"); }
    void SetXAxisForGroups() override { calls.push_back("x to groups"); }
    void SetXAxisTicks(double spacing, bool automatic, bool onlyAtDataPoints) override
    {
        xAxis.SetTicks(spacing, onlyAtDataPoints, automatic);
    }
    void SetXTextColor(uint32_t colour) override { settings.m_XTextColor = colour; }
    void SetXAxisRotation(int16_t degrees) override { xAxis.SetLabelRotation(degrees); }

    struct Post {
        uint32_t event;
        intptr_t parameter;
    };

    CKSTCurveWndSettings settings;
    bool english = true;
    uint32_t displayKind = 0;
    const CKSTChannel* xChannel = nullptr;
    bool editNames = true;
    bool editUnits = true;
    bool valueList = false;
    bool trackOption = false;
    double leftCursor = 0.0;
    uint32_t subscribedEvent = 0xFFFFFFFF;
    bool modified = false;
    std::vector<std::string> calls;
    std::vector<Post> posted;
    std::vector<std::unique_ptr<CKSTChannel>> channels;
    CKSTXAxis xAxis;
    std::vector<std::unique_ptr<CKSTAxisGroup>> groups;

private:
    static bool Excluded(const CKSTCurve& curve)
    {
        return curve.GetCurveKind() == CKSTCurve::kKindHiddenExcluded ||
               curve.GetCurveKind() == CKSTCurve::kKindShownExcluded;
    }
    CKSTYAxis* StepAxis(const CKSTYAxis* axis, int step) const
    {
        std::vector<CKSTYAxis*> axes;
        for (const auto& group : groups) {
            for (int i = 0; i < group->GetAxisCount(); ++i) {
                axes.push_back(group->GetAxis(i));
            }
        }
        for (size_t i = 0; i < axes.size(); ++i) {
            if (axes[i] == axis) {
                return axes[(i + axes.size() + step) % axes.size()];
            }
        }
        return axes.empty() ? nullptr : axes.front();
    }
};
