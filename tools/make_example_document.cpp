// Writes the example document that tools/run.sh opens: four standard waveforms of one second at
// 1 kHz, saved by the program's own document code, so the example always matches what the
// program writes.
//
//   make_example_document FILE.qld
// Exit code 0 when the document was written, 1 otherwise.
#include <cstdio>

#include "app/DocumentCore.h"
#include "data/settings/CurveWndSettings.h"

namespace {

// Tells what the document would have asked a user.
struct UnattendedHost : CKSTUnattendedDocumentHost {
    bool Message(int stringId, KstMessageKind) override
    {
        std::fprintf(stderr, "make_example_document: message %d\n", stringId);
        return true;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_example_document FILE.qld\n");
        return 1;
    }
    constexpr uint32_t kSamples = 1000;
    constexpr double kDt = 0.001;
    UnattendedHost host;
    CKSTDocumentCore document(host);
    CKSTDataSet& set = document.GetDataSet();
    CKSTChannelList& channels = set.GetChannels();
    struct Wave {
        const char* name;
        void (CKSTChannel::*generate)(uint32_t, double, double, double, double);
        double amplitude, frequency;
    };
    const Wave waves[] = {
        {"Sinus", &CKSTChannel::GenerateSine, 5.0, 3.0},
        {"Rectangle", &CKSTChannel::GenerateSquare, 2.0, 5.0},
        {"Triangle", &CKSTChannel::GenerateTriangle, 4.0, 2.0},
        {"Sawtooth", &CKSTChannel::GenerateSawtooth, 3.0, 4.0},
    };
    for (const Wave& wave : waves) {
        CKSTChannel& channel = *channels.GetAt(channels.AddNew());
        (channel.*wave.generate)(kSamples, kDt, wave.amplitude, wave.frequency, 0.0);
        channel.SetName(wave.name);
        channel.SetGroup("Example");
        channel.SetUnit("V");
    }
    CKSTTimeStamp start;
    start.SetDateTime(2024, 1, 15, 10, 30, 0.0);
    set.SetStartTimeStamp(start);
    set.SetTitle("Standard waveforms");
    set.SetComment("Example document written by make_example_document", false);
    if (document.SaveFile(argv[1], 0) != KstSaveResult::Saved) {
        std::fprintf(stderr, "make_example_document: %s was not written\n", argv[1]);
        return 1;
    }
    return 0;
}
