#pragma once
// Fields of text tables: splitting lines into fields (quoted fields may hold the separator and
// line breaks, "" being a literal quote), telling numbers from other texts and printing numbers,
// all independent of the process locale.

#include <cstddef>
#include <string>
#include <string_view>

// The blank separator: runs of blanks (and TABs) part the fields, leading blanks are skipped.
constexpr char KST_TEXT_BLANK = ' ';

// End of the line that starts at p: the next LF, except that a quoted field may run over line
// breaks when its closing quote is found. Returns end when there is no LF.
const char* KstFindLineEnd(const char* p, const char* end, char separator);

// Reads the fields of one line (without its LF; a CR before it is dropped).
class KstFieldReader {
public:
    KstFieldReader(const char* begin, const char* end, char separator);
    // False when the line has no further field. A line without text has one empty field,
    // except with the blank separator.
    bool Next(std::string_view& field);
    // Position of the field last read, counted from 0.
    [[nodiscard]] int GetColumn() const { return m_column; }

private:
    const char* m_p;
    const char* m_end;
    char m_separator;
    bool m_done;
    int m_column;
    std::string m_scratch;
};

// Only blanks, TABs, CRs and LFs, or nothing.
bool KstIsEmptyField(std::string_view field);
// A number as the reader takes it: blanks and quotes ignored, ',' as decimal mark, thousands
// groups of three digits after the first ("1.234.567,89"), "TRUE" 1 and "FALSE" 0. "nan" is a
// number whose value is NaN: a missing sample.
bool KstParseNumberField(std::string_view field, double& value);
// A plain decimal number at p: an optional minus, digits, and a point with digits or not, with
// no more digits than a double takes exactly. Returns the end of its text, the value being what
// KstParseNumberField gives that text, or null when the text at p is not such a number.
const char* KstScanPlainNumber(const char* p, const char* end, double& value);

// Into out (at least kKstNumberTextSize bytes); the length written.
constexpr size_t kKstNumberTextSize = 400;
size_t KstFormatFixed(char* out, double value, int decimals, char decimalMark);
// The shortest text that reads back as exactly this value.
size_t KstFormatShortest(char* out, double value, char decimalMark);

// Appends the text, quoted when it holds the separator, a quote or a line break.
void KstAppendTextField(std::string& out, std::string_view text, char separator);
