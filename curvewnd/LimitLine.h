#pragma once
// A horizontal line at a fixed value that belongs to one curve, drawn across the plot in the
// curve's Y scale. The curve owns its limit lines.

#include <cstdint>

#include "curvewnd/CurveOwner.h"
#include "data/settings/SettingsColors.h"

class CKSTLimitLine {
public:
    // Pen styles of the line.
    enum : uint32_t {
        kSolid = 0,
        kDash = 1,
        kDot = 2,
        kDashDot = 3,
        kDashDotDot = 4,
    };

    CKSTLimitLine() { Reset(); }
    explicit CKSTLimitLine(IKSTCurveItemOwner* owner)
    {
        Reset();
        m_owner = owner;
    }

    // Value 0, solid, automatic colour, no owner.
    void Reset();
    // Value, line style and colour; the owner stays.
    void CopyFrom(const CKSTLimitLine& other);

    // Each stores a changed value and asks the owner curve to be drawn again.
    void SetValue(double value);
    void SetLineStyle(uint32_t style);
    void SetColour(uint32_t colour);
    void SetOwner(IKSTCurveItemOwner* owner) { m_owner = owner; }

    IKSTCurveItemOwner* GetOwner() const { return m_owner; }
    double GetValue() const { return m_value; }
    uint32_t GetLineStyle() const { return m_lineStyle; }
    // KST_COLOR_AUTOMATIC: the curve's colour.
    uint32_t GetColour() const { return m_colour; }

private:
    void InvalidateOwner();

    IKSTCurveItemOwner* m_owner;
    double m_value;
    uint32_t m_lineStyle;
    uint32_t m_colour;
};
