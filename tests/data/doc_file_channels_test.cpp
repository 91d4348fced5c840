#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "data/DocFile.h"
#include "data/doc_file_test_util.h"
#include "foundation/ErrorCodes.h"
#include "foundation/Md5.h"
#include "foundation/ParallelFor.h"
#include "support/TempFolder.h"

using namespace doc_test;

namespace {

std::unique_ptr<CKSTChannel> MakeChannel(const std::vector<double>& values, uint16_t sampleType = 5,
                                         const std::vector<bool>& missing = {})
{
    auto c = std::make_unique<CKSTChannel>();
    c->SetName("ch");
    c->SetSampleType(sampleType);
    c->SetDt(0.001);
    for (size_t i = 0; i < values.size(); ++i) {
        c->AppendValue(values[i], i < missing.size() && missing[i]);
    }
    return c;
}

// The data records of a single channel written as a document, without the channel record.
std::vector<RecordInfo> DataRecords(const Bytes& bytes)
{
    std::vector<RecordInfo> out;
    for (const RecordInfo& r : ListRecords(bytes)) {
        if (r.tag != KST_TAG_CHANNEL && r.tag != KST_TAG_VALUE_TEXT) {
            out.push_back(r);
        }
    }
    return out;
}

void ExpectSameSamples(const CKSTChannel& expected, const CKSTChannel& actual)
{
    ASSERT_EQ(actual.GetCount(), expected.GetCount());
    for (uint32_t i = 0; i < expected.GetCount(); ++i) {
        const bool missing = expected.IsMissing(i);
        ASSERT_EQ(actual.IsMissing(i), missing) << "sample " << i;
        if (!missing) {
            ASSERT_TRUE(SameBits(actual.GetValues()[i], expected.GetValues()[i]))
                << "sample " << i << ": " << actual.GetValues()[i] << " vs "
                << expected.GetValues()[i];
        }
        if (expected.GetTimeBaseType() != CKSTChannel::kTimeVector) {
            continue;
        }
        if (actual.GetTimeBaseType() == CKSTChannel::kTimeVector) {
            ASSERT_TRUE(SameBits(actual.GetTimes()[i], expected.GetTimes()[i])) << "time " << i;
        } else {
            // Up to two times always form a regular grid, which the reader makes equidistant.
            ASSERT_LE(expected.GetCount(), 2u);
            ASSERT_NEAR(actual.GetTimeAt(i), expected.GetTimes()[i], 1e-12);
        }
    }
}

// One inline fixture per sample record form: the bytes after a channel record (kind 0,
// sample type 5) and what they decode to.
TEST(DocFileChannels, EverySampleRecordFormDecodes)
{
    struct Case {
        const char* name;
        Bytes data;
        std::vector<double> values;
        std::vector<bool> missing;
        int result;
    };
    auto block = [](uint8_t tag, std::initializer_list<uint8_t> payload) {
        Bytes out = {tag, 0, static_cast<uint8_t>(payload.size()), 0};
        out.insert(out.end(), payload);
        return out;
    };
    auto scaleOffset = [](double scale, double offset) {
        CKSTDocRecord r;
        r.PutF64(scale);
        r.PutF64(offset);
        return Bytes(r.GetData(), r.GetData() + r.GetSize());
    };
    auto f64 = [](double v) {
        CKSTDocRecord r;
        r.PutF64(v);
        return Bytes(r.GetData(), r.GetData() + r.GetSize());
    };
    auto concat = [](Bytes a, const Bytes& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    auto framedBlock = [](uint8_t tag, const Bytes& payload) {
        Bytes out = {tag, 0, static_cast<uint8_t>(payload.size()),
                     static_cast<uint8_t>(payload.size() >> 8)};
        out.insert(out.end(), payload.begin(), payload.end());
        return out;
    };
    const Bytes so = scaleOffset(0.5, 10.0);
    const Bytes identity = scaleOffset(1.0, 0.0);
    const Case cases[] = {
        {"f64 block",
         block(34, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F, 0, 0, 0, 0, 0, 0, 0x04, 0xC0}),
         {1.5, -2.5},
         {},
         0},
        {"f32 block", block(30, {0, 0, 0xC0, 0x3F, 0, 0, 0x80, 0xBF}), {1.5, -1.0}, {}, 0},
        {"u8 codes", framedBlock(18, concat(so, {0, 1, 255})), {10.0, 10.5, 137.5}, {}, 0},
        {"u16 codes", framedBlock(22, concat(so, {2, 0, 0xFF, 0xFF})), {11.0, 32777.5}, {}, 0},
        {"u32 codes, identity",
         framedBlock(26, concat(identity, {7, 0, 0, 0, 0, 0, 0, 0x80})),
         {7.0, 2147483648.0},
         {},
         0},
        {"direct packed, 4 codes of 2 bits",
         framedBlock(38, concat(concat({4, 0, 0, 0}, scaleOffset(1.0, 10.0)), {2, 0x1B})),
         {10, 11, 12, 13},
         {},
         0},
        {"direct packed, width 0",
         framedBlock(38, concat(concat({3, 0, 0, 0}, scaleOffset(0.0, -4.25)), {0})),
         {-4.25, -4.25, -4.25},
         {},
         0},
        {"difference packed",
         framedBlock(36, concat(concat(concat({3, 0, 0, 0}, scaleOffset(2.0, -2.0)), f64(5.0)),
                                {2, 0x64})),  // codes 1, 2, 1 less bias 1: +0, +2, +0 steps
         {5.0, 5.0, 7.0, 7.0},
         {},
         0},
        {"old packed, width 3",
         framedBlock(14, concat(scaleOffset(1.0, 0.0), {3, 0xBB, 0x80})),
         {5, 6, 7, 0, 0},
         {},
         0},
        {"old packed, width 0",
         framedBlock(14, concat(scaleOffset(1.0, 0.0), {0})),
         {},
         {},
         KST_ERR_INVALID_PACKED_BLOCK},
        {"packed, width 33",
         framedBlock(38, concat(concat({1, 0, 0, 0}, scaleOffset(1.0, 0.0)), {33, 0, 0, 0, 0, 0})),
         {},
         {},
         KST_ERR_INVALID_PACKED_BLOCK},
        {"packed, count beyond its bytes",
         framedBlock(38, concat(concat({9, 0, 0, 0}, scaleOffset(1.0, 0.0)), {8, 1, 2})),
         {},
         {},
         KST_ERR_BAD_RECORD},
        {"single f32 and f64",
         {28, 0, 0, 0, 0x20, 0x40, 32, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F},
         {2.5, 1.0},
         {},
         0},
        {"single records without meaning",
         {12, 0, 9, 16, 0, 9, 20, 0, 1, 2, 24, 0, 1, 2, 3, 4},
         {},
         {},
         0},
        {"missing run between values",
         concat(concat(block(28 + 6, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}), block(39, {2, 0, 0, 0})),
                block(34, {0, 0, 0, 0, 0, 0, 0, 0x40})),
         {1.0, 0.0, 0.0, 2.0},
         {false, true, true, false},
         0},
        {"data of a channel index without a record",
         concat(block(34, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}),
                Bytes{34, 5, 8, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}),
         {1.0},
         {},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = Magic();
        AppendFramed(bytes, KST_TAG_CHANNEL, ChannelRecord(0, 0, "a", 0, 5));
        bytes.insert(bytes.end(), c.data.begin(), c.data.end());
        CKSTChannelList channels;
        EXPECT_EQ(ReadImage(bytes, channels), c.result);
        ASSERT_EQ(channels.GetCount(), 1);
        const CKSTChannel& channel = *channels.GetAt(0);
        ASSERT_EQ(channel.GetCount(), c.values.size());
        for (size_t i = 0; i < c.values.size(); ++i) {
            EXPECT_EQ(channel.GetValues()[i], c.values[i]) << i;
            EXPECT_EQ(channel.IsMissing(static_cast<int64_t>(i)),
                      i < c.missing.size() && c.missing[i])
                << i;
        }
    }
}

