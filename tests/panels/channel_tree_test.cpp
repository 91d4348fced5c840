// The channel tree's content: rows of the three views, check boxes, group edits, the channels
// handed back and the drag text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "curvewnd/Curve.h"
#include "curvewnd/CurveWndCore.h"
#include "data/ChannelList.h"
#include "panels/ChannelTree.h"

namespace {

struct ChannelRow {
    const char* name;
    const char* group;
    bool selected;
    const char* unit;
};

void Fill(CKSTChannelList& list, const std::vector<ChannelRow>& rows)
{
    for (const ChannelRow& row : rows) {
        CKSTChannel* channel = list.GetAt(list.AddNew());
        channel->SetName(row.name);
        channel->SetGroup(row.group);
        channel->SetUnit(row.unit ? row.unit : "V");
        channel->SetSelected(row.selected);
    }
}

// "label" for a root row, "  label" below a group; "[x]" checked, "[ ]" not.
std::string Describe(const std::vector<KstTreeRow>& rows)
{
    std::string text;
    for (const KstTreeRow& row : rows) {
        text += row.child ? "  " : "";
        text += row.checked ? "[x]" : "[ ]";
        text += row.label.c_str();
        text += "\n";
    }
    return text;
}

uintptr_t DataOf(const std::vector<KstTreeRow>& rows, const char* label)
{
    for (const KstTreeRow& row : rows) {
        if (row.label == label) {
            return row.data;
        }
    }
    ADD_FAILURE() << "no row " << label;
    return 0;
}

std::string Selected(const CKSTChannelList& list)
{
    std::string text;
    for (int i = 0; i < list.GetCount(); ++i) {
        text += list.GetAt(i)->IsSelected() ? "1" : "0";
    }
    return text;
}

const std::vector<ChannelRow> kMixed = {
    {"u1", "Motor", true, nullptr}, {"free", "", false, nullptr}, {"t1", "Heat", false, nullptr},
    {"u2", "Motor", false, nullptr}, {"loose", "", true, nullptr},
};

TEST(ChannelTreeTest, SelectionViewGroupsInOrderOfFirstAppearanceThenRootChannels)
{
    CKSTChannelList list;
    Fill(list, kMixed);
    CKSTChannelTree tree;
    tree.SetSelectionSource(&list);
    EXPECT_EQ(Describe(tree.Build()),
              "[x]Motor\n  [x]u1\n  [ ]u2\n[ ]Heat\n  [ ]t1\n[ ]free\n[x]loose\n");
    EXPECT_EQ(tree.GetMode(), CKSTChannelTree::kSelectionView);
}

TEST(ChannelTreeTest, NothingToShowWithoutSources)
{
    CKSTChannelTree tree;
    EXPECT_FALSE(tree.HasSource());
    EXPECT_TRUE(tree.Build().empty());
    CKSTChannelList list;
    Fill(list, kMixed);
    tree.SetWindowList(&list, nullptr, nullptr);
    EXPECT_FALSE(tree.Build().empty());
    tree.ClearWindowList();
    EXPECT_TRUE(tree.Build().empty());
}

TEST(ChannelTreeTest, CheckBoxesOfTheSelectionViewAreSelectedFlags)
{
    struct Case {
        const char* what;
        const char* clicked;
        std::vector<const char*> selected;
        const char* flags;  // u1 free t1 u2 loose
        const char* tree;
    };
    const Case cases[] = {
        {"one channel", "u2", {}, "10011",
         "[x]Motor\n  [x]u1\n  [x]u2\n[ ]Heat\n  [ ]t1\n[ ]free\n[x]loose\n"},
        {"last checked channel unchecks its group", "u1", {"u1"}, "00001",
         "[ ]Motor\n  [ ]u1\n  [ ]u2\n[ ]Heat\n  [ ]t1\n[ ]free\n[x]loose\n"},
        {"a group sets all its channels", "Heat", {}, "10101",
         "[x]Motor\n  [x]u1\n  [ ]u2\n[x]Heat\n  [x]t1\n[ ]free\n[x]loose\n"},
        {"a group clears all its channels", "Motor", {}, "00001",
         "[ ]Motor\n  [ ]u1\n  [ ]u2\n[ ]Heat\n  [ ]t1\n[ ]free\n[x]loose\n"},
        {"several selected take the clicked item's new state", "free",
         {"free", "u1", "loose", "u2"},
         "11011", "[x]Motor\n  [x]u1\n  [x]u2\n[ ]Heat\n  [ ]t1\n[x]free\n[x]loose\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CKSTChannelList list;
        Fill(list, kMixed);
        CKSTChannelTree tree;
        tree.SetSelectionSource(&list);
        const std::vector<KstTreeRow> rows = tree.Build();
        std::vector<uintptr_t> selected;
        for (const char* label : c.selected) {
            selected.push_back(DataOf(rows, label));
        }
        tree.ToggleCheck(DataOf(rows, c.clicked), selected, true);
        EXPECT_EQ(Selected(list), c.flags);
        std::vector<KstTreeRow> after = rows;
        for (KstTreeRow& row : after) {
            row.checked = tree.IsChecked(row.data);
        }
        EXPECT_EQ(Describe(after), c.tree);
        EXPECT_EQ(Describe(tree.Build()), c.tree);
    }
}

class FileViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Fill(m_list, {{"u1", "Motor", false, "V"},
                      {"u2", "Motor", false, "V"},
                      {"i1", "Motor", false, "A"},
                      {"t1", "", false, "C"}});
        m_window.AddChannels(m_list);
        m_second.AddChannels(m_list);
        m_tree.SetWindowList(&m_list, &m_window, &m_second);
        m_rows = m_tree.Build();
    }

