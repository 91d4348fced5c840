// Value texts, cursor labels and label tips of curves in a group laid out over (10, 10) -
// (210, 113): the band is (11, 11) - (209, 112), the Y axis 103 pixels tall (100 pixels of
// scale) and the X axis 0 .. 10 across the group.
#include "curvewnd/CurveLabels.h"

#include <gtest/gtest.h>

#include "curvewnd/AxisGroup.h"
#include "curvewnd/XAxis.h"
#include "fake_group_host.h"

namespace {

class CurveLabelsTest : public testing::Test {
protected:
    CurveLabelsTest() : group(&host) { host.settings.m_CursorTextName = 0; }

    CKSTCurve& Show(std::unique_ptr<CKSTChannel> channel, double lo = 0.0, double hi = 10.0)
    {
        channels.push_back(std::move(channel));
        group.AddChannel(channels.back().get(), &xAxis, CKSTAxisGroup::kAxisLast, false);
        group.GetAxis(0)->SetRange(lo, hi, false);
        xAxis.SetRect({10, 113, 210, 130});
        xAxis.SetRange(0.0, 10.0, CKSTXAxis::kRangeMinMaxFixed, true);
        group.Layout(host.measure, {10, 10, 210, 113}, 0, 300, 0);
        return *group.GetCurve(group.GetCurveCount() - 1);
    }

    CKSTCurve& ShowRamp(const char* name = "ramp", double scale = 1.0)
    {
        return Show(MakeChannel(name, "V", 11, [scale](uint32_t i) { return i * scale; }));
    }

    std::string Format(const CKSTCurve& curve, double value, std::string* unit = nullptr)
    {
        CKSTString text;
        CKSTString suffix;
        FormatValue(curve, value, text, suffix);
        if (unit != nullptr) {
            *unit = suffix.c_str();
        }
        return text.c_str();
    }