TEST(DocFileChannels, OldChannelRecordAndValueTexts)
{
    Bytes bytes = Magic();
    CKSTDocRecord old;
    old.PutU16(0);
    old.PutU16(0);
    for (const char* text : {"old", "g", "c", "s", "bar"}) {
        old.PutShortString(text);
    }
    old.PutI32(3);
    old.PutU8(0);
    old.PutU8(4);
    old.PutU32(86400);  // 1970-01-02 00:00:00
    old.PutF64(0.1);
    old.PutF64(2.0);
    AppendFramed(bytes, KST_TAG_CHANNEL_OLD, old);
    CKSTDocRecord textOld;
    textOld.PutU16(0);
    textOld.PutU16(2);
    textOld.PutShortString("two");
    AppendFramed(bytes, KST_TAG_VALUE_TEXT_OLD, textOld);
    CKSTDocRecord text;
    text.PutU16(0);
    text.PutU32(1);
    text.PutShortString("one");
    AppendFramed(bytes, KST_TAG_VALUE_TEXT, text);
    CKSTDocRecord strayText;  // for an index without a channel record: read and dropped
    strayText.PutU16(4);
    strayText.PutU32(1);
    strayText.PutShortString("none");
    AppendFramed(bytes, KST_TAG_VALUE_TEXT, strayText);

    CKSTChannelList channels;
    ASSERT_EQ(ReadImage(bytes, channels), 0);
    ASSERT_EQ(channels.GetCount(), 1);
    const CKSTChannel& c = *channels.GetAt(0);
    EXPECT_EQ(c.GetUnit(), "bar");
    EXPECT_EQ(c.GetSourceAttribute(), 3);
    EXPECT_EQ(c.GetSampleType(), 4);
    EXPECT_EQ(c.GetStoredSampleType(), 4);
    EXPECT_EQ(c.GetStartTimeStamp().GetSerialDays(), 25570.0);
    EXPECT_EQ(c.GetT0(), 2.0);
    EXPECT_EQ(c.GetValueText(1), "one");
    EXPECT_EQ(c.GetValueText(2), "two");
}

