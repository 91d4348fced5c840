#pragma once
// The legend of a curve window: one entry per listed curve, a short line sample in the curve's
// colour and the curve's name, in columns of equal width that wrap into rows. One object serves
// the main legend above the groups and each group's own legend. The layout, hit tests and hover
// are portable; the drawing goes to a canvas (GDI in curvewnd/win/LegendDraw.h, a recording one
// in tests).

#include <cstdint>
#include <vector>

#include "foundation/FontDesc.h"
#include "foundation/Geometry.h"
#include "foundation/String.h"

class CKSTCurve;
class CKSTCurveWndCore;
class IKSTTextMeasure;

// Receives the drawing of a legend, in client pixels.
class IKSTLegendCanvas {
public:
    // The legend's background (the window colour, or nothing in export).
    virtual void FillBackground(const RECT& rect) = 0;
    // A horizontal line from x1 to x2 (x2 not drawn) on row y.
    virtual void LineSample(int32_t x1, int32_t x2, int32_t y, uint32_t colour, int32_t width) = 0;
    virtual void Symbol(int32_t x, int32_t y, uint32_t symbol, uint32_t colour) = 0;
    // Text with its top-left corner at (x, y), background transparent.
    virtual void Text(int32_t x, int32_t y, const CKSTString& text, uint32_t colour) = 0;
    // A raised frame around the rectangle (white top-left, black bottom-right).
    virtual void RaisedFrame(const RECT& rect) = 0;

protected:
    ~IKSTLegendCanvas() = default;
};

class CKSTLegend {
public:
    static constexpr uint32_t kGrey = 0x808080;

    explicit CKSTLegend(CKSTCurveWndCore* owner);

    // Rectangle, height and hover cleared.
    void Reset();
    void SetWindow(CKSTCurveWndCore* window) { m_window = window; }
    // A changed rectangle is stored and invalidated.
    void SetRect(const RECT& rect);
    const RECT& GetRect() const { return m_rect; }
    void Invalidate();
    bool HitTestPoint(const POINT& point) const;
    // The listed curve whose entry of the last drawing contains the point; null when none.
    CKSTCurve* HitTestEntry(const POINT& point) const;

    // Draws (canvas null or layoutOnly: only measures) the entries of every group, or of the
    // group at groupIndex (>= 0) for a group legend. Sets the entry rectangles and the height.
    void Draw(IKSTTextMeasure* measure, IKSTLegendCanvas* canvas, int groupIndex, bool layoutOnly);
    void DrawMain(IKSTTextMeasure* measure, IKSTLegendCanvas* canvas, bool layoutOnly)
    {
        Draw(measure, canvas, -1, layoutOnly);
    }
    void DrawGroup(IKSTTextMeasure* measure, IKSTLegendCanvas* canvas, int groupIndex,
                   bool layoutOnly)
    {
        Draw(measure, canvas, groupIndex, layoutOnly);
    }

    // Highlight of the entry under the point; the window redraws the legend (group -1: main).
    void SetHoverMain(bool hover, const POINT& point);
    void SetHoverGroup(bool hover, const POINT& point, int groupIndex);

    // The legend font and the window colour of the legend's window (defaults without one).
    CKSTFontDesc GetFontSetting() const;
    uint32_t GetBackground() const;

    int32_t GetHeight() const { return m_height; }
    const std::vector<RECT>& GetEntryRects() const { return m_entries; }
    bool IsHover() const { return m_hover != 0; }

    // Curves with an entry: shown in the legend, not only in the value list, kind 0 or 1.
    static bool IsListed(const CKSTCurve& curve);
    // "group: name" when the window shows groups and the channel has one, else the name.
    CKSTString GetEntryText(const CKSTCurve& curve) const;

private:
    // The listed curves of the window (groupIndex < 0) or of one group, in entry order.
    std::vector<CKSTCurve*> ListedCurves(int groupIndex) const;
    bool SetHover(bool hover, const POINT& point);

    CKSTCurveWndCore* m_owner;
    std::vector<RECT> m_entries;
    // The curve of each entry rectangle, so that a hit test pairs every rectangle with the
    // curve drawn in it.
    std::vector<const CKSTCurve*> m_entryCurves;
    CKSTCurveWndCore* m_window;
    RECT m_rect;
    int32_t m_height;
    uint8_t m_hover;
    POINT m_hoverPoint;
};
