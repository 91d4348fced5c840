// Reading FAMOS files of version 1: the keys all channels share are read once, in the order the
// format fixes, and each channel takes its own entries of them.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "formats/FamosFile.h"
#include "formats/FamosFileSamples.h"
#include "foundation/ErrorCodes.h"

using namespace kst_famos;

int CKSTFamosFile::ReadHeaderV1()
{
    HeaderV1& header = m_headerV1;
    header = HeaderV1();
    header.read = true;
    // Entries beyond the channels the file declares are never asked for.
    const int64_t wanted = std::max<uint32_t>(m_channelCountV1, 1);
    int result = m_keys.Seek(0);
    m_key.Empty();
    if (result == KST_OK) result = ReadTimeKeyV1(header);
    if (result == KST_OK) result = ReadUnitsV1(header, wanted);
    if (result == KST_OK) result = ReadLayoutV1(header, wanted);
    if (result == KST_OK) result = ReadDataKeysV1(header);
    header.result = result;
    return result;
}

int CKSTFamosFile::SkipBytesV1(uint32_t n)
{
    char bytes[16];
    return m_keys.ReadBytes(bytes, n);
}

int CKSTFamosFile::ReadTimeKeyV1(HeaderV1& header)
{
    int64_t length = 0;
    int result = SearchKey("CD");
    if (result == KST_OK) result = SkipBytesV1(2);
    if (result == KST_OK) result = m_keys.ReadReal(header.dx);
    if (result == KST_OK) result = SkipBytesV1(2);
    if (result == KST_OK) result = m_keys.ReadReal(header.t0);
    if (result == KST_OK) result = SkipBytesV1(2);
    if (result == KST_OK) result = m_keys.ReadInteger(length);
    if (result == KST_OK) result = m_keys.ReadText(length, header.timeUnit);
    return result;
}

int CKSTFamosFile::ReadUnitsV1(HeaderV1& header, int64_t wanted)
{
    int result = SearchKey("CR");
    if (result == KST_OK) result = SkipBytesV1(2);
    if (result == KST_OK) result = m_keys.ReadInteger(header.unitEntries);
    if (result == KST_OK && header.unitEntries < 1) {
        return KST_ERR_BAD_KEY;
    }
    if (result != KST_OK) {
        return result;
    }
    const int64_t entries = header.unitEntries == 1 ? 1 : std::min(header.unitEntries, wanted);
    // An entry that cannot be read fails the channels that need it; the keys after are searched
    // from the last entry read, as a channel before it would.
    int64_t after = m_keys.Tell();
    for (int64_t e = 0; e < entries; ++e) {
        double factor = 1.0, offset = 0.0;
        int64_t length = 0;
        CKSTString unit;
        result = SkipBytesV1(4);
        if (result == KST_OK) result = m_keys.ReadReal(factor);
        if (result == KST_OK) result = m_keys.ReadReal(offset);
        if (result == KST_OK) result = SkipBytesV1(10);
        if (result == KST_OK) result = m_keys.ReadInteger(length);
        if (result == KST_OK) result = m_keys.ReadText(length, unit);
        if (result != KST_OK) {
            header.unitsResult = result;
            break;
        }
        header.units.push_back(unit);
        after = m_keys.Tell();
    }
    return m_keys.Seek(after);
}

int CKSTFamosFile::ReadLayoutV1(HeaderV1& header, int64_t wanted)
{
    int result = SearchKey("NT", "CP");
    if (result == KST_OK && m_key == "NT") {
        result = ReadStartV1(header);
        if (result == KST_OK) result = SearchKey("CP");
    }
    // "CP": a layout code, then one or more channel entries.
    int64_t layout = 0, spare = 0;
    if (result == KST_OK) result = m_keys.ReadInteger(layout);
    if (result == KST_OK && layout == 3) {
        result = m_keys.ReadInteger(spare);
        if (result == KST_OK) result = m_keys.ReadInteger(spare);
        if (result == KST_OK) result = m_keys.ReadInteger(header.channelsInKey);
    }
    if (result == KST_OK && header.channelsInKey < 1) {
        return KST_ERR_BAD_KEY;
    }
    if (result != KST_OK) {
        return result;
    }
    const bool named = header.channelsInKey > 1;
    const int64_t entries = named ? std::min(header.channelsInKey, wanted) : 1;
    int64_t after = m_keys.Tell();
    for (int64_t e = 0; e < entries; ++e) {
        int64_t formatCode = 0;
        CKSTString name;
        result = m_keys.ReadInteger(formatCode);
        if (result == KST_OK) result = m_keys.ReadInteger(spare);
        if (result == KST_OK && named) result = m_keys.ReadTextUpTo(100, name);
        if (result != KST_OK) {
            header.formatsResult = result;
            break;
        }
        header.formats.push_back(formatCode);
        header.names.push_back(name);
        after = m_keys.Tell();
    }
    return m_keys.Seek(after);
}

