// The curve window's settings dialogs, run through the modal seam in both languages.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "curvewnd/Curve.h"
#include "curvewnd/CurveDialogMappings.h"
#include "curvewnd/CurveMenuTexts.h"
#include "curvewnd/LimitLine.h"
#include "curvewnd/PlotMarker.h"
#include "curvewnd/win/CurveDisplayDlg.h"
#include "curvewnd/win/CurvePopupMenu.h"
#include "curvewnd/win/LimitDlg.h"
#include "curvewnd/win/MarkerDlg.h"
#include "curvewnd/win/XAxisDlg.h"
#include "curvewnd/win/YAxisDlg.h"
#include "data/settings/SettingsColors.h"
#include "fake_dialog_window.h"
#include "foundation/win/StringLoader.h"
#include "framework/framework_test_support.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "support/win/DialogScript.h"

namespace kst_test {
namespace {

// Shown by the dialog's rules (the dialog itself is not shown while a script drives it).
bool Shown(CWnd& dialog, int id)
{
    return (GetWindowLongA(GetDlgItem(dialog.m_hWnd, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool Enabled(CWnd& dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog.m_hWnd, id)) != FALSE;
}

int ComboCount(CWnd& dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageA(dialog.m_hWnd, id, CB_GETCOUNT, 0, 0));
}

struct StringEntry {
    int id;
    const char* german;
    const char* english;
};

#define KST_STRING(name, id, german, english) {id, german, english},
constexpr StringEntry kDialogTexts[] = {
#include "resources/strings/curvewnd_dialogs.inc"
};
#undef KST_STRING

TEST(CurveDialogTexts, EveryStringIdExistsInBothLanguages)
{
    for (const StringEntry& entry : kDialogTexts) {
        EXPECT_STREQ(LoadResString(entry.id, false).c_str(), entry.german) << entry.id;
        EXPECT_STREQ(LoadResString(entry.id, true).c_str(), entry.english) << entry.id;
    }
    // The shared texts the dialogs use besides their own.
    for (int id : {KST_STR_OK, KST_STR_CANCEL}) {
        EXPECT_FALSE(LoadResString(id, false).IsEmpty()) << id;
        EXPECT_FALSE(LoadResString(id, true).IsEmpty()) << id;
    }
}

TEST(CurveDialogTexts, PopupMenusHoldTheirCommands)
{
    const struct {
        int menu;
        int items;
        int firstCommand;
    } menus[] = {{IDR_CURVE_POPUP, 13, ID_CURVE_STEP_REZOOM},
                 {IDR_BAR_POPUP, 2, ID_CURVE_BAR_SETTINGS},
                 {IDR_POINTER_POPUP, 2, ID_CURVE_POINTER_SETTINGS}};
    for (const auto& m : menus) {
        HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m.menu));
        ASSERT_NE(menu, nullptr) << m.menu;
        HMENU popup = GetSubMenu(menu, 0);
        EXPECT_EQ(GetMenuItemCount(popup), m.items) << m.menu;
        EXPECT_EQ(GetMenuItemID(popup, 0), static_cast<UINT>(m.firstCommand)) << m.menu;
        DestroyMenu(menu);
    }
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_CURVE_POPUP));
    HMENU popup = GetSubMenu(menu, 0);
    EXPECT_EQ(GetMenuItemID(GetSubMenu(popup, 10), 1), static_cast<UINT>(ID_CURVE_EDIT_Y_AXIS));
    EXPECT_EQ(GetMenuItemID(GetSubMenu(popup, 11), 7), static_cast<UINT>(ID_CURVE_EQUAL_HEIGHT));
    EXPECT_EQ(GetMenuItemID(GetSubMenu(popup, 12), 0),
              static_cast<UINT>(ID_CURVE_COPY_TO_CLIPBOARD));
    DestroyMenu(menu);
}

std::string MenuText(HMENU menu, UINT item, UINT flags)
{
    char text[256] = {};
    GetMenuStringA(menu, item, text, sizeof text, flags);
    return text;
}

