#include "curvewnd/GroupLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "foundation/Numeric.h"

namespace {

double UsableWeight(double weight)
{
    return std::isfinite(weight) && weight > 0.0 ? weight : 0.0;
}

int32_t TruncatePixels(double value)
{
    if (!(value > 0.0)) {
        return 0;
    }
    return value >= static_cast<double>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(value);
}

// Shares of the groups [first, first + count); returns the smallest.
int32_t ShareRun(const std::vector<double>& weights, const std::vector<int32_t>& legendHeights,
                 int first, int count, int32_t space, std::vector<int32_t>& heights)
{
    int64_t available = space;
    double sum = 0.0;
    for (int i = first; i < first + count; ++i) {
        if (i < static_cast<int>(legendHeights.size())) {
            available -= std::max<int32_t>(legendHeights[i], 0);
        }
        sum += UsableWeight(weights[i]);
    }
    available = std::max<int64_t>(available, 0);
    heights.assign(count, 0);
    int32_t smallest = INT32_MAX;
    for (int i = 0; i < count; ++i) {
        const double share = sum > 0.0 && std::isfinite(sum)
                                 ? UsableWeight(weights[first + i]) * (available / sum)
                                 : static_cast<double>(available) / count;
        heights[i] = TruncatePixels(share);
        smallest = std::min(smallest, heights[i]);
    }
    return smallest;
}

}  // namespace

int KstFitGroupRun(const std::vector<double>& weights, const std::vector<int32_t>& legendHeights,
                   int first, int32_t space, int32_t minHeight, std::vector<int32_t>& heights)
{
    heights.clear();
    const int total = static_cast<int>(weights.size());
    if (total == 0) {
        return 0;
    }
    first = std::clamp(first, 0, total - 1);
    int count = total - first;
    while (true) {
        const int32_t smallest = ShareRun(weights, legendHeights, first, count, space, heights);
        if (smallest >= minHeight || count <= 1) {
            return count;
        }
        --count;
    }
}

void KstPlaceGroupAxes(std::vector<KstAxisSlot>& axes, const RECT& group, int32_t legendHeight,
                       int32_t leftLimit, int32_t rightLimit, int32_t rightOffset)
{
    const RECT g = NormalizeRect(group);
    const int32_t top = g.top + legendHeight;
    int lastLeft = -1;
    int lastRight = -1;
    for (size_t i = 0; i < axes.size(); ++i) {
        axes[i].rect = {0, 0, 0, 0};
        axes[i].rightSide = (i % 2) != 0;
        axes[i].inner = false;
        if (axes[i].takesPart) {
            (axes[i].rightSide ? lastRight : lastLeft) = static_cast<int>(i);
        }
    }
    int64_t leftEdge = g.left;
    int64_t rightEdge = int64_t(g.right) + rightOffset;
    bool firstLeft = true;
    bool firstRight = true;
    for (size_t i = 0; i < axes.size(); ++i) {
        KstAxisSlot& axis = axes[i];
        if (!axis.takesPart) {
            continue;
        }
        const int32_t width = std::max<int32_t>(axis.width, 0);
        if (!axis.rightSide) {
            const int64_t right = leftEdge;
            leftEdge = static_cast<int>(i) == lastLeft ? leftLimit : right - width;
            axis.rect = {static_cast<int32_t>(std::max<int64_t>(leftEdge, INT32_MIN)), top,
                         static_cast<int32_t>(right), g.bottom};
            axis.inner = firstLeft;
            firstLeft = false;
        } else {
            const int64_t left = rightEdge;
            rightEdge = static_cast<int>(i) == lastRight ? rightLimit : left + width;
            axis.rect = {static_cast<int32_t>(std::min<int64_t>(left, INT32_MAX)), top,
                         static_cast<int32_t>(std::min<int64_t>(rightEdge, INT32_MAX)), g.bottom};
            axis.inner = firstRight;
            firstRight = false;
        }
    }
}

RECT KstGroupPlotRect(const RECT& group, int32_t legendHeight)
{
    const RECT g = NormalizeRect(group);
    return {g.left + 1, g.top + 1 + legendHeight, g.right - 1, g.bottom - 1};
}

void KstWidenFlatRange(double& lo, double& hi, uint32_t scaleType)
{
    if (lo == hi || (lo != 0.0 && std::fabs(hi / lo - 1.0) < 1e-9)) {
        const double widen = scaleType == 1 || scaleType == 2 ? 1.0 : 5.0;
        lo -= widen;
        hi += widen;
    }
}

