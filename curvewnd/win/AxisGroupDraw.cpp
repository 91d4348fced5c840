// Painting of an axis group and its scroll bar.
#include <windows.h>

#include <algorithm>

#include "curvewnd/AxisGroup.h"
#include "curvewnd/GroupLayout.h"
#include "curvewnd/win/CurveDecorations.h"
#include "curvewnd/win/DrawContext.h"
#include "curvewnd/win/GdiScope.h"
#include "curvewnd/win/GroupScrollBar.h"
#include "data/settings/CurveWndSettings.h"
#include "foundation/win/DrawHelpers.h"

namespace {

constexpr uint32_t kLegendPerGroup = 2;
constexpr COLORREF kFrameShadow = 0x808080;
constexpr COLORREF kFrameLight = 0xFFFFFF;
constexpr COLORREF kFramePrinted = 0x000000;

void Edge(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour)
{
    KstGdiScope gdi(dc);
    gdi.Pen(CreatePen(PS_SOLID, 1, colour));
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

}  // namespace

void CKSTAxisGroup::DrawBackground(CKSTDrawContext& dc, bool printing)
{
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr || m_owner == nullptr) {
        return;
    }
    const CKSTCurveWndSettings& settings = m_owner->GetWindowSettings();
    const RECT inner = {m_rect.left + 1, m_rect.top + 1, m_rect.right - 1, m_rect.bottom - 1};
    const int32_t width = inner.right - inner.left;
    const int32_t height = inner.bottom - inner.top;
    if (width < 0 || height < 0) {
        return;
    }
    const uint32_t plot = settings.m_PlotBackgroundColor;
    if (plot != KST_COLOR_NONE) {
        if (settings.m_BColorGradient != 0) {
            for (int32_t i = 0; i < height; ++i) {
                Edge(hdc, inner.left, inner.top + i, inner.right, inner.top + i,
                     KstGradientColor(plot, i, height));
            }
        } else {
            KstGdiScope gdi(hdc);
            gdi.Brush(CreateSolidBrush(plot & 0xFFFFFF));
            PatBlt(hdc, inner.left, inner.top, width, height, PATCOPY);
        }
    }
    // A band too flat for anything inside still shows its frame.
    const bool roomInside = width >= 2 && height >= 2;
    if (roomInside && settings.m_BackgroundImage.GetPixelCount() > 0) {
        int32_t top = m_rect.top;
        int32_t bottom = m_rect.bottom;
        m_owner->GetShownGroupsExtent(top, bottom);
        DrawPicture(dc, {m_rect.left, top, m_rect.right, bottom});
    }
    const bool perGroupLegend = settings.m_LegendStyle == kLegendPerGroup;
    const int32_t top = m_rect.top + (perGroupLegend ? m_legendHeight : 0);
    const COLORREF shadow = printing ? kFramePrinted : kFrameShadow;
    const COLORREF light = printing ? kFramePrinted : kFrameLight;
    Edge(hdc, m_rect.left, m_rect.bottom - 1, m_rect.left, top, shadow);
    Edge(hdc, m_rect.left, top, m_rect.right - 1, top, shadow);
    Edge(hdc, m_rect.right - 1, top, m_rect.right - 1, m_rect.bottom - 1, light);
    Edge(hdc, m_rect.right - 1, m_rect.bottom - 1, m_rect.left, m_rect.bottom - 1, light);
    SetPixelV(hdc, m_rect.left, m_rect.bottom - 1, light);

    if (!roomInside) {
        return;
    }
    if (settings.m_GridVisible != 0) {
        if (CKSTCurve* first = FirstShownCurve()) {
            PaintGrid(*first, dc);
        }
    }
    for (const auto& curve : m_curves) {
        if (curve->GetLevelLineCount() > 0) {
            PaintLevelLines(*curve, dc);
        }
    }
}

void CKSTAxisGroup::DrawCurves(CKSTDrawContext& dc)
{
    if (dc.GetHdc() == nullptr) {
        return;
    }
    for (const auto& axis : m_axes) {
        if (AxisTakesPart(axis.get())) {
            axis->Draw(dc, false);
        }
    }
    for (const auto& curve : m_curves) {
        if (!IsShownCurve(*curve)) {
            continue;
        }
        curve->Paint(dc);
        if (curve->GetEventCount() > 0) {
            PaintValueBoxes(*curve, dc);
        }
    }
}

