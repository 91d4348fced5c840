// Anti-aliased primitives through a draw context: every kind of target (DIB sections of both
// orientations, device-dependent bitmaps, clip regions, offset and scaled mappings, metafiles)
// must give the pixels that the same drawing gives on a plain buffer.
#include <windows.h>

#include "curvewnd/AntiAlias.h"
#include "curvewnd/win/AntiAliasDC.h"
#include "curvewnd/win/DrawContext.h"
#include "curvewnd/win/draw_target.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr COLORREF kBackground = 0x204060;  // COLORREF: red 0x60, green 0x40, blue 0x20
constexpr COLORREF kInk = 0x10C0F0;
constexpr int kWidth = 40;
constexpr int kHeight = 30;

uint32_t Native(COLORREF c)
{
    return CKSTPixelSurface::Native(c);
}

// The same drawing on a plain buffer.
std::vector<uint32_t> Reference(const std::function<void(CKSTPixelSurface&)>& draw)
{
    std::vector<uint32_t> pixels(kWidth * kHeight, Native(kBackground));
    CKSTPixelSurface surface(pixels.data(), kWidth, kHeight, kWidth);
    draw(surface);
    return pixels;
}

// The pixels where two pictures differ, for messages; empty when they are equal.
std::string Differences(const std::vector<uint32_t>& expected, const std::vector<uint32_t>& actual)
{
    std::string text;
    int shown = 0;
    for (size_t i = 0; i < expected.size() && i < actual.size(); ++i) {
        if (expected[i] != actual[i] && shown++ < 8) {
            char line[80];
            std::snprintf(line, sizeof line, "(%d,%d) expected %06X, got %06X\n",
                          static_cast<int>(i % kWidth), static_cast<int>(i / kWidth),
                          static_cast<unsigned>(expected[i]), static_cast<unsigned>(actual[i]));
            text += line;
        }
    }
    if (expected.size() != actual.size()) {
        text += "sizes differ\n";
    }
    return text;
}

struct Drawing {
    const char* name;
    std::function<void(CKSTDrawContext&)> onContext;
    std::function<void(CKSTPixelSurface&)> onBuffer;
};

std::vector<Drawing> Drawings()
{
    return {
        {"line", [](CKSTDrawContext& dc) { DrawAALine(dc, 3, 4, 33, 17, kInk); },
         [](CKSTPixelSurface& s) { DrawAALine(s, 3, 4, 33, 17, kInk); }},
        {"line over the edges", [](CKSTDrawContext& dc) { DrawAALine(dc, -20, 40, 60, -9, kInk); },
         [](CKSTPixelSurface& s) { DrawAALine(s, -20, 40, 60, -9, kInk); }},
        {"thick line", [](CKSTDrawContext& dc) { DrawThickLineAA(dc, 5, 25, 30, 6, kInk, 2); },
         [](CKSTPixelSurface& s) { DrawThickLineAA(s, 5, 25, 30, 6, kInk, 2); }},
        {"polyline",
         [](CKSTDrawContext& dc) {
             const POINT points[] = {{-5, 10}, {12, 2}, {20, 27}, {45, 12}};
             DrawAAPolyline(dc, points, 4, kInk, 1);
         },
         [](CKSTPixelSurface& s) {
             const KstPoint points[] = {{-5, 10}, {12, 2}, {20, 27}, {45, 12}};
             DrawAAPolyline(s, points, 4, kInk, 1);
         }},
        {"ellipse edge", [](CKSTDrawContext& dc) { DrawAAEllipseEdge(dc, 4, 3, 36, 27, kInk); },
         [](CKSTPixelSurface& s) { DrawAAEllipseEdge(s, 4, 3, 36, 27, kInk); }},
        {"figure",
         [](CKSTDrawContext& dc) { DrawAAFigure(dc, 6, 1, 34, 29, 135.0, 405.0, kInk, 4); },
         [](CKSTPixelSurface& s) { DrawAAFigure(s, 6, 1, 34, 29, 135.0, 405.0, kInk, 4); }},
    };
}

