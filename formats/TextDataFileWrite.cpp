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
    const int32_t code = settings.formatCode;
    const bool csv = code == KST_TEXT_CSV_TIME || code == KST_TEXT_CSV_DATETIME ||
                     code == KST_TEXT_CSV_SECONDS;
    CKSTChannelList list;
    list.CopyFrom(source);
    // Channels that share the X channel's name are its values, not columns.
    if (code == KST_TEXT_CSV_SECONDS && xChannel != nullptr) {
        for (int i = list.GetCount() - 1; i >= 0; --i) {
            if (list.GetAt(i)->GetName() == xChannel->GetName()) {
                list.RemoveAt(i);
            }
        }
    }
    const int n = list.GetCount();
    if (n == 0) {
        return KST_OK;
    }
    std::vector<uint8_t> binary(static_cast<size_t>(n));
    std::vector<uint8_t> textual(static_cast<size_t>(n));
    for (int c = 0; c < n; ++c) {
        binary[c] = list.GetAt(c)->IsBinary() ? 1 : 0;
        textual[c] = list.GetAt(c)->GetValueTextCount() > 1 ? 1 : 0;
    }
    const uint32_t average = settings.averageCount > 1 ? static_cast<uint32_t>(settings.averageCount) : 0;
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
            continue;
        }
        if (average == 0) {
            continue;
        }
        if (csv && textual[c]) {
            channel->FreeData(true, false);
        } else if (binary[c]) {
            channel->ReduceByAverageToBinary(average);
        } else {
            channel->ReduceByAverage(average);
        }
        textual[c] = textual[c] && average == 0;
    }
    bool anySamples = false;
    for (int c = 0; c < n; ++c) {
        anySamples = anySamples || list.GetAt(c)->GetCount() > 0;
    }
    if (!anySamples) {
        return KST_OK;
    }

    // --- The common time axis ---
    CKSTTimeStamp earliest;
    bool haveEarliest = false;
    for (int c = 0; c < n; ++c) {
        const CKSTChannel* channel = list.GetAt(c);
        if (channel->GetCount() > 0 && (!haveEarliest || channel->GetStartTimeStamp() < earliest)) {
            earliest = channel->GetStartTimeStamp();
            haveEarliest = true;
        }
    }
    std::vector<double> offset(static_cast<size_t>(n), 0.0);
    const CKSTChannel* reference = nullptr;
    bool common = true;
    double smallestInterval = std::numeric_limits<double>::infinity();
    for (int c = 0; c < n; ++c) {
        const CKSTChannel* channel = list.GetAt(c);
        if (channel->GetCount() == 0) {
            continue;
        }
        offset[c] = (channel->GetStartTimeStamp() - earliest).GetSeconds();
        const double interval = channel->GetSampleInterval();
        if (interval > 0.0) {
            smallestInterval = std::min(smallestInterval, interval);
        }
        if (reference == nullptr) {
            reference = channel;
        } else {
            common = common && channel->HasSameTimeBase(*reference);
        }
        if (channel->GetTimeBaseType() == CKSTChannel::kTimeVector &&
            !channel->AreTimesAscending()) {
            common = false;
        }
    }
    const double mergeTolerance =
        std::isfinite(smallestInterval) ? 0.001 * smallestInterval : 1e-9;
    std::vector<double> times;
    if (common) {
        times.resize(reference->GetCount());
        for (uint32_t i = 0; i < reference->GetCount(); ++i) {
            times[i] = reference->GetTimeAt(i);
        }
    } else {
        for (int c = 0; c < n; ++c) {
            const CKSTChannel* channel = list.GetAt(c);
            for (uint32_t i = 0; i < channel->GetCount(); ++i) {
                times.push_back(channel->GetTimeAt(i) + offset[c]);
            }
        }
        std::sort(times.begin(), times.end());
        size_t kept = 0;
        for (size_t i = 0; i < times.size(); ++i) {
            if (kept == 0 || times[i] - times[kept - 1] >= mergeTolerance) {
                times[kept++] = times[i];
            }
        }
        times.resize(kept);
    }

    const char separator = code == KST_TEXT_BDATA ? '@'
                           : settings.writeSeparator == KST_TEXT_SEPARATOR_SEMICOLON ? ';'
                           : settings.writeSeparator == KST_TEXT_SEPARATOR_TAB       ? '\t'
                                                                                     : ',';
    char mark = '.';
    if (code != KST_TEXT_BDATA) {
        if (settings.writeSeparator == KST_TEXT_SEPARATOR_SEMICOLON) {
            mark = ',';
        } else if (settings.writeSeparator == KST_TEXT_SEPARATOR_TAB) {
            mark = settings.decimalMark == 1 ? '.' : ',';
        }
    }
    const int timeDecimals = DecimalsToTell(times, settings.timeDecimals, kMaxStampDecimals);
    const int secondsDecimals =
        DecimalsToTell(times, shortestValues ? timeDecimals : settings.valueDecimals, kMaxSecondsDecimals);
    const int splashDecimals = DecimalsToTell(times, 3, kMaxSecondsDecimals);
    TimeFormatter clock(earliest, timeDecimals);

    std::string out;
    out.reserve(kFlushSize + 4096);
    int result = KST_OK;
    // Rows of the table already written, which tell the size of the rest.
    size_t rowsDone = 0;
    auto flush = [&](bool last) {
        if (result == KST_OK && (last || out.size() >= kFlushSize)) {
            const uint32_t size = static_cast<uint32_t>(out.size());
            if (m_stream.IsInMemory()) {
                // The buffer's own growth step is small; doubling keeps the copies linear.
                CKSTMemBuffer& memory = m_stream.GetMemoryBuffer();
                const uint64_t needed = static_cast<uint64_t>(memory.GetSize()) + size;
                if (needed > memory.GetCapacity()) {
                    uint64_t grown = std::max<uint64_t>(needed, 2ull * memory.GetCapacity());
                    if (rowsDone > 0 && rowsDone < times.size()) {
                        // Room for the rest at the rate so far and an eighth more, as later
                        // rows tend to be longer (larger times): no move of the text at every
                        // doubling, and room never written costs no memory.
                        const uint64_t rest = (needed / rowsDone + 1) * (times.size() - rowsDone);
                        grown = std::max<uint64_t>(needed, needed + rest + rest / 8);
                    }
                    if (!memory.Reserve(static_cast<uint32_t>(std::min<uint64_t>(grown, CKSTMemBuffer::kMaxSize)))) {
                        result = KST_ERR_TOO_LARGE;
                        return;
                    }
                }
            }
            if (size > 0 && m_stream.Write(out.data(), size) != size) {
                result = KST_ERR_SHORT_TRANSFER;
            }
            out.clear();
            if (last && result == KST_OK) {
                result = m_stream.Flush();
            }
        }
    };
    auto endLine = [&]() {
        out += "\r\n";
        flush(false);
    };
    auto text = [&](const CKSTString& s) {
        KstAppendTextField(out, std::string_view(s.c_str(), static_cast<size_t>(s.GetLength())),
                           separator);
    };
    auto bracketed = [&](const CKSTString& s) { text("[" + s + "]"); };
    char number[kKstNumberTextSize];
    auto value = [&](double v, int decimals) {
        const size_t len = shortestValues ? KstFormatShortest(number, v, mark)
                                          : KstFormatFixed(number, v, decimals, mark);
        out.append(number, len);
    };
    // Every row of a table has the same number of fields, for programs that insist on it.
    auto padTo = [&](int fields, int written) {
        for (int i = written; i < fields; ++i) {
            out.push_back(separator);
        }
    };
    bool anyGroup = false;
    for (int c = 0; c < n; ++c) {
        anyGroup = anyGroup || !list.GetAt(c)->GetGroup().IsEmpty();
    }

    // --- Header lines ---
    const LineTime firstTime = clock.At((list.GetFirstSampleTimeStamp() - earliest).GetSeconds());
    switch (code) {
        case KST_TEXT_CSV_TIME:
        case KST_TEXT_CSV_DATETIME:
            if (settings.writeHeader != 0) {
                if (anyGroup) {
                    if (code == KST_TEXT_CSV_TIME) {
                        out.push_back(separator);
                    }
                    for (int c = 0; c < n; ++c) {
                        out.push_back(separator);
                        text(list.GetAt(c)->GetGroup());
                    }
                    endLine();
                }
                if (code == KST_TEXT_CSV_DATETIME) {
                    text(settings.timeColumnTitle);
                } else {
                    out.push_back(separator);
                }
                for (int c = 0; c < n; ++c) {
                    out.push_back(separator);
                    text(list.GetAt(c)->GetName());
                }
                endLine();
                if (code == KST_TEXT_CSV_TIME) {
                    out.push_back(separator);
                }
                for (int c = 0; c < n; ++c) {
                    out.push_back(separator);
                    bracketed(list.GetAt(c)->GetUnit());
                }
                endLine();
            }
            break;
        case KST_TEXT_CSV_SECONDS:
            if (settings.writeHeader != 0) {
                clock.AppendDate(out, firstTime);
                out.push_back(separator);
                clock.AppendTime(out, firstTime, mark);
                padTo(n + 1, 2);
                endLine();
                if (anyGroup) {
                    if (xChannel != nullptr) {
                        text(xChannel->GetGroup());
                    }
                    for (int c = 0; c < n; ++c) {
                        out.push_back(separator);
                        text(list.GetAt(c)->GetGroup());
                    }
                    endLine();
                }
                if (xChannel != nullptr) {
                    text(xChannel->GetName());
                }
                for (int c = 0; c < n; ++c) {
                    out.push_back(separator);
                    text(list.GetAt(c)->GetName());
                }
                endLine();
                bracketed(xChannel != nullptr ? xChannel->GetUnit() : list.GetTimeUnit());
                for (int c = 0; c < n; ++c) {
                    out.push_back(separator);
                    bracketed(list.GetAt(c)->GetUnit());
                }
                endLine();
            }
            break;
        case KST_TEXT_SPLASH:
            out += "Datei:";
            out.push_back(separator);
            text(m_path);
            padTo(n + 3, 2);
            endLine();
            out += "Messintervall [s]:";
            out.push_back(separator);
            text(list.GetAt(0)->GetComment());
            padTo(n + 3, 2);
            endLine();
            out.push_back(separator);
            out.push_back(separator);
            for (int c = 0; c < n; ++c) {
                out.push_back(separator);
                text(list.GetAt(c)->GetName());
            }
            endLine();
            out.push_back(separator);
            out.push_back(separator);
            for (int c = 0; c < n; ++c) {
                out.push_back(separator);
                bracketed(list.GetAt(c)->GetUnit());
            }
            endLine();
            break;
        case KST_TEXT_TEXT:
            AppendNumber(out, firstTime.month, 2);
            out.push_back('-');
            AppendNumber(out, firstTime.day, 2);
            out.push_back('-');
            AppendNumber(out, firstTime.year, 4);
            endLine();
            break;
        case KST_TEXT_BDATA:
            for (int c = 0; c < n; ++c) {
                CKSTString name = list.GetAt(c)->GetName();
                if (StartsWithCounterPrefix(name)) {
                    name = name.Mid(2);
                }
                if (c > 0) {
                    out.push_back(separator);
                }
                text(name);
            }
            padTo(n, n - 1);
            endLine();
            for (int c = 0; c < n; ++c) {
                if (c > 0) {
                    out.push_back(separator);
                }
                text(list.GetAt(c)->GetUnit());
            }
            padTo(n, n - 1);
            endLine();
            break;
        default:
            break;
    }

    // --- Data lines ---
    const bool interpolate = settings.interpolate != 0;
    const double findTolerance = std::max(1e-6, mergeTolerance);
    std::vector<uint32_t> cursor(static_cast<size_t>(n), 0);
    std::vector<uint8_t> ordered(static_cast<size_t>(n), 0);
    for (int c = 0; c < n; ++c) {
        const CKSTChannel* channel = list.GetAt(c);
        ordered[c] = channel->GetTimeBaseType() != CKSTChannel::kTimeVector ||
                             channel->AreTimesAscending()
                         ? 1
                         : 0;
    }
    std::string fields;
    std::vector<uint8_t> contributes(static_cast<size_t>(n));
    for (size_t k = 0; k < times.size() && result == KST_OK; ++k) {
        rowsDone = k;
        const double t = times[k];
        // Which channels have a sample here, and where.
        bool any = false;
        for (int c = 0; c < n; ++c) {
            const CKSTChannel* channel = list.GetAt(c);
            uint32_t& i = cursor[c];
            bool has = false;
            if (common) {
                i = static_cast<uint32_t>(k);
                has = i < channel->GetCount() && !channel->IsMissing(i);
            } else if (ordered[c]) {
                const double local = t - offset[c];
                while (i < channel->GetCount() && channel->GetTimeAt(i) < local - findTolerance) {
                    ++i;
                }
                has = i < channel->GetCount() &&
                      std::fabs(channel->GetTimeAt(i) - local) <= findTolerance &&
                      !channel->IsMissing(i);
            } else {
                has = channel->FindSampleAtTime(t - offset[c], i) && !channel->IsMissing(i);
            }
            contributes[c] = has || (interpolate && channel->GetCount() > 0) ? 1 : 0;
            any = any || contributes[c] != 0;
            if (has) {
                contributes[c] = 2;
            }
        }
        if (!any) {
            continue;
        }
        fields.clear();
        std::swap(fields, out);
        // The channel fields, each with the separator before it.
        for (int c = 0; c < n; ++c) {
            if (code != KST_TEXT_TEXT) {
                out.push_back(separator);
            }
            if (contributes[c] == 0) {
                continue;
            }
            const CKSTChannel* channel = list.GetAt(c);
            const double v = contributes[c] == 2
                                 ? channel->GetValue(cursor[c])
                                 : channel->GetValueAtTime(t - offset[c], binary[c] != 0);
            if (csv && textual[c]) {
                const double index = std::clamp(std::round(v), -2147483646.0, 2147483646.0);
                text(channel->GetValueText(static_cast<int32_t>(index)));
                continue;
            }
            if (code == KST_TEXT_TEXT) {
                const size_t len = shortestValues ? KstFormatShortest(number, v, mark)
                                                  : KstFormatFixed(number, v, settings.valueDecimals, mark);
                // At least one blank keeps neighbouring values apart.
                const size_t width = std::max<size_t>(static_cast<size_t>(std::max<int>(settings.columnWidth, 0)), len + 1);
                out.append(width - len, ' ');
                out.append(number, len);
                continue;
            }
            value(v, settings.valueDecimals);
        }
        std::swap(fields, out);
        const LineTime lt = clock.At(t);
        switch (code) {
            case KST_TEXT_CSV_TIME:
                clock.AppendDate(out, lt);
                out.push_back(separator);
                clock.AppendTime(out, lt, mark);
                break;
            case KST_TEXT_CSV_DATETIME:
                clock.AppendDate(out, lt);
                out.push_back(' ');
                clock.AppendTime(out, lt, mark);
                break;
            case KST_TEXT_CSV_SECONDS: {
                const double x = xChannel != nullptr
                                     ? xChannel->GetValueAtTimeStamp(earliest + t)
                                     : t;
                if (xChannel != nullptr) {
                    value(x, settings.valueDecimals);
                } else {
                    out.append(number, KstFormatFixed(number, x, secondsDecimals, mark));
                }
                break;
            }
            case KST_TEXT_SPLASH:
                clock.AppendDate(out, lt);
                out.push_back(separator);
                clock.AppendTime(out, lt, mark);
                out.push_back(separator);
                out.append(number, KstFormatFixed(number, t, splashDecimals, mark));
                break;
            case KST_TEXT_TEXT:
                clock.AppendTime(out, lt, mark);
                endLine();
                break;
            case KST_TEXT_BDATA:
                AppendNumber(out, lt.year, 4);
                out.push_back('.');
                AppendNumber(out, lt.month, 2);
                out.push_back('.');
                AppendNumber(out, lt.day, 2);
                out.push_back(' ');
                AppendNumber(out, lt.hour, 2);
                out.push_back(':');
                AppendNumber(out, lt.minute, 2);
                out.push_back(':');
                AppendNumber(out, lt.second, 2);
                if (clock.Decimals() > 0) {
                    out.push_back('.');
                    AppendNumber(out, lt.fraction, clock.Decimals());
                }
                break;
            default:
                break;
        }
        out += fields;
        endLine();
    }
    flush(true);
    return result;
}