    bool Shown(CKSTCurveWndCore& window, const char* name)
    {
        const CKSTCurve* curve = window.FindCurveByChannelName(name);
        return curve && curve->GetCurveKind() != 3 && curve->GetCurveKind() != 4;
    }

    std::string ShownIn(CKSTCurveWndCore& window)
    {
        std::string text;
        for (const char* name : {"u1", "u2", "i1", "t1"}) {
            text += Shown(window, name) ? "1" : "0";
        }
        return text;
    }

    CKSTChannelList m_list;
    CKSTCurveWndCore m_window;
    CKSTCurveWndCore m_second;
    CKSTChannelTree m_tree;
    std::vector<KstTreeRow> m_rows;
};

TEST_F(FileViewTest, CheckBoxesShowAndHideCurvesInBothWindows)
{
    EXPECT_EQ(Describe(m_rows), "[x]Motor\n  [x]u1\n  [x]u2\n  [x]i1\n[x]t1\n");
    m_tree.ToggleCheck(DataOf(m_rows, "u2"), {}, true);
    EXPECT_EQ(ShownIn(m_window), "1011");
    EXPECT_EQ(ShownIn(m_second), "1011");
    EXPECT_EQ(m_window.FindCurveByChannelName("u2")->GetCurveKind(), 4u);
    EXPECT_TRUE(m_window.IsUpdateEnabled());
    m_tree.ToggleCheck(DataOf(m_rows, "u2"), {}, true);
    EXPECT_EQ(ShownIn(m_window), "1111");
    EXPECT_EQ(m_window.FindCurveByChannelName("u2")->GetCurveKind(), 1u);
}

TEST_F(FileViewTest, SwitchingAGroupOffAndOnRestoresTheChildrenCheckedBefore)
{
    m_tree.ToggleCheck(DataOf(m_rows, "i1"), {}, true);
    m_tree.ToggleCheck(DataOf(m_rows, "Motor"), {}, true);
    EXPECT_EQ(ShownIn(m_window), "0001");
    EXPECT_FALSE(m_tree.IsChecked(DataOf(m_rows, "Motor")));
    m_tree.ToggleCheck(DataOf(m_rows, "Motor"), {}, true);
    EXPECT_EQ(ShownIn(m_window), "1101");
    EXPECT_TRUE(m_tree.IsChecked(DataOf(m_rows, "Motor")));

    // Without remembering, switching on shows every child.
    m_tree.ToggleCheck(DataOf(m_rows, "Motor"), {}, false);
    m_tree.ToggleCheck(DataOf(m_rows, "Motor"), {}, false);
    EXPECT_EQ(ShownIn(m_window), "1101");
    m_rows = m_tree.Build();
    m_tree.ToggleCheck(DataOf(m_rows, "Motor"), {}, false);
    m_tree.ToggleCheck(DataOf(m_rows, "Motor"), {}, false);
    EXPECT_EQ(ShownIn(m_window), "1111");
}

TEST_F(FileViewTest, SelectedChannelsCarryTheCheckedStates)
{
    m_tree.ToggleCheck(DataOf(m_rows, "u1"), {}, true);
    CKSTChannelList out;
    Fill(out, {{"stale", "", true, nullptr}});
    m_tree.GetSelectedChannels(out);
    std::string text;
    for (int i = 0; i < out.GetCount(); ++i) {
        const CKSTChannel* channel = out.GetAt(i);
        text += std::string(channel->GetGroup().c_str()) + "/" + channel->GetName().c_str() +
                (channel->IsSelected() ? "=1 " : "=0 ");
    }
    EXPECT_EQ(text, "Motor/u1=0 Motor/u2=1 Motor/i1=1 /t1=1 ");
}

TEST_F(FileViewTest, WindowViewShowsTheAxisGroupsOfTheCurveWindow)
{
    m_tree.SetMode(CKSTChannelTree::kWindowView);
    EXPECT_EQ(Describe(m_tree.Build()),
              "[x]u1 .. u2\n  [x]u1\n  [x]u2\n[x]i1\n  [x]i1\n[x]t1\n  [x]t1\n");
    m_window.SetLegendGroup(true, false);
    m_window.AddGroup();
    m_rows = m_tree.Build();
    EXPECT_EQ(Describe(m_rows), "[x]Motor: u1 .. Motor: u2\n  [x]Motor: u1\n  [x]Motor: u2\n"
                                "[x]Motor: i1\n  [x]Motor: i1\n[x]t1\n  [x]t1\n[ ]empty\n");
    // The group row and the curve row of i1 carry the same label: the curve row is the later.
    m_tree.ToggleCheck(m_rows[4].data, {}, true);
    EXPECT_EQ(ShownIn(m_window), "1101");
    EXPECT_EQ(Describe(m_tree.Build()), "[x]Motor: u1 .. Motor: u2\n  [x]Motor: u1\n  [x]Motor: u2\n"
                                        "[ ]Motor: i1\n  [ ]Motor: i1\n[x]t1\n  [x]t1\n[ ]empty\n");
}

