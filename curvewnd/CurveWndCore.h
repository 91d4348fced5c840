#pragma once
// The curve window without its window: the embedded settings record, the groups with their Y
// axes and curves, the X axis, the legends, the window's own channels, the display kind and the
// arrangement of curves into groups, the X range that follows the data, the window-level layout
// and the exchange with a settings record.
//
// Everything here is portable. What needs the platform (invalidating, painting the picture,
// scroll-bar controls, events to subscribers, measuring cursors) goes through the virtual hooks
// at the end of the class, which the window (curvewnd/win/CurveWnd.h) implements.
//
// Curve indices are running indices: over the groups in order, then the curves of a group in
// order. Unless a call says otherwise they include hidden curves of kinds 3 and 4.

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "curvewnd/AxisGroup.h"
#include "curvewnd/CursorZoom.h"
#include "curvewnd/FollowGrid.h"
#include "curvewnd/Legend.h"
#include "curvewnd/XAxis.h"
#include "data/ChannelObserver.h"
#include "data/settings/CurveWndSettings.h"
#include "foundation/Geometry.h"
#include "foundation/String.h"

class CKSTChannel;
class CKSTChannelList;

// Where the window layout put what it does not draw itself: the scroll bars.
struct KstWindowLayout {
    bool xScrollBar = false;  // the X axis is zoomed
    RECT xScrollBarRect = {0, 0, 0, 0};
    bool groupScrollBar = false;  // not every listed group fits
    RECT groupScrollBarRect = {0, 0, 0, 0};
    int32_t yScrollBarWidth = 0;  // 16 when a shown group has a zoomed Y axis
};

// One extra command of the window's popup menu: choosing it sends WM_COMMAND with the id to the
// target window.
struct KstMenuCommand {
    CKSTString text;
    uint32_t id = 0;
    void* target = nullptr;  // window handle of the receiver
};

class CKSTCurveWndCore : public IKSTGroupHost, public IKSTChannelObserver {
public:
    // Display kinds.
    enum : uint32_t {
        kDisplayYT = 0,
        kDisplayXY = 1,
        kDisplayBar = 2,
        kDisplayXYChannel = 3,  // XY with a channel as X axis
        kDisplayPointer = 4,
    };
    // Events told to subscribers (the numbering the display elements share).
    enum : uint32_t {
        kEventLeftDown = 0,
        kEventLeftDownAtPoint = 1,
        kEventLeftUp = 2,
        kEventDoubleClick = 3,
        kEventDrag = 4,
        kEventRightDown = 5,
        kEventRightUp = 6,
        kEventKey = 7,
        kEventSize = 8,
        kEventSizeMoveEnd = 10,
        kEventDestroyed = 11,
        kEventCursorMoved = 13,
        kEventMeasureEnded = 14,
        kEventMarkerDeleted = 16,
        kEventStructureChanged = 17,
        kEventTextDropped = 18,
        kEventRefreshed = 23,
    };
    // Legend styles.
    enum : uint32_t {
        kLegendNone = 0,
        kLegendMain = 1,
        kLegendPerGroup = 2,
        kLegendTitle = 3,  // bar and pointer displays: the main legend as a title
    };
    // Measuring modes of the interaction state.
    enum : uint32_t {
        kMeasureNone = 0,
        kMeasureSimple = 1,
        kMeasureDifferential = 2,
    };
    // Width of every scroll bar the layout makes room for.
    static constexpr int32_t kScrollBarWidth = 16;
    // Control ids of the groups' Y scroll bars: this plus the group index.
    static constexpr int kGroupScrollBarIdBase = 1000;

    // What the measuring cursors, the zoom and the drags read and change (the interaction code
    // owns its meaning; the core only resets it).
    struct InteractionState {
        uint32_t measureMode = kMeasureNone;
        uint8_t showDifferenceTable = 1;
        int32_t cursor1X = 0;
        int32_t cursor2X = 0;
        int32_t cursor1Y = 0;
        int32_t cursor2Y = 0;
        uint8_t dragging1 = 0;
        uint8_t dragging2 = 0;
        uint8_t cursorFrozen = 0;
        uint8_t cursorsHidden = 0;
        uint8_t crossCursor = 0;
        uint16_t zoomDepth = 0;
        uint8_t rubberBand = 0;
        int32_t resizeGroup = -1;  // the group whose lower border is dragged; -1 none
        uint8_t leftButtonDown = 0;
        uint8_t popupOpen = 0;
    };

