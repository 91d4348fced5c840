// The shaded faces of buttons and lamps: a button painted by the element (shading written into
// the DIB section's bits) against the same shading set pixel by pixel through the device
// context, measured in the same run.
#include <windows.h>

#include "BenchReport.h"
#include "curvewnd/win/DCPixels.h"
#include "elements/ElementShading.h"
#include "elements/win/ButtonWnd.h"
#include "tools/DibTarget.h"

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 120;

}  // namespace

int main()
{
    kst::DibTarget target(kWidth, kHeight);
    if (!target.IsValid()) {
        return 1;
    }
    HDC dc = target.Context().GetHdc();
    const RECT rect{0, 0, kWidth, kHeight};

    CKSTButtonWnd button;
    button.SetStyle(1);
    button.SetTitle("Pump");
    const double element = kst::bench::BestSeconds(20, [&] {
        button.Draw(dc, rect);
        GdiFlush();
        return -1.0;
    });
    const double perPixel = kst::bench::BestSeconds(3, [&] {
        CKSTDCPixelSurface surface(dc, KstPixelArea{0, 0, kWidth, kHeight});
        KstShadeFace(surface, rect, 0x00FFFF, KstShadeShape::Cylinder);
        KstShadeFace(surface, KstButtonFaceRect(rect), 0x00FF00, KstShadeShape::Cylinder);
        GdiFlush();
        return -1.0;
    });
    kst::bench::Report("button_face_240x120", element * 1e3, "ms");
    kst::bench::Report("button_face_240x120_setpixel_reference", perPixel * 1e3, "ms");
    kst::bench::Report("button_face_speedup", perPixel / element, "x");
    return 0;
}
