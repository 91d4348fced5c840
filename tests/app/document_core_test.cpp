// The document's file handling without windows: open, append, save, lock, cut and X axis,
// driven through a host that answers the questions from a script.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/DocumentCore.h"
#include "data/DocFile.h"
#include "data/MeasurementFile.h"
#include "data/settings/CurveWndSettings.h"
#include "foundation/ErrorCodes.h"
#include "resources/StringIds.h"
#include "support/SafeSaveCases.h"
#include "support/TempFolder.h"

namespace {

struct ScriptedHost : IKSTDocumentHost {
    bool Message(int stringId, KstMessageKind box) override
    {
        messages.push_back(stringId);
        if (box != KstMessageKind::YesNo) {
            return true;
        }
        const bool yes = answers.empty() ? true : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return yes;
    }
    int ShowFileError(int code) override
    {
        if (code == 0) {
            return 0;
        }
        fileErrors.push_back(code);
        if (shown) {
            channelsShownAtError.push_back(*shown);
        }
        return code == KST_ERR_NO_SETTINGS || code == KST_ERR_TOO_LARGE ? 0 : -1;
    }
    bool QuerySaveLiveData() override { return saveLiveDataAllows; }
    int RunAppendDialog(bool showSelection, int& method, bool& keepSelection) override
    {
        appendDialogs.push_back(showSelection);
        method = appendMethod;
        keepSelection = true;
        return appendAnswer;
    }
    KstAppSettings& Settings() override { return settings; }
    const CKSTCurveWndSettings& CurrentCurveSettings() override { return current; }
    void SetDocumentPath(const CKSTString& path) override { documentPath = path; }