// Every item of every popup menu gets its text in both languages, by command or position.
TEST(CurveDialogTexts, PopupMenusTakeTheirTextsInBothLanguages)
{
    HMODULE module = GetModuleHandleA(nullptr);
    for (bool english : {false, true}) {
        for (uint32_t kind : {0u, 2u, 4u}) {
            HMENU menu = KstLoadCurvePopupMenu(kind, english, module);
            ASSERT_NE(menu, nullptr);
            HMENU popup = GetSubMenu(menu, 0);
            int checked = 0;
            for (const KstCurveMenuText& entry : kKstCurveMenuTexts) {
                const std::string expected = LoadResString(entry.stringId, english).c_str();
                if (entry.command == 0) {
                    if (kind == 0) {
                        EXPECT_EQ(MenuText(popup, entry.position, MF_BYPOSITION), expected);
                        ++checked;
                    }
                } else if (GetMenuState(popup, entry.command, MF_BYCOMMAND) != 0xFFFFFFFF) {
                    EXPECT_EQ(MenuText(popup, entry.command, MF_BYCOMMAND), expected)
                        << entry.command;
                    ++checked;
                }
            }
            EXPECT_EQ(checked, kind == 0 ? 22 : 2) << kind;
            DestroyMenu(menu);
        }
    }
}

// Each test runs once in German and once in English.
class CurveDialogs : public FrameworkTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        window.english = GetParam();
        a = window.AddCurve("a");
        b = window.AddCurve("b", "A");
    }
    std::string Str(int id) const { return LoadResString(id, GetParam()).c_str(); }

    FakeDialogWindow window;
    CKSTCurve* a = nullptr;
    CKSTCurve* b = nullptr;
};

INSTANTIATE_TEST_SUITE_P(Languages, CurveDialogs, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "English" : "German"; });

// ---- X axis -------------------------------------------------------------------------------

TEST_P(CurveDialogs, XAxisTypeEntriesGiveDisplayKindAndAxisType)
{
    window.trackOption = true;
    const struct {
        int entry;
        uint32_t kind;
        uint32_t type;
    } cases[] = {
        {kKstXTypeAbsoluteTime, 0, CKSTXAxis::kTypeAbsoluteTime},
        {kKstXTypeRelativeTime, 0, CKSTXAxis::kTypeRelativeTime},
        {kKstXTypeXYDisplay, 1, CKSTXAxis::kTypeStandard},
        {kKstXTypeChannelAsAxis, 3, CKSTXAxis::kTypeStandard},
        {kKstXTypeTrack, 0, CKSTXAxis::kTypeTrack},
        {kKstXTypeStandard, 0, CKSTXAxis::kTypeStandard},
    };
    for (const auto& c : cases) {
        std::string caption;
        KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                     .Run([&](CWnd& dialog) { caption = DialogCaption(dialog); })
                                     .Select(IDC_XAXIS_TYPE, c.entry)
                                     .Select(IDC_XAXIS_CHANNEL, 1)
                                     .Click(IDOK);
        EXPECT_EQ(CKSTXAxisDlg::EditSettings(window), IDOK);
        EXPECT_EQ(caption, Str(KST_STR_CW_X_AXIS));
        EXPECT_EQ(window.displayKind, c.kind) << c.entry;
        EXPECT_EQ(window.xAxis.GetType(), c.type) << c.entry;
        if (c.kind != 0) {
            ASSERT_NE(window.xChannel, nullptr);
            EXPECT_STREQ(window.xChannel->GetName().c_str(), "b");
        }
    }
}

TEST_P(CurveDialogs, XAxisShortenedTypeListMapsEachEntryToItsOwnType)
{
    window.xAxis.SetNumericOnly(true);
    int entries = 0;
    KstSeams().modalDriver =
        CKSTDialogScript(IDCANCEL)
            .Run([&](CWnd& dialog) { entries = ComboCount(dialog, IDC_XAXIS_TYPE); })
            .Select(IDC_XAXIS_TYPE, 1)
            .Click(IDOK);
    EXPECT_EQ(CKSTXAxisDlg::EditSettings(window), IDOK);
    EXPECT_EQ(entries, 2);
    // The second entry is "Channel as Axis", never the second type of the full list.
    EXPECT_EQ(window.displayKind, 3u);
    EXPECT_EQ(window.xAxis.GetType(), CKSTXAxis::kTypeStandard);
}

