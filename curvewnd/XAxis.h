#pragma once
// The horizontal axis of a curve window: maps X values to pixels and back, chooses the tick
// spacing and the tick labels, keeps the zoom history as a chain of saved copies of itself, and
// formats X values for cursor labels and tables.
//
// X values are plain numbers: seconds after the reference time on an Absolute Time axis,
// seconds on a Relative Time axis, times whose labels show an X channel's values on a Track
// axis and on a display that uses a channel as X axis.
//
// The value and pixel arithmetic, the tick and label layout and the texts are portable; painting
// is a free function in curvewnd/win/AxisDraw.h.

#include <cstdint>
#include <memory>
#include <vector>

#include "curvewnd/CurveOwner.h"
#include "foundation/FontDesc.h"
#include "foundation/Geometry.h"
#include "foundation/String.h"
#include "foundation/TimeStamp.h"

class CKSTCurveWndSettings;

class CKSTXAxis {
public:
    enum : uint32_t {
        kTypeNone = 0,  // nothing is computed or drawn
        kTypeStandard = 1,
        kTypeAbsoluteTime = 2,
        kTypeRelativeTime = 3,
        kTypeTrack = 4,
        kTypeScale = 5,  // pointer-instrument scale: no margin at the end
    };
    enum : uint32_t {
        kRangeAutomatic = 0,
        kRangeMinMaxFixed = 1,
        kRangeSpanFixed = 2,
        kRangePointsFixed = 3,
    };
    // Manual spacings giving more ticks than this switch to automatic ticks.
    static constexpr double kMaxManualTicks = 100.0;

    // Defaults, then the tick layout. The owner may be null (no window: nothing is invalidated
    // and labels are laid out in the default axes font).
    explicit CKSTXAxis(IKSTCurveOwner* owner);
    ~CKSTXAxis();
    CKSTXAxis(const CKSTXAxis&) = delete;
    CKSTXAxis& operator=(const CKSTXAxis&) = delete;

    // Takes every setting and the laid-out state of the source, with deep copies of its zoom
    // history and range template; cursor labels are not copied.
    void CopyFrom(const CKSTXAxis& source);
    // Defaults; drops the zoom history, the range template and the labels; then RecalcTicks.
    void Reset();

    // --- Geometry ---
    bool HitTest(const POINT& point) const;
    // Pixels between the ends of the mapped range: band width - 3 (type 5: the band width).
    int32_t GetPixelLength() const;
    // The minimum maps to min(left, right) + 1 and the display maximum GetPixelLength further.
    int32_t ValueToPixel(double x) const;
    // Inverse of ValueToPixel; a pixel under a tick gives that tick's exact value.
    double PixelToValue(int32_t pixel) const;
    void SetRect(const RECT& rect);
    const RECT& GetRect() const { return m_rect; }

    // --- Settings ---
    // Refuses (false) an empty range in range mode 1 and ends that are not finite; an empty
    // range in any other mode becomes 0 .. 10.
    bool SetRange(double minimum, double maximum, uint32_t rangeMode, bool relayout);
    // Refuses a span of 0 or one that is not finite.
    bool SetSpan(double span, uint32_t rangeMode, bool relayout);
    // The range mode of the unzoomed state, without relayout.
    void SetRootRangeMode(uint32_t mode);
    void SetReferenceTime(const CKSTTimeStamp& time);
    // A spacing that is not a number is ignored.
    void SetTicks(double spacing, bool onlyAtDataPoints, bool automatic);
    void SetType(uint32_t type);
    void SetUnitText(const CKSTString& text);
    void SetUnitPrefixMode(uint32_t mode);
    void SetLabelRotation(int16_t degrees);
    void SetNumericOnly(bool numericOnly) { m_numericOnly = numericOnly ? 1 : 0; }
    void SetZoomSpan(double span) { m_zoomSpan = span; }
    // Invalidates the band in the window, from the window's border to the axis' right end.
    void Invalidate();

