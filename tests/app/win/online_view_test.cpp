// The main view online in the running application: the node simulator on loopback and the
// built-in demonstration node streamed into the document and the main curve window, the main
// frame's close sequence while online, and the print commands reaching the printer.
#include <filesystem>
#include <string>
#include <vector>

#include "app_test_support.h"

#include "acquisition/DemoNode.h"
#include "acquisition/win/NodeSimProcess.h"
#include "app/CommandLine.h"
#include "app/win/MainFrame.h"
#include "app/win/TalvenorDoc.h"
#include "app/win/TalvenorView.h"
#include "curvewnd/Curve.h"
#include "data/DocFile.h"
#include "framework/PrintPreview.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "support/TempFolder.h"
#include "support/win/DialogScript.h"
#include "support/win/MetafilePrinter.h"

namespace kst_test {
namespace {

constexpr char kDemoHost[] = "255.255.255.255";

class OnlineView : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        StartProgram();
    }

    void StartProgram()
    {
        AnswerStartDialogs();
        ASSERT_TRUE(Start("/noreg"));
        ASSERT_NE(m_app->GetView(), nullptr);
        RecordBoxes();
        CWnd* frame = AfxGetMainWnd();
        frame->ShowWindow(SW_SHOWNORMAL);
        frame->UpdateWindow();
        m_app->GetView()->UpdateWindow();
    }

    CTalvenorView& View() { return *m_app->GetView(); }
    CKSTChannelList& Channels() { return m_app->GetDocument()->GetDataSet().GetChannels(); }

    int ConnectDemo(const CKSTString& recording = CKSTString())
    {
        return View().Online().ConnectSource(kDemoHost, kKstNodeCommandPort, false, 0.2, KST_SOURCE_NODE,
                                    0, 0, -1, 0, recording, 0.0, 0.0, false, false, false);
    }

    // One timer tick as the window's timer delivers it.
    void Tick() { View().SendMessage(WM_TIMER, kKstOnlineTimerId, 0); }

    std::vector<std::string> CurveNames()
    {
        std::vector<std::string> names;
        CKSTCurveWnd& curves = View().GetMainCurveWnd();
        for (int i = 0; i < curves.GetCurveCount(); ++i) {
            const CKSTCurve* curve = curves.GetCurve(i, false);
            if (curve && curve->GetChannel()) {
                names.push_back(curve->GetChannel()->GetName().c_str());
            }
        }
        return names;
    }

    TempFolder m_folder;
};

TEST_F(OnlineView, NodeSimulatorStreamsEverySampleOnceIntoTheDocument)
{
    NodeSimProcess sim;
    ASSERT_TRUE(sim.Start("--fifos 3 --rate 100"));
    ASSERT_EQ(View().Online().ConnectSource("127.0.0.1", sim.TcpPort(), false, 0.05, KST_SOURCE_NODE, 0, 0,
                                   0, 0, CKSTString(), 0.0, 0.0, false, false, false),
              0);
    EXPECT_TRUE(View().Online().m_bOnline);
    ASSERT_EQ(Channels().GetCount(), 3);
    EXPECT_EQ(CurveNames().size(), 3u);
    EXPECT_TRUE(View().GetMainCurveWnd().IsOnline());
    // The curves show the document's own channels.
    EXPECT_EQ(View().GetMainCurveWnd().GetCurve(0, false)->GetChannel(), Channels().GetAt(0));

    uint32_t before = 0;
    int grew = 0;
    for (int tick = 0; tick < 20; ++tick) {
        Sleep(60);
        Tick();
        grew += Channels().GetAt(0)->GetCount() > before;
        before = Channels().GetAt(0)->GetCount();
    }
    EXPECT_GT(grew, 10);
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        const CKSTChannel& channel = *Channels().GetAt(k);
        ASSERT_GT(channel.GetCount(), 20u);
        const double first = channel.GetValue(0);
        EXPECT_EQ(static_cast<int>(first / 1000000.0), k);
        uint32_t wrong = 0;
        for (uint32_t j = 0; j < channel.GetCount(); ++j) {
            wrong += channel.GetValue(j) != first + j;
        }
        EXPECT_EQ(wrong, 0u) << "no gap and no repeat";
    }
    EXPECT_TRUE(m_boxes.empty());

    View().SendMessage(WM_COMMAND, MAKEWPARAM(ID_ONLINE_STOP, 0), 0);
    EXPECT_FALSE(View().Online().m_bOnline);
    EXPECT_EQ(View().Online().m_nSourceKind, KST_SOURCE_NONE);
    EXPECT_FALSE(View().GetMainCurveWnd().IsOnline());
}