TEST(AntiAliasDC, EveryBitmapKindGivesTheBufferPixels)
{
    const struct {
        const char* name;
        KstTargetKind kind;
    } kinds[] = {
        {"top-down DIB", KstTargetKind::TopDownDib},
        {"bottom-up DIB", KstTargetKind::BottomUpDib},
        {"device-dependent bitmap", KstTargetKind::DeviceBitmap},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.name);
        for (const Drawing& drawing : Drawings()) {
            SCOPED_TRACE(drawing.name);
            DrawTarget target(kWidth, kHeight, kBackground, kind.kind);
            drawing.onContext(target.Context());
            EXPECT_EQ("", Differences(Reference(drawing.onBuffer), target.Pixels()));
        }
    }
}

TEST(AntiAliasDC, ShiftedOriginsAndScaledMappingsDrawInLogicalCoordinates)
{
    const struct {
        const char* name;
        std::function<void(HDC)> prepare;
        int shiftX, shiftY;  // logical = device + shift
    } mappings[] = {
        {"window origin", [](HDC dc) { SetWindowOrgEx(dc, 7, -3, nullptr); }, 7, -3},
        {"viewport origin", [](HDC dc) { SetViewportOrgEx(dc, 5, 4, nullptr); }, -5, -4},
        {"one-to-one anisotropic mapping",
         [](HDC dc) {
             SetMapMode(dc, MM_ANISOTROPIC);
             SetWindowExtEx(dc, 1, 1, nullptr);
             SetViewportExtEx(dc, 1, 1, nullptr);
             SetWindowOrgEx(dc, 2, 6, nullptr);
         },
         2, 6},
    };
    for (const auto& mapping : mappings) {
        SCOPED_TRACE(mapping.name);
        for (const Drawing& drawing : Drawings()) {
            SCOPED_TRACE(drawing.name);
            DrawTarget target(kWidth, kHeight, kBackground);
            const int saved = SaveDC(target.Hdc());
            mapping.prepare(target.Hdc());
            drawing.onContext(target.Context());
            RestoreDC(target.Hdc(), saved);

            std::vector<uint32_t> shifted(kWidth * kHeight, Native(kBackground));
            CKSTPixelSurface surface(shifted.data(), kWidth, kHeight, kWidth);
            surface.SetOrigin(mapping.shiftX, mapping.shiftY);
            drawing.onBuffer(surface);
            EXPECT_EQ("", Differences(shifted, target.Pixels()));
        }
    }
}

TEST(AntiAliasDC, ClipRegionsAreHonoured)
{
    // Two separate rectangles: a complex region.
    const RECT parts[] = {{2, 2, 15, 12}, {20, 14, 37, 28}};
    for (const Drawing& drawing : Drawings()) {
        SCOPED_TRACE(drawing.name);
        DrawTarget target(kWidth, kHeight, kBackground);
        HRGN region = CreateRectRgnIndirect(&parts[0]);
        HRGN second = CreateRectRgnIndirect(&parts[1]);
        CombineRgn(region, region, second, RGN_OR);
        SelectClipRgn(target.Hdc(), region);
        drawing.onContext(target.Context());
        SelectClipRgn(target.Hdc(), nullptr);

        const std::vector<uint32_t> unclipped = Reference(drawing.onBuffer);
        const std::vector<uint32_t> pixels = target.Pixels();
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const size_t i = static_cast<size_t>(y) * kWidth + x;
                const uint32_t expected =
                    PtInRegion(region, x, y) ? unclipped[i] : Native(kBackground);
                ASSERT_EQ(expected, pixels[i]) << x << "," << y;
            }
        }
        DeleteObject(second);
        DeleteObject(region);
    }
}

