// Grid, level lines, events, pointer instrument and colour map of one curve painted into a
// 32-bit DIB section and read back as pixel maps.
//
// The curve's group spans (10, 10) - (110, 90), so its band is (11, 11) - (109, 89); both axes
// run from 0 to 10 with manual ticks 5 apart.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "curvewnd/AxisGroup.h"
#include "curvewnd/Dial.h"
#include "curvewnd/EventLayout.h"
#include "curvewnd/XAxis.h"
#include "curvewnd/fake_group_host.h"
#include "curvewnd/win/CurveDecorations.h"
#include "curvewnd/win/draw_target.h"
#include "foundation/Numeric.h"

namespace {

constexpr COLORREF kCanvas = 0xFFFFFF;
constexpr int kWidth = 130;
constexpr int kHeight = 110;
const RECT kBand = {11, 11, 109, 89};

// DrawTarget pixels are 0x00RRGGBB.
uint32_t Pixel(COLORREF colour)
{
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

bool InBand(int x, int y)
{
    return x >= kBand.left && x < kBand.right && y >= kBand.top && y < kBand.bottom;
}

class CurveDecorationsTest : public testing::Test {
protected:
    CurveDecorationsTest() : target(kWidth, kHeight, kCanvas), group(&host)
    {
        host.settings.m_PlotBackgroundColor = 0xFFFFFF;
        host.settings.m_GridColor = 0x00FF00;
    }

    // Adds the channel as the group's curve and lays the group out over axes from 0 to 10.
    CKSTCurve& Show(std::unique_ptr<CKSTChannel> channel)
    {
        channels.push_back(std::move(channel));
        group.AddChannel(channels.back().get(), &xAxis, CKSTAxisGroup::kAxisLast, false);
        CKSTYAxis* yAxis = group.GetAxis(0);
        yAxis->SetRange(0.0, 10.0, false);
        yAxis->SetTickSpacing(5.0, false);
        xAxis.SetRect({10, 90, 110, 110});
        xAxis.SetRange(0.0, 10.0, CKSTXAxis::kRangeMinMaxFixed, true);
        xAxis.SetTicks(5.0, false, false);
        group.Layout(host.measure, {10, 10, 110, 90}, 0, kWidth, 0);
        return *group.GetCurve(group.GetCurveCount() - 1);
    }

    CKSTCurve& ShowRamp()
    {
        return Show(MakeChannel("ramp", "V", 11, [](uint32_t i) { return double(i); }));
    }

    // Every pixel outside the band still shows the canvas.
    void ExpectNothingOutsideTheBand(const std::vector<uint32_t>& pixels)
    {
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                if (!InBand(x, y)) {
                    ASSERT_EQ(pixels[static_cast<size_t>(y) * kWidth + x], Pixel(kCanvas))
                        << x << ", " << y;
                }
            }
        }
    }

    SIZE Extent(const CKSTFontDesc& font, const char* text)
    {
        CKSTFontDesc copy = font;
        target.Context().SelectFont(copy, true);
        SIZE size = {};
        GetTextExtentPoint32A(target.Hdc(), text, lstrlenA(text), &size);
        target.Context().RestoreFont();
        return size;
    }

    FakeGroupHost host;
    CKSTXAxis xAxis{&host};
    DrawTarget target;
    CKSTAxisGroup group;
    std::vector<std::unique_ptr<CKSTChannel>> channels;
};

TEST_F(CurveDecorationsTest, GridFollowsTheTicksOfBothAxes)
{
    CKSTCurve& curve = ShowRamp();
    PaintGrid(curve, target.Context());

    const CKSTYAxis& yAxis = *group.GetAxis(0);
    std::vector<int> columns;
    std::vector<int> rows;
    for (const double v : {0.0, 5.0, 10.0}) {
        columns.push_back(xAxis.ValueToPixel(v));
        rows.push_back(yAxis.ValueToPixel(v));
    }
    ASSERT_EQ(columns[0], 11);
    ASSERT_EQ(rows[0], 88);
    const std::vector<uint32_t> pixels = target.Pixels();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool line = InBand(x, y) && (std::count(columns.begin(), columns.end(), x) > 0 ||
                                               std::count(rows.begin(), rows.end(), y) > 0);
            ASSERT_EQ(pixels[static_cast<size_t>(y) * kWidth + x],
                      line ? Pixel(0x00FF00) : Pixel(kCanvas))
                << x << ", " << y;
        }
    }
}

