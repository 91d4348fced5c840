// Labels that show an X channel's values: the Track axis and the channel-as-axis display.
#include <algorithm>
#include <cmath>

#include "curvewnd/AxisScale.h"
#include "curvewnd/XAxis.h"
#include "data/Channel.h"
#include "foundation/Numeric.h"

namespace {

bool IsPresent(const CKSTChannel& channel, uint32_t i)
{
    const uint8_t* missing = channel.GetMissingFlags();
    return missing == nullptr || missing[i] == 0;
}

double CrossingTime(const CKSTChannel& channel, uint32_t i, double level)
{
    const double* values = channel.GetValues();
    const double t0 = channel.GetTimeAt(i - 1);
    const double t1 = channel.GetTimeAt(i);
    return t0 + (level - values[i - 1]) * (t1 - t0) / (values[i] - values[i - 1]);
}

bool Crosses(double a, double b, double level)
{
    return (a < level && level < b) || (b < level && level < a);
}

// Within samples first..last: the first present sample equal to the level, else the first pair
// of successive present samples on either side of it (interpolated).
bool FindLevelCrossingInRange(const CKSTChannel& channel, double level, uint32_t first,
                              uint32_t last, double& time)
{
    const uint32_t count = channel.GetCount();
    if (count == 0) {
        return false;
    }
    last = std::min(last, count - 1);
    const double* values = channel.GetValues();
    for (uint32_t i = first; i <= last && i < count; ++i) {
        if (IsPresent(channel, i) && values[i] == level) {
            time = channel.GetTimeAt(i);
            return true;
        }
    }
    for (uint32_t i = first + 1; i <= last && i < count; ++i) {
        if (IsPresent(channel, i - 1) && IsPresent(channel, i) &&
            Crosses(values[i - 1], values[i], level)) {
            time = CrossingTime(channel, i, level);
            return true;
        }
    }
    return false;
}

}  // namespace

double CKSTXAxis::TrackValueAtTime(double t) const
{
    const CKSTChannel* channel = TrackChannel();
    if (channel == nullptr || channel->GetCount() == 0 || std::isnan(t)) {
        return t;
    }
    if (t < channel->GetStartTime()) {
        return channel->GetValue(0);
    }
    if (t > channel->GetEndTime()) {
        return channel->GetValue(channel->GetCount() - 1);
    }
    return channel->GetValueAtTime(t);
}

double CKSTXAxis::TimeAtTrackValue(double v, double nearTime) const
{
    const CKSTChannel* channel = TrackChannel();
    if (channel == nullptr || channel->GetCount() == 0) {
        return v;
    }
    double lo = 0.0, hi = 0.0;
    channel->GetValueRange(lo, hi);
    if (std::isnan(v) || !(lo <= hi)) {
        return nearTime;
    }
    // A value beyond the channel's range is looked up as the nearest value it takes.
    v = std::clamp(v, lo, hi);
    const double* values = channel->GetValues();
    bool found = false;
    double best = nearTime;
    auto consider = [&](double time) {
        if (!found || std::fabs(time - nearTime) < std::fabs(best - nearTime)) {
            best = time;
            found = true;
        }
    };
    for (uint32_t i = 0; i < channel->GetCount(); ++i) {
        if (!IsPresent(*channel, i)) {
            continue;
        }
        if (values[i] == v) {
            consider(channel->GetTimeAt(i));
        } else if (i > 0 && IsPresent(*channel, i - 1) && Crosses(values[i - 1], values[i], v)) {
            consider(CrossingTime(*channel, i, v));
        }
    }
    return best;
}

void CKSTXAxis::NextTrackLabel(double first, int k, double spacing, double& value,
                               double& time) const
{
    const CKSTChannel* channel = TrackChannel();
    if (channel == nullptr || channel->GetCount() == 0 || std::isnan(first)) {
        value = first + k * spacing;
        time = value;
        return;
    }
    const uint32_t count = channel->GetCount();
    const uint32_t atFirst = channel->GetIndexAtTime(first);
    const double step = std::trunc(std::max(spacing, 1.0));
    const double* values = channel->GetValues();
    for (uint32_t i = atFirst + (k >= 1 ? 1 : 0); i < count; ++i) {
        if (IsPresent(*channel, i) && std::isfinite(values[i]) &&
            std::fmod(std::trunc(values[i]), step) == 0.0) {
            value = values[i];
            time = channel->GetTimeAt(i);
            return;
        }
    }
    value = channel->GetValue(atFirst);
    time = channel->GetTimeAt(atFirst);
}

bool CKSTXAxis::SnapLabelToChannel(double t, double& value, double& time) const
{
    value = t;
    time = t;
    const CKSTChannel* channel = AxisChannel();
    if (channel == nullptr || channel->GetCount() == 0 || std::isnan(t)) {
        return false;
    }
    const int32_t pixel = ValueToPixel(t);
    const int32_t half = m_pixelsPerTick / 10;
    const double t0 = PixelToValue(AddPixels(pixel, 1 - int64_t(half)));
    const double t1 = PixelToValue(AddPixels(pixel, 1 + int64_t(half)));
    const uint32_t i0 = channel->GetIndexAtTime(t0);
    const uint32_t i1 = channel->GetIndexAtTime(t1);
    const double y0 = channel->GetValueAtTime(t0);
    value = y0;
    const double* values = channel->GetValues();

    if (m_ticksAtDataPoints) {
        uint32_t index = 0;
        if (i0 >= i1) {
            return channel->FindSampleAtTime(t, index);
        }
        // The roundest sample value in the window.
        bool found = false;
        double roundness = 1e-300;
        for (uint32_t i = i0; i < i1; ++i) {
            if (!IsPresent(*channel, i) || !std::isfinite(values[i])) {
                continue;
            }
            const double r = NiceStep125(values[i]);
            if (r > roundness) {
                roundness = r;
                index = i;
                found = true;
            }
        }
        if (!found) {
            return channel->FindSampleAtTime(t, index);
        }
        value = values[index];
        time = channel->GetTimeAt(index);
        return true;
    }

    double lo = 0.0, hi = 0.0;
    if (i1 <= i0 + 1) {
        lo = y0;
        hi = channel->GetValueAtTime(t1);
        if (lo > hi) {
            std::swap(lo, hi);
        }
    } else {
        channel->GetValueRange(lo, hi, false, i0, i1 + 1);
    }
    if (!(lo <= hi) || !std::isfinite(lo) || !std::isfinite(hi)) {
        return true;
    }
    // The coarsest decade that still has a non-zero multiple inside lo .. hi.
    bool found = false;
    double best = y0;
    const int16_t start = DecadeExponent(hi - lo);
    for (int e = start; e > -100 && e <= 300; ++e) {
        const double up = RoundUpToStep(lo, static_cast<int16_t>(e), 1);
        const double down = RoundDownToStep(hi, static_cast<int16_t>(e), 1);
        if (up >= lo && up <= hi && up != 0.0) {
            best = up;
        } else if (down >= lo && down <= hi && down != 0.0) {
            best = down;
        } else {
            break;
        }
        found = true;
    }
    if (found) {
        value = best;
        double crossing = 0.0;
        if (FindLevelCrossingInRange(*channel, best, i0, i1, crossing)) {
            time = crossing;
        }
    }
    return true;
}
