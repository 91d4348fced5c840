#include "foundation/DateText.h"

#include <cstring>
#include <vector>

#include "foundation/TimeStamp.h"

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Long names first, so that a short form never cuts into a long one. Because "JANUAR" comes
// before "JANUARY", an English January leaves "01Y"; the Y only separates numbers afterwards.
// \xC4 is the code-page-1252 A umlaut.
const char* const kMonthWords[][2] = {
    {"J\xC4NNER", "01"}, {"JANUAR", "01"},  {"JANUARY", "01"},  {"FEBRUAR", "02"},
    {"FEBRUARY", "02"},  {"M\xC4RZ", "03"}, {"MARCH", "03"},    {"APRIL", "04"},
    {"MAI", "05"},       {"MAY", "05"},     {"JUNI", "06"},     {"JUNE", "06"},
    {"JULI", "07"},      {"JULY", "07"},    {"AUGUST", "08"},   {"SEPTEMBER", "09"},
    {"OKTOBER", "10"},   {"OCTOBER", "10"}, {"NOVEMBER", "11"}, {"DEZEMBER", "12"},
    {"DECEMBER", "12"},  {"J\xC4N", "01"},  {"JAN", "01"},      {"FEB", "02"},
    {"M\xC4R", "03"},    {"MAR", "03"},     {"APR", "04"},      {"JUN", "06"},
    {"JUL", "07"},       {"AUG", "08"},     {"SEP", "09"},      {"OKT", "10"},
    {"OCT", "10"},       {"NOV", "11"},     {"DEZ", "12"},      {"DEC", "12"},
};

struct Field {
    double value;
    char end;  // the character that ended the digits, 0 at the end of the text
};

// Runs of digits of a normalised text, at most maxFields of them.
std::vector<Field> ReadFields(const CKSTString& text, size_t maxFields)
{
    std::vector<Field> fields;
    const int length = text.GetLength();
    int i = 0;
    while (i < length && fields.size() < maxFields) {
        if (!IsDigit(text[i])) {
            ++i;
            continue;
        }
        double value = 0.0;
        while (i < length && IsDigit(text[i])) {
            value = value * 10.0 + (text[i] - '0');
            ++i;
        }
        fields.push_back({value, i < length ? text[i] : '\0'});
    }
    return fields;
}

struct Classified {
    bool valid = false;  // every character belongs to the allowed set
    bool hasColon = false;
    std::vector<double> fields;
};

// Splits a normalised text into numeric fields. Besides digits only the characters of allowed
// may occur; with decimalAfterColon, a '.' or ',' inside a number after some ':' is that
// number's decimal point. Beyond maxFields, characters are still checked but not counted.
Classified Classify(const CKSTString& text, const char* allowed, bool decimalAfterColon,
                    size_t maxFields)
{
    Classified result;
    const int length = text.GetLength();
    int i = 0;
    while (i < length) {
        const char c = text[i];
        if (IsDigit(c)) {
            double value = 0.0;
            double scale = 0.0;  // 0 until a decimal point is seen
            while (i < length) {
                const char d = text[i];
                if (IsDigit(d)) {
                    if (scale == 0.0) {
                        value = value * 10.0 + (d - '0');
                    } else {
                        value += (d - '0') * scale;
                        scale *= 0.1;
                    }
                } else if ((d == '.' || d == ',') && decimalAfterColon && result.hasColon &&
                           scale == 0.0) {
                    scale = 0.1;
                } else {
                    break;
                }
                ++i;
            }
            if (result.fields.size() < maxFields) {
                result.fields.push_back(value);
            }
            continue;
        }
        if (c == '\0' || std::strchr(allowed, c) == nullptr) {
            return result;
        }
        if (c == ':') {
            result.hasColon = true;
        }
        ++i;
    }
    result.valid = true;
    return result;
}

int CountAbove(const std::vector<double>& fields, double limit)
{
    int count = 0;
    for (double v : fields) {
        count += v > limit ? 1 : 0;
    }
    return count;
}

int CountAtLeast(const std::vector<double>& fields, double limit)
{
    int count = 0;
    for (double v : fields) {
        count += v >= limit ? 1 : 0;
    }
    return count;
}

CKSTString Normalised(const CKSTString& text)
{
    CKSTString copy = text;
    ParseDateText(copy, false);
    return copy;
}

constexpr size_t kUnlimited = static_cast<size_t>(-1);
const char kDateTimeSeparators[] = ".,/: ";

bool DateTimeCountsPlausible(const std::vector<double>& f)
{
    return CountAbove(f, 12) < 6 && CountAbove(f, 23) < 5 && CountAbove(f, 31) < 4 &&
           CountAtLeast(f, 60) < 2;
}

}  // namespace

