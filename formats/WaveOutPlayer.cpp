#include "formats/WaveOutPlayer.h"

#include <chrono>
#include <cstring>
#include <new>
#include <system_error>

#include "formats/WavFile.h"
#include "foundation/ErrorCodes.h"

namespace {

double SteadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

CKSTWaveOutPlayer::CKSTWaveOutPlayer(std::unique_ptr<IKSTWaveOutDevice> device, Clock clock)
    : m_device(std::move(device)), m_clock(clock != nullptr ? clock : SteadySeconds)
{
}

CKSTWaveOutPlayer::~CKSTWaveOutPlayer()
{
    if (m_deviceOpen) {
        Stop();
    }
    CloseDevice();
}

void CKSTWaveOutPlayer::CloseDevice()
{
    if (m_deviceOpen) {
        m_device->Close();
        m_deviceOpen = false;
    }
}

void CKSTWaveOutPlayer::JoinThread()
{
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

int CKSTWaveOutPlayer::Open(const CKSTChannelList& channels)
{
    const int check = CKSTWavFile::CheckExport(channels);
    if (check == KST_ERR_SOUND_UNSUITABLE) {
        return check;
    }
    FreeChannels();
    CloseDevice();
    if (m_device == nullptr) {
        return KST_ERR_SOUND_DEVICE;
    }
    // Always a copy: playback must not depend on the caller keeping its channels unchanged.
    auto copy = std::make_unique<CKSTChannelList>();
    CKSTWavFile::ToPcm(channels, *copy);
    KstWaveFormat format;
    format.channels = static_cast<uint16_t>(copy->GetCount());
    format.sampleRate = CKSTWavFile::GetSampleRate(copy->GetAt(0)->GetSampleInterval());
    if (format.sampleRate == 0 ||
        m_device->Open(format, [this] { BlockDone(); }) != KST_OK) {
        m_state = kCreated;
        return KST_ERR_SOUND_DEVICE;
    }
    m_deviceOpen = true;
    m_channels = std::move(copy);
    m_started = false;
    m_state = kOpen;
    return KST_OK;
}

int CKSTWaveOutPlayer::Play()
{
    if (!m_deviceOpen) {
        return KST_ERR_NO_SOUND_DEVICE;
    }
    const int state = m_state.load();
    if (state == kPlaying) {
        return KST_OK;
    }
    if (state == kPaused) {
        return PauseResume();
    }
    JoinThread();
    m_ring.reset(new (std::nothrow) uint8_t[size_t{kBlockCount} * kBlockSize]);
    if (m_ring == nullptr) {
        return KST_ERR_SOUND_DEVICE;
    }
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_freeBlocks = kBlockCount;
        m_stop = false;
    }
    m_blockIndex = 0;
    m_sampleIndex = 0;
    m_startTime = m_clock();
    m_pausedTime = 0.0;
    m_started = true;
    m_state = kPlaying;
    try {
        m_thread = std::thread(&CKSTWaveOutPlayer::FeedThread, this);
    } catch (const std::system_error&) {
        m_ring.reset();
        m_state = kOpen;
        return KST_ERR_THREAD_START;
    }
    return KST_OK;
}

int CKSTWaveOutPlayer::PauseResume()
{
    if (!m_deviceOpen) {
        return KST_ERR_NO_SOUND_DEVICE;
    }
    int expected = kPlaying;
    if (m_state.compare_exchange_strong(expected, kPaused)) {
        m_device->Pause();
        m_pauseStart = m_clock();
    } else if (expected == kPaused && m_state.compare_exchange_strong(expected, kPlaying)) {
        m_device->Restart();
        m_pausedTime += m_clock() - m_pauseStart;
    }
    return KST_OK;
}

int CKSTWaveOutPlayer::Stop()
{
    if (!m_deviceOpen) {
        return KST_ERR_NO_SOUND_DEVICE;
    }
    {
        std::lock_guard<std::mutex> gate(m_gate);
        std::lock_guard<std::mutex> lock(m_lock);
        m_stop = true;
    }
    m_changed.notify_all();
    const bool paused = m_state.load() == kPaused;
    m_device->Reset();
    if (paused) {
        // A reset device may stay paused; the next playback starts it afresh.
        m_device->Restart();
        m_pausedTime += m_clock() - m_pauseStart;
    }
    JoinThread();
    return KST_OK;
}

void CKSTWaveOutPlayer::FreeChannels()
{
    if (m_deviceOpen) {
        Stop();
    }
    JoinThread();
    m_channels.reset();
}

double CKSTWaveOutPlayer::GetPosition() const
{
    if (!m_deviceOpen) {
        return KST_ERR_NO_SOUND_DEVICE;
    }
    if (!m_started) {
        return 0.0;
    }
    const double now = m_clock();
    double paused = m_pausedTime;
    if (m_state.load() == kPaused) {
        paused += now - m_pauseStart;
    }
    return now - m_startTime - paused;
}

void CKSTWaveOutPlayer::BlockDone()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        ++m_freeBlocks;
    }
    m_changed.notify_all();
}

bool CKSTWaveOutPlayer::QueueBlock(uint32_t size)
{
    {
        std::unique_lock<std::mutex> lock(m_lock);
        m_changed.wait(lock, [this] { return m_freeBlocks > 0 || m_stop.load(); });
        if (m_stop.load()) {
            return false;
        }
        --m_freeBlocks;
    }
    bool written = false;
    {
        std::lock_guard<std::mutex> gate(m_gate);
        if (!m_stop.load()) {
            written = m_device->Write(m_blockIndex, m_ring.get() + size_t{kBlockSize} * m_blockIndex,
                                      size) == KST_OK;
        }
    }
    if (!written) {
        BlockDone();
        return false;
    }
    m_blockIndex = (m_blockIndex + 1) % kBlockCount;
    return true;
}

void CKSTWaveOutPlayer::FeedThread()
{
    const CKSTChannel& first = *m_channels->GetAt(0);
    const CKSTChannel* second = m_channels->GetCount() == 2 ? m_channels->GetAt(1) : nullptr;
    const uint32_t frameBytes = second != nullptr ? 4 : 2;
    const uint32_t count = first.GetCount();
    uint32_t filled = 0;
    bool running = true;
    for (uint32_t i = 0; i < count && running; ++i) {
        if (m_stop.load(std::memory_order_relaxed)) {
            running = false;
            break;
        }
        int16_t frame[2];
        frame[0] = CKSTWavFile::ToSample(first.GetValue(i));
        if (second != nullptr) {
            // A shorter second channel repeats its last value.
            frame[1] = CKSTWavFile::ToSample(second->GetValue(i));
        }
        std::memcpy(m_ring.get() + size_t{kBlockSize} * m_blockIndex + filled, frame, frameBytes);
        filled += frameBytes;
        m_sampleIndex.store(i + 1, std::memory_order_relaxed);
        if (filled == kBlockSize) {
            running = QueueBlock(filled);
            filled = 0;
        }
    }
    // The last, partly filled block is played too.
    if (running && filled > 0) {
        QueueBlock(filled);
    }
    {
        std::unique_lock<std::mutex> lock(m_lock);
        m_changed.wait(lock, [this] { return m_freeBlocks == kBlockCount; });
    }
    m_sampleIndex = 0;
    m_state = kOpen;
}
