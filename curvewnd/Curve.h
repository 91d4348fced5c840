#pragma once
// One plotted channel inside an axis group of a curve window: ties a channel to the window's X
// axis and one Y axis of the group and carries everything that decides how the channel is drawn
// (display style, symbol, colour, gap handling, decimals, legend and cursor visibility), its
// level lines, its events (time-stamped texts, always in time order) and the boxes of the event
// texts drawn by the last paint. The axis group owns its curves.
//
// The object, its lists, hit tests and the geometry of painting are portable; the drawing into
// a device context and the inverted cursor lines are free functions in curvewnd/win/.

#include <cstdint>
#include <memory>
#include <vector>

#include "curvewnd/CurveHost.h"
#include "curvewnd/LimitLine.h"
#include "curvewnd/PlotMarker.h"
#include "data/settings/CurveSettings.h"
#include "data/settings/MarkerSettings.h"
#include "foundation/FontDesc.h"
#include "foundation/Geometry.h"
#include "foundation/String.h"

class CKSTChannel;
class CKSTXAxis;
class CKSTYAxis;

class CKSTCurve : public IKSTCurveItemOwner {
public:
    // Display styles.
    enum : uint32_t {
        kStyleLines = 0,
        kStyleBars = 1,
        kStyleSteps = 2,
        kStyleSymbols = 3,  // symbols only, no line
        kStyleThickLines = 4,
        kStyle3DBars = 5,
        kStyleEventTexts = 6,
        kStyleNeedle = 7,  // pointer instrument with a line needle; no line in y(t), never hit
        kStyleDashLines = 8,
        kStyleDotLines = 9,
        kStyleDashDotLines = 10,
        kStyleDashDotDotLines = 11,
        kStyleThickSteps = 12,
        kStyleDashSteps = 13,
        kStyleDotSteps = 14,
        kStyleDashDotSteps = 15,
        kStyleDashDotDotSteps = 16,
    };
    // Symbols.
    enum : uint32_t {
        kSymbolPoint = 0,
        kSymbolThickPoint = 1,
        kSymbolRing = 2,
        kSymbolSquare = 3,
        kSymbolTriangle = 4,
        kSymbolDiamond = 5,
        kSymbolX = 6,
        kSymbolPlus = 7,
        kSymbolStar = 8,
    };
    // Curve kinds; the window's curve enumeration skips the excluded ones (3 and 4).
    enum : uint32_t {
        kKindHidden = 0,
        kKindShown = 1,
        kKindXChannel = 2,  // the X channel of an XY display
        kKindHiddenExcluded = 3,
        kKindShownExcluded = 4,
    };
    // Event display modes.
    enum : uint32_t {
        kEventsHidden = 0,
        kEventsShown = 1,
        kEventsAsIcons = 2,
    };

    // The owner may be null (a template curve): then nothing is invalidated.
    explicit CKSTCurve(IKSTCurveHost* owner);
    ~CKSTCurve();
    CKSTCurve(const CKSTCurve&) = delete;
    CKSTCurve& operator=(const CKSTCurve&) = delete;

    // Takes every attribute, the sources and the dial and bar geometry of other, with deep
    // copies of its level lines and events (owned by this curve); cells and the label tip are
    // not copied.
    void CopyFrom(const CKSTCurve& other);
    void SetSources(CKSTChannel* channel, CKSTXAxis* xAxis, CKSTYAxis* yAxis);

    // --- Queries ---
    IKSTCurveHost* GetOwner() const { return m_owner; }
    CKSTChannel* GetChannel() const { return m_channel; }
    CKSTXAxis* GetXAxis() const { return m_xAxis; }
    CKSTYAxis* GetYAxis() const { return m_yAxis; }
    // The channel's name, unique name and group text; empty without a channel.
    CKSTString GetChannelName() const;
    CKSTString GetChannelString() const;
    CKSTString GetChannelLabelPrefix() const;
    // The own colour, else the channel's, else the window's automatic colour for this curve.
    uint32_t GetColor() const;
    // The stored colour word (KST_COLOR_AUTOMATIC when automatic).
    uint32_t GetOwnColor() const { return m_colour; }
    bool IsMatrixCurve() const;
    // The band, normalised.
    RECT GetRect() const;
    uint32_t GetDisplayKind() const { return m_displayStyle; }
    uint32_t GetSymbol() const { return m_symbol; }
    uint32_t GetValueListMode() const { return m_valueListMode; }
    bool GetInterpolateGaps() const { return m_interpolateGaps != 0; }
    uint32_t GetCurveKind() const { return m_curveKind; }
    uint32_t GetEventDisplayMode() const { return m_eventDisplayMode; }
    bool GetShowInLegend() const { return m_showInLegend != 0; }
    bool GetShowAtCursor() const { return m_showAtCursor != 0; }
    bool GetShowBarValue() const { return m_showBarValue != 0; }
    int16_t GetDecimals() const { return m_decimals; }
    const CKSTPlotMarker& GetEventTemplate() const { return m_eventTemplate; }

