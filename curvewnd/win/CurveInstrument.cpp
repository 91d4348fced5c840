// The pointer instrument and the colour map of a curve.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <type_traits>
#include <vector>

#include "curvewnd/ColorMap.h"
#include "curvewnd/Curve.h"
#include "curvewnd/Dial.h"
#include "curvewnd/XAxis.h"
#include "curvewnd/YAxis.h"
#include "curvewnd/win/AntiAliasDC.h"
#include "curvewnd/win/CurveDecorations.h"
#include "curvewnd/win/DCPixels.h"
#include "curvewnd/win/DCTextMeasure.h"
#include "curvewnd/win/DrawContext.h"
#include "curvewnd/win/GdiScope.h"
#include "data/Channel.h"
#include "data/settings/CurveWndSettings.h"
#include "foundation/Numeric.h"

namespace {

// Width of the scale ring, and the distances of ticks and labels inside it.
constexpr int32_t kRingWidth = 5;
constexpr int32_t kTickLength = 10;
constexpr int32_t kLabelInset = 20;

const CKSTCurveWndSettings& SettingsOf(const CKSTCurve& curve)
{
    return curve.GetOwner() != nullptr ? curve.GetOwner()->GetWindowSettings()
                                       : KstDefaultWindowSettings();
}

void TextCentredAt(HDC dc, const POINT& centre, const CKSTString& text)
{
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text.c_str(), text.GetLength(), &size);
    TextOutA(dc, centre.x - size.cx / 2, centre.y - size.cy / 2, text.c_str(), text.GetLength());
}

// What the dial's scale axis asks of a window: the curve window's settings, and texts measured
// on the device context drawn into. It invalidates nothing: it is no part of the window.
class ScaleOwner : public CKSTInertCurveOwner<> {
public:
    ScaleOwner(const CKSTCurve& curve, HDC dc) : m_settings(SettingsOf(curve)), m_measure(dc)
    {
        m_english = curve.GetOwner() == nullptr || curve.GetOwner()->IsEnglish();
    }
    const CKSTCurveWndSettings& GetWindowSettings() const override { return m_settings; }
    bool IsEnglish() const override { return m_english; }
    IKSTTextMeasure* GetTextMeasure() override { return &m_measure; }

private:
    const CKSTCurveWndSettings& m_settings;
    CKSTDCTextMeasure m_measure;
    bool m_english;
};

// The scale of the dial: a scale axis over the Y axis' range, as long as the arc.
class DialScale {
public:
    DialScale(const CKSTCurve& curve, HDC dc, const CKSTYAxis& yAxis, int32_t innerRadius,
              double halfAngle)
        : m_owner(curve, dc), m_axis(&m_owner), m_halfAngle(halfAngle)
    {
        m_axis.SetType(CKSTXAxis::kTypeScale);
        const double arc = std::max(2.0 * halfAngle * innerRadius, 4.0);
        m_axis.SetRect({0, 0, static_cast<int32_t>(std::min(arc, 1e6)), 20});
        m_valid = m_axis.SetRange(yAxis.GetMinimum(), yAxis.GetMaximum(),
                                  CKSTXAxis::kRangeMinMaxFixed, true);
        m_start = m_axis.ValueToPixel(yAxis.GetMinimum());
        m_end = m_axis.ValueToPixel(yAxis.GetMaximum());
    }

    bool IsValid() const { return m_valid; }
    const CKSTXAxis& Axis() const { return m_axis; }
    double AngleAtPixel(int32_t p) const { return KstDialAngleAt(p, m_start, m_end, m_halfAngle); }
    bool OnScale(int32_t p) const { return p >= m_start && p <= m_end; }
    double AngleOf(double value) const { return AngleAtPixel(m_axis.ValueToPixel(value)); }

private:
    ScaleOwner m_owner;
    CKSTXAxis m_axis;
    double m_halfAngle;
    bool m_valid;
    int32_t m_start;
    int32_t m_end;
};

}  // namespace

