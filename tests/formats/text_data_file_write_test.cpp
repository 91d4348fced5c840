#include "formats/TextDataFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "data/MeasurementFile.h"
#include "formats/FormatFactory.h"
#include "foundation/ErrorCodes.h"
#include "support/TempFolder.h"

namespace {

std::string Written(CKSTTextDataFile& file)
{
    CKSTMemBuffer image;
    EXPECT_EQ(file.GetMemory(image), KST_OK);
    return std::string(reinterpret_cast<const char*>(image.GetData()), image.GetSize());
}

CKSTMemBuffer Image(const std::string& text)
{
    CKSTMemBuffer buffer;
    buffer.Write(text.data(), 1, static_cast<uint32_t>(text.size()));
    return buffer;
}

// A voltage every 0.5 s and a text channel at two of its times, from 2024-03-01 12:00:00.
void FillSample(CKSTChannelList& list)
{
    const CKSTTimeStamp start(2024, 3, 1, 12, 0, 0.0);
    CKSTChannel* u = list.GetAt(list.AddNew());
    u->SetName("U");
    u->SetUnit("V");
    u->SetGroup("Motor");
    u->SetDt(0.5);
    u->SetStartTimeStamp(start);
    for (double v : {1.5, -2.25, 3.0}) {
        u->AppendValue(v, false);
    }
    CKSTChannel* state = list.GetAt(list.AddNew());
    state->SetName("Zustand \"A\"");
    state->SetUnit("-");
    state->SetStartTimeStamp(start);
    state->SetTimeBaseType(CKSTChannel::kTimeVector);
    state->AppendTimeValue(0.0, state->AddValueText("Ein", true));
    state->AppendTimeValue(1.0, state->AddValueText("Aus; gut, ok", true));
}

struct Layout {
    const char* name;
    int32_t code;
};
const Layout kLayouts[] = {
    {"csv_time", KST_TEXT_CSV_TIME}, {"csv_datetime", KST_TEXT_CSV_DATETIME},
    {"text", KST_TEXT_TEXT},         {"splash", KST_TEXT_SPLASH},
    {"bdata", KST_TEXT_BDATA},       {"csv_seconds", KST_TEXT_CSV_SECONDS},
};
struct Separator {
    const char* name;
    int32_t code;
};
const Separator kSeparators[] = {{"semicolon", KST_TEXT_SEPARATOR_SEMICOLON},
                                 {"comma", KST_TEXT_SEPARATOR_COMMA}};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(TextDataFileWriteTest, GoldenFilesOfEveryLayout)
{
    for (const Layout& layout : kLayouts) {
        for (const Separator& separator : kSeparators) {
            const std::string name =
                std::string("text_layout_") + layout.name + "_" + separator.name + ".csv";
            SCOPED_TRACE(name);
            CKSTChannelList list;
            FillSample(list);
            CKSTTextFormat settings;
            settings.formatCode = layout.code;
            settings.writeSeparator = separator.code;
            settings.timeDecimals = 1;
            settings.valueDecimals = 2;
            settings.columnWidth = 8;
            settings.timeColumnTitle = "Zeit";
            CKSTTextDataFile file;
            ASSERT_EQ(file.OpenMemoryWrite(), KST_OK);
            ASSERT_EQ(file.WriteChannelsByFormat(list, settings, nullptr), KST_OK);
            const std::string written = Written(file);
            const std::string expected = ReadFile(std::string(KST_TEXT_FIXTURES) + "/" + name);
            EXPECT_EQ(written, expected);
            if (written != expected) {
                std::ofstream(name + ".actual", std::ios::binary) << written;
            }
        }
    }
}

// Channels on one time base, 0.25 s apart from 2024-12-31 23:59:59.5 (a year change), without
// groups: a value channel, a 0/1 channel and a text channel.
void FillCommon(CKSTChannelList& list)
{
    const CKSTTimeStamp start(2024, 12, 31, 23, 59, 59.5);
    const double values[] = {0.125, 7.5, -3.0, 1e6, 2.0 / 3.0, 42.0};
    CKSTChannel* value = list.GetAt(list.AddNew());
    CKSTChannel* binary = list.GetAt(list.AddNew());
    CKSTChannel* state = list.GetAt(list.AddNew());
    value->SetName("P");
    value->SetUnit("kW");
    value->SetComment("0.25");
    binary->SetName("Ventil");
    state->SetName("Modus");
    const int32_t on = state->AddValueText("an", true);
    const int32_t off = state->AddValueText("aus", true);
    for (CKSTChannel* channel : {value, binary, state}) {
        channel->SetDt(0.25);
        channel->SetStartTimeStamp(start);
    }
    for (int i = 0; i < 6; ++i) {
        value->AppendValue(values[i], false);
        binary->AppendValue(i % 3 == 0 ? 1.0 : 0.0, false);
        state->AppendValue(i < 3 ? on : off, false);
    }
}

// Counter readings (one overflow among them) beside a plain channel, each second.
void FillCounters(CKSTChannelList& list)
{
    const CKSTTimeStamp start(2024, 2, 29, 8, 0, 0.0);
    const double readings[] = {10.0, 12.0, 15.0, 95000000.0, 21.0, 26.0};
    CKSTChannel* counter = list.GetAt(list.AddNew());
    CKSTChannel* plain = list.GetAt(list.AddNew());
    counter->SetName("Z_Menge");
    counter->SetUnit("l");
    plain->SetName("T");
    plain->SetUnit("\xB0" "C");
    for (int i = 0; i < 6; ++i) {
        counter->AppendValue(readings[i], false);
        plain->AppendValue(20.0 + i * 0.5, false);
    }
    for (CKSTChannel* channel : {counter, plain}) {
        channel->SetDt(1.0);
        channel->SetStartTimeStamp(start);
    }
}

// A rising channel that becomes the X column, a channel sharing its name and one on its own
// time vector, out of order.
void FillWithX(CKSTChannelList& list)
{
    const CKSTTimeStamp start(2024, 6, 1, 0, 0, 0.0);
    CKSTChannel* x = list.GetAt(list.AddNew());
    x->SetName("Weg");
    x->SetUnit("mm");
    x->SetGroup("Achse");
    CKSTChannel* y = list.GetAt(list.AddNew());
    y->SetName("Kraft");
    y->SetUnit("N");
    y->SetGroup("Achse");
    for (int i = 0; i < 5; ++i) {
        x->AppendValue(i * 1.5, false);
        y->AppendValue(100.0 - i * i, false);
    }
    for (CKSTChannel* channel : {x, y}) {
        channel->SetDt(0.1);
        channel->SetStartTimeStamp(start);
    }
    CKSTChannel* late = list.GetAt(list.AddNew());
    late->SetName("Sp\xE4t");
    late->SetStartTimeStamp(start);
    late->SetTimeBaseType(CKSTChannel::kTimeVector);
    late->AppendTimeValue(0.3, 3.0);
    late->AppendTimeValue(0.05, 0.5);
    late->AppendTimeValue(0.2, 2.0);
}

// Paths of the writers the layouts above leave open: tab separators with either mark, no header,
// averaging, counters, an X column, the merging of unordered times, interpolation and the
// defaults.
TEST(TextDataFileWriteTest, GoldenFilesOfLessCommonPaths)
{
    struct Case {
        const char* name;
        void (*fill)(CKSTChannelList&);
        int32_t code;
        int32_t separator;
        int32_t decimalMark;
        uint8_t writeHeader;
        int32_t averageCount;
        uint8_t interpolate;
        // The first channel is the X column of an XY display.
        bool xColumn;
        bool defaults;
    };
    const Case cases[] = {
        {"csv_time_point_tab", FillCommon, KST_TEXT_CSV_TIME, KST_TEXT_SEPARATOR_TAB, 1, 1, 0, 0,
         false, false},
        {"csv_datetime_decimal_comma_tab", FillCommon, KST_TEXT_CSV_DATETIME, KST_TEXT_SEPARATOR_TAB, 0,
         1, 0, 0, false, false},
        {"csv_time_no_header_semicolon", FillCommon, KST_TEXT_CSV_TIME, KST_TEXT_SEPARATOR_SEMICOLON, 1, 0,
         0, 0, false, false},
        {"csv_datetime_no_header_comma", FillWithX, KST_TEXT_CSV_DATETIME, KST_TEXT_SEPARATOR_COMMA,
         1, 0, 0, 0, false, false},
        {"csv_time_average_comma", FillCommon, KST_TEXT_CSV_TIME, KST_TEXT_SEPARATOR_COMMA, 1, 1, 2, 0,
         false, false},
        {"text_average_comma", FillCommon, KST_TEXT_TEXT, KST_TEXT_SEPARATOR_COMMA, 1, 1, 4, 0, false,
         false},
        {"splash_tab", FillCommon, KST_TEXT_SPLASH, KST_TEXT_SEPARATOR_TAB, 1, 1, 0, 0, false,
         false},
        {"bdata_counters_comma", FillCounters, KST_TEXT_BDATA, KST_TEXT_SEPARATOR_COMMA, 1, 1, 0, 0,
         false, false},
        {"bdata_counters_average_comma", FillCounters, KST_TEXT_BDATA, KST_TEXT_SEPARATOR_COMMA, 1, 1,
         2, 0, false, false},
        {"csv_seconds_x_column_semicolon", FillWithX, KST_TEXT_CSV_SECONDS, KST_TEXT_SEPARATOR_SEMICOLON, 1,
         1, 0, 0, true, false},
        {"csv_seconds_no_header_x_column_comma", FillWithX, KST_TEXT_CSV_SECONDS,
         KST_TEXT_SEPARATOR_COMMA, 1, 0, 0, 1, true, false},
        {"csv_time_unordered_interpolated_comma", FillWithX, KST_TEXT_CSV_TIME,
         KST_TEXT_SEPARATOR_COMMA, 1, 1, 0, 1, false, false},
        {"text_unordered_semicolon", FillWithX, KST_TEXT_TEXT, KST_TEXT_SEPARATOR_SEMICOLON, 1, 1, 0, 0,
         false, false},
        {"defaults_seconds_comma", FillCommon, 0, 0, 0, 0, 0, 0, false, true},
        {"defaults_time_comma", FillCounters, 0, 0, 0, 0, 0, 0, false, true},
    };
    for (const Case& c : cases) {
        const std::string name = std::string("text_layout_") + c.name + ".csv";
        SCOPED_TRACE(name);
        CKSTChannelList list;
        c.fill(list);
        CKSTTextFormat settings;
        settings.formatCode = c.code;
        settings.writeSeparator = c.separator;
        settings.decimalMark = c.decimalMark;
        settings.writeHeader = c.writeHeader;
        settings.averageCount = c.averageCount;
        settings.interpolate = c.interpolate;
        settings.timeDecimals = 2;
        settings.valueDecimals = 3;
        settings.columnWidth = 6;
        settings.timeColumnTitle = "Datum Zeit";
        CKSTTextDataFile file;
        ASSERT_EQ(file.OpenMemoryWrite(), KST_OK);
        if (c.defaults) {
            ASSERT_EQ(file.WriteWithDefaults(list), KST_OK);
        } else {
            const CKSTChannel* x = c.xColumn ? list.GetAt(0) : nullptr;
            ASSERT_EQ(file.WriteChannelsByFormat(list, settings, x), KST_OK);
        }
        const std::string written = Written(file);
        const std::string expected = ReadFile(std::string(KST_TEXT_FIXTURES) + "/" + name);
        EXPECT_EQ(written, expected);
        if (written != expected) {
            std::ofstream(name + ".actual", std::ios::binary) << written;
        }
    }
}

// skip: channels read before the written ones (a time column that is no time axis).
void ExpectSameChannels(const CKSTChannelList& written, const CKSTChannelList& read,
                        double tolerance, int skip)
{
    ASSERT_EQ(read.GetCount(), written.GetCount() + skip);
    for (int c = 0; c < written.GetCount(); ++c) {
        const CKSTChannel* w = written.GetAt(c);
        const CKSTChannel* r = read.GetAt(c + skip);
        SCOPED_TRACE(c);
        EXPECT_STREQ(r->GetName().c_str(), w->GetName().c_str());
        EXPECT_STREQ(r->GetUnit().c_str(), w->GetUnit().c_str());
        ASSERT_EQ(r->GetCount(), w->GetCount());
        EXPECT_TRUE(r->GetStartTimeStamp() == w->GetStartTimeStamp() ||
                    std::fabs((r->GetStartTimeStamp() - w->GetStartTimeStamp()).GetSeconds()) <
                        1e-6);
        for (uint32_t i = 0; i < w->GetCount(); ++i) {
            EXPECT_NEAR(r->GetValue(i), w->GetValue(i), tolerance) << i;
            EXPECT_NEAR(r->GetTimeAt(i), w->GetTimeAt(i), 1e-6) << i;
        }
    }
}

TEST(TextDataFileWriteTest, RoundTripsWithinTheDecimals)
{
    const CKSTTimeStamp start(2023, 12, 31, 23, 59, 58.0);
    CKSTChannelList list;
    for (int c = 0; c < 3; ++c) {
        CKSTChannel* channel = list.GetAt(list.AddNew());
        channel->SetName(c == 1 ? "Druck;Luft, innen" : ("K" + std::to_string(c)).c_str());
        channel->SetUnit(c == 2 ? "\xB0" "C" : "bar");
        channel->SetDt(0.25);
        channel->SetStartTimeStamp(start);
        for (int i = 0; i < 40; ++i) {
            channel->AppendValue(std::sin(i * 0.3 + c) * 1000.0 + c, false);
        }
    }
    for (int32_t code : {KST_TEXT_CSV_TIME, KST_TEXT_CSV_DATETIME, KST_TEXT_CSV_SECONDS,
                         KST_TEXT_SPLASH}) {
        for (const Separator& separator : kSeparators) {
            SCOPED_TRACE(std::to_string(code) + " " + separator.name);
            CKSTTextFormat settings;
            settings.formatCode = code;
            settings.writeSeparator = separator.code;
            settings.valueDecimals = 4;
            settings.timeDecimals = 2;
            CKSTTextDataFile file;
            ASSERT_EQ(file.OpenMemoryWrite(), KST_OK);
            ASSERT_EQ(file.WriteChannelsByFormat(list, settings, nullptr), KST_OK);
            CKSTMemBuffer image;
            ASSERT_EQ(file.GetMemory(image), KST_OK);
            CKSTTextDataFile reader;
            ASSERT_EQ(reader.SetMemory(image), KST_OK);
            CKSTChannelList read;
            ASSERT_EQ(reader.ReadAll(read), KST_OK);
            if (code == KST_TEXT_CSV_SECONDS) {
                // Seconds from the first sample; the date line gives the start.
                EXPECT_EQ(read.GetAt(0)->GetStartTimeStamp().GetDay(), 31);
                for (int c = 0; c < read.GetCount(); ++c) {
                    read.GetAt(c)->SetStartTimeStamp(start);
                }
            }
            // The seconds of the splash layout stay a channel beside the date and time axis.
            ExpectSameChannels(list, read, 0.5e-4, code == KST_TEXT_SPLASH ? 1 : 0);
        }
    }
}

// Several megabytes of rows that grow longer towards the end: the table written into memory,
// which sizes its buffer from the rows so far, holds what the same table written to a file
// holds.
TEST(TextDataFileWriteTest, LargeTableInMemoryMatchesTheFile)
{
    CKSTChannelList list;
    for (int c = 0; c < 2; ++c) {
        CKSTChannel* channel = list.GetAt(list.AddNew());
        channel->SetName(("K" + std::to_string(c)).c_str());
        channel->SetDt(0.001);
        for (uint32_t i = 0; i < 150000; ++i) {
            channel->AppendValue(std::pow(1.0001, i) * (c + 1), false);
        }
    }
    CKSTTextFormat settings;
    settings.formatCode = KST_TEXT_CSV_SECONDS;
    settings.valueDecimals = 3;
    settings.timeDecimals = 3;
    CKSTTextDataFile memory;
    ASSERT_EQ(memory.OpenMemoryWrite(), KST_OK);
    ASSERT_EQ(memory.WriteChannelsByFormat(list, settings, nullptr), KST_OK);
    const std::string inMemory = Written(memory);

    TempFolder folder;
    CKSTTextDataFile file;
    ASSERT_EQ(file.OpenWrite(folder.Path("table.csv")), KST_OK);
    ASSERT_EQ(file.WriteChannelsByFormat(list, settings, nullptr), KST_OK);
    ASSERT_EQ(file.Close(), KST_OK);
    std::ifstream stream(folder.Native("table.csv"), std::ios::binary);
    const std::string onDisk((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    EXPECT_GT(inMemory.size(), 3u << 20);
    EXPECT_TRUE(inMemory == onDisk);
}

TEST(TextDataFileWriteTest, DefaultsChooseTheLayoutAndReadBackExactly)
{
    struct Case {
        double dt;
        uint32_t count;
        const char* firstDataLine;
    };
    const Case cases[] = {
        {0.01, 6000, "0.000,0.1"},
        {1.0, 10, "01.03.2024,12:00:00,0.1"},
        // Below 1 ms three decimals would print every fourth time alike.
        {0.0001, 50, "0.0000,0.1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dt);
        CKSTChannelList list;
        CKSTChannel* channel = list.GetAt(list.AddNew());
        channel->SetName("a");
        channel->SetDt(c.dt);
        channel->SetStartTimeStamp(CKSTTimeStamp(2024, 3, 1, 12, 0, 0.0));
        for (uint32_t i = 0; i < c.count; ++i) {
            channel->AppendValue(0.1 + i / 3.0, false);
        }
        CKSTTextDataFile file;
        ASSERT_EQ(file.OpenMemoryWrite(), KST_OK);
        ASSERT_EQ(file.WriteChannels(list, false), KST_OK);
        const std::string text = Written(file);
        EXPECT_NE(text.find("\r\n" + std::string(c.firstDataLine) + "\r\n"), std::string::npos)
            << text.substr(0, 200);
        CKSTTextDataFile reader;
        EXPECT_EQ(reader.SetMemory(Image(text)), KST_OK);
        CKSTChannelList read;
        ASSERT_EQ(reader.ReadAll(read), KST_OK);
        ASSERT_EQ(read.GetCount(), 1);
        const CKSTChannel* back = read.GetAt(0);
        ASSERT_EQ(back->GetCount(), c.count);
        for (uint32_t i = 0; i < c.count; ++i) {
            ASSERT_EQ(back->GetValue(i), channel->GetValue(i)) << i;
            ASSERT_NEAR(back->GetTimeAt(i), channel->GetTimeAt(i), c.dt * 1e-3) << i;
        }
    }
}

TEST(TextDataFileWriteTest, MissingSamplesAndInterpolation)
{
    CKSTChannelList list;
    CKSTChannel* a = list.GetAt(list.AddNew());
    a->SetName("a");
    a->SetDt(1.0);
    for (double v : {1.0, 2.0, 3.0}) {
        a->AppendValue(v, false);
    }
    CKSTChannel* b = list.GetAt(list.AddNew());
    b->SetName("b");
    b->SetTimeBaseType(CKSTChannel::kTimeVector);
    b->AppendTimeValue(0.5, 10.0);
    b->AppendTimeValue(2.5, 30.0);
    CKSTTextFormat settings;
    settings.formatCode = KST_TEXT_CSV_SECONDS;
    settings.valueDecimals = 1;
    settings.writeHeader = 0;
    CKSTTextDataFile file;
    ASSERT_EQ(file.OpenMemoryWrite(), KST_OK);
    ASSERT_EQ(file.WriteChannelsByFormat(list, settings, nullptr), KST_OK);
    EXPECT_EQ(Written(file), "0.0,1.0,\r\n0.5,,10.0\r\n1.0,2.0,\r\n2.0,3.0,\r\n2.5,,30.0\r\n");
    settings.interpolate = 1;
    ASSERT_EQ(file.OpenMemoryWrite(), KST_OK);
    ASSERT_EQ(file.WriteChannelsByFormat(list, settings, nullptr), KST_OK);
    EXPECT_EQ(Written(file),
              "0.0,1.0,10.0\r\n0.5,1.5,10.0\r\n1.0,2.0,15.0\r\n2.0,3.0,25.0\r\n2.5,3.0,30.0\r\n");
}

TEST(TextDataFileWriteTest, FailuresAreReported)
{
    CKSTChannelList list;
    FillSample(list);
    CKSTTextFormat settings;
    CKSTTextDataFile file;
    EXPECT_EQ(file.WriteChannelsByFormat(list, settings, nullptr), KST_ERR_FILE_NOT_OPEN);
    EXPECT_EQ(file.WriteWithDefaults(list), KST_ERR_FILE_NOT_OPEN);
    EXPECT_EQ(file.SetMemory(Image("t,a\n0,1\n")), KST_OK);
    EXPECT_EQ(file.WriteChannelsByFormat(list, settings, nullptr),
              KST_ERR_NOT_OPEN_FOR_WRITING);
    ASSERT_EQ(file.OpenMemoryWrite(), KST_OK);
    for (int32_t code : {0, 6, 8, 9, 10, 99, -1}) {
        settings.formatCode = code;
        EXPECT_EQ(file.WriteChannelsByFormat(list, settings, nullptr),
                  CKSTTextDataFile::kErrUnknownTextFormat)
            << code;
    }
    EXPECT_EQ(Written(file), "");
    CKSTChannelList empty;
    EXPECT_EQ(file.WriteWithDefaults(empty), KST_OK);
    EXPECT_EQ(Written(file), "");
}

TEST(TextDataFileWriteTest, AFullDeviceIsNoSuccess)
{
#ifdef _WIN32
    const char* device = "Z:\\dev\\full";
#else
    const char* device = "/dev/full";
#endif
    CKSTChannelList list;
    FillSample(list);
    CKSTTextDataFile file;
    ASSERT_EQ(file.OpenWrite(device), KST_OK);
    EXPECT_EQ(file.WriteChannels(list, false), KST_ERR_SHORT_TRANSFER);
    static_cast<void>(file.Close());  // the write has failed already

    // Through the measurement-file object, a large table fails during the write itself.
    KstInstallFormats();
    CKSTChannel* big = list.GetAt(0);
    for (int i = 0; i < 200000; ++i) {
        big->AppendValue(i, false);
    }
    CKSTMeasurementFile measurement;
    ASSERT_EQ(measurement.OpenWrite(device, KST_FILE_TEXT), KST_OK);
    EXPECT_EQ(measurement.Write(list), KST_ERR_SHORT_TRANSFER);
    static_cast<void>(measurement.Close());  // the write has failed already
}

}  // namespace
