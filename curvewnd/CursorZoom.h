#pragma once
// The arithmetic of the curve window's measuring cursors, zoom steps and scrolling: where the
// cursors start, where a scroll code moves a range, which group comes first after paging, how a
// dragged group boundary turns into group weights. Pure functions, so the window code only
// applies what they decide.
//
// Scroll codes are the scroll-bar codes (0 line up/left, 1 line down/right, 2 page up/left,
// 3 page down/right, 4 thumb position, 5 thumb track, 6 top/left end, 7 bottom/right end, 8
// end scroll). Scroll bars run from 0 to 1000.

#include <cstdint>
#include <vector>

// The smallest zoomed span relative to the data's span.
constexpr double kKstMinZoomRatio = 1e-9;
// Scroll bars of zoomed ranges run from 0 to this.
constexpr int32_t kKstScrollRange = 1000;

// The columns of the two differential cursors over the X band: one and two thirds of the way,
// truncated toward zero.
void KstDifferentialColumns(int32_t left, int32_t right, int32_t& cursor1, int32_t& cursor2);

// A zoomed span is acceptable against the span of the data it shows. A reference span that is
// zero or not finite (flat or missing data) cannot be compared with, so any positive finite span
// passes; a span that is not positive never does.
bool KstZoomSpanAllowed(double span, double referenceSpan);

// What a horizontal scroll asks for, and where the X range's minimum goes.
struct KstHorizontalScroll {
    uint32_t code = 0;
    bool wheel = false;         // line steps of 10 % instead of 2 % of the span
    int32_t trackPosition = 0;  // code 5
    int32_t scrollMaximum = kKstScrollRange;
    int32_t pageSize = 0;
};
// False for codes that do nothing; else the new minimum of a range of `span` inside
// [rootMinimum, rootMaximum].
bool KstHorizontalScrollMinimum(const KstHorizontalScroll& scroll, double rootMinimum,
                                double rootMaximum, double minimum, double span,
                                double& newMinimum);
// The thumb position of a range starting at minimum; 0 for an empty root range.
int32_t KstScrollThumb(double minimum, double rootMinimum, double rootMaximum);

// The first group shown after a scroll of the group list, -1 when the code does nothing. first
// is the first shown group, count the number shown, total the number that can be listed.
int KstGroupPagingFirst(uint32_t code, int first, int count, int total, int32_t trackPosition);

// A Y axis' range after a scroll of its group's scroll bar, kept inside [rootMinimum,
// rootMaximum] with its span; lowestOnTop exchanges the directions. False for codes that do
// nothing. thumb is the scroll-bar position of the new range.
bool KstVerticalScrollRange(uint32_t code, int32_t trackPosition, double rootMinimum,
                            double rootMaximum, bool lowestOnTop, double& minimum, double& maximum,
                            int32_t& thumb);

// The weights of the listed groups after the boundary below group `index` was dragged so that
// its body is `newBody` pixels high. bodies are the groups' present body heights (without their
// legends). The other groups keep at least minHeight on average; afterwards the weights sum to
// the group count. False (weights unchanged) when nothing changes.
bool KstResizeGroupWeights(std::vector<double>& weights, const std::vector<int32_t>& bodies,
                           int index, int32_t newBody, int32_t minHeight);

// The grid a rounded X range snaps to for a nice step: mantissa below 2 -> 2 x 10^(e-2), below 5
// -> 5 x 10^(e-2), else 10^(e-1); 0 for a step that is not positive and finite.
double KstRoundedRangeGrid(double step);
