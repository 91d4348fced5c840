#include "formats/TextFields.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

TEST(TextFieldsTest, NumberFields)
{
    struct Case {
        const char* text;
        bool number;
        double value;
    };
    const Case cases[] = {
        {"1.5", true, 1.5},          {"1,5", true, 1.5},
        {" -2.25 ", true, -2.25},    {"+3", true, 3},
        {"1e3", true, 1000},         {"\"4,5\"", true, 4.5},
        {"1.234.567", true, 1234567}, {"1.234.567,89", true, 1234567.89},
        {"1,234,567.5", true, 1234567.5}, {"1 234", true, 1234},
        {"1.23.4", false, 0},        {"01.02.2023", false, 0},
        {"1.234,5.6", false, 0},     {"TRUE", true, 1},
        {"false", true, 0},          {"abc", false, 0},
        {"", false, 0},              {"12:30", false, 0},
        {"5\r", true, 5},            {"0x10", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        double value = -1;
        ASSERT_EQ(KstParseNumberField(c.text, value), c.number);
        if (c.number) {
            EXPECT_DOUBLE_EQ(value, c.value);
        }
    }
    double value = 0;
    ASSERT_TRUE(KstParseNumberField("nan", value));
    EXPECT_TRUE(std::isnan(value));
    ASSERT_TRUE(KstParseNumberField("NaN", value));
    EXPECT_TRUE(std::isnan(value));
}

// The quick conversion of plain numbers gives from_chars' value bit for bit, and leaves
// everything else to it.
TEST(TextFieldsTest, PlainNumbersReadAsFromCharsReadsThem)
{
    constexpr size_t kNone = std::string::npos;
    const struct {
        const char* text;
        size_t length;  // of the plain number at the start, kNone for none
    } cases[] = {
        {"12.375", 6},
        {"-0.5", 4},
        {"-0", 2},
        {"5.", 2},
        {"7,5", 1},
        {"1e3", 1},
        {"3.25;x", 4},
        {"0.1", 3},
        {"9007199254740992", 16},
        {"0.000000000000000001", 20},
        {"123456789.0123456", 17},
        {"9007199254740993", kNone},
        {"1234567890123456789", kNone},
        {"00000000000000000001", kNone},
        {".5", kNone},
        {"-", kNone},
        {"-.5", kNone},
        {"+1", kNone},
        {"", kNone},
        {"abc", kNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const char* end = c.text + std::strlen(c.text);
        double value = -1;
        const char* stop = KstScanPlainNumber(c.text, end, value);
        if (c.length == kNone) {
            EXPECT_EQ(stop, nullptr);
            continue;
        }
        ASSERT_NE(stop, nullptr);
        EXPECT_EQ(static_cast<size_t>(stop - c.text), c.length);
        double expected = 0;
        ASSERT_EQ(std::from_chars(c.text, stop, expected).ptr, stop);
        EXPECT_EQ(0, std::memcmp(&value, &expected, sizeof value));
    }

    // Numbers of every length up to nineteen digits and every point position.
    std::mt19937_64 random(11);
    int taken = 0;
    for (int n = 0; n < 20000; ++n) {
        const int digits = 1 + static_cast<int>(random() % 19);
        const int point = static_cast<int>(random() % (digits + 1));
        std::string text = random() % 2 ? "-" : "";
        for (int d = 0; d < digits; ++d) {
            if (d == point && d > 0) {
                text += '.';
            }
            text += static_cast<char>('0' + random() % 10);
        }
        SCOPED_TRACE(text);
        const char* end = text.data() + text.size();
        double value = 0;
        const char* stop = KstScanPlainNumber(text.data(), end, value);
        if (stop == nullptr) {
            continue;
        }
        ++taken;
        ASSERT_EQ(stop, end);
        double expected = 0;
        ASSERT_EQ(std::from_chars(text.data(), end, expected).ptr, end);
        ASSERT_EQ(0, std::memcmp(&value, &expected, sizeof value));
    }
    EXPECT_GT(taken, 14000);
}

std::vector<std::string> Fields(const std::string& line, char separator)
{
    KstFieldReader reader(line.data(), line.data() + line.size(), separator);
    std::vector<std::string> fields;
    std::string_view field;
    while (reader.Next(field)) {
        fields.emplace_back(field);
    }
    return fields;
}

TEST(TextFieldsTest, SplittingAndQuotes)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(Fields("a,b,,c", ','), (V{"a", "b", "", "c"}));
    EXPECT_EQ(Fields("a,b,\r", ','), (V{"a", "b", ""}));
    EXPECT_EQ(Fields("", ','), (V{""}));
    EXPECT_EQ(Fields("\"x;y\";\"say \"\"hi\"\"\";z", ';'), (V{"x;y", "say \"hi\"", "z"}));
    EXPECT_EQ(Fields("\"open;b", ';'), (V{"\"open", "b"}));
    EXPECT_EQ(Fields("  1   2 3  ", KST_TEXT_BLANK), (V{"1", "2", "3"}));
    EXPECT_EQ(Fields("", KST_TEXT_BLANK), V{});

    const std::string text = "\"two\nlines\",1\nnext,2\n";
    const char* end = KstFindLineEnd(text.data(), text.data() + text.size(), ',');
    EXPECT_EQ(std::string(text.data(), end), "\"two\nlines\",1");
    EXPECT_EQ(Fields(std::string(text.data(), end), ','), (V{"two\nlines", "1"}));
    const std::string unclosed = "\"x,1\nnext\n";
    EXPECT_EQ(KstFindLineEnd(unclosed.data(), unclosed.data() + unclosed.size(), ',') -
                  unclosed.data(),
              4);
}

TEST(TextFieldsTest, PrintedNumbersReadBackAndQuoting)
{
    char text[kKstNumberTextSize];
    EXPECT_EQ(std::string(text, KstFormatFixed(text, 1.25, 3, ',')), "1,250");
    EXPECT_EQ(std::string(text, KstFormatFixed(text, -0.5, 0, '.')), "-0");
    EXPECT_EQ(std::string(text, KstFormatShortest(text, 0.1, '.')), "0.1");
    for (double v : {0.1, 1.0 / 3.0, 123456.789e-12, -2.5e300, 5e-324}) {
        double back = 0;
        ASSERT_TRUE(KstParseNumberField(std::string(text, KstFormatShortest(text, v, ',')), back));
        EXPECT_EQ(back, v);
    }
    std::string out;
    KstAppendTextField(out, "plain", ';');
    out += '|';
    KstAppendTextField(out, "a;b", ';');
    out += '|';
    KstAppendTextField(out, "say \"hi\"", ';');
    out += '|';
    KstAppendTextField(out, "two\nlines", ';');
    EXPECT_EQ(out, "plain|\"a;b\"|\"say \"\"hi\"\"\"|\"two\nlines\"");
}

}  // namespace
