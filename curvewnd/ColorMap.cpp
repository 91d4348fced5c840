#include "curvewnd/ColorMap.h"

#include <algorithm>
#include <cmath>

#include "data/Channel.h"

namespace {

// The extremum the matrix accessors start from.
constexpr double kNoSample = 1e300;

double PixelsPerUnit(double pixels, double span)
{
    return std::fabs(span) < 1e-100 || std::isnan(span) ? 1e30 : pixels / span;
}

}  // namespace

uint32_t KstColorRampColor(int32_t k)
{
    k = std::clamp(k, 0, kColorRampSteps - 1);
    const uint32_t red = k < 256 ? 255 : k < 512 ? 511 - k : 0;
    const uint32_t green = k < 256 ? k : k < 768 ? 255 : 1023 - k;
    const uint32_t blue = k < 512 ? 0 : k < 768 ? k - 512 : 255;
    return red | (green << 8) | (blue << 16);
}

int32_t KstColorRampIndex(double v, double min, double max)
{
    if (std::isnan(v)) {
        return -1;
    }
    const double span = max - min;
    if (!(span > 0.0) || !std::isfinite(span)) {
        return 0;
    }
    const double steps = (v - min) * (kColorRampSteps - 1) / span;
    if (!(steps > 0.0)) {
        return kColorRampSteps - 1;
    }
    if (steps >= kColorRampSteps - 1) {
        return 0;
    }
    return kColorRampSteps - 1 - static_cast<int32_t>(steps);
}

uint32_t KstMatrixValueColor(double v)
{
    if (!(v >= 0.0) || v > static_cast<double>(0xFFFFFF)) {
        return 0;
    }
    return static_cast<uint32_t>(v);
}

void KstMatrixScales(const CKSTChannel& channel, const KstMatrixView& view, double& xScale,
                     double& yScale)
{
    if (channel.GetSourceAttribute() == 2) {
        xScale = 1.0;
        yScale = 1.0;
        return;
    }
    const RECT band = NormalizeRect(view.band);
    xScale =
        PixelsPerUnit(double(band.right) - band.left - 1, view.xDisplayMaximum - view.xMinimum);
    yScale =
        PixelsPerUnit(double(band.bottom) - band.top - 1, view.yDisplayMaximum - view.yMinimum);
}

void KstRenderMatrixMap(const CKSTChannel& channel, const KstMatrixView& view,
                        const std::function<void(int32_t, int32_t, uint32_t)>& put)
{
    if (channel.GetTimeBaseType() != CKSTChannel::kMatrix || channel.GetCount() == 0 ||
        channel.GetMatrixRowLength() == 0) {
        return;
    }
    const RECT band = NormalizeRect(view.band);
    if (int64_t(band.right) - band.left < 2 || int64_t(band.bottom) - band.top < 2) {
        return;
    }
    double xScale = 0.0;
    double yScale = 0.0;
    KstMatrixScales(channel, view, xScale, yScale);
    const bool colours = channel.IsColorMatrix();
    const uint32_t all = CKSTChannel::kWholeChannel;
    const double min = colours ? 0.0 : channel.GetMatrixMin(all, all, all, all);
    const double max = colours ? 0.0 : channel.GetMatrixMax(all, all, all, all);

    const double rowA = channel.GetFirstRowPosition();
    const double rowB = channel.GetLastRowPosition();
    const double rowLow = std::min(rowA, rowB);
    const double rowHigh = std::max(rowA, rowB);
    const double timeA = channel.GetT0();
    const double timeB = channel.GetEndTime();
    const double timeLow = std::min(timeA, timeB);
    const double timeHigh = std::max(timeA, timeB);
    const double rowStep = 1.0 / yScale;
    const double columnStep = 1.0 / xScale;

    int32_t lastIndex = -2;
    uint32_t lastColour = 0;
    for (int32_t y = band.top; y < band.bottom; ++y) {
        const double y1 = view.lowestOnTop
                              ? (double(y) - band.bottom + 2 - 0.5) / yScale + view.yDisplayMaximum
                              : (double(band.bottom) - y - 2 - 0.5) / yScale + view.yMinimum;
        const double y2 = y1 + rowStep;
        if (y2 < rowLow || y1 > rowHigh) {
            continue;
        }
        uint32_t r1 = 0;
        uint32_t r2 = 0;
        const bool rows = channel.GetRowRange(y1, y2, r1, r2);
        const double rowMiddle = y1 + rowStep / 2;
        for (int32_t x = band.left; x < band.right; ++x) {
            const double t1 =
                (double(x) - 0.5 - band.left) / xScale + view.xMinimum - view.timeOffset;
            const double t2 = t1 + columnStep;
            if (t2 < timeLow || t1 > timeHigh) {
                continue;
            }
            uint32_t c1 = 0;
            uint32_t c2 = 0;
            const bool columns = channel.GetColumnRange(t1, t2, c1, c2);
            const double columnMiddle = t1 + columnStep / 2;
            double v = 0.0;
            if (rows && columns) {
                v = channel.GetMatrixMax(c1, c2, r1, r2);
            } else if (columns) {
                v = channel.GetRowCutMax(c1, c2, rowMiddle);
            } else if (rows) {
                v = channel.GetColumnCutMax(columnMiddle, r1, r2);
            } else {
                v = channel.GetMatrixValueAt(columnMiddle, rowMiddle);
            }
            // The accessors' starting value comes back when every sample was not a number.
            if (std::isnan(v) || v == -kNoSample) {
                continue;
            }
            if (colours) {
                put(x, y, KstMatrixValueColor(v));
                continue;
            }
            const int32_t k = KstColorRampIndex(v, min, max);
            if (k < 0) {
                continue;
            }
            if (k != lastIndex) {
                lastIndex = k;
                lastColour = KstColorRampColor(k);
            }
            put(x, y, lastColour);
        }
    }
}
