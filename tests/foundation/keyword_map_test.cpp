#include "foundation/KeywordMap.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const CKSTKeywordMap kReduction("NONE", 0, "FULL", 1, "PART", 2, nullptr);

TEST(KeywordMap, LooksUpBothWays)
{
    const struct {
        const char* name;
        int32_t value;
    } byName[] = {
        {"NONE", 0},  {"FULL", 1}, {"PART", 2}, {"full", 0},  // names are case-sensitive
        {"FULL ", 0}, {"", 0},
    };
    for (const auto& c : byName) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(kReduction.ValueOf(c.name), c.value);
    }
    const struct {
        int32_t value;
        const char* name;
    } byValue[] = {{0, "NONE"}, {1, "FULL"}, {2, "PART"}, {7, ""}, {-1, ""}};
    for (const auto& c : byValue) {
        SCOPED_TRACE(c.value);
        EXPECT_TRUE(kReduction.NameOf(c.value) == c.name);
    }
}

TEST(KeywordMap, FirstMatchWinsBothWays)
{
    const CKSTKeywordMap map("A", 5, "B", 5, "A", 6, nullptr);
    EXPECT_EQ(map.ValueOf("A"), 5);
    EXPECT_EQ(map.ValueOf("B"), 5);
    EXPECT_TRUE(map.NameOf(5) == "A");
    EXPECT_TRUE(map.NameOf(6) == "A");
}

TEST(KeywordMap, EndsAtTheFirstNullName)
{
    const CKSTKeywordMap empty(nullptr);
    EXPECT_EQ(empty.ValueOf("A"), 0);
    EXPECT_TRUE(empty.NameOf(0) == "");

    const char* const missing = nullptr;
    const CKSTKeywordMap cut("A", 1, missing, 2, "C", 3, nullptr);
    EXPECT_EQ(cut.ValueOf("A"), 1);
    EXPECT_EQ(cut.ValueOf("C"), 0);
    EXPECT_TRUE(cut.NameOf(3) == "");
}

}  // namespace
