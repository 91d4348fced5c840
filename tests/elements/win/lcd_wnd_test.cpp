// The numeric value and lamp element: its picture by title side and display type, refreshes
// that repaint only what changed, the clock, channel binding, the split line and its settings
// dialog run through the owner.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "curvewnd/win/draw_target.h"
#include "data/Channel.h"
#include "data/DataSet.h"
#include "elements/win/ElementProtocol.h"
#include "elements/win/LCDWnd.h"
#include "elements/win/element_test_support.h"
#include "foundation/Colors.h"

namespace {

using kst_test::AsPixel;
using kst_test::HasTransparentExStyle;
using kst_test::SendMouse;

constexpr uint32_t kTitleBack = 0x0000C0;
constexpr uint32_t kValueBack = 0xC00000;

CKSTValueElementSettings Plain()
{
    CKSTValueElementSettings s;
    s.m_TitleBackColor = kTitleBack;
    s.m_ValueBackColor = kValueBack;
    s.m_TitleTextColor = kTitleBack;
    s.m_ValueTextColor = kValueBack;
    s.m_Title = "T";
    return s;
}

class LCDWndTest : public kst_test::ElementWindowTest {
protected:
    void Make(const CKSTValueElementSettings& settings, bool visible = false)
    {
        element.ApplySettings(settings);
        ASSERT_EQ(element.Create(&parent, &owner, true, WS_CHILD | WS_VISIBLE, RECT{10, 10, 110, 50}),
                  0);
        if (visible) {
            parent.ShowWindow(SW_SHOWNOACTIVATE);
            parent.UpdateWindow();
            element.UpdateWindow();
        }
    }
    bool HasUpdate(HWND window) const
    {
        RECT rect{};
        return GetUpdateRect(window, &rect, FALSE) != FALSE;
    }
    RECT ParentUpdate() const
    {
        RECT rect{};
        GetUpdateRect(parent.m_hWnd, &rect, FALSE);
        return rect;
    }

