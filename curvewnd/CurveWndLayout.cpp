// The window-level layout of a curve window: the X axis band at the bottom, the main legend at
// the top, and between them as many groups as fit, each with its Y axes beside it.
#include <algorithm>

#include "curvewnd/CurveWndCore.h"
#include "curvewnd/GroupLayout.h"

std::vector<int> CKSTCurveWndCore::LaidOutGroups() const
{
    std::vector<int> indices;
    for (int g = 0; g < GetGroupCount(); ++g) {
        if (m_groups[g]->HasShownCurve()) {
            indices.push_back(g);
        }
    }
    if (indices.empty() && !m_groups.empty()) {
        indices.push_back(0);
    }
    return indices;
}

void CKSTCurveWndCore::LayoutWindow(IKSTTextMeasure* measure, const RECT& areaIn, bool forTarget,
                                    KstWindowLayout& layout)
{
    layout = KstWindowLayout();
    const RECT area = NormalizeRect(areaIn);
    const int32_t border = m_settings.m_BorderWidth;
    const CKSTFontDesc& axesFont = m_settings.m_AxesFontDesc;

    // The X axis is measured in a band across the bottom first: its height takes room from the
    // groups.
    int32_t xHeight = 0;
    if (m_xAxis->GetType() != CKSTXAxis::kTypeNone) {
        const RECT current = NormalizeRect(m_xAxis->GetRect());
        const int32_t height = current.bottom - current.top;
        m_xAxis->SetRect({area.left + border, area.bottom - border - height, area.right - border,
                          area.bottom - border});
        if (area.right - area.left - 2 * border >= 4) {
            m_xAxis->LayoutLabels(measure, axesFont, true);
        }
        xHeight = m_xAxis->GetAxisHeight();
    }

    int32_t legendHeight = 0;
    const uint32_t style = m_settings.m_LegendStyle;
    if (style == kLegendMain || style == kLegendTitle) {
        const RECT legendArea = {area.left + border, area.top + border, area.right - border,
                                 area.bottom};
        m_legend->SetRect(legendArea);
        m_legend->DrawMain(measure, nullptr, true);
        const int32_t bottom =
            std::min<int32_t>(area.bottom, legendArea.top + m_legend->GetHeight());
        legendHeight = std::max<int32_t>(0, bottom - legendArea.top);
        m_legend->SetRect({legendArea.left, legendArea.top, legendArea.right, bottom});
    }

    const bool xZoomed = m_xAxis->GetPreviousState() != nullptr;
    const int32_t hScroll = !forTarget && xZoomed ? kScrollBarWidth : 0;

    const std::vector<int> laidOut = LaidOutGroups();
    if (laidOut.empty()) {
        return;
    }
    const bool perGroupLegend = style == kLegendPerGroup;
    auto measureGroupLegend = [&](CKSTAxisGroup& group, int32_t left, int32_t right, int32_t top) {
        if (!perGroupLegend) {
            group.SetLegendHeight(0);
            return;
        }
        CKSTLegend& legend = GetGroupLegend(&group);
        legend.SetRect({left, top, right, top + 1});
        legend.DrawGroup(measure, nullptr, GetGroupIndex(&group), true);
        group.SetLegendHeight(legend.GetHeight());
        legend.SetRect({left, top, right, top + legend.GetHeight()});
    };

    // Axis widths depend on the groups' heights and the heights on the widths: two passes.
    int32_t leftWidth = 0;
    int32_t rightWidth = 0;
    auto measureWidths = [&](const std::vector<int>& groups) {
        leftWidth = rightWidth = 0;
        for (int g : groups) {
            leftWidth = std::max(leftWidth, m_groups[g]->GetLeftAxesWidth(measure));
            rightWidth = std::max(rightWidth, m_groups[g]->GetRightAxesWidth(measure));
        }
    };
    for (int pass = 0; pass < 2; ++pass) {
        measureWidths(laidOut);
        int32_t top = area.top + border + legendHeight;
        const int32_t left = area.left + border + leftWidth;
        const int32_t right = std::max<int32_t>(left, area.right - border - rightWidth);
        for (int g : laidOut) {
            CKSTAxisGroup& group = *m_groups[g];
            measureGroupLegend(group, left, right, top);
            const int32_t height = group.GetLegendHeight() + 10;
            group.Layout(measure, {left, top, right, top + height}, area.left + border,
                         area.right - border, 0);
            top += height;
        }
    }

    // How many groups fit from the first shown one on.
    const int total = static_cast<int>(laidOut.size());
    int first = total - 1;
    for (int i = 0; i < total; ++i) {
        if (laidOut[i] >= m_firstShownGroup) {
            first = i;
            break;
        }
    }
    std::vector<double> weights;
    std::vector<int32_t> legendHeights;
    for (int g : laidOut) {
        weights.push_back(m_groups[g]->GetWeight());
        legendHeights.push_back(m_groups[g]->GetLegendHeight());
    }
    const int32_t space = std::max<int32_t>(
        0, (area.bottom - area.top) - 2 * border - hScroll - legendHeight - xHeight);
    std::vector<int32_t> shares;
    const int count =
        KstFitGroupRun(weights, legendHeights, first, space, m_settings.m_MinGroupHeight, shares);

    int32_t leftStrip = 0;
    int32_t rightStrip = 0;
    if (!forTarget) {
        if (count < total) {
            leftStrip = kScrollBarWidth;
        }
        for (int g : laidOut) {
            if (m_groups[g]->HasZoomedAxis()) {
                rightStrip = kScrollBarWidth;
            }
        }
    }

    for (const auto& group : m_groups) {
        group->SetVisible(false);
    }
    std::vector<int> shown(laidOut.begin() + first, laidOut.begin() + first + count);
    for (int g : shown) {
        m_groups[g]->SetVisible(true);
    }
    m_firstShownGroup = shown.front();
    m_lastShownGroup = shown.back();

    RECT last = {0, 0, 0, 0};
    for (int pass = 0; pass < 2; ++pass) {
        measureWidths(shown);
        int32_t top = area.top + border + legendHeight;
        const int32_t left = area.left + leftStrip + border + leftWidth;
        const int32_t right = std::max<int32_t>(left, area.right - rightStrip - border - rightWidth);
        for (size_t k = 0; k < shown.size(); ++k) {
            CKSTAxisGroup& group = *m_groups[shown[k]];
            measureGroupLegend(group, left, right, top);
            const RECT rect = {left, top, right, top + group.GetLegendHeight() + shares[k]};
            group.Layout(measure, rect, area.left + leftStrip + border, area.right - border,
                         rightStrip);
            top = rect.bottom;
            last = rect;
        }
    }

    if (!forTarget) {
        layout.xScrollBar = xZoomed;
        layout.xScrollBarRect = {last.left, last.bottom, last.right, last.bottom + hScroll};
        layout.groupScrollBar = count < total;
        const RECT firstRect = m_groups[shown.front()]->GetRect();
        layout.groupScrollBarRect = {area.left + border / 2 + 1, firstRect.top,
                                     area.left + border / 2 + 1 + kScrollBarWidth, last.bottom};
        layout.yScrollBarWidth = rightStrip;
    }

    if (m_xAxis->GetType() != CKSTXAxis::kTypeNone) {
        const int32_t top = last.bottom + hScroll;
        const int32_t bottom = std::min<int32_t>(area.bottom, top + xHeight);
        m_xAxis->SetRect({last.left, top, last.right, std::max(top, bottom)});
        if (last.right - last.left >= 4) {
            m_xAxis->LayoutLabels(measure, axesFont, true);
        }
    }
}

