#include "formats/TextTimeAxis.h"

#include <algorithm>
#include <cmath>

#include "foundation/ErrorCodes.h"
#include "formats/TextFormat.h"

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The separator characters around each part of the first text.
struct Separators {
    char before[CKSTDateTimeParts::kMaxParts] = {};
    char after[CKSTDateTimeParts::kMaxParts] = {};
    int count = 0;
};

Separators FindSeparators(const CKSTString& text)
{
    Separators s;
    const int n = text.GetLength();
    bool colonSeen = false;
    // The separator of a gap between parts: its first character other than a blank, else a
    // blank; 0 for no gap.
    char gap = 0;
    int i = 0;
    while (i < n) {
        const char c = text[i];
        if (!IsDigit(c)) {
            colonSeen = colonSeen || c == ':';
            if (gap == 0 || (gap == ' ' && c != ' ')) {
                gap = c;
            }
            ++i;
            continue;
        }
        if (s.count == CKSTDateTimeParts::kMaxParts) {
            break;
        }
        s.before[s.count] = gap;
        if (s.count > 0) {
            s.after[s.count - 1] = gap;
        }
        bool point = false;
        while (i < n) {
            const char d = text[i];
            if (IsDigit(d)) {
                ++i;
            } else if ((d == '.' || d == ',') && colonSeen && !point) {
                point = true;
                ++i;
            } else {
                break;
            }
        }
        ++s.count;
        gap = 0;
    }
    if (s.count > 0) {
        s.after[s.count - 1] = gap;
    }
    return s;
}

}  // namespace

void CKSTDateTimeParts::Resize(uint32_t lines)
{
    m_counts.resize(lines, 0);
    m_values.resize(static_cast<size_t>(lines) * kMaxParts, 0.0);
}

void CKSTDateTimeParts::AddText(uint32_t line, const char* text, size_t n)
{
    if (line >= m_counts.size()) {
        Resize(line + 1);
    }
    uint8_t& count = m_counts[line];
    if (count == 0) {
        ++m_linesWithParts;
    }
    if (m_firstLine == UINT32_MAX) {
        m_firstLine = line;
    }
    if (line == m_firstLine) {
        if (!m_firstText.IsEmpty()) {
            m_firstText += ' ';
        }
        CKSTString part;
        part.Assign(text, static_cast<int>(n));
        m_firstText += part;
    }
    double* values = &m_values[static_cast<size_t>(line) * kMaxParts];
    bool colonSeen = false;
    size_t i = 0;
    while (i < n && count < kMaxParts) {
        if (!IsDigit(text[i])) {
            colonSeen = colonSeen || text[i] == ':';
            ++i;
            continue;
        }
        double value = 0.0;
        double scale = 0.0;
        while (i < n) {
            const char c = text[i];
            if (IsDigit(c)) {
                if (scale == 0.0) {
                    value = value * 10.0 + (c - '0');
                } else {
                    value += (c - '0') * scale;
                    scale *= 0.1;
                }
            } else if ((c == '.' || c == ',') && colonSeen && scale == 0.0) {
                scale = 0.1;
            } else {
                break;
            }
            ++i;
        }
        values[count++] = value;
    }
}

void CKSTDateTimeParts::FixTwoDigitYears(int position)
{
    double smallest = 1e300;
    double largest = -1e300;
    std::vector<uint32_t> lines;
    for (uint32_t l = 0; l < GetLines(); ++l) {
        if (m_counts[l] > position) {
            lines.push_back(l);
            smallest = std::min(smallest, Get(l, position));
            largest = std::max(largest, Get(l, position));
        }
    }
    if (lines.empty() || smallest >= 100.0 || largest >= 100.0) {
        return;
    }
    auto at = [&](uint32_t l) -> double& { return m_values[l * kMaxParts + position]; };
    int rising = 0;
    int falling = 0;
    for (size_t k = 1; k < lines.size(); ++k) {
        rising += at(lines[k]) > at(lines[k - 1]) ? 1 : 0;
        falling += at(lines[k]) < at(lines[k - 1]) ? 1 : 0;
    }
    double add = largest < 50.0 ? 2000.0 : 1900.0;
    // A year below the one before starts the next century (above it, the previous one when
    // the years fall). All years are below 100, so one step of the running century suffices.
    double century = 0.0;
    if (rising > falling && falling > 0) {
        // Ascending years across a century change: 98, 99, 00 -> 1998, 1999, 2000.
        for (size_t k = 1; k < lines.size(); ++k) {
            if (at(lines[k]) + century < at(lines[k - 1])) {
                century += 100.0;
            }
            at(lines[k]) += century;
        }
        add = 1900.0;
    } else if (falling > rising && rising > 0) {
        for (size_t k = 1; k < lines.size(); ++k) {
            if (at(lines[k]) + century > at(lines[k - 1])) {
                century -= 100.0;
            }
            at(lines[k]) += century;
        }
        add = 2000.0;
    }
    for (uint32_t l : lines) {
        at(l) += add;
    }
}

