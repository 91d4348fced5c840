// File > Open of a generated native document of 10^7 samples in 8 channels against the
// container read alone, in the same run (best of several runs each). Opening adds the
// document's steps (the recognition by the measurement-file object, the window-settings rules,
// the lock entry, the display flags) to the read. The paint of the opened curves is not part
// of this figure while the document has no curve window to show them in.

#include <cstdio>
#include <string>

#include "BenchReport.h"
#include "app/DocumentCore.h"
#include "data/DocFile.h"
#include "data/settings/CurveWndSettings.h"
#include "foundation/ErrorCodes.h"

namespace {

constexpr uint32_t kChannels = 8;
constexpr uint32_t kSamplesPerChannel = 1250000;
constexpr int kRuns = 5;

struct QuietHost : KstDocumentHost {
    bool Message(int, KstMessageKind) override { return true; }
    int ShowFileError(int) override { return 0; }
    bool QuerySaveLiveData() override { return true; }
    int RunAppendDialog(bool, int&, bool&) override { return KST_APPEND_CANCEL; }
    KstAppSettings& Settings() override { return settings; }
    const CKSTCurveWndSettings& CurrentCurveSettings() override { return current; }
    std::unique_ptr<CKSTCurveWndSettings> TakePendingWindowSettings() override { return {}; }
    void SetCurrentPath(const CKSTString&) override {}
    void SetLiveDataModified(bool) override {}
    void SetDocumentPath(const CKSTString&) override {}

    KstAppSettings settings;
    CKSTCurveWndSettings current;
};

}  // namespace

int main(int argc, char** argv)
{
    const std::string path = argc > 1 ? argv[1] : "document_open_bench.qld";
    QuietHost host;
    {
        CKSTDocumentCore writer(host);
        CKSTChannelList& channels = writer.GetDataSet().GetChannels();
        for (uint32_t c = 0; c < kChannels; ++c) {
            CKSTChannel& channel = *channels.GetAt(channels.AddNew());
            channel.GenerateSine(kSamplesPerChannel, 1e-4, 1.0 + c, 5.0 + c, 10.0 * c);
            channel.SetName(("Channel " + std::to_string(c + 1)).c_str());
        }
        if (writer.SaveFile(path.c_str(), 0) != KstSaveResult::Saved) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }

    const double containerRead = kst::bench::BestSeconds(kRuns, [&] {
        CKSTDocFile file;
        CKSTDataSet set;
        uint8_t newerKinds = 0;
        // Without a curve window the document stores no display settings: -1210 is success.
        const int opened = file.OpenRead(path.c_str());
        const int result = opened == 0 ? file.ReadDataSet(set, nullptr, &newerKinds) : opened;
        if ((result < 0 && result != KST_ERR_NO_SETTINGS) ||
            set.GetChannels().GetCount() != static_cast<int>(kChannels)) {
            std::fprintf(stderr, "container read failed\n");
        }
        file.Close();
        return -1.0;
    });
    const double open = kst::bench::BestSeconds(kRuns, [&] {
        CKSTDocumentCore document(host);
        bool read = false;
        if (document.OpenFile(path.c_str(), nullptr, &read) != 1 || !read) {
            std::fprintf(stderr, "open failed\n");
        }
        return -1.0;
    });
    std::remove(path.c_str());

    const double samples = static_cast<double>(kChannels) * kSamplesPerChannel;
    kst::bench::Report("samples", samples, "samples");
    kst::bench::Report("container_read", containerRead * 1e3, "ms");
    kst::bench::Report("file_open", open * 1e3, "ms");
    kst::bench::Report("file_open_vs_container_read", open / containerRead, "ratio");
    kst::bench::Report("file_open_rate", samples / open / 1e6, "Msamples/s");
    return 0;
}
