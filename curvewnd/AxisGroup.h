#pragma once
// One horizontal band of a curve window: it owns its Y axes and its curves, every curve scaled
// by one of the group's axes and drawn in the group's plot rectangle. The group chooses the
// axis of a new curve, answers lookups and hit tests inside the band, scales its axes to the
// data, places its axes left and right of the plot area and draws its background, picture,
// frame, title and scroll bar.
//
// The object, its lookups, ranges, layout and scroll bar state are portable; drawing is a set of
// free functions in curvewnd/win/AxisGroupDraw.h and the scroll bar control comes from the
// window.

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "curvewnd/Curve.h"
#include "curvewnd/CurveHost.h"
#include "curvewnd/YAxis.h"
#include "foundation/Geometry.h"
#include "foundation/String.h"
#include "foundation/TimeStamp.h"

class CKSTChannel;
class CKSTXAxis;

// The vertical scroll bar beside a group whose first axis is zoomed, a control of the window.
// Destroying the object destroys the control.
class IKSTGroupScrollBar {
public:
    virtual ~IKSTGroupScrollBar() = default;
    // The rectangle the bar was last placed on.
    virtual const RECT& GetRect() const = 0;
    virtual void Move(const RECT& rect) = 0;
    // The bar's range is 0 .. 1000; page and position as KstAxisScrollInfo gives them.
    virtual void SetScrollPosition(int32_t page, int32_t position) = 0;
};

// What a group asks of its window beyond what its curves ask.
class IKSTGroupHost : public IKSTCurveHost {
public:
    // Takes the channel out of the window's own channels, deleting it when the window owns it.
    virtual void ReleaseChannel(CKSTChannel* channel) = 0;
    // The window title that the first shown group draws, and the colour stored with it.
    virtual CKSTString GetTitleText() const = 0;
    virtual int32_t GetTitleValue() const = 0;
    // Top of the first and bottom of the last shown group: the stack that the background picture
    // is placed over.
    virtual void GetShownGroupsExtent(int32_t& top, int32_t& bottom) const = 0;
    // A scroll bar control with the id, placed on rect; null while the window has none to hold
    // it.
    virtual std::unique_ptr<IKSTGroupScrollBar> CreateScrollBar(int id, const RECT& rect) = 0;

protected:
    ~IKSTGroupHost() = default;
};

class CKSTAxisGroup {
public:
    // How AddChannel chooses the Y axis of a new curve (other values: that axis index).
    enum : uint32_t {
        kAxisLast = 0,
        kAxisNew = 1,
        kAxisOfUnit = 2,
    };
    // Display style given to the curves of a pointer instrument (a filled needle).
    static constexpr uint32_t kStylePointer = 17;

    // A new group: no axes or curves, zero rectangle, weight 1, visible.
    explicit CKSTAxisGroup(IKSTGroupHost* owner);
    ~CKSTAxisGroup();
    CKSTAxisGroup(const CKSTAxisGroup&) = delete;
    CKSTAxisGroup& operator=(const CKSTAxisGroup&) = delete;

    // --- Adding and removing ---
    // A new curve for the channel on the axis that mode chooses; returns its index in the group.
    int AddChannel(CKSTChannel* channel, CKSTXAxis* xAxis, uint32_t mode, bool redraw);
    // A new curve on the axis of that index (created, with any missing before it, when the group
    // has fewer); the axis is scaled to the data and the curve's style follows the display kind
    // and the channel. Returns the curve's index.
    int AddCurveOnAxis(CKSTChannel* channel, CKSTXAxis* xAxis, uint32_t axisIndex, bool redraw);
    // A copy of the curve (attributes, level lines, events, channel and X axis) on the axis that
    // mode chooses: 0 the group's last axis, 1 a new copy of axis, 2 the first axis of axis' unit;
    // a copy of axis where there is none. Returns the curve's index.
    int AddCurve(const CKSTCurve& curve, const CKSTYAxis& axis, uint32_t mode);
    // Deletes the curve and, when no other curve uses it, its axis; with releaseChannel the
    // window first lets go of the curve's channel.
    void RemoveCurve(CKSTCurve* curve, bool releaseChannel);
    void RemoveAxis(CKSTYAxis* axis);

    // --- Lookups (null, 0 or false when nothing matches) ---
    int GetCurveCount() const { return static_cast<int>(m_curves.size()); }
    int GetAxisCount() const { return static_cast<int>(m_axes.size()); }
    CKSTCurve* GetCurve(int index) const;
    CKSTYAxis* GetAxis(int index) const;
    int GetCurveIndex(const CKSTCurve* curve) const;
    int GetAxisIndex(const CKSTYAxis* axis) const;
    CKSTCurve* GetFirstCurve() const;
    CKSTCurve* GetLastCurve() const;
    bool ContainsCurve(const CKSTCurve* curve) const;
    CKSTCurve* FindCurveByChannel(const CKSTChannel* channel) const;
    CKSTCurve* FindCurveByChannelName(const CKSTString& name) const;
    // By the channel's name and group text.
    CKSTCurve* FindCurveByName(const CKSTString& name, const CKSTString& group) const;
    CKSTCurve* FindCurveByLabelText(const CKSTString& group, const CKSTString& name) const;
    // The first curve on the axis.
    CKSTCurve* FindCurveOnAxis(const CKSTYAxis* axis) const;
    int CountCurvesOnAxis(const CKSTYAxis* axis) const;
    // No shown curve before the one at index uses its axis.
    bool IsFirstCurveOnAxis(int index) const;
    bool AxisHasShownCurve(const CKSTYAxis* axis) const;
    // No curve other than excluded ones (kinds 3 and 4) uses the axis.
    bool AxisHasNoCurve(const CKSTYAxis* axis) const;
    // A shown curve exists; with one legend per group also a group holding a hidden curve,
    // unless its only curve is an XY display's X channel.
    bool HasShownCurve() const;
    // Some axis is zoomed.
    bool HasZoomedAxis() const;
    // Kind 1 and not only in the value list.
    static bool IsShownCurve(const CKSTCurve& curve);
    // Not hidden and used by a shown curve.
    bool AxisTakesPart(const CKSTYAxis* axis) const;
    // A hidden axis is neither laid out nor drawn (the Y axis keeps no such flag itself).
    void SetAxisHidden(const CKSTYAxis* axis, bool hidden);
    bool IsAxisHidden(const CKSTYAxis* axis) const;

