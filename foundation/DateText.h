#pragma once
// Date and time texts found in imported tables: normalising them into numeric fields and
// recognising which kind of date or time a text holds.

#include <cstdint>

#include "foundation/String.h"

// Normalises in place: trims to the first and last digit (or ASCII letter unless digitsOnly),
// turns '-' into '.', upper-cases, replaces German and English month names by two-digit numbers
// and repairs dates written with colons, fractions written as a fourth time field and a time
// written before its date.
void ParseDateText(CKSTString& text, bool digitsOnly);

// Each classifier works on a copy normalised by ParseDateText (digitsOnly not set).
bool IsDateText(const CKSTString& text);
bool IsTimeText(const CKSTString& text);
bool IsDateTimeText(const CKSTString& text);
// Also accepts a date with hours and minutes only, a date alone or a time alone.
bool IsDateTimeTextNoSeconds(const CKSTString& text);
// "YYYY?MM?DD?hh?mm?ss..." at fixed positions with any single separators and a valid date; the
// text is checked as it stands, exactly as CKSTTimeStamp::SetFromFixedText reads it.
bool IsFixedDateTimeText(const CKSTString& text);

// "h:m:s" -> h x 3600 + m x 60 + s, each part read as an integer; missing parts count 0.
int32_t TimeTextToSeconds(const CKSTString& text);
