#include "data/DocFileJoin.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace kst_doc {

void JoinTimes(CKSTChannel& channel, const CKSTChannel* times)
{
    const uint32_t available = times != nullptr ? times->GetCount() : 0;
    const uint32_t n = std::min(channel.GetCount(), available);
    if (n < channel.GetCount()) {
        channel.SetCapacity(n);
    }
    if (n == 0) {
        return;
    }
    // The arrays are the channel's own; SetTimeAt would judge the order against the zeros
    // still standing in the later slots.
    std::memcpy(const_cast<double*>(channel.GetTimes()), times->GetValues(), sizeof(double) * n);
    channel.RescanAscending();
}

namespace {

// Rebuilds the channel as kind 0 with slots samples; sample i of the time vector goes to
// slotOf[i], every other slot is missing.
void RebuildEquidistant(CKSTChannel& channel, double t0, double dt, uint32_t slots,
                        const std::vector<uint32_t>& slotOf)
{
    CKSTChannel result;
    result.CopyFrom(channel);
    result.SetTimeBaseType(CKSTChannel::kEquidistant);
    result.SetT0(t0);
    result.SetDt(dt);
    for (int32_t k = 1; k < channel.GetValueTextCount(); ++k) {
        result.SetValueText(k, channel.GetValueText(k));
    }
    const bool gaps = slots != channel.GetCount();
    result.AppendValues(0.0, gaps, slots);
    double* values = const_cast<double*>(result.GetValues());
    uint8_t* missing = const_cast<uint8_t*>(result.GetMissingFlags());
    for (uint32_t i = 0; i < channel.GetCount(); ++i) {
        values[slotOf[i]] = channel.GetValues()[i];
        missing[slotOf[i]] = channel.GetMissingFlags()[i];
    }
    result.RescanMissing();
    channel = result;
}

}  // namespace

void MakeEquidistantIfRegular(CKSTChannel& channel)
{
    if (channel.GetTimeBaseType() != CKSTChannel::kTimeVector || !channel.AreTimesAscending()) {
        return;
    }
    const uint32_t count = channel.GetCount();
    const double* times = channel.GetTimes();
    std::vector<uint32_t> slotOf(count);
    if (count < 2) {
        const double t0 = count == 1 ? times[0] : 0.0;
        if (count == 1) {
            slotOf[0] = 0;
        }
        RebuildEquidistant(channel, t0, 1.0, count, slotOf);
        return;
    }
    double minStep = std::numeric_limits<double>::infinity();
    double maxStep = 0.0;
    for (uint32_t i = 1; i < count; ++i) {
        const double d = times[i] - times[i - 1];
        if (d != 0.0) {
            minStep = std::min(minStep, d);
        }
        maxStep = std::max(maxStep, d);
    }
    if (!std::isfinite(minStep)) {
        return;
    }
    const double r = maxStep / minStep;
    if (r < 1.001) {
        for (uint32_t i = 0; i < count; ++i) {
            slotOf[i] = i;
        }
        RebuildEquidistant(channel, times[0], (times[count - 1] - times[0]) / (count - 1), count,
                           slotOf);
        return;
    }
    if (r < 1.9) {
        return;
    }
    const double span = times[count - 1] - times[0];
    const double k = std::round(span / minStep);
    if (!(k >= 1.0) || k > 2.0 * count) {
        return;
    }
    const double step = span / k;
    const uint32_t n = static_cast<uint32_t>(k);
    auto nearMin = [&](uint32_t i) {
        return std::fabs((times[i] - times[i - 1]) - minStep) < 0.001 * minStep;
    };
    uint32_t close = 0;
    if (k <= 100) {
        for (uint32_t i = 1; i < count; ++i) {
            close += nearMin(i) ? 1 : 0;
        }
        if (close < n / 2) {
            return;
        }
    } else {
        for (uint32_t i = 1; i < count && i < 100; ++i) {
            close += nearMin(i) ? 1 : 0;
        }
        if (close < 50) {
            return;
        }
    }
    for (uint32_t i = 2; i < count; ++i) {
        const double length = times[i] - times[i - 1];
        const double q = std::round(length / step);
        if (!((q - 1 + 0.999) * step <= length && length <= (q - 1 + 1.001) * step)) {
            return;
        }
    }
    for (uint32_t i = 0; i < count; ++i) {
        const double slot = std::round((times[i] - times[0]) / step);
        slotOf[i] = static_cast<uint32_t>(std::clamp(slot, 0.0, static_cast<double>(n)));
    }
    RebuildEquidistant(channel, times[0], step, n + 1, slotOf);
}

}  // namespace kst_doc
