#include <windows.h>

#include "curvewnd/win/DrawContext.h"
#include "curvewnd/win/draw_target.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;

TEST(DrawContext, DeleteDCReleasesTheAttachedContextOnly)
{
    CKSTDrawContext context;
    EXPECT_TRUE(context.DeleteDC());

    HDC dc = CreateCompatibleDC(nullptr);
    context.Attach(dc);
    EXPECT_EQ(dc, context.GetHdc());
    EXPECT_TRUE(context.DeleteDC());
    EXPECT_EQ(nullptr, context.GetHdc());
    EXPECT_EQ(0u, GetObjectType(dc));
    EXPECT_TRUE(context.DeleteDC());
}

TEST(DrawContext, DestructionLeavesABorrowedContextAlone)
{
    HDC dc = CreateCompatibleDC(nullptr);
    {
        CKSTDrawContext borrowed;
        borrowed.Attach(dc);
    }
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(dc));
    DeleteDC(dc);
}

TEST(DrawContext, SelectObjectReturnsWhatItReplaced)
{
    DrawTarget target(8, 8, kWhite);
    CKSTDrawContext& context = target.Context();
    HBITMAP other = CreateCompatibleBitmap(target.Hdc(), 4, 4);

    EXPECT_EQ(target.Bitmap(), context.SelectObject(other));
    EXPECT_EQ(other, context.SelectObject(nullptr));
    EXPECT_EQ(other, context.SelectObject(target.Bitmap()));
    DeleteObject(other);

    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    const HGDIOBJ previousPen = context.SelectObject(pen);
    EXPECT_EQ(static_cast<DWORD>(OBJ_PEN), GetObjectType(previousPen));
    EXPECT_EQ(pen, context.SelectObject(previousPen));
    DeleteObject(pen);

    CKSTDrawContext empty;
    EXPECT_EQ(nullptr, empty.SelectObject(pen));
}

TEST(DrawContext, MeasuringRecordsTheBitmapSizeAndSelectsNothing)
{
    DrawTarget target(8, 8, kWhite);
    CKSTDrawContext& context = target.Context();
    HBITMAP big = CreateCompatibleBitmap(target.Hdc(), 640, 480);

    context.SetMeasuring(true);
    EXPECT_EQ(nullptr, context.SelectObject(big));
    EXPECT_EQ(640u, context.GetMeasuredSize().GetColumns());
    EXPECT_EQ(480u, context.GetMeasuredSize().GetRows());
    EXPECT_EQ(target.Bitmap(), GetCurrentObject(target.Hdc(), OBJ_BITMAP));

    // An object that is no bitmap has no size.
    EXPECT_EQ(nullptr, context.SelectObject(GetStockObject(BLACK_PEN)));
    EXPECT_EQ(0u, context.GetMeasuredSize().GetColumns());

    context.SetMeasuring(false);
    EXPECT_EQ(target.Bitmap(), context.SelectObject(target.Bitmap()));
    DeleteObject(big);
}

CKSTFontDesc FontOfHeight(int height)
{
    CKSTFontDesc font;
    font.m_height = height;
    return font;
}

HGDIOBJ CurrentFont(HDC dc)
{
    return GetCurrentObject(dc, OBJ_FONT);
}

TEST(DrawContext, RestoreFontTogglesBetweenTheTwoMostRecentFonts)
{
    DrawTarget target(8, 8, kWhite);
    CKSTDrawContext& context = target.Context();
    const HGDIOBJ original = CurrentFont(target.Hdc());
    CKSTFontDesc small = FontOfHeight(-11);
    CKSTFontDesc large = FontOfHeight(-20);

    context.SelectFont(small, true);
    EXPECT_EQ(small.GetFont(), CurrentFont(target.Hdc()));
    EXPECT_TRUE(context.GetFontSetting() == small);
    context.SelectFont(large, true);
    EXPECT_EQ(large.GetFont(), CurrentFont(target.Hdc()));

    context.RestoreFont();
    EXPECT_EQ(small.GetFont(), CurrentFont(target.Hdc()));
    context.RestoreFont();
    EXPECT_EQ(large.GetFont(), CurrentFont(target.Hdc()));

    // Without remembering, the remembered font stays.
    context.SelectFont(small, false);
    context.RestoreFont();
    EXPECT_EQ(small.GetFont(), CurrentFont(target.Hdc()));

    context.SelectObject(original);
}

TEST(DrawContext, ReselectingTheSameSettingNeitherLeaksNorRemembersADeletedFont)
{
    DrawTarget target(8, 8, kWhite);
    CKSTDrawContext& context = target.Context();
    const HGDIOBJ original = CurrentFont(target.Hdc());
    CKSTFontDesc font = FontOfHeight(-15);

    context.SelectFont(font, true);
    const HGDIOBJ first = font.GetFont();
    context.SelectFont(font, true);
    const HGDIOBJ second = font.GetFont();
    EXPECT_NE(first, second);
    EXPECT_EQ(second, CurrentFont(target.Hdc()));
    // The first font could be deleted because it was no longer selected.
    EXPECT_EQ(0u, GetObjectType(first));

    context.RestoreFont();
    EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(CurrentFont(target.Hdc())));
    context.SelectObject(original);
}

TEST(DrawContext, SelectFontWithoutDeviceContextKeepsTheSetting)
{
    CKSTDrawContext context;
    CKSTFontDesc font = FontOfHeight(-30);
    context.SelectFont(font, true);
    EXPECT_TRUE(context.GetFontSetting() == font);
    context.RestoreFont();
}

TEST(DrawContext, LineLeavesOutItsEndPoint)
{
    DrawTarget target(8, 3, kWhite);
    CKSTDrawContext& context = target.Context();
    const HGDIOBJ previous = context.SelectObject(GetStockObject(BLACK_PEN));
    context.Line(1, 1, 6, 1);
    context.SelectObject(previous);
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(x >= 1 && x < 6 ? 0u : 0xFFFFFFu, target.At(x, 1)) << x;
    }
}

TEST(DrawContext, PolygonUsesPenAndBrush)
{
    DrawTarget target(12, 12, kWhite);
    CKSTDrawContext& context = target.Context();
    HBRUSH brush = CreateSolidBrush(0x0000FF);
    const HGDIOBJ previousBrush = context.SelectObject(brush);
    const HGDIOBJ previousPen = context.SelectObject(GetStockObject(BLACK_PEN));
    const POINT square[] = {{2, 2}, {9, 2}, {9, 9}, {2, 9}};
    context.Polygon(square, 4);
    context.SelectObject(previousPen);
    context.SelectObject(previousBrush);
    DeleteObject(brush);
    EXPECT_EQ(0u, target.At(2, 5));
    EXPECT_EQ(0xFF0000u, target.At(5, 5));
    EXPECT_EQ(0xFFFFFFu, target.At(11, 11));
}

}  // namespace
