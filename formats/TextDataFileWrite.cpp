// The writers: one table layout per format code over the merged times of all channels.
#include "formats/TextDataFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "formats/TextFields.h"
#include "foundation/ErrorCodes.h"

namespace {

constexpr size_t kFlushSize = 1 << 20;
// Sub-second digits of a time of day: stamps keep 10 microseconds.
constexpr int kMaxStampDecimals = 6;
constexpr int kMaxSecondsDecimals = 9;

void AppendNumber(std::string& out, int64_t value, int width)
{
    char digits[24];
    int n = 0;
    const bool negative = value < 0;
    uint64_t v = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (negative) {
        out.push_back('-');
    }
    for (int i = n; i < width; ++i) {
        out.push_back('0');
    }
    while (n > 0) {
        out.push_back(digits[--n]);
    }
}

// Calendar fields of a line time: whole seconds since the serial date origin and a rounded
// fraction in units of 10^-decimals seconds.
struct LineTime {
    int16_t year = 0;
    int16_t month = 0;
    int16_t day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int64_t fraction = 0;
};

class TimeFormatter {
public:
    TimeFormatter(const CKSTTimeStamp& earliest, int decimals) : m_decimals(decimals)
    {
        m_baseWhole = static_cast<int64_t>(std::llround(earliest.GetSerialDays() * KST_SECONDS_PER_DAY));
        m_baseFraction = earliest.GetFraction();
        m_scale = std::pow(10.0, decimals);
    }

    LineTime At(double seconds)
    {
        const double total = m_baseFraction + seconds;
        double whole = std::floor(total);
        int64_t fraction = std::llround((total - whole) * m_scale);
        if (static_cast<double>(fraction) >= m_scale) {
            whole += 1.0;
            fraction = 0;
        }
        const int64_t s = m_baseWhole + static_cast<int64_t>(whole);
        int64_t dayNumber = s / 86400;
        int64_t ofDay = s % 86400;
        if (ofDay < 0) {
            ofDay += 86400;
            --dayNumber;
        }
        if (dayNumber != m_cachedDay) {
            m_cachedDay = dayNumber;
            SerialToDate(static_cast<double>(dayNumber), m_date.year, m_date.month, m_date.day);
        }
        LineTime t = m_date;
        t.hour = static_cast<int>(ofDay / 3600);
        t.minute = static_cast<int>(ofDay / 60 % 60);
        t.second = static_cast<int>(ofDay % 60);
        t.fraction = fraction;
        return t;
    }

    void AppendDate(std::string& out, const LineTime& t) const
    {
        AppendNumber(out, t.day, 2);
        out.push_back('.');
        AppendNumber(out, t.month, 2);
        out.push_back('.');
        AppendNumber(out, t.year, 4);
    }

    void AppendTime(std::string& out, const LineTime& t, char decimalMark) const
    {
        AppendNumber(out, t.hour, 2);
        out.push_back(':');
        AppendNumber(out, t.minute, 2);
        out.push_back(':');
        AppendNumber(out, t.second, 2);
        if (m_decimals > 0) {
            out.push_back(decimalMark);
            AppendNumber(out, t.fraction, m_decimals);
        }
    }

