#pragma once
// The geometry and text rules of the numeric value and lamp element: where its title and value
// fields lie, how a text is placed in a field by its alignment code, where the split line
// between the fields is and which ratio a dragged line gives, the lamp's colour for a value and
// the strings that decide whether a refresh must repaint.

#include <cstdint>

#include "foundation/Geometry.h"
#include "foundation/String.h"

// Sides of the title field.
enum KstTitleSide : uint32_t {
    KST_TITLE_LEFT = 0,
    KST_TITLE_TOP = 1,
    KST_TITLE_BOTTOM = 2,
    KST_TITLE_RIGHT = 3,
};

// Alignment codes of both fields.
constexpr uint32_t KST_VALUE_ALIGN_LEFT = 6;
constexpr uint32_t KST_VALUE_ALIGN_CENTRE = 12;
constexpr uint32_t KST_VALUE_ALIGN_RIGHT = 9;

// DrawText format bits, spelled out so the rules build without the platform.
constexpr uint32_t KST_DT_CENTER = 0x1;
constexpr uint32_t KST_DT_RIGHT = 0x2;
constexpr uint32_t KST_DT_VCENTER = 0x4;

struct KstValueFieldRects {
    RECT title;
    RECT value;
};

// The split ratio is taken between 0 and 1, so a stored ratio outside never puts a field
// outside the element.
KstValueFieldRects KstSplitValueFields(const RECT& client, uint32_t titleSide, double splitRatio);

struct KstTextPlacement {
    uint32_t format;  // DrawText format, DT_SINGLELINE not included
    int32_t dx;       // > 0 moves the left edge right, < 0 the right edge left
    int32_t dy;       // > 0 moves the top edge down, < 0 the bottom edge up
};

// Codes 6 and 9 sit a frame width and 4 pixels from the side; any other code centres, pushed
// away from the split line by the frame width (the title field and the value field push in
// opposite directions).
KstTextPlacement KstPlaceFieldText(uint32_t code, int32_t frameWidth, uint32_t titleSide,
                                   bool titleField);
RECT KstApplyTextOffsets(const RECT& field, const KstTextPlacement& placement);

// A box of the text's extent inside the field: at the left (6) or right (9), else centred;
// vertically centred in every case.
RECT KstPlaceTextBox(const RECT& field, uint32_t code, int32_t textWidth, int32_t textHeight);

// The split line's client coordinate across it (x for sides 0 and 3, y for 1 and 2).
int32_t KstSplitLinePosition(uint32_t titleSide, double splitRatio, int32_t width, int32_t height);
// The point lies within 3 pixels of the split line.
bool KstIsNearSplitLine(uint32_t titleSide, double splitRatio, int32_t width, int32_t height,
                        int32_t x, int32_t y);
// v rounded to the nearest multiple of step (halves round down); a step below 1 counts as 1.
int32_t KstSnapToStep(int32_t v, int32_t step);
// The ratio for a split line dragged to (x, y) in a client area width x height, snapped to
// step, between 0 and 1. An area without extent across the line keeps oldRatio.
double KstSplitRatioAt(uint32_t titleSide, int32_t x, int32_t y, int32_t width, int32_t height,
                       int32_t step, double oldRatio);

// Operator codes: 0 <, 1 <=, 2 >, 3 >=, 4 ==; other codes never hold.
bool KstLampConditionHolds(uint32_t op, double value, double threshold);

struct KstLampRule {
    uint32_t operator1;
    double threshold1;
    uint32_t operator2;
    double threshold2;
    uint32_t active1;
    uint32_t active2;
    uint32_t passive;
};
uint32_t KstLampColour(const KstLampRule& rule, double value);

// The number with its decimals and '.', followed directly by the unit when shown.
CKSTString KstFormatValueText(double value, int32_t precision, const CKSTString& unit,
                              bool showUnit);
// What a refresh compares: the value text when there is one, otherwise the number with its
// decimals, a blank and the unit.
CKSTString KstValueCompareText(const CKSTString& valueText, double value, int32_t precision,
                               const CKSTString& unit);

// Numbers of the element that its settings dialog may change: anything outside keeps the old
// value (the frame width is stored in one byte).
constexpr int32_t KST_MAX_PRECISION = 20;
constexpr int32_t KST_MAX_FRAME_WIDTH = 100;
bool KstIsValidPrecision(int32_t precision);
bool KstIsValidFrameWidth(int32_t width);
bool KstIsValidSplitRatio(double ratio);
