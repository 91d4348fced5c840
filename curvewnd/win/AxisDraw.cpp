// Painting of the X and Y axes on a draw context.
#include <windows.h>

#include <algorithm>

#include "curvewnd/XAxis.h"
#include "curvewnd/YAxis.h"
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

}  // namespace

// --- X axis ---

void CKSTXAxis::DrawTickMarks(CKSTDrawContext& dc)
{
    const RECT band = NormalizeRect(m_rect);
    const int tickLength = Settings().m_MainTickLength;
    for (const int32_t pixel : m_tickPixels) {
        if (pixel > band.left && pixel <= band.right) {
            dc.Line(pixel, band.top, pixel, band.top + tickLength);
        }
    }
}

void CKSTXAxis::DrawLabels(CKSTDrawContext& dc, const CKSTFontDesc& font)
{
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr || m_type == kTypeNone || !(m_tickSpacing > 0.0) || m_minimum == m_maximum) {
        return;
    }
    CKSTFontDesc labelFont = LabelFont(font);
    dc.SelectFont(labelFont, true);
    for (size_t i = 0; i < m_labelTexts.size(); ++i) {
        PutText(hdc, m_labelPositions[i].x, m_labelPositions[i].y, m_labelTexts[i]);
    }
    dc.RestoreFont();
    if (!m_caption.IsEmpty()) {
        // The caption stays upright whatever the labels' rotation.
        CKSTFontDesc captionFont = font;
        dc.SelectFont(captionFont, true);
        PutText(hdc, m_captionPosition.x, m_captionPosition.y, m_caption);
        dc.RestoreFont();
    }
}

void CKSTXAxis::Draw(CKSTDrawContext& dc, bool layoutOnly)
{
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr) {
        return;
    }
    const CKSTCurveWndSettings& settings = Settings();
    const RECT band = NormalizeRect(m_rect);
    AxisPens pens(hdc, settings.m_XTextColor, settings.m_BackgroundColor);
    if (!layoutOnly) {
        FillBand(hdc, band);
    }
    if (layoutOnly && band.right - band.left >= 4) {
        CKSTDCTextMeasure measure(hdc);
        LayoutLabels(&measure, settings.m_AxesFontDesc, true);
        return;
    }
    DrawTickMarks(dc);
    DrawLabels(dc, settings.m_AxesFontDesc);
}

// --- Y axis ---

void CKSTYAxis::DrawTickMarks(CKSTDrawContext& dc, bool layoutOnly)
{
    if (layoutOnly || !(m_tickSpacing > 0.0) || m_maximum == m_minimum) {
        return;
    }
    const RECT band = NormalizeRect(m_rect);
    const int tickLength = Settings().m_MainTickLength;
    const int edge = EdgeOffset();
    std::vector<int32_t> rows;
    GetTickPixels(rows);
    for (const int32_t y : rows) {
        if (m_rightSide) {
            dc.Line(band.left + edge, y, band.left + tickLength + edge, y);
        } else {
            dc.Line(band.right - tickLength - edge, y, band.right - edge, y);
        }
    }
    if (edge == 1) {
        const int x = m_rightSide ? band.left : band.right - 1;
        dc.Line(x, band.top, x, band.bottom);
    }
}

void CKSTYAxis::DrawLabels(CKSTDrawContext& dc, bool layoutOnly)
{
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr || !(m_tickSpacing > 0.0) || m_maximum == m_minimum) {
        return;
    }
    const CKSTFontDesc& font = Settings().m_AxesFontDesc;
    {
        CKSTDCTextMeasure measure(hdc);
        const int32_t width = LayoutLabels(&measure, font);
        if (layoutOnly) {
            m_axisWidth = width;
            return;
        }
    }
    if (m_labelsShown) {
        for (const Label& label : m_labels) {
            PutText(hdc, label.x, label.y, label.text);
        }
    }
    if (m_unitCaptionShown) {
        PutText(hdc, m_unitCaption.x, m_unitCaption.y, m_unitCaption.text);
    }
}

void CKSTYAxis::Draw(CKSTDrawContext& dc, bool layoutOnly)
{
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr) {
        return;
    }
    const CKSTCurveWndSettings& settings = Settings();
    const RECT band = NormalizeRect(m_rect);
    // A band too narrow to measure against is painted instead.
    if (band.right - band.left < 4) {
        layoutOnly = false;
    }
    AxisPens pens(hdc, GetDrawColour(), settings.m_BackgroundColor);
    CKSTFontDesc font = settings.m_AxesFontDesc;
    dc.SelectFont(font, true);
    if (!layoutOnly) {
        FillBand(hdc, band);
    }
    DrawTickMarks(dc, layoutOnly);
    DrawLabels(dc, layoutOnly);
    dc.RestoreFont();
}
