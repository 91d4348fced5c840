#include "foundation/LabelText.h"

#include <algorithm>
#include <cmath>

#include "foundation/Numeric.h"

namespace {

// Ranges above these show the day and month, and then the year too.
constexpr double kDayMonthRange = 43200.0;
constexpr double kYearRange = 1.5e7;

bool IsSignificantDurationChar(char c)
{
    return (c >= '1' && c <= '9') || c == 'T' || c == 'd';
}

// Decimals below 0 count as 0; time texts show at most 30.
int16_t ClampDecimals(int decimals)
{
    return static_cast<int16_t>(std::clamp(decimals, 0, 30));
}

CKSTString PowerText(int16_t exponent)
{
    CKSTString text("10^");
    text.AppendLong(exponent);
    return text;
}

// Prefix modes give no further prefix to a percentage or to a unit that carries one already.
int16_t EffectiveUnitMode(const CKSTString& unit, int16_t mode)
{
    if (mode != KST_UNIT_PREFIX_SMALL && mode != KST_UNIT_PREFIX_ALL) {
        return mode;
    }
    if (unit == "%") {
        return KST_UNIT_ONLY;
    }
    const int n = unit.GetLength();
    if (n > 1) {
        const char first = unit[0];
        const bool prefixed = first == 'm' || first == 'M' || first == 'k';
        const bool perUnit = n > 2 && unit[1] == '/';
        if (prefixed && !perUnit) {
            return KST_UNIT_ONLY;
        }
    }
    return mode;
}

const char* SiPrefix(int16_t exponent, int16_t mode)
{
    switch (exponent) {
        case -12:
            return "p";
        case -9:
            return "n";
        case -6:
            return "\xB5";
        case -3:
            return "m";
        case 0:
            return "";
        default:
            break;
    }
    if (mode == KST_UNIT_PREFIX_ALL) {
        switch (exponent) {
            case 3:
                return "k";
            case 6:
                return "M";
            case 9:
                return "G";
            default:
                break;
        }
    }
    return nullptr;
}

// A label cut right after the hour ends with "h": "08" becomes "8h", "12" becomes "12h".
void MarkHour(CKSTString& text)
{
    const int n = text.GetLength();
    if (n >= 2 && text[n - 2] == '0') {
        char* p = text.GetBuffer();
        p[n - 2] = p[n - 1];
        p[n - 1] = 'h';
    } else {
        text += 'h';
    }
}

// Whether the fraction, printed with `decimals` decimals, reads as a whole second.
bool RoundsToWholeSecond(double fraction, int decimals)
{
    return CKSTString::FormatFixed(fraction, decimals)[0] == '1';
}

CKSTString TwoDigits(double value)
{
    return CKSTString::FormatInt(static_cast<int32_t>(value), 2, '0');
}

}  // namespace

int CountDecimalPlaces(const CKSTString& number, bool countTrailingZeros)
{
    const int point = number.Find('.');
    if (point < 0) {
        return 0;
    }
    int end = number.GetLength();
    if (!countTrailingZeros) {
        while (end - 1 > point && number[end - 1] == '0') {
            --end;
        }
    }
    return end - 1 - point;
}

int TrimDurationLength(const CKSTString& text)
{
    const int n = text.GetLength();
    if (n == 0) {
        return 0;
    }
    if (IsSignificantDurationChar(text[n - 1])) {
        return n;
    }
    int k = 1;
    for (int i = n - 2; i >= 1; --i) {
        if (IsSignificantDurationChar(text[i])) {
            k = i;
            break;
        }
    }
    const int length = text[k - 1] == ':' ? k + 2 : k + 1;
    return std::min(length, n);
}

void FormatExponentSuffix(const CKSTString& unit, int16_t exponent, int16_t unitMode,
                          CKSTString& suffix)
{
    suffix.Empty();
    if (unit.IsEmpty()) {
        if (exponent != 0 && unitMode != 0) {
            suffix = PowerText(exponent);
        }
        return;
    }
    switch (unitMode) {
        case KST_UNIT_ONLY:
            suffix = unit;
            return;
        case KST_UNIT_POWER:
            break;
        case KST_UNIT_PREFIX_SMALL:
        case KST_UNIT_PREFIX_ALL:
            if (const char* prefix = SiPrefix(exponent, unitMode)) {
                suffix = CKSTString(prefix) + unit;
                return;
            }
            break;
        default:
            return;
    }
    if (exponent == 0) {
        suffix = unit;
        return;
    }
    suffix = PowerText(exponent) + " " + unit;
}

void FormatScaledNumber(double value, int16_t decimals, bool widenForSmallExponent,
                        const CKSTString& unit, int16_t exponent, int16_t unitMode,
                        CKSTString& number, CKSTString& suffix)
{
    int places = std::max<int>(decimals, 0);
    const int16_t mode = EffectiveUnitMode(unit, unitMode);
    if (exponent != 0 && mode != 0) {
        number = CKSTString::FormatFixed(value * std::pow(10.0, -exponent), places);
    } else {
        if (exponent < 0 && widenForSmallExponent) {
            places -= exponent;
        }
        number = CKSTString::FormatFixed(value, places);
    }
    FormatExponentSuffix(unit, exponent, mode, suffix);
}