TEST_P(CurveDialogs, XAxisRangeModes)
{
    const struct {
        int radio;
        int field;
        const char* text;
        uint32_t mode;
        double minimum;
        double maximum;
        double span;
    } cases[] = {
        {IDC_XAXIS_RANGE_MINMAX, IDC_XAXIS_MIN, "2", CKSTXAxis::kRangeMinMaxFixed, 2.0, 8.0, -1},
        {IDC_XAXIS_RANGE_SPAN, IDC_XAXIS_SPAN, "5", CKSTXAxis::kRangeSpanFixed, -1, -1, 5.0},
        {IDC_XAXIS_RANGE_POINTS, IDC_XAXIS_POINTS, "100", CKSTXAxis::kRangePointsFixed, -1, -1,
         100.0},
    };
    for (const auto& c : cases) {
        window.xAxis.SetRange(0.0, 10.0, CKSTXAxis::kRangeAutomatic, true);
        window.xAxis.SetRootRangeMode(CKSTXAxis::kRangeAutomatic);
        bool spanShown = false;
        KstSeams().modalDriver =
            CKSTDialogScript(IDCANCEL)
                .Click(c.radio)
                .Run([&](CWnd& dialog) { spanShown = Shown(dialog, IDC_XAXIS_SPAN); })
                .SetText(c.field, c.text)
                .SetText(IDC_XAXIS_MAX, "8")
                .Click(IDOK);
        EXPECT_EQ(CKSTXAxisDlg::EditSettings(window), IDOK);
        EXPECT_EQ(spanShown, c.mode == CKSTXAxis::kRangeSpanFixed);
        EXPECT_EQ(window.xAxis.GetRootRangeMode(), c.mode) << c.text;
        if (c.minimum >= 0) {
            EXPECT_DOUBLE_EQ(window.xAxis.GetRootMinimum(), c.minimum);
            EXPECT_DOUBLE_EQ(window.xAxis.GetRootMaximum(), c.maximum);
        } else {
            EXPECT_DOUBLE_EQ(window.xAxis.GetSpan(), c.span);
        }
        EXPECT_TRUE(window.Logged("rezoom"));
    }
    // Back to automatic: the window ranges itself again.
    window.calls.clear();
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Click(IDC_XAXIS_RANGE_AUTO).Click(IDOK);
    EXPECT_EQ(CKSTXAxisDlg::EditSettings(window), IDOK);
    EXPECT_EQ(window.xAxis.GetRootRangeMode(), CKSTXAxis::kRangeAutomatic);
    EXPECT_TRUE(window.Logged("x range"));
}

TEST_P(CurveDialogs, XAxisTicksAndRotation)
{
    window.xAxis.SetRange(0.0, 10.0, CKSTXAxis::kRangeMinMaxFixed, true);
    const double autoSpacing = window.xAxis.GetTickSpacing();
    const struct {
        const char* spacing;
        bool automatic;
        double expected;
    } ticks[] = {{"0.01", true, autoSpacing}, {"2", false, 2.0}};
    for (const auto& c : ticks) {
        window.xAxis.SetTicks(autoSpacing, false, true);
        KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                     .Click(IDC_XAXIS_TICKS_MANUAL)
                                     .SetText(IDC_XAXIS_SPACING, c.spacing)
                                     .Click(IDOK);
        EXPECT_EQ(CKSTXAxisDlg::EditSettings(window), IDOK);
        EXPECT_EQ(window.xAxis.IsAutoTicks(), c.automatic) << c.spacing;
        EXPECT_DOUBLE_EQ(window.xAxis.GetTickSpacing(), c.expected) << c.spacing;
    }
    const struct {
        const char* text;
        int16_t stored;
    } rotations[] = {{"270", -180}, {"45", 45}, {"-181", -180}, {"180", 180}};
    for (const auto& c : rotations) {
        KstSeams().modalDriver =
            CKSTDialogScript(IDCANCEL).SetText(IDC_XAXIS_ROTATION, c.text).Click(IDOK);
        EXPECT_EQ(CKSTXAxisDlg::EditSettings(window), IDOK);
        EXPECT_EQ(window.xAxis.GetLabelRotation(), c.stored) << c.text;
    }
    EXPECT_TRUE(window.modified);
}

TEST_P(CurveDialogs, XAxisRelativeTimeRangeFromDurations)
{
    window.xAxis.SetType(CKSTXAxis::kTypeRelativeTime);
    window.xAxis.SetRange(0.0, 10.0, CKSTXAxis::kRangeMinMaxFixed, true);
    std::string seconds;
    KstSeams().modalDriver =
        CKSTDialogScript(IDCANCEL)
            .Run([&](CWnd& dialog) { seconds = DialogItemText(dialog, IDC_XAXIS_MAX_SPAN + 6); })
            .SetText(IDC_XAXIS_MIN_SPAN + 6, "30")
            .SetText(IDC_XAXIS_MAX_SPAN + 2, "1")
            .Click(IDOK);
    EXPECT_EQ(CKSTXAxisDlg::EditSettings(window), IDOK);
    EXPECT_EQ(seconds, "10");
    EXPECT_DOUBLE_EQ(window.xAxis.GetRootMinimum(), 30.0);
    EXPECT_DOUBLE_EQ(window.xAxis.GetRootMaximum(), 3610.0);

    // A field that holds no number refuses OK with one message and leaves the axis alone.
    int messages = 0;
    KstSeams().messageBox = [&](const KstMessageBoxCall&) {
        ++messages;
        return IDOK;
    };
    KstSeams().modalDriver =
        CKSTDialogScript(IDCANCEL).SetText(IDC_XAXIS_MIN_SPAN + 2, "one").Click(IDOK);
    EXPECT_EQ(CKSTXAxisDlg::EditSettings(window), IDCANCEL);
    EXPECT_EQ(messages, 1);
    EXPECT_DOUBLE_EQ(window.xAxis.GetRootMinimum(), 30.0);
}

