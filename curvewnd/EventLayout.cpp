#include "curvewnd/EventLayout.h"

#include <algorithm>
#include <cmath>

#include "data/Channel.h"

namespace {

int32_t Clamp32(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

RECT MakeRect(int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    return {Clamp32(left), Clamp32(top), Clamp32(right), Clamp32(bottom)};
}

bool Inside(const RECT& r, const RECT& band)
{
    return r.left >= band.left && r.right <= band.right && r.top >= band.top &&
           r.bottom <= band.bottom;
}

int64_t AreaInside(const RECT& r, const RECT& band)
{
    const int64_t w = int64_t(std::min(r.right, band.right)) - std::max(r.left, band.left);
    const int64_t h = int64_t(std::min(r.bottom, band.bottom)) - std::max(r.top, band.top);
    return w > 0 && h > 0 ? w * h : 0;
}

}  // namespace

bool KstSnapEventTime(const CKSTChannel& channel, double halfInterval, double& time)
{
    if (channel.GetCount() == 0 || !std::isfinite(time)) {
        return false;
    }
    if (time < channel.GetStartTime() - halfInterval ||
        time > channel.GetEndTime() + halfInterval) {
        return false;
    }
    time = channel.GetTimeAt(channel.GetIndexAtTime(time));
    return true;
}

RECT KstEventMarkerBox(int32_t column, int32_t bandBottom, int32_t textWidth, int32_t textHeight,
                       bool arrow)
{
    const int64_t width = int64_t(std::max(textWidth, 0)) + 2 * kEventTextMargin;
    const int64_t height = int64_t(std::max(textHeight, 0)) + 2 * kEventTextMargin;
    const int64_t bottom = int64_t(bandBottom) - (arrow ? kEventBoxGapWithArrow : kEventBoxGap);
    const int64_t left = column - width / 2;
    return MakeRect(left, bottom - height, left + width, bottom);
}

void KstValueBoxCandidates(const POINT& p, int32_t textWidth, int32_t textHeight,
                           RECT boxes[kValueBoxCandidates])
{
    const int64_t w = std::max(textWidth, 0);
    const int64_t h = std::max(textHeight, 0);
    const int64_t m = kEventTextMargin;
    // Text rectangles by their left edge and vertical middle, then widened by the margin.
    auto besideAt = [&](int64_t left, int64_t middle) {
        const int64_t top = middle - h / 2;
        return MakeRect(left - m, top - m, left + w + m, top + h + m);
    };
    const int64_t leftOfP = int64_t(p.x) - 20 - w;
    const int64_t rightOfP = int64_t(p.x) + 20;
    boxes[0] = besideAt(leftOfP, int64_t(p.y) - 15);
    boxes[1] = besideAt(leftOfP, int64_t(p.y) + 15);
    boxes[2] = besideAt(leftOfP, p.y);
    const int64_t centred = int64_t(p.x) - w / 2;
    const int64_t aboveBottom = int64_t(p.y) - 20;
    boxes[3] = MakeRect(centred - m, aboveBottom - h - m, centred + w + m, aboveBottom + m);
    const int64_t belowTop = int64_t(p.y) + 20;
    boxes[4] = MakeRect(centred - m, belowTop - m, centred + w + m, belowTop + h + m);
    boxes[5] = besideAt(rightOfP, int64_t(p.y) - 15);
    boxes[6] = besideAt(rightOfP, int64_t(p.y) + 15);
    boxes[7] = besideAt(rightOfP, p.y);
}

int KstChooseValueBox(const RECT boxes[kValueBoxCandidates], const RECT& bandIn,
                      const std::vector<RECT>& earlier)
{
    const RECT band = NormalizeRect(bandIn);
    for (int i = 0; i < kValueBoxCandidates; ++i) {
        if (!Inside(boxes[i], band)) {
            continue;
        }
        RECT common;
        const bool overlaps = std::any_of(earlier.begin(), earlier.end(), [&](const RECT& other) {
            return IntersectRectEx(common, boxes[i], other);
        });
        if (!overlaps) {
            return i;
        }
    }
    int best = 0;
    int64_t bestArea = -1;
    for (int i = 0; i < kValueBoxCandidates; ++i) {
        const int64_t area = AreaInside(boxes[i], band);
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return best;
}

POINT KstValueBoxJoin(int candidate, const RECT& box)
{
    const int32_t middleX = static_cast<int32_t>((int64_t(box.left) + box.right) / 2);
    const int32_t middleY = static_cast<int32_t>((int64_t(box.top) + box.bottom) / 2);
    if (candidate <= 2) {
        return {box.right - 1, middleY};
    }
    if (candidate == 3) {
        return {middleX, box.bottom - 1};
    }
    if (candidate == 4) {
        return {middleX, box.top};
    }
    return {box.left, middleY};
}

bool KstPlaceLabelRect(int32_t x, int32_t valueRow, int32_t textWidth, int32_t textHeight,
                       const RECT& bandIn, const std::function<bool(const RECT&)>& overlaps,
                       RECT& out)
{
    const RECT band = NormalizeRect(bandIn);
    const int64_t w = int64_t(std::max(textWidth, 0)) + 3;
    const int64_t h = int64_t(std::max(textHeight, 0)) + 2;
    int64_t y0 = valueRow;
    if (y0 - h < band.top) {
        y0 = band.top + h;
    }
    if (y0 > band.bottom) {
        y0 = band.bottom;
    }
    bool haveInside = false;
    RECT firstInside = {0, 0, 0, 0};
    const int64_t candidates = 2 * (int64_t(band.bottom) - band.top);
    for (int64_t k = 0; k < candidates; ++k) {
        const int64_t left = k % 2 == 0 ? int64_t(x) + 3 : int64_t(x) - w - 3;
        const int64_t bottom = k % 4 <= 1 ? y0 - k / 4 : y0 + k / 4 + 1;
        const RECT r = MakeRect(left, bottom - h, left + w, bottom);
        if (!Inside(r, band)) {
            continue;
        }
        if (!overlaps || !overlaps(r)) {
            out = r;
            return true;
        }
        if (!haveInside) {
            haveInside = true;
            firstInside = r;
        }
    }
    out = firstInside;
    return haveInside;
}