int ComposeTimeAxisLabel(const CKSTTimeStamp& day, const CKSTString& timeOfDay, int16_t decimals,
                         int maxLength, double rangeSeconds, bool english, CKSTString& out)
{
    const int places = std::max<int>(decimals, 0);
    int dateLength = 0;
    out.Empty();
    if (rangeSeconds > kDayMonthRange) {
        int16_t year = 0, month = 0, dayOfMonth = 0;
        SerialToDate(day.GetSerialDays(), year, month, dayOfMonth);
        const CKSTString m = CKSTString::FormatInt(month, 2);
        const CKSTString d = CKSTString::FormatInt(dayOfMonth, 2);
        const bool withYear = rangeSeconds > kYearRange;
        if (english) {
            out = m + "/" + d;
            if (withYear) {
                out += "/" + CKSTString::FormatInt(year, 4);
            }
            out += ", ";
        } else {
            out = d + "." + m + ".";
            if (withYear) {
                out += CKSTString::FormatInt(year, 4) + ",";
            }
            out += " ";
        }
        dateLength = withYear ? 10 : 5;
    }
    out += timeOfDay;

    const int fullLength = out.GetLength();
    if (maxLength < fullLength) {
        out = out.Left(std::max(maxLength, 0));
    }
    const int hourEnd = places == 0 ? fullLength - 6 : fullLength - (places + 7);
    if (hourEnd > 0 && maxLength == hourEnd) {
        MarkHour(out);
    }
    return dateLength;
}

int FormatTimeAxisLabel(const CKSTTimeStamp& time, int16_t decimals, int maxLength,
                        double rangeSeconds, bool english, CKSTString& out)
{
    // Round as FormatTime does, so that a carry into the next second reaches the date as well.
    const int places = ClampDecimals(decimals);
    CKSTTimeStamp rounded = time;
    rounded.RoundFraction();
    if (places > 0 && RoundsToWholeSecond(rounded.GetFraction(), places)) {
        rounded = CKSTTimeStamp(rounded.GetSerialDays() + KST_ONE_SECOND_DAYS, 0.0);
    }
    return ComposeTimeAxisLabel(rounded, rounded.FormatTime(places), decimals, maxLength,
                                rangeSeconds, english, out);
}

void RemoveLabelBlanks(CKSTString& text)
{
    if (text.GetLength() > 0 && text[0] == ' ') {
        text.Delete(0, 1);
    }
    if (text.GetLength() > 2 && text[2] == ' ') {
        text.Delete(2, 1);
    }
    if (text.GetLength() >= 4 && text[3] == ' ') {
        text.Delete(3, 1);
    }
}

void FormatDuration(double seconds, int16_t decimals, int maxLength, double rangeStart,
                    double rangeEnd, bool english, CKSTString& out)
{
    if (!std::isfinite(seconds)) {
        out = CKSTString::FormatFixed(seconds, 0);
        return;
    }
    const int places = ClampDecimals(decimals);
    const bool negative = seconds < 0.0;
    const double magnitude = std::fabs(seconds);
    double whole = std::floor(magnitude);
    const double fraction = magnitude - whole;
    // Rounded as time stamps round their texts: at the decimals shown, and at microseconds so
    // that a fraction missing a whole second only by floating-point noise carries too.
    const bool carry =
        RoundsToWholeSecond(fraction, 6) || (places > 0 && RoundsToWholeSecond(fraction, places));
    if (carry) {
        whole += 1.0;
    }
    const CKSTString fractionText = CKSTString::FormatFixed(carry ? 0.0 : fraction, places);

    const double secondField = std::fmod(whole, 60.0);
    const double minutes = std::fmod(std::floor(whole / 60.0), 60.0);
    const double hours = std::fmod(std::floor(whole / 3600.0), 24.0);
    const double days = std::floor(whole / 86400.0);

    CKSTString text = TwoDigits(hours) + ":" + TwoDigits(minutes) + ":" + TwoDigits(secondField);
    if (std::fabs(rangeStart) >= 86400.0 || std::fabs(rangeEnd) >= 86400.0) {
        text = CKSTString::FormatFixed(days, 0) + (english ? "d " : "T ") + text;
    }
    const int hourMark = text.GetLength() - 5;
    text += fractionText.Mid(1);
    text.Insert(0, negative ? '-' : ' ');

    int end = maxLength;
    if (maxLength < text.GetLength()) {
        text = text.Left(std::max(maxLength, 0));
        if (text.GetLength() > 0 && text.Last() == ':') {
            text.RemoveLast();
            end = maxLength - 1;
        }
    }
    if (end == hourMark) {
        MarkHour(text);
    }
    out = text;
}

void RotatedTextExtent(int32_t& width, int32_t& height, int32_t& x, int32_t& y, int16_t angle)
{
    int a = angle;
    while (a < 0) {
        a += 360;
    }
    switch (a) {
        case 0:
            x = -(width / 2);
            y = height / 2;
            return;
        case 180:
            x = width / 2;
            y = -(height / 2);
            return;
        case 90:
            std::swap(width, height);
            x = -(width / 2);
            y = -(height / 2);
            return;
        case 270:
            std::swap(width, height);
            x = width / 2;
            y = height / 2;
            return;
        default:
            break;
    }
    const double hw = width / 2.0;
    const double hh = height / 2.0;
    double cx[4] = {-hw, -hw, hw, hw};
    double cy[4] = {hh, -hh, hh, -hh};
    const double radians = a * kPi / 180.0;
    for (int i = 0; i < 4; ++i) {
        RotateVector(cx[i], cy[i], radians);
    }
    width = static_cast<int32_t>(*std::max_element(cx, cx + 4) - *std::min_element(cx, cx + 4));
    height = static_cast<int32_t>(*std::max_element(cy, cy + 4) - *std::min_element(cy, cy + 4));
    x = static_cast<int32_t>(cx[0]);
    y = static_cast<int32_t>(cy[0]);
}