TEST_F(CurveDecorationsTest, NoGridOrEventsBeforeTheXAxisHasTicks)
{
    CKSTCurve& curve = ShowRamp();
    CKSTPlotMarker event;
    event.SetType(CKSTPlotMarker::kOnWindow);
    event.SetPosition(5.0);
    curve.AddEventCopy(event, false);
    CKSTXAxis unlaid(&host);  // never given a band: no ticks yet
    ASSERT_FALSE(unlaid.GetTickSpacing() > 0.0);
    group.SetXAxis(&unlaid);
    PaintGrid(curve, target.Context());
    PaintLevelLines(curve, target.Context());
    PaintValueBoxes(curve, target.Context());
    EXPECT_EQ(target.Pixels(), std::vector<uint32_t>(kWidth * kHeight, Pixel(kCanvas)));
}

TEST_F(CurveDecorationsTest, LevelLineAtTheMaximumIsDrawnAndOneJustAboveIsNot)
{
    CKSTCurve& curve = ShowRamp();
    struct Line {
        double value;
        uint32_t style;
        uint32_t colour;
    };
    const Line lines[] = {
        {10.0, CKSTLimitLine::kSolid, 0xFF0000},
        {10.0 + 1e-9, CKSTLimitLine::kSolid, 0x00FF00},
        {-1e-9, CKSTLimitLine::kSolid, 0x00FF00},
        {std::numeric_limits<double>::quiet_NaN(), CKSTLimitLine::kSolid, 0x00FF00},
        {5.0, CKSTLimitLine::kDash, 0x00FFFF},
    };
    for (const Line& l : lines) {
        CKSTLimitLine line;
        line.SetValue(l.value);
        line.SetLineStyle(l.style);
        line.SetColour(l.colour);
        curve.AddLevelLine(line, false);
    }
    PaintLevelLines(curve, target.Context());

    const int top = group.GetAxis(0)->ValueToPixel(10.0);
    const int middle = group.GetAxis(0)->ValueToPixel(5.0);
    const std::vector<uint32_t> pixels = target.Pixels();
    int dashes = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * kWidth + x];
            if (y == top && InBand(x, y)) {
                ASSERT_EQ(p, Pixel(0xFF0000)) << x;
            } else if (y == middle && InBand(x, y)) {
                ASSERT_TRUE(p == Pixel(0x00FFFF) || p == Pixel(kCanvas)) << x;
                dashes += p == Pixel(0x00FFFF) ? 1 : 0;
            } else {
                ASSERT_EQ(p, Pixel(kCanvas)) << x << ", " << y;
            }
        }
    }
    EXPECT_GT(dashes, 10);
    EXPECT_LT(dashes, kBand.right - kBand.left);  // dashed, not solid
}

TEST_F(CurveDecorationsTest, SnappedMarkerStandsAtTheEarlierSampleAndKeepsItsTime)
{
    CKSTCurve& curve = ShowRamp();
    CKSTPlotMarker event;
    event.SetType(CKSTPlotMarker::kOnWindow);
    event.SetText("A");
    event.SetTextColour(0xFF0000);
    event.SetPointer(false);
    event.SetPosition(3.7);
    curve.AddEventCopy(event, false);
    PaintValueBoxes(curve, target.Context());

    const CKSTPlotMarker& drawn = *curve.GetEvent(0);
    EXPECT_DOUBLE_EQ(drawn.GetTime(), 3.0);
    const SIZE text = Extent(drawn.GetFont(), "A");
    const RECT expected =
        KstEventMarkerBox(xAxis.ValueToPixel(3.0), kBand.bottom, text.cx, text.cy, false);
    EXPECT_EQ(drawn.GetBox().left, expected.left);
    EXPECT_EQ(drawn.GetBox().right, expected.right);
    EXPECT_EQ(drawn.GetBox().top, expected.top);
    EXPECT_EQ(drawn.GetBox().bottom, kBand.bottom - 4);
    // The frame in the event's colour, left side half way down.
    EXPECT_EQ(target.At(expected.left, (expected.top + expected.bottom) / 2), Pixel(0xFF0000));
    ExpectNothingOutsideTheBand(target.Pixels());

    // Painted again, the event stays where it is.
    PaintValueBoxes(curve, target.Context());
    EXPECT_DOUBLE_EQ(curve.GetEvent(0)->GetTime(), 3.0);
}

