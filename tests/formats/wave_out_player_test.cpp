#include "formats/WaveOutPlayer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "formats/WavFile.h"
#include "foundation/ErrorCodes.h"

namespace {

// What the fake device saw; shared with the test after the player took the device.
struct DeviceLog {
    std::mutex lock;
    KstWaveFormat format;
    std::vector<std::vector<int16_t>> blocks;
    std::vector<int> pending;  // indexes into blocks not yet given back
    bool autoComplete = true;
    bool paused = false;
    bool reset = false;
    int writesAfterReset = 0;
    int openResult = KST_OK;
    std::function<void()> done;

    size_t BlockCount()
    {
        std::lock_guard<std::mutex> guard(lock);
        return blocks.size();
    }
    std::vector<int16_t> Samples()
    {
        std::lock_guard<std::mutex> guard(lock);
        std::vector<int16_t> all;
        for (const auto& b : blocks) {
            all.insert(all.end(), b.begin(), b.end());
        }
        return all;
    }
};

// Plays instantly when auto-completing, else holds the blocks until restarted or reset.
class FakeDevice : public IKSTWaveOutDevice {
public:
    explicit FakeDevice(std::shared_ptr<DeviceLog> log) : m_log(std::move(log)) {}

    int Open(const KstWaveFormat& format, std::function<void()> blockDone) override
    {
        std::lock_guard<std::mutex> guard(m_log->lock);
        m_log->format = format;
        m_log->done = std::move(blockDone);
        return m_log->openResult;
    }
    int Write(int, const uint8_t* data, uint32_t size) override
    {
        bool complete;
        {
            std::lock_guard<std::mutex> guard(m_log->lock);
            if (m_log->reset) {
                ++m_log->writesAfterReset;
            }
            std::vector<int16_t> samples(size / 2);
            std::memcpy(samples.data(), data, size);
            m_log->blocks.push_back(std::move(samples));
            complete = m_log->autoComplete && !m_log->paused;
            if (!complete) {
                m_log->pending.push_back(static_cast<int>(m_log->blocks.size()) - 1);
            }
        }
        if (complete) {
            m_log->done();
        }
        return KST_OK;
    }
    void Pause() override
    {
        std::lock_guard<std::mutex> guard(m_log->lock);
        m_log->paused = true;
    }
    void Restart() override
    {
        {
            std::lock_guard<std::mutex> guard(m_log->lock);
            m_log->paused = false;
            if (!m_log->autoComplete) {
                return;
            }
        }
        GiveBack();
    }
    void Reset() override
    {
        {
            std::lock_guard<std::mutex> guard(m_log->lock);
            m_log->reset = true;
        }
        GiveBack();
    }
    void Close() override {}

private:
    void GiveBack()
    {
        size_t n;
        {
            std::lock_guard<std::mutex> guard(m_log->lock);
            n = m_log->pending.size();
            m_log->pending.clear();
        }
        for (size_t i = 0; i < n; ++i) {
            m_log->done();
        }
    }

