#pragma once
// A curve window stand-in for curve tests, and a scene of one curve on axes whose mapping is
// plain. The stand-in records what the curve asks of it: invalidations, re-layouts, updates,
// legend updates and posted events.
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "curvewnd/Curve.h"
#include "curvewnd/CurveHost.h"
#include "curvewnd/XAxis.h"
#include "curvewnd/YAxis.h"
#include "data/Channel.h"
#include "data/settings/CurveWndSettings.h"

class FakeCurveHost : public IKSTCurveHost {
public:
    const CKSTCurveWndSettings& GetWindowSettings() const override { return settings; }
    bool IsEnglish() const override { return true; }
    uint32_t GetDisplayKind() const override { return displayKind; }
    const CKSTChannel* GetXChannel() const override { return xChannel; }
    double GetDataEndTime() const override { return 0.0; }
    bool HasDrawingWindow() const override { return drawingWindow; }
    void InvalidateRect(int32_t left, int32_t top, int32_t right, int32_t bottom, bool) override
    {
        invalidated.push_back(RECT{left, top, right, bottom});
        calls.push_back("invalidate");
    }
    IKSTTextMeasure* GetTextMeasure() override { return nullptr; }
    std::unique_ptr<IKSTTextTip> CreateTextTip(const RECT&, const CKSTFontDesc&, uint32_t,
                                               const CKSTString&) override
    {
        return nullptr;
    }
    bool GetCurveColorOfAxis(const CKSTYAxis&, uint32_t&) const override { return false; }
    void GetChannelNamesOfAxis(const CKSTYAxis&, std::vector<CKSTString>&) const override {}

    uint32_t GetAutoCurveColor(const CKSTCurve&) const override { return autoColour; }
    void RecalcLayout() override { calls.push_back("layout"); }
    void UpdateNow() override { calls.push_back("update"); }
    void UpdateLegend() override { calls.push_back("legend"); }
    void RecalcGroupRanges() override { calls.push_back("ranges"); }
    bool IsSubscribed(uint32_t event) const override { return subscribed.count(event) != 0; }
    int32_t PostEvent(uint32_t event, const CKSTCurve* curve) override
    {
        posted.emplace_back(event, curve);
        calls.push_back("post");
        return postResult;
    }
    CKSTDrawContext* GetDrawContext() override { return drawContext; }
    bool GetPlotPixel(int32_t x, int32_t y, uint32_t& colour) const override
    {
        const auto found = pixels.find({x, y});
        colour = found == pixels.end() ? 0xFFFFFF : found->second;
        return true;
    }
    uint32_t GetNearestScreenColor(uint32_t colour) const override { return colour; }

    CKSTCurveWndSettings settings;
    uint32_t displayKind = 0;
    const CKSTChannel* xChannel = nullptr;
    bool drawingWindow = true;
    uint32_t autoColour = 0x123456;
    std::map<uint32_t, bool> subscribed;
    int32_t postResult = 1;
    CKSTDrawContext* drawContext = nullptr;
    // The picture that XY hit tests read; white where nothing is set.
    std::map<std::pair<int32_t, int32_t>, uint32_t> pixels;

    std::vector<RECT> invalidated;
    std::vector<std::string> calls;
    std::vector<std::pair<uint32_t, const CKSTCurve*>> posted;
};

// One curve over an equidistant channel on plain axes: X values 0 .. span on columns 0 .. span
// (one pixel per unit) and values 0 .. span on rows span + 1 .. 1 (Row). The band is
// (0, 0, span + 1, span + 3).
class CurveScene {
public:
    explicit CurveScene(int32_t span = 100)
        : span(span), xAxis(nullptr), yAxis(nullptr), curve(&host)
    {
        xAxis.SetRect(RECT{-1, 0, span + 2, 20});
        xAxis.SetRange(0.0, span, CKSTXAxis::kRangeMinMaxFixed, true);
        yAxis.SetRect(RECT{0, 0, 40, span + 3});
        yAxis.SetRange(0.0, span, false);
        curve.SetSources(&channel, &xAxis, &yAxis);
        curve.SetRect(RECT{0, 0, span + 1, span + 3});
        host.calls.clear();
        host.invalidated.clear();
    }

    // Samples at t0 + i x dt.
    void Fill(const std::vector<double>& values, double dt, double t0 = 0.0)
    {
        channel.Reset();
        channel.SetTimeBaseType(CKSTChannel::kEquidistant);
        channel.SetT0(t0);
        channel.SetDt(dt);
        for (double v : values) {
            channel.AppendValue(v, false);
        }
    }

    // The row of a whole value.
    int32_t Row(double value) const { return static_cast<int32_t>(span + 1 - value); }

    int32_t span;
    FakeCurveHost host;
    CKSTChannel channel;
    CKSTXAxis xAxis;
    CKSTYAxis yAxis;
    CKSTCurve curve;
};