    int Decimals() const { return m_decimals; }

private:
    int m_decimals;
    int64_t m_baseWhole = 0;
    double m_baseFraction = 0.0;
    double m_scale = 1.0;
    int64_t m_cachedDay = std::numeric_limits<int64_t>::min();
    LineTime m_date;
};

// Decimals that print successive times of the axis differently.
int DecimalsToTell(const std::vector<double>& times, int least, int most)
{
    double step = std::numeric_limits<double>::infinity();
    for (size_t i = 1; i < times.size(); ++i) {
        const double d = times[i] - times[i - 1];
        if (d > 0.0) {
            step = std::min(step, d);
        }
    }
    int decimals = std::max(least, 0);
    while (decimals < most && std::pow(10.0, -decimals) > step * (1.0 + 1e-9)) {
        ++decimals;
    }
    return decimals;
}

bool StartsWithCounterPrefix(const CKSTString& name)
{
    return name.GetLength() >= 2 && name[0] == 'Z' && name[1] == '_';
}

// Copies of the channels as the layout writes them: the X channel's namesakes left out, blocks
// averaged, counters turned into increments. False when no channel keeps a sample.
bool ReduceChannels(CKSTChannelList& list, const CKSTTextFormat& settings,
                    const CKSTChannel* xChannel, std::vector<uint8_t>& binary,
                    std::vector<uint8_t>& textual)
{
    const int32_t code = settings.formatCode;
    // Channels that share the X channel's name are its values, not columns.
    if (code == KST_TEXT_CSV_SECONDS && xChannel != nullptr) {
        for (int i = list.GetCount() - 1; i >= 0; --i) {
            if (list.GetAt(i)->GetName() == xChannel->GetName()) {
                list.RemoveAt(i);
            }
        }
    }
    const int n = list.GetCount();
    binary.assign(static_cast<size_t>(n), 0);
    textual.assign(static_cast<size_t>(n), 0);
    for (int c = 0; c < n; ++c) {
        binary[c] = list.GetAt(c)->IsBinary() ? 1 : 0;
        textual[c] = list.GetAt(c)->GetValueTextCount() > 1 ? 1 : 0;
    }
    const bool csv = code == KST_TEXT_CSV_TIME || code == KST_TEXT_CSV_DATETIME ||
                     code == KST_TEXT_CSV_SECONDS;
    const uint32_t average = settings.averageCount > 1 ? static_cast<uint32_t>(settings.averageCount) : 0;
    bool anySamples = false;
    for (int c = 0; c < n; ++c) {
        CKSTChannel* channel = list.GetAt(c);
        if (channel->GetCount() == 0) {
            continue;
        }
        if (code == KST_TEXT_BDATA && StartsWithCounterPrefix(channel->GetName())) {
            if (average > 0) {
                // Counter overflows hold the previous reading; sums per block follow.
                const uint32_t count = channel->GetCount();
                for (uint32_t i = 0; i < count; ++i) {
                    if (channel->GetValue(i) > 90000000.0) {
                        const uint32_t from = i > 0 ? i - 1 : (count > 1 ? 1 : 0);
                        channel->SetValueAt(i, channel->GetValue(from));
                    }
                }
                const CKSTChannel readings(*channel);
                channel->CumulativeSum(readings);
                channel->Resample(average * readings.GetSampleInterval(), false);
            }
            const CKSTChannel totals(*channel);
            channel->Difference(totals);
        } else if (average > 0) {
            if (csv && textual[c]) {
                channel->FreeData(true, false);
            } else if (binary[c]) {
                channel->ReduceByAverageToBinary(average);
            } else {
                channel->ReduceByAverage(average);
            }
            textual[c] = 0;
        }
        anySamples = anySamples || channel->GetCount() > 0;
    }
    return anySamples;
}

// The times of the table's lines in seconds from the earliest start, each channel's start among
// them, and whether all channels share one time base (line k is then sample k of each).
struct MergedTimes {
    CKSTTimeStamp earliest;
    std::vector<double> offset;
    std::vector<double> times;
    bool common = true;
    double mergeTolerance = 1e-9;
};

MergedTimes MergeTimes(const CKSTChannelList& list)
{
    const int n = list.GetCount();
    MergedTimes axis;
    bool haveEarliest = false;
    for (int c = 0; c < n; ++c) {
        const CKSTChannel* channel = list.GetAt(c);
        if (channel->GetCount() > 0 && (!haveEarliest || channel->GetStartTimeStamp() < axis.earliest)) {
            axis.earliest = channel->GetStartTimeStamp();
            haveEarliest = true;
        }
    }
    axis.offset.assign(static_cast<size_t>(n), 0.0);
    const CKSTChannel* reference = nullptr;
    double smallestInterval = std::numeric_limits<double>::infinity();
    for (int c = 0; c < n; ++c) {
        const CKSTChannel* channel = list.GetAt(c);
        if (channel->GetCount() == 0) {
            continue;
        }
        axis.offset[c] = (channel->GetStartTimeStamp() - axis.earliest).GetSeconds();
        const double interval = channel->GetSampleInterval();
        if (interval > 0.0) {
            smallestInterval = std::min(smallestInterval, interval);
        }
        if (reference == nullptr) {
            reference = channel;
        } else {
            axis.common = axis.common && channel->HasSameTimeBase(*reference);
        }
        if (channel->GetTimeBaseType() == CKSTChannel::kTimeVector &&
            !channel->AreTimesAscending()) {
            axis.common = false;
        }
    }
    if (std::isfinite(smallestInterval)) {
        axis.mergeTolerance = 0.001 * smallestInterval;
    }
    std::vector<double>& times = axis.times;
    if (axis.common) {
        times.resize(reference->GetCount());
        for (uint32_t i = 0; i < reference->GetCount(); ++i) {
            times[i] = reference->GetTimeAt(i);
        }
        return axis;
    }
    for (int c = 0; c < n; ++c) {
        const CKSTChannel* channel = list.GetAt(c);
        for (uint32_t i = 0; i < channel->GetCount(); ++i) {
            times.push_back(channel->GetTimeAt(i) + axis.offset[c]);
        }
    }
    std::sort(times.begin(), times.end());
    size_t kept = 0;
    for (size_t i = 0; i < times.size(); ++i) {
        if (kept == 0 || times[i] - times[kept - 1] >= axis.mergeTolerance) {
            times[kept++] = times[i];
        }
    }
    times.resize(kept);
    return axis;
}

// --- Header rows ---

// What a header row holds before its channel fields.
enum class Lead {
    kNothing,
    kEmptyField,
    kTwoEmptyFields,
    kTimeTitle,
    kXGroup,
    kXName,
    kXOrTimeUnit,
    kStartDateAndTime,
    kFilePath,
    kInterval,
    kMonthDayYear,
};

// The field each channel gives a header row.
enum class Cells { kNone, kGroups, kNames, kCounterNames, kUnits, kBracketedUnits };

struct HeaderRow {
    int32_t code;
    // Written only when the settings ask for a header, only when some channel has a group.
    bool optional;
    bool groupsOnly;
    Lead lead;
    Cells cells;
    // The channel fields are joined by the separator instead of each following one.
    bool joined;
    // Fields beyond the channels a lead-only row is padded to, 0 none.
    int padBeyond;
};

const HeaderRow kHeaderRows[] = {
    {KST_TEXT_CSV_TIME, true, true, Lead::kEmptyField, Cells::kGroups, false, 0},
    {KST_TEXT_CSV_TIME, true, false, Lead::kEmptyField, Cells::kNames, false, 0},
    {KST_TEXT_CSV_TIME, true, false, Lead::kEmptyField, Cells::kBracketedUnits, false, 0},
    {KST_TEXT_CSV_DATETIME, true, true, Lead::kNothing, Cells::kGroups, false, 0},
    {KST_TEXT_CSV_DATETIME, true, false, Lead::kTimeTitle, Cells::kNames, false, 0},
    {KST_TEXT_CSV_DATETIME, true, false, Lead::kNothing, Cells::kBracketedUnits, false, 0},
    {KST_TEXT_CSV_SECONDS, true, false, Lead::kStartDateAndTime, Cells::kNone, false, 1},
    {KST_TEXT_CSV_SECONDS, true, true, Lead::kXGroup, Cells::kGroups, false, 0},
    {KST_TEXT_CSV_SECONDS, true, false, Lead::kXName, Cells::kNames, false, 0},
    {KST_TEXT_CSV_SECONDS, true, false, Lead::kXOrTimeUnit, Cells::kBracketedUnits, false, 0},
    {KST_TEXT_SPLASH, false, false, Lead::kFilePath, Cells::kNone, false, 3},
    {KST_TEXT_SPLASH, false, false, Lead::kInterval, Cells::kNone, false, 3},
    {KST_TEXT_SPLASH, false, false, Lead::kTwoEmptyFields, Cells::kNames, false, 0},
    {KST_TEXT_SPLASH, false, false, Lead::kTwoEmptyFields, Cells::kBracketedUnits, false, 0},
    {KST_TEXT_TEXT, false, false, Lead::kMonthDayYear, Cells::kNone, false, 0},
    {KST_TEXT_BDATA, false, false, Lead::kNothing, Cells::kCounterNames, true, 0},
    {KST_TEXT_BDATA, false, false, Lead::kNothing, Cells::kUnits, true, 0},
};

// One table in one layout, written through a buffer flushed in large pieces.
class TableWriter {
public:
    TableWriter(CKSTFormatStream& stream, const CKSTChannelList& list, const CKSTTextFormat& settings,
                const CKSTChannel* xChannel, bool shortestValues, const MergedTimes& axis);
    void WriteHeader(const CKSTString& path);
    void WriteData(const std::vector<uint8_t>& binary, const std::vector<uint8_t>& textual);
    int Finish()
    {
        Flush(true);
        return m_result;
    }

private:
    void Flush(bool last);
    void EndLine()
    {
        m_out += "\r\n";
        Flush(false);
    }
    void Text(const CKSTString& s)
    {
        KstAppendTextField(m_out, std::string_view(s.c_str(), static_cast<size_t>(s.GetLength())),
                           m_separator);
    }
    void Bracketed(const CKSTString& s) { Text("[" + s + "]"); }
    void Value(double v, int decimals)
    {
        const size_t len = m_shortest ? KstFormatShortest(m_number, v, m_mark)
                                      : KstFormatFixed(m_number, v, decimals, m_mark);
        m_out.append(m_number, len);
    }
    // Every row of a table has the same number of fields, for programs that insist on it.
    void PadTo(int fields, int written)
    {
        for (int i = written; i < fields; ++i) {
            m_out.push_back(m_separator);
        }
    }
    void WriteLead(Lead lead, const CKSTString& path);
    void WriteCell(Cells cells, const CKSTChannel& channel);
    bool FindSamples(size_t k, const std::vector<uint8_t>& ordered);
    void AppendFields(double t, const std::vector<uint8_t>& binary,
                      const std::vector<uint8_t>& textual);
    void AppendLineTime(double t);

