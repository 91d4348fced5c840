#pragma once
// What the window-settings dialogs of a curve window show and change: the bar and pointer
// settings of the instrument displays and the two pages of the common options sheet. Each is
// filled from the window and applied back through the window's setters, a value only when it
// changed and every change marking the window modified. The dialogs themselves belong to the
// display elements and the viewer panels; they exchange these values.

#include <cstdint>

#include "foundation/FontDesc.h"
#include "foundation/RasterImage.h"
#include "foundation/String.h"

class CKSTCurveWndCore;
class CKSTCurveWndSettings;

// The bar (display kind 2) and pointer (kind 4) settings.
struct KstInstrumentOptions {
    CKSTFontDesc font;
    uint32_t textColour = 0;
    uint32_t windowColour = 0;
    uint32_t plotColour = 0;
    int gradient = 0;  // choice 1 = on
    bool showGroup = false;
    bool title = false;
    int titleAlign = 0;  // 0, 1, 2
    int style = 0;       // bar: lines or 3-D bars; pointer: line or filled needle
    uint32_t barColour = 0;
    int showValue = 0;     // choice 1 = on
    CKSTString titleText;  // shown only
    double scaleAngle = 0.0;  // pointer: the dial angle of the first Y axis, in degrees
};
void KstFillInstrumentOptions(const CKSTCurveWndCore& window, KstInstrumentOptions& options);
// True when anything changed; the caller invalidates the window.
bool KstApplyInstrumentOptions(CKSTCurveWndCore& window, const KstInstrumentOptions& options);

// The background page of the common options sheet.
struct KstBackgroundOptions {
    int legendChoice = 0;  // 0 one main legend, 1 one per group, 2 none
    bool showGroup = false;
    bool showGrid = false;
    uint32_t legendColour = 0;
    uint32_t gridColour = 0;
    uint32_t windowColour = 0;
    uint32_t plotColour = 0;
    bool gradient = false;
    bool groupText = false;
    CKSTFontDesc axesFont;
    CKSTFontDesc legendFont;
    CKSTRasterImage picture;
    int pictureRow = 1;     // 0 top, 1 centre, 2 bottom
    int pictureColumn = 1;  // 0 left, 1 centre, 2 right
};
void KstFillBackgroundOptions(const CKSTCurveWndCore& window, KstBackgroundOptions& options);
bool KstApplyBackgroundOptions(CKSTCurveWndCore& window, const KstBackgroundOptions& options);

// The structure page's choice of the window's arrangement mode, and back.
int KstStructureChoiceOfMode(uint32_t mode);
uint32_t KstStructureModeOfChoice(int choice);
// OK on the structure page: a changed arrangement undoes every zoom and arranges the curves
// anew; then the page's copy of the record becomes the window's, compacted, and the window is
// rebuilt from it; event 17 follows.
void KstApplyStructurePage(CKSTCurveWndCore& window, int choice,
                           const CKSTCurveWndSettings& edited);
