// The record window on a window of its own: which windows the show flags build where, the row
// heights the user drags, and what it does with the data set it shows.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/win/RecordWnd.h"
#include "app/win/SplitterView.h"
#include "framework/framework_test_support.h"

namespace kst_test {
namespace {

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window)
{
    char text[128] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

class RecordWindow : public FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        const CKSTString hostClass = KstRegisterWndClass(0, LoadCursor(nullptr, IDC_ARROW),
                                                         GetSysColorBrush(COLOR_WINDOW));
        ASSERT_TRUE(m_host.CreateEx(0, hostClass.c_str(), "record host", WS_POPUP | WS_VISIBLE,
                                    0, 0, 800, 600, nullptr, nullptr));
    }
    void TearDown() override
    {
        m_record.reset();
        m_host.DestroyWindow();
        FrameworkTest::TearDown();
    }

    CKSTRecordWnd& Make(const KstPaneFlags& flags, uint16_t language = 1)
    {
        m_record = std::make_unique<CKSTRecordWnd>();
        CKSTRecordWnd& record = *m_record;
        record.SetLanguage(language);
        record.ShowTitle(flags.title);
        record.ShowComment(flags.comment);
        record.ShowVariables(flags.variables);
        record.ShowValueList(flags.valueList);
        record.ShowChannelList(flags.channelList);
        record.ShowSpectra(flags.spectra);
        record.ShowProcessWindow(flags.process);
        EXPECT_TRUE(record.Create("Kurvenfenster", WS_VISIBLE, RECT{0, 0, 800, 600}, &m_host));
        return record;
    }

    // The window tree below the record window: "S<rows>x<columns>[cells]" for a splitter,
    // "V(...)" for a pane view with its one hosted window, the pane's name for the others.
    std::string Describe(HWND window)
    {
        CKSTRecordWnd& record = *m_record;
        CWnd* object = CWnd::FromHandlePermanent(window);
        const std::map<CWnd*, std::string> names = {
            {&record.GetMainCurveWnd(), "main"},  {&record.GetSpectrumWnd(), "fft"},
            {&record.GetProcessWnd(), "process"}, {&record.GetInfoBar(), "info"},
            {&record.GetStructTree(), "tree"},    {&record.GetValueList(), "values"},
            {&record.GetVariableList(), "variables"}, {&record.GetCommentPane(), "comment"},
        };
        if (const auto found = names.find(object); found != names.end()) {
            EXPECT_TRUE(Children(window).empty() || found->second == "main" ||
                        found->second == "fft" || found->second == "tree")
                << found->second;
            return found->second;
        }
        if (auto* splitter = dynamic_cast<CSplitterWnd*>(object)) {
            EXPECT_EQ(Children(window).size(),
                      static_cast<size_t>(splitter->GetRowCount() * splitter->GetColumnCount()));
            std::string text = "S" + std::to_string(splitter->GetRowCount()) + "x" +
                               std::to_string(splitter->GetColumnCount()) + "[";
            for (int row = 0; row < splitter->GetRowCount(); ++row) {
                for (int column = 0; column < splitter->GetColumnCount(); ++column) {
                    CWnd* pane = splitter->GetPane(row, column);
                    text += (row || column ? "," : "");
                    text += pane ? Describe(pane->m_hWnd) : "empty";
                }
            }
            return text + "]";
        }
        if (auto* view = dynamic_cast<CKSTSplitterView*>(object)) {
            const std::vector<HWND> children = Children(window);
            if (children.size() != 1) {
                return "V(" + std::to_string(children.size()) + " windows)";
            }
            EXPECT_EQ(view->m_pHostedWnd, CWnd::FromHandlePermanent(children[0]));
            EXPECT_EQ(view->m_pNotifyWnd, m_record.get());
            // The hosted window fills its cell.
            RECT cell{};
            RECT hosted{};
            GetClientRect(window, &cell);
            GetWindowRect(children[0], &hosted);
            EXPECT_EQ(hosted.right - hosted.left, cell.right);
            EXPECT_EQ(hosted.bottom - hosted.top, cell.bottom);
            return "V(" + Describe(children[0]) + ")";
        }
        return "unknown " + ClassOf(window);
    }