    std::deque<bool> answers;
    std::vector<int> messages;
    std::vector<int> fileErrors;
    std::vector<bool> appendDialogs;
    bool saveLiveDataAllows = true;
    int appendAnswer = KST_APPEND_CREATE_NEW;
    int appendMethod = 0;
    KstAppSettings settings;
    CKSTCurveWndSettings current;
    CKSTString documentPath = "previous";
    // The display's channel count, read when an error is shown.
    const int* shown = nullptr;
    std::vector<int> channelsShownAtError;
};

// A display that records what the document told it.
struct RecordingDisplay : IKSTDocumentDisplay {
    bool IsOnline() override { return online; }
    void StopLiveStream() override { online = false; }
    void AttachDataSet(CKSTDataSet& dataSet, bool) override
    {
        ++attached;
        channelsShown = dataSet.GetChannels().GetCount();
    }
    void SetLocked(bool locked) override { lockedShown = locked; }
    void CutCurveEvents(const CKSTChannel&, double t1, double t2, double shift) override
    {
        cuts.push_back({t1, t2, shift});
    }
    bool online = false;
    int attached = 0;
    int channelsShown = -1;
    bool lockedShown = false;
    struct CutCall {
        double t1, t2, shift;
    };
    std::vector<CutCall> cuts;
};

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class DocumentCoreTest : public ::testing::Test {
protected:
    // Two equidistant channels of `n` samples in group "G", named a and b unless given.
    static void Generate(CKSTDataSet& set, uint32_t n, const char* first = "Sinus",
                         const char* second = "Rectangle")
    {
        CKSTChannelList& channels = set.GetChannels();
        CKSTChannel& sine = *channels.GetAt(channels.AddNew());
        sine.GenerateSine(n, 0.01, 2.0, 1.0, 0.0);
        sine.SetName(first);
        sine.SetGroup("G");
        sine.SetUnit("V");
        CKSTChannel& square = *channels.GetAt(channels.AddNew());
        square.GenerateSquare(n, 0.01, 1.0, 2.0, 0.0);
        square.SetName(second);
        square.SetGroup("G");
        square.SetUnit("A");
        CKSTTimeStamp start;
        start.SetDateTime(2024, 5, 6, 7, 8, 9.0);
        set.SetStartTimeStamp(start);
    }

    // Writes a generated document through the document's own save.
    CKSTString WriteDocument(const std::string& name, uint32_t n, const char* first = "Sinus",
                             const char* second = "Rectangle")
    {
        ScriptedHost host;
        CKSTDocumentCore writer(host);
        Generate(writer.GetDataSet(), n, first, second);
        writer.GetDataSet().SetTitle("Run 7");
        writer.GetDataSet().SetComment("bench test", false);
        const CKSTString path = m_folder.Path(name);
        EXPECT_EQ(writer.SaveFile(path, 0), KstSaveResult::Saved);
        return path;
    }

    // The native save of a generated document: 0 when saved, -1 when it failed.
    static int SaveGenerated(const CKSTString& path, bool large)
    {
        ScriptedHost host;
        CKSTDocumentCore document(host);
        Generate(document.GetDataSet(), large ? 40000 : 50);
        const KstSaveResult result = document.SaveFile(path, 0);
        EXPECT_NE(result, KstSaveResult::Abandoned);
        const bool saved = result == KstSaveResult::Saved;
        EXPECT_EQ(host.messages,
                  saved ? std::vector<int>{} : std::vector<int>{KST_STR_DOC_SAVE_FAILED});
        return saved ? 0 : -1;
    }

    TempFolder m_folder;
    ScriptedHost m_host;
    RecordingDisplay m_display;
};

TEST_F(DocumentCoreTest, GeneratedSignalSurvivesSaveAndOpen)
{
    const CKSTString path = WriteDocument("signal.qld", 500);
    CKSTDocumentCore document(m_host, &m_display);
    bool read = false;
    ASSERT_EQ(document.OpenFile(path, nullptr, &read), 1);
    EXPECT_TRUE(read);
    const CKSTDataSet& set = document.GetDataSet();
    ASSERT_EQ(set.GetChannels().GetCount(), 2);
    const CKSTChannel& sine = *set.GetChannels().GetAt(0);
    EXPECT_STREQ(sine.GetName().c_str(), "Sinus");
    EXPECT_STREQ(sine.GetUnit().c_str(), "V");
    ASSERT_EQ(sine.GetCount(), 500u);
    CKSTChannel expected;
    expected.GenerateSine(500, 0.01, 2.0, 1.0, 0.0);
    for (uint32_t i = 0; i < 500; i += 37) {
        EXPECT_NEAR(sine.GetValue(i), expected.GetValue(i), 1e-9) << i;
    }
    EXPECT_STREQ(set.GetTitle().c_str(), "Run 7");
    EXPECT_STREQ(set.GetComment().c_str(), "bench test");
    EXPECT_EQ(document.GetFileType(), KST_FILE_NATIVE);
    EXPECT_STREQ(document.GetPath().c_str(), path.c_str());
    EXPECT_STREQ(m_host.documentPath.c_str(), path.c_str());
    EXPECT_EQ(m_display.channelsShown, 2);
    // A document always carries window settings after an open.
    EXPECT_TRUE(set.HasWindowSettings());
    EXPECT_TRUE(m_host.messages.empty());
}

TEST_F(DocumentCoreTest, UnreadableFileLeavesNoPathToSaveOver)
{
    const std::string junk = "0123456789abcdef";
    m_folder.WriteFile("junk.qld", junk);
    CKSTDocumentCore document(m_host, &m_display);
    bool read = true;
    EXPECT_EQ(document.OpenFile(m_folder.Path("junk.qld"), nullptr, &read), 1);
    EXPECT_FALSE(read);
    EXPECT_EQ(m_host.fileErrors, (std::vector<int>{KST_ERR_NOT_CONTAINER}));
    EXPECT_TRUE(document.GetPath().IsEmpty());
    EXPECT_TRUE(m_host.documentPath.IsEmpty());
    EXPECT_TRUE(document.GetPath().IsEmpty());
    EXPECT_EQ(document.GetDataSet().GetChannels().GetCount(), 0);
    EXPECT_EQ(ReadBytes(m_folder.Native("junk.qld")), junk);

    // A file that cannot be opened at all changes nothing of the open document.
    const CKSTString good = WriteDocument("good.qld", 10);
    ASSERT_EQ(document.OpenFile(good, nullptr), 1);
    m_host.fileErrors.clear();
    EXPECT_EQ(document.OpenFile(m_folder.Path("missing.qld"), nullptr), 0);
    EXPECT_EQ(m_host.fileErrors, (std::vector<int>{KST_ERR_OPEN_FAILED}));
    EXPECT_EQ(document.GetDataSet().GetChannels().GetCount(), 2);
    EXPECT_STREQ(document.GetPath().c_str(), good.c_str());

    // A read that fails after the old channels were deleted shows its error only once the
    // display holds none of them.
    m_host.shown = &m_display.channelsShown;
    m_host.fileErrors.clear();
    EXPECT_EQ(document.OpenFile(m_folder.Path("junk.qld"), nullptr), 1);
    EXPECT_EQ(m_host.fileErrors, (std::vector<int>{KST_ERR_NOT_CONTAINER}));
    EXPECT_EQ(m_host.channelsShownAtError, (std::vector<int>{0}));
}

// A file cut short opens with what was whole and says so; neither it nor a file without data
// may be saved over without a name being asked for.
TEST_F(DocumentCoreTest, CutOrEmptyFileIsToldAndNotSavedOverInPlace)
{
    WriteDocument("whole.qld", 300);
    const std::string bytes = ReadBytes(m_folder.Native("whole.qld"));
    const struct {
        const char* name;
        size_t size;
        std::vector<int> fileErrors;
        std::vector<int> messages;
        int channels;
        bool firstWhole;
        bool saveInPlace;
    } cases[] = {
        {"whole.qld", bytes.size(), {}, {}, 2, true, true},
        {"cut in the last record.qld", bytes.size() - 5, {KST_ERR_END_OF_DATA}, {}, 2, true, false},
        {"cut after 40 bytes.qld", 40, {KST_ERR_END_OF_DATA}, {}, 0, false, false},
        {"magic only.qld", kDocMagicSize, {}, {KST_STR_DOC_NO_DATA}, 0, false, false},
    };
    CKSTDocumentCore document(m_host, &m_display);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_folder.WriteFile(c.name, bytes.substr(0, c.size));
        m_host.fileErrors.clear();
        m_host.messages.clear();
        bool read = false;
        ASSERT_EQ(document.OpenFile(m_folder.Path(c.name), nullptr, &read), 1);
        EXPECT_TRUE(read);
        EXPECT_EQ(m_host.fileErrors, c.fileErrors);
        EXPECT_EQ(m_host.messages, c.messages);
        const CKSTChannelList& channels = document.GetDataSet().GetChannels();
        ASSERT_EQ(channels.GetCount(), c.channels);
        if (c.firstWhole) {
            EXPECT_EQ(channels.GetAt(0)->GetCount(), 300u);
            EXPECT_EQ(channels.GetAt(1)->GetCount() == 300u, c.saveInPlace);
        }
        // The title keeps the file's name.
        EXPECT_STREQ(document.GetPath().c_str(), m_folder.Path(c.name).c_str());
        EXPECT_EQ(document.CanSaveInPlace(), c.saveInPlace);
        EXPECT_EQ(ReadBytes(m_folder.Native(c.name)), bytes.substr(0, c.size));
    }
    // Saved under a name, the document is that file's whole content.
    ASSERT_EQ(document.SaveFile(m_folder.Path("saved.qld"), 0), KstSaveResult::Saved);
    EXPECT_TRUE(document.CanSaveInPlace());

