// The legend canvas on GDI: pens and brushes made per call, the legend font selected for the
// whole drawing.
#include "curvewnd/win/LegendDraw.h"

#include <windows.h>

#include "curvewnd/CurveWndCore.h"
#include "curvewnd/Legend.h"
#include "curvewnd/win/DCTextMeasure.h"
#include "curvewnd/win/DrawContext.h"
#include "curvewnd/win/GdiScope.h"

namespace {

class GdiLegendCanvas : public IKSTLegendCanvas {
public:
    GdiLegendCanvas(HDC dc, uint32_t background) : m_dc(dc), m_background(background) {}

    void FillBackground(const RECT& rect) override
    {
        if (m_background == KST_COLOR_NONE) {
            return;
        }
        KstGdiScope gdi(m_dc);
        gdi.Brush(CreateSolidBrush(m_background & 0xFFFFFF));
        PatBlt(m_dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               PATCOPY);
    }
    void LineSample(int32_t x1, int32_t x2, int32_t y, uint32_t colour, int32_t width) override
    {
        KstGdiScope gdi(m_dc);
        gdi.Pen(CreatePen(PS_SOLID, width, colour & 0xFFFFFF));
        MoveToEx(m_dc, x1, y, nullptr);
        LineTo(m_dc, x2, y);
    }
    void Symbol(int32_t x, int32_t y, uint32_t, uint32_t colour) override
    {
        KstGdiScope gdi(m_dc);
        gdi.Pen(CreatePen(PS_SOLID, 1, colour & 0xFFFFFF));
        gdi.Brush(nullptr);
        Rectangle(m_dc, x - 2, y - 2, x + 3, y + 3);
    }
    void Text(int32_t x, int32_t y, const CKSTString& text, uint32_t colour) override
    {
        const COLORREF old = SetTextColor(m_dc, colour & 0xFFFFFF);
        TextOutA(m_dc, x, y, text.c_str(), text.GetLength());
        SetTextColor(m_dc, old);
    }
    void RaisedFrame(const RECT& rect) override
    {
        KstGdiScope gdi(m_dc);
        gdi.Pen(CreatePen(PS_SOLID, 1, 0xFFFFFF));
        MoveToEx(m_dc, rect.left, rect.bottom - 1, nullptr);
        LineTo(m_dc, rect.left, rect.top);
        LineTo(m_dc, rect.right - 1, rect.top);
        gdi.Pen(CreatePen(PS_SOLID, 1, 0x000000));
        LineTo(m_dc, rect.right - 1, rect.bottom - 1);
        LineTo(m_dc, rect.left, rect.bottom - 1);
    }

private:
    HDC m_dc;
    uint32_t m_background;
};

}  // namespace

void DrawLegend(CKSTLegend& legend, CKSTDrawContext& dc, int groupIndex, bool layoutOnly)
{
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr) {
        return;
    }
    if (layoutOnly) {
        CKSTDCTextMeasure measure(hdc);
        legend.Draw(&measure, nullptr, groupIndex, true);
        return;
    }
    CKSTFontDesc font = legend.GetFontSetting();
    dc.SelectFont(font, true);
    const int oldMode = SetBkMode(hdc, TRANSPARENT);
    {
        // Measures in the legend font, so the texts are drawn in it too; it puts the context's
        // font back before the draw context restores its own.
        CKSTDCTextMeasure measure(hdc);
        GdiLegendCanvas canvas(hdc, legend.GetBackground());
        legend.Draw(&measure, &canvas, groupIndex, false);
    }
    SetBkMode(hdc, oldMode);
    dc.RestoreFont();
}
