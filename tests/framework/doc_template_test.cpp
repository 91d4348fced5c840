#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "shell_test_support.h"

namespace {

using kst_test::TempFile;
using kst_test::TheShellLog;

class DocTemplateTest : public kst_test::ShellTest {
protected:
    CDocument* Document() { return m_app->GetFirstDocTemplate()->GetOnlyDocument(); }
};

TEST_F(DocTemplateTest, TheDocumentStringIsReadByParts)
{
    ASSERT_TRUE(StartApp());
    const CDocTemplate& shell = *m_app->GetFirstDocTemplate();
    struct Case {
        CDocTemplate::DocStringIndex index;
        bool present;
        const char* text;
    };
    const Case cases[] = {
        {CDocTemplate::windowTitle, true, "Shell Test"},
        {CDocTemplate::docName, false, ""},
        {CDocTemplate::fileNewName, true, "TestDoc"},
        {CDocTemplate::filterExt, true, ".kxtest"},
        {CDocTemplate::regFileTypeName, true, "Framework Test Document"},
    };
    for (const Case& c : cases) {
        CKSTString text("stale");
        EXPECT_EQ(c.present, shell.GetDocString(text, c.index) != FALSE) << c.index;
        EXPECT_EQ(CKSTString(c.text), text) << c.index;
    }
    EXPECT_EQ(CKSTString("Untitled - Shell Test"), Frame().GetWindowText());
}

TEST_F(DocTemplateTest, AFailedOpenLeavesFrameAndDocumentAsTheyWere)
{
    ASSERT_TRUE(StartApp());
    TempFile opened("kst shell opened.kxtest");
    ASSERT_NE(nullptr, m_app->OpenDocumentFile(opened.Path().c_str()));
    CDocument* document = Document();
    CWnd* frame = AfxGetMainWnd();
    document->SetModifiedFlag(TRUE);
    const CKSTString path = document->GetPathName();
    const CKSTString windowText = frame->GetWindowText();
    const int recent = m_app->GetRecentFileList()->GetCount();

    const std::string missing = std::string(opened.Path().c_str()) + ".missing";
    EXPECT_EQ(nullptr, m_app->OpenDocumentFile(missing.c_str()));
    TheShellLog().failNewDocument = true;
    EXPECT_EQ(nullptr, m_app->OpenDocumentFile(nullptr));

    EXPECT_EQ(frame, AfxGetMainWnd());
    EXPECT_TRUE(IsWindow(frame->m_hWnd));
    EXPECT_EQ(document, Document());
    EXPECT_EQ(path, document->GetPathName());
    EXPECT_EQ(CKSTString("kst shell opened.kxtest"), document->GetTitle());
    EXPECT_EQ(windowText, frame->GetWindowText());
    EXPECT_TRUE(document->IsModified());
    EXPECT_EQ(recent, m_app->GetRecentFileList()->GetCount());
    EXPECT_EQ(document, Frame().GetActiveDocument());
}

TEST_F(DocTemplateTest, AFailureWhileMakingTheFirstFrameLeavesNothing)
{
    for (bool failView : {false, true}) {
        SCOPED_TRACE(failView ? "the view fails" : "the new document fails");
        TheShellLog().failNewDocument = !failView;
        TheShellLog().failViewCreation = failView;
        m_app = std::make_unique<kst_test::TestApp>();
        m_app->AddTestTemplate();
        EXPECT_EQ(nullptr, m_app->OpenDocumentFile(nullptr));
        EXPECT_EQ(nullptr, AfxGetMainWnd());
        EXPECT_EQ(nullptr, Document());
        EXPECT_EQ(nullptr, FindWindowA(nullptr, "Untitled - Shell Test"));
        m_app.reset();
    }
}

TEST_F(DocTemplateTest, OpeningReusesTheFrameAndUpdatesTheViews)
{
    ASSERT_TRUE(StartApp());
    CWnd* frame = AfxGetMainWnd();
    CDocument* document = Document();
    EXPECT_EQ((std::vector<LPARAM>{0}), TheShellLog().viewUpdates) << "OnInitialUpdate";

    TempFile file("kst shell reused.kxtest");
    ASSERT_EQ(document, m_app->OpenDocumentFile(file.Path().c_str()));
    EXPECT_EQ(frame, AfxGetMainWnd());
    EXPECT_EQ(file.Path(), document->GetPathName());
    EXPECT_EQ(CKSTString("kst shell reused.kxtest - Shell Test"), frame->GetWindowText());

    TheShellLog().viewUpdates.clear();
    document->UpdateAllViews(nullptr, 7);
    document->UpdateAllViews(Frame().GetActiveView(), 8);
    EXPECT_EQ((std::vector<LPARAM>{7}), TheShellLog().viewUpdates) << "the sender is left out";
}

TEST_F(DocTemplateTest, TheRecentFilesAppearInTheFileMenuAndOpenByCommand)
{
    ASSERT_TRUE(StartApp());
    HMENU file = GetSubMenu(GetMenu(Frame().m_hWnd), 0);
    auto popUp = [&] { Frame().SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0); };
    popUp();
    EXPECT_EQ(5, GetMenuItemCount(file));
    EXPECT_TRUE(GetMenuState(file, ID_FILE_MRU_FILE1, MF_BYCOMMAND) & MF_GRAYED)
        << "the placeholder of an empty list";

    TempFile first("kst shell a.kxtest");
    TempFile second("kst shell b&c.kxtest");
    ASSERT_TRUE(m_app->OpenDocumentFile(first.Path().c_str()));
    ASSERT_TRUE(m_app->OpenDocumentFile(second.Path().c_str()));
    popUp();
    popUp();  // a second time replaces the entries again
    ASSERT_EQ(6, GetMenuItemCount(file));
    EXPECT_EQ(ID_FILE_MRU_FILE1, GetMenuItemID(file, 2));
    EXPECT_EQ(ID_FILE_MRU_FILE1 + 1, GetMenuItemID(file, 3));
    EXPECT_EQ(MF_SEPARATOR, GetMenuState(file, 4, MF_BYPOSITION) & MF_SEPARATOR);
    char text[MAX_PATH];
    GetMenuStringA(file, 2, text, sizeof(text), MF_BYPOSITION);
    EXPECT_EQ(m_app->GetRecentFileList()->GetMenuText(0), CKSTString(text));
    EXPECT_FALSE(GetMenuState(file, 3, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(file, ID_APP_EXIT, MF_BYCOMMAND) & MF_GRAYED)
        << "the application ends the program";

    Frame().SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1 + 1, 0);
    EXPECT_EQ(first.Path(), Document()->GetPathName());
    EXPECT_EQ(first.Path(), (*m_app->GetRecentFileList())[0]);
}

}  // namespace
