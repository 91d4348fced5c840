#include "formats/TextDataFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "data/MeasurementFile.h"
#include "formats/FormatFactory.h"
#include "formats/SplitDecodeSupport.h"
#include "foundation/ErrorCodes.h"
#include "support/TempFolder.h"

namespace {

CKSTMemBuffer Image(const std::string& text)
{
    CKSTMemBuffer buffer;
    buffer.Write(text.data(), 1, static_cast<uint32_t>(text.size()));
    return buffer;
}

int ReadText(CKSTTextDataFile& file, const std::string& text, CKSTDataSet& dataSet,
             const CKSTTextFormat* settings = nullptr)
{
    static_cast<void>(file.SetMemory(Image(text)));  // a refused image fails the read
    file.SetReadSettings(settings);
    return file.Read(dataSet, nullptr, false);
}

constexpr double kNoCheck = -12345.0;

struct ReaderCase {
    const char* what;
    const char* text;
    int result;
    char separator;
    int headerLength;
    int32_t format;
    std::vector<std::string> names;
    std::vector<std::string> units;
    std::vector<double> firstValues;
    // Time of the second sample of the first channel.
    double secondTime;
};

const ReaderCase kReaderCases[] = {
    {"time column and one header line",
     "time,a,b\n0,1,2\n0.5,1.5,2.5\n1,2,3\n",
     0,
     ',',
     1,
     0,
     {"a", "b"},
     {"", ""},
     {1, 2},
     0.5},
    {"no header: first sample kept",
     "1,2,3\n2,4,6\n3,6,9\n",
     0,
     ',',
     0,
     0,
     {"2", "3"},
     {"", ""},
     {2, 3},
     1.0},
    {"names line and unit line",
     "t;U;I\n[s];[V];[A]\n0;1,5;2\n1;2,5;3\n",
     0,
     ';',
     2,
     0,
     {"U", "I"},
     {"V", "A"},
     {1.5, 2},
     1.0},
    {"names with units in brackets",
     "t [s],U [V],I\n0,1,2\n2,3,4\n",
     0,
     ',',
     1,
     0,
     {"U", "I"},
     {"V", ""},
     {1, 2},
     2.0},
    {"keyword header length 3: data at the fifth line",
     "@Headerlen: 3\nTitle of the run\nx,y\n[s],[V]\n0,1\n1,2\n",
     0,
     ',',
     4,
     0,
     {"y"},
     {"V"},
     {1},
     1.0},
    {"CR-only line ends", "a,b\r1,2\r3,4\r", KST_ERR_BAD_HEADER, ',', -1, 0, {}, {}, {}, 0},
    {"mixed line ends",
     "t,a,b\r\n0,1,\r\n1,2,5\n2,3,6\r\n",
     0,
     ',',
     1,
     0,
     {"a", "b"},
     {"", ""},
     {1, 5},
     1.0},
    {"semicolons with decimal commas",
     "Zeit;Wert\n0;1,5\n1;2,25\n2;3\n",
     0,
     ';',
     1,
     0,
     {"Wert"},
     {""},
     {1.5},
     1.0},
    {"thousands points",
     "t;v\n0;1.234.567\n1;2.345.678,5\n",
     0,
     ';',
     1,
     0,
     {"v"},
     {""},
     {1234567},
     1.0},
    {"a semicolon and comma tie keeps the columns",
     "t;a;b\n0;1,5;2,5\n1;3,5;4,5\n",
     0,
     ';',
     1,
     0,
     {"a", "b"},
     {"", ""},
     {1.5, 2.5},
     1.0},
    {"TRUE and FALSE", "t,flag\n0,TRUE\n1,FALSE\n2,true\n", 0, ',', 1, 0, {"flag"}, {""}, {1}, 1.0},
    {"TAB separator",
     "t\ta\tb\n0\t1\t2\n1\t2\t3\n",
     0,
     '\t',
     1,
     0,
     {"a", "b"},
     {"", ""},
     {1, 2},
     1.0},
    {"blank separator", "t a b\n0 1 2\n1   2 3\n", 0, ' ', 1, 0, {"a", "b"}, {"", ""}, {1, 2}, 1.0},
    {"quoted names with separators and quotes",
     "time,\"a,b\",\"say \"\"hi\"\"\"\n0,1,2\n1,2,3\n",
     0,
     ',',
     1,
     0,
     {"a,b", "say \"hi\""},
     {"", ""},
     {1, 2},
     1.0},
    {"German date and time columns",
     "Datum;Zeit;Temp;Druck\n;;[\xB0"
     "C];[bar]\n31.12.2023;23:59:59;1,5;1.013,25\n"
     "01.01.2024;00:00:00;2,5;1.014,5\n",
     0,
     ';',
     2,
     0,
     {"Temp", "Druck"},
     {"\xB0"
      "C",
      "bar"},
     {1.5, 1013.25},
     1.0},
    {"combined date and time with fractions",
     "Zeit,a\n2024-03-01 12:00:00.25,1\n2024-03-01 12:00:00.75,2\n",
     0,
     ',',
     1,
     0,
     {"a"},
     {""},
     {1},
     0.5},
    {"newest first",
     "Datum;Wert\n02.01.2024 00:00:02;3\n02.01.2024 00:00:01;2\n"
     "02.01.2024 00:00:00;1\n",
     0,
     ';',
     1,
     0,
     {"Wert"},
     {""},
     {1},
     1.0},
    {"logger export with identification header",
     "IDENT;Logger 7\nSerial;12345\nStart;01.02.2023\nInterval;1 s\nComment;none\n"
     "Nr;Zeit;Temp;Feuchte\n---;---;---;---\n;;[\xB0"
     "C];[%]\n"
     "1;01.02.2023 10:00:00;21,5;40\n2;01.02.2023 10:00:01;21,6;41\n"
     "3;01.02.2023 10:00:02;21,7;42\n",
     0,
     ';',
     8,
     6,
     {"Temp", "Feuchte"},
     {"\xB0"
      "C",
      "%"},
     {21.5, 40},
     1.0},
    {"IDENT on a later line is no logger",
     "Messung\nt,IDENT\n0,1\n1,2\n",
     0,
     ',',
     2,
     0,
     {"IDENT"},
     {""},
     {1},
     1.0},
    {"run-time table",
     "Laufzeit[hh:mm:ss];Temp [\xB0"
     "C]\n00:00:00;1,5\n00:00:10;2,5\n"
     "00:00:20;3,5\n",
     0,
     ';',
     1,
     10,
     {"Temp"},
     {"\xB0"
      "C"},
     {1.5},
     10.0},
    {"three BUND/BAND lines",
     "Bundesland;Bandbreite\n[BUND];[BAND]\n0;1\n1;2\n",
     0,
     ';',
     2,
     9,
     {"Bandbreite"},
     {"BAND"},
     {1},
     1.0},
    {"two BUND/BAND lines",
     "Bundesland;Wert\n[BAND];[x]\n0;1\n1;2\n",
     0,
     ';',
     2,
     0,
     {"Wert"},
     {"x"},
     {1},
     1.0},
    {"group, name and unit lines",
     ";Motor;Motor\nt;n;M\n[s];[1/min];[Nm]\n0;1;2\n1;2;3\n",
     0,
     ';',
     3,
     0,
     {"n", "M"},
     {"1/min", "Nm"},
     {1, 2},
     1.0},
    {"only CR LF line ends", "t;a\r\n0;1,5\r\n1;2,5\r\n", 0, ';', 1, 0, {"a"}, {""}, {1.5}, 1.0},
    {"a single column without time", "Wert\n5\n3\n4\n", 0, ' ', 1, 0, {"Wert"}, {""}, {5}, 1.0},
};

TEST(TextDataFileReadTest, CaseTable)
{
    for (const ReaderCase& c : kReaderCases) {
        SCOPED_TRACE(c.what);
        CKSTTextDataFile file;
        CKSTDataSet dataSet;
        ASSERT_EQ(ReadText(file, c.text, dataSet), c.result);
        const CKSTChannelList& channels = dataSet.GetChannels();
        if (c.result != KST_OK) {
            EXPECT_EQ(channels.GetCount(), 0);
            continue;
        }
        EXPECT_EQ(file.GetSeparator(), c.separator);
        EXPECT_EQ(file.GetHeaderLength(), c.headerLength);
        EXPECT_EQ(file.GetFormatCode(), c.format);
        ASSERT_EQ(channels.GetCount(), static_cast<int>(c.names.size()));
        for (int i = 0; i < channels.GetCount(); ++i) {
            const CKSTChannel* channel = channels.GetAt(i);
            SCOPED_TRACE(i);
            EXPECT_STREQ(channel->GetName().c_str(), c.names[i].c_str());
            EXPECT_STREQ(channel->GetUnit().c_str(), c.units[i].c_str());
            ASSERT_GT(channel->GetCount(), 1u);
            EXPECT_DOUBLE_EQ(channel->GetValue(0), c.firstValues[i]);
        }
        const CKSTChannel* first = channels.GetAt(0);
        EXPECT_NEAR(first->GetTimeAt(1) - first->GetTimeAt(0), c.secondTime, 1e-9);
    }
}

TEST(TextDataFileReadTest, LineEndsAndDialectsAreReported)
{
    CKSTTextDataFile file;
    CKSTDataSet dataSet;
    ASSERT_EQ(ReadText(file, "t;a\r\n0;1\r\n1;2\r\n", dataSet), KST_OK);
    EXPECT_STREQ(file.GetLineEnd(), "\r\n");
    ASSERT_EQ(ReadText(file, "t;a\r\n0;1\n1;2\n", dataSet), KST_OK);
    EXPECT_STREQ(file.GetLineEnd(), "\n");
    EXPECT_EQ(file.GetTimeColumn(), 0);
}

TEST(TextDataFileReadTest, GapsMissingSamplesAndEmptyColumns)
{
    CKSTTextDataFile file;
    CKSTDataSet dataSet;
    ASSERT_EQ(ReadText(file, "t,a,b,c\n0,1,,\n1,,2,\n2,3,nan,\n3,4,5,\n", dataSet), KST_OK);
    const CKSTChannelList& channels = dataSet.GetChannels();
    ASSERT_EQ(channels.GetCount(), 2);  // c never had a value
    const CKSTChannel* a = channels.GetAt(0);
    const CKSTChannel* b = channels.GetAt(1);
    // a: samples at 0, 2, 3 (a gap at 1); b: 2 at 1, missing at 2, 5 at 3.
    double present = 0;
    for (uint32_t i = 0; i < a->GetCount(); ++i) {
        present += a->IsMissing(i) ? 0 : 1;
    }
    EXPECT_EQ(present, 3);
    EXPECT_DOUBLE_EQ(a->GetValueAtTime(2.0, true), 3.0);
    ASSERT_EQ(b->GetCount(), 3u);
    EXPECT_DOUBLE_EQ(b->GetTimeAt(1), 2.0);
    EXPECT_TRUE(b->IsMissing(1));
    EXPECT_DOUBLE_EQ(b->GetValue(2), 5.0);

    CKSTTextFormat keep;
    keep.removeEmptyColumns = 0;
    ASSERT_EQ(ReadText(file, "t,a,b,c\n0,1,,\n1,,2,\n", dataSet, &keep), KST_OK);
    EXPECT_EQ(dataSet.GetChannels().GetCount(), 3);
}

TEST(TextDataFileReadTest, LinesWithoutATimeGiveMissingSamples)
{
    CKSTTextDataFile file;
    CKSTDataSet dataSet;
    ASSERT_EQ(ReadText(file, "t,a\n0,1\n,2\n2,3\n3,4\n", dataSet), KST_OK);
    const CKSTChannel* a = dataSet.GetChannels().GetAt(0);
    ASSERT_EQ(a->GetCount(), 4u);
    EXPECT_TRUE(a->IsMissing(1));
    EXPECT_FALSE(a->IsMissing(2));
    EXPECT_DOUBLE_EQ(a->GetTimeAt(2), 2.0);
}

TEST(TextDataFileReadTest, DuplicateNamesBecomeUnique)
{
    CKSTTextDataFile file;
    CKSTDataSet dataSet;
    ASSERT_EQ(ReadText(file, "t,a,a\n0,1,2\n1,2,3\n", dataSet), KST_OK);
    EXPECT_STREQ(dataSet.GetChannels().GetAt(0)->GetUniqueName().c_str(), "a");
    EXPECT_STREQ(dataSet.GetChannels().GetAt(1)->GetUniqueName().c_str(), "a@1");
}

TEST(TextDataFileReadTest, TextColumnsAndDatesGiveTheStartStamp)
{
    CKSTTextDataFile file;
    CKSTDataSet dataSet;
    ASSERT_EQ(ReadText(file,
                       "Datum;Zeit;Zustand;Wert\n31.12.2023;23:59:59;Aus;1\n"
                       "01.01.2024;00:00:00;Ein;2\n01.01.2024;00:00:01;Aus;3\n",
                       dataSet),
              KST_OK);
    const CKSTChannelList& channels = dataSet.GetChannels();
    ASSERT_EQ(channels.GetCount(), 2);
    const CKSTChannel* state = channels.GetAt(0);
    EXPECT_STREQ(state->GetName().c_str(), "Zustand");
    EXPECT_STREQ(state->GetValueText(static_cast<int32_t>(state->GetValue(0))).c_str(), "Aus");
    EXPECT_STREQ(state->GetValueText(static_cast<int32_t>(state->GetValue(1))).c_str(), "Ein");
    const CKSTTimeStamp start = channels.GetAt(1)->GetStartTimeStamp();
    EXPECT_EQ(start.GetYear(), 2023);
    EXPECT_EQ(start.GetMonth(), 12);
    EXPECT_EQ(start.GetDay(), 31);
    EXPECT_EQ(start.GetHour(), 23);
    EXPECT_EQ(start.GetSecond(), 59);
    EXPECT_DOUBLE_EQ(channels.GetAt(1)->GetTimeAt(2), 2.0);
}

TEST(TextDataFileReadTest, TwoDigitYearsAcrossTheCentury)
{
    CKSTTextDataFile file;
    CKSTDataSet dataSet;
    ASSERT_EQ(ReadText(file, "Datum,v\n30.12.98,1\n31.12.99,2\n01.01.00,3\n02.01.01,4\n", dataSet),
              KST_OK);
    const CKSTChannel* v = dataSet.GetChannels().GetAt(0);
    EXPECT_EQ(v->GetStartTimeStamp().GetYear(), 1998);
    const CKSTTimeStamp last = v->GetStartTimeStamp() + v->GetTimeAt(3);
    EXPECT_EQ(last.GetYear(), 2001);
    EXPECT_EQ(last.GetMonth(), 1);
    EXPECT_EQ(last.GetDay(), 2);
}

TEST(TextDataFileReadTest, HeaderInfoEntriesAndComment)
{
    CKSTTextDataFile file;
    CKSTDataSet dataSet;
    ASSERT_EQ(
        ReadText(file, "'first note\nOperator: Anna;Stand: 3\nFree text\nt;a\n0;1\n1;2\n", dataSet),
        KST_OK);
    CKSTString value;
    ASSERT_GE(dataSet.GetHeader().GetString("Operator", value), 0);
    EXPECT_STREQ(value.c_str(), "Anna");
    ASSERT_GE(dataSet.GetHeader().GetString("Stand", value), 0);
    EXPECT_STREQ(value.c_str(), "3");
    EXPECT_STREQ(dataSet.GetComment().c_str(), "first note\r\nFree text\r\n");

    ASSERT_EQ(ReadText(file,
                       "IDENT;Logger 7\nSerial;12345\nStart;x\nInterval;1 s\nComment;none\n"
                       "Nr;Zeit;Temp\n-;-;-\n;;[C]\n1;01.02.2023 10:00:00;21,5\n"
                       "2;01.02.2023 10:00:01;21,6\n",
                       dataSet),
              KST_OK);
    ASSERT_GE(dataSet.GetHeader().GetString("IDENT", value), 0);
    EXPECT_STREQ(value.c_str(), "Logger 7");
}

TEST(TextDataFileReadTest, SettingsOverrideTheDetection)
{
    CKSTTextDataFile file;
    CKSTDataSet dataSet;
    CKSTTextFormat settings;
    settings.headerLines = 2;
    settings.readSeparator = KST_TEXT_SEPARATOR_COMMA;
    settings.xAxis = 0;
    ASSERT_EQ(ReadText(file, "a,b\nc,d\n1,2\n3,4\n", dataSet, &settings), KST_OK);
    EXPECT_EQ(file.GetHeaderLength(), 2);
    // No time axis: both columns stay channels over the line numbers.
    ASSERT_EQ(dataSet.GetChannels().GetCount(), 2);
    EXPECT_DOUBLE_EQ(dataSet.GetChannels().GetAt(0)->GetValue(1), 3.0);

    // A writing dialect in the settings leaves the dialect to the detection.
    CKSTTextFormat writing;
    writing.formatCode = KST_TEXT_CSV_TIME;
    ASSERT_EQ(ReadText(file, "Laufzeit[hh:mm:ss];a\n00:00:00;1\n00:00:05;2\n", dataSet, &writing),
              KST_OK);
    EXPECT_EQ(file.GetFormatCode(), KST_TEXT_RUNTIME);
}

TEST(TextDataFileReadTest, UntrustedCountsAreRefused)
{
    CKSTTextDataFile file;
    CKSTDataSet dataSet;
    EXPECT_EQ(ReadText(file, "@Headerlen: 20000\na\n1\n", dataSet), KST_ERR_BAD_HEADER);
    EXPECT_EQ(ReadText(file, "@Headerlen: 99999999999\na\n1\n", dataSet), KST_ERR_BAD_HEADER);
    std::string wide = "t";
    for (int i = 0; i < CKSTTextDataFile::kMaxColumns; ++i) {
        wide += ",1";
    }
    EXPECT_EQ(ReadText(file, "0,1\n" + wide + "\n", dataSet), KST_ERR_BAD_HEADER);
    EXPECT_EQ(dataSet.GetChannels().GetCount(), 0);
    EXPECT_EQ(ReadText(file, "@Headerlen: 1\nx,y\n", dataSet), KST_ERR_BAD_HEADER);
    EXPECT_EQ(ReadText(file, "", dataSet), KST_ERR_BAD_HEADER);
}

TEST(TextDataFileReadTest, ClosedObjectAndMeasurementFileRoute)
{
    CKSTTextDataFile closed;
    CKSTChannelList channels;
    EXPECT_EQ(closed.ReadAll(channels), KST_ERR_FILE_NOT_OPEN);

    KstInstallFormats();
    CKSTMeasurementFile file;
    ASSERT_EQ(file.OpenMemory(KST_FILE_TEXT), KST_OK);
    ASSERT_EQ(file.LoadFromMemory(Image("t;a\n0;1,5\n1;2,5\n")), KST_OK);
    CKSTDataSet dataSet;
    ASSERT_EQ(file.ReadChannels(dataSet), KST_OK);
    ASSERT_EQ(dataSet.GetChannels().GetCount(), 1);
    EXPECT_DOUBLE_EQ(dataSet.GetChannels().GetAt(0)->GetValue(1), 2.5);
    EXPECT_EQ(file.Close(), KST_OK);
}

TEST(TextDataFileReadTest, LoadOptionsReachTheReaderThroughTheMeasurementFile)
{
    KstInstallFormats();
    TempFolder folder;
    folder.WriteFile("table.csv", "x;y\n0;1,5\n1;2,5\n2;3,5\n");
    CKSTTextFormat options;
    options.xAxis = 0;
    options.headerLines = 1;

    CKSTMeasurementFile file;
    ASSERT_EQ(file.Open(folder.Path("table.csv")), KST_OK);
    CKSTDataSet dataSet;
    ASSERT_EQ(file.ReadChannels(dataSet, nullptr, false, &options), KST_OK);
    ASSERT_EQ(dataSet.GetChannels().GetCount(), 2) << "no time axis: x stays a channel";
    EXPECT_STREQ(dataSet.GetChannels().GetAt(0)->GetName().c_str(), "x");
    EXPECT_DOUBLE_EQ(dataSet.GetChannels().GetAt(1)->GetValue(2), 3.5);

    // Without options the next read detects the layout again.
    ASSERT_EQ(file.ReadChannels(dataSet), KST_OK);
    ASSERT_EQ(dataSet.GetChannels().GetCount(), 1);
    EXPECT_STREQ(dataSet.GetChannels().GetAt(0)->GetName().c_str(), "y");

    // A selection made from the list read with the same options picks the same columns.
    CKSTChannelList list;
    ASSERT_EQ(file.ReadChannelList(list, &options), KST_OK);
    ASSERT_EQ(list.GetCount(), 2);
    list.GetAt(0)->SetSelected(false);
    list.GetAt(1)->SetSelected(true);
    ASSERT_EQ(file.ReadChannels(dataSet, &list, false, &options), KST_OK);
    ASSERT_EQ(dataSet.GetChannels().GetCount(), 1);
    EXPECT_STREQ(dataSet.GetChannels().GetAt(0)->GetName().c_str(), "y");
    EXPECT_EQ(dataSet.GetChannels().GetAt(0)->GetCount(), 3u);
    EXPECT_EQ(file.Close(), KST_OK);

    // Other formats are read as before when options are given.
    folder.WriteFile("one.wav", std::string("RIFF\x28\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0"
                                            "\x40\x1f\0\0\x80\x3e\0\0\x02\0\x10\0"
                                            "data\x04\0\0\0\x01\0\x02\0",
                                            48));
    ASSERT_EQ(file.Open(folder.Path("one.wav")), KST_OK);
    ASSERT_EQ(file.ReadChannels(dataSet, nullptr, false, &options), KST_OK);
    EXPECT_EQ(dataSet.GetChannels().GetCount(), 1);
}

// --- Large tables of plain numbers are read on several threads ---

// The value of column c on line i of NumberTable: rising times, values of both signs.
double TableValue(int i, int c)
{
    return c == 0 ? i * 0.5 : (c == 1 ? i * 1.25 - 3 : -i * 0.75);
}

// A header line and `lines` lines of three columns; with ';' the values carry decimal commas.
std::string NumberTable(int lines, char separator = ',', const char* lineEnd = "\n")
{
    const char mark = separator == ';' ? ',' : '.';
    std::string text = std::string("t") + separator + "a" + separator + "b" + lineEnd;
    for (int i = 0; i < lines; ++i) {
        for (int c = 0; c < 3; ++c) {
            std::string number = std::to_string(TableValue(i, c));
            number.erase(number.find_last_not_of('0') + 1);
            for (char& ch : number) {
                ch = ch == '.' ? mark : ch;
            }
            text += number + (c < 2 ? std::string(1, separator) : std::string(lineEnd));
        }
    }
    return text;
}

// The table with its data line `fromEnd` lines before the end replaced by `line`.
std::string WithLine(const std::string& table, int fromEnd, const std::string& line)
{
    size_t at = table.size() - 1;
    for (int k = 0; k <= fromEnd; ++k) {
        at = table.rfind('\n', at - 1);
    }
    const size_t next = table.find('\n', at + 1);
    return table.substr(0, at + 1) + line + table.substr(next);
}

// Split into four ranges or read on one thread, every table gives the same channels: those of
// plain numbers, and those where something in a later range needs the general reader.
TEST(TextDataFileSplitReadTest, SplitTablesReadLikeOneThread)
{
    const std::string table = NumberTable(40);
    std::string unterminated = table;
    unterminated.pop_back();
    std::string falling = "x,y\n";
    std::string irregular = "t;v\n";
    std::string single = "v\n";
    for (int i = 0; i < 40; ++i) {
        falling += std::to_string(40 - i) + "," + std::to_string(i) + "\n";
        irregular += std::to_string(i * i) + ";" + std::to_string(i) + ",5\n";
        single += std::to_string(i % 7) + "\n";
    }
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"plain numbers", table},
        {"CR LF line ends", NumberTable(40, ',', "\r\n")},
        {"no line feed after the last line", unterminated},
        {"semicolons with decimal commas", NumberTable(40, ';')},
        {"TAB separator", NumberTable(40, '\t')},
        {"blank separator", NumberTable(40, ' ')},
        {"a single column", single},
        {"a few short lines without a header", "1,2\n3,4\n5,6\n"},
        {"one short column without a header", "5\n6\n7"},
        {"a falling first column is no time", falling},
        {"irregular times give time vectors", irregular},
        {"other spellings of numbers",
         WithLine(WithLine(table, 3, "+30, 1e3 ,TRUE"), 1, "31,5.,-0")},
        {"thousands groups", WithLine(NumberTable(40, ';'), 2, "30;1.234.567;2")},
        {"a word", WithLine(table, 2, "30,abc,1")},
        {"a word in the time column", WithLine(table, 1, "later,1,2")},
        {"an empty field", WithLine(table, 2, "30,,1")},
        {"an empty last field", WithLine(table, 2, "30,1,")},
        {"a short line", WithLine(table, 2, "30,1")},
        {"a long line", WithLine(table, 2, "30,1,2,3")},
        {"a quoted field", WithLine(table, 2, "30,\"1\",2")},
        {"a quoted line break", WithLine(table, 2, "30,\"1\n5\",2")},
        {"a quoted line break between lines that look whole",
         WithLine(table, 2, "30,1,\"2\n31,3,4\"")},
        {"a CR-only line end", WithLine(table, 2, "30,1,2\r31,3,4")},
        {"a comment line", WithLine(table, 2, "'note")},
        {"an empty line", WithLine(table, 2, "")},
        {"a line of blanks", WithLine(table, 2, "   ")},
        {"a missing value", WithLine(table, 2, "30,nan,1")},
        {"a date", WithLine(table, 2, "30,01.02.2023 10:00:00,1")},
        {"a short first line", WithLine(table, 39, "0,1")},
        {"a column marked as text", "t,a [@TEXT],b\n" + table.substr(table.find('\n') + 1)},
        {"a run-time table",
         "Laufzeit[hh:mm:ss];v\n00:00:00;1\n00:00:10;2\n00:00:20;3\n"
         "00:00:30;4\n00:00:40;5\n00:00:50;6\n00:01:00;7\n00:01:10;8\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CKSTTextDataFile oneFile;
        CKSTDataSet one;
        int oneResult = KST_OK;
        {
            kst_test::DecodeThreads threads(false);
            oneResult = ReadText(oneFile, c.text, one);
        }
        CKSTTextDataFile splitFile;
        CKSTDataSet split;
        {
            kst_test::DecodeThreads threads(true);
            ASSERT_EQ(ReadText(splitFile, c.text, split), oneResult);
        }
        EXPECT_EQ(splitFile.GetTimeColumn(), oneFile.GetTimeColumn());
        kst_test::ExpectSameChannels(one.GetChannels(), split.GetChannels());
    }

