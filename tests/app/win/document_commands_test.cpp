// The document's file commands in the running application: the file dialogs, message boxes and
// the document's own dialogs scripted through their seams, commands sent to the main frame.
#include "app_test_support.h"

#include <commctrl.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/win/TalvenorDoc.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "support/TempFolder.h"
#include "support/win/DialogScript.h"

namespace kst_test {
namespace {

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class DocumentCommands : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        AnswerStartDialogs();
        ASSERT_TRUE(Start("/noreg"));
        m_app->Settings().language = 0;
        RecordBoxes();
        RunDialogScripts();
        m_dialogs.clear();
    }

    CTalvenorDoc& Doc() { return *m_app->GetDocument(); }

    void Command(UINT id) { AfxGetMainWnd()->SendMessage(WM_COMMAND, id, 0); }

    // Two generated channels in the document, saved under the name.
    CKSTString SaveGenerated(const std::string& name, const char* first = "Sinus")
    {
        CKSTDataSet& set = Doc().GetDataSet();
        set.Clear(false);
        CKSTChannelList& channels = set.GetChannels();
        CKSTChannel& sine = *channels.GetAt(channels.AddNew());
        sine.GenerateSine(100, 0.01, 1.0, 1.0, 0.0);
        sine.SetName(first);
        CKSTChannel& ramp = *channels.GetAt(channels.AddNew());
        ramp.GenerateRamp(100, 0.01);
        ramp.SetName("Ramp");
        set.SetTitle("Generated");
        const CKSTString path = m_folder.Path(name);
        EXPECT_TRUE(Doc().SaveFile(path, 0));
        return path;
    }

    std::vector<UINT> BoxIds() const
    {
        std::vector<UINT> ids;
        for (const ShownBox& box : m_boxes) {
            ids.push_back(box.textId);
        }
        return ids;
    }

    TempFolder m_folder;
};

