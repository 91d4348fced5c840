// Takes pictures of the record window for people to look at: once with the panes shown by
// default and once with every pane, each over a data set of three generated channels.
//
//   record_window_shot.exe [output folder]
// Writes record-window-default.png and record-window-full.png into the folder ("build" unless
// given). Exit code 0 when both were written, 1 when a window could not be made, 2 when a
// picture could not be written.
#include <windows.h>

#include <cstdio>
#include <string>

#include "WindowBitmap.h"
#include "app/win/RecordWnd.h"
#include "framework/Wnd.h"

namespace {

void Generate(CKSTDataSet& set)
{
    CKSTChannelList& channels = set.GetChannels();
    CKSTChannel& sine = *channels.GetAt(channels.AddNew());
    sine.GenerateSine(2000, 0.005, 2.0, 1.5, 0.0);
    sine.SetName("Sinus");
    sine.SetUnit("V");
    CKSTChannel& square = *channels.GetAt(channels.AddNew());
    square.GenerateSquare(2000, 0.005, 1.0, 0.5, 0.0);
    square.SetName("Rechteck");
    square.SetUnit("A");
    CKSTChannel& ramp = *channels.GetAt(channels.AddNew());
    ramp.GenerateRamp(2000, 0.005);
    ramp.SetName("Rampe");
    ramp.SetUnit("mm");
    set.SetTitle("Generated signals");
    set.SetComment("Three generated channels", true);
}

// Lets the windows paint for a moment.
void Settle()
{
    const ULONGLONG until = GetTickCount64() + 500;
    while (GetTickCount64() < until) {
        KstPumpPendingMessages();
        Sleep(20);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : "build";
    const CKSTString hostClass = KstRegisterWndClass(0, LoadCursor(nullptr, IDC_ARROW),
                                                     GetSysColorBrush(COLOR_WINDOW));
    CKSTDataSet set;
    Generate(set);
    const struct {
        const char* file;
        KstPaneFlags flags;
    } shots[] = {
        {"record-window-default.png", KstPaneFlags{}},
        {"record-window-full.png", KstPaneFlags{true, true, true, true, true, true, false}},
    };
    for (const auto& shot : shots) {
        CWnd host;
        if (!host.CreateEx(0, hostClass.c_str(), "record window", WS_POPUP | WS_VISIBLE, 0, 0,
                           1000, 700, nullptr, nullptr)) {
            std::fprintf(stderr, "record_window_shot: no host window\n");
            return 1;
        }
        CKSTRecordWnd record;
        record.SetLanguage(1);
        record.ShowTitle(shot.flags.title);
        record.ShowComment(shot.flags.comment);
        record.ShowVariables(shot.flags.variables);
        record.ShowValueList(shot.flags.valueList);
        record.ShowChannelList(shot.flags.channelList);
        record.ShowSpectra(shot.flags.spectra);
        record.ShowProcessWindow(shot.flags.process);
        if (!record.Create("Kurvenfenster", WS_VISIBLE, RECT{0, 0, 1000, 700}, &host)) {
            std::fprintf(stderr, "record_window_shot: no record window\n");
            return 1;
        }
        record.SetDataSet(&set, false);
        RedrawWindow(host.m_hWnd, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Settle();
        const std::string path = folder + "/" + shot.file;
        if (!SaveWindowPng(host.m_hWnd, path.c_str())) {
            std::fprintf(stderr, "record_window_shot: could not write %s\n", path.c_str());
            return 2;
        }
        std::printf("record_window_shot: saved %s\n", path.c_str());
        record.Close();
        record.DestroyWindow();
        host.DestroyWindow();
    }
    return 0;
}