    CKSTFormatStream& m_stream;
    const CKSTChannelList& m_list;
    const CKSTTextFormat& m_settings;
    const CKSTChannel* m_x;
    const bool m_shortest;
    const MergedTimes& m_axis;
    const int32_t m_code;
    const int m_n;
    char m_separator = ',';
    char m_mark = '.';
    int m_secondsDecimals = 0;
    int m_splashDecimals = 0;
    TimeFormatter m_clock;
    std::string m_out;
    int m_result = KST_OK;
    // Rows of the table already written, which tell the size of the rest.
    size_t m_rowsDone = 0;
    // Per channel: the sample at the current line, and whether it has one there (2), takes an
    // interpolated value (1) or leaves its field empty (0).
    std::vector<uint32_t> m_cursor;
    std::vector<uint8_t> m_contributes;
    char m_number[kKstNumberTextSize];
};

char SeparatorOf(const CKSTTextFormat& settings)
{
    if (settings.formatCode == KST_TEXT_BDATA) {
        return '@';
    }
    return settings.writeSeparator == KST_TEXT_SEPARATOR_SEMICOLON ? ';'
           : settings.writeSeparator == KST_TEXT_SEPARATOR_TAB     ? '\t'
                                                                   : ',';
}

char DecimalMarkOf(const CKSTTextFormat& settings)
{
    if (settings.formatCode == KST_TEXT_BDATA) {
        return '.';
    }
    if (settings.writeSeparator == KST_TEXT_SEPARATOR_SEMICOLON) {
        return ',';
    }
    if (settings.writeSeparator == KST_TEXT_SEPARATOR_TAB) {
        return settings.decimalMark == 1 ? '.' : ',';
    }
    return '.';
}

TableWriter::TableWriter(CKSTFormatStream& stream, const CKSTChannelList& list,
                         const CKSTTextFormat& settings, const CKSTChannel* xChannel,
                         bool shortestValues, const MergedTimes& axis)
    : m_stream(stream),
      m_list(list),
      m_settings(settings),
      m_x(xChannel),
      m_shortest(shortestValues),
      m_axis(axis),
      m_code(settings.formatCode),
      m_n(list.GetCount()),
      m_separator(SeparatorOf(settings)),
      m_mark(DecimalMarkOf(settings)),
      m_clock(axis.earliest, DecimalsToTell(axis.times, settings.timeDecimals, kMaxStampDecimals)),
      m_cursor(static_cast<size_t>(m_n), 0),
      m_contributes(static_cast<size_t>(m_n), 0)
{
    m_secondsDecimals = DecimalsToTell(axis.times, shortestValues ? m_clock.Decimals() : settings.valueDecimals,
                                       kMaxSecondsDecimals);
    m_splashDecimals = DecimalsToTell(axis.times, 3, kMaxSecondsDecimals);
    m_out.reserve(kFlushSize + 4096);
}

void TableWriter::Flush(bool last)
{
    if (m_result != KST_OK || (!last && m_out.size() < kFlushSize)) {
        return;
    }
    const uint32_t size = static_cast<uint32_t>(m_out.size());
    const size_t rows = m_axis.times.size();
    if (m_stream.IsInMemory()) {
        // The buffer's own growth step is small; doubling keeps the copies linear.
        CKSTMemBuffer& memory = m_stream.GetMemoryBuffer();
        const uint64_t needed = static_cast<uint64_t>(memory.GetSize()) + size;
        if (needed > memory.GetCapacity()) {
            uint64_t grown = std::max<uint64_t>(needed, 2ull * memory.GetCapacity());
            if (m_rowsDone > 0 && m_rowsDone < rows) {
                // Room for the rest at the rate so far and an eighth more, as later rows tend to
                // be longer (larger times): no move of the text at every doubling, and room
                // never written costs no memory.
                const uint64_t rest = (needed / m_rowsDone + 1) * (rows - m_rowsDone);
                grown = std::max<uint64_t>(needed, needed + rest + rest / 8);
            }
            if (!memory.Reserve(static_cast<uint32_t>(std::min<uint64_t>(grown, CKSTMemBuffer::kMaxSize)))) {
                m_result = KST_ERR_TOO_LARGE;
                return;
            }
        }
    }
    if (size > 0 && m_stream.Write(m_out.data(), size) != size) {
        m_result = KST_ERR_SHORT_TRANSFER;
    }
    m_out.clear();
    if (last && m_result == KST_OK) {
        m_result = m_stream.Flush();
    }
}

void TableWriter::WriteLead(Lead lead, const CKSTString& path)
{
    switch (lead) {
        case Lead::kNothing:
            break;
        case Lead::kEmptyField:
            m_out.push_back(m_separator);
            break;
        case Lead::kTwoEmptyFields:
            m_out.push_back(m_separator);
            m_out.push_back(m_separator);
            break;
        case Lead::kTimeTitle:
            Text(m_settings.timeColumnTitle);
            break;
        case Lead::kXGroup:
        case Lead::kXName:
            if (m_x != nullptr) {
                Text(lead == Lead::kXGroup ? m_x->GetGroup() : m_x->GetName());
            }
            break;
        case Lead::kXOrTimeUnit:
            Bracketed(m_x != nullptr ? m_x->GetUnit() : m_list.GetTimeUnit());
            break;
        case Lead::kStartDateAndTime:
        case Lead::kMonthDayYear: {
            const LineTime first =
                m_clock.At((m_list.GetFirstSampleTimeStamp() - m_axis.earliest).GetSeconds());
            if (lead == Lead::kMonthDayYear) {
                AppendNumber(m_out, first.month, 2);
                m_out.push_back('-');
                AppendNumber(m_out, first.day, 2);
                m_out.push_back('-');
                AppendNumber(m_out, first.year, 4);
                break;
            }
            m_clock.AppendDate(m_out, first);
            m_out.push_back(m_separator);
            m_clock.AppendTime(m_out, first, m_mark);
            break;
        }
        case Lead::kFilePath:
            m_out += "Datei:";
            m_out.push_back(m_separator);
            Text(path);
            break;
        case Lead::kInterval:
            m_out += "Messintervall [s]:";
            m_out.push_back(m_separator);
            Text(m_list.GetAt(0)->GetComment());
            break;
    }
}

void TableWriter::WriteCell(Cells cells, const CKSTChannel& channel)
{
    switch (cells) {
        case Cells::kNone:
            break;
        case Cells::kGroups:
            Text(channel.GetGroup());
            break;
        case Cells::kNames:
            Text(channel.GetName());
            break;
        case Cells::kCounterNames:
            Text(StartsWithCounterPrefix(channel.GetName()) ? channel.GetName().Mid(2)
                                                            : channel.GetName());
            break;
        case Cells::kUnits:
            Text(channel.GetUnit());
            break;
        case Cells::kBracketedUnits:
            Bracketed(channel.GetUnit());
            break;
    }
}

void TableWriter::WriteHeader(const CKSTString& path)
{
    bool anyGroup = false;
    for (int c = 0; c < m_n; ++c) {
        anyGroup = anyGroup || !m_list.GetAt(c)->GetGroup().IsEmpty();
    }
    for (const HeaderRow& row : kHeaderRows) {
        if (row.code != m_code || (row.optional && m_settings.writeHeader == 0) ||
            (row.groupsOnly && !anyGroup)) {
            continue;
        }
        WriteLead(row.lead, path);
        if (row.padBeyond > 0) {
            PadTo(m_n + row.padBeyond, 2);
        }
        for (int c = 0; row.cells != Cells::kNone && c < m_n; ++c) {
            if (!row.joined || c > 0) {
                m_out.push_back(m_separator);
            }
            WriteCell(row.cells, *m_list.GetAt(c));
        }
        if (row.joined) {
            PadTo(m_n, m_n - 1);
        }
        EndLine();
    }
}

// Which channels have a sample at line k, and where; false when no channel gives the line a
// field.
bool TableWriter::FindSamples(size_t k, const std::vector<uint8_t>& ordered)
{
    const double t = m_axis.times[k];
    const bool interpolate = m_settings.interpolate != 0;
    const double findTolerance = std::max(1e-6, m_axis.mergeTolerance);
    bool any = false;
    for (int c = 0; c < m_n; ++c) {
        const CKSTChannel* channel = m_list.GetAt(c);
        uint32_t& i = m_cursor[c];
        bool has = false;
        if (m_axis.common) {
            i = static_cast<uint32_t>(k);
            has = i < channel->GetCount() && !channel->IsMissing(i);
        } else if (ordered[c]) {
            const double local = t - m_axis.offset[c];
            while (i < channel->GetCount() && channel->GetTimeAt(i) < local - findTolerance) {
                ++i;
            }
            has = i < channel->GetCount() &&
                  std::fabs(channel->GetTimeAt(i) - local) <= findTolerance &&
                  !channel->IsMissing(i);
        } else {
            has = channel->FindSampleAtTime(t - m_axis.offset[c], i) && !channel->IsMissing(i);
        }
        m_contributes[c] = has ? 2 : (interpolate && channel->GetCount() > 0 ? 1 : 0);
        any = any || m_contributes[c] != 0;
    }
    return any;
}

// The channel fields, each with the separator before it (aligned by blanks in the text layout).
void TableWriter::AppendFields(double t, const std::vector<uint8_t>& binary,
                               const std::vector<uint8_t>& textual)
{
    const bool csv = m_code == KST_TEXT_CSV_TIME || m_code == KST_TEXT_CSV_DATETIME ||
                     m_code == KST_TEXT_CSV_SECONDS;
    for (int c = 0; c < m_n; ++c) {
        if (m_code != KST_TEXT_TEXT) {
            m_out.push_back(m_separator);
        }
        if (m_contributes[c] == 0) {
            continue;
        }
        const CKSTChannel* channel = m_list.GetAt(c);
        const double v = m_contributes[c] == 2
                             ? channel->GetValue(m_cursor[c])
                             : channel->GetValueAtTime(t - m_axis.offset[c], binary[c] != 0);
        if (csv && textual[c]) {
            const double index = std::clamp(std::round(v), -2147483646.0, 2147483646.0);
            Text(channel->GetValueText(static_cast<int32_t>(index)));
        } else if (m_code == KST_TEXT_TEXT) {
            const size_t len = m_shortest ? KstFormatShortest(m_number, v, m_mark)
                                          : KstFormatFixed(m_number, v, m_settings.valueDecimals, m_mark);
            // At least one blank keeps neighbouring values apart.
            const size_t width = std::max<size_t>(static_cast<size_t>(std::max<int>(m_settings.columnWidth, 0)), len + 1);
            m_out.append(width - len, ' ');
            m_out.append(m_number, len);
        } else {
            Value(v, m_settings.valueDecimals);
        }
    }
}

// The time fields that open a data line; the text layout gives the time a line of its own.
void TableWriter::AppendLineTime(double t)
{
    const LineTime lt = m_clock.At(t);
    switch (m_code) {
        case KST_TEXT_CSV_TIME:
        case KST_TEXT_CSV_DATETIME:
            m_clock.AppendDate(m_out, lt);
            m_out.push_back(m_code == KST_TEXT_CSV_TIME ? m_separator : ' ');
            m_clock.AppendTime(m_out, lt, m_mark);
            break;
        case KST_TEXT_CSV_SECONDS:
            if (m_x != nullptr) {
                Value(m_x->GetValueAtTimeStamp(m_axis.earliest + t), m_settings.valueDecimals);
            } else {
                m_out.append(m_number, KstFormatFixed(m_number, t, m_secondsDecimals, m_mark));
            }
            break;
        case KST_TEXT_SPLASH:
            m_clock.AppendDate(m_out, lt);
            m_out.push_back(m_separator);
            m_clock.AppendTime(m_out, lt, m_mark);
            m_out.push_back(m_separator);
            m_out.append(m_number, KstFormatFixed(m_number, t, m_splashDecimals, m_mark));
            break;
        case KST_TEXT_TEXT:
            m_clock.AppendTime(m_out, lt, m_mark);
            EndLine();
            break;
        case KST_TEXT_BDATA:
            AppendNumber(m_out, lt.year, 4);
            m_out.push_back('.');
            AppendNumber(m_out, lt.month, 2);
            m_out.push_back('.');
            AppendNumber(m_out, lt.day, 2);
            m_out.push_back(' ');
            AppendNumber(m_out, lt.hour, 2);
            m_out.push_back(':');
            AppendNumber(m_out, lt.minute, 2);
            m_out.push_back(':');
            AppendNumber(m_out, lt.second, 2);
            if (m_clock.Decimals() > 0) {
                m_out.push_back('.');
                AppendNumber(m_out, lt.fraction, m_clock.Decimals());
            }
            break;
        default:
            break;
    }
}

void TableWriter::WriteData(const std::vector<uint8_t>& binary, const std::vector<uint8_t>& textual)
{
    std::vector<uint8_t> ordered(static_cast<size_t>(m_n), 0);
    for (int c = 0; c < m_n; ++c) {
        const CKSTChannel* channel = m_list.GetAt(c);
        ordered[c] = channel->GetTimeBaseType() != CKSTChannel::kTimeVector ||
                             channel->AreTimesAscending()
                         ? 1
                         : 0;
    }
    const std::vector<double>& times = m_axis.times;
    for (size_t k = 0; k < times.size() && m_result == KST_OK; ++k) {
        m_rowsDone = k;
        if (!FindSamples(k, ordered)) {
            continue;
        }
        AppendLineTime(times[k]);
        AppendFields(times[k], binary, textual);
        EndLine();
    }
}

}  // namespace