TEST_F(OnlineView, DemoStreamRecordsAndTheRecordingBecomesTheDocument)
{
    const CKSTString recording = m_folder.Path("live.qld");
    ASSERT_EQ(ConnectDemo(recording), 0);
    EXPECT_EQ(CurveNames(), (std::vector<std::string>{kst_node::kDemoFifoNames[0],
                                                      kst_node::kDemoFifoNames[1],
                                                      kst_node::kDemoFifoNames[2]}));
    for (int tick = 0; tick < 3; ++tick) {
        Sleep(250);
        Tick();
    }
    const uint32_t shown = Channels().GetAt(0)->GetCount();
    EXPECT_GT(shown, 0u);
    View().Online().StopLiveStream();
    EXPECT_FALSE(View().Online().m_bOnline);
    // The file now open is the recording, with at least what was shown.
    EXPECT_EQ(m_app->GetDocument()->GetCurrentPath(), recording);
    ASSERT_EQ(Channels().GetCount(), 3);
    EXPECT_GE(Channels().GetAt(0)->GetCount(), shown);
    EXPECT_EQ(Channels().GetAt(1)->GetName(), kst_node::kDemoFifoNames[1]);
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(OnlineView, TicksRefreshTheSpectraOfTheLiveChannels)
{
    View().GetRecordWnd().ShowSpectra(true);
    ASSERT_EQ(ConnectDemo(), 0);
    for (int tick = 0; tick < 2; ++tick) {
        Sleep(250);
        Tick();
    }
    CKSTCurveWnd& spectra = View().GetRecordWnd().GetSpectrumWnd();
    ASSERT_EQ(spectra.GetCurveCount(), 3);
    // Connecting showed empty channels; the spectra hold values only when ticks refreshed them.
    const CKSTCurve* first = spectra.GetCurve(0, false);
    ASSERT_TRUE(first && first->GetChannel());
    EXPECT_GT(first->GetChannel()->GetCount(), 0u);
    View().Online().StopLiveStream();
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(OnlineView, OtherSourceKindsAreNotAvailable)
{
    for (int kind : {KST_SOURCE_CONTROLLER_BUFDES, KST_SOURCE_CONTROLLER_PROBE,
                     KST_SOURCE_SERIAL_MASTER, KST_SOURCE_PIPE, KST_SOURCE_CONTROLLER_2}) {
        SCOPED_TRACE(kind);
        m_boxes.clear();
        EXPECT_EQ(View().Online().ConnectSource("127.0.0.1", 1, false, 0.2, kind, 0, 0, -1, 0, "", 0.0,
                                       0.0, false, false, false),
                  -1013);
        EXPECT_FALSE(View().Online().m_bOnline);
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].textId, static_cast<UINT>(KST_STR_ONL_SOURCE_NOT_AVAILABLE));
    }
}