TEST_F(CurveDecorationsTest, MarkerTextsInIconModeAndForEmptyEvents)
{
    CKSTCurve& curve = ShowRamp();
    CKSTPlotMarker event;
    event.SetType(CKSTPlotMarker::kOnWindow);
    event.SetPointer(false);
    event.SetAtDataPoint(false);
    event.SetPosition(5.0);
    curve.AddEventCopy(event, false);
    event.SetText("long event text");
    curve.AddEventCopy(event, false);

    PaintValueBoxes(curve, target.Context());
    const SIZE blank = Extent(event.GetFont(), " ");
    EXPECT_EQ(curve.GetEvent(0)->GetBox().right - curve.GetEvent(0)->GetBox().left, blank.cx + 6);
    curve.SetEventDisplayMode(CKSTCurve::kEventsAsIcons, false);
    PaintValueBoxes(curve, target.Context());
    const SIZE mark = Extent(event.GetFont(), "!");
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(curve.GetEvent(i)->GetBox().right - curve.GetEvent(i)->GetBox().left,
                  mark.cx + 6);
    }
}

TEST_F(CurveDecorationsTest, ArrowPointsDownAtTheEventsColumn)
{
    CKSTCurve& curve = ShowRamp();
    CKSTPlotMarker event;
    event.SetType(CKSTPlotMarker::kOnWindow);
    event.SetText("A");
    event.SetTextColour(0xFF0000);
    event.SetBackgroundColour(KST_COLOR_NONE);
    event.SetFrame(false);
    event.SetAtDataPoint(false);
    event.SetPosition(5.0);
    curve.AddEventCopy(event, false);
    PaintValueBoxes(curve, target.Context());

    const int column = xAxis.ValueToPixel(5.0);
    EXPECT_EQ(curve.GetEvent(0)->GetBox().bottom, kBand.bottom - 8);
    const int lastRow = kBand.bottom - 1;
    const uint32_t blue = Pixel(0xFF0000);
    for (int above = 1; above <= 4; ++above) {
        const int half = above - 1;  // 7 pixels wide 4 rows up, 1 pixel right above the last row
        SCOPED_TRACE(above);
        EXPECT_EQ(target.At(column - half, lastRow - above), blue);
        EXPECT_EQ(target.At(column + half, lastRow - above), blue);
        EXPECT_EQ(target.At(column + half + 1, lastRow - above), Pixel(kCanvas));
    }
    EXPECT_EQ(target.At(column, lastRow), Pixel(kCanvas));
    EXPECT_EQ(target.At(column, lastRow - 6), blue);  // the stem
}

TEST_F(CurveDecorationsTest, ValueBoxesAvoidEachOtherAndStayInTheBand)
{
    CKSTCurve& curve = ShowRamp();
    CKSTPlotMarker event;
    event.SetType(CKSTPlotMarker::kOnCurve);
    event.SetText("5 V");
    event.SetAtDataPoint(false);
    event.SetPosition(5.0);
    curve.AddEventCopy(event, false);
    curve.AddEventCopy(event, false);
    PaintValueBoxes(curve, target.Context());

    const SIZE text = Extent(event.GetFont(), "5 V");
    RECT candidates[kValueBoxCandidates];
    const POINT anchor = {xAxis.ValueToPixel(5.0), group.GetAxis(0)->ValueToPixel(5.0)};
    KstValueBoxCandidates(anchor, text.cx, text.cy, candidates);
    const RECT first = curve.GetEvent(0)->GetBox();
    const RECT second = curve.GetEvent(1)->GetBox();
    EXPECT_EQ(first.left, candidates[0].left);
    EXPECT_EQ(first.top, candidates[0].top);
    EXPECT_EQ(second.left, candidates[1].left);
    EXPECT_EQ(second.top, candidates[1].top);
    RECT common;
    EXPECT_FALSE(IntersectRectEx(common, first, second));
    // The anchor carries the thick point in the curve's colour.
    EXPECT_EQ(target.At(anchor.x, anchor.y), Pixel(host.autoColour));
}