    std::string Tree()
    {
        const std::vector<HWND> children = Children(m_record->m_hWnd);
        if (children.size() != 1) {
            return std::to_string(children.size()) + " children";
        }
        return Describe(children[0]);
    }

    // Every window below the record window, depth first.
    std::vector<HWND> AllWindows(HWND parent)
    {
        std::vector<HWND> all;
        for (HWND child : Children(parent)) {
            all.push_back(child);
            const std::vector<HWND> below = AllWindows(child);
            all.insert(all.end(), below.begin(), below.end());
        }
        return all;
    }

    static KstPaneFlags None() { return KstPaneFlags{false, false, false, false, false, false, false}; }

    CWnd m_host;
    std::unique_ptr<CKSTRecordWnd> m_record;
};

struct LayoutCase {
    const char* name;
    KstPaneFlags flags;
    const char* tree;
};

TEST_F(RecordWindow, ShowFlagsPlaceEveryPaneInItsCell)
{
    KstPaneFlags title = None();
    title.title = true;
    KstPaneFlags comment = None();
    comment.comment = true;
    KstPaneFlags sides = None();
    sides.channelList = sides.spectra = sides.process = true;
    KstPaneFlags mixed = None();
    mixed.title = mixed.spectra = mixed.valueList = true;
    const KstPaneFlags all{true, true, true, true, true, true, true};
    const LayoutCase cases[] = {
        {"main display alone", None(), "main"},
        {"title only", title, "S2x1[V(info),V(main)]"},
        {"one bottom pane", comment, "S2x1[V(main),V(comment)]"},
        {"defaults", KstPaneFlags{}, "S2x1[V(main),S1x2[V(variables),V(comment)]]"},
        {"side panes around the process pane", sides, "S1x3[V(tree),V(process),V(fft)]"},
        {"title, spectra and value list", mixed, "S3x1[V(info),S1x2[V(main),V(fft)],V(values)]"},
        {"everything", all,
         "S3x1[V(info),S1x3[V(tree),V(process),V(fft)],S1x3[V(values),V(variables),V(comment)]]"},
    };
    const std::map<std::string, std::vector<std::string>> texts = {
        {"main", {"Kurvenfenster", "Kurvenfenster"}},
        {"fft", {"FFT-Fenster", "FFT-Fenster"}},
        {"process", {"Prozessfenster", "Prozessfenster"}},
        {"info", {"Titel und Aufnahmezeit", "Title and recording time"}},
        {"tree", {"", ""}},
        {"values", {"Werteliste", "Value list"}},
        {"variables", {"Variablen", "Variables"}},
        {"comment", {"Kommentar", "Comment"}},
    };
    for (const LayoutCase& c : cases) {
        for (uint16_t language : {0, 1}) {
            SCOPED_TRACE(std::string(c.name) + (language ? " English" : " German"));
            CKSTRecordWnd& record = Make(c.flags, language);
            ASSERT_TRUE(record.m_hWnd);
            EXPECT_EQ(ClassOf(record.m_hWnd), "KSTRecordWndClass");
            EXPECT_EQ(TextOf(record.m_hWnd), "Kurvenfenster");
            EXPECT_EQ(Tree(), c.tree);
            const std::map<std::string, CWnd*> panes = {
                {"main", &record.GetMainCurveWnd()}, {"fft", &record.GetSpectrumWnd()},
                {"process", &record.GetProcessWnd()}, {"info", &record.GetInfoBar()},
                {"tree", &record.GetStructTree()},  {"values", &record.GetValueList()},
                {"variables", &record.GetVariableList()}, {"comment", &record.GetCommentPane()},
            };
            for (const auto& [name, window] : panes) {
                const bool expected = std::string(c.tree).find(name) != std::string::npos;
                EXPECT_EQ(window->m_hWnd != nullptr, expected) << name;
                if (window->m_hWnd) {
                    EXPECT_EQ(TextOf(window->m_hWnd), texts.at(name)[language]) << name;
                    EXPECT_TRUE(IsWindowVisible(window->m_hWnd)) << name;
                    // Every pane lies inside the record window.
                    EXPECT_TRUE(IsChild(record.m_hWnd, window->m_hWnd)) << name;
                }
            }
            for (CKSTCurveWnd* curves : {&record.GetMainCurveWnd(), &record.GetSpectrumWnd()}) {
                if (curves->m_hWnd) {
                    EXPECT_EQ(ClassOf(curves->m_hWnd), "KSTCurveWndClass");
                }
            }
            // Alone, the main display fills the record window with an edge of its own.
            if (std::string(c.tree) == "main") {
                CWnd& main = record.GetMainDisplay();
                EXPECT_EQ(GetParent(main.m_hWnd), record.m_hWnd);
                EXPECT_TRUE(GetWindowLongA(main.m_hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
                RECT rect{};
                GetWindowRect(main.m_hWnd, &rect);
                EXPECT_EQ(rect.right - rect.left, 800);
                EXPECT_EQ(rect.bottom - rect.top, 600);
            }
        }
    }
}

TEST_F(RecordWindow, LanguageSwitchRelabelsThePanes)
{
    const KstPaneFlags all{true, true, true, true, true, true, true};
    CKSTRecordWnd& record = Make(all, 1);
    EXPECT_EQ(TextOf(record.GetCommentPane().m_hWnd), "Comment");
    record.SetLanguage(0);
    EXPECT_EQ(TextOf(record.GetCommentPane().m_hWnd), "Kommentar");
    EXPECT_EQ(TextOf(record.GetValueList().m_hWnd), "Werteliste");
    EXPECT_EQ(TextOf(record.GetProcessWnd().m_hWnd), "Prozessfenster");
    EXPECT_EQ(record.GetMainCurveWnd().GetLanguage(), 0u);
}

TEST_F(RecordWindow, FlagSetToItsValueKeepsTheWindowsAndAChangeRebuilds)
{
    KstPaneFlags flags{true, true, false, true, false, true, false};
    CKSTRecordWnd& record = Make(flags);
    const std::vector<HWND> before = AllWindows(record.m_hWnd);
    const std::string tree = Tree();
    record.ShowTitle(true);
    record.ShowComment(true);
    record.ShowVariables(false);
    record.ShowValueList(true);
    record.ShowChannelList(false);
    record.ShowSpectra(true);
    record.ShowProcessWindow(false);
    EXPECT_EQ(AllWindows(record.m_hWnd), before);
    EXPECT_EQ(Tree(), tree);

    record.ShowVariables(true);
    EXPECT_EQ(Tree(), "S3x1[V(info),S1x2[V(main),V(fft)],S1x3[V(values),V(variables),V(comment)]]");
    record.ShowVariables(false);
    EXPECT_EQ(Tree(), tree);
    EXPECT_NE(AllWindows(record.m_hWnd), before);
}

TEST_F(RecordWindow, RebuildKeepsTheCurvesAndTheirSettings)
{
    CKSTDataSet set;
    for (const char* name : {"Alpha", "Beta"}) {
        CKSTChannel& channel = *set.GetChannels().GetAt(set.GetChannels().AddNew());
        channel.GenerateSine(200, 0.01, 1.0, 2.0, 0.0);
        channel.SetName(name);
    }
    CKSTRecordWnd& record = Make(KstPaneFlags{});
    record.SetDataSet(&set, false);
    CKSTCurveWnd& main = record.GetMainCurveWnd();
    ASSERT_EQ(main.GetCurveCount(), 2);
    main.SetTitleText("kept", 0x0000FF, true);
    record.ShowTitle(true);
    record.ShowChannelList(true);
    ASSERT_TRUE(main.m_hWnd);
    EXPECT_EQ(main.GetCurveCount(), 2);
    EXPECT_EQ(main.GetCurve(0, false)->GetChannel(), set.GetChannels().GetAt(0));
    EXPECT_TRUE(main.IsUpdateEnabled());
    // The structure tree lists the data set's channels.
    CKSTChannelList listed;
    record.GetStructTree().GetSelectedChannels(listed);
    ASSERT_EQ(listed.GetCount(), 2);
    EXPECT_EQ(listed.GetAt(1)->GetName(), "Beta");
}

TEST_F(RecordWindow, DraggedRowHeightsSurviveResizing)
{
    KstPaneFlags flags = None();
    flags.title = flags.comment = true;
    CKSTRecordWnd& record = Make(flags);
    CSplitterWnd* outer = record.GetOuterSplitter();
    ASSERT_NE(outer, nullptr);
    auto row = [outer](int index) {
        int current = 0;
        int minimum = 0;
        outer->GetRowInfo(index, current, minimum);
        return current;
    };
    EXPECT_EQ(row(0), 50);
    EXPECT_EQ(row(2), 100);
    EXPECT_EQ(row(0) + row(1) + row(2) + 2 * CSplitterWnd::kBarSize, 600);

    // The user drags the title's lower bar 30 pixels down and the bottom row's upper bar 50 up.
    auto drag = [outer](int fromY, int toY) {
        outer->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, fromY));
        outer->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, toY));
        outer->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(20, toY));
    };
    drag(52, 82);
    const int bottomBar = row(0) + CSplitterWnd::kBarSize + row(1) + 2;
    drag(bottomBar, bottomBar - 50);
    EXPECT_EQ(record.GetTitleHeight(), 80);
    EXPECT_EQ(record.GetBottomHeight(), 150);

    // Squeezed, collapsed and grown again: the rows come back at the dragged heights.
    for (SIZE size : {SIZE{400, 160}, SIZE{300, 40}, SIZE{0, 0}, SIZE{1, 1}, SIZE{900, 700}}) {
        SCOPED_TRACE(std::to_string(size.cx) + "x" + std::to_string(size.cy));
        record.MoveWindow(0, 0, size.cx, size.cy, TRUE);
        EXPECT_EQ(record.GetTitleHeight(), 80);
        EXPECT_EQ(record.GetBottomHeight(), 150);
    }
    EXPECT_EQ(row(0), 80);
    EXPECT_EQ(row(2), 150);
    EXPECT_EQ(row(1), 700 - 80 - 150 - 2 * CSplitterWnd::kBarSize);
    // The hosted windows follow their cells.
    RECT comment{};
    GetWindowRect(record.GetCommentPane().m_hWnd, &comment);
    EXPECT_EQ(comment.bottom - comment.top, 150);
}

