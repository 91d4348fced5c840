#pragma once
// The curve window core with its platform hooks recorded: layouts (run for real on a fixed
// client rectangle with FixedPitchMeasure), invalidations and posted window events.
#include <memory>
#include <vector>

#include "curvewnd/CurveWndCore.h"
#include "data/Channel.h"
#include "data/ChannelList.h"
#include "fake_curve_owner.h"

class RecordingCurveWnd : public CKSTCurveWndCore {
public:
    void RecalcLayout() override
    {
        ++layouts;
        LayoutWindow(&measure, client, false, lastLayout);
    }
    void InvalidateClient() override { ++invalidations; }
    void InvalidateRect(int32_t, int32_t, int32_t, int32_t, bool) override { ++invalidations; }
    bool HasDrawingWindow() const override { return true; }
    IKSTTextMeasure* GetTextMeasure() override { return &measure; }
    void PostWindowEvent(uint32_t event) override { events.push_back(event); }

    void ClearRecords()
    {
        layouts = 0;
        invalidations = 0;
        events.clear();
    }

    FixedPitchMeasure measure;
    RECT client = {0, 0, 600, 400};
    KstWindowLayout lastLayout;
    int layouts = 0;
    int invalidations = 0;
    std::vector<uint32_t> events;
};

// Channels a test keeps alive beyond the window that shows them.
class ChannelPool {
public:
    // n samples of value f(i) at dt from t0, with a name, unit and group text.
    template <class F>
    CKSTChannel* Add(const char* name, const char* unit, uint32_t n, F f, double dt = 1.0,
                     const char* group = "", double t0 = 0.0)
    {
        auto channel = std::make_unique<CKSTChannel>();
        channel->SetName(name);
        channel->SetUnit(unit);
        channel->SetGroup(group);
        channel->SetDt(dt);
        channel->SetT0(t0);
        for (uint32_t i = 0; i < n; ++i) {
            channel->AppendValue(f(i), false);
        }
        channels.push_back(std::move(channel));
        return channels.back().get();
    }
    CKSTChannel* Add(const char* name, const char* unit, const char* group = "")
    {
        return Add(
            name, unit, 20, [](uint32_t i) { return static_cast<double>(i % 7); }, 1.0, group);
    }

    std::vector<std::unique_ptr<CKSTChannel>> channels;
};
