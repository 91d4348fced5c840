// Painting of an axis group.
#include <windows.h>

#include <algorithm>

#include "curvewnd/AxisGroup.h"
#include "curvewnd/GroupLayout.h"
#include "data/settings/CurveWndSettings.h"
#include "curvewnd/win/AxisDraw.h"
#include "curvewnd/win/AxisGroupDraw.h"
#include "curvewnd/win/CurveDecorations.h"
#include "curvewnd/win/CurvePaint.h"
#include "curvewnd/win/DrawContext.h"
#include "curvewnd/win/GdiScope.h"
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

void DrawGroupBackground(CKSTAxisGroup& group, CKSTDrawContext& dc, bool printing)
{
    HDC hdc = dc.GetHdc();
    IKSTGroupHost* owner = group.GetOwner();
    if (hdc == nullptr || owner == nullptr) {
        return;
    }
    const CKSTCurveWndSettings& settings = owner->GetWindowSettings();
    const RECT& rect = group.GetRect();
    const RECT inner = {rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
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
        int32_t top = rect.top;
        int32_t bottom = rect.bottom;
        owner->GetShownGroupsExtent(top, bottom);
        DrawGroupPicture(group, dc, {rect.left, top, rect.right, bottom});
    }
    const bool perGroupLegend = settings.m_LegendStyle == kLegendPerGroup;
    const int32_t top = rect.top + (perGroupLegend ? group.GetLegendHeight() : 0);
    const COLORREF shadow = printing ? kFramePrinted : kFrameShadow;
    const COLORREF light = printing ? kFramePrinted : kFrameLight;
    Edge(hdc, rect.left, rect.bottom - 1, rect.left, top, shadow);
    Edge(hdc, rect.left, top, rect.right - 1, top, shadow);
    Edge(hdc, rect.right - 1, top, rect.right - 1, rect.bottom - 1, light);
    Edge(hdc, rect.right - 1, rect.bottom - 1, rect.left, rect.bottom - 1, light);
    SetPixelV(hdc, rect.left, rect.bottom - 1, light);

    if (!roomInside) {
        return;
    }
    if (settings.m_GridVisible != 0) {
        if (CKSTCurve* first = group.FirstShownCurve()) {
            PaintGrid(*first, dc);
        }
    }
    for (int i = 0; i < group.GetCurveCount(); ++i) {
        CKSTCurve& curve = *group.GetCurve(i);
        if (curve.GetLevelLineCount() > 0) {
            PaintLevelLines(curve, dc);
        }
    }
}

void DrawGroupCurves(CKSTAxisGroup& group, CKSTDrawContext& dc, const RECT* stripe)
{
    if (dc.GetHdc() == nullptr) {
        return;
    }
    for (int i = 0; i < group.GetAxisCount(); ++i) {
        CKSTYAxis* axis = group.GetAxis(i);
        if (group.AxisTakesPart(axis)) {
            DrawAxis(*axis, dc, false);
        }
    }
    for (int i = 0; i < group.GetCurveCount(); ++i) {
        CKSTCurve& curve = *group.GetCurve(i);
        if (!CKSTAxisGroup::IsShownCurve(curve)) {
            continue;
        }
        if (stripe != nullptr) {
            const RECT band = curve.GetRect();
            if (stripe->left >= band.right || stripe->right <= band.left ||
                stripe->top >= band.bottom || stripe->bottom <= band.top) {
                continue;
            }
            PaintCurveColumns(curve, dc, stripe->left, stripe->right);
        } else {
            PaintCurve(curve, dc);
        }
        if (curve.GetEventCount() > 0) {
            PaintValueBoxes(curve, dc);
        }
    }
}

void DrawGroupTitle(const CKSTAxisGroup& group, CKSTDrawContext& dc)
{
    HDC hdc = dc.GetHdc();
    IKSTGroupHost* owner = group.GetOwner();
    if (hdc == nullptr || owner == nullptr) {
        return;
    }
    const RECT& rect = group.GetRect();
    const CKSTString title = owner->GetTitleText();
    if (title.IsEmpty()) {
        return;
    }
    const int32_t value = owner->GetTitleValue();
    const COLORREF colour = value >= 0 && value <= 0xFFFFFF ? static_cast<COLORREF>(value) : 0;
    const RECT box = GroupTitleBox(group, dc);
    CKSTFontDesc font = owner->GetWindowSettings().m_AxesFontDesc;
    dc.SelectFont(font, true);
    const POINT origin = KstTitleOrigin(rect);
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

RECT GroupTitleBox(const CKSTAxisGroup& group, CKSTDrawContext& dc)
{
    HDC hdc = dc.GetHdc();
    IKSTGroupHost* owner = group.GetOwner();
    if (hdc == nullptr || owner == nullptr) {
        return RECT{0, 0, 0, 0};
    }
    const CKSTString title = owner->GetTitleText();
    if (title.IsEmpty()) {
        return RECT{0, 0, 0, 0};
    }
    CKSTFontDesc font = owner->GetWindowSettings().m_AxesFontDesc;
    dc.SelectFont(font, true);
    SIZE size = {0, 0};
    GetTextExtentPoint32A(hdc, title.c_str(), title.GetLength(), &size);
    dc.RestoreFont();
    return KstTitleBox(group.GetRect(), size.cx);
}

void DrawGroupPicture(const CKSTAxisGroup& group, CKSTDrawContext& dc, const RECT& stack)
{
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr || group.GetOwner() == nullptr) {
        return;
    }
    const CKSTCurveWndSettings& settings = group.GetOwner()->GetWindowSettings();
    const CKSTRasterImage& picture = settings.m_BackgroundImage;
    const int32_t columns =
        static_cast<int32_t>(std::min<uint32_t>(picture.GetColumns(), INT32_MAX));
    const int32_t rows = static_cast<int32_t>(std::min<uint32_t>(picture.GetRows(), INT32_MAX));
    KstPictureSlice slice;
    if (!KstFindPictureSlice(group.GetRect(), stack.top, stack.bottom, settings.m_ImagePlacement,
                             columns, rows, slice)) {
        return;
    }
    CreateBitmapFromBits(picture, hdc, slice.target.left, slice.target.top,
                         slice.target.right - slice.target.left,
                         slice.target.bottom - slice.target.top, slice.sourceX, slice.sourceY);
}

