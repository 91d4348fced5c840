// The reader: header analysis, dialect detection, columns and their time axis, header names
// and header information.
#include "formats/TextDataFile.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>
#include <thread>

#include "formats/TextFields.h"
#include "formats/TextTimeAxis.h"
#include "foundation/DateText.h"
#include "foundation/ErrorCodes.h"
#include "foundation/ParallelFor.h"

namespace {

constexpr int kLineEndSample = 100;
constexpr int kDefaultSampleLines = 100;
constexpr int kExtraSampleLines = 50;
// Value texts reused among the first entries of a table, as the channel does it.
constexpr size_t kTextReuseLimit = 100;

bool StartsWith(std::string_view line, const char* word)
{
    const size_t n = std::strlen(word);
    return line.size() >= n && std::memcmp(line.data(), word, n) == 0;
}

bool IsLetter(unsigned char c)
{
    // ASCII letters, and the German umlauts and sharp s of code page 1252.
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == 0xC4 || c == 0xD6 ||
           c == 0xDC || c == 0xE4 || c == 0xF6 || c == 0xFC || c == 0xDF;
}

CKSTString ToString(std::string_view text)
{
    CKSTString s;
    s.Assign(text.data(), static_cast<int>(text.size()));
    return s;
}

CKSTString Upper(std::string_view text)
{
    CKSTString s = ToString(text);
    s.MakeUpper();
    return s;
}

std::string_view StripCr(std::string_view line)
{
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

// The number behind a keyword, -1 when there is none.
int KeywordNumber(std::string_view rest)
{
    CKSTString text = ToString(rest);
    text.Trim();
    if (text.IsEmpty() || !text.IsInteger()) {
        return -1;
    }
    const int64_t n = text.ToInt64();
    return n < 0 || n > std::numeric_limits<int>::max() ? -1 : static_cast<int>(n);
}

CKSTString Trimmed(std::string_view field)
{
    CKSTString s = ToString(field);
    s.Trim();
    return s;
}

// --- Tables of plain numbers, read straight into their channels ---

// Text per thread: smaller tables stay on the calling thread.
constexpr size_t kParallelGrainBytes = size_t{8} << 20;
// Samples per thread when the channels are filled from the columns.
constexpr size_t kParallelGrainSamples = size_t{1} << 20;
// Pieces of the table per thread: a thread that starts late or runs slowly takes fewer.
constexpr unsigned kPiecesPerThread = 4;

size_t CountLineFeeds(const char* p, const char* end)
{
    size_t n = 0;
    while (const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p))) {
        ++n;
        p = static_cast<const char*>(lf) + 1;
    }
    return n;
}

// Items that every thread works on together: each takes the next item nobody took yet, and a
// thread that finds none left waits until the others have finished theirs. Whoever took an
// item finishes it without waiting for anything, so no order of the threads can block them;
// a step must therefore not throw.
class SharedStep {
public:
    explicit SharedStep(size_t items) : m_items(items) {}
    template <typename Step>
    void Run(Step&& step)
    {
        for (size_t i = m_next++; i < m_items; i = m_next++) {
            step(i);
            m_done.fetch_add(1, std::memory_order_release);
        }
        while (m_done.load(std::memory_order_acquire) < m_items) {
            std::this_thread::yield();
        }
    }

private:
    const size_t m_items;
    std::atomic<size_t> m_next{0};
    std::atomic<size_t> m_done{0};
};

bool IsLineEnd(const char* p, const char* end)
{
    return p == end || *p == '\n' || (*p == '\r' && (p + 1 == end || p[1] == '\n'));
}

// The lines of [p, end) into out[c][line], line counted from `line`: false at the first line
// that the general reader could read otherwise than as `columns` numbers, none of them missing,
// with p and line left at that line.
bool ParsePlainLines(const char*& p, const char* end, char separator, size_t columns,
                     double* const* out, size_t& line, const std::atomic<bool>& stop)
{
    while (p < end) {
        if (stop.load(std::memory_order_relaxed)) {
            return false;
        }
        const char* const lineStart = p;
        for (size_t c = 0; c < columns; ++c) {
            const bool last = c + 1 == columns;
            double value;
            const char* q = KstScanPlainNumber(p, end, value);
            if (q == nullptr || (last ? !IsLineEnd(q, end) : q == end || *q != separator)) {
                // Any other field the way the general reader takes it; a quote there could
                // join lines.
                q = p;
                while (q < end && *q != separator && *q != '\n' && *q != '"') {
                    ++q;
                }
                const std::string_view field(p, static_cast<size_t>(q - p));
                if ((q < end && *q == '"') || !KstParseNumberField(field, value) ||
                    std::isnan(value) ||
                    (last ? q < end && *q != '\n' : q == end || *q != separator)) {
                    p = lineStart;
                    return false;
                }
            }
            out[c][line] = value;
            if (!last) {
                p = q + 1;
                continue;
            }
            while (q < end && *q != '\n') {
                ++q;  // the CR of a CR LF
            }
            p = q < end ? q + 1 : end;
        }
        ++line;
    }
    return true;
}

