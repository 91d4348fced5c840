// The bar and meter settings dialogs, run by a curve window through the modal seam in both
// languages: filled from the window, applied on OK, nothing on Cancel.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "curvewnd/Curve.h"
#include "curvewnd/YAxis.h"
#include "curvewnd/win/CurveWnd.h"
#include "data/Channel.h"
#include "dialog_text_fit.h"
#include "elements/win/ElementCurveDialogs.h"
#include "elements/win/InstrumentDialog.h"
#include "foundation/win/StringLoader.h"
#include "framework/OleDragDrop.h"
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

bool Checked(CWnd& dialog, int id)
{
    return IsDlgButtonChecked(dialog.m_hWnd, id) == BST_CHECKED;
}

// Each test runs once in German and once in English.
class InstrumentDialogs : public FrameworkTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        KstOleInit();
        const CKSTString name = KstRegisterWndClass(0, nullptr, GetSysColorBrush(COLOR_WINDOW));
        ASSERT_TRUE(host.CreateEx(0, name.c_str(), "Host", WS_POPUP, 40, 40, 420, 320, nullptr,
                                  nullptr));
        ASSERT_TRUE(window.Create("Instrument", WS_VISIBLE, RECT{0, 0, 400, 300}, &host));
        channel.SetName("u");
        channel.SetGroup("Rack");
        channel.SetUnit("V");
        for (int i = 0; i < 10; ++i) {
            channel.AppendValue(i * 0.5, false);
        }
        window.AddChannel(&channel, 2, 2);
        window.SetLanguage(GetParam() ? 1 : 0, false);
        window.SetDialogs(&dialogs);
    }
    void TearDown() override
    {
        window.ReleaseResources();
        host.DestroyWindow();
        FrameworkTest::TearDown();
    }

    CKSTString Text(int id) const { return LoadResString(id, GetParam()); }
    CKSTCurve& Curve() { return *window.GetCurve(0, true); }

    CWnd host;
    CKSTChannel channel;
    CKSTCurveWnd window;
    CKSTElementCurveDialogs dialogs{KstCurveWndDialogs()};
};

TEST_P(InstrumentDialogs, BarIsFilledFromTheWindowAndAppliedOnOk)
{
    window.SetDisplayKind(CKSTCurveWndCore::kDisplayBar, 0, "");
    window.SetLegendAlign(1, false);
    window.SetLegendGroup(true, false);
    window.SetLegendStyle(3, false);
    Curve().SetDisplayKind(CKSTCurve::kStyle3DBars, false);
    Curve().SetColor(0x00A0B0, false);
    window.SetModified(false);
    KstSeams().chooseColor = [](CHOOSECOLORA& choice) {
        choice.rgbResult = 0x123456;
        return TRUE;
    };
    std::string title;
    int alignment = -1;
    int displayType = -1;
    int titlePosition = -1;
    bool showGroup = false;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .Run([&](CWnd& dialog) {
                                     title = DialogItemText(dialog, IDC_ELEMDLG_TITLE);
                                     alignment = Selection(dialog, IDC_ELEMDLG_ALIGNMENT);
                                     displayType = Selection(dialog, IDC_ELEMDLG_DISPLAY_TYPE);
                                     titlePosition = Selection(dialog, IDC_ELEMDLG_TITLE_POSITION);
                                     showGroup = Checked(dialog, IDC_ELEMDLG_SHOW_GROUP);
                                 })
                                 .Select(IDC_ELEMDLG_ALIGNMENT, 0)
                                 .Select(IDC_ELEMDLG_DISPLAY_TYPE, 0)
                                 .Click(IDC_ELEMDLG_BAR_COLOR)
                                 .Click(IDC_ELEMDLG_SHOW_VALUE)
                                 .Click(IDOK);
    EXPECT_EQ(window.WindowSettings(), IDOK);
    EXPECT_EQ(title, "Rack:u");
    EXPECT_EQ(alignment, 2);
    EXPECT_EQ(displayType, 1);
    EXPECT_EQ(titlePosition, 0);
    EXPECT_TRUE(showGroup);
    EXPECT_EQ(window.Settings().m_LegendAlign, 0u);
    EXPECT_EQ(window.Settings().m_LegendStyle, 3u);
    EXPECT_EQ(Curve().GetDisplayKind(), CKSTCurve::kStyleBars);
    EXPECT_EQ(Curve().GetColor(), 0x123456u);
    EXPECT_TRUE(Curve().GetShowBarValue());
    EXPECT_TRUE(window.IsModified());
}