    // --- Paint results (overwritten by every paint) ---
    // Where the pen stood after the last segment, symbol or event text; (-1, -1) before.
    const POINT& GetLastDrawnPoint() const { return m_lastDrawn; }
    void SetLastDrawnPoint(const POINT& point) { m_lastDrawn = point; }
    int32_t GetLastBarTop() const { return m_lastBarTop; }
    void SetLastBarTop(int32_t row) { m_lastBarTop = row; }
    // Centre and outer radius of the pointer-instrument dial as last drawn.
    void SetDial(int32_t centreX, int32_t centreY, int32_t radius);
    int32_t GetDialCentreX() const { return m_dialCentreX; }
    int32_t GetDialCentreY() const { return m_dialCentreY; }
    int32_t GetDialRadius() const { return m_dialRadius; }
    // Boxes of the event texts of the last paint in the event-text style.
    const std::vector<CKSTEventCell>& GetCells() const { return m_cells; }
    void ClearCells() { m_cells.clear(); }
    void AddCell(const RECT& box);
    // The window that shows the curve's label at the mouse; null while hidden.
    IKSTTextTip* GetLabelTip() const { return m_labelTip.get(); }
    void SetLabelTip(std::unique_ptr<IKSTTextTip> tip) { m_labelTip = std::move(tip); }

    // --- Level lines and events ---
    int GetLevelLineCount() const { return static_cast<int>(m_levelLines.size()); }
    int GetEventCount() const { return static_cast<int>(m_events.size()); }
    // Null when i is out of range.
    CKSTLimitLine* GetLevelLine(int i) const;
    CKSTPlotMarker* GetEvent(int i) const;
    // The first event flagged as default marker, else null.
    CKSTPlotMarker* GetDefaultMarkerEvent() const;
    void ClearDefaultMarkerFlags();
    // The element after or before the given one, wrapping around; one not in the list counts
    // as standing after the last element. Null for an empty list.
    CKSTLimitLine* NextLevelLine(const CKSTLimitLine* line) const;
    CKSTLimitLine* PrevLevelLine(const CKSTLimitLine* line) const;
    CKSTPlotMarker* NextEvent(const CKSTPlotMarker* event) const;
    CKSTPlotMarker* PrevEvent(const CKSTPlotMarker* event) const;

    // --- Setters: an unchanged value does nothing; a change invalidates the band and, with
    // redraw, re-lays out the window and updates it at once ---
    void SetColor(uint32_t colour, bool redraw);
    void SetDisplayKind(uint32_t style, bool redraw);
    void SetInterpolateGaps(bool on, bool redraw);
    void SetShowInLegend(bool on, bool redraw);
    void SetShowAtCursor(bool on, bool redraw);
    void SetShowBarValue(bool on, bool redraw);
    void SetDecimals(int16_t decimals, bool redraw);
    void SetSymbol(uint32_t symbol, bool redraw);
    void SetValueListMode(uint32_t mode, bool redraw);
    void SetEventDisplayMode(uint32_t mode, bool redraw);
    // Compared as normalised rectangles; never re-lays out.
    void SetRect(const RECT& rect);
    // On a change also refreshes the legend and, with redraw, the group ranges before the
    // re-layout; then posts window event 15 when subscribed and returns the post result, else
    // 0. Without a change returns the kind.
    int32_t SetCurveKind(uint32_t kind, bool redraw);
    // Manual range of the Y axis, then invalidation, re-layout and update.
    void SetAxisRange(double minimum, double maximum);
    // Tick spacing of the Y axis (automatic with the flag), then the same.
    void SetAxisParameter(double spacing, bool automatic);

    void OnSourceChanged(const CKSTXAxis* xAxis);
    void OnAxisChanged(const CKSTYAxis* yAxis);
    void Refresh() { Invalidate(); }
    // Invalidates the band in the window, when there is one to draw into.
    void Invalidate() override;

