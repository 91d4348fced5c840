#include "elements/ValueLayout.h"

#include <algorithm>
#include <cmath>

namespace {

double ClampRatio(double ratio)
{
    return std::isfinite(ratio) ? std::clamp(ratio, 0.0, 1.0) : 0.5;
}

bool SideIsVertical(uint32_t titleSide)
{
    return titleSide == KST_TITLE_TOP || titleSide == KST_TITLE_BOTTOM;
}

}  // namespace

KstValueFieldRects KstSplitValueFields(const RECT& client, uint32_t titleSide, double splitRatio)
{
    const int32_t l = client.left;
    const int32_t t = client.top;
    const int32_t r = client.right;
    const int32_t b = client.bottom;
    const double ratio = ClampRatio(splitRatio);
    const auto fw = static_cast<int32_t>((r - l) * ratio);
    const auto fh = static_cast<int32_t>((b - t) * ratio);
    switch (titleSide) {
    case KST_TITLE_TOP:
        return {{l, t, r, t + fh}, {l, t + fh, r, b}};
    case KST_TITLE_BOTTOM:
        return {{l, b - fh, r, b}, {l, t, r, b - fh}};
    case KST_TITLE_RIGHT:
        return {{r - fw, t, r, b}, {l, t, r - fw, b}};
    default:
        return {{l, t, l + fw, b}, {l + fw, t, r, b}};
    }
}

KstTextPlacement KstPlaceFieldText(uint32_t code, int32_t frameWidth, uint32_t titleSide,
                                   bool titleField)
{
    if (code == KST_VALUE_ALIGN_LEFT) {
        return {KST_DT_VCENTER, frameWidth + 4, 0};
    }
    if (code == KST_VALUE_ALIGN_RIGHT) {
        return {KST_DT_RIGHT | KST_DT_VCENTER, -(frameWidth + 4), 0};
    }
    const int32_t f = titleField ? frameWidth : -frameWidth;
    switch (titleSide) {
    case KST_TITLE_TOP:
        return {KST_DT_CENTER | KST_DT_VCENTER, 0, f};
    case KST_TITLE_BOTTOM:
        return {KST_DT_CENTER | KST_DT_VCENTER, 0, -f};
    case KST_TITLE_RIGHT:
        return {KST_DT_CENTER | KST_DT_VCENTER, -f, 0};
    default:
        return {KST_DT_CENTER | KST_DT_VCENTER, f, 0};
    }
}

RECT KstApplyTextOffsets(const RECT& field, const KstTextPlacement& placement)
{
    RECT moved = field;
    if (placement.dx > 0) {
        moved.left += placement.dx;
    } else {
        moved.right += placement.dx;
    }
    if (placement.dy > 0) {
        moved.top += placement.dy;
    } else {
        moved.bottom += placement.dy;
    }
    return moved;
}

RECT KstPlaceTextBox(const RECT& field, uint32_t code, int32_t textWidth, int32_t textHeight)
{
    RECT box;
    box.top = field.top + (field.bottom - field.top - textHeight) / 2;
    box.bottom = box.top + textHeight;
    if (code == KST_VALUE_ALIGN_LEFT) {
        box.left = field.left;
    } else if (code == KST_VALUE_ALIGN_RIGHT) {
        box.left = field.right - textWidth;
    } else {
        box.left = field.left + (field.right - field.left - textWidth) / 2;
    }
    box.right = box.left + textWidth;
    return box;
}

int32_t KstSplitLinePosition(uint32_t titleSide, double splitRatio, int32_t width, int32_t height)
{
    const double ratio = ClampRatio(splitRatio);
    const auto fw = static_cast<int32_t>(width * ratio);
    const auto fh = static_cast<int32_t>(height * ratio);
    switch (titleSide) {
    case KST_TITLE_TOP:
        return fh;
    case KST_TITLE_BOTTOM:
        return height - fh;
    case KST_TITLE_RIGHT:
        return width - fw;
    default:
        return fw;
    }
}

bool KstIsNearSplitLine(uint32_t titleSide, double splitRatio, int32_t width, int32_t height,
                        int32_t x, int32_t y)
{
    const int32_t line = KstSplitLinePosition(titleSide, splitRatio, width, height);
    const int32_t across = SideIsVertical(titleSide) ? y : x;
    return across >= line - 3 && across <= line + 3;
}

int32_t KstSnapToStep(int32_t v, int32_t step)
{
    step = std::max(step, 1);
    const int32_t rest = ((v % step) + step) % step;
    const int32_t base = v - rest;
    return rest <= step / 2 ? base : base + step;
}

double KstSplitRatioAt(uint32_t titleSide, int32_t x, int32_t y, int32_t width, int32_t height,
                       int32_t step, double oldRatio)
{
    const bool vertical = SideIsVertical(titleSide);
    const int32_t extent = vertical ? height : width;
    if (extent <= 0) {
        return oldRatio;
    }
    const int32_t along = vertical ? y : x;
    // Sides 0 and 1 measure the title field from the near edge, 2 and 3 from the far edge.
    const bool fromFarEdge = titleSide == KST_TITLE_BOTTOM || titleSide == KST_TITLE_RIGHT;
    const int32_t span = fromFarEdge ? extent - along : along;
    if (span > extent) {
        return 1.0;
    }
    if (span < 0) {
        return 0.0;
    }
    const double ratio = static_cast<double>(KstSnapToStep(span, step)) / extent;
    return std::clamp(ratio, 0.0, 1.0);
}

bool KstLampConditionHolds(uint32_t op, double value, double threshold)
{
    switch (op) {
    case 0:
        return value < threshold;
    case 1:
        return value <= threshold;
    case 2:
        return value > threshold;
    case 3:
        return value >= threshold;
    case 4:
        return value == threshold;
    default:
        return false;
    }
}

uint32_t KstLampColour(const KstLampRule& rule, double value)
{
    if (KstLampConditionHolds(rule.operator1, value, rule.threshold1)) {
        return rule.active1;
    }
    if (KstLampConditionHolds(rule.operator2, value, rule.threshold2)) {
        return rule.active2;
    }
    return rule.passive;
}

CKSTString KstFormatValueText(double value, int32_t precision, const CKSTString& unit,
                              bool showUnit)
{
    CKSTString text = CKSTString::FormatFixed(value, std::clamp(precision, 0, KST_MAX_PRECISION));
    if (showUnit) {
        text += unit;
    }
    return text;
}

CKSTString KstValueCompareText(const CKSTString& valueText, double value, int32_t precision,
                               const CKSTString& unit)
{
    if (!valueText.IsEmpty()) {
        return valueText;
    }
    return CKSTString::FormatFixed(value, std::clamp(precision, 0, KST_MAX_PRECISION)) + " " +
           unit;
}

bool KstIsValidPrecision(int32_t precision)
{
    return precision >= 0 && precision <= KST_MAX_PRECISION;
}

bool KstIsValidFrameWidth(int32_t width)
{
    return width >= 0 && width <= KST_MAX_FRAME_WIDTH;
}

bool KstIsValidSplitRatio(double ratio)
{
    return ratio >= 0.0 && ratio <= 1.0;
}
