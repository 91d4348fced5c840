#pragma once
// The reduction that keeps zoomed-out curves both exact and cheap: each pixel column of a curve
// is drawn from at most four values of the samples that fall into it (the first, the minimum,
// the maximum and the last), so a single spike among millions of samples still reaches the
// screen while a paint costs one pass over the visible samples.
//
// A sample takes part when it is present: not flagged missing and not NaN (a NaN cannot be
// placed on any axis). Infinities are present; the axes map them far outside the band.

#include <cstdint>

// The present samples of one column.
struct KstColumnExtent {
    uint32_t firstIndex;
    uint32_t lastIndex;
    double first;
    double minimum;
    double maximum;
    double last;
};

// Reduces values[i0..i1] (inclusive); missing may be null when no sample is flagged. False,
// with out untouched, when no sample of the range is present.
bool ReduceColumn(const double* values, const uint8_t* missing, uint32_t i0, uint32_t i1,
                  KstColumnExtent& out);

// Minimum and maximum over the present samples of values[i0..i1]; false when there is none.
bool ColumnMinMax(const double* values, const uint8_t* missing, uint32_t i0, uint32_t i1,
                  double& minimum, double& maximum);

// The smallest present sample above 0 in values[i0..i1]; false when there is none.
bool ColumnMinPositive(const double* values, const uint8_t* missing, uint32_t i0, uint32_t i1,
                       double& minimum);

// Transformed extremes of a column for a transform that rises on positive values and is one
// constant (`floor`) for every value <= 0, as logarithmic and decibel axes map values: the
// transformed extremes follow from the raw ones, except in a column that holds values on both
// sides of 0, where the smallest positive value decides. transform is called with raw values
// only; the column's samples are read again only in that mixed case.
template <class Transform>
void TransformColumnExtremes(const double* values, const uint8_t* missing, uint32_t i0, uint32_t i1,
                             double rawMin, double rawMax, double floor, Transform&& transform,
                             double& minimum, double& maximum)
{
    if (rawMin > 0.0) {
        minimum = transform(rawMin);
        maximum = transform(rawMax);
        return;
    }
    if (!(rawMax > 0.0)) {
        minimum = maximum = floor;
        return;
    }
    double smallestPositive = rawMax;
    ColumnMinPositive(values, missing, i0, i1, smallestPositive);
    const double low = transform(smallestPositive);
    const double high = transform(rawMax);
    minimum = low < floor ? low : floor;
    maximum = high > floor ? high : floor;
}