// The pixels a metafile sets, with their colours.
std::map<std::pair<int, int>, COLORREF> RecordedPixels(HENHMETAFILE metafile)
{
    std::map<std::pair<int, int>, COLORREF> pixels;
    EnumEnhMetaFile(
        nullptr, metafile,
        [](HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data) -> int {
            if (record->iType == EMR_SETPIXELV) {
                const auto* set = reinterpret_cast<const EMRSETPIXELV*>(record);
                (*reinterpret_cast<std::map<std::pair<int, int>, COLORREF>*>(
                    data))[{set->ptlPixel.x, set->ptlPixel.y}] = set->crColor;
            }
            return 1;
        },
        &pixels, nullptr);
    return pixels;
}

TEST(AntiAliasDC, MetafileRecordsTheFigure)
{
    // A metafile cannot be read back, so its pixels blend with white; a horizontal line has no
    // blend and is recorded in the full colour.
    HDC recorder = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, recorder);
    CKSTDrawContext context;
    context.Attach(recorder);
    DrawAALine(context, 5, 10, 30, 10, kInk);
    HENHMETAFILE metafile = CloseEnhMetaFile(context.GetHdc());
    ASSERT_NE(nullptr, metafile);
    const auto pixels = RecordedPixels(metafile);
    DeleteEnhMetaFile(metafile);
    for (int x = 5; x <= 30; ++x) {
        const auto found = pixels.find({x, 10});
        ASSERT_NE(pixels.end(), found) << x;
        EXPECT_EQ(kInk, found->second) << x;
        const auto below = pixels.find({x, 11});
        if (below != pixels.end()) {
            EXPECT_EQ(0xFFFFFFu, below->second) << x;
        }
    }
}

TEST(AntiAliasDC, WithoutDeviceContextNothingHappens)
{
    CKSTDrawContext context;
    const POINT points[] = {{1, 1}, {5, 5}, {1, 5}};
    DrawAALine(context, 0, 0, 10, 10, kInk);
    DrawAAPolygon(context, points, 3, kInk, 1, true);
    DrawAAPolygonFilled(context, 0, 0, 10, 10, kInk, 3);
    DrawAAEllipse(context, 0, 0, 10, 10, kInk, 1, true);
    DrawAAEllipseOutline(context, 0, 0, 10, 10, kInk);
    DrawAAFigure(context, 0, 0, 10, 10, 0.0, 90.0, kInk, 3);
    EXPECT_EQ(nullptr, context.GetHdc());
}

// Whether every byte of pixel lies between those of a and b; each blend truncates twice, and
// repeated blends may lose a few units more.
bool Between(uint32_t pixel, uint32_t a, uint32_t b)
{
    const int tolerance = 4;
    for (int shift = 0; shift < 24; shift += 8) {
        const int p = (pixel >> shift) & 0xFF, x = (a >> shift) & 0xFF, y = (b >> shift) & 0xFF;
        if (p < std::min(x, y) - tolerance || p > std::max(x, y) + tolerance) {
            return false;
        }
    }
    return true;
}

TEST(AntiAliasDC, FilledCircleHasNoHardStaircase)
{
    DrawTarget target(kWidth, kHeight, kBackground);
    CKSTDrawContext& context = target.Context();
    HPEN pen = CreatePen(PS_SOLID, 1, kInk);
    const HGDIOBJ previous = context.SelectObject(pen);
    // Radius 11: no edge point of this circle falls exactly on a pixel (as (6, 8) would on one
    // of radius 10), where a full pixel next to the background is the exact answer.
    DrawAAEllipse(context, 9, 4, 31, 26, kInk, 1, true);
    context.SelectObject(previous);
    DeleteObject(pen);

    const std::vector<uint32_t> pixels = target.Pixels();
    auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * kWidth + x]; };
    const uint32_t back = Native(kBackground), ink = Native(kInk);
    int blends = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t p = at(x, y);
            ASSERT_TRUE(Between(p, back, ink)) << x << "," << y << " " << std::hex << p;
            blends += p != back && p != ink ? 1 : 0;
        }
    }
    EXPECT_GT(blends, 20);
    EXPECT_EQ(ink, at(20, 15));

    // Where the edge runs diagonally a staircase would show as fill pixels right next to the
    // background: coming from outside, the first pixel that is not background is a blend.
    const int cx = 20, cy = 15;
    for (int d = 4; d <= 8; ++d) {
        for (const int y : {cy - d, cy + d}) {
            int x = 0;
            while (at(x, y) == back) {
                ++x;
            }
            EXPECT_NE(ink, at(x, y)) << "row " << y << " from the left";
            x = kWidth - 1;
            while (at(x, y) == back) {
                --x;
            }
            EXPECT_NE(ink, at(x, y)) << "row " << y << " from the right";
        }
        for (const int x : {cx - d, cx + d}) {
            int y = 0;
            while (at(x, y) == back) {
                ++y;
            }
            EXPECT_NE(ink, at(x, y)) << "column " << x << " from the top";
            y = kHeight - 1;
            while (at(x, y) == back) {
                --y;
            }
            EXPECT_NE(ink, at(x, y)) << "column " << x << " from the bottom";
        }
    }
}

