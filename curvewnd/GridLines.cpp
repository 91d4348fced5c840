#include "curvewnd/GridLines.h"

#include <cmath>

#include "curvewnd/XAxis.h"
#include "curvewnd/YAxis.h"

namespace {

bool RowInBand(const RECT& band, int32_t row)
{
    return row >= band.top && row < band.bottom;
}

}  // namespace

void KstGridColumns(const CKSTXAxis& xAxis, const RECT& bandIn, std::vector<int32_t>& columns)
{
    const RECT band = NormalizeRect(bandIn);
    columns.clear();
    for (const int32_t x : xAxis.GetTickPixels()) {
        if (x >= band.left && x < band.right) {
            columns.push_back(x);
        }
    }
}

void KstGridRows(const CKSTYAxis& yAxis, const RECT& bandIn, std::vector<int32_t>& rows)
{
    const RECT band = NormalizeRect(bandIn);
    rows.clear();
    const double first = yAxis.GetFirstTick();
    const double spacing = yAxis.GetTickSpacing();
    if (!std::isfinite(first)) {
        return;
    }
    const int count = spacing > 0.0 ? CKSTYAxis::kMaxTicks + 1 : 1;
    const double limit = yAxis.GetDisplayMaximum() + (spacing > 0.0 ? spacing * 1e-6 : 0.0);
    for (int k = 0; k < count; ++k) {
        const double value = first + k * spacing;
        if (k > 0 && !(value <= limit)) {
            break;
        }
        const int32_t row = yAxis.ValueToPixel(value);
        if (RowInBand(band, row)) {
            rows.push_back(row);
        }
    }
}

bool KstLevelLineRow(const CKSTYAxis& yAxis, const RECT& bandIn, double value, int32_t& row)
{
    const double v = yAxis.Transform(value);
    if (!(v >= yAxis.GetMinimum() && v <= yAxis.GetMaximum())) {
        return false;
    }
    row = yAxis.ValueToPixel(v);
    return RowInBand(NormalizeRect(bandIn), row);
}