TEST(DocFileChannels, MatrixChannelsAreReadNotWritten)
{
    Bytes bytes = Magic();
    CKSTDocRecord record = ChannelRecord(0, 0, "m", 2, 5, 0.5, 1.0);
    record.PutShortString("Hz");
    record.PutU32(64);
    record.PutF64(2.0);
    record.PutF64(-1.0);  // the flag byte is absent: taken as far as the record goes
    AppendFramed(bytes, KST_TAG_CHANNEL, record);
    CKSTChannelList channels;
    ASSERT_EQ(ReadImage(bytes, channels), 0);
    const CKSTChannel& m = *channels.GetAt(0);
    EXPECT_EQ(m.GetTimeBaseType(), CKSTChannel::kMatrix);
    EXPECT_EQ(m.GetSecondAxisUnit(), "Hz");
    EXPECT_EQ(m.GetMatrixRowLength(), 64u);
    EXPECT_EQ(m.GetSecondAxisOrigin(), -1.0);
    EXPECT_FALSE(m.IsColorMatrix());

    CKSTDocFile file;
    EXPECT_EQ(file.OpenMemoryWrite(), KST_OK);
    EXPECT_EQ(file.WriteChannelRecord(m, 0, 0), KST_ERR_NEGATIVE_DURATION);
    CKSTMemBuffer out;
    file.GetMemory(out);
    EXPECT_EQ(out.GetSize(), kDocMagicSize);
}

TEST(DocFileChannels, PackSamplesBitOrder)
{
    const double four[] = {0, 1, 2, 3};
    uint8_t one = 0xFF;
    PackSamples(&one, 1, 4, 2, 0.0, 1.0, four);
    EXPECT_EQ(one, 0x1B);

    const double three[] = {5, 6, 7};
    uint8_t two[2] = {0xFF, 0xFF};
    PackSamples(two, 2, 3, 3, 0.0, 1.0, three);
    EXPECT_EQ(two[0], 0xBB);
    EXPECT_EQ(two[1], 0x80);
}

