#pragma once
// Short texts of axis ticks and value fields: scaled numbers with their unit prefixes, time-axis
// labels, durations, and the size of a rotated text box. Numbers always use '.' as decimal
// character; the micro sign is the code-page byte 0xB5.

#include <cstdint>

#include "foundation/String.h"
#include "foundation/TimeStamp.h"

// How a number label shows its decimal exponent next to the unit.
enum KstUnitMode : int16_t {
    KST_UNIT_ONLY = 0,          // the unit alone, the number unscaled
    KST_UNIT_POWER = 1,         // "10^" exponent, a blank, the unit
    KST_UNIT_PREFIX_SMALL = 2,  // p, n, micro, m; other exponents as a power
    KST_UNIT_PREFIX_ALL = 3,    // p, n, micro, m, k, M, G; other exponents as a power
};

// Characters after the first '.'; trailing zeros count only with the flag. 0 without a '.'.
int CountDecimalPlaces(const CKSTString& number, bool countTrailingZeros);
// Length that keeps a duration or time text up to its last significant part ("01:30:00" -> 5,
// "01:00:00" -> 2, "3T 00:00:00" -> 2).
int TrimDurationLength(const CKSTString& text);

// The value scaled by 10^-exponent (for a mode other than 0 and an exponent other than 0) with
// `decimals` decimals, and the unit with the exponent's prefix or power. Prefix modes fall back
// to mode 0 for "%" and for units that already carry a prefix ("mV", "kHz", but not "m/s").
// With the widen flag an unscaled number with a negative exponent gets -exponent more decimals.
void FormatScaledNumber(double value, int16_t decimals, bool widenForSmallExponent,
                        const CKSTString& unit, int16_t exponent, int16_t unitMode,
                        CKSTString& number, CKSTString& suffix);
void FormatExponentSuffix(const CKSTString& unit, int16_t exponent, int16_t unitMode,
                          CKSTString& suffix);

// Label of a time-axis tick: the time of day (CKSTTimeStamp::FormatTime with the decimals),
// preceded by the day and month when the visible range exceeds 12 hours and by the year too when
// it exceeds 1.5e7 s, in the English or German order. The text is cut to maxLength; cut exactly
// after the hour, the hour gets an "h" ("08" -> "8h"). Returns the length of the date part (0, 5
// or 10). A fraction that rounds up to a whole second carries into the time and the date.
int FormatTimeAxisLabel(const CKSTTimeStamp& time, int16_t decimals, int maxLength,
                        double rangeSeconds, bool english, CKSTString& out);
// The same from a given time-of-day text: FormatTimeAxisLabel passes the rounded stamp and its
// FormatTime text. The date is taken from `day` as it stands.
int ComposeTimeAxisLabel(const CKSTTimeStamp& day, const CKSTString& timeOfDay, int16_t decimals,
                         int maxLength, double rangeSeconds, bool english, CKSTString& out);

// Removes the filler blanks of a date part (" 5/ 3, " -> "5/3, ").
void RemoveLabelBlanks(CKSTString& text);

// "hh:mm:ss" with `decimals` decimals, preceded by the whole days ("d " English, "T " German)
// when either end of the range reaches one day, and by "-" or a blank. The fraction is rounded
// at `decimals` and carries into the seconds (59.96 at one decimal is "00:01:00.0"); with no
// decimals it is dropped, as clock times are. The text is cut to maxLength; cut exactly after the
// hour, the hour gets an "h" (" 8h", "-12h", " 3T 12h"). A value that is not finite gives its
// plain number text ("nan", "inf", "-inf").
void FormatDuration(double seconds, int16_t decimals, int maxLength, double rangeStart,
                    double rangeEnd, bool english, CKSTString& out);

// Box enclosing a text of width x height rotated by `angle` degrees, and the offset of the
// text's origin from the box centre. Negative angles are brought into 0..359.
void RotatedTextExtent(int32_t& width, int32_t& height, int32_t& x, int32_t& y, int16_t angle);
