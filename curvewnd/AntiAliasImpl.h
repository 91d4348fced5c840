#pragma once
// Bodies of the anti-aliased primitives, written once for every kind of pixel surface: the
// direct buffer (CKSTPixelSurface) and the per-pixel device-context surface of the Windows
// part. A surface offers ClipLeft/Top/Right/Bottom (half-open, logical coordinates),
// Contains(x, y), Native(colorRef), Get(x, y) and Put(x, y, value) for points inside its clip,
// and kDirect; a direct surface also hands out Pixel(x, y) pointers and its Stride.
// Colours below are already in the surface's own byte order; blending works byte by byte and
// does not care which byte is red.
//
// Coordinates are 64-bit inside so that differences of 32-bit end points never overflow, and
// every loop is limited to the clip, so far-away or huge figures cost no more than visible ones.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "curvewnd/AntiAlias.h"
#include "foundation/Numeric.h"

namespace kst::aa {

// Pixel index of a position: floor, so that positions left of or above the surface's origin
// land on the right pixel too (truncation toward zero would move them by one and give weights
// outside 0..1).
inline int64_t PixelIndex(double p)
{
    const int64_t k = static_cast<int64_t>(p);
    return static_cast<double>(k) > p ? k - 1 : k;
}

// Rounded half away from zero.
inline int64_t RoundedIndex(double p)
{
    return static_cast<int64_t>(RoundToExponent(p, 0));
}

// Blend weights are fixed-point fractions of kOne: old x w truncated is (old x w) >> 15, and a
// weight of kOne keeps a byte exactly. Quantising f to 1/32768 moves a product by less than
// 1/256, so its truncation changes only when it lies that close to an integer; in exchange two
// pixels are blended in a few vector instructions.
constexpr int kOne = 32768;

inline int WeightOf(double f)
{
    return static_cast<int>(f * kOne + 0.5);
}

// Each colour byte: old x oldWeight + colour x (1 - oldWeight), both truncated; the top byte
// ends as 0, as the platform's SetPixel leaves it.
inline uint32_t Blend(uint32_t old, uint32_t colour, int oldWeight)
{
    const uint32_t inkWeight = static_cast<uint32_t>(kOne - oldWeight);
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t o = (old >> shift) & 0xFF;
        const uint32_t c = (colour >> shift) & 0xFF;
        result |= (((o * static_cast<uint32_t>(oldWeight)) >> 15) + ((c * inkWeight) >> 15))
                  << shift;
    }
    return result;
}

// The pair rule on two pixels in memory: the near one keeps old x f, the far one old x (1 - f).
inline void BlendTwo(uint32_t* nearPixel, uint32_t* farPixel, uint32_t colour, int weight)
{
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i old = _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(*nearPixel)),
                                           _mm_cvtsi32_si128(static_cast<int>(*farPixel)));
    // Bytes doubled into 16-bit lanes: (2b x w) >> 16 is (b x w) >> 15.
    const __m128i oldLanes = _mm_slli_epi16(_mm_unpacklo_epi8(old, zero), 1);
    const __m128i inkLanes =
        _mm_slli_epi16(_mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(colour)), zero), 1);
    const short f = static_cast<short>(weight);
    const short g = static_cast<short>(kOne - weight);
    const __m128i oldWeights = _mm_set_epi16(g, g, g, g, f, f, f, f);
    const __m128i inkWeights = _mm_set_epi16(f, f, f, f, g, g, g, g);
    const __m128i sum =
        _mm_add_epi16(_mm_mulhi_epu16(oldLanes, oldWeights), _mm_mulhi_epu16(inkLanes, inkWeights));
    const __m128i bytes = _mm_packus_epi16(sum, sum);
    *nearPixel = static_cast<uint32_t>(_mm_cvtsi128_si32(bytes)) & 0xFFFFFF;
    *farPixel = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(bytes, 4))) & 0xFFFFFF;
#else
    *nearPixel = Blend(*nearPixel, colour, weight);
    *farPixel = Blend(*farPixel, colour, kOne - weight);
#endif
}

template <class S>
inline void PutAt(S& s, int64_t x, int64_t y, uint32_t colour)
{
    if (s.Contains(x, y)) {
        s.Put(x, y, colour);
    }
}

template <class S>
inline void BlendAt(S& s, int64_t x, int64_t y, uint32_t colour, int oldWeight)
{
    if (s.Contains(x, y)) {
        s.Put(x, y, Blend(s.Get(x, y), colour, oldWeight));
    }
}

