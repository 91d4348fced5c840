#include "formats/TextFields.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsBlankSeparator(char c, char separator)
{
    return separator == KST_TEXT_BLANK ? (c == ' ' || c == '\t') : c == separator;
}

// A closing quote of the quoted field that opens at p, or null.
const char* FindClosingQuote(const char* p, const char* end)
{
    for (const char* q = p + 1; q < end; ++q) {
        if (*q == '"') {
            if (q + 1 < end && q[1] == '"') {
                ++q;
                continue;
            }
            return q;
        }
    }
    return nullptr;
}

bool FullParse(const char* begin, const char* end, double& value)
{
    if (KstScanPlainNumber(begin, end, value) == end) {
        return true;
    }
    if (begin < end && *begin == '+') {
        ++begin;
    }
    if (begin == end) {
        return false;
    }
    const std::from_chars_result r = std::from_chars(begin, end, value);
    return r.ec == std::errc() && r.ptr == end;
}

bool EqualsNoCase(const char* text, size_t n, const char* word)
{
    if (std::strlen(word) != n) {
        return false;
    }
    for (size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (c != word[i]) {
            return false;
        }
    }
    return true;
}

// Digit groups between marks: the first holds at least one digit (after a sign), every later
// one exactly three.
bool GroupsOfThree(const char* text, size_t n, char mark)
{
    size_t digits = 0;
    bool first = true;
    for (size_t i = 0; i < n; ++i) {
        if (text[i] == mark) {
            if (first ? digits == 0 : digits != 3) {
                return false;
            }
            first = false;
            digits = 0;
        } else if (IsDigit(text[i])) {
            ++digits;
        } else if (!(i == 0 && (text[i] == '-' || text[i] == '+'))) {
            return false;
        }
    }
    return !first && digits == 3;
}

constexpr size_t kMaxNumberText = 256;

// The divisors of plain numbers of up to nineteen digits, all exact doubles.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8, 1e9,
                                   1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};

}  // namespace

const char* KstScanPlainNumber(const char* p, const char* end, double& value)
{
    const bool negative = p < end && *p == '-';
    const char* q = negative ? p + 1 : p;
    const char* digits = q;
    uint64_t mantissa = 0;
    while (q < end && IsDigit(*q)) {
        mantissa = mantissa * 10 + static_cast<unsigned>(*q - '0');
        ++q;
    }
    size_t count = static_cast<size_t>(q - digits);
    size_t decimals = 0;
    if (count > 0 && q < end && *q == '.') {
        const char* fraction = ++q;
        while (q < end && IsDigit(*q)) {
            mantissa = mantissa * 10 + static_cast<unsigned>(*q - '0');
            ++q;
        }
        decimals = static_cast<size_t>(q - fraction);
        count += decimals;
    }
    // Nineteen digits cannot overflow the mantissa. A mantissa of at most 2^53 and a power of
    // ten below 1e23 are exact doubles, so their one rounded quotient is the correctly rounded
    // value of the text, as from_chars gives it.
    if (count == 0 || count > 19 || mantissa > (uint64_t{1} << 53)) {
        return nullptr;
    }
    const double magnitude = static_cast<double>(mantissa) / kPowersOfTen[decimals];
    value = negative ? -magnitude : magnitude;
    return q;
}

const char* KstFindLineEnd(const char* p, const char* end, char separator)
{
    const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
    const char* lineEnd = lf != nullptr ? static_cast<const char*>(lf) : end;
    if (std::memchr(p, '"', static_cast<size_t>(lineEnd - p)) == nullptr) {
        return lineEnd;
    }
    // A quote that opens a field may carry the field over line breaks.
    bool fieldStart = true;
    for (const char* q = p; q < end; ++q) {
        const char c = *q;
        if (c == '\n') {
            return q;
        }
        if (fieldStart && c == '"') {
            const char* close = FindClosingQuote(q, end);
            if (close == nullptr) {
                return lineEnd;
            }
            q = close;
            fieldStart = false;
            continue;
        }
        if (IsBlankSeparator(c, separator)) {
            fieldStart = true;
        } else if (c != ' ') {
            fieldStart = false;
        }
    }
    return end;
}

KstFieldReader::KstFieldReader(const char* begin, const char* end, char separator)
    : m_p(begin), m_end(end), m_separator(separator), m_done(false), m_column(-1)
{
    if (m_end > m_p && m_end[-1] == '\r') {
        --m_end;
    }
}