    // The plain table itself, as it was written.
    CKSTTextDataFile file;
    CKSTDataSet dataSet;
    ASSERT_EQ(ReadText(file, table, dataSet), KST_OK);
    const CKSTChannelList& channels = dataSet.GetChannels();
    ASSERT_EQ(channels.GetCount(), 2);
    for (int c = 0; c < 2; ++c) {
        const CKSTChannel* channel = channels.GetAt(c);
        ASSERT_EQ(channel->GetCount(), 40u);
        EXPECT_EQ(channel->GetTimeBaseType(), CKSTChannel::kEquidistant);
        EXPECT_EQ(channel->GetDt(), TableValue(1, 0));
        for (uint32_t i = 0; i < 40; ++i) {
            EXPECT_EQ(channel->GetValue(i), TableValue(static_cast<int>(i), c + 1));
        }
    }
    // Irregular rising times stay with every sample.
    ASSERT_EQ(ReadText(file, irregular, dataSet), KST_OK);
    const CKSTChannel* v = dataSet.GetChannels().GetAt(0);
    ASSERT_EQ(v->GetTimeBaseType(), CKSTChannel::kTimeVector);
    ASSERT_EQ(v->GetCount(), 40u);
    for (uint32_t i = 0; i < 40; ++i) {
        EXPECT_EQ(v->GetTimeAt(i), i * i);
        EXPECT_EQ(v->GetValue(i), i + 0.5);
    }
}

