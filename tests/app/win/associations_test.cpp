// File-type associations through the application object and the about box.
#include "app_test_support.h"

#include "app/win/AboutDlg.h"
#include "foundation/win/RegistryTree.h"
#include "resources/ResourceIds.h"
#include "support/win/DialogScript.h"

namespace kst_test {
namespace {

std::string ClassesDefault(const char* key)
{
    char data[256] = {};
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_CLASSES_ROOT, key, nullptr, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS) {
        return "<absent>";
    }
    return data;
}

class FileAssociations : public AppTest {
protected:
    void TearDown() override
    {
        UnregisterFileType("ddf");
        UnregisterFileType("ddb");
        AppTest::TearDown();
    }
};

TEST_F(FileAssociations, CheckingDdfDdbRegistersBothAndTheFlagsAreSaved)
{
    AnswerStartDialogs();
    ASSERT_TRUE(Start("/noreg"));
    m_app->Options().SetUseRegistry(true);  // flags saved in the test root
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Click(IDC_FILETYPES_DDF_DDB).Click(IDOK);
    CKSTOptionsDlg dialog(*m_app);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(m_app->Settings().associations[4], 1);
    EXPECT_EQ(m_app->Settings().associations[5], 1);
    EXPECT_EQ(ClassesDefault(".ddf"), "TalvenorWriter");
    EXPECT_EQ(ClassesDefault(".ddb"), "TalvenorWriter");
    EXPECT_EQ(ClassesDefault("TalvenorWriter"), "TalvenorWriter - Document");
    const std::string command = ClassesDefault("TalvenorWriter\\Shell\\Open\\Command");
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    EXPECT_EQ(command, "\"" + std::string(program) + "\" \"%1\"");
    EXPECT_EQ(ReadText("Associations", "DDF"), "1");
    EXPECT_EQ(ReadText("Associations", "QLD"), "0");

    // Unchecked again: both removed, flags cleared.
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Click(IDC_FILETYPES_DDF_DDB).Click(IDOK);
    CKSTOptionsDlg again(*m_app);
    ASSERT_EQ(again.DoModal(), IDOK);
    EXPECT_EQ(m_app->Settings().associations[4], 0);
    EXPECT_EQ(ClassesDefault(".ddf"), "<absent>");
    EXPECT_EQ(ReadText("Associations", "DDB"), "0");
}

TEST_F(FileAssociations, UncheckingAnExtensionThatIsNotAssociatedChangesNothing)
{
    CTalvenorApp& app = NewApp();
    uint8_t flag = 0;
    app.RegisterFileType("TalvenorWriter", "DDF", false, flag);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(ClassesDefault(".ddf"), "<absent>");
    // A set flag is trusted: nothing is registered again.
    flag = 1;
    app.RegisterFileType("TalvenorWriter", "DDF", true, flag);
    EXPECT_EQ(ClassesDefault(".ddf"), "<absent>");
    // The extension is lower-cased.
    flag = 0;
    app.RegisterFileType("TalvenorWriter", "DDF", true, flag);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(ClassesDefault(".ddf"), "TalvenorWriter");
}

TEST_F(FileAssociations, AboutBoxTextsAndLinks)
{
    struct Case {
        bool english;
        const char* developedBy;
        const char* homepage;
    };
    const Case cases[] = {{true, "Talvenor is developed by:", "Website"},
                          {false, "Talvenor ist eine Entwicklung von:", "Homepage"}};
    for (const Case& c : cases) {
        std::string caption, developedBy, homepage;
        bool codeveloperShown = true;
        KstSeams().modalDriver = CKSTDialogScript(IDOK).Run([&](CWnd& d) {
            char text[128] = {};
            GetWindowTextA(d.m_hWnd, text, sizeof text);
            caption = text;
            GetDlgItemTextA(d.m_hWnd, IDC_ABOUT_DEVELOPED_BY, text, sizeof text);
            developedBy = text;
            GetDlgItemTextA(d.m_hWnd, IDC_ABOUT_LINK_HOMEPAGE, text, sizeof text);
            homepage = text;
            codeveloperShown = (GetWindowLongA(GetDlgItem(d.m_hWnd, IDC_ABOUT_LINK_CODEVELOPER),
                                               GWL_STYLE) &
                                WS_VISIBLE) != 0;
        });
        CAboutDlg about(c.english);
        EXPECT_EQ(about.DoModal(), IDOK);
        EXPECT_EQ(caption, "Talvenor - Vizuve 2.49");
        EXPECT_EQ(developedBy, c.developedBy);
        EXPECT_EQ(homepage, c.homepage);
        EXPECT_FALSE(codeveloperShown);
        const std::string link = about.LinkAddress(IDC_ABOUT_LINK_HOMEPAGE).c_str();
        EXPECT_NE(link.find(c.english ? "/en/" : "/de/"), std::string::npos);
        EXPECT_TRUE(about.LinkAddress(IDOK).IsEmpty());
    }
}

TEST_F(FileAssociations, AboutCommandOpensTheBox)
{
    AnswerStartDialogs();
    ASSERT_TRUE(Start("/noreg"));
    m_dialogs.clear();
    AfxGetMainWnd()->SendMessage(WM_COMMAND, ID_APP_ABOUT);
    EXPECT_EQ(m_dialogs, std::vector<UINT>{IDD_ABOUTBOX});
}

}  // namespace
}  // namespace kst_test
