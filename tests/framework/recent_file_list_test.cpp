#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/CmdUI.h"
#include "framework/FrameworkIds.h"
#include "framework/RecentFileList.h"

namespace {

std::vector<std::string> Entries(const CRecentFileList& list)
{
    std::vector<std::string> entries;
    for (int i = 0; i < list.GetCount(); ++i) {
        entries.push_back(list[i].c_str());
    }
    return entries;
}

TEST(RecentFileList, KeepsTheNewestDistinctPathsUpToItsSize)
{
    CRecentFileList list(ID_FILE_MRU_FILE1, "Recent File List", "File%d", 4);
    for (const char* path : {"C:\\a.kxd", "C:\\b.kxd", "C:\\c.kxd", "C:\\d.kxd", "C:\\e.kxd"}) {
        list.Add(path);
    }
    EXPECT_EQ((std::vector<std::string>{"C:\\e.kxd", "C:\\d.kxd", "C:\\c.kxd", "C:\\b.kxd"}),
              Entries(list));
    list.Add("c:\\C.KXD");  // the same file in other case moves to the front
    list.Add("");
    EXPECT_EQ((std::vector<std::string>{"c:\\C.KXD", "C:\\e.kxd", "C:\\d.kxd", "C:\\b.kxd"}),
              Entries(list));
    list.Remove(1);
    list.Remove(7);
    EXPECT_EQ((std::vector<std::string>{"c:\\C.KXD", "C:\\d.kxd", "C:\\b.kxd"}), Entries(list));
}

TEST(RecentFileList, MenuTextsNumberShortenAndEscape)
{
    struct Case {
        const char* path;
        const char* text;
    };
    const Case cases[] = {
        {"C:\\data\\short.kxd", "&1 C:\\data\\short.kxd"},
        {"C:\\data\\R&D\\x.kxd", "&1 C:\\data\\R&&D\\x.kxd"},
        {"C:\\measurements\\2024\\test stand\\run 17\\results.kxd",
         "&1 C:\\...\\test stand\\run 17\\results.kxd"},
        {"\\\\server\\share\\measurements\\2024\\folder\\results.kxd",
         "&1 \\\\server\\share\\...\\folder\\results.kxd"},
        {"C:\\a_single_folder_name_far_longer_than_the_menu_allows\\results.kxd",
         "&1 C:\\...\\results.kxd"},
        {"C:\\a_file_name_far_longer_than_the_menu_allows_without_folders.kxd",
         "&1 C:\\a_file_name_far_longer_than_the_menu_allows_without_folders.kxd"},
    };
    for (const Case& c : cases) {
        CRecentFileList list(ID_FILE_MRU_FILE1, "Recent File List", "File%d", 4);
        list.Add(c.path);
        EXPECT_EQ(std::string(c.text), list.GetMenuText(0).c_str()) << c.path;
    }
}

TEST(RecentFileList, UpdateMenuReplacesItsEntriesAndTakesTheHandlersState)
{
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 100, "Open");
    AppendMenuA(menu, MF_STRING, ID_FILE_MRU_FILE1, "Recent File");
    AppendMenuA(menu, MF_STRING, 101, "Exit");
    CRecentFileList list(ID_FILE_MRU_FILE1, "Recent File List", "File%d", 4);
    auto update = [&](bool enabledByHandler) {
        CCmdUI state;
        state.m_hMenu = menu;
        state.m_nID = ID_FILE_MRU_FILE1;
        state.m_nIndex = 1;
        state.Enable(enabledByHandler);
        list.UpdateMenu(&state);
        EXPECT_EQ(static_cast<UINT>(GetMenuItemCount(menu)), state.m_nIndexMax);
        return state.m_nIndex;
    };
    auto text = [&](int position) {
        char buffer[MAX_PATH] = "";
        GetMenuStringA(menu, static_cast<UINT>(position), buffer, sizeof(buffer), MF_BYPOSITION);
        return std::string(buffer);
    };

    list.Add("C:\\one.kxd");
    list.Add("C:\\two.kxd");
    EXPECT_EQ(2u, update(false)) << "the loop goes on after the last entry";
    ASSERT_EQ(4, GetMenuItemCount(menu));
    EXPECT_EQ("&1 C:\\two.kxd", text(1));
    EXPECT_EQ("&2 C:\\one.kxd", text(2));
    EXPECT_TRUE(GetMenuState(menu, 2, MF_BYPOSITION) & MF_GRAYED) << "disabled by the handler";
    EXPECT_EQ("Exit", text(3));

    list.Remove(0);
    list.Remove(0);
    update(true);
    ASSERT_EQ(3, GetMenuItemCount(menu));
    EXPECT_EQ("Recent File", text(1)) << "the placeholder is back";
    EXPECT_TRUE(GetMenuState(menu, 1, MF_BYPOSITION) & MF_GRAYED);
    DestroyMenu(menu);
}

}  // namespace
