// The channel tree panel filled from a channel list, and the channel selection dialog run
// through the modal seam: select all, selection files and the recent list in the registry.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/ChannelList.h"
#include "framework/framework_test_support.h"
#include "panels/ChannelSelection.h"
#include "panels/win/ChannelSelectDlg.h"
#include "panels/win/StructTreeDlg.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "support/SelectableChannels.h"
#include "support/TempFolder.h"
#include "support/win/DialogScript.h"
#include "support/win/MessageBoxScript.h"

namespace kst_test {
namespace {

constexpr char kTestKey[] = "Software\\Kestro\\TalvenorPanelTests\\SELECTIONS";

std::string ItemText(HWND tree, HTREEITEM item)
{
    char text[256] = {};
    TVITEMA info{};
    info.mask = TVIF_TEXT | TVIF_STATE;
    info.hItem = item;
    info.pszText = text;
    info.cchTextMax = sizeof text;
    info.stateMask = TVIS_STATEIMAGEMASK;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info));
    const bool checked = (info.state >> 12) == 2;
    return std::string(checked ? "[x]" : "[ ]") + text;
}

HTREEITEM NextItem(HWND tree, HTREEITEM item, UINT code)
{
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

// Every item with its check box, children indented.
std::string Describe(HWND tree)
{
    std::string text;
    for (HTREEITEM item = NextItem(tree, nullptr, TVGN_ROOT); item;
         item = NextItem(tree, item, TVGN_NEXT)) {
        text += ItemText(tree, item) + "\n";
        for (HTREEITEM child = NextItem(tree, item, TVGN_CHILD); child;
             child = NextItem(tree, child, TVGN_NEXT)) {
            text += "  " + ItemText(tree, child) + "\n";
        }
    }
    return text;
}

// Groups and their channels, collapsed ones too.
HTREEITEM FindLabel(HWND tree, const char* label)
{
    for (HTREEITEM item = NextItem(tree, nullptr, TVGN_ROOT); item;
         item = NextItem(tree, item, TVGN_NEXT)) {
        if (ItemText(tree, item).substr(3) == label) {
            return item;
        }
        for (HTREEITEM child = NextItem(tree, item, TVGN_CHILD); child;
             child = NextItem(tree, child, TVGN_NEXT)) {
            if (ItemText(tree, child).substr(3) == label) {
                return child;
            }
        }
    }
    return nullptr;
}

// The caret goes to the item and Space switches its check box, as the user does it.
void PressSpaceOn(HWND tree, const char* label)
{
    HTREEITEM item = FindLabel(tree, label);
    ASSERT_NE(item, nullptr) << label;
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    SendMessageA(tree, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageA(tree, WM_KEYUP, VK_SPACE, 0);
    KstPumpPendingMessages();
}

class ChannelPanelTest : public FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        ASSERT_TRUE(m_host.CreateEx(0, KstRegisterWndClass(0).c_str(), "host",
                                    WS_POPUP | WS_VISIBLE, 0, 0, 320, 400, nullptr, nullptr));
        AddSelectableChannels(m_list, {{"Motor", "u1", "1"}, {"", "free", "0"}, {"Heat", "t1", "0"},
                      {"Motor", "u2", "0"}});
    }
    void TearDown() override
    {
        m_host.DestroyWindow();
        FrameworkTest::TearDown();
    }

    CWnd m_host;
    CKSTChannelList m_list;
};