bool KstFieldReader::Next(std::string_view& field)
{
    if (m_done) {
        return false;
    }
    if (m_separator == KST_TEXT_BLANK) {
        while (m_p < m_end && (*m_p == ' ' || *m_p == '\t')) {
            ++m_p;
        }
        if (m_p == m_end) {
            m_done = true;
            return false;
        }
    }
    ++m_column;
    const char* start = m_p;
    const char* q = start;
    while (q < m_end && *q == ' ') {
        ++q;
    }
    if (q < m_end && *q == '"') {
        const char* close = FindClosingQuote(q, m_end);
        if (close != nullptr) {
            m_scratch.clear();
            for (const char* c = q + 1; c < close; ++c) {
                m_scratch.push_back(*c);
                if (*c == '"') {
                    ++c;  // the second quote of a pair
                }
            }
            const char* after = close + 1;
            while (after < m_end && !IsBlankSeparator(*after, m_separator)) {
                m_scratch.push_back(*after++);
            }
            m_p = after;
            if (m_p < m_end) {
                ++m_p;
            } else {
                m_done = true;
            }
            field = m_scratch;
            return true;
        }
    }
    const char* stop = start;
    if (m_separator == KST_TEXT_BLANK) {
        while (stop < m_end && *stop != ' ' && *stop != '\t') {
            ++stop;
        }
    } else {
        const void* hit = std::memchr(start, m_separator, static_cast<size_t>(m_end - start));
        stop = hit != nullptr ? static_cast<const char*>(hit) : m_end;
    }
    field = std::string_view(start, static_cast<size_t>(stop - start));
    if (stop < m_end) {
        m_p = stop + 1;
    } else {
        m_p = stop;
        m_done = true;
    }
    return true;
}

bool KstIsEmptyField(std::string_view field)
{
    for (char c : field) {
        if (!IsBlank(c)) {
            return false;
        }
    }
    return true;
}

bool KstParseNumberField(std::string_view field, double& value)
{
    const char* begin = field.data();
    const char* end = begin + field.size();
    while (begin < end && IsBlank(*begin)) {
        ++begin;
    }
    while (end > begin && IsBlank(end[-1])) {
        --end;
    }
    if (begin == end) {
        return false;
    }
    if (FullParse(begin, end, value)) {
        return true;
    }
    // The slow way: blanks and quotes out, then marks and words.
    char text[kMaxNumberText];
    size_t n = 0;
    size_t points = 0;
    size_t commas = 0;
    for (const char* p = begin; p < end; ++p) {
        if (*p == ' ' || *p == '"' || *p == '\t') {
            continue;
        }
        if (n == kMaxNumberText) {
            return false;
        }
        points += *p == '.' ? 1 : 0;
        commas += *p == ',' ? 1 : 0;
        text[n++] = *p;
    }
    if (EqualsNoCase(text, n, "TRUE")) {
        value = 1.0;
        return true;
    }
    if (EqualsNoCase(text, n, "FALSE")) {
        value = 0.0;
        return true;
    }
    if (points > 0 && commas > 0) {
        // Both marks: the last one is the decimal mark, the other one groups thousands.
        size_t lastMark = n;
        while (lastMark > 0 && text[lastMark - 1] != '.' && text[lastMark - 1] != ',') {
            --lastMark;
        }
        const char decimal = text[lastMark - 1];
        const char grouping = decimal == '.' ? ',' : '.';
        if ((decimal == '.' ? points : commas) != 1 ||
            !GroupsOfThree(text, lastMark - 1, grouping)) {
            return false;
        }
        size_t out = 0;
        for (size_t i = 0; i < n; ++i) {
            if (text[i] != grouping) {
                text[out++] = text[i] == decimal ? '.' : text[i];
            }
        }
        n = out;
    } else if (points + commas >= 2) {
        const char mark = points > 0 ? '.' : ',';
        if (!GroupsOfThree(text, n, mark)) {
            return false;
        }
        size_t out = 0;
        for (size_t i = 0; i < n; ++i) {
            if (text[i] != mark) {
                text[out++] = text[i];
            }
        }
        n = out;
    } else if (commas == 1) {
        for (size_t i = 0; i < n; ++i) {
            if (text[i] == ',') {
                text[i] = '.';
            }
        }
    }
    return FullParse(text, text + n, value);
}

size_t KstFormatFixed(char* out, double value, int decimals, char decimalMark)
{
    if (decimals < 0) {
        decimals = 0;
    } else if (decimals > 17) {
        decimals = 17;
    }
    const std::to_chars_result r =
        std::to_chars(out, out + kKstNumberTextSize, value, std::chars_format::fixed, decimals);
    const size_t n = r.ec == std::errc() ? static_cast<size_t>(r.ptr - out) : 0;
    if (decimalMark != '.') {
        for (size_t i = 0; i < n; ++i) {
            if (out[i] == '.') {
                out[i] = decimalMark;
            }
        }
    }
    return n;
}

size_t KstFormatShortest(char* out, double value, char decimalMark)
{
    const std::to_chars_result r = std::to_chars(out, out + kKstNumberTextSize, value);
    const size_t n = r.ec == std::errc() ? static_cast<size_t>(r.ptr - out) : 0;
    if (decimalMark != '.') {
        for (size_t i = 0; i < n; ++i) {
            if (out[i] == '.') {
                out[i] = decimalMark;
            }
        }
    }
    return n;
}

void KstAppendTextField(std::string& out, std::string_view text, char separator)
{
    bool quote = false;
    for (char c : text) {
        if (c == separator || c == '"' || c == '\r' || c == '\n' ||
            (separator == KST_TEXT_BLANK && c == '\t')) {
            quote = true;
            break;
        }
    }
    if (!quote) {
        out.append(text);
        return;
    }
    out.push_back('"');
    for (char c : text) {
        out.push_back(c);
        if (c == '"') {
            out.push_back('"');
        }
    }
    out.push_back('"');
}
