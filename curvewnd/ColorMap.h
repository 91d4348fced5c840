#pragma once
// The colour map of a matrix channel: every pixel of a curve's band takes the largest grid value
// that falls into it, coloured on a 1024-step scale from blue (the grid's minimum) through cyan,
// green and yellow to red (its maximum), or, for a matrix whose values are colours, that colour.
// Pure arithmetic over the channel: the painter in curvewnd/win/ only writes the pixels.

#include <cstdint>
#include <functional>

#include "foundation/Geometry.h"

class CKSTChannel;

// Number of steps of the colour scale.
constexpr int32_t kColorRampSteps = 1024;

// Colour (COLORREF) of scale index k: 0 red (the maximum) .. 1023 blue (the minimum); indices
// outside are clamped.
uint32_t KstColorRampColor(int32_t k);
// Scale index of v on [min, max]: 1023 - trunc((v - min) x 1023 / (max - min)), clamped into the
// scale. A scale without extent (max == min, or not finite) puts every value at the maximum
// colour; a value that is not a number has no index (-1).
int32_t KstColorRampIndex(double v, double min, double max);
// The colour a value of a colour matrix stands for; values that are no colour word (negative,
// too large, not a number) give black.
uint32_t KstMatrixValueColor(double v);

// The numbers of the curve's band and axes that the colour map reads.
struct KstMatrixView {
    RECT band;        // the curve's band, normalised
    double xMinimum;  // X axis
    double xDisplayMaximum;
    double yMinimum;  // Y axis, in its own units
    double yDisplayMaximum;
    bool lowestOnTop;   // the Y axis shows its lowest value on top
    double timeOffset;  // seconds the channel's times are shifted by (absolute-time axes)
};

// Pixels per unit of the map along X and Y (1e30 for a range below 1e-100; 1.0 for both when the
// channel's source attribute is 2, a grid drawn pixel for pixel).
void KstMatrixScales(const CKSTChannel& channel, const KstMatrixView& view, double& xScale,
                     double& yScale);

// Calls put (x, y, colour) once for every band pixel that the grid covers, row by row from the
// top. Nothing for a channel that is not a matrix, an empty one, or a band under 2 pixels.
void KstRenderMatrixMap(const CKSTChannel& channel, const KstMatrixView& view,
                        const std::function<void(int32_t, int32_t, uint32_t)>& put);
