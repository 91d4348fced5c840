// The button element: its face by style and size, presses that toggle it only while the owner
// runs, dialog 962 filled from it and applied back in both languages, its settings record.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "curvewnd/win/draw_target.h"
#include "data/Channel.h"
#include "data/DataSet.h"
#include "elements/win/ButtonWnd.h"
#include "elements/win/ElementProtocol.h"
#include "elements/win/element_test_support.h"
#include "foundation/Colors.h"
#include "foundation/win/StringLoader.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "support/win/DialogScript.h"

namespace {

using kst_test::AsPixel;
using kst_test::HasTransparentExStyle;
using kst_test::SendMouse;

constexpr uint32_t kBack = 0x404040;

uint32_t HueOf(uint32_t pixel)
{
    const uint32_t colour = ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | (pixel >> 16);
    double h = 0;
    double s = 0;
    double l = 0;
    RgbToHsl(colour, h, s, l);
    return static_cast<uint32_t>(h + 360.5) % 360;
}

class ButtonWndTest : public kst_test::ElementWindowTest {
protected:
    void Make()
    {
        ASSERT_EQ(button.Create(&parent, &owner, WS_CHILD | WS_VISIBLE, RECT{10, 10, 110, 50}), 0);
        button.SubscribeElementEvents(sink.Handle());
        sink.Seen().clear();
    }