namespace {

constexpr int kMaxParts = CKSTDateTimeParts::kMaxParts;
using RoleScores = double[kMaxParts][KST_ROLE_COUNT];

// The roles part p cannot take for the largest value it holds on any line.
void ScoreLargest(const CKSTDateTimeParts& parts, int p, double* s)
{
    double largest = -1e300;
    for (uint32_t l = 0; l < parts.GetLines(); ++l) {
        if (parts.GetCount(l) > p) {
            largest = std::max(largest, parts.Get(l, p));
        }
    }
    if (largest > 1900) {
        s[KST_ROLE_YEAR] += 200;
    }
    if (largest > 31) {
        s[KST_ROLE_DAY] -= 100;
    }
    if (largest > 12) {
        s[KST_ROLE_MONTH] -= 100;
    }
    if (largest >= 60) {
        s[KST_ROLE_MINUTE] -= 100;
        s[KST_ROLE_SECOND] -= 100;
    }
    if (largest > 24) {
        s[KST_ROLE_HOUR] -= 100;
    }
}

// The roles the separators around part p of the first text suggest; the date order setting
// decides between day and month.
void ScoreSeparators(const Separators& sep, int p, int32_t dateFormat, RoleScores& score)
{
    double* s = score[p];
    const char before = sep.before[p];
    const char after = sep.after[p];
    const char afterNext = p + 1 < sep.count ? sep.after[p + 1] : 0;
    const char beforePrevious = p > 0 ? sep.before[p - 1] : 0;
    if (after == '.') {
        s[KST_ROLE_MONTH] += 10;
        s[KST_ROLE_DAY] += 10;
    }
    if (afterNext == '.') {
        s[KST_ROLE_DAY] += 10;
    }
    if (before == '.') {
        s[KST_ROLE_YEAR] += 10;
        s[KST_ROLE_MONTH] += 10;
    }
    if (after == '/') {
        s[KST_ROLE_MONTH] += 10;
        s[KST_ROLE_DAY] += 10;
    }
    if (afterNext == '/') {
        s[KST_ROLE_MONTH] += 10;
    }
    if (before == '/') {
        s[KST_ROLE_YEAR] += 10;
        s[KST_ROLE_DAY] += 10;
    }
    if ((before == '.' && after == '.') || (before == '/' && after == '/')) {
        switch (dateFormat) {
            case KST_TEXT_DATE_DDMMYY:
                s[KST_ROLE_MONTH] += 50;
                if (p > 0) score[p - 1][KST_ROLE_DAY] += 50;
                break;
            case KST_TEXT_DATE_MMDDYY:
                s[KST_ROLE_DAY] += 50;
                if (p > 0) score[p - 1][KST_ROLE_MONTH] += 50;
                break;
            case KST_TEXT_DATE_YYMMDD:
                s[KST_ROLE_MONTH] += 50;
                if (p > 0) score[p - 1][KST_ROLE_YEAR] += 50;
                break;
            case KST_TEXT_DATE_YYDDMM:
                s[KST_ROLE_DAY] += 50;
                if (p > 0) score[p - 1][KST_ROLE_YEAR] += 50;
                break;
            default:
                break;
        }
    }
    if (after == ':') {
        s[KST_ROLE_HOUR] += afterNext == ':' ? 40 : 10;
        s[KST_ROLE_MINUTE] += before == ':' ? 40 : 10;
    } else if (before == ':') {
        if (sep.count == 5) {
            s[KST_ROLE_MINUTE] += 20;
        }
        s[KST_ROLE_SECOND] += beforePrevious == ':' ? 40 : 10;
    }
}

// Roles go to positions one at a time: the role whose best position stands out most from the
// positions still free takes it first.
void AssignByScore(const RoleScores& score, int positions, int roles[KST_ROLE_COUNT])
{
    bool roleTaken[KST_ROLE_COUNT] = {};
    bool positionTaken[kMaxParts] = {};
    for (int r = 0; r < KST_ROLE_COUNT; ++r) {
        roles[r] = -1;
    }
    for (;;) {
        int bestRole = -1;
        int bestPosition = -1;
        double bestMeasure = 0.0;
        for (int r = 0; r < KST_ROLE_COUNT; ++r) {
            if (roleTaken[r]) {
                continue;
            }
            double best = -1e300;
            int at = -1;
            double sum = 0.0;
            int n = 0;
            for (int p = 0; p < positions; ++p) {
                if (positionTaken[p]) {
                    continue;
                }
                sum += score[p][r];
                ++n;
                if (score[p][r] > best) {
                    best = score[p][r];
                    at = p;
                }
            }
            if (at < 0 || best <= -99) {
                continue;
            }
            const double measure = 2.0 * best - sum / n;
            if (bestRole < 0 || measure > bestMeasure) {
                bestRole = r;
                bestPosition = at;
                bestMeasure = measure;
            }
        }
        if (bestRole < 0) {
            break;
        }
        roles[bestRole] = bestPosition;
        roleTaken[bestRole] = true;
        positionTaken[bestPosition] = true;
    }
}

}  // namespace

