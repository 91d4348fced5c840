// Selection files and the list of recent selection files.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "data/ChannelList.h"
#include "foundation/ErrorCodes.h"
#include "panels/ChannelSelection.h"
#include "support/SafeSaveCases.h"
#include "support/SelectableChannels.h"
#include "support/TempFolder.h"

namespace {

using kst_test::AddSelectableChannels;
using kst_test::SelectedFlags;

std::string Paths(const CKSTRecentSelections& recent)
{
    std::string text;
    for (int i = 0; i < recent.GetCount(); ++i) {
        text += std::string(i ? " " : "") + recent.GetAt(i).c_str();
    }
    return text;
}

TEST(RecentSelectionsTest, AddMovesKnownPathsToTheFrontAndKeepsTen)
{
    struct Case {
        std::vector<const char*> added;
        const char* paths;
    };
    const Case cases[] = {
        {{"a", "b", "c"}, "c b a"},
        {{"a", "b", "c", "a"}, "a c b"},
        {{"a", "b", "c", "c"}, "c b a"},
        {{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, "10 9 8 7 6 5 4 3 2 1"},
        {{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}, "11 10 9 8 7 6 5 4 3 2"},
        {{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "1"}, "1 10 9 8 7 6 5 4 3 2"},
    };
    for (const Case& c : cases) {
        CKSTRecentSelections recent;
        for (const char* path : c.added) {
            recent.Add(path);
        }
        EXPECT_EQ(Paths(recent), c.paths);
    }
    // An entry of the list itself, as a choice in the list hands it over.
    CKSTRecentSelections recent;
    for (const char* path : {"a", "b", "c"}) {
        recent.Add(path);
    }
    recent.Add(recent.GetAt(2));
    EXPECT_EQ(Paths(recent), "a c b");
}

TEST(RecentSelectionsTest, LoadSkipsMissingFilesRepeatsAndGaps)
{
    TempFolder folder;
    for (const char* name : {"a.qls", "b.qls", "c.qls"}) {
        folder.WriteFile(name, "x");
    }
    CKSTHeaderInfoList tree;
    tree.SetString("SettingsPath_1", folder.Path("b.qls"));
    tree.SetString("SettingsPath_2", folder.Path("deleted.qls"));
    tree.SetString("SettingsPath_3", "");
    tree.SetString("SettingsPath_4", folder.Path("b.qls"));
    tree.SetString("SettingsPath_6", folder.Path("a.qls"));
    tree.SetString("SettingsPath_10", folder.Path("c.qls"));
    tree.SetString("SettingsPath_11", folder.Path("c.qls"));
    tree.SetString("SettingsPath_7", folder.Path(""));  // a folder is no selection file
    CKSTRecentSelections recent;
    recent.Add("stale");
    recent.Load(tree);
    const std::string expected = std::string(folder.Path("b.qls").c_str()) + " " +
                                 folder.Path("a.qls").c_str() + " " + folder.Path("c.qls").c_str();
    EXPECT_EQ(Paths(recent), expected);
}

TEST(RecentSelectionsTest, SaveWritesAllTenValues)
{
    CKSTRecentSelections recent;
    recent.Add("second");
    recent.Add("first");
    CKSTHeaderInfoList tree;
    tree.SetString("SettingsPath_3", "old");
    recent.Save(tree);
    std::string values;
    for (int n = 1; n <= 10; ++n) {
        CKSTString value("unset");
        EXPECT_GE(tree.GetString(CKSTRecentSelections::ValueName(n), value), 0) << n;
        values += std::string(value.c_str()) + ",";
    }
    EXPECT_EQ(values, "first,second,,,,,,,,,");
}

TEST(SelectionFileTest, ApplyingMatchesByNameAndGroup)
{
    TempFolder folder;
    const CKSTString path = folder.Path("choice.qls");
    CKSTChannelList saved;
    AddSelectableChannels(saved, {{"Motor", "u", "1"}, {"Motor", "i", "0"}, {"", "t", "1"}, {"Heat", "t", "0"},
                 {"Gone", "x", "1"}});
    ASSERT_EQ(KstWriteSelectionFile(path, saved), KST_OK);

    struct Case {
        std::vector<std::array<const char*, 3>> channels;
        const char* selected;
    };
    const Case cases[] = {
        {{{"Motor", "u", "0"}, {"Motor", "i", "1"}, {"", "t", "0"}, {"Heat", "t", "1"}}, "1010"},
        // Channels the file does not name, or names in another group, end unselected.
        {{{"Other", "u", "1"}, {"Motor", "new", "1"}, {"Gone", "x", "0"}, {"heat", "t", "1"}},
         "0010"},
        {{}, ""},
    };
    for (const Case& c : cases) {
        CKSTChannelList list;
        AddSelectableChannels(list, c.channels);
        EXPECT_EQ(KstApplySelectionFile(path, list), KST_OK);
        EXPECT_EQ(SelectedFlags(list), c.selected);
    }
}

TEST(SelectionFileTest, AFileThatCannotBeReadChangesNothing)
{
    TempFolder folder;
    folder.WriteFile("text.qls", "not a container");
    for (const char* name : {"missing.qls", "text.qls"}) {
        CKSTChannelList list;
        AddSelectableChannels(list, {{"", "a", "1"}, {"", "b", "0"}});
        EXPECT_LT(KstApplySelectionFile(folder.Path(name), list), 0) << name;
        EXPECT_EQ(SelectedFlags(list), "10");
    }
}

TEST(SelectionFileTest, SavingReplacesAnOldFileAndLeavesNoTemporary)
{
    TempFolder folder;
    const CKSTString path = folder.Path("choice.qls");
    CKSTChannelList list;
    AddSelectableChannels(list, {{"", "a", "1"}, {"", "b", "0"}});
    ASSERT_EQ(KstWriteSelectionFile(path, list), KST_OK);
    list.GetAt(0)->SetSelected(false);
    list.GetAt(1)->SetSelected(true);
    ASSERT_EQ(KstWriteSelectionFile(path, list), KST_OK);
    list.SelectAll(false);
    ASSERT_EQ(KstApplySelectionFile(path, list), KST_OK);
    EXPECT_EQ(SelectedFlags(list), "01");
    EXPECT_FALSE(std::filesystem::exists(folder.Native("choice.qls.kstnew")));

    // A folder in the way: the write fails and says so.
    EXPECT_LT(KstWriteSelectionFile(folder.Path("no such folder\\x.qls"), list), 0);
}

// Every other channel of a list selected; a large list writes more than a full disk takes.
int SaveSelection(const CKSTString& path, bool large)
{
    CKSTChannelList list;
    const int count = large ? 8000 : 3;
    for (int i = 0; i < count; ++i) {
        CKSTChannel* channel = list.GetAt(list.AddNew());
        channel->SetName(("channel " + std::to_string(i)).c_str());
        channel->SetSelected(i % 2 == 0);
    }
    return KstWriteSelectionFile(path, list);
}

TEST(SelectionFileTest, SafeSaves)
{
    kst_test::ExpectSafeSaves("choice.qls", SaveSelection);
}

TEST(SelectionFileTest, SafeSavesOnAFullDisk)
{
    kst_test::ExpectSafeSavesOnAFullDisk("choice.qls", SaveSelection);
}

}  // namespace
