// Builds without a sound device: opening always fails, as it does on a machine without one.
#include "formats/WaveOutPlayer.h"

#include "foundation/ErrorCodes.h"

namespace {

class CKSTNoWaveOutDevice : public IKSTWaveOutDevice {
public:
    int Open(const KstWaveFormat&, std::function<void()>) override { return KST_ERR_SOUND_DEVICE; }
    int Write(int, const uint8_t*, uint32_t) override { return KST_ERR_SOUND_DEVICE; }
    void Pause() override {}
    void Restart() override {}
    void Reset() override {}
    void Close() override {}
};

}  // namespace

std::unique_ptr<IKSTWaveOutDevice> KstCreateWaveOutDevice()
{
    return std::make_unique<CKSTNoWaveOutDevice>();
}
