#include "foundation/FontDesc.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(FontDesc, DefaultsAreArialElevenNormal)
{
    const CKSTFontDesc font;
    EXPECT_EQ(-11, font.m_height);
    EXPECT_EQ(0, font.m_width);
    EXPECT_EQ(0, font.m_escapement);
    EXPECT_EQ(0, font.m_orientation);
    EXPECT_EQ(400, font.m_weight);
    EXPECT_EQ(0, font.m_italic);
    EXPECT_EQ(0, font.m_underline);
    EXPECT_EQ(0, font.m_strikeOut);
    EXPECT_EQ(0, font.m_charSet);
    EXPECT_EQ(3, font.m_outPrecision);
    EXPECT_EQ(2, font.m_clipPrecision);
    EXPECT_EQ(1, font.m_quality);
    EXPECT_EQ(0x22, font.m_pitchAndFamily);
    EXPECT_EQ(CKSTString("Arial"), font.m_faceName);
    EXPECT_EQ(-1, font.m_pointSize);
    EXPECT_EQ(nullptr, font.GetFont());
}

struct FieldChange {
    const char* name;
    std::function<void(CKSTFontDesc&)> change;
};

const FieldChange kEveryField[] = {
    {"height", [](CKSTFontDesc& f) { f.m_height = -12; }},
    {"width", [](CKSTFontDesc& f) { f.m_width = 5; }},
    {"escapement", [](CKSTFontDesc& f) { f.m_escapement = 900; }},
    {"orientation", [](CKSTFontDesc& f) { f.m_orientation = 900; }},
    {"weight", [](CKSTFontDesc& f) { f.m_weight = 700; }},
    {"italic", [](CKSTFontDesc& f) { f.m_italic = 1; }},
    {"underline", [](CKSTFontDesc& f) { f.m_underline = 1; }},
    {"strike-out", [](CKSTFontDesc& f) { f.m_strikeOut = 1; }},
    {"character set", [](CKSTFontDesc& f) { f.m_charSet = 238; }},
    {"output precision", [](CKSTFontDesc& f) { f.m_outPrecision = 0; }},
    {"clipping precision", [](CKSTFontDesc& f) { f.m_clipPrecision = 0; }},
    {"quality", [](CKSTFontDesc& f) { f.m_quality = 5; }},
    {"pitch and family", [](CKSTFontDesc& f) { f.m_pitchAndFamily = 0x12; }},
    {"face name case", [](CKSTFontDesc& f) { f.m_faceName = "arial"; }},
    {"face name", [](CKSTFontDesc& f) { f.m_faceName = "Courier New"; }},
    {"point size", [](CKSTFontDesc& f) { f.m_pointSize = 100; }},
};

TEST(FontDesc, EveryFieldTakesPartInEquality)
{
    EXPECT_TRUE(CKSTFontDesc() == CKSTFontDesc());
    EXPECT_FALSE(CKSTFontDesc() != CKSTFontDesc());
    for (const FieldChange& c : kEveryField) {
        SCOPED_TRACE(c.name);
        CKSTFontDesc changed;
        c.change(changed);
        EXPECT_FALSE(changed == CKSTFontDesc());
        EXPECT_TRUE(changed != CKSTFontDesc());
    }
}

TEST(FontDesc, CopiesTakeEveryFieldAndStayIndependent)
{
    for (const FieldChange& c : kEveryField) {
        SCOPED_TRACE(c.name);
        CKSTFontDesc source;
        c.change(source);

        CKSTFontDesc constructed(source);
        EXPECT_EQ(source, constructed);
        CKSTFontDesc assigned;
        assigned.m_faceName = "Something Else";
        assigned.m_weight = 100;
        assigned = source;
        EXPECT_EQ(source, assigned);

        // Changing a copy leaves the source alone.
        constructed.SetDefault();
        assigned.m_faceName += "X";
        c.change(constructed);
        EXPECT_EQ(source, constructed);
        EXPECT_NE(source, assigned);
    }
}

TEST(FontDesc, SelfAssignmentKeepsTheFields)
{
    CKSTFontDesc font;
    font.m_faceName = "Courier New";
    font.m_height = -20;
    font.m_pointSize = 120;
    const CKSTFontDesc expected(font);
    CKSTFontDesc& alias = font;
    font = alias;
    EXPECT_EQ(expected, font);
    EXPECT_EQ(CKSTString("Courier New"), font.m_faceName);
}

TEST(FontDesc, SetDefaultResetsEveryField)
{
    for (const FieldChange& c : kEveryField) {
        SCOPED_TRACE(c.name);
        CKSTFontDesc font;
        c.change(font);
        font.SetDefault();
        EXPECT_EQ(CKSTFontDesc(), font);
    }
}

}  // namespace