TEST(ChannelTreeGroupsTest, NewGroupsTakeTheFirstFreeName)
{
    CKSTChannelList list;
    Fill(list, {{"a", "New Group", true, nullptr}, {"b", "Box9", true, nullptr}});
    CKSTChannelTree tree;
    tree.SetSelectionSource(&list);
    tree.Build();
    EXPECT_EQ(tree.Groups()[tree.CreateGroup("New Group")].name, "New Group2");
    EXPECT_EQ(tree.Groups()[tree.CreateGroup("New Group")].name, "New Group3");
    // A trailing number is what the counter replaces.
    EXPECT_EQ(tree.FreeGroupName("Box9"), "Box2");
    EXPECT_EQ(tree.FreeGroupName("Fresh"), "Fresh");
    // A created group stays while it has no channels, expanded and unchecked.
    const std::vector<KstTreeRow> rows = tree.Build();
    EXPECT_EQ(Describe(rows), "[x]New Group\n  [x]a\n[x]Box9\n  [x]b\n[ ]New Group2\n[ ]New Group3\n");
    EXPECT_TRUE(rows[4].expanded);
    for (int n = 4; n <= CKSTChannelTree::kMaxGroupNumber; ++n) {
        tree.CreateGroup("New Group");
    }
    // Past 100 the last number is taken again.
    EXPECT_EQ(tree.FreeGroupName("New Group"), "New Group100");
}

TEST(ChannelTreeGroupsTest, RenameDeleteAndMoveChangeTheChannelsGroups)
{
    CKSTChannelList list;
    Fill(list, kMixed);
    CKSTChannelTree tree;
    tree.SetSelectionSource(&list);
    std::vector<KstTreeRow> rows = tree.Build();

    tree.RenameGroup(static_cast<int>(DataOf(rows, "Motor")), "Drive");
    EXPECT_EQ(list.GetAt(0)->GetGroup(), "Drive");
    EXPECT_EQ(list.GetAt(3)->GetGroup(), "Drive");
    rows = tree.Build();
    EXPECT_EQ(Describe(rows), "[x]Drive\n  [x]u1\n  [ ]u2\n[ ]Heat\n  [ ]t1\n[ ]free\n[x]loose\n");

    // Dropping on a channel of a group joins that group; on a root channel leaves every group.
    EXPECT_TRUE(tree.MoveToGroup({DataOf(rows, "free"), DataOf(rows, "Drive")}, DataOf(rows, "t1")));
    EXPECT_EQ(list.GetAt(1)->GetGroup(), "Heat");
    EXPECT_FALSE(tree.MoveToGroup({DataOf(rows, "t1")}, DataOf(rows, "t1")));
    EXPECT_TRUE(tree.MoveToGroup({DataOf(rows, "u2")}, DataOf(rows, "loose")));
    EXPECT_EQ(list.GetAt(3)->GetGroup(), "");
    rows = tree.Build();
    EXPECT_EQ(Describe(rows),
              "[x]Drive\n  [x]u1\n[ ]Heat\n  [ ]free\n  [ ]t1\n[ ]u2\n[x]loose\n");

    tree.DeleteGroup(static_cast<int>(DataOf(rows, "Drive")));
    EXPECT_EQ(list.GetAt(0)->GetGroup(), "");
    EXPECT_EQ(Describe(tree.Build()), "[ ]Heat\n  [ ]free\n  [ ]t1\n[x]u1\n[ ]u2\n[x]loose\n");
}

TEST(ChannelTreeDragTest, DragTextListsEveryChannelOfTheItems)
{
    CKSTChannelList list;
    Fill(list, kMixed);
    CKSTChannelTree tree;
    tree.SetSelectionSource(&list);
    const std::vector<KstTreeRow> rows = tree.Build();
    struct Case {
        std::vector<const char*> items;
        const char* text;
    };
    const Case cases[] = {
        {{}, "CKSTChannelTree"},
        {{"free"}, "CKSTChannelTree| |free"},
        {{"Motor", "u2"}, "CKSTChannelTree|Motor|u1|Motor|u2|Motor|u2"},
        {{"t1", "loose"}, "CKSTChannelTree|Heat|t1| |loose"},
    };
    for (const Case& c : cases) {
        std::vector<uintptr_t> items;
        for (const char* label : c.items) {
            items.push_back(DataOf(rows, label));
        }
        EXPECT_EQ(tree.DragText(items), c.text);
    }
}

}  // namespace