void KstNiceRange(double lo, double hi, double& niceLo, double& niceHi)
{
    const double span = hi - lo;
    const double basis = std::fabs(span) >= 1e-13 ? NiceStep(span) : hi;
    int exponent = DecadeExponent(basis);
    const double mantissa = NormalizeToDecade(basis);
    int16_t digit = 1;
    if (mantissa < 2.0) {
        --exponent;
        digit = 2;
    } else if (mantissa < 5.0) {
        --exponent;
        digit = 5;
    }
    const int16_t e = static_cast<int16_t>(exponent - 1);
    niceLo = RoundDownToStep(lo, e, digit);
    niceHi = RoundUpToStep(hi, e, digit);
}

uint32_t KstGradientColor(uint32_t colour, int32_t row, int32_t height)
{
    if (height <= 0) {
        return colour & 0xFFFFFF;
    }
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const double c = (colour >> shift) & 0xFF;
        const double darker = c - c * row * 0.12 / height;
        const uint32_t byte = static_cast<uint32_t>(std::clamp(darker, 0.0, 255.0));
        result |= byte << shift;
    }
    return result;
}

bool KstFindPictureSlice(const RECT& group, int32_t stackTop, int32_t stackBottom,
                         uint32_t placement, int32_t pictureWidth, int32_t pictureHeight,
                         KstPictureSlice& slice)
{
    const RECT g = NormalizeRect(group);
    if (pictureWidth <= 0 || pictureHeight <= 0) {
        return false;
    }
    if (placement < 5 || placement > 13) {
        placement = 5;
    }
    const int64_t freeX = int64_t(g.right) - g.left - pictureWidth;
    const int64_t freeY = int64_t(stackBottom) - stackTop - 2 - pictureHeight;
    // Offsets as shares of the free space in halves: 0 left or top, 2 right or bottom, 1 centred.
    static const int kHalves[9][2] = {{0, 0}, {0, 1}, {0, 2}, {2, 0}, {2, 1},
                                      {2, 2}, {1, 0}, {1, 1}, {1, 2}};
    const int* halves = kHalves[placement - 5];
    auto offset = [](int share, int64_t space) {
        return std::max<int64_t>(share == 2 ? space : share == 1 ? space / 2 : 0, 0);
    };
    const int64_t dx = offset(halves[0], freeX);
    const int64_t dy = offset(halves[1], freeY);
    const int64_t left = int64_t(g.left) + dx;
    const int64_t top = int64_t(stackTop) + 1 + dy;
    const int64_t clipLeft = std::max<int64_t>(left, g.left);
    const int64_t clipTop = std::max<int64_t>(top, g.top);
    const int64_t clipRight = std::min<int64_t>(left + pictureWidth, g.right);
    const int64_t clipBottom = std::min<int64_t>(top + pictureHeight, g.bottom);
    if (clipRight - clipLeft < 1 || clipBottom - clipTop < 1) {
        return false;
    }
    slice.target = {static_cast<int32_t>(clipLeft), static_cast<int32_t>(clipTop),
                    static_cast<int32_t>(clipRight), static_cast<int32_t>(clipBottom)};
    slice.sourceX = static_cast<int32_t>(clipLeft - left);
    slice.sourceY = static_cast<int32_t>(clipTop - top);
    return true;
}

RECT KstTitleBox(const RECT& group, int32_t textWidth)
{
    const RECT g = NormalizeRect(group);
    const int64_t right =
        std::min<int64_t>(int64_t(g.left) + textWidth + 20, int64_t(g.right) - 10);
    return {g.left + 10, g.top + 10, static_cast<int32_t>(right), g.top + 30};
}

POINT KstTitleOrigin(const RECT& group)
{
    const RECT g = NormalizeRect(group);
    return {g.left + 15, g.top + 12};
}

void KstAxisScrollInfo(double fullMin, double fullMax, double visibleMin, double visibleMax,
                       bool lowestOnTop, int32_t& page, int32_t& position)
{
    const double full = fullMax - fullMin;
    if (!(std::fabs(full) > 0.0) || !std::isfinite(full)) {
        page = 1000;
        position = 0;
        return;
    }
    auto toBar = [](double v) -> int32_t {
        if (!(v > -1e9)) {
            return std::isnan(v) ? 0 : -1000000000;
        }
        return v >= 1e9 ? 1000000000 : static_cast<int32_t>(v);
    };
    page = std::max(toBar(1000.0 * (visibleMax - visibleMin) / full), 3);
    position = lowestOnTop ? toBar(1000.0 * (visibleMin - fullMin) / full)
                           : toBar(1000.0 * (fullMax - visibleMax) / full);
}