void KstAssignDateRoles(const CKSTDateTimeParts& parts, int32_t dateFormat,
                        int roles[KST_ROLE_COUNT])
{
    const CKSTString& text = parts.GetFirstText();
    const Separators sep = FindSeparators(text);
    int positions = 0;
    for (uint32_t l = 0; l < parts.GetLines(); ++l) {
        positions = std::max(positions, parts.GetCount(l));
    }
    RoleScores score = {};
    const bool hasColon = text.Find(':') >= 0;
    const bool hasDateMark = text.Find('.') >= 0 || text.Find('/') >= 0;
    for (int p = 0; p < positions; ++p) {
        double* s = score[p];
        if (sep.count < 4) {
            if (!hasColon) {
                s[KST_ROLE_HOUR] -= 50;
                s[KST_ROLE_MINUTE] -= 50;
                s[KST_ROLE_SECOND] -= 50;
            }
            if (!hasDateMark) {
                s[KST_ROLE_YEAR] -= 50;
                s[KST_ROLE_MONTH] -= 50;
                s[KST_ROLE_DAY] -= 50;
            }
        }
        ScoreLargest(parts, p, s);
        if (p < sep.count) {
            ScoreSeparators(sep, p, dateFormat, score);
        }
    }
    AssignByScore(score, positions, roles);
}

int KstBuildTimeAxis(CKSTDateTimeParts& parts, int32_t dateFormat, const CKSTTimeStamp& defaultDate,
                     std::vector<double>& times, std::vector<uint8_t>& valid,
                     CKSTTimeStamp& start)
{
    int roles[KST_ROLE_COUNT];
    KstAssignDateRoles(parts, dateFormat, roles);
    if (roles[KST_ROLE_YEAR] >= 0) {
        parts.FixTwoDigitYears(roles[KST_ROLE_YEAR]);
    }
    // A date whose day or month no part can be, or a time without its hour, is no date.
    const CKSTString& first = parts.GetFirstText();
    const bool dateMarks = first.Find('.') >= 0 || first.Find('/') >= 0;
    if ((dateMarks && (roles[KST_ROLE_MONTH] < 0 || roles[KST_ROLE_DAY] < 0)) ||
        (first.Find(':') >= 0 && roles[KST_ROLE_HOUR] < 0)) {
        return KST_ERR_BAD_HEADER;
    }
    int16_t defaultYear = 1899;
    int16_t defaultMonth = 12;
    int16_t defaultDay = 30;
    SerialToDate(defaultDate.GetSerialDays(), defaultYear, defaultMonth, defaultDay);

    const uint32_t lines = parts.GetLines();
    times.assign(lines, 0.0);
    valid.assign(lines, 0);
    bool haveFirst = false;
    double firstWhole = 0.0;
    double firstFraction = 0.0;
    for (uint32_t l = 0; l < lines; ++l) {
        const int count = parts.GetCount(l);
        if (count == 0) {
            continue;
        }
        auto role = [&](int r, double fallback) {
            return roles[r] >= 0 && roles[r] < count ? parts.Get(l, roles[r]) : fallback;
        };
        const double year = role(KST_ROLE_YEAR, defaultYear);
        const double month = role(KST_ROLE_MONTH, defaultMonth);
        const double day = role(KST_ROLE_DAY, defaultDay);
        const double hour = role(KST_ROLE_HOUR, 0.0);
        const double minute = role(KST_ROLE_MINUTE, 0.0);
        const double second = role(KST_ROLE_SECOND, 0.0);
        const double wholeSecond = std::floor(second);
        if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 ||
            hour > 24 || minute >= 60 || wholeSecond >= 61 ||
            !IsValidDateTime(static_cast<int>(year), static_cast<int>(month),
                             static_cast<int>(day), 0, 0, 0)) {
            continue;
        }
        const double days = DateToSerial(static_cast<int>(year), static_cast<int>(month),
                                         static_cast<int>(day), 0, 0, 0);
        const double whole = std::round(days * KST_SECONDS_PER_DAY) + hour * 3600.0 +
                             minute * 60.0 + wholeSecond;
        const double fraction = second - wholeSecond;
        if (!haveFirst) {
            haveFirst = true;
            firstWhole = whole;
            firstFraction = fraction;
            start = CKSTTimeStamp(static_cast<int>(year), static_cast<int>(month),
                                  static_cast<int>(day), static_cast<int>(hour),
                                  static_cast<int>(minute), second);
        }
        times[l] = (whole - firstWhole) + (fraction - firstFraction);
        valid[l] = 1;
    }
    return haveFirst ? KST_OK : KST_ERR_BAD_HEADER;
}
