#pragma once
// Where a band's grid lines and a curve's level lines fall: pixel columns and rows taken from
// the axes, limited to the band, so the painters draw nothing outside it.

#include <cstdint>
#include <vector>

#include "foundation/Geometry.h"

class CKSTXAxis;
class CKSTYAxis;

// The X axis' tick pixels inside the band (left <= x < right).
void KstGridColumns(const CKSTXAxis& xAxis, const RECT& band, std::vector<int32_t>& columns);
// The rows of the Y axis' first tick and of every further tick spacing up to its display
// maximum (at most 101), inside the band (top <= y < bottom); only the first tick when the
// spacing is not positive.
void KstGridRows(const CKSTYAxis& yAxis, const RECT& band, std::vector<int32_t>& rows);
// The row of a level line at the value (a channel value, transformed by the axis); false when
// the value lies outside the axis' range (minimum <= value <= maximum) or the row outside the
// band.
bool KstLevelLineRow(const CKSTYAxis& yAxis, const RECT& band, double value, int32_t& row);