TEST_P(CurveDialogs, XAxisChannelAsAxisSpanOfAFlatChannelStaysFinite)
{
    auto flat = std::make_unique<CKSTChannel>();
    flat->SetName("flat");
    flat->SetDt(1.0);
    flat->AppendValues(4.0, false, 11);
    window.displayKind = 3;
    window.xChannel = flat.get();
    window.xAxis.SetSpan(5.0, CKSTXAxis::kRangeSpanFixed, true);
    CKSTXAxisDlg dialog(window);
    dialog.ExportToDialog(window.xAxis);
    EXPECT_TRUE(std::isfinite(dialog.m_span));
    EXPECT_DOUBLE_EQ(dialog.m_minimum, 4.0);
    window.xChannel = nullptr;
}

// ---- Y axis -------------------------------------------------------------------------------

TEST_P(CurveDialogs, YAxisSwitchToDecibelConvertsTheShownRange)
{
    CKSTYAxis& axis = *a->GetYAxis();
    axis.SetUnitPrefixMode(0);
    axis.SetRange(0.0, 10.0, false);
    std::string minimum;
    std::string maximum;
    std::string unit;
    std::string caption;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .Run([&](CWnd& dialog) { caption = DialogCaption(dialog); })
                                 .Select(IDC_YAXIS_TYPE, CKSTYAxis::kScaleDecibel)
                                 .Run([&](CWnd& dialog) {
                                     minimum = DialogItemText(dialog, IDC_YAXIS_MIN);
                                     maximum = DialogItemText(dialog, IDC_YAXIS_MAX);
                                     unit = DialogItemText(dialog, IDC_YAXIS_MIN_UNIT);
                                 });
    EXPECT_EQ(CKSTYAxisDlg::EditSettings(window, axis), IDCANCEL);
    EXPECT_EQ(caption, Str(KST_STR_CW_Y_AXIS) + ": a");
    EXPECT_EQ(minimum, "-100");
    EXPECT_EQ(maximum, "20");
    EXPECT_EQ(unit, "dB");
    EXPECT_EQ(axis.GetScaleType(), CKSTYAxis::kScaleLinear);
}

TEST_P(CurveDialogs, YAxisOkNextAppliesAndShowsTheNextAxis)
{
    CKSTYAxis& axis = *a->GetYAxis();
    std::string caption;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .Click(IDC_YAXIS_RANGE_MANUAL)
                                 .SetText(IDC_YAXIS_MIN, "1")
                                 .SetText(IDC_YAXIS_MAX, "4")
                                 .Click(IDC_YAXIS_LOWEST_ON_TOP)
                                 .Click(IDC_YAXIS_NEXT)
                                 .Run([&](CWnd& dialog) { caption = DialogCaption(dialog); });
    EXPECT_EQ(CKSTYAxisDlg::EditSettings(window, axis), IDCANCEL);
    EXPECT_FALSE(axis.IsAutoRange());
    EXPECT_DOUBLE_EQ(axis.GetMinimum(), 1.0);
    EXPECT_DOUBLE_EQ(axis.GetMaximum(), 4.0);
    EXPECT_TRUE(axis.IsLowestOnTop());
    EXPECT_EQ(caption, Str(KST_STR_CW_Y_AXIS) + ": b");
    EXPECT_TRUE(window.modified);
}

TEST_P(CurveDialogs, YAxisLogarithmicRangeAndUnitEditing)
{
    CKSTYAxis& axis = *a->GetYAxis();
    axis.SetUnitPrefixMode(0);
    const struct {
        bool editUnits;
        const char* expectedUnit;
    } cases[] = {{false, "V"}, {true, "mV"}};
    for (const auto& c : cases) {
        window.editUnits = c.editUnits;
        bool readOnly = !c.editUnits;
        KstSeams().modalDriver =
            CKSTDialogScript(IDCANCEL)
                .Run([&](CWnd& dialog) {
                    readOnly =
                        (GetWindowLongA(GetDlgItem(dialog.m_hWnd, IDC_YAXIS_UNIT), GWL_STYLE) &
                         ES_READONLY) != 0;
                })
                .Select(IDC_YAXIS_TYPE, CKSTYAxis::kScaleLogarithmic)
                .Click(IDC_YAXIS_RANGE_MANUAL)
                .SetText(IDC_YAXIS_MIN, "1")
                .SetText(IDC_YAXIS_MAX, "1000")
                .SetText(IDC_YAXIS_UNIT, "mV")
                .Click(IDOK);
        EXPECT_EQ(CKSTYAxisDlg::EditSettings(window, axis), IDOK);
        EXPECT_EQ(readOnly, !c.editUnits);
        EXPECT_EQ(axis.GetScaleType(), CKSTYAxis::kScaleLogarithmic);
        EXPECT_NEAR(axis.GetMinimum(), 0.0, 1e-12);
        EXPECT_NEAR(axis.GetMaximum(), 3.0, 1e-12);
        EXPECT_STREQ(axis.GetUnit().c_str(), c.expectedUnit);
        EXPECT_STREQ(a->GetChannel()->GetUnit().c_str(), c.expectedUnit);
    }
}

