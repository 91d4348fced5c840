#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "FamosImage.h"
#include "data/DataSet.h"
#include "formats/FamosFile.h"
#include "formats/SplitDecodeSupport.h"
#include "foundation/DataFile.h"
#include "foundation/ErrorCodes.h"

using namespace famos_test;

namespace {

using Layout = FamosImage::Layout;

// --- Field readers ---

struct FieldCase {
    const char* name;
    const char* bytes;
    char kind;  // 'i' integer, 'r' real, 't' text of `length`
    int64_t length;
    double number;
    const char* text;
    const char* rest;  // what the next field read gives
};

TEST(FamosKeyReaderTest, FieldsByTheirRules)
{
    const FieldCase cases[] = {
        {"decimal", "123,x", 'i', 0, 123, "", "x"},
        {"negative decimal at a key end", "-45;x", 'i', 0, -45, "", "x"},
        {"hexadecimal", "x1F,x", 'i', 0, 31, "", "x"},
        {"hexadecimal with 0x", "0x10,x", 'i', 0, 16, "", "x"},
        {"real", "1.5,x", 'r', 0, 1.5, "", "x"},
        {"real with exponent", "-2e-3;x", 'r', 0, -0.002, "", "x"},
        {"hex times decimal", "x10 * 0.5,x", 'r', 0, 8.0, "", "x"},
        {"hex without a factor keeps the value", "x10,x", 'r', 0, 7.0, "", "x"},
        {"text by its length keeps commas", "a,b,c,x", 't', 5, 0, "a,b,c", "x"},
        {"text whose length is short is cut at the length", "abcdef,x", 't', 3, 0, "abc", "x"},
        {"text whose length is long ends at the comma", "short,xyzxyzxyz,", 't', 9, 0, "short",
         "xyzxyzxyz"},
        {"text of length 0 is skipped", "ignored,x", 't', 0, 0, "", "x"},
        {"text length beyond the data", "end;x", 't', 99, 0, "end", "x"},
    };
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTDataFile stream;
        stream.SetMemory(Buffer(std::string(c.bytes) + ";"));
        ASSERT_EQ(stream.OpenMemoryRead(), KST_OK);
        CKSTFamosKeyReader reader(stream);
        if (c.kind == 'i') {
            int64_t value = 7;
            ASSERT_EQ(reader.ReadInteger(value), KST_OK);
            EXPECT_EQ(value, static_cast<int64_t>(c.number));
        } else if (c.kind == 'r') {
            double value = 7.0;
            ASSERT_EQ(reader.ReadReal(value), KST_OK);
            EXPECT_DOUBLE_EQ(value, c.number);
        } else {
            CKSTString text("old");
            ASSERT_EQ(reader.ReadText(c.length, text), KST_OK);
            EXPECT_EQ(Text(text), c.text);
        }
        CKSTString rest;
        ASSERT_EQ(reader.ReadTextUpTo(100, rest), KST_OK);
        EXPECT_EQ(Text(rest), c.rest);
    }
}

TEST(FamosKeyReaderTest, EndOfDataInsideAFieldOrKeySearch)
{
    CKSTDataFile stream;
    stream.SetMemory(Buffer("12"));
    ASSERT_EQ(stream.OpenMemoryRead(), KST_OK);
    CKSTFamosKeyReader reader(stream);
    int64_t value = 0;
    EXPECT_EQ(reader.ReadInteger(value), KST_ERR_END_OF_DATA);
    EXPECT_EQ(reader.SkipToKey(), KST_ERR_END_OF_DATA);
}

// --- Channels of hand-built files ---

