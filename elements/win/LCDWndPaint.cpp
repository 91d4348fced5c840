// The numeric value and lamp element's picture and its mouse, size and timer messages.
#include <algorithm>

#include "curvewnd/win/AntiAliasDC.h"
#include "curvewnd/win/DCPixels.h"
#include "curvewnd/win/DrawContext.h"
#include "elements/ElementShading.h"
#include "elements/win/LCDWnd.h"
#include "foundation/TimeStamp.h"

namespace {

// Fonts, pen and brush selected for one Draw; everything is put back and deleted at its end.
class DrawObjects {
public:
    explicit DrawObjects(HDC dc) : m_dc(dc) {}
    ~DrawObjects()
    {
        if (m_oldFont) {
            SelectObject(m_dc, m_oldFont);
        }
        if (m_oldPen) {
            SelectObject(m_dc, m_oldPen);
        }
        if (m_pen) {
            DeleteObject(m_pen);
        }
    }
    DrawObjects(const DrawObjects&) = delete;
    DrawObjects& operator=(const DrawObjects&) = delete;

    void Font(CKSTFontDesc& font)
    {
        HGDIOBJ old = SelectObject(m_dc, font.CreateOwnFont());
        if (!m_oldFont) {
            m_oldFont = old;
        }
    }
    void Pen(int width, COLORREF colour)
    {
        m_pen = CreatePen(PS_SOLID, width, colour);
        m_oldPen = SelectObject(m_dc, m_pen);
    }

private:
    HDC m_dc;
    HGDIOBJ m_oldFont = nullptr;
    HGDIOBJ m_oldPen = nullptr;
    HPEN m_pen = nullptr;
};

void FillArea(HDC dc, const RECT& area, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

}  // namespace

void CKSTLCDWnd::Draw(HDC dc, const RECT& rect)
{
    const KstValueFieldRects fields = KstSplitValueFields(rect, m_titleSide, m_splitRatio);
    CKSTFontDesc titleFont(m_titleFont);
    CKSTFontDesc valueFont(m_valueFont);
    titleFont.CreateOwnFont();
    valueFont.CreateOwnFont();
    DrawObjects objects(dc);
    SetBkMode(dc, TRANSPARENT);
    objects.Pen(m_frameWidth, m_frameColor);
    const bool valueOpaque = !m_valueTransparent || m_transparencySuspended;
    const bool titleOpaque = !m_titleTransparent || m_transparencySuspended;
    if (m_displayType == 1) {
        DrawLamp(dc, fields.value, valueOpaque);
    } else {
        objects.Font(valueFont);
        DrawValueNumber(dc, fields.value, valueOpaque);
    }
    SetBkColor(dc, m_titleBackColor);
    if (titleOpaque) {
        FillArea(dc, fields.title, m_titleBackColor);
    }
    if (m_frame) {
        DrawFrame(dc, rect);
    }
    objects.Font(titleFont);
    DrawTitle(dc, fields.title, titleOpaque);
}

void CKSTLCDWnd::DrawValueNumber(HDC dc, const RECT& field, bool opaque)
{
    if (opaque) {
        FillArea(dc, field, m_valueBackColor);
    }
    ::SetTextColor(dc, m_valueTextColor);
    CKSTString text;
    if (!m_valueText.IsEmpty()) {
        text = m_valueText;
    } else {
        text = KstFormatValueText(m_value, m_precision, m_unit, m_showUnit != 0);
        m_drawnValue = m_value;
    }
    m_drawnValueText = m_valueText;
    RECT textRect = KstApplyTextOffsets(field, m_valuePlacement);
    DrawTextA(dc, text.c_str(), text.GetLength(), &textRect, m_valuePlacement.format | DT_SINGLELINE);
    GetTextExtentPoint32A(dc, text.c_str(), text.GetLength(), &m_valueTextExtent);
}

void CKSTLCDWnd::DrawLamp(HDC dc, const RECT& field, bool opaque)
{
    if (opaque) {
        FillArea(dc, field, m_valueBackColor);
    }
    const KstLampRule rule{m_operator1,   m_threshold1,  m_operator2, m_threshold2,
                           m_lampActive1, m_lampActive2, m_lampPassive};
    const uint32_t colour = KstLampColour(rule, m_value);
    RECT area{field.left + 5, field.top + 5, field.right - 6, field.bottom - 6};
    if (area.right > area.left && area.bottom > area.top) {
        const RECT square = KstCentredSquare(area);
        if (colour != 0x00FF00) {
            CKSTDrawContext context;
            context.Attach(dc);
            DrawAAEllipse(context, square.left, square.top, square.right, square.bottom, colour, 0,
                          true);
        }
        const KstPixelArea pixels{square.left, square.top, square.right, square.bottom};
        DrawOnPixels(dc, pixels, [&](auto& surface) {
            KstShadeFace(surface, square, colour, KstShadeShape::Lamp);
        });
    }
    m_drawnValue = m_value;
    m_drawnValueText = m_valueText;
}

void CKSTLCDWnd::DrawTitle(HDC dc, const RECT& field, bool)
{
    ::SetTextColor(dc, m_titleTextColor);
    CKSTString text = m_title;
    if (m_showGroup && !m_groupName.IsEmpty()) {
        text = m_groupName + ":" + m_title;
    }
    RECT textRect = KstApplyTextOffsets(field, m_titlePlacement);
    DrawTextA(dc, text.c_str(), text.GetLength(), &textRect, m_titlePlacement.format | DT_SINGLELINE);
    m_drawnTitle = m_title;
}

void CKSTLCDWnd::DrawFrame(HDC dc, const RECT& rect)
{
    const int f = std::clamp(m_frameWidth, 0, KST_MAX_FRAME_WIDTH);
    if (f == 0) {
        return;
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int across = std::min(f, width);
    const int down = std::min(f, height);
    const RECT edges[] = {
        {rect.left, rect.top, rect.right, rect.top + down},
        {rect.left, rect.bottom - down, rect.right, rect.bottom},
        {rect.left, rect.top, rect.left + across, rect.bottom},
        {rect.right - across, rect.top, rect.right, rect.bottom},
    };
    HBRUSH brush = CreateSolidBrush(m_frameColor);
    for (const RECT& edge : edges) {
        FillRect(dc, &edge, brush);
    }
    DeleteObject(brush);
}

RECT CKSTLCDWnd::SplitBand() const
{
    RECT client;
    GetClientRect(&client);
    const bool rows = m_titleSide == KST_TITLE_TOP || m_titleSide == KST_TITLE_BOTTOM;
    if (rows) {
        const int y = std::clamp<int>(m_splitPoint.y, client.top, client.bottom);
        return RECT{client.left, y - 1, client.right, y + 1};
    }
    const int x = std::clamp<int>(m_splitPoint.x, client.left, client.right);
    return RECT{x - 1, client.top, x + 1, client.bottom};
}

int CKSTLCDWnd::OnCreate(LPCREATESTRUCT create)
{
    if (CKSTBufferedElementWnd::OnCreate(create) == -1) {
        return -1;
    }
    UpdateClock();
    return 0;
}

void CKSTLCDWnd::OnDestroy()
{
    if (m_clockTimer) {
        KillTimer(m_clockTimer);
        m_clockTimer = 0;
    }
    CKSTBufferedElementWnd::OnDestroy();
}

void CKSTLCDWnd::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    RECT client;
    GetClientRect(&client);
    const bool buffered = m_doubleBuffered && m_backBuffer.IsReady();
    HDC target = buffered ? m_backBuffer.GetHdc() : dc;
    Draw(target, client);
    if (m_splitDragging) {
        const RECT band = SplitBand();
        PatBlt(target, band.left, band.top, band.right - band.left, band.bottom - band.top,
               DSTINVERT);
    }
    if (buffered) {
        BitBlt(dc, 0, 0, client.right, client.bottom, target, 0, 0, SRCCOPY);
    }
    EndPaint(m_hWnd, &paint);
}

void CKSTLCDWnd::OnTimer(UINT_PTR id)
{
    if (id != kClockTimer || !m_clockTimer) {
        return;
    }
    m_valueText = CKSTTimeStamp::NowPrecise().FormatCompact();
    Invalidate(TRUE);
}

void CKSTLCDWnd::OnLButtonDown(UINT flags, CPoint point)
{
    m_drag.Press();
    CWnd::OnLButtonDown(flags, point);
    if (m_splitArmed) {
        m_splitDragging = 1;
        m_splitPoint = point;
        Invalidate(FALSE);
        SetCapture();
        return;
    }
    Fire(KST_ELEMENT_EVENT_LBUTTON_DOWN);
}

void CKSTLCDWnd::OnMouseMove(UINT flags, CPoint point)
{
    CWnd::OnMouseMove(flags, point);
    if (m_splitDragging) {
        m_splitPoint = point;
        SetSplitFromPoint(point);
        return;
    }
    UpdateSplitCursor(point);
    DragOnMouseMove(flags, point, false);
}

void CKSTLCDWnd::OnLButtonUp(UINT flags, CPoint point)
{
    if (m_drag.IsMoved()) {
        RestoreTransparencyAfterMove();
    }
    CWnd::OnLButtonUp(flags, point);
    m_drag.OnRelease(point.x, point.y);
    if (m_splitDragging) {
        SetClassLongPtrA(m_hWnd, GCLP_HCURSOR,
                         reinterpret_cast<LONG_PTR>(LoadCursor(nullptr, IDC_ARROW)));
        ReleaseCapture();
        SetSplitFromPoint(point);
        m_splitDragging = 0;
        m_splitArmed = 0;
        Invalidate(FALSE);
        return;
    }
    Fire(KST_ELEMENT_EVENT_LBUTTON_UP, 0);
}

void CKSTLCDWnd::OnLButtonDblClk(UINT, CPoint)
{
    if (Configure() == IDOK) {
        Fire(KST_ELEMENT_EVENT_SETTINGS_OK);
    }
}

void CKSTLCDWnd::UpdateSplitCursor(CPoint point)
{
    RECT client;
    GetClientRect(&client);
    const bool onLine = m_owner && m_owner->IsDesignMode() &&
                      KstIsNearSplitLine(m_titleSide, m_splitRatio, client.right, client.bottom,
                                         point.x, point.y);
    m_splitArmed = onLine ? 1 : 0;
    const bool rows = m_titleSide == KST_TITLE_TOP || m_titleSide == KST_TITLE_BOTTOM;
    const LPCSTR shape = !onLine ? IDC_ARROW : (rows ? IDC_SIZENS : IDC_SIZEWE);
    SetClassLongPtrA(m_hWnd, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursor(nullptr, shape)));
}

void CKSTLCDWnd::SetSplitFromPoint(CPoint point)
{
    RECT client;
    GetClientRect(&client);
    int width = client.right;
    int height = client.bottom;
    int step = 1;
    const bool rows = m_titleSide == KST_TITLE_TOP || m_titleSide == KST_TITLE_BOTTOM;
    if (m_snapToGrid && m_owner) {
        step = rows ? m_owner->GetGridStepY() : m_owner->GetGridStepX();
        // A selected element's thick frame takes 3 pixels from each side of its client area.
        if (m_owner->IsElementSelected(this)) {
            width += 6;
            height += 6;
        }
    }
    m_splitRatio = KstSplitRatioAt(m_titleSide, point.x, point.y, width, height, step, m_splitRatio);
    Invalidate(TRUE);
    if (AnyTransparent()) {
        RedrawParentArea(client);
    }
}