// ---- Curve display ------------------------------------------------------------------------

TEST_P(CurveDialogs, CurveDisplayOkForAllLeavesNamesAndExplicitColours)
{
    a->SetColor(0x112233, false);
    // A colour chosen in the dialog goes to no curve either.
    KstSeams().chooseColor = [](CHOOSECOLORA& choice) {
        choice.rgbResult = 0x445566;
        return TRUE;
    };
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .SetText(IDC_CURVEDLG_NAME, "renamed")
                                 .Click(IDC_CURVEDLG_COLOR)
                                 .Select(IDC_CURVEDLG_SYMBOL, CKSTCurve::kSymbolSquare)
                                 .Click(IDC_CURVEDLG_OK_FOR_ALL);
    EXPECT_EQ(CKSTCurveDisplayDlg::OpenDisplayDialog(window, *a), IDOK);
    EXPECT_STREQ(a->GetChannelName().c_str(), "a");
    EXPECT_STREQ(b->GetChannelName().c_str(), "b");
    EXPECT_EQ(a->GetOwnColor(), 0x112233u);
    EXPECT_EQ(b->GetOwnColor(), KST_COLOR_AUTOMATIC);
    EXPECT_EQ(a->GetSymbol(), CKSTCurve::kSymbolSquare);
    EXPECT_EQ(b->GetSymbol(), CKSTCurve::kSymbolSquare);
    EXPECT_TRUE(window.Logged("updates off"));
    EXPECT_TRUE(window.Logged("updates on"));
}

TEST_P(CurveDialogs, CurveDisplayStyleRulesAndApply)
{
    const struct {
        int style;
        int lineStyle;
        bool lineStyleEnabled;
        bool eventsShown;
        uint32_t code;
    } cases[] = {
        {kKstStyleBars, kKstLineSolid, false, false, CKSTCurve::kStyleBars},
        {kKstStyleEventTexts, kKstLineSolid, false, true, CKSTCurve::kStyleEventTexts},
        {kKstStyleSteps, kKstLineDash, true, false, CKSTCurve::kStyleDashSteps},
        {kKstStyleLine, kKstLineThick, true, false, CKSTCurve::kStyleThickLines},
    };
    for (const auto& c : cases) {
        bool lineStyleEnabled = !c.lineStyleEnabled;
        bool eventsShown = !c.eventsShown;
        std::string caption;
        KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                     .Select(IDC_CURVEDLG_STYLE, c.style)
                                     .Select(IDC_CURVEDLG_LINE_STYLE, c.lineStyle)
                                     .SetText(IDC_CURVEDLG_DECIMALS, "3")
                                     .Run([&](CWnd& dialog) {
                                         caption = DialogCaption(dialog);
                                         lineStyleEnabled =
                                             Enabled(dialog, IDC_CURVEDLG_LINE_STYLE);
                                         eventsShown = Shown(dialog, IDC_CURVEDLG_EVENTS);
                                     })
                                     .Click(IDOK);
        EXPECT_EQ(CKSTCurveDisplayDlg::OpenDisplayDialog(window, *b), IDOK);
        EXPECT_EQ(caption, Str(KST_STR_CW_CURVE_OPTIONS));
        EXPECT_EQ(lineStyleEnabled, c.lineStyleEnabled) << c.style;
        EXPECT_EQ(eventsShown, c.eventsShown) << c.style;
        EXPECT_EQ(b->GetDisplayKind(), c.code) << c.style;
        EXPECT_EQ(b->GetDecimals(), 3);
    }
    // "auto" and anything else that is no whole number make the decimals automatic; a cleared
    // visible box hides the curve.
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .SetText(IDC_CURVEDLG_DECIMALS, "auto")
                                 .Click(IDC_CURVEDLG_VISIBLE)
                                 .Click(IDOK);
    EXPECT_EQ(CKSTCurveDisplayDlg::OpenDisplayDialog(window, *b), IDOK);
    EXPECT_EQ(b->GetDecimals(), -1);
    EXPECT_EQ(b->GetCurveKind(), CKSTCurve::kKindHidden);
}

