// The main view in the running application: its record window fills the view; documents opened
// through the document appear as curves in the record window's main curve window; keys,
// position reports, redraw control and generated signals.
#include "app_test_support.h"

#include <string>
#include <utility>
#include <vector>

#include "app/win/MainFrame.h"
#include "app/win/TalvenorDoc.h"
#include "app/win/TalvenorView.h"
#include "curvewnd/Curve.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "support/TempFolder.h"
#include "support/win/DialogScript.h"

namespace kst_test {
namespace {

class MainView : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        AnswerStartDialogs();
        ASSERT_TRUE(Start("/noreg"));
        ASSERT_NE(m_app->GetView(), nullptr);
        ASSERT_NE(m_app->GetDocument(), nullptr);
        RecordBoxes();
        // The curve window is made on the view's first paint.
        CWnd* frame = AfxGetMainWnd();
        frame->ShowWindow(SW_SHOWNORMAL);
        frame->UpdateWindow();
        m_app->GetView()->UpdateWindow();
    }

    CTalvenorDoc& Doc() { return *m_app->GetDocument(); }
    CTalvenorView& View() { return *m_app->GetView(); }
    CKSTCurveWnd& Curves() { return View().GetMainCurveWnd(); }

    // The named sine channels saved by the document's own save under the file name.
    CKSTString SaveGenerated(const std::string& file, const std::vector<std::string>& names)
    {
        CKSTDataSet& set = Doc().GetDataSet();
        set.Clear(false);
        CKSTChannelList& channels = set.GetChannels();
        for (const std::string& name : names) {
            CKSTChannel& channel = *channels.GetAt(channels.AddNew());
            channel.GenerateSine(200, 0.005, 1.0, 2.0, 0.0);
            channel.SetName(name.c_str());
        }
        const CKSTString path = m_folder.Path(file);
        EXPECT_TRUE(Doc().SaveFile(path, 0));
        return path;
    }

    std::vector<std::string> CurveNames()
    {
        std::vector<std::string> names;
        for (int i = 0; i < Curves().GetCurveCount(); ++i) {
            const CKSTCurve* curve = Curves().GetCurve(i, false);
            if (curve && curve->GetChannel()) {
                names.push_back(curve->GetChannel()->GetName().c_str());
            }
        }
        return names;
    }

    // The record window is the view's only child and covers exactly its client area; the main
    // curve window lies inside it.
    void ExpectRecordWindowFillsView()
    {
        CKSTRecordWnd& record = View().GetRecordWnd();
        ASSERT_TRUE(record.m_hWnd && ::IsWindow(record.m_hWnd));
        EXPECT_EQ(::GetParent(record.m_hWnd), View().m_hWnd);
        EXPECT_EQ(::GetWindow(View().m_hWnd, GW_CHILD), record.m_hWnd);
        EXPECT_EQ(::GetWindow(record.m_hWnd, GW_HWNDNEXT), nullptr);
        EXPECT_TRUE(::IsWindowVisible(record.m_hWnd));
        RECT view{};
        RECT placed{};
        ::GetClientRect(View().m_hWnd, &view);
        ::GetWindowRect(record.m_hWnd, &placed);
        ::MapWindowPoints(nullptr, View().m_hWnd, reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_GT(view.right, 0);
        EXPECT_GT(view.bottom, 0);
        EXPECT_EQ(placed.left, 0);
        EXPECT_EQ(placed.top, 0);
        EXPECT_EQ(placed.right, view.right);
        EXPECT_EQ(placed.bottom, view.bottom);
        ASSERT_TRUE(Curves().m_hWnd);
        EXPECT_TRUE(::IsChild(record.m_hWnd, Curves().m_hWnd));
        EXPECT_TRUE(::IsWindowVisible(Curves().m_hWnd));
    }

    void Command(UINT id) { m_app->GetFrame()->SendMessage(WM_COMMAND, id, 0); }

    std::string StatusPane(int index)
    {
        char text[128] = {};
        ::SendMessageA(m_app->GetFrame()->m_wndStatusBar.m_hWnd, SB_GETTEXTA,
                       static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
        return text;
    }

    std::vector<UINT> BoxIds() const
    {
        std::vector<UINT> ids;
        for (const ShownBox& box : m_boxes) {
            ids.push_back(box.textId);
        }
        return ids;
    }

    TempFolder m_folder;
};

// Counts the paints a window gets, sent or dispatched, while it lives.
class PaintCounter {
public:
    explicit PaintCounter(HWND window) : m_window(window)
    {
        s_paints = 0;
        s_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PaintCounter::Proc)));
    }
    ~PaintCounter()
    {
        if (::IsWindow(m_window)) {
            SetWindowLongPtrA(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s_previous));
        }
    }
    PaintCounter(const PaintCounter&) = delete;
    PaintCounter& operator=(const PaintCounter&) = delete;
    int Count() const { return s_paints; }
    void Reset() { s_paints = 0; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_PAINT) {
            ++s_paints;
        }
        return CallWindowProcA(s_previous, window, message, wParam, lParam);
    }
    static inline int s_paints = 0;
    static inline WNDPROC s_previous = nullptr;
    HWND m_window;
};