    // Appended, a file cut short gives what was whole too, and says so.
    ASSERT_EQ(document.OpenFile(m_folder.Path("whole.qld"), nullptr), 1);
    m_host.fileErrors.clear();
    bool selectionOnly = false;
    bool cancelled = false;
    document.AppendFile(m_folder.Path("cut in the last record.qld"), false, selectionOnly,
                        cancelled);
    EXPECT_EQ(m_host.fileErrors, (std::vector<int>{KST_ERR_END_OF_DATA}));
    EXPECT_EQ(document.GetDataSet().GetChannels().GetCount(), 4);
}

TEST_F(DocumentCoreTest, OnlineSessionAndUnsavedLiveDataCanKeepTheDocument)
{
    const CKSTString path = WriteDocument("a.qld", 10);
    CKSTDocumentCore document(m_host, &m_display);
    m_display.online = true;
    m_host.answers = {false};
    EXPECT_EQ(document.OpenFile(path, nullptr), 0);
    EXPECT_TRUE(m_display.online);
    EXPECT_EQ(m_host.messages, (std::vector<int>{KST_STR_DOC_END_ONLINE}));
    EXPECT_TRUE(document.GetPath().IsEmpty());

    m_host.answers = {true};
    m_host.saveLiveDataAllows = false;
    EXPECT_EQ(document.OpenFile(path, nullptr), 0);
    EXPECT_FALSE(m_display.online);
    EXPECT_FALSE(document.NewDocument());
    m_host.saveLiveDataAllows = true;
    EXPECT_EQ(document.OpenFile(path, nullptr), 1);
    EXPECT_TRUE(document.NewDocument());
    EXPECT_EQ(document.GetDataSet().GetChannels().GetCount(), 0);
    EXPECT_TRUE(document.GetPath().IsEmpty());
}

TEST_F(DocumentCoreTest, WindowSettingsRules)
{
    struct Case {
        int result;
        bool hasSettings;
        bool recentEmpty;
        int usage;
        bool takesCurrent;
    };
    const Case cases[] = {
        {KST_ERR_NO_SETTINGS, true, true, 0, true},
        {KST_ERR_NO_SETTINGS, true, true, 1, true},
        {KST_ERR_NO_SETTINGS, true, true, 2, false},
        {0, false, true, 1, true},
        {0, false, true, 2, false},
        {0, true, true, 0, false},
        {0, true, false, 0, true},
        {0, true, false, 1, false},
        {0, true, true, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.result << c.hasSettings << c.recentEmpty << c.usage);
        EXPECT_EQ(KstTakesCurrentSettings(c.result, c.hasSettings, c.recentEmpty, c.usage),
                  c.takesCurrent);
    }
}

TEST_F(DocumentCoreTest, SettingsOnlyDocumentOpensWithTheCurrentSettingsAndNoData)
{
    {
        CKSTDocFile file;
        ASSERT_EQ(file.OpenWrite(m_folder.Path("settings.qld")), 0);
        CKSTCurveWndSettings settings;
        ASSERT_GE(file.WriteCurveWndSettings(settings), 0);
        EXPECT_EQ(file.Close(), KST_OK);
    }
    CKSTDocumentCore document(m_host, &m_display);
    bool read = false;
    ASSERT_EQ(document.OpenFile(m_folder.Path("settings.qld"), nullptr, &read), 1);
    EXPECT_TRUE(read) << testing::PrintToString(m_host.fileErrors);
    EXPECT_EQ(m_host.messages, (std::vector<int>{KST_STR_DOC_NO_DATA}));
    EXPECT_TRUE(document.GetDataSet().HasWindowSettings());
}

