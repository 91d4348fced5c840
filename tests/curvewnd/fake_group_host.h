#pragma once
// A curve window stand-in for axis-group, label and curve-decoration tests: settings, display
// kind, title and the stack of shown groups as the test sets them; invalidations, released
// channels and label tips are recorded. Texts measure 6 pixels per character and 13 pixels high
// (FixedPitchMeasure) unless a test plugs in another measure.
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "curvewnd/AxisGroup.h"
#include "curvewnd/Curve.h"
#include "data/Channel.h"
#include "data/settings/CurveWndSettings.h"
#include "fake_curve_owner.h"

class FakeGroupHost : public IKSTGroupHost {
public:
    // --- IKSTCurveOwner ---
    const CKSTCurveWndSettings& GetWindowSettings() const override { return settings; }
    bool IsEnglish() const override { return true; }
    uint32_t GetDisplayKind() const override { return displayKind; }
    const CKSTChannel* GetXChannel() const override { return xChannel; }
    double GetDataEndTime() const override { return 0.0; }
    bool HasDrawingWindow() const override { return drawingWindow; }
    void InvalidateRect(int32_t left, int32_t top, int32_t right, int32_t bottom, bool) override
    {
        invalidated.push_back(RECT{left, top, right, bottom});
    }
    IKSTTextMeasure* GetTextMeasure() override { return measure; }
    std::unique_ptr<IKSTTextTip> CreateTextTip(const RECT& rect, const CKSTFontDesc&, uint32_t,
                                               const CKSTString& text) override
    {
        return std::make_unique<RecordingTip>(tips, rect, text);
    }
    bool GetCurveColorOfAxis(const CKSTYAxis&, uint32_t&) const override { return false; }
    void GetChannelNamesOfAxis(const CKSTYAxis&, std::vector<CKSTString>& names) const override
    {
        names.clear();
    }

    // --- IKSTCurveHost ---
    uint32_t GetAutoCurveColor(const CKSTCurve&) const override { return autoColour; }
    void RecalcLayout() override {}
    void UpdateNow() override {}
    void UpdateLegend() override {}
    void RecalcGroupRanges() override {}
    bool IsSubscribed(uint32_t) const override { return false; }
    int32_t PostEvent(uint32_t, const CKSTCurve*) override { return 0; }
    CKSTDrawContext* GetDrawContext() override { return nullptr; }
    bool GetPlotPixel(int32_t, int32_t, uint32_t&) const override { return false; }
    uint32_t GetNearestScreenColor(uint32_t colour) const override { return colour; }

    // --- IKSTGroupHost ---
    void ReleaseChannel(CKSTChannel* channel) override { released.push_back(channel); }
    CKSTString GetTitleText() const override { return title; }
    int32_t GetTitleValue() const override { return titleValue; }
    void GetShownGroupsExtent(int32_t& top, int32_t& bottom) const override
    {
        top = stackTop;
        bottom = stackBottom;
    }
    std::unique_ptr<IKSTGroupScrollBar> CreateScrollBar(int id, const RECT& rect) override
    {
        return makeScrollBar ? makeScrollBar(id, rect) : nullptr;
    }

    CKSTCurveWndSettings settings;
    uint32_t displayKind = 0;
    const CKSTChannel* xChannel = nullptr;
    bool drawingWindow = true;
    std::vector<RECT> invalidated;
    FixedPitchMeasure fixedPitch;
    IKSTTextMeasure* measure = &fixedPitch;
    TipLog tips;
    uint32_t autoColour = 0x0000FF;
    std::vector<CKSTChannel*> released;
    CKSTString title;
    int32_t titleValue = -1;
    int32_t stackTop = 0;
    int32_t stackBottom = 0;
    // Makes the groups' scroll bars; none without it.
    std::function<std::unique_ptr<IKSTGroupScrollBar>(int, const RECT&)> makeScrollBar;
};

// A channel of n equidistant samples from time 0, every value given by f(i).
template <class F>
std::unique_ptr<CKSTChannel> MakeChannel(const char* name, const char* unit, uint32_t n, F f,
                                         double dt = 1.0)
{
    auto channel = std::make_unique<CKSTChannel>();
    channel->SetName(name);
    channel->SetUnit(unit);
    channel->SetDt(dt);
    for (uint32_t i = 0; i < n; ++i) {
        channel->AppendValue(f(i), false);
    }
    return channel;
}

inline std::unique_ptr<CKSTChannel> ConstantChannel(const char* name, const char* unit, double v,
                                                    uint32_t n = 10)
{
    return MakeChannel(name, unit, n, [v](uint32_t) { return v; });
}
