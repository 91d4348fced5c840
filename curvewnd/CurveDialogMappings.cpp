#include "curvewnd/CurveDialogMappings.h"

#include <cmath>
#include <iterator>

#include "curvewnd/AxisGroup.h"
#include "curvewnd/Curve.h"
#include "curvewnd/PlotMarker.h"
#include "curvewnd/XAxis.h"
#include "curvewnd/YAxis.h"
#include "data/settings/SettingsColors.h"

namespace {

// Display style codes of lines and steps by line-style entry.
constexpr uint32_t kLineCodes[] = {
    CKSTCurve::kStyleLines,      CKSTCurve::kStyleThickLines,  CKSTCurve::kStyleDashLines,
    CKSTCurve::kStyleDotLines,   CKSTCurve::kStyleDashDotLines, CKSTCurve::kStyleDashDotDotLines,
};
constexpr uint32_t kStepCodes[] = {
    CKSTCurve::kStyleSteps,     CKSTCurve::kStyleThickSteps,   CKSTCurve::kStyleDashSteps,
    CKSTCurve::kStyleDotSteps,  CKSTCurve::kStyleDashDotSteps, CKSTCurve::kStyleDashDotDotSteps,
};
constexpr int kLineStyleCount = static_cast<int>(std::size(kLineCodes));

constexpr KstXTypeCode kXTypeCodes[] = {
    {0, CKSTXAxis::kTypeStandard},     {0, CKSTXAxis::kTypeAbsoluteTime},
    {0, CKSTXAxis::kTypeRelativeTime}, {1, CKSTXAxis::kTypeStandard},
    {3, CKSTXAxis::kTypeStandard},     {0, CKSTXAxis::kTypeTrack},
};

// Picture positions by (first, second) choice.
constexpr uint32_t kImagePlacements[3][3] = {{5, 6, 7}, {11, 12, 13}, {8, 9, 10}};

constexpr uint32_t kArrangeModeOfChoice[] = {0, 1, 4, 2, 3};

}  // namespace

KstStyleChoice KstSplitDisplayStyle(uint32_t displayStyle)
{
    for (int i = 0; i < kLineStyleCount; ++i) {
        if (displayStyle == kLineCodes[i]) {
            return {kKstStyleLine, i};
        }
        if (displayStyle == kStepCodes[i]) {
            return {kKstStyleSteps, i};
        }
    }
    switch (displayStyle) {
        case CKSTCurve::kStyleBars:
            return {kKstStyleBars, kKstLineSolid};
        case CKSTCurve::kStyle3DBars:
            return {kKstStyle3DBars, kKstLineSolid};
        case CKSTCurve::kStyleSymbols:
            return {kKstStyleSymbols, kKstLineSolid};
        case CKSTCurve::kStyleEventTexts:
            return {kKstStyleEventTexts, kKstLineSolid};
        default:
            return {kKstStyleLine, kKstLineSolid};
    }
}

bool KstStyleHasLineStyle(int style)
{
    return style == kKstStyleLine || style == kKstStyleSteps;
}

bool KstJoinDisplayStyle(int style, int lineStyle, uint32_t& displayStyle)
{
    if (KstStyleHasLineStyle(style)) {
        if (lineStyle < 0 || lineStyle >= kLineStyleCount) {
            return false;
        }
        displayStyle = style == kKstStyleLine ? kLineCodes[lineStyle] : kStepCodes[lineStyle];
        return true;
    }
    switch (style) {
        case kKstStyleBars:
            displayStyle = CKSTCurve::kStyleBars;
            return true;
        case kKstStyle3DBars:
            displayStyle = CKSTCurve::kStyle3DBars;
            return true;
        case kKstStyleSymbols:
            displayStyle = CKSTCurve::kStyleSymbols;
            return true;
        case kKstStyleEventTexts:
            displayStyle = CKSTCurve::kStyleEventTexts;
            return true;
        default:
            return false;
    }
}

int KstMarkerTypeToIndex(uint32_t type)
{
    switch (type) {
        case CKSTPlotMarker::kOnWindow:
            return 1;
        case CKSTPlotMarker::kVerticalLine:
            return 2;
        case CKSTPlotMarker::kOnTrack:
            return 3;
        default:
            return 0;
    }
}

uint32_t KstMarkerIndexToType(int index)
{
    switch (index) {
        case 1:
            return CKSTPlotMarker::kOnWindow;
        case 2:
            return CKSTPlotMarker::kVerticalLine;
        case 3:
            return CKSTPlotMarker::kOnTrack;
        default:
            return CKSTPlotMarker::kOnCurve;
    }
}

int KstMarkerAngleToIndex(int16_t degrees)
{
    return degrees == 90 ? 1 : degrees == -90 ? 2 : 0;
}

int16_t KstMarkerIndexToAngle(int index)
{
    return index == 1 ? 90 : index == 2 ? -90 : 0;
}

int KstBackgroundToIndex(uint32_t colour)
{
    if (colour == KST_COLOR_AUTOMATIC) {
        return kKstBackAuto;
    }
    return colour == KST_COLOR_NONE ? kKstBackTransparent : kKstBackManual;
}

uint32_t KstIndexToBackground(int index, uint32_t chosen)
{
    switch (index) {
        case kKstBackManual:
            return chosen;
        case kKstBackTransparent:
            return KST_COLOR_NONE;
        default:
            return KST_COLOR_AUTOMATIC;
    }
}

double KstLabelFactor(int exponent)
{
    return std::pow(10.0, exponent);
}