int CKSTFamosFile::ReadStartV1(HeaderV1& header)
{
    char date[10];
    char time[11];
    int result = SkipBytesV1(5);
    if (result == KST_OK) result = m_keys.ReadBytes(date, sizeof date);
    if (result == KST_OK) result = SkipBytesV1(4);
    if (result == KST_OK) result = m_keys.ReadBytes(time, sizeof time);
    if (result != KST_OK) {
        return result;
    }
    // "dd.mm.yyyy" and "hh:mm:ss.ss".
    CKSTString d;
    d.Assign(date, sizeof date);
    CKSTString t;
    t.Assign(time, sizeof time);
    const double seconds = t.Mid(6).ToDouble();
    header.start = CKSTTimeStamp(
        ClampField(d.Mid(6).ToLong(), 1, 9999), ClampField(d.Mid(3, 2).ToLong(), 1, 12),
        ClampField(d.Mid(0, 2).ToLong(), 1, 31), ClampField(t.Mid(0, 2).ToLong(), 0, 23),
        ClampField(t.Mid(3, 2).ToLong(), 0, 59),
        std::isfinite(seconds) ? std::clamp(seconds, 0.0, 59.999999) : 0.0);
    return KST_OK;
}

int CKSTFamosFile::ReadDataKeysV1(HeaderV1& header)
{
    int64_t lengthField = 0;
    int result = SearchKey("CJ");
    if (result == KST_OK) result = SkipBytesV1(2);
    if (result == KST_OK) result = m_keys.ReadInteger(header.dataLength);
    if (result == KST_OK) result = SearchKey("CS");
    if (result == KST_OK) result = SkipBytesV1(2);
    if (result == KST_OK) result = m_keys.ReadInteger(lengthField);
    header.samplesAt = m_keys.Tell();
    return result;
}

int CKSTFamosFile::ReadChannelV1(CKSTChannel& channel, uint32_t index)
{
    if (!m_headerV1.read) {
        static_cast<void>(ReadHeaderV1());  // its result is kept in the header, checked below
    }
    const HeaderV1& header = m_headerV1;
    if (header.result != KST_OK) {
        return header.result;
    }
    if (index >= std::max<uint32_t>(m_channelCountV1, 1)) {
        return KST_ERR_INDEX_BEYOND;
    }
    // A channel beyond the entries of a key takes the key's last one.
    const size_t unit = static_cast<size_t>(std::min<int64_t>(header.unitEntries - 1, index));
    const size_t entry = static_cast<size_t>(std::min<int64_t>(header.channelsInKey - 1, index));
    if (unit >= header.units.size()) {
        return header.unitsResult;
    }
    if (entry >= header.formats.size()) {
        return header.formatsResult;
    }
    NumberFormat format;
    if (!LookUpNumberFormat(header.formats[entry], format) || header.dataLength < 18) {
        return KST_ERR_BAD_KEY;
    }
    if (header.formats[entry] == 11) {
        format.kind = RawKind::kI16;
    }
    const uint64_t count = static_cast<uint64_t>(header.dataLength - 18) / format.bytes;
    if (count > kMaxChannelCount) {
        return KST_ERR_TOO_LARGE;
    }

    const CKSTString& name = header.names[entry];
    channel.Reset();
    channel.SetTimeBaseType(CKSTChannel::kEquidistant);
    channel.SetTimeUnit(header.timeUnit);
    channel.SetUnit(header.units[unit]);
    channel.SetDt(header.dx);
    channel.SetT0(header.t0);
    channel.SetStartTimeStamp(header.start);
    channel.SetName(name.IsEmpty() ? m_stream.GetPath().FileName().StripExtension() : name);
    channel.SetSourceFile(m_stream.GetPath());
    channel.SetSampleType(format.sampleType);
    m_interleaved = true;
    if (index > 0) {
        return KST_OK;
    }
    int result = m_keys.Seek(header.samplesAt);
    if (result != KST_OK) {
        return result;
    }
    // Only the samples the data holds are made.
    const uint64_t held = static_cast<uint64_t>(std::max<int64_t>(m_keys.Remaining(), 0)) /
                          format.bytes;
    if (!TakeFromBudget(std::min(count, held))) {
        return KST_ERR_TOO_LARGE;
    }
    return AppendWidened(channel, m_stream, format.kind, static_cast<uint32_t>(count),
                         format.bytes, 1.0, 0.0);
}
