#include <gtest/gtest.h>

#include "app/RecordLayout.h"

namespace {

using P = KstPane;

TEST(RecordLayout, ShowFlagsGiveRowsColumnsAndBottomOrder)
{
    struct Case {
        const char* name;
        KstPaneFlags flags;
        int rows, middleColumns;
        std::vector<KstPane> middle, bottom;
        int titleHeight, bottomHeight;
    };
    const KstPaneFlags none{false, false, false, false, false, false, false};
    KstPaneFlags titleOnly = none;
    titleOnly.title = true;
    KstPaneFlags commentOnly = none;
    commentOnly.comment = true;
    KstPaneFlags all{true, true, true, true, true, true, true};
    KstPaneFlags sideBySide = none;
    sideBySide.channelList = sideBySide.spectra = sideBySide.process = true;
    KstPaneFlags valueAndComment = none;
    valueAndComment.valueList = valueAndComment.comment = true;
    const Case cases[] = {
        {"nothing but the main display", none, 1, 1, {P::MainDisplay}, {}, 0, 0},
        {"title only", titleOnly, 2, 1, {P::MainDisplay}, {}, 50, 0},
        {"one bottom pane", commentOnly, 2, 1, {P::MainDisplay}, {P::Comment}, 0, 100},
        {"defaults", KstPaneFlags{}, 2, 1, {P::MainDisplay}, {P::Variables, P::Comment}, 0, 100},
        {"two bottom panes keep their order", valueAndComment, 2, 1, {P::MainDisplay},
         {P::ValueList, P::Comment}, 0, 100},
        {"side panes", sideBySide, 1, 3, {P::StructTree, P::MainDisplay, P::Spectrum}, {}, 0, 0},
        {"everything", all, 3, 3, {P::StructTree, P::MainDisplay, P::Spectrum},
         {P::ValueList, P::Variables, P::Comment}, 50, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const KstPaneGrid grid = KstPlanPanes(c.flags);
        EXPECT_EQ(grid.rows, c.rows);
        EXPECT_EQ(grid.middleColumns, c.middleColumns);
        EXPECT_EQ(grid.middle, c.middle);
        EXPECT_EQ(grid.bottom, c.bottom);
        EXPECT_EQ(grid.bottomPanes, static_cast<int>(c.bottom.size()));
        EXPECT_EQ(grid.titleHeight, c.titleHeight);
        EXPECT_EQ(grid.bottomHeight, c.bottomHeight);
        EXPECT_EQ(grid.HasOuterSplitter(), c.rows > 1);
        EXPECT_EQ(grid.MiddleRow(), c.flags.title ? 1 : 0);
        EXPECT_EQ(grid.BottomRow(), c.rows - 1);
    }
}

TEST(RecordLayout, MiddleRowTakesWhatIsLeftAndNeverGoesBelowZero)
{
    const struct {
        int available, title, bottom;
        KstRowHeights expected;
    } cases[] = {
        {600, 50, 100, {50, 450, 100}},
        {150, 50, 100, {50, 0, 100}},
        {0, 50, 100, {50, 0, 100}},    // a frame sized to nothing
        {-12, 50, 100, {50, 0, 100}},  // a client area the platform reports as negative
        {300, 0, 0, {0, 300, 0}},
        {300, 0, 100, {0, 200, 100}},
        {2147483647, 65535, 65535, {65535, 2147483647 - 2 * 65535, 65535}},
        {-2147483647 - 1, 65535, 65535, {65535, 0, 65535}},
    };
    for (const auto& c : cases) {
        const KstRowHeights rows = KstPlanRowHeights(c.available, c.title, c.bottom);
        EXPECT_EQ(rows.title, c.expected.title) << c.available;
        EXPECT_EQ(rows.middle, c.expected.middle) << c.available;
        EXPECT_EQ(rows.bottom, c.expected.bottom) << c.available;
    }
}

TEST(RecordLayout, DraggedRowsKeepTheirHeightUnlessShutOrUnknown)
{
    const KstStoredHeights stored{50, 100};
    const struct {
        const char* name;
        bool titleShown, bottomShown;
        int title, middle, bottom;
        KstStoredHeights expected;
    } cases[] = {
        {"both dragged", true, true, 70, 300, 130, {70, 130}},
        {"title dragged shut keeps its height", true, true, 0, 400, 120, {50, 120}},
        {"bottom dragged shut keeps its height", true, true, 60, 400, 0, {60, 100}},
        {"a negative reading changes nothing", true, true, -1, 300, 130, {50, 100}},
        {"an unknown middle row changes nothing", true, true, 70, -1, 130, {50, 100}},
        {"rows not shown are 0", false, false, -1, 300, -1, {0, 0}},
        {"only the bottom row", false, true, -1, 300, 90, {0, 90}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const KstStoredHeights taken =
            KstTakeDraggedHeights(stored, c.titleShown, c.bottomShown, c.title, c.middle, c.bottom);
        EXPECT_EQ(taken.title, c.expected.title);
        EXPECT_EQ(taken.bottom, c.expected.bottom);
    }
}

}  // namespace