TEST_F(DocumentCoreTest, CompanionLayoutOfTheFolderGivesTheWindowSettings)
{
    // Written without a curve window, the document brings no window settings of its own.
    const CKSTString path = WriteDocument("plain.qld", 10);
    CKSTCurveWndSettings layout;
    layout.m_PlotBackgroundColor = 0x123456;
    {
        CKSTDocFile file;
        ASSERT_EQ(file.OpenWrite(m_folder.Path("layout.acc")), 0);
        ASSERT_GE(file.WriteCurveWndSettings(layout), 0);
        EXPECT_EQ(file.Close(), KST_OK);
    }
    CKSTDocumentCore document(m_host, &m_display);
    ASSERT_EQ(document.OpenFile(path, nullptr), 1);
    ASSERT_TRUE(document.GetDataSet().HasWindowSettings());
    EXPECT_EQ(document.GetDataSet().GetWindowSettings().m_PlotBackgroundColor, 0x123456u);
    // Settings given by the caller win over everything.
    CKSTCurveWndSettings given;
    given.m_PlotBackgroundColor = 0x654321;
    ASSERT_EQ(document.OpenFile(path, &given), 1);
    EXPECT_EQ(document.GetDataSet().GetWindowSettings().m_PlotBackgroundColor, 0x654321u);
}

TEST_F(DocumentCoreTest, LockTravelsWithTheFile)
{
    const CKSTString path = WriteDocument("locked.qld", 20);
    CKSTDocumentCore document(m_host, &m_display);
    ASSERT_EQ(document.OpenFile(path, nullptr), 1);
    EXPECT_FALSE(document.GetLock().IsLocked());

    // Locking stores the password but leaves the open document editable.
    document.Lock("Geheim1", true);
    document.Unlock(true);
    EXPECT_FALSE(m_display.lockedShown);
    ASSERT_EQ(document.SaveFile(path, 0), KstSaveResult::Saved);

    CKSTDocumentCore reopened(m_host, &m_display);
    ASSERT_EQ(reopened.OpenFile(path, nullptr), 1);
    EXPECT_TRUE(reopened.GetLock().IsLocked());
    EXPECT_TRUE(m_display.lockedShown);
    EXPECT_TRUE(reopened.GetLock().Matches("Geheim1"));
    EXPECT_FALSE(reopened.GetLock().Matches("geheim1"));

    // Removing the lock takes the entry out of the next save.
    reopened.ClearLock(true);
    ASSERT_EQ(reopened.SaveFile(path, 0), KstSaveResult::Saved);
    CKSTDocumentCore third(m_host, &m_display);
    ASSERT_EQ(third.OpenFile(path, nullptr), 1);
    EXPECT_FALSE(third.GetLock().IsLocked());
    EXPECT_FALSE(third.GetLock().HasPassword());
}

TEST_F(DocumentCoreTest, VisibleLockEntryDoesNotLock)
{
    CKSTDocumentCore document(m_host, &m_display);
    Generate(document.GetDataSet(), 5);
    document.GetDataSet().GetHeader().SetString("LockPass", "visible");
    const CKSTString path = m_folder.Path("visible.qld");
    ASSERT_EQ(document.SaveFile(path, 0), KstSaveResult::Saved);
    CKSTDocumentCore reopened(m_host, &m_display);
    ASSERT_EQ(reopened.OpenFile(path, nullptr), 1);
    EXPECT_FALSE(reopened.GetLock().IsLocked());
}

TEST_F(DocumentCoreTest, SaveAbandonedOrFailedKeepsPathMarkAndOldFile)
{
    CKSTDocumentCore document(m_host, &m_display);
    CKSTChannelList& channels = document.GetDataSet().GetChannels();
    CKSTChannel& times = *channels.GetAt(channels.AddNew());
    times.SetTimeBaseType(CKSTChannel::kTimeVector);
    for (double t : {0.0, 0.1, 0.35, 0.4}) {
        times.AppendTimeValue(t, t * 2);
    }
    times.SetName("irregular");
    document.SetLiveDataModified(true);

    // No to the X-delta question writes nothing.
    m_host.answers = {false};
    EXPECT_EQ(document.SaveFile(m_folder.Path("x.ddf"), 0), KstSaveResult::Abandoned);
    EXPECT_FALSE(std::filesystem::exists(m_folder.Native("x.ddf")));
    EXPECT_TRUE(document.GetPath().IsEmpty());
    EXPECT_TRUE(document.IsLiveDataModified());

    // Pictures need the curve window: its writer is not there, the save fails.
    m_host.messages.clear();
    EXPECT_EQ(document.SaveFile(m_folder.Path("x.bmp"), 0), KstSaveResult::Failed);
    EXPECT_EQ(m_host.messages, (std::vector<int>{KST_STR_DOC_SAVE_FAILED}));
    EXPECT_FALSE(std::filesystem::exists(m_folder.Native("x.bmp")));
    EXPECT_FALSE(std::filesystem::exists(m_folder.Native("x.bmp.kstnew")));
    EXPECT_TRUE(document.IsLiveDataModified());
    EXPECT_STREQ(m_host.documentPath.c_str(), "previous");

    // A folder that does not exist: nothing written, the mark stays.
    m_host.messages.clear();
    EXPECT_EQ(document.SaveFile(m_folder.Path("no/such/x.qld"), 0), KstSaveResult::Failed);
    EXPECT_EQ(m_host.messages, (std::vector<int>{KST_STR_DOC_SAVE_FAILED}));
    EXPECT_TRUE(document.IsLiveDataModified());

    // A format that needs one time base refuses different ones before asking anything.
    CKSTChannel& other = *channels.GetAt(channels.AddNew());
    other.GenerateRamp(10, 0.5);
    m_host.messages.clear();
    EXPECT_EQ(document.SaveFile(m_folder.Path("x.dat"), KST_FILE_UDBF_BIG),
              KstSaveResult::Abandoned);
    EXPECT_EQ(m_host.messages, (std::vector<int>{KST_STR_DOC_COMMON_X_ONLY}));

    // Saved: the mark is cleared and the path taken.
    EXPECT_EQ(document.SaveFile(m_folder.Path("x.qld"), 0), KstSaveResult::Saved);
    EXPECT_FALSE(document.IsLiveDataModified());
    EXPECT_STREQ(document.GetPath().c_str(), m_folder.Path("x.qld").c_str());
    EXPECT_FALSE(std::filesystem::exists(m_folder.Native("x.qld.kstnew")));
}

