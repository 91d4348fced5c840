#pragma once
// A vertical value axis of an axis group: maps values to pixel rows and back in a linear,
// logarithmic or decibel scale, chooses its ticks, lays out its labels and unit caption beside
// the plot (left or right) and keeps its own zoom history as a chain of saved copies.
//
// Values are held in the scale's own units: log10 of the value on a logarithmic axis and
// 20 x log10 on a decibel axis; callers pass channel values through Transform first.
//
// The arithmetic and the label layout are portable; painting is a free function in
// curvewnd/win/AxisDraw.h.

#include <cstdint>
#include <memory>
#include <vector>

#include "curvewnd/CurveOwner.h"
#include "foundation/FontDesc.h"
#include "foundation/Geometry.h"
#include "foundation/String.h"

class CKSTCurveWndSettings;

class CKSTYAxis {
public:
    enum : uint32_t {
        kScaleLinear = 0,
        kScaleLogarithmic = 1,
        kScaleDecibel = 2,
    };
    // At most this many ticks beyond the first are drawn and labelled.
    static constexpr int kMaxTicks = 100;

    struct Label {
        CKSTString text;
        int32_t x;
        int32_t y;
        int32_t width;
        int32_t height;
    };

    // Defaults, then the tick layout. The owner may be null.
    explicit CKSTYAxis(IKSTCurveOwner* owner);
    CKSTYAxis(IKSTCurveOwner* owner, bool pointerInstrument);
    ~CKSTYAxis();
    CKSTYAxis(const CKSTYAxis&) = delete;
    CKSTYAxis& operator=(const CKSTYAxis&) = delete;

    // Every setting and the laid-out state, with a deep copy of the zoom history.
    void CopyFrom(const CKSTYAxis& source);
    // Defaults (the pointer-instrument flag stays); drops the zoom history.
    void Reset();

    bool HitTest(const POINT& point) const;
    // Band height - 3.
    int32_t GetPixelLength() const;
    // The minimum sits 2 pixels above the band's bottom and the display maximum at its top + 1;
    // with the lowest value on top the other way round.
    int32_t ValueToPixel(double v) const;
    double PixelToValue(int32_t pixel) const;
    // A channel value in the scale's units; non-positive values on logarithmic and decibel axes
    // go 1000 below the minimum.
    double Transform(double v) const;

    void SetRect(const RECT& rect);
    void SetScaleType(uint32_t type);
    // Refuses (false) an empty manual range and ends that are not finite; an empty automatic
    // range becomes minimum - 5 .. maximum + 5.
    bool SetRange(double minimum, double maximum, bool automaticRange);
    // A spacing that is not a number, and a count that is not positive, are ignored.
    void SetTickSpacing(double spacing, bool automatic);
    void SetTickCount(double count, bool automatic);
    void SetUnit(const CKSTString& unit);
    void SetColour(uint32_t colour);
    void SetUnitPrefixMode(uint32_t mode);
    void SetLowestOnTop(bool lowestOnTop);
    // Set by the group layout and the group.
    void SetRightSide(bool rightSide) { m_rightSide = rightSide ? 1 : 0; }
    void SetNoEdgeLine(bool noEdgeLine) { m_noEdgeLine = noEdgeLine ? 1 : 0; }
    void SetPointerInstrument(bool on) { m_pointerInstrument = on ? 1 : 0; }
    void SetDialAngle(double degrees) { m_dialAngle = degrees; }
    void Invalidate();