    IKSTCurveOwner* GetOwner() const { return m_owner; }
    uint32_t GetType() const { return m_type; }
    bool IsNumericOnly() const { return m_numericOnly != 0; }
    const CKSTString& GetUnitText() const { return m_unitText; }
    const CKSTTimeStamp& GetReferenceTime() const { return m_referenceTime; }
    double GetMinimum() const { return m_minimum; }
    double GetMaximum() const { return m_maximum; }
    double GetDisplayMaximum() const { return m_displayMaximum; }
    double GetSpan() const { return m_span; }
    double GetFirstTick() const { return m_firstTick; }
    double GetTickSpacing() const { return m_tickSpacing; }
    bool IsAutoTicks() const { return m_autoTicks != 0; }
    bool IsTicksAtDataPoints() const { return m_ticksAtDataPoints != 0; }
    int16_t GetPixelsPerTick() const { return m_pixelsPerTick; }
    int32_t GetAxisHeight() const { return m_axisHeight; }
    uint32_t GetRangeMode() const { return m_rangeMode; }
    uint32_t GetUnitPrefixMode() const { return m_unitPrefixMode; }
    int16_t GetLabelRotation() const { return m_labelRotation; }
    double GetZoomSpan() const { return m_zoomSpan; }
    uint16_t GetZoomLevel() const { return m_zoomLevel; }
    double GetChannelValueSpan() const { return m_channelValueSpan; }

    // --- Zoom history ---
    // Saves a copy of the current state (with its level and history) and gives this axis the
    // level. Only this moves the history from one object to another.
    void PushZoom(uint16_t level);
    // Drops saved states while level is below this axis' level; each drop gives this axis the
    // dropped state's level. The range is not touched.
    void TruncateZoom(uint16_t level);
    // This axis when level >= its level; else the first saved state whose level is <= level,
    // or the oldest one.
    const CKSTXAxis* GetZoomState(uint16_t level) const;
    const CKSTXAxis* GetPreviousState() const { return m_previousState.get(); }
    // Range and range mode of the oldest state: the unzoomed axis.
    double GetRootMinimum() const;
    double GetRootMaximum() const;
    uint32_t GetRootRangeMode() const;
    // Gives this axis and every saved state a copy of source (without history or template) in
    // range mode `mode` as range template.
    void SaveRangeTemplate(const CKSTXAxis& source, uint32_t mode);
    void DeleteRangeTemplates();
    const CKSTXAxis* GetRangeTemplate() const { return m_rangeTemplate.get(); }
    // Zoomed exactly once into a window of fixed span or points.
    bool IsRangeWindow() const;
    // A range window whose end has reached the end of the data.
    bool NeedsScroll() const;

    // --- Ticks and labels ---
    // Tick count, first tick, pixels per tick and the display maximum from the current
    // spacing. Manual spacings of more than 100 ticks switch to automatic ticks (and lay out
    // again).
    void LayoutTicks(bool measureChannelSpread);
    // Chooses the spacing (automatic ticks: the smallest nice step whose labels fit) and lays
    // out ticks and labels with the window's draw context and axes font.
    void RecalcTicks();
    // Texts, tick pixels and positions of the labels, the caption and the axis height; returns
    // the widest label in pixels. Without a measure every text counts as 0 x 0 pixels.
    int32_t LayoutLabels(IKSTTextMeasure* measure, const CKSTFontDesc& font, bool channelLabels);

    int GetLabelCount() const { return static_cast<int>(m_labelTexts.size()); }
    const CKSTString& GetLabelText(int i) const { return m_labelTexts[i]; }
    const POINT& GetLabelPosition(int i) const { return m_labelPositions[i]; }
    int32_t GetTickPixel(int i) const { return m_tickPixels[i]; }
    const std::vector<int32_t>& GetTickPixels() const { return m_tickPixels; }
    const CKSTString& GetCaption() const { return m_caption; }
    const POINT& GetCaptionPosition() const { return m_captionPosition; }

    // The axes font turned by the label rotation.
    CKSTFontDesc LabelFont(const CKSTFontDesc& font) const;
    // The owner's settings, or the defaults without an owner.
    const CKSTCurveWndSettings& Settings() const;