    CKSTCurveWndCore();
    virtual ~CKSTCurveWndCore();
    CKSTCurveWndCore(const CKSTCurveWndCore&) = delete;
    CKSTCurveWndCore& operator=(const CKSTCurveWndCore&) = delete;

    // --- Groups, channels and curves ---
    int GetGroupCount() const { return static_cast<int>(m_groups.size()); }
    CKSTAxisGroup* GetGroup(int index) const;
    int GetGroupIndex(const CKSTAxisGroup* group) const;
    // Appends an empty group; returns its index.
    int AddGroup();
    // A curve for the borrowed channel: mode 0 into the last group, 2 into the group showing an
    // axis of the channel's unit (else as 1), 1 and others into the last group when it is empty,
    // else into a new one. addMode chooses the Y axis inside the group. Returns the curve's index
    // in its group, -1 without a channel.
    int AddChannel(CKSTChannel* channel, uint32_t mode, uint32_t addMode);
    // The same for a copy of the channel that the window keeps.
    int AddOwnedChannel(const CKSTChannel& channel, uint32_t mode, uint32_t addMode);
    // Every channel of the list by unit (modes 2, 2).
    void AddChannels(const CKSTChannelList& channels);
    // Removes the first curve (hidden kinds included) that shows the channel.
    void RemoveChannel(CKSTChannel* channel, bool keepEmptyGroup, bool groupFlag, bool redraw);
    // Removes the curve at the running index; a group left empty goes, and without keepEmptyGroup
    // a window left without groups gets one empty group (and a default X axis).
    void RemoveCurve(int index, bool keepEmptyGroup, bool groupFlag, bool redraw);
    // Back to one empty group, no curves, a new X axis and legend.
    void RemoveAll(bool redraw);

    int GetCurveCount() const;
    // Without includeHidden, curves of kinds 3 and 4 are neither returned nor counted.
    CKSTCurve* GetCurve(int index, bool includeHidden) const;
    // 0 when the curve is not found.
    int GetCurveIndex(const CKSTCurve* curve, bool includeHidden) const;
    // The number of groups when no group holds it.
    int GetGroupIndexOfCurve(const CKSTCurve* curve) const;
    int GetCurveIndexInGroup(const CKSTCurve* curve) const;
    CKSTCurve* FindCurveByChannel(const CKSTChannel* channel) const;
    CKSTCurve* FindCurveByChannelName(const CKSTString& name) const;
    // By the channel's name and group text.
    CKSTCurve* FindCurveByName(const CKSTString& name, const CKSTString& group) const;
    CKSTCurve* FindCurveByLabel(const CKSTString& group, const CKSTString& name,
                                bool includeHidden) const;
    CKSTCurve* FindCurveByLabelText(const CKSTString& group, const CKSTString& name) const;
    // Cyclic, skipping kinds 3 and 4.
    CKSTCurve* GetNextCurve(const CKSTCurve* curve) const;
    CKSTCurve* GetPreviousCurve(const CKSTCurve* curve) const;

    int GetAxisCount() const;
    CKSTYAxis* GetAxis(int index) const;
    int GetAxisIndex(const CKSTYAxis* axis) const;
    // Cyclic; unless any, axes carrying only curves of kinds 3 and 4 (or none) are skipped.
    CKSTYAxis* GetNextAxis(const CKSTYAxis* axis, bool any) const;
    CKSTYAxis* GetPreviousAxis(const CKSTYAxis* axis, bool any) const;
    CKSTAxisGroup* GetFirstVisibleGroup() const;
    CKSTAxisGroup* GetLastVisibleGroup() const;
    IKSTGroupScrollBar* GetFirstVisibleGroupScrollBar() const;
    CKSTCurve* FindCurveUsingAxis(const CKSTYAxis* axis) const;
    // Groups with a shown curve.
    int CountListedGroups() const;
    bool IsEmpty() const;
    bool IsXYDisplay() const;
    // Smallest group start and largest group end; (0, 0) without groups.
    void GetTimeRange(double& first, double& last) const;
    // The sample interval of the first curve with an equidistant channel, else 1.0.
    double GetFirstSampleInterval() const;