TEST(DocFileChannels, BitPackingRoundTripsOverWidthsAndCounts)
{
    std::mt19937 random(7);
    for (uint32_t width = 1; width <= 32; ++width) {
        for (uint32_t n : {1u, 2u, 3u, 7u, 8u, 9u, 31u, 64u, 65u}) {
            SCOPED_TRACE(testing::Message() << "width " << width << ", n " << n);
            // The writer's codes stop at 2147483646, below the top of 31 and 32 bits.
            const uint64_t top = std::min<uint64_t>((uint64_t{1} << width) - 1, 2147483646);
            std::vector<double> codes(n);
            for (uint32_t i = 0; i < n; ++i) {
                codes[i] = static_cast<double>(i == 0 ? top : random() % (top + 1));
            }
            const size_t bytes = (static_cast<uint64_t>(n) * width + 7) / 8;
            std::vector<uint8_t> packed(bytes + 1, 0xCC);
            PackSamples(packed.data(), bytes, n, width, 0.0, 1.0, codes.data());
            EXPECT_EQ(packed[bytes], 0xCC);  // nothing written past the byte count
            if ((n * width) % 8 != 0) {
                EXPECT_EQ(packed[bytes - 1] & ((1u << (8 - (n * width) % 8)) - 1), 0);
            }
            CKSTChannel decoded;
            ASSERT_EQ(
                decoded.ReadPackedValues(packed.data(), bytes, n, width, 1.0, 0.0, false, 0.0), 0);
            for (uint32_t i = 0; i < n; ++i) {
                ASSERT_EQ(decoded.GetValues()[i], codes[i]) << i;
            }
        }
    }
}

TEST(DocFileChannels, WriterChoosesTheEncodingByData)
{
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    auto ramp = [](uint32_t n, double step, double start) {
        std::vector<double> v(n);
        for (uint32_t i = 0; i < n; ++i) {
            v[i] = start + i * step;
        }
        return v;
    };
    auto twoLevels = [](uint32_t n) {  // two halves on distant small grids
        std::vector<double> v(n);
        for (uint32_t i = 0; i < n; ++i) {
            v[i] = (i < n / 2 ? 0.0 : 1.0e6) + (i % 4);
        }
        return v;
    };
    auto alternating = [](uint32_t n) {  // differences 9, 11, 9, 11, ...
        std::vector<double> v(n);
        for (uint32_t i = 1; i < n; ++i) {
            v[i] = v[i - 1] + (i % 2 != 0 ? 9.0 : 11.0);
        }
        return v;
    };
    std::vector<double> randomValues(300);
    for (double& v : randomValues) {
        v = uniform(random);
    }
    std::vector<double> floats(300);
    for (double& v : floats) {
        v = static_cast<float>(uniform(random));
    }
    struct Case {
        const char* name;
        std::vector<double> values;
        uint16_t sampleType;
        std::vector<uint8_t> tags;
        uint32_t firstPayload;  // length of the first record's payload, 0: not checked
    };
    const Case cases[] = {
        {"constant", std::vector<double>(1000, 3.75), 5, {KST_TAG_VALUE_PACKED}, 21},
        {"ramp", ramp(1000, 1.0, 0.0), 5, {KST_TAG_VALUE_DIFF_PACKED}, 29 + 125},
        {"steps of 0.5", ramp(1000, 0.5, 0.0), 5, {KST_TAG_VALUE_DIFF_PACKED}, 0},
        {"alternating differences", alternating(100), 5, {KST_TAG_VALUE_DIFF_PACKED}, 0},
        {"random doubles", randomValues, 5, {KST_TAG_VALUE_F64}, 8 * 300},
        {"floats as sample type 4", floats, 4, {KST_TAG_VALUE_F32}, 4 * 300},
        {"doubles as sample type 4", randomValues, 4, {KST_TAG_VALUE_F64}, 8 * 300},
        {"sample type 2 raw", randomValues, 2, {KST_TAG_VALUE_F64}, 8 * 300},
        {"511 values stay one block", twoLevels(511), 5, {KST_TAG_VALUE_PACKED}, 0},
        {"512 values split in two",
         twoLevels(512),
         5,
         {KST_TAG_VALUE_PACKED, KST_TAG_VALUE_PACKED},
         21 + 256 * 2 / 8},
        {"single value", {42.0}, 5, {KST_TAG_VALUE_PACKED}, 21},
        {"empty", {}, 5, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTChannelList list;
        list.AddPointer(MakeChannel(c.values, c.sampleType).release(), true);
        const Bytes bytes = WriteImage(list, true);
        const std::vector<RecordInfo> records = DataRecords(bytes);
        std::vector<uint8_t> tags;
        for (const RecordInfo& r : records) {
            tags.push_back(r.tag);
        }
        EXPECT_EQ(tags, c.tags);
        if (c.firstPayload != 0 && !records.empty()) {
            EXPECT_EQ(records[0].length, c.firstPayload);
        }
        CKSTChannelList back;
        const int read = ReadImage(bytes, back);
        ASSERT_EQ(read, 0);
        ExpectSameSamples(*list.GetAt(0), *back.GetAt(0));
    }
}

TEST(DocFileChannels, MissingSamplesBecomeRunRecords)
{
    std::vector<double> values = {1, 2, 3, 0, 0, 0, 7, 8, 9, 10};
    std::vector<bool> missing = {false, false, false, true, true, true};
    CKSTChannelList list;
    list.AddPointer(MakeChannel(values, 5, missing).release(), true);
    const Bytes bytes = WriteImage(list, true);
    const std::vector<RecordInfo> records = DataRecords(bytes);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].tag, KST_TAG_MISSING);
    EXPECT_EQ(records[1].length, 4u);
    EXPECT_EQ(bytes[records[1].payloadOffset], 3);

    // Leading and trailing runs too.
    std::vector<bool> edges = {true, true, false, false, false, false, false, false, true, true};
    CKSTChannelList edged;
    edged.AddPointer(MakeChannel(values, 5, edges).release(), true);
    CKSTChannelList back;
    ASSERT_EQ(ReadImage(WriteImage(edged, true), back), 0);
    ExpectSameSamples(*edged.GetAt(0), *back.GetAt(0));
}

