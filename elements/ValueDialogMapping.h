#pragma once
// How the settings of a numeric value or lamp element map onto the fields of their settings
// dialogs (940 numeric value, 946 lamp) and back. Numbers are edited as text; a text that is
// empty, malformed or out of bounds keeps the old value, and so does a text left as shown.
#include <cstdint>

#include "data/settings/ProcessLayout.h"
#include "elements/ValueLayout.h"
#include "foundation/FontDesc.h"
#include "foundation/String.h"

// List index <-> element code: alignment (0 left 6, 1 centred 12, 2 right 9), title position
// (0 left side 0, 1 right side 3, 2 top side 1, 3 bottom side 2) and lamp operator (0 "<" to
// 4 "=="). Indices outside a list give alignment 6, side 0 and operator 0.
int KstAlignmentIndexOfCode(uint32_t code);
uint32_t KstAlignmentCodeOfIndex(int index);
int KstTitlePositionIndexOfSide(uint32_t side);
uint32_t KstTitleSideOfIndex(int index);
int KstOperatorIndexOfCode(uint32_t code);
uint32_t KstOperatorCodeOfIndex(int index);

// The dialogs' fields; the numeric value dialog uses the title, value and frame fields, the
// lamp dialog the title and lamp fields. Check boxes are 0 or 1.
struct KstValueDialogFields {
    CKSTString title;
    CKSTFontDesc titleFont;
    uint32_t titleTextColour = 0;
    uint32_t titleBackColour = 0;
    int titleTransparent = 0;
    int titlePosition = 0;
    int titleAlignment = 0;
    int showGroup = 0;
    CKSTString channel;  // shown only
    CKSTFontDesc valueFont;
    uint32_t valueTextColour = 0;
    uint32_t valueBackColour = 0;  // the lamp field's background in the lamp dialog
    int valueTransparent = 0;      // the lamp field's in the lamp dialog
    int valueAlignment = 0;
    int showUnit = 0;
    int frame = 0;
    uint32_t frameColour = 0;
    CKSTString frameWidth;
    CKSTString precision;
    CKSTString splitRatio;
    uint32_t activeColour1 = 0;
    uint32_t activeColour2 = 0;
    uint32_t passiveColour = 0;
    int operator1 = 0;
    int operator2 = 0;
    CKSTString threshold1;
    CKSTString threshold2;
};

KstValueDialogFields KstValueFieldsFromSettings(const CKSTValueElementSettings& settings);
// OK on the numeric value dialog and on the lamp dialog.
void KstApplyValueFields(const KstValueDialogFields& fields, CKSTValueElementSettings& settings);
void KstApplyLampFields(const KstValueDialogFields& fields, CKSTValueElementSettings& settings);