TEST_P(CurveDialogs, CurveDisplayRenamesWithoutTheGroupShownBeforeTheName)
{
    window.settings.m_LegendGroup = 1;
    CKSTCurve* c = window.AddCurve("c", "V", 0, "g");
    std::string shown;
    KstSeams().modalDriver =
        CKSTDialogScript(IDCANCEL)
            .Run([&](CWnd& dialog) { shown = DialogItemText(dialog, IDC_CURVEDLG_NAME); })
            .SetText(IDC_CURVEDLG_NAME, "g: speed")
            .Click(IDOK);
    EXPECT_EQ(CKSTCurveDisplayDlg::OpenDisplayDialog(window, *c), IDOK);
    EXPECT_EQ(shown, "g: c");
    EXPECT_STREQ(c->GetChannelName().c_str(), "speed");
}

// ---- Limit lines --------------------------------------------------------------------------

TEST_P(CurveDialogs, LimitNewLineWithAutoColourScaledByTheAxisExponent)
{
    a->GetYAxis()->SetRange(0.0, 5000.0, false);
    ASSERT_EQ(a->GetYAxis()->GetLabelExponent(), 3);
    std::string caption;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .Run([&](CWnd& dialog) { caption = DialogCaption(dialog); })
                                 .SetText(IDC_LIMIT_VALUE, "2")
                                 .Select(IDC_LIMIT_LINE_STYLE, CKSTLimitLine::kDot)
                                 .Click(IDOK);
    EXPECT_EQ(CKSTLimitDlg::CreateLimit(window, nullptr), IDOK);
    EXPECT_EQ(caption, Str(KST_STR_CWD_LIMIT_CAPTION));
    ASSERT_EQ(a->GetLevelLineCount(), 1);
    const CKSTLimitLine* line = a->GetLevelLine(0);
    EXPECT_DOUBLE_EQ(line->GetValue(), 2000.0);
    EXPECT_EQ(line->GetColour(), KST_COLOR_AUTOMATIC);
    EXPECT_EQ(line->GetLineStyle(), CKSTLimitLine::kDot);

    // Opened again it shows the value in the axis' units.
    std::string value;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Run(
        [&](CWnd& dialog) { value = DialogItemText(dialog, IDC_LIMIT_VALUE); });
    EXPECT_EQ(CKSTLimitDlg::CreateLimit(window, a->GetLevelLine(0)), IDCANCEL);
    EXPECT_EQ(value, "2");
}

TEST_P(CurveDialogs, LimitMovedToAnotherCurveAndSteppedFromThere)
{
    CKSTLimitLine line;
    line.SetValue(1.0);
    a->AddLevelLine(line, false);
    std::string value;
    KstSeams().modalDriver =
        CKSTDialogScript(IDCANCEL)
            .Select(IDC_LIMIT_CURVE, 1)
            .SetText(IDC_LIMIT_VALUE, "3")
            .Click(IDC_LIMIT_NEXT)
            .Run([&](CWnd& dialog) { value = DialogItemText(dialog, IDC_LIMIT_VALUE); });
    EXPECT_EQ(CKSTLimitDlg::CreateLimit(window, a->GetLevelLine(0)), IDCANCEL);
    EXPECT_EQ(a->GetLevelLineCount(), 0);
    ASSERT_EQ(b->GetLevelLineCount(), 1);
    EXPECT_DOUBLE_EQ(b->GetLevelLine(0)->GetValue(), 3.0);
    // The only line of the curve comes again.
    EXPECT_EQ(value, "3");

    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Click(IDC_LIMIT_DELETE);
    EXPECT_EQ(CKSTLimitDlg::CreateLimit(window, b->GetLevelLine(0)), IDOK);
    EXPECT_EQ(b->GetLevelLineCount(), 0);
}

// ---- Markers ------------------------------------------------------------------------------