TEST_F(CurveDecorationsTest, EventsFarOffScaleDrawNothingOutsideTheBand)
{
    const double inf = std::numeric_limits<double>::infinity();
    CKSTCurve& curve = Show(MakeChannel("wild", "V", 11, [inf](uint32_t i) {
        const double values[] = {1e300, -1e300, inf, -inf, std::nan(""), 5, 1e12, -1e12, 0, 0, 0};
        return values[i];
    }));
    for (int type = 0; type < 5; ++type) {
        for (double time : {0.0, 1.0, 2.0, 3.0, 4.0, 6.0, 7.0, 14.0, -4.0, 1e300, -inf}) {
            CKSTPlotMarker event;
            event.SetType(type);
            event.SetText("event\r\ntext");
            event.SetAngle(type == 0 ? 90 : -90);
            event.SetAtDataPoint(false);
            event.SetPosition(time);
            curve.AddEventCopy(event, false);
        }
    }
    PaintValueBoxes(curve, target.Context());
    ExpectNothingOutsideTheBand(target.Pixels());
}

// --- Pointer instrument ---

class PointerTest : public CurveDecorationsTest {
protected:
    PointerTest() { host.displayKind = 4; }

    CKSTCurve& ShowValue(double last)
    {
        CKSTCurve& curve =
            Show(MakeChannel("p", "bar", 3, [last](uint32_t i) { return i < 2 ? 5.0 : last; }));
        return curve;
    }

    // Pixels mostly in the curve's colour (red) on the ray from 0.3 to 0.8 of the needle's
    // radius at the angle.
    static int RedAlong(const std::vector<uint32_t>& pixels, const CKSTCurve& curve, double angle)
    {
        const int32_t inner = curve.GetDialRadius() - 5;
        int red = 0;
        for (double d = 0.3 * inner; d <= 0.8 * inner; d += 1.0) {
            const POINT p = KstDialPoint(curve.GetDialCentreX(), curve.GetDialCentreY(), d, angle);
            red += IsRed(pixels[static_cast<size_t>(p.y) * kWidth + p.x]) ? 1 : 0;
        }
        return red;
    }
    static bool IsRed(uint32_t pixel)
    {
        return (pixel >> 16) >= 0xC0 && ((pixel >> 8) & 0xFF) < 0x80 && (pixel & 0xFF) < 0x80;
    }

    std::vector<uint32_t> Paint(CKSTCurve& curve)
    {
        DrawTarget fresh(kWidth, kHeight, kCanvas);
        PaintPointer(curve, fresh.Context());
        return fresh.Pixels();
    }
};

TEST_F(PointerTest, DialFitsTheBandAndIsStoredForTheHitTest)
{
    struct Case {
        double angle;
        int32_t cx, cy, r;
    };
    // Band 98 x 78: 270 degrees: r = min(78 / 1 / 2, trunc(58 / 0.8536) / 2) = 33.
    const Case cases[] = {
        {270.0, 60, 54, 33}, {180.0, 60, 60, 39}, {0.0, 60, 54, 33},
        {-45.0, 60, 54, 33}, {720.0, 60, 54, 33},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        auto channel = ConstantChannel("p", "bar", 5.0);
        CKSTAxisGroup fresh(&host);
        fresh.AddChannel(channel.get(), &xAxis, CKSTAxisGroup::kAxisLast, false);
        fresh.Layout(host.measure, {10, 10, 110, 90}, 0, kWidth, 0);
        CKSTCurve& curve = *fresh.GetCurve(0);
        fresh.GetAxis(0)->SetDialAngle(c.angle);
        PaintPointer(curve, target.Context());
        EXPECT_EQ(curve.GetDialCentreX(), c.cx);
        EXPECT_EQ(curve.GetDialCentreY(), c.cy);
        EXPECT_EQ(curve.GetDialRadius(), c.r);
        EXPECT_TRUE(fresh.HitTestAxis({c.cx, c.cy - c.r + 2}) == fresh.GetAxis(0));
        EXPECT_FALSE(fresh.HitTestAxis({c.cx, c.cy}) == fresh.GetAxis(0));
    }
}