TEST_F(ChannelPanelTest, FillsFromTheChannelListInBothLanguages)
{
    struct Case {
        int language;
        const char* fileButton;
        const char* windowButton;
    };
    for (const Case& c : {Case{0, "Dateistruktur", "Fensterstruktur"},
                          Case{1, "File Structure", "Window Structure"}}) {
        CKSTStructTreeDlg panel;
        panel.SetLanguage(c.language);
        panel.SetWindowList(&m_list, nullptr, nullptr);
        ASSERT_TRUE(panel.Create(&m_host));
        panel.MoveWindow(0, 0, 300, 380);
        panel.ShowWindow(SW_SHOW);
        const HWND tree = panel.GetTree().m_hWnd;
        // Without a curve window every channel counts as shown.
        EXPECT_EQ(Describe(tree), "[x]Motor\n  [x]u1\n  [x]u2\n[x]Heat\n  [x]t1\n[x]free\n");
        EXPECT_EQ(DialogItemText(panel, IDC_FILE_STRUCTURE), c.fileButton);
        EXPECT_EQ(DialogItemText(panel, IDC_WINDOW_STRUCTURE), c.windowButton);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(panel.m_hWnd, IDC_FILE_STRUCTURE)));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(panel.m_hWnd, IDC_WINDOW_STRUCTURE)));
        RECT client{};
        RECT treeRect{};
        panel.GetClientRect(&client);
        GetWindowRect(tree, &treeRect);
        EXPECT_EQ(treeRect.bottom - treeRect.top, client.bottom - 40);

        // The selection view: check boxes are the selected flags, no buttons, the whole area.
        panel.SetSelectionSource(&m_list);
        EXPECT_EQ(Describe(tree), "[x]Motor\n  [x]u1\n  [ ]u2\n[ ]Heat\n  [ ]t1\n[ ]free\n");
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(panel.m_hWnd, IDC_FILE_STRUCTURE)));
        GetWindowRect(tree, &treeRect);
        EXPECT_EQ(treeRect.bottom - treeRect.top, client.bottom);

        panel.ClearWindowList();
        EXPECT_EQ(Describe(tree), "");
        panel.DestroyWindow();
    }
}

TEST_F(ChannelPanelTest, SpaceSwitchesTheCheckBoxOfTheCaretItem)
{
    CKSTStructTreeDlg panel;
    panel.SetSelectionSource(&m_list);
    ASSERT_TRUE(panel.Create(&m_host));
    const HWND tree = panel.GetTree().m_hWnd;
    PressSpaceOn(tree, "u2");
    EXPECT_EQ(SelectedFlags(m_list), "1001");
    PressSpaceOn(tree, "Heat");
    EXPECT_EQ(SelectedFlags(m_list), "1011");
    PressSpaceOn(tree, "Motor");
    EXPECT_EQ(SelectedFlags(m_list), "0010");
    // The posted re-reading of the check boxes leaves them as the flags say.
    KstPumpPendingMessages();
    EXPECT_EQ(Describe(tree), "[ ]Motor\n  [ ]u1\n  [ ]u2\n[x]Heat\n  [x]t1\n[ ]free\n");
    EXPECT_EQ(panel.GetTree().GetSelectedCount(), 1u);
    panel.DestroyWindow();
}