// Dispatches everything waiting, including what the dispatched messages posted.
void PumpAll()
{
    for (int i = 0; i < 5; ++i) {
        KstPumpPendingMessages();
    }
}

TEST_F(MainView, FirstPaintMakesOneRecordWindowFillingTheView)
{
    ExpectRecordWindowFillsView();
    CKSTRecordWnd& record = View().GetRecordWnd();
    char text[64] = {};
    ::GetWindowTextA(record.m_hWnd, text, sizeof text);
    EXPECT_STREQ(text, "Kurvenfenster");
    ::GetWindowTextA(Curves().m_hWnd, text, sizeof text);
    EXPECT_STREQ(text, "Kurvenfenster");
    const HWND made = record.m_hWnd;
    const HWND curves = Curves().m_hWnd;
    ::RedrawWindow(View().m_hWnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_EQ(record.m_hWnd, made);
    EXPECT_EQ(Curves().m_hWnd, curves);
    // The panes follow the application's show flags.
    const KstPaneFlags& flags = record.GetShowFlags();
    const KstAppSettings& settings = m_app->Settings();
    EXPECT_EQ(flags.title, settings.showTitle != 0);
    EXPECT_EQ(flags.comment, settings.showComment != 0);
    EXPECT_EQ(flags.variables, settings.showVariables != 0);
    EXPECT_EQ(flags.valueList, settings.showValues != 0);
    EXPECT_EQ(flags.channelList, settings.showChannelTree != 0);
    EXPECT_EQ(flags.spectra, settings.showSpectra != 0);
    const std::pair<bool, CWnd*> panes[] = {
        {flags.title, &record.GetInfoBar()},        {flags.comment, &record.GetCommentPane()},
        {flags.variables, &record.GetVariableList()}, {flags.valueList, &record.GetValueList()},
        {flags.channelList, &record.GetStructTree()}, {flags.spectra, &record.GetSpectrumWnd()},
    };
    for (const auto& [shown, pane] : panes) {
        if (shown) {
            ASSERT_TRUE(pane->m_hWnd);
            EXPECT_TRUE(::IsWindowVisible(pane->m_hWnd));
            EXPECT_TRUE(::IsChild(record.m_hWnd, pane->m_hWnd));
            RECT rect{};
            ::GetClientRect(pane->m_hWnd, &rect);
            EXPECT_GT(rect.right, 0);
            EXPECT_GT(rect.bottom, 0);
        }
    }

    // The window follows the view when the frame changes its size.
    CWnd* frame = AfxGetMainWnd();
    RECT before{};
    ::GetWindowRect(frame->m_hWnd, &before);
    frame->MoveWindow(before.left, before.top, 500, 380, TRUE);
    ExpectRecordWindowFillsView();
    frame->MoveWindow(before.left, before.top, 900, 700, TRUE);
    ExpectRecordWindowFillsView();
}

TEST_F(MainView, PanesShowTheirOwnPaintAfterStartUp)
{
    // Frame and view backgrounds must not be painted over panes that repaint only on change:
    // what each pane shows equals what it paints when asked to repaint.
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    CKSTRecordWnd& record = View().GetRecordWnd();
    const auto pixel = [](HWND window) {
        HDC dc = ::GetDC(window);
        const COLORREF colour = ::GetPixel(dc, 5, 5);
        ::ReleaseDC(window, dc);
        return colour;
    };
    for (CWnd* pane : {static_cast<CWnd*>(&record.GetCommentPane()),
                       static_cast<CWnd*>(&record.GetVariableList())}) {
        ASSERT_TRUE(pane->m_hWnd);
        const COLORREF shown = pixel(pane->m_hWnd);
        ::RedrawWindow(pane->m_hWnd, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        EXPECT_EQ(shown, pixel(pane->m_hWnd));
    }
}

TEST_F(MainView, OpenedDocumentsReplaceTheCurves)
{
    const CKSTString first = SaveGenerated("first.qld", {"Sinus", "Ramp"});
    const CKSTString second = SaveGenerated("second.qld", {"Alpha", "Beta", "Gamma"});
    Doc().OnFileNew();
    EXPECT_EQ(Curves().GetCurveCount(), 0);

    ASSERT_EQ(Doc().OpenFile(first), 1);
    EXPECT_EQ(CurveNames(), (std::vector<std::string>{"Sinus", "Ramp"}));
    ExpectRecordWindowFillsView();
    // The curves show the document's own channels, not copies.
    CKSTChannelList& channels = Doc().GetDataSet().GetChannels();
    ASSERT_EQ(channels.GetCount(), 2);
    EXPECT_EQ(Curves().GetCurve(0, false)->GetChannel(), channels.GetAt(0));
    EXPECT_TRUE(Curves().IsUpdateEnabled());

    ASSERT_EQ(Doc().OpenFile(second), 1);
    EXPECT_EQ(CurveNames(), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(Curves().FindCurveByChannelName("Sinus"), nullptr);
    EXPECT_TRUE(Curves().IsUpdateEnabled());
    ExpectRecordWindowFillsView();

    Doc().OnFileNew();
    EXPECT_EQ(Curves().GetCurveCount(), 0);
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(MainView, SavedDocumentKeepsTheShownStructure)
{
    const CKSTString path = SaveGenerated("shown.qld", {"Sinus", "Ramp"});
    ASSERT_EQ(Doc().OpenFile(path), 1);
    // Saving stores the main curve window's structure, so the reopened file shows the same.
    CKSTCurveWndSettings shown;
    ASSERT_TRUE(View().GetMainCurveSettings(shown));
    ASSERT_TRUE(Doc().SaveFile(path, 0));
    ASSERT_TRUE(Doc().GetDataSet().HasWindowSettings());
    Doc().OnFileNew();
    ASSERT_EQ(Doc().OpenFile(path), 1);
    EXPECT_TRUE(Curves().CurvesMatchSettings(shown));
    EXPECT_EQ(CurveNames(), (std::vector<std::string>{"Sinus", "Ramp"}));
    EXPECT_EQ(View().GetXYChannel(), nullptr);
}

TEST_F(MainView, SpaceAndBackspaceStepThroughTheFolderFromEitherCurveWindow)
{
    m_app->Settings().associations[0] = 1;  // qld
    if (!View().GetRecordWnd().GetShowFlags().spectra) {
        Command(ID_VIEW_SPECTRA);
    }
    CKSTCurveWnd& spectrum = View().GetRecordWnd().GetSpectrumWnd();
    ASSERT_TRUE(spectrum.m_hWnd);
    const CKSTString a = SaveGenerated("a.qld", {"A"});
    m_folder.WriteFile("b.qld", "not a document");
    SaveGenerated("c.qld", {"C"});
    ASSERT_TRUE(Doc().OnOpenDocument(a.c_str()));
    ASSERT_EQ(CurveNames(), std::vector<std::string>{"A"});
    m_boxes.clear();
    m_boxAnswer = IDYES;
    auto press = [](CKSTCurveWnd& window, UINT key) {
        window.SendMessage(WM_KEYDOWN, key, 1);
        PumpAll();
    };
    auto fileName = [this] { return std::string(Doc().Core().GetPath().FileName().c_str()); };

    // The unreadable file is reported and passed over.
    press(Curves(), VK_SPACE);
    EXPECT_EQ(fileName(), "c.qld");
    EXPECT_EQ(CurveNames(), std::vector<std::string>{"C"});
    EXPECT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(Doc().Core().GetFolderIndex(), 2);

    // Past the last file, Yes starts again at the first.
    m_boxes.clear();
    press(spectrum, VK_SPACE);
    EXPECT_EQ(BoxIds(), std::vector<UINT>{KST_STR_DOC_LAST_FILE});
    EXPECT_EQ(fileName(), "a.qld");
    EXPECT_EQ(CurveNames(), std::vector<std::string>{"A"});

    // Before the first file, No keeps it.
    m_boxes.clear();
    m_boxAnswer = IDNO;
    press(spectrum, VK_BACK);
    EXPECT_EQ(BoxIds(), std::vector<UINT>{KST_STR_DOC_FIRST_FILE});
    EXPECT_EQ(fileName(), "a.qld");
    EXPECT_EQ(Doc().Core().GetFolderIndex(), 0);

    // Other keys stay with the windows.
    m_boxes.clear();
    press(Curves(), 'A');
    EXPECT_TRUE(m_boxes.empty());
    EXPECT_EQ(fileName(), "a.qld");
}

// The running program lends its curve windows the display elements' bar and pointer dialogs;
// the dialogs nobody lends yet are still announced as not available.
TEST_F(MainView, CurveWindowsRunTheBarAndPointerDialogsOfTheElements)
{
    m_dialogs.clear();
    RunDialogScripts();
    m_scripts[IDD_BAR_SETTINGS].push_back(CKSTDialogScript(IDCANCEL).Click(IDOK));
    m_scripts[IDD_METER_SETTINGS].push_back(CKSTDialogScript(IDCANCEL).Click(IDCANCEL));
    Curves().SetDisplayKind(CKSTCurveWndCore::kDisplayBar, 0, "");
    EXPECT_EQ(Curves().WindowSettings(), IDOK);
    Curves().SetDisplayKind(CKSTCurveWndCore::kDisplayPointer, 0, "");
    EXPECT_EQ(Curves().WindowSettings(), IDCANCEL);
    EXPECT_EQ(m_dialogs, (std::vector<UINT>{IDD_BAR_SETTINGS, IDD_METER_SETTINGS}));
    Curves().SetDisplayKind(CKSTCurveWndCore::kDisplayYT, 0, "");
    EXPECT_EQ(Curves().WindowSettings(), IDCANCEL);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].textId, static_cast<UINT>(KST_STR_CW_DIALOG_UNAVAILABLE));
}

TEST_F(MainView, PositionReportsGoToTheStatusBarInTheCurrentLanguage)
{
    RECT rect{12, -34, 112, 16};
    const struct {
        int language;
        const char* size;
    } cases[] = {{1, "Size: 100x50"}, {0, "Gr\xF6\xDF" "e: 100x50"}};
    for (const auto& c : cases) {
        m_app->SetLanguage(c.language);
        View().GetRecordWnd().GetNotifyList().Send(CKSTRecordWnd::kEventPositionReport, 0,
                                                   reinterpret_cast<LPARAM>(&rect));
        EXPECT_EQ(StatusPane(2), "Pos: 12,-34");
        EXPECT_EQ(StatusPane(3), c.size);
    }
}

TEST_F(MainView, ResetWindowStructureGivesTheDataTheStartSettings)
{
    const CKSTString path = SaveGenerated("shown.qld", {"Sinus", "Ramp"});
    ASSERT_EQ(Doc().OpenFile(path), 1);
    m_app->Options().StartSettings().m_PlotBackgroundColor = 0x00FFEE;
    m_app->Options().StartSettings().m_GridColor = 0x123456;
    ASSERT_NE(Doc().GetDataSet().GetWindowSettings().m_GridColor, 0x123456u);
    View().ResetWindowStructure();
    EXPECT_EQ(Doc().GetDataSet().GetWindowSettings().m_GridColor, 0x123456u);
    CKSTCurveWndSettings shown;
    ASSERT_TRUE(View().GetMainCurveSettings(shown));
    EXPECT_EQ(shown.m_PlotBackgroundColor, 0x00FFEEu);
    EXPECT_EQ(CurveNames(), (std::vector<std::string>{"Sinus", "Ramp"}));
    EXPECT_TRUE(Curves().IsUpdateEnabled());
}

TEST_F(MainView, RedrawStaysOffDuringBulkChangesAndPaintsOnceWhenBack)
{
    const CKSTString path = SaveGenerated("bulk.qld", {"Sinus", "Ramp"});
    ASSERT_EQ(Doc().OpenFile(path), 1);
    View().UpdateWindow();
    PumpAll();
    PaintCounter paints(Curves().m_hWnd);

    View().EnableRedraw(false);
    EXPECT_FALSE(Curves().IsUpdateEnabled());
    EXPECT_FALSE(View().GetRecordWnd().GetSpectrumWnd().IsUpdateEnabled());
    CKSTDataSet& set = Doc().GetDataSet();
    for (const char* name : {"Third", "Fourth", "Fifth"}) {
        CKSTChannel& channel = *set.GetChannels().GetAt(set.GetChannels().AddNew());
        channel.GenerateRamp(100, 0.01);
        channel.SetName(name);
        View().AttachDataSet(set, false);
        PumpAll();
    }
    EXPECT_EQ(paints.Count(), 0);
    EXPECT_EQ(Curves().GetCurveCount(), 5);

    View().EnableRedraw(true);
    PumpAll();
    EXPECT_EQ(paints.Count(), 1);
    EXPECT_TRUE(Curves().IsUpdateEnabled());
}

TEST_F(MainView, GeneratedSignalIsDrawnInTheMainCurveWindow)
{
    CKSTRasterImage empty;
    ASSERT_EQ(Curves().CopyToImage(empty), 0);
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .SetText(IDC_SIGNAL_NAME, "Wave")
                                 .SetText(IDC_SIGNAL_AMPLITUDE, "3")
                                 .SetText(IDC_SIGNAL_LENGTH, "500")
                                 .Click(IDOK);
    Command(ID_EXTRAS_WAVEFORM);
    ASSERT_EQ(CurveNames(), std::vector<std::string>{"Wave"});
    const CKSTChannel& wave = *Doc().GetDataSet().GetChannels().GetAt(0);
    EXPECT_EQ(wave.GetCount(), 500u);
    EXPECT_NEAR(wave.GetMaxValue(), 3.0, 1e-6);
    CKSTRasterImage drawn;
    ASSERT_EQ(Curves().CopyToImage(drawn), 0);
    ASSERT_EQ(drawn.GetPixelCount(), empty.GetPixelCount());
    uint64_t changed = 0;
    for (uint64_t i = 0; i < drawn.GetPixelCount(); ++i) {
        changed += drawn.GetPixels()[i] != empty.GetPixels()[i] ? 1 : 0;
    }
    EXPECT_GT(changed, 500u);

    // Values that cannot give a signal are refused with a message.
    KstSeams().modalDriver =
        CKSTDialogScript(IDCANCEL).SetText(IDC_SIGNAL_NAME, "None").SetText(IDC_SIGNAL_LENGTH, "0").Click(IDOK);
    Command(ID_EXTRAS_WAVEFORM);
    EXPECT_EQ(BoxIds(), std::vector<UINT>{KST_STR_SIGNAL_INVALID});
    EXPECT_EQ(Doc().GetDataSet().GetChannels().GetCount(), 1);

    // Not while online: no dialog at all.
    m_boxes.clear();
    KstSeams().modalDriver = [](KstModalRun& run) {
        ADD_FAILURE() << "dialog " << run.templateId;
        return IDCANCEL;
    };
    View().Online().m_bOnline = true;
    Command(ID_EXTRAS_WAVEFORM);
    View().Online().m_bOnline = false;
    EXPECT_EQ(BoxIds(), std::vector<UINT>{KST_STR_SIGNAL_WHILE_ONLINE});
}

TEST_F(MainView, PaneCommandsRebuildTheRecordWindow)
{
    CKSTRecordWnd& record = View().GetRecordWnd();
    const bool spectra = record.GetShowFlags().spectra;
    Command(ID_VIEW_SPECTRA);
    EXPECT_EQ(record.GetShowFlags().spectra, !spectra);
    EXPECT_EQ(record.GetSpectrumWnd().m_hWnd != nullptr, !spectra);
    Command(ID_VIEW_SPECTRA);
    EXPECT_EQ(record.GetSpectrumWnd().m_hWnd != nullptr, spectra);

    // The process pane takes the main curve window's place, which keeps its curves.
    const CKSTString path = SaveGenerated("kept.qld", {"Sinus"});
    ASSERT_EQ(Doc().OpenFile(path), 1);
    Command(ID_VIEW_SHOW_PROCESS);
    EXPECT_TRUE(record.GetShowFlags().process);
    EXPECT_TRUE(record.GetProcessWnd().m_hWnd);
    EXPECT_EQ(Curves().m_hWnd, nullptr);
    EXPECT_EQ(CurveNames(), std::vector<std::string>{"Sinus"});
    Command(ID_VIEW_HIDE_PROCESS);
    EXPECT_EQ(record.GetProcessWnd().m_hWnd, nullptr);
    ExpectRecordWindowFillsView();
    EXPECT_EQ(CurveNames(), std::vector<std::string>{"Sinus"});
}

TEST_F(MainView, LockedDocumentMakesTheRecordWindowReadOnly)
{
    const CKSTString path = SaveGenerated("locked.qld", {"Sinus"});
    ASSERT_EQ(Doc().OpenFile(path), 1);
    EXPECT_TRUE(Curves().GetDialogOptions().editNames);
    Doc().Core().Lock("secret", true);
    EXPECT_TRUE(View().GetRecordWnd().IsReadOnly());
    EXPECT_FALSE(Curves().GetDialogOptions().editNames);
    Doc().Core().Unlock(true);
    EXPECT_FALSE(View().GetRecordWnd().IsReadOnly());
    EXPECT_TRUE(Curves().GetDialogOptions().editNames);
}

}  // namespace
}  // namespace kst_test
