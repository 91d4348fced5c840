#pragma once
// The shaded faces of the lamp and the button: every drawn pixel keeps the hue and saturation
// of the colour, with a lightness that falls from 50 above the colour's at the centre to 50
// below at the rim of the inscribed ellipse (and further outside it), never below 0. One body
// serves the portable pixel surface and the device's (curvewnd/PixelSurface.h,
// curvewnd/win/DCPixels.h); the surface's clip bounds every write.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "foundation/Colors.h"
#include "foundation/Geometry.h"

// Which pixels of the rectangle are shaded.
enum class KstShadeShape {
    Lamp,       // the inscribed ellipse, rim included
    Ellipse,    // the inscribed ellipse less its outermost rim
    Cylinder,   // all but rounded corners
    Rectangle,  // every pixel
};

// Button styles: 0 ellipse, 1 cylinder, 2 rectangle; other codes shade as a rectangle.
inline KstShadeShape KstButtonShadeShape(uint32_t style)
{
    return style == 0 ? KstShadeShape::Ellipse
                      : (style == 1 ? KstShadeShape::Cylinder : KstShadeShape::Rectangle);
}

// The largest square centred in the rectangle.
inline RECT KstCentredSquare(const RECT& rect)
{
    const int32_t width = rect.right - rect.left;
    const int32_t height = rect.bottom - rect.top;
    RECT square = rect;
    if (width > height) {
        square.left += (width - height) / 2;
        square.right = square.left + height;
    } else {
        square.top += (height - width) / 2;
        square.bottom = square.top + width;
    }
    return square;
}

// The face inside the button's frame ring: inset by a tenth of the shorter side, never
// inverted.
inline RECT KstButtonFaceRect(const RECT& rect)
{
    const int32_t m = std::min(rect.right - rect.left, rect.bottom - rect.top) / 10;
    RECT face{rect.left + m, rect.top + m, rect.right - m, rect.bottom - m};
    face.right = std::max(face.right, face.left);
    face.bottom = std::max(face.bottom, face.top);
    return face;
}

// The colour of a pixel at normalised squared distance d from the centre.
inline uint32_t KstShadeColour(double hue, double saturation, double lightness, double d)
{
    const double shaded = std::clamp(lightness + 50.0 - 100.0 * d, 0.0, 240.0);
    return HslToRgb(hue, saturation, shaded);
}

// A pixel of a corner that the cylinder leaves out.
inline bool KstOutsideCylinderCorner(const RECT& rect, double px, double py, double rx, double ry)
{
    const double a = (rx - 1.0) / 2.0;
    const double b = (ry - 1.0) / 2.0;
    if (a <= 0.0 || b <= 0.0) {
        return false;
    }
    const bool left = px < rect.left + a;
    const bool right = px > rect.right - a;
    const bool top = py < rect.top + b;
    const bool bottom = py > rect.bottom - b;
    if (!(left || right) || !(top || bottom)) {
        return false;
    }
    const double cx = left ? rect.left + a : rect.right - a;
    const double cy = top ? rect.top + b : rect.bottom - b;
    const double ex = (px - cx) / a;
    const double ey = (py - cy) / b;
    return std::sqrt(ex * ex + ey * ey) > 1.1;
}

template <class Surface>
void KstShadeFace(Surface& surface, const RECT& rect, uint32_t colour, KstShadeShape shape)
{
    const double rx = (rect.right - rect.left) / 2.0;
    const double ry = (rect.bottom - rect.top) / 2.0;
    if (rx <= 0.0 || ry <= 0.0) {
        return;
    }
    double hue = 0.0;
    double saturation = 0.0;
    double lightness = 0.0;
    RgbToHsl(colour, hue, saturation, lightness);
    const double cx = rect.left + rx;
    const double cy = rect.top + ry;
    const int64_t x0 = std::max<int64_t>(rect.left, surface.ClipLeft());
    const int64_t x1 = std::min<int64_t>(rect.right, surface.ClipRight());
    const int64_t y0 = std::max<int64_t>(rect.top, surface.ClipTop());
    const int64_t y1 = std::min<int64_t>(rect.bottom, surface.ClipBottom());
    for (int64_t x = x0; x < x1; ++x) {
        const double px = x + 0.5;
        const double ex = (px - cx) / rx;
        for (int64_t y = y0; y < y1; ++y) {
            const double py = y + 0.5;
            const double ey = (py - cy) / ry;
            const double d = ex * ex + ey * ey;
            const bool drawn = (shape == KstShadeShape::Lamp && d <= 1.0) ||
                               (shape == KstShadeShape::Ellipse && d <= 0.99) ||
                               (shape == KstShadeShape::Cylinder &&
                                !KstOutsideCylinderCorner(rect, px, py, rx, ry)) ||
                               shape == KstShadeShape::Rectangle;
            if (drawn) {
                surface.Put(x, y, Surface::Native(KstShadeColour(hue, saturation, lightness, d)));
            }
        }
    }
}
