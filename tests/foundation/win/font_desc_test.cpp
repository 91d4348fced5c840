// Platform fonts made from descriptions. "Arial" is Liberation Sans in the test prefix; every
// expected size comes from the device and the font, never from fixed pixel counts.
#include <windows.h>

#include "foundation/FontDesc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

LOGFONTA LogFontOf(KstFontHandle font)
{
    LOGFONTA logFont = {};
    EXPECT_EQ(static_cast<int>(sizeof logFont), GetObjectA(font, sizeof logFont, &logFont));
    return logFont;
}

// Character height (cell height without internal leading) of the font in a screen-compatible
// memory context, in pixels.
int CharacterHeight(KstFontHandle font)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics = {};
    EXPECT_TRUE(GetTextMetricsA(dc, &metrics));
    SelectObject(dc, old);
    DeleteDC(dc);
    return metrics.tmHeight - metrics.tmInternalLeading;
}

// The same measure for a font made directly by the platform from a LOGFONT: rounding of the
// em size belongs to the font engine, so expectations compare with it.
int ReferenceCharacterHeight(const LOGFONTA& logFont)
{
    HFONT reference = CreateFontIndirectA(&logFont);
    const int height = CharacterHeight(reference);
    DeleteObject(reference);
    return height;
}

int ScreenPixelsPerInch()
{
    HDC screen = GetDC(nullptr);
    const int pixels = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool IsFont(KstFontHandle font)
{
    return font != nullptr && GetObjectType(font) == OBJ_FONT;
}

TEST(FontDescWin, OwnFontFollowsTheLogicalFontFields)
{
    CKSTFontDesc font;
    font.m_height = -17;
    font.m_weight = 700;
    font.m_italic = 1;
    KstFontHandle own = font.CreateOwnFont();
    ASSERT_TRUE(IsFont(own));
    EXPECT_EQ(own, font.GetFont());

    LOGFONTA expected;
    font.GetLogFont(expected);
    const LOGFONTA made = LogFontOf(own);
    EXPECT_EQ(0, std::memcmp(&expected, &made, sizeof made));
    EXPECT_EQ(ReferenceCharacterHeight(expected), CharacterHeight(own));

    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, own);
    TEXTMETRICA metrics = {};
    ASSERT_TRUE(GetTextMetricsA(dc, &metrics));
    EXPECT_EQ(700, metrics.tmWeight);
    EXPECT_TRUE(metrics.tmItalic);
    SelectObject(dc, old);
    DeleteDC(dc);
}

TEST(FontDescWin, PointSizeWinsOverTheHeightField)
{
    CKSTFontDesc font;
    font.m_height = -40;
    font.m_pointSize = 100;
    KstFontHandle own = font.CreateOwnFont();
    ASSERT_TRUE(IsFont(own));
    const int pixels = ScreenPixelsPerInch() * 100 / 720;
    EXPECT_EQ(-pixels, LogFontOf(own).lfHeight);
    EXPECT_STREQ("Arial", LogFontOf(own).lfFaceName);
    LOGFONTA reference = {};
    reference.lfHeight = -pixels;
    reference.lfCharSet = DEFAULT_CHARSET;
    std::strcpy(reference.lfFaceName, "Arial");
    EXPECT_EQ(ReferenceCharacterHeight(reference), CharacterHeight(own));
    CKSTFontDesc heightOnly;
    heightOnly.m_height = -40;
    heightOnly.CreateOwnFont();
    EXPECT_LT(CharacterHeight(own), CharacterHeight(heightOnly.GetFont()));
}