// A click with the mouse on the item's check box, as the user makes it.
void ClickCheckBox(HWND tree, HTREEITEM item)
{
    RECT rect{};
    // The item goes in at the start of the rectangle.
    std::memcpy(&rect, &item, sizeof item);
    SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
    const int y = (rect.top + rect.bottom) / 2;
    for (int x = 0; x < rect.left; ++x) {
        TVHITTESTINFO hit{{x, y}, 0, nullptr};
        SendMessageA(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.hItem == item && (hit.flags & TVHT_ONITEMSTATEICON)) {
            POINT screen{x, y};
            ClientToScreen(tree, &screen);
            SetCursorPos(screen.x, screen.y);
            KstPumpPendingMessages();
            PostMessageA(tree, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
            SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
            KstPumpPendingMessages();
            return;
        }
    }
    ADD_FAILURE() << "no check box";
}

TEST_F(ChannelPanelTest, AClickOnACheckBoxSwitchesEverySelectedItemOnce)
{
    CKSTStructTreeDlg panel;
    panel.SetSelectionSource(&m_list);
    ASSERT_TRUE(panel.Create(&m_host));
    panel.MoveWindow(0, 0, 300, 380);
    panel.ShowWindow(SW_SHOW);
    CKSTTreeCtrl& tree = panel.GetTree();
    ClickCheckBox(tree.m_hWnd, FindLabel(tree.m_hWnd, "Heat"));
    EXPECT_EQ(SelectedFlags(m_list), "1010");
    EXPECT_EQ(Describe(tree.m_hWnd), "[x]Motor\n  [x]u1\n  [ ]u2\n[x]Heat\n  [x]t1\n[ ]free\n");

    // With two items selected the click switches both to the clicked item's new state.
    tree.SelectAll(FALSE);
    for (const char* label : {"free", "Heat"}) {
        tree.SelectItemEx(FindLabel(tree.m_hWnd, label), CKSTTreeCtrl::kSelected,
                          CKSTTreeCtrl::kSelected);
    }
    ClickCheckBox(tree.m_hWnd, FindLabel(tree.m_hWnd, "free"));
    EXPECT_EQ(SelectedFlags(m_list), "1110");
    EXPECT_EQ(Describe(tree.m_hWnd), "[x]Motor\n  [x]u1\n  [ ]u2\n[x]Heat\n  [x]t1\n[x]free\n");
    // Only the clicked item stays selected.
    EXPECT_EQ(tree.GetSelectedCount(), 1u);
    EXPECT_EQ(tree.GetFirstSelectedItem(), FindLabel(tree.m_hWnd, "free"));
    panel.DestroyWindow();
}

// The visible in-place editor of the thread, null when none is open.
HWND FindEditPopup()
{
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) -> BOOL {
            HWND edit = GetDlgItem(window, IDC_EDIT_POPUP_TEXT);
            if (edit && IsWindowVisible(window)) {
                *reinterpret_cast<HWND*>(param) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST_F(ChannelPanelTest, GroupsAreCreatedNamedAndDeletedFromTheMenu)
{
    std::vector<std::string> menuTexts;
    UINT chosen = ID_TREE_CREATE_GROUP;
    KstSeams().trackPopupMenu = [&](HMENU menu, UINT, int, int, HWND) -> BOOL {
        menuTexts.clear();
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            char text[64] = {};
            GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            menuTexts.push_back(text);
        }
        return static_cast<BOOL>(chosen);
    };
    CKSTStructTreeDlg panel;
    panel.SetLanguage(0);
    panel.SetWindowList(&m_list, nullptr, nullptr);
    ASSERT_TRUE(panel.Create(&m_host));
    panel.MoveWindow(0, 0, 300, 380);
    panel.ShowWindow(SW_SHOW);
    const HWND tree = panel.GetTree().m_hWnd;
    // The cursor away from every item: the menu only offers a new group.
    SetCursorPos(1200, 1100);
    NMHDR rightClick{tree, IDC_STRUCT_TREE, static_cast<UINT>(NM_RCLICK)};
    panel.SendMessage(WM_NOTIFY, IDC_STRUCT_TREE, reinterpret_cast<LPARAM>(&rightClick));
    EXPECT_EQ(menuTexts, std::vector<std::string>{"Gruppe erstellen"});
    EXPECT_EQ(Describe(tree),
              "[x]Motor\n  [x]u1\n  [x]u2\n[x]Heat\n  [x]t1\n[ ]Neue Gruppe\n[x]free\n");

    // The new group's name is edited in place at once.
    const HWND popup = FindEditPopup();
    ASSERT_NE(popup, nullptr);
    SetDlgItemTextA(popup, IDC_EDIT_POPUP_TEXT, "Pumps");
    SendMessageA(popup, WM_COMMAND, IDOK, 0);
    KstPumpPendingMessages();
    EXPECT_EQ(Describe(tree), "[x]Motor\n  [x]u1\n  [x]u2\n[x]Heat\n  [x]t1\n[ ]Pumps\n[x]free\n");

    // On a group the menu renames and deletes too; deleting puts its channels at the root.
    CKSTTreeCtrl& control = panel.GetTree();
    const HTREEITEM motor = FindLabel(tree, "Motor");
    control.SelectAll(FALSE);
    control.SelectItemEx(motor, CKSTTreeCtrl::kSelected, CKSTTreeCtrl::kSelected);
    RECT label{};
    control.GetItemRect(motor, &label, TRUE);
    POINT onMotor{label.left + 2, (label.top + label.bottom) / 2};
    ClientToScreen(tree, &onMotor);
    SetCursorPos(onMotor.x, onMotor.y);
    chosen = ID_TREE_DELETE_GROUP;
    panel.SendMessage(WM_NOTIFY, IDC_STRUCT_TREE, reinterpret_cast<LPARAM>(&rightClick));
    EXPECT_EQ(menuTexts, (std::vector<std::string>{"Gruppe erstellen", "Gruppe umbenennen",
                                                   "Gruppe l\366schen"}));
    EXPECT_EQ(Describe(tree), "[x]Heat\n  [x]t1\n[ ]Pumps\n[x]u1\n[x]free\n[x]u2\n");
    EXPECT_EQ(m_list.GetAt(0)->GetGroup(), "");
    EXPECT_EQ(m_list.GetAt(3)->GetGroup(), "");
    panel.DestroyWindow();
}

class ChannelSelectTest : public FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
        AddSelectableChannels(m_list, {{"Motor", "u", "1"}, {"Motor", "i", "1"}, {"", "t", "1"}});
        KstSeams().getOpenFileName = [this](OPENFILENAMEA& ofn, DWORD& error) {
            return Choose(ofn, error);
        };
        KstSeams().getSaveFileName = KstSeams().getOpenFileName;
    }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
        FrameworkTest::TearDown();
    }

    BOOL Choose(OPENFILENAMEA& ofn, DWORD& error)
    {
        error = 0;
        m_dialogTitles.push_back(ofn.lpstrTitle ? ofn.lpstrTitle : "");
        if (m_choice.IsEmpty()) {
            return FALSE;
        }
        lstrcpynA(ofn.lpstrFile, m_choice.c_str(), static_cast<int>(ofn.nMaxFile));
        return TRUE;
    }

    int Run(const CKSTDialogScript& script, int language = 1, bool useRegistry = true)
    {
        KstSeams().modalDriver = script;
        CKSTChannelSelectDlg dialog;
        dialog.SetLanguage(language);
        dialog.SetChannelList(&m_list);
        dialog.SetUseRegistry(useRegistry);
        dialog.SetRegistryKey(kTestKey);
        return static_cast<int>(dialog.DoModal());
    }

    static std::vector<std::string> Combo(CWnd& dialog)
    {
        std::vector<std::string> items;
        const HWND combo = GetDlgItem(dialog.m_hWnd, IDC_SELECT_RECENT);
        const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[MAX_PATH] = {};
            SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }

    static std::string Registry(int n)
    {
        char text[MAX_PATH] = "(none)";
        DWORD size = sizeof text;
        RegGetValueA(HKEY_CURRENT_USER, kTestKey, CKSTRecentSelections::ValueName(n).c_str(),
                     RRF_RT_REG_SZ, nullptr, text, &size);
        return text;
    }

    static void SetRegistry(int n, const CKSTString& path)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, CKSTRecentSelections::ValueName(n).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>(path.GetLength() + 1));
        RegCloseKey(key);
    }

    // A selection file in which only the channels whose flag is '1' are chosen.
    CKSTString SelectionFile(const std::string& name, const char* flags)
    {
        CKSTChannelList list;
        AddSelectableChannels(list, {{"Motor", "u", "0"}, {"Motor", "i", "0"}, {"", "t", "0"}});
        for (int i = 0; i < list.GetCount(); ++i) {
            list.GetAt(i)->SetSelected(flags[i] == '1');
        }
        const CKSTString path = m_folder.Path(name);
        EXPECT_EQ(KstWriteSelectionFile(path, list), 0);
        return path;
    }

    TempFolder m_folder;
    CKSTChannelList m_list;
    CKSTString m_choice;
    std::vector<std::string> m_dialogTitles;
};