int CKSTTextDataFile::CheckWritable() const
{
    if (!m_stream.IsOpen()) {
        return m_loaded ? KST_ERR_NOT_OPEN_FOR_WRITING : KST_ERR_FILE_NOT_OPEN;
    }
    return m_stream.GetMode() == KST_OPEN_WRITE ? KST_OK : KST_ERR_NOT_OPEN_FOR_WRITING;
}

int CKSTTextDataFile::Write(const CKSTDataSet& dataSet, const CKSTTextFormat* textSettings)
{
    if (textSettings != nullptr) {
        return WriteByFormat(dataSet, *textSettings, nullptr);
    }
    return WriteWithDefaults(dataSet.GetChannels());
}

int CKSTTextDataFile::WriteChannels(const CKSTChannelList& channels, bool)
{
    return WriteWithDefaults(channels);
}

int CKSTTextDataFile::WriteByFormat(const CKSTDataSet& dataSet, const CKSTTextFormat& settings,
                                    const CKSTChannel* xChannel)
{
    return WriteChannelsByFormat(dataSet.GetChannels(), settings, xChannel);
}

int CKSTTextDataFile::WriteChannelsByFormat(const CKSTChannelList& channels,
                                            const CKSTTextFormat& settings,
                                            const CKSTChannel* xChannel)
{
    const int check = CheckWritable();
    if (check != KST_OK) {
        return check;
    }
    switch (settings.formatCode) {
        case KST_TEXT_CSV_TIME:
        case KST_TEXT_CSV_DATETIME:
        case KST_TEXT_CSV_SECONDS:
        case KST_TEXT_SPLASH:
        case KST_TEXT_TEXT:
        case KST_TEXT_BDATA:
            return WriteLayout(channels, settings, xChannel, false);
        default:
            return kErrUnknownTextFormat;
    }
}