void ParseDateText(CKSTString& text, bool digitsOnly)
{
    if (text.IsEmpty()) {
        return;
    }
    auto significant = [digitsOnly](char c) {
        return IsDigit(c) || (!digitsOnly && IsAsciiLetter(c));
    };
    int first = 0;
    int last = text.GetLength() - 1;
    while (first <= last && !significant(text[first])) {
        ++first;
    }
    while (last >= first && !significant(text[last])) {
        --last;
    }
    if (first > last) {
        text.Empty();
        return;
    }
    text = text.Mid(first, last - first + 1);
    text.Replace('-', '.');
    text.MakeUpper();

    if (text.CountLetters() > 0) {
        for (const auto& word : kMonthWords) {
            text.Replace(CKSTString(word[0]), CKSTString(word[1]));
        }
    }

    const std::vector<Field> fields = ReadFields(text, 6);
    int colons = 0;
    int yearLike = 0;
    for (const Field& f : fields) {
        colons += f.end == ':' ? 1 : 0;
        yearLike += f.value >= 1900 ? 1 : 0;
    }
    if (fields.size() == 3 && colons == 2 && yearLike == 1) {
        text.Replace(':', '.');  // a date written with colons
    } else if (fields.size() == 4 && colons == 3) {
        const int lastColon = text.ReverseFind(':');
        text = text.Left(lastColon) + "." + text.Mid(lastColon + 1);  // a fraction of a second
    } else if (fields.size() == 6 && fields[0].end == ':' && fields[1].end == ':' &&
               fields[2].end == ' ') {
        const int blank = text.Find(' ');  // hh:mm:ss dd.mm.yyyy -> dd.mm.yyyy hh:mm:ss
        text = text.Mid(blank + 1) + " " + text.Left(blank);
    }
}

bool IsDateText(const CKSTString& text)
{
    const Classified c = Classify(Normalised(text), "./", false, kUnlimited);
    return c.valid && c.fields.size() == 3 && CountAbove(c.fields, 12) < 3 &&
           CountAbove(c.fields, 31) < 2;
}

bool IsTimeText(const CKSTString& text)
{
    const Classified c = Classify(Normalised(text), ":", true, kUnlimited);
    return c.valid && c.fields.size() == 3 && CountAbove(c.fields, 23) < 3 &&
           CountAtLeast(c.fields, 60) == 0;
}

bool IsDateTimeText(const CKSTString& text)
{
    const Classified c = Classify(Normalised(text), kDateTimeSeparators, true, kUnlimited);
    return c.valid && c.fields.size() == 6 && DateTimeCountsPlausible(c.fields);
}

bool IsDateTimeTextNoSeconds(const CKSTString& text)
{
    const Classified c = Classify(Normalised(text), kDateTimeSeparators, true, 6);
    if (!c.valid) {
        return false;
    }
    const std::vector<double>& f = c.fields;
    switch (f.size()) {
        case 6:
            return DateTimeCountsPlausible(f);
        case 5:
            return CountAbove(f, 12) < 5 && CountAbove(f, 23) < 4 && CountAbove(f, 31) < 3 &&
                   CountAtLeast(f, 60) <= 1;
        case 3:
            if (!c.hasColon) {
                return CountAbove(f, 12) <= 2 && CountAbove(f, 31) <= 1;
            }
            return CountAbove(f, 23) < 3 && CountAtLeast(f, 60) == 0;
        case 2:
            return c.hasColon && CountAbove(f, 23) <= 1 && CountAtLeast(f, 60) == 0;
        default:
            return false;
    }
}

bool IsFixedDateTimeText(const CKSTString& text)
{
    if (text.GetLength() < 19) {
        return false;
    }
    static const int kStart[6] = {0, 5, 8, 11, 14, 17};
    int values[6];
    for (int k = 0; k < 6; ++k) {
        const CKSTString part = text.Mid(kStart[k], k == 0 ? 4 : 2);
        if (!part.IsInteger()) {
            return false;
        }
        values[k] = part.ToLong();
    }
    return IsValidDateTime(values[0], values[1], values[2], values[3], values[4], values[5]);
}

int32_t TimeTextToSeconds(const CKSTString& text)
{
    int64_t parts[3] = {0, 0, 0};
    int start = 0;
    for (int k = 0; k < 3 && start <= text.GetLength(); ++k) {
        int colon = text.Find(':', start);
        if (colon < 0) {
            colon = text.GetLength();
        }
        if (colon > start) {
            parts[k] = text.Mid(start, colon - start).ToLong();
        }
        start = colon + 1;
    }
    return static_cast<int32_t>(parts[0] * 3600 + parts[1] * 60 + parts[2]);
}
