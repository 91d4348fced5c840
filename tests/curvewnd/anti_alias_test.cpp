// Anti-aliased primitives on a plain pixel buffer. Expected pixel maps use grey colours (all
// three bytes equal) and are written as one byte per pixel; a guard ring around every canvas
// catches writes outside it.
#include "curvewnd/AntiAlias.h"
#include "foundation/Numeric.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kGuard = 0xA5A5A5A5;
constexpr int kGuardWidth = 3;

uint32_t Grey(int level)
{
    return static_cast<uint32_t>(level) * 0x010101u;
}

// A width x height picture inside a guard ring, drawn through a surface whose logical origin
// is (originX, originY).
class Canvas {
public:
    Canvas(int width, int height, uint32_t background, int originX = 0, int originY = 0)
        : m_width(width),
          m_height(height),
          m_stride(width + 2 * kGuardWidth),
          m_originX(originX),
          m_originY(originY),
          m_pixels(static_cast<size_t>(m_stride) * (height + 2 * kGuardWidth), kGuard)
    {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                Raw(x, y) = background;
            }
        }
    }

    CKSTPixelSurface Surface()
    {
        CKSTPixelSurface surface(&Raw(0, 0), m_width, m_height, m_stride);
        surface.SetOrigin(m_originX, m_originY);
        return surface;
    }

    void Draw(const std::function<void(CKSTPixelSurface&)>& draw)
    {
        CKSTPixelSurface surface = Surface();
        draw(surface);
    }

    // Pixel at logical coordinates.
    uint32_t At(int x, int y) const { return Raw(x - m_originX, y - m_originY); }
    bool Holds(int x, int y) const
    {
        return x >= m_originX && x < m_originX + m_width && y >= m_originY &&
               y < m_originY + m_height;
    }
    int Left() const { return m_originX; }
    int Top() const { return m_originY; }
    int Right() const { return m_originX + m_width; }
    int Bottom() const { return m_originY + m_height; }

    bool GuardIntact() const
    {
        for (int y = -kGuardWidth; y < m_height + kGuardWidth; ++y) {
            for (int x = -kGuardWidth; x < m_width + kGuardWidth; ++x) {
                const bool inside = x >= 0 && x < m_width && y >= 0 && y < m_height;
                if (!inside && Raw(x, y) != kGuard) {
                    return false;
                }
            }
        }
        return true;
    }

    // The picture as rows of grey levels (blue byte), for comparison with expected maps.
    std::vector<std::vector<int>> Levels() const
    {
        std::vector<std::vector<int>> rows(m_height, std::vector<int>(m_width));
        for (int y = 0; y < m_height; ++y) {
            for (int x = 0; x < m_width; ++x) {
                rows[y][x] = static_cast<int>(Raw(x, y) & 0xFF);
            }
        }
        return rows;
    }

private:
    uint32_t& Raw(int x, int y)
    {
        return m_pixels[static_cast<size_t>(y + kGuardWidth) * m_stride + x + kGuardWidth];
    }
    const uint32_t& Raw(int x, int y) const
    {
        return m_pixels[static_cast<size_t>(y + kGuardWidth) * m_stride + x + kGuardWidth];
    }

    int m_width;
    int m_height;
    int m_stride;
    int m_originX;
    int m_originY;
    std::vector<uint32_t> m_pixels;
};

std::string Describe(const std::vector<std::vector<int>>& rows)
{
    std::string text;
    for (const auto& row : rows) {
        for (int v : row) {
            text += std::to_string(v) + " ";
        }
        text += "\n";
    }
    return text;
}

// Background 99 and colour 201 make truncation visible: at f = 0.25 the near pixel is
// trunc(24.75) + trunc(150.75) = 174, where rounding would give 176.
constexpr int kBack = 99;
constexpr int kInk = 201;

struct LineCase {
    const char* name;
    int x1, y1, x2, y2;
    std::vector<std::vector<int>> expected;
};

