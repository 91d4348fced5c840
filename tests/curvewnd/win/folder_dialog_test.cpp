#include "curvewnd/win/FolderDialog.h"

#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <vector>

#include "framework/framework_test_support.h"

namespace {

// Stands in for the browser's window: records what the callback asks of it.
class BrowserWnd : public CWnd {
    DECLARE_MESSAGE_MAP()

public:
    std::vector<CKSTString> selections;
    std::vector<CKSTString> statusTexts;

protected:
    LRESULT OnSetSelection(WPARAM isPath, LPARAM text)
    {
        EXPECT_EQ(TRUE, static_cast<BOOL>(isPath));
        selections.push_back(reinterpret_cast<const char*>(text));
        return 0;
    }
    LRESULT OnSetStatusText(WPARAM, LPARAM text)
    {
        statusTexts.push_back(reinterpret_cast<const char*>(text));
        return 0;
    }
};

BEGIN_MESSAGE_MAP(BrowserWnd, CWnd)
ON_MESSAGE(BFFM_SETSELECTIONA, OnSetSelection)
ON_MESSAGE(BFFM_SETSTATUSTEXTA, OnSetStatusText)
END_MESSAGE_MAP()

class FolderDialogTest : public kst_test::FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        char temp[MAX_PATH] = {};
        ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
        folder.Format("%skst_folder_dialog_%lu", temp, GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
        file = folder + "\\record.qld";
        HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, handle);
        CloseHandle(handle);

        const CKSTString name = KstRegisterWndClass(0);
        ASSERT_TRUE(
            owner.CreateEx(0, name.c_str(), "Archive", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
        ASSERT_TRUE(browser.CreateEx(0, name.c_str(), "Browser", WS_POPUP, 0, 0, 100, 100, nullptr,
                                     nullptr));
    }
    void TearDown() override
    {
        owner.DestroyWindow();
        browser.DestroyWindow();
        DeleteFileA(file.c_str());
        RemoveDirectoryA(folder.c_str());
        FrameworkTest::TearDown();
    }

    CKSTString folder;
    CKSTString file;
    CWnd owner;
    BrowserWnd browser;
};

TEST_F(FolderDialogTest, ChosenFolderOrTheFoldersOfAChosenFileAndNothingOnCancel)
{
    struct Case {
        const char* name;
        const CKSTString* chosen;  // null: Cancel
        bool result;
        const CKSTString* expected;
    };
    const CKSTString nothing;
    const Case cases[] = {
        {"folder", &folder, true, &folder},
        {"file", &file, true, &folder},
        {"cancel", nullptr, false, &nothing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BROWSEINFOA seen{};
        CKSTString seenTitle;
        KstSeams().browseForFolder = [&](BROWSEINFOA& info) -> PIDLIST_ABSOLUTE {
            seen = info;
            seenTitle = info.lpszTitle;
            return c.chosen ? ILCreateFromPathA(c.chosen->c_str()) : nullptr;
        };
        CKSTFolderDialog dialog(&owner);
        CKSTString chosen = "stale";
        EXPECT_EQ(c.result, dialog.Browse(chosen, "Archive folder", "C:\\"));
        EXPECT_STREQ(c.expected->c_str(), chosen.c_str());

        EXPECT_EQ(owner.m_hWnd, seen.hwndOwner);
        EXPECT_EQ(nullptr, seen.pidlRoot);
        EXPECT_STREQ("Archive folder", seenTitle.c_str());
        EXPECT_EQ(static_cast<UINT>(BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_NEWDIALOGSTYLE |
                                    BIF_BROWSEINCLUDEFILES),
                  seen.ulFlags);
        EXPECT_NE(nullptr, seen.pszDisplayName);
    }
}

TEST_F(FolderDialogTest, BrowserStartsAtTheInitialFolderAndShowsEachSelectionAsStatus)
{
    struct Case {
        const char* name;
        const char* initial;
        size_t selections;
    };
    const Case cases[] = {
        {"initial folder", "C:\\windows", 1},
        {"no initial folder", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        browser.selections.clear();
        browser.statusTexts.clear();
        KstSeams().browseForFolder = [&](BROWSEINFOA& info) -> PIDLIST_ABSOLUTE {
            info.lpfn(browser.m_hWnd, BFFM_INITIALIZED, 0, info.lParam);
            PIDLIST_ABSOLUTE item = ILCreateFromPathA(folder.c_str());
            info.lpfn(browser.m_hWnd, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(item), info.lParam);
            return item;
        };
        CKSTFolderDialog dialog(&owner);
        CKSTString chosen;
        EXPECT_TRUE(dialog.Browse(chosen, "Archive folder", c.initial));

        ASSERT_EQ(c.selections, browser.selections.size());
        if (c.selections) {
            EXPECT_STREQ(c.initial, browser.selections[0].c_str());
        }
        ASSERT_EQ(1u, browser.statusTexts.size());
        EXPECT_STREQ(folder.c_str(), browser.statusTexts[0].c_str());
    }
}

}  // namespace
