// The multi-selection tree: clicks with and without modifiers, keys, the rubber band, collapsing
// and the parent's veto, on a real tree control.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "framework/framework_test_support.h"
#include "panels/win/TreeCtrl.h"

namespace kst_test {
namespace {

constexpr UINT kTreeId = 77;

// The tree's parent: records the selection notifications and vetoes changes of chosen items.
class TreeHost : public CWnd {
public:
    std::set<HTREEITEM> vetoed;
    std::vector<UINT> codes;
    int spaceMessages = 0;

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        // The tree's own reflected notifications (collapsing) first.
        if (CWnd::OnNotify(wParam, lParam, result)) {
            return TRUE;
        }
        const auto* info = reinterpret_cast<const NMTREEVIEWA*>(lParam);
        if (info->hdr.code == TVN_SELCHANGINGA) {
            const HTREEITEM item = info->itemNew.hItem ? info->itemNew.hItem : info->itemOld.hItem;
            *result = vetoed.count(item) ? 1 : 0;
        }
        codes.push_back(info->hdr.code);
        return TRUE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == CKSTTreeCtrl::kSpaceMessage) {
            ++spaceMessages;
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

enum Modifier { kNone = 0, kShift = 1, kCtrl = 2 };

struct Step {
    enum Kind { Click, RightClick, ClickEmpty, Key, Collapse, EscapeBand } kind;
    const char* item;  // label; the key for Key
    int modifiers;
    UINT key;
};

Step Click(const char* item, int modifiers = kNone)
{
    return {Step::Click, item, modifiers, 0};
}
Step RightClick(const char* item, int modifiers = kNone)
{
    return {Step::RightClick, item, modifiers, 0};
}
Step ClickEmpty(int modifiers = kNone)
{
    return {Step::ClickEmpty, nullptr, modifiers, 0};
}
Step Key(UINT key, int modifiers = kNone)
{
    return {Step::Key, nullptr, modifiers, key};
}
Step Collapse(const char* item)
{
    return {Step::Collapse, item, kNone, 0};
}
Step EscapeBand(int modifiers)
{
    return {Step::EscapeBand, nullptr, modifiers, 0};
}

class TreeCtrlTest : public FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        KstSeams().getKeyState = [this](int key) -> SHORT {
            const bool down = (key == VK_SHIFT && (m_modifiers & kShift)) ||
                              (key == VK_CONTROL && (m_modifiers & kCtrl));
            return down ? static_cast<SHORT>(0x8000) : 0;
        };
        KstSeams().getAsyncKeyState = KstSeams().getKeyState;
        ASSERT_TRUE(m_host.CreateEx(0, KstRegisterWndClass(0).c_str(), "host",
                                    WS_POPUP | WS_VISIBLE, 10, 10, 300, 400, nullptr, nullptr));
        ASSERT_TRUE(m_tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES |
                                      TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                  RECT{0, 0, 300, 400}, &m_host, kTreeId));
        // A: A1, A2; B (collapsed): B1; C
        for (const char* top : {"A", "B", "C"}) {
            m_items[top] = m_tree.InsertItem(top);
        }
        m_items["A1"] = m_tree.InsertItem("A1", m_items["A"]);
        m_items["A2"] = m_tree.InsertItem("A2", m_items["A"]);
        m_items["B1"] = m_tree.InsertItem("B1", m_items["B"]);
        m_tree.Expand(m_items["A"], TVE_EXPAND);
        KstPumpPendingMessages();
    }
    void TearDown() override
    {
        m_tree.DestroyWindow();
        m_host.DestroyWindow();
        FrameworkTest::TearDown();
    }

    // The mouse is where the press happens, so the click's tracking sees no move.
    // `first` (a key) is posted ahead of the release, for the press's own message loop.
    void Press(UINT down, UINT up, POINT at, UINT first = 0)
    {
        POINT screen = at;
        m_tree.ClientToScreen(&screen);
        SetCursorPos(screen.x, screen.y);
        KstPumpPendingMessages();
        if (first) {
            m_tree.PostMessage(WM_KEYDOWN, first, 0);
        }
        m_tree.PostMessage(up, 0, MAKELPARAM(at.x, at.y));
        m_tree.SendMessage(down, 0, MAKELPARAM(at.x, at.y));
        KstPumpPendingMessages();
    }

