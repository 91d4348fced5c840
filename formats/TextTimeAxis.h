#pragma once
// The time axis of a text table from its date and time columns: which numeric part of the texts
// is the year, month, day, hour, minute and second, and the time of every line from them.

#include <cstdint>
#include <vector>

#include "foundation/String.h"
#include "foundation/TimeStamp.h"

enum KstDateRole : int { KST_ROLE_YEAR, KST_ROLE_MONTH, KST_ROLE_DAY, KST_ROLE_HOUR,
                         KST_ROLE_MINUTE, KST_ROLE_SECOND, KST_ROLE_COUNT };

// The numeric parts of the date/time fields of each line.
class CKSTDateTimeParts {
public:
    static constexpr int kMaxParts = 10;

    // Splits the text into numeric parts (digits; after a ':' one '.' or ',' inside a number is
    // its decimal point) and appends them to the line's parts, at most kMaxParts in all.
    void AddText(uint32_t line, const char* text, size_t n);
    // The line's parts are given (AddText on a later line first grows the list).
    [[nodiscard]] int GetCount(uint32_t line) const { return line < m_counts.size() ? m_counts[line] : 0; }
    double Get(uint32_t line, int part) const { return m_values[line * kMaxParts + part]; }
    uint32_t GetLines() const { return static_cast<uint32_t>(m_counts.size()); }
    uint32_t GetLinesWithParts() const { return m_linesWithParts; }
    // The texts of the first line with parts, joined by a blank.
    const CKSTString& GetFirstText() const { return m_firstText; }
    void Resize(uint32_t lines);
    // Years below 100 made four-digit (part values changed in place).
    void FixTwoDigitYears(int position);

private:
    std::vector<double> m_values;
    std::vector<uint8_t> m_counts;
    CKSTString m_firstText;
    uint32_t m_firstLine = UINT32_MAX;
    uint32_t m_linesWithParts = 0;
};

// Position of each role (KstDateRole) among the parts, -1 for a role no part takes. dateFormat
// is the reader's date order setting (0 auto).
void KstAssignDateRoles(const CKSTDateTimeParts& parts, int32_t dateFormat,
                        int roles[KST_ROLE_COUNT]);

// One time in seconds from the start stamp per line; valid is 0 for a line without a usable
// date. Roles without a part take the default date's calendar day, or midnight. 0, or
// KST_ERR_BAD_HEADER when no line has a usable date.
[[nodiscard]] int KstBuildTimeAxis(CKSTDateTimeParts& parts, int32_t dateFormat, const CKSTTimeStamp& defaultDate,
                     std::vector<double>& times, std::vector<uint8_t>& valid,
                     CKSTTimeStamp& start);
