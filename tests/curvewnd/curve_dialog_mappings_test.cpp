// The codes the curve window's settings dialogs show and turn back.
#include "curvewnd/CurveDialogMappings.h"

#include <gtest/gtest.h>

#include <cmath>

#include "curvewnd/Curve.h"
#include "curvewnd/PlotMarker.h"
#include "curvewnd/XAxis.h"
#include "curvewnd/YAxis.h"
#include "data/settings/SettingsColors.h"

namespace {

struct StyleCase {
    uint32_t code;
    int style;
    int lineStyle;
};

// Every code the dialog can make, with the list entries that show it.
constexpr StyleCase kStyles[] = {
    {0, kKstStyleLine, kKstLineSolid},        {4, kKstStyleLine, kKstLineThick},
    {8, kKstStyleLine, kKstLineDash},         {9, kKstStyleLine, kKstLineDot},
    {10, kKstStyleLine, kKstLineDashDot},     {11, kKstStyleLine, kKstLineDashDotDot},
    {2, kKstStyleSteps, kKstLineSolid},       {12, kKstStyleSteps, kKstLineThick},
    {13, kKstStyleSteps, kKstLineDash},       {14, kKstStyleSteps, kKstLineDot},
    {15, kKstStyleSteps, kKstLineDashDot},    {16, kKstStyleSteps, kKstLineDashDotDot},
    {1, kKstStyleBars, kKstLineSolid},        {5, kKstStyle3DBars, kKstLineSolid},
    {3, kKstStyleSymbols, kKstLineSolid},     {6, kKstStyleEventTexts, kKstLineSolid},
};

TEST(CurveDialogMappings, DisplayStylesSplitAndJoinBothWays)
{
    for (const StyleCase& c : kStyles) {
        const KstStyleChoice choice = KstSplitDisplayStyle(c.code);
        EXPECT_EQ(choice.style, c.style) << c.code;
        EXPECT_EQ(choice.lineStyle, c.lineStyle) << c.code;
        uint32_t joined = 99;
        ASSERT_TRUE(KstJoinDisplayStyle(c.style, c.lineStyle, joined)) << c.code;
        EXPECT_EQ(joined, c.code);
    }
    // The line style means nothing for bars: any entry gives the bar code.
    uint32_t joined = 0;
    ASSERT_TRUE(KstJoinDisplayStyle(kKstStyleBars, kKstLineDot, joined));
    EXPECT_EQ(joined, CKSTCurve::kStyleBars);
    // Codes the dialog never makes show as solid lines; no selection makes no code.
    EXPECT_EQ(KstSplitDisplayStyle(CKSTCurve::kStyleNeedle).style, kKstStyleLine);
    EXPECT_EQ(KstSplitDisplayStyle(17).lineStyle, kKstLineSolid);
    EXPECT_FALSE(KstJoinDisplayStyle(-1, 0, joined));
    EXPECT_FALSE(KstJoinDisplayStyle(kKstStyleLine, 6, joined));
    EXPECT_FALSE(KstJoinDisplayStyle(6, 0, joined));
    EXPECT_TRUE(KstStyleHasLineStyle(kKstStyleSteps));
    EXPECT_FALSE(KstStyleHasLineStyle(kKstStyleEventTexts));
}

TEST(CurveDialogMappings, MarkerTypesRotationsAndBackgrounds)
{
    const struct {
        uint32_t type;
        int index;
    } types[] = {{CKSTPlotMarker::kOnCurve, 0},
                 {CKSTPlotMarker::kOnWindow, 1},
                 {CKSTPlotMarker::kVerticalLine, 2},
                 {CKSTPlotMarker::kOnTrack, 3}};
    for (const auto& c : types) {
        EXPECT_EQ(KstMarkerTypeToIndex(c.type), c.index);
        EXPECT_EQ(KstMarkerIndexToType(c.index), c.type);
    }
    EXPECT_EQ(KstMarkerTypeToIndex(7), 0);

    const struct {
        int16_t angle;
        int index;
    } angles[] = {{0, 0}, {90, 1}, {-90, 2}};
    for (const auto& c : angles) {
        EXPECT_EQ(KstMarkerAngleToIndex(c.angle), c.index);
        EXPECT_EQ(KstMarkerIndexToAngle(c.index), c.angle);
    }
    EXPECT_EQ(KstMarkerAngleToIndex(45), 0);

    EXPECT_EQ(KstBackgroundToIndex(KST_COLOR_AUTOMATIC), kKstBackAuto);
    EXPECT_EQ(KstBackgroundToIndex(KST_COLOR_NONE), kKstBackTransparent);
    EXPECT_EQ(KstBackgroundToIndex(0x00FF00), kKstBackManual);
    EXPECT_EQ(KstIndexToBackground(kKstBackAuto, 0x123456), KST_COLOR_AUTOMATIC);
    EXPECT_EQ(KstIndexToBackground(kKstBackManual, 0x123456), 0x123456u);
    EXPECT_EQ(KstIndexToBackground(kKstBackTransparent, 0x123456), KST_COLOR_NONE);
}

TEST(CurveDialogMappings, LimitValueIsScaledByTheLabelExponent)
{
    EXPECT_DOUBLE_EQ(2.0 * KstLabelFactor(3), 2000.0);
    EXPECT_DOUBLE_EQ(5.0 * KstLabelFactor(-6), 5e-6);
    EXPECT_DOUBLE_EQ(KstLabelFactor(0), 1.0);
}

TEST(CurveDialogMappings, XTypeEntriesCarryTheirCodes)
{
    const struct {
        int entry;
        uint32_t kind;
        uint32_t type;
    } codes[] = {
        {kKstXTypeStandard, 0, CKSTXAxis::kTypeStandard},
        {kKstXTypeAbsoluteTime, 0, CKSTXAxis::kTypeAbsoluteTime},
        {kKstXTypeRelativeTime, 0, CKSTXAxis::kTypeRelativeTime},
        {kKstXTypeXYDisplay, 1, CKSTXAxis::kTypeStandard},
        {kKstXTypeChannelAsAxis, 3, CKSTXAxis::kTypeStandard},
        {kKstXTypeTrack, 0, CKSTXAxis::kTypeTrack},
    };
    for (const auto& c : codes) {
        const KstXTypeCode code = KstXTypeCodeOf(c.entry);
        EXPECT_EQ(code.displayKind, c.kind) << c.entry;
        EXPECT_EQ(code.axisType, c.type) << c.entry;
        EXPECT_EQ(KstXTypeEntryOf(c.kind, c.type), c.entry);
    }
    EXPECT_EQ(KstXTypeCodeOf(6).axisType, CKSTXAxis::kTypeStandard);

    using List = std::vector<int>;
    EXPECT_EQ(KstXTypeEntries(true, true, false), (List{kKstXTypeStandard, kKstXTypeChannelAsAxis}));
    EXPECT_EQ(KstXTypeEntries(false, false, false),
              (List{kKstXTypeStandard, kKstXTypeAbsoluteTime, kKstXTypeRelativeTime,
                    kKstXTypeChannelAsAxis}));
    EXPECT_EQ(KstXTypeEntries(false, true, true),
              (List{kKstXTypeStandard, kKstXTypeAbsoluteTime, kKstXTypeRelativeTime,
                    kKstXTypeXYDisplay, kKstXTypeChannelAsAxis, kKstXTypeTrack}));
}

TEST(CurveDialogMappings, LabelRotationBeyondAHalfTurnIsStoredAsMinus180)
{
    EXPECT_EQ(KstClampLabelRotation(270), -180);
    EXPECT_EQ(KstClampLabelRotation(-181), -180);
    EXPECT_EQ(KstClampLabelRotation(180), 180);
    EXPECT_EQ(KstClampLabelRotation(-45), -45);
}

TEST(CurveDialogMappings, YScaleConversions)
{
    constexpr uint32_t lin = CKSTYAxis::kScaleLinear;
    constexpr uint32_t log = CKSTYAxis::kScaleLogarithmic;
    constexpr uint32_t db = CKSTYAxis::kScaleDecibel;
    const struct {
        KstYScaleValues in;
        uint32_t from;
        uint32_t to;
        KstYScaleValues out;
    } cases[] = {
        {{0.0, 10.0, 2.0}, lin, db, {-100.0, 20.0, 20.0 * std::log10(2.0)}},
        {{-5.0, -1.0, 0.0}, lin, db, {-100.0, -80.0, 1.0}},
        {{1.0, 100.0, 2.0}, log, db, {0.0, 40.0, 40.0}},
        {{-20.0, 40.0, 20.0}, db, lin, {0.1, 100.0, 10.0}},
        {{-20.0, 40.0, 20.0}, db, log, {0.1, 100.0, 10.0}},
        {{1.0, 1000.0, 100.0}, lin, log, {1.0, 1000.0, 2.0}},
        {{1.0, 1000.0, 0.0}, lin, log, {1.0, 1000.0, 1.0}},
        {{1.0, 1000.0, 2.0}, log, lin, {1.0, 1000.0, 100.0}},
        {{3.0, 4.0, 5.0}, lin, lin, {3.0, 4.0, 5.0}},
    };
    for (const auto& c : cases) {
        const KstYScaleValues out = KstConvertYScale(c.in, c.from, c.to);
        EXPECT_NEAR(out.minimum, c.out.minimum, 1e-9) << c.from << "->" << c.to;
        EXPECT_NEAR(out.maximum, c.out.maximum, 1e-9) << c.from << "->" << c.to;
        EXPECT_NEAR(out.spacing, c.out.spacing, 1e-9) << c.from << "->" << c.to;
    }
}

TEST(CurveDialogMappings, WindowSettingsOfTheBarPointerAndOptionsDialogs)
{
    const int legend[][2] = {{1, 0}, {2, 1}, {0, 2}};
    for (const auto& c : legend) {
        EXPECT_EQ(KstLegendStyleToChoice(static_cast<uint32_t>(c[0])), c[1]);
        EXPECT_EQ(KstChoiceToLegendStyle(c[1]), static_cast<uint32_t>(c[0]));
    }
    const int align[][2] = {{0, 0}, {4, 1}, {1, 2}};
    for (const auto& c : align) {
        EXPECT_EQ(KstLegendAlignToChoice(static_cast<uint32_t>(c[0])), c[1]);
        EXPECT_EQ(KstChoiceToLegendAlign(c[1]), static_cast<uint32_t>(c[0]));
    }
    EXPECT_EQ(KstLegendAlignToChoice(3), 1);
    EXPECT_EQ(KstChoiceToBarStyle(0), 1u);
    EXPECT_EQ(KstChoiceToBarStyle(1), 5u);
    EXPECT_EQ(KstBarStyleToChoice(5), 1);
    EXPECT_EQ(KstBarStyleToChoice(0), 0);
    EXPECT_EQ(KstChoiceToPointerStyle(0), 7u);
    EXPECT_EQ(KstChoiceToPointerStyle(1), 17u);
    EXPECT_EQ(KstPointerStyleToChoice(17), 1);
    EXPECT_EQ(KstPointerStyleToChoice(1), 0);

    const int placements[][3] = {{0, 0, 5}, {0, 1, 6}, {0, 2, 7},  {2, 0, 8},  {2, 1, 9},
                                 {2, 2, 10}, {1, 0, 11}, {1, 1, 12}, {1, 2, 13}};
    for (const auto& c : placements) {
        uint32_t code = 0;
        ASSERT_TRUE(KstChoicesToImagePlacement(c[0], c[1], code));
        EXPECT_EQ(code, static_cast<uint32_t>(c[2]));
        int first = -1;
        int second = -1;
        ASSERT_TRUE(KstImagePlacementToChoices(code, first, second));
        EXPECT_EQ(first, c[0]);
        EXPECT_EQ(second, c[1]);
    }
    int first = 0;
    int second = 0;
    uint32_t code = 0;
    EXPECT_FALSE(KstImagePlacementToChoices(4, first, second));
    EXPECT_FALSE(KstChoicesToImagePlacement(3, 0, code));

    const int arrange[][2] = {{0, 0}, {1, 1}, {2, 3}, {3, 4}, {4, 2}};
    for (const auto& c : arrange) {
        EXPECT_EQ(KstArrangeModeToChoice(static_cast<uint32_t>(c[0])), c[1]);
        EXPECT_EQ(KstChoiceToArrangeMode(c[1]), static_cast<uint32_t>(c[0]));
    }
    EXPECT_EQ(KstChoiceToArrangeMode(5), 0u);
}

}  // namespace