TEST_F(DocumentCoreTest, SafeSaves)
{
    kst_test::ExpectSafeSaves("saved.qld", SaveGenerated);
}

TEST_F(DocumentCoreTest, SafeSavesOnAFullDisk)
{
    kst_test::ExpectSafeSavesOnAFullDisk("saved.qld", SaveGenerated);
}

TEST_F(DocumentCoreTest, ATextTableNamesTheFileItIsSavedAsNotItsTemporary)
{
    m_host.settings.textFormat.formatCode = KST_TEXT_SPLASH;
    CKSTDocumentCore document(m_host, &m_display);
    Generate(document.GetDataSet(), 5);
    const CKSTString path = m_folder.Path("table.txt");
    ASSERT_EQ(document.SaveFile(path, 0), KstSaveResult::Saved);
    const std::string table = ReadBytes(m_folder.Native("table.txt"));
    const std::string firstLine = table.substr(0, table.find_first_of("\r\n"));
    EXPECT_NE(firstLine.find(path.c_str()), std::string::npos) << firstLine;
    EXPECT_EQ(firstLine.find(".kstnew"), std::string::npos) << firstLine;
}

TEST_F(DocumentCoreTest, SavingTheShownDataKeepsPathAndMark)
{
    CKSTDocumentCore document(m_host, &m_display);
    document.SetLiveDataModified(true);
    EXPECT_TRUE(document.SaveDisplayedData(m_folder.Path("shown.qld")));
    EXPECT_EQ(m_host.messages, (std::vector<int>{KST_STR_DOC_NOTHING_TO_SAVE}));
    EXPECT_FALSE(std::filesystem::exists(m_folder.Native("shown.qld")));

    Generate(document.GetDataSet(), 20);
    m_host.messages.clear();
    EXPECT_TRUE(document.SaveDisplayedData(m_folder.Path("no/folder/shown.qld")));
    EXPECT_EQ(m_host.messages, (std::vector<int>{KST_STR_DOC_SAVE_FAILED}));
    m_host.messages.clear();
    EXPECT_TRUE(document.SaveDisplayedData(m_folder.Path("shown.qld")));
    EXPECT_TRUE(m_host.messages.empty());
    EXPECT_EQ(ReadBytes(m_folder.Native("shown.qld")).substr(0, 10), "KESTRO-KXD");
    EXPECT_TRUE(document.IsLiveDataModified());
    EXPECT_TRUE(document.GetPath().IsEmpty());
}

