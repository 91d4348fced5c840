// File > Open of a generated native document of 10^7 samples in 8 channels in the running
// program (application, main frame, view and its curve window, in this process), up to the end
// of the curve window's first paint after the open, against what it cannot avoid, measured in
// the same run: the container read alone and one paint of the same samples by a curve window
// of the same size. Opening adds the document's steps (recognition, window-settings rules,
// handing the channels to the view, laying the curves out) to those two; the goal is at most
// their sum plus 20 %. Every figure is the best of several runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>

#include "BenchReport.h"
#include "app/DocumentCore.h"
#include "app/win/TalvenorApp.h"
#include "app/win/TalvenorDoc.h"
#include "app/win/TalvenorView.h"
#include "curvewnd/win/CurveWnd.h"
#include "data/DocFile.h"
#include "data/settings/CurveWndSettings.h"
#include "foundation/ErrorCodes.h"
#include "framework/Seams.h"
#include "resources/ResourceIds.h"

namespace {

constexpr uint32_t kChannels = 8;
constexpr uint32_t kSamplesPerChannel = 1250000;
constexpr int kRuns = 7;

// Writes the document through the document's own save, without a window.
bool WriteDocument(const std::string& path)
{
    CKSTUnattendedDocumentHost host;
    CKSTDocumentCore writer(host);
    CKSTChannelList& channels = writer.GetDataSet().GetChannels();
    for (uint32_t c = 0; c < kChannels; ++c) {
        CKSTChannel& channel = *channels.GetAt(channels.AddNew());
        channel.GenerateSine(kSamplesPerChannel, 1e-4, 1.0 + c, 5.0 + c, 10.0 * c);
        channel.SetName(("Channel " + std::to_string(c + 1)).c_str());
    }
    return writer.SaveFile(path.c_str(), 0) == KstSaveResult::Saved;
}

// Reads the container into the set; false when it did not read completely.
bool ReadContainer(const std::string& path, CKSTDataSet& set)
{
    CKSTDocFile file;
    uint8_t newerKinds = 0;
    // Written without a curve window, the document holds no display settings: -1210 is success.
    const int opened = file.OpenRead(path.c_str());
    const int result = opened == 0 ? file.ReadDataSet(set, nullptr, &newerKinds) : opened;
    kst::bench::RequireOk(file.Close(), "file.Close");
    return (result >= 0 || result == KST_ERR_NO_SETTINGS) &&
           set.GetChannels().GetCount() == static_cast<int>(kChannels);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string path = argc > 1 ? argv[1] : "document_open_bench.qld";
    if (!WriteDocument(path)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }

    // The program without a registry and without anyone to answer its start-up dialogs.
    KstSeams().modalDriver = [](KstModalRun& run) {
        return run.templateId == IDD_SPLASH ? 0 : IDCANCEL;
    };
    KstSeams().messageBox = [](const KstMessageBoxCall& call) {
        std::fprintf(stderr, "message: %s\n", call.text.c_str());
        return IDOK;
    };
    auto app = std::make_unique<CTalvenorApp>();
    app->SetCommandLine("/noreg");
    if (!app->InitInstance() || !app->GetDocument() || !app->GetView()) {
        std::fprintf(stderr, "the program did not start\n");
        return 1;
    }
    CWnd* frame = app->GetMainWnd();
    frame->MoveWindow(0, 0, 1280, 900, TRUE);
    // The view makes its curve window on its first paint.
    RedrawWindow(frame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    CTalvenorDoc& document = *app->GetDocument();
    CKSTCurveWnd& shown = app->GetView()->GetMainCurveWnd();
    if (!shown.m_hWnd) {
        std::fprintf(stderr, "no curve window\n");
        return 1;
    }
    RECT client{};
    ::GetClientRect(shown.m_hWnd, &client);

    // The same samples in a curve window of the same size beside the program's.
    CKSTDataSet set;
    if (!ReadContainer(path, set)) {
        std::fprintf(stderr, "container read failed\n");
        return 1;
    }
    CKSTCurveWnd reference;
    if (!reference.Create("Reference", WS_VISIBLE, client, app->GetView())) {
        std::fprintf(stderr, "no reference curve window\n");
        return 1;
    }
    reference.SetUpdateEnabled(false, false);
    reference.AddChannels(set.GetChannels());
    reference.SetUpdateEnabled(true, false);

    // The three interleaved, so that a change of the machine's load meets all of them.
    double containerRead = std::numeric_limits<double>::infinity();
    double open = containerRead;
    double paint = containerRead;
    for (int run = 0; run < kRuns; ++run) {
        {
            CKSTDataSet again;
            kst::bench::Stopwatch watch;
            if (!ReadContainer(path, again)) {
                std::fprintf(stderr, "container read failed\n");
            }
            containerRead = std::min(containerRead, watch.Seconds());
        }
        {
            document.OnFileNew();
            RedrawWindow(frame->m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            kst::bench::Stopwatch watch;
            if (document.OpenFile(path.c_str()) != 1 ||
                document.GetDataSet().GetChannels().GetCount() != static_cast<int>(kChannels) ||
                shown.GetCurveCount() != static_cast<int>(kChannels)) {
                std::fprintf(stderr, "open failed\n");
            }
            RedrawWindow(frame->m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            open = std::min(open, watch.Seconds());
        }
        {
            kst::bench::Stopwatch watch;
            reference.RecalcLayout();
            ::InvalidateRect(reference.m_hWnd, nullptr, FALSE);
            ::UpdateWindow(reference.m_hWnd);
            paint = std::min(paint, watch.Seconds());
        }
    }
    reference.DestroyWindow();

    document.OnFileNew();
    frame->SendMessage(WM_CLOSE);
    app.reset();
    std::remove(path.c_str());

    const double samples = static_cast<double>(kChannels) * kSamplesPerChannel;
    const double sum = containerRead + paint;
    kst::bench::Report("samples", samples, "samples");
    kst::bench::Report("container_read", containerRead * 1e3, "ms");
    kst::bench::Report("curve_window_paint", paint * 1e3, "ms");
    kst::bench::Report("read_plus_paint", sum * 1e3, "ms");
    kst::bench::Report("file_open_to_first_paint", open * 1e3, "ms");
    kst::bench::Report("file_open_vs_read_plus_paint", open / sum, "ratio");
    kst::bench::Report("file_open_rate", samples / open / 1e6, "Msamples/s");
    return 0;
}
