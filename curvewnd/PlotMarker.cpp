#include "curvewnd/PlotMarker.h"

void CKSTPlotMarker::Reset()
{
    m_owner = nullptr;
    m_box = RECT{0, 0, 0, 0};
    m_text.Empty();
    m_type = kOnCurve;
    m_time = 0.0;
    m_atDataPoint = 1;
    m_locked = 0;
    m_textColour = KST_COLOR_AUTOMATIC;
    m_frame = 1;
    m_backgroundColour = KST_COLOR_AUTOMATIC;
    m_angle = 0;
    m_font.SetDefault();
    m_defaultMarker = 0;
    m_pointer = 1;
}

void CKSTPlotMarker::CopyFrom(const CKSTPlotMarker& other)
{
    if (&other == this) {
        return;
    }
    m_atDataPoint = other.m_atDataPoint;
    m_backgroundColour = other.m_backgroundColour;
    m_textColour = other.m_textColour;
    m_font = other.m_font;
    m_frame = other.m_frame;
    m_pointer = other.m_pointer;
    m_locked = other.m_locked;
    m_angle = other.m_angle;
    m_text = other.m_text;
    m_type = other.m_type;
    m_defaultMarker = other.m_defaultMarker;
    m_time = other.m_time;
}

bool CKSTPlotMarker::operator==(const CKSTPlotMarker& other) const
{
    return m_atDataPoint == other.m_atDataPoint && m_backgroundColour == other.m_backgroundColour &&
           m_textColour == other.m_textColour && m_font == other.m_font &&
           m_frame == other.m_frame && m_pointer == other.m_pointer && m_locked == other.m_locked &&
           m_angle == other.m_angle && m_text == other.m_text && m_type == other.m_type &&
           m_defaultMarker == other.m_defaultMarker && m_time == other.m_time;
}

void CKSTPlotMarker::InvalidateOwner()
{
    if (m_owner != nullptr) {
        m_owner->Invalidate();
    }
}

void CKSTPlotMarker::SetText(const CKSTString& text)
{
    if (text == m_text) {
        return;
    }
    m_text = text;
    InvalidateOwner();
}

void CKSTPlotMarker::SetType(uint32_t type)
{
    if (type == m_type) {
        return;
    }
    m_type = type;
    InvalidateOwner();
}

void CKSTPlotMarker::SetAtDataPoint(bool atDataPoint)
{
    const uint8_t value = atDataPoint ? 1 : 0;
    if (value == m_atDataPoint) {
        return;
    }
    m_atDataPoint = value;
    InvalidateOwner();
}

void CKSTPlotMarker::SetTextColour(uint32_t colour)
{
    if (colour == m_textColour) {
        return;
    }
    m_textColour = colour;
    InvalidateOwner();
}

void CKSTPlotMarker::SetBackgroundColour(uint32_t colour)
{
    if (colour == m_backgroundColour) {
        return;
    }
    m_backgroundColour = colour;
    InvalidateOwner();
}

void CKSTPlotMarker::SetFont(const CKSTFontDesc& font)
{
    if (font == m_font) {
        return;
    }
    m_font = font;
    InvalidateOwner();
}

void CKSTPlotMarker::SetAngle(int16_t degrees)
{
    if (degrees == m_angle) {
        return;
    }
    m_angle = degrees;
    InvalidateOwner();
}

void CKSTPlotMarker::SetFrame(bool frame)
{
    const uint8_t value = frame ? 1 : 0;
    if (value == m_frame) {
        return;
    }
    m_frame = value;
    InvalidateOwner();
}

void CKSTPlotMarker::SetPointer(bool pointer)
{
    const uint8_t value = pointer ? 1 : 0;
    if (value == m_pointer) {
        return;
    }
    m_pointer = value;
    InvalidateOwner();
}

void CKSTPlotMarker::SetPosition(double time)
{
    if (time == m_time) {
        return;
    }
    m_time = time;
    if (m_owner != nullptr) {
        m_owner->SortEvents();
        m_owner->Invalidate();
    }
}

bool CKSTPlotMarker::HitTest(const POINT& point) const
{
    return PtInRectEx(m_box, point);
}