TEST_P(InstrumentDialogs, MeterTakesAnyScaleAngleAndTheChosenFontAndPointer)
{
    window.SetDisplayKind(CKSTCurveWndCore::kDisplayPointer, 0, "");
    window.GetAxis(0)->SetDialAngle(270.0);
    KstSeams().chooseFont = [](CHOOSEFONTA& choice) {
        choice.lpLogFont->lfHeight = -23;
        lstrcpyA(choice.lpLogFont->lfFaceName, "Courier New");
        return TRUE;
    };
    std::string angle;
    int pointerType = -1;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .Run([&](CWnd& dialog) {
                                     angle = DialogItemText(dialog, IDC_ELEMDLG_SCALE_ANGLE);
                                     pointerType = Selection(dialog, IDC_ELEMDLG_POINTER_TYPE);
                                 })
                                 .SetText(IDC_ELEMDLG_SCALE_ANGLE, "400")
                                 .Select(IDC_ELEMDLG_POINTER_TYPE, 0)
                                 .Click(IDC_ELEMDLG_FONT)
                                 .Click(IDOK);
    EXPECT_EQ(window.WindowSettings(), IDOK);
    EXPECT_EQ(angle, "270");
    EXPECT_EQ(pointerType, 1);
    EXPECT_DOUBLE_EQ(window.GetAxis(0)->GetDialAngle(), 400.0);
    EXPECT_EQ(Curve().GetDisplayKind(), CKSTCurve::kStyleNeedle);
    EXPECT_EQ(window.Settings().m_LegendFontDesc.m_height, -23);
    EXPECT_EQ(window.Settings().m_LegendFontDesc.m_faceName, "Courier New");
    EXPECT_TRUE(window.IsModified());
}

TEST_P(InstrumentDialogs, CancelAppliesNothing)
{
    for (uint32_t kind : {CKSTCurveWndCore::kDisplayBar, CKSTCurveWndCore::kDisplayPointer}) {
        window.SetDisplayKind(kind, 0, "");
        window.SetModified(false);
        CKSTCurveWndSettings before;
        window.GetSettings(before, false);
        const uint32_t style = Curve().GetDisplayKind();
        KstSeams().chooseColor = [](CHOOSECOLORA& choice) {
            choice.rgbResult = 0x654321;
            return TRUE;
        };
        KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                     .Select(IDC_ELEMDLG_ALIGNMENT, 2)
                                     .Click(IDC_ELEMDLG_TEXT_COLOR)
                                     .Click(IDC_ELEMDLG_GRADIENT)
                                     .Click(IDCANCEL);
        EXPECT_EQ(window.WindowSettings(), IDCANCEL);
        CKSTCurveWndSettings after;
        window.GetSettings(after, false);
        EXPECT_TRUE(after == before) << kind;
        EXPECT_EQ(Curve().GetDisplayKind(), style) << kind;
        EXPECT_FALSE(window.IsModified()) << kind;
    }
}

// A window without a title shows no title position ("Title top" is the only item); OK keeps it
// without a title.
TEST_P(InstrumentDialogs, UnlistedTitlePositionShowsNoSelectionAndIsKept)
{
    window.SetDisplayKind(CKSTCurveWndCore::kDisplayBar, 0, "");
    window.SetLegendStyle(4, false);
    window.SetModified(false);
    int titlePosition = 0;
    KstSeams().modalDriver =
        CKSTDialogScript(IDCANCEL)
            .Run([&](CWnd& dialog) {
                titlePosition = Selection(dialog, IDC_ELEMDLG_TITLE_POSITION);
            })
            .Click(IDOK);
    EXPECT_EQ(window.WindowSettings(), IDOK);
    EXPECT_EQ(titlePosition, CB_ERR);
    EXPECT_EQ(window.Settings().m_LegendStyle, 4u);
    EXPECT_FALSE(window.IsModified());
}