// The near pixel (the curve's pixel k) takes colour x (1 - f), the far one (k + 1, away from
// it) colour x f.
template <class S>
inline void BlendPair(S& s, int64_t nearX, int64_t nearY, int64_t farX, int64_t farY,
                      uint32_t colour, double f)
{
    const int weight = WeightOf(f);
    if constexpr (S::kDirect) {
        if (s.Contains(nearX, nearY) && s.Contains(farX, farY)) {
            BlendTwo(s.Pixel(nearX, nearY), s.Pixel(farX, farY), colour, weight);
            return;
        }
    }
    BlendAt(s, nearX, nearY, colour, weight);
    BlendAt(s, farX, farY, colour, kOne - weight);
}

template <class S>
inline void SolidPair(S& s, int64_t nearX, int64_t nearY, int64_t farX, int64_t farY,
                      uint32_t colour)
{
    PutAt(s, nearX, nearY, colour);
    PutAt(s, farX, farY, colour);
}

template <class S>
void Line(S& s, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t colour)
{
    PutAt(s, x1, y1, colour);
    const int64_t dx = x2 - x1;
    const int64_t dy = y2 - y1;
    const bool shallow = std::llabs(dx) > std::llabs(dy);
    if (shallow || dy != 0) {
        // Step the main axis (x when shallow, y when steep) in the growing direction. The
        // position on the other axis is evaluated from the start rather than accumulated, so
        // clipping the loop does not change the pixels that remain.
        int64_t a0 = shallow ? x1 : y1;  // main axis
        int64_t b0 = shallow ? y1 : x1;  // other axis
        int64_t a1 = shallow ? x2 : y2;
        int64_t b1 = shallow ? y2 : x2;
        if (a1 - a0 <= 0) {
            std::swap(a0, a1);
            std::swap(b0, b1);
        }
        const double run = static_cast<double>(a1 - a0);
        const double rise = static_cast<double>(b1 - b0);
        const double start = static_cast<double>(b0);
        const int64_t mainLow = shallow ? s.ClipLeft() : s.ClipTop();
        const int64_t mainHigh = shallow ? s.ClipRight() : s.ClipBottom();
        const int64_t otherLow = shallow ? s.ClipTop() : s.ClipLeft();
        const int64_t otherHigh = shallow ? s.ClipBottom() : s.ClipRight();
        const int64_t first = std::max<int64_t>(1, mainLow - a0);
        const int64_t last = std::min<int64_t>(a1 - a0 - 1, mainHigh - 1 - a0);
        bool unchecked = false;
        if constexpr (S::kDirect) {
            // Every pixel pair lies between the two end points' rows (or columns) and one past.
            unchecked = std::min(b0, b1) >= otherLow && std::max(b0, b1) + 1 < otherHigh;
        }
        if (unchecked) {
            if constexpr (S::kDirect) {
                const ptrdiff_t farStep = shallow ? s.Stride() : 1;
                for (int64_t i = first; i <= last; ++i) {
                    const double p = start + rise * static_cast<double>(i) / run;
                    const int64_t k = PixelIndex(p);
                    uint32_t* nearPixel = shallow ? s.Pixel(a0 + i, k) : s.Pixel(k, a0 + i);
                    BlendTwo(nearPixel, nearPixel + farStep, colour,
                             WeightOf(p - static_cast<double>(k)));
                }
            }
        } else {
            for (int64_t i = first; i <= last; ++i) {
                const double p = start + rise * static_cast<double>(i) / run;
                const int64_t k = PixelIndex(p);
                const double f = p - static_cast<double>(k);
                if (shallow) {
                    BlendPair(s, a0 + i, k, a0 + i, k + 1, colour, f);
                } else {
                    BlendPair(s, k, a0 + i, k + 1, a0 + i, colour, f);
                }
            }
        }
    }
    PutAt(s, x2, y2, colour);
}

// The closed outline of a polygon, one pixel wide.
template <class S, class P>
void PolygonOutline(S& s, const P* points, int32_t count, uint32_t colour);