TEST_F(DocumentCoreTest, ForeignWritersRoundTrip)
{
    struct Case {
        const char* name;
        int32_t fileType;
    };
    const Case cases[] = {
        {"f.dat", 0}, {"f.mat", 0}, {"f.csv", 0}, {"u.dat", KST_FILE_UDBF_LITTLE}, {"f.ddf", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTDocumentCore document(m_host, &m_display);
        Generate(document.GetDataSet(), 64);
        ASSERT_EQ(document.SaveFile(m_folder.Path(c.name), c.fileType), KstSaveResult::Saved);
        CKSTDocumentCore reopened(m_host, &m_display);
        bool read = false;
        ASSERT_EQ(reopened.OpenFile(m_folder.Path(c.name), nullptr, &read), 1);
        EXPECT_TRUE(read);
        ASSERT_GE(reopened.GetDataSet().GetChannels().GetCount(), 2);
        EXPECT_EQ(reopened.GetDataSet().GetChannels().GetMaxSampleCount(), 64u);
    }
}

TEST_F(DocumentCoreTest, TextTablesAreReadWithTheApplicationsLoadSettings)
{
    const std::string table =
        "Name;Alpha;Beta\r\nUnit;[V];[A]\r\n0;1;10\r\n1;2;20\r\n2;3;30\r\n3;4;40\r\n";
    m_folder.WriteFile("table.csv", table);
    m_folder.WriteFile("more.txt", table);
    const CKSTString first = WriteDocument("first.qld", 10);
    struct Case {
        int16_t headerLines;
        uint32_t samples;
        double firstValue;
    };
    const Case cases[] = {{-1, 4, 1.0}, {3, 3, 2.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headerLines);
        ScriptedHost host;
        host.settings.textFormat.headerLines = c.headerLines;
        CKSTDocumentCore document(host, &m_display);
        ASSERT_EQ(document.OpenFile(m_folder.Path("table.csv"), nullptr), 1);
        const CKSTChannelList& opened = document.GetDataSet().GetChannels();
        ASSERT_EQ(opened.GetCount(), 2);
        EXPECT_EQ(opened.GetAt(0)->GetCount(), c.samples);
        EXPECT_DOUBLE_EQ(opened.GetAt(0)->GetValue(0), c.firstValue);

        ASSERT_EQ(document.OpenFile(first, nullptr), 1);
        bool selectionOnly = false;
        bool cancelled = false;
        document.AppendFile(m_folder.Path("more.txt"), true, selectionOnly, cancelled);
        const CKSTChannelList& appended = document.GetDataSet().GetChannels();
        ASSERT_EQ(appended.GetCount(), 4);
        EXPECT_EQ(appended.GetAt(2)->GetCount(), c.samples);
        EXPECT_DOUBLE_EQ(appended.GetAt(2)->GetValue(0), c.firstValue);
        EXPECT_TRUE(host.fileErrors.empty());
    }
}

TEST_F(DocumentCoreTest, PendingWindowSettingsGoToTheNextOpenedFileOnly)
{
    const CKSTString withSettings = WriteDocument("with.qld", 20);
    m_folder.WriteFile("plain.csv", "a;b\r\n1;2\r\n2;3\r\n");
    const CKSTString plain = m_folder.Path("plain.csv");
    CKSTCurveWndSettings pending;
    pending.m_PlotBackgroundColor = 0x123456;
    pending.AddCurveForChannel("Sinus", "G", "V");
    CKSTCurveWndSettings apply;
    apply.m_PlotBackgroundColor = 0x654321;
    m_host.current.m_PlotBackgroundColor = 0xABCDEF;

    CKSTDocumentCore document(m_host, &m_display);
    // A file that cannot be opened leaves them waiting.
    document.SetPendingWindowSettings(std::make_unique<CKSTCurveWndSettings>(pending));
    ASSERT_EQ(document.OpenFile(m_folder.Path("missing.qld"), nullptr), 0);
    ASSERT_TRUE(document.HasPendingWindowSettings());

    struct Case {
        const char* what;
        CKSTString path;
        const CKSTCurveWndSettings* apply;
        bool pending;
        uint32_t background;
    };
    const Case cases[] = {
        {"over the file's own and the caller's", withSettings, &apply, true, 0x123456},
        {"over the current settings", plain, nullptr, true, 0x123456},
        {"none waiting: the current settings", plain, nullptr, false, 0xABCDEF},
        {"none waiting: the caller's", withSettings, &apply, false, 0x654321},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.pending) {
            document.SetPendingWindowSettings(std::make_unique<CKSTCurveWndSettings>(pending));
        }
        bool read = false;
        ASSERT_EQ(document.OpenFile(c.path, c.apply, &read), 1);
        ASSERT_TRUE(read);
        EXPECT_FALSE(document.HasPendingWindowSettings());
        ASSERT_TRUE(document.GetDataSet().HasWindowSettings());
        EXPECT_EQ(document.GetDataSet().GetWindowSettings().m_PlotBackgroundColor, c.background);
        if (c.pending) {
            EXPECT_TRUE(document.GetDataSet().GetWindowSettings() == pending);
        }
    }
}