    // --- Lists ---
    void AddLevelLine(const CKSTLimitLine& line, bool redraw);
    void AddLevelLineFrom(const CKSTLimitSettings& record);
    void CopyLevelLines(const CKSTCurve& other);
    void CopyEvents(const CKSTCurve& other);
    void AddEventCopy(const CKSTPlotMarker& event, bool redraw);
    // An event from a stored marker description with the given font.
    void AddEvent(const CKSTMarkerSettings& description, const CKSTFontDesc& font);
    void SetEventTemplate(const CKSTMarkerSettings& description, const CKSTFontDesc& font);
    // Delete the level line or event; false when the curve does not hold it.
    bool RemoveLevelLine(const CKSTLimitLine* line);
    bool RemoveEvent(const CKSTPlotMarker* event);
    // Stable: equal times keep their order.
    void SortEvents() override;
    // Deletes the events with t1 <= time <= t2; (0, 0) deletes all.
    void RemoveEventsInSpan(double t1, double t2);
    // Keeps only the events with t1 < time < t2 and moves them by shift (a cut of the data).
    void KeepEventsInSpan(double t1, double t2, double shift);
    // Adds dt to every event time; no re-sort, no redraw.
    void ShiftEvents(double dt);
    // The last event whose box contains the point.
    CKSTPlotMarker* FindEventAt(const POINT& point) const;
    // From the last level line backwards, the first whose row lies less than 5 pixels from y.
    CKSTLimitLine* FindLevelLineAt(const POINT& point) const;

    // --- Painting and hit tests ---
    bool HitTest(const POINT& point) const;
    // The point lies on the outer 25 pixels of the dial last drawn for the curve, within the
    // scale.
    bool HitTestDial(const POINT& point) const;
    // The matrix curve's interpolated value at a pixel; false for other curves.
    bool GetMatrixValueAtPixel(int32_t x, int32_t y, double& value) const;
    // Time and transformed value of the curve at a pixel column; false when the curve has no
    // channel, axes or samples.
    bool GetValueAtPixel(int32_t x, double& time, double& value) const;
    // Pixel of a (time, value) pair; time is an X value (date offset applied).
    void ValueToPoint(double time, double value, POINT& point, double pixelsPerUnit) const;
    // Pixels per X unit across the band.
    double GetPixelScale() const;
    // Seconds to add to channel times to get X values (Absolute Time axes).
    double GetDateOffset() const;
    // The channel's dominant time step (tolerance 0.5); false when it has none. A time vector's
    // step is remembered while its sample count, array and end times stay the same, so a
    // zoomed-in paint need not read every time.
    bool GetDominantTimeStep(double& step) const;

private:
    void StoreDefaults();
    // Invalidates; with redraw re-lays out the owner and updates it.
    void Changed(bool redraw);
    void ApplyMarkerDescription(CKSTPlotMarker& marker, const CKSTMarkerSettings& description,
                                const CKSTFontDesc& font);

    IKSTCurveHost* m_owner;
    std::unique_ptr<IKSTTextTip> m_labelTip;
    CKSTChannel* m_channel;
    CKSTXAxis* m_xAxis;
    CKSTYAxis* m_yAxis;
    RECT m_rect;
    uint32_t m_displayStyle;
    uint32_t m_symbol;
    uint32_t m_valueListMode;
    POINT m_lastDrawn;
    uint32_t m_colour;
    uint8_t m_interpolateGaps;
    uint32_t m_curveKind;
    uint32_t m_eventDisplayMode;
    uint8_t m_showInLegend;
    uint8_t m_showAtCursor;
    int16_t m_decimals;
    CKSTPlotMarker m_eventTemplate;
    int32_t m_lastBarTop;
    uint8_t m_showBarValue;
    int32_t m_dialCentreX;
    int32_t m_dialCentreY;
    int32_t m_dialRadius;
    std::vector<std::unique_ptr<CKSTLimitLine>> m_levelLines;
    std::vector<std::unique_ptr<CKSTPlotMarker>> m_events;
    std::vector<CKSTEventCell> m_cells;

    struct TimeStepCache {
        const CKSTChannel* channel = nullptr;
        const double* times = nullptr;
        uint32_t count = 0;
        double first = 0.0;
        double last = 0.0;
        bool found = false;
        double step = 0.0;
    };
    mutable TimeStepCache m_timeStep;
};