// The channels drop their samples from line `lines` on and keep their room for `room` lines, for
// the general reader to go on filling them; false when memory ran short.
bool KeepLinesRead(std::vector<std::unique_ptr<CKSTChannel>>& channels, size_t lines, size_t room)
{
    try {
        for (std::unique_ptr<CKSTChannel>& channel : channels) {
            channel->SetCapacity(static_cast<uint32_t>(lines));
            channel->Reserve(static_cast<uint32_t>(room));
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

struct PlainTable {
    // A channel per column with a sample on every line, or on every line before resumeAt; none
    // when the table needs the general reader from its start.
    std::vector<std::unique_ptr<CKSTChannel>> channels;
    // The first line the general reader has to read after the channels' lines, null for none.
    const char* resumeAt = nullptr;
    // Line feeds of the table, or SIZE_MAX when it was left before they were counted.
    size_t lineFeeds = SIZE_MAX;
};

// The table from `begin` to `end`, on `threads` threads, when every line holds the columns of
// the first as plain numbers. The threads count the lines of all pieces, make the channels with
// the room the general reader gives them (for the line feeds and one more) and parse the pieces
// straight into them. sampleBudget: the samples the general reader makes room for at most. On
// one thread the lines before the first one that needs the general reader are kept.
PlainTable ReadPlainTable(const char* begin, const char* end, unsigned threads, char separator,
                          size_t sampleBudget)
{
    PlainTable table;
    const void* lf = std::memchr(begin, '\n', static_cast<size_t>(end - begin));
    const char* firstEnd = lf != nullptr ? static_cast<const char*>(lf) : end;
    if (begin == end || std::memchr(begin, '"', static_cast<size_t>(firstEnd - begin)) != nullptr) {
        return table;
    }
    const size_t columns = static_cast<size_t>(std::count(begin, firstEnd, separator)) + 1;
    if (columns > static_cast<size_t>(CKSTTextDataFile::kMaxColumns)) {
        return table;
    }
    const size_t pieces = threads > 1 ? static_cast<size_t>(threads) * kPiecesPerThread : 1;
    const size_t size = static_cast<size_t>(end - begin);
    std::vector<const char*> starts{begin};
    for (size_t k = 1; k < pieces; ++k) {
        // The first line start at or after the even split.
        const char* at = std::max(begin + size / pieces * k, starts.back());
        const void* feed =
            at > begin ? std::memchr(at - 1, '\n', static_cast<size_t>(end - at + 1)) : nullptr;
        starts.push_back(at == begin       ? begin
                         : feed != nullptr ? static_cast<const char*>(feed) + 1
                                           : end);
    }
    starts.push_back(end);

    std::vector<size_t> feeds(pieces);
    std::vector<std::unique_ptr<CKSTChannel>> made(columns);
    std::vector<double*> out(columns);
    std::atomic<bool> failed{false};
    // Where the only piece stopped, and the room its channels had.
    const char* stoppedAt = nullptr;
    size_t linesRead = 0;
    size_t room = 0;
    SharedStep counting(pieces);
    SharedStep making(columns);
    SharedStep parsing(pieces);
    KstParallelFor(threads, 1, [&](size_t, size_t) {
        counting.Run([&](size_t k) { feeds[k] = CountLineFeeds(starts[k], starts[k + 1]); });
        std::vector<size_t> linesBefore(pieces + 1);
        for (size_t k = 0; k < pieces; ++k) {
            linesBefore[k + 1] = linesBefore[k] + feeds[k];
        }
        const size_t capacity = linesBefore.back() + 1;
        // The text after the last line feed is a line of its own.
        const size_t lines = linesBefore.back() + (end[-1] != '\n' ? 1 : 0);
        // The general reader refuses a table of 2^32 - 1 lines.
        if (capacity >= std::numeric_limits<uint32_t>::max() || columns > sampleBudget / capacity) {
            failed = true;
            return;
        }
        making.Run([&](size_t c) {
            try {
                made[c] = std::make_unique<CKSTChannel>();
                made[c]->SetCapacity(static_cast<uint32_t>(capacity));
                // Every line's room is taken here and filled by the pieces below; the arrays
                // stay where they are as long as the channel does not grow.
                made[c]->AppendDecoded(static_cast<uint32_t>(lines),
                                       [&](double* room) { out[c] = room; });
            } catch (const std::bad_alloc&) {
                // The general reader meets the shortage itself.
                failed = true;
            }
        });
        parsing.Run([&](size_t k) {
            const char* p = starts[k];
            size_t line = linesBefore[k];
            if (!failed && !ParsePlainLines(p, starts[k + 1], separator, columns, out.data(),
                                            line, failed)) {
                failed = true;
                if (pieces == 1) {
                    stoppedAt = p;
                    linesRead = line;
                    room = capacity;
                }
            }
        });
    });
    table.lineFeeds = 0;
    for (size_t n : feeds) {
        table.lineFeeds += n;
    }
    if (!failed) {
        table.channels = std::move(made);
    } else if (linesRead > 0 && KeepLinesRead(made, linesRead, room)) {
        table.channels = std::move(made);
        table.resumeAt = stoppedAt;
    }
    return table;
}

// One column of the table while it is read. Dense columns (a sample on every line from the
// first) keep no line numbers; the first gap writes them out.
struct Column {
    int original = 0;
    // 0 nothing yet, 1 date/time, 2 number, 3 text.
    uint8_t type = 0;
    bool markedText = false;
    bool dense = true;
    uint32_t present = 0;
    std::vector<double> values;
    std::vector<uint32_t> lines;
    std::vector<CKSTString> texts;
    // Date/time fields by line (offset and length in the content), kept to turn the column into
    // texts when no time axis comes of it.
    std::vector<std::pair<uint32_t, uint32_t>> dateFields;
    std::vector<uint32_t> dateLines;

    // Dense samples from the first line go straight into the channel that the column becomes,
    // when the file could fill it: no second copy of the samples is made.
    std::unique_ptr<CKSTChannel> direct;
    // The lines the room of the direct channel was made for.
    size_t expected = 0;

    size_t Count() const { return direct ? direct->GetCount() : values.size(); }
    double Value(size_t i) const
    {
        if (!direct) {
            return values[i];
        }
        return direct->GetMissingFlags()[i] != 0 ? std::numeric_limits<double>::quiet_NaN()
                                                 : direct->GetValues()[i];
    }
    void Append(uint32_t line, double value)
    {
        if (dense && line == Count()) {
            if (direct) {
                const bool missing = std::isnan(value);
                direct->AppendValue(missing ? 0.0 : value, missing);
            } else {
                values.push_back(value);
            }
        } else {
            if (dense) {
                WriteOutLines();
            }
            values.push_back(value);
            lines.push_back(line);
        }
        if (!std::isnan(value)) {
            ++present;
        }
    }
    // The samples leave the channel for the vectors, with their line numbers.
    void WriteOutLines()
    {
        // The room moves with the samples: vectors grown sample by sample would copy them over
        // and over.
        if (expected > values.size()) {
            values.reserve(expected);
            lines.reserve(expected);
        }
        if (direct) {
            const size_t n = direct->GetCount();
            values.resize(n);
            for (size_t i = 0; i < n; ++i) {
                values[i] = Value(i);
            }
            direct.reset();
        }
        lines.resize(values.size());
        for (uint32_t i = 0; i < lines.size(); ++i) {
            lines[i] = i;
        }
        dense = false;
    }
    uint32_t LineOf(size_t i) const { return dense ? static_cast<uint32_t>(i) : lines[i]; }
    int32_t AddText(const CKSTString& text)
    {
        if (texts.empty()) {
            texts.emplace_back();
        }
        if (texts.size() < kTextReuseLimit) {
            for (size_t i = 1; i < texts.size(); ++i) {
                if (texts[i] == text) {
                    return static_cast<int32_t>(i);
                }
            }
        }
        texts.push_back(text);
        return static_cast<int32_t>(texts.size() - 1);
    }
    void Free()
    {
        std::vector<double>().swap(values);
        std::vector<uint32_t>().swap(lines);
        direct.reset();
    }
};

// Column `c`, made with those before it when the table has not had it yet.
Column& ColumnAt(std::vector<Column>& columns, int c)
{
    while (static_cast<int>(columns.size()) <= c) {
        columns.emplace_back();
        columns.back().original = static_cast<int>(columns.size()) - 1;
    }
    return columns[c];
}

// The columns of the data lines as they were read, and what their date/time fields held.
struct ColumnScan {
    std::vector<Column> columns;
    CKSTDateTimeParts parts;
    // The date/time fields as they stood, for columns that end up as texts.
    std::string datePool;
    uint32_t lines = 0;
};

// The channels of a plain table become the columns, every one dense and typed a number.
void TakePlainTable(ColumnScan& scan, PlainTable& plain, size_t lineEstimate)
{
    scan.lines = plain.channels.front()->GetCount();
    for (std::unique_ptr<CKSTChannel>& channel : plain.channels) {
        Column& column = ColumnAt(scan.columns, static_cast<int>(scan.columns.size()));
        column.type = 2;
        column.present = scan.lines;
        column.expected = lineEstimate;
        column.direct = std::move(channel);
    }
}

// A field on line `line` of the column: a number, a date/time or a text, as the column's type
// so far and the field allow.
void AddField(ColumnScan& scan, Column& column, std::string_view field, uint32_t line,
              bool runTime)
{
    if (column.markedText || column.type == 3) {
        if (!KstIsEmptyField(field)) {
            column.type = 3;
            column.Append(line, column.AddText(ToString(field)));
        }
        return;
    }
    if (column.type != 1) {
        double value;
        if (runTime && field.find(':') != std::string_view::npos) {
            column.type = 2;
            column.Append(line, TimeTextToSeconds(Trimmed(field)));
            return;
        }
        if (KstParseNumberField(field, value)) {
            column.type = column.type == 0 ? 2 : column.type;
            column.Append(line, value);
            return;
        }
    }
    if (KstIsEmptyField(field)) {
        return;
    }
    if (column.type == 0 || column.type == 1) {
        CKSTString date = Trimmed(field);
        if (date.GetLength() >= 5 && IsDateTimeTextNoSeconds(date)) {
            ParseDateText(date, false);
            column.type = 1;
            scan.parts.AddText(line, date.c_str(), static_cast<size_t>(date.GetLength()));
            column.dateFields.emplace_back(static_cast<uint32_t>(scan.datePool.size()),
                                           static_cast<uint32_t>(field.size()));
            column.dateLines.push_back(line);
            scan.datePool.append(field);
            return;
        }
        if (column.type == 1) {
            return;
        }
    }
    if (column.type == 2) {
        // A word among numbers marks a sample that is missing.
        column.Append(line, std::numeric_limits<double>::quiet_NaN());
        return;
    }
    column.type = 3;
    column.Append(line, column.AddText(ToString(field)));
}

// The data lines from p to end, field by field. Dense columns get room for every line at once
// when the file could hold that many samples; anything else grows as it comes.
int ScanLines(ColumnScan& scan, const char* p, const char* end, char separator, bool runTime,
              size_t lineEstimate, size_t reserveBudget)
{
    std::vector<Column>& columns = scan.columns;
    size_t reservedSamples = 0;
    uint32_t& line = scan.lines;
    std::string_view field;
    while (p < end) {
        const char* begin = p;
        const char* lineEnd = KstFindLineEnd(begin, end, separator);
        p = lineEnd < end ? lineEnd + 1 : end;
        const std::string_view whole =
            StripCr(std::string_view(begin, static_cast<size_t>(lineEnd - begin)));
        if (whole.empty() || whole[0] == '\'' ||
            ((whole[0] == ' ' || whole[0] == '\t') && KstIsEmptyField(whole))) {
            continue;
        }
        if (line == std::numeric_limits<uint32_t>::max()) {
            return KST_ERR_TOO_LARGE;
        }
        KstFieldReader reader(begin, lineEnd, separator);
        while (reader.Next(field)) {
            const int c = reader.GetColumn();
            if (c >= CKSTTextDataFile::kMaxColumns) {
                return KST_ERR_BAD_HEADER;
            }
            Column& column = c < static_cast<int>(columns.size()) ? columns[c] : ColumnAt(columns, c);
            if (line == 0 && !column.direct && column.Count() == 0 &&
                reservedSamples + lineEstimate <= reserveBudget) {
                column.direct = std::make_unique<CKSTChannel>();
                column.direct->SetCapacity(static_cast<uint32_t>(lineEstimate));
                column.expected = lineEstimate;
                reservedSamples += lineEstimate;
            }
            AddField(scan, column, field, line, runTime && c == 0);
        }
        ++line;
    }
    return KST_OK;
}

// The time of every line and the start stamp, from date/time columns or a rising first column.
struct TimeAxis {
    std::vector<double> times;
    std::vector<uint8_t> valid;
    // Times on every line, as the samples of the rising first column.
    std::unique_ptr<CKSTChannel> source;
    CKSTTimeStamp start;
    bool haveStart = false;
    // The original column the axis came from, -1 none.
    int column = -1;
    bool regular = false;
    double t0 = 0.0;
    double dt = 1.0;

    bool Exists() const { return source || !times.empty(); }
    const double* At() const { return source ? source->GetValues() : times.data(); }
};

// Date/time columns give the axis and leave the table; when they give no axis, they become text
// columns.
void TakeDateColumns(ColumnScan& scan, int32_t dateFormat, const CKSTTimeStamp& defaultDate,
                     TimeAxis& axis)
{
    std::vector<Column>& columns = scan.columns;
    uint32_t longest = 0;
    bool hasDates = false;
    for (const Column& column : columns) {
        hasDates = hasDates || column.type == 1;
        if (column.type != 1) {
            longest = std::max(longest, column.present);
        }
    }
    if (!hasDates) {
        return;
    }
    scan.parts.Resize(scan.lines);
    bool built = false;
    // Lines without a date among dated ones become missing samples; a column that gave a date
    // on fewer than half of the lines is no time axis.
    if (scan.parts.GetLinesWithParts() > 0 &&
        2ull * scan.parts.GetLinesWithParts() >= static_cast<uint64_t>(longest)) {
        built = KstBuildTimeAxis(scan.parts, dateFormat, defaultDate, axis.times, axis.valid,
                                 axis.start) == KST_OK;
    }
    for (size_t k = columns.size(); k-- > 0;) {
        Column& column = columns[k];
        if (column.type != 1) {
            continue;
        }
        if (built) {
            axis.column = axis.column < 0 ? column.original : std::min(axis.column, column.original);
            columns.erase(columns.begin() + static_cast<std::ptrdiff_t>(k));
            continue;
        }
        column.type = 3;
        for (size_t i = 0; i < column.dateLines.size(); ++i) {
            const auto& f = column.dateFields[i];
            column.Append(column.dateLines[i],
                          column.AddText(ToString(
                              std::string_view(scan.datePool).substr(f.first, f.second))));
        }
    }
    axis.haveStart = built;
    if (!built) {
        axis.times.clear();
    }
}

// A first column of numbers that rise from line to line, with at least as many as any other
// column, is the time axis.
void TakeRisingColumn(ColumnScan& scan, TimeAxis& axis)
{
    std::vector<Column>& columns = scan.columns;
    const uint32_t lines = scan.lines;
    const Column& first = columns.front();
    bool rising = first.present >= 2;
    for (const Column& column : columns) {
        rising = rising && first.present >= column.present;
    }
    double previous = -std::numeric_limits<double>::infinity();
    for (size_t i = 0; rising && i < first.Count(); ++i) {
        const double v = first.Value(i);
        if (std::isnan(v)) {
            continue;
        }
        rising = v > previous;
        previous = v;
    }
    if (!rising) {
        return;
    }
    if (first.direct && first.Count() == lines && first.present == lines) {
        // Times on every line: the column's own samples serve as the time axis.
        axis.source = std::move(columns.front().direct);
    } else {
        axis.times.assign(lines, 0.0);
        axis.valid.assign(lines, 0);
        for (size_t i = 0; i < first.Count(); ++i) {
            if (!std::isnan(first.Value(i))) {
                axis.times[first.LineOf(i)] = first.Value(i);
                axis.valid[first.LineOf(i)] = 1;
            }
        }
    }
    axis.column = first.original;
    columns.erase(columns.begin());
}

// Steps within a thousandth of each other make a regular grid.
void FindGrid(const double* t, uint32_t lines, TimeAxis& axis)
{
    if (lines < 2) {
        return;
    }
    double smallest = std::numeric_limits<double>::infinity();
    double largest = 0.0;
    for (uint32_t l = 1; l < lines; ++l) {
        const double step = t[l] - t[l - 1];
        smallest = std::min(smallest, step);
        largest = std::max(largest, step);
    }
    if (smallest > 0.0 && largest < smallest * 1.001) {
        axis.regular = true;
        axis.t0 = t[0];
        axis.dt = (t[lines - 1] - t[0]) / (lines - 1);
    }
}

// Lines without a time get one between their neighbours; their samples are missing.
void FillTimeGaps(const std::vector<uint32_t>& known, const std::vector<uint8_t>& valid,
                  uint32_t lines, std::vector<double>& times)
{
    if (known.size() == 1) {
        for (uint32_t l = 0; l < lines; ++l) {
            times[l] = times[known[0]] + (static_cast<double>(l) - known[0]);
        }
        return;
    }
    if (known.size() == lines) {
        return;
    }
    size_t k = 0;
    for (uint32_t l = 0; l < lines; ++l) {
        if (valid[l]) {
            continue;
        }
        while (k + 2 < known.size() && known[k + 1] < l) {
            ++k;
        }
        const uint32_t a = known[k];
        const uint32_t b = known[k + 1];
        times[l] = times[a] + (times[b] - times[a]) * (static_cast<double>(l) - a) /
                                  (static_cast<double>(b) - a);
    }
}

// Newest first: the table is turned round and starts at its earliest time.
void TurnRound(std::vector<Column>& columns, uint32_t lines, TimeAxis& axis)
{
    std::reverse(axis.times.begin(), axis.times.end());
    std::reverse(axis.valid.begin(), axis.valid.end());
    for (Column& column : columns) {
        if (column.direct || (column.dense && column.values.size() != lines)) {
            column.WriteOutLines();
        }
        std::reverse(column.values.begin(), column.values.end());
        std::reverse(column.lines.begin(), column.lines.end());
        for (uint32_t& l : column.lines) {
            l = lines - 1 - l;
        }
    }
    const double earliest = axis.times.front();
    for (double& t : axis.times) {
        t -= earliest;
    }
    axis.start.AddSeconds(earliest);
}

// The times of lines without one, the order of the table and whether its times are a grid.
void CompleteTimeAxis(std::vector<Column>& columns, uint32_t lines, TimeAxis& axis)
{
    if (axis.source) {
        // Rising times on every line: no gaps to fill, no order to turn round.
        FindGrid(axis.source->GetValues(), lines, axis);
        return;
    }
    if (axis.times.empty()) {
        return;
    }
    std::vector<uint32_t> known;
    for (uint32_t l = 0; l < lines; ++l) {
        if (axis.valid[l]) {
            known.push_back(l);
        }
    }
    FillTimeGaps(known, axis.valid, lines, axis.times);
    bool ascending = true;
    bool descending = true;
    for (size_t k = 1; k < known.size(); ++k) {
        ascending = ascending && axis.times[known[k]] >= axis.times[known[k - 1]];
        descending = descending && axis.times[known[k]] <= axis.times[known[k - 1]];
    }
    if (!ascending && descending) {
        TurnRound(columns, lines, axis);
    }
    if (known.size() == lines) {
        FindGrid(axis.times.data(), lines, axis);
    }
}

// The channel a column becomes, how many samples it takes and whether it has one on every line.
struct Filling {
    CKSTChannel* channel;
    uint32_t count;
    bool everyLine;
};

// The samples of the column into its channel, on the grid or with their times.
void FillChannel(Column& column, const Filling& filling, const TimeAxis& axis, bool grid)
{
    CKSTChannel* channel = filling.channel;
    const uint32_t n = filling.count;
    const bool timeAxis = axis.Exists();
    if (column.direct) {
        column.WriteOutLines();
    }
    for (size_t i = 1; i < column.texts.size(); ++i) {
        channel->SetValueText(static_cast<int32_t>(i), column.texts[i]);
    }
    if (channel->GetCount() == n && n > 0) {
        // Filled while reading.
        channel->SetT0(timeAxis ? axis.t0 : 0.0);
        channel->SetDt(timeAxis ? axis.dt : 1.0);
    } else if (filling.everyLine && grid) {
        channel->SetT0(timeAxis ? axis.t0 : 0.0);
        channel->SetDt(timeAxis ? axis.dt : 1.0);
        channel->SetCapacity(n);
        for (double v : column.values) {
            const bool missing = std::isnan(v);
            channel->AppendValue(missing ? 0.0 : v, missing);
        }
    } else {
        const double* timeAt = axis.At();
        channel->SetTimeBaseType(CKSTChannel::kTimeVector);
        channel->SetCapacity(std::max<uint32_t>(n, 1));
        for (uint32_t i = 0; i < n; ++i) {
            const uint32_t l = column.LineOf(i);
            const double v = column.values[i];
            const double t = timeAxis ? timeAt[l] : static_cast<double>(l);
            if (std::isnan(v) || (!axis.times.empty() && axis.valid[l] == 0)) {
                channel->AppendValues(0.0, true, 1);
                channel->SetTimeAt(channel->GetCount() - 1, t);
            } else {
                channel->AppendTimeValue(t, v);
            }
        }
    }
    if (axis.haveStart) {
        channel->SetStartTimeStamp(axis.start);
    }
    // A regular time vector, also one with gaps, becomes equidistant.
    channel->MakeEquidistantIfRegular();
    column.Free();
}

// The channels come in column order; their samples are filled in column by column, on several
// threads when there are many, since writing them is bound by fresh pages.
void FillChannels(std::vector<Column>& columns, uint32_t lines, const TimeAxis& axis,
                  CKSTChannelList& channels, std::vector<int>& originalColumns)
{
    const bool grid = !axis.Exists() || axis.regular;
    std::vector<Filling> fillings;
    size_t toFill = 0;
    for (Column& column : columns) {
        const uint32_t n = static_cast<uint32_t>(column.Count());
        const bool everyLine = column.dense && n == lines;
        const bool filled = column.direct && everyLine && grid;
        CKSTChannel* channel =
            filled ? channels.GetAt(channels.AddPointer(column.direct.release(), true))
                   : channels.GetAt(channels.AddNew());
        originalColumns.push_back(column.original);
        fillings.push_back({channel, n, everyLine});
        toFill += filled ? 0 : n;
    }
    const unsigned fillThreads = KstParallelThreadsFor(toFill, kParallelGrainSamples);
    KstParallelFor(columns.size(), (columns.size() + fillThreads - 1) / fillThreads,
                   [&](size_t first, size_t end) {
                       for (size_t k = first; k < end; ++k) {
                           FillChannel(columns[k], fillings[k], axis, grid);
                       }
                   });
}

}  // namespace

std::string_view CKSTTextDataFile::HeaderLine(int i) const
{
    if (i < 0 || static_cast<size_t>(i) >= m_lines.size()) {
        return {};
    }
    return std::string_view(Content() + m_lines[i].offset, m_lines[i].length);
}

// --- Header analysis ---

int CKSTTextDataFile::ParseHeaderKeywords()
{
    ResetAnalysis();
    const char* text = Content();
    const size_t size = ContentSize();
    size_t crs = 0;
    size_t lfs = 0;
    for (size_t i = 0; i < size && lfs < kLineEndSample; ++i) {
        crs += text[i] == '\r' ? 1 : 0;
        lfs += text[i] == '\n' ? 1 : 0;
    }
    if (lfs == 0) {
        return KST_ERR_BAD_HEADER;
    }
    m_lineEnd = crs == lfs ? "\r\n" : "\n";

    const bool settings = m_hasReadSettings;
    int toSample = kDefaultSampleLines;
    if (settings && m_readSettings.headerLines >= 0) {
        toSample = m_readSettings.headerLines + kExtraSampleLines;
    }
    // A header length named in the file, among the lines whose ends were counted.
    size_t pos = 0;
    for (size_t line = 0; line < lfs && pos < size; ++line) {
        const char* lf = static_cast<const char*>(std::memchr(text + pos, '\n', size - pos));
        const size_t end = lf != nullptr ? static_cast<size_t>(lf - text) : size;
        const std::string_view l(text + pos, end - pos);
        if (StartsWith(l, "@Headerlen:") || StartsWith(l, "@HEADERLEN:")) {
            const int n = KeywordNumber(StripCr(l.substr(11)));
            if (n < 0 || n >= kMaxHeaderLines) {
                return KST_ERR_BAD_HEADER;
            }
            m_headerKeyword = n;
            toSample = n + kExtraSampleLines;
            break;
        }
        pos = end + 1;
    }
    SampleLines(toSample);

    if (settings && m_readSettings.NamesReadingDialect()) {
        m_format = m_readSettings.formatCode;
    } else {
        m_format = DetectFormat();
    }
    if (m_format == KST_TEXT_IDL_LOGGER) {
        m_headerLength = 8;
    } else if (m_headerKeyword >= 0) {
        m_headerLength = m_headerKeyword + 1;
    } else if (settings && m_readSettings.headerLines >= 0) {
        m_headerLength = std::min<int>(m_readSettings.headerLines, kMaxHeaderLines);
    } else {
        m_headerLength = FindHeaderLength();
    }
    if (m_headerLength >= static_cast<int>(m_lines.size())) {
        return KST_ERR_BAD_HEADER;
    }
    m_separator = FindSeparator();
    if (settings) {
        switch (m_readSettings.readSeparator) {
            case KST_TEXT_SEPARATOR_COMMA:
                m_separator = ',';
                break;
            case KST_TEXT_SEPARATOR_SEMICOLON:
                m_separator = ';';
                break;
            case KST_TEXT_SEPARATOR_TAB:
                m_separator = '\t';
                break;
            default:
                break;
        }
    }
    return KST_OK;
}

void CKSTTextDataFile::SampleLines(int count)
{
    const char* text = Content();
    const size_t size = ContentSize();
    size_t pos = 0;
    m_lines.clear();
    while (pos < size && static_cast<int>(m_lines.size()) < count) {
        const char* lf = static_cast<const char*>(std::memchr(text + pos, '\n', size - pos));
        const size_t end = lf != nullptr ? static_cast<size_t>(lf - text) : size;
        SampledLine s;
        s.offset = pos;
        const std::string_view line = StripCr(std::string_view(text + pos, end - pos));
        s.length = line.size();
        if (StartsWith(line, "@Headerlen:") || StartsWith(line, "@HEADERLEN:")) {
            s.skipped = true;
        } else if (StartsWith(line, "@Groupline:") || StartsWith(line, "@GROUPLINE:")) {
            m_groupLine = KeywordNumber(line.substr(11));
            s.skipped = true;
        } else if (StartsWith(line, "@Nameline:") || StartsWith(line, "@NAMELINE:")) {
            m_nameLine = KeywordNumber(line.substr(10));
            s.skipped = true;
        } else if (StartsWith(line, "@Unitline:") || StartsWith(line, "@UNITLINE:")) {
            m_unitLine = KeywordNumber(line.substr(10));
            s.skipped = true;
        } else if (!line.empty() && line[0] == '\'') {
            s.skipped = true;
        } else {
            // The words of boolean and missing values are values, not header text.
            const CKSTString upper = Upper(line);
            for (const char* word : {"TRUE", "FALSE", "NAN"}) {
                const int length = static_cast<int>(std::strlen(word));
                for (int at = upper.Find(word); at >= 0; at = upper.Find(word, at + length)) {
                    s.letters -= length;
                }
            }
            for (unsigned char c : line) {
                s.letters += IsLetter(c) ? 1 : 0;
                s.digits += c >= '0' && c <= '9' ? 1 : 0;
                s.tabs += c == '\t' ? 1 : 0;
                s.blanks += c == ' ' ? 1 : 0;
                s.points += c == '.' ? 1 : 0;
                s.commas += c == ',' ? 1 : 0;
                s.semicolons += c == ';' ? 1 : 0;
                s.ats += c == '@' ? 1 : 0;
                s.colons += c == ':' ? 1 : 0;
                s.brackets += c == '[' ? 1 : 0;
            }
        }
        m_lines.push_back(s);
        pos = end + 1;
    }
    m_sampleCount = static_cast<int>(m_lines.size());
}

int32_t CKSTTextDataFile::DetectFormat() const
{
    int bands = 0;
    bool first = true;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const std::string_view raw = HeaderLine(static_cast<int>(i));
        if (!raw.empty() && raw[0] == '\'') {
            continue;
        }
        const CKSTString line = Upper(raw);
        if (first) {
            first = false;
            if (line.Find("IDENT") >= 0) {
                return KST_TEXT_IDL_LOGGER;
            }
            if (line.Find("DASYLAB") >= 0) {
                return KST_TEXT_DASYLAB;
            }
        }
        if (line.Find("LAUFZEIT[HH:MM:SS]") >= 0) {
            return KST_TEXT_RUNTIME;
        }
        bands += line.Find("BUND") >= 0 ? 1 : 0;
        bands += line.Find("BAND") >= 0 ? 1 : 0;
    }
    return bands > 2 ? KST_TEXT_TORAN : KST_TEXT_NONE;
}

int CKSTTextDataFile::FindHeaderLength() const
{
    const int n = static_cast<int>(m_lines.size());
    auto usable = [&](int i) { return !m_lines[i].skipped && m_lines[i].length > 0; };
    auto comparable = [&](int i) {
        CKSTString s = ToString(HeaderLine(i));
        s.Replace('\t', ',');
        return s;
    };
    // Each line is compared with the next line that holds something: a header line differs
    // from the data below it, while the first data line resembles the next one.
    int next = -1;
    for (int i = n - 1; i >= 0; --i) {
        if (!usable(i)) {
            continue;
        }
        int other = next;
        if (other < 0) {
            for (int j = i - 1; j >= 0; --j) {
                if (usable(j)) {
                    other = j;
                    break;
                }
            }
        }
        const SampledLine& s = m_lines[i];
        const double distance = other >= 0 ? comparable(i).Distance(comparable(other)) : 0.0;
        const double length = static_cast<double>(s.length);
        // A unit in brackets counts like the letters of a name.
        const double score = 25.0 - distance + s.digits * 10.0 / length -
                             (s.letters + 2.0 * s.brackets) * 20.0 / length;
        if (score < 0.0) {
            return i + 1;
        }
        next = i;
    }
    return 0;
}

char CKSTTextDataFile::FindSeparator() const
{
    enum { kTab, kAt, kSemicolon, kComma, kCandidates };
    double score[kCandidates] = {};
    int previous[kCandidates] = {};
    bool constant[kCandidates] = {true, true, true, true};
    int firstRaw[kCandidates] = {-1, -1, -1, -1};
    static const char kChars[kCandidates] = {'\t', '@', ';', ','};
    for (size_t i = static_cast<size_t>(m_headerLength); i < m_lines.size(); ++i) {
        const SampledLine& s = m_lines[i];
        if (s.skipped || s.length == 0) {
            continue;
        }
        const int count[kCandidates] = {s.tabs, s.ats, 2 * s.semicolons - s.points,
                                        s.commas - s.ats - s.tabs - s.semicolons};
        const int raw[kCandidates] = {s.tabs, s.ats, s.semicolons, s.commas};
        for (int c = 0; c < kCandidates; ++c) {
            if (count[c] > 0) {
                score[c] += count[c] == previous[c] ? 2.0 * count[c] : count[c];
            }
            previous[c] = count[c];
            if (firstRaw[c] < 0) {
                firstRaw[c] = raw[c];
            }
            constant[c] = constant[c] && raw[c] == firstRaw[c] && raw[c] > 0;
        }
    }
    for (int c = 0; c < kCandidates; ++c) {
        bool greatest = true;
        for (int o = 0; o < kCandidates; ++o) {
            greatest = greatest && (o == c || score[c] > score[o]);
        }
        if (greatest) {
            return kChars[c];
        }
    }
    // A tie at the top (also at nothing, when decimal points cancel the semicolons): the
    // candidate found the same number of times on every data line.
    double top = 0.0;
    for (double s : score) {
        top = std::max(top, s);
    }
    for (int c : {kSemicolon, kComma, kTab, kAt}) {
        if (score[c] == top && constant[c]) {
            return kChars[c];
        }
    }
    return KST_TEXT_BLANK;
}

// --- Reading ---

int CKSTTextDataFile::ReadAll(CKSTChannelList& channels)
{
    channels.DeleteAll();
    m_channelCount = 0;
    m_timeBaseCount = 0;
    m_timeColumn = -1;
    m_dateAxis = false;
    m_timeUnit.Empty();
    if (!m_loaded) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    int result = ParseHeaderKeywords();
    if (result != KST_OK) {
        return result;
    }
    std::vector<int> originalColumns;
    result = ReadColumns(channels, originalColumns);
    if (result == KST_OK) {
        result = ReadHeaderNames(channels, originalColumns);
    }
    if (result != KST_OK) {
        channels.DeleteAll();
        return result;
    }
    // ReadColumns made every channel that could be equidistant so.
    channels.MakeUniqueNames();
    return KST_OK;
}

int CKSTTextDataFile::ReadColumns(CKSTChannelList& channels, std::vector<int>& originalColumns)
{
    const char* text = Content();
    const size_t size = ContentSize();
    const char separator = m_separator;
    const bool settings = m_hasReadSettings;

    ColumnScan scan;
    for (int i = 0; i < m_headerLength; ++i) {
        const std::string_view line = HeaderLine(i);
        KstFieldReader reader(line.data(), line.data() + line.size(), separator);
        std::string_view field;
        while (reader.Next(field) && reader.GetColumn() < kMaxColumns) {
            if (Trimmed(field) == "[@TEXT]" || Upper(field).Find("[@TEXT]") >= 0) {
                ColumnAt(scan.columns, reader.GetColumn()).markedText = true;
            }
        }
    }

    const size_t pos = m_lines[m_headerLength].offset;
    const unsigned threads = KstParallelThreadsFor(size - pos, kParallelGrainBytes);
    const size_t reserveBudget = (size - pos) / 2 + 1;
    // A table of numbers only goes straight into its channels, on several threads when it is
    // large; whatever else it holds leaves it to the general reader, which gives the same
    // channels.
    PlainTable plain;
    if (scan.columns.empty() && separator != KST_TEXT_BLANK && m_format != KST_TEXT_RUNTIME) {
        plain = ReadPlainTable(text + pos, text + size, threads, separator, reserveBudget);
    }
    const size_t lineEstimate =
        (plain.lineFeeds != SIZE_MAX ? plain.lineFeeds : CountLineFeeds(text + pos, text + size)) +
        1;
    // The general reader takes the lines the plain table left, or all of them.
    const char* rest = plain.channels.empty() ? text + pos : plain.resumeAt;
    if (!plain.channels.empty()) {
        TakePlainTable(scan, plain, lineEstimate);
    }
    if (rest != nullptr) {
        const int result = ScanLines(scan, rest, text + size, separator,
                                     m_format == KST_TEXT_RUNTIME, lineEstimate, reserveBudget);
        if (result != KST_OK) {
            return result;
        }
    }
    std::vector<Column>& columns = scan.columns;
    const uint32_t lines = scan.lines;
    if (columns.empty() || lines == 0) {
        return KST_ERR_BAD_HEADER;
    }
    if (m_format == KST_TEXT_IDL_LOGGER && columns.front().original == 0) {
        columns.erase(columns.begin());
    }

    TimeAxis axis;
    TakeDateColumns(scan, settings ? m_readSettings.dateFormat : KST_TEXT_DATE_AUTO, m_writeTime,
                    axis);
    const bool xAxisAuto = !settings || m_readSettings.xAxis != 0;
    if (axis.times.empty() && xAxisAuto && columns.size() >= 2 && columns.front().type == 2) {
        TakeRisingColumn(scan, axis);
    }
    if (axis.column >= 0) {
        m_timeColumn = axis.column;
    }
    if (!settings || m_readSettings.removeEmptyColumns != 0) {
        columns.erase(std::remove_if(columns.begin(), columns.end(),
                                     [](const Column& c) { return c.present == 0; }),
                      columns.end());
    }
    if (columns.empty()) {
        return KST_ERR_BAD_HEADER;
    }
    CompleteTimeAxis(columns, lines, axis);
    FillChannels(columns, lines, axis, channels, originalColumns);
    m_channelCount = channels.GetCount();
    m_timeBaseCount = axis.Exists() ? 1 : 0;
    m_dateAxis = axis.haveStart;
    return KST_OK;
}

// --- Header lines ---

void CKSTTextDataFile::ScoreHeaderLines(int columns, int& group, int& name, int& unit) const
{
    group = name = unit = -1;
    const int h = m_headerLength;
    const double c = columns;
    double best[3] = {-1e300, -1e300, -1e300};
    for (int i = 0; i < h; ++i) {
        const SampledLine& s = m_lines[i];
        if (s.skipped || s.length == 0) {
            continue;
        }
        const std::string_view line = HeaderLine(i);
        KstFieldReader reader(line.data(), line.data() + line.size(), m_separator);
        std::string_view field;
        int fields = 0;
        int named = 0;
        while (reader.Next(field)) {
            ++fields;
            for (char ch : field) {
                if (IsLetter(static_cast<unsigned char>(ch))) {
                    ++named;
                    break;
                }
            }
        }
        const double separators = std::max(fields - 1, 0);
        // A line of the table's width has one field per column.
        const double base = -1.5 * std::fabs(c - fields) - s.colons;
        double g = base;
        double n = base + std::min<double>(named, c) * 2.0 - s.brackets;
        double u = base + 2.0 * std::min<double>(s.brackets, c);
        if (named == 0) {
            // Numbers and dates name nothing.
            g -= 2.0 * c;
            n -= 2.0 * c;
        }
        if (fields == 1 && c > 1) {
            // A title line of a table with several columns.
            g -= c;
            n -= c;
            u -= c;
        }
        if (i == h - 3) {
            g += 1.5 * separators;
            n += 0.5 * c;
            u += 0.5 * c;
        } else if (i == h - 2) {
            g += 0.5 * separators;
            n += 2.5 * c;
            u += 0.5 * c;
        } else if (i == h - 1) {
            g += 0.5 * separators;
            n += 0.5 * c;
            u += 1.5 * c;
        }
        const CKSTString upper = Upper(line);
        if (upper.Find("NAME") >= 0) {
            n += 2.0 * c;
        }
        if (upper.Find("UNIT") >= 0 || upper.Find("EINHEIT") >= 0) {
            u += 2.0 * c;
        }
        const double scores[3] = {g, n, u};
        int* roles[3] = {&group, &name, &unit};
        for (int r = 0; r < 3; ++r) {
            if (scores[r] > best[r]) {
                best[r] = scores[r];
                *roles[r] = i;
            }
        }
    }
}

void CKSTTextDataFile::AssignLineRoles(int columns)
{
    const int h = m_headerLength;
    int group;
    int name;
    int unit;
    ScoreHeaderLines(columns, group, name, unit);
    auto inHeader = [h](int line) { return line >= 0 && line < h; };
    if (inHeader(m_nameLine)) {
        name = m_nameLine;
    }
    if (inHeader(m_unitLine)) {
        unit = m_unitLine;
    }
    if (inHeader(m_groupLine)) {
        group = m_groupLine;
    }
    if (m_format == KST_TEXT_IDL_LOGGER) {
        name = 5;
        unit = 7;
        group = -1;
    } else if ((m_format == KST_TEXT_DASYLAB || m_format == KST_TEXT_RUNTIME) && h > 0) {
        name = unit = h - 1;
    }
    if (group == name || group == unit || !inHeader(group) ||
        (m_hasReadSettings && m_readSettings.suppressGroupNames != 0)) {
        group = -1;
    }
    m_roleGroup = group;
    m_roleName = inHeader(name) ? name : -1;
    m_roleUnit = inHeader(unit) ? unit : -1;
    m_rolesKnown = true;
}

int CKSTTextDataFile::ReadHeaderNames(CKSTChannelList& channels,
                                      const std::vector<int>& originalColumns)
{
    if (channels.GetCount() == 0) {
        return KST_ERR_BAD_HEADER;
    }
    int columns = 0;
    for (int c : originalColumns) {
        columns = std::max(columns, c + 1);
    }
    columns = std::max(columns, m_timeColumn + 1);
    AssignLineRoles(columns);
    std::vector<int> channelOf(static_cast<size_t>(columns), -1);
    for (size_t i = 0; i < originalColumns.size(); ++i) {
        channelOf[static_cast<size_t>(originalColumns[i])] = static_cast<int>(i);
    }
    const int firstNamed = m_format == KST_TEXT_IDL_LOGGER ? 2 : 0;
    CKSTString dateText;
    CKSTString timeText;
    CKSTString dateTimeText;
    for (int i = 0; i < m_headerLength; ++i) {
        if (m_lines[i].skipped) {
            continue;
        }
        const std::string_view line = HeaderLine(i);
        const bool isGroup = i == m_roleGroup;
        const bool isName = i == m_roleName;
        const bool isUnit = i == m_roleUnit;
        KstFieldReader reader(line.data(), line.data() + line.size(), m_separator);
        std::string_view field;
        while (reader.Next(field)) {
            const int c = reader.GetColumn();
            if (!isGroup && !isName && !isUnit) {
                if (m_format == KST_TEXT_DASYLAB && i == 0) {
                    continue;
                }
                CKSTString date = Trimmed(field);
                ParseDateText(date, false);
                if (date.IsEmpty()) {
                    continue;
                }
                if (dateText.IsEmpty() && IsDateText(date)) {
                    dateText = date;
                } else if (timeText.IsEmpty() && IsTimeText(date)) {
                    timeText = date;
                } else if (dateTimeText.IsEmpty() && IsDateTimeText(date)) {
                    dateTimeText = date;
                }
                continue;
            }
            if (c >= columns || c < firstNamed) {
                continue;
            }
            CKSTChannel* channel = channelOf[static_cast<size_t>(c)] >= 0
                                       ? channels.GetAt(channelOf[static_cast<size_t>(c)])
                                       : nullptr;
            CKSTString text = Trimmed(field);
            CKSTString unitText;
            bool hasUnit = false;
            if (isName && isUnit) {
                const int bracket = text.Find('[');
                if (bracket >= 0) {
                    const int close = text.Find(']', bracket);
                    unitText = close >= 0 ? text.Mid(bracket + 1, close - bracket - 1)
                                          : text.Mid(bracket + 1);
                    text = text.Left(bracket);
                    text.Trim();
                    hasUnit = true;
                }
            } else if (isUnit) {
                unitText = text;
                unitText.Remove('[');
                unitText.Remove(']');
                hasUnit = true;
            }
            unitText.Trim();
            if (!unitText.IsEmpty() && unitText.First() == '@') {
                unitText.Empty();
            }
            if (hasUnit && c == m_timeColumn) {
                m_timeUnit = unitText;
            }
            if (channel == nullptr) {
                continue;
            }
            if (isGroup) {
                channel->SetGroup(text);
            }
            if (isName) {
                channel->SetName(text);
            }
            if (hasUnit) {
                channel->SetUnit(unitText);
            }
        }
    }
    const int count = channels.GetCount();
    for (int k = 0; k < count; ++k) {
        CKSTChannel* channel = channels.GetAt(k);
        if (count >= 2 && channel->GetName().IsEmpty()) {
            channel->SetName(CKSTString::FormatInt(originalColumns[static_cast<size_t>(k)] + 1));
        }
        if (!m_timeUnit.IsEmpty()) {
            channel->SetTimeUnit(m_timeUnit);
        }
    }
    // A relative time column still starts at the date and time the header names.
    if (!m_dateAxis) {
        CKSTString stamp = dateText;
        if (!timeText.IsEmpty()) {
            stamp += stamp.IsEmpty() ? "" : " ";
            stamp += timeText;
        }
        if (dateText.IsEmpty() || timeText.IsEmpty()) {
            stamp = dateTimeText.IsEmpty() ? stamp : dateTimeText;
        }
        if (!stamp.IsEmpty()) {
            CKSTDateTimeParts parts;
            parts.AddText(0, stamp.c_str(), static_cast<size_t>(stamp.GetLength()));
            std::vector<double> times;
            std::vector<uint8_t> valid;
            CKSTTimeStamp start;
            if (KstBuildTimeAxis(parts, m_hasReadSettings ? m_readSettings.dateFormat : 0,
                                 m_writeTime, times, valid, start) == KST_OK) {
                channels.SetStartTimeStamp(start);
            }
        }
    }
    return KST_OK;
}

int CKSTTextDataFile::ReadHeaderInfo(CKSTHeaderInfoList& header)
{
    header.Clear();
    if (!m_loaded) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    const bool rolesKnown = m_rolesKnown;
    const int roles[3] = {m_roleGroup, m_roleName, m_roleUnit};
    const int result = ParseHeaderKeywords();
    if (result != KST_OK) {
        return result;
    }
    if (!rolesKnown) {
        // Columns as the first data line has them.
        const std::string_view first = HeaderLine(m_headerLength);
        KstFieldReader reader(first.data(), first.data() + first.size(), m_separator);
        std::string_view field;
        int columns = 0;
        while (reader.Next(field)) {
            ++columns;
        }
        AssignLineRoles(columns);
    } else {
        m_roleGroup = roles[0];
        m_roleName = roles[1];
        m_roleUnit = roles[2];
        m_rolesKnown = true;
    }
    if (m_format == KST_TEXT_IDL_LOGGER) {
        for (int i = 0; i < 5 && i < m_headerLength; ++i) {
            const std::string_view line = HeaderLine(i);
            KstFieldReader reader(line.data(), line.data() + line.size(), m_separator);
            std::string_view name;
            std::string_view value;
            if (!reader.Next(name)) {
                continue;
            }
            if (!reader.Next(value)) {
                value = {};
            }
            const CKSTString key = Trimmed(name);
            if (!key.IsEmpty()) {
                const int set = header.SetString(key, Trimmed(value));
                if (set < 0) {
                    return set;
                }
            }
        }
        return KST_OK;
    }
    CKSTString comment;
    for (int i = 0; i < m_headerLength; ++i) {
        if (i == m_roleGroup || i == m_roleName || i == m_roleUnit) {
            continue;
        }
        const std::string_view line = HeaderLine(i);
        if (!line.empty() && line[0] == '@') {
            continue;
        }
        if (!line.empty() && line[0] == '\'') {
            comment += ToString(line.substr(1));
            comment += "\r\n";
            continue;
        }
        std::vector<std::pair<CKSTString, CKSTString>> entries;
        bool allKeyed = true;
        bool anyField = false;
        KstFieldReader reader(line.data(), line.data() + line.size(), m_separator);
        std::string_view field;
        while (reader.Next(field)) {
            if (KstIsEmptyField(field)) {
                continue;
            }
            anyField = true;
            const size_t colon = field.find(':');
            if (colon == std::string_view::npos) {
                allKeyed = false;
                break;
            }
            if (colon > 0) {
                entries.emplace_back(Trimmed(field.substr(0, colon)),
                                     Trimmed(field.substr(colon + 1)));
            }
        }
        if (anyField && allKeyed) {
            for (const auto& entry : entries) {
                if (!entry.first.IsEmpty()) {
                    const int set = header.SetString(entry.first, entry.second);
                    if (set < 0) {
                        return set;
                    }
                }
            }
            continue;
        }
        comment += ToString(line);
        comment += "\r\n";
    }
    if (!comment.IsEmpty()) {
        const int set = header.SetComment(comment, true);
        return set < 0 ? set : KST_OK;
    }
    return KST_OK;
}
