// X axis: tick layout, labels, captions, value texts, cursor labels and X-channel labels.
// Texts measure 6 pixels per character and 13 pixels high (fake_curve_owner.h).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "curvewnd/XAxis.h"
#include "data/Channel.h"
#include "fake_curve_owner.h"
#include "foundation/LabelText.h"

namespace {

std::vector<std::string> Labels(const CKSTXAxis& axis)
{
    std::vector<std::string> texts;
    for (int i = 0; i < axis.GetLabelCount(); ++i) {
        texts.push_back(axis.GetLabelText(i).c_str());
    }
    return texts;
}

// Time-of-day texts are cut at their last significant part only in the "hh:mm:ss" form; a
// locale with a 12-hour clock keeps whole times.
bool TwentyFourHourClock()
{
    return std::string(CKSTTimeStamp(2024, 3, 5, 13, 0, 0).FormatTime(0).c_str()) == "13:00:00";
}

std::string WholeTimeLabel(const CKSTTimeStamp& stamp, int16_t decimals, double span)
{
    CKSTString text;
    FormatTimeAxisLabel(stamp, decimals, 100, span, true, text);
    return text.c_str();
}

CKSTChannel Equidistant(const std::vector<double>& values, double dt = 1.0)
{
    CKSTChannel channel;
    channel.SetDt(dt);
    for (double v : values) {
        channel.AppendValue(v, false);
    }
    return channel;
}

class XAxisLabelTest : public ::testing::Test {
protected:
    std::unique_ptr<CKSTXAxis> MakeAxis(int width, double min, double max, double spacing,
                                        uint32_t type = CKSTXAxis::kTypeStandard)
    {
        auto axis = std::make_unique<CKSTXAxis>(&owner);
        axis->SetType(type);
        axis->SetRect(RECT{0, 100, width, 130});
        axis->SetRange(min, max, CKSTXAxis::kRangeMinMaxFixed, false);
        if (spacing > 0.0) {
            axis->SetTicks(spacing, false, false);
        } else {
            axis->SetTicks(0.0, false, true);
        }
        axis->RecalcTicks();
        return axis;
    }