    FakeGroupHost host;
    CKSTXAxis xAxis{&host};
    CKSTAxisGroup group;
    std::vector<std::unique_ptr<CKSTChannel>> channels;
};

TEST_F(CurveLabelsTest, ValuesCarryAsManyDecimalsAsThePixelsResolve)
{
    CKSTCurve& curve = ShowRamp();
    std::string unit;
    // About 0.1 per pixel on 0 .. 10: two decimals.
    EXPECT_EQ(Format(curve, 5.0, &unit), "5.00");
    EXPECT_EQ(unit, "V");
    curve.SetDecimals(0, false);
    EXPECT_EQ(Format(curve, 5.0), "5");

    // 200 V per pixel on 0 .. 20 kV: e + 1 - 2 = 2 decimals of kilovolts.
    group.GetAxis(0)->SetRange(0.0, 20000.0, false);
    curve.SetDecimals(-1, false);
    EXPECT_EQ(Format(curve, 5000.0, &unit), "5.00");
    EXPECT_EQ(unit, "kV");
}

TEST_F(CurveLabelsTest, DecibelAxesShowDecibelsAndFixedDecimalsStay)
{
    CKSTCurve& curve = ShowRamp();
    CKSTYAxis* axis = group.GetAxis(0);
    axis->SetScaleType(CKSTYAxis::kScaleDecibel);
    curve.SetDecimals(2, false);
    std::string unit;
    for (const double hi : {1.0, 100.0, 1e6}) {
        SCOPED_TRACE(hi);
        axis->SetRange(-hi, hi, false);
        EXPECT_EQ(Format(curve, -0.5, &unit), "-0.50");
        EXPECT_EQ(unit, "dB");
    }
}

TEST_F(CurveLabelsTest, LogarithmicAxesShowThePowerOfTen)
{
    CKSTCurve& curve = ShowRamp();
    group.GetAxis(0)->SetScaleType(CKSTYAxis::kScaleLogarithmic);
    group.GetAxis(0)->SetRange(0.0, 3.0, false);
    curve.SetDecimals(1, false);
    EXPECT_EQ(Format(curve, 2.0), "100.0");
}

TEST_F(CurveLabelsTest, EventTextStyleShowsTheChannelsTexts)
{
    auto channel = MakeChannel("state", "", 4, [](uint32_t i) { return double(i % 2) + 1; });
    channel->AddValueText("on", false);
    channel->AddValueText("off", false);
    CKSTCurve& curve = Show(std::move(channel));
    curve.SetDisplayKind(CKSTCurve::kStyleEventTexts, false);
    std::string unit = "x";
    EXPECT_EQ(Format(curve, 1.0, &unit), "on");
    EXPECT_EQ(unit, "");
    EXPECT_EQ(Format(curve, 2.0), "off");
    curve.SetDecimals(1, false);
    EXPECT_EQ(Format(curve, 7.0), "7.0");  // no text for 7
}

TEST_F(CurveLabelsTest, LabelNamesTheChannelUnlessBare)
{
    CKSTCurve& curve = ShowRamp();
    const int32_t x = xAxis.ValueToPixel(5.0);
    RECT rect;
    CKSTString text;
    CKSTString unit;
    ASSERT_TRUE(GetLabelText(curve, x, rect, text, unit, false));
    EXPECT_STREQ(text.c_str(), "ramp: 5.00 V");
    EXPECT_STREQ(unit.c_str(), "V");
    // Right of the cursor, its bottom on the value's row.
    const int32_t row = group.GetAxis(0)->ValueToPixel(5.0);
    EXPECT_EQ(rect.left, x + 3);
    EXPECT_EQ(rect.bottom, row);
    EXPECT_EQ(rect.right - rect.left, 6 * 12 + 3);
    EXPECT_EQ(rect.bottom - rect.top, 13 + 2);

    ASSERT_TRUE(GetLabelText(curve, x, rect, text, unit, true));
    EXPECT_STREQ(text.c_str(), "5.00");
    EXPECT_STREQ(unit.c_str(), "V");

    channels.back()->SetGroup("G");
    host.settings.m_CursorTextName = 1;
    ASSERT_TRUE(GetLabelText(curve, x, rect, text, unit, false));
    EXPECT_STREQ(text.c_str(), "G ramp: 5.00 V");

    // Far right of the axis the label is taken at the axis' end.
    ASSERT_TRUE(GetLabelText(curve, 5000, rect, text, unit, true));
    EXPECT_STREQ(text.c_str(), "10.00");
}

TEST_F(CurveLabelsTest, EventTextLabelNeedsASampleNearTheCursor)
{
    auto sparse = std::make_unique<CKSTChannel>();
    sparse->SetName("sparse");
    sparse->AppendTimeValue(0.0, 1.0);
    sparse->AppendTimeValue(10.0, 2.0);
    CKSTCurve& curve = Show(std::move(sparse));
    curve.SetDisplayKind(CKSTCurve::kStyleEventTexts, false);
    RECT rect;
    CKSTString text;
    CKSTString unit;
    EXPECT_FALSE(GetLabelText(curve, xAxis.ValueToPixel(5.0), rect, text, unit, false));
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_TRUE(GetLabelText(curve, xAxis.ValueToPixel(0.0), rect, text, unit, false));
}

TEST_F(CurveLabelsTest, LabelTipsOfOneGroupKeepApart)
{
    CKSTCurve& first = ShowRamp("a");
    CKSTCurve& second = ShowRamp("b", 1.01);
    const int32_t x = xAxis.ValueToPixel(5.0);
    ShowLabelTip(first, x, 0, &group);
    ASSERT_EQ(host.tips.created, 1);
    const RECT firstRect = host.tips.rect;
    EXPECT_TRUE(LabelTipOverlaps(first, firstRect));

    ShowLabelTip(second, x, 0, &group);
    ASSERT_EQ(host.tips.created, 2);
    const RECT secondRect = host.tips.rect;
    RECT common;
    EXPECT_FALSE(IntersectRectEx(common, firstRect, secondRect));
    EXPECT_FALSE(LabelTipOverlaps(first, secondRect));

    // Moving keeps the tip and gives it the new place and text; the new place is invalidated.
    host.invalidated.clear();
    MoveLabelTip(first, xAxis.ValueToPixel(2.0), 0, &group);
    EXPECT_EQ(host.tips.created, 2);
    EXPECT_EQ(host.tips.text, "a: 2.00 V");
    ASSERT_EQ(host.invalidated.size(), 1u);
    EXPECT_EQ(host.invalidated[0].left, host.tips.rect.left);

    ClearLabelTipRect(second);
    EXPECT_FALSE(LabelTipOverlaps(second, secondRect));
    HideLabelTip(first);
    HideLabelTip(second);
    EXPECT_EQ(host.tips.destroyed, 2);
    EXPECT_EQ(first.GetLabelTip(), nullptr);
}

TEST_F(CurveLabelsTest, ColourMatrixLabelsShowTheColourBytes)
{
    auto matrix = std::make_unique<CKSTChannel>();
    matrix->SetName("picture");
    matrix->SetTimeBaseType(CKSTChannel::kMatrix);
    matrix->SetMatrixRowLength(2);
    matrix->SetDt(10.0);
    matrix->SetSecondAxisStep(10.0);
    matrix->SetColorMatrix(true);
    matrix->AppendValues(0x0080FF, false, 4);
    CKSTCurve& curve = Show(std::move(matrix));
    RECT rect;
    CKSTString text;
    CKSTString unit;
    const int32_t x = xAxis.ValueToPixel(5.0);
    const int32_t y = group.GetAxis(0)->ValueToPixel(5.0);
    ASSERT_TRUE(GetMatrixLabelText(curve, x, y, rect, text, unit, false));
    EXPECT_STREQ(text.c_str(), "picture: 255/128/0");
    double value = 0.0;
    ASSERT_TRUE(curve.GetMatrixValueAtPixel(x, y, value));
    EXPECT_EQ(value, double(0x0080FF));

    // Not a matrix: no matrix label.
    CKSTCurve& ramp = ShowRamp();
    EXPECT_FALSE(GetMatrixLabelText(ramp, x, y, rect, text, unit, false));
}

}  // namespace
