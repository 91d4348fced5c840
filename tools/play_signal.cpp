// Plays a known test signal through the sound player and the default wave-out device, for the
// end-to-end sound test (tools/sound-capture-test.sh). The signal never holds the sample 0, so
// the silence a device pads with cannot be mistaken for it.
//   play_signal <rate> <frames> <channels>
// Sample k of channel c: 1000 + ((k * 37 + c * 5000) % 20000), negated for odd k.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "data/ChannelList.h"
#include "formats/WaveOutPlayer.h"

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: play_signal <rate> <frames> <channels>\n");
        return 2;
    }
    const int rate = std::atoi(argv[1]);
    const int frames = std::atoi(argv[2]);
    const int channelCount = std::atoi(argv[3]);
    CKSTChannelList list;
    for (int c = 0; c < channelCount; ++c) {
        CKSTChannel& channel = *list.GetAt(list.AddNew());
        channel.SetDt(1.0 / rate);
        for (int k = 0; k < frames; ++k) {
            const double v = 1000 + (k * 37 + c * 5000) % 20000;
            channel.AppendValue(k % 2 ? -v : v, false);
        }
    }
    CKSTWaveOutPlayer player;
    int result = player.Open(list);
    if (result == 0) {
        result = player.Play();
    }
    if (result != 0) {
        std::fprintf(stderr, "play_signal: error %d\n", result);
        return 1;
    }
    while (player.IsPlaying()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
}
