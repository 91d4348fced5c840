#pragma once
// How the text-table settings map onto the fields of the ASCII load and save dialogs and back.
// Only the fields each dialog shows are touched; the rest of the record stays as it was.
#include "formats/TextFormat.h"
#include "foundation/String.h"

// Load ASCII: how text tables are read. Index -1 is "nothing selected" and leaves the field of
// the record alone.
struct KstLoadAsciiFields {
    enum { kSeparatorAuto, kSeparatorSemicolon, kSeparatorComma, kSeparatorTab };
    int separatorIndex = -1;   // "auto", ";", ",", "TAB"
    int xAxisIndex = -1;       // "auto", "none"
    int dateFormatIndex = -1;  // "auto", then the four day, month and year orders
    CKSTString headerLines;    // "auto" or a count
    int removeEmptyColumns = 0;
    int suppressGroupNames = 0;
};

void KstLoadAsciiFieldsFromSettings(const CKSTTextFormat& settings, KstLoadAsciiFields& fields);
// Writes the fields into the record (only after OK).
void KstLoadAsciiSettingsFromFields(const KstLoadAsciiFields& fields, CKSTTextFormat& settings);

// Save ASCII: how channels are written as text.
struct KstSaveAsciiFields {
    enum { kSeparatorSemicolon, kSeparatorComma, kSeparatorTab };
    enum { kMarkPoint, kMarkComma };
    enum { kTimeSeparated, kTimeCombined, kTimeSeconds };
    int separatorIndex = -1;    // ";", ",", "TAB"
    int decimalMarkIndex = -1;  // ".", ","
    CKSTString valueDecimals;
    CKSTString timeDecimals;
    int interpolate = 0;
    int average = 0;
    CKSTString averageCount;
    int timeInfo = -1;  // radio index
};

void KstSaveAsciiFieldsFromSettings(const CKSTTextFormat& settings, KstSaveAsciiFields& fields);
void KstSaveAsciiSettingsFromFields(const KstSaveAsciiFields& fields, CKSTTextFormat& settings);
// The separator decides the decimal mark unless it is TAB: ";" goes with "," and "," with ".",
// or the columns could not be told from the decimals. True when the user may choose the mark.
bool KstCoupleDecimalMark(KstSaveAsciiFields& fields);
// The count of the averaging text, when it is a 16-bit integer of at least 2.
bool KstAverageCountValid(const CKSTString& text);
// The count after a step of the spin control (`delta` as the control reports it), or the text
// unchanged when the result would fall below 2.
CKSTString KstStepAverageCount(const CKSTString& text, int delta);

// A decimal 16-bit integer at the start of the text, after blanks; false for no number or one
// outside the range.
bool KstParseShort(const CKSTString& text, int16_t& value);