TEST(AntiAliasLine, PixelMaps)
{
    const std::vector<std::vector<int>> shallow = {
        {201, 174, 149, 124, 99},
        {99, 124, 149, 174, 201},
        {99, 99, 99, 99, 99},
    };
    const LineCase cases[] = {
        {"shallow down", 0, 0, 4, 1, shallow},
        {"shallow drawn backwards", 4, 1, 0, 0, shallow},
        {"shallow up",
         0,
         2,
         4,
         1,
         {
             {99, 99, 99, 99, 99},
             {99, 124, 149, 174, 201},
             {201, 174, 149, 124, 99},
         }},
        {"steep",
         0,
         0,
         1,
         4,
         {
             {201, 99, 99},
             {174, 124, 99},
             {149, 149, 99},
             {124, 174, 99},
             {99, 201, 99},
         }},
        {"horizontal keeps the row below",
         0,
         1,
         4,
         1,
         {
             {99, 99, 99, 99, 99},
             {201, 201, 201, 201, 201},
             {99, 99, 99, 99, 99},
         }},
        {"diagonal",
         0,
         0,
         3,
         3,
         {
             {201, 99, 99, 99},
             {99, 201, 99, 99},
             {99, 99, 201, 99},
             {99, 99, 99, 201},
         }},
        {"single point",
         1,
         1,
         1,
         1,
         {
             {99, 99, 99},
             {99, 201, 99},
             {99, 99, 99},
         }},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(static_cast<int>(c.expected[0].size()), static_cast<int>(c.expected.size()),
                      Grey(kBack));
        canvas.Draw(
            [&](CKSTPixelSurface& s) { DrawAALine(s, c.x1, c.y1, c.x2, c.y2, Grey(kInk)); });
        EXPECT_EQ(c.expected, canvas.Levels()) << Describe(canvas.Levels());
        EXPECT_TRUE(canvas.GuardIntact());
    }
}

TEST(AntiAliasLine, ColourBytesKeepTheirPlaces)
{
    // COLORREF red (low byte) lands in the DIB's red byte (third).
    Canvas canvas(3, 1, 0);
    canvas.Draw([](CKSTPixelSurface& s) { DrawAALine(s, 0, 0, 2, 0, 0x0000FF); });
    EXPECT_EQ(0x00FF0000u, canvas.At(1, 0));

    // Each byte is blended on its own: at f = 0.5 both pixels take half of the old red 0x10,
    // green 0x30, blue 0x50 and half of the ink's 0x20, 0x40, 0x60.
    Canvas blend(3, 3, 0x00103050);
    blend.Draw([](CKSTPixelSurface& s) { DrawAALine(s, 0, 0, 2, 1, 0x00604020); });
    EXPECT_EQ(0x00183858u, blend.At(1, 0));
    EXPECT_EQ(0x00183858u, blend.At(1, 1));
}

// Every primitive drawn into a small surface gives the same pixels as the same drawing on a
// large one, cut to the small one, and never writes outside it.
struct ClipCase {
    const char* name;
    std::function<void(CKSTPixelSurface&)> draw;
};

TEST(AntiAliasClip, ClippedDrawingIsACutOfTheWholeDrawing)
{
    const uint32_t ink = 0x00C86432;
    const ClipCase cases[] = {
        {"line", [&](CKSTPixelSurface& s) { DrawAALine(s, -30, -7, 35, 20, ink); }},
        {"steep line", [&](CKSTPixelSurface& s) { DrawAALine(s, 8, -30, -3, 30, ink); }},
        {"thick line", [&](CKSTPixelSurface& s) { DrawThickLineAA(s, -20, 14, 25, -9, ink, 3); }},
        {"polyline",
         [&](CKSTPixelSurface& s) {
             const KstPoint points[] = {{-25, 3}, {2, 12}, {9, -20}, {30, 30}};
             DrawAAPolyline(s, points, 4, ink, 2);
         }},
        {"ellipse edge", [&](CKSTPixelSurface& s) { DrawAAEllipseEdge(s, -20, -14, 26, 22, ink); }},
        {"arc", [&](CKSTPixelSurface& s) { DrawAAArc(s, -20, -14, 26, 22, 30.0, 300.0, ink); }},
        {"solid arc",
         [&](CKSTPixelSurface& s) { DrawArcSolid(s, -18, -18, 24, 24, 200.0, 420.0, ink); }},
        {"figure",
         [&](CKSTPixelSurface& s) { DrawAAFigure(s, -22, -22, 26, 26, 135.0, 405.0, ink, 5); }},
    };
    for (const ClipCase& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas whole(100, 100, Grey(20), -50, -50);
        whole.Draw(c.draw);
        Canvas part(17, 13, Grey(20), -6, -4);
        part.Draw(c.draw);
        EXPECT_TRUE(part.GuardIntact());
        EXPECT_TRUE(whole.GuardIntact());
        int differences = 0;
        for (int y = part.Top(); y < part.Bottom(); ++y) {
            for (int x = part.Left(); x < part.Right(); ++x) {
                differences += part.At(x, y) != whole.At(x, y) ? 1 : 0;
            }
        }
        EXPECT_EQ(0, differences);
    }
}