// The text with a comment line before line `line` (counted from 0): the general reader skips
// it, while the plain-table reader hands the lines from there on to the general reader.
std::string WithCommentBefore(const std::string& text, size_t line)
{
    size_t at = 0;
    for (size_t i = 0; i < line; ++i) {
        at = text.find('\n', at) + 1;
    }
    return text.substr(0, at) + "'read by the general reader\n" + text.substr(at);
}

// Small tables of plain numbers, read on one thread, go straight into their channels; the same
// tables read value by value by the general reader (a comment line as the first data line), and
// read plainly up to a comment line before the last line and by the general reader from there,
// give the same channels.
TEST(TextDataFileSplitReadTest, SmallPlainTablesReadLikeTheGeneralReader)
{
    std::string unterminated = NumberTable(40);
    unterminated.pop_back();
    std::string irregular = "t;v\n";
    std::string spellings = "a,b,c\n";
    std::string headless;
    std::string falling = "x,y\n";
    for (int i = 0; i < 40; ++i) {
        headless += std::to_string(i) + "," + std::to_string(i * 3 % 11) + "\n";
        falling += std::to_string(40 - i) + "," + std::to_string(i) + "\n";
        irregular += std::to_string(i * i) + ";" + std::to_string(i) + ",5\n";
        spellings += "+" + std::to_string(i) + ", 1e" + std::to_string(i % 5) + " ," +
                     (i % 2 == 0 ? "-0" : "TRUE") + "\n";
    }
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"plain numbers", NumberTable(40)},
        {"CR LF line ends", NumberTable(40, ',', "\r\n")},
        {"no line feed after the last line", unterminated},
        {"semicolons with decimal commas", NumberTable(40, ';')},
        {"TAB separator", NumberTable(40, '\t')},
        {"no header", headless},
        {"a falling first column", falling},
        {"irregular times", irregular},
        {"other spellings of numbers", spellings},
        {"a thousand lines", NumberTable(1000)},
        {"an empty line at the end", NumberTable(40) + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        kst_test::DecodeThreads threads(false);
        CKSTTextDataFile plainFile;
        CKSTDataSet plain;
        ASSERT_EQ(ReadText(plainFile, c.text, plain), KST_OK);
        ASSERT_GT(plain.GetChannels().GetCount(), 0);
        const size_t header = static_cast<size_t>(plainFile.GetHeaderLength());
        const size_t lines = static_cast<size_t>(std::count(c.text.begin(), c.text.end(), '\n'));
        const size_t lastLine = c.text.back() == '\n' ? lines - 1 : lines;
        const struct {
            const char* how;
            std::string text;
        } others[] = {
            {"value by value", WithCommentBefore(c.text, header)},
            {"plainly, then value by value", WithCommentBefore(c.text, lastLine)},
        };
        for (const auto& other : others) {
            SCOPED_TRACE(other.how);
            CKSTTextDataFile otherFile;
            CKSTDataSet read;
            ASSERT_EQ(ReadText(otherFile, other.text, read), KST_OK);
            EXPECT_EQ(otherFile.GetTimeColumn(), plainFile.GetTimeColumn());
            EXPECT_EQ(otherFile.GetHeaderLength(), plainFile.GetHeaderLength());
            kst_test::ExpectSameChannels(read.GetChannels(), plain.GetChannels());
        }
    }
}

}  // namespace

