#pragma once
// Plays one or two channels as 16-bit PCM sound. A feeding thread turns the samples into frames
// and hands them to the sound device in a ring of fixed blocks; the device gives each block back
// when it has played it (or when it is reset), which frees the block for the next frames.
//
// The device is a small interface: the Windows wave-out device in formats/win/, a device that
// cannot be opened on other hosts, and fakes in the tests.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "data/ChannelList.h"

struct KstWaveFormat {
    uint16_t channels = 1;
    uint32_t sampleRate = 0;
};

class IKSTWaveOutDevice {
public:
    virtual ~IKSTWaveOutDevice() = default;
    // Opens the default device for 16-bit PCM in the format. blockDone is called, from any
    // thread, once for every block written, when it has been played or returned by Reset.
    // 0 or KST_ERR_SOUND_DEVICE.
    virtual int Open(const KstWaveFormat& format, std::function<void()> blockDone) = 0;
    // Queues block `index` (0 .. 9) of the ring; the bytes stay valid until it is done.
    virtual int Write(int index, const uint8_t* data, uint32_t size) = 0;
    virtual void Pause() = 0;
    virtual void Restart() = 0;
    // Stops playing and gives every queued block back.
    virtual void Reset() = 0;
    virtual void Close() = 0;
};

// The platform's sound device.
std::unique_ptr<IKSTWaveOutDevice> KstCreateWaveOutDevice();

class CKSTWaveOutPlayer {
public:
    enum State : int { kCreated = 0, kOpen = 1, kPlaying = 2, kPaused = 4 };
    static constexpr int kBlockCount = 10;
    static constexpr uint32_t kBlockSize = 8192;
    // Seconds on a steady clock.
    using Clock = double (*)();

    explicit CKSTWaveOutPlayer(std::unique_ptr<IKSTWaveOutDevice> device = KstCreateWaveOutDevice(),
                               Clock clock = nullptr);
    ~CKSTWaveOutPlayer();
    CKSTWaveOutPlayer(const CKSTWaveOutPlayer&) = delete;
    CKSTWaveOutPlayer& operator=(const CKSTWaveOutPlayer&) = delete;

    // Plays a converted copy of the first channels, so the caller's list may change or go.
    // KST_ERR_SOUND_UNSUITABLE (nothing opened), KST_ERR_SOUND_DEVICE; a device opened before is
    // stopped and closed first.
    int Open(const CKSTChannelList& channels);
    // KST_ERR_NO_SOUND_DEVICE; 0 when already playing; resumes when paused; else starts the
    // feeding thread (KST_ERR_SOUND_DEVICE without memory for the blocks, KST_ERR_THREAD_START).
    int Play();
    int PauseResume();
    // Returns once the feeding thread has ended; every queued block comes back first.
    int Stop();
    // Stops and forgets the copy being played.
    void FreeChannels();
    // Seconds played since the playback started, pauses left out; KST_ERR_NO_SOUND_DEVICE as a
    // double without a device.
    double GetPosition() const;
    bool IsPlaying() const { return m_state.load() == kPlaying; }
    int GetState() const { return m_state.load(); }

private:
    void FeedThread();
    // Hands a filled block to the device once a block is free; false when stopped.
    bool QueueBlock(uint32_t size);
    void BlockDone();
    void CloseDevice();
    void JoinThread();

    std::unique_ptr<IKSTWaveOutDevice> m_device;
    Clock m_clock;
    bool m_deviceOpen = false;
    std::atomic<int> m_state{kCreated};
    std::unique_ptr<CKSTChannelList> m_channels;
    std::unique_ptr<uint8_t[]> m_ring;
    int m_blockIndex = 0;
    std::thread m_thread;

    // The free-block count is shared with the device's callback thread.
    std::mutex m_lock;
    std::condition_variable m_changed;
    int m_freeBlocks = kBlockCount;
    std::atomic<bool> m_stop{false};
    // Held while the stop flag is tested and a block written, so that no block reaches the
    // device after Stop has reset it.
    std::mutex m_gate;

    std::atomic<uint32_t> m_sampleIndex{0};
    double m_startTime = 0.0;
    double m_pausedTime = 0.0;
    double m_pauseStart = 0.0;
    bool m_started = false;
};