TEST(AntiAliasClip, FiguresFarBeyondTheSurfaceStayInside)
{
    const uint32_t ink = Grey(255);
    const ClipCase cases[] = {
        {"line across the whole range",
         [&](CKSTPixelSurface& s) { DrawAALine(s, INT_MIN, 5, INT_MAX, 5, ink); }},
        {"diagonal across the whole range",
         [&](CKSTPixelSurface& s) { DrawAALine(s, INT_MIN, INT_MIN, INT_MAX, INT_MAX, ink); }},
        {"steep line across the whole range",
         [&](CKSTPixelSurface& s) { DrawAALine(s, 3, INT_MAX, 4, INT_MIN, ink); }},
        {"thick line with a huge width",
         [&](CKSTPixelSurface& s) { DrawThickLineAA(s, -5, -5, 30, 40, ink, INT_MAX); }},
        {"thick line across the whole range",
         [&](CKSTPixelSurface& s) {
             DrawThickLineAA(s, INT_MIN, INT_MAX, INT_MAX, INT_MIN, ink, 4);
         }},
        {"huge ellipse",
         [&](CKSTPixelSurface& s) {
             DrawAAEllipseEdge(s, INT_MIN, INT_MIN, INT_MAX, INT_MAX, ink);
         }},
        {"huge arc",
         [&](CKSTPixelSurface& s) {
             DrawAAArc(s, INT_MIN, -3, INT_MAX, INT_MAX, 0.0, 360.0, ink);
         }},
        {"huge figure",
         [&](CKSTPixelSurface& s) {
             DrawAAFigure(s, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0.0, 360.0, ink, 7);
         }},
        {"figure wider than its radius",
         [&](CKSTPixelSurface& s) { DrawAAFigure(s, 0, 0, 12, 12, 0.0, 270.0, ink, INT_MAX); }},
        {"endless arc", [&](CKSTPixelSurface& s) { DrawAAArc(s, 0, 0, 12, 12, 0.0, 1e300, ink); }},
        {"negative coordinates",
         [&](CKSTPixelSurface& s) { DrawAAEllipseEdge(s, -40, -40, -2, -2, ink); }},
    };
    for (const ClipCase& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(16, 12, Grey(0));
        canvas.Draw(c.draw);
        EXPECT_TRUE(canvas.GuardIntact());
    }

    // What does show of the far lines is exact.
    Canvas across(16, 12, Grey(0));
    across.Draw([&](CKSTPixelSurface& s) {
        DrawAALine(s, INT_MIN, 5, INT_MAX, 5, ink);
        DrawAALine(s, INT_MIN, INT_MIN, INT_MAX, INT_MAX, ink);
    });
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(ink, across.At(x, 5)) << x;
    }
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(ink, across.At(i, i)) << i;
    }
}

TEST(AntiAliasClip, EndlessArcIsOneTurn)
{
    Canvas once(30, 30, Grey(10));
    once.Draw([](CKSTPixelSurface& s) { DrawAAArc(s, 2, 2, 26, 26, 0.0, 360.0, Grey(250)); });
    Canvas endless(30, 30, Grey(10));
    endless.Draw([](CKSTPixelSurface& s) { DrawAAArc(s, 2, 2, 26, 26, 0.0, 1e18, Grey(250)); });
    EXPECT_EQ(once.Levels(), endless.Levels());
}

struct QuadCase {
    int x, y;
    bool inside;
};