TEST_F(PointerTest, NeedleStopsAtTheEndOfTheScale)
{
    CKSTCurve& atMaximum = ShowValue(10.0);
    const std::vector<uint32_t> maximum = Paint(atMaximum);
    group.RemoveCurve(&atMaximum, false);
    CKSTCurve& above = ShowValue(1e9);
    EXPECT_EQ(Paint(above), maximum);
    group.RemoveCurve(&above, false);
    CKSTCurve& infinite = ShowValue(std::numeric_limits<double>::infinity());
    EXPECT_EQ(Paint(infinite), maximum);

    // The needle lies along the end of the scale, not along its start.
    const double half = 135.0 * kPi / 180.0;
    EXPECT_GT(RedAlong(maximum, infinite, KstDialAngleAt(1, 0, 1, half)), 0);
    EXPECT_EQ(RedAlong(maximum, infinite, KstDialAngleAt(0, 0, 1, half)), 0);
}

TEST_F(PointerTest, NothingOutsideTheBandWhateverTheValue)
{
    const double values[] = {5.0, -1e300, 1e300, std::numeric_limits<double>::quiet_NaN(),
                             -std::numeric_limits<double>::infinity()};
    for (const double v : values) {
        SCOPED_TRACE(v);
        CKSTCurve& curve = ShowValue(v);
        const std::vector<uint32_t> pixels = Paint(curve);
        ExpectNothingOutsideTheBand(pixels);
        // A value that is no number shows no needle: the hub stays empty.
        const size_t hub =
            static_cast<size_t>(curve.GetDialCentreY()) * kWidth + curve.GetDialCentreX();
        EXPECT_EQ(IsRed(pixels[hub]), !std::isnan(v));
        group.RemoveCurve(&curve, false);
    }
}

// --- Colour map ---

TEST_F(CurveDecorationsTest, MatrixPaintsTheLargestValueRedAndTheSmallestBlue)
{
    auto matrix = std::make_unique<CKSTChannel>();
    matrix->SetTimeBaseType(CKSTChannel::kMatrix);
    matrix->SetMatrixRowLength(3);
    matrix->SetDt(1.0);
    matrix->SetSecondAxisStep(1.0);
    matrix->SetSourceAttribute(2);  // one grid step per pixel
    matrix->AppendValues(0.0, false, 6);
    for (uint32_t i = 0; i < 6; ++i) {
        matrix->SetValueAt(i, 1.0 + i);
    }
    CKSTCurve& curve = Show(std::move(matrix));
    PaintMatrix(curve, target.Context());

    // Row 0 (values 1 2 3) two pixels above the bottom, row 1 (4 5 6) above it.
    const std::vector<uint32_t> pixels = target.Pixels();
    const int bottom = kBand.bottom;
    std::vector<uint32_t> expected(kWidth * kHeight, Pixel(kCanvas));
    const uint32_t rowOne[] = {0x00FF65, 0x00CDFF, 0x0000FF};
    const uint32_t rowZero[] = {0xFF0000, 0xFFCC00, 0x66FF00};
    for (int i = 0; i < 3; ++i) {
        expected[static_cast<size_t>(bottom - 3) * kWidth + kBand.left + i] = Pixel(rowOne[i]);
        expected[static_cast<size_t>(bottom - 2) * kWidth + kBand.left + i] = Pixel(rowZero[i]);
    }
    EXPECT_EQ(pixels, expected);
}

}  // namespace
