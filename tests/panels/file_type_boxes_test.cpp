#include <gtest/gtest.h>

#include "panels/FileTypeBoxes.h"

namespace {

TEST(FileTypeBoxes, EveryFlagHasExactlyOneBox)
{
    int covered[16] = {};
    for (int i = 0; i < kKstFileTypeBoxCount; ++i) {
        const KstFileTypeBox& box = KstFileTypeBoxAt(i);
        for (int flag = box.firstFlag; flag <= box.lastFlag; ++flag) {
            ++covered[flag];
        }
    }
    for (int flag = 0; flag < 16; ++flag) {
        EXPECT_EQ(covered[flag], 1) << flag;
        EXPECT_EQ(KstFileTypeBoxAt(KstFileTypeBoxOfFlag(flag)).firstFlag <= flag, true);
    }
    // The two boxes of two extensions each: ddf/ddb and mat/fig.
    EXPECT_EQ(KstFileTypeBoxOfFlag(4), KstFileTypeBoxOfFlag(5));
    EXPECT_EQ(KstFileTypeBoxOfFlag(6), KstFileTypeBoxOfFlag(7));
    EXPECT_STREQ(KstFileTypeBoxAt(KstFileTypeBoxOfFlag(4)).label, ".ddf/.ddb ");
    EXPECT_EQ(KstFileTypeBoxOfFlag(16), -1);
}

}  // namespace