TEST(PtInQuad, DiamondCountsEveryRowOnce)
{
    const KstPointD diamond[5] = {{5, 0}, {10, 5}, {5, 10}, {0, 5}, {5, 0}};
    const QuadCase cases[] = {
        {5, 5, true},  {0, 5, true},   {9, 5, true},   {10, 5, false}, {-1, 5, false},
        {5, 9, true},  {5, 11, false}, {2, 2, false},  {3, 2, true},   {6, 2, true},
        {7, 2, false}, {5, -1, false}, {20, 5, false},
    };
    for (const QuadCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        EXPECT_EQ(c.inside, PtInQuad(c.x, c.y, diamond));
    }
    const KstPointD point[5] = {{3, 3}, {3, 3}, {3, 3}, {3, 3}, {3, 3}};
    EXPECT_FALSE(PtInQuad(3, 3, point));
}

TEST(ThickLine, WidthBelowOneAndZeroLengthDrawNothing)
{
    const struct {
        const char* name;
        int x1, y1, x2, y2, width;
    } cases[] = {
        {"width 0", 1, 1, 8, 5, 0},
        {"negative width", 1, 1, 8, 5, -3},
        {"zero length", 4, 4, 4, 4, 3},
        {"zero length, width 1", 4, 4, 4, 4, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(10, 10, Grey(kBack));
        const auto before = canvas.Levels();
        canvas.Draw([&](CKSTPixelSurface& s) {
            DrawThickLineAA(s, c.x1, c.y1, c.x2, c.y2, Grey(kInk), c.width);
        });
        EXPECT_EQ(before, canvas.Levels());
    }
}

TEST(ThickLine, WidthOneIsTheThinLine)
{
    Canvas thick(12, 12, Grey(kBack));
    thick.Draw([](CKSTPixelSurface& s) { DrawThickLineAA(s, 1, 9, 10, 2, Grey(kInk), 1); });
    Canvas thin(12, 12, Grey(kBack));
    thin.Draw([](CKSTPixelSurface& s) { DrawAALine(s, 1, 9, 10, 2, Grey(kInk)); });
    EXPECT_EQ(thin.Levels(), thick.Levels());
}

TEST(ThickLine, HorizontalAndVerticalBandsAreSolid)
{
    // Width w reaches w pixels to each side; the outline of an axis-parallel band needs no
    // blending, so the picture is exactly the band's rectangle.
    const struct {
        const char* name;
        int x1, y1, x2, y2;
        int left, top, right, bottom;  // inclusive
    } cases[] = {
        {"horizontal", 2, 8, 12, 8, 2, 6, 12, 10},
        {"horizontal, drawn backwards", 12, 8, 2, 8, 2, 6, 12, 10},
        {"vertical", 7, 3, 7, 13, 5, 3, 9, 13},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(16, 16, Grey(kBack));
        canvas.Draw([&](CKSTPixelSurface& s) {
            DrawThickLineAA(s, c.x1, c.y1, c.x2, c.y2, Grey(kInk), 2);
        });
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const bool inBand = x >= c.left && x <= c.right && y >= c.top && y <= c.bottom;
                EXPECT_EQ(inBand ? Grey(kInk) : Grey(kBack), canvas.At(x, y)) << x << "," << y;
            }
        }
    }
}

TEST(ThickLine, DiagonalBandIsFilledAlongItsWholeLength)
{
    Canvas canvas(40, 40, Grey(0));
    canvas.Draw([](CKSTPixelSurface& s) { DrawThickLineAA(s, 5, 8, 32, 30, Grey(255), 3); });
    // Every pixel whose centre lies well inside the band (distance to the centre line at most
    // 2 of the 3 pixels each side, between the end caps) is solid.
    const double dx = 27, dy = 22, length = std::sqrt(dx * dx + dy * dy);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            const double along = ((x - 5) * dx + (y - 8) * dy) / length;
            const double across = std::fabs((x - 5) * dy - (y - 8) * dx) / length;
            if (along >= 1.0 && along <= length - 1.0 && across <= 2.0) {
                EXPECT_EQ(Grey(255), canvas.At(x, y)) << x << "," << y;
            }
            if (across > 4.5) {
                EXPECT_EQ(Grey(0), canvas.At(x, y)) << x << "," << y;
            }
        }
    }
}

