// Painting of the X and Y axes on a draw context.
#include <windows.h>

#include <algorithm>

#include "curvewnd/XAxis.h"
#include "curvewnd/YAxis.h"
#include "data/settings/CurveWndSettings.h"
#include "curvewnd/win/AxisDraw.h"
#include "curvewnd/win/DCTextMeasure.h"
#include "curvewnd/win/DrawContext.h"
#include "data/settings/CurveWndSettings.h"

namespace {

// A 1-pixel solid pen in the axis colour and the window's background brush (the null brush
// for a window without background), selected while the object lives.
class AxisPens {
public:
    AxisPens(HDC dc, COLORREF colour, uint32_t background) : m_dc(dc)
    {
        m_pen = CreatePen(PS_SOLID, 1, colour);
        m_brush = background == KST_COLOR_NONE ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                                               : CreateSolidBrush(background);
        m_ownBrush = background != KST_COLOR_NONE;
        m_oldPen = SelectObject(dc, m_pen);
        m_oldBrush = SelectObject(dc, m_brush);
        m_oldMode = SetBkMode(dc, TRANSPARENT);
        m_oldColour = SetTextColor(dc, colour);
    }
    ~AxisPens()
    {
        SetTextColor(m_dc, m_oldColour);
        SetBkMode(m_dc, m_oldMode);
        SelectObject(m_dc, m_oldBrush);
        SelectObject(m_dc, m_oldPen);
        DeleteObject(m_pen);
        if (m_ownBrush) {
            DeleteObject(m_brush);
        }
    }
    AxisPens(const AxisPens&) = delete;
    AxisPens& operator=(const AxisPens&) = delete;

private:
    HDC m_dc;
    HPEN m_pen;
    HBRUSH m_brush;
    bool m_ownBrush;
    HGDIOBJ m_oldPen;
    HGDIOBJ m_oldBrush;
    int m_oldMode;
    COLORREF m_oldColour;
};

void FillBand(HDC dc, const RECT& band)
{
    PatBlt(dc, band.left, band.top, band.right - band.left, band.bottom - band.top, PATCOPY);
}

void PutText(HDC dc, int x, int y, const CKSTString& text)
{
    TextOutA(dc, x, y, text.c_str(), text.GetLength());
}

// --- X axis ---

void DrawTickMarks(const CKSTXAxis& axis, CKSTDrawContext& dc)
{
    const RECT band = NormalizeRect(axis.GetRect());
    const int tickLength = axis.Settings().m_MainTickLength;
    for (const int32_t pixel : axis.GetTickPixels()) {
        if (pixel > band.left && pixel <= band.right) {
            dc.Line(pixel, band.top, pixel, band.top + tickLength);
        }
    }
}

void DrawLabels(const CKSTXAxis& axis, CKSTDrawContext& dc, const CKSTFontDesc& font)
{
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr || axis.GetType() == CKSTXAxis::kTypeNone ||
        !(axis.GetTickSpacing() > 0.0) || axis.GetMinimum() == axis.GetMaximum()) {
        return;
    }
    CKSTFontDesc labelFont = axis.LabelFont(font);
    dc.SelectFont(labelFont, true);
    for (int i = 0; i < axis.GetLabelCount(); ++i) {
        const POINT& at = axis.GetLabelPosition(i);
        PutText(hdc, at.x, at.y, axis.GetLabelText(i));
    }
    dc.RestoreFont();
    if (!axis.GetCaption().IsEmpty()) {
        // The caption stays upright whatever the labels' rotation.
        CKSTFontDesc captionFont = font;
        dc.SelectFont(captionFont, true);
        PutText(hdc, axis.GetCaptionPosition().x, axis.GetCaptionPosition().y, axis.GetCaption());
        dc.RestoreFont();
    }
}

// --- Y axis ---

void DrawTickMarks(const CKSTYAxis& axis, CKSTDrawContext& dc, bool layoutOnly)
{
    if (layoutOnly || !(axis.GetTickSpacing() > 0.0) || axis.GetMaximum() == axis.GetMinimum()) {
        return;
    }
    const RECT band = NormalizeRect(axis.GetRect());
    const int tickLength = axis.Settings().m_MainTickLength;
    const int edge = axis.EdgeOffset();
    std::vector<int32_t> rows;
    axis.GetTickPixels(rows);
    for (const int32_t y : rows) {
        if (axis.IsRightSide()) {
            dc.Line(band.left + edge, y, band.left + tickLength + edge, y);
        } else {
            dc.Line(band.right - tickLength - edge, y, band.right - edge, y);
        }
    }
    if (edge == 1) {
        const int x = axis.IsRightSide() ? band.left : band.right - 1;
        dc.Line(x, band.top, x, band.bottom);
    }
}

void DrawLabels(CKSTYAxis& axis, CKSTDrawContext& dc, bool layoutOnly)
{
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr || !(axis.GetTickSpacing() > 0.0) ||
        axis.GetMaximum() == axis.GetMinimum()) {
        return;
    }
    const CKSTFontDesc& font = axis.Settings().m_AxesFontDesc;
    {
        CKSTDCTextMeasure measure(hdc);
        if (layoutOnly) {
            axis.LayoutWidth(&measure, font);
            return;
        }
        axis.LayoutLabels(&measure, font);
    }
    if (axis.AreLabelsShown()) {
        for (const CKSTYAxis::Label& label : axis.GetLabels()) {
            PutText(hdc, label.x, label.y, label.text);
        }
    }
    if (axis.IsUnitCaptionShown()) {
        const CKSTYAxis::Label& caption = axis.GetUnitCaption();
        PutText(hdc, caption.x, caption.y, caption.text);
    }
}

}  // namespace

void DrawAxis(CKSTXAxis& axis, CKSTDrawContext& dc, bool layoutOnly)
{
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr) {
        return;
    }
    const CKSTCurveWndSettings& settings = axis.Settings();
    const RECT band = NormalizeRect(axis.GetRect());
    AxisPens pens(hdc, settings.m_XTextColor, settings.m_BackgroundColor);
    if (!layoutOnly) {
        FillBand(hdc, band);
    }
    if (layoutOnly && band.right - band.left >= 4) {
        CKSTDCTextMeasure measure(hdc);
        axis.LayoutLabels(&measure, settings.m_AxesFontDesc, true);
        return;
    }
    DrawTickMarks(axis, dc);
    DrawLabels(axis, dc, settings.m_AxesFontDesc);
}

void DrawAxis(CKSTYAxis& axis, CKSTDrawContext& dc, bool layoutOnly)
{
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr) {
        return;
    }
    const CKSTCurveWndSettings& settings = axis.Settings();
    const RECT band = NormalizeRect(axis.GetRect());
    // A band too narrow to measure against is painted instead.
    if (band.right - band.left < 4) {
        layoutOnly = false;
    }
    AxisPens pens(hdc, axis.GetDrawColour(), settings.m_BackgroundColor);
    CKSTFontDesc font = settings.m_AxesFontDesc;
    dc.SelectFont(font, true);
    if (!layoutOnly) {
        FillBand(hdc, band);
    }
    DrawTickMarks(axis, dc, layoutOnly);
    DrawLabels(axis, dc, layoutOnly);
    dc.RestoreFont();
}
