#pragma once
// Where an X range of fixed span that follows the newest data ends. The end is the newest time
// rounded up to a grid of pixel-wide steps whose origin stays put while span, pixel length,
// axis type and zoom level stay the same; successive ranges then differ by whole pixels, so a
// refresh can move the picture and draw only the columns the new samples reach. The newest
// sample stays less than one pixel left of the range end.

#include <cstdint>

class CKSTXAxis;

class CKSTFollowGrid {
public:
    // Sets the axis to the span before the newest time: up to the grid point at or after it
    // when the grid fits the axis, else up to the newest time itself, where a new grid starts.
    // A span that is not positive and finite is placed as it is, without a grid. Returns what
    // the axis' SetRange returned.
    bool Follow(CKSTXAxis& axis, double newest, double span, uint32_t rangeMode);
    // The range no longer follows: the next Follow starts a new grid.
    void Reset() { m_valid = false; }

    bool IsValid() const { return m_valid; }
    // A grid point and the width of one step, in X units.
    double GetOrigin() const { return m_origin; }
    double GetPixelTime() const { return m_pixelTime; }

private:
    bool Fits(const CKSTXAxis& axis, double span) const;
    // Starts the grid at the axis' present end, with its present pixel width.
    void Restart(const CKSTXAxis& axis, double span);

    bool m_valid = false;
    double m_origin = 0.0;
    double m_pixelTime = 0.0;
    double m_span = 0.0;
    int32_t m_pixelLength = 0;
    uint32_t m_type = 0;
    uint16_t m_zoomLevel = 0;
};