// A file read from disk gives what its image read from memory gives, and hands its bytes on
// unchanged; a later image replaces it.
TEST(TextDataFileReadTest, FileOnDiskReadsLikeItsImage)
{
    const std::string cases[] = {
        "t;a;b\n0;1,5;7\n1;2,5;8\n2;3,5;9\n",
        "t,a\r\n0,1.5\r\n1,2.5\r\n",
        "x\ty\n1\t10\n2\t20",
        "",
    };
    TempFolder folder;
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        folder.WriteFile("table.csv", text);
        CKSTTextDataFile fromDisk;
        ASSERT_EQ(fromDisk.OpenRead(folder.Path("table.csv")), KST_OK);
        CKSTDataSet diskSet;
        const int diskResult = fromDisk.Read(diskSet, nullptr, false);

        CKSTTextDataFile fromMemory;
        CKSTDataSet memorySet;
        EXPECT_EQ(ReadText(fromMemory, text, memorySet), diskResult);
        const CKSTChannelList& disk = diskSet.GetChannels();
        const CKSTChannelList& memory = memorySet.GetChannels();
        ASSERT_EQ(disk.GetCount(), memory.GetCount());
        for (int c = 0; c < disk.GetCount(); ++c) {
            EXPECT_EQ(disk.GetAt(c)->GetName(), memory.GetAt(c)->GetName());
            ASSERT_EQ(disk.GetAt(c)->GetCount(), memory.GetAt(c)->GetCount());
            for (uint32_t i = 0; i < disk.GetAt(c)->GetCount(); ++i) {
                EXPECT_EQ(disk.GetAt(c)->GetValue(i), memory.GetAt(c)->GetValue(i));
            }
        }

        CKSTMemBuffer image;
        ASSERT_EQ(fromDisk.GetMemory(image), KST_OK);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.GetData()), image.GetSize()),
                  text);

        EXPECT_EQ(fromDisk.SetMemory(Image("v\n4\n5\n")), KST_OK);
        CKSTDataSet replaced;
        ASSERT_EQ(fromDisk.Read(replaced, nullptr, false), KST_OK);
        ASSERT_EQ(replaced.GetChannels().GetCount(), 1);
        EXPECT_EQ(replaced.GetChannels().GetAt(0)->GetValue(1), 5.0);
        EXPECT_EQ(fromDisk.Close(), KST_OK);
    }
}