    // --- Display kind, arrangement, X range ---
    void SetDisplayKind(uint32_t kind, int xIndex, const CKSTString& xName);
    // Mode 0 keeps the curves where they are (with force: as 1); 1 one group per unit, 2 one
    // group with an axis per curve, 3 a group per curve, 4 one group with an axis per unit.
    void ArrangeCurves(uint32_t mode, bool redraw, bool force);
    // The X range follows the data; a following range of fixed span ends at the newest data
    // rounded up to whole pixels (less than one pixel past it).
    void UpdateXRange();
    void SetXAxisForGroups();
    void SetXAxisRange(double start, double endOrLength, uint32_t mode, bool redraw);
    void SetXAxisTicks(double width, bool atPoints, bool automatic, bool redraw);
    void SetXAxisType(uint32_t type, bool redraw);
    void SetXAxisRotation(int16_t degrees, bool redraw);

    // While disabled, structural changes neither lay out nor repaint; enabling lays out once.
    void SetUpdateEnabled(bool enable, bool cursors);
    bool IsUpdateEnabled() const { return m_updatesEnabled != 0; }
    // Hides the window's updates for a batch of changes, or shows them again with one rebuild.
    void SetVisible(bool visible, bool redraw) { SetUpdateEnabled(visible, redraw); }
    // Ranges follow the data (when the X axis does), layout, repaint, event 23.
    void Refresh();
    void UpdateLegend() override;
    void InvalidateAll();
    void RecalcGroupRanges() override;

    // --- Property setters: an unchanged value does nothing ---
    void SetBackColor(uint32_t colour, bool redraw);
    void SetPlotBackColor(uint32_t colour, bool redraw);
    void SetXTextColor(uint32_t colour, bool redraw);
    void SetLegendTextColor(uint32_t colour, bool redraw);
    void SetGridColor(uint32_t colour, bool redraw);
    void SetGridVisible(bool visible, bool redraw);
    void SetColorGradient(bool on, bool redraw);
    void SetLegendGroup(bool on, bool redraw);
    void SetLegendStyle(uint32_t style, bool redraw);
    void SetLegendAlign(uint32_t align, bool redraw);
    void SetCursorTextName(bool on, bool redraw);
    void SetAxesFont(const CKSTFontDesc& font, bool redraw);
    void SetLegendFont(const CKSTFontDesc& font, bool redraw);
    void SetBackgroundImage(const CKSTRasterImage& image, uint32_t placement, bool redraw);
    void SetTitleText(const CKSTString& text, int32_t value, bool redraw);
    CKSTString GetTitleText() const override { return m_titleText; }
    int32_t GetTitleValue() const override { return m_titleValue; }
    void SetLanguage(uint32_t language, bool redraw);
    uint32_t GetLanguage() const { return m_language; }

    // --- Settings exchange ---
    // The embedded record brought up to date from the live window; with lookOnly the group,
    // axis, curve and template tables stay empty.
    void GetSettings(CKSTCurveWndSettings& settings, bool lookOnly);
    // Takes the record and rebuilds the window from it (with arrange: by ArrangeCurves, taking
    // only the curve kinds); keepXAxis leaves the X axis alone. Adds no channel.
    void ApplySettings(const CKSTCurveWndSettings& settings, bool arrange, bool keepXAxis);
    bool CurvesMatchSettings(const CKSTCurveWndSettings& settings) const;
    void ApplyCurveKindsByName(const CKSTCurveWndSettings& settings);
    void ApplyEventsByName(const CKSTCurveWndSettings& settings, bool keepEvents);
    // The display attributes of every curve record go to the curve of that channel name; with
    // withItems also its level lines and events replace the curve's.
    void ApplyCurveSettingsByName(const CKSTCurveWndSettings& settings, bool withItems);
    // Curves (kinds 0 and 1) whose channel is in the list (by name and group) are shown, the
    // others hidden.
    void ApplyChannelVisibility(const CKSTChannelList& channels);
    // The stored form of an event, its font interned into the embedded record.
    void MakeMarkerRecord(const CKSTPlotMarker* event, CKSTMarkerSettings& record);