void CKSTAxisGroup::DrawTitle(CKSTDrawContext& dc)
{
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr || m_owner == nullptr) {
        return;
    }
    const CKSTString title = m_owner->GetTitleText();
    if (title.IsEmpty()) {
        return;
    }
    const int32_t value = m_owner->GetTitleValue();
    const COLORREF colour = value >= 0 && value <= 0xFFFFFF ? static_cast<COLORREF>(value) : 0;
    CKSTFontDesc font = m_owner->GetWindowSettings().m_AxesFontDesc;
    dc.SelectFont(font, true);
    SIZE size = {0, 0};
    GetTextExtentPoint32A(hdc, title.c_str(), title.GetLength(), &size);
    const RECT box = KstTitleBox(m_rect, size.cx);
    const POINT origin = KstTitleOrigin(m_rect);
    const COLORREF oldText = SetTextColor(hdc, colour);
    const COLORREF oldBack = SetBkColor(hdc, 0xFFFFFF);
    const int oldMode = SetBkMode(hdc, OPAQUE);
    ExtTextOutA(hdc, origin.x, origin.y, ETO_OPAQUE | ETO_CLIPPED, &box, title.c_str(),
                title.GetLength(), nullptr);
    SetBkMode(hdc, oldMode);
    SetBkColor(hdc, oldBack);
    SetTextColor(hdc, oldText);
    dc.RestoreFont();
}

void CKSTAxisGroup::DrawPicture(CKSTDrawContext& dc, const RECT& stack)
{
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr || m_owner == nullptr) {
        return;
    }
    const CKSTCurveWndSettings& settings = m_owner->GetWindowSettings();
    const CKSTRasterImage& picture = settings.m_BackgroundImage;
    KSTPictureSlice slice;
    if (!KstPictureSlice(m_rect, stack.top, stack.bottom, settings.m_ImagePlacement,
                         static_cast<int32_t>(std::min<uint32_t>(picture.GetColumns(), INT32_MAX)),
                         static_cast<int32_t>(std::min<uint32_t>(picture.GetRows(), INT32_MAX)),
                         slice)) {
        return;
    }
    CreateBitmapFromBits(picture, hdc, slice.target.left, slice.target.top,
                         slice.target.right - slice.target.left,
                         slice.target.bottom - slice.target.top, slice.sourceX, slice.sourceY);
}

void CKSTAxisGroup::UpdateScrollBar(int id, int32_t width)
{
    const RECT rect = {m_rect.right, m_rect.top, m_rect.right + width, m_rect.bottom};
    if (!m_scrollBar) {
        CWnd* parent = m_owner != nullptr ? m_owner->GetScrollBarParent() : nullptr;
        if (parent == nullptr) {
            return;
        }
        auto bar = std::make_unique<CKSTGroupScrollBar>(m_owner, rect);
        if (!bar->Create(WS_CHILD | WS_VISIBLE | SBS_VERT, rect, parent, id)) {
            return;
        }
        m_scrollBar = std::move(bar);
    } else if (!IsSameRect(m_scrollBar->GetRect(), rect)) {
        const RECT old = m_scrollBar->GetRect();
        m_scrollBar->MoveWindow(rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top);
        m_scrollBar->SetRect(rect);
        m_owner->InvalidateRect(std::min(old.left, rect.left), std::min(old.top, rect.top),
                                std::max(old.right, rect.right), std::max(old.bottom, rect.bottom),
                                false);
    }
    const CKSTYAxis* axis = GetAxis(0);
    if (axis == nullptr) {
        return;
    }
    int32_t page = 0;
    int32_t position = 0;
    KstAxisScrollInfo(axis->GetRangeMin(), axis->GetRangeMax(), axis->GetMinimum(),
                      axis->GetMaximum(), axis->IsLowestOnTop(), page, position);
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = 1000;
    info.nPage = static_cast<UINT>(std::max(page, 0));
    info.nPos = position;
    m_scrollBar->SetScrollInfo(&info, TRUE);
}

void CKSTAxisGroup::DeleteScrollBar()
{
    m_scrollBar.reset();
}