TEST_P(CurveDialogs, MarkerLockedOpensWithEveryControlDisabled)
{
    CKSTPlotMarker marker;
    marker.SetText("fixed");
    marker.SetPosition(4.0);
    marker.SetLocked(true);
    a->AddEventCopy(marker, false);
    CKSTPlotMarker before;
    before.CopyFrom(*a->GetEvent(0));
    std::vector<int> enabled;
    bool deleteShown = true;
    std::string caption;
    KstSeams().modalDriver =
        CKSTDialogScript(IDCANCEL)
            .Run([&](CWnd& dialog) {
                caption = DialogCaption(dialog);
                for (int id :
                     {IDC_MARKER_TEXT, IDC_MARKER_ADJUST, IDC_MARKER_X, IDC_MARKER_TYPE,
                      IDC_MARKER_ROTATION, IDC_MARKER_CURVE, IDC_MARKER_FRAME, IDC_MARKER_POINTER,
                      IDC_MARKER_TEXT_COLOR, IDC_MARKER_TEXT_COLOR_AUTO, IDC_MARKER_BACK_COLOR,
                      IDC_MARKER_BACK_MODE, IDC_MARKER_FONT, IDC_MARKER_DEFAULT}) {
                    if (Enabled(dialog, id)) {
                        enabled.push_back(id);
                    }
                }
                deleteShown = Shown(dialog, IDC_MARKER_DELETE);
            })
            .SetText(IDC_MARKER_X, "7")
            .Click(IDOK);
    EXPECT_EQ(CKSTMarkerDlg::CreateMarker(window, a->GetEvent(0)), IDOK);
    EXPECT_EQ(caption, Str(KST_STR_CWD_MARKER_CAPTION));
    EXPECT_TRUE(enabled.empty()) << enabled.size() << " controls enabled";
    EXPECT_FALSE(deleteShown);
    ASSERT_EQ(a->GetEventCount(), 1);
    EXPECT_TRUE(*a->GetEvent(0) == before);
}

TEST_P(CurveDialogs, MarkerNewOneAtTheLeftCursorWithTheDefaultLook)
{
    window.leftCursor = 3.2;
    bool rotationShown = true;
    KstSeams().modalDriver =
        CKSTDialogScript(IDCANCEL)
            .Run([&](CWnd& dialog) { rotationShown = Shown(dialog, IDC_MARKER_ROTATION); })
            .SetText(IDC_MARKER_TEXT, "peak")
            .Click(IDOK);
    EXPECT_EQ(CKSTMarkerDlg::CreateMarker(window, nullptr), IDOK);
    EXPECT_FALSE(rotationShown);
    ASSERT_EQ(a->GetEventCount(), 1);
    const CKSTPlotMarker& made = *a->GetEvent(0);
    EXPECT_STREQ(made.GetText().c_str(), "peak");
    EXPECT_EQ(made.GetType(), CKSTPlotMarker::kOnCurve);
    EXPECT_TRUE(made.HasFrame());
    EXPECT_TRUE(made.HasPointer());
    EXPECT_EQ(made.GetTextColour(), KST_COLOR_AUTOMATIC);
    EXPECT_EQ(made.GetBackgroundColour(), KST_COLOR_AUTOMATIC);
    EXPECT_EQ(made.GetAngle(), 0);
    // Moved to the nearest sample.
    EXPECT_DOUBLE_EQ(made.GetTime(), 3.0);
    EXPECT_TRUE(made.IsAtDataPoint());
}

TEST_P(CurveDialogs, MarkerOkNextAfterAChangeOfCurveStepsFromTheMovedMarker)
{
    for (double time : {2.0, 1.0, 5.0}) {
        CKSTPlotMarker marker;
        marker.SetPosition(time);
        (time == 2.0 ? a : b)->AddEventCopy(marker, false);
    }
    std::string shown;
    KstSeams().modalDriver =
        CKSTDialogScript(IDCANCEL)
            .Select(IDC_MARKER_CURVE, 1)
            .Click(IDC_MARKER_NEXT)
            .Run([&](CWnd& dialog) { shown = DialogItemText(dialog, IDC_MARKER_X); });
    EXPECT_EQ(CKSTMarkerDlg::CreateMarker(window, a->GetEvent(0)), IDCANCEL);
    EXPECT_EQ(a->GetEventCount(), 0);
    ASSERT_EQ(b->GetEventCount(), 3);
    EXPECT_DOUBLE_EQ(b->GetEvent(1)->GetTime(), 2.0);
    EXPECT_EQ(shown, "5");
}