    kst_test::FakeElementOwner owner;
    CKSTLCDWnd element;
};

TEST_F(LCDWndTest, FieldsAreColouredBySideAtAQuarterRatio)
{
    const struct {
        uint32_t side;
        POINT title;
        POINT value;
    } cases[] = {
        {0, {12, 20}, {90, 20}}, {1, {50, 4}, {50, 35}}, {2, {50, 36}, {50, 5}}, {3, {90, 20}, {12, 20}}};
    for (const auto& c : cases) {
        CKSTValueElementSettings s = Plain();
        s.m_TitleSide = c.side;
        s.m_SplitRatio = 0.25;
        s.m_Title = "";
        CKSTLCDWnd lcd;
        lcd.ApplySettings(s);
        DrawTarget target(100, 40, 0xFFFFFF);
        lcd.Draw(target.Hdc(), RECT{0, 0, 100, 40});
        EXPECT_EQ(target.At(c.title.x, c.title.y), AsPixel(kTitleBack)) << "side " << c.side;
        EXPECT_EQ(target.At(c.value.x, c.value.y), AsPixel(kValueBack)) << "side " << c.side;
    }
}

TEST_F(LCDWndTest, TheFrameIsFrameWidthPixelsWide)
{
    CKSTValueElementSettings s = Plain();
    s.m_Frame = 1;
    s.m_FrameWidth = 3;
    s.m_FrameColor = 0x00FF00;
    CKSTLCDWnd lcd;
    lcd.ApplySettings(s);
    DrawTarget target(100, 40, 0xFFFFFF);
    lcd.Draw(target.Hdc(), RECT{0, 0, 100, 40});
    EXPECT_EQ(target.At(2, 20), AsPixel(0x00FF00));
    EXPECT_EQ(target.At(97, 39), AsPixel(0x00FF00));
    EXPECT_EQ(target.At(3, 20), AsPixel(kTitleBack));
}

TEST_F(LCDWndTest, LampThresholdsPickTheColourAndTheCentreIsLighter)
{
    CKSTValueElementSettings s = Plain();
    s.m_DisplayType = 1;
    s.m_SplitRatio = 0.0;
    s.m_Operator1 = 2;
    s.m_Threshold1 = 10;
    s.m_Operator2 = 2;
    s.m_Threshold2 = 5;
    s.m_LampActiveColor1 = 0x0000FF;
    s.m_LampActiveColor2 = 0xFF0000;
    s.m_LampPassiveColor = 0x00FF00;
    const struct {
        double value;
        uint32_t colour;
    } cases[] = {{12, 0x0000FF}, {7, 0xFF0000}, {3, 0x00FF00}};
    for (const auto& c : cases) {
        CKSTLCDWnd lcd;
        lcd.ApplySettings(s);
        lcd.SetLampValue(c.value);
        DrawTarget target(111, 61, 0xFFFFFF);
        lcd.Draw(target.Hdc(), RECT{0, 0, 111, 61});
        // The lamp's square: the value field less 5 and 6 pixels, centred: 50 x 50 at (30, 5).
        const uint32_t centre = target.At(55, 30);
        const uint32_t rim = target.At(55, 7);
        double h1, s1, l1, h2, s2, l2;
        const auto toColour = [](uint32_t p) {
            return ((p & 0xFF) << 16) | (p & 0xFF00) | (p >> 16);
        };
        RgbToHsl(toColour(centre), h1, s1, l1);
        RgbToHsl(toColour(rim), h2, s2, l2);
        double hc, sc, lc;
        RgbToHsl(c.colour, hc, sc, lc);
        EXPECT_NEAR(h1, hc, 2.0) << c.value;
        EXPECT_GT(l1, l2 + 40) << c.value;
        EXPECT_EQ(target.At(5, 30), AsPixel(kValueBack)) << "lamp field background";
    }
}

TEST_F(LCDWndTest, AnUnchangedRefreshLeavesNoUpdateAndAChangeInvalidates)
{
    Make(Plain(), true);
    element.Refresh();
    element.UpdateWindow();
    element.Refresh();
    EXPECT_FALSE(HasUpdate(element.m_hWnd));

    CKSTChannel channel;
    channel.SetName("p");
    channel.AppendValue(2.5, false);
    element.SetChannel(&channel);
    element.UpdateWindow();
    element.Refresh();
    EXPECT_FALSE(HasUpdate(element.m_hWnd));
    channel.AppendValue(2.75, false);
    element.Refresh();
    EXPECT_TRUE(HasUpdate(element.m_hWnd));
}

TEST_F(LCDWndTest, ATransparentValueMakesTheParentRepaintOnlyItsTextBox)
{
    CKSTValueElementSettings s = Plain();
    s.m_ValueTransparent = 1;
    s.m_ValueAlignment = 12;
    Make(s, true);
    CKSTChannel channel;
    channel.AppendValue(1.0, false);
    element.SetChannel(&channel);
    element.UpdateWindow();
    parent.UpdateWindow();
    ValidateRect(parent.m_hWnd, nullptr);
    channel.AppendValue(2.0, false);
    element.Refresh();
    const RECT box = ParentUpdate();
    // The value field is the right half (60..110 of the parent); the box is the text's extent
    // centred in it.
    EXPECT_GT(box.left, 60);
    EXPECT_LT(box.right, 110);
    EXPECT_GT(box.top, 10);
    EXPECT_LT(box.bottom, 50);
    EXPECT_GT(box.right - box.left, 5);
}

TEST_F(LCDWndTest, ClockRunsWhileTheTitleSaysUhrzeit)
{
    CKSTValueElementSettings s = Plain();
    s.m_Title = "Uhrzeit Halle";
    Make(s);
    EXPECT_TRUE(element.IsClockRunning());
    SendMessageA(element.m_hWnd, WM_TIMER, CKSTLCDWnd::kClockTimer, 0);
    const CKSTString shown = element.GetValueText();
    EXPECT_EQ(shown.GetLength(), 19) << shown.c_str();
    element.Refresh();
    EXPECT_EQ(element.GetValueText(), shown) << "a refresh keeps the clock's text";

    element.SetTitle("Halle");
    EXPECT_FALSE(element.IsClockRunning());
    EXPECT_TRUE(element.GetValueText().IsEmpty());
    SendMessageA(element.m_hWnd, WM_TIMER, CKSTLCDWnd::kClockTimer, 0);
    EXPECT_TRUE(element.GetValueText().IsEmpty()) << "a late tick of a stopped clock";
}

TEST_F(LCDWndTest, ChannelsShowTheirTextTheirTimeOrTheirNumber)
{
    Make(Plain());
    CKSTDataSet set;
    auto* texts = new CKSTChannel();
    texts->SetName("state");
    texts->SetGroup("g");
    texts->AddValueText("closed", false);
    texts->AddValueText("open", false);
    texts->AppendValue(2.0, false);
    auto* plain = new CKSTChannel();
    plain->SetName("level");
    plain->SetGroup("g");
    plain->SetUnit("mm");
    plain->AppendValue(1.0, false);
    set.GetChannels().AddPointer(texts, true);
    set.GetChannels().AddPointer(plain, true);

    element.BindChannel(&set, "g", "state");
    EXPECT_EQ(element.GetValueText(), CKSTString("open"));
    element.BindChannel(&set, "g", "level");
    EXPECT_TRUE(element.GetValueText().IsEmpty()) << "the number shows again";
    EXPECT_DOUBLE_EQ(element.GetValue(), 1.0);
    CKSTValueElementSettings taken;
    element.GetSettings(taken);
    EXPECT_EQ(taken.m_ChannelIndex, 1);
    EXPECT_EQ(taken.m_ChannelName, CKSTString("level"));

    element.BindChannel(&set, "g", "missing");
    element.GetSettings(taken);
    EXPECT_EQ(taken.m_ChannelIndex, -1);
    EXPECT_TRUE(taken.m_ChannelName.IsEmpty());
}

TEST_F(LCDWndTest, RebindingFromAValueTextToAPlainChannelRepaintsOnce)
{
    Make(Plain(), true);
    CKSTChannel texts;
    texts.AddValueText("closed", false);
    texts.AddValueText("open", false);
    texts.AppendValue(2.0, false);
    CKSTChannel plain;
    plain.AppendValue(2.0, false);
    element.SetChannel(&plain);
    element.UpdateWindow();
    element.SetChannel(&texts);
    element.UpdateWindow();
    element.Refresh();
    ASSERT_FALSE(HasUpdate(element.m_hWnd));
    element.SetChannel(&plain);
    EXPECT_TRUE(HasUpdate(element.m_hWnd));
    element.UpdateWindow();
    element.Refresh();
    EXPECT_FALSE(HasUpdate(element.m_hWnd)) << "the number is what was drawn";
}

TEST_F(LCDWndTest, AClockTitleGivenToAnExistingElementStartsTheClock)
{
    Make(Plain());
    EXPECT_FALSE(element.IsClockRunning());
    CKSTValueElementSettings s = Plain();
    s.m_Title = "Uhrzeit";
    element.ApplySettings(s);
    EXPECT_TRUE(element.IsClockRunning());
    element.ApplySettings(Plain());
    EXPECT_FALSE(element.IsClockRunning());
}

TEST_F(LCDWndTest, AnUnboundElementWithoutTitleShowsNewTitleAndZero)
{
    CKSTValueElementSettings s = Plain();
    s.m_Title = "";
    Make(s);
    element.SetChannel(nullptr);
    EXPECT_EQ(element.GetTitle(), CKSTString("New Title"));
    EXPECT_DOUBLE_EQ(element.GetValue(), 0.0);
}

TEST_F(LCDWndTest, TheSplitLineIsArmedOnlyInDesignModeAndDraggedToASnappedRatio)
{
    Make(Plain());
    const auto cursor = [this] {
        return reinterpret_cast<HCURSOR>(GetClassLongPtrA(element.m_hWnd, GCLP_HCURSOR));
    };
    SendMouse(element.m_hWnd, WM_MOUSEMOVE, 50, 20, 0);
    EXPECT_FALSE(element.IsSplitArmed());
    EXPECT_EQ(cursor(), LoadCursor(nullptr, IDC_ARROW));

    owner.designMode = true;
    owner.stepX = 10;
    SendMouse(element.m_hWnd, WM_MOUSEMOVE, 52, 20, 0);
    EXPECT_TRUE(element.IsSplitArmed());
    EXPECT_EQ(cursor(), LoadCursor(nullptr, IDC_SIZEWE));
    SendMouse(element.m_hWnd, WM_MOUSEMOVE, 60, 20, 0);
    EXPECT_FALSE(element.IsSplitArmed());
    EXPECT_EQ(cursor(), LoadCursor(nullptr, IDC_ARROW));

    element.SubscribeElementEvents(sink.Handle());
    sink.Seen().clear();
    const struct {
        int x;
        double ratio;
    } drags[] = {{24, 0.2}, {140, 1.0}, {-20, 0.0}, {76, 0.8}};
    for (const auto& d : drags) {
        const int line = static_cast<int>(100 * element.GetSplitRatio());
        SendMouse(element.m_hWnd, WM_MOUSEMOVE, line, 20, 0);
        ASSERT_TRUE(element.IsSplitArmed()) << d.x;
        SendMouse(element.m_hWnd, WM_LBUTTONDOWN, line, 20, MK_LBUTTON);
        SendMouse(element.m_hWnd, WM_MOUSEMOVE, d.x, 20, MK_LBUTTON);
        SendMouse(element.m_hWnd, WM_LBUTTONUP, d.x, 20, 0);
        EXPECT_DOUBLE_EQ(element.GetSplitRatio(), d.ratio) << d.x;
    }
    EXPECT_TRUE(sink.Seen().empty()) << "a split drag fires no events";
}

TEST_F(LCDWndTest, SettingsSurviveARoundTripIntoAFreshElement)
{
    CKSTValueElementSettings s = Plain();
    s.m_TitleTransparent = 1;
    s.m_TitleFont.m_height = -17;
    s.m_ValueFont.m_weight = 700;
    s.m_LampActiveColor1 = 1;
    s.m_LampActiveColor2 = 2;
    s.m_LampPassiveColor = 3;
    s.m_DisplayType = 1;
    s.m_TitleSide = 2;
    s.m_TitleAlignment = 9;
    s.m_ValueAlignment = 6;
    s.m_Operator1 = 3;
    s.m_Operator2 = 4;
    s.m_Threshold1 = 1.5;
    s.m_Threshold2 = -2.5;
    s.m_SplitRatio = 0.3;
    s.m_FrameWidth = 4;
    s.m_FrameColor = 0x112233;
    s.m_Frame = 1;
    s.m_Precision = 5;
    s.m_ShowGroup = 0;
    s.m_ShowUnit = 0;
    s.m_ChannelIndex = 2;
    s.m_ChannelName = "c";
    s.m_GroupName = "g";
    s.m_Title = "Druck";
    CKSTLCDWnd first;
    first.ApplySettings(s);
    CKSTValueElementSettings taken;
    first.GetSettings(taken);
    EXPECT_EQ(taken, s);
    Make(taken);
    CKSTValueElementSettings again;
    element.GetSettings(again);
    EXPECT_EQ(again, s);
    EXPECT_TRUE(HasTransparentExStyle(element.m_hWnd));
    EXPECT_FALSE(element.IsDoubleBuffered());
}

TEST_F(LCDWndTest, DialogNumbersOutsideTheirBoundsKeepTheOldValues)
{
    Make(Plain());
    element.SubscribeElementEvents(sink.Handle());
    const struct {
        int32_t precision;
        int32_t frameWidth;
        double ratio;
        int32_t expectPrecision;
        int32_t expectFrame;
        double expectRatio;
    } cases[] = {{25, 200, 1.5, 3, 1, 0.5}, {-1, -3, -0.1, 3, 1, 0.5}, {20, 100, 1.0, 20, 100, 1.0},
                 {0, 0, 0.0, 0, 0, 0.0}};
    for (const auto& c : cases) {
        element.ApplySettings(Plain());
        owner.result = IDOK;
        owner.edit = [&c](CKSTValueElementSettings& s) {
            s.m_Precision = c.precision;
            s.m_FrameWidth = c.frameWidth;
            s.m_SplitRatio = c.ratio;
        };
        sink.Seen().clear();
        SendMouse(element.m_hWnd, WM_LBUTTONDBLCLK, 5, 5, MK_LBUTTON);
        CKSTValueElementSettings taken;
        element.GetSettings(taken);
        EXPECT_EQ(taken.m_Precision, c.expectPrecision) << c.precision;
        EXPECT_EQ(taken.m_FrameWidth, c.expectFrame) << c.frameWidth;
        EXPECT_DOUBLE_EQ(taken.m_SplitRatio, c.expectRatio) << c.ratio;
        ASSERT_EQ(sink.Seen().size(), 1u);
        EXPECT_EQ(sink.Seen()[0].message, UINT(0x408));
    }
    EXPECT_EQ(owner.asked.size(), 4u);
}

TEST_F(LCDWndTest, ATransparentChoiceFiresTheReleaseEventEvenOnCancel)
{
    CKSTValueElementSettings s = Plain();
    s.m_ValueTransparent = 1;
    Make(s);
    element.SubscribeElementEvents(sink.Handle());
    owner.result = IDCANCEL;
    owner.edit = [](CKSTValueElementSettings& chosen) { chosen.m_Title = "ignored"; };
    EXPECT_EQ(element.Configure(), IDCANCEL);
    EXPECT_EQ(element.GetTitle(), CKSTString("T"));
    ASSERT_EQ(sink.Seen().size(), 1u);
    EXPECT_EQ(sink.Seen()[0].message, UINT(0x406));
    EXPECT_TRUE(HasTransparentExStyle(element.m_hWnd));
}

}  // namespace
