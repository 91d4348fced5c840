// The numeric value and lamp settings dialogs, run through the modal seam in both languages:
// the controls show the element's settings, OK hands the typed numbers back within their
// bounds, the sample buttons pick fonts and colours.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_text_fit.h"
#include "elements/win/ValueDialog.h"
#include "foundation/win/StringLoader.h"
#include "framework/framework_test_support.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "support/win/DialogScript.h"

namespace kst_test {
namespace {

int Selection(CWnd& dialog, int id)
{
    HWND list = GetDlgItem(dialog.m_hWnd, id);
    EXPECT_NE(list, nullptr) << id;
    return static_cast<int>(SendMessageA(list, CB_GETCURSEL, 0, 0));
}

class ValueDialogs : public FrameworkTest, public ::testing::WithParamInterface<bool> {
protected:
    CKSTString Text(int id) const { return LoadResString(id, GetParam()); }

    // Runs the dialog with the script and, on OK, applies it to the settings.
    template <class Dialog>
    int Run(const CKSTDialogScript& script, CKSTValueElementSettings& settings)
    {
        KstSeams().modalDriver = script;
        Dialog dialog(settings);
        dialog.m_language = GetParam() ? 1 : 0;
        const int result = static_cast<int>(dialog.DoModal());
        if (result == IDOK) {
            dialog.Apply(settings);
        }
        return result;
    }
};

TEST_P(ValueDialogs, ControlsShowTheElementsSettings)
{
    CKSTValueElementSettings s;
    s.m_Title = "Druck";
    s.m_TitleAlignment = 4;
    s.m_TitleSide = 3;
    s.m_ValueAlignment = 9;
    s.m_Precision = 2;
    s.m_FrameWidth = 7;
    s.m_SplitRatio = 0.25;
    s.m_ChannelName = "p1";
    s.m_ShowUnit = 1;
    s.m_Operator1 = 3;
    s.m_Operator2 = 8;
    s.m_Threshold1 = 1000.0;
    s.m_Threshold2 = -2.5;
    std::vector<std::string> texts;
    std::vector<int> selections;
    auto read = [&](std::vector<int> edits, std::vector<int> lists) {
        return CKSTDialogScript(IDCANCEL).Run([&texts, &selections, edits, lists](CWnd& d) {
            for (int id : edits) {
                texts.push_back(DialogItemText(d, id));
            }
            for (int id : lists) {
                selections.push_back(Selection(d, id));
            }
        });
    };
    EXPECT_EQ(Run<CKSTLCDDialog>(read({IDC_ELEMDLG_TITLE_TEXT, IDC_ELEMDLG_CHANNEL,
                                       IDC_ELEMDLG_PRECISION, IDC_ELEMDLG_FRAME_WIDTH,
                                       IDC_ELEMDLG_SPLIT_RATIO},
                                      {IDC_ELEMDLG_ALIGNMENT, IDC_ELEMDLG_TITLE_POSITION,
                                       IDC_ELEMDLG_VALUE_ALIGNMENT}),
                                 s),
              IDCANCEL);
    EXPECT_EQ(texts, (std::vector<std::string>{"Druck", "p1", "2", "7", "0.25"}));
    // Code 4 shows "centered", side 3 "Title right".
    EXPECT_EQ(selections, (std::vector<int>{1, 1, 2}));

    texts.clear();
    selections.clear();
    EXPECT_EQ(Run<CKSTLampDialog>(read({IDC_ELEMDLG_THRESHOLD1, IDC_ELEMDLG_THRESHOLD2},
                                       {IDC_ELEMDLG_OPERATOR1, IDC_ELEMDLG_OPERATOR2}),
                                  s),
              IDCANCEL);
    EXPECT_EQ(texts, (std::vector<std::string>{"1000", "-2.5"}));
    EXPECT_EQ(selections, (std::vector<int>{3, 0}));
}

// The typed numbers of both dialogs: a comma, an exponent, a sign or a fraction where digits
// are asked for, and values outside the bounds keep the element's values.
TEST_P(ValueDialogs, TypedNumbersAreTakenWithinTheirBounds)
{
    const struct {
        const char* text;
        int32_t precision;   // before: 3
        int32_t frameWidth;  // before: 1
        double splitRatio;   // before: 0.5
        double threshold;    // before: 0
    } cases[] = {
        {"0,5", 3, 1, 0.5, 0.0},      {"0.25", 3, 1, 0.25, 0.25},  {"-1", 3, 1, 0.5, -1.0},
        {"2.5", 3, 1, 0.5, 2.5},      {"1e3", 3, 1, 0.5, 0.0},     {"1000", 3, 1, 0.5, 1000.0},
        {"20", 20, 20, 0.5, 20.0},    {"21", 3, 21, 0.5, 21.0},    {"100", 3, 100, 0.5, 100.0},
        {"101", 3, 1, 0.5, 101.0},    {"1", 1, 1, 1.0, 1.0},       {"0", 0, 0, 0.0, 0.0},
    };
    for (const auto& c : cases) {
        CKSTValueElementSettings value;
        EXPECT_EQ(Run<CKSTLCDDialog>(CKSTDialogScript(IDCANCEL)
                                         .SetText(IDC_ELEMDLG_PRECISION, c.text)
                                         .SetText(IDC_ELEMDLG_FRAME_WIDTH, c.text)
                                         .SetText(IDC_ELEMDLG_SPLIT_RATIO, c.text)
                                         .Click(IDOK),
                                     value),
                  IDOK);
        EXPECT_EQ(value.m_Precision, c.precision) << c.text;
        EXPECT_EQ(value.m_FrameWidth, c.frameWidth) << c.text;
        EXPECT_DOUBLE_EQ(value.m_SplitRatio, c.splitRatio) << c.text;

        CKSTValueElementSettings lamp;
        EXPECT_EQ(Run<CKSTLampDialog>(CKSTDialogScript(IDCANCEL)
                                          .SetText(IDC_ELEMDLG_PRECISION, c.text)
                                          .SetText(IDC_ELEMDLG_SPLIT_RATIO, c.text)
                                          .SetText(IDC_ELEMDLG_THRESHOLD1, c.text)
                                          .SetText(IDC_ELEMDLG_THRESHOLD2, c.text)
                                          .Click(IDOK),
                                      lamp),
                  IDOK);
        EXPECT_EQ(lamp.m_Precision, c.precision) << c.text;
        EXPECT_DOUBLE_EQ(lamp.m_SplitRatio, c.splitRatio) << c.text;
        EXPECT_DOUBLE_EQ(lamp.m_Threshold1, c.threshold) << c.text;
        EXPECT_DOUBLE_EQ(lamp.m_Threshold2, c.threshold) << c.text;
    }
}

TEST_P(ValueDialogs, SampleButtonsPickFontsAndColoursAndListsPickCodes)
{
    KstSeams().chooseColor = [](CHOOSECOLORA& choice) {
        choice.rgbResult = 0x102030;
        return TRUE;
    };
    KstSeams().chooseFont = [](CHOOSEFONTA& choice) {
        choice.lpLogFont->lfHeight = -19;
        return TRUE;
    };
    CKSTValueElementSettings value;
    value.m_ValueFontIndex = 4;
    value.m_TitleFontIndex = 5;
    EXPECT_EQ(Run<CKSTLCDDialog>(CKSTDialogScript(IDCANCEL)
                                     .Click(IDC_ELEMDLG_VALUE_FONT)
                                     .Click(IDC_ELEMDLG_VALUE_TEXT_COLOR)
                                     .Click(IDC_ELEMDLG_FRAME_COLOR)
                                     .Select(IDC_ELEMDLG_VALUE_ALIGNMENT, 2)
                                     .Select(IDC_ELEMDLG_TITLE_POSITION, 3)
                                     .Click(IDC_ELEMDLG_FRAME)
                                     .Click(IDOK),
                                 value),
              IDOK);
    EXPECT_EQ(value.m_ValueFont.m_height, -19);
    EXPECT_EQ(value.m_ValueFontIndex, -1);
    EXPECT_EQ(value.m_TitleFontIndex, 5);
    EXPECT_EQ(value.m_ValueTextColor, 0x102030u);
    EXPECT_EQ(value.m_FrameColor, 0x102030u);
    EXPECT_EQ(value.m_TitleTextColor, CKSTValueElementSettings().m_TitleTextColor);
    EXPECT_EQ(value.m_ValueAlignment, 9u);
    EXPECT_EQ(value.m_TitleSide, 2u);
    EXPECT_EQ(value.m_Frame, 1u);

    CKSTValueElementSettings lamp;
    EXPECT_EQ(Run<CKSTLampDialog>(CKSTDialogScript(IDCANCEL)
                                      .Click(IDC_ELEMDLG_FONT)
                                      .Click(IDC_ELEMDLG_ACTIVE_COLOR2)
                                      .Click(IDC_ELEMDLG_LAMP_BACK_COLOR)
                                      .Select(IDC_ELEMDLG_OPERATOR2, 4)
                                      .Click(IDC_ELEMDLG_LAMP_TRANSPARENT)
                                      .Click(IDOK),
                                  lamp),
              IDOK);
    EXPECT_EQ(lamp.m_TitleFont.m_height, -19);
    EXPECT_EQ(lamp.m_LampActiveColor2, 0x102030u);
    EXPECT_EQ(lamp.m_ValueBackColor, 0x102030u);
    EXPECT_EQ(lamp.m_LampActiveColor1, CKSTValueElementSettings().m_LampActiveColor1);
    EXPECT_EQ(lamp.m_Operator2, 4u);
    EXPECT_EQ(lamp.m_ValueTransparent, 1u);
}

// What an element's owner runs: the dialog of the element's display type, taken on OK only.
TEST_P(ValueDialogs, OwnersRunTheDialogOfTheDisplayTypeAndTakeItOnOkOnly)
{
    for (uint32_t type : {0u, 1u}) {
        for (int end : {IDOK, IDCANCEL}) {
            CKSTValueElementSettings s;
            s.m_DisplayType = type;
            UINT shown = 0;
            const CKSTDialogScript script =
                CKSTDialogScript(IDCANCEL).SetText(IDC_ELEMDLG_SPLIT_RATIO, "0.25").Click(end);
            KstSeams().modalDriver = [&](KstModalRun& run) {
                shown = run.templateId;
                return script(run);
            };
            EXPECT_EQ(KstEditValueSettings(s, GetParam() ? 1 : 0), end);
            EXPECT_EQ(shown, type == 1 ? IDD_LAMP_SETTINGS : IDD_VALUE_SETTINGS);
            EXPECT_DOUBLE_EQ(s.m_SplitRatio, end == IDOK ? 0.25 : 0.5) << type;
        }
    }
}

TEST_P(ValueDialogs, TextsAreInTheLanguageAndFitTheirControls)
{
    struct Expected {
        int control;
        int text;
    };
    const std::vector<Expected> shared = {
        {IDC_ELEMDLG_TITLE_LABEL, KST_STR_ELEM_TEXT},
        {IDC_ELEMDLG_FONT_LABEL, KST_STR_ELEM_FONT},
        {IDC_ELEMDLG_TEXT_COLOR_LABEL, KST_STR_ELEM_TEXT_COLOR},
        {IDC_ELEMDLG_TITLE_BACK_COLOR_LABEL, KST_STR_ELEM_BACK_COLOR},
        {IDC_ELEMDLG_TITLE_TRANSPARENT_LABEL, KST_STR_ELEM_TRANSPARENT},
        {IDC_ELEMDLG_TITLE_POSITION_LABEL, KST_STR_ELEM_TITLE_POSITION},
        {IDC_ELEMDLG_ALIGNMENT_LABEL, KST_STR_ELEM_ALIGNMENT},
        {IDC_ELEMDLG_FRAME, KST_STR_ELEM_FRAME},
        {IDC_ELEMDLG_PRECISION_LABEL, KST_STR_ELEM_PRECISION},
        {IDC_ELEMDLG_SPLIT_RATIO_LABEL, KST_STR_ELEM_SPLIT_RATIO},
        {IDOK, KST_STR_ELEM_OK},
        {IDCANCEL, KST_STR_ELEM_CANCEL},
    };
    const std::vector<Expected> value = {
        {IDC_ELEMDLG_TITLE_SHOW_GROUP_LABEL, KST_STR_ELEM_SHOW_GROUP},
        {IDC_ELEMDLG_VALUE_GROUP, KST_STR_ELEM_VALUE},
        {IDC_ELEMDLG_VALUE_FONT_LABEL, KST_STR_ELEM_FONT},
        {IDC_ELEMDLG_VALUE_TEXT_COLOR_LABEL, KST_STR_ELEM_TEXT_COLOR},
        {IDC_ELEMDLG_BACK_COLOR_LABEL, KST_STR_ELEM_BACK_COLOR},
        {IDC_ELEMDLG_VALUE_TRANSPARENT_LABEL, KST_STR_ELEM_TRANSPARENT},
        {IDC_ELEMDLG_VALUE_ALIGNMENT_LABEL, KST_STR_ELEM_ALIGNMENT},
        {IDC_ELEMDLG_SHOW_UNIT_LABEL, KST_STR_ELEM_SHOW_UNIT},
        {IDC_ELEMDLG_FRAME_WIDTH_LABEL, KST_STR_ELEM_FRAME_WIDTH},
        {IDC_ELEMDLG_FRAME_COLOR_LABEL, KST_STR_ELEM_FRAME_COLOR},
    };
    const std::vector<Expected> lamp = {
        {IDC_ELEMDLG_ACTIVE_COLOR1_LABEL, KST_STR_LAMP_ACTIVE_COLOR1},
        {IDC_ELEMDLG_ACTIVE_COLOR2_LABEL, KST_STR_LAMP_ACTIVE_COLOR2},
        {IDC_ELEMDLG_PASSIVE_COLOR_LABEL, KST_STR_LAMP_PASSIVE_COLOR},
        {IDC_ELEMDLG_LAMP_BACK_COLOR_LABEL, KST_STR_ELEM_BACK_COLOR},
        {IDC_ELEMDLG_LAMP_TRANSPARENT_LABEL, KST_STR_ELEM_TRANSPARENT},
    };
    std::string caption;
    std::vector<std::string> wrong;
    std::vector<std::string> clipped;
    std::vector<std::string> overlaps;
    std::vector<std::string> kept;
    auto check = [&](const std::vector<Expected>& own, std::vector<int> keptIds) {
        return CKSTDialogScript(IDCANCEL).Run([&, own, keptIds](CWnd& dialog) {
            caption = DialogCaption(dialog);
            for (const auto* list : {&shared, &own}) {
                for (const Expected& e : *list) {
                    if (DialogItemText(dialog, e.control) != Text(e.text).c_str()) {
                        wrong.push_back(DialogItemText(dialog, e.control));
                    }
                }
            }
            for (int id : keptIds) {
                kept.push_back(DialogItemText(dialog, id));
            }
            clipped = ClippedTexts(dialog.m_hWnd);
            overlaps = OverlappingControls(dialog.m_hWnd);
        });
    };
    CKSTValueElementSettings s;
    EXPECT_EQ(Run<CKSTLCDDialog>(check(value, {IDC_ELEMDLG_CHANNEL_LABEL}), s), IDCANCEL);
    EXPECT_EQ(caption, Text(KST_STR_VALUE_CAPTION).c_str());
    EXPECT_TRUE(wrong.empty()) << wrong[0];
    EXPECT_TRUE(clipped.empty()) << clipped[0];
    EXPECT_TRUE(overlaps.empty()) << overlaps[0];
    EXPECT_EQ(Run<CKSTLampDialog>(check(lamp, {IDC_ELEMDLG_LAMP_GROUP}), s), IDCANCEL);
    EXPECT_EQ(caption, Text(KST_STR_LAMP_CAPTION).c_str());
    EXPECT_TRUE(wrong.empty()) << wrong[0];
    EXPECT_TRUE(clipped.empty()) << clipped[0];
    EXPECT_TRUE(overlaps.empty()) << overlaps[0];
    // The channel name's label and the lamp group keep their template texts.
    EXPECT_EQ(kept, (std::vector<std::string>{"Kannalname", "Lamp"}));
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ValueDialogs, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "English" : "German";
                         });

}  // namespace
}  // namespace kst_test