// Generated channels of every kind the writer stores, compared exactly after a round trip.
TEST(DocFileChannels, RoundTripOfGeneratedChannels)
{
    std::mt19937_64 random(2024);
    std::uniform_real_distribution<double> uniform(-1000.0, 1000.0);
    const uint32_t lengths[] = {0, 1, 2, 511, 512, 5000};
    enum Shape { kRandom, kGrid, kConstant, kSteps, kText };
    CKSTChannelList list;
    int serial = 0;
    for (uint32_t n : lengths) {
        for (int shape = kRandom; shape <= kText; ++shape) {
            for (uint16_t sampleType : {4, 5, 3}) {
                for (bool timeVector : {false, true}) {
                    for (bool withMissing : {false, true}) {
                        if (timeVector && withMissing) {
                            continue;  // time vectors hold no missing samples
                        }
                        auto c = std::make_unique<CKSTChannel>();
                        c->SetName(CKSTString(("c" + std::to_string(serial++)).c_str()));
                        c->SetGroup("g");
                        c->SetUnit("V");
                        c->SetSampleType(sampleType);
                        c->SetSourceAttribute(serial);
                        c->SetStartTimeStamp(CKSTTimeStamp(2024, 5, 6, 7, 8, 9.0));
                        c->SetDt(0.125);
                        c->SetT0(-3.0);
                        if (timeVector) {
                            c->SetTimeBaseType(CKSTChannel::kTimeVector);
                        }
                        if (shape == kText) {
                            c->AddValueText("off", false);
                            c->AddValueText("on", false);
                        }
                        double t = 0.0;
                        for (uint32_t i = 0; i < n; ++i) {
                            double v = 0.0;
                            switch (shape) {
                                case kRandom:
                                    v = uniform(random);
                                    break;
                                case kGrid:
                                    v = static_cast<double>(random() % 4096) * 0.25 - 100.0;
                                    break;
                                case kConstant:
                                    v = -7.5;
                                    break;
                                case kSteps:
                                    v = static_cast<double>(i) * 3.0 + 1.0;
                                    break;
                                case kText:
                                    v = static_cast<double>(1 + random() % 2);
                                    break;
                            }
                            if (sampleType == 4) {
                                v = static_cast<float>(v);
                            }
                            const bool gap = withMissing && (i % 97 < 11 || i + 1 == n);
                            if (timeVector) {
                                // Irregular times, so the reader keeps them as a time vector.
                                t += 0.5 + static_cast<double>(random() % 1000) / 512.0;
                                c->AppendTimeValue(t, v);
                            } else {
                                c->AppendValue(gap ? 0.0 : v, gap);
                            }
                        }
                        list.AddPointer(c.release(), true);
                    }
                }
            }
        }
    }
    for (bool share : {true, false}) {
        SCOPED_TRACE(share ? "document" : "recording file");
        int written = -1;
        const Bytes bytes = WriteImage(list, share, &written);
        ASSERT_EQ(written, 0);
        CKSTChannelList back;
        ASSERT_EQ(ReadImage(bytes, back), 0);
        ASSERT_EQ(back.GetCount(), list.GetCount());
        for (int i = 0; i < list.GetCount(); ++i) {
            const CKSTChannel& expected = *list.GetAt(i);
            const CKSTChannel& actual = *back.GetAt(i);
            SCOPED_TRACE(expected.GetName().c_str());
            EXPECT_EQ(actual.GetName(), expected.GetName());
            EXPECT_EQ(actual.GetGroup(), expected.GetGroup());
            EXPECT_EQ(actual.GetUnit(), expected.GetUnit());
            EXPECT_EQ(actual.GetSourceAttribute(), expected.GetSourceAttribute());
            EXPECT_EQ(actual.GetSampleType(), expected.GetSampleType());
            EXPECT_TRUE(actual.GetStartTimeStamp() == expected.GetStartTimeStamp());
            EXPECT_EQ(actual.GetValueTextCount(), expected.GetValueTextCount());
            if (expected.GetTimeBaseType() == CKSTChannel::kEquidistant) {
                EXPECT_EQ(actual.GetTimeBaseType(), CKSTChannel::kEquidistant);
                EXPECT_EQ(actual.GetDt(), expected.GetDt());
                EXPECT_EQ(actual.GetT0(), expected.GetT0());
            }
            ExpectSameSamples(expected, actual);
        }
    }
}

