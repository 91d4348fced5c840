// The Windows multimedia wave-out device (the default device, WAVE_MAPPER) behind the player.
#include "formats/WaveOutPlayer.h"

#include <windows.h>
#include <mmsystem.h>

#include "foundation/ErrorCodes.h"

namespace {

class CKSTWinWaveOutDevice : public IKSTWaveOutDevice {
public:
    ~CKSTWinWaveOutDevice() override { Close(); }

    int Open(const KstWaveFormat& format, std::function<void()> blockDone) override
    {
        Close();
        m_blockDone = std::move(blockDone);
        WAVEFORMATEX wave = {};
        wave.wFormatTag = WAVE_FORMAT_PCM;
        wave.nChannels = format.channels;
        wave.nSamplesPerSec = format.sampleRate;
        wave.wBitsPerSample = 16;
        wave.nBlockAlign = static_cast<WORD>(format.channels * 16 / 8);
        wave.nAvgBytesPerSec = wave.nBlockAlign * format.sampleRate;
        wave.cbSize = 0;
        const MMRESULT result =
            waveOutOpen(&m_handle, WAVE_MAPPER, &wave, reinterpret_cast<DWORD_PTR>(&Callback),
                        reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION);
        if (result != MMSYSERR_NOERROR) {
            m_handle = nullptr;
            return KST_ERR_SOUND_DEVICE;
        }
        return KST_OK;
    }

    int Write(int index, const uint8_t* data, uint32_t size) override
    {
        if (m_handle == nullptr || index < 0 || index >= CKSTWaveOutPlayer::kBlockCount) {
            return KST_ERR_SOUND_DEVICE;
        }
        WAVEHDR& header = m_headers[index];
        if (header.dwFlags & WHDR_PREPARED) {
            waveOutUnprepareHeader(m_handle, &header, sizeof header);
        }
        header = WAVEHDR{};
        header.lpData = reinterpret_cast<LPSTR>(const_cast<uint8_t*>(data));
        header.dwBufferLength = size;
        if (waveOutPrepareHeader(m_handle, &header, sizeof header) != MMSYSERR_NOERROR) {
            return KST_ERR_SOUND_DEVICE;
        }
        if (waveOutWrite(m_handle, &header, sizeof header) != MMSYSERR_NOERROR) {
            waveOutUnprepareHeader(m_handle, &header, sizeof header);
            return KST_ERR_SOUND_DEVICE;
        }
        return KST_OK;
    }

    void Pause() override
    {
        if (m_handle != nullptr) {
            waveOutPause(m_handle);
        }
    }
    void Restart() override
    {
        if (m_handle != nullptr) {
            waveOutRestart(m_handle);
        }
    }
    void Reset() override
    {
        if (m_handle != nullptr) {
            waveOutReset(m_handle);
        }
    }

    void Close() override
    {
        if (m_handle == nullptr) {
            return;
        }
        waveOutReset(m_handle);
        for (WAVEHDR& header : m_headers) {
            if (header.dwFlags & WHDR_PREPARED) {
                waveOutUnprepareHeader(m_handle, &header, sizeof header);
            }
            header = WAVEHDR{};
        }
        waveOutClose(m_handle);
        m_handle = nullptr;
    }

private:
    // Runs on the multimedia system's thread, where no wave-out call may be made.
    static void CALLBACK Callback(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR, DWORD_PTR)
    {
        if (message == WOM_DONE) {
            reinterpret_cast<CKSTWinWaveOutDevice*>(instance)->m_blockDone();
        }
    }

    HWAVEOUT m_handle = nullptr;
    WAVEHDR m_headers[CKSTWaveOutPlayer::kBlockCount] = {};
    std::function<void()> m_blockDone;
};

}  // namespace

std::unique_ptr<IKSTWaveOutDevice> KstCreateWaveOutDevice()
{
    return std::make_unique<CKSTWinWaveOutDevice>();
}
