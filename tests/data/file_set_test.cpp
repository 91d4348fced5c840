#include "data/FileSet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data/MeasurementFile.h"
#include "foundation/ErrorCodes.h"
#include "support/ChannelBuilders.h"
#include "support/SafeSaveCases.h"
#include "support/TempFolder.h"

namespace {

CKSTTimeStamp At(int hour, int minute, double seconds = 0.0, int day = 5)
{
    return CKSTTimeStamp(2007, 3, day, hour, minute, seconds);
}

std::string Text(const CKSTString& s)
{
    return std::string(s.c_str(), static_cast<size_t>(s.GetLength()));
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// One equidistant channel of n samples from the start, valued first, first + 1, ...
CKSTChannel Channel(const char* name, const CKSTTimeStamp& start, double dt, int n,
                    double first = 0.0)
{
    std::vector<double> values;
    for (int i = 0; i < n; ++i) {
        values.push_back(first + i);
    }
    CKSTChannel channel = kst_test::Equidistant(0.0, dt, values);
    channel.SetName(name);
    channel.SetUnit("bar");
    channel.SetStartTimeStamp(start);
    return channel;
}

void AddChannel(CKSTDataSet& dataSet, const CKSTChannel& channel)
{
    dataSet.GetChannels().AddCopy(channel);
}

void WriteNative(const CKSTString& path, const CKSTDataSet& dataSet)
{
    CKSTMeasurementFile file;
    ASSERT_EQ(file.OpenWrite(path, KST_FILE_NATIVE), KST_OK);
    ASSERT_EQ(file.WriteDataSet(dataSet), KST_OK);
    ASSERT_EQ(file.Close(), KST_OK);
}

// The file's data; files written without window settings report that, which is no error.
void ReadNative(const CKSTString& path, CKSTDataSet& dataSet)
{
    CKSTMeasurementFile file;
    ASSERT_EQ(file.Open(path), KST_OK);
    const int result = file.ReadChannels(dataSet);
    EXPECT_TRUE(result == KST_OK || result == KST_ERR_NO_SETTINGS) << result;
}

const CKSTChannel* Find(const CKSTDataSet& dataSet, const char* name)
{
    for (int i = 0; i < dataSet.GetChannels().GetCount(); ++i) {
        if (dataSet.GetChannels().GetAt(i)->GetName() == name) {
            return dataSet.GetChannels().GetAt(i);
        }
    }
    return nullptr;
}

// The channel of that name; a missing one fails the test and reads as an empty channel.
const CKSTChannel& Get(const CKSTDataSet& dataSet, const char* name)
{
    static const CKSTChannel kNone;
    const CKSTChannel* channel = Find(dataSet, name);
    EXPECT_NE(channel, nullptr) << name;
    return channel != nullptr ? *channel : kNone;
}

// Times of a channel's samples that are not missing, in whole seconds after the reference.
std::vector<long> Seconds(const CKSTChannel* channel, const CKSTTimeStamp& reference)
{
    std::vector<long> seconds;
    if (channel != nullptr) {
        const std::vector<double> times = kst_test::AbsoluteTimes(*channel, reference);
        for (size_t i = 0; i < times.size(); ++i) {
            if (!channel->GetMissingFlags()[i]) {
                seconds.push_back(std::lround(times[i]));
            }
        }
    }
    return seconds;
}

std::vector<long> Range(long from, long to, long step)
{
    std::vector<long> values;
    for (long v = from; v <= to; v += step) {
        values.push_back(v);
    }
    return values;
}

std::vector<std::string> FoundNames(const CKSTFileSet& set)
{
    std::vector<std::string> names;
    for (int i = 0; i < set.GetFileCount(); ++i) {
        names.push_back(Text(set.GetFilePath(i).FileName()));
    }
    return names;
}

class FileSetTest : public ::testing::Test {
protected:
    void SetUp() override { m_set.SetBaseFolder(m_folder.Path()); }

    CKSTString Path(const std::string& relative) const { return m_folder.Path(relative); }
    bool Exists(const std::string& relative) const
    {
        return std::filesystem::exists(m_folder.Native(relative));
    }

    TempFolder m_folder;
    CKSTFileSet m_set;
};

// --- Names ---

TEST_F(FileSetTest, FileNamesCarryTheirStartTime)
{
    struct Case {
        const char* name;
        bool dated;
        CKSTTimeStamp start;
    };
    const Case cases[] = {
        {"2007-03-05_10-00-00.qld", true, At(10, 0)},
        {"2007-03-05 23-59-59 more text.csv", true, At(23, 59, 59)},
        {"M17 2007-03-05_10-20-30.qld", true, At(10, 20, 30)},
        {"Mess lauf 2007-03-05_10-20-30.qld", false, {}},  // only up to the first blank goes
        {"M2007-03-05_10-20-30.qld", false, {}},           // "M" without a blank
        {"!ilab2007-03-05_09-00-00.dat", true, At(9, 0)},
        {"^il_x2007-03-05_09-00-00.dat", true, At(9, 0)},
        {"!il2007-03-05_09-00-00.dat", false, {}},  // five characters go, two digits with them
        {"2007-13-05_10-00-00.qld", false, {}},
        {"2007-03-05_10-00.qld", false, {}},
        {"notes.qld", false, {}},
        {"", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTTimeStamp start;
        EXPECT_EQ(CKSTFileSet::ParseFileNameTime(c.name, start), c.dated);
        if (c.dated) {
            EXPECT_EQ(start, c.start);
        }
    }
}

TEST_F(FileSetTest, PatternsExtensionsAndSubfolders)
{
    struct TypeCase {
        int32_t type;
        const char* pattern;
        const char* extension;
    };
    const char* all = "*.qld;*.zrw;*.dat;*.ddf;*.mat;*.csv";
    const TypeCase types[] = {
        {KST_FILE_NATIVE, "*.qld", ".qld"},  {KST_FILE_NATIVE_ZRW, "*.zrw", ".zrw"},
        {KST_FILE_TEXT, "*.csv", ".csv"},    {KST_FILE_FAMOS, "*.dat", ".dat"},
        {KST_FILE_DASYLAB, "*.ddf", ".ddf"}, {KST_FILE_MATLAB, "*.mat", ".mat"},
        {KST_FILE_UDBF_BIG, all, ".dat"},    {KST_FILE_UDBF_LITTLE, all, ".dat"},
        {KST_FILE_NONE, all, ".qld"},        {KST_FILE_RECORD, all, ".qld"},
    };
    for (const TypeCase& c : types) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(CKSTFileSet::GetSearchPattern(c.type), c.pattern);
        EXPECT_EQ(CKSTFileSet::GetFileExtension(c.type), c.extension);
    }

    struct ModeCase {
        int32_t mode;
        const char* subfolder;
    };
    const ModeCase modes[] = {
        {1, "2007-03\\"}, {2, "2007-03\\2007-03-05\\"}, {5, ""}, {0, ""}, {3, ""}};
    for (const ModeCase& c : modes) {
        SCOPED_TRACE(c.mode);
        m_set.SetFolderMode(c.mode);
        EXPECT_EQ(m_set.GetSubfolder(At(23, 59, 59)), c.subfolder);
    }
}

// --- Searching ---

class FileSetSearchTest : public FileSetTest {
protected:
    void SetUp() override
    {
        FileSetTest::SetUp();
        for (const char* name :
             {"2007-03-05_08-00-00.qld", "M17 2007-03-05_09-00-00.qld",
              "!ilab2007-03-05_10-00-00.qld", "2007-03-05_11-00-00.qld", "2007-03-05_12-00-00.qld",
              "notes.qld", "2007-03-05_10-30-00.csv", "2007-03/2007-03-05_13-00-00.qld"}) {
            m_folder.WriteFile(name, "");
        }
        m_folder.MakeFolder("2007-03-05_07-00-00.qld");
    }
};

TEST_F(FileSetSearchTest, SearchFindsTheFilesCoveringTheWindow)
{
    struct Case {
        const char* name;
        int32_t type;
        CKSTTimeStamp from;
        CKSTTimeStamp to;
        bool recursive;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {"window between files starts with the earlier one",
         KST_FILE_NATIVE,
         At(9, 30),
         At(11, 0),
         false,
         {"M17 2007-03-05_09-00-00.qld", "!ilab2007-03-05_10-00-00.qld",
          "2007-03-05_11-00-00.qld"}},
        {"window on a file's start",
         KST_FILE_NATIVE,
         At(10, 0),
         At(10, 0),
         false,
         {"!ilab2007-03-05_10-00-00.qld"}},
        {"window before every file but reaching the first",
         KST_FILE_NATIVE,
         At(7, 0),
         At(8, 30),
         false,
         {"2007-03-05_08-00-00.qld"}},
        {"window before every file", KST_FILE_NATIVE, At(6, 0), At(7, 30), false, {}},
        {"window after every file",
         KST_FILE_NATIVE,
         At(12, 30),
         At(14, 0),
         false,
         {"2007-03-05_12-00-00.qld"}},
        {"subfolders when recursive",
         KST_FILE_NATIVE,
         At(12, 30),
         At(14, 0),
         true,
         {"2007-03-05_12-00-00.qld", "2007-03-05_13-00-00.qld"}},
        {"text files only", KST_FILE_TEXT, At(0, 0), At(23, 0), false, {"2007-03-05_10-30-00.csv"}},
        {"every kind",
         KST_FILE_NONE,
         At(10, 15),
         At(10, 45),
         false,
         {"!ilab2007-03-05_10-00-00.qld", "2007-03-05_10-30-00.csv"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(m_set.SearchFiles(c.type, c.from, c.to, c.recursive), KST_OK);
        EXPECT_EQ(FoundNames(m_set), c.files);
        EXPECT_EQ(m_set.GetScanner().GetCount(), static_cast<int>(c.files.size()));
        for (int i = 1; i < m_set.GetFileCount(); ++i) {
            EXPECT_TRUE(m_set.GetFileStart(i - 1) < m_set.GetFileStart(i));
        }
    }
}

TEST_F(FileSetTest, ArchiveTimeRange)
{
    struct Case {
        const char* name;
        std::vector<std::string> files;
        int result;
        CKSTTimeStamp first;
        CKSTTimeStamp last;
        double interval;
    };
    const CKSTTimeStamp latest(2958464.0);
    const Case cases[] = {
        {"hourly with a gap",
         {"2007-03-05_08-00-00.qld", "2007-03-05_09-00-00.qld", "2007-03-05_10-00-00.qld",
          "2007-03-05_12-00-00.qld", "M1 2007-03-05_13-00-00.qld"},
         KST_OK,
         At(8, 0),
         At(13, 0),
         3600.0},
        {"two distances once each: the first wins",
         {"2007-03-05_08-00-00.qld", "2007-03-05_09-00-00.qld", "2007-03-05_11-00-00.qld"},
         KST_OK,
         At(8, 0),
         At(11, 0),
         3600.0},
        {"one file", {"2007-03-05_08-00-00.qld"}, KST_OK, At(8, 0), At(8, 0), 0.0},
        {"across midnight",
         {"2007-03-05_23-30-00.qld", "2007-03-06_00-00-00.qld", "2007-03-06_00-30-00.qld"},
         KST_OK,
         At(23, 30),
         At(0, 30, 0.0, 6),
         1800.0},
        {"no file named by its time", {"notes.qld"}, KST_OK, latest, CKSTTimeStamp(), 0.0},
        {"no file at all", {}, KST_ERR_BAD_HEADER, latest, CKSTTimeStamp(), 0.0},
        {"files of another type only",
         {"2007-03-05_08-00-00.csv"},
         KST_ERR_BAD_HEADER,
         latest,
         CKSTTimeStamp(),
         0.0},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = "archive" + std::to_string(n++);
        m_folder.MakeFolder(folder);
        for (const std::string& file : c.files) {
            m_folder.WriteFile(folder + "/" + file, "");
        }
        m_set.SetBaseFolder(Path(folder));
        CKSTTimeStamp first;
        CKSTTimeStamp last;
        double interval = -1.0;
        EXPECT_EQ(m_set.GetArchiveTimeRange(KST_FILE_NATIVE, first, last, interval, false),
                  c.result);
        EXPECT_EQ(first, c.first);
        EXPECT_EQ(last, c.last);
        EXPECT_DOUBLE_EQ(interval, c.interval);
    }
}

// --- Loading windows ---

class FileSetArchiveTest : public FileSetTest {
protected:
    // Hourly files 10:00, 11:00, 12:00, each of six samples ten minutes apart valued
    // hour x 100 + i.
    void WriteHours()
    {
        for (int hour = 10; hour <= 12; ++hour) {
            CKSTDataSet dataSet;
            AddChannel(dataSet, Channel("Druck", At(hour, 0), 600.0, 6, hour * 100.0));
            WriteNative(Path("2007-03-05_" + std::to_string(hour) + "-00-00.qld"), dataSet);
        }
    }
};

TEST_F(FileSetArchiveTest, LoadingAWindowMergesItsFiles)
{
    WriteHours();
    CKSTDataSet dataSet;
    EXPECT_EQ(m_set.LoadWindowFiles(KST_FILE_NATIVE, At(10, 30), At(11, 30), dataSet, false),
              KST_OK);
    ASSERT_EQ(dataSet.GetChannels().GetCount(), 1);
    EXPECT_EQ(Seconds(Find(dataSet, "Druck"), At(10, 0)), Range(0, 6600, 600));
    EXPECT_EQ(kst_test::Values(Get(dataSet, "Druck")),
              (std::vector<double>{1000, 1001, 1002, 1003, 1004, 1005, 1100, 1101, 1102, 1103, 1104,
                                   1105}));

    // Appending keeps what the set held; loading without it starts afresh.
    CKSTDataSet withOther;
    AddChannel(withOther, Channel("Other", At(9, 0), 1.0, 3));
    EXPECT_EQ(m_set.LoadWindowFiles(KST_FILE_NATIVE, At(12, 0), At(13, 0), withOther, true),
              KST_OK);
    EXPECT_NE(Find(withOther, "Other"), nullptr);
    EXPECT_EQ(Seconds(Find(withOther, "Druck"), At(12, 0)), Range(0, 3000, 600));
    EXPECT_EQ(m_set.LoadWindowFiles(KST_FILE_NATIVE, At(12, 0), At(13, 0), withOther, false),
              KST_OK);
    EXPECT_EQ(Find(withOther, "Other"), nullptr);
}

TEST_F(FileSetArchiveTest, UnreadableFilesAreSkippedAndReported)
{
    WriteHours();
    m_folder.WriteFile("2007-03-05_11-00-00.qld", "not a container");
    CKSTDataSet dataSet;
    EXPECT_EQ(m_set.LoadWindowFiles(KST_FILE_NATIVE, At(10, 0), At(12, 0), dataSet, false),
              KST_ERR_NOT_CONTAINER);
    EXPECT_EQ(
        Seconds(Find(dataSet, "Druck"), At(10, 0)),
        (std::vector<long>{0, 600, 1200, 1800, 2400, 3000, 7200, 7800, 8400, 9000, 9600, 10200}));
}

TEST_F(FileSetArchiveTest, AnEmptyArchiveLeavesTheDataSetAlone)
{
    CKSTDataSet dataSet;
    AddChannel(dataSet, Channel("Other", At(9, 0), 1.0, 3));
    EXPECT_EQ(m_set.LoadWindowFiles(KST_FILE_NATIVE, At(10, 0), At(12, 0), dataSet, false), KST_OK);
    EXPECT_EQ(dataSet.GetChannels().GetCount(), 1);
}

TEST_F(FileSetArchiveTest, LoadingFollowsTheFolderMode)
{
    CKSTDataSet part;
    AddChannel(part, Channel("Druck", At(10, 0), 60.0, 3));
    m_folder.MakeFolder("2007-03/2007-03-05");
    WriteNative(Path("2007-03/2007-03-05/2007-03-05_10-00-00.qld"), part);
    struct Case {
        int32_t mode;
        int channels;
    };
    const Case cases[] = {{2, 1}, {1, 0}, {5, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        m_set.SetFolderMode(c.mode);
        CKSTDataSet dataSet;
        EXPECT_EQ(m_set.LoadWindowFiles(KST_FILE_NATIVE, At(10, 0), At(11, 0), dataSet, false),
                  KST_OK);
        EXPECT_EQ(dataSet.GetChannels().GetCount(), c.channels);
    }
}

// --- Exporting ---

TEST_F(FileSetArchiveTest, ExportCutsTheDataIntoPeriods)
{
    CKSTDataSet dataSet;
    AddChannel(dataSet, Channel("Druck", At(10, 20), 60.0, 111));  // 10:20:00 .. 12:10:00
    EXPECT_EQ(m_set.ExportTimeWindow(KST_FILE_NATIVE, 3600.0, dataSet), KST_OK);

    struct Case {
        const char* file;
        CKSTTimeStamp first;
        long lastSecond;
        int count;
    };
    const Case cases[] = {
        {"2007-03-05_10-00-00.qld", At(10, 20), 39 * 60, 40},
        {"2007-03-05_11-00-00.qld", At(11, 0), 59 * 60, 60},
        {"2007-03-05_12-00-00.qld", At(12, 0), 10 * 60, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        CKSTDataSet file;
        ReadNative(Path(c.file), file);
        const CKSTChannel* druck = Find(file, "Druck");
        ASSERT_NE(druck, nullptr);
        EXPECT_EQ(Seconds(druck, c.first), Range(0, c.lastSecond, 60));
        EXPECT_EQ(static_cast<int>(druck->GetCount()), c.count);
    }
    EXPECT_TRUE(m_set.SearchFiles(KST_FILE_NATIVE, At(0, 0), At(23, 0), false) == KST_OK &&
                m_set.GetFileCount() == 3);

    CKSTDataSet loaded;
    EXPECT_EQ(m_set.LoadWindowFiles(KST_FILE_NATIVE, At(10, 0), At(12, 59), loaded, false), KST_OK);
    EXPECT_EQ(Seconds(Find(loaded, "Druck"), At(10, 20)), Range(0, 110 * 60, 60));
    EXPECT_EQ(kst_test::Values(Get(loaded, "Druck")), kst_test::Values(Get(dataSet, "Druck")));
}

TEST_F(FileSetArchiveTest, ExportIntoSubfolders)
{
    struct Case {
        int32_t mode;
        const char* file;
    };
    const Case cases[] = {
        {2, "2007-03/2007-03-05/2007-03-05_10-00-00.qld"},
        {1, "2007-03/2007-03-05_10-00-00.qld"},
        {5, "2007-03-05_10-00-00.qld"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        m_set.SetFolderMode(c.mode);
        CKSTDataSet dataSet;
        AddChannel(dataSet, Channel("Druck", At(10, 5), 60.0, 5));
        EXPECT_EQ(m_set.ExportTimeWindow(KST_FILE_NATIVE, 3600.0, dataSet), KST_OK);
        EXPECT_TRUE(Exists(c.file));
    }
}

TEST_F(FileSetArchiveTest, ExportWithoutPeriodsWritesOneFileAsItIs)
{
    CKSTDataSet dataSet;
    AddChannel(dataSet, Channel("Druck", At(10, 20, 0.4), 60.0, 111));
    EXPECT_EQ(m_set.ExportTimeWindow(KST_FILE_NATIVE, 0.0, dataSet), KST_OK);
    CKSTDataSet file;
    ReadNative(Path("2007-03-05_10-20-00.qld"), file);
    EXPECT_EQ(Get(file, "Druck").GetCount(), 111u);
    EXPECT_EQ(Get(file, "Druck").GetFirstSampleTimeStamp(), At(10, 20, 0.4));
}

TEST_F(FileSetArchiveTest, ExportKeepsOlderSamplesOfThePeriod)
{
    struct Case {
        const char* name;
        CKSTTimeStamp oldStart;
        int oldCount;
        CKSTTimeStamp newStart;
        int newCount;
        std::vector<long> seconds;  // after 10:00 in the 10:00 file
        std::vector<double> values;
    };
    const Case cases[] = {
        {"older samples before the new ones",
         At(10, 0),
         3,
         At(10, 20),
         2,
         {0, 60, 120, 1200, 1260},
         {100, 101, 102, 200, 201}},
        {"older samples after the new ones",
         At(10, 40),
         2,
         At(10, 5),
         2,
         {300, 360, 2400, 2460},
         {200, 201, 100, 101}},
        {"new samples win where both have one",
         At(10, 0),
         4,
         At(10, 2),
         3,
         {0, 60, 120, 180, 240},
         {100, 101, 200, 201, 202}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = "archive" + std::to_string(n++);
        m_folder.MakeFolder(folder);
        m_set.SetBaseFolder(Path(folder));
        CKSTDataSet older;
        AddChannel(older, Channel("Druck", c.oldStart, 60.0, c.oldCount, 100.0));
        ASSERT_EQ(m_set.ExportTimeWindow(KST_FILE_NATIVE, 3600.0, older), KST_OK);
        CKSTDataSet newer;
        AddChannel(newer, Channel("Druck", c.newStart, 60.0, c.newCount, 200.0));
        ASSERT_EQ(m_set.ExportTimeWindow(KST_FILE_NATIVE, 3600.0, newer), KST_OK);

        CKSTDataSet file;
        ReadNative(Path(folder + "/2007-03-05_10-00-00.qld"), file);
        ASSERT_EQ(file.GetChannels().GetCount(), 1);
        EXPECT_EQ(Seconds(Find(file, "Druck"), At(10, 0)), c.seconds);
        EXPECT_EQ(kst_test::Values(Get(file, "Druck")), c.values);
    }
}

TEST_F(FileSetArchiveTest, ARewrittenFileLosesNoneOfItsSamples)
{
    // The 10:00 file holds two hours, from an archive once cut into longer periods.
    struct Case {
        const char* name;
        bool fileBetween;  // one starting between it and the new data hides it from the window
    };
    const Case cases[] = {{"file in the window", false}, {"file hidden by a later one", true}};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = "archive" + std::to_string(n++);
        m_folder.MakeFolder(folder);
        m_set.SetBaseFolder(Path(folder));
        CKSTDataSet longFile;
        AddChannel(longFile, Channel("Druck", At(10, 0), 600.0, 12, 100.0));
        WriteNative(Path(folder + "/2007-03-05_10-00-00.qld"), longFile);
        if (c.fileBetween) {
            CKSTDataSet between;
            AddChannel(between, Channel("Other", At(10, 10), 60.0, 2));
            WriteNative(Path(folder + "/2007-03-05_10-10-00.qld"), between);
        }

        CKSTDataSet newer;
        AddChannel(newer, Channel("Druck", At(10, 25), 60.0, 2, 200.0));
        ASSERT_EQ(m_set.ExportTimeWindow(KST_FILE_NATIVE, 3600.0, newer), KST_OK);

        CKSTDataSet file;
        ReadNative(Path(folder + "/2007-03-05_10-00-00.qld"), file);
        std::vector<long> expected = Range(0, 6600, 600);
        expected.insert(expected.begin() + 3, {1500, 1560});
        EXPECT_EQ(Seconds(Find(file, "Druck"), At(10, 0)), expected);
    }
}

TEST_F(FileSetArchiveTest, AnUnreadablePeriodFileIsNotOverwritten)
{
    const std::string garbage = "not a container";
    m_folder.WriteFile("2007-03-05_10-00-00.qld", garbage);
    CKSTDataSet dataSet;
    AddChannel(dataSet, Channel("Druck", At(10, 20), 60.0, 51));  // 10:20 .. 11:10
    EXPECT_EQ(m_set.ExportTimeWindow(KST_FILE_NATIVE, 3600.0, dataSet), KST_ERR_NOT_CONTAINER);
    EXPECT_EQ(ReadBytes(m_folder.Native("2007-03-05_10-00-00.qld")), garbage);
    // The other period is written all the same.
    CKSTDataSet file;
    ReadNative(Path("2007-03-05_11-00-00.qld"), file);
    EXPECT_EQ(Seconds(Find(file, "Druck"), At(11, 0)), Range(0, 600, 60));
}

// What such a file holds is loaded, and the file is reported and never rewritten: a rewrite
// would drop what this program cannot read.
TEST_F(FileSetArchiveTest, FilesWithNewerRecordKindsOrCutShortAreLoadedButNotRewritten)
{
    // A framed record (tag, u16 length, payload) of a kind this program does not know, whole
    // or cut off by the end of the file.
    const struct {
        const char* what;
        const char* tail;
        int result;
    } cases[] = {
        {"newer record kinds", "\xF0\x02\x00xy", KST_ERR_NEWER_KINDS},
        {"cut short", "\xF0\x09\x00xy", KST_ERR_END_OF_DATA},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CKSTDataSet older;
        AddChannel(older, Channel("Druck", At(10, 0), 60.0, 3));
        WriteNative(Path("2007-03-05_10-00-00.qld"), older);
        std::ofstream(m_folder.Native("2007-03-05_10-00-00.qld"), std::ios::binary | std::ios::app)
            .write(c.tail, 5);
        const std::string bytes = ReadBytes(m_folder.Native("2007-03-05_10-00-00.qld"));

        CKSTDataSet loaded;
        EXPECT_EQ(m_set.LoadWindowFiles(KST_FILE_NATIVE, At(10, 0), At(10, 30), loaded, false),
                  c.result);
        EXPECT_EQ(Seconds(Find(loaded, "Druck"), At(10, 0)), Range(0, 120, 60));

        CKSTDataSet newer;
        AddChannel(newer, Channel("Druck", At(10, 20), 60.0, 3));
        EXPECT_EQ(m_set.ExportTimeWindow(KST_FILE_NATIVE, 3600.0, newer), c.result);
        EXPECT_EQ(ReadBytes(m_folder.Native("2007-03-05_10-00-00.qld")), bytes);
    }
}

TEST_F(FileSetArchiveTest, KeptNamesNeverShareAFileBetweenPeriods)
{
    CKSTDataSet dataSet;
    dataSet.SetName(Path("elsewhere/run7.csv"));
    AddChannel(dataSet, Channel("Druck", At(10, 20), 60.0, 111));
    m_set.SetKeepName(true);
    EXPECT_EQ(m_set.ExportTimeWindow(KST_FILE_NATIVE, 3600.0, dataSet), KST_OK);
    EXPECT_EQ(m_set.SearchFiles(KST_FILE_NATIVE, At(0, 0), At(23, 0), false), KST_OK);
    EXPECT_EQ(FoundNames(m_set), (std::vector<std::string>{"2007-03-05_10-00-00_run7.qld",
                                                           "2007-03-05_11-00-00_run7.qld",
                                                           "2007-03-05_12-00-00_run7.qld"}));

    // One file without periods takes the name as it is.
    EXPECT_EQ(m_set.ExportTimeWindow(KST_FILE_NATIVE, 0.0, dataSet), KST_OK);
    CKSTDataSet file;
    ReadNative(Path("run7.qld"), file);
    EXPECT_EQ(Get(file, "Druck").GetCount(), 111u);
}

TEST_F(FileSetArchiveTest, SamplesKeepTheirTimesWhenStampsAreRounded)
{
    CKSTDataSet dataSet;
    AddChannel(dataSet, Channel("Druck", At(10, 20, 0.25), 0.5, 6));
    CKSTChannel times = kst_test::TimeVector({0.0, 0.3, 1.1}, {1.0, 2.0, 3.0});
    times.SetName("Puls");
    times.SetStartTimeStamp(At(10, 20, 0.75));
    AddChannel(dataSet, times);
    ASSERT_EQ(m_set.ExportTimeWindow(KST_FILE_NATIVE, 3600.0, dataSet), KST_OK);

    CKSTDataSet file;
    ReadNative(Path("2007-03-05_10-00-00.qld"), file);
    for (const char* name : {"Druck", "Puls"}) {
        SCOPED_TRACE(name);
        const CKSTChannel* written = Find(file, name);
        ASSERT_NE(written, nullptr);
        const CKSTChannel* original = Find(dataSet, name);
        const std::vector<double> expected = kst_test::AbsoluteTimes(*original, At(10, 20));
        const std::vector<double> actual = kst_test::AbsoluteTimes(*written, At(10, 20));
        ASSERT_EQ(actual.size(), expected.size());
        for (size_t i = 0; i < actual.size(); ++i) {
            EXPECT_NEAR(actual[i], expected[i], 1e-6);
        }
        const CKSTTimeStamp stamp = written->GetStartTimeStamp();
        EXPECT_EQ(stamp.GetFraction(), 0.0);
    }
}

TEST_F(FileSetArchiveTest, SamplesJustBeforeAPeriodStartStayInTheirPeriod)
{
    CKSTDataSet dataSet;
    AddChannel(dataSet, Channel("Druck", At(10, 59, 59.6), 0.2, 5));  // .. 11:00:00.4
    ASSERT_EQ(m_set.ExportTimeWindow(KST_FILE_NATIVE, 3600.0, dataSet), KST_OK);
    CKSTDataSet before;
    ReadNative(Path("2007-03-05_10-00-00.qld"), before);
    EXPECT_EQ(kst_test::Values(Get(before, "Druck")), (std::vector<double>{0.0, 1.0}));
    CKSTDataSet after;
    ReadNative(Path("2007-03-05_11-00-00.qld"), after);
    EXPECT_EQ(kst_test::Values(Get(after, "Druck")), (std::vector<double>{2.0, 3.0, 4.0}));
}

TEST_F(FileSetArchiveTest, NothingToExport)
{
    CKSTDataSet dataSet;
    EXPECT_EQ(m_set.ExportTimeWindow(KST_FILE_NATIVE, 3600.0, dataSet), KST_OK);
    AddChannel(dataSet, Channel("Druck", At(10, 0), 60.0, 0));
    EXPECT_EQ(m_set.ExportTimeWindow(KST_FILE_NATIVE, 3600.0, dataSet), KST_OK);
    EXPECT_TRUE(std::filesystem::is_empty(m_folder.Native()));
}

// The data set as one file of an archive in the path's folder, named after its first sample
// (10:20); a large one holds more than a full disk takes.
int ExportOneFile(const CKSTString& path, bool large)
{
    std::vector<double> values(large ? 40000 : 5);
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] = std::sin(0.1 * static_cast<double>(i));
    }
    CKSTChannel channel = kst_test::Equidistant(0.0, 0.01, values);
    channel.SetName("Druck");
    channel.SetStartTimeStamp(At(10, 20));
    CKSTDataSet dataSet;
    AddChannel(dataSet, channel);
    CKSTFileSet set;
    set.SetBaseFolder(path.SlashesToBackslashes().Directory());
    return set.ExportTimeWindow(KST_FILE_NATIVE, 0.0, dataSet);
}

TEST(FileSetSaveTest, SafeSaves)
{
    kst_test::ExpectSafeSaves("2007-03-05_10-20-00.qld", ExportOneFile);
}

TEST(FileSetSaveTest, SafeSavesOnAFullDisk)
{
    kst_test::ExpectSafeSavesOnAFullDisk("2007-03-05_10-20-00.qld", ExportOneFile);
}

TEST_F(FileSetArchiveTest, WriteErrorsEndTheExport)
{
    // A file where the period's folder must go.
    m_folder.WriteFile("2007-03", "");
    m_set.SetFolderMode(1);
    CKSTDataSet dataSet;
    AddChannel(dataSet, Channel("Druck", At(10, 20), 60.0, 5));
    EXPECT_EQ(m_set.ExportTimeWindow(KST_FILE_NATIVE, 3600.0, dataSet), KST_ERR_OPEN_FAILED);
    // Types without a writer.
    m_set.SetFolderMode(5);
    EXPECT_EQ(m_set.ExportTimeWindow(KST_FILE_RAW_F64, 3600.0, dataSet), KST_ERR_UNKNOWN_FILE_TYPE);
}

}  // namespace