TEST(DocFileChannels, SparseValueTextsWriteOnlyTheirTexts)
{
    CKSTChannelList list;
    CKSTChannel* c = list.GetAt(list.AddNew());
    c->SetName("state");
    c->SetDt(1.0);
    c->AppendValue(1.0, false);
    c->SetValueText(1, "low");
    c->SetValueText(1000000, "high");
    int written = -1;
    const Bytes bytes = WriteImage(list, true, &written);
    ASSERT_EQ(written, 0);
    EXPECT_LT(bytes.size(), 200u);
    CKSTChannelList back;
    ASSERT_EQ(ReadImage(bytes, back), 0);
    ASSERT_EQ(back.GetCount(), 1);
    EXPECT_EQ(back.GetAt(0)->GetValueText(1), "low");
    EXPECT_EQ(back.GetAt(0)->GetValueText(2), "");
    EXPECT_EQ(back.GetAt(0)->GetValueText(1000000), "high");
}

// A stored time vector whose times would form a grid with a gap but for one NaN: the reader
// leaves it a time vector instead of placing the NaN on the grid.
TEST(DocFileChannels, TimeVectorWithANaNTimeStaysATimeVector)
{
    const std::vector<double> times = {0, 1, 2, std::numeric_limits<double>::quiet_NaN(), 4, 5, 7};
    CKSTChannelList list;
    CKSTChannel& channel = *list.GetAt(list.AddNew());
    channel.SetTimeBaseType(CKSTChannel::kTimeVector);
    for (size_t i = 0; i < times.size(); ++i) {
        channel.AppendTimeValue(times[i], 10.0 + i);
    }
    CKSTDocFile file;
    ASSERT_EQ(file.OpenMemoryWrite(), KST_OK);
    ASSERT_EQ(file.WriteChannels(list, true), KST_OK);
    CKSTMemBuffer image;
    file.GetMemory(image);
    EXPECT_EQ(file.Close(), KST_OK);

    CKSTChannelList back;
    file.SetMemory(image);
    ASSERT_EQ(file.OpenMemoryRead(), KST_OK);
    ASSERT_EQ(file.ReadChannels(back, nullptr, false, nullptr), KST_OK);
    ASSERT_EQ(back.GetCount(), 1);
    EXPECT_EQ(back.GetAt(0)->GetTimeBaseType(), CKSTChannel::kTimeVector);
    ExpectSameSamples(channel, *back.GetAt(0));
}

