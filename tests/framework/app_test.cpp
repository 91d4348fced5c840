#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "shell_test_support.h"

namespace {

using kst_test::kTestRegistryKey;
using kst_test::TempFile;
using kst_test::TestApp;
using kst_test::TheShellLog;

const char kRecentKey[] = "Software\\Kestro\\FrameworkShellTests\\Recent File List";
const char kExtensionKey[] = ".kxtest";
const char kTypeKey[] = "KstFrameworkTest.Document";

void DeleteTestKeys()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Kestro\\FrameworkShellTests");
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE}) {
        const std::string prefix = root == HKEY_LOCAL_MACHINE ? "SOFTWARE\\Classes\\" : "";
        RegDeleteTreeA(root, (prefix + kExtensionKey).c_str());
        RegDeleteTreeA(root, (prefix + kTypeKey).c_str());
    }
}

bool KeyExists(HKEY root, const char* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

std::string ReadString(HKEY root, const char* path, const char* value)
{
    char text[MAX_PATH] = "";
    DWORD size = sizeof(text);
    if (RegGetValueA(root, path, value, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
        return "<missing>";
    }
    return text;
}

class AppTest : public kst_test::ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        DeleteTestKeys();
    }
    void TearDown() override
    {
        ShellTest::TearDown();
        DeleteTestKeys();
    }
};

// The whole program: the entry point runs InitInstance, the loop with its idle steps, and the
// exit; five files are opened from the first idle call and the frame is closed after that.
TEST_F(AppTest, TheProgramKeepsFourRecentFilesAndTouchesNoRegistryUnderNoreg)
{
    std::vector<std::unique_ptr<TempFile>> files;
    for (int i = 1; i <= 5; ++i) {
        files.push_back(
            std::make_unique<TempFile>(("kst shell " + std::to_string(i) + ".kxtest").c_str()));
    }
    struct Case {
        const char* commandLine;
        bool registry;
    };
    const Case cases[] = {{"/noreg", false}, {"first.kxtest /NOREG", false}, {"", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        DeleteTestKeys();
        kst_test::Watchdog watchdog;
        m_app = std::make_unique<TestApp>();
        std::string idlePrompt;
        bool toolbarUpdated = false;
        m_app->onIdle = [&](TestApp& app) {
            if (!app.m_pMainWnd) {
                return;
            }
            auto& frame = *static_cast<kst_test::TestFrame*>(app.m_pMainWnd);
            idlePrompt = frame.m_wndStatusBar.GetPaneText(0).c_str();
            toolbarUpdated =
                !SendMessageA(frame.m_wndToolBar.m_hWnd, TB_ISBUTTONENABLED, ID_TEST_NO_HANDLER, 0);
            for (const auto& file : files) {
                EXPECT_NE(nullptr, app.OpenDocumentFile(file->Path().c_str()));
            }
            frame.PostMessage(WM_CLOSE);
        };
        char commandLine[64];
        lstrcpynA(commandLine, c.commandLine, sizeof(commandLine));
        EXPECT_EQ(0, AfxWinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL));
        EXPECT_EQ(c.registry, m_app->UsesRegistry());
        EXPECT_EQ("Ready", idlePrompt) << "the idle prompt";
        EXPECT_TRUE(toolbarUpdated) << "toolbar states on idle";

        ASSERT_TRUE(m_app->GetRecentFileList());
        const CRecentFileList& recent = *m_app->GetRecentFileList();
        ASSERT_EQ(4, recent.GetCount());
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(files[static_cast<size_t>(4 - i)]->Path(), recent[i]) << "newest first";
        }
        EXPECT_EQ(c.registry, KeyExists(HKEY_CURRENT_USER, kRecentKey));
        EXPECT_EQ(c.registry, KeyExists(HKEY_CLASSES_ROOT, kExtensionKey));
        if (c.registry) {
            EXPECT_EQ(files[4]->Path().c_str(), ReadString(HKEY_CURRENT_USER, kRecentKey, "File1"));
            EXPECT_EQ(files[1]->Path().c_str(), ReadString(HKEY_CURRENT_USER, kRecentKey, "File4"));
            EXPECT_EQ(kTypeKey, ReadString(HKEY_CLASSES_ROOT, kExtensionKey, nullptr));
        }
        m_app.reset();
    }

    // The next start reads the list back, unless told not to.
    for (const char* commandLine : {"", "/noreg"}) {
        SCOPED_TRACE(commandLine);
        kst_test::Watchdog watchdog;
        m_app = std::make_unique<TestApp>();
        m_app->onIdle = [](TestApp& app) { app.m_pMainWnd->PostMessage(WM_CLOSE); };
        char line[16];
        lstrcpynA(line, commandLine, sizeof(line));
        EXPECT_EQ(0, AfxWinMain(GetModuleHandleA(nullptr), nullptr, line, SW_SHOWNORMAL));
        EXPECT_EQ(*commandLine ? 0 : 4, m_app->GetRecentFileList()->GetCount());
        m_app.reset();
    }
}

TEST_F(AppTest, AFailedInitInstanceEndsQuietlyWithExitCodeZero)
{
    TheShellLog().failNewDocument = true;
    m_app = std::make_unique<TestApp>();
    char commandLine[] = "/noreg";
    EXPECT_EQ(0, AfxWinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL));
    EXPECT_EQ(nullptr, AfxGetMainWnd());
    EXPECT_EQ(nullptr, m_app->GetFirstDocTemplate()->GetOnlyDocument());
}

TEST_F(AppTest, TheWaitCursorStaysUntilTheLastEnd)
{
    m_app = std::make_unique<TestApp>();
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    HCURSOR wait = LoadCursor(nullptr, IDC_WAIT);
    SetCursor(arrow);
    {
        CWaitCursor outer;
        m_app->BeginWaitCursor();
        EXPECT_EQ(wait, GetCursor());
        m_app->EndWaitCursor();
        EXPECT_EQ(wait, GetCursor()) << "the outer wait still runs";
        SetCursor(arrow);
        outer.Restore();
        EXPECT_EQ(wait, GetCursor());
    }
    EXPECT_EQ(arrow, GetCursor());
    EXPECT_FALSE(m_app->IsWaitCursorShown());
    m_app->EndWaitCursor();
    EXPECT_FALSE(m_app->IsWaitCursorShown()) << "an unmatched end changes nothing";
}

TEST_F(AppTest, TheCommandLineNamesTheFirstFile)
{
    struct Case {
        const char* commandLine;
        int command;
        const char* file;
    };
    const Case cases[] = {
        {"", CCommandLineInfo::FileNew, ""},
        {"/noreg", CCommandLineInfo::FileNew, ""},
        {"/noreg \"C:\\my data\\a.kxd\" b.kxd", CCommandLineInfo::FileOpen, "C:\\my data\\a.kxd"},
        {"  a.kxd -x", CCommandLineInfo::FileOpen, "a.kxd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        TestApp app;
        app.SetCommandLine(c.commandLine);
        CCommandLineInfo info;
        app.ParseCommandLine(info);
        EXPECT_EQ(c.command, info.m_nShellCommand);
        EXPECT_EQ(CKSTString(c.file), info.m_strFileName);
    }
}

}  // namespace