    FakeCurveOwner owner;
};

TEST_F(XAxisLabelTest, ManualTicksLieOnWholePixelsUnderAStretchedDisplayMaximum)
{
    struct Case {
        const char* name;
        int width;
        double min, max, spacing;
        int16_t pixelsPerTick;
        double displayMaximum;
        double firstTick;
        std::vector<int32_t> tickPixels;
        std::vector<std::string> labels;
    };
    const Case cases[] = {
        {"97 pixels, spacing 3",
         100,
         0.0,
         10.0,
         3.0,
         29,
         970.0 / (29.0 * 10.0 / 3.0),
         0.0,
         {1, 30, 59, 88},
         {"0", "3", "6", "9"}},
        {"first tick after the minimum",
         100,
         0.5,
         10.5,
         2.0,
         19,
         970.0 / 95.0 + 0.5,
         2.0,
         {15, 34, 53, 72, 91},
         {"2", "4", "6", "8", "10"}},
        {"negative range",
         103,
         -10.0,
         -5.0,
         1.0,
         20,
         -5.0,
         -10.0,
         {1, 21, 41, 61, 81, 101},
         {"-10", "-9", "-8", "-7", "-6", "-5"}},
        {"common decimals",
         103,
         0.0,
         1.0,
         0.25,
         25,
         1.0,
         0.0,
         {1, 26, 51, 76, 101},
         {"0.00", "0.25", "0.50", "0.75", "1.00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto axis = MakeAxis(c.width, c.min, c.max, c.spacing);
        EXPECT_FALSE(axis->IsAutoTicks());
        EXPECT_EQ(c.pixelsPerTick, axis->GetPixelsPerTick());
        EXPECT_NEAR(c.displayMaximum, axis->GetDisplayMaximum(), 1e-12);
        EXPECT_GE(axis->GetDisplayMaximum(), c.max);
        EXPECT_EQ(c.firstTick, axis->GetFirstTick());
        EXPECT_EQ(c.tickPixels, axis->GetTickPixels());
        EXPECT_EQ(c.labels, Labels(*axis));
        // Every interval is the same whole number of pixels.
        for (size_t i = 1; i < c.tickPixels.size(); ++i) {
            EXPECT_EQ(c.pixelsPerTick, c.tickPixels[i] - c.tickPixels[i - 1]) << i;
        }
    }
}

TEST_F(XAxisLabelTest, LabelsAreCentredOnTheirTicksAndKeptInsideTheBand)
{
    auto axis = MakeAxis(100, 0.0, 10.0, 3.0);
    ASSERT_EQ(4, axis->GetLabelCount());
    // Tick pixel + 1 is the label's centre; "0" would stick out left of the band.
    EXPECT_EQ(0, axis->GetLabelPosition(0).x);
    EXPECT_EQ(31 - 3, axis->GetLabelPosition(1).x);
    EXPECT_EQ(100 + 4 + 1, axis->GetLabelPosition(1).y);
    EXPECT_EQ(4 + 2 + 13, axis->GetAxisHeight());

    auto wide = MakeAxis(103, 0.0, 1.0, 0.25);
    ASSERT_EQ(5, wide->GetLabelCount());
    EXPECT_EQ(103 - 24, wide->GetLabelPosition(4).x) << "\"1.00\" ends at the band's end";
}

TEST_F(XAxisLabelTest, RotatedLabelsUseTheTurnedFontAndTheirBoundingBox)
{
    struct Case {
        int16_t rotation;
        POINT origin;  // of label "3": 6 x 13 pixels, centred on pixel 31
        int32_t height;
    };
    const Case cases[] = {
        {0, {28, 105}, 4 + 2 + 13},
        {90, {25, 111}, 4 + 2 + 6},
        {-90, {37, 105}, 4 + 2 + 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rotation);
        auto axis = MakeAxis(100, 0.0, 10.0, 3.0);
        axis->SetLabelRotation(c.rotation);
        axis->RecalcTicks();
        EXPECT_EQ(c.rotation * 10, owner.fixedPitch.lastFont.m_escapement);
        ASSERT_EQ(4, axis->GetLabelCount());
        EXPECT_EQ(c.origin.x, axis->GetLabelPosition(1).x);
        EXPECT_EQ(c.origin.y, axis->GetLabelPosition(1).y);
        EXPECT_EQ(c.height, axis->GetAxisHeight());
    }
}

TEST_F(XAxisLabelTest, AutomaticSpacingIsTheFinestNiceStepWhoseLabelsFit)
{
    struct Case {
        const char* name;
        int width;
        double min, max;
        uint32_t type;
        bool measure;
        double spacing;
        size_t labels;
    };
    const Case cases[] = {
        {"wide band", 400, 0.0, 10.0, CKSTXAxis::kTypeStandard, true, 1.0, 11},
        {"narrow band", 100, 0.0, 10.0, CKSTXAxis::kTypeStandard, true, 5.0, 3},
        {"without a draw context", 400, 0.0, 10.0, CKSTXAxis::kTypeStandard, false, 10.0, 0},
        {"relative time", 400, 0.0, 3600.0, CKSTXAxis::kTypeRelativeTime, true, 600.0, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        owner.measure = c.measure ? &owner.fixedPitch : nullptr;
        auto axis = MakeAxis(c.width, c.min, c.max, 0.0, c.type);
        EXPECT_TRUE(axis->IsAutoTicks());
        EXPECT_EQ(c.spacing, axis->GetTickSpacing());
        EXPECT_EQ(c.labels, static_cast<size_t>(axis->GetLabelCount()));
    }
    owner.measure = &owner.fixedPitch;
    auto relative = MakeAxis(400, 0.0, 3600.0, 0.0, CKSTXAxis::kTypeRelativeTime);
    const std::vector<std::string> expected = {" 00:00", " 00:10", " 00:20", " 00:30",
                                               " 00:40", " 00:50", " 01:00"};
    EXPECT_EQ(expected, Labels(*relative));
}

TEST_F(XAxisLabelTest, MoreThanAHundredManualTicksSwitchToAutomaticTicks)
{
    auto axis = MakeAxis(403, 0.0, 100.0, 1.0);
    EXPECT_FALSE(axis->IsAutoTicks()) << "exactly 100 ticks stay manual";
    EXPECT_EQ(1.0, axis->GetTickSpacing());

    axis->SetTicks(std::numeric_limits<double>::quiet_NaN(), false, false);
    EXPECT_EQ(1.0, axis->GetTickSpacing()) << "a spacing that is not a number is ignored";

    axis->SetTicks(100.0 / 101.0, false, false);
    EXPECT_TRUE(axis->IsAutoTicks());
    EXPECT_EQ(10.0, axis->GetTickSpacing());
    EXPECT_EQ(11, axis->GetLabelCount());
}

TEST_F(XAxisLabelTest, UnitCaptionShowsThePrefixOrPowerOfTheLabels)
{
    struct Case {
        uint32_t mode;
        std::vector<std::string> labels;
        std::string caption;
    };
    const Case cases[] = {
        {2, {"0", "2", "4", "6", "8"}, "mV"},
        {1, {"0", "2", "4", "6", "8"}, "10^-3 V"},
        {0, {"0.000", "0.002", "0.004", "0.006", "0.008"}, "V"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        auto axis = MakeAxis(103, 0.0, 0.008, 0.002);
        axis->SetUnitText("V");
        axis->SetUnitPrefixMode(c.mode);
        axis->RecalcTicks();
        EXPECT_EQ(c.labels, Labels(*axis));
        EXPECT_EQ(c.caption, axis->GetCaption().c_str());
        const int32_t width = FixedPitchMeasure::kCharWidth * axis->GetCaption().GetLength();
        EXPECT_EQ(103 - 3 - width, axis->GetCaptionPosition().x) << "right-aligned";
        EXPECT_EQ(105 + 13, axis->GetCaptionPosition().y) << "under the labels";
        EXPECT_EQ(4 + 2 + 13 + 13, axis->GetAxisHeight());
    }
}

TEST_F(XAxisLabelTest, AbsoluteTimeCaptionShowsTheDateThenTheYearThenNothing)
{
    struct Case {
        double span;
        bool english;
        const char* caption;
    };
    const Case cases[] = {
        {21600.0, true, "3/5/2024"}, {21600.0, false, "5.3.2024"}, {43200.0, true, "3/5/2024"},
        {43201.0, true, "2024"},     {30 * 86400.0, true, "2024"}, {15000000.0, false, "2024"},
        {15000001.0, true, ""},      {365 * 86400.0, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.span);
        owner.english = c.english;
        auto axis = MakeAxis(403, 0.0, c.span, 0.0, CKSTXAxis::kTypeAbsoluteTime);
        axis->SetReferenceTime(CKSTTimeStamp(2024, 3, 5, 8, 0, 0));
        axis->RecalcTicks();
        EXPECT_EQ(std::string(c.caption), axis->GetCaption().c_str());
        if (*c.caption != '\0') {
            EXPECT_EQ(0, axis->GetCaptionPosition().x);
            EXPECT_EQ(105 + 13, axis->GetCaptionPosition().y);
        }
    }
}

class AbsoluteTimeLabelTest : public XAxisLabelTest {
protected:
    std::unique_ptr<CKSTXAxis> MakeTimeAxis(const CKSTTimeStamp& reference, double span,
                                            double spacing)
    {
        auto axis = MakeAxis(403, 0.0, span, spacing, CKSTXAxis::kTypeAbsoluteTime);
        axis->SetReferenceTime(reference);
        return axis;
    }
};

TEST_F(AbsoluteTimeLabelTest, TicksFallOnWholeMultiplesOfTheSpacingInWallClockTime)
{
    const CKSTTimeStamp reference(2024, 3, 5, 10, 0, 7);
    auto axis = MakeTimeAxis(reference, 60.0, 10.0);
    EXPECT_EQ(3.0, axis->GetFirstTick());
    ASSERT_GE(axis->GetLabelCount(), 5);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const CKSTTimeStamp tick = reference + (3.0 + 10.0 * i);
        EXPECT_EQ(0, static_cast<int>(tick.GetSecondsOfDay()) % 10);
        EXPECT_EQ(std::string(tick.FormatTime(0).c_str()), axis->GetLabelText(i).c_str());
    }
}

TEST_F(AbsoluteTimeLabelTest, LabelsEndAtTheirLastSignificantPart)
{
    struct Case {
        const char* name;
        CKSTTimeStamp reference;
        double span, spacing;
        std::vector<std::string> cut;  // with a 24-hour clock
        int16_t wholeDecimals;         // decimals of the uncut labels of a 12-hour clock
    };
    const Case cases[] = {
        {"whole minutes",
         CKSTTimeStamp(2024, 3, 5, 10, 0, 0),
         180.0,
         60.0,
         {"10:00", "10:01", "10:02", "10:03"},
         0},
        {"whole hours",
         CKSTTimeStamp(2024, 3, 5, 8, 0, 0),
         14400.0,
         3600.0,
         {"8h", "9h", "10h", "11h", "12h"},
         0},
        {"across midnight",
         CKSTTimeStamp(2024, 3, 5, 23, 59, 30),
         60.0,
         10.0,
         {"23:59:30", "23:59:40", "23:59:50", "00:00:00", "00:00:10", "00:00:20", "00:00:30"},
         0},
        {"dates across midnight",
         CKSTTimeStamp(2024, 3, 5, 18, 0, 0),
         86400.0,
         21600.0,
         {" 3/ 5, 18h", " 3/ 6, 0h", " 3/ 6, 6h", " 3/ 6, 12h", " 3/ 6, 18h"},
         0},
        {"tenths of a second",
         CKSTTimeStamp(2024, 3, 5, 10, 0, 0),
         1.5,
         0.5,
         {"10:00:00.0", "10:00:00.5", "10:00:01.0", "10:00:01.5"},
         1},
    };
    const bool clock24 = TwentyFourHourClock();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto axis = MakeTimeAxis(c.reference, c.span, c.spacing);
        std::vector<std::string> expected = c.cut;
        if (!clock24) {
            for (size_t i = 0; i < expected.size(); ++i) {
                const CKSTTimeStamp tick = c.reference + (axis->GetFirstTick() + i * c.spacing);
                expected[i] = WholeTimeLabel(tick, c.wholeDecimals, c.span);
            }
        }
        EXPECT_EQ(expected, Labels(*axis));
    }
}

TEST_F(XAxisLabelTest, ValueTextsFollowTheAxisType)
{
    struct Case {
        const char* name;
        uint32_t type;
        double max, spacing;
        uint32_t mode;
        double value;
        int16_t decimals;
        std::string number;
        std::string unit;
    };
    const Case cases[] = {
        {"kilo prefix", CKSTXAxis::kTypeStandard, 10000.0, 1000.0, 3, 2500.0, -1, "2.500", "kV"},
        {"power of ten", CKSTXAxis::kTypeStandard, 10000.0, 1000.0, 2, 2500.0, -1, "2.500",
         "10^3 V"},
        {"given decimals", CKSTXAxis::kTypeStandard, 10000.0, 1000.0, 3, 2500.0, 1, "2.5", "kV"},
        {"fine resolution", CKSTXAxis::kTypeStandard, 1.0, 0.1, 3, 0.125, -1, "0.1250", "V"},
        {"relative time", CKSTXAxis::kTypeRelativeTime, 100000.0, 10000.0, 3, 90061.5, -1,
         " 1d 01:01:01", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto axis = MakeAxis(403, 0.0, c.max, c.spacing, c.type);
        axis->SetUnitText("V");
        axis->SetUnitPrefixMode(c.mode);
        CKSTString number, unit;
        axis->FormatValue(c.value, number, unit, c.decimals);
        EXPECT_EQ(c.number, number.c_str());
        EXPECT_EQ(c.unit, unit.c_str());
    }

    const CKSTTimeStamp reference(2024, 3, 5, 8, 0, 0);
    auto absolute = MakeAxis(403, 0.0, 60.0, 10.0, CKSTXAxis::kTypeAbsoluteTime);
    absolute->SetReferenceTime(reference);
    CKSTString number, unit;
    absolute->FormatValue(30.25, number, unit, -1);
    EXPECT_EQ(std::string((reference + 30.25).FormatTime(2).c_str()), number.c_str());
    EXPECT_TRUE(unit.IsEmpty());
}

TEST_F(XAxisLabelTest, CursorLabelsStandOnTheBandAndStayInsideIt)
{
    auto axis = MakeAxis(403, 0.0, 100.0, 10.0);
    struct Case {
        int32_t pixel;
        RECT rect;
        const char* number;
    };
    // Boxes are 3 pixels wider and 2 higher than their 6-pixel characters.
    const Case cases[] = {
        {200, {184, 115, 217, 130}, "49.75"},
        {2, {0, 115, 27, 130}, "0.25"},
        {-50, {0, 115, 27, 130}, "0.00"},
        {400, {370, 115, 403, 130}, "99.75"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pixel);
        RECT rect;
        CKSTString number, unit;
        axis->GetCursorLabelRect(c.pixel, rect, number, unit);
        EXPECT_EQ(std::string(c.number), number.c_str());
        EXPECT_EQ(c.rect.left, rect.left);
        EXPECT_EQ(c.rect.top, rect.top);
        EXPECT_EQ(c.rect.right, rect.right);
        EXPECT_EQ(c.rect.bottom, rect.bottom);
    }

    axis->ShowCursorLabel(1, 200);
    axis->ShowCursorLabel(3, 200);
    EXPECT_EQ(1, owner.tips.created);
    EXPECT_TRUE(axis->HasCursorLabel(1));
    EXPECT_FALSE(axis->HasCursorLabel(2));
    axis->MoveCursorLabel(1, 2);
    EXPECT_EQ("0.25", owner.tips.text);
    EXPECT_EQ(0, owner.tips.rect.left);
    axis->MoveCursorLabel(2, 2);
    EXPECT_EQ(1, owner.tips.created) << "moving a label that is not shown creates none";
    axis->HideCursorLabel(1);
    EXPECT_EQ(1, owner.tips.destroyed);
    EXPECT_FALSE(axis->HasCursorLabel(1));
}

// --- X channel ---

TEST_F(XAxisLabelTest, TrackAxisConvertsBetweenTimesAndChannelValues)
{
    const CKSTChannel rising = Equidistant({0, 3, 7, 10, 12, 20, 25, 30});
    owner.xChannel = &rising;
    auto axis = MakeAxis(403, 0.0, 7.0, 1.0, CKSTXAxis::kTypeTrack);

    EXPECT_EQ(0.0, axis->TrackValueAtTime(-1.0));
    EXPECT_EQ(30.0, axis->TrackValueAtTime(100.0));
    EXPECT_EQ(8.5, axis->TrackValueAtTime(2.5));

    struct Case {
        double value, nearTime, time;
    };
    const Case times[] = {{8.5, 0.0, 2.5}, {-5.0, 6.0, 0.0}, {99.0, 0.0, 7.0}, {12.0, 0.0, 4.0}};
    for (const Case& c : times) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(c.time, axis->TimeAtTrackValue(c.value, c.nearTime));
    }

    const CKSTChannel zigzag = Equidistant({0, 10, 0, 10});
    owner.xChannel = &zigzag;
    EXPECT_EQ(2.5, axis->TimeAtTrackValue(5.0, 2.2)) << "the crossing nearest the given time";
    EXPECT_EQ(1.0, axis->TimeAtTrackValue(10.0, 0.0));
    EXPECT_EQ(3.0, axis->TimeAtTrackValue(12.0, 2.9));
}

TEST_F(XAxisLabelTest, TrackLabelsWalkToSamplesOnMultiplesOfTheStep)
{
    const CKSTChannel rising = Equidistant({0, 3, 7, 10, 12, 20, 25, 30});
    owner.xChannel = &rising;
    auto axis = MakeAxis(403, 0.0, 7.0, 1.0, CKSTXAxis::kTypeTrack);
    struct Case {
        double first;
        int k;
        double value, time;
    };
    const Case cases[] = {{0.0, 0, 0.0, 0.0},
                          {0.0, 1, 10.0, 3.0},
                          {3.0, 2, 20.0, 5.0},
                          {5.0, 3, 25.0, 6.0},
                          {7.0, 4, 30.0, 7.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.k);
        double value = 0.0, time = 0.0;
        axis->NextTrackLabel(c.first, c.k, 5.0, value, time);
        EXPECT_EQ(c.value, value);
        EXPECT_EQ(c.time, time);
    }
    owner.xChannel = nullptr;
    double value = 0.0, time = 0.0;
    axis->NextTrackLabel(1.0, 3, 2.0, value, time);
    EXPECT_EQ(7.0, value);
    EXPECT_EQ(7.0, time);
}

TEST_F(XAxisLabelTest, ChannelAsAxisShowsChannelValuesAndIgnoresNaNSamples)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    CKSTChannel x = Equidistant({0, 1, nan, 3, 4, 5, 6, 7, 8, 9, 10});
    x.SetUnit("mm");
    owner.displayKind = 3;
    owner.xChannel = &x;
    auto axis = MakeAxis(403, 0.0, 10.0, 2.0);
    axis->LayoutTicks(true);
    EXPECT_EQ(10.0, axis->GetChannelValueSpan());

    CKSTString number, unit;
    axis->FormatValue(3.5, number, unit, 1);
    EXPECT_EQ(std::string("3.5"), number.c_str());
    EXPECT_EQ(std::string("mm"), unit.c_str());

    double value = 0.0, time = 0.0;
    EXPECT_TRUE(axis->SnapLabelToChannel(4.0, value, time));
    EXPECT_EQ(4.0, value);
    EXPECT_EQ(4.0, time);
    EXPECT_EQ("mm", std::string(axis->GetCaption().c_str()));
    EXPECT_EQ(10.0, axis->GetDisplayMaximum());
    EXPECT_EQ(6u, axis->GetTickPixels().size());
}

}  // namespace