    // --- Layout ---
    // Lays out X axis, legend and groups in area, measuring with measure; forTarget leaves out
    // the scroll bars (printing and export).
    void LayoutWindow(IKSTTextMeasure* measure, const RECT& area, bool forTarget,
                      KstWindowLayout& layout);
    // From the top left of the first to the bottom right of the last shown group; empty when
    // none is shown.
    RECT GetPlotRect() const;
    int GetFirstShownGroup() const { return m_firstShownGroup; }
    int GetLastShownGroup() const { return m_lastShownGroup; }
    void SetFirstShownGroup(int index) { m_firstShownGroup = index < 0 ? 0 : index; }
    // The legend entry under the point (main legend, or the visible group's with style 2).
    CKSTCurve* HitTestLegend(const POINT& point) const;
    void TrackLegendHover(const POINT& point);
    // The first visible group whose lower border the point touches (3 pixels) and that has a
    // visible group after it; -1 otherwise.
    int HitTestGroupBorder(const POINT& point) const;
    CKSTLegend& GetLegend() { return *m_legend; }
    // The legend of a group (one per group with style 2).
    CKSTLegend& GetGroupLegend(const CKSTAxisGroup* group);

    // --- State read by callers and the interaction code ---
    CKSTCurveWndSettings& Settings() { return m_settings; }
    const CKSTCurveWndSettings& Settings() const { return m_settings; }
    CKSTXAxis& GetXAxis() { return *m_xAxis; }
    const CKSTXAxis& GetXAxis() const { return *m_xAxis; }
    CKSTChannel* GetXChannelPtr() const { return m_xChannel; }
    const CKSTString& GetXCurveName() const { return m_xCurveName; }
    uint32_t GetArrangeMode() const { return m_arrangeMode; }
    // The axes font of the settings, as the axes and dialogs use it.
    CKSTFontDesc GetFirstFont() const { return m_settings.m_AxesFontDesc; }
    bool IsModified() const { return m_changed != 0; }
    void SetModified(bool modified) { m_changed = modified ? 1 : 0; }
    // Set while the live stream runs: range windows of fixed span end at the newest data.
    bool IsOnline() const { return m_online != 0; }
    void SetOnline(bool online) { m_online = online ? 1 : 0; }
    // Shown by a "Pause" mark on the last shown group while the live stream is paused.
    bool IsPaused() const { return m_paused != 0; }
    void SetPaused(bool paused, bool redraw);
    // The X axis runs from right to left (kept for the panels that read it).
    bool IsReversedX() const { return m_reversedX != 0; }
    void SetReversedX(bool reversed) { m_reversedX = reversed ? 1 : 0; }
    bool IsZoomed() const { return m_interaction.zoomDepth > 0; }
    bool IsSimpleMeasure() const { return m_interaction.measureMode == kMeasureSimple; }
    bool IsDifferentialMeasure() const
    {
        return m_interaction.measureMode == kMeasureDifferential;
    }
    InteractionState& Interaction() { return m_interaction; }
    bool IsMouseDrag() const { return m_mouseDrag != 0; }
    void SetMouseDrag(bool drag) { m_mouseDrag = drag ? 1 : 0; }
    double GetClipboardWidth() const { return m_clipboardWidth; }
    double GetClipboardHeight() const { return m_clipboardHeight; }
    void SetClipboardSize(double widthCm, double heightCm);
    const CKSTChannelList& GetOwnChannels() const { return *m_ownChannels; }

    // Extra popup commands: an entry with the same text or id is replaced.
    void AddMenuCommand(const CKSTString& text, uint32_t id, void* target);
    void RemoveMenuCommand(const CKSTString& text, uint32_t id);
    const std::vector<KstMenuCommand>& GetMenuCommands() const { return m_menuCommands; }