void PaintPointer(CKSTCurve& curve, CKSTDrawContext& dc)
{
    HDC hdc = dc.GetHdc();
    const CKSTChannel* channel = curve.GetChannel();
    const CKSTYAxis* yAxis = curve.GetYAxis();
    const RECT band = curve.GetRect();
    if (hdc == nullptr || channel == nullptr || yAxis == nullptr || channel->GetCount() == 0 ||
        band.right - band.left < 2 || band.bottom - band.top < 2) {
        return;
    }
    const KstDial dial = KstDialGeometry(band, yAxis->GetDialAngle());
    curve.SetDial(dial.centreX, dial.centreY, dial.radius);
    const int32_t inner = dial.radius - kRingWidth;
    if (inner <= 0) {
        return;
    }
    const CKSTCurveWndSettings& settings = SettingsOf(curve);
    const uint32_t dialColour =
        (yAxis->GetColour() == KST_COLOR_AUTOMATIC ? settings.m_YTextColor : yAxis->GetColour()) &
        0xFFFFFF;
    const int32_t cx = dial.centreX;
    const int32_t cy = dial.centreY;
    const double halfDegrees = dial.halfAngle * 180.0 / kPi;

    KstClipScope clip(hdc, band);
    DrawAAFigure(dc, cx - dial.radius, cy - dial.radius, cx + dial.radius, cy + dial.radius,
                 270.0 - halfDegrees, 270.0 + halfDegrees, dialColour, kRingWidth);

    const DialScale scale(curve, hdc, *yAxis, inner, dial.halfAngle);
    CKSTFontDesc font = settings.m_AxesFontDesc;
    dc.SelectFont(font, true);
    SetTextColor(hdc, dialColour);
    SetBkMode(hdc, TRANSPARENT);
    if (scale.IsValid()) {
        const CKSTXAxis& axis = scale.Axis();
        for (int i = 0; i < axis.GetLabelCount(); ++i) {
            const int32_t p = axis.GetTickPixel(i);
            if (!scale.OnScale(p)) {
                continue;
            }
            const double a = scale.AngleAtPixel(p);
            const POINT outer = KstDialPoint(cx, cy, inner, a);
            const POINT tickEnd = KstDialPoint(cx, cy, inner - kTickLength, a);
            DrawAALine(dc, outer.x, outer.y, tickEnd.x, tickEnd.y, dialColour);
            TextCentredAt(hdc, KstDialPoint(cx, cy, inner - kLabelInset, a), axis.GetLabelText(i));
        }
    }
    TextCentredAt(hdc, {cx, cy - inner / 2}, yAxis->GetUnit());
    dc.RestoreFont();

    const double value = yAxis->Transform(channel->GetLastValue());
    if (std::isnan(value)) {
        return;
    }
    const double held = std::clamp(value, yAxis->GetMinimum(), yAxis->GetMaximum());
    const double angle =
        scale.IsValid() ? scale.AngleOf(held) : KstDialAngleAt(0, 0, 0, dial.halfAngle);
    const KstNeedle needle = KstNeedleAt(cx, cy, inner, angle);
    const COLORREF colour = curve.GetColor() & 0xFFFFFF;
    if (curve.GetDisplayKind() == CKSTCurve::kStyleNeedle) {
        DrawAALine(dc, needle.tail.x, needle.tail.y, needle.tip.x, needle.tip.y, colour);
        return;
    }
    const POINT triangle[3] = {needle.tip, needle.baseLeft, needle.baseRight};
    DrawAAPolygon(dc, triangle, 3, colour, 1, true);
    const int32_t hub = needle.hubRadius;
    KstGdiScope gdi(hdc);
    gdi.Pen(CreatePen(PS_SOLID, 1, colour));
    DrawAAEllipse(dc, cx - hub, cy - hub, cx + hub, cy + hub, colour, 1, true);
}

void PaintMatrix(CKSTCurve& curve, CKSTDrawContext& dc)
{
    HDC hdc = dc.GetHdc();
    const CKSTChannel* channel = curve.GetChannel();
    const CKSTXAxis* xAxis = curve.GetXAxis();
    const CKSTYAxis* yAxis = curve.GetYAxis();
    if (hdc == nullptr || !curve.IsMatrixCurve() || xAxis == nullptr || yAxis == nullptr) {
        return;
    }
    KstMatrixView view;
    view.band = curve.GetRect();
    view.xMinimum = xAxis->GetMinimum();
    view.xDisplayMaximum = xAxis->GetDisplayMaximum();
    view.yMinimum = yAxis->GetMinimum();
    view.yDisplayMaximum = yAxis->GetDisplayMaximum();
    view.lowestOnTop = yAxis->IsLowestOnTop();
    view.timeOffset = curve.GetDateOffset();
    const KstPixelArea area = {view.band.left, view.band.top, view.band.right, view.band.bottom};
    DrawOnPixels(hdc, area, [&](auto& surface) {
        using Surface = std::decay_t<decltype(surface)>;
        KstRenderMatrixMap(*channel, view, [&](int32_t x, int32_t y, uint32_t colour) {
            if (surface.Contains(x, y)) {
                surface.Put(x, y, Surface::Native(colour));
            }
        });
    });
}
