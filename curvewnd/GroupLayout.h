#pragma once
// The arithmetic of axis groups, free of window objects: how the window height is shared among
// the groups, where the Y axes stand beside a group's plot area, the rounded range of an
// automatically scaled axis, and the geometry of the group decorations (gradient, picture,
// title, scroll bar). The group object and the window layout feed their numbers through these.

#include <cstdint>
#include <vector>

#include "foundation/Geometry.h"

// Fits a run of groups into the height, starting at group `first` (clamped into the list).
// Each group of the run gets weight x space / (sum of the run's weights), truncated, where the
// space is `space` less the legend heights of the run's groups. While the smallest share is below
// minHeight and the run holds more than one group, its last group is dropped. Weights that are
// negative or not finite count as 0; a run whose weights sum to 0 is shared equally.
// Returns the number of groups in the run; heights receives their shares.
int KstFitGroupRun(const std::vector<double>& weights, const std::vector<int32_t>& legendHeights,
                   int first, int32_t space, int32_t minHeight, std::vector<int32_t>& heights);

// One Y axis of a group as the placement sees it.
struct KstAxisSlot {
    bool takesPart = true;  // not hidden and used by a shown curve
    int32_t width = 0;
    // Results: the axis band (empty for axes that take no part), the side, and whether the axis
    // stands next to the plot area (the group's frame is then its edge line).
    RECT rect = {0, 0, 0, 0};
    bool rightSide = false;
    bool inner = false;
};

// Axes at even positions stand left of the group's plot rectangle from the inside out, those at
// odd positions right of it, starting rightOffset pixels beyond its right edge. The outermost
// axis on each side reaches the limit (the window border). Every axis spans the group's height
// below the legend.
void KstPlaceGroupAxes(std::vector<KstAxisSlot>& axes, const RECT& group, int32_t legendHeight,
                       int32_t leftLimit, int32_t rightLimit, int32_t rightOffset);

// The rectangle the curves of a group draw in: the group shrunk by one pixel for the frame, less
// the legend at the top.
RECT KstGroupPlotRect(const RECT& group, int32_t legendHeight);

// The range an axis is widened to when all its values are equal (or equal within 1e-9 relative):
// by 1 on each side for logarithmic and decibel axes, by 5 for linear ones.
void KstWidenFlatRange(double& lo, double& hi, uint32_t scaleType);

// lo rounded down and hi rounded up to multiples of k x 10^(e - 1), with e the decimal exponent
// of the nice step of hi - lo (or of hi when the span is below 1e-13) and k 1, 2 or 5 by the
// step's mantissa.
void KstNiceRange(double lo, double hi, double& niceLo, double& niceHi);

// Colour of pixel row `row` (0 at the top) of a gradient `height` rows tall: every colour byte
// darkened linearly by up to 12 % towards the bottom.
uint32_t KstGradientColor(uint32_t colour, int32_t row, int32_t height);

// The part of the background picture one group shows. The picture is placed once over the stack
// of visible groups (from stackTop to stackBottom) by the placement code (5 to 13: left, right
// or centred, each top, centred or bottom; other codes as 5) and clipped to the group.
struct KstPictureSlice {
    RECT target;      // where the slice goes in the window
    int32_t sourceX;  // its top-left corner in the picture
    int32_t sourceY;
};
// False when less than one pixel of the picture falls into the group.
bool KstFindPictureSlice(const RECT& group, int32_t stackTop, int32_t stackBottom,
                         uint32_t placement, int32_t pictureWidth, int32_t pictureHeight,
                         KstPictureSlice& slice);

// The white box of the window title in the first group for a text of that width.
RECT KstTitleBox(const RECT& group, int32_t textWidth);
// Where the title text starts.
POINT KstTitleOrigin(const RECT& group);

// A group's vertical scroll bar over a range of 0 .. 1000: the page is the visible share of the
// full range (at least 3), the position its distance from the full maximum (from the minimum
// when the axis shows its lowest value on top).
void KstAxisScrollInfo(double fullMin, double fullMax, double visibleMin, double visibleMax,
                       bool lowestOnTop, int32_t& page, int32_t& position);
