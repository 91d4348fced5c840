// The start-up of the application object: first-start offer, daily splash, start files and
// command-line keywords.
#include "app_test_support.h"

#include "app/win/TalvenorDoc.h"
#include "app/win/TalvenorView.h"
#include "data/DocFile.h"
#include "foundation/win/RegistryTree.h"
#include "panels/win/SplashDlg.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "support/TempFolder.h"

namespace kst_test {
namespace {

class Startup : public AppTest {};

TEST_F(Startup, FileTypesAreOfferedOnceAndTheSplashOnceADay)
{
    AnswerStartDialogs();
    RecordBoxes();
    ASSERT_TRUE(Start(""));
    EXPECT_EQ(m_dialogs, (std::vector<UINT>{IDD_FILE_TYPES, IDD_SPLASH}));
    EXPECT_EQ(ReadText("Association", "RazOridid"), "1");
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_EQ(ReadText("VadudeDuzavu\\SplashDate", "Day"), std::to_string(now.wDay));
    EXPECT_EQ(ReadText("VadudeDuzavu\\SplashDate", "Year"), std::to_string(now.wYear));
    // The first start speaks German whatever the user's language.
    EXPECT_EQ(m_app->Settings().language, 0);
    ASSERT_NE(AfxGetMainWnd(), nullptr);
    EXPECT_TRUE(IsWindowVisible(AfxGetMainWnd()->m_hWnd));
    EXPECT_NE(m_app->GetDocument(), nullptr);
    EXPECT_NE(m_app->GetView(), nullptr);

    // The same day again: neither.
    m_dialogs.clear();
    ASSERT_TRUE(Start(""));
    EXPECT_TRUE(m_dialogs.empty());

    // Another stored day: the splash only.
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER,
                  (std::string(kAppTestRoot) + "VadudeDuzavu\\SplashDate").c_str(), 0, KEY_WRITE,
                  &key);
    RegSetValueExA(key, "Year", 0, REG_SZ, reinterpret_cast<const BYTE*>("1999"), 5);
    RegCloseKey(key);
    ASSERT_TRUE(Start(""));
    EXPECT_EQ(m_dialogs, (std::vector<UINT>{IDD_SPLASH}));
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(Startup, NoregShowsTheSplashEveryTimeAndWritesNothing)
{
    AnswerStartDialogs();
    for (int run = 0; run < 2; ++run) {
        m_dialogs.clear();
        ASSERT_TRUE(Start("/noreg"));
        EXPECT_EQ(m_dialogs, (std::vector<UINT>{IDD_SPLASH}));
        EXPECT_FALSE(m_app->Options().UsesRegistry());
        AfxGetMainWnd()->SendMessage(WM_CLOSE);
    }
    EXPECT_FALSE(KeyExists(""));
    // "/NOREG" too; mixed case does not switch the registry off. The start file "x" does not
    // exist, which is told.
    RecordBoxes();
    ASSERT_TRUE(Start("x /NOREG"));
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].textId, static_cast<UINT>(KST_STR_ERR_FILE_NOT_FOUND));
    EXPECT_FALSE(m_app->Options().UsesRegistry());
    NewApp("/NoReg");
    EXPECT_TRUE(m_app->Options().UsesRegistry());
}

TEST_F(Startup, SplashEndsItselfAfterThreeSeconds)
{
    Watchdog watchdog;
    bool endedByItself = false;
    ULONGLONG shownFor = 0;
    KstSeams().modalDriver = [&](KstModalRun& run) {
        const ULONGLONG start = GetTickCount64();
        endedByItself = PumpUntil(run.ended, 3 * kGuardMs);
        shownFor = GetTickCount64() - start;
        return IDCANCEL;
    };
    CKSTSplashDlg splash;
    EXPECT_EQ(splash.DoModal(), 0);
    EXPECT_TRUE(endedByItself);
    EXPECT_GE(shownFor + 50, static_cast<ULONGLONG>(kKstSplashMs));
}