TEST(AntiAliasDC, EllipseOutlineIsClosedAroundTheSelectedBrush)
{
    DrawTarget target(kWidth, kHeight, kBackground);
    CKSTDrawContext& context = target.Context();
    HBRUSH brush = CreateSolidBrush(0xFFFFFF);
    const HGDIOBJ previous = context.SelectObject(brush);
    DrawAAEllipseOutline(context, 5, 5, 25, 21, kInk);
    context.SelectObject(previous);
    DeleteObject(brush);
    EXPECT_EQ(0xFFFFFFu, target.At(15, 13));
    EXPECT_EQ(Native(kInk), target.At(5, 13));
    EXPECT_EQ(Native(kInk), target.At(15, 5));
    EXPECT_EQ(Native(kBackground), target.At(2, 2));
    EXPECT_EQ(Native(kBackground), target.At(15, 24));
}

TEST(AntiAliasDC, PolygonFillIsOptional)
{
    const POINT triangle[] = {{4, 4}, {34, 8}, {12, 26}};
    for (const bool fill : {false, true}) {
        SCOPED_TRACE(fill ? "filled" : "outline");
        DrawTarget target(kWidth, kHeight, kBackground);
        DrawAAPolygon(target.Context(), triangle, 3, kInk, 1, fill);
        EXPECT_EQ(fill ? Native(kInk) : Native(kBackground), target.At(16, 13));
        for (const POINT& p : triangle) {
            EXPECT_EQ(Native(kInk), target.At(p.x, p.y));
        }
        EXPECT_EQ(Native(kBackground), target.At(36, 28));
    }
}

TEST(AntiAliasDC, PolygonFilledIsASolidBand)
{
    const struct {
        const char* name;
        int x1, y1, x2, y2;
        POINT inside[3];
        POINT outside[2];
    } cases[] = {
        {"horizontal", 30, 15, 6, 15, {{8, 13}, {18, 15}, {28, 16}}, {{18, 10}, {18, 20}}},
        {"vertical", 20, 3, 20, 26, {{18, 5}, {20, 15}, {21, 24}}, {{15, 15}, {25, 15}}},
        {"diagonal", 5, 5, 33, 24, {{12, 10}, {19, 15}, {26, 19}}, {{10, 20}, {30, 6}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DrawTarget target(kWidth, kHeight, kBackground);
        DrawAAPolygonFilled(target.Context(), c.x1, c.y1, c.x2, c.y2, kInk, 5);
        for (const POINT& p : c.inside) {
            EXPECT_EQ(Native(kInk), target.At(p.x, p.y)) << p.x << "," << p.y;
        }
        for (const POINT& p : c.outside) {
            EXPECT_EQ(Native(kBackground), target.At(p.x, p.y)) << p.x << "," << p.y;
        }
        EXPECT_EQ(Native(kInk), target.At(c.x1, c.y1));
        EXPECT_EQ(Native(kInk), target.At(c.x2, c.y2));
    }
}

}  // namespace