TEST_F(DocumentCommands, OpenShowsTheDocumentAndRemembersItsPlace)
{
    const CKSTString path = SaveGenerated("opened.qld");
    Command(ID_FILE_NEW_DOCUMENT);
    EXPECT_EQ(Doc().GetDataSet().GetChannels().GetCount(), 0);
    EXPECT_TRUE(m_app->GetDocument()->GetCurrentPath().IsEmpty());

    ChooseFile(path);
    Command(ID_FILE_OPEN);
    EXPECT_EQ(m_fileDialogTitle, "\326ffnen");
    EXPECT_EQ(Doc().GetDataSet().GetChannels().GetCount(), 2);
    EXPECT_STREQ(Doc().GetDataSet().GetTitle().c_str(), "Generated");
    EXPECT_STREQ(m_app->GetDocument()->GetCurrentPath().c_str(), path.c_str());
    EXPECT_STREQ(Doc().GetPathName().c_str(), path.c_str());
    EXPECT_STREQ(m_app->Settings().lastLoadDir.c_str(), m_folder.Path().c_str());
    ASSERT_TRUE(m_app->GetRecentFileList());
    ASSERT_GE(m_app->GetRecentFileList()->GetCount(), 1);
    EXPECT_STREQ((*m_app->GetRecentFileList())[0].c_str(), path.c_str());
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(DocumentCommands, SaveOfAnUnreadableFileAsksForANameAndLeavesItsBytes)
{
    const std::string junk = "0123456789ABCDEF";
    m_folder.WriteFile("junk.qld", junk);
    m_app->GetDocument()->SetLiveDataModified(true);
    m_boxAnswer = IDNO;  // do not save the live data first
    ASSERT_NE(m_app->OpenDocumentFile(m_folder.Path("junk.qld").c_str()), nullptr);
    EXPECT_EQ(BoxIds(), (std::vector<UINT>{KST_STR_ASK_SAVE_CHANGES, KST_STR_ERR_NOT_NATIVE}));
    EXPECT_TRUE(m_app->GetDocument()->GetCurrentPath().IsEmpty());
    EXPECT_TRUE(Doc().GetPathName().IsEmpty());

    ChooseFile("");
    Command(ID_FILE_SAVE);
    EXPECT_EQ(m_fileDialogs, 1);
    EXPECT_EQ(m_fileDialogTitle, "Speichern als");
    EXPECT_EQ(ReadBytes(m_folder.Native("junk.qld")), junk);
}

// A file cut short shows what was whole with its error, and one without data shows that; Save
// asks for a name for either instead of writing the document over the file.
TEST_F(DocumentCommands, SaveOfACutOrEmptyFileAsksForANameAndLeavesItsBytes)
{
    SaveGenerated("whole.qld");
    const std::string whole = ReadBytes(m_folder.Native("whole.qld"));
    const struct {
        const char* name;
        size_t size;
        UINT textId;
        int channels;
    } cases[] = {
        {"cut.qld", whole.size() - 5, KST_STR_ERR_FILE_CUT_SHORT, 2},
        {"cut after 40 bytes.qld", 40, KST_STR_ERR_FILE_CUT_SHORT, 0},
        {"empty.qld", 10, KST_STR_DOC_NO_DATA, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bytes = whole.substr(0, c.size);
        m_folder.WriteFile(c.name, bytes);
        m_boxes.clear();
        ASSERT_NE(m_app->OpenDocumentFile(m_folder.Path(c.name).c_str()), nullptr);
        EXPECT_EQ(BoxIds(), (std::vector<UINT>{c.textId}));
        EXPECT_EQ(Doc().GetDataSet().GetChannels().GetCount(), c.channels);
        EXPECT_STREQ(Doc().GetPathName().c_str(), m_folder.Path(c.name).c_str());

        m_fileDialogs = 0;
        ChooseFile("");
        Command(ID_FILE_SAVE);
        EXPECT_EQ(m_fileDialogs, 1);
        EXPECT_EQ(m_fileDialogTitle, "Speichern als");
        EXPECT_EQ(ReadBytes(m_folder.Native(c.name)), bytes);
    }
}

TEST_F(DocumentCommands, SaveInPlaceOrThroughSaveAs)
{
    const CKSTString qld = SaveGenerated("table.qld");
    const CKSTString csv = m_folder.Path("table.csv");
    ASSERT_TRUE(Doc().SaveFile(csv, 0));
    // A ".csv" document: Save opens Save As with the CSV filter and the name without extension.
    ChooseFile("");
    m_app->GetDocument()->SetLiveDataModified(true);
    Command(ID_FILE_SAVE);
    EXPECT_EQ(m_fileDialogs, 1);
    EXPECT_EQ(m_fileDialogFilter, 8u);
    EXPECT_EQ(m_fileDialogInitial, m_folder.Path("table").c_str());
    EXPECT_EQ(m_fileDialogFlags & OFN_FILEMUSTEXIST, 0u);
    // A cancelled Save As saves nothing, so the unsaved mark stays.
    EXPECT_TRUE(m_app->GetDocument()->IsLiveDataModified());

    // "All Files" writes the native format; an existing file is asked for.
    m_boxAnswer = IDNO;
    ChooseFile(qld, kKstSaveAsFilterCount);
    Command(ID_FILE_SAVE_AS);
    EXPECT_EQ(BoxIds(), (std::vector<UINT>{KST_STR_ASK_OVERWRITE}));
    EXPECT_STREQ(m_app->GetDocument()->GetCurrentPath().c_str(), csv.c_str());
    m_boxes.clear();
    m_boxAnswer = IDYES;
    Command(ID_FILE_SAVE_AS);
    EXPECT_STREQ(m_app->GetDocument()->GetCurrentPath().c_str(), qld.c_str());
    EXPECT_FALSE(m_app->GetDocument()->IsLiveDataModified());
    EXPECT_EQ(ReadBytes(m_folder.Native("table.qld")).substr(0, 10), "KESTRO-KXD");

    // A ".qld" document saves in place without a dialog.
    m_fileDialogs = 0;
    m_app->GetDocument()->SetLiveDataModified(true);
    Command(ID_FILE_SAVE);
    EXPECT_EQ(m_fileDialogs, 0);
    EXPECT_FALSE(m_app->GetDocument()->IsLiveDataModified());
}

TEST_F(DocumentCommands, ReadOnlyTargetShowsTheErrorAndKeepsTheMark)
{
    const CKSTString path = SaveGenerated("fixed.qld");
    const std::string before = ReadBytes(m_folder.Native("fixed.qld"));
    m_folder.MakeReadOnly("fixed.qld");
    Doc().GetDataSet().GetChannels().GetAt(0)->SetName("changed");
    m_app->GetDocument()->SetLiveDataModified(true);
    EXPECT_FALSE(Doc().SaveFile(path, 0));
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].textId, static_cast<UINT>(KST_STR_DOC_SAVE_FAILED));
    EXPECT_TRUE(m_app->GetDocument()->IsLiveDataModified());
    EXPECT_EQ(ReadBytes(m_folder.Native("fixed.qld")), before);
    EXPECT_FALSE(std::filesystem::exists(m_folder.Native("fixed.qld.kstnew")));
}

