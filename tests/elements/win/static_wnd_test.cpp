// The text element: transparency during drags, sizing loops and settings; its picture; dialog
// 938 filled from the element and applied back in both languages; its settings record.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "curvewnd/win/draw_target.h"
#include "elements/win/ElementProtocol.h"
#include "elements/win/StaticWnd.h"
#include "elements/win/element_test_support.h"
#include "foundation/win/StringLoader.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "support/win/DialogScript.h"

namespace {

using kst_test::AsPixel;
using kst_test::HasTransparentExStyle;
using kst_test::SendMouse;

class StaticWndTest : public kst_test::ElementWindowTest {
protected:
    void Make(bool transparent)
    {
        element.SetTransparent(transparent);
        element.Create(&parent, 0, RECT{130, 70, 10, 10});
        ASSERT_NE(element.m_hWnd, nullptr);
        element.RegisterDesignSinks(sink.Handle());
        sink.Seen().clear();
    }

    CKSTStaticWnd element;
};

TEST_F(StaticWndTest, CreateOrdersTheCornersAndKeepsTheStyleWord)
{
    Make(false);
    RECT rect{};
    element.GetWindowRect(&rect);
    parent.ScreenToClient(&rect);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 10);
    EXPECT_EQ(rect.right, 130);
    EXPECT_EQ(rect.bottom, 70);
    EXPECT_EQ(element.GetStyleWord(), 0x40000300u);
    EXPECT_EQ(element.GetWindowText(), CKSTString("Static"));
    EXPECT_FALSE(HasTransparentExStyle(element.m_hWnd));
}

TEST_F(StaticWndTest, AlignmentCodesSetTheStyleWord)
{
    const struct {
        int32_t code;
        DWORD style;
    } cases[] = {{0, 0x40000200}, {4, 0x40000201}, {1, 0x40000202}};
    for (const auto& c : cases) {
        element.SetAlignment(c.code);
        EXPECT_EQ(element.GetStyleWord(), c.style) << c.code;
    }
}

