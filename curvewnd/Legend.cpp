#include "curvewnd/Legend.h"

#include <algorithm>

#include "curvewnd/Curve.h"
#include "curvewnd/CurveWndCore.h"
#include "data/Channel.h"
#include "foundation/Colors.h"

namespace {

// Entry geometry: the line sample, the gap before the text and the column pitch beyond the
// widest text.
constexpr int32_t kFirstLeft = 3;
constexpr int32_t kFirstTop = 1;
constexpr int32_t kSampleLength = 15;
constexpr int32_t kSymbolOffset = 7;
constexpr int32_t kTextOffset = 20;
constexpr int32_t kEntryLeftMargin = 5;
constexpr int32_t kEntryRightExtra = 23;
constexpr int32_t kColumnExtra = 28;
constexpr int32_t kBottomMargin = 2;

bool IsBarOrPointer(uint32_t kind)
{
    return kind == CKSTCurveWndCore::kDisplayBar || kind == CKSTCurveWndCore::kDisplayPointer;
}

}  // namespace

CKSTLegend::CKSTLegend(CKSTCurveWndCore* owner)
    : m_owner(owner), m_window(owner), m_rect{0, 0, 0, 0}, m_height(0), m_hover(0),
      m_hoverPoint{0, 0}
{
}

void CKSTLegend::Reset()
{
    m_rect = RECT{0, 0, 0, 0};
    m_height = 0;
    m_hover = 0;
}

void CKSTLegend::SetRect(const RECT& rect)
{
    if (IsSameRect(rect, m_rect)) {
        return;
    }
    m_rect = rect;
    Invalidate();
}

void CKSTLegend::Invalidate()
{
    if (m_window != nullptr && m_window->HasDrawingWindow()) {
        m_window->InvalidateRect(m_rect.left, m_rect.top, m_rect.right, m_rect.bottom, false);
    }
}

CKSTFontDesc CKSTLegend::GetFontSetting() const
{
    return (m_window != nullptr ? m_window->GetWindowSettings() : KstDefaultWindowSettings())
        .m_LegendFontDesc;
}

uint32_t CKSTLegend::GetBackground() const
{
    return (m_window != nullptr ? m_window->GetWindowSettings() : KstDefaultWindowSettings())
        .m_BackgroundColor;
}

bool CKSTLegend::HitTestPoint(const POINT& point) const
{
    return PtInRectEx(m_rect, point);
}

bool CKSTLegend::IsListed(const CKSTCurve& curve)
{
    const uint32_t kind = curve.GetCurveKind();
    return curve.GetShowInLegend() && curve.GetValueListMode() != 2 &&
           (kind == CKSTCurve::kKindHidden || kind == CKSTCurve::kKindShown);
}

CKSTString CKSTLegend::GetEntryText(const CKSTCurve& curve) const
{
    const CKSTString name = curve.GetChannelName();
    if (m_window == nullptr || m_window->GetWindowSettings().m_LegendGroup == 0) {
        return name;
    }
    const CKSTString group = curve.GetChannelLabelPrefix();
    if (group.IsEmpty()) {
        return name;
    }
    CKSTString text = group;
    text += ": ";
    text += name;
    return text;
}

std::vector<CKSTCurve*> CKSTLegend::ListedCurves(int groupIndex) const
{
    std::vector<CKSTCurve*> curves;
    if (m_window == nullptr) {
        return curves;
    }
    for (int g = 0; g < m_window->GetGroupCount(); ++g) {
        if (groupIndex >= 0 && g != groupIndex) {
            continue;
        }
        const CKSTAxisGroup* group = m_window->GetGroup(g);
        for (int i = 0; i < group->GetCurveCount(); ++i) {
            CKSTCurve* curve = group->GetCurve(i);
            if (IsListed(*curve)) {
                curves.push_back(curve);
            }
        }
    }
    return curves;
}

CKSTCurve* CKSTLegend::HitTestEntry(const POINT& point) const
{
    for (size_t k = 0; k < m_entries.size(); ++k) {
        if (!PtInRectEx(m_entries[k], point)) {
            continue;
        }
        // The curve drawn there may have gone since: only a curve the window still lists counts
        // (compared as an address, never read).
        for (CKSTCurve* curve : ListedCurves(-1)) {
            if (curve == m_entryCurves[k]) {
                return curve;
            }
        }
        return nullptr;
    }
    return nullptr;
}