    POINT ButtonOf(const char* item)
    {
        RECT rect{};
        EXPECT_TRUE(m_tree.GetItemRect(m_items[item], &rect, TRUE)) << item;
        const int y = (rect.top + rect.bottom) / 2;
        for (int x = 0; x < rect.left; ++x) {
            UINT flags = 0;
            if (m_tree.HitTest(POINT{x, y}, &flags) == m_items[item] && (flags & TVHT_ONITEMBUTTON)) {
                return POINT{x, y};
            }
        }
        ADD_FAILURE() << "no button on " << item;
        return POINT{0, y};
    }

    POINT LabelCentre(const char* item)
    {
        RECT rect{};
        EXPECT_TRUE(m_tree.GetItemRect(m_items[item], &rect, TRUE)) << item;
        return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }

    void Run(const Step& step)
    {
        m_modifiers = step.modifiers;
        switch (step.kind) {
        case Step::Click:
            Press(WM_LBUTTONDOWN, WM_LBUTTONUP, LabelCentre(step.item));
            break;
        case Step::RightClick:
            Press(WM_RBUTTONDOWN, WM_RBUTTONUP, LabelCentre(step.item));
            break;
        case Step::ClickEmpty:
            Press(WM_LBUTTONDOWN, WM_LBUTTONUP, POINT{150, 380});
            break;
        case Step::EscapeBand:
            Press(WM_LBUTTONDOWN, WM_LBUTTONUP, POINT{150, 380}, VK_ESCAPE);
            break;
        case Step::Key:
            if (step.key == 'A' && (step.modifiers & kCtrl)) {
                m_tree.SendMessage(WM_KEYDOWN, VK_CONTROL, 0);
            }
            m_tree.SendMessage(WM_KEYDOWN, step.key, 0);
            m_tree.SendMessage(WM_KEYUP, step.key, 0);
            if (step.key == 'A' && (step.modifiers & kCtrl)) {
                m_tree.SendMessage(WM_KEYUP, VK_CONTROL, 0);
            }
            break;
        case Step::Collapse:
            // A click on the button, as the user collapses: the tree's own TVM_EXPAND sends
            // no notification once the branch was expanded.
            Press(WM_LBUTTONDOWN, WM_LBUTTONUP, ButtonOf(step.item));
            break;
        }
        KstPumpPendingMessages();
        m_modifiers = kNone;
    }

    std::string Name(HTREEITEM item)
    {
        for (const auto& [name, handle] : m_items) {
            if (handle == item) {
                return name;
            }
        }
        return item ? "?" : "-";
    }

    // The selected items of the walk, then the caret: "A1 A2 / A2".
    std::string State()
    {
        std::string text;
        for (HTREEITEM item = m_tree.GetFirstSelectedItem(); item;
             item = m_tree.GetNextSelectedItem(item)) {
            text += Name(item) + " ";
        }
        return text + "/ " + Name(m_tree.GetSelectedItem());
    }

    int m_modifiers = kNone;
    TreeHost m_host;
    CKSTTreeCtrl m_tree;
    std::map<std::string, HTREEITEM> m_items;
};