    // --- Hit tests (client points) ---
    CKSTYAxis* HitTestAxis(const POINT& point) const;
    // From the last shown curve to the first.
    CKSTCurve* HitTestCurve(const POINT& point) const;
    CKSTPlotMarker* FindEventAt(const POINT& point) const;
    CKSTLimitLine* FindLevelLineAt(const POINT& point) const;
    // The rows from y1 to y2 (either order) reach the group's rows widened by 5 pixels.
    bool HitTestBand(int32_t y1, int32_t y2) const;

    // --- Ranges and scaling ---
    // Earliest channel start and latest channel end over the curves (the end of bars and steps
    // one sample further), each moved onto the reference time when one is given; +1e300 and
    // -1e300 for an empty group.
    double GetDataStart(const CKSTTimeStamp* reference) const;
    double GetDataEnd(const CKSTTimeStamp* reference) const;
    // The earliest channel start time stamp; now (whole seconds) for an empty group.
    CKSTTimeStamp GetStartTimeStamp() const;
    // Value range of the channels on the axis (only the shown ones when it has any); (0, 0) for a
    // group without curves.
    void GetValueRange(const CKSTYAxis* axis, double& min, double& max) const;
    // Takes the unit of the axis' first curve, and, for an axis with automatic range, the range
    // of its data widened when flat and rounded outwards.
    void AutoScaleAxis(CKSTYAxis* axis);
    // AutoScaleAxis for every axis that is not zoomed.
    void AutoScaleAll();
    void SetNiceRange(CKSTYAxis* axis, double lo, double hi);
    // Every zoomed axis goes back to its state at that zoom level.
    void RestoreZoomLevel(uint16_t level);

    // --- Layout ---
    // Lays the group out in rect (its plot area): legend, axes beside it (the outermost ones
    // reaching the limits, the right ones rightOffset further out) and the curves' band. Axis
    // widths are measured with the measure (null: the texts count as empty).
    void Layout(IKSTTextMeasure* measure, const RECT& rect, int32_t leftLimit, int32_t rightLimit,
                int32_t rightOffset);
    // Widths of the axes that take part at even (left) and odd (right) positions, measured for
    // the group's present height.
    int32_t GetLeftAxesWidth(IKSTTextMeasure* measure);
    int32_t GetRightAxesWidth(IKSTTextMeasure* measure);
    // The height of the group's own legend; 0 unless the legend (one per group) set it.
    int32_t GetLegendHeight() const;
    void SetLegendHeight(int32_t height) { m_legendHeight = height; }
    void ResetLegend() { m_legendHeight = 0; }
    // The group's rectangle is invalidated in the window and every axis and curve lays out anew.
    void InvalidateLayout();
    void SetXAxis(CKSTXAxis* xAxis);
    void AxisChanged(const CKSTYAxis* axis);
    void InvalidateCurves();

    const RECT& GetRect() const { return m_rect; }
    double GetWeight() const { return m_weight; }
    void SetWeight(double weight) { m_weight = weight; }
    bool IsVisible() const { return m_visible != 0; }
    void SetVisible(bool visible) { m_visible = visible ? 1 : 0; }
    IKSTGroupHost* GetOwner() const { return m_owner; }

    // The first shown curve of the group, the one the grid is drawn through.
    CKSTCurve* FirstShownCurve() const;

    // --- Scroll bar ---
    // The bar right of the group, width pixels wide, created by the owner or moved (the strip it
    // crosses invalidated), showing the first axis' visible share of its unzoomed range.
    void UpdateScrollBar(int id, int32_t width);
    void DeleteScrollBar() { m_scrollBar.reset(); }
    IKSTGroupScrollBar* GetScrollBar() const { return m_scrollBar.get(); }

private:
    CKSTYAxis* NewAxis();
    // The channel's value range; while a channel only grows, only its new samples are read.
    void ChannelValueRange(const CKSTChannel& channel, double& min, double& max) const;
    void SetRect(const RECT& rect);
    const CKSTFontDesc& AxesFont() const;

    IKSTGroupHost* m_owner;
    std::unique_ptr<IKSTGroupScrollBar> m_scrollBar;
    RECT m_rect;
    double m_weight;
    uint8_t m_visible;
    int32_t m_legendHeight;
    std::vector<std::unique_ptr<CKSTYAxis>> m_axes;
    std::vector<const CKSTYAxis*> m_hiddenAxes;
    std::vector<std::unique_ptr<CKSTCurve>> m_curves;

    // The range of a channel's samples as last read: the live display appends to its channels
    // between refreshes, and reading every sample again each time would cost more than drawing.
    struct RangeCache {
        const double* values = nullptr;
        uint32_t count = 0;
        uint64_t firstBits = 0;
        uint64_t lastBits = 0;
        double min = 0.0;
        double max = 0.0;
    };
    mutable std::map<const CKSTChannel*, RangeCache> m_rangeCache;
};