TEST_P(CurveDialogs, MarkerOnAnAbsoluteTimeAxisKeepsItsTimeThroughTheDialog)
{
    window.xAxis.SetType(CKSTXAxis::kTypeAbsoluteTime);
    window.xAxis.SetReferenceTime(CKSTTimeStamp(2024, 1, 2, 3, 4, 5.0));
    CKSTPlotMarker marker;
    marker.SetPosition(70.25);
    marker.SetAtDataPoint(false);
    a->AddEventCopy(marker, false);
    bool numberShown = true;
    bool dateShown = false;
    std::string fraction;
    bool adjusted = true;
    SYSTEMTIME shown{};
    KstSeams().modalDriver =
        CKSTDialogScript(IDCANCEL)
            .Run([&](CWnd& dialog) {
                numberShown = Shown(dialog, IDC_MARKER_X);
                dateShown = Shown(dialog, IDC_MARKER_X_DATE);
                fraction = DialogItemText(dialog, IDC_MARKER_X_FRACTION);
                SendDlgItemMessageA(dialog.m_hWnd, IDC_MARKER_X_TIME, DTM_GETSYSTEMTIME, 0,
                                    reinterpret_cast<LPARAM>(&shown));
                adjusted = IsDlgButtonChecked(dialog.m_hWnd, IDC_MARKER_ADJUST) == BST_CHECKED;
            })
            .Click(IDOK);
    EXPECT_EQ(CKSTMarkerDlg::CreateMarker(window, a->GetEvent(0)), IDOK);
    EXPECT_FALSE(adjusted);
    EXPECT_FALSE(numberShown);
    EXPECT_TRUE(dateShown);
    EXPECT_EQ(fraction, "0.25");
    EXPECT_EQ(shown.wHour, 3);
    EXPECT_EQ(shown.wMinute, 5);
    EXPECT_EQ(shown.wSecond, 15);
    ASSERT_EQ(a->GetEventCount(), 1);
    EXPECT_NEAR(a->GetEvent(0)->GetTime(), 70.25, 1e-6);
}

TEST_P(CurveDialogs, MarkerShowsItsBackgroundAndTypeChoices)
{
    const struct {
        uint32_t background;
        uint32_t type;
        int backIndex;
        int typeIndex;
        bool rotationShown;
    } cases[] = {
        {KST_COLOR_AUTOMATIC, CKSTPlotMarker::kOnCurve, 0, 0, false},
        {KST_COLOR_NONE, CKSTPlotMarker::kOnWindow, 2, 1, true},
        {0x00FF00, CKSTPlotMarker::kVerticalLine, 1, 2, false},
    };
    for (const auto& c : cases) {
        CKSTPlotMarker marker;
        marker.SetBackgroundColour(c.background);
        marker.SetType(c.type);
        a->RemoveEventsInSpan(0.0, 0.0);
        a->AddEventCopy(marker, false);
        int backIndex = -1;
        int typeIndex = -1;
        bool rotationShown = !c.rotationShown;
        KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Run([&](CWnd& dialog) {
            backIndex = static_cast<int>(
                SendDlgItemMessageA(dialog.m_hWnd, IDC_MARKER_BACK_MODE, CB_GETCURSEL, 0, 0));
            typeIndex = static_cast<int>(
                SendDlgItemMessageA(dialog.m_hWnd, IDC_MARKER_TYPE, CB_GETCURSEL, 0, 0));
            rotationShown = Shown(dialog, IDC_MARKER_ROTATION);
        });
        EXPECT_EQ(CKSTMarkerDlg::CreateMarker(window, a->GetEvent(0)), IDCANCEL);
        EXPECT_EQ(backIndex, c.backIndex);
        EXPECT_EQ(typeIndex, c.typeIndex);
        EXPECT_EQ(rotationShown, c.rotationShown);
        // OK with nothing changed gives the same background back.
        KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Click(IDOK);
        EXPECT_EQ(CKSTMarkerDlg::CreateMarker(window, a->GetEvent(0)), IDOK);
        EXPECT_EQ(a->GetEvent(0)->GetBackgroundColour(), c.background);
        EXPECT_EQ(a->GetEvent(0)->GetType(), c.type);
    }
}

TEST_P(CurveDialogs, MarkerDeletePostsTheCurveIndex)
{
    CKSTPlotMarker marker;
    marker.SetPosition(1.0);
    b->AddEventCopy(marker, false);
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Click(IDC_MARKER_DELETE);
    EXPECT_EQ(CKSTMarkerDlg::CreateMarker(window, b->GetEvent(0)), IDOK);
    EXPECT_EQ(b->GetEventCount(), 0);
    ASSERT_EQ(window.posted.size(), 1u);
    EXPECT_EQ(window.posted[0].event, IKSTCurveDialogHost::kEventMarkerDeleted);
    EXPECT_EQ(window.posted[0].parameter, 1);
}

TEST(CurveDialogEntries, MarkerAndLimitWithoutCurvesReturnCancel)
{
    FakeDialogWindow empty;
    EXPECT_EQ(CKSTMarkerDlg::CreateMarker(empty, nullptr), IDCANCEL);
    EXPECT_EQ(CKSTLimitDlg::CreateLimit(empty, nullptr), IDCANCEL);
}

}  // namespace
}  // namespace kst_test