TEST_F(TreeCtrlTest, SelectionRules)
{
    struct Case {
        const char* what;
        std::vector<Step> steps;
        const char* state;
    };
    const Case cases[] = {
        {"a plain click selects only the item", {Click("A1"), Click("C")}, "C / C"},
        {"ctrl+click adds an item", {Click("A1"), Click("C", kCtrl)}, "A1 C / C"},
        {"ctrl+click on a selected item removes it",
         {Click("A1"), Click("C", kCtrl), Click("A1", kCtrl)}, "C / A1"},
        {"shift+click without anchor ranges from the caret", {Click("A1"), Click("B", kShift)},
         "A1 A2 B / B"},
        {"shift+click keeps its anchor", {Click("A2"), Click("C", kShift), Click("A", kShift)},
         "A A1 A2 / A"},
        {"shift+ctrl+click adds a range to the selection",
         {Click("C"), Click("A1", kCtrl), Click("A2", kShift | kCtrl)}, "A1 A2 C / A2"},
        {"ctrl+right click sets the anchor; a range from it to itself",
         {Click("A1"), Click("C", kCtrl), RightClick("A1", kCtrl), Click("A1", kShift)},
         "A1 / A1"},
        {"a range upwards from the caret", {Click("A"), Click("C", kCtrl), Click("A2", kShift)},
         "A2 B C / A2"},
        {"a click on empty space deselects everything", {Click("A1"), Click("C", kCtrl), ClickEmpty()},
         "/ C"},
        {"ctrl on empty space keeps the selection", {Click("A1"), ClickEmpty(kCtrl)}, "A1 / A1"},
        {"escape during a rubber band deselects everything",
         {Click("A1"), Click("C", kCtrl), EscapeBand(kShift)}, "/ C"},
        {"right click on an unselected item selects only it",
         {Click("A1"), Click("C", kCtrl), RightClick("A2")}, "A2 / A2"},
        {"right click on a selected item keeps the others",
         {Click("A1"), Click("C", kCtrl), RightClick("A1")}, "A1 C / A1"},
        {"ctrl+a selects every visible item", {Click("A1"), Key('A', kCtrl)}, "A A1 A2 B C / A1"},
        {"shift+down extends from the anchor", {Click("A1"), Key(VK_DOWN, kShift),
                                                 Key(VK_DOWN, kShift)},
         "A1 A2 B / B"},
        {"a plain arrow key drops the selection", {Click("A1"), Click("C", kCtrl), Key(VK_UP)},
         "B / B"},
        {"collapsing deselects the children and takes the caret",
         {Click("A1"), Click("A2", kCtrl), Collapse("A")}, "/ -"},
        {"a selected branch keeps the caret",
         {Click("A1"), Click("A", kCtrl), Collapse("A")}, "A / A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_tree.Expand(m_items["A"], TVE_EXPAND);
        m_tree.SelectAll(FALSE);
        m_tree.Select(nullptr, TVGN_CARET);
        Run(Click("C"));  // resets the anchor
        m_tree.SelectAll(FALSE);
        for (const Step& step : c.steps) {
            Run(step);
        }
        EXPECT_EQ(State(), c.state);
    }
}

TEST_F(TreeCtrlTest, ItemsBelowACollapsedBranchAreNotWalked)
{
    m_tree.Expand(m_items["B"], TVE_EXPAND);
    m_tree.SelectItemEx(m_items["B1"], CKSTTreeCtrl::kSelected, CKSTTreeCtrl::kSelected);
    m_tree.SelectItemEx(m_items["C"], CKSTTreeCtrl::kSelected, CKSTTreeCtrl::kSelected);
    EXPECT_EQ(m_tree.GetSelectedCount(), 2u);
    // Collapsing by the control's own message, bypassing the notification's deselection.
    m_tree.SetMultiSelect(false);
    m_tree.Expand(m_items["B"], TVE_COLLAPSE);
    m_tree.SetMultiSelect(true);
    EXPECT_TRUE(m_tree.IsSelected(m_items["B1"]));
    EXPECT_EQ(m_tree.GetSelectedCount(), 1u);
    EXPECT_EQ(State(), "C / -");
}

TEST_F(TreeCtrlTest, AVetoOfTheParentKeepsTheSelection)
{
    Run(Click("A1"));
    m_host.vetoed = {m_items["A1"], m_items["C"]};
    EXPECT_FALSE(m_tree.SelectItemEx(m_items["C"], CKSTTreeCtrl::kSelected, CKSTTreeCtrl::kSelected));
    EXPECT_FALSE(m_tree.SelectItemEx(m_items["A1"], 0, CKSTTreeCtrl::kSelected));
    EXPECT_EQ(State(), "A1 / A1");
    m_host.codes.clear();
    EXPECT_TRUE(m_tree.SelectItemEx(m_items["A2"], CKSTTreeCtrl::kSelected, CKSTTreeCtrl::kSelected));
    EXPECT_EQ(m_host.codes, (std::vector<UINT>{TVN_SELCHANGINGA, TVN_SELCHANGEDA}));
    EXPECT_EQ(State(), "A1 A2 / A1");
}

TEST_F(TreeCtrlTest, FocusMovesWithoutChangingTheSelection)
{
    Run(Click("A1"));
    Run(Click("C", kCtrl));
    EXPECT_TRUE(m_tree.FocusItem(m_items["A2"]));
    EXPECT_EQ(State(), "A1 C / A2");
    EXPECT_EQ(m_tree.GetItemState(m_items["A2"], CKSTTreeCtrl::kFocus | CKSTTreeCtrl::kSelected),
              CKSTTreeCtrl::kFocus);
    EXPECT_TRUE(m_tree.FocusItem(nullptr));
    EXPECT_EQ(State(), "A1 C / -");
}

TEST_F(TreeCtrlTest, SpaceReachesTheRegisteredWindow)
{
    Run(Click("A1"));
    Run(Key(VK_SPACE));
    EXPECT_EQ(m_host.spaceMessages, 0);
    m_tree.RegisterSpaceKey(&m_host);
    Run(Key(VK_SPACE));
    EXPECT_EQ(m_host.spaceMessages, 1);
    // Ctrl+Space toggles the caret's selection and moves the focus on.
    Run(Key(VK_SPACE, kCtrl));
    EXPECT_EQ(State(), "/ A2");
}

}  // namespace
}  // namespace kst_test