TEST_F(DocumentCoreTest, AppendWithAndWithoutSharedNames)
{
    const CKSTString first = WriteDocument("first.qld", 100);
    const CKSTString same = WriteDocument("same.qld", 50);
    const CKSTString other = WriteDocument("other.qld", 30, "Triangle", "Sawtooth");

    struct Case {
        const char* what;
        CKSTString path;
        int answer;
        int channels;
        uint32_t firstCount;
        bool dialog;
        bool cancelled;
    };
    const Case cases[] = {
        {"different names merge without asking", other, KST_APPEND_CREATE_NEW, 4, 100, false,
         false},
        {"create new channels", same, KST_APPEND_CREATE_NEW, 4, 100, true, false},
        {"append to the existing ones, once", same, KST_APPEND_TO_EXISTING, 2, 150, true, false},
        {"cancel", same, KST_APPEND_CANCEL, 2, 100, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedHost host;
        CKSTDocumentCore document(host, &m_display);
        ASSERT_EQ(document.OpenFile(first, nullptr), 1);
        host.appendAnswer = c.answer;
        host.appendMethod = 1;
        bool selectionOnly = false;
        bool cancelled = false;
        document.AppendFile(c.path, true, selectionOnly, cancelled);
        EXPECT_EQ(cancelled, c.cancelled);
        EXPECT_EQ(host.appendDialogs.size(), c.dialog ? 1u : 0u);
        const CKSTChannelList& channels = document.GetDataSet().GetChannels();
        ASSERT_EQ(channels.GetCount(), c.channels);
        EXPECT_EQ(channels.GetAt(0)->GetCount(), c.firstCount);
        EXPECT_EQ(document.IsLiveDataModified(), !c.cancelled);
        if (c.answer == KST_APPEND_CREATE_NEW && c.dialog) {
            EXPECT_STREQ(channels.GetAt(2)->GetName().c_str(), "Sinus_2");
        }
    }
}

TEST_F(DocumentCoreTest, DroppedFilesOpenTheFirstAndAppendTheRest)
{
    const CKSTString a = WriteDocument("a.qld", 10);
    const CKSTString b = WriteDocument("b.qld", 10, "B1", "B2");
    const CKSTString c = WriteDocument("c.qld", 10, "C1", "C2");
    {
        CKSTDocumentCore document(m_host, &m_display);
        document.OpenDroppedFiles({a, b, c});
        EXPECT_EQ(document.GetDataSet().GetChannels().GetCount(), 6);
        EXPECT_STREQ(document.GetPath().c_str(), a.c_str());
    }
    {
        // A cancelled append skips the remaining files.
        ScriptedHost host;
        host.appendAnswer = KST_APPEND_CANCEL;
        CKSTDocumentCore document(host, &m_display);
        document.OpenDroppedFiles({a, a, c});
        EXPECT_EQ(host.appendDialogs.size(), 1u);
        EXPECT_EQ(document.GetDataSet().GetChannels().GetCount(), 2);
    }
    {
        // Online and the user keeps the connection: nothing is opened or appended.
        ScriptedHost host;
        RecordingDisplay online;
        online.online = true;
        host.answers = {false};
        CKSTDocumentCore document(host, &online);
        document.OpenDroppedFiles({a, b, c});
        EXPECT_EQ(document.GetDataSet().GetChannels().GetCount(), 0);
        EXPECT_EQ(host.messages, (std::vector<int>{KST_STR_DOC_END_ONLINE}));
    }
}

TEST_F(DocumentCoreTest, CutByNumbersAndByTimes)
{
    struct Case {
        const char* what;
        KstCutRequest request;
        bool changed;
        uint32_t count;
    };
    CKSTTimeStamp start;
    start.SetDateTime(2024, 5, 6, 7, 8, 9.0);
    const Case cases[] = {
        {"numbers", {1, "0.25", "0.75", {}, {}, false}, true, 50},
        {"German decimal mark", {1, "0,25", "0,75", {}, {}, true}, true, 50},
        {"comma in English", {1, "0,25", "0,75", {}, {}, false}, false, 100},
        {"end before start", {1, "0.75", "0.25", {}, {}, false}, false, 100},
        {"date and time", {3, "", "", start + 0.5, start + 0.6, false}, true, 10},
        {"equal times", {2, "", "", start + 0.5, start + 0.5, false}, false, 100},
        {"unknown mode marks an edit only", {7, "", "", {}, {}, false}, true, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedHost host;
        RecordingDisplay display;
        CKSTDocumentCore document(host, &display);
        Generate(document.GetDataSet(), 100);
        EXPECT_EQ(document.Cut(c.request), c.changed);
        EXPECT_EQ(document.GetDataSet().GetChannels().GetAt(1)->GetCount(), c.count);
        EXPECT_EQ(document.IsLiveDataModified(), c.changed);
        if (c.request.mode == 1 && c.changed) {
            ASSERT_EQ(display.cuts.size(), 2u);
            EXPECT_DOUBLE_EQ(display.cuts[0].t1, 0.25);
            EXPECT_NEAR(display.cuts[0].shift, -0.25, 1e-12);
        }
    }
}

TEST_F(DocumentCoreTest, CutPresetWithoutCurveWindowIsTheDataRange)
{
    CKSTDocumentCore document(m_host, &m_display);
    Generate(document.GetDataSet(), 101);
    bool hint = false;
    const KstXAxisState preset = document.GetCutPreset(hint);
    EXPECT_TRUE(hint);
    EXPECT_DOUBLE_EQ(preset.leftCursor, 0.0);
    EXPECT_NEAR(preset.rightCursor, 1.0, 1e-12);
    EXPECT_STREQ(preset.leftText.c_str(), "0");
    EXPECT_EQ(preset.timeMode, 1);
}

TEST_F(DocumentCoreTest, EditXAxisKeepsTheChannelsOffsets)
{
    CKSTDocumentCore document(m_host, &m_display);
    EXPECT_FALSE(document.EditXAxis(CKSTTimeStamp(), "min"));
    EXPECT_FALSE(document.IsLiveDataModified());
    Generate(document.GetDataSet(), 10);
    CKSTChannel& second = *document.GetDataSet().GetChannels().GetAt(1);
    second.SetStartTimeStamp(second.GetStartTimeStamp() + 30.0);
    CKSTTimeStamp newStart;
    newStart.SetDateTime(2030, 1, 2, 3, 4, 5.0);
    EXPECT_TRUE(document.EditXAxis(newStart, "min"));
    const CKSTChannel& first = *document.GetDataSet().GetChannels().GetAt(0);
    EXPECT_TRUE(first.GetStartTimeStamp() == newStart);
    EXPECT_NEAR((second.GetStartTimeStamp() - newStart).GetSeconds(), 30.0, 1e-6);
    EXPECT_STREQ(second.GetTimeUnit().c_str(), "min");
    EXPECT_TRUE(document.IsLiveDataModified());
}

TEST_F(DocumentCoreTest, FolderSteppingSkipsUnreadableFilesAndAsksAtTheEnd)
{
    m_host.settings.associations[0] = 1;  // qld
    const CKSTString a = WriteDocument("a.qld", 5);
    m_folder.WriteFile("b.qld", "not a document");
    WriteDocument("c.qld", 5);
    m_folder.WriteFile("d.txt", "1;2\r\n");  // type not enabled
    CKSTDocumentCore document(m_host, &m_display);
    ASSERT_TRUE(document.BuildFolderList(a));
    EXPECT_EQ(document.GetFolderFileCount(), 3);
    ASSERT_EQ(document.OpenFile(a, nullptr), 1);
    document.OpenNextFile();
    EXPECT_EQ(document.GetFolderIndex(), 2);
    EXPECT_STREQ(document.GetPath().FileName().c_str(), "c.qld");
    // Past the last file with No: the current file and index stay.
    m_host.answers = {false};
    document.OpenNextFile();
    EXPECT_EQ(document.GetFolderIndex(), 2);
    EXPECT_STREQ(document.GetPath().FileName().c_str(), "c.qld");
    EXPECT_EQ(m_host.messages.back(), KST_STR_DOC_LAST_FILE);
    // With Yes it wraps to the first.
    m_host.answers = {true};
    document.OpenNextFile();
    EXPECT_EQ(document.GetFolderIndex(), 0);
}

TEST_F(DocumentCoreTest, FolderSteppingEndsWhenTheUserKeepsTheOnlineSession)
{
    m_host.settings.associations[0] = 1;
    const CKSTString a = WriteDocument("a.qld", 5);
    WriteDocument("b.qld", 5);
    WriteDocument("c.qld", 5);
    CKSTDocumentCore document(m_host, &m_display);
    ASSERT_TRUE(document.BuildFolderList(a));
    ASSERT_EQ(document.OpenFile(a, nullptr), 1);
    m_display.online = true;
    m_host.messages.clear();
    m_host.answers = {false, false, false};
    document.OpenNextFile();
    // Asked once, not once per file of the folder.
    EXPECT_EQ(m_host.messages, std::vector<int>{KST_STR_DOC_END_ONLINE});
    EXPECT_TRUE(m_display.online);
    EXPECT_EQ(document.GetFolderIndex(), 0);
    EXPECT_STREQ(document.GetPath().c_str(), a.c_str());
    EXPECT_EQ(document.GetDataSet().GetChannels().GetCount(), 2);

    // Kept unsaved live data end the step the same way.
    m_display.online = false;
    m_host.saveLiveDataAllows = false;
    document.OpenPreviousFile();
    EXPECT_EQ(document.GetFolderIndex(), 0);
    EXPECT_STREQ(document.GetPath().c_str(), a.c_str());
}

TEST_F(DocumentCoreTest, FolderSteppingPassesOverFilesThatCannotBeOpened)
{
    m_host.settings.associations[0] = 1;
    const CKSTString a = WriteDocument("a.qld", 5);
    const CKSTString b = WriteDocument("b.qld", 5);
    WriteDocument("c.qld", 5);
    CKSTDocumentCore document(m_host, &m_display);
    ASSERT_TRUE(document.BuildFolderList(a));
    ASSERT_EQ(document.OpenFile(a, nullptr), 1);
    // Gone since the folder was listed.
    std::filesystem::remove(b.c_str());
    document.OpenNextFile();
    EXPECT_EQ(document.GetFolderIndex(), 2);
    EXPECT_STREQ(document.GetPath().FileName().c_str(), "c.qld");
    EXPECT_EQ(m_host.fileErrors, std::vector<int>{KST_ERR_OPEN_FAILED});
    // Backwards the same file is passed over again.
    document.OpenPreviousFile();
    EXPECT_EQ(document.GetFolderIndex(), 0);
    EXPECT_STREQ(document.GetPath().FileName().c_str(), "a.qld");
}

TEST_F(DocumentCoreTest, FolderSteppingStopsAfterOnePass)
{
    m_host.settings.associations[0] = 1;
    const CKSTString a = WriteDocument("a.qld", 5);
    const CKSTString b = WriteDocument("b.qld", 5);
    const CKSTString c = WriteDocument("c.qld", 5);
    CKSTDocumentCore document(m_host, &m_display);
    ASSERT_TRUE(document.BuildFolderList(a));
    ASSERT_EQ(document.OpenFile(a, nullptr), 1);
    for (const CKSTString& path : {a, b, c}) {
        std::filesystem::remove(path.c_str());
    }
    m_host.messages.clear();
    m_host.answers = {true, true, true, true};
    document.OpenNextFile();
    // b, c, the wrap question, then a: every file once, and the document still shows a.
    EXPECT_EQ(m_host.fileErrors.size(), 3u);
    EXPECT_EQ(std::count(m_host.messages.begin(), m_host.messages.end(), KST_STR_DOC_LAST_FILE),
              1);
    EXPECT_EQ(document.GetFolderIndex(), 0);
    EXPECT_STREQ(document.GetPath().c_str(), a.c_str());
    EXPECT_EQ(document.GetDataSet().GetChannels().GetCount(), 2);
}

}  // namespace
