#pragma once
// The fields of the cut dialog's relative form: a span as days, hours, minutes and seconds.
#include <cstdint>

#include "foundation/String.h"
#include "foundation/TimeStamp.h"

// Which form of the cut dialog is shown: the X-axis mode a caller gives (1 Standard, 2 Absolute
// Time, 3 Relative Time) and the result mode it reads back (1 Standard, 3 Absolute Time,
// 2 Relative Time) number the forms differently.
enum class KstCutForm { None, Standard, Absolute, Relative };
KstCutForm KstCutFormOfAxisMode(int axisMode);
// 0 for None: the caller's result mode then stays as it was.
int KstCutResultMode(KstCutForm form);

struct KstSpanTexts {
    CKSTString days, hours, minutes, seconds;
};

// Whole days, hours and minutes, then seconds with up to 16 significant digits.
KstSpanTexts KstSpanToTexts(double seconds);
// Each field read as a decimal integer from its leading digits (an optional sign first);
// fractions of a second are dropped and hours above 23 or minutes above 59 simply add up.
CKSTTimeSpan KstSpanFromTexts(const KstSpanTexts& texts);