TEST_F(DocumentCommands, UnsavedLiveDataThatCouldNotBeSavedKeepTheDocument)
{
    const CKSTString first = SaveGenerated("first.qld");
    const CKSTString second = SaveGenerated("second.qld", "Other");
    ASSERT_NE(m_app->OpenDocumentFile(first.c_str()), nullptr);
    m_folder.MakeReadOnly("first.qld");
    m_app->GetDocument()->SetLiveDataModified(true);
    m_boxAnswer = IDYES;  // save first: the save in place fails
    EXPECT_EQ(m_app->OpenDocumentFile(second.c_str()), nullptr);
    EXPECT_EQ(BoxIds(), (std::vector<UINT>{KST_STR_ASK_SAVE_CHANGES, KST_STR_DOC_SAVE_FAILED}));
    EXPECT_STREQ(Doc().GetDataSet().GetChannels().GetAt(0)->GetName().c_str(), "Sinus");
    EXPECT_TRUE(m_app->GetDocument()->IsLiveDataModified());
    EXPECT_STREQ(m_app->GetDocument()->GetCurrentPath().c_str(), first.c_str());
}

TEST_F(DocumentCommands, LockUnlockAndRemoveThroughTheirDialogs)
{
    const CKSTString path = SaveGenerated("locked.qld");
    auto lockScript = [](const char* password, const char* retype) {
        return CKSTDialogScript()
            .SetText(IDC_LOCK_PASSWORD, password)
            .SetText(IDC_LOCK_RETYPE, retype)
            .Click(IDOK);
    };
    auto unlockScript = [](const char* password) {
        return CKSTDialogScript().SetText(IDC_LOCK_PASSWORD, password).Click(IDOK);
    };
    m_scripts[IDD_FILE_LOCK] = {lockScript("abc", "abc"), lockScript("abcd", "abcd")};
    Command(ID_FILE_UNLOCK);
    Command(ID_FILE_REMOVE_LOCK);
    Command(ID_FILE_LOCK);
    Command(ID_FILE_LOCK);
    EXPECT_EQ(BoxIds(),
              (std::vector<UINT>{KST_STR_LOCK_NOT_ACTIVE, KST_STR_LOCK_NONE, KST_STR_LOCK_TOO_SHORT,
                                 KST_STR_LOCK_DONE, KST_STR_LOCK_EXISTS}));
    EXPECT_FALSE(Doc().Core().GetLock().IsLocked());
    EXPECT_TRUE(m_app->GetDocument()->IsLiveDataModified());

    Command(ID_FILE_SAVE);
    ASSERT_NE(m_app->OpenDocumentFile(path.c_str()), nullptr);
    EXPECT_TRUE(Doc().Core().GetLock().IsLocked());

    m_boxes.clear();
    m_scripts[IDD_UNLOCK_FILE] = {unlockScript("ABCD"), unlockScript("abcd"), unlockScript("wrong"),
                                  unlockScript("abcd")};
    Command(ID_FILE_UNLOCK);
    EXPECT_FALSE(Doc().Core().GetLock().IsLocked());
    Command(ID_FILE_REMOVE_LOCK);
    EXPECT_EQ(BoxIds(), (std::vector<UINT>{KST_STR_LOCK_WRONG_PASSWORD, KST_STR_LOCK_UNLOCKED,
                                           KST_STR_LOCK_WRONG_PASSWORD, KST_STR_LOCK_REMOVED}));
    EXPECT_FALSE(Doc().Core().GetLock().HasPassword());
    Command(ID_FILE_SAVE);
    ASSERT_NE(m_app->OpenDocumentFile(path.c_str()), nullptr);
    EXPECT_FALSE(Doc().Core().GetLock().HasPassword());
}

TEST_F(DocumentCommands, CutTakesTheGermanDecimalMark)
{
    SaveGenerated("cut.qld");
    m_scripts[IDD_CUT_CURSOR] = {CKSTDialogScript()
                                     .Click(IDC_CUT_STANDARD)
                                     .SetText(IDC_CUT_START_X, "0,25")
                                     .SetText(IDC_CUT_END_X, "0,75")
                                     .Click(IDOK)};
    Command(ID_EDIT_CUT_CURSORS);
    EXPECT_EQ(BoxIds(), (std::vector<UINT>{KST_STR_CUT_CURSOR_HINT}));
    EXPECT_EQ(m_dialogs, (std::vector<UINT>{IDD_CUT_CURSOR}));
    EXPECT_EQ(Doc().GetDataSet().GetChannels().GetAt(0)->GetCount(), 50u);
    EXPECT_TRUE(m_app->GetDocument()->IsLiveDataModified());
}