template <class S>
void ThickLine(S& s, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t colour, int32_t width)
{
    const double dx = static_cast<double>(x1 - x2);
    const double dy = static_cast<double>(y1 - y2);
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length == 0.0 || width < 1) {
        return;
    }
    if (width == 1) {
        Line(s, x1, y1, x2, y2, colour);
        return;
    }
    const double ox = width * dy / length;
    const double oy = width * dx / length;
    const double fx1 = static_cast<double>(x1), fy1 = static_cast<double>(y1);
    const double fx2 = static_cast<double>(x2), fy2 = static_cast<double>(y2);
    KstPointD quad[5] = {
        {RoundToExponent(fx1 - ox, 0), RoundToExponent(fy1 + oy, 0)},
        {RoundToExponent(fx1 + ox, 0), RoundToExponent(fy1 - oy, 0)},
        {RoundToExponent(fx2 + ox, 0), RoundToExponent(fy2 - oy, 0)},
        {RoundToExponent(fx2 - ox, 0), RoundToExponent(fy2 + oy, 0)},
        {0.0, 0.0},
    };
    quad[4] = quad[0];

    const int64_t tx = static_cast<int64_t>(ox);
    const int64_t ty = static_cast<int64_t>(oy);
    struct Corner {
        int64_t x;
        int64_t y;
    };
    const Corner corners[4] = {
        {x1 - tx, y1 + ty}, {x1 + tx, y1 - ty}, {x2 + tx, y2 - ty}, {x2 - tx, y2 + ty}};
    PolygonOutline(s, corners, 4, colour);

    // Filled over the whole band. Limiting the fill to the rectangle spanned by the two end
    // points, as the band was once filled, leaves horizontal and vertical bands hollow.
    double minX = quad[0].x, maxX = quad[0].x, minY = quad[0].y, maxY = quad[0].y;
    for (int i = 1; i < 4; ++i) {
        minX = std::min(minX, quad[i].x);
        maxX = std::max(maxX, quad[i].x);
        minY = std::min(minY, quad[i].y);
        maxY = std::max(maxY, quad[i].y);
    }
    const int64_t left = std::max<int64_t>(static_cast<int64_t>(minX), s.ClipLeft());
    const int64_t right = std::min<int64_t>(static_cast<int64_t>(maxX) + 1, s.ClipRight());
    const int64_t top = std::max<int64_t>(static_cast<int64_t>(minY), s.ClipTop());
    const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(maxY) + 1, s.ClipBottom());
    for (int64_t y = top; y < bottom; ++y) {
        for (int64_t x = left; x < right; ++x) {
            if (PtInQuad(static_cast<int32_t>(x), static_cast<int32_t>(y), quad)) {
                s.Put(x, y, colour);
            }
        }
    }
}

template <class S, class P>
void Polyline(S& s, const P* points, int32_t count, uint32_t colour, int32_t width)
{
    for (int32_t i = 0; i + 1 < count; ++i) {
        ThickLine(s, points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, colour, width);
    }
}

template <class S, class P>
void PolygonOutline(S& s, const P* points, int32_t count, uint32_t colour)
{
    if (points == nullptr || count <= 0) {
        return;
    }
    Polyline(s, points, count, colour, 1);
    ThickLine(s, points[0].x, points[0].y, points[count - 1].x, points[count - 1].y, colour, 1);
}

// Centre and integer semi-axes of the ellipse in a rectangle whose corners may come in either
// order.
struct Ellipse {
    int64_t cx;
    int64_t cy;
    int64_t a;
    int64_t b;
};

inline Ellipse EllipseIn(int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    return Ellipse{(left + right) / 2, (top + bottom) / 2, std::llabs(right - left) / 2,
                   std::llabs(bottom - top) / 2};
}

// semi x sqrt(1 - t^2 / other^2): the ellipse's extent along one axis at offset t along the
// other. A flat ellipse (other = 0) is only ever asked at t = 0.
inline double Extent(double semi, double other, double t)
{
    if (other == 0.0) {
        return semi;
    }
    const double q = 1.0 - (t * t) / (other * other);
    return q > 0.0 ? semi * std::sqrt(q) : 0.0;
}