// Channels are allocated from the counts in the record headers before the samples are read; a
// count that the file's bytes do not back (a missing run of four billion samples in four bytes)
// must not be allocated ahead of the budget check that refuses it.
TEST(DocFileChannels, CountsInHeadersAllocateNoMoreThanTheFileCanHold)
{
    CKSTChannelList list;
    list.GetAt(list.AddNew())->AppendValues(1.5, false, 3);
    CKSTDocFile file;
    ASSERT_EQ(file.OpenMemoryWrite(), KST_OK);
    ASSERT_EQ(file.WriteChannels(list, true), KST_OK);
    ASSERT_EQ(file.WriteMissingRun(0, 0xFFFFFFF0u), KST_OK);
    CKSTMemBuffer image;
    file.GetMemory(image);
    EXPECT_EQ(file.Close(), KST_OK);

    for (const uint32_t index : {0u, 1u}) {
        SCOPED_TRACE(index);
        file.SetMemory(image);
        ASSERT_EQ(file.OpenMemoryRead(), KST_OK);
        file.SetSampleBudget(100000000);
        CKSTChannel channel;
        if (index == 0) {
            EXPECT_EQ(file.ReadChannelData(channel, 0, nullptr), KST_ERR_TOO_LARGE);
        } else {
            CKSTChannelList back;
            EXPECT_EQ(file.ReadChannels(back, nullptr, false, nullptr), KST_ERR_TOO_LARGE);
            ASSERT_EQ(back.GetCount(), 1);
            channel = *back.GetAt(0);
        }
        EXPECT_EQ(file.Close(), KST_OK);
        EXPECT_EQ(channel.GetCount(), 3u);
        EXPECT_LE(channel.GetCapacity(), 8 * image.GetSize() + CKSTChannel::kDefaultGrowthStep);
    }
}

TEST(DocFileChannels, SingleValueRecordsKeepEveryValue)
{
    struct Case {
        uint16_t sampleType;
        double value;
        uint8_t tag;
    };
    const Case cases[] = {
        {4, 1.5, KST_TAG_SINGLE_VALUE_F32},
        {4, 0.1, KST_TAG_SINGLE_VALUE_F64},  // not exact as f32
        {5, 1.5, KST_TAG_SINGLE_VALUE_F64},
        {0, 3.0, KST_TAG_SINGLE_VALUE_F64},
        {2, -12.0, KST_TAG_SINGLE_VALUE_F64},
        {9, 1e300, KST_TAG_SINGLE_VALUE_F64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sampleType << " " << c.value);
        CKSTDocFile file;
        EXPECT_EQ(file.OpenMemoryWrite(), KST_OK);
        ASSERT_EQ(file.WriteSingleValue(3, c.sampleType, c.value), 0);
        CKSTMemBuffer out;
        file.GetMemory(out);
        const Bytes bytes = FromBuffer(out);
        ASSERT_GT(bytes.size(), kDocMagicSize + 1);
        EXPECT_EQ(bytes[kDocMagicSize], c.tag);

        CKSTDocReader value(bytes.data() + kDocMagicSize + 2, bytes.size() - kDocMagicSize - 2);
        CKSTChannel channel;
        ASSERT_EQ(file.ReadSingleValue(value, channel, c.tag), 0);
        EXPECT_EQ(channel.GetValues()[0], c.value);
    }
}

}  // namespace

// The written bytes of every block form the writer chooses, pinned by their digest, and the same
// bytes through a file as in memory. Long channels make the file writer split its blocks.
TEST(DocFileChannels, WrittenBlocksKeepTheirBytes)
{
    std::mt19937_64 random(7);
    const auto unit = [&random] { return static_cast<double>(random() >> 11) * 0x1p-52 - 1.0; };
    const auto fill = [](uint32_t n, auto value) {
        std::vector<double> v(n);
        for (uint32_t i = 0; i < n; ++i) {
            v[i] = value(i);
        }
        return v;
    };
    CKSTChannelList list;
    list.AddPointer(MakeChannel(fill(3000, [&](uint32_t) { return unit(); })).release(), true);
    list.AddPointer(
        MakeChannel(fill(300000, [&](uint32_t) { return double(float(unit())); }), 4).release(),
        true);
    list.AddPointer(
        MakeChannel(fill(300000, [&](uint32_t) { return double(random() % 4096) * 0.25; }))
            .release(),
        true);
    double walk = 0.0;
    list.AddPointer(
        MakeChannel(fill(5000, [&](uint32_t) { return walk += double(random() % 16) - 8.0; }))
            .release(),
        true);
    list.AddPointer(
        MakeChannel(
            fill(5000, [&](uint32_t i) { return double((i / 500) * 1000 + random() % 16); }))
            .release(),
        true);
    std::vector<bool> missing(5000);
    for (uint32_t i = 0; i < 5000; ++i) {
        missing[i] = i % 1000 >= 990;
    }
    list.AddPointer(
        MakeChannel(fill(5000, [&](uint32_t) { return double(random() % 4096); }), 5, missing)
            .release(),
        true);
    for (const bool jitter : {true, false}) {
        auto channel = std::make_unique<CKSTChannel>();
        channel->SetName(jitter ? "jittered times" : "random times");
        for (uint32_t i = 0; i < 4000; ++i) {
            const double t = jitter ? double(i * 1000ull + random() % 300) * 1e-6 : unit() + i;
            channel->AppendTimeValue(t, double(random() % 4096));
        }
        list.AddPointer(channel.release(), true);
    }

    const Bytes image = WriteImage(list, true);
    CKSTString digest;
    Md5Hex(digest, image.data(), image.size());
    EXPECT_EQ(image.size(), 1765588u);
    EXPECT_EQ(std::string(digest.c_str()), "2a9e58189c5d6ba6baa91bed5296e039");

    TempFolder folder;
    CKSTDocFile file;
    ASSERT_EQ(file.OpenWrite(folder.Path("blocks.qld")), 0);
    ASSERT_EQ(file.WriteChannels(list, true), 0);
    ASSERT_EQ(file.Close(), 0);
    std::ifstream in(folder.Native("blocks.qld"), std::ios::binary);
    const Bytes written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(written == image);
}

