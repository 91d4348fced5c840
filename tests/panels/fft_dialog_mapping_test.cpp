#include <gtest/gtest.h>

#include "panels/FftDialogMapping.h"

namespace {

TEST(FftDialogMapping, RecordToFieldsAndBack)
{
    struct Case {
        KstFftRecord record;
        int lengthIndex, windowIndex, smooth, smoothPoints;
        int32_t backLengthMode, backSmoothPoints;
    };
    const Case cases[] = {
        {{0, 0, false, 0, 0}, 0, 0, 0, 3, 1, 0},
        {{1, 1, true, 5, 512}, 0, 1, 1, 5, 1, 5},
        {{2, 2, false, 3, 0}, 1, 2, 1, 3, 2, 3},
        // Two points are no smoothing: unchecked with 3 points, stored back as 0.
        {{3, 3, false, 2, 0}, 2, 3, 0, 3, 3, 0},
    };
    for (const Case& c : cases) {
        const KstFftFields fields = KstFftFieldsFromRecord(c.record);
        EXPECT_EQ(fields.lengthIndex, c.lengthIndex);
        EXPECT_EQ(fields.windowIndex, c.windowIndex);
        EXPECT_EQ(fields.smooth, c.smooth);
        EXPECT_EQ(fields.smoothPoints, c.smoothPoints);
        EXPECT_EQ(fields.suppressDc, c.record.suppressDc ? 1 : 0);
        KstFftRecord back;
        KstFftRecordFromFields(fields, back);
        EXPECT_EQ(back.lengthMode, c.backLengthMode);
        EXPECT_EQ(back.window, c.record.window);
        EXPECT_EQ(back.smoothPoints, c.backSmoothPoints);
        EXPECT_EQ(back.onlineLength, c.record.onlineLength);
    }
}

}  // namespace