TEST_F(DocumentCommands, EditXAxisMovesTheStartAndSetsTheUnit)
{
    SaveGenerated("axis.qld");
    m_app->GetDocument()->SetLiveDataModified(false);
    m_scripts[IDD_EDIT_X_AXIS] = {
        CKSTDialogScript()
            .Run([](CWnd& dialog) {
                SYSTEMTIME day{2021, 3, 0, 4, 0, 0, 0, 0};
                SYSTEMTIME time{2000, 1, 0, 1, 13, 45, 10, 0};
                SendDlgItemMessageA(dialog.m_hWnd, IDC_START_DATE, DTM_SETSYSTEMTIME, GDT_VALID,
                                    reinterpret_cast<LPARAM>(&day));
                SendDlgItemMessageA(dialog.m_hWnd, IDC_START_TIME, DTM_SETSYSTEMTIME, GDT_VALID,
                                    reinterpret_cast<LPARAM>(&time));
            })
            .SetText(IDC_XAXIS_UNIT, "min")
            .Click(IDOK)};
    Command(ID_EDIT_X_AXIS);
    const CKSTChannel& channel = *Doc().GetDataSet().GetChannels().GetAt(1);
    CKSTTimeStamp expected;
    expected.SetDateTime(2021, 3, 4, 13, 45, 10.0);
    EXPECT_TRUE(channel.GetStartTimeStamp() == expected);
    EXPECT_STREQ(channel.GetTimeUnit().c_str(), "min");
    EXPECT_TRUE(m_app->GetDocument()->IsLiveDataModified());
}

TEST_F(DocumentCommands, DroppedFilesOpenTheFirstAndAppendTheOthers)
{
    const CKSTString a = SaveGenerated("a.qld", "A");
    const CKSTString b = SaveGenerated("b.qld", "B");
    const CKSTString c = SaveGenerated("c.qld", "C");
    std::string names;
    for (const CKSTString& path : {a, b, c}) {
        names += path.c_str();
        names += '\0';
    }
    names += '\0';
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size());
    ASSERT_NE(block, nullptr);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(block);
    m_app->GetDocument()->SetLiveDataModified(false);
    Doc().OpenDroppedFiles(static_cast<HDROP>(block));
    const CKSTChannelList& channels = Doc().GetDataSet().GetChannels();
    // "Ramp" is in every file: the first append asks, the Append File dialog is cancelled...
    EXPECT_EQ(m_dialogs, (std::vector<UINT>{IDD_APPEND_FILE}));
    EXPECT_EQ(channels.GetCount(), 2);
    EXPECT_STREQ(m_app->GetDocument()->GetCurrentPath().c_str(), a.c_str());

    // ...or answered with new channels, which the third file then gets without asking.
    m_dialogs.clear();
    m_scripts[IDD_APPEND_FILE] = {CKSTDialogScript().Click(IDC_APPEND_CREATE_NEW)};
    HGLOBAL again = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size());
    drop = static_cast<DROPFILES*>(GlobalLock(again));
    drop->pFiles = sizeof(DROPFILES);
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(again);
    Doc().OpenDroppedFiles(static_cast<HDROP>(again));
    EXPECT_EQ(m_dialogs, (std::vector<UINT>{IDD_APPEND_FILE}));
    EXPECT_EQ(channels.GetCount(), 6);
    EXPECT_TRUE(m_app->GetDocument()->IsLiveDataModified());
}

TEST_F(DocumentCommands, AppendCommandSortsTheChosenFiles)
{
    const CKSTString first = SaveGenerated("1.qld", "First");
    SaveGenerated("3.qld", "Third");
    SaveGenerated("2.qld", "Second");
    ASSERT_NE(m_app->OpenDocumentFile(first.c_str()), nullptr);
    KstSeams().getOpenFileName = [this](OPENFILENAMEA& ofn, DWORD& error) {
        error = 0;
        EXPECT_NE(ofn.Flags & OFN_ALLOWMULTISELECT, 0u);
        const std::string folder = m_folder.Path().c_str();
        std::string list = folder + '\0' + "3.qld" + '\0' + "2.qld" + '\0' + '\0';
        memcpy(ofn.lpstrFile, list.data(), list.size());
        return TRUE;
    };
    m_scripts[IDD_APPEND_FILE] = {
        CKSTDialogScript().Select(IDC_APPEND_METHOD, 1).Click(IDC_APPEND_TO_EXISTING)};
    Command(ID_FILE_APPEND);
    const CKSTChannelList& channels = Doc().GetDataSet().GetChannels();
    ASSERT_EQ(channels.GetCount(), 4);
    // "Ramp" of both files went onto the existing channel, once each.
    EXPECT_EQ(channels.GetAt(1)->GetCount(), 300u);
    EXPECT_STREQ(channels.GetAt(2)->GetName().c_str(), "Second");
    EXPECT_STREQ(channels.GetAt(3)->GetName().c_str(), "Third");

    // A selection too large for the dialog's buffer is told.
    m_boxes.clear();
    KstSeams().getOpenFileName = [](OPENFILENAMEA&, DWORD& error) {
        error = FNERR_BUFFERTOOSMALL;
        return FALSE;
    };
    Command(ID_FILE_APPEND);
    EXPECT_EQ(BoxIds(), (std::vector<UINT>{KST_STR_TOO_MANY_FILES}));
}

}  // namespace
}  // namespace kst_test