    IKSTCurveOwner* GetOwner() const { return m_owner; }
    uint32_t GetScaleType() const { return m_scaleType; }
    const CKSTString& GetUnit() const { return m_unit; }
    const RECT& GetRect() const { return m_rect; }
    double GetMinimum() const { return m_minimum; }
    double GetMaximum() const { return m_maximum; }
    double GetDisplayMaximum() const { return m_displayMaximum; }
    double GetFirstTick() const { return m_firstTick; }
    double GetTickSpacing() const { return m_tickSpacing; }
    bool IsAutoTicks() const { return m_autoTicks != 0; }
    int16_t GetPixelsPerTick() const { return m_pixelsPerTick; }
    int32_t GetAxisWidth() const { return m_axisWidth; }
    bool IsAutoRange() const { return m_autoRange != 0; }
    // The stored colour; KST_COLOR_AUTOMATIC when automatic.
    uint32_t GetColour() const { return m_colour; }
    // The colour drawn: the stored one, else the first curve's, else the window's YTextColor.
    uint32_t GetDrawColour() const;
    bool IsPointerInstrument() const { return m_pointerInstrument != 0; }
    uint32_t GetUnitPrefixMode() const { return m_unitPrefixMode; }
    bool IsRightSide() const { return m_rightSide != 0; }
    bool HasNoEdgeLine() const { return m_noEdgeLine != 0; }
    bool IsLowestOnTop() const { return m_lowestOnTop != 0; }
    double GetDialAngle() const { return m_dialAngle; }
    uint16_t GetZoomLevel() const { return m_zoomLevel; }

    // --- Zoom history (as the X axis) ---
    void PushZoom(uint16_t level);
    void TruncateZoom(uint16_t level);
    const CKSTYAxis* GetZoomState(uint16_t level) const;
    const CKSTYAxis* GetPreviousState() const { return m_previousState.get(); }
    // The unzoomed range: that of the oldest state.
    double GetRangeMin() const;
    double GetRangeMax() const;

    // --- Ticks and labels ---
    void LayoutTicks();
    // 0 with prefix mode 0; else the engineering exponent of the range (of its powers of ten on
    // a logarithmic axis).
    int16_t GetLabelExponent() const;
    // Channel names of the curves on this axis joined by ", ", at most 20, then ", ...".
    CKSTString GetCaption() const;
    // Label texts and places, the unit caption and whether they fit; returns the width the
    // band needs. Without a measure every text counts as 0 x 0 pixels.
    int32_t LayoutLabels(IKSTTextMeasure* measure, const CKSTFontDesc& font);
    // Pixel rows of the tick marks (at most kMaxTicks + 1).
    void GetTickPixels(std::vector<int32_t>& rows) const;
    const std::vector<Label>& GetLabels() const { return m_labels; }
    bool AreLabelsShown() const { return m_labelsShown; }
    const Label& GetUnitCaption() const { return m_unitCaption; }
    bool IsUnitCaptionShown() const { return m_unitCaptionShown; }

    // LayoutLabels, keeping the width it returns as the axis width.
    void LayoutWidth(IKSTTextMeasure* measure, const CKSTFontDesc& font);
    // 1 when the axis draws its own edge line (its ticks then move one pixel off the edge).
    int32_t EdgeOffset() const
    {
        return m_noEdgeLine ? 0 : 1;
    }
    // The owner's settings, or the defaults without an owner.
    const CKSTCurveWndSettings& Settings() const;

private:
    void CopyStateFrom(const CKSTYAxis& source);
    const CKSTYAxis& Root() const;
    // The tick values first + k x spacing (k <= kMaxTicks) not beyond the display maximum.
    int TickCount() const;

    IKSTCurveOwner* m_owner;
    std::unique_ptr<CKSTYAxis> m_previousState;
    uint32_t m_scaleType;
    CKSTString m_unit;
    RECT m_rect;
    double m_minimum;
    double m_maximum;
    double m_displayMaximum;
    double m_firstTick;
    double m_tickSpacing;
    uint8_t m_autoTicks;
    int16_t m_pixelsPerTick;
    int32_t m_axisWidth;
    uint8_t m_autoRange;
    uint32_t m_colour;
    uint8_t m_pointerInstrument;
    uint32_t m_unitPrefixMode;
    uint8_t m_rightSide;
    uint8_t m_noEdgeLine;
    uint8_t m_lowestOnTop;
    double m_dialAngle;
    uint16_t m_zoomLevel;
    std::vector<Label> m_labels;
    bool m_labelsShown;
    Label m_unitCaption;
    bool m_unitCaptionShown;
};