    // --- Measuring cursors, zoom and scrolling (CursorZoom.cpp) ---
    // Mode 1: cursor 1's column; mode 2: the smaller column; not measuring: -1.
    int32_t GetLeftCursorPixel() const;
    // X values of the left and right cursor (mode 1: both the one cursor); not measuring: 0.0.
    double GetLeftCursorValue() const;
    double GetRightCursorValue() const;
    // The X axis' reference time plus the cursor value in seconds.
    CKSTTimeStamp GetLeftCursorTime() const;
    CKSTTimeStamp GetRightCursorTime() const;
    // The X axis has a saved state or a group has a zoomed Y axis.
    bool HasZoomedAxes() const;
    // Zooms the X axis and the Y axes of the group under the band (client pixels, corners in
    // either order). Every axis is checked first: one that would go below the zoom resolution
    // shows the message once and nothing is zoomed. True when a zoom step was taken.
    bool ZoomToRect(const RECT& band);
    bool ZoomX(double minimum, double maximum);
    // Mode 0 total, 1 total then the X range template, 2 one step back. Event 14 is posted;
    // returns what posting it returned, 0 when nothing was done.
    int32_t Rezoom(uint32_t mode);
    // The range widened to the grid of its nice step (not on an Absolute Time axis).
    void SetRoundedXRange(double minimum, double maximum, uint32_t rangeMode);
    // Scrolls the zoomed X range; false while the X axis is not zoomed or for codes that do
    // nothing.
    bool ScrollHorizontal(const KstHorizontalScroll& scroll);
    // Pages the list of groups; true when the first shown group changed.
    bool ScrollGroups(uint32_t code, int32_t trackPosition);
    // Moves the Y axes of a group inside their unzoomed ranges.
    bool ScrollGroupAxes(int group, uint32_t code, int32_t trackPosition);
    // The boundary below the group was dropped at the row: the weights of the listed groups
    // change so that the group's body ends there.
    void ResizeGroup(int group, int32_t row);
    // Hooks of the interaction code: the zoom-resolution message, the scroll-bar thumbs, the
    // scroll bars' contents and the keyboard focus.
    virtual void ShowZoomLimitMessage() {}
    virtual void SetXScrollThumb(int32_t) {}
    virtual void SetGroupScrollThumb(int32_t) {}
    virtual void InvalidateScrollBars() {}
    virtual void TakeFocus() {}

    // --- IKSTCurveOwner / IKSTCurveHost / IKSTGroupHost ---
    const CKSTCurveWndSettings& GetWindowSettings() const override { return m_settings; }
    bool IsEnglish() const override { return m_language != 0; }
    uint32_t GetDisplayKind() const override { return m_displayKind; }
    const CKSTChannel* GetXChannel() const override { return m_xChannel; }
    double GetDataEndTime() const override { return m_dataEnd; }
    bool GetCurveColorOfAxis(const CKSTYAxis& axis, uint32_t& colour) const override;
    void GetChannelNamesOfAxis(const CKSTYAxis& axis,
                               std::vector<CKSTString>& names) const override;
    uint32_t GetAutoCurveColor(const CKSTCurve& curve) const override;
    void ReleaseChannel(CKSTChannel* channel) override;
    void GetShownGroupsExtent(int32_t& top, int32_t& bottom) const override;
    // The first group at or after start with an axis of the unit; -1 when none.
    int FindGroupWithUnit(const CKSTString& unit, int start) const;
    // In groups with several Y axes the colour of the first shown curve on the axis, else -1.
    uint32_t GetAxisCurveColor(const CKSTYAxis& axis) const;

    // --- IKSTChannelObserver ---
    void OnChannelDestroyed(CKSTChannel* channel) override;