    // --- Texts ---
    // The value as the axis shows it; decimals < 0 chooses them from the pixel resolution. The
    // unit text is empty on time axes.
    void FormatValue(double x, CKSTString& number, CKSTString& unit, int16_t decimals) const;
    // The value under a pixel clamped into the band.
    void FormatPixel(int32_t pixel, CKSTString& number, CKSTString& unit) const;
    // Box of a cursor label: the number text of the pixel, standing on the band's bottom,
    // centred on the pixel and kept inside the band's ends.
    void GetCursorLabelRect(int32_t pixel, RECT& rect, CKSTString& number, CKSTString& unit) const;
    // Cursor labels 1 (single or left cursor) and 2 (right cursor); other indices are ignored.
    void ShowCursorLabel(int index, int32_t pixel);
    void MoveCursorLabel(int index, int32_t pixel);
    void HideCursorLabel(int index);
    bool HasCursorLabel(int index) const;

    // --- X channel ---
    // Track axis: the X channel's value at t (its first value before it, its last after it).
    double TrackValueAtTime(double t) const;
    // Track axis: the time closest to `nearTime` at which the X channel takes the value v (values
    // outside the channel's range count as its minimum or maximum).
    double TimeAtTrackValue(double v, double nearTime) const;
    // Track axis: from the sample at `first` (the next one for k >= 1), the first sample whose
    // whole part is a multiple of the spacing's whole part gives the label value and time;
    // without one, the sample at `first`. Without an X channel: first + k x spacing.
    void NextTrackLabel(double first, int k, double spacing, double& value, double& time) const;
    // Channel-as-axis labels: a round channel value near tick time t and the time where the
    // channel takes it; false when the label should be left out.
    bool SnapLabelToChannel(double t, double& value, double& time) const;

private:
    struct LabelTick;
    struct LabelFormat;

    void CopyStateFrom(const CKSTXAxis& source);
    // The phases of LayoutLabels: the ticks to label, the precision they share, their texts
    // and places, then the caption under them.
    void CollectLabelTicks(bool channelLabels, std::vector<LabelTick>& ticks) const;
    LabelFormat ChooseLabelFormat(const std::vector<LabelTick>& ticks) const;
    int32_t PlaceLabels(IKSTTextMeasure* measure, const CKSTFontDesc& font,
                        const std::vector<LabelTick>& ticks, const LabelFormat& format,
                        int32_t& tallest, CKSTString& unitCaption);
    void PlaceCaption(IKSTTextMeasure* measure, const CKSTFontDesc& font,
                      const LabelFormat& format, const CKSTString& unitCaption, int32_t tallest);
    int64_t LabelTop() const;
    bool LayoutTicksOnce(bool measureChannelSpread);
    void Relayout();
    bool IsEnglish() const;
    const CKSTChannel* TrackChannel() const;
    const CKSTChannel* AxisChannel() const;
    void ClearLabels();
    const CKSTXAxis& Root() const;
    CKSTXAxis& Root();
    void MeasureChannelSpread();

    IKSTCurveOwner* m_owner;
    std::unique_ptr<CKSTXAxis> m_previousState;
    std::unique_ptr<CKSTXAxis> m_rangeTemplate;
    uint32_t m_type;
    uint8_t m_numericOnly;
    CKSTString m_unitText;
    RECT m_rect;
    CKSTTimeStamp m_referenceTime;
    double m_minimum;
    double m_maximum;
    double m_displayMaximum;
    double m_span;
    double m_firstTick;
    double m_tickSpacing;
    uint8_t m_autoTicks;
    int16_t m_pixelsPerTick;
    uint8_t m_ticksAtDataPoints;
    int32_t m_axisHeight;
    uint32_t m_rangeMode;
    uint32_t m_unitPrefixMode;
    int16_t m_labelRotation;
    double m_zoomSpan;
    uint16_t m_zoomLevel;
    double m_channelValueSpan;
    std::vector<POINT> m_labelPositions;
    std::vector<int32_t> m_tickPixels;
    std::vector<CKSTString> m_labelTexts;
    CKSTString m_caption;
    POINT m_captionPosition;
    std::unique_ptr<IKSTTextTip> m_cursorLabels[2];
};