TEST(FamosReadTest, ChannelsOneAfterTheOtherInOneDataKey)
{
    Layout a;
    a.reference = 1;
    a.format = 4;
    a.bytes = 2;
    a.filled = 6;
    a.scaling = "1,0.5,10,1,1,V";
    Layout b;
    b.reference = 2;
    b.format = 7;
    b.bytes = 4;
    b.bufferOffset = 6;
    b.filled = 8;
    b.scaling = "0,0,0,1,2,mA";
    FamosImage image;
    image.Channel("A", a).Channel("B", b).Data(
        1, LittleEndian<int16_t>({1, -2, 3}) + LittleEndian<float>({0.5f, 1.5f}));

    CKSTDataSet set;
    ASSERT_EQ(ReadImage(image.Bytes(), set), KST_OK);
    const CKSTChannelList& channels = set.GetChannels();
    ASSERT_EQ(channels.GetCount(), 2);
    EXPECT_EQ(Text(channels.GetAt(0)->GetName()), "A");
    EXPECT_EQ(Values(*channels.GetAt(0)), (std::vector<double>{10.5, 9.0, 11.5}));
    EXPECT_EQ(channels.GetAt(0)->GetSampleType(), 2);
    EXPECT_EQ(Text(channels.GetAt(0)->GetUnit()), "V");
    EXPECT_DOUBLE_EQ(channels.GetAt(0)->GetDt(), 0.5);
    EXPECT_EQ(Values(*channels.GetAt(1)), (std::vector<double>{0.5, 1.5}));
    EXPECT_EQ(channels.GetAt(1)->GetSampleType(), 4);
    EXPECT_EQ(Text(channels.GetAt(1)->GetUnit()), "mA");
}

// Records of an int16 and a float32 value: each channel steps over the other's bytes with its
// own stride, so neither the formats nor the scalings of the two get mixed.
// Records of an int16 and a float32 value, numbered 1 .. records.
std::string InterleavedImage(int records)
{
    Layout a;
    a.format = 4;
    a.bytes = 2;
    a.filled = 6 * records;
    a.distance = 4;
    a.scaling = "1,2,0,1,1,V";
    Layout b = a;
    b.format = 7;
    b.bytes = 4;
    b.valueOffset = 2;
    b.distance = 2;
    b.scaling = "0,0,0,1,1,V";
    b.ownBuffer = false;
    std::string data;
    for (int i = 1; i <= records; ++i) {
        data += LittleEndian<int16_t>({static_cast<int16_t>(i)}) +
                LittleEndian<float>({0.25f * static_cast<float>(i)});
    }
    FamosImage image;
    image.Channel("A", a).Channel("B", b).Data(1, data);
    return image.Bytes();
}

TEST(FamosReadTest, InterleavedChannelsEachWithItsOwnStride)
{
    CKSTDataSet set;
    ASSERT_EQ(ReadImage(InterleavedImage(3), set), KST_OK);
    ASSERT_EQ(set.GetChannels().GetCount(), 2);
    EXPECT_EQ(Values(*set.GetChannels().GetAt(0)), (std::vector<double>{2, 4, 6}));
    EXPECT_EQ(Values(*set.GetChannels().GetAt(1)), (std::vector<double>{0.25, 0.5, 0.75}));
}

std::string FarApartImage()
{
    Layout wide;
    wide.distance = 40000;
    wide.filled = 2 * 8 + 40000;
    FamosImage image;
    image.Channel("A", wide).Data(1, LittleEndian<double>({1.5}) + std::string(40000, '|') +
                                         LittleEndian<double>({-2.5}));
    return image.Bytes();
}

TEST(FamosReadTest, ValuesFartherApartThanOneReadChunk)
{
    CKSTDataSet set;
    ASSERT_EQ(ReadImage(FarApartImage(), set), KST_OK);
    ASSERT_EQ(set.GetChannels().GetCount(), 1);
    EXPECT_EQ(Values(*set.GetChannels().GetAt(0)), (std::vector<double>{1.5, -2.5}));
}

std::string XYImage()
{
    Layout values;
    values.filled = 24;
    Layout times;
    times.reference = 2;
    times.bufferOffset = 24;
    times.filled = 24;
    times.scaling = "0,0,0,1,2,ms";
    FamosImage image;
    image.Key("CG", "2,3,2");
    image.Component(1, values).Key("CN", "0,0,0,2,xy,0,");
    image.Component(2, times);
    image.Data(1, LittleEndian<double>({1, 2, 3}) + LittleEndian<double>({0.0, 0.1, 0.3}));
    return image.Bytes();
}

