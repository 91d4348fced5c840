#include "curvewnd/LimitLine.h"

void CKSTLimitLine::Reset()
{
    m_owner = nullptr;
    m_value = 0.0;
    m_lineStyle = kSolid;
    m_colour = KST_COLOR_AUTOMATIC;
}

void CKSTLimitLine::CopyFrom(const CKSTLimitLine& other)
{
    m_value = other.m_value;
    m_lineStyle = other.m_lineStyle;
    m_colour = other.m_colour;
}

void CKSTLimitLine::InvalidateOwner()
{
    if (m_owner != nullptr) {
        m_owner->Invalidate();
    }
}

void CKSTLimitLine::SetValue(double value)
{
    if (value == m_value) {
        return;
    }
    m_value = value;
    InvalidateOwner();
}

void CKSTLimitLine::SetLineStyle(uint32_t style)
{
    if (style == m_lineStyle) {
        return;
    }
    m_lineStyle = style;
    InvalidateOwner();
}

void CKSTLimitLine::SetColour(uint32_t colour)
{
    if (colour == m_colour) {
        return;
    }
    m_colour = colour;
    InvalidateOwner();
}
