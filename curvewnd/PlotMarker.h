#pragma once
// A text placed at an X position of a curve window: on a curve point, in the window, or as a
// vertical line. A curve's events are markers kept in time order; each curve also holds one as
// the style of new events and event texts.

#include <cstdint>

#include "curvewnd/CurveOwner.h"
#include "data/settings/SettingsColors.h"
#include "foundation/FontDesc.h"
#include "foundation/Geometry.h"
#include "foundation/String.h"

class CKSTPlotMarker {
public:
    enum : uint32_t {
        kOnWindow = 0,
        kOnCurve = 1,
        kVerticalLine = 2,
        kOnTrack = 3,
    };

    CKSTPlotMarker() { Reset(); }
    explicit CKSTPlotMarker(IKSTCurveItemOwner* owner)
    {
        Reset();
        m_owner = owner;
    }

    // Defaults: on curve at time 0, aligned to a data point, frame and pointer on, automatic
    // colours, no rotation, the default font; box cleared, no owner.
    void Reset();
    // Every field but the owner and the box.
    void CopyFrom(const CKSTPlotMarker& other);
    // Every field but the owner and the box; times compare as doubles.
    bool operator==(const CKSTPlotMarker& other) const;
    bool operator!=(const CKSTPlotMarker& other) const { return !(*this == other); }

    // Each stores a changed value and asks the owner curve to be drawn again.
    void SetText(const CKSTString& text);
    void SetType(uint32_t type);
    void SetAtDataPoint(bool atDataPoint);
    void SetTextColour(uint32_t colour);
    void SetBackgroundColour(uint32_t colour);
    void SetFont(const CKSTFontDesc& font);
    void SetAngle(int16_t degrees);
    void SetFrame(bool frame);
    void SetPointer(bool pointer);
    // Also restores the time order of the owner's events.
    void SetPosition(double time);

    void SetLocked(bool locked) { m_locked = locked ? 1 : 0; }
    void SetDefaultMarker(bool on) { m_defaultMarker = on ? 1 : 0; }
    void SetOwner(IKSTCurveItemOwner* owner) { m_owner = owner; }
    // The rectangle of the text as last painted.
    void SetBox(const RECT& box) { m_box = box; }

    // The point lies in the box as last painted.
    bool HitTest(const POINT& point) const;

    IKSTCurveItemOwner* GetOwner() const { return m_owner; }
    const RECT& GetBox() const { return m_box; }
    const CKSTString& GetText() const { return m_text; }
    uint32_t GetType() const { return m_type; }
    double GetTime() const { return m_time; }
    bool IsAtDataPoint() const { return m_atDataPoint != 0; }
    bool IsLocked() const { return m_locked != 0; }
    // KST_COLOR_AUTOMATIC: the curve's colour.
    uint32_t GetTextColour() const { return m_textColour; }
    bool HasFrame() const { return m_frame != 0; }
    // KST_COLOR_AUTOMATIC: the window's plot background; KST_COLOR_NONE: transparent.
    uint32_t GetBackgroundColour() const { return m_backgroundColour; }
    int16_t GetAngle() const { return m_angle; }
    const CKSTFontDesc& GetFont() const { return m_font; }
    bool IsDefaultMarker() const { return m_defaultMarker != 0; }
    bool HasPointer() const { return m_pointer != 0; }

private:
    void InvalidateOwner();

    IKSTCurveItemOwner* m_owner;
    RECT m_box;
    CKSTString m_text;
    uint32_t m_type;
    double m_time;
    uint8_t m_atDataPoint;
    uint8_t m_locked;
    uint32_t m_textColour;
    uint8_t m_frame;
    uint32_t m_backgroundColour;
    int16_t m_angle;
    CKSTFontDesc m_font;
    uint8_t m_defaultMarker;
    uint8_t m_pointer;
};

// The box of one event text as the curve painting last drew it.
struct CKSTEventCell {
    CKSTEventCell() { Clear(); }
    void Clear() { left = top = right = bottom = 0; }

    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};