TEST(FamosReadTest, XYChannelTakesItsTimesFromTheSecondComponent)
{
    CKSTDataSet set;
    ASSERT_EQ(ReadImage(XYImage(), set), KST_OK);
    ASSERT_EQ(set.GetChannels().GetCount(), 1);
    const CKSTChannel& xy = *set.GetChannels().GetAt(0);
    EXPECT_EQ(xy.GetTimeBaseType(), CKSTChannel::kTimeVector);
    EXPECT_EQ(Values(xy), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(std::vector<double>(xy.GetTimes(), xy.GetTimes() + 3),
              (std::vector<double>{0.0, 0.1, 0.3}));
    EXPECT_EQ(Text(xy.GetTimeUnit()), "ms");
    EXPECT_EQ(Text(xy.GetUnit()), "V");
}

TEST(FamosReadTest, DigitalWordNamedByThreeNameKeysBecomesThreeBitChannels)
{
    Layout word;
    word.format = 11;
    word.bytes = 2;
    word.filled = 6;
    FamosImage image;
    image.Key("CG", "1,1,1").Key("CD", "1,1,1,s,0,0,0");
    image.Component(1, word, "2");
    image.Key("CN", "0,0,0,1,a,0,").Key("CN", "0,0,1,1,b,0,").Key("CN", "0,0,2,1,c,0,");
    image.Data(1, LittleEndian<uint16_t>({5, 2, 0xFFFF}));

    CKSTDataSet set;
    ASSERT_EQ(ReadImage(image.Bytes(), set), KST_OK);
    const CKSTChannelList& channels = set.GetChannels();
    ASSERT_EQ(channels.GetCount(), 3);
    const std::vector<std::vector<double>> bits = {{1, 0, 1}, {0, 1, 1}, {1, 0, 1}};
    for (int b = 0; b < 3; ++b) {
        SCOPED_TRACE(b);
        EXPECT_EQ(Text(channels.GetAt(b)->GetName()), std::string(1, static_cast<char>('a' + b)));
        EXPECT_EQ(Values(*channels.GetAt(b)), bits[b]);
        EXPECT_EQ(channels.GetAt(b)->GetStoredSampleType(), 0);
    }
}

TEST(FamosReadTest, SingleValueKey)
{
    const std::string fields = "0,8,4,Temp," + LittleEndian<double>({21.5}) + ",1,C,3,abc," +
                               LittleEndian<double>({3600.0});
    FamosImage image;
    image.Raw("|CI,1," + std::to_string(fields.size()) + "," + fields + ";\r\n");

    CKSTDataSet set;
    ASSERT_EQ(ReadImage(image.Bytes(), set), KST_OK);
    ASSERT_EQ(set.GetChannels().GetCount(), 1);
    const CKSTChannel& single = *set.GetChannels().GetAt(0);
    EXPECT_EQ(Values(single), std::vector<double>{21.5});
    EXPECT_EQ(Text(single.GetName()), "Temp");
    EXPECT_EQ(Text(single.GetUnit()), "C");
    EXPECT_EQ(Text(single.GetComment()), "abc");
    EXPECT_EQ(single.GetStartTimeStamp(), CKSTTimeStamp(1980, 1, 1, 1, 0, 0.0));
}

TEST(FamosReadTest, TriggerTimeKeepsWholeSecondsAndAddsTheBufferAddTime)
{
    struct Case {
        const char* second;
        const char* addTime;
        CKSTTimeStamp expected;
    } cases[] = {
        {"12.75", "0", CKSTTimeStamp(2020, 2, 1, 3, 4, 12.0)},
        {"60", "0", CKSTTimeStamp(2020, 2, 1, 3, 4, 59.0)},
        {"12", "1.5", CKSTTimeStamp(2020, 2, 1, 3, 4, 13.5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.second);
        Layout layout;
        layout.ownBuffer = false;
        layout.filled = 8;
        FamosImage image;
        image.Key("CG", "1,1,1").Key("NT", std::string("1,2,2020,3,4,") + c.second);
        image.Component(1, layout).Buffer(1, 0, 8, "0", 1, c.addTime);
        image.Key("CN", "0,0,0,1,t,0,").Data(1, LittleEndian<double>({1.0}));
        CKSTDataSet set;
        ASSERT_EQ(ReadImage(image.Bytes(), set), KST_OK);
        ASSERT_EQ(set.GetChannels().GetCount(), 1);
        EXPECT_EQ(set.GetChannels().GetAt(0)->GetStartTimeStamp(), c.expected);
    }
}

std::string VersionOneImage()
{
    std::string bytes = "|CF,1,0,0;\r\n|CD,1,0.01,1,0,1,1,s;\r\n";
    bytes += "|CR,1,2,1,1,2.0,0.5,000000000,1,V,1,1,1.0,0.0,000000000,1,A;\r\n";
    bytes += "|NT,1,ab,01.02.2020,1,,12:34:56.50;\r\n";
    bytes += "|CP,3,0,0,2,4,0,a,4,0,b;\r\n|CJ,1,30;\r\n";
    const std::string data = LittleEndian<int16_t>({1, 10, 2, 20, 3, 30});
    bytes += "|CS,1," + std::to_string(data.size()) + "," + data + ";";
    return bytes;
}

TEST(FamosReadTest, VersionOneFileSplitsTheSharedSamples)
{
    CKSTDataSet set;
    ASSERT_EQ(ReadImage(VersionOneImage(), set), KST_OK);
    const CKSTChannelList& channels = set.GetChannels();
    ASSERT_EQ(channels.GetCount(), 2);
    EXPECT_EQ(Text(channels.GetAt(0)->GetName()), "a");
    EXPECT_EQ(Text(channels.GetAt(1)->GetName()), "b");
    EXPECT_EQ(Values(*channels.GetAt(0)), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(Values(*channels.GetAt(1)), (std::vector<double>{10, 20, 30}));
    EXPECT_EQ(Text(channels.GetAt(0)->GetUnit()), "V");
    EXPECT_EQ(Text(channels.GetAt(1)->GetUnit()), "A");
    EXPECT_DOUBLE_EQ(channels.GetAt(0)->GetDt(), 0.01);
    EXPECT_EQ(channels.GetAt(0)->GetStartTimeStamp(), CKSTTimeStamp(2020, 2, 1, 12, 34, 56.5));
}

TEST(FamosReadTest, SecondGroupAfterADataKeyAndALineBreak)
{
    Layout a;
    a.filled = 8;
    Layout b;
    b.reference = 2;
    b.filled = 16;
    b.sampleKey = 2;
    FamosImage image;
    image.Key("CB", "1,5,first,0,").Key("CB", "2,6,second,0,");
    image.Channel("A", a).Data(1, LittleEndian<double>({1}));
    image.Channel("B", b).Data(2, LittleEndian<double>({2, 3}));
    image.Key("CT", "0,4,Note,8,with,|CS,0,");

    CKSTDataSet set;
    ASSERT_EQ(ReadImage(image.Bytes(), set), KST_OK);
    ASSERT_EQ(set.GetChannels().GetCount(), 2);
    EXPECT_EQ(Values(*set.GetChannels().GetAt(0)), std::vector<double>{1});
    EXPECT_EQ(Values(*set.GetChannels().GetAt(1)), (std::vector<double>{2, 3}));
    CKSTString note;
    EXPECT_GE(set.GetHeader().GetString("Note", note), 0);
    EXPECT_EQ(Text(note), "with,|CS");
}

TEST(FamosReadTest, CommentKeysBecomeHeaderEntries)
{
    Layout a;
    a.filled = 8;
    FamosImage image;
    image.Channel("A", a).Data(1, LittleEndian<double>({1}));
    image.Key("CT", "0,8,_Comment,11,hello,world,0,");
    image.Key("CT", "0,7,Station,3,A12,0,");
    CKSTDataSet set;
    ASSERT_EQ(ReadImage(image.Bytes(), set), KST_OK);
    CKSTString comment, station;
    EXPECT_GE(set.GetHeader().GetString("Comment", comment, true), 0);
    EXPECT_EQ(Text(comment), "hello,world");
    EXPECT_GE(set.GetHeader().GetString("Station", station), 0);
    EXPECT_EQ(Text(station), "A12");
}

std::string CutInsideTheDataImage()
{
    Layout a;
    a.format = 4;
    a.bytes = 2;
    a.filled = 8;
    FamosImage image;
    image.Channel("A", a);
    const std::string data = LittleEndian<int16_t>({1, 2, 3, 4});
    image.Raw("|CS,1," + std::to_string(data.size() + 2) + ",1," + data.substr(0, 5));
    return image.Bytes();
}

TEST(FamosReadTest, FileEndingInsideTheDataKeepsTheWholeSamples)
{
    CKSTDataSet set;
    EXPECT_EQ(ReadImage(CutInsideTheDataImage(), set), KST_ERR_END_OF_DATA);
    ASSERT_EQ(set.GetChannels().GetCount(), 1);
    EXPECT_EQ(Values(*set.GetChannels().GetAt(0)), (std::vector<double>{1, 2}));
}

TEST(FamosReadTest, RawSampleReadersAppendWholeSamplesBehindExistingOnes)
{
    CKSTDataFile stream;
    stream.SetMemory(Buffer(LittleEndian<int16_t>({-1, 2, 3}) + "\x01"));
    ASSERT_EQ(stream.OpenMemoryRead(), KST_OK);
    CKSTChannel channel;
    channel.AppendValue(9.0, false);
    EXPECT_EQ(CKSTFamosFile::AppendRawSamplesI16(channel, stream, 5, 2.0, 1.0),
              KST_ERR_END_OF_DATA);
    EXPECT_EQ(Values(channel), (std::vector<double>{9, -1, 5, 7}));

    stream.SetMemory(Buffer(LittleEndian<uint32_t>({4000000000u}) + LittleEndian<float>({0.5f})));
    ASSERT_EQ(stream.OpenMemoryRead(), KST_OK);
    EXPECT_EQ(CKSTFamosFile::AppendRawSamplesU32(channel, stream, 1, 1.0, 0.0), KST_OK);
    EXPECT_EQ(CKSTFamosFile::AppendRawSamplesF32(channel, stream, 1, 1.0, 0.0), KST_OK);
    EXPECT_EQ(Values(channel), (std::vector<double>{9, -1, 5, 7, 4e9, 0.5}));
}

// Every storage type with its scaling, channels sharing records, values far apart, times from a
// component, a version 1 file and a file cut inside the data: the same channels whether the
// widening runs on one thread or is split over several.
TEST(FamosReadTest, SplitWideningGivesTheSameChannels)
{
    struct Case {
        std::string what;
        std::string bytes;
    };
    std::vector<Case> cases = {{"interleaved", InterleavedImage(1000)},
                               {"far apart", FarApartImage()},
                               {"xy", XYImage()},
                               {"version 1", VersionOneImage()},
                               {"cut inside the data", CutInsideTheDataImage()}};
    const struct {
        int format;
        int bytes;
    } kStorage[] = {{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 4}, {6, 4}, {7, 4}, {8, 8}, {11, 2}};
    for (const auto& storage : kStorage) {
        Layout layout;
        layout.format = storage.format;
        layout.bytes = storage.bytes;
        layout.filled = 1001 * storage.bytes;
        layout.scaling = "1,0.5,-3,1,1,V";
        std::string data(static_cast<size_t>(layout.filled), '\0');
        for (size_t i = 0; i < data.size(); ++i) {
            data[i] = static_cast<char>(i * 131 + 7);
        }
        FamosImage image;
        image.Channel("A", layout).Data(1, data);
        cases.push_back({"format " + std::to_string(storage.format), image.Bytes()});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kst_test::ExpectSameSplitOrNot<CKSTFamosFile>(
            std::vector<uint8_t>(c.bytes.begin(), c.bytes.end()), "split.dat");
    }
}

// --- Hostile input ---

std::string WithChannel(const Layout& layout, const std::string& data)
{
    FamosImage image;
    image.Channel("A", layout).Data(1, data);
    return image.Bytes();
}

TEST(FamosReadTest, HostileFilesAreRefused)
{
    Layout plain;
    plain.filled = 8;
    const std::string eight = LittleEndian<double>({1});
    auto with = [&](auto change) {
        Layout layout = plain;
        change(layout);
        return WithChannel(layout, eight);
    };
    struct Case {
        const char* name;
        std::string bytes;
        int expected;
    };
    const Case cases[] = {
        {"not a FAMOS start", "|CX,2,1;", KST_ERR_NOT_FAMOS},
        {"unknown version", "|CF,3,1;", KST_ERR_NOT_FAMOS},
        {"buffer reference 0", with([](Layout& l) { l.reference = 0; }), KST_ERR_BAD_KEY},
        {"buffer reference above 65535", with([](Layout& l) { l.reference = 70000; }),
         KST_ERR_BAD_KEY},
        {"bytes per value not those of the format", with([](Layout& l) { l.bytes = 4; }),
         KST_ERR_BAD_KEY},
        {"number format not decoded", with([](Layout& l) { l.format = 9; }), KST_ERR_BAD_KEY},
        {"filled bytes beyond the data key", with([](Layout& l) { l.filled = 800; }),
         KST_ERR_BAD_KEY},
        {"buffer offset beyond the data key", with([](Layout& l) { l.bufferOffset = 1LL << 40; }),
         KST_ERR_BAD_KEY},
        {"negative byte distance", with([](Layout& l) { l.distance = -2; }), KST_ERR_BAD_KEY},
        {"negative value offset", with([](Layout& l) { l.valueOffset = -8; }), KST_ERR_BAD_KEY},
        {"no buffer key for the reference", with([](Layout& l) { l.ownBuffer = false; }),
         KST_ERR_BAD_KEY},
        {"data key of another index", with([](Layout& l) { l.sampleKey = 5; }), KST_ERR_BAD_KEY},
        {"group index 0", FamosImage().Key("CB", "0,1,g,0,").Bytes(), KST_ERR_BAD_KEY},
        {"group index above 65535", FamosImage().Key("CB", "65536,1,g,0,").Bytes(),
         KST_ERR_BAD_KEY},
        {"negative data length", FamosImage().Raw("|CS,1,-5,1,;").Bytes(), KST_ERR_BAD_KEY},
        {"data length beyond every position",
         FamosImage().Channel("A", plain).Raw("|CS,1,98888888888888888888,1," + eight + ";").Bytes(),
         KST_ERR_BAD_KEY},
        {"buffer key of two buffers",
         FamosImage()
             .Key("CG", "1,1,1")
             .Key("CC", "1,1")
             .Key("CP", "1,8,8,64,0,0,1,0")
             .Key("Cb", "2,0,1,1,0,8,0,8,1,0,0,")
             .Key("CN", "0,0,0,1,A,0,")
             .Data(1, eight)
             .Bytes(),
         KST_ERR_BAD_KEY},
        {"component without a packing key", FamosImage().Key("CG", "1,1,1").Key("CC", "1,1").Key("CC", "3,1")
                                   .Data(1, eight).Bytes(), KST_ERR_BAD_KEY},
        {"XY channel without its second component",
         FamosImage().Key("CG", "1,3,2").Component(1, plain).Data(1, eight).Bytes(),
         KST_ERR_INDEX_BEYOND},
        {"version 1 with more channels than it can describe",
         "|CF,1,0;|CR,1,70000,;", KST_ERR_BAD_KEY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTDataSet set;
        EXPECT_EQ(ReadImage(c.bytes, set), c.expected);
    }
}

// A plain channel, then an XY channel whose values or times cannot all be read: no channel
// leaves the reader with samples whose times were never written.
std::string PlainThenXYImage(const std::string& data, bool timeBuffer, bool timeComponent)
{
    Layout plain;
    plain.filled = 8;
    Layout values;
    values.reference = 2;
    values.bufferOffset = 8;
    values.filled = 24;
    Layout times;
    times.reference = 3;
    times.bufferOffset = 32;
    times.filled = 24;
    times.scaling = "0,0,0,1,2,ms";
    times.ownBuffer = timeBuffer;
    FamosImage image;
    image.Channel("A", plain);
    image.Key("CG", "2,3,2");
    image.Component(1, values).Key("CN", "0,0,0,2,xy,0,");
    if (timeComponent) {
        image.Component(2, times);
    }
    const std::string full = data + std::string(56 - std::min<size_t>(data.size(), 56), '\0');
    if (data.size() >= 56) {
        image.Data(1, data);
    } else {
        // The data key claims the whole buffer; the file ends after `data`.
        image.Raw("|CS,1," + std::to_string(full.size() + 2) + ",1," + data);
    }
    return image.Bytes();
}

TEST(FamosReadTest, ChannelWhoseTimesCannotBeReadIsNotHandedOut)
{
    const std::string data = LittleEndian<double>({9}) + LittleEndian<double>({1, 2, 3}) +
                             LittleEndian<double>({0.0, 0.1, 0.3});
    struct Case {
        const char* name;
        std::string bytes;
        int expected;
        std::vector<double> values;  // of the XY channel; none when it is dropped
        std::vector<double> times;
    };
    const Case cases[] = {
        {"time component missing", PlainThenXYImage(data, true, false), KST_ERR_INDEX_BEYOND,
         {}, {}},
        {"time component without its buffer", PlainThenXYImage(data, false, true),
         KST_ERR_BAD_KEY, {}, {}},
        {"file ends inside the values", PlainThenXYImage(data.substr(0, 24), true, true),
         KST_ERR_END_OF_DATA, {}, {}},
        {"file ends inside the times", PlainThenXYImage(data.substr(0, 48), true, true),
         KST_ERR_END_OF_DATA, {1, 2}, {0.0, 0.1}},
        {"whole", PlainThenXYImage(data, true, true), KST_OK, {1, 2, 3}, {0.0, 0.1, 0.3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTDataSet set;
        EXPECT_EQ(ReadImage(c.bytes, set), c.expected);
        const CKSTChannelList& channels = set.GetChannels();
        ASSERT_EQ(channels.GetCount(), c.values.empty() ? 1 : 2);
        EXPECT_EQ(Values(*channels.GetAt(0)), std::vector<double>{9});

        CKSTFamosFile file;
        ASSERT_EQ(file.SetMemory(Buffer(c.bytes)), KST_OK);
        CKSTChannel xy;
        EXPECT_EQ(file.ReadChannel(xy, 1), c.expected);
        EXPECT_EQ(Values(xy), c.values);
        if (!c.values.empty()) {
            ASSERT_EQ(xy.GetTimeBaseType(), CKSTChannel::kTimeVector);
            EXPECT_EQ(std::vector<double>(xy.GetTimes(), xy.GetTimes() + xy.GetCount()), c.times);
            kst_test::ExpectSameChannel(xy, *channels.GetAt(1));
        }
    }
}

// Channels that all take their samples from one buffer, each as many as the buffer holds, and
// a digital word whose bits become channels of their own: every sample made counts against
// what one read may create.
TEST(FamosReadTest, SamplesOfSharedBuffersAndBitChannelsCountAgainstTheBudget)
{
    Layout shared;
    shared.filled = 800;
    std::string sharing;
    {
        FamosImage image;
        for (int i = 0; i < 10; ++i) {
            shared.ownBuffer = i == 0;
            image.Channel("c" + std::to_string(i), shared);
        }
        image.Data(1, LittleEndian<double>(std::vector<double>(100, 1.5)));
        sharing = image.Bytes();
    }
    Layout word;
    word.format = 11;
    word.bytes = 2;
    word.filled = 200;
    std::string bits;
    {
        FamosImage image;
        image.Key("CG", "1,1,1");
        image.Component(1, word, "2");
        for (int b = 0; b < 16; ++b) {
            image.Key("CN", "0,0," + std::to_string(b) + ",2,b" + std::to_string(b % 10) + ",0,");
        }
        image.Data(1, LittleEndian<uint16_t>(std::vector<uint16_t>(100, 5)));
        bits = image.Bytes();
    }
    struct Case {
        const char* name;
        const std::string& bytes;
        uint64_t budget;
        int expected;
        int channels;
    };
    const Case cases[] = {
        {"shared buffer within the budget", sharing, 1000, KST_OK, 10},
        {"shared buffer one sample beyond", sharing, 999, KST_ERR_TOO_LARGE, 9},
        {"bit channels within the budget", bits, 1600, KST_OK, 16},
        {"bit channels beyond it", bits, 1599, KST_ERR_TOO_LARGE, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTFamosFile file;
        ASSERT_EQ(file.SetMemory(Buffer(c.bytes)), KST_OK);
        file.SetSampleBudget(c.budget);
        CKSTDataSet set;
        EXPECT_EQ(file.Read(set), c.expected);
        const CKSTChannelList& channels = set.GetChannels();
        ASSERT_EQ(channels.GetCount(), c.channels);
        for (int i = 0; i < channels.GetCount(); ++i) {
            EXPECT_EQ(channels.GetAt(i)->GetCount(), 100u);
        }
        // A channel read on its own has a budget of its own.
        CKSTChannel single;
        EXPECT_EQ(file.ReadChannel(single, 0), KST_OK);
    }
}

TEST(FamosReadTest, OperationsOnAClosedObject)
{
    CKSTFamosFile file;
    CKSTDataSet set;
    CKSTChannel channel;
    CKSTHeaderInfoList header;
    EXPECT_EQ(file.Read(set), KST_ERR_FILE_NOT_OPEN);
    EXPECT_EQ(file.ReadChannel(channel, 0), KST_ERR_FILE_NOT_OPEN);
    EXPECT_EQ(file.ReadComments(header), KST_ERR_FILE_NOT_OPEN);
    EXPECT_EQ(file.WriteComments(header), KST_ERR_FILE_NOT_OPEN);
    EXPECT_EQ(file.OpenRead("/no/such/folder/file.dat"), KST_ERR_OPEN_FAILED);
}

}  // namespace