TEST_F(StaticWndTest, ADragTakesTransparencyAwayFromTheFirstNonZeroMoveToTheRelease)
{
    Make(true);
    ASSERT_TRUE(HasTransparentExStyle(element.m_hWnd));
    SendMouse(element.m_hWnd, WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
    SendMouse(element.m_hWnd, WM_MOUSEMOVE, 10, 10, MK_LBUTTON);
    SendMouse(element.m_hWnd, WM_MOUSEMOVE, 10, 10, MK_LBUTTON);
    EXPECT_TRUE(HasTransparentExStyle(element.m_hWnd)) << "zero offsets move nothing";
    SendMouse(element.m_hWnd, WM_MOUSEMOVE, 12, 10, MK_LBUTTON);
    EXPECT_FALSE(HasTransparentExStyle(element.m_hWnd));
    SendMouse(element.m_hWnd, WM_LBUTTONUP, 12, 10, 0);
    EXPECT_TRUE(HasTransparentExStyle(element.m_hWnd));
}

TEST_F(StaticWndTest, ASizingLoopSuspendsTransparencyAndForcesAFrameChangeAtItsEnd)
{
    Make(true);
    kst_test::WindowPosRecorder positions;
    RECT sizing{0, 0, 150, 90};
    SendMessageA(element.m_hWnd, WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LPARAM>(&sizing));
    EXPECT_FALSE(HasTransparentExStyle(element.m_hWnd));
    SendMessageA(element.m_hWnd, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_TRUE(HasTransparentExStyle(element.m_hWnd));
    EXPECT_EQ(positions.Count(element.m_hWnd, KST_SWP_FRAME_CHANGED), 1);
    EXPECT_FALSE(element.RestoreTransparency()) << "nothing left to restore";
}

TEST_F(StaticWndTest, ApplySettingsBringsTheStyleInLineWithTheFlag)
{
    Make(false);
    kst_test::WindowPosRecorder positions;
    CKSTTextElementSettings settings;
    element.GetSettings(settings);
    settings.m_Transparent = 1;
    element.ApplySettings(settings);
    EXPECT_TRUE(HasTransparentExStyle(element.m_hWnd));
    EXPECT_EQ(positions.Count(element.m_hWnd, KST_SWP_FRAME_CHANGED), 1);

    settings.m_Transparent = 0;
    element.ApplySettings(settings);
    EXPECT_FALSE(HasTransparentExStyle(element.m_hWnd));
}

TEST_F(StaticWndTest, DrawFillsFramesAndLeavesATransparentBackgroundAlone)
{
    element.SetBackColor(0x00FF00);
    element.SetTextColor(0xFF0000);
    element.SetText("");
    DrawTarget target(60, 30, 0x0000FF);
    element.Draw(target.Hdc(), RECT{0, 0, 60, 30});
    EXPECT_EQ(target.At(30, 15), AsPixel(0x00FF00));
    EXPECT_EQ(target.At(0, 0), AsPixel(0x00FF00));

    element.SetFrame(true);
    element.Draw(target.Hdc(), RECT{0, 0, 60, 30});
    EXPECT_EQ(target.At(0, 0), AsPixel(0x808080));
    EXPECT_EQ(target.At(59, 29), AsPixel(0x808080));
    EXPECT_EQ(target.At(1, 1), AsPixel(0x00FF00));

    DrawTarget pattern(60, 30, 0x0000FF);
    element.SetTransparent(true);
    element.Draw(pattern.Hdc(), RECT{0, 0, 60, 30});
    EXPECT_EQ(pattern.At(30, 15), AsPixel(0x0000FF));
}

TEST_F(StaticWndTest, TextIsDrawnOnOneLineAtItsAlignment)
{
    element.SetBackColor(0xFFFFFF);
    element.SetTextColor(0x000000);
    element.SetText("WWW\nWWW");
    const struct {
        int32_t code;
        int inkFrom;  // the third of the width where ink must be
    } cases[] = {{0, 0}, {4, 1}, {1, 2}};
    for (const auto& c : cases) {
        element.SetAlignment(c.code);
        DrawTarget target(300, 30, 0xFFFFFF);
        element.Draw(target.Hdc(), RECT{0, 0, 300, 30});
        const std::vector<uint32_t> pixels = target.Pixels();
        int inkThird[3] = {};
        int inkRows = 0;
        for (int y = 0; y < 30; ++y) {
            bool rowInk = false;
            for (int x = 0; x < 300; ++x) {
                if (pixels[y * 300 + x] != 0xFFFFFF) {
                    ++inkThird[x / 100];
                    rowInk = true;
                }
            }
            inkRows += rowInk ? 1 : 0;
        }
        EXPECT_GT(inkThird[c.inkFrom], 0) << c.code;
        EXPECT_EQ(inkThird[0] + inkThird[1] + inkThird[2], inkThird[c.inkFrom]) << c.code;
        EXPECT_LT(inkRows, 20) << "one line only";
    }
}

TEST_F(StaticWndTest, SettingsSurviveARoundTripIntoAFreshElement)
{
    CKSTTextElementSettings settings;
    settings.m_Text = "Pressure";
    settings.m_Alignment = 1;
    settings.m_BackColor = 0x123456;
    settings.m_TextColor = 0x654321;
    settings.m_Font.m_height = -20;
    settings.m_Font.m_weight = 700;
    settings.m_Frame = 1;
    settings.m_Transparent = 1;
    CKSTStaticWnd first;
    first.ApplySettings(settings);
    CKSTTextElementSettings taken;
    first.GetSettings(taken);
    EXPECT_EQ(taken, settings);

    Make(false);
    element.ApplySettings(taken);
    CKSTTextElementSettings again;
    element.GetSettings(again);
    EXPECT_EQ(again, settings);
    EXPECT_EQ(element.GetWindowText(), CKSTString("Pressure"));
}

struct DialogCase {
    const char* name;
    int32_t storedAlignment;
    std::function<void(CKSTDialogScript&)> script;
    int expectedAlignment;
    uint8_t frame;
    uint8_t transparent;
    const char* text;
};

class TextElementDialogTest : public StaticWndTest, public ::testing::WithParamInterface<uint32_t> {
};

TEST_P(TextElementDialogTest, AppliesTheDialogOnOkOnly)
{
    const uint32_t language = GetParam();
    const bool english = language != 0;
    const std::vector<DialogCase> cases = {
        {"right to centred", 1,
         [](CKSTDialogScript& s) { s.Select(IDC_TEXTELEM_ALIGNMENT, 1); }, 4, 0, 0, "Old"},
        {"left, framed, transparent, new text", 4,
         [](CKSTDialogScript& s) {
             s.Select(IDC_TEXTELEM_ALIGNMENT, 0)
                 .Click(IDC_TEXTELEM_FRAME)
                 .Click(IDC_TEXTELEM_TRANSPARENT)
                 .SetText(IDC_TEXTELEM_TEXT, "New text");
         },
         0, 1, 1, "New text"},
        {"right-aligned", 0, [](CKSTDialogScript& s) { s.Select(IDC_TEXTELEM_ALIGNMENT, 2); }, 1,
         0, 0, "Old"},
        {"unknown code shows no selection and becomes centred", 7,
         [](CKSTDialogScript& s) {
             s.Run([](CWnd& dialog) {
                 EXPECT_EQ(SendDlgItemMessageA(dialog.m_hWnd, IDC_TEXTELEM_ALIGNMENT, CB_GETCURSEL,
                                               0, 0),
                           CB_ERR);
             });
         },
         4, 0, 0, "Old"},
    };
    for (const DialogCase& c : cases) {
        CKSTStaticWnd target;
        target.SetLanguage(language);
        target.SetText("Old");
        target.SetAlignment(c.storedAlignment);
        target.Create(&parent, 0, RECT{0, 0, 80, 30});
        target.RegisterDesignSinks(sink.Handle());
        sink.Seen().clear();
        CKSTDialogScript script(IDCANCEL);
        script.Run([english](CWnd& dialog) {
            EXPECT_EQ(DialogCaption(dialog),
                      LoadResString(KST_STR_TEXT_ELEMENT_CAPTION, english).c_str());
            EXPECT_EQ(DialogItemText(dialog, IDC_TEXTELEM_TRANSPARENT_LABEL),
                      LoadResString(KST_STR_ELEM_TRANSPARENT, english).c_str());
            EXPECT_EQ(DialogItemText(dialog, IDC_TEXTELEM_TEXT), "Old");
        });
        c.script(script);
        script.Click(IDOK);
        KstSeams().modalDriver = script;
        SendMouse(target.m_hWnd, WM_LBUTTONDBLCLK, 5, 5, MK_LBUTTON);
        CKSTTextElementSettings settings;
        target.GetSettings(settings);
        EXPECT_EQ(settings.m_Alignment, c.expectedAlignment) << c.name;
        EXPECT_EQ(settings.m_Frame, c.frame) << c.name;
        EXPECT_EQ(settings.m_Transparent, c.transparent) << c.name;
        EXPECT_EQ(settings.m_Text, CKSTString(c.text)) << c.name;
        EXPECT_EQ(HasTransparentExStyle(target.m_hWnd), c.transparent != 0) << c.name;
        const WPARAM self = reinterpret_cast<WPARAM>(target.m_hWnd);
        EXPECT_EQ(sink.Seen(), (std::vector<kst_test::SeenMessage>{{0x406, self, 0},
                                                                   {0x408, self, 0}}))
            << c.name;
        target.DestroyWindow();
    }
}

TEST_P(TextElementDialogTest, CancelChangesNothingAndFiresNothing)
{
    Make(false);
    element.SetLanguage(GetParam());
    CKSTTextElementSettings before;
    element.GetSettings(before);
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .SetText(IDC_TEXTELEM_TEXT, "ignored")
                                 .Click(IDC_TEXTELEM_FRAME)
                                 .Click(IDCANCEL);
    SendMouse(element.m_hWnd, WM_LBUTTONDBLCLK, 5, 5, MK_LBUTTON);
    CKSTTextElementSettings after;
    element.GetSettings(after);
    EXPECT_EQ(after, before);
    EXPECT_TRUE(sink.Seen().empty());
}

TEST_P(TextElementDialogTest, PickedColoursAndFontReachTheElement)
{
    Make(false);
    element.SetLanguage(GetParam());
    int colourCalls = 0;
    KstSeams().chooseColor = [&colourCalls](CHOOSECOLORA& choose) {
        EXPECT_EQ(choose.Flags & (CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR),
                  DWORD(CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR));
        choose.rgbResult = ++colourCalls == 1 ? 0x010203 : 0x040506;
        return TRUE;
    };
    KstSeams().chooseFont = [](CHOOSEFONTA& choose) {
        choose.lpLogFont->lfHeight = -27;
        choose.lpLogFont->lfWeight = 700;
        return TRUE;
    };
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .Click(IDC_TEXTELEM_TEXT_COLOR)
                                 .Click(IDC_TEXTELEM_BACK_COLOR)
                                 .Click(IDC_TEXTELEM_FONT)
                                 .Click(IDOK);
    EXPECT_EQ(element.Configure(), IDOK);
    EXPECT_EQ(element.GetTextColor(), 0x010203u);
    EXPECT_EQ(element.GetBackColor(), 0x040506u);
    EXPECT_EQ(element.GetFont().m_height, -27);
    EXPECT_EQ(element.GetFont().m_weight, 700);
}

TEST_F(StaticWndTest, ASettingsDialogAfterDesignModeStillReachesTheProcessWindow)
{
    Make(false);
    element.UnregisterDesignSinks(sink.Handle());
    KstSeams().modalDriver = CKSTDialogScript(IDOK);
    SendMouse(element.m_hWnd, WM_LBUTTONDBLCLK, 5, 5, MK_LBUTTON);
    const WPARAM self = reinterpret_cast<WPARAM>(element.m_hWnd);
    EXPECT_EQ(sink.Seen(), (std::vector<kst_test::SeenMessage>{{0x408, self, 0}}));
}

INSTANTIATE_TEST_SUITE_P(Languages, TextElementDialogTest, ::testing::Values(0u, 1u),
                         [](const ::testing::TestParamInfo<uint32_t>& info) {
                             return std::string(info.param ? "English" : "German");
                         });

}  // namespace