TEST_F(OnlineView, CloseSequenceByOnlineStateRecordingAndAnswer)
{
    enum Answer { None, Cancel, Save, NoSave };
    const struct {
        const char* what;
        bool online;
        bool recording;
        Answer answer;
        bool asked;
        bool closed;
        bool saved;  // the live data went into the file chosen in the save dialog
    } cases[] = {
        {"offline", false, false, None, false, true, false},
        {"online, cancelled", true, false, Cancel, true, false, false},
        {"online, closed without saving", true, false, NoSave, true, true, false},
        {"online, closed and saved", true, false, Save, true, true, true},
        {"online with a recording", true, true, None, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StartProgram();
        const CKSTString recording = m_folder.Path(std::string("rec-") + c.what + ".qld");
        const std::string saveTo = m_folder.Path(std::string("saved-") + c.what + ".qld").c_str();
        if (c.online) {
            ASSERT_EQ(ConnectDemo(c.recording ? recording : CKSTString()), 0);
            Sleep(250);
            Tick();
        }
        std::vector<UINT> runs;
        KstSeams().modalDriver = [&](KstModalRun& run) {
            runs.push_back(run.templateId);
            if (run.templateId != IDD_CLOSE_APP || c.answer == Cancel) {
                return IDCANCEL;
            }
            return CKSTDialogScript(IDCANCEL)
                .Click(c.answer == Save ? IDC_CLOSEAPP_SAVE : IDC_CLOSEAPP_NO_SAVE)(run);
        };
        KstSeams().getSaveFileName = [&](OPENFILENAMEA& ofn, DWORD& error) {
            error = 0;
            lstrcpynA(ofn.lpstrFile, saveTo.c_str(), static_cast<int>(ofn.nMaxFile));
            return TRUE;
        };
        m_boxAnswer = IDNO;  // no further saving at the end
        HWND frame = m_app->GetFrame()->m_hWnd;
        m_app->GetFrame()->SendMessage(WM_CLOSE);
        EXPECT_EQ(!runs.empty() && runs[0] == IDD_CLOSE_APP, c.asked);
        EXPECT_EQ(!IsWindow(frame), c.closed);
        EXPECT_EQ(std::filesystem::exists(saveTo), c.saved);
        if (!c.closed) {
            EXPECT_TRUE(View().Online().m_bOnline) << "the stream goes on";
            View().Online().StopLiveStream();
        }
        if (c.recording) {
            CKSTDocFile file;
            ASSERT_EQ(file.OpenRead(recording), 0);
            CKSTDataSet reread;
            EXPECT_EQ(file.ReadDataSet(reread, nullptr, nullptr), KST_OK);
            ASSERT_EQ(reread.GetChannels().GetCount(), 3);
            EXPECT_GT(reread.GetChannels().GetAt(0)->GetCount(), 0u);
        }
        EndApp();
    }
}

TEST_F(OnlineView, PrintCommandsReachThePrinter)
{
    CKSTDataSet& data = m_app->GetDocument()->GetDataSet();
    CKSTChannel& channel = *data.GetChannels().GetAt(data.GetChannels().AddNew());
    channel.GenerateSine(1000, 0.1, 1.0, 0.05, 0.0);
    channel.SetName("Sinus");
    View().AttachDataSet(data, false);

    std::vector<HENHMETAFILE> pages;
    KstPrinting().openPrinter = [&](const PRINTDLGA&) -> std::unique_ptr<KstPrintDevice> {
        return std::make_unique<MetafilePrinter>(pages);
    };
    KstSeams().printDialog = [](PRINTDLGA&) { return TRUE; };
    auto command = [&](UINT id) {
        m_app->GetFrame()->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
    };
    auto takePages = [&]() {
        const size_t n = pages.size();
        for (HENHMETAFILE page : pages) {
            ENHMETAHEADER header{};
            GetEnhMetaFileHeader(page, sizeof header, &header);
            EXPECT_GT(header.nRecords, 20u) << "the curve picture was drawn";
            DeleteEnhMetaFile(page);
        }
        pages.clear();
        return n;
    };

    // Print: the display as shown on one page.
    command(ID_FILE_PRINT_DISPLAY);
    EXPECT_EQ(takePages(), 1u);

    // Print report: the dialog, then the preview of its pages; the toolbar's print then prints
    // the report again.
    std::vector<UINT> runs;
    KstSeams().modalDriver = [&](KstModalRun& run) {
        runs.push_back(run.templateId);
        return CKSTDialogScript(IDCANCEL).Click(IDC_REPORT_RANGE_FILE).Click(IDOK)(run);
    };
    command(ID_FILE_PRINT_REPORT);
    EXPECT_EQ(runs, std::vector<UINT>{IDD_PRINT_REPORT});
    const CKSTReportSettings& request = m_app->GetFrame()->m_printRequest;
    EXPECT_EQ(request.m_nPageMode, KST_REPORT_TIME_PAGES);
    ASSERT_GT(request.m_nPageCount, 1);
    auto* preview = dynamic_cast<CPreviewView*>(CWnd::FromHandlePermanent(
        GetDlgItem(m_app->GetFrame()->m_hWnd, AFX_IDW_PANE_FIRST)));
    ASSERT_NE(preview, nullptr);
    preview->ClosePreview();
    takePages();

    command(ID_FILE_PRINT);
    EXPECT_EQ(takePages(), static_cast<size_t>(request.m_nPageCount));
    EXPECT_TRUE(m_boxes.empty());
    KstResetPrintSeams();
}

}  // namespace
}  // namespace kst_test