template <class S>
void EllipseEdge(S& s, int64_t left, int64_t top, int64_t right, int64_t bottom, uint32_t colour)
{
    const Ellipse e = EllipseIn(left, top, right, bottom);
    const double a = static_cast<double>(e.a);
    const double b = static_cast<double>(e.b);

    // Columns: the flat parts above and below the centre.
    const int64_t firstX = std::max<int64_t>(-e.a, s.ClipLeft() - e.cx);
    const int64_t lastX = std::min<int64_t>(e.a, s.ClipRight() - 1 - e.cx);
    for (int64_t x = firstX; x <= lastX; ++x) {
        const double y = Extent(b, a, static_cast<double>(x));
        const int64_t k = PixelIndex(y);
        const double f = y - static_cast<double>(k);
        BlendPair(s, e.cx + x, e.cy + k, e.cx + x, e.cy + k + 1, colour, f);
        BlendPair(s, e.cx + x, e.cy - k, e.cx + x, e.cy - k - 1, colour, f);
    }

    // Rows up to where the edge's slope reaches 1: the steep parts left and right.
    const double diagonal = std::sqrt(a * a + b * b);
    const int64_t m = diagonal > 0.0 ? static_cast<int64_t>(b * b / diagonal) : 0;
    const int64_t firstY = std::max<int64_t>(-m, s.ClipTop() - e.cy);
    const int64_t lastY = std::min<int64_t>(m, s.ClipBottom() - 1 - e.cy);
    for (int64_t y = firstY; y <= lastY; ++y) {
        const double x = Extent(a, b, static_cast<double>(y));
        const int64_t k = PixelIndex(x);
        const double f = x - static_cast<double>(k);
        BlendPair(s, e.cx + k, e.cy + y, e.cx + k + 1, e.cy + y, colour, f);
        BlendPair(s, e.cx - k, e.cy + y, e.cx - k - 1, e.cy + y, colour, f);
    }
}

// Visits the positions from `from` to `to` (inclusive, in that order) that lie in [lo, hi),
// telling each whether it is the walk's first position. The position before the first visible
// one is handed over as well, so a caller that compares with the previous step sees the same
// history as an unclipped walk.
template <class Visit>
void Walk(int64_t from, int64_t to, int64_t lo, int64_t hi, Visit&& visit)
{
    const int64_t step = to >= from ? 1 : -1;
    int64_t begin = from;
    int64_t end = to;
    if (step > 0) {
        begin = std::max(from, lo - 1);
        end = std::min(to, hi);
    } else {
        begin = std::min(from, hi);
        end = std::max(to, lo - 1);
    }
    if ((end - begin) * step < 0) {
        return;
    }
    for (int64_t p = begin;; p += step) {
        visit(p, p == from);
        if (p == end) {
            break;
        }
    }
}

// One piece of an arc inside one quarter (0: lower right, 1: lower left, 2: upper left,
// 3: upper right), from angle t0 to t1 in degrees.
template <class S>
void ArcPiece(S& s, const Ellipse& e, double t0, double t1, int quarter, uint32_t colour,
              bool blended)
{
    const double a = static_cast<double>(e.a);
    const double b = static_cast<double>(e.b);
    const double cx = static_cast<double>(e.cx);
    const double cy = static_cast<double>(e.cy);
    const double r0 = t0 / 180.0 * kPi;
    const double r1 = t1 / 180.0 * kPi;
    const int64_t x0 = RoundedIndex(cx + a * std::cos(r0));
    const int64_t y0 = RoundedIndex(cy + b * std::sin(r0));
    const int64_t x1 = PixelIndex(cx + a * std::cos(r1));
    const int64_t y1 = PixelIndex(cy + b * std::sin(r1));
    const bool lower = quarter == 0 || quarter == 1;
    const bool rightHalf = quarter == 0 || quarter == 3;

    auto write = [&](int64_t nx, int64_t ny, int64_t fx, int64_t fy, double f) {
        if (blended) {
            BlendPair(s, nx, ny, fx, fy, colour, f);
        } else {
            SolidPair(s, nx, ny, fx, fy, colour);
        }
    };

    // Column by column: the flat parts. A step whose edge row jumps by 2 or more belongs to
    // the steep part, which the row walk below covers.
    int64_t previous = 0;
    Walk(x0, x1, s.ClipLeft(), s.ClipRight(), [&](int64_t x, bool first) {
        const double y = Extent(b, a, static_cast<double>(x - e.cx));
        const int64_t k = PixelIndex(y);
        if (first || std::llabs(k - previous) < 2) {
            const double f = y - static_cast<double>(k);
            if (lower) {
                write(x, e.cy + k, x, e.cy + k + 1, f);
            } else {
                write(x, e.cy - k, x, e.cy - k - 1, f);
            }
        }
        previous = k;
    });

    Walk(y0, y1, s.ClipTop(), s.ClipBottom(), [&](int64_t y, bool first) {
        const double x = Extent(a, b, static_cast<double>(y - e.cy));
        const int64_t k = PixelIndex(x);
        if (first || std::llabs(k - previous) < 2) {
            const double f = x - static_cast<double>(k);
            if (rightHalf) {
                write(e.cx + k, y, e.cx + k + 1, y, f);
            } else {
                write(e.cx - k, y, e.cx - k - 1, y, f);
            }
        }
        previous = k;
    });
}