    kst_test::FakeElementOwner owner;
    CKSTButtonWnd button;
};

TEST_F(ButtonWndTest, CornersAndCentreByStyle)
{
    const struct {
        uint32_t style;
        bool cornerIsBackground;
    } cases[] = {{0, true}, {1, true}, {2, false}};
    for (const auto& c : cases) {
        CKSTButtonWnd face;
        face.SetStyle(c.style);
        face.SetBackColor(kBack);
        face.SetOffColor(0x00FF00);
        face.SetFrameColor(0xFF0000);
        face.SetTitle("");
        DrawTarget target(100, 40, 0xFFFFFF);
        face.Draw(target.Hdc(), RECT{0, 0, 100, 40});
        EXPECT_EQ(target.At(0, 0) == AsPixel(kBack), c.cornerIsBackground) << c.style;
        EXPECT_EQ(HueOf(target.At(50, 20)), 120u) << "off colour at the centre, style " << c.style;
        EXPECT_EQ(HueOf(target.At(50, 1)), 240u) << "frame ring at the edge, style " << c.style;
    }
}

TEST_F(ButtonWndTest, TheStateChoosesTheFaceColour)
{
    CKSTButtonWnd face;
    face.SetOnColor(0x0000FF);
    face.SetOffColor(0x00FF00);
    face.SetTitle("");
    DrawTarget target(100, 40, 0xFFFFFF);
    face.Draw(target.Hdc(), RECT{0, 0, 100, 40});
    EXPECT_EQ(HueOf(target.At(50, 20)), 120u);
    face.SetState(true);
    face.Draw(target.Hdc(), RECT{0, 0, 100, 40});
    EXPECT_EQ(HueOf(target.At(50, 20)), 0u);
}

TEST_F(ButtonWndTest, AButtonUnderTenPixelsHasNoFrameRing)
{
    CKSTButtonWnd face;
    face.SetStyle(2);
    face.SetOffColor(0x00FF00);
    face.SetFrameColor(0xFF0000);
    face.SetTitle("");
    DrawTarget target(60, 9, 0xFFFFFF);
    face.Draw(target.Hdc(), RECT{0, 0, 60, 9});
    EXPECT_EQ(HueOf(target.At(30, 0)), 120u);
    EXPECT_EQ(HueOf(target.At(0, 4)), 120u);
}

TEST_F(ButtonWndTest, ATransparentButtonLeavesItsCornersToTheBackground)
{
    CKSTButtonElementSettings settings;
    settings.m_Style = 0;
    settings.m_Transparent = 1;
    CKSTButtonWnd face;
    face.ApplySettings(settings);
    DrawTarget target(100, 40, 0x123456);
    face.Draw(target.Hdc(), RECT{0, 0, 100, 40});
    EXPECT_EQ(target.At(0, 0), AsPixel(0x123456));
}

TEST_F(ButtonWndTest, RunModePressesToggleAndDoubleClicksDoNot)
{
    Make();
    owner.designMode = false;
    SendMouse(button.m_hWnd, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    SendMouse(button.m_hWnd, WM_LBUTTONUP, 5, 5, 0);
    EXPECT_TRUE(button.IsOn());
    SendMouse(button.m_hWnd, WM_LBUTTONDBLCLK, 5, 5, MK_LBUTTON);
    SendMouse(button.m_hWnd, WM_LBUTTONUP, 5, 5, 0);
    EXPECT_TRUE(button.IsOn()) << "the second press of a double click does not toggle";
    SendMouse(button.m_hWnd, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    EXPECT_FALSE(button.IsOn());
}

TEST_F(ButtonWndTest, DesignModePressesSelectAndADoubleClickOpensTheDialog)
{
    Make();
    owner.designMode = true;
    SendMouse(button.m_hWnd, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    SendMouse(button.m_hWnd, WM_LBUTTONUP, 5, 5, 0);
    EXPECT_FALSE(button.IsOn());
    int dialogs = 0;
    KstSeams().modalDriver = [&dialogs](KstModalRun& run) {
        EXPECT_EQ(run.templateId, UINT(IDD_BUTTON_ELEMENT));
        ++dialogs;
        return IDOK;
    };
    SendMouse(button.m_hWnd, WM_LBUTTONDBLCLK, 5, 5, MK_LBUTTON);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(sink.Seen().back().message, UINT(0x408));
}

struct ButtonDialogCase {
    const char* name;
    uint32_t style;
    std::function<void(CKSTDialogScript&)> script;
    uint32_t expectedStyle;
    uint8_t transparent;
    const char* text;
};

class ButtonDialogTest : public ButtonWndTest, public ::testing::WithParamInterface<uint32_t> {
};

TEST_P(ButtonDialogTest, AppliesTheDialogOnOk)
{
    const uint32_t language = GetParam();
    const bool english = language != 0;
    const std::vector<ButtonDialogCase> cases = {
        {"cylinder shows first", 1,
         [](CKSTDialogScript& s) {
             s.Run([](CWnd& d) {
                 EXPECT_EQ(SendDlgItemMessageA(d.m_hWnd, IDC_BUTTONELEM_STYLE, CB_GETCURSEL, 0, 0),
                           0);
             });
         },
         1, 0, "Pump"},
        {"ellipse chosen", 1, [](CKSTDialogScript& s) { s.Select(IDC_BUTTONELEM_STYLE, 1); }, 0, 0,
         "Pump"},
        {"rectangle, transparent, new text", 0,
         [](CKSTDialogScript& s) {
             s.Select(IDC_BUTTONELEM_STYLE, 2)
                 .Click(IDC_BUTTONELEM_TRANSPARENT)
                 .SetText(IDC_BUTTONELEM_TEXT, "Valve");
         },
         2, 1, "Valve"},
        {"unknown style shows nothing and becomes a rectangle", 9, [](CKSTDialogScript&) {}, 2, 0,
         "Pump"},
    };
    Make();
    owner.designMode = true;
    button.SetLanguage(language);
    for (const ButtonDialogCase& c : cases) {
        CKSTButtonElementSettings start;
        start.m_Style = c.style;
        start.m_ChannelName = "Pump";
        button.ApplySettings(start);
        sink.Seen().clear();
        CKSTDialogScript script(IDCANCEL);
        script.Run([english](CWnd& dialog) {
            EXPECT_EQ(DialogCaption(dialog), LoadResString(KST_STR_BUTTON_CAPTION, english).c_str());
            EXPECT_EQ(DialogItemText(dialog, IDC_BUTTONELEM_ON_COLOR_LABEL),
                      LoadResString(KST_STR_BUTTON_ON_COLOR, english).c_str());
            EXPECT_EQ(DialogItemText(dialog, IDC_BUTTONELEM_TEXT), "Pump");
        });
        c.script(script);
        script.Click(IDOK);
        KstSeams().modalDriver = script;
        EXPECT_EQ(button.Configure(), IDOK) << c.name;
        CKSTButtonElementSettings taken;
        button.GetSettings(taken);
        EXPECT_EQ(taken.m_Style, c.expectedStyle) << c.name;
        EXPECT_EQ(taken.m_Transparent, c.transparent) << c.name;
        EXPECT_EQ(taken.m_Text, CKSTString(c.text)) << c.name;
        EXPECT_EQ(HasTransparentExStyle(button.m_hWnd), c.transparent != 0) << c.name;
        EXPECT_EQ(sink.Seen().size(), c.transparent ? 1u : 0u) << c.name;
    }
}

TEST_P(ButtonDialogTest, PickedColoursReachTheirButtonsAndCancelKeepsThemAll)
{
    Make();
    button.SetLanguage(GetParam());
    uint32_t next = 0x000010;
    KstSeams().chooseColor = [&next](CHOOSECOLORA& choose) {
        choose.rgbResult = next++;
        return TRUE;
    };
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .Click(IDC_BUTTONELEM_ON_COLOR)
                                 .Click(IDC_BUTTONELEM_OFF_COLOR)
                                 .Click(IDC_BUTTONELEM_FRAME_COLOR)
                                 .Click(IDC_BUTTONELEM_BACK_COLOR)
                                 .Click(IDC_BUTTONELEM_TEXT_COLOR)
                                 .Click(IDOK);
    ASSERT_EQ(button.Configure(), IDOK);
    CKSTButtonElementSettings taken;
    button.GetSettings(taken);
    EXPECT_EQ(taken.m_OnColor, 0x10u);
    EXPECT_EQ(taken.m_OffColor, 0x11u);
    EXPECT_EQ(taken.m_FrameColor, 0x12u);
    EXPECT_EQ(taken.m_BackColor, 0x13u);
    EXPECT_EQ(taken.m_TextColor, 0x14u);

    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .Click(IDC_BUTTONELEM_ON_COLOR)
                                 .SetText(IDC_BUTTONELEM_TEXT, "ignored")
                                 .Click(IDCANCEL);
    EXPECT_EQ(button.Configure(), IDCANCEL);
    CKSTButtonElementSettings after;
    button.GetSettings(after);
    EXPECT_EQ(after, taken);
}

INSTANTIATE_TEST_SUITE_P(Languages, ButtonDialogTest, ::testing::Values(0u, 1u),
                         [](const ::testing::TestParamInfo<uint32_t>& info) {
                             return std::string(info.param ? "English" : "German");
                         });

TEST_F(ButtonWndTest, SettingsSurviveARoundTripIntoAFreshElement)
{
    CKSTButtonElementSettings s;
    s.m_Style = 2;
    s.m_OnColor = 1;
    s.m_OffColor = 2;
    s.m_FrameColor = 3;
    s.m_BackColor = 4;
    s.m_TextColor = 5;
    s.m_Transparent = 1;
    s.m_Text = "Motor";
    s.m_Font.m_height = -19;
    s.m_ChannelIndex = -1;
    s.m_ChannelName = "Motor";
    CKSTButtonWnd first;
    first.ApplySettings(s);
    CKSTButtonElementSettings taken;
    first.GetSettings(taken);
    EXPECT_EQ(taken, s);
    Make();
    button.ApplySettings(taken);
    CKSTButtonElementSettings again;
    button.GetSettings(again);
    EXPECT_EQ(again, s);
    EXPECT_EQ(button.GetTitle(), CKSTString("Motor"));
}

TEST_F(ButtonWndTest, BindingNamesTheButtonAndAnEmptyTextBecomesNewTitle)
{
    Make();
    CKSTDataSet set;
    auto* channel = new CKSTChannel();
    channel->SetName("Fan");
    channel->SetGroup("Hall");
    channel->AppendValue(1.0, false);
    set.GetChannels().AddPointer(channel, true);
    button.BindChannel(&set, "Hall", "Fan");
    EXPECT_EQ(button.GetTitle(), CKSTString("Fan"));
    button.SetChannel(nullptr);
    EXPECT_EQ(button.GetTitle(), CKSTString("Value:"));
    button.SetTitle("");
    button.Refresh();
    EXPECT_EQ(button.GetTitle(), CKSTString("New Title"));
    button.BindChannel(nullptr, "Hall", "Door");
    EXPECT_EQ(button.GetTitle(), CKSTString("Door"));
}

}  // namespace