TEST(Polyline, JoinsItsSegments)
{
    const KstPoint points[] = {{1, 1}, {8, 3}, {3, 9}};
    Canvas polyline(12, 12, Grey(kBack));
    polyline.Draw([&](CKSTPixelSurface& s) { DrawAAPolyline(s, points, 3, Grey(kInk), 1); });
    Canvas lines(12, 12, Grey(kBack));
    lines.Draw([&](CKSTPixelSurface& s) {
        DrawAALine(s, 1, 1, 8, 3, Grey(kInk));
        DrawAALine(s, 8, 3, 3, 9, Grey(kInk));
    });
    EXPECT_EQ(lines.Levels(), polyline.Levels());

    Canvas single(12, 12, Grey(kBack));
    const auto before = single.Levels();
    single.Draw([&](CKSTPixelSurface& s) {
        DrawAAPolyline(s, points, 1, Grey(kInk), 1);
        DrawAAPolyline(s, nullptr, 3, Grey(kInk), 1);
    });
    EXPECT_EQ(before, single.Levels());
}

// Whether every pixel lies between the background and the ink (each byte), i.e. is a blend.
bool OnlyBlends(const Canvas& canvas, int back, int ink)
{
    for (const auto& row : canvas.Levels()) {
        for (int v : row) {
            if (v < std::min(back, ink) || v > std::max(back, ink)) {
                return false;
            }
        }
    }
    return true;
}

