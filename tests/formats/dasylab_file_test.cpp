#include "formats/DasylabFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "data/MeasurementFile.h"
#include "formats/FormatFactory.h"
#include "formats/FormatTestSupport.h"
#include "formats/SplitDecodeSupport.h"
#include "foundation/ErrorCodes.h"
#include "support/TempFolder.h"

using kst_test::Bytes;

namespace {

CKSTChannel& AddChannel(CKSTChannelList& list, const char* name, uint32_t n, double dt)
{
    CKSTChannel& channel = *list.GetAt(list.AddNew());
    channel.SetName(name);
    channel.SetDt(dt);
    channel.SetStartTimeStamp(CKSTTimeStamp(2019, 4, 5, 6, 7, 8));
    for (uint32_t k = 0; k < n; ++k) {
        channel.AppendValue(k * 0.5 - 3, false);
    }
    return channel;
}

std::vector<uint8_t> WriteImage(const CKSTChannelList& list, int* result = nullptr)
{
    CKSTDasylabFile file;
    EXPECT_EQ(file.OpenMemoryWrite(), KST_OK);
    const int written = file.WriteChannels(list, false);
    if (result != nullptr) {
        *result = written;
    } else {
        EXPECT_EQ(written, KST_OK);
    }
    CKSTMemBuffer buffer;
    EXPECT_EQ(file.GetMemory(buffer), KST_OK);
    return std::vector<uint8_t>(buffer.GetData(), buffer.GetData() + buffer.GetSize());
}

size_t FindDataBlock(const std::vector<uint8_t>& image)
{
    static const uint8_t kData[] = {'D', 'A', 'T', 'A', 18, 0};
    for (size_t i = 0; i + 6 <= image.size(); ++i) {
        if (std::memcmp(image.data() + i, kData, 6) == 0) {
            return i;
        }
    }
    return image.size();
}

// (channel index, value count) of every record in a written image.
std::vector<std::pair<int, int>> Records(const std::vector<uint8_t>& image)
{
    std::vector<std::pair<int, int>> records;
    size_t at = FindDataBlock(image) + 18;
    while (at + 4 <= image.size() && std::memcmp(image.data() + at, "DTDF", 4) != 0) {
        uint16_t index, n;
        std::memcpy(&index, image.data() + at, 2);
        std::memcpy(&n, image.data() + at + 18, 2);
        records.emplace_back(index, n);
        at += 20 + 4u * n;
    }
    EXPECT_EQ(at + 4, image.size());
    return records;
}

int ReadBack(const std::vector<uint8_t>& image, CKSTDataSet& dataSet)
{
    CKSTMemBuffer buffer;
    buffer.Write(image.data(), 1, static_cast<uint32_t>(image.size()));
    CKSTDasylabFile file;
    const int open = file.SetMemory(buffer);
    return open != KST_OK ? open : file.Read(dataSet, nullptr, false);
}

TEST(DasylabFileTest, RecordLayout)
{
    struct Case {
        std::vector<uint32_t> counts;
        std::vector<std::pair<int, int>> records;
    } cases[] = {
        {{1000, 1000}, {{0, 512}, {1, 512}, {0, 488}, {1, 488}}},
        {{100, 600}, {{0, 100}, {1, 512}, {0, 0}, {1, 88}}},
        {{1}, {{0, 1}}},
        {{513}, {{0, 512}, {0, 1}}},
        {{0, 3}, {{0, 0}, {1, 3}}},
    };
    for (const Case& c : cases) {
        CKSTChannelList list;
        for (uint32_t n : c.counts) {
            AddChannel(list, "x", n, 0.01);
        }
        EXPECT_EQ(Records(WriteImage(list)), c.records);
    }
}

TEST(DasylabFileTest, WrittenFileReadsBackWithHeaderEntries)
{
    KstInstallFormats();
    CKSTChannelList list;
    list.SetText("Test bench");
    AddChannel(list, "Force", 1000, 0.001).SetUnit("kN");
    AddChannel(list, "Speed", 1000, 0.001).SetUnit("1/min");
    CKSTMeasurementFile file;
    ASSERT_EQ(file.OpenMemory(KST_FILE_DASYLAB), KST_OK);
    ASSERT_EQ(file.Write(list), KST_OK);
    CKSTMemBuffer image;
    ASSERT_EQ(file.SaveToMemory(image), KST_OK);
    ASSERT_EQ(file.Close(), KST_OK);
    ASSERT_EQ(CKSTMeasurementFile::DetectType(image), KST_FILE_DASYLAB);
    ASSERT_EQ(file.OpenMemory(KST_FILE_DASYLAB), KST_OK);
    ASSERT_EQ(file.LoadFromMemory(image), KST_OK);
    CKSTDataSet back;
    ASSERT_EQ(file.ReadChannels(back), KST_OK);
    const CKSTChannelList& channels = back.GetChannels();
    ASSERT_EQ(channels.GetCount(), 2);
    const char* units[] = {"kN", "1/min"};
    for (int c = 0; c < 2; ++c) {
        const CKSTChannel& channel = *channels.GetAt(c);
        EXPECT_EQ(channel.GetName(), c == 0 ? "Force" : "Speed");
        EXPECT_EQ(channel.GetUnit(), units[c]);
        EXPECT_EQ(channel.GetTimeBaseType(), CKSTChannel::kEquidistant);
        EXPECT_NEAR(channel.GetDt(), 0.001, 1e-12);
        EXPECT_EQ(channel.GetStartTimeStamp(), CKSTTimeStamp(2019, 4, 5, 6, 7, 8));
        ASSERT_EQ(channel.GetCount(), 1000u);
        for (uint32_t k = 0; k < 1000; ++k) {
            ASSERT_EQ(channel.GetValue(k), k * 0.5 - 3);
        }
    }
    const CKSTHeaderInfoList& header = back.GetHeader();
    CKSTString value;
    ASSERT_GE(header.GetString("SAMPLE RATE", value), 0);
    EXPECT_EQ(value, "1000.000000");
    ASSERT_GE(header.GetString("DATA CHANNELS", value), 0);
    EXPECT_EQ(value, "2");
    ASSERT_GE(header.GetString("TITLE", value), 0);
    EXPECT_EQ(value, "Test bench");
    EXPECT_EQ(header.GetString("AUTHOR", value), KST_ERR_PROPERTY_MISSING);
    // The lines without "=" make the visible comment.
    ASSERT_GE(header.GetString("Comment", value, false), 0);
    EXPECT_EQ(value, "DASYLab [Feb 11 2004]\r\n");
}

TEST(DasylabFileTest, WritingGuards)
{
    // dt 0 and a start before 1970: the rate text and the stored time stay sensible.
    CKSTChannelList early;
    AddChannel(early, "a", 1, 0.0).SetStartTimeStamp(CKSTTimeStamp(1960, 1, 1, 0, 0, 0));
    const std::vector<uint8_t> image = WriteImage(early);
    const std::string text(image.begin(), image.end());
    EXPECT_NE(text.find("SAMPLE RATE\t= 0.000000\r\n"), std::string::npos);
    uint32_t stored;
    std::memcpy(&stored, image.data() + FindDataBlock(image) + 6, 4);
    EXPECT_EQ(stored, 0u);

    // A header beyond the 16-bit offset field is refused before anything is written.
    CKSTChannelList many;
    const std::string longName(40, 'n');
    for (int i = 0; i < 2000; ++i) {
        AddChannel(many, longName.c_str(), 1, 0.01);
    }
    int result = 0;
    EXPECT_TRUE(WriteImage(many, &result).empty());
    EXPECT_EQ(result, KST_ERR_TOO_LARGE);

    // Time vectors are written equidistant without changing the caller's channel.
    CKSTChannelList times;
    CKSTChannel& channel = *times.GetAt(times.AddNew());
    for (int k = 0; k < 5; ++k) {
        channel.AppendTimeValue(k * 0.25, k);
    }
    ASSERT_EQ(channel.GetTimeBaseType(), CKSTChannel::kTimeVector);
    CKSTDataSet back;
    ASSERT_EQ(ReadBack(WriteImage(times), back), KST_OK);
    EXPECT_EQ(channel.GetTimeBaseType(), CKSTChannel::kTimeVector);
    EXPECT_EQ(back.GetChannels().GetAt(0)->GetCount(), 5u);
    EXPECT_DOUBLE_EQ(back.GetChannels().GetAt(0)->GetDt(), 0.25);

    CKSTDasylabFile closed;
    EXPECT_EQ(closed.WriteChannels(times, false), KST_ERR_FILE_NOT_OPEN);
}

// A hand-built file: header text, description with the given channel block sizes, records.
Bytes Handmade(uint16_t version, uint16_t separate, uint16_t extraBlockBytes, bool withRecords)
{
    Bytes b;
    b.Text("DTDF\r\r\nDASYLab\r\nAUTHOR\t\t= \r\nTITLE\t\t= Rig 4\r\nfree text\r\n\r\n CHANNEL\tUNIT:\r\n"
           "  ch\tV \r\n");
    b.U8(0).U8(0x1A).Text("IN");
    b.U16(0).U16(version).U16(1).U16(38).U16(35).U16(20).U16(separate).U16(1).F64(0.5).U32(0);
    b.U16(38).U16(1).Zeros(34);
    b.U16(static_cast<uint16_t>(38 + extraBlockBytes)).U16(0).U16(512).F64(0.5).U16(0).U16(4096);
    b.F64(0).F64(0).U8(0).Text("ch").U8(0).Zeros(extraBlockBytes);
    if (withRecords) {
        b.Text("DATA").U16(18).U32(0).U32(0).U32(0);
        b.U16(0).F64(0.0).F64(0.5).U16(3).F32(1).F32(2).F32(3);
        b.Text("DTDF");
    }
    return b;
}

struct HandmadeRecord {
    double t;
    double dt;
    std::vector<float> values;
};

// The one-channel file of Handmade with the given records.
std::vector<uint8_t> WithRecords(const std::vector<HandmadeRecord>& records)
{
    Bytes b = Handmade(1, 0, 0, false);
    b.Text("DATA").U16(18).U32(0).U32(0).U32(0);
    for (const HandmadeRecord& r : records) {
        b.U16(0).F64(r.t).F64(r.dt).U16(static_cast<uint16_t>(r.values.size()));
        for (float v : r.values) {
            b.F32(v);
        }
    }
    b.Text("DTDF");
    return b.Data();
}

TEST(DasylabFileTest, RecordTimesGiveTheTimeBase)
{
    struct Case {
        const char* what;
        std::vector<HandmadeRecord> records;
        uint32_t timeBase;
        std::vector<double> times;
    } cases[] = {
        {"records on one grid", {{2.0, 0.5, {1, 2, 3}}, {3.5, 0.5, {4, 5}}},
         CKSTChannel::kEquidistant, {2.0, 2.5, 3.0, 3.5, 4.0}},
        {"a record after a pause", {{0.0, 0.5, {1, 2, 3}}, {5.0, 0.5, {4, 5}}},
         CKSTChannel::kTimeVector, {0.0, 0.5, 1.0, 5.0, 5.5}},
        {"a faster second record", {{0.0, 0.5, {1, 2}}, {1.0, 0.25, {3, 4}}},
         CKSTChannel::kTimeVector, {0.0, 0.5, 1.0, 1.25}},
        {"no interval", {{1.0, 0.0, {1, 2}}}, CKSTChannel::kTimeVector, {1.0, 1.0}},
        {"an empty first record", {{9.0, 0.0, {}}, {0.0, 0.5, {1, 2}}},
         CKSTChannel::kEquidistant, {0.0, 0.5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CKSTDataSet dataSet;
        ASSERT_EQ(ReadBack(WithRecords(c.records), dataSet), KST_OK);
        const CKSTChannel& channel = *dataSet.GetChannels().GetAt(0);
        EXPECT_EQ(channel.GetTimeBaseType(), c.timeBase);
        ASSERT_EQ(channel.GetCount(), c.times.size());
        for (uint32_t i = 0; i < channel.GetCount(); ++i) {
            EXPECT_DOUBLE_EQ(channel.GetTimeAt(i), c.times[i]) << i;
            EXPECT_DOUBLE_EQ(channel.GetValue(i), i + 1.0) << i;
        }
    }
}

// More records than the reader takes in one batch, one value each, read from memory and from a
// file: every value keeps its time, on the grid throughout or with a pause in the second batch.
TEST(DasylabFileTest, ManyRecordsAcrossBatches)
{
    constexpr uint32_t kRecords = 70000;
    for (uint32_t pauseAt : {kRecords, 66000u}) {
        SCOPED_TRACE(pauseAt);
        std::vector<HandmadeRecord> records;
        auto timeOf = [pauseAt](uint32_t r) { return r * 0.5 + (r >= pauseAt ? 3.0 : 0.0); };
        for (uint32_t r = 0; r < kRecords; ++r) {
            records.push_back({timeOf(r), 0.5, {static_cast<float>(r)}});
        }
        const std::vector<uint8_t> image = WithRecords(records);
        TempFolder folder;
        folder.WriteFile("many.ddf", std::string(image.begin(), image.end()));
        for (bool fromFile : {false, true}) {
            SCOPED_TRACE(fromFile ? "file" : "memory");
            CKSTDasylabFile file;
            CKSTDataSet dataSet;
            CKSTMemBuffer buffer;
            buffer.Write(image.data(), 1, static_cast<uint32_t>(image.size()));
            ASSERT_EQ(fromFile ? file.OpenRead(folder.Path("many.ddf")) : file.SetMemory(buffer),
                      KST_OK);
            ASSERT_EQ(file.Read(dataSet, nullptr, false), KST_OK);
            const CKSTChannel& channel = *dataSet.GetChannels().GetAt(0);
            EXPECT_EQ(channel.GetTimeBaseType(),
                      pauseAt == kRecords ? CKSTChannel::kEquidistant : CKSTChannel::kTimeVector);
            ASSERT_EQ(channel.GetCount(), kRecords);
            for (uint32_t r = 0; r < kRecords; ++r) {
                ASSERT_EQ(channel.GetValue(r), r) << r;
                ASSERT_DOUBLE_EQ(channel.GetTimeAt(r), timeOf(r)) << r;
            }
        }
    }
}

// Written files of several channels, records on one grid, after a pause or faster, a record
// without values and a file cut inside a record: the same channels whether the records are
// decoded on one thread or split over several.
TEST(DasylabFileTest, SplitDecodingGivesTheSameChannels)
{
    struct Case {
        std::string what;
        std::vector<uint8_t> image;
    };
    std::vector<Case> cases;
    CKSTChannelList written;
    AddChannel(written, "a", 5000, 0.001);
    AddChannel(written, "b", 1300, 0.001);
    AddChannel(written, "empty", 0, 0.001);
    cases.push_back({"written", WriteImage(written)});
    std::vector<HandmadeRecord> grid, pause, faster;
    for (int r = 0; r < 40; ++r) {
        std::vector<float> values(300);
        for (size_t k = 0; k < values.size(); ++k) {
            values[k] = static_cast<float>(r * 1000 + static_cast<int>(k));
        }
        grid.push_back({r * 300 * 0.5, 0.5, values});
        pause.push_back({r * 300 * 0.5 + (r >= 30 ? 7.0 : 0.0), 0.5, values});
        faster.push_back(
            {r < 20 ? r * 300 * 0.5 : 3000.0 + (r - 20) * 300 * 0.25, r < 20 ? 0.5 : 0.25, values});
    }
    grid.insert(grid.begin() + 5, HandmadeRecord{0.0, 0.0, {}});
    cases.push_back({"records on one grid", WithRecords(grid)});
    cases.push_back({"a record after a pause", WithRecords(pause)});
    cases.push_back({"faster records", WithRecords(faster)});
    cases.push_back({"no interval", WithRecords({{1.0, 0.0, {1, 2, 3}}})});
    std::vector<uint8_t> cut = WithRecords(grid);
    cut.resize(cut.size() - 4 - 2);
    cases.push_back({"cut inside a record", cut});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kst_test::ExpectSameSplitOrNot<CKSTDasylabFile>(c.image, "split.ddf");
    }
}

TEST(DasylabFileTest, ReadsHandBuiltFiles)
{
    struct Case {
        const char* what;
        Bytes image;
        int result;
        std::vector<double> values;
    } cases[] = {
        {"plain", Handmade(1, 0, 0, true), KST_OK, {1, 2, 3}},
        {"channel block longer than its fields", Handmade(1, 0, 6, true), KST_OK, {1, 2, 3}},
        {"version 2", Handmade(2, 0, 0, true), KST_ERR_DASYLAB_UNSUPPORTED, {}},
        {"no DATA", Handmade(1, 0, 0, false), KST_ERR_DASYLAB_UNSUPPORTED, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CKSTDataSet dataSet;
        ASSERT_EQ(ReadBack(c.image.Data(), dataSet), c.result);
        if (c.result != KST_OK) {
            continue;
        }
        const CKSTChannelList& channels = dataSet.GetChannels();
        ASSERT_EQ(channels.GetCount(), 1);
        EXPECT_EQ(channels.GetAt(0)->GetName(), "ch");
        EXPECT_EQ(channels.GetAt(0)->GetUnit(), "V");
        EXPECT_EQ(std::vector<double>(channels.GetAt(0)->GetValues(),
                                      channels.GetAt(0)->GetValues() + 3),
                  c.values);
        CKSTString value;
        EXPECT_GE(dataSet.GetHeader().GetString("TITLE", value), 0);
        EXPECT_EQ(value, "Rig 4");
        EXPECT_EQ(dataSet.GetHeader().GetString("AUTHOR", value), KST_ERR_PROPERTY_MISSING);
    }

    // A record cut off by the end of the file keeps its whole values.
    std::vector<uint8_t> cut = Handmade(1, 0, 0, true).Data();
    cut.resize(cut.size() - 4 - 2);  // the end mark and half of the last value
    CKSTDataSet dataSet;
    ASSERT_EQ(ReadBack(cut, dataSet), KST_OK);
    EXPECT_EQ(dataSet.GetChannels().GetAt(0)->GetCount(), 2u);

    // A record index beyond the channels must be the end mark.
    std::vector<uint8_t> bad = Handmade(1, 0, 0, true).Data();
    bad[bad.size() - 4] = 'X';
    EXPECT_EQ(ReadBack(bad, dataSet), KST_ERR_DASYLAB_UNSUPPORTED);

    Bytes notDasylab;
    notDasylab.Text("DTDX\r");
    EXPECT_EQ(ReadBack(notDasylab.Data(), dataSet), KST_ERR_NOT_DASYLAB);
}

TEST(DasylabFileTest, CompanionDataFile)
{
    struct Case {
        const char* path;
        bool toData;
        const char* expected;
    } cases[] = {
        {"a/b.ddf", true, "a/b.ddb"}, {"a/b.DDF", true, "a/b.DDB"}, {"a/b.ddb", false, "a/b.ddf"},
        {"a/b.DDB", false, "a/b.DDF"}, {"a/b.txt", true, "a/b.txt"}, {"ddf", true, "ddf"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CKSTDasylabFile::CompanionPath(c.path, c.toData), c.expected) << c.path;
    }

    // The description says the records lie in the companion file; opened by its ".DDB" name.
    const std::string base = kst_test::TempPath("PAIR");
    Bytes head = Handmade(1, 1, 0, false);
    Bytes data;
    data.Text("DATA").U16(18).U32(0).U32(0).U32(0);
    data.U16(0).F64(1.0).F64(0.5).U16(2).F32(7).F32(8).Text("DTDF");
    ASSERT_TRUE(head.Save(base + ".DDF"));
    ASSERT_TRUE(data.Save(base + ".DDB"));
    CKSTDasylabFile file;
    ASSERT_EQ(file.OpenRead((base + ".DDB").c_str()), KST_OK);
    CKSTDataSet dataSet;
    ASSERT_EQ(file.Read(dataSet, nullptr, false), KST_OK);
    ASSERT_EQ(dataSet.GetChannels().GetCount(), 1);
    const CKSTChannel& channel = *dataSet.GetChannels().GetAt(0);
    EXPECT_EQ(channel.GetCount(), 2u);
    EXPECT_EQ(channel.GetValue(1), 8.0);
    EXPECT_DOUBLE_EQ(channel.GetTimeAt(1), 1.5);
    EXPECT_EQ(file.Close(), KST_OK);
    std::remove((base + ".DDF").c_str());
    std::remove((base + ".DDB").c_str());
    EXPECT_EQ(file.OpenRead((base + ".DDF").c_str()), KST_ERR_OPEN_FAILED);
}

}  // namespace
