#include "formats/UdbfFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "data/DataSet.h"
#include "data/MeasurementFile.h"
#include "formats/FormatFactory.h"
#include "formats/SplitDecodeSupport.h"
#include "foundation/ErrorCodes.h"
#include "support/ChannelBuilders.h"
#include "support/TempFolder.h"

namespace {

std::string Text(const CKSTString& s)
{
    return std::string(s.c_str(), static_cast<size_t>(s.GetLength()));
}

// Fields in a chosen byte order.
class Bytes {
public:
    explicit Bytes(bool bigEndian) : m_big(bigEndian) {}
    template <class T>
    Bytes& Put(T value)
    {
        char raw[sizeof(T)];
        std::memcpy(raw, &value, sizeof(T));
        if (m_big) {
            std::reverse(raw, raw + sizeof(T));
        }
        m_bytes.append(raw, sizeof(T));
        return *this;
    }
    // u16 length counting the terminating zero.
    Bytes& String(const std::string& text)
    {
        Put<uint16_t>(static_cast<uint16_t>(text.size() + 1));
        m_bytes += text;
        m_bytes += '\0';
        return *this;
    }
    Bytes& Raw(const std::string& bytes)
    {
        m_bytes += bytes;
        return *this;
    }
    const std::string& Str() const { return m_bytes; }

private:
    bool m_big;
    std::string m_bytes;
};

struct Variable {
    std::string name;
    uint16_t type = 8;
    uint16_t direction = 0;
    std::string unit;
};

struct Header {
    bool big = true;
    uint16_t version = 107;
    uint16_t timeType = 7;
    double dayFactor = 1.0;
    double secondFactor = 0.001;
    double start = 0.0;
    double rate = 1000.0;
    std::vector<Variable> variables;
    char padding = '*';
};

std::string HeaderBytes(const Header& h, bool padded)
{
    Bytes b(h.big);
    b.Put<uint8_t>(h.big ? 1 : 0).Put<uint16_t>(h.version);
    if (h.version >= 106) {
        b.String("vendor");
    }
    b.Put<uint8_t>(0).Put<uint16_t>(3).Raw("abc").Put<double>(h.dayFactor);
    if (h.version >= 107) {
        b.Put<uint16_t>(h.timeType);
    }
    b.Put<double>(h.secondFactor).Put<double>(h.start).Put<double>(h.rate);
    b.Put<uint16_t>(static_cast<uint16_t>(h.variables.size()));
    for (const Variable& v : h.variables) {
        b.String(v.name).Put<uint16_t>(v.direction).Put<uint16_t>(v.type).Put<uint16_t>(8);
        b.Put<uint16_t>(2);
        if (h.version >= 105) {
            b.String(v.unit);
        }
        b.Put<uint16_t>(2).Raw("xy");
    }
    std::string bytes = b.Str();
    if (padded) {
        // At least 8 bytes, up to a multiple of 16.
        const size_t end = (bytes.size() + 8 + 15) / 16 * 16;
        bytes.append(end - bytes.size(), h.padding);
    }
    return bytes;
}

CKSTMemBuffer Buffer(const std::string& bytes)
{
    CKSTMemBuffer buffer;
    if (!bytes.empty()) {
        buffer.Write(bytes.data(), 1, static_cast<uint32_t>(bytes.size()));
    }
    buffer.SetPosition(0);
    return buffer;
}

int ReadImage(const std::string& bytes, CKSTDataSet& set, CKSTUdbfFile* file = nullptr)
{
    CKSTUdbfFile own;
    CKSTUdbfFile& reader = file != nullptr ? *file : own;
    const int result = reader.SetMemory(Buffer(bytes));
    return result != KST_OK ? result : reader.Read(set, nullptr, false);
}

std::string ImageOf(const CKSTChannelList& channels, bool bigEndian)
{
    CKSTUdbfFile writer(bigEndian);
    EXPECT_EQ(writer.OpenMemoryWrite(), KST_OK);
    EXPECT_EQ(writer.WriteChannels(channels), KST_OK);
    CKSTMemBuffer image;
    EXPECT_EQ(writer.GetMemory(image), KST_OK);
    return std::string(reinterpret_cast<const char*>(image.GetData()), image.GetSize());
}

std::vector<double> Values(const CKSTChannel& c)
{
    return kst_test::Values(c);
}

TEST(UdbfFileTest, TypeSizes)
{
    const uint32_t expected[] = {0, 1, 1, 1, 2, 2, 4, 4, 4, 1, 2, 4, 8, 8, 8, 8, 0};
    for (uint16_t type = 0; type <= 16; ++type) {
        EXPECT_EQ(CKSTUdbfFile::UdbfTypeSize(type), expected[type]) << type;
    }
    EXPECT_EQ(CKSTUdbfFile::UdbfTypeSize(0xFFFF), 0u);
}

// A 16-bit and a float variable with 32-bit stamps, and an output-only variable that takes no
// room in a record.
std::string VersionImage(uint16_t version, bool big, uint32_t n)
{
    Header h;
    h.big = big;
    h.version = version;
    h.variables = {{"a", 4, 0, "V"}, {"out", 12, 1, "x"}, {"b", 8, 2, "A"}};
    Bytes records(big);
    for (uint32_t i = 0; i < n; ++i) {
        records.Put<uint32_t>(1000 + 10 * i).Put<int16_t>(static_cast<int16_t>(-5 + i));
        records.Put<float>(0.5f * static_cast<float>(i));
    }
    return HeaderBytes(h, true) + records.Str();
}

// Every version in both byte orders.
TEST(UdbfFileTest, VersionsAndByteOrders)
{
    for (uint16_t version = 102; version <= 107; ++version) {
        for (bool big : {true, false}) {
            SCOPED_TRACE(std::to_string(version) + (big ? " big" : " little"));
            CKSTUdbfFile file;
            CKSTDataSet set;
            ASSERT_EQ(ReadImage(VersionImage(version, big, 3), set, &file), KST_OK);
            EXPECT_EQ(file.GetVersion(), version);
            EXPECT_EQ(file.IsBigEndian(), big);
            EXPECT_EQ(file.GetType(), big ? KST_FILE_UDBF_BIG : KST_FILE_UDBF_LITTLE);
            EXPECT_EQ(file.GetRecordSize(), 4u + 2u + 4u);
            const CKSTChannelList& channels = set.GetChannels();
            ASSERT_EQ(channels.GetCount(), 2);
            EXPECT_EQ(Text(channels.GetAt(0)->GetName()), "a");
            EXPECT_EQ(Text(channels.GetAt(0)->GetUnit()), version >= 105 ? "V" : "");
            EXPECT_EQ(Values(*channels.GetAt(0)), (std::vector<double>{-5, -4, -3}));
            EXPECT_EQ(Values(*channels.GetAt(1)), (std::vector<double>{0, 0.5, 1.0}));
            EXPECT_EQ(channels.GetAt(0)->GetSampleType(), 2);
            EXPECT_EQ(channels.GetAt(1)->GetSampleType(), 4);
            EXPECT_EQ(channels.GetAt(0)->GetTimeBaseType(), CKSTChannel::kEquidistant);
            EXPECT_NEAR(channels.GetAt(0)->GetDt(), 0.01, 1e-12);
        }
    }
}

TEST(UdbfFileTest, VariableInfoAndChannelDescriptions)
{
    Header h;
    h.start = 44000.5;
    h.variables = {{"a", 4, 0, "V"}, {"out", 12, 1, ""}, {"b", 13, 0, "A"}};
    CKSTUdbfFile file;
    ASSERT_EQ(file.SetMemory(Buffer(HeaderBytes(h, true))), KST_OK);
    int count = 0;
    ASSERT_EQ(file.GetVariableCount(count), KST_OK);
    EXPECT_EQ(count, 3);
    CKSTString name, unit;
    uint16_t direction = 0, type = 0, precision = 0;
    ASSERT_EQ(file.GetVariableInfo(1, name, unit, direction, type, precision), KST_OK);
    EXPECT_EQ(Text(name), "out");
    EXPECT_EQ(direction, 1);
    EXPECT_EQ(type, 12);
    EXPECT_EQ(precision, 2);
    EXPECT_EQ(file.GetVariableInfo(3, name, unit, direction, type, precision),
              KST_ERR_VARIABLE_INDEX);

    CKSTChannelList channels;
    ASSERT_EQ(file.ReadChannelInfo(channels), KST_OK);
    ASSERT_EQ(channels.GetCount(), 2);
    EXPECT_EQ(Text(channels.GetAt(1)->GetName()), "b");
    EXPECT_EQ(channels.GetAt(1)->GetSampleType(), 6);
    EXPECT_EQ(channels.GetAt(1)->GetCount(), 0u);
    EXPECT_EQ(channels.GetAt(0)->GetStartTimeStamp(), CKSTTimeStamp(2020, 6, 18, 12, 0, 0.0));
}

TEST(UdbfFileTest, ThirtyTwoBitCounterWrapAddsOneTurnOfTheCounter)
{
    Header h;
    h.rate = 1.0 / 0.256;
    h.variables = {{"v", 12, 0, ""}};
    Bytes records(true);
    const uint32_t counts[] = {0xFFFFFF00u, 0x00000000u, 0x00000100u};
    for (int i = 0; i < 3; ++i) {
        records.Put<uint32_t>(counts[i]).Put<double>(i);
    }
    CKSTDataSet set;
    ASSERT_EQ(ReadImage(HeaderBytes(h, true) + records.Str(), set), KST_OK);
    const CKSTChannel& channel = *set.GetChannels().GetAt(0);
    EXPECT_EQ(channel.GetTimeBaseType(), CKSTChannel::kEquidistant);
    EXPECT_NEAR(channel.GetDt(), 0.256, 1e-9);
    EXPECT_EQ(channel.GetCount(), 3u);

    // A 64-bit counter has no wrap there: a falling count stays a step back in time.
    h.timeType = 13;
    Bytes wide(true);
    wide.Put<int64_t>(0xF0000000LL).Put<double>(0).Put<int64_t>(0x10000000LL).Put<double>(1);
    CKSTDataSet wideSet;
    ASSERT_EQ(ReadImage(HeaderBytes(h, true) + wide.Str(), wideSet), KST_OK);
    const CKSTChannel& back = *wideSet.GetChannels().GetAt(0);
    ASSERT_EQ(back.GetCount(), 2u);
    EXPECT_NEAR(back.GetTimeAt(1) - back.GetTimeAt(0), (0x10000000 - 0xF0000000LL) * 0.001, 1e-6);
}

// More records than one read block: stamps on the grid give equidistant channels, and a
// jump of the stamps in either block turns both channels into time vectors from there on,
// every sample kept with its time.
constexpr uint32_t kJumpRecords = 30000;

// A float and a 16-bit variable with 32-bit stamps a millisecond apart, from jumpAt on 5 ms
// later.
std::string JumpImage(uint32_t jumpAt)
{
    Header h;
    h.variables = {{"f", 8, 0, ""}, {"i", 4, 0, ""}};
    Bytes records(true);
    for (uint32_t i = 0; i < kJumpRecords; ++i) {
        records.Put<uint32_t>(i >= jumpAt ? i + 5 : i);
        records.Put<float>(static_cast<float>(i) * 0.25f).Put<int16_t>(static_cast<int16_t>(i));
    }
    return HeaderBytes(h, true) + records.Str();
}

TEST(UdbfFileTest, StampsOffTheGridInAnyBlockGiveTimeVectors)
{
    constexpr uint32_t kRecords = kJumpRecords;
    constexpr uint32_t kNoJump = kRecords;
    for (uint32_t jumpAt : {kNoJump, 100u, 28000u}) {
        SCOPED_TRACE(jumpAt);
        CKSTDataSet set;
        ASSERT_EQ(ReadImage(JumpImage(jumpAt), set), KST_OK);
        ASSERT_EQ(set.GetChannels().GetCount(), 2);
        for (int c = 0; c < 2; ++c) {
            const CKSTChannel& channel = *set.GetChannels().GetAt(c);
            ASSERT_EQ(channel.GetCount(), kRecords);
            EXPECT_EQ(channel.GetTimeBaseType(),
                      jumpAt == kNoJump ? CKSTChannel::kEquidistant : CKSTChannel::kTimeVector);
            for (uint32_t i = 0; i < kRecords; ++i) {
                ASSERT_EQ(channel.GetValue(i), c == 0 ? i * 0.25 : static_cast<int16_t>(i)) << i;
                ASSERT_NEAR(channel.GetTimeAt(i), (i >= jumpAt ? i + 5 : i) * 0.001, 1e-9) << i;
            }
        }
    }
}

TEST(UdbfFileTest, FileWithoutTimeStampsCountsBySampleRate)
{
    Header h;
    h.secondFactor = 0.0;
    h.rate = 100.0;
    h.variables = {{"v", 5, 0, ""}};
    Bytes records(true);
    records.Put<uint16_t>(7).Put<uint16_t>(8).Put<uint16_t>(65535);
    CKSTDataSet set;
    ASSERT_EQ(ReadImage(HeaderBytes(h, true) + records.Str(), set), KST_OK);
    const CKSTChannel& channel = *set.GetChannels().GetAt(0);
    EXPECT_EQ(Values(channel), (std::vector<double>{7, 8, 65535}));
    EXPECT_EQ(channel.GetTimeBaseType(), CKSTChannel::kEquidistant);
    EXPECT_NEAR(channel.GetDt(), 0.01, 1e-12);
    EXPECT_DOUBLE_EQ(channel.GetT0(), 0.0);
}

TEST(UdbfFileTest, RecordsStartAfterThePaddingWhateverItHolds)
{
    Header h;
    h.padding = '\0';
    h.secondFactor = 0.0;
    h.variables = {{"v", 3, 0, ""}};
    CKSTDataSet set;
    ASSERT_EQ(ReadImage(HeaderBytes(h, true) + "\x05\x06", set), KST_OK);
    EXPECT_EQ(Values(*set.GetChannels().GetAt(0)), (std::vector<double>{5, 6}));
}

CKSTChannelList& SampleChannels(CKSTDataSet& set)
{
    CKSTChannelList& channels = set.GetChannels();
    CKSTChannel* a = channels.GetAt(channels.AddCopy(
        kst_test::Equidistant(0.0, 0.002, {std::sqrt(2.0), -1e300, 0.0, 12345.678901234})));
    a->SetName("Pr\xE4ssure");
    a->SetUnit("\xB0" "C");
    a->SetStartTimeStamp(CKSTTimeStamp(2023, 4, 5, 6, 7, 8.123457));
    CKSTChannel* b = channels.GetAt(channels.AddCopy(*a));
    b->SetName("");
    b->SetUnit("");
    b->SetSampleType(4);
    return channels;
}

TEST(UdbfFileTest, RoundTripOfNamesUnitsValuesAndStartInBothByteOrders)
{
    for (bool big : {true, false}) {
        SCOPED_TRACE(big);
        CKSTDataSet set;
        const CKSTChannelList& written = SampleChannels(set);
        CKSTUdbfFile reader;
        CKSTDataSet back;
        const std::string image = ImageOf(written, big);
        ASSERT_EQ(ReadImage(image, back, &reader), KST_OK);
        EXPECT_EQ(reader.IsBigEndian(), big);
        ASSERT_EQ(back.GetChannels().GetCount(), 2);
        const CKSTChannel& a = *back.GetChannels().GetAt(0);
        const CKSTChannel& b = *back.GetChannels().GetAt(1);
        EXPECT_EQ(Text(a.GetName()), "Pr\xE4ssure");
        EXPECT_EQ(Text(a.GetUnit()), "\xB0" "C");
        EXPECT_EQ(Text(b.GetName()), "");
        EXPECT_EQ(Values(a), Values(*written.GetAt(0)));
        for (uint32_t i = 0; i < b.GetCount(); ++i) {
            const double v = std::clamp<double>(written.GetAt(1)->GetValues()[i],
                                                -3.4028234663852886e38, 3.4028234663852886e38);
            EXPECT_EQ(b.GetValues()[i], static_cast<double>(static_cast<float>(v))) << i;
        }
        EXPECT_EQ(b.GetSampleType(), 4);
        EXPECT_EQ(a.GetTimeBaseType(), CKSTChannel::kEquidistant);
        EXPECT_NEAR(a.GetDt(), 0.002, 1e-9);
        const CKSTTimeStamp expected = written.GetAt(0)->GetStartTimeStamp();
        EXPECT_NEAR((a.GetStartTimeStamp() - expected).GetSeconds(), 0.0, 1e-6);
        EXPECT_EQ(a.GetStartTimeStamp().GetYear(), 2023);
        // Header and padding end on a multiple of 16 with at least 8 '*'.
        const size_t firstRecord = image.size() - 4 * (8 + 8 + 4);
        EXPECT_EQ(firstRecord % 16, 0u);
        EXPECT_EQ(image.substr(firstRecord - 8, 8), std::string(8, '*'));
    }
}

TEST(UdbfFileTest, MemoryBlocksDecodeAsTheFileDoes)
{
    CKSTDataSet set;
    const CKSTChannelList& written = SampleChannels(set);
    TempFolder folder;
    const std::string image = ImageOf(written, true);
    folder.WriteFile("data.dat", image);

    CKSTUdbfFile fromFile;
    ASSERT_EQ(fromFile.Open(folder.Path("data.dat")), KST_OK);
    EXPECT_FALSE(fromFile.IsPaired());
    CKSTDataSet fileSet;
    ASSERT_EQ(fromFile.Read(fileSet, nullptr, false), KST_OK);

    CKSTUdbfFile pairWriter(true);
    ASSERT_EQ(pairWriter.OpenMemoryWrite(true), KST_OK);
    ASSERT_EQ(pairWriter.WriteChannels(written), KST_OK);
    CKSTMemBuffer description, data;
    pairWriter.GetDescriptionMemory(description);
    ASSERT_EQ(pairWriter.GetMemory(data), KST_OK);
    CKSTUdbfFile blocks;
    ASSERT_EQ(blocks.SetDescriptionMemory(description), KST_OK);
    ASSERT_EQ(blocks.SetDataMemory(data), KST_OK);
    CKSTChannelList decoded;
    double firstTime = 0.0;
    int64_t rawOrigin = 0;
    ASSERT_EQ(blocks.ReadData(decoded, nullptr, 16, &firstTime, &rawOrigin, false, -1.0, 0),
              KST_OK);

    ASSERT_EQ(decoded.GetCount(), fileSet.GetChannels().GetCount());
    for (int i = 0; i < decoded.GetCount(); ++i) {
        const CKSTChannel& a = *decoded.GetAt(i);
        const CKSTChannel& b = *fileSet.GetChannels().GetAt(i);
        EXPECT_EQ(Text(a.GetName()), Text(b.GetName()));
        EXPECT_EQ(Values(a), Values(b));
        EXPECT_EQ(a.GetStartTimeStamp(), b.GetStartTimeStamp());
        EXPECT_EQ(a.GetDt(), b.GetDt());
    }
    EXPECT_GT(firstTime, 45000.0);
}

// The controller client's way: one description, then data blocks one after the other through the
// same object. Each block decodes to its own records, whatever the size of the one before; blocks
// appended to the same channels with the first stamp as reference continue their grid, until a
// gap in the stamps makes them time vectors.
TEST(UdbfFileTest, ConsecutiveDataBlocks)
{
    Header h;
    h.big = false;
    h.variables = {{"a", 4, 0, ""}, {"b", 8, 0, ""}};
    auto block = [&](uint32_t from, uint32_t to, uint32_t skip = 0) {
        Bytes records(false);
        for (uint32_t i = from; i < to; ++i) {
            records.Put<uint32_t>(1000 + i + skip).Put<int16_t>(static_cast<int16_t>(3 * i));
            records.Put<float>(0.5f * static_cast<float>(i));
        }
        return Buffer(records.Str());
    };
    CKSTUdbfFile blocks;
    ASSERT_EQ(blocks.SetDescriptionMemory(Buffer(HeaderBytes(h, false))), KST_OK);
    for (uint32_t records : {10u, 7u, 3u, 10u, 0u}) {
        SCOPED_TRACE(records);
        ASSERT_EQ(blocks.SetDataMemory(block(0, records)), KST_OK);
        CKSTChannelList decoded;
        ASSERT_EQ(blocks.ReadData(decoded, nullptr, 16, nullptr, nullptr, false, -1.0, 0), KST_OK);
        ASSERT_EQ(decoded.GetCount(), 2);
        std::vector<double> expected;
        for (uint32_t i = 0; i < records; ++i) {
            expected.push_back(3.0 * i);
        }
        EXPECT_EQ(Values(*decoded.GetAt(0)), expected);
    }

    ASSERT_EQ(blocks.SetDataMemory(block(0, 5)), KST_OK);
    CKSTChannelList channels;
    double firstTime = 0.0;
    int64_t rawOrigin = 0;
    ASSERT_EQ(blocks.ReadData(channels, nullptr, 16, &firstTime, &rawOrigin, false, -1.0, 1000),
              KST_OK);
    EXPECT_EQ(firstTime, 1000.0);
    EXPECT_EQ(rawOrigin, 1000);
    const std::vector<CKSTChannel*> targets = {channels.GetAt(0), channels.GetAt(1)};
    for (const auto& next : {std::pair<uint32_t, uint32_t>{5, 12}, {12, 15}}) {
        ASSERT_EQ(blocks.SetDataMemory(block(next.first, next.second)), KST_OK);
        ASSERT_EQ(blocks.AppendRecords(targets, &firstTime, nullptr, -1.0, 1000), KST_OK);
        EXPECT_EQ(firstTime, 1000.0 + next.first);
    }
    for (const CKSTChannel* channel : targets) {
        EXPECT_EQ(channel->GetTimeBaseType(), CKSTChannel::kEquidistant);
        EXPECT_EQ(channel->GetCount(), 15u);
        EXPECT_DOUBLE_EQ(channel->GetT0(), 0.0);
        EXPECT_NEAR(channel->GetDt(), 0.001, 1e-12);
    }
    EXPECT_EQ(targets[1]->GetValues()[14], 7.0);

    // Stamps 5 ms later than the grid has them.
    ASSERT_EQ(blocks.SetDataMemory(block(15, 17, 5)), KST_OK);
    ASSERT_EQ(blocks.AppendRecords(targets, nullptr, nullptr, -1.0, 1000), KST_OK);
    const CKSTChannel& a = *targets[0];
    EXPECT_EQ(a.GetTimeBaseType(), CKSTChannel::kTimeVector);
    ASSERT_EQ(a.GetCount(), 17u);
    EXPECT_NEAR(a.GetTimeAt(14), 0.014, 1e-9);
    EXPECT_NEAR(a.GetTimeAt(15), 0.020, 1e-9);
    EXPECT_EQ(a.GetValue(16), 48.0);
}

TEST(UdbfFileTest, SelectionLeavesOutUnselectedVariables)
{
    CKSTDataSet set;
    CKSTChannelList& written = SampleChannels(set);
    written.GetAt(1)->SetName("second");
    CKSTChannelList selection;
    selection.AddCopy(*written.GetAt(0));
    selection.AddCopy(*written.GetAt(1));
    selection.GetAt(0)->SetSelected(false);
    selection.GetAt(1)->SetSelected(true);
    CKSTUdbfFile reader;
    ASSERT_EQ(reader.SetMemory(Buffer(ImageOf(written, false))), KST_OK);
    CKSTDataSet back;
    ASSERT_EQ(reader.Read(back, &selection, false), KST_OK);
    ASSERT_EQ(back.GetChannels().GetCount(), 1);
    EXPECT_EQ(Text(back.GetChannels().GetAt(0)->GetName()), "second");
    EXPECT_TRUE(CKSTUdbfFile::IsChannelWanted(nullptr, "any"));
    EXPECT_FALSE(CKSTUdbfFile::IsChannelWanted(&selection, "absent"));
}

TEST(UdbfFileTest, DataAndDescriptionFilesArePairedByName)
{
    CKSTDataSet set;
    const CKSTChannelList& written = SampleChannels(set);
    CKSTUdbfFile pairWriter(false);
    ASSERT_EQ(pairWriter.OpenMemoryWrite(true), KST_OK);
    ASSERT_EQ(pairWriter.WriteChannels(written), KST_OK);
    CKSTMemBuffer description, data;
    pairWriter.GetDescriptionMemory(description);
    EXPECT_EQ(pairWriter.GetMemory(data), KST_OK);
    TempFolder folder;
    folder.WriteFile("bufdes_001.dat",
                     std::string(reinterpret_cast<const char*>(description.GetData()),
                                 description.GetSize()));
    folder.WriteFile("buffer_001.dat",
                     std::string(reinterpret_cast<const char*>(data.GetData()), data.GetSize()));

    for (const char* name : {"buffer_001.dat", "bufdes_001.dat"}) {
        SCOPED_TRACE(name);
        CKSTUdbfFile file;
        ASSERT_EQ(file.Open(folder.Path(name)), KST_OK);
        EXPECT_TRUE(file.IsPaired());
        CKSTDataSet back;
        ASSERT_EQ(file.Read(back, nullptr, false), KST_OK);
        ASSERT_EQ(back.GetChannels().GetCount(), 2);
        EXPECT_EQ(Values(*back.GetChannels().GetAt(0)), Values(*written.GetAt(0)));
    }
    // A data file whose description is missing is taken as a combined file.
    folder.WriteFile("buff_2.dat", ImageOf(written, true));
    CKSTUdbfFile alone;
    ASSERT_EQ(alone.Open(folder.Path("buff_2.dat")), KST_OK);
    EXPECT_FALSE(alone.IsPaired());
}

// Every version in both byte orders, stamps leaving the grid early, late or never, a 32-bit
// counter that wraps, records without stamps, written files, and data blocks decoded as the
// controller client does with and without a reference: the same channels whether the records
// are decoded on one thread or split over several.
TEST(UdbfFileTest, SplitDecodingGivesTheSameChannels)
{
    struct Case {
        std::string what;
        std::string bytes;
    };
    std::vector<Case> cases;
    for (uint16_t version = 102; version <= 107; ++version) {
        for (bool big : {true, false}) {
            cases.push_back({"version " + std::to_string(version) + (big ? " big" : " little"),
                             VersionImage(version, big, 5001)});
        }
    }
    for (uint32_t jumpAt : {kJumpRecords, 100u, 28000u}) {
        cases.push_back({"jump at " + std::to_string(jumpAt), JumpImage(jumpAt)});
    }
    Header wrap;
    wrap.variables = {{"v", 12, 0, ""}, {"w", 5, 0, ""}};
    Bytes wrapRecords(true);
    for (uint32_t i = 0; i < 20000; ++i) {
        wrapRecords.Put<uint32_t>(0xFFFFC000u + i).Put<double>(i * 0.5).Put<uint16_t>(i);
    }
    cases.push_back({"counter wrap", HeaderBytes(wrap, true) + wrapRecords.Str()});
    Header plain;
    plain.big = false;
    plain.secondFactor = 0.0;
    plain.rate = 100.0;
    plain.variables = {{"u", 5, 0, ""}, {"i", 6, 0, ""}, {"d", 12, 0, ""}, {"c", 2, 0, ""}};
    Bytes plainRecords(false);
    for (uint32_t i = 0; i < 20000; ++i) {
        plainRecords.Put<uint16_t>(i).Put<int32_t>(-static_cast<int32_t>(i) * 3);
        plainRecords.Put<double>(i * 0.125).Put<int8_t>(static_cast<int8_t>(i));
    }
    cases.push_back({"no stamps", HeaderBytes(plain, true) + plainRecords.Str()});
    CKSTDataSet written;
    const CKSTChannelList& samples = SampleChannels(written);
    for (bool big : {true, false}) {
        cases.push_back({big ? "written big" : "written little", ImageOf(samples, big)});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kst_test::ExpectSameSplitOrNot<CKSTUdbfFile>(
            std::vector<uint8_t>(c.bytes.begin(), c.bytes.end()), "split.dat");
    }

    CKSTUdbfFile pairWriter(true);
    ASSERT_EQ(pairWriter.OpenMemoryWrite(true), KST_OK);
    ASSERT_EQ(pairWriter.WriteChannels(samples), KST_OK);
    CKSTMemBuffer description, data;
    pairWriter.GetDescriptionMemory(description);
    ASSERT_EQ(pairWriter.GetMemory(data), KST_OK);
    for (bool referenced : {false, true}) {
        for (bool keepTimeVectors : {false, true}) {
            SCOPED_TRACE(std::string("blocks") + (referenced ? ", referenced" : "") +
                         (keepTimeVectors ? ", time vectors" : ""));
            kst_test::ExpectSameSplitOrNot([&](CKSTDataSet& set) {
                CKSTUdbfFile blocks;
                int result = blocks.SetDescriptionMemory(description);
                if (result == KST_OK)
                    result = blocks.SetDataMemory(data);
                double firstTime = 0.0;
                int64_t rawOrigin = 0;
                return result != KST_OK
                           ? result
                           : blocks.ReadData(set.GetChannels(), nullptr, 16, &firstTime, &rawOrigin,
                                             keepTimeVectors, referenced ? 45000.0 : -1.0,
                                             referenced ? 7 : 0);
            });
        }
    }
}

TEST(UdbfFileTest, WriterRefusesColumnsOfAnotherLengthOrTimeBase)
{
    CKSTChannelList channels;
    channels.AddCopy(kst_test::Equidistant(0.0, 1.0, {1, 2, 3}));
    channels.AddCopy(kst_test::Equidistant(0.0, 1.0, {1, 2}));
    CKSTUdbfFile writer;
    ASSERT_EQ(writer.OpenMemoryWrite(), KST_OK);
    EXPECT_EQ(writer.WriteChannels(channels), KST_ERR_CHANNEL_KIND);

    CKSTChannelList grids;
    grids.AddCopy(kst_test::Equidistant(0.0, 1.0, {1, 2, 3}));
    grids.AddCopy(kst_test::Equidistant(0.0, 0.5, {1, 2, 3}));
    ASSERT_EQ(writer.OpenMemoryWrite(), KST_OK);
    EXPECT_EQ(writer.WriteChannels(grids), KST_ERR_CHANNEL_KIND);
}

TEST(UdbfFileTest, WriterConvertsCopiesOfTimeVectors)
{
    CKSTChannelList channels;
    channels.AddCopy(kst_test::TimeVector({0.0, 0.5, 1.0}, {1, 2, 3}));
    CKSTDataSet back;
    ASSERT_EQ(ReadImage(ImageOf(channels, true), back), KST_OK);
    EXPECT_EQ(channels.GetAt(0)->GetTimeBaseType(), CKSTChannel::kTimeVector);
    EXPECT_EQ(Values(*back.GetChannels().GetAt(0)), (std::vector<double>{1, 2, 3}));
    EXPECT_NEAR(back.GetChannels().GetAt(0)->GetDt(), 0.5, 1e-9);

    CKSTChannelList irregular;
    irregular.AddCopy(kst_test::TimeVector({0.0, 0.5, 3.0}, {1, 2, 3}));
    CKSTUdbfFile writer;
    ASSERT_EQ(writer.OpenMemoryWrite(), KST_OK);
    EXPECT_EQ(writer.WriteChannels(irregular), KST_ERR_CHANNEL_KIND);
}

TEST(UdbfFileTest, HostileHeadersAreRefused)
{
    Header plain;
    plain.variables = {{"v", 8, 0, ""}};
    auto with = [&](auto change) {
        Header h = plain;
        change(h);
        return HeaderBytes(h, true);
    };
    const std::string good = HeaderBytes(plain, true);
    struct Case {
        const char* name;
        std::string bytes;
        int open;
        int read;
    };
    const Case cases[] = {
        {"empty image", "", KST_ERR_SHORT_HEADER, 0},
        {"version 101", with([](Header& h) { h.version = 101; }), KST_ERR_BAD_VERSION, 0},
        {"version 108", with([](Header& h) { h.version = 108; }), KST_ERR_BAD_VERSION, 0},
        {"cut inside the header", good.substr(0, 40), KST_ERR_SHORT_HEADER, 0},
        {"cut inside a name", good.substr(0, good.find('v') + 1), KST_ERR_SHORT_HEADER, 0},
        {"unknown type of an input", with([](Header& h) { h.variables[0].type = 16; }),
         KST_ERR_BAD_DATA_TYPE, 0},
        {"unknown time type", with([](Header& h) { h.timeType = 0; }), KST_ERR_BAD_DATA_TYPE, 0},
        {"padding missing", HeaderBytes(plain, false), KST_ERR_BAD_HEADER, 0},
        {"unknown type of an output only", with([](Header& h) {
             h.variables.push_back({"o", 99, 1, ""});
         }),
         KST_OK, KST_OK},
        {"no variable and no stamps: records of 0 bytes", with([](Header& h) {
             h.variables[0].direction = 1;
             h.secondFactor = 0.0;
         }),
         KST_OK, KST_ERR_BAD_HEADER},
        {"no variables", with([](Header& h) { h.variables.clear(); }), KST_OK,
         KST_ERR_BAD_HEADER},
        {"many variables declared, none there",
         HeaderBytes(plain, false).substr(0, HeaderBytes(plain, false).size() - 20) + "\xFF\xFF",
         KST_ERR_SHORT_HEADER, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTUdbfFile file;
        const int open = file.SetMemory(Buffer(c.bytes));
        EXPECT_EQ(open, c.open);
        if (open == KST_OK) {
            CKSTDataSet set;
            EXPECT_EQ(file.Read(set, nullptr, false), c.read);
        } else {
            EXPECT_EQ(file.GetVersion(), 170);
        }
    }
}

TEST(UdbfFileTest, EmptyStringsAndACutMultiByteCharacterAreSafe)
{
    Header h;
    h.secondFactor = 0.0;
    h.variables = {{"", 3, 0, ""}, {"end\xC3", 3, 0, "\xC3\xA4"}};
    Bytes zeroLength(true);
    std::string bytes = HeaderBytes(h, true) + "\x01\x02";
    CKSTDataSet set;
    ASSERT_EQ(ReadImage(bytes, set), KST_OK);
    ASSERT_EQ(set.GetChannels().GetCount(), 2);
    EXPECT_EQ(Text(set.GetChannels().GetAt(0)->GetName()), "");
    EXPECT_EQ(Text(set.GetChannels().GetAt(1)->GetName()), "end\xC3");
    EXPECT_EQ(Text(set.GetChannels().GetAt(1)->GetUnit()), "\xE4");
}

TEST(UdbfFileTest, FileThroughTheMeasurementFileObject)
{
    KstInstallFormats();
    TempFolder folder;
    CKSTDataSet set;
    SampleChannels(set);
    CKSTMeasurementFile out;
    ASSERT_EQ(out.OpenWrite(folder.Path("u.dat"), KST_FILE_UDBF_LITTLE), KST_OK);
    ASSERT_EQ(out.WriteDataSet(set), KST_OK);
    ASSERT_EQ(out.Close(), KST_OK);

    CKSTMeasurementFile in;
    ASSERT_EQ(in.Open(folder.Path("u.dat")), KST_OK);
    EXPECT_EQ(in.GetType(), KST_FILE_UDBF_BIG);
    CKSTDataSet back;
    ASSERT_EQ(in.ReadChannels(back), KST_OK);
    ASSERT_EQ(back.GetChannels().GetCount(), 2);

    std::ifstream stream(folder.Native("u.dat"), std::ios::binary);
    const std::string image((std::istreambuf_iterator<char>(stream)),
                            std::istreambuf_iterator<char>());
    EXPECT_EQ(image[0], '\0');
    const CKSTMemBuffer buffer = Buffer(image);
    CKSTMeasurementFile memory;
    ASSERT_EQ(memory.OpenMemory(CKSTMeasurementFile::DetectType(buffer)), KST_OK);
    ASSERT_EQ(memory.LoadFromMemory(buffer), KST_OK);
    EXPECT_EQ(memory.GetType(), KST_FILE_UDBF_LITTLE);
}

TEST(UdbfFileTest, WritesToAFullDeviceAreReported)
{
#ifdef _WIN32
    const CKSTString device = "Z:\\dev\\full";
#else
    const CKSTString device = "/dev/full";
#endif
    for (uint32_t samples : {3u, 100000u}) {
        SCOPED_TRACE(samples);
        CKSTUdbfFile file;
        if (file.OpenWrite(device) != KST_OK) {
            GTEST_SKIP() << "no always-full device reachable";
        }
        CKSTChannelList channels;
        channels.AddCopy(kst_test::Equidistant(0.0, 1.0, std::vector<double>(samples, 1.5)));
        const int written = file.WriteChannels(channels);
        // Also the bytes the C library still buffers: the writer pushes them out itself.
        EXPECT_EQ(written, KST_ERR_SHORT_TRANSFER);
        static_cast<void>(file.Close());  // the write has failed already
    }
}

}  // namespace
