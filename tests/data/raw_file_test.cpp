#include "data/RawFile.h"
#include "data/RecordFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <sys/utime.h>
#else
#include <utime.h>
#endif

#include "foundation/ErrorCodes.h"
#include "foundation/Md5.h"
#include "support/ScopedTimeZone.h"
#include "support/TempFolder.h"

namespace {

std::string Text(const CKSTString& s)
{
    return std::string(s.c_str(), static_cast<size_t>(s.GetLength()));
}

template <class T>
std::string LittleEndian(const std::vector<T>& values)
{
    std::string bytes;
    for (T v : values) {
        unsigned char raw[sizeof(T)];
        std::memcpy(raw, &v, sizeof raw);
        bytes.append(reinterpret_cast<const char*>(raw), sizeof raw);
    }
    return bytes;
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

template <class T>
T At(const std::string& bytes, size_t offset)
{
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

template <class T>
void Put(std::string& bytes, size_t offset, T value)
{
    std::memcpy(&bytes[offset], &value, sizeof value);
}

class RawFileTest : public ::testing::Test {
protected:
    TempFolder m_folder;
};

TEST_F(RawFileTest, WholeSamplesOfEitherWidth)
{
    struct Case {
        const char* file;
        CKSTRawFile::Format format;
        std::string bytes;
        std::vector<double> values;
        uint16_t storedType;
    };
    const Case cases[] = {
        {"two.dbl",
         CKSTRawFile::kFloat64,
         LittleEndian<double>({1.5, -2.25}) + "abcd",
         {1.5, -2.25},
         5},
        {"two.flt", CKSTRawFile::kFloat32, LittleEndian<float>({0.5f, 3.0f}) + "ab", {0.5, 3.0}, 4},
        {"Messung 1.x.dbl", CKSTRawFile::kFloat64, LittleEndian<double>({7.0}), {7.0}, 5},
        {"empty.flt", CKSTRawFile::kFloat32, "", {}, 4},
        {"short.dbl", CKSTRawFile::kFloat64, "1234567", {}, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        m_folder.WriteFile(c.file, c.bytes);
        CKSTRawFile file(c.format);
        ASSERT_EQ(KST_OK, file.OpenRead(m_folder.Path(c.file)));
        CKSTChannel channel;
        channel.SetUnit("stale");
        channel.AppendValue(99.0, true);
        ASSERT_EQ(KST_OK, file.ReadChannel(channel));

        EXPECT_EQ(Text(CKSTString(c.file).StripExtension()), Text(channel.GetName()));
        EXPECT_EQ("", Text(channel.GetUnit()));
        EXPECT_EQ(c.storedType, channel.GetStoredSampleType());
        EXPECT_EQ(CKSTChannel::kEquidistant, channel.GetTimeBaseType());
        EXPECT_EQ(1.0, channel.GetDt());
        EXPECT_EQ(0.0, channel.GetT0());
        EXPECT_EQ("s", Text(channel.GetTimeUnit()));
        EXPECT_FALSE(channel.HasMissing());
        ASSERT_EQ(c.values.size(), channel.GetCount());
        for (size_t i = 0; i < c.values.size(); ++i) {
            EXPECT_EQ(c.values[i], channel.GetValue(static_cast<int64_t>(i)));
        }
    }
}

TEST_F(RawFileTest, StartsAtTheLastWriteTime)
{
    const ScopedTimeZone utc("UTC");
    m_folder.WriteFile("dated.dbl", LittleEndian<double>({1.0, 2.0}));
    const time_t when = 1610706030;  // 2021-01-15 10:20:30 UTC
    utimbuf times{when, when};
    ASSERT_EQ(0, utime(m_folder.Native("dated.dbl").string().c_str(), &times));

    CKSTRawFile file(CKSTRawFile::kFloat64);
    ASSERT_EQ(KST_OK, file.OpenRead(m_folder.Path("dated.dbl")));
    CKSTChannel channel;
    ASSERT_EQ(KST_OK, file.ReadChannel(channel));
    const CKSTTimeStamp start = channel.GetStartTimeStamp();
    EXPECT_EQ(CKSTTimeStamp(2021, 1, 15, 10, 20, 30.0), start);
    EXPECT_EQ(10, start.GetHour());
}

TEST_F(RawFileTest, ReadIntoADataSet)
{
    m_folder.WriteFile("u.flt", LittleEndian<float>({1.0f, 2.0f, 4.0f}));
    CKSTDataSet dataSet;
    dataSet.SetName("old");
    dataSet.GetChannels().AddNew();
    dataSet.GetChannels().AddNew();

    CKSTRawFile closed(CKSTRawFile::kFloat32);
    EXPECT_EQ(KST_ERR_FILE_NOT_OPEN, closed.Read(dataSet));
    EXPECT_EQ(2, dataSet.GetChannels().GetCount());

    CKSTRawFile file(CKSTRawFile::kFloat32);
    ASSERT_EQ(KST_OK, file.OpenRead(m_folder.Path("u.flt")));
    ASSERT_EQ(KST_OK, file.Read(dataSet));
    EXPECT_EQ(Text(file.GetPath()), Text(dataSet.GetName()));
    ASSERT_EQ(1, dataSet.GetChannels().GetCount());
    const CKSTChannel& channel = *dataSet.GetChannels().GetAt(0);
    EXPECT_EQ("u", Text(channel.GetUniqueName()));
    EXPECT_EQ(3u, channel.GetCount());
    EXPECT_EQ(4.0, channel.GetValue(2));
}

CKSTChannel Equidistant(const char* name, const char* unit, const char* group, double t0, double dt,
                        const std::vector<double>& values,
                        const CKSTTimeStamp& start = CKSTTimeStamp(2020, 6, 1, 12, 0, 0.0))
{
    CKSTChannel c;
    c.SetName(name);
    c.SetUnit(unit);
    c.SetGroup(group);
    c.SetT0(t0);
    c.SetDt(dt);
    c.SetStartTimeStamp(start);
    for (double v : values) {
        c.AppendValue(v, false);
    }
    return c;
}

std::vector<double> Ramp(size_t n, double scale)
{
    std::vector<double> values(n);
    for (size_t i = 0; i < n; ++i) {
        values[i] = static_cast<double>(i) * scale;
    }
    return values;
}

double SecondsSince1904(const CKSTTimeStamp& stamp)
{
    return (stamp - CKSTTimeStamp(1904, 1, 1, 0, 0, 0.0)).GetSeconds();
}

class RecordFileTest : public ::testing::Test {
protected:
    int WriteFile(CKSTChannelList& channels, const char* name = "rec.bbl")
    {
        CKSTRecordFile file;
        EXPECT_EQ(KST_OK, file.OpenWrite(m_folder.Path(name)));
        const int result = file.WriteBinaryRecordFile(channels);
        EXPECT_EQ(KST_OK, file.Close());
        return result;
    }

    int ReadFile(CKSTDataSet& dataSet, const char* name = "rec.bbl")
    {
        CKSTRecordFile file;
        EXPECT_EQ(KST_OK, file.OpenRead(m_folder.Path(name)));
        return file.Read(dataSet);
    }

    // Three channels of 100 samples at 10 ms.
    std::string WriteThreeChannels()
    {
        CKSTChannelList channels;
        channels.AddCopy(Equidistant("U1", "V", "A", 0.0, 0.01, Ramp(100, 0.5)));
        channels.AddCopy(Equidistant("I1", "mA", "B", 0.0, 0.01, Ramp(100, -1.0)));
        channels.AddCopy(Equidistant("T", "degC", "", 0.0, 0.01, Ramp(100, 0.25)));
        EXPECT_EQ(KST_OK, WriteFile(channels));
        return ReadBytes(m_folder.Native("rec.bbl"));
    }

    TempFolder m_folder;
};

TEST_F(RecordFileTest, LayoutOfAWrittenFile)
{
    const std::string bytes = WriteThreeChannels();
    ASSERT_EQ(63u + 3 * 27 + 100 * (8 + 3 * 4) + 32, bytes.size());

    const double start = SecondsSince1904(CKSTTimeStamp(2020, 6, 1, 12, 0, 0.0));
    EXPECT_EQ(63u + 81, At<uint32_t>(bytes, 0));
    EXPECT_EQ(2, bytes[4]);
    EXPECT_EQ(start, At<double>(bytes, 5));
    EXPECT_EQ(0.01, At<double>(bytes, 13));
    EXPECT_EQ(3, At<uint16_t>(bytes, 21));
    EXPECT_EQ(bytes.size() - 32, At<uint32_t>(bytes, 23));
    EXPECT_EQ(0u, At<uint32_t>(bytes, 27));
    EXPECT_EQ(std::string("123456789012345678901234567890\0\0", 32), bytes.substr(31, 32));

    struct Descriptor {
        uint16_t index;
        std::string name, unit;
        char group;
    };
    const Descriptor descriptors[] = {
        {0, std::string("U1") + std::string(14, '\0'), std::string("V") + std::string(7, '\0'),
         'A'},
        {1, std::string("I1") + std::string(14, '\0'), std::string("mA") + std::string(6, '\0'),
         'B'},
        {2, std::string("T") + std::string(15, '\0'), std::string("degC") + std::string(4, '\0'),
         '\0'},
    };
    for (size_t k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        const size_t at = 63 + 27 * k;
        EXPECT_EQ(descriptors[k].index, At<uint16_t>(bytes, at));
        EXPECT_EQ(descriptors[k].name, bytes.substr(at + 2, 16));
        EXPECT_EQ(descriptors[k].unit, bytes.substr(at + 18, 8));
        EXPECT_EQ(descriptors[k].group, bytes[at + 26]);
    }

    const size_t record7 = 144 + 7 * 20;
    EXPECT_EQ(start + 7 * 0.01, At<double>(bytes, record7));
    EXPECT_EQ(3.5f, At<float>(bytes, record7 + 8));
    EXPECT_EQ(-7.0f, At<float>(bytes, record7 + 12));
    EXPECT_EQ(1.75f, At<float>(bytes, record7 + 16));

    CKSTString digest;
    Md5Hex(digest, bytes.data(), bytes.size() - 32);
    EXPECT_EQ(Text(digest), bytes.substr(bytes.size() - 32));
}

TEST_F(RecordFileTest, ChannelsComeBackEquidistant)
{
    CKSTChannelList channels;
    const CKSTChannel first = Equidistant("First", "V", "G", 0.0, 0.5, {1.0, 2.0, 3.0, 4.0});
    CKSTChannel shorter;
    shorter.SetName("Shorter");
    shorter.AppendValue(5.0, false);
    shorter.AppendValue(6.0, true);
    shorter.AppendValue(7.0, false);
    channels.AddCopy(first);
    channels.AddCopy(shorter);
    ASSERT_EQ(KST_OK, WriteFile(channels));

    CKSTDataSet dataSet;
    ASSERT_EQ(KST_OK, ReadFile(dataSet));
    EXPECT_EQ(Text(m_folder.Path("rec.bbl").SlashesToBackslashes()), Text(dataSet.GetName()));
    ASSERT_EQ(2, dataSet.GetChannels().GetCount());
    for (int k = 0; k < 2; ++k) {
        const CKSTChannel& c = *dataSet.GetChannels().GetAt(k);
        SCOPED_TRACE(Text(c.GetName()));
        EXPECT_EQ(CKSTChannel::kEquidistant, c.GetTimeBaseType());
        EXPECT_EQ(0.5, c.GetDt());
        EXPECT_EQ(0.0, c.GetT0());
        EXPECT_EQ("s", Text(c.GetTimeUnit()));
        EXPECT_EQ(4u, c.GetCount());
        EXPECT_EQ(first.GetStartTimeStamp(), c.GetStartTimeStamp());
    }
    const CKSTChannel& read = *dataSet.GetChannels().GetAt(0);
    EXPECT_EQ("V", Text(read.GetUnit()));
    EXPECT_EQ("G", Text(read.GetGroup()));
    EXPECT_EQ(4.0, read.GetValue(3));
    // The missing sample is stored as 0; the shorter channel repeats its last value.
    const CKSTChannel& filled = *dataSet.GetChannels().GetAt(1);
    const double expected[] = {5.0, 0.0, 7.0, 7.0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(expected[i], filled.GetValue(i)) << i;
    }
}

TEST_F(RecordFileTest, NamesUnitsAndGroupsAreCut)
{
    CKSTChannelList channels;
    channels.AddCopy(Equidistant("ABCDEFGHIJKLMNOPQRST", "Volt/Ampere", "Group", 0.0, 1.0, {1}));
    channels.AddCopy(Equidistant("ABCDEFGHIJKLMNOPxyz", "V", "", 0.0, 1.0, {2}));
    ASSERT_EQ(KST_OK, WriteFile(channels));
    CKSTDataSet dataSet;
    ASSERT_EQ(KST_OK, ReadFile(dataSet));
    ASSERT_EQ(2, dataSet.GetChannels().GetCount());
    const CKSTChannel& first = *dataSet.GetChannels().GetAt(0);
    const CKSTChannel& second = *dataSet.GetChannels().GetAt(1);
    EXPECT_EQ("ABCDEFGHIJKLMNOP", Text(first.GetName()));
    EXPECT_EQ("Volt/Amp", Text(first.GetUnit()));
    EXPECT_EQ("G", Text(first.GetGroup()));
    EXPECT_EQ("", Text(second.GetGroup()));
    // Both names are now equal, so the second one is told apart.
    EXPECT_EQ("ABCDEFGHIJKLMNOP", Text(first.GetUniqueName()));
    EXPECT_EQ("ABCDEFGHIJKLMNOP@1", Text(second.GetUniqueName()));
}

TEST_F(RecordFileTest, FirstRecordIsTheFirstSample)
{
    const CKSTTimeStamp stamp(2019, 3, 4, 5, 6, 7.0);
    CKSTChannelList channels;
    channels.AddCopy(Equidistant("U", "V", "", 2.5, 0.25, {1.0, 2.0, 3.0}, stamp));
    ASSERT_EQ(KST_OK, WriteFile(channels));
    const std::string bytes = ReadBytes(m_folder.Native("rec.bbl"));
    EXPECT_EQ(SecondsSince1904(stamp) + 2.5, At<double>(bytes, 5));

    CKSTDataSet dataSet;
    ASSERT_EQ(KST_OK, ReadFile(dataSet));
    const CKSTChannel& c = *dataSet.GetChannels().GetAt(0);
    EXPECT_EQ(CKSTTimeStamp(2019, 3, 4, 5, 6, 9.5), c.GetFirstSampleTimeStamp());
    EXPECT_EQ(channels.GetAt(0)->GetLastSampleTimeStamp(), c.GetLastSampleTimeStamp());
    EXPECT_EQ(0.0, c.GetT0());
}

TEST_F(RecordFileTest, TimeVectorsAreMadeEquidistant)
{
    CKSTChannel irregular;
    irregular.SetName("X");
    for (double t : {1.0, 2.0, 4.0}) {
        irregular.AppendTimeValue(t, t * 10.0);
    }
    CKSTChannel regular;
    regular.SetName("Y");
    for (double t : {0.0, 0.5, 1.0, 1.5}) {
        regular.AppendTimeValue(t, -t);
    }
    CKSTChannelList channels;
    channels.AddCopy(irregular);
    channels.AddCopy(regular);
    ASSERT_EQ(KST_OK, WriteFile(channels));

    const CKSTChannel& resampled = *channels.GetAt(0);
    EXPECT_EQ(CKSTChannel::kEquidistant, resampled.GetTimeBaseType());
    EXPECT_EQ(1.0, resampled.GetT0());
    EXPECT_EQ(1.0, resampled.GetDt());
    EXPECT_EQ(CKSTChannel::kEquidistant, channels.GetAt(1)->GetTimeBaseType());
    EXPECT_EQ(0.5, channels.GetAt(1)->GetDt());

    CKSTDataSet dataSet;
    ASSERT_EQ(KST_OK, ReadFile(dataSet));
    const CKSTChannel& x = *dataSet.GetChannels().GetAt(0);
    const CKSTChannel& y = *dataSet.GetChannels().GetAt(1);
    ASSERT_EQ(4u, x.GetCount());
    const double xs[] = {10.0, 20.0, 30.0, 40.0};
    const double ys[] = {-0.0, -0.5, -1.0, -1.5};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(xs[i], x.GetValue(i)) << i;
        EXPECT_EQ(ys[i], y.GetValue(i)) << i;
    }
}

TEST_F(RecordFileTest, WritesNothingItCannotStore)
{
    CKSTChannel backwards;
    backwards.AppendTimeValue(1.0, 1.0);
    backwards.AppendTimeValue(0.5, 2.0);
    struct Case {
        const char* name;
        std::vector<CKSTChannel> channels;
        int result;
    };
    const Case cases[] = {
        {"empty list", {}, KST_OK},
        {"first channel not ascending", {backwards}, KST_ERR_CHANNEL_KIND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTChannelList channels;
        for (const CKSTChannel& channel : c.channels) {
            channels.AddCopy(channel);
        }
        EXPECT_EQ(c.result, WriteFile(channels));
        EXPECT_EQ("", ReadBytes(m_folder.Native("rec.bbl")));
    }

    CKSTChannelList one;
    one.AddCopy(Equidistant("U", "V", "", 0.0, 1.0, {1.0}));
    CKSTRecordFile file;
    EXPECT_EQ(KST_ERR_FILE_NOT_OPEN, file.WriteBinaryRecordFile(one));
    m_folder.WriteFile("existing.bbl", "x");
    ASSERT_EQ(KST_OK, file.OpenRead(m_folder.Path("existing.bbl")));
    EXPECT_EQ(KST_ERR_NOT_OPEN_FOR_WRITING, file.WriteBinaryRecordFile(one));
}

TEST_F(RecordFileTest, DamagedFilesAreRefused)
{
    const std::string good = WriteThreeChannels();
    const auto flipped = [&](size_t offset) {
        std::string bytes = good;
        bytes[offset] = static_cast<char>(bytes[offset] ^ 0x01);
        return bytes;
    };
    // A changed header whose checksum was made to match again: only the sizes can tell.
    const auto resealed = [&](size_t offset, uint32_t value) {
        std::string bytes = good;
        Put<uint32_t>(bytes, offset, value);
        CKSTString digest;
        Md5Hex(digest, bytes.data(), bytes.size() - 32);
        bytes.replace(bytes.size() - 32, 32, Text(digest));
        return bytes;
    };
    std::string shortRecord = good.substr(0, good.size() - 32 - 4);
    Put<uint32_t>(shortRecord, 23, static_cast<uint32_t>(shortRecord.size()));
    CKSTString digest;
    Md5Hex(digest, shortRecord.data(), shortRecord.size());
    shortRecord += Text(digest);

    struct Case {
        const char* name;
        std::string bytes;
        int result;
    };
    const Case cases[] = {
        {"byte of the start time", flipped(6), KST_ERR_CHECKSUM},
        {"byte of a name", flipped(63 + 27 + 3), KST_ERR_CHECKSUM},
        {"byte of a value", flipped(144 + 50 * 20 + 9), KST_ERR_CHECKSUM},
        {"byte of the checksum", flipped(good.size() - 1), KST_ERR_CHECKSUM},
        {"last byte cut off", good.substr(0, good.size() - 1), KST_ERR_BAD_HEADER},
        {"byte appended", good + "x", KST_ERR_BAD_HEADER},
        {"data size changed", flipped(23), KST_ERR_BAD_HEADER},
        {"header size resealed", resealed(0, 63 + 27 * 2), KST_ERR_BAD_HEADER},
        {"partial record resealed", shortRecord, KST_ERR_BAD_HEADER},
        {"shorter than a header", good.substr(0, 90), KST_ERR_BAD_HEADER},
        {"empty file", "", KST_ERR_BAD_HEADER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_folder.WriteFile("damaged.bbl", c.bytes);
        CKSTDataSet dataSet;
        EXPECT_EQ(c.result, ReadFile(dataSet, "damaged.bbl"));
        EXPECT_EQ(0, dataSet.GetChannels().GetCount());
    }
}

TEST_F(RecordFileTest, RoundTripInMemory)
{
    CKSTDataSet source;
    source.GetChannels().AddCopy(Equidistant("U", "V", "", 0.0, 0.125, {1.0, -1.0, 0.5}));
    CKSTRecordFile writer;
    ASSERT_EQ(KST_OK, writer.OpenMemoryWrite());
    ASSERT_EQ(KST_OK, writer.WriteBinaryRecordFile(source));
    CKSTMemBuffer image;
    writer.GetMemory(image);
    EXPECT_EQ(63u + 27 + 3 * 12 + 32, image.GetSize());

    CKSTRecordFile reader;
    reader.SetMemory(image);
    ASSERT_EQ(KST_OK, reader.OpenMemoryRead());
    CKSTDataSet loaded;
    ASSERT_EQ(KST_OK, reader.Read(loaded));
    ASSERT_EQ(1, loaded.GetChannels().GetCount());
    const CKSTChannel& c = *loaded.GetChannels().GetAt(0);
    EXPECT_EQ(0.125, c.GetDt());
    EXPECT_EQ(-1.0, c.GetValue(1));
}

}  // namespace