TEST_F(Startup, OpensTheFirstFileInOrderAndAppendsTheOthers)
{
    AnswerStartDialogs();
    ASSERT_TRUE(Start("/noreg"));
    RecordBoxes();
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string second = KstLongPathName(CKSTString(folder) + "kst b file.qld").c_str();
    const std::string first = std::string(folder) + "kst a.qld";
    // One channel per document, named after it, written by the document itself.
    for (const std::string& path : {first, second}) {
        CKSTDataSet& set = m_app->GetDocument()->GetDataSet();
        set.Clear(false);
        CKSTChannel& channel = *set.GetChannels().GetAt(set.GetChannels().AddNew());
        channel.GenerateRamp(10, 0.1);
        channel.SetName(path == first ? "from a" : "from b");
        ASSERT_TRUE(m_app->GetDocument()->SaveFile(path.c_str(), 0));
    }
    const std::string missing = std::string(folder) + "kst c missing.qld";
    m_app->OpenFilesFromText(
        ("\"" + missing + "\" \"" + second + "\"  \"" + first + "\"\r\n").c_str());
    // The first name in order is opened, the others are appended: the missing one is told.
    const std::string firstLong = KstLongPathName(first.c_str()).c_str();
    EXPECT_STREQ(m_app->GetDocument()->GetCurrentPath().c_str(), firstLong.c_str());
    const CKSTChannelList& channels = m_app->GetDocument()->GetDataSet().GetChannels();
    ASSERT_EQ(channels.GetCount(), 2);
    EXPECT_STREQ(channels.GetAt(0)->GetName().c_str(), "from a");
    EXPECT_STREQ(channels.GetAt(1)->GetName().c_str(), "from b");
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].textId, static_cast<UINT>(KST_STR_ERR_FILE_NOT_FOUND));
    DeleteFileA(first.c_str());
    DeleteFileA(second.c_str());
}

// A start file that opens nothing says what File > Open says of it.
TEST_F(Startup, AStartFileThatCannotBeOpenedIsToldAsFileOpenTellsIt)
{
    TempFolder folder;
    // The old level-4 layout: a matrix head of five 32-bit words, the name and the values,
    // without the text head of the newer layout.
    std::string level4(20, '\0');
    level4[4] = 1;   // rows
    level4[8] = 1;   // columns
    level4[16] = 2;  // name length with its zero
    level4 += std::string("x\0", 2) + std::string(8, '\0');
    folder.WriteFile("old layout.mat", level4);
    folder.WriteFile("a folder/inside.qld", "");
    const struct {
        const char* name;
        UINT textId;
    } cases[] = {
        {"missing.qld", KST_STR_ERR_FILE_NOT_FOUND},
        {"a folder", KST_STR_ERR_FILE_NOT_FOUND},
        {"old layout.mat", KST_STR_ERR_MATLAB_FEATURES},
    };
    AnswerStartDialogs();
    RecordBoxes();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.Path(c.name).c_str();
        m_boxes.clear();
        ASSERT_TRUE(Start(("\"" + path + "\" /noreg").c_str()));
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].textId, c.textId);
        EXPECT_TRUE(m_app->GetDocument()->GetCurrentPath().IsEmpty());

        m_boxes.clear();
        ChooseFile(path.c_str());
        AfxGetMainWnd()->SendMessage(WM_COMMAND, ID_FILE_OPEN, 0);
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].textId, c.textId);
    }
}

TEST_F(Startup, LongPathNameOfAMissingFileIsTheNameAsGiven)
{
    EXPECT_STREQ(KstLongPathName("C:\\no such folder\\x.qld").c_str(), "C:\\no such folder\\x.qld");
    EXPECT_STREQ(KstLongPathName("").c_str(), "");
}

