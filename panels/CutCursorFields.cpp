#include "panels/CutCursorFields.h"

#include <charconv>
#include <cstdlib>

namespace {

int32_t LeadingInteger(const CKSTString& text)
{
    CKSTString trimmed = text;
    trimmed.Trim();
    const char* first = trimmed.c_str();
    const char* last = first + trimmed.GetLength();
    if (first != last && *first == '+') {
        ++first;
    }
    int32_t value = 0;
    // Digits up to the first other character; none gives 0.
    if (std::from_chars(first, last, value).ec != std::errc()) {
        return 0;
    }
    return value;
}

}  // namespace

KstCutForm KstCutFormOfAxisMode(int axisMode)
{
    switch (axisMode) {
        case 1:
            return KstCutForm::Standard;
        case 2:
            return KstCutForm::Absolute;
        case 3:
            return KstCutForm::Relative;
        default:
            return KstCutForm::None;
    }
}

int KstCutResultMode(KstCutForm form)
{
    switch (form) {
        case KstCutForm::Standard:
            return 1;
        case KstCutForm::Absolute:
            return 3;
        case KstCutForm::Relative:
            return 2;
        default:
            return 0;
    }
}

KstSpanTexts KstSpanToTexts(double seconds)
{
    int32_t days = 0;
    int16_t hours = 0;
    int16_t minutes = 0;
    double rest = 0.0;
    CKSTTimeSpan(seconds).GetParts(days, hours, minutes, rest, true);
    return {CKSTString::FormatInt(days), CKSTString::FormatInt(hours),
            CKSTString::FormatInt(minutes), CKSTString::FormatGeneral(rest, 16)};
}

CKSTTimeSpan KstSpanFromTexts(const KstSpanTexts& texts)
{
    const double seconds = LeadingInteger(texts.days) * 86400.0 +
                           LeadingInteger(texts.hours) * 3600.0 +
                           LeadingInteger(texts.minutes) * 60.0 + LeadingInteger(texts.seconds);
    return CKSTTimeSpan(seconds);
}