TEST(FontDescWin, CopiesMakeTheirOwnFontFromTheLogicalFieldsOnly)
{
    CKSTFontDesc source;
    source.m_height = -23;
    source.m_pointSize = 100;
    ASSERT_TRUE(IsFont(source.CreateOwnFont()));

    auto copy = std::make_unique<CKSTFontDesc>(source);
    CKSTFontDesc assigned;
    assigned.CreateOwnFont();
    KstFontHandle replaced = assigned.GetFont();
    assigned = source;
    EXPECT_FALSE(IsFont(replaced));

    for (const CKSTFontDesc* font : {copy.get(), &assigned}) {
        KstFontHandle own = font->GetFont();
        ASSERT_TRUE(IsFont(own));
        EXPECT_NE(source.GetFont(), own);
        EXPECT_EQ(-23, LogFontOf(own).lfHeight);
        EXPECT_EQ(own, font->GetFont());  // made once
    }

    // The copy's own font survives its source, and goes with the copy.
    KstFontHandle copied = copy->GetFont();
    source = CKSTFontDesc();
    EXPECT_TRUE(IsFont(copied));
    copy.reset();
    EXPECT_FALSE(IsFont(copied));

    // CreateOwnFont after a copy honours the point size again.
    KstFontHandle pointFont = assigned.CreateOwnFont();
    EXPECT_EQ(-(ScreenPixelsPerInch() * 100 / 720), LogFontOf(pointFont).lfHeight);
}

TEST(FontDescWin, CreateFontReplacesTheTargetsFont)
{
    CKSTFontDesc font;
    KstFontHandle target = nullptr;
    ASSERT_TRUE(font.CreateFont(target));
    KstFontHandle first = target;
    ASSERT_TRUE(IsFont(first));
    font.m_height = -30;
    ASSERT_TRUE(font.CreateFont(target));
    EXPECT_FALSE(IsFont(first));
    EXPECT_EQ(-30, LogFontOf(target).lfHeight);
    EXPECT_EQ(nullptr, font.GetFont());  // the own font is not involved
    DeleteObject(target);
}

TEST(FontDescWin, LogFontRoundTripAndFaceNameLimits)
{
    LOGFONTA logFont = {};
    logFont.lfHeight = -15;
    logFont.lfWidth = 7;
    logFont.lfEscapement = 450;
    logFont.lfOrientation = 450;
    logFont.lfWeight = 600;
    logFont.lfItalic = 1;
    logFont.lfUnderline = 1;
    logFont.lfStrikeOut = 1;
    logFont.lfCharSet = 238;
    logFont.lfOutPrecision = 4;
    logFont.lfClipPrecision = 1;
    logFont.lfQuality = 5;
    logFont.lfPitchAndFamily = 0x31;
    std::strcpy(logFont.lfFaceName, "Courier New");

    CKSTFontDesc font(logFont);
    EXPECT_EQ(-1, font.m_pointSize);
    EXPECT_EQ(CKSTString("Courier New"), font.m_faceName);
    EXPECT_EQ(nullptr, font.GetFont());
    LOGFONTA back;
    font.GetLogFont(back);
    EXPECT_EQ(0, std::memcmp(&logFont, &back, sizeof back));
    EXPECT_TRUE(IsFont(font.CreateOwnFont()));

    // A stored face name of 40 characters: the LOGFONT gets 31 and a terminator.
    const std::string forty(40, 'F');
    font.m_faceName = forty.c_str();
    font.GetLogFont(back);
    EXPECT_EQ(forty.substr(0, 31), back.lfFaceName);

    // A LOGFONT whose face name fills the whole array without a terminator.
    std::memset(logFont.lfFaceName, 'G', sizeof logFont.lfFaceName);
    const CKSTFontDesc unterminated(logFont);
    EXPECT_EQ(CKSTString(std::string(LF_FACESIZE, 'G').c_str()), unterminated.m_faceName);
}

TEST(FontDescWin, ScaleToDeviceUsesTheVerticalResolutions)
{
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    const int ratioTimes14 =
        14 * GetDeviceCaps(memory, LOGPIXELSY) / GetDeviceCaps(screen, LOGPIXELSY);
    int32_t length = 14;
    ScaleToDevice(memory, screen, length);
    EXPECT_EQ(ratioTimes14, length);

    // A source without a resolution leaves the length as it was.
    length = 14;
    ScaleToDevice(memory, nullptr, length);
    EXPECT_EQ(14, length);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

}  // namespace