TEST_F(RecordWindow, EditedTitleAndCommentGoBackIntoTheDataSet)
{
    const struct {
        const char* name;
        bool hadEntries;
        const char* edited;
        bool entriesAfter;
    } cases[] = {
        {"a new text makes the entries", false, "Run 8", true},
        {"a changed text replaces them", true, "Run 8", true},
        {"an emptied text empties existing entries", true, "", true},
        {"an empty text makes no entries", false, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTDataSet set;
        if (c.hadEntries) {
            set.SetTitle("Run 7");
            set.SetComment("old", true);
        }
        KstPaneFlags flags = None();
        flags.title = flags.comment = true;
        CKSTRecordWnd& record = Make(flags);
        record.SetDataSet(&set, false);
        record.GetInfoBar().EditTitle(c.edited);
        record.GetCommentPane().EditText(c.edited);
        EXPECT_EQ(set.IsTitleHidden(), c.entriesAfter);
        EXPECT_EQ(set.IsCommentHidden(), c.entriesAfter);
        if (c.entriesAfter) {
            EXPECT_STREQ(set.GetTitle().c_str(), c.edited);
            EXPECT_STREQ(set.GetComment().c_str(), c.edited);
        }
        EXPECT_TRUE(record.IsModified());
        record.ClearModified();
        EXPECT_FALSE(record.IsModified());
    }
}

TEST_F(RecordWindow, SpectraFollowTheChannelsAndSayWhenNoneCanBeComputed)
{
    CKSTDataSet set;
    auto addSine = [&set](const char* name) {
        CKSTChannel& channel = *set.GetChannels().GetAt(set.GetChannels().AddNew());
        channel.GenerateSine(256, 0.01, 1.0, 5.0, 0.0);
        channel.SetName(name);
    };
    addSine("Alpha");
    addSine("Beta");
    KstPaneFlags flags = None();
    flags.spectra = true;
    CKSTRecordWnd& record = Make(flags, 1);
    record.SetDataSet(&set, false);
    CKSTCurveWnd& spectrum = record.GetSpectrumWnd();
    EXPECT_EQ(record.GetSpectrumChannels().GetCount(), 2);
    EXPECT_EQ(spectrum.GetCurveCount(), 2);
    EXPECT_STREQ(spectrum.GetTitleText().c_str(), "");
    // The strongest line of a 5 Hz sine lies at 5 Hz.
    const CKSTChannel& first = *record.GetSpectrumChannels().GetAt(0);
    ASSERT_GT(first.GetCount(), 10u);
    uint32_t peak = 0;
    for (uint32_t i = 1; i < first.GetCount(); ++i) {
        if (first.GetValue(i) > first.GetValue(peak)) {
            peak = i;
        }
    }
    EXPECT_NEAR(first.GetTimeAt(peak), 5.0, 0.5);

    // A channel added since: the next refresh makes the spectra anew.
    addSine("Gamma");
    record.RefreshSpectra();
    EXPECT_EQ(record.GetSpectrumChannels().GetCount(), 3);
    EXPECT_EQ(spectrum.GetCurveCount(), 3);

    CKSTDataSet empty;
    record.SetDataSet(&empty, false);
    EXPECT_EQ(spectrum.GetCurveCount(), 0);
    EXPECT_STREQ(spectrum.GetTitleText().c_str(), "Spectra not computable");
    record.SetLanguage(0);
    EXPECT_STREQ(spectrum.GetTitleText().c_str(), "Spektren nicht berechenbar");
    spectrum.SetTitleText("Mine", 0, true);
    record.SetLanguage(1);
    EXPECT_STREQ(spectrum.GetTitleText().c_str(), "Mine");
}

TEST_F(RecordWindow, LockDecidesWhatTheCurveDialogsMayEdit)
{
    CKSTRecordWnd& record = Make(KstPaneFlags{});
    CKSTDataSet set;
    record.SetDataSet(&set, false);
    CKSTCurveWnd& main = record.GetMainCurveWnd();
    const KstCurveDialogOptions open = main.GetDialogOptions();
    EXPECT_TRUE(open.editNames);
    EXPECT_TRUE(open.editUnits);
    EXPECT_TRUE(open.valueList);
    EXPECT_FALSE(open.track);
    EXPECT_FALSE(main.IsSubscribed(CKSTCurveWndCore::kEventDoubleClick));

    record.SetReadOnly(true);
    const KstCurveDialogOptions locked = main.GetDialogOptions();
    EXPECT_FALSE(locked.editNames);
    EXPECT_FALSE(locked.editUnits);
    EXPECT_TRUE(locked.valueList);
    // A double click in a locked file's curve windows opens no settings dialog.
    EXPECT_TRUE(main.IsSubscribed(CKSTCurveWndCore::kEventDoubleClick));
    EXPECT_TRUE(record.GetSpectrumWnd().IsSubscribed(CKSTCurveWndCore::kEventDoubleClick));
    EXPECT_TRUE(record.GetCommentPane().m_bReadOnly);

    record.SetReadOnly(false);
    EXPECT_TRUE(main.GetDialogOptions().editNames);
    EXPECT_FALSE(main.IsSubscribed(CKSTCurveWndCore::kEventDoubleClick));
    // The spectrum window's curves are computed: its dialogs never rename them.
    EXPECT_FALSE(record.GetSpectrumWnd().GetDialogOptions().editNames);
    EXPECT_FALSE(record.GetSpectrumWnd().GetDialogOptions().valueList);
}

}  // namespace
}  // namespace kst_test