int CKSTTextDataFile::WriteWithDefaults(const CKSTChannelList& channels)
{
    const int check = CheckWritable();
    if (check != KST_OK) {
        return check;
    }
    if (channels.GetCount() == 0) {
        return KST_OK;
    }
    CKSTTextFormat settings;
    const CKSTChannel* first = channels.GetAt(0);
    const double dt = first->GetSampleInterval();
    const double duration = first->GetEndTime() - first->GetStartTime();
    settings.timeDecimals = dt < 1.0 ? 3 : 0;
    settings.formatCode = dt < 1.0 && duration < 1800.0 ? KST_TEXT_CSV_SECONDS : KST_TEXT_CSV_TIME;
    return WriteLayout(channels, settings, nullptr, true);
}

int CKSTTextDataFile::WriteLayout(const CKSTChannelList& source, const CKSTTextFormat& settings,
                                  const CKSTChannel* xChannel, bool shortestValues)
{
    CKSTChannelList list;
    list.CopyFrom(source);
    std::vector<uint8_t> binary;
    std::vector<uint8_t> textual;
    if (!ReduceChannels(list, settings, xChannel, binary, textual)) {
        return KST_OK;
    }
    const MergedTimes axis = MergeTimes(list);
    TableWriter writer(m_stream, list, settings, xChannel, shortestValues, axis);
    writer.WriteHeader(m_path);
    writer.WriteData(binary, textual);
    return writer.Finish();
}
