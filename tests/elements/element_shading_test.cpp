// The shaded faces of lamps and buttons on a plain pixel array: which pixels each shape covers,
// and the light centre and dark rim.
#include <gtest/gtest.h>

#include <vector>

#include "curvewnd/PixelSurface.h"
#include "elements/ElementShading.h"
#include "foundation/Colors.h"

namespace {

constexpr uint32_t kUntouched = 0x00ABCDEF;

struct Canvas {
    Canvas(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h, kUntouched) {}
    CKSTPixelSurface Surface() { return CKSTPixelSurface(pixels.data(), width, height, width); }
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    double Lightness(int x, int y) const
    {
        const uint32_t native = At(x, y);
        const uint32_t colour = ((native & 0xFF) << 16) | (native & 0xFF00) | (native >> 16);
        double h = 0;
        double s = 0;
        double l = 0;
        RgbToHsl(colour, h, s, l);
        return l;
    }
    int width;
    int height;
    std::vector<uint32_t> pixels;
};

TEST(ElementShadingTest, ShapesCoverTheirPixels)
{
    const struct {
        KstShadeShape shape;
        bool corner;
        bool centre;
        bool edgeMiddle;
    } cases[] = {
        {KstShadeShape::Lamp, false, true, true},
        {KstShadeShape::Ellipse, false, true, true},
        {KstShadeShape::Cylinder, false, true, true},
        {KstShadeShape::Rectangle, true, true, true},
    };
    for (const auto& c : cases) {
        Canvas canvas(40, 20);
        CKSTPixelSurface surface = canvas.Surface();
        KstShadeFace(surface, RECT{0, 0, 40, 20}, 0x0000FF, c.shape);
        EXPECT_EQ(canvas.At(0, 0) != kUntouched, c.corner) << int(c.shape);
        EXPECT_EQ(canvas.At(39, 19) != kUntouched, c.corner) << int(c.shape);
        EXPECT_EQ(canvas.At(20, 10) != kUntouched, c.centre) << int(c.shape);
        EXPECT_EQ(canvas.At(20, 0) != kUntouched, c.edgeMiddle) << int(c.shape);
    }
}

TEST(ElementShadingTest, TheCylinderKeepsMoreThanTheEllipse)
{
    Canvas ellipse(40, 20);
    Canvas cylinder(40, 20);
    CKSTPixelSurface e = ellipse.Surface();
    CKSTPixelSurface c = cylinder.Surface();
    KstShadeFace(e, RECT{0, 0, 40, 20}, 0x00FF00, KstShadeShape::Ellipse);
    KstShadeFace(c, RECT{0, 0, 40, 20}, 0x00FF00, KstShadeShape::Cylinder);
    EXPECT_EQ(ellipse.At(3, 3), kUntouched);
    EXPECT_NE(cylinder.At(3, 3), kUntouched) << "within the rounded corner";
    EXPECT_NE(cylinder.At(0, 10), kUntouched) << "straight side";
}

TEST(ElementShadingTest, TheCentreIsLighterThanTheRimAndTheCornersDarkest)
{
    Canvas canvas(41, 41);
    CKSTPixelSurface surface = canvas.Surface();
    KstShadeFace(surface, RECT{0, 0, 41, 41}, 0x0000C0, KstShadeShape::Rectangle);
    EXPECT_GT(canvas.Lightness(20, 20), canvas.Lightness(20, 1));
    EXPECT_GT(canvas.Lightness(20, 1), canvas.Lightness(0, 0));
}

TEST(ElementShadingTest, TheClipBoundsEveryWrite)
{
    Canvas canvas(10, 10);
    CKSTPixelSurface surface = canvas.Surface();
    surface.SetClip(2, 2, 8, 8);
    KstShadeFace(surface, RECT{-50, -50, 60, 60}, 0xFFFFFF, KstShadeShape::Rectangle);
    EXPECT_EQ(canvas.At(1, 5), kUntouched);
    EXPECT_EQ(canvas.At(8, 5), kUntouched);
    EXPECT_NE(canvas.At(5, 5), kUntouched);
    KstShadeFace(surface, RECT{5, 5, 5, 9}, 0xFFFFFF, KstShadeShape::Lamp);
}

TEST(ElementShadingTest, ButtonFaceAndLampSquare)
{
    const RECT face = KstButtonFaceRect(RECT{0, 0, 100, 40});
    EXPECT_EQ(face.left, 4);
    EXPECT_EQ(face.bottom, 36);
    const RECT tiny = KstButtonFaceRect(RECT{0, 0, 30, 9});
    EXPECT_EQ(tiny.left, 0) << "under 10 pixels the face covers the ring";
    EXPECT_EQ(tiny.right, 30);
    const RECT square = KstCentredSquare(RECT{0, 0, 100, 40});
    EXPECT_EQ(square.left, 30);
    EXPECT_EQ(square.right, 70);
    EXPECT_EQ(KstButtonShadeShape(0), KstShadeShape::Ellipse);
    EXPECT_EQ(KstButtonShadeShape(1), KstShadeShape::Cylinder);
    EXPECT_EQ(KstButtonShadeShape(2), KstShadeShape::Rectangle);
}

}  // namespace