    std::shared_ptr<DeviceLog> m_log;
};

double g_now = 0.0;
double FakeClock()
{
    return g_now;
}

// Waits for the feeding thread's work without timing it: polls until the condition holds.
template <typename F>
bool WaitFor(F condition)
{
    for (int i = 0; i < 20000; ++i) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

CKSTChannel& AddChannel(CKSTChannelList& list, uint32_t n, double dt, double amplitude = 9000)
{
    CKSTChannel& channel = *list.GetAt(list.AddNew());
    channel.SetDt(dt);
    for (uint32_t k = 0; k < n; ++k) {
        channel.AppendValue(std::round(amplitude * std::sin(k * 0.01)) + (k % 2 ? 0.0 : 1.0),
                            false);
    }
    channel.SetValueAt(0, -amplitude);
    channel.SetValueAt(1, amplitude);
    return channel;
}

struct PlayerFixture {
    std::shared_ptr<DeviceLog> log = std::make_shared<DeviceLog>();
    CKSTWaveOutPlayer player{std::make_unique<FakeDevice>(log), FakeClock};
};

TEST(WaveOutPlayerTest, PlaysWholeBlocksAndTheFinalPartialBlock)
{
    PlayerFixture f;
    CKSTChannelList list;
    AddChannel(list, 10000, 1.0 / 8000);
    ASSERT_EQ(f.player.Open(list), KST_OK);
    EXPECT_EQ(f.log->format.channels, 1);
    EXPECT_EQ(f.log->format.sampleRate, 8000u);
    ASSERT_EQ(f.player.Play(), KST_OK);
    ASSERT_TRUE(WaitFor([&] { return !f.player.IsPlaying(); }));
    EXPECT_EQ(f.player.GetState(), CKSTWaveOutPlayer::kOpen);
    std::vector<size_t> sizes;
    for (const auto& block : f.log->blocks) {
        sizes.push_back(block.size() * 2);
    }
    EXPECT_EQ(sizes, (std::vector<size_t>{8192, 8192, 3616}));
    const std::vector<int16_t> samples = f.log->Samples();
    ASSERT_EQ(samples.size(), 10000u);
    for (uint32_t k = 0; k < 10000; ++k) {
        ASSERT_EQ(samples[k], CKSTWavFile::ToSample(list.GetAt(0)->GetValue(k))) << k;
    }
    // Played again from the start.
    ASSERT_EQ(f.player.Play(), KST_OK);
    ASSERT_TRUE(WaitFor([&] { return !f.player.IsPlaying(); }));
    EXPECT_EQ(f.log->Samples().size(), 20000u);
}

TEST(WaveOutPlayerTest, ShortSecondChannelRepeatsItsLastValue)
{
    PlayerFixture f;
    CKSTChannelList list;
    AddChannel(list, 3000, 1e-4);
    AddChannel(list, 1000, 1e-4);
    ASSERT_EQ(f.player.Open(list), KST_OK);
    EXPECT_EQ(f.log->format.channels, 2);
    EXPECT_EQ(f.log->format.sampleRate, 10000u);
    ASSERT_EQ(f.player.Play(), KST_OK);
    ASSERT_TRUE(WaitFor([&] { return !f.player.IsPlaying(); }));
    const std::vector<int16_t> samples = f.log->Samples();
    ASSERT_EQ(samples.size(), 6000u);
    const int16_t last = CKSTWavFile::ToSample(list.GetAt(1)->GetLastValue());
    for (uint32_t k = 0; k < 3000; ++k) {
        ASSERT_EQ(samples[2 * k], CKSTWavFile::ToSample(list.GetAt(0)->GetValue(k)));
        ASSERT_EQ(samples[2 * k + 1],
                  k < 1000 ? CKSTWavFile::ToSample(list.GetAt(1)->GetValue(k)) : last);
    }
}

TEST(WaveOutPlayerTest, StopWhileEveryBlockIsQueued)
{
    PlayerFixture f;
    f.log->autoComplete = false;
    CKSTChannelList list;
    AddChannel(list, 200000, 1e-4);
    ASSERT_EQ(f.player.Open(list), KST_OK);
    ASSERT_EQ(f.player.Play(), KST_OK);
    // The ring is full and the feeding thread waits for a block to come back.
    ASSERT_TRUE(WaitFor([&] { return f.log->BlockCount() == 10; }));
    EXPECT_TRUE(f.player.IsPlaying());
    EXPECT_EQ(f.player.Stop(), KST_OK);
    EXPECT_EQ(f.player.GetState(), CKSTWaveOutPlayer::kOpen);
    EXPECT_EQ(f.log->writesAfterReset, 0);
    EXPECT_EQ(f.log->BlockCount(), 10u);
}

TEST(WaveOutPlayerTest, PauseAndResumeLeavePausesOutOfThePosition)
{
    PlayerFixture f;
    f.log->autoComplete = false;
    CKSTChannelList list;
    AddChannel(list, 200000, 1e-4);
    ASSERT_EQ(f.player.Open(list), KST_OK);
    EXPECT_EQ(f.player.GetPosition(), 0.0);
    g_now = 100.0;
    ASSERT_EQ(f.player.Play(), KST_OK);
    g_now = 102.0;
    EXPECT_DOUBLE_EQ(f.player.GetPosition(), 2.0);
    ASSERT_EQ(f.player.PauseResume(), KST_OK);
    EXPECT_EQ(f.player.GetState(), CKSTWaveOutPlayer::kPaused);
    EXPECT_TRUE(f.log->paused);
    g_now = 105.0;
    EXPECT_DOUBLE_EQ(f.player.GetPosition(), 2.0);
    // Play while paused resumes without starting over.
    ASSERT_EQ(f.player.Play(), KST_OK);
    EXPECT_EQ(f.player.GetState(), CKSTWaveOutPlayer::kPlaying);
    EXPECT_FALSE(f.log->paused);
    g_now = 106.0;
    EXPECT_DOUBLE_EQ(f.player.GetPosition(), 3.0);
    // Play while playing does nothing.
    ASSERT_EQ(f.player.Play(), KST_OK);
    EXPECT_DOUBLE_EQ(f.player.GetPosition(), 3.0);
    // Stop while paused.
    ASSERT_EQ(f.player.PauseResume(), KST_OK);
    EXPECT_EQ(f.player.Stop(), KST_OK);
    EXPECT_EQ(f.player.GetState(), CKSTWaveOutPlayer::kOpen);
    EXPECT_FALSE(f.log->paused);
}

TEST(WaveOutPlayerTest, ErrorsAndConversion)
{
    PlayerFixture f;
    EXPECT_EQ(f.player.Play(), KST_ERR_NO_SOUND_DEVICE);
    EXPECT_EQ(f.player.PauseResume(), KST_ERR_NO_SOUND_DEVICE);
    EXPECT_EQ(f.player.Stop(), KST_ERR_NO_SOUND_DEVICE);
    EXPECT_EQ(f.player.GetPosition(), static_cast<double>(KST_ERR_NO_SOUND_DEVICE));

    CKSTChannelList slow;
    AddChannel(slow, 100, 0.02);
    EXPECT_EQ(f.player.Open(slow), KST_ERR_SOUND_UNSUITABLE);
    EXPECT_EQ(f.player.GetState(), CKSTWaveOutPlayer::kCreated);

    f.log->openResult = KST_ERR_SOUND_DEVICE;
    CKSTChannelList good;
    AddChannel(good, 100, 1e-3);
    EXPECT_EQ(f.player.Open(good), KST_ERR_SOUND_DEVICE);
    EXPECT_EQ(f.player.Play(), KST_ERR_NO_SOUND_DEVICE);
    f.log->openResult = KST_OK;

    // Quiet values are played from a converted copy, scaled to about 30000.
    {
        CKSTChannelList quiet;
        AddChannel(quiet, 1000, 1e-3, 1.0);
        ASSERT_EQ(f.player.Open(quiet), KST_OK);
    }  // the caller's list is gone before playing
    ASSERT_EQ(f.player.Play(), KST_OK);
    ASSERT_TRUE(WaitFor([&] { return !f.player.IsPlaying(); }));
    const std::vector<int16_t> samples = f.log->Samples();
    ASSERT_EQ(samples.size(), 1000u);
    int16_t peak = 0;
    for (int16_t s : samples) {
        peak = std::max<int16_t>(peak, static_cast<int16_t>(std::abs(s)));
    }
    EXPECT_GE(peak, 20000);
    EXPECT_LE(peak, 30000);

    // Opening again takes the new channels.
    CKSTChannelList next;
    AddChannel(next, 500, 1e-3);
    AddChannel(next, 500, 1e-3);
    ASSERT_EQ(f.player.Open(next), KST_OK);
    EXPECT_EQ(f.log->format.channels, 2);
    ASSERT_EQ(f.player.Play(), KST_OK);
    ASSERT_TRUE(WaitFor([&] { return !f.player.IsPlaying(); }));
    EXPECT_EQ(f.log->Samples().size(), 1000u + 1000u);
}

}  // namespace