KstXTypeCode KstXTypeCodeOf(int entry)
{
    if (entry < 0 || entry >= static_cast<int>(std::size(kXTypeCodes))) {
        return kXTypeCodes[kKstXTypeStandard];
    }
    return kXTypeCodes[entry];
}

int KstXTypeEntryOf(uint32_t displayKind, uint32_t axisType)
{
    if (displayKind == 1) {
        return kKstXTypeXYDisplay;
    }
    if (displayKind == 3) {
        return kKstXTypeChannelAsAxis;
    }
    switch (axisType) {
        case CKSTXAxis::kTypeAbsoluteTime:
            return kKstXTypeAbsoluteTime;
        case CKSTXAxis::kTypeRelativeTime:
            return kKstXTypeRelativeTime;
        case CKSTXAxis::kTypeTrack:
            return kKstXTypeTrack;
        default:
            return kKstXTypeStandard;
    }
}

std::vector<int> KstXTypeEntries(bool numericOnly, bool xyAvailable, bool trackOption)
{
    std::vector<int> entries{kKstXTypeStandard};
    if (!numericOnly) {
        entries.push_back(kKstXTypeAbsoluteTime);
        entries.push_back(kKstXTypeRelativeTime);
        if (xyAvailable) {
            entries.push_back(kKstXTypeXYDisplay);
        }
    }
    entries.push_back(kKstXTypeChannelAsAxis);
    if (trackOption) {
        entries.push_back(kKstXTypeTrack);
    }
    return entries;
}

int16_t KstClampLabelRotation(int degrees)
{
    return degrees < -180 || degrees > 180 ? int16_t{-180} : static_cast<int16_t>(degrees);
}

KstYScaleValues KstConvertYScale(const KstYScaleValues& values, uint32_t from, uint32_t to)
{
    if (from == to) {
        return values;
    }
    KstYScaleValues result = values;
    auto fromDecibel = [](double x) { return std::pow(10.0, x * 0.05); };
    if (from == CKSTYAxis::kScaleDecibel) {
        // To linear and to logarithmic alike.
        result.minimum = fromDecibel(values.minimum);
        result.maximum = fromDecibel(values.maximum);
        result.spacing = fromDecibel(values.spacing);
        return result;
    }
    switch (to) {
        case CKSTYAxis::kScaleLinear:
            result.spacing = std::pow(10.0, values.spacing);
            break;
        case CKSTYAxis::kScaleLogarithmic:
            result.spacing = values.spacing > 0.0 ? std::log10(values.spacing) : 1.0;
            break;
        case CKSTYAxis::kScaleDecibel:
            result.minimum = values.minimum > 0.0 ? 20.0 * std::log10(values.minimum) : -100.0;
            result.maximum =
                values.maximum > 0.0 ? 20.0 * std::log10(values.maximum) : result.minimum + 20.0;
            if (from == CKSTYAxis::kScaleLogarithmic) {
                result.spacing = values.spacing * 20.0;
            } else {
                result.spacing = values.spacing > 0.0 ? 20.0 * std::log10(values.spacing) : 1.0;
            }
            break;
        default:
            break;
    }
    return result;
}

int KstLegendStyleToChoice(uint32_t legendStyle)
{
    return legendStyle == 2 ? 1 : legendStyle == 0 ? 2 : 0;
}

uint32_t KstChoiceToLegendStyle(int choice)
{
    return choice == 1 ? 2 : choice == 2 ? 0 : 1;
}

int KstLegendAlignToChoice(uint32_t legendAlign)
{
    return legendAlign == 0 ? 0 : legendAlign == 1 ? 2 : 1;
}

uint32_t KstChoiceToLegendAlign(int choice)
{
    return choice == 0 ? 0 : choice == 2 ? 1 : 4;
}

int KstBarStyleToChoice(uint32_t displayStyle)
{
    return displayStyle == CKSTCurve::kStyle3DBars ? 1 : 0;
}

uint32_t KstChoiceToBarStyle(int choice)
{
    return choice == 1 ? CKSTCurve::kStyle3DBars : CKSTCurve::kStyleBars;
}

int KstPointerStyleToChoice(uint32_t displayStyle)
{
    return displayStyle == CKSTAxisGroup::kStylePointer ? 1 : 0;
}

uint32_t KstChoiceToPointerStyle(int choice)
{
    return choice == 1 ? CKSTAxisGroup::kStylePointer : uint32_t{CKSTCurve::kStyleNeedle};
}

bool KstImagePlacementToChoices(uint32_t placement, int& first, int& second)
{
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            if (kImagePlacements[i][j] == placement) {
                first = i;
                second = j;
                return true;
            }
        }
    }
    return false;
}

bool KstChoicesToImagePlacement(int first, int second, uint32_t& placement)
{
    if (first < 0 || first > 2 || second < 0 || second > 2) {
        return false;
    }
    placement = kImagePlacements[first][second];
    return true;
}

int KstArrangeModeToChoice(uint32_t mode)
{
    for (int choice = 0; choice < static_cast<int>(std::size(kArrangeModeOfChoice)); ++choice) {
        if (kArrangeModeOfChoice[choice] == mode) {
            return choice;
        }
    }
    return 0;
}

uint32_t KstChoiceToArrangeMode(int choice)
{
    if (choice < 0 || choice >= static_cast<int>(std::size(kArrangeModeOfChoice))) {
        return 0;
    }
    return kArrangeModeOfChoice[choice];
}