template <class S>
void Arc(S& s, int64_t left, int64_t top, int64_t right, int64_t bottom, double start, double end,
         uint32_t colour, bool blended)
{
    if (!std::isfinite(start) || !std::isfinite(end) || !(end > start)) {
        return;
    }
    // Angles from stored settings may be anything; more than one turn would only blend the same
    // pixels again, and a huge span would never finish.
    double from = std::fmod(start, 360.0);
    if (from < 0.0) {
        from += 360.0;
    }
    const double to = from + std::min(end - start, 360.0);
    const Ellipse e = EllipseIn(left, top, right, bottom);
    while (from < to) {
        const double quarter = std::floor(from / 90.0);
        const double next = std::min(to, (quarter + 1.0) * 90.0);
        ArcPiece(s, e, from, next, static_cast<int>(quarter) % 4, colour, blended);
        from = next;
    }
}

struct RadialPoint {
    int64_t x;
    int64_t y;
};

// The point at the radius in the direction of the angle, built from the absolute cosine and
// sine with the signs of the angle's quarter; the quarter from 90 to 180 degrees lies one
// pixel lower on the start line.
inline RadialPoint Radial(int64_t cx, int64_t cy, double angle, double radius, bool startLine)
{
    double d = std::fmod(angle, 360.0);
    if (d < 0.0) {
        d += 360.0;
    }
    const double r = d / 180.0 * kPi;
    const double ox = radius * std::fabs(std::cos(r));
    const double oy = radius * std::fabs(std::sin(r));
    const double sx = (d < 90.0 || d >= 270.0) ? 1.0 : -1.0;
    const double sy = d < 180.0 ? 1.0 : -1.0;
    RadialPoint p{RoundedIndex(static_cast<double>(cx) + sx * ox),
                  RoundedIndex(static_cast<double>(cy) + sy * oy)};
    if (startLine && d >= 90.0 && d < 180.0) {
        ++p.y;
    }
    return p;
}

template <class S>
void Figure(S& s, int64_t left, int64_t top, int64_t right, int64_t bottom, double start,
            double end, uint32_t colour, int32_t width)
{
    if (!std::isfinite(start) || !std::isfinite(end)) {
        return;
    }
    const int64_t cx = (left + right) / 2;
    const int64_t cy = (top + bottom) / 2;
    const int64_t outer = std::min(right - left, bottom - top) / 2;
    const int64_t inner = outer - width;

    Arc(s, left, top, right, bottom, start, end, colour, true);
    if (width >= 2) {
        // Each pass draws one pixel further in; a rectangle turned inside out would grow again,
        // so a width beyond the radius stops at the centre.
        int64_t l = left, t = top, r = right, b = bottom;
        for (int32_t i = 1; i < width && l + 1 <= r - 1 && t + 1 <= b - 1; ++i) {
            ++l, ++t, --r, --b;
            Arc(s, l, t, r, b, start, end, colour, false);
        }
        if (l + 1 <= r - 1 && t + 1 <= b - 1) {
            Arc(s, l + 1, t + 1, r - 1, b - 1, start, end, colour, true);
        }
    }

    const RadialPoint startIn = Radial(cx, cy, start, static_cast<double>(inner), true);
    const RadialPoint startOut = Radial(cx, cy, start, static_cast<double>(outer), true);
    for (int64_t shift = 1; shift >= -1; --shift) {
        Line(s, startIn.x + shift, startIn.y, startOut.x + 1, startOut.y, colour);
    }
    const double endAngle = end > 360.0 ? end - 360.0 : end;
    const RadialPoint endIn = Radial(cx, cy, endAngle, static_cast<double>(inner), false);
    const RadialPoint endOut = Radial(cx, cy, endAngle, static_cast<double>(outer), false);
    Line(s, endIn.x, endIn.y, endOut.x, endOut.y, colour);
}

}  // namespace kst::aa
