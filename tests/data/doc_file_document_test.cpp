#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/DocFile.h"
#include "data/doc_file_test_util.h"
#include "data/settings/CurveWndSettings.h"
#include "foundation/ErrorCodes.h"
#include "foundation/HeaderInfoList.h"
#include "support/TempFolder.h"

using namespace doc_test;

namespace {

// Irregular times, so that readers keep them as a time vector.
std::vector<double> IrregularTimes(uint32_t n, double start)
{
    std::vector<double> t(n);
    for (uint32_t i = 0; i < n; ++i) {
        t[i] = start + i * 0.75 + (i % 3 == 0 ? 0.0 : 0.1 * (i % 5));
    }
    return t;
}

CKSTChannel* AddTimeVector(CKSTChannelList& list, const char* name,
                           const std::vector<double>& times, double valueBase)
{
    CKSTChannel* c = list.GetAt(list.AddNew());
    c->SetName(name);
    c->SetSampleType(5);
    c->SetTimeBaseType(CKSTChannel::kTimeVector);
    for (size_t i = 0; i < times.size(); ++i) {
        c->AppendTimeValue(times[i], valueBase + static_cast<double>(i) * 0.3);
    }
    return c;
}

CKSTChannel* AddEquidistant(CKSTChannelList& list, const char* name, uint32_t n, uint16_t type)
{
    CKSTChannel* c = list.GetAt(list.AddNew());
    c->SetName(name);
    c->SetSampleType(type);
    c->SetDt(0.01);
    for (uint32_t i = 0; i < n; ++i) {
        c->AppendValue(static_cast<double>(i % 17) * 0.5, false);
    }
    return c;
}

uint16_t TimeBaseIndexOf(const Bytes& bytes, const RecordInfo& record)
{
    return static_cast<uint16_t>(bytes[record.payloadOffset + 2] |
                                 (bytes[record.payloadOffset + 3] << 8));
}

TEST(DocFileDocument, TimeBasesAreSharedInDocumentsOnly)
{
    CKSTChannelList list;
    const std::vector<double> shared = IrregularTimes(40, 1.0);
    AddTimeVector(list, "a", shared, 0.0);
    AddTimeVector(list, "b", shared, 10.0);
    AddTimeVector(list, "c", shared, 20.0);
    AddEquidistant(list, "d", 30, 5);
    AddTimeVector(list, "e", shared, 30.0);  // same times, but not adjacent to the run
    AddTimeVector(list, "f", IrregularTimes(40, 2.0), 40.0);

    struct Case {
        bool share;
        std::vector<uint16_t> timeBases;
        std::vector<uint32_t> timeBlockIndexes;
    };
    const Case cases[] = {
        {true, {0, 0, 0, 3, 4, 5}, {0, 4, 5}},
        {false, {0, 1, 2, 3, 4, 5}, {0, 1, 2, 4, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.share ? "document" : "recording file");
        const Bytes bytes = WriteImage(list, c.share);
        std::vector<uint16_t> timeBases;
        std::vector<uint32_t> timeBlocks;
        for (const RecordInfo& r : ListRecords(bytes)) {
            if (r.tag == KST_TAG_CHANNEL) {
                timeBases.push_back(TimeBaseIndexOf(bytes, r));
            } else if (IsTimeBlockTag(r.tag)) {
                timeBlocks.push_back(r.index);
            }
        }
        EXPECT_EQ(timeBases, c.timeBases);
        EXPECT_EQ(timeBlocks, c.timeBlockIndexes);

        CKSTChannelList back;
        ASSERT_EQ(ReadImage(bytes, back), 0);
        ASSERT_EQ(back.GetCount(), list.GetCount());
        for (int i = 0; i < list.GetCount(); ++i) {
            SCOPED_TRACE(i);
            const CKSTChannel& expected = *list.GetAt(i);
            const CKSTChannel& actual = *back.GetAt(i);
            ASSERT_EQ(actual.GetTimeBaseType(), expected.GetTimeBaseType());
            ASSERT_EQ(actual.GetCount(), expected.GetCount());
            for (uint32_t k = 0; k < expected.GetCount(); ++k) {
                ASSERT_EQ(actual.GetValues()[k], expected.GetValues()[k]);
                ASSERT_EQ(actual.GetTimeAt(k), expected.GetTimeAt(k));
            }
        }
    }
}

// A recording file: started with the channels' descriptions, then grown by appends of 0, 1 and
// many samples; reading it gives every channel the concatenation of its appends.
TEST(DocFileDocument, RecordingAppendsJoinInOrder)
{
    TempFolder folder;
    const CKSTString path = folder.Path("rec.qld");

    CKSTChannelList expected;
    AddEquidistant(expected, "f32", 0, 4);
    AddEquidistant(expected, "word", 0, 2);
    AddTimeVector(expected, "tv", {}, 0.0);
    AddEquidistant(expected, "gaps", 0, 5);
    {
        CKSTDocFile file;
        ASSERT_EQ(file.OpenWrite(path), 0);
        ASSERT_EQ(file.WriteChannels(expected, false), 0);
        EXPECT_EQ(file.Close(), KST_OK);
    }

    std::mt19937 random(5);
    double time = 0.0;
    // Sample counts of the successive appends, the same for every channel.
    const uint32_t appends[] = {0, 1, 1, 700, 0, 1, 3, 1};
    uint32_t serial = 0;
    for (uint32_t count : appends) {
        SCOPED_TRACE(count);
        CKSTChannelList batch;
        batch.CopyDeep(expected);
        for (int i = 0; i < batch.GetCount(); ++i) {
            CKSTChannel* c = batch.GetAt(i);
            for (uint32_t k = 0; k < count; ++k, ++serial) {
                const double v = i == 0   ? 0.1 * serial  // not exact as f32
                                 : i == 1 ? static_cast<double>(serial % 3)
                                          : static_cast<double>(random() % 1000) / 7.0;
                if (c->GetTimeBaseType() == CKSTChannel::kTimeVector) {
                    time += 0.5 + static_cast<double>(random() % 100) / 1000.0;
                    c->AppendTimeValue(time, v);
                } else {
                    // Every other single-sample append of the last channel is a gap.
                    const bool missing = i == 3 && (serial % 2 == 0 || (count > 1 && k % 5 == 0));
                    c->AppendValue(missing ? 0.0 : v, missing);
                }
            }
            // What the file should hold afterwards.
            CKSTChannel* e = expected.GetAt(i);
            for (uint32_t k = 0; k < c->GetCount(); ++k) {
                if (c->GetTimeBaseType() == CKSTChannel::kTimeVector) {
                    e->AppendTimeValue(c->GetTimes()[k], c->GetValues()[k]);
                } else {
                    e->AppendValue(c->GetValues()[k], c->IsMissing(k));
                }
            }
        }
        CKSTDocFile file;
        ASSERT_EQ(file.OpenAppend(path), 0);
        ASSERT_EQ(file.AppendNewSamples(batch), 0);
        EXPECT_EQ(file.Close(), KST_OK);
    }

    std::ifstream in(folder.Native("rec.qld"), std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<uint8_t> singleTags;
    for (const RecordInfo& r : ListRecords(bytes)) {
        if (IsFixedSizeTag(r.tag)) {
            singleTags.push_back(r.tag);
        }
    }
    // Per single-sample append: f64 for the inexact f32 value and the 16-bit word, an f64 time
    // and value, and a missing run or a value for the gap channel.
    EXPECT_EQ(std::count(singleTags.begin(), singleTags.end(), KST_TAG_SINGLE_TIME_F64), 4);
    EXPECT_EQ(std::count(singleTags.begin(), singleTags.end(), KST_TAG_SINGLE_TIME_F32), 0);

    CKSTDocFile file;
    ASSERT_EQ(file.OpenRead(path), 0);
    CKSTChannelList back;
    ASSERT_EQ(file.ReadChannels(back, nullptr, false, nullptr), 0);
    ASSERT_EQ(back.GetCount(), expected.GetCount());
    for (int i = 0; i < expected.GetCount(); ++i) {
        SCOPED_TRACE(expected.GetAt(i)->GetName().c_str());
        const CKSTChannel& e = *expected.GetAt(i);
        const CKSTChannel& a = *back.GetAt(i);
        ASSERT_EQ(a.GetTimeBaseType(), e.GetTimeBaseType());
        ASSERT_EQ(a.GetCount(), e.GetCount());
        for (uint32_t k = 0; k < e.GetCount(); ++k) {
            ASSERT_EQ(a.IsMissing(k), e.IsMissing(k)) << k;
            if (!e.IsMissing(k)) {
                ASSERT_TRUE(SameBits(a.GetValues()[k], e.GetValues()[k])) << k;
            }
            ASSERT_TRUE(SameBits(a.GetTimeAt(k), e.GetTimeAt(k))) << k;
        }
    }
}

TEST(DocFileDocument, FilterListSelectsByNameAndGroup)
{
    CKSTChannelList list;
    AddEquidistant(list, "a", 5, 5)->SetGroup("g");
    AddEquidistant(list, "b", 6, 5)->SetGroup("g");
    AddEquidistant(list, "a", 7, 5)->SetGroup("h");
    const Bytes bytes = WriteImage(list, true);

    struct Case {
        std::vector<std::tuple<const char*, const char*, bool>> filter;
        std::vector<uint32_t> counts;
        int result;
    };
    const Case cases[] = {
        {{}, {5, 6, 7}, 0},
        {{{"a", "g", true}, {"b", "g", false}}, {5}, 0},
        {{{"a", "h", true}, {"b", "g", true}}, {6, 7}, 0},
        {{{"a", "G", true}}, {}, KST_ERR_BAD_HEADER},  // exact comparison
    };
    for (const Case& c : cases) {
        CKSTChannelList filter;
        for (const auto& [name, group, selected] : c.filter) {
            CKSTChannel* f = filter.GetAt(filter.AddNew());
            f->SetName(name);
            f->SetGroup(group);
            f->SetSelected(selected);
        }
        CKSTDocFile file;
        file.SetMemory(ToBuffer(bytes));
        ASSERT_EQ(file.OpenMemoryRead(), 0);
        CKSTChannelList back;
        EXPECT_EQ(file.ReadChannels(back, &filter, false, nullptr), c.result);
        std::vector<uint32_t> counts;
        for (int i = 0; i < back.GetCount(); ++i) {
            counts.push_back(back.GetAt(i)->GetCount());
        }
        EXPECT_EQ(counts, c.counts);
    }
}

TEST(DocFileDocument, ReadingAppendsBehindExistingChannels)
{
    CKSTChannelList list;
    AddEquidistant(list, "x", 3, 5);
    const Bytes bytes = WriteImage(list, true);
    CKSTDocFile file;
    file.SetMemory(ToBuffer(bytes));
    ASSERT_EQ(file.OpenMemoryRead(), 0);
    CKSTChannelList back;
    AddEquidistant(back, "present", 1, 5);
    ASSERT_EQ(file.ReadChannels(back, nullptr, true, nullptr), 0);
    ASSERT_EQ(back.GetCount(), 2);
    EXPECT_EQ(back.GetAt(0)->GetName(), "present");
    EXPECT_EQ(back.GetAt(1)->GetCount(), 3u);

    CKSTChannelList records;
    ASSERT_EQ(file.ReadChannelRecords(records, false, nullptr), 0);
    ASSERT_EQ(records.GetCount(), 1);
    EXPECT_EQ(records.GetAt(0)->GetCount(), 0u);
}

TEST(DocFileDocument, NodeMessagesInMemory)
{
    CKSTHeaderInfoList first;
    first.SetString("Cmd", "GetData");
    first.SetLong("Channel", 2);
    CKSTHeaderInfoList second;
    second.SetDouble("Rate", 1000.0);

    CKSTDocFile file;
    CKSTMemBuffer message;
    ASSERT_EQ(file.WritePropertyListToMemory(first, message, false), 0);
    ASSERT_EQ(file.WritePropertyListToMemory(second, message, true), 0);
    CKSTHeaderInfoList back;
    ASSERT_EQ(file.ReadPropertyListFromMemory(back, message), 0);
    ASSERT_EQ(back.GetCount(true), 3);
    CKSTString text;
    EXPECT_GE(back.GetString("Cmd", text), 0);
    EXPECT_EQ(text, "GetData");
    double rate = 0.0;
    EXPECT_GE(back.GetDouble("Rate", rate), 0);
    EXPECT_EQ(rate, 1000.0);

    // Appending needs a message that begins with the magic; the buffer stays as it was.
    CKSTMemBuffer foreign = ToBuffer(Bytes{'x', 'y'});
    EXPECT_EQ(file.WritePropertyListToMemory(second, foreign, true), KST_ERR_NOT_CONTAINER);
    EXPECT_EQ(foreign.GetSize(), 2u);
    EXPECT_EQ(file.ReadPropertyListFromMemory(back, foreign), KST_ERR_NOT_CONTAINER);
    EXPECT_EQ(file.ReadPropertyListFromMemory(back, CKSTMemBuffer()), KST_ERR_BAD_HEADER);

    // The samples of one channel of a message; a shared time vector comes from its owner.
    CKSTChannelList list;
    AddEquidistant(list, "eq", 20, 5);
    const std::vector<double> times = IrregularTimes(12, 0.0);
    AddTimeVector(list, "t1", times, 1.0);
    AddTimeVector(list, "t2", times, 2.0);
    const CKSTMemBuffer samples = ToBuffer(WriteImage(list, true));
    for (uint32_t index = 0; index < 3; ++index) {
        SCOPED_TRACE(index);
        CKSTChannel channel;
        ASSERT_EQ(file.ReadSamplesFromMemory(channel, index, samples), 0);
        const CKSTChannel& expected = *list.GetAt(static_cast<int>(index));
        EXPECT_EQ(channel.GetName(), expected.GetName());
        ASSERT_EQ(channel.GetCount(), expected.GetCount());
        for (uint32_t k = 0; k < expected.GetCount(); ++k) {
            ASSERT_EQ(channel.GetValues()[k], expected.GetValues()[k]);
            ASSERT_EQ(channel.GetTimeAt(k), expected.GetTimeAt(k));
        }
    }
    CKSTChannel none;
    EXPECT_EQ(file.ReadSamplesFromMemory(none, 3, samples), KST_ERR_BAD_HEADER);
}

TEST(DocFileDocument, ChannelIndexesBeyondTheIndexFieldAreRefused)
{
    CKSTChannelList list;
    CKSTChannel* c = AddEquidistant(list, "x", 3, 5);
    CKSTDocFile file;
    EXPECT_EQ(file.OpenMemoryWrite(), KST_OK);
    EXPECT_EQ(file.WriteChannelRecord(*c, 0x10000, 0), KST_ERR_TOO_LARGE);
    EXPECT_EQ(file.WriteChannelRecord(*c, 0, 0x10000), KST_ERR_TOO_LARGE);
    EXPECT_EQ(file.AppendChannelSamples(*c, 0x10000), KST_ERR_TOO_LARGE);
    EXPECT_EQ(file.WriteMissingRun(0x10000, 1), KST_ERR_TOO_LARGE);
    EXPECT_EQ(file.WriteSingleValue(0x10000, 5, 1.0), KST_ERR_TOO_LARGE);
    CKSTMemBuffer out;
    file.GetMemory(out);
    EXPECT_EQ(out.GetSize(), kDocMagicSize);  // nothing half-written

    // The highest index still fits: a three-byte Count8 and the u16 of the channel record.
    ASSERT_EQ(file.WriteChannelRecord(*c, 0xFFFF, 0xFFFF), 0);
    ASSERT_EQ(file.AppendChannelSamples(*c, 0xFFFF), 0);
    file.GetMemory(out);
    CKSTChannel back;
    EXPECT_EQ(file.ReadSamplesFromMemory(back, 0xFFFF, out), 0);
    EXPECT_EQ(back.GetCount(), 3u);
}

// The records a writer produces after the magic.
template <class Write>
Bytes RecordsOf(Write write)
{
    CKSTDocFile file;
    EXPECT_EQ(file.OpenMemoryWrite(), KST_OK);
    EXPECT_EQ(write(file), 0);
    CKSTMemBuffer out;
    file.GetMemory(out);
    return Bytes(out.GetData() + kDocMagicSize, out.GetData() + out.GetSize());
}

TEST(DocFileDocument, ReadDataSetResultPrecedence)
{
    CKSTCurveWndSettings settings;
    settings.AddCurveForChannel("a", "g", "V");
    const Bytes settingsRecords =
        RecordsOf([&](CKSTDocFile& f) { return f.WriteCurveWndSettings(settings, false); });
    CKSTHeaderInfoList header;
    header.SetString("Title", "t");
    const Bytes headerRecords =
        RecordsOf([&](CKSTDocFile& f) { return WriteKxdPropertyList(f, header); });
    CKSTChannelList list;
    AddEquidistant(list, "a", 10, 5)->SetGroup("g");
    const Bytes channelRecords =
        RecordsOf([&](CKSTDocFile& f) { return f.WriteChannels(list, true); });
    const Bytes badProperty = {50, 1, 0, 0};
    const Bytes badChannel = {KST_TAG_CHANNEL, 3, 0, 0, 0, 0};
    const Bytes future = {120, 2, 0, 1, 2};

    struct Case {
        const char* name;
        std::vector<Bytes> parts;
        int result;
        bool settings;
        int headerEntries;
        int channels;
        bool newer;
    };
    const Case cases[] = {
        {"complete", {settingsRecords, headerRecords, channelRecords}, 0, true, 1, 1, false},
        {"without settings",
         {headerRecords, channelRecords},
         KST_ERR_NO_SETTINGS,
         false,
         1,
         1,
         false},
        {"without channels",
         {settingsRecords, headerRecords},
         KST_ERR_BAD_HEADER,
         true,
         1,
         0,
         false},
        {"broken header beats missing settings",
         {headerRecords, badProperty, channelRecords},
         KST_ERR_BAD_RECORD,
         false,
         1,
         1,
         false},
        {"broken channel beats missing settings",
         {channelRecords, badChannel},
         KST_ERR_BAD_RECORD,
         false,
         0,
         1,
         false},
        {"newer kinds", {settingsRecords, future, channelRecords}, 0, true, 0, 1, true},
        {"magic only", {}, KST_ERR_BAD_HEADER, false, 0, 0, false},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes(kDocMagic, kDocMagicSize);
        for (const Bytes& part : c.parts) {
            bytes.append(part.begin(), part.end());
        }
        folder.WriteFile("doc.qld", bytes);
        CKSTDocFile file;
        ASSERT_EQ(file.OpenRead(folder.Path("doc.qld")), 0);
        CKSTDataSet dataSet;
        dataSet.SetName("previous");
        dataSet.GetHeader().SetString("Stale", "x");
        uint8_t newer = 9;
        EXPECT_EQ(file.ReadDataSet(dataSet, nullptr, &newer), c.result);
        EXPECT_EQ(dataSet.HasWindowSettings(), c.settings);
        EXPECT_EQ(dataSet.GetHeader().GetCount(true), c.headerEntries);
        EXPECT_EQ(dataSet.GetChannels().GetCount(), c.channels);
        EXPECT_EQ(newer, c.newer ? 1 : 0);
        if (c.result == 0 || c.result == KST_ERR_NO_SETTINGS || c.result == KST_ERR_BAD_HEADER) {
            EXPECT_EQ(dataSet.GetName(), file.GetPath());
        }
        if (c.channels == 0 && c.result == KST_ERR_BAD_HEADER) {
            EXPECT_TRUE(dataSet.GetEarliestStartTimeStamp() == file.GetWriteTime());
            EXPECT_GT(file.GetWriteTime().GetSerialDays(), 40000.0);
        }
    }
}

TEST(DocFileDocument, DataSetRoundTripWithWindowSettings)
{
    CKSTDataSet dataSet;
    CKSTCurveWndSettings settings;
    const int curve = settings.AddCurveForChannel("a", "g", "V");
    CKSTMarkerSettings marker;
    marker.m_Text = "peak";
    marker.m_Value = 1.5;
    AppendOwned(settings.m_Curves[curve]->m_Markers, &marker);
    dataSet.SetWindowSettings(settings);
    dataSet.GetHeader().SetString("Comment", "round trip");
    dataSet.GetHeader().SetString("LockPass", "pw", true);
    AddEquidistant(dataSet.GetChannels(), "a", 700, 5)->SetGroup("g");
    AddTimeVector(dataSet.GetChannels(), "t", IrregularTimes(30, 0.0), 1.0);

    TempFolder folder;
    CKSTDocFile file;
    ASSERT_EQ(file.OpenWrite(folder.Path("set.qld")), 0);
    ASSERT_EQ(file.WriteDataSet(dataSet, true), 0);
    ASSERT_EQ(file.Close(), 0);

    ASSERT_EQ(file.OpenRead(folder.Path("set.qld")), 0);
    CKSTDataSet back;
    ASSERT_EQ(file.ReadDataSet(back, nullptr, nullptr), 0);
    ASSERT_TRUE(back.HasWindowSettings());
    EXPECT_TRUE(back.GetWindowSettings() == settings);
    EXPECT_EQ(back.GetComment(), "round trip");
    CKSTString password;
    EXPECT_GE(back.GetHeader().GetString("LockPass", password, true), 0);
    EXPECT_EQ(password, "pw");
    ASSERT_EQ(back.GetChannels().GetCount(), 2);
    for (int i = 0; i < 2; ++i) {
        const CKSTChannel& e = *dataSet.GetChannels().GetAt(i);
        const CKSTChannel& a = *back.GetChannels().GetAt(i);
        ASSERT_EQ(a.GetCount(), e.GetCount());
        for (uint32_t k = 0; k < e.GetCount(); ++k) {
            ASSERT_EQ(a.GetValues()[k], e.GetValues()[k]);
            ASSERT_EQ(a.GetTimeAt(k), e.GetTimeAt(k));
        }
    }

    // A settings file keeps the window without the markers.
    ASSERT_EQ(file.OpenWrite(folder.Path("set.qls")), 0);
    ASSERT_EQ(file.WriteCurveWndSettings(settings), 0);
    EXPECT_EQ(file.Close(), KST_OK);
    ASSERT_EQ(file.OpenRead(folder.Path("set.qls")), 0);
    CKSTCurveWndSettings fromSettingsFile;
    ASSERT_EQ(file.ReadCurveWndSettings(fromSettingsFile, nullptr), 0);
    ASSERT_EQ(fromSettingsFile.m_Curves.size(), 1u);
    EXPECT_TRUE(fromSettingsFile.m_Curves[0]->m_Markers.empty());
}

// --- Robustness ---

// A document with settings, header entries and channels of most encodings.
Bytes RichDocument()
{
    CKSTDocFile file;
    EXPECT_EQ(file.OpenMemoryWrite(), KST_OK);
    CKSTCurveWndSettings settings;
    settings.AddCurveForChannel("ramp", "g", "V");
    settings.AddCurveForChannel("tv", "g", "s");
    CKSTFontDesc font;
    font.m_faceName = "Courier";
    settings.InternFont(font);
    EXPECT_EQ(file.WriteCurveWndSettings(settings, false), 0);
    CKSTHeaderInfoList header;
    header.SetString("Title", "rich");
    header.SetDouble("Gain", 2.5);
    header.SetString("LockPass", "secret", true);
    EXPECT_EQ(WriteKxdPropertyList(file, header), 0);

    CKSTChannelList list;
    CKSTChannel* ramp = AddEquidistant(list, "ramp", 0, 5);
    for (int i = 0; i < 600; ++i) {
        ramp->AppendValue(i, false);
    }
    AddEquidistant(list, "steps", 520, 5);
    CKSTChannel* gaps = AddEquidistant(list, "gaps", 0, 4);
    for (int i = 0; i < 40; ++i) {
        gaps->AppendValue(i * 0.1, i % 9 < 3);
    }
    CKSTChannel* text = AddEquidistant(list, "text", 0, 5);
    text->AddValueText("off", false);
    text->AddValueText("on", false);
    for (int i = 0; i < 30; ++i) {
        text->AppendValue(1 + i % 2, false);
    }
    const std::vector<double> times = IrregularTimes(25, 0.0);
    AddTimeVector(list, "tv", times, 0.0);
    AddTimeVector(list, "tv2", times, 5.0);
    EXPECT_EQ(file.WriteChannels(list, true), 0);
    CKSTMemBuffer out;
    file.GetMemory(out);
    return FromBuffer(out);
}

struct ReadOutcome {
    int result;
    bool settings;
    int headerEntries;
    uint64_t samples;
};

ReadOutcome ReadEverything(const Bytes& bytes)
{
    ReadOutcome outcome{0, false, 0, 0};
    CKSTDocFile file;
    file.SetMemory(ToBuffer(bytes));
    outcome.result = file.OpenMemoryRead();
    if (outcome.result != 0) {
        return outcome;
    }
    file.SetSampleBudget(1u << 16);
    CKSTDataSet dataSet;
    uint8_t newer = 0;
    outcome.result = file.ReadDataSet(dataSet, nullptr, &newer);
    outcome.settings = dataSet.HasWindowSettings();
    outcome.headerEntries = dataSet.GetHeader().GetCount(true);
    for (int i = 0; i < dataSet.GetChannels().GetCount(); ++i) {
        outcome.samples += dataSet.GetChannels().GetAt(i)->GetCount();
    }
    CKSTChannel one;
    static_cast<void>(file.ReadChannelData(one, 4, nullptr));  // it need only be survived
    return outcome;
}

TEST(DocFileDocument, TruncatedDocumentsGiveWhatWasComplete)
{
    const Bytes full = RichDocument();
    const ReadOutcome complete = ReadEverything(full);
    ASSERT_EQ(complete.result, 0);
    ASSERT_TRUE(complete.settings);
    ASSERT_EQ(complete.headerEntries, 3);

    std::vector<size_t> recordEnds = {kDocMagicSize};
    for (const RecordInfo& r : ListRecords(full)) {
        recordEnds.push_back(r.payloadOffset + r.length);
    }
    ASSERT_EQ(recordEnds.back(), full.size());
    uint64_t most = 0;
    for (size_t size = 0; size < full.size(); ++size) {
        SCOPED_TRACE(size);
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size));
        const ReadOutcome outcome = ReadEverything(cut);
        if (size < kDocMagicSize) {
            EXPECT_EQ(outcome.result, size == 0 ? KST_ERR_BAD_HEADER : KST_ERR_NOT_CONTAINER);
            continue;
        }
        // Cut between records the file is a shorter whole one; cut inside a record it says so,
        // and whatever was complete is read either way.
        if (std::count(recordEnds.begin(), recordEnds.end(), size) != 0) {
            EXPECT_TRUE(outcome.result == 0 || outcome.result == KST_ERR_NO_SETTINGS ||
                        outcome.result == KST_ERR_BAD_HEADER)
                << outcome.result;
        } else {
            EXPECT_EQ(outcome.result, KST_ERR_END_OF_DATA);
        }
        EXPECT_LE(outcome.samples, complete.samples);
        most = std::max(most, outcome.samples);
    }
    EXPECT_GT(most, 0u);
}

// A recording whose last append was cut: the file says it ended early, and every channel keeps
// the samples of its complete records.
TEST(DocFileDocument, RecordingCutInsideARecordReportsTheEndAndKeepsWhatWasWhole)
{
    CKSTChannelList start;
    AddEquidistant(start, "a", 0, 5);
    AddEquidistant(start, "b", 0, 5);
    AddTimeVector(start, "tv", {}, 0.0);
    CKSTDocFile file;
    ASSERT_EQ(file.OpenMemoryWrite(), 0);
    ASSERT_EQ(file.WriteChannels(start, false), 0);
    const std::vector<double> times = IrregularTimes(8, 1.0);
    for (int append = 0; append < 2; ++append) {
        CKSTChannelList batch;
        AddEquidistant(batch, "a", 8, 5);
        AddEquidistant(batch, "b", 8, 5);
        AddTimeVector(batch, "tv", times, 0.0);
        ASSERT_EQ(file.AppendNewSamples(batch), 0);
    }
    CKSTMemBuffer out;
    file.GetMemory(out);
    const Bytes full = FromBuffer(out);
    const std::vector<RecordInfo> records = ListRecords(full);
    ASSERT_EQ(records.size(), 3u + 2u * 4u);  // channel records, then per append: a, b, tv times, tv values
    const size_t lastValues = records.back().payloadOffset;

    struct Case {
        const char* what;
        size_t size;
        int result;
        int channels;
        std::vector<uint32_t> counts;
    };
    const Case cases[] = {
        {"whole", full.size(), 0, 3, {16, 16, 16}},
        {"inside the last value block", lastValues + 3, KST_ERR_END_OF_DATA, 3, {16, 16, 8}},
        {"inside the last block's head", lastValues - 1, KST_ERR_END_OF_DATA, 3, {16, 16, 8}},
        {"inside the second channel record", records[1].payloadOffset + 4, KST_ERR_END_OF_DATA,
         1, {0}},
        {"inside the first channel record", kDocMagicSize + 5, KST_ERR_END_OF_DATA, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CKSTChannelList back;
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(c.size));
        EXPECT_EQ(ReadImage(cut, back), c.result);
        ASSERT_EQ(back.GetCount(), c.channels);
        for (int i = 0; i < c.channels; ++i) {
            EXPECT_EQ(back.GetAt(i)->GetCount(), c.counts[static_cast<size_t>(i)]) << i;
        }
    }
}

TEST(DocFileDocument, RandomMutationsEndInAnErrorOrPartialData)
{
    const Bytes full = RichDocument();
    std::mt19937 random(20240611);
    for (int round = 0; round < 3000; ++round) {
        Bytes mutated = full;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int k = 0; k < changes; ++k) {
            const size_t at = kDocMagicSize + random() % (mutated.size() - kDocMagicSize);
            switch (random() % 4) {
                case 0:
                    mutated[at] = static_cast<uint8_t>(random());
                    break;
                case 1:
                    mutated[at] = 0xFF;
                    break;
                case 2:
                    mutated[at] ^= static_cast<uint8_t>(1u << (random() % 8));
                    break;
                default:
                    mutated.erase(mutated.begin() + static_cast<std::ptrdiff_t>(at));
                    break;
            }
        }
        SCOPED_TRACE(round);
        const ReadOutcome outcome = ReadEverything(mutated);
        EXPECT_LE(outcome.samples, uint64_t{1} << 16);
    }
}

}  // namespace