// Long blocks are decoded on several threads; the samples must come out as one thread gives
// them, for every block form, with running sums that start inside a byte and biases far from 0.
TEST(DocFileChannels, SplitDecodingGivesTheSamplesOfOneThread)
{
    std::mt19937_64 random(5);
    const uint32_t n = 1001;  // not a multiple of 8: the last range ends inside a byte
    std::vector<double> values(n);
    for (double& v : values) {
        v = static_cast<double>(random() % 1000);
    }
    CKSTDocFile writer;
    ASSERT_EQ(writer.OpenMemoryWrite(), 0);
    CKSTChannelList list;
    for (uint32_t k = 0; k < 9; ++k) {
        list.AddPointer(MakeChannel({}).release(), true);
        ASSERT_EQ(writer.WriteChannelRecord(*list.GetAt(static_cast<int>(k)), k, k), 0);
    }
    struct Block {
        uint64_t levels;
        bool packed;
        bool difference;
        double scale;
        double offset;
        uint16_t sampleType;
    };
    const Block blocks[] = {
        {0, false, false, 0.0, 0.0, 5},       // f64
        {0, false, false, 0.0, 0.0, 4},       // f32
        {1000, false, false, 1.0, 0.0, 5},    // u16 codes
        {100000, false, false, 1.0, 0.0, 5},  // u32 codes
        {1000, true, false, 1.0, 0.0, 5},     // 10-bit codes
        {2000, true, true, 1.0, -1000.0, 5},  // 11-bit differences, bias 1000
        {4096, true, true, 0.5, -2048.0, 5},  // a running sum over a fine grid
        {3, true, true, 1e-3, -1e9, 5},       // bias 1e12: codes far from the sums
        {1u << 30, true, true, 1.0, 0.0, 5},  // 30-bit codes
    };
    for (uint32_t k = 0; k < std::size(blocks); ++k) {
        const Block& b = blocks[k];
        std::vector<double> data = values;
        if (b.sampleType == 4) {
            for (double& v : data) {
                v = static_cast<float>(v / 7.0);
            }
        }
        const uint32_t count = b.difference ? n - 1 : n;
        ASSERT_EQ(writer.WriteSampleBlock(k, b.sampleType, data.data(), count, false, b.scale,
                                          b.offset, b.levels, b.packed, b.difference),
                  0);
    }
    CKSTMemBuffer image;
    writer.GetMemory(image);
    const Bytes bytes = FromBuffer(image);

    CKSTChannelList oneThread;
    KstSetParallelLimits(1, 0);
    ASSERT_EQ(ReadImage(bytes, oneThread), 0);
    CKSTChannelList split;
    KstSetParallelLimits(4, 1);
    const int result = ReadImage(bytes, split);
    KstSetParallelLimits(0, 0);
    ASSERT_EQ(result, 0);
    ASSERT_EQ(split.GetCount(), 9);
    for (int k = 0; k < 9; ++k) {
        SCOPED_TRACE(k);
        ASSERT_EQ(oneThread.GetAt(k)->GetCount(), n);
        ExpectSameSamples(*oneThread.GetAt(k), *split.GetAt(k));
    }
}