// The drop-downs of a dialog whose fields were not set show no selection.
TEST_P(InstrumentDialogs, UnsetDropDownsShowNoSelection)
{
    std::vector<int> selections;
    auto read = [&](std::vector<int> ids) {
        return [&selections, ids](CWnd& dialog) {
            for (int id : ids) {
                selections.push_back(Selection(dialog, id));
            }
        };
    };
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Run(
        read({IDC_ELEMDLG_TITLE_POSITION, IDC_ELEMDLG_ALIGNMENT, IDC_ELEMDLG_DISPLAY_TYPE}));
    CKSTBarDialog bar;
    EXPECT_EQ(bar.DoModal(), IDCANCEL);
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Run(
        read({IDC_ELEMDLG_TITLE_POSITION, IDC_ELEMDLG_ALIGNMENT, IDC_ELEMDLG_POINTER_TYPE}));
    CKSTMeterDialog meter;
    EXPECT_EQ(meter.DoModal(), IDCANCEL);
    EXPECT_EQ(selections, std::vector<int>(6, CB_ERR));
}

TEST_P(InstrumentDialogs, TextsAreInTheLanguageAndFitTheirControls)
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
        {IDC_ELEMDLG_ALIGNMENT_LABEL, KST_STR_ELEM_ALIGNMENT},
        {IDC_ELEMDLG_TITLE_POSITION_LABEL, KST_STR_ELEM_TITLE_POSITION},
        {IDC_ELEMDLG_BACK_COLOR_LABEL, KST_STR_ELEM_BACK_COLOR},
        {IDC_ELEMDLG_SHOW_GROUP_LABEL, KST_STR_ELEM_SHOW_GROUP},
        {IDC_ELEMDLG_GRADIENT, KST_STR_ELEM_GRADIENT},
        {IDOK, KST_STR_ELEM_OK},
        {IDCANCEL, KST_STR_ELEM_CANCEL},
    };
    struct Dialog {
        uint32_t kind;
        int caption;
        std::vector<Expected> own;
    };
    const Dialog dialogs[] = {
        {CKSTCurveWndCore::kDisplayBar,
         KST_STR_BAR_CAPTION,
         {{IDC_ELEMDLG_BAR_GROUP, KST_STR_BAR_GROUP},
          {IDC_ELEMDLG_DISPLAY_TYPE_LABEL, KST_STR_ELEM_DISPLAY_TYPE},
          {IDC_ELEMDLG_BAR_COLOR_LABEL, KST_STR_BAR_COLOR},
          {IDC_ELEMDLG_SHOW_VALUE_LABEL, KST_STR_ELEM_SHOW_VALUE}}},
        {CKSTCurveWndCore::kDisplayPointer,
         KST_STR_METER_CAPTION,
         {{IDC_ELEMDLG_POINTER_GROUP, KST_STR_METER_POINTER_GROUP},
          {IDC_ELEMDLG_POINTER_TYPE_LABEL, KST_STR_ELEM_DISPLAY_TYPE},
          {IDC_ELEMDLG_POINTER_COLOR_LABEL, KST_STR_METER_POINTER_COLOR},
          {IDC_ELEMDLG_SHOW_VALUE, KST_STR_ELEM_SHOW_VALUE},
          {IDC_ELEMDLG_SCALE_ANGLE_LABEL, KST_STR_METER_SCALE_ANGLE}}},
    };
    for (const Dialog& d : dialogs) {
        window.SetDisplayKind(d.kind, 0, "");
        std::string caption;
        std::vector<std::string> wrong;
        std::vector<std::string> clipped;
        std::vector<std::string> overlaps;
        KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Run([&](CWnd& dialog) {
            caption = DialogCaption(dialog);
            for (const auto* list : {&shared, &d.own}) {
                for (const Expected& e : *list) {
                    if (DialogItemText(dialog, e.control) != Text(e.text).c_str()) {
                        wrong.push_back(DialogItemText(dialog, e.control));
                    }
                }
            }
            clipped = ClippedTexts(dialog.m_hWnd);
            overlaps = OverlappingControls(dialog.m_hWnd);
        });
        EXPECT_EQ(window.WindowSettings(), IDCANCEL);
        EXPECT_EQ(caption, Text(d.caption).c_str());
        EXPECT_TRUE(wrong.empty()) << d.kind << ": " << (wrong.empty() ? "" : wrong[0]);
        EXPECT_TRUE(clipped.empty()) << d.kind << ": " << (clipped.empty() ? "" : clipped[0]);
        EXPECT_TRUE(overlaps.empty()) << d.kind << ": " << (overlaps.empty() ? "" : overlaps[0]);
    }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, InstrumentDialogs, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "English" : "German";
                         });

}  // namespace
}  // namespace kst_test
