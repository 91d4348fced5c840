#pragma once
// Where a curve's event texts, value boxes and cursor labels go: pure geometry over the band of
// the curve, so the painters in curvewnd/win/ only draw what these decide.

#include <cstdint>
#include <functional>
#include <vector>

#include "foundation/Geometry.h"

class CKSTChannel;

// An event time within half a sample interval (halfInterval, the caller's GetSampleInterval / 2
// taken once for all events) of the channel's samples moves to the time of the sample at or
// before it. False, leaving the time alone, otherwise (also for an empty channel or a time that
// is not finite).
bool KstSnapEventTime(const CKSTChannel& channel, double halfInterval, double& time);

// Pixels between an event marker's box and the band's bottom, without and with an arrow. The
// arrow's head fills the kArrowHeadRows rows above the band's last row, 7 pixels wide at its
// top; a stem joins it to the box.
constexpr int32_t kEventBoxGap = 4;
constexpr int32_t kEventBoxGapWithArrow = 8;
constexpr int32_t kArrowHeadRows = 4;
// Space between an event's text and its box on every side.
constexpr int32_t kEventTextMargin = 3;

// The box of an event marker whose text measures textWidth x textHeight, centred on the column
// at the foot of the band.
RECT KstEventMarkerBox(int32_t column, int32_t bandBottom, int32_t textWidth, int32_t textHeight,
                       bool arrow);

// The eight places tried for a value box around its anchor p: three left of p (text middle 15
// pixels above, 15 below, level), one above, one below, three right of p.
constexpr int kValueBoxCandidates = 8;
void KstValueBoxCandidates(const POINT& p, int32_t textWidth, int32_t textHeight,
                           RECT boxes[kValueBoxCandidates]);
// The first candidate wholly inside the band that overlaps none of the earlier boxes; failing
// that, the one with the largest area inside the band (the first of equals).
int KstChooseValueBox(const RECT boxes[kValueBoxCandidates], const RECT& band,
                      const std::vector<RECT>& earlier);
// Where the line from the anchor meets the box: the middle of the side that faces the anchor.
POINT KstValueBoxJoin(int candidate, const RECT& box);

// The rectangle of a cursor label of textWidth x textHeight at column x whose value lies on
// valueRow: tried alternately right and left of x, then stepping up and down from the value's
// row, until one lies wholly inside the band and `overlaps` is false for it; else the first that
// lay inside the band. False, with an empty rectangle, when none fits the band.
bool KstPlaceLabelRect(int32_t x, int32_t valueRow, int32_t textWidth, int32_t textHeight,
                       const RECT& band, const std::function<bool(const RECT&)>& overlaps,
                       RECT& out);
