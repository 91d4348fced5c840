#include "formats/TextFields.h"

#include <gtest/gtest.h>

#include <cmath>
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
