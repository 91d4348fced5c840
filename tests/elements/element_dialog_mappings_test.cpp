// The list indices of the text and button dialogs and the element values they stand for.
#include <gtest/gtest.h>

#include "elements/ElementDialogMappings.h"

namespace {

TEST(ElementDialogMappingsTest, TextAlignmentCodesAndIndices)
{
    const struct {
        int32_t code;
        int index;
    } known[] = {{0, 0}, {4, 1}, {1, 2}};
    for (const auto& k : known) {
        EXPECT_EQ(KstTextAlignmentIndex(k.code), k.index) << k.code;
        EXPECT_EQ(KstTextAlignmentCode(k.index), k.code) << k.index;
    }
    for (int32_t unknown : {-1, 2, 3, 5, 6, 12}) {
        EXPECT_EQ(KstTextAlignmentIndex(unknown), -1) << unknown;
    }
    for (int index : {-1, 3, 99}) {
        EXPECT_EQ(KstTextAlignmentCode(index), 4) << index;
    }
}

TEST(ElementDialogMappingsTest, ButtonStylesAndIndices)
{
    const struct {
        uint32_t style;
        int index;
    } known[] = {{1, 0}, {0, 1}, {2, 2}};
    for (const auto& k : known) {
        EXPECT_EQ(KstButtonStyleIndex(k.style), k.index) << k.style;
        EXPECT_EQ(KstButtonStyleCode(k.index), k.style) << k.index;
    }
    EXPECT_EQ(KstButtonStyleIndex(3), -1);
    EXPECT_EQ(KstButtonStyleCode(-1), 2u);
    EXPECT_EQ(KstButtonStyleCode(7), 2u);
}

}  // namespace