void CKSTLegend::Draw(IKSTTextMeasure* measure, IKSTLegendCanvas* canvas, int groupIndex,
                      bool layoutOnly)
{
    if (m_window == nullptr) {
        return;
    }
    if (canvas == nullptr) {
        layoutOnly = true;
    }
    const CKSTCurveWndSettings& settings = m_window->GetWindowSettings();
    const RECT area = NormalizeRect(m_rect);
    if (!layoutOnly) {
        canvas->FillBackground(area);
    }
    const std::vector<CKSTCurve*> curves = ListedCurves(groupIndex);
    std::vector<CKSTString> texts(curves.size());
    std::vector<int32_t> widths(curves.size(), 0);
    std::vector<int32_t> heights(curves.size(), 0);
    int32_t widest = 0;
    for (size_t i = 0; i < curves.size(); ++i) {
        texts[i] = GetEntryText(*curves[i]);
        if (measure != nullptr && !texts[i].IsEmpty() &&
            !measure->MeasureText(settings.m_LegendFontDesc, texts[i], widths[i], heights[i])) {
            widths[i] = heights[i] = 0;
        }
        widest = std::max(widest, widths[i]);
    }

    m_entries.clear();
    m_entryCurves.clear();
    m_height = 0;
    const uint32_t kind = m_window->GetDisplayKind();
    const uint32_t background = settings.m_BackgroundColor;
    int64_t x = area.left + kFirstLeft;
    int64_t y = area.top + kFirstTop;
    int32_t rowHeight = 0;
    for (size_t i = 0; i < curves.size(); ++i) {
        if (texts[i].IsEmpty()) {
            continue;
        }
        const CKSTCurve& curve = *curves[i];
        if (area.right < x + kTextOffset + widest) {
            x = area.left + kFirstLeft;
            y += rowHeight;
        }
        if (heights[i] > rowHeight) {
            rowHeight = heights[i] + 1;
        }
        const int32_t ex = static_cast<int32_t>(x);
        const int32_t ey = static_cast<int32_t>(y);
        const bool hidden = curve.GetCurveKind() == CKSTCurve::kKindHidden;
        if (!layoutOnly && !IsBarOrPointer(kind)) {
            const uint32_t colour = hidden ? kGrey : curve.GetColor();
            const int32_t middle = ey + heights[i] / 2;
            const int32_t width = curve.GetDisplayKind() == CKSTCurve::kStyleLines ? 3 : 1;
            canvas->LineSample(ex, ex + kSampleLength, middle, colour, width);
            if (curve.GetSymbol() != CKSTCurve::kSymbolPoint) {
                canvas->Symbol(ex + kSymbolOffset, middle, curve.GetSymbol(), colour);
            }
        }
        if (!layoutOnly) {
            uint32_t colour = settings.m_LegendTextColor;
            int32_t tx = ex + kTextOffset;
            if (IsBarOrPointer(kind)) {
                if (settings.m_LegendAlign == 0) {
                    tx = area.left;
                } else if (settings.m_LegendAlign == 1) {
                    tx = area.right - widths[i];
                } else {
                    tx = area.left + (area.right - area.left - widths[i]) / 2;
                }
            } else if (hidden) {
                colour = kGrey;
            } else {
                const CKSTAxisGroup* group =
                    m_window->GetGroup(m_window->GetGroupIndexOfCurve(&curve));
                if (group != nullptr && !group->IsVisible()) {
                    colour = InvertColor(colour);
                }
            }
            if (colour == background) {
                colour = InvertColor(colour);
            }
            canvas->Text(tx, ey, texts[i], colour);
        }
        const int32_t left = static_cast<int32_t>(std::max<int64_t>(area.left, x - kEntryLeftMargin));
        const int32_t right =
            static_cast<int32_t>(std::min<int64_t>(area.right, x + kEntryRightExtra + widest));
        const RECT entry = {left, ey, right, ey + rowHeight};
        m_entries.push_back(entry);
        m_entryCurves.push_back(&curve);
        if (!layoutOnly && m_hover != 0 && PtInRectEx(entry, m_hoverPoint)) {
            canvas->RaisedFrame(entry);
        }
        x += kColumnExtra + widest;
    }
    m_height = static_cast<int32_t>(y - area.top) + rowHeight + kBottomMargin;
}

bool CKSTLegend::SetHover(bool hover, const POINT& point)
{
    const uint8_t flag = hover ? 1 : 0;
    if (flag == m_hover && (!hover || (point.x == m_hoverPoint.x && point.y == m_hoverPoint.y))) {
        return false;
    }
    m_hover = flag;
    m_hoverPoint = point;
    return true;
}

void CKSTLegend::SetHoverMain(bool hover, const POINT& point)
{
    if (!SetHover(hover, point) || m_window == nullptr) {
        return;
    }
    m_window->RedrawLegend(-1);
    m_window->TrackMouseLeave(hover);
    Invalidate();
}

void CKSTLegend::SetHoverGroup(bool hover, const POINT& point, int groupIndex)
{
    if (!SetHover(hover, point) || m_window == nullptr) {
        return;
    }
    Invalidate();
    m_window->RedrawLegend(groupIndex);
    m_window->TrackMouseLeave(hover);
}