TEST_F(Startup, ConnectKeywordsConnectInsteadOfOpening)
{
    AnswerStartDialogs();
    RecordBoxes();
    ASSERT_TRUE(Start("/noreg x.qld /ONLCTRL 10.1.2.3:60 /DATASOURCE LOGGER:2:NONERASING"));
    // Controllers come with their client: its message, then nothing more (-1013).
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].textId, static_cast<UINT>(KST_STR_ONL_SOURCE_NOT_AVAILABLE));
    ASSERT_GE(m_app->GetRecentSourceCount(), 1);
    EXPECT_STREQ(m_app->GetRecentSource(0).c_str(), "10.1.2.3");

    // The demonstration node streams at once; a new file named beside it records the stream.
    // One that cannot be created is told, and the stream goes on unrecorded: an existing file
    // is left alone (another instance may be writing it), also one held open exclusively.
    TempFolder folder;
    folder.WriteFile("kept.qld", "older");
    folder.WriteFile("held.qld", "being written");
    const HANDLE held = CreateFileA(folder.Path("held.qld").c_str(), GENERIC_READ | GENERIC_WRITE,
                                    0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    // A '/' would start a keyword.
    for (const char* name : {"new.qld", "kept.qld", "held.qld", "no folder\\new.qld"}) {
        SCOPED_TRACE(name);
        m_boxes.clear();
        const std::string path = folder.Path(name).c_str();
        const std::string line = "\"" + path + "\" /noreg /ONLQVANE 255.255.255.255";
        ASSERT_TRUE(Start(line.c_str()));
        ASSERT_TRUE(m_app->GetView()->Online().m_bOnline);
        EXPECT_EQ(m_app->GetView()->Online().m_nSourceKind, KST_SOURCE_NODE);
        const bool fresh = std::string(name) == "new.qld";
        EXPECT_EQ(m_app->GetView()->Online().m_strRecordingFile, fresh ? CKSTString(path.c_str()) : CKSTString());
        if (fresh) {
            EXPECT_TRUE(m_boxes.empty());
        } else {
            ASSERT_EQ(m_boxes.size(), 1u);
            EXPECT_EQ(m_boxes[0].textId, static_cast<UINT>(KST_STR_ONL_RECORDING_NOT_CREATED));
            EXPECT_TRUE(m_app->GetDocument()->IsLiveDataModified());
        }
        m_app->GetView()->Online().StopOnline(false);
    }
    CloseHandle(held);
    EXPECT_EQ(folder.ReadFile("kept.qld"), "older");
    EXPECT_EQ(folder.ReadFile("held.qld"), "being written");

    m_boxes.clear();
    ASSERT_TRUE(Start("/noreg /EM1 /PWIN \"C:\\p\\proc.qlp\" /SETTINGS C:\\none.qld"));
    EXPECT_TRUE(m_boxes.empty());
    EXPECT_TRUE(m_app->HasPipeSource());
    EXPECT_STREQ(m_app->Settings().processSettingsPath.c_str(), "C:\\P\\PROC.QLP");
    // The process window is switched on for it.
    EXPECT_EQ(m_app->Settings().showProcess, 1);
    // A settings file that does not open changes nothing.
    EXPECT_EQ(m_app->GetSettingsFileCount(), 0);
}

TEST_F(Startup, SixthSettingsFilePushesTheOldestOut)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    // Native documents that carry display settings, written by the document container.
    std::vector<std::string> files;
    for (int i = 0; i < 6; ++i) {
        files.push_back(std::string(folder) + "KST_SET" + std::to_string(i) + ".QLD");
        CKSTDocFile file;
        ASSERT_EQ(file.OpenWrite(files.back().c_str()), 0);
        CKSTCurveWndSettings settings;
        ASSERT_GE(file.WriteCurveWndSettings(settings), 0);
        EXPECT_EQ(file.Close(), KST_OK);
    }
    AnswerStartDialogs();
    std::string line = "/noreg";
    for (const std::string& f : files) {
        line += " /SETTINGS " + f;
    }
    ASSERT_TRUE(Start(line.c_str()));
    ASSERT_EQ(m_app->GetSettingsFileCount(), 5);
    // Keyword values are upper case.
    EXPECT_STREQ(m_app->GetSettingsFile(0).c_str(), KstUpperCase(files[5].c_str()).c_str());
    EXPECT_STREQ(m_app->GetSettingsFile(4).c_str(), KstUpperCase(files[1].c_str()).c_str());
    EXPECT_EQ(m_app->Settings().settingsUsage, 1);
    for (const std::string& f : files) {
        DeleteFileA(f.c_str());
    }
}

}  // namespace
}  // namespace kst_test

namespace kst_test {
namespace {

TEST_F(Startup, StartDisplaySettingsDropFilesThatDoNotRead)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string readable = std::string(folder) + "kst_start_settings.qld";
    {
        CKSTDocFile file;
        ASSERT_EQ(file.OpenWrite(readable.c_str()), 0);
        CKSTCurveWndSettings settings;
        ASSERT_GE(file.WriteCurveWndSettings(settings), 0);
        EXPECT_EQ(file.Close(), KST_OK);
    }
    const std::string notNative = std::string(folder) + "kst_start_plain.qld";
    CloseHandle(CreateFileA(notNative.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                            nullptr));
    struct Case {
        std::string newest;
        bool kept;
    };
    const Case cases[] = {
        {readable, true},
        {notNative, false},                  // not a native document
        {"C:\\no\\such\\file.qld", false},   // does not open
        {"C:\\no\\such\\layout.ini", true},  // a layout that does not open stays listed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.newest);
        CTalvenorApp& app = NewApp();
        app.Settings().settingsFiles = {c.newest.c_str(), "C:\\older.qls"};
        app.LoadStartDisplaySettings();
        ASSERT_EQ(app.GetSettingsFileCount(), c.kept ? 2 : 1);
        EXPECT_STREQ(app.GetSettingsFile(0).c_str(), c.kept ? c.newest.c_str() : "C:\\older.qls");
    }
    DeleteFileA(readable.c_str());
    DeleteFileA(notNative.c_str());
}

}  // namespace
}  // namespace kst_test