TEST(EllipseEdge, IsSymmetricAndTouchesItsExtremes)
{
    const struct {
        const char* name;
        int left, top, right, bottom;
    } cases[] = {
        {"circle", 4, 4, 36, 36},
        {"wide ellipse", 2, 12, 38, 28},
        {"tall ellipse", 14, 1, 26, 39},
        {"corners swapped", 36, 36, 4, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(41, 41, Grey(0));
        canvas.Draw([&](CKSTPixelSurface& s) {
            DrawAAEllipseEdge(s, c.left, c.top, c.right, c.bottom, Grey(255));
        });
        EXPECT_TRUE(OnlyBlends(canvas, 0, 255));
        const int cx = (c.left + c.right) / 2, cy = (c.top + c.bottom) / 2;
        const int a = std::abs(c.right - c.left) / 2, b = std::abs(c.bottom - c.top) / 2;
        EXPECT_EQ(Grey(255), canvas.At(cx - a, cy));
        EXPECT_EQ(Grey(255), canvas.At(cx + a, cy));
        EXPECT_EQ(Grey(255), canvas.At(cx, cy - b));
        EXPECT_EQ(Grey(255), canvas.At(cx, cy + b));
        EXPECT_EQ(Grey(0), canvas.At(cx, cy));
        for (int dy = -b - 2; dy <= b + 2; ++dy) {
            for (int dx = -a - 2; dx <= a + 2; ++dx) {
                const uint32_t p = canvas.At(cx + dx, cy + dy);
                ASSERT_EQ(p, canvas.At(cx - dx, cy + dy)) << dx << "," << dy;
                ASSERT_EQ(p, canvas.At(cx + dx, cy - dy)) << dx << "," << dy;
            }
        }
    }
}

TEST(EllipseEdge, CoversEveryColumnWithOneColourShare)
{
    // Along the flat top and bottom the two pixels of a column share the colour between them:
    // black background and white ink give 255 or 254 (two truncations) per pair.
    Canvas canvas(61, 41, Grey(0));
    canvas.Draw([](CKSTPixelSurface& s) { DrawAAEllipseEdge(s, 0, 5, 60, 35, Grey(255)); });
    const int cx = 30, cy = 20;
    for (int dx = -10; dx <= 10; ++dx) {
        int sum = 0;
        for (int y = 0; y < cy; ++y) {
            sum += static_cast<int>(canvas.At(cx + dx, y) & 0xFF);
        }
        EXPECT_GE(sum, 254) << dx;
        EXPECT_LE(sum, 255) << dx;
    }
}

// Distance of a pixel's centre from the centre and its angle (degrees, clockwise from the
// right on the screen).
struct Polar {
    double radius;
    double angle;
};

Polar PolarOf(int x, int y, int cx, int cy)
{
    const double dx = x - cx, dy = y - cy;
    double angle = std::atan2(dy, dx) * 180.0 / kPi;
    if (angle < 0) {
        angle += 360.0;
    }
    return Polar{std::sqrt(dx * dx + dy * dy), angle};
}

TEST(Arc, SolidCircleIsClosed)
{
    Canvas canvas(41, 41, Grey(0));
    canvas.Draw([](CKSTPixelSurface& s) { DrawArcSolid(s, 5, 5, 35, 35, 0.0, 360.0, Grey(255)); });
    const int cx = 20, cy = 20, r = 15;
    for (int degrees = 0; degrees < 360; ++degrees) {
        const double t = degrees * kPi / 180.0;
        const int px = static_cast<int>(std::lround(cx + r * std::cos(t)));
        const int py = static_cast<int>(std::lround(cy + r * std::sin(t)));
        bool found = false;
        for (int dy = -1; dy <= 1 && !found; ++dy) {
            for (int dx = -1; dx <= 1 && !found; ++dx) {
                found = canvas.At(px + dx, py + dy) == Grey(255);
            }
        }
        EXPECT_TRUE(found) << degrees;
    }
    for (int y = 0; y < 41; ++y) {
        for (int x = 0; x < 41; ++x) {
            if (canvas.At(x, y) != Grey(0)) {
                const double radius = PolarOf(x, y, cx, cy).radius;
                EXPECT_GE(radius, r - 1.0) << x << "," << y;
                EXPECT_LE(radius, r + 1.5) << x << "," << y;
            }
        }
    }
}

TEST(Arc, RunsClockwiseFromItsStartAngle)
{
    // 0 to 90 degrees is the lower right quarter: right, then down.
    Canvas canvas(41, 41, Grey(0));
    canvas.Draw([](CKSTPixelSurface& s) { DrawAAArc(s, 5, 5, 35, 35, 0.0, 90.0, Grey(255)); });
    int drawn = 0;
    for (int y = 0; y < 41; ++y) {
        for (int x = 0; x < 41; ++x) {
            if (canvas.At(x, y) != Grey(0)) {
                ++drawn;
                EXPECT_GE(x, 20) << x << "," << y;
                EXPECT_GE(y, 20) << x << "," << y;
            }
        }
    }
    EXPECT_GT(drawn, 20);
    EXPECT_TRUE(OnlyBlends(canvas, 0, 255));
    EXPECT_EQ(Grey(255), canvas.At(35, 20));
    EXPECT_EQ(Grey(255), canvas.At(20, 35));
}

TEST(Figure, QuarterRingCoversTheLowerRightQuarter)
{
    Canvas canvas(48, 48, Grey(0));
    canvas.Draw(
        [](CKSTPixelSurface& s) { DrawAAFigure(s, 2, 2, 42, 42, 0.0, 90.0, Grey(255), 5); });
    const int cx = 22, cy = 22, outer = 20, width = 5;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) {
            const Polar p = PolarOf(x, y, cx, cy);
            const uint32_t pixel = canvas.At(x, y);
            if (pixel != Grey(0)) {
                EXPECT_GE(x, cx) << x << "," << y;
                EXPECT_GE(y, cy) << x << "," << y;
                EXPECT_LE(p.radius, outer + 1.5) << x << "," << y;
                EXPECT_GE(p.radius, outer - width - 1.5) << x << "," << y;
            }
            if (p.radius >= outer - width + 1 && p.radius <= outer - 1 && p.angle >= 3.0 &&
                p.angle <= 87.0) {
                EXPECT_EQ(Grey(255), pixel) << x << "," << y;
            }
        }
    }
}

TEST(Figure, ScaleBeyondOneTurnLeavesItsGapOpen)
{
    // A 270 degree scale from 135 to 405 degrees, as a pointer instrument draws it: the ring
    // is closed everywhere except around 90 degrees (straight down).
    Canvas canvas(48, 48, Grey(0));
    canvas.Draw(
        [](CKSTPixelSurface& s) { DrawAAFigure(s, 2, 2, 42, 42, 135.0, 405.0, Grey(255), 5); });
    const int cx = 22, cy = 22;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) {
            const Polar p = PolarOf(x, y, cx, cy);
            const bool inRing = p.radius >= 16 && p.radius <= 19;
            if (inRing && (p.angle >= 140.0 || p.angle <= 40.0)) {
                EXPECT_EQ(Grey(255), canvas.At(x, y)) << x << "," << y;
            }
            if (p.angle >= 55.0 && p.angle <= 125.0) {
                EXPECT_EQ(Grey(0), canvas.At(x, y)) << x << "," << y;
            }
        }
    }
}

}  // namespace
