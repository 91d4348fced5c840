// Matrix channel accessors at corners, edges and interior points of a 4 x 3 grid:
//   row 0 (y = 100):  1  2  3  4
//   row 1 (y = 110):  5  6  7  8
//   row 2 (y = 120):  9 10 11 12
// with columns at t = 0, 1, 2, 3.
#include "data/Channel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr uint32_t kAll = CKSTChannel::kWholeChannel;

CKSTChannel Matrix(uint32_t columns, const std::vector<double>& values)
{
    CKSTChannel channel;
    channel.SetTimeBaseType(CKSTChannel::kMatrix);
    channel.SetMatrixRowLength(columns);
    channel.SetT0(0.0);
    channel.SetDt(1.0);
    channel.SetSecondAxisOrigin(100.0);
    channel.SetSecondAxisStep(10.0);
    channel.AppendValues(0.0, false, static_cast<uint32_t>(values.size()));
    for (size_t i = 0; i < values.size(); ++i) {
        channel.SetValueAt(static_cast<uint32_t>(i), values[i]);
    }
    return channel;
}

CKSTChannel Grid()
{
    return Matrix(4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
}

TEST(ChannelMatrixTest, IndexRangesExcludeTheColumnAtTheirStart)
{
    const CKSTChannel grid = Grid();
    struct Case {
        const char* name;
        bool rows;
        double a, b;
        bool found;
        uint32_t first, last;
    };
    const Case cases[] = {
        {"one step from t0", false, 0.0, 1.0, true, 1, 1},
        {"starting before t0", false, -0.5, 1.0, true, 0, 1},
        {"between columns", false, 0.5, 2.5, true, 1, 2},
        {"adjacent window", false, 1.0, 2.0, true, 2, 2},
        {"beyond both ends", false, -1.0, 100.0, true, 0, 3},
        {"after the last column", false, 3.5, 9.0, false, 0, 0},
        {"before t0", false, -5.0, -1.0, false, 0, 0},
        {"empty window", false, 2.0, 2.0, false, 0, 0},
        {"not a number", false, kNaN, 2.0, false, 0, 0},
        {"rows: one step", true, 100.0, 110.0, true, 1, 1},
        {"rows: all", true, 95.0, 125.0, true, 0, 2},
        {"rows: above the last", true, 130.0, 200.0, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint32_t first = 99, last = 99;
        const bool found = c.rows ? grid.GetRowRange(c.a, c.b, first, last)
                                  : grid.GetColumnRange(c.a, c.b, first, last);
        EXPECT_EQ(c.found, found);
        if (c.found) {
            EXPECT_EQ(c.first, first);
            EXPECT_EQ(c.last, last);
        }
    }
}

TEST(ChannelMatrixTest, OtherKindsAndEmptyMatricesGiveNeutralResults)
{
    CKSTChannel plain;
    plain.AppendValue(5.0, false);
    uint32_t first = 0, last = 0;
    EXPECT_FALSE(plain.GetColumnRange(0.0, 10.0, first, last));
    EXPECT_EQ(0.0, plain.GetMatrixMax(kAll, kAll, kAll, kAll));
    EXPECT_EQ(0.0, plain.GetMatrixValueAt(0.0, 0.0));
    EXPECT_EQ(0.0, plain.GetLastRowPosition());

    const CKSTChannel empty = Matrix(4, {});
    EXPECT_EQ(0.0, empty.GetMatrixMax(kAll, kAll, kAll, kAll));
    EXPECT_EQ(0.0, empty.GetMatrixValueAt(1.0, 100.0));
    EXPECT_EQ(0.0, empty.GetRowCutMax(0, 3, 100.0));
    EXPECT_EQ(100.0, empty.GetFirstRowPosition());
    EXPECT_EQ(100.0, empty.GetLastRowPosition());
    EXPECT_FALSE(empty.GetRowRange(90.0, 200.0, first, last));

    const CKSTChannel partialRow = Matrix(4, {1, 2, 3});
    EXPECT_EQ(0.0, partialRow.GetMatrixValueAt(1.0, 100.0)) << "less than one whole row";

    const CKSTChannel noColumns = Matrix(0, {1, 2, 3});
    EXPECT_EQ(0.0, noColumns.GetMatrixValueAt(1.0, 100.0));
    EXPECT_EQ(0.0, noColumns.GetMatrixMin(kAll, kAll, kAll, kAll));
}

TEST(ChannelMatrixTest, BlockMinimumAndMaximum)
{
    const CKSTChannel grid = Grid();
    EXPECT_EQ(120.0, grid.GetLastRowPosition());
    struct Case {
        const char* name;
        uint32_t c1, c2, r1, r2;
        double min, max;
    };
    const Case cases[] = {
        {"whole grid", kAll, kAll, kAll, kAll, 1.0, 12.0},
        {"inner block", 1, 2, 1, 2, 6.0, 11.0},
        {"last column limited", 2, 100, 0, 0, 3.0, 4.0},
        {"last row limited", 0, 0, 1, kAll, 5.0, 9.0},
        {"first column beyond", 4, 5, 0, 2, 0.0, 0.0},
        {"inverted columns", 2, 1, 0, 2, 0.0, 0.0},
        {"first row beyond", 0, 3, 3, 3, 0.0, 0.0},
        {"only the first bound all-ones", kAll, 2, 0, 2, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.min, grid.GetMatrixMin(c.c1, c.c2, c.r1, c.r2));
        EXPECT_EQ(c.max, grid.GetMatrixMax(c.c1, c.c2, c.r1, c.r2));
    }

    // Samples of a partial last row are no part of the grid; NaN samples take no part either.
    const CKSTChannel ragged = Matrix(2, {1, kNaN, 3, 4, 99});
    EXPECT_EQ(1.0, ragged.GetMatrixMin(kAll, kAll, kAll, kAll));
    EXPECT_EQ(4.0, ragged.GetMatrixMax(kAll, kAll, kAll, kAll));
}

TEST(ChannelMatrixTest, BilinearValueAtCornersEdgesAndInteriorPoints)
{
    const CKSTChannel grid = Grid();
    struct Case {
        const char* name;
        double t, y;
        double value;
    };
    const Case cases[] = {
        {"first corner", 0.0, 100.0, 1.0},
        {"grid point", 1.0, 110.0, 6.0},
        {"last corner", 3.0, 120.0, 12.0},
        {"between columns", 1.5, 100.0, 2.5},
        {"interior", 1.5, 115.0, 8.5},
        {"between the last two rows", 0.0, 115.0, 7.0},
        {"between the last two rows and columns", 2.5, 115.0, 9.5},
        {"beyond the last column", 10.0, 110.0, 8.0},
        {"beyond the last row", 1.0, 500.0, 10.0},
        {"beyond both", 10.0, 500.0, 12.0},
        {"before the first column", -3.0, 100.0, 1.0},
        {"before the first row", 2.0, 50.0, 3.0},
        {"time not a number", kNaN, 110.0, 5.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(c.value, grid.GetMatrixValueAt(c.t, c.y));
    }
    // A grid point next to an infinite sample is still exactly its own value.
    const CKSTChannel steep = Matrix(2, {1, std::numeric_limits<double>::infinity()});
    EXPECT_EQ(1.0, steep.GetMatrixValueAt(0.0, 100.0));
}

TEST(ChannelMatrixTest, ColourMatrixBlendsEachByte)
{
    const double red = 0x0000FF, blue = 0xFF0000, green = 0x00FF00;
    CKSTChannel across = Matrix(2, {red, blue});
    across.SetColorMatrix(true);
    EXPECT_EQ(double(0x7F007F), across.GetMatrixValueAt(0.5, 100.0));
    EXPECT_EQ(red, across.GetMatrixValueAt(0.0, 100.0));

    CKSTChannel down = Matrix(1, {red, green});
    down.SetColorMatrix(true);
    EXPECT_EQ(double(0x007F7F), down.GetMatrixValueAt(0.0, 105.0));
    EXPECT_EQ(green, down.GetMatrixValueAt(0.0, 200.0));
}

TEST(ChannelMatrixTest, CutMaxima)
{
    const CKSTChannel grid = Grid();
    EXPECT_DOUBLE_EQ(10.0, grid.GetRowCutMax(0, 3, 115.0));
    EXPECT_DOUBLE_EQ(10.0, grid.GetRowCutMax(0, 100, 115.0)) << "last column limited";
    EXPECT_DOUBLE_EQ(9.0, grid.GetRowCutMax(0, 2, 115.0));
    EXPECT_EQ(0.0, grid.GetRowCutMax(4, 5, 115.0));
    EXPECT_EQ(0.0, grid.GetRowCutMax(2, 1, 115.0));

    EXPECT_DOUBLE_EQ(10.5, grid.GetColumnCutMax(1.5, 0, 2));
    EXPECT_DOUBLE_EQ(6.5, grid.GetColumnCutMax(1.5, 0, 1));
    EXPECT_EQ(0.0, grid.GetColumnCutMax(1.5, 3, 4));
}

}  // namespace