    // --- Platform hooks ---
    // The cached pixels of the window are stale: groups, legend and X axis are laid out anew and
    // the picture redrawn. Without a window only the layout runs.
    void RecalcLayout() override;
    // The same after new samples came in: the window may keep what the picture shows already
    // and draw only what changed.
    virtual void RecalcLayoutForNewData() { RecalcLayout(); }
    void UpdateNow() override {}
    bool HasDrawingWindow() const override { return false; }
    void InvalidateRect(int32_t, int32_t, int32_t, int32_t, bool) override {}
    IKSTTextMeasure* GetTextMeasure() override { return nullptr; }
    std::unique_ptr<IKSTTextTip> CreateTextTip(const RECT&, const CKSTFontDesc&, uint32_t,
                                               const CKSTString&) override
    {
        return nullptr;
    }
    std::unique_ptr<IKSTGroupScrollBar> CreateScrollBar(int, const RECT&) override
    {
        return nullptr;
    }
    CKSTDrawContext* GetDrawContext() override { return nullptr; }
    bool GetPlotPixel(int32_t, int32_t, uint32_t&) const override { return false; }
    uint32_t GetNearestScreenColor(uint32_t colour) const override { return colour; }
    bool IsSubscribed(uint32_t) const override { return false; }
    int32_t PostEvent(uint32_t, const CKSTCurve*) override { return 0; }
    // Posts the event with the window as parameter, when subscribed.
    virtual void PostWindowEvent(uint32_t) {}
    // The whole client area is invalid.
    virtual void InvalidateClient() {}
    // The measuring cursors are erased before and drawn again after a redraw, and the value
    // table follows the data (the interaction code fills these in).
    virtual void HideCursors() {}
    virtual void ShowCursors() {}
    virtual void RefreshValueTable() {}
    // Leaves measuring: the state goes back to no measure.
    virtual void EndMeasure();
    // The legend (group -1: the main one) drawn into the window's picture at once; the mouse
    // leaving the window is watched while hovering.
    virtual void RedrawLegend(int) {}
    virtual void TrackMouseLeave(bool) {}

protected:
    // The layout of the screen window, without a target; the window implementation measures on
    // its draw context and draws the picture afterwards.
    void LayoutForScreen(IKSTTextMeasure* measure, const RECT& client, KstWindowLayout& layout);

    // Common tail of the setters: stale layout, invalid client area, with redraw a relayout.
    void LookChanged(bool redraw);
    // Deletes the group at the index with its legend.
    void DeleteGroup(int index);
    // Legend, X range, group ranges, layout and repaint, when updates are enabled.
    void BringUpToDate();
    // Back to one empty group and a new X axis and legend; keeps the record and flags.
    void Reset();
    // The X axis and every Y axis back at their unzoomed state.
    void ResetZoom();
    // Groups, axes and curves rebuilt from the tables of the embedded record.
    void RebuildFromRecord();
    void ObserveChannel(CKSTChannel* channel);
    // Relayout and repaint, with the cursors erased around it unless they are hidden already.
    void RedrawAroundCursors();
    // Groups get the running window of shown groups from the layout.
    std::vector<int> LaidOutGroups() const;

    CKSTCurveWndSettings m_settings;
    std::unique_ptr<CKSTLegend> m_legend;
    std::map<const CKSTAxisGroup*, std::unique_ptr<CKSTLegend>> m_groupLegends;
    std::unique_ptr<CKSTXAxis> m_xAxis;
    CKSTChannel* m_xChannel = nullptr;
    std::vector<std::unique_ptr<CKSTAxisGroup>> m_groups;
    std::unique_ptr<CKSTChannelList> m_ownChannels;
    std::vector<CKSTChannel*> m_observed;
    uint32_t m_displayKind = kDisplayYT;
    CKSTString m_xCurveName;
    uint32_t m_rememberedKind = 1;
    uint32_t m_arrangeMode = 0;
    uint32_t m_language = 1;
    CKSTString m_titleText;
    int32_t m_titleValue = -1;
    uint8_t m_created = 0;
    uint8_t m_updatesEnabled = 1;
    uint8_t m_changed = 0;
    uint8_t m_mouseDrag = 0;
    uint8_t m_online = 0;
    uint8_t m_paused = 0;
    uint8_t m_reversedX = 0;
    double m_dataEnd = 0.0;
    // Keeps a following X range on whole pixels from one refresh to the next.
    CKSTFollowGrid m_followGrid;
    InteractionState m_interaction;
    double m_clipboardWidth = 15.0;
    double m_clipboardHeight = 15.0;
    int m_firstShownGroup = 0;
    int m_lastShownGroup = 0;
    std::vector<KstMenuCommand> m_menuCommands;
};