TEST_F(ChannelSelectTest, TextsInBothLanguages)
{
    struct Case {
        int language;
        std::vector<std::string> texts;  // caption, label, select all, save, OK, Cancel
    };
    const Case cases[] = {
        {0, {"Kanalauswahl", "Zuletzt verwendete Auswahlen", "alle ausw\344hlen",
             "Aktuelle Auswahl speichern unter ...", "OK", "Abbrechen"}},
        {1, {"Channel Selection", "Recent Selections", "select all",
             "Save Current Selection as ...", "OK", "Cancel"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> texts;
        int checked = -1;
        ASSERT_EQ(Run(CKSTDialogScript(IDCANCEL).Run([&](CWnd& d) {
                      texts = {DialogCaption(d),
                               DialogItemText(d, IDC_SELECT_RECENT_LABEL),
                               DialogItemText(d, IDC_SELECT_ALL),
                               DialogItemText(d, IDC_SELECT_SAVE),
                               DialogItemText(d, IDOK),
                               DialogItemText(d, IDCANCEL)};
                      checked = IsDlgButtonChecked(d.m_hWnd, IDC_SELECT_ALL);
                  }),
                      c.language),
                  IDCANCEL);
        EXPECT_EQ(texts, c.texts);
        // Every channel is selected: "select all" opens ticked.
        EXPECT_EQ(checked, BST_CHECKED);
    }
}

TEST_F(ChannelSelectTest, SelectAllSetsAndClearsEveryChannel)
{
    m_list.GetAt(1)->SetSelected(false);
    std::string tree;
    int checked = -1;
    ASSERT_EQ(Run(CKSTDialogScript(IDCANCEL)
                      .Run([&](CWnd& d) { checked = IsDlgButtonChecked(d.m_hWnd, IDC_SELECT_ALL); })
                      .Click(IDC_SELECT_ALL)
                      .Run([&](CWnd& d) {
                          EXPECT_EQ(SelectedFlags(m_list), "111");
                          tree = Describe(CKSTDialogScript::FindControl(d.m_hWnd, IDC_STRUCT_TREE));
                      })
                      .Click(IDC_SELECT_ALL)
                      .Click(IDOK)),
              IDOK);
    EXPECT_EQ(checked, BST_UNCHECKED);
    EXPECT_EQ(tree, "[x]Motor\n  [x]u\n  [x]i\n[x]t\n");
    EXPECT_EQ(SelectedFlags(m_list), "000");
}

TEST_F(ChannelSelectTest, ASavedSelectionComesBackAtTheNextOpening)
{
    m_choice = m_folder.Path("mine.qls");
    std::vector<std::string> combo;
    ASSERT_EQ(Run(CKSTDialogScript(IDCANCEL)
                      .Run([](CWnd& d) {
                          PressSpaceOn(CKSTDialogScript::FindControl(d.m_hWnd, IDC_STRUCT_TREE),
                                       "i");
                      })
                      .Click(IDC_SELECT_SAVE)
                      .Run([&](CWnd& d) { combo = Combo(d); })
                      .Click(IDOK)),
              IDOK);
    EXPECT_EQ(m_dialogTitles, std::vector<std::string>{"Save As"});
    EXPECT_EQ(combo, std::vector<std::string>{m_choice.c_str()});
    EXPECT_EQ(Registry(1), m_choice.c_str());
    EXPECT_EQ(Registry(2), "");

    // The next run applies the most recent file over the caller's flags.
    m_list.SelectAll(true);
    std::string tree;
    ASSERT_EQ(Run(CKSTDialogScript(IDCANCEL).Run([&](CWnd& d) {
                  tree = Describe(CKSTDialogScript::FindControl(d.m_hWnd, IDC_STRUCT_TREE));
              }),
                  0),
              IDCANCEL);
    EXPECT_EQ(SelectedFlags(m_list), "101");
    EXPECT_EQ(tree, "[x]Motor\n  [x]u\n  [ ]i\n[x]t\n");
}

TEST_F(ChannelSelectTest, OverwritingAsksFirst)
{
    m_choice = SelectionFile("old.qls", "001");
    CKSTMessageBoxScript boxes({IDNO, IDYES});
    for (int answer : {IDNO, IDYES}) {
        ASSERT_EQ(Run(CKSTDialogScript(IDCANCEL).Click(IDC_SELECT_SAVE).Click(IDCANCEL)), IDCANCEL);
        CKSTChannelList check;
        AddSelectableChannels(check, {{"Motor", "u", "0"}, {"Motor", "i", "0"}, {"", "t", "0"}});
        KstApplySelectionFile(m_choice, check);
        EXPECT_EQ(SelectedFlags(check), answer == IDNO ? "001" : "111");
    }
    EXPECT_EQ(boxes.ShownIds(), (std::vector<UINT>{KST_STR_ASK_OVERWRITE, KST_STR_ASK_OVERWRITE}));
    EXPECT_STREQ(boxes.Shown()[0].caption.c_str(), "Attention");
    // Cancel writes no recent list.
    EXPECT_EQ(Registry(1), "(none)");
}

TEST_F(ChannelSelectTest, ChoosingARecentFileMovesItToTheFront)
{
    std::vector<CKSTString> files;
    for (const char* flags : {"100", "010", "001"}) {
        files.push_back(SelectionFile(std::string(flags) + ".qls", flags));
    }
    for (int n = 1; n <= 3; ++n) {
        SetRegistry(n, files[static_cast<size_t>(n - 1)]);
    }
    std::vector<std::string> before;
    std::vector<std::string> after;
    std::string flagsAtOpening;
    ASSERT_EQ(Run(CKSTDialogScript(IDCANCEL)
                      .Run([&](CWnd& d) {
                          before = Combo(d);
                          flagsAtOpening = SelectedFlags(m_list);
                      })
                      .Select(IDC_SELECT_RECENT, 2)
                      .Run([&](CWnd& d) { after = Combo(d); })
                      .Click(IDOK)),
              IDOK);
    EXPECT_EQ(before, (std::vector<std::string>{files[0].c_str(), files[1].c_str(),
                                                files[2].c_str()}));
    EXPECT_EQ(flagsAtOpening, "100");
    EXPECT_EQ(after, (std::vector<std::string>{files[2].c_str(), files[0].c_str(),
                                               files[1].c_str()}));
    EXPECT_EQ(SelectedFlags(m_list), "001");
    EXPECT_EQ(Registry(1), files[2].c_str());
    EXPECT_EQ(Registry(3), files[1].c_str());
}

TEST_F(ChannelSelectTest, TheRecentListKeepsTenAndForgetsDeletedFiles)
{
    std::vector<CKSTString> files;
    for (int n = 1; n <= 10; ++n) {
        files.push_back(SelectionFile("s" + std::to_string(n) + ".qls", "111"));
        SetRegistry(n, files.back());
    }
    std::filesystem::remove(m_folder.Native("s4.qls"));
    m_choice = SelectionFile("new.qls", "010");
    SelectionFile("other.qls", "100");
    std::vector<std::string> combo;
    ASSERT_EQ(Run(CKSTDialogScript(IDCANCEL)
                      .Click(IDC_SELECT_BROWSE)
                      .Run([&](CWnd&) { m_choice = m_folder.Path("other.qls"); })
                      .Click(IDC_SELECT_BROWSE)
                      .Run([&](CWnd& d) { combo = Combo(d); })
                      .Click(IDOK)),
              IDOK);
    EXPECT_EQ(m_dialogTitles, (std::vector<std::string>{"Open", "Open"}));
    ASSERT_EQ(combo.size(), 10u);
    EXPECT_EQ(combo[0], m_folder.Path("other.qls").c_str());
    EXPECT_EQ(combo[1], m_folder.Path("new.qls").c_str());
    EXPECT_EQ(combo[2], files[0].c_str());
    // s4 went when the dialog opened; s10 is the oldest that no longer fits.
    EXPECT_EQ(combo[5], files[4].c_str());
    EXPECT_EQ(combo[9], files[8].c_str());
    EXPECT_EQ(SelectedFlags(m_list), "100");
    EXPECT_EQ(Registry(1), m_folder.Path("other.qls").c_str());
    EXPECT_EQ(Registry(10), files[8].c_str());
}

TEST_F(ChannelSelectTest, WithoutTheRegistryTheRecentListIsNeitherReadNorWritten)
{
    const CKSTString stored = SelectionFile("stored.qls", "010");
    SetRegistry(1, stored);
    m_choice = m_folder.Path("fresh.qls");
    std::vector<std::string> opened;
    std::vector<std::string> saved;
    ASSERT_EQ(Run(CKSTDialogScript(IDCANCEL)
                      .Run([&](CWnd& d) { opened = Combo(d); })
                      .Click(IDC_SELECT_SAVE)
                      .Run([&](CWnd& d) { saved = Combo(d); })
                      .Click(IDOK),
                  1, false),
              IDOK);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(saved, std::vector<std::string>{m_choice.c_str()});
    EXPECT_EQ(SelectedFlags(m_list), "111");
    EXPECT_EQ(Registry(1), stored.c_str());
    EXPECT_EQ(Registry(2), "(none)");
}

TEST_F(ChannelSelectTest, TheDialogKeepsItsMinimumSizeAndLaysOutOnResize)
{
    RECT before{};
    RECT after{};
    RECT okBefore{};
    RECT okAfter{};
    MINMAXINFO info{};
    ASSERT_EQ(Run(CKSTDialogScript(IDCANCEL).Run([&](CWnd& d) {
                  const HWND panel = GetParent(
                      CKSTDialogScript::FindControl(d.m_hWnd, IDC_STRUCT_TREE));
                  GetWindowRect(panel, &before);
                  GetWindowRect(GetDlgItem(d.m_hWnd, IDOK), &okBefore);
                  RECT window{};
                  GetWindowRect(d.m_hWnd, &window);
                  SetWindowPos(d.m_hWnd, nullptr, 0, 0, window.right - window.left + 40,
                               window.bottom - window.top + 30, SWP_NOMOVE | SWP_NOZORDER);
                  GetWindowRect(panel, &after);
                  GetWindowRect(GetDlgItem(d.m_hWnd, IDOK), &okAfter);
                  SendMessageA(d.m_hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
              })),
              IDCANCEL);
    EXPECT_EQ(after.right - after.left, before.right - before.left + 40);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top + 30);
    EXPECT_EQ(okAfter.left - okBefore.left, 40);
    EXPECT_EQ(okAfter.top - okBefore.top, 30);
    EXPECT_EQ(info.ptMinTrackSize.x, 300);
    EXPECT_EQ(info.ptMinTrackSize.y, 200);
}

}  // namespace
}  // namespace kst_test
