#include "curvewnd/PictureTracker.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "curvewnd/AxisGroup.h"
#include "curvewnd/AxisScale.h"
#include "curvewnd/Curve.h"
#include "curvewnd/CurvePainter.h"
#include "curvewnd/CurveWndCore.h"
#include "curvewnd/GroupLayout.h"
#include "curvewnd/LimitLine.h"
#include "curvewnd/XAxis.h"
#include "curvewnd/YAxis.h"
#include "data/Channel.h"

namespace {

// Columns beside a sample that its symbol, or the line joining it, can still change.
constexpr int32_t kReach = 4;
// A move counts as whole pixels within this much; the arithmetic itself errs by far less.
constexpr double kWholePixel = 1e-6;
// Relative change of the pixels per second that still counts as the same scale.
constexpr double kSameScale = 1e-9;

// Asks nothing to be drawn: the painter only maps times to columns here.
class NullCanvas : public IKSTCurveCanvas {
public:
    void SelectPen(Pen) override {}
    void MoveTo(int32_t, int32_t) override {}
    void LineTo(int32_t, int32_t) override {}
    void SetPixel(int32_t, int32_t) override {}
    void FillBar(const RECT&) override {}
    void FillPolygon(const POINT*, int, uint32_t) override {}
};

class KeyWriter {
public:
    explicit KeyWriter(std::vector<uint64_t>& key) : m_key(key) {}
    void Add(uint64_t v) { m_key.push_back(v); }
    void Add(double v)
    {
        uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        m_key.push_back(bits);
    }
    void Add(const void* p) { m_key.push_back(reinterpret_cast<uintptr_t>(p)); }
    void Add(const RECT& r)
    {
        Add(uint64_t(uint32_t(r.left)) << 32 | uint32_t(r.top));
        Add(uint64_t(uint32_t(r.right)) << 32 | uint32_t(r.bottom));
    }
    void Add(const CKSTString& text)
    {
        uint64_t hash = 14695981039346656037ull;
        const char* bytes = text.c_str();
        for (int i = 0; i < text.GetLength(); ++i) {
            hash = (hash ^ static_cast<uint8_t>(bytes[i])) * 1099511628211ull;
        }
        Add(hash);
        Add(uint64_t(text.GetLength()));
    }

private:
    std::vector<uint64_t>& m_key;
};

bool IsThinStyle(uint32_t style)
{
    return style == CKSTCurve::kStyleLines || style == CKSTCurve::kStyleSteps ||
           style == CKSTCurve::kStyleSymbols;
}

// The shown curves of the shown groups, in drawing order.
std::vector<CKSTCurve*> ShownCurves(const CKSTCurveWndCore& window)
{
    std::vector<CKSTCurve*> curves;
    for (int g = 0; g < window.GetGroupCount(); ++g) {
        const CKSTAxisGroup& group = *window.GetGroup(g);
        if (!group.IsVisible()) {
            continue;
        }
        for (int i = 0; i < group.GetCurveCount(); ++i) {
            CKSTCurve* curve = group.GetCurve(i);
            if (CKSTAxisGroup::IsShownCurve(*curve)) {
                curves.push_back(curve);
            }
        }
    }
    return curves;
}

bool Overlaps(const RECT& a, const RECT& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

void AddClipped(std::vector<RECT>& rects, const RECT& rect, const RECT& limit)
{
    const RECT r = {std::max(rect.left, limit.left), std::max(rect.top, limit.top),
                    std::min(rect.right, limit.right), std::min(rect.bottom, limit.bottom)};
    if (r.left < r.right && r.top < r.bottom) {
        rects.push_back(r);
    }
}

}  // namespace

std::vector<uint64_t> CKSTPictureTracker::LookKey(const CKSTCurveWndCore& window)
{
    std::vector<uint64_t> key;
    KeyWriter k(key);
    const CKSTCurveWndSettings& s = window.Settings();
    k.Add(uint64_t(window.GetDisplayKind()));
    k.Add(uint64_t(s.m_BackgroundColor) << 32 | s.m_PlotBackgroundColor);
    k.Add(uint64_t(s.m_GridColor) << 32 | s.m_LegendStyle);
    k.Add(uint64_t(s.m_GridVisible) << 16 | uint64_t(s.m_BColorGradient) << 8 |
          (window.IsPaused() ? 1 : 0));
    k.Add(uint64_t(s.m_BorderWidth));
    k.Add(window.GetTitleText());
    k.Add(uint64_t(uint32_t(window.GetTitleValue())));
    k.Add(uint64_t(uint32_t(window.GetFirstShownGroup())) << 32 |
          uint32_t(window.GetLastShownGroup()));
    const CKSTXAxis& x = window.GetXAxis();
    k.Add(uint64_t(x.GetType()));
    k.Add(x.GetRect());
    k.Add(x.GetTickSpacing());
    k.Add(uint64_t(x.IsAutoTicks() ? 1 : 0) << 32 | uint16_t(x.GetLabelRotation()));
    k.Add(x.GetUnitText());
    for (int g = 0; g < window.GetGroupCount(); ++g) {
        const CKSTAxisGroup& group = *window.GetGroup(g);
        k.Add(uint64_t(group.IsVisible() ? 1 : 0));
        k.Add(group.GetRect());
        k.Add(uint64_t(uint32_t(group.GetLegendHeight())));
        for (int a = 0; a < group.GetAxisCount(); ++a) {
            const CKSTYAxis& axis = *group.GetAxis(a);
            k.Add(&axis);
            k.Add(axis.GetRect());
            k.Add(axis.GetMinimum());
            k.Add(axis.GetDisplayMaximum());
            k.Add(uint64_t(axis.GetScaleType()) << 1 | (axis.IsLowestOnTop() ? 1 : 0));
        }
        for (int i = 0; i < group.GetCurveCount(); ++i) {
            const CKSTCurve& curve = *group.GetCurve(i);
            k.Add(&curve);
            k.Add(curve.GetChannel());
            k.Add(curve.GetYAxis());
            k.Add(uint64_t(CKSTAxisGroup::IsShownCurve(curve) ? 1 : 0));
            k.Add(curve.GetRect());
            k.Add(uint64_t(curve.GetColor()) << 32 | curve.GetDisplayKind());
            k.Add(uint64_t(curve.GetSymbol()) << 1 | (curve.GetInterpolateGaps() ? 1 : 0));
            k.Add(uint64_t(curve.GetEventCount()));
            k.Add(uint64_t(curve.GetLevelLineCount()));
            for (int l = 0; l < curve.GetLevelLineCount(); ++l) {
                const CKSTLimitLine& line = *curve.GetLevelLine(l);
                k.Add(line.GetValue());
                k.Add(uint64_t(line.GetColour()) << 32 | line.GetLineStyle());
            }
        }
    }
    return key;
}

bool CKSTPictureTracker::Supports(const CKSTCurveWndCore& window)
{
    const CKSTCurveWndSettings& s = window.Settings();
    if (window.GetDisplayKind() != CKSTCurveWndCore::kDisplayYT ||
        window.GetXChannelPtr() != nullptr || s.m_BackgroundImage.GetPixelCount() > 0 ||
        window.GetXAxis().IsTicksAtDataPoints()) {
        return false;
    }
    for (CKSTCurve* curve : ShownCurves(window)) {
        if (curve->GetChannel() == nullptr || curve->IsMatrixCurve() ||
            !IsThinStyle(curve->GetDisplayKind()) || curve->GetEventCount() > 0) {
            return false;
        }
        for (int l = 0; l < curve->GetLevelLineCount(); ++l) {
            // A dashed line's pattern would not survive a move by any number of pixels.
            const uint32_t style = curve->GetLevelLine(l)->GetLineStyle();
            if (style >= 1 && style <= 4) {
                return false;
            }
        }
        NullCanvas canvas;
        CKSTCurvePainter painter(*curve, canvas);
        if (!painter.IsColumnPass()) {
            return false;
        }
    }
    return true;
}

CKSTPictureTracker::Trace CKSTPictureTracker::TraceOf(const CKSTCurve& curve)
{
    Trace trace;
    trace.curve = &curve;
    const CKSTChannel* channel = curve.GetChannel();
    trace.channel = channel;
    trace.offset = curve.GetDateOffset();
    if (channel == nullptr) {
        return trace;
    }
    trace.count = channel->GetCount();
    trace.t0 = channel->GetT0();
    trace.dt = channel->GetDt();
    if (trace.count == 0) {
        return trace;
    }
    const uint32_t last = trace.count - 1;
    trace.lastTime = channel->GetTimeAt(last);
    const double value = channel->IsMissing(last) ? std::nan("") : channel->GetValues()[last];
    std::memcpy(&trace.lastValueBits, &value, sizeof value);
    for (int64_t i = last; i >= 0; --i) {
        if (!channel->IsMissing(i) && !std::isnan(channel->GetValues()[i])) {
            trace.lastPresentTime = channel->GetTimeAt(i);
            trace.anyPresent = true;
            break;
        }
    }
    return trace;
}

void CKSTPictureTracker::Record(const CKSTCurveWndCore& window)
{
    m_look = LookKey(window);
    m_xMinimum = window.GetXAxis().GetMinimum();
    m_xDisplayMaximum = window.GetXAxis().GetDisplayMaximum();
    m_traces.clear();
    for (const CKSTCurve* curve : ShownCurves(window)) {
        m_traces.push_back(TraceOf(*curve));
    }
    m_valid = true;
}

bool CKSTPictureTracker::Plan(const CKSTCurveWndCore& window, const RECT& client,
                              const std::vector<RECT>& overlays, KstPicturePlan& plan) const
{
    plan = KstPicturePlan();
    if (!m_valid || !Supports(window) || LookKey(window) != m_look) {
        return false;
    }
    const std::vector<CKSTCurve*> curves = ShownCurves(window);
    if (curves.size() != m_traces.size()) {
        return false;
    }
    std::vector<Trace> now;
    for (size_t i = 0; i < curves.size(); ++i) {
        const Trace& before = m_traces[i];
        now.push_back(TraceOf(*curves[i]));
        const Trace& after = now.back();
        // Anything but samples added at the end (a cleared, trimmed or rewritten channel, a
        // new time base) changes what was drawn already.
        if (after.curve != before.curve || after.channel != before.channel ||
            after.count < before.count || after.t0 != before.t0 || after.dt != before.dt ||
            after.offset != before.offset) {
            return false;
        }
        if (before.count > 0) {
            const CKSTChannel& channel = *curves[i]->GetChannel();
            const uint32_t last = before.count - 1;
            const double value =
                channel.IsMissing(last) ? std::nan("") : channel.GetValues()[last];
            uint64_t bits = 0;
            std::memcpy(&bits, &value, sizeof value);
            if (channel.GetTimeAt(last) != before.lastTime || bits != before.lastValueBits) {
                return false;
            }
        }
    }

    // The X range may only have moved, by the same whole number of pixels on every band and on
    // the X axis' ticks.
    const CKSTXAxis& xAxis = window.GetXAxis();
    const double span = xAxis.GetDisplayMaximum() - xAxis.GetMinimum();
    const double oldSpan = m_xDisplayMaximum - m_xMinimum;
    if (!(std::fabs(span - oldSpan) <= kSameScale * std::fabs(oldSpan))) {
        return false;
    }
    const double moved = xAxis.GetMinimum() - m_xMinimum;
    int64_t shift = 0;
    if (moved != 0.0) {
        auto wholePixels = [&](double scale, int64_t& pixels) {
            const double d = moved * scale;
            if (!std::isfinite(d) || std::fabs(d) > 1e9) {
                return false;
            }
            pixels = std::llround(d);
            return std::fabs(d - double(pixels)) <= kWholePixel;
        };
        if (!wholePixels(AxisScale(xAxis.GetPixelLength(), span), shift)) {
            return false;
        }
        for (const CKSTCurve* curve : curves) {
            int64_t pixels = 0;
            if (!wholePixels(curve->GetPixelScale(), pixels) || pixels != shift) {
                return false;
            }
        }
    }
    if (shift < 0) {
        return false;
    }
    plan.shift = static_cast<int32_t>(shift);

    size_t c = 0;
    for (int g = 0; g < window.GetGroupCount(); ++g) {
        const CKSTAxisGroup& group = *window.GetGroup(g);
        if (!group.IsVisible()) {
            continue;
        }
        const RECT plot = KstGroupPlotRect(group.GetRect(), group.GetLegendHeight());
        if (plot.right <= plot.left || plot.bottom <= plot.top) {
            continue;
        }
        if (shift >= plot.right - plot.left) {
            return false;
        }
        int32_t tailFrom = plot.right;
        int32_t tailTo = plot.left;
        int32_t leftTo = plot.left;
        for (int i = 0; i < group.GetCurveCount(); ++i) {
            CKSTCurve& curve = *group.GetCurve(i);
            if (!CKSTAxisGroup::IsShownCurve(curve)) {
                continue;
            }
            if (!IsSameRect(curve.GetRect(), plot)) {
                return false;
            }
            const Trace& before = m_traces[c];
            const Trace& after = now[c];
            ++c;
            NullCanvas canvas;
            const CKSTCurvePainter painter(curve, canvas);
            if (after.count != before.count || shift > 0) {
                // The line ended at the last sample drawn before and goes on from there.
                const int32_t from = before.anyPresent
                                         ? painter.ColumnOfTime(before.lastPresentTime)
                                         : plot.left;
                tailFrom = std::min(tailFrom, AddPixels(from, -kReach));
                const int32_t to =
                    after.anyPresent ? painter.ColumnOfTime(after.lastPresentTime) : plot.right;
                tailTo = std::max(tailTo, AddPixels(to, kReach + 1));
            }
            if (shift > 0 && painter.IsDrawable()) {
                // The line now enters the band from a sample left of it: up to the first
                // sample after that one, the band's columns differ from the moved ones.
                int32_t entry = plot.right;
                for (uint32_t k = painter.GetFirstVisible() + 1; k < after.count; ++k) {
                    POINT point;
                    if (painter.GetSamplePoint(k, point)) {
                        entry = point.x;
                        break;
                    }
                }
                leftTo = std::max(leftTo, AddPixels(entry, kReach + 1));
            }
        }
        if (shift > 0) {
            plan.moved.push_back(plot);
            // The columns the move exposed, with those the line joins from.
            tailFrom = std::min(tailFrom, AddPixels(plot.right - shift, -kReach));
            tailTo = plot.right;
            AddClipped(plan.redraw, {plot.left, plot.top, leftTo, plot.bottom}, plot);
        }
        AddClipped(plan.redraw, {tailFrom, plot.top, tailTo, plot.bottom}, plot);
        for (const RECT& overlay : overlays) {
            if (shift > 0 && Overlaps(overlay, plot)) {
                // The box stays where it is while the band under it moved.
                AddClipped(plan.redraw,
                           {AddPixels(overlay.left, -shift), overlay.top, overlay.right,
                            overlay.bottom},
                           plot);
            }
        }
    }
    if (shift > 0) {
        // The X axis' labels and ticks moved under the groups.
        const RECT plotRect = window.GetPlotRect();
        AddClipped(plan.redraw, {client.left, plotRect.bottom, client.right, client.bottom},
                   client);
    }
    return true;
}
