// The window-settings dialogs' values: filled from a curve window, applied back only where they
// changed, with the choice mappings of legend, title alignment, picture position and structure.
#include "curvewnd/CurveWndOptions.h"

#include <gtest/gtest.h>

#include "curvewnd/YAxis.h"
#include "recording_curve_wnd.h"

namespace {

TEST(CurveWndOptionsTest, UnchangedValuesChangeNothing)
{
    ChannelPool pool;
    RecordingCurveWnd window;
    window.AddChannel(pool.Add("u", "V"), 2, 2);
    KstBackgroundOptions background;
    KstFillBackgroundOptions(window, background);
    EXPECT_FALSE(KstApplyBackgroundOptions(window, background));
    KstInstrumentOptions instrument;
    KstFillInstrumentOptions(window, instrument);
    EXPECT_FALSE(KstApplyInstrumentOptions(window, instrument));
    EXPECT_FALSE(window.IsModified());
}

TEST(CurveWndOptionsTest, BackgroundChoicesMapToTheWindow)
{
    struct Case {
        int legendChoice;
        uint32_t legendStyle;
        int row, column;
        uint32_t placement;
    };
    const Case cases[] = {
        {0, 1, 0, 0, 5},  {1, 2, 0, 2, 7},  {2, 0, 2, 0, 8},
        {0, 1, 2, 2, 10}, {1, 2, 1, 0, 11}, {2, 0, 1, 2, 13},
    };
    for (const Case& c : cases) {
        ChannelPool pool;
        RecordingCurveWnd window;
        window.AddChannel(pool.Add("u", "V"), 2, 2);
        KstBackgroundOptions options;
        KstFillBackgroundOptions(window, options);
        options.legendChoice = c.legendChoice;
        options.pictureRow = c.row;
        options.pictureColumn = c.column;
        options.showGrid = !options.showGrid;
        KstApplyBackgroundOptions(window, options);
        EXPECT_TRUE(window.IsModified());
        EXPECT_EQ(window.Settings().m_LegendStyle, c.legendStyle) << c.legendChoice;
        EXPECT_EQ(window.Settings().m_ImagePlacement, c.placement) << c.row << c.column;
        KstBackgroundOptions back;
        KstFillBackgroundOptions(window, back);
        EXPECT_EQ(back.legendChoice, c.legendChoice);
        EXPECT_EQ(back.pictureRow, c.row);
        EXPECT_EQ(back.pictureColumn, c.column);
        EXPECT_EQ(back.showGrid, options.showGrid);
    }
}

TEST(CurveWndOptionsTest, InstrumentTitleAlignmentAndStyle)
{
    struct Case {
        uint32_t displayKind;
        int titleAlign;
        uint32_t legendAlign;
        int style;
        uint32_t curveStyle;
    };
    const Case cases[] = {
        {CKSTCurveWndCore::kDisplayBar, 0, 0, 1, CKSTCurve::kStyle3DBars},
        {CKSTCurveWndCore::kDisplayBar, 1, 4, 0, CKSTCurve::kStyleBars},
        {CKSTCurveWndCore::kDisplayPointer, 2, 1, 1, CKSTAxisGroup::kStylePointer},
        {CKSTCurveWndCore::kDisplayPointer, 1, 4, 0, CKSTCurve::kStyleNeedle},
    };
    for (const Case& c : cases) {
        ChannelPool pool;
        RecordingCurveWnd window;
        window.AddChannel(pool.Add("u", "V", "Rack"), 2, 2);
        window.SetDisplayKind(c.displayKind, 0, "");
        KstInstrumentOptions options;
        KstFillInstrumentOptions(window, options);
        EXPECT_EQ(options.titleText, "u");
        options.titleAlign = c.titleAlign;
        options.style = 1 - c.style;
        KstApplyInstrumentOptions(window, options);
        options.style = c.style;
        options.title = true;
        options.showGroup = true;
        KstApplyInstrumentOptions(window, options);
        EXPECT_EQ(window.Settings().m_LegendAlign, c.legendAlign);
        EXPECT_EQ(window.Settings().m_LegendStyle, 4u);
        EXPECT_EQ(window.GetCurve(0, true)->GetDisplayKind(), c.curveStyle);
        KstInstrumentOptions back;
        KstFillInstrumentOptions(window, back);
        EXPECT_EQ(back.titleAlign, c.titleAlign);
        EXPECT_EQ(back.style, c.style);
        EXPECT_EQ(back.titleText, "Rack:u");
        EXPECT_TRUE(window.IsModified());
    }
}

// Any angle is taken, also outside the range the meter dialog names; a bar display has none.
TEST(CurveWndOptionsTest, PointerScaleAngleIsTheFirstYAxisDialAngle)
{
    for (uint32_t kind : {CKSTCurveWndCore::kDisplayPointer, CKSTCurveWndCore::kDisplayBar}) {
        ChannelPool pool;
        RecordingCurveWnd window;
        window.AddChannel(pool.Add("u", "V"), 2, 2);
        window.SetDisplayKind(kind, 0, "");
        CKSTYAxis& axis = *window.GetAxis(0);
        axis.SetDialAngle(180.0);
        const bool pointer = kind == CKSTCurveWndCore::kDisplayPointer;
        KstInstrumentOptions options;
        KstFillInstrumentOptions(window, options);
        EXPECT_DOUBLE_EQ(options.scaleAngle, pointer ? 180.0 : 0.0) << kind;
        options.scaleAngle = 400.0;
        EXPECT_EQ(KstApplyInstrumentOptions(window, options), pointer) << kind;
        EXPECT_DOUBLE_EQ(axis.GetDialAngle(), pointer ? 400.0 : 180.0) << kind;
        EXPECT_EQ(window.IsModified(), pointer) << kind;
    }
}

TEST(CurveWndOptionsTest, StructureChoicesAndModesAreInverse)
{
    const int choices[] = {0, 1, 3, 4, 2};
    for (uint32_t mode = 0; mode < 5; ++mode) {
        EXPECT_EQ(KstStructureChoiceOfMode(mode), choices[mode]);
        EXPECT_EQ(KstStructureModeOfChoice(choices[mode]), mode);
    }
    EXPECT_EQ(KstStructureModeOfChoice(7), 0u);
}

TEST(CurveWndOptionsTest, StructurePageRebuildsTheWindowAndPostsEvent17)
{
    ChannelPool pool;
    CKSTChannelList list;
    list.AddPointer(pool.Add("u", "V"), false);
    list.AddPointer(pool.Add("i", "A"), false);
    RecordingCurveWnd window;
    window.AddChannels(list);
    ASSERT_EQ(window.GetGroupCount(), 2);
    CKSTCurveWndSettings edited;
    window.GetSettings(edited, false);
    window.ClearRecords();
    KstApplyStructurePage(window, KstStructureChoiceOfMode(window.GetArrangeMode()), edited);
    EXPECT_FALSE(window.IsModified());
    EXPECT_EQ(window.events, std::vector<uint32_t>{CKSTCurveWndCore::kEventStructureChanged});
    EXPECT_EQ(window.GetCurveCount(), 2);

    // Another arrangement marks the window modified: one group with an axis per curve.
    KstApplyStructurePage(window, KstStructureChoiceOfMode(2), edited);
    EXPECT_TRUE(window.IsModified());
    EXPECT_EQ(window.GetCurveCount(), 2);
}

}  // namespace
