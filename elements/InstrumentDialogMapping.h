#pragma once
// How the bar and pointer settings of a curve window map onto the fields of the bar and meter
// dialogs and back.
#include <cstdint>

#include "curvewnd/CurveWndOptions.h"
#include "foundation/FontDesc.h"
#include "foundation/String.h"

// The dialogs' fields. A drop-down index of -1 shows no selection; left so, it keeps the
// window's value.
struct KstInstrumentFields {
    CKSTString title;        // shown only
    int titlePosition = -1;  // 0 "Title top" (title shown); 1, not listed: no title
    int alignment = -1;      // 0 left, 1 centred, 2 right
    int displayType = -1;    // bar 0 "2D", 1 "3D"; meter 0 "Needle", 1 "Pointer"
    int gradient = 0;
    int showGroup = 0;
    int showValue = 0;
    uint32_t textColour = 0;
    uint32_t titleBackColour = 0;  // the window's colour around the plot area
    uint32_t barColour = 0;        // the first curve's colour (the pointer's in a meter)
    uint32_t backColour = 0;       // the plot area's colour
    CKSTFontDesc font;
    double scaleAngle = 0.0;  // meter only
};

KstInstrumentFields KstInstrumentFieldsFromOptions(const KstInstrumentOptions& options);
// Writes the fields into the options (only after OK); the title text is not taken.
void KstInstrumentOptionsFromFields(const KstInstrumentFields& fields,
                                    KstInstrumentOptions& options);
