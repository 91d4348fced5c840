#include <gtest/gtest.h>

#include "app/StatusTexts.h"
#include "foundation/Colors.h"

namespace {

constexpr uint64_t kMiB = 1024 * 1024;

TEST(StatusTexts, PromptsCarryMessageNumbers)
{
    const struct {
        const char* prompt;
        int number;
    } cases[] = {
        {"1", 1},      {"25\nAppend", 25},
        {"0", 0},      {"-3", -3},
        {"+4", 4},     {"Ready", 0},
        {"", 0},       {nullptr, 0},
        {"12abc", 12}, {"99999999999999", 1000000000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KstMessageNumber(c.prompt), c.number) << (c.prompt ? c.prompt : "null");
    }
    EXPECT_EQ(KstMessageStringId(4400, 1), 4400);
    EXPECT_EQ(KstMessageStringId(4400, 25), 4424);
    EXPECT_EQ(KstMessageStringId(4400, 0), 0);
    EXPECT_EQ(KstMessageStringId(4400, -3), 0);
}

TEST(StatusTexts, MemoryTextAtTheUnitThresholds)
{
    const struct {
        uint64_t bytes;
        const char* text;
    } cases[] = {
        {0, "Mem: 0 Bytes"},
        {1023, "Mem: 1023 Bytes"},
        {1024, "Mem: 1 kB"},
        {kMiB - 1, "Mem: 1023 kB"},
        {kMiB, "Mem: 1.00 MB"},
        {kMiB + kMiB / 4, "Mem: 1.25 MB"},
        {10 * kMiB - kMiB / 2, "Mem: 9.50 MB"},
        {10 * kMiB, "Mem: 10.0 MB"},
        {100 * kMiB - kMiB / 2, "Mem: 99.5 MB"},
        {100 * kMiB, "Mem: 100 MB"},
        {100 * kMiB + kMiB - 1, "Mem: 100 MB"},
        {5000 * kMiB, "Mem: 5000 MB"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(KstMemoryText(c.bytes).c_str(), c.text) << c.bytes;
    }
}

TEST(StatusTexts, MemoryColourAgainstTheOnlineLimit)
{
    const double limit = 100.0;  // MiB
    const uint64_t atLimit = 100 * kMiB;
    const struct {
        bool online;
        uint64_t bytes;
        double limit;
        const char* prefix;
    } cases[] = {
        {false, 200 * atLimit, limit, ""},
        {true, 0, limit, "BLACK|GREEN|"},
        {true, atLimit * 105 / 100, limit, "BLACK|GREEN|"},
        {true, atLimit * 105 / 100 + 1, limit, "BLACK|YELLOW|"},
        {true, atLimit * 125 / 100, limit, "BLACK|YELLOW|"},
        {true, atLimit * 125 / 100 + 1, limit, "WHITE|RED|"},
        // Without a limit nothing is a warning.
        {true, atLimit, 0.0, ""},
        {true, atLimit, -5.0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(KstMemoryColourPrefix(c.online, c.bytes, c.limit), c.prefix)
            << c.online << " " << c.bytes << " " << c.limit;
    }
}

TEST(StatusTexts, RateAndLockPanes)
{
    EXPECT_STREQ(KstRateText(3, 12.5).c_str(), "Polling: 12.5 kB/s");
    EXPECT_STREQ(KstRateText(1, 12.5).c_str(), "Buffered: 12.5 kB/s");
    EXPECT_STREQ(KstRateText(2, 0.04).c_str(), "Buffered: 0.0 kB/s");

    const struct {
        bool locked, password;
        KstLockIcon icon;
        bool disabled;
    } cases[] = {
        {true, true, KstLockIcon::Locked, false},
        {true, false, KstLockIcon::Locked, false},
        {false, false, KstLockIcon::None, true},
        {false, true, KstLockIcon::Opened, false},
    };
    for (const auto& c : cases) {
        const KstLockPane pane = KstLockPaneFor(c.locked, c.password);
        EXPECT_EQ(pane.icon, c.icon) << c.locked << c.password;
        EXPECT_EQ(pane.disabled, c.disabled) << c.locked << c.password;
    }
}

TEST(StatusTexts, OwnerDrawnTextNamesItsColours)
{
    const struct {
        const char* text;
        bool coloured;
        uint32_t foreground, background;
        const char* rest;
    } cases[] = {
        {"WHITE|RED|Mem: 3 MB", true, ColorFromName("WHITE"), ColorFromName("RED"), "Mem: 3 MB"},
        {"BLACK|YELLOW|", true, ColorFromName("BLACK"), ColorFromName("YELLOW"), ""},
        {"PINK|GREEN|x|y", true, KstRgb(0, 0, 0), ColorFromName("GREEN"), "x|y"},
        {"Mem: 3 MB", false, 0, 0, "Mem: 3 MB"},
        {"ONE|pipe", false, 0, 0, "ONE|pipe"},
        {"", false, 0, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const KstColouredText parsed = KstParseColouredText(c.text);
        EXPECT_EQ(parsed.coloured, c.coloured);
        EXPECT_EQ(parsed.foreground, c.foreground);
        EXPECT_EQ(parsed.background, c.background);
        EXPECT_STREQ(parsed.text.c_str(), c.rest);
    }
    EXPECT_NE(ColorFromName("RED"), ColorFromName("GREEN"));
}

}  // namespace