void CKSTCurveWndCore::LayoutForScreen(IKSTTextMeasure* measure, const RECT& client,
                                       KstWindowLayout& layout)
{
    LayoutWindow(measure, client, false, layout);
}

void CKSTCurveWndCore::RecalcLayout()
{
    // Without a window there is no client area: the layout of the last size stays.
}

RECT CKSTCurveWndCore::GetPlotRect() const
{
    const CKSTAxisGroup* first = GetFirstVisibleGroup();
    const CKSTAxisGroup* last = GetLastVisibleGroup();
    if (first == nullptr || last == nullptr) {
        return RECT{0, 0, 0, 0};
    }
    return RECT{first->GetRect().left, first->GetRect().top, last->GetRect().right,
                last->GetRect().bottom};
}

CKSTCurve* CKSTCurveWndCore::HitTestLegend(const POINT& point) const
{
    const uint32_t style = m_settings.m_LegendStyle;
    if (style == kLegendMain) {
        return m_legend->HitTestEntry(point);
    }
    if (style == kLegendPerGroup) {
        for (const auto& group : m_groups) {
            if (!group->IsVisible() || !PtInRectEx(group->GetRect(), point)) {
                continue;
            }
            const auto legend = m_groupLegends.find(group.get());
            return legend != m_groupLegends.end() ? legend->second->HitTestEntry(point) : nullptr;
        }
    }
    return nullptr;
}

void CKSTCurveWndCore::TrackLegendHover(const POINT& point)
{
    if (m_displayKind == kDisplayBar || m_displayKind == kDisplayPointer) {
        return;
    }
    const bool allowed = m_mouseDrag == 0;
    const uint32_t style = m_settings.m_LegendStyle;
    if (style == kLegendMain) {
        m_legend->SetHoverMain(allowed && m_legend->HitTestPoint(point), point);
    } else if (style == kLegendPerGroup) {
        for (int g = 0; g < GetGroupCount(); ++g) {
            const auto legend = m_groupLegends.find(m_groups[g].get());
            if (legend == m_groupLegends.end()) {
                continue;
            }
            const bool over = allowed && m_groups[g]->IsVisible() &&
                              legend->second->HitTestPoint(point);
            legend->second->SetHoverGroup(over, point, g);
        }
    }
}

int CKSTCurveWndCore::HitTestGroupBorder(const POINT& point) const
{
    for (int g = 0; g < GetGroupCount(); ++g) {
        const CKSTAxisGroup& group = *m_groups[g];
        if (!group.IsVisible()) {
            continue;
        }
        bool followed = false;
        for (int h = g + 1; h < GetGroupCount(); ++h) {
            followed = followed || m_groups[h]->IsVisible();
        }
        const RECT rect = NormalizeRect(group.GetRect());
        if (followed && point.x >= rect.left && point.x < rect.right &&
            point.y >= rect.bottom - 3 && point.y <= rect.bottom + 3) {
            return g;
        }
    }
    return -1;
}
