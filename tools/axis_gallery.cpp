// Renders every kind of axis (both sides, rotated labels, time axes across midnight) into a
// 32-bit .bmp file for people to look at: axis_gallery [output.bmp]
#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "curvewnd/XAxis.h"
#include "curvewnd/YAxis.h"
#include "data/settings/CurveWndSettings.h"
#include "curvewnd/win/AxisDraw.h"
#include "curvewnd/win/DCTextMeasure.h"
#include "curvewnd/win/DrawContext.h"
#include "tools/DibTarget.h"
#include "tools/WindowBitmap.h"

namespace {

constexpr int kWidth = 900;
constexpr int kHeight = 700;

class GalleryOwner : public CKSTInertCurveOwner<> {
public:
    explicit GalleryOwner(HDC dc) : m_measure(dc) {}

    const CKSTCurveWndSettings& GetWindowSettings() const override { return settings; }
    IKSTTextMeasure* GetTextMeasure() override { return &m_measure; }

    CKSTCurveWndSettings settings;

private:
    CKSTDCTextMeasure m_measure;
};

void Title(HDC dc, int x, int y, const char* text)
{
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, x, y, text, lstrlenA(text));
}

// Lays the axis out in a generous band, fits the band to what the axis needs, paints it.
void Paint(CKSTDrawContext& dc, CKSTXAxis& axis)
{
    DrawAxis(axis, dc, true);
    const RECT band = axis.GetRect();
    axis.SetRect(RECT{band.left, band.top, band.right, band.top + axis.GetAxisHeight()});
    DrawAxis(axis, dc, true);
    DrawAxis(axis, dc, false);
}

void Paint(CKSTDrawContext& dc, CKSTYAxis& axis)
{
    DrawAxis(axis, dc, true);
    const RECT band = axis.GetRect();
    axis.SetRect(RECT{band.left, band.top, band.left + axis.GetAxisWidth(), band.bottom});
    DrawAxis(axis, dc, true);
    DrawAxis(axis, dc, false);
}

void DrawXAxes(CKSTDrawContext& dc, GalleryOwner& owner)
{
    struct Row {
        const char* title;
        uint32_t type;
        double min, max;
        const char* unit;
        uint32_t prefixMode;
        int16_t rotation;
        CKSTTimeStamp reference;
    };
    const CKSTTimeStamp evening(2024, 3, 5, 23, 58, 0);
    const Row rows[] = {
        {"Standard, 0 .. 10 V", CKSTXAxis::kTypeStandard, 0.0, 10.0, "V", 3, 0, evening},
        {"Standard, 0 .. 2.5 mV, prefixes", CKSTXAxis::kTypeStandard, 0.0, 0.0025, "V", 3, 0,
         evening},
        {"Standard, 0 .. 1 MHz, labels rotated 45 degrees", CKSTXAxis::kTypeStandard, 0.0, 1e6,
         "Hz", 3, 45, evening},
        {"Absolute time across midnight, 4 minutes", CKSTXAxis::kTypeAbsoluteTime, 0.0, 240.0, "",
         3, 0, evening},
        {"Absolute time, 3 days, labels rotated 90 degrees", CKSTXAxis::kTypeAbsoluteTime, 0.0,
         3 * 86400.0, "", 3, 90, evening},
        {"Relative time, 0 .. 2 days", CKSTXAxis::kTypeRelativeTime, 0.0, 2 * 86400.0, "", 3, 0,
         evening},
    };
    int top = 10;
    for (const Row& row : rows) {
        Title(dc.GetHdc(), 10, top, row.title);
        CKSTXAxis axis(&owner);
        axis.SetType(row.type);
        axis.SetReferenceTime(row.reference);
        axis.SetUnitText(row.unit);
        axis.SetUnitPrefixMode(row.prefixMode);
        axis.SetLabelRotation(row.rotation);
        axis.SetRange(row.min, row.max, CKSTXAxis::kRangeMinMaxFixed, false);
        axis.SetRect(RECT{10, top + 18, 560, top + 18 + 80});
        Paint(dc, axis);
        top += 18 + axis.GetAxisHeight() + 12;
    }
}

void DrawYAxes(CKSTDrawContext& dc, GalleryOwner& owner)
{
    struct Column {
        const char* title;
        uint32_t scale;
        double min, max;
        bool rightSide;
        bool lowestOnTop;
        const char* unit;
    };
    const Column columns[] = {
        {"linear", CKSTYAxis::kScaleLinear, -5.0, 5.0, false, false, "V"},
        {"right", CKSTYAxis::kScaleLinear, 0.0, 0.02, true, false, "A"},
        {"log", CKSTYAxis::kScaleLogarithmic, -3.0, 2.0, false, false, "Pa"},
        {"dB", CKSTYAxis::kScaleDecibel, -80.0, 0.0, false, false, "V"},
        {"inverted", CKSTYAxis::kScaleLinear, 0.0, 1000.0, false, true, "m"},
    };
    int left = 580;
    int row = 0;
    for (const Column& column : columns) {
        const int top = row == 0 ? 10 : 360;
        Title(dc.GetHdc(), left, top, column.title);
        CKSTYAxis axis(&owner);
        axis.SetScaleType(column.scale);
        axis.SetUnit(column.unit);
        axis.SetRightSide(column.rightSide);
        axis.SetLowestOnTop(column.lowestOnTop);
        axis.SetNoEdgeLine(false);
        axis.SetRange(column.min, column.max, false);
        axis.SetRect(RECT{left, top + 20, left + 150, top + 320});
        Paint(dc, axis);
        left += 110;
        if (left > kWidth - 100) {
            left = 580;
            ++row;
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "axis_gallery.bmp";

    kst::DibTarget target(kWidth, kHeight);
    if (!target.IsValid()) {
        std::fprintf(stderr, "axis_gallery: no bitmap could be made\n");
        return 1;
    }
    CKSTDrawContext& dc = target.Context();
    RECT all = {0, 0, kWidth, kHeight};
    FillRect(dc.GetHdc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    {
        GalleryOwner owner(dc.GetHdc());
        owner.settings.m_BackgroundColor = RGB(236, 236, 236);
        DrawXAxes(dc, owner);
        DrawYAxes(dc, owner);
    }
    GdiFlush();
    const bool written = SavePixelsBitmap(path, target.Bits(), kWidth, kHeight);
    if (!written) {
        std::fprintf(stderr, "axis_gallery: cannot write %s\n", path);
        return 1;
    }
    std::printf("%s\n", path);
    return 0;
}
