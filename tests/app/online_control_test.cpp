// The online connection's tick logic with scripted clients, a recording host and an injected
// clock: recording appends, hold, memory trim, trigger cut, reconnect and aligned buffers.
#include "app/OnlineControl.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "data/Channel.h"
#include "data/DataSet.h"
#include "data/DocFile.h"
#include "foundation/ErrorCodes.h"
#include "support/ChannelBuilders.h"
#include "support/TempFolder.h"

namespace kst_test {
namespace {

const CKSTTimeStamp kStart(2026, 3, 14, 12, 0, 0.0);
CKSTTimeStamp g_now = kStart;

CKSTTimeStamp TestClock()
{
    return g_now;
}

// A client whose channels receive what the test queues; its flags are plain fields.
class ScriptedSource : public IKSTOnlineSource {
public:
    ScriptedSource(int channels, const CKSTTimeStamp& start, double dt = 0.1)
    {
        for (int i = 0; i < channels; ++i) {
            CKSTChannel channel;
            channel.SetName(("Kanal " + std::to_string(i)).c_str());
            channel.SetDt(dt);
            channel.SetStartTimeStamp(start);
            m_pending.push_back(channel);
        }
    }

    // Queues `count` samples on every channel, continuing the running value.
    void Deliver(uint32_t count)
    {
        for (CKSTChannel& channel : m_pending) {
            for (uint32_t i = 0; i < count; ++i) {
                channel.AppendValue(m_next + i, false);
            }
        }
        m_next += count;
    }

    bool IsOpen() override { return open; }
    int GetLastError() override { return lastError; }
    bool IsBlockReady() override { return blockReady; }
    void SetPause(bool on) override { pause = on; }
    int GetChannelCount() override { return static_cast<int>(m_pending.size()); }
    int GetChannelInfo(int index, CKSTChannel& channel) override
    {
        channel.CopyFrom(m_pending[static_cast<size_t>(index)]);
        channel.FreeData(true, false);
        return KST_OK;
    }
    int GetChannelData(int index, CKSTChannel& target, CKSTChannel* recording) override
    {
        CKSTChannel& pending = m_pending[static_cast<size_t>(index)];
        // Like a device client, the first samples come with the client's own time origin.
        for (CKSTChannel* channel : {&target, recording}) {
            if (channel && channel->GetCount() == 0) {
                channel->CopyFrom(pending);
            }
            if (channel) {
                channel->AppendDirect(pending);
            }
        }
        pending.FreeData(true, false);
        return KST_OK;
    }
    void RequestNext() override
    {
        blockReady = false;
        ++requests;
    }
    double GetThroughput() override { return 12.5; }

    bool open = true;
    int lastError = KST_OK;
    bool blockReady = true;
    bool pause = false;
    int requests = 0;

private:
    std::vector<CKSTChannel> m_pending;
    double m_next = 0.0;
};

// The view's side: owns the document's data set, opens scripted clients and records what the
// connection asked of the screen.
class RecordingHost : public IKSTOnlineHost {
public:
    // The clients the next connection opens: channel count and start of each.
    struct Plan {
        int channels;
        double delaySeconds;
    };
    std::vector<Plan> plans{{3, 0.0}};
    std::deque<int> openResults;  // results of the next connections; 0 when empty
    std::vector<ScriptedSource*> sources;

    CKSTDataSet data;
    bool viewingOlderData = false;
    std::deque<int> answers;  // to the questions, in order; no when empty
    struct Shown {
        int code;
        bool question;
    };
    std::vector<Shown> shown;
    int newDocuments = 0;
    int timersSet = 0;
    int timersKilled = 0;
    bool timerArmed = false;
    uint32_t period = 0;
    int refreshes = 0;
    bool displayFollows = false;
    bool liveModified = false;
    std::vector<std::string> opened;

    CKSTDataSet* GetOnlineData() override { return &data; }
    void NewDocument() override
    {
        ++newDocuments;
        data.Clear(false);
    }
    int OpenSources(int32_t&, const CKSTOnlineArgs&, bool,
                    std::vector<std::unique_ptr<IKSTOnlineSource>>& made) override
    {
        const int result = openResults.empty() ? KST_OK : openResults.front();
        if (!openResults.empty()) {
            openResults.pop_front();
        }
        sources.clear();
        if (result != KST_OK) {
            return result;
        }
        for (const Plan& plan : plans) {
            auto source = std::make_unique<ScriptedSource>(plan.channels, kStart + plan.delaySeconds);
            sources.push_back(source.get());
            made.push_back(std::move(source));
        }
        return KST_OK;
    }
    void ArmOnlineTimer(uint32_t ms) override
    {
        ++timersSet;
        timerArmed = true;
        period = ms;
    }
    void KillOnlineTimer() override
    {
        ++timersKilled;
        timerArmed = false;
    }
    bool IsViewingOlderData() override { return viewingOlderData; }
    void ShowOnlineData(CKSTDataSet&) override { displayFollows = true; }
    void EndOnlineDisplay() override { displayFollows = false; }
    void RefreshDisplays() override { ++refreshes; }
    void RefreshStatus() override {}
    int ShowError(int code, bool question) override
    {
        shown.push_back({code, question});
        if (!question || answers.empty()) {
            return 0;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void SetLiveDataModified(bool modified) override { liveModified = modified; }
    bool IsLiveDataModified() override { return liveModified; }
    void OpenRecording(const CKSTString& path, bool) override { opened.push_back(path.c_str()); }

    void DeliverToAll(uint32_t count)
    {
        for (ScriptedSource* source : sources) {
            source->Deliver(count);
        }
    }
};

class OnlineControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_now = kStart;
        CKSTOnlineControl::s_clock = &TestClock;
    }
    void TearDown() override { CKSTOnlineControl::s_clock = m_clock; }

    // A fresh view side and connection, as after a start of the program.
    void Restart()
    {
        m_rig = std::make_unique<Rig>();
    }

    // A live stream of the node kind, or of the controller kind over every buffer.
    int Connect(const CKSTString& recording = CKSTString(), double memoryLimit = 0.0,
                int kind = KST_SOURCE_NODE, int bufferIndex = 0, bool triggered = false)
    {
        return Online().ConnectSource("127.0.0.1", 6000, triggered, 0.2, kind, 0, 0, bufferIndex,
                                      0, recording, 0.0, memoryLimit, false, false, false);
    }

    // After a stop whose last append failed: the user is told, nothing pretends to be the
    // recording, and the ten samples of the last tick wait in memory.
    void ExpectIncompleteRecordingKept()
    {
        EXPECT_TRUE(Host().opened.empty()) << "the incomplete recording is not shown as the stream";
        ASSERT_EQ(Host().shown.size(), 1u);
        EXPECT_EQ(Host().shown[0].code, KST_ONL_RECORDING_INCOMPLETE);
        EXPECT_TRUE(Host().liveModified) << "the live data are unsaved";
        EXPECT_EQ(Online().GetRecordingChannels().GetAt(0)->GetCount(), 10u)
            << "the samples the file lacks are kept";
    }

    CKSTChannel& Channel(int i) { return *Host().data.GetChannels().GetAt(i); }
    RecordingHost& Host() { return m_rig->host; }
    CKSTOnlineControl& Online() { return m_rig->online; }

    struct Rig {
        RecordingHost host;
        CKSTOnlineControl online{host};
    };
    std::unique_ptr<Rig> m_rig = std::make_unique<Rig>();
    TempFolder m_folder;

private:
    CKSTOnlineControl::Clock m_clock = CKSTOnlineControl::s_clock;
};

uint64_t FileSize(const CKSTString& path)
{
    CKSTDataFile file;
    if (file.Open(path, KST_OPEN_READ) != KST_OK) {
        return 0;
    }
    return file.GetSize();
}

TEST_F(OnlineControlTest, ConnectingBuildsTheChannelsAndArmsTheTimer)
{
    ASSERT_EQ(Connect(), KST_OK);
    EXPECT_EQ(Host().newDocuments, 1);
    EXPECT_TRUE(Online().m_bOnline);
    EXPECT_EQ(Online().m_nSourceKind, KST_SOURCE_NODE);
    ASSERT_EQ(Host().data.GetChannels().GetCount(), 3);
    EXPECT_EQ(Channel(2).GetName(), "Kanal 2");
    EXPECT_EQ(Channel(0).GetCount(), 0u);
    EXPECT_TRUE(Host().displayFollows);
    EXPECT_TRUE(Host().liveModified) << "live data without a recording file are unsaved";
    EXPECT_TRUE(Host().timerArmed);
    EXPECT_EQ(Host().period, 500u);

    // Refused connections leave the view offline, the timer off and the arguments stored.
    for (int refusal : {int{KST_ERR_TIMEOUT}, int{KST_ONL_NO_BUFFER}}) {
        Online().StopLiveStream();
        Host().timerArmed = false;
        Host().openResults = {refusal};
        EXPECT_EQ(Connect(), refusal);
        EXPECT_FALSE(Online().m_bOnline);
        EXPECT_FALSE(Host().timerArmed);
        EXPECT_EQ(Online().GetSourceCount(), 0);
        EXPECT_EQ(Online().GetOnlineArgs().address, "127.0.0.1");
    }
}

TEST_F(OnlineControlTest, ARecordingThatCannotBeCreatedIsToldAndTheStreamGoesOnUnsaved)
{
    const CKSTString path = m_folder.Path("missing/folder/rec.qld");
    ASSERT_EQ(Connect(path), KST_OK);
    ASSERT_EQ(Host().shown.size(), 1u);
    EXPECT_EQ(Host().shown[0].code, KST_ONL_RECORDING_NOT_CREATED);
    EXPECT_FALSE(Host().shown[0].question);
    EXPECT_TRUE(Online().m_bOnline);
    EXPECT_TRUE(Host().timerArmed);
    EXPECT_EQ(Online().GetSourceCount(), 1);
    EXPECT_TRUE(Online().m_strRecordingFile.IsEmpty());
    EXPECT_TRUE(Host().liveModified) << "nothing keeps the streamed data but a save";

    // The stream goes on; its stop has no recording to open.
    Host().DeliverToAll(4);
    Online().OnOnlineTimer();
    EXPECT_EQ(Channel(0).GetCount(), 4u);
    EXPECT_EQ(Host().shown.size(), 1u);
    Online().StopLiveStream();
    EXPECT_TRUE(Host().opened.empty());
    EXPECT_FALSE(FileExists(path));
}

TEST_F(OnlineControlTest, TicksCopyEverySampleOnceAndReArmTheTimer)
{
    ASSERT_EQ(Connect(), KST_OK);
    for (int tick = 0; tick < 5; ++tick) {
        Host().DeliverToAll(7);
        Online().OnOnlineTimer();
        EXPECT_TRUE(Host().timerArmed);
    }
    EXPECT_EQ(Host().timersKilled, 5);
    EXPECT_EQ(Host().refreshes, 5);
    EXPECT_DOUBLE_EQ(Online().m_dRate, 12.5);
    for (int i = 0; i < 3; ++i) {
        std::vector<double> expected;
        for (int v = 0; v < 35; ++v) {
            expected.push_back(v);
        }
        EXPECT_EQ(Values(Channel(i)), expected);
    }
}

TEST_F(OnlineControlTest, RecordingAppendsOnTheFirstTickThenOnlyAfterMoreThanSixtySeconds)
{
    const CKSTString path = m_folder.Path("rec.qld");
    ASSERT_EQ(Connect(path), KST_OK);
    EXPECT_FALSE(Host().liveModified) << "the recording keeps the data";
    const uint64_t created = FileSize(path);
    ASSERT_GT(created, 0u);

    const struct {
        double secondsAfterStart;
        bool appends;
    } ticks[] = {
        {0.0, true},    // the first tick of a recording
        {30.0, false},  //
        {60.0, false},  // exactly 60.0 s after the last append
        {60.5, true},   //
        {120.5, false},
        {121.0, true},
    };
    uint64_t size = created;
    for (const auto& tick : ticks) {
        SCOPED_TRACE(tick.secondsAfterStart);
        g_now = kStart + tick.secondsAfterStart;
        Host().DeliverToAll(10);
        Online().OnOnlineTimer();
        const uint64_t now = FileSize(path);
        EXPECT_EQ(now > size, tick.appends);
        EXPECT_EQ(Online().GetRecordingChannels().GetAt(0)->GetCount() == 0, tick.appends);
        size = now;
    }

    // The stop appends the rest; the file holds every sample exactly once.
    Host().DeliverToAll(10);
    Online().OnOnlineTimer();
    Online().StopLiveStream();
    EXPECT_GT(FileSize(path), size);
    EXPECT_EQ(Host().opened, std::vector<std::string>{path.c_str()});
    CKSTDocFile file;
    ASSERT_EQ(file.OpenRead(path), KST_OK);
    CKSTDataSet reread;
    // A recording holds no window settings.
    EXPECT_EQ(file.ReadDataSet(reread, nullptr, nullptr), KST_ERR_NO_SETTINGS);
    ASSERT_EQ(reread.GetChannels().GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        const std::vector<double> values = Values(*reread.GetChannels().GetAt(i));
        ASSERT_EQ(values.size(), 70u);
        for (size_t v = 0; v < values.size(); ++v) {
            ASSERT_EQ(values[v], static_cast<double>(v));
        }
    }
}

TEST_F(OnlineControlTest, AStopWhoseLastAppendFailsKeepsTheLiveDataAndSaysSo)
{
    const CKSTString path = m_folder.Path("rec.qld");
    ASSERT_EQ(Connect(path), KST_OK);
    Host().DeliverToAll(10);
    Online().OnOnlineTimer();
    g_now = kStart + 30.0;
    Host().DeliverToAll(10);
    Online().OnOnlineTimer();
    ASSERT_EQ(Online().GetRecordingChannels().GetAt(0)->GetCount(), 10u);

    // The recording can no longer be appended to: a folder stands in its place.
    std::filesystem::remove(m_folder.Native("rec.qld"));
    std::filesystem::create_directory(m_folder.Native("rec.qld"));
    Online().StopLiveStream();
    EXPECT_FALSE(Online().m_bOnline);
    ExpectIncompleteRecordingKept();
    EXPECT_EQ(Values(Channel(0)).size(), 20u);
}

// The stop's append fits the C library's buffer, so its bytes fail only when the file closes.
TEST_F(OnlineControlTest, AStopWhoseLastBytesCannotBeFlushedSaysSoOnAFullDisk)
{
    const char* limit = std::getenv("KST_TEST_FILE_LIMIT");
    if (limit == nullptr) {
        GTEST_SKIP() << "needs a file-size limit: runs under tools/with-file-limit.sh";
    }
    const uint64_t bytes = std::strtoull(limit, nullptr, 10);
    const CKSTString path = m_folder.Path("rec.qld");
    ASSERT_EQ(Connect(path), KST_OK);
    uint64_t size = FileSize(path);
    uint64_t step = 0;
    // Appends of one size until the next would pass the limit.
    for (double seconds = 0.0; size + step <= bytes; seconds += 60.5) {
        ASSERT_LT(seconds, 1e6) << "the recording does not grow";
        g_now = kStart + seconds;
        Host().DeliverToAll(10);
        Online().OnOnlineTimer();
        ASSERT_EQ(Online().GetRecordingChannels().GetAt(0)->GetCount(), 0u);
        step = FileSize(path) - size;
        size += step;
    }
    ASSERT_LT(step, 4096u) << "an append larger than the buffer fails while writing";

    g_now = g_now + 30.0;
    Host().DeliverToAll(10);
    Online().OnOnlineTimer();
    Online().StopLiveStream();
    ExpectIncompleteRecordingKept();
}

TEST_F(OnlineControlTest, HoldWhileViewingOlderDataAboveTheLimitWithItsMessageOncePerChange)
{
    ASSERT_EQ(Connect(), KST_OK);
    Host().DeliverToAll(2000);
    Online().OnOnlineTimer();
    const double used = Host().data.GetChannels().GetMemorySizeMB();
    ASSERT_GT(used, 0.0);

    const struct {
        const char* what;
        bool older;
        double limitFactor;  // the limit as a part of the memory in use
        bool hold;
        bool message;
    } steps[] = {
        {"following the live end", false, 0.5, false, false},
        {"older data, below 1.25 x limit", true, 1.0 / 1.2, false, false},
        {"older data, above 1.25 x limit", true, 1.0 / 1.3, true, true},
        {"still held", true, 1.0 / 1.3, true, false},
        {"back at the live end", false, 1.0 / 1.3, false, false},
        {"held again", true, 1.0 / 1.3, true, true},
        {"no limit", true, 0.0, false, false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        Host().viewingOlderData = step.older;
        // The memory the channels hold changes with every tick; the limit follows it.
        Online().m_dMemoryLimit =
            Host().data.GetChannels().GetMemorySizeMB() * step.limitFactor;
        const uint32_t before = Channel(0).GetCount();
        Host().shown.clear();
        Host().DeliverToAll(1);
        Online().OnOnlineTimer();
        EXPECT_EQ(Online().m_bHold, step.hold);
        EXPECT_EQ(Host().sources[0]->pause, step.hold);
        EXPECT_EQ(Channel(0).GetCount() == before, step.hold) << "held ticks take nothing";
        ASSERT_EQ(Host().shown.size(), step.message ? 1u : 0u);
        if (step.message) {
            EXPECT_EQ(Host().shown[0].code, KST_ONL_MEMORY_LIMIT);
            EXPECT_FALSE(Host().shown[0].question);
        }
        EXPECT_TRUE(Host().timerArmed);
        EXPECT_TRUE(Online().m_bOnline);
    }
}

TEST_F(OnlineControlTest, TrimKeepsTheRecentWindowProportionalToTheLimit)
{
    // Two clients: the second starts 50 s later, so its channels are shorter.
    Host().plans = {{2, 0.0}, {1, 50.0}};
    ASSERT_EQ(Connect(CKSTString(), 0.0, KST_SOURCE_CONTROLLER, 0), KST_OK);
    Host().sources[0]->Deliver(1000);  // 0 .. 99.9 s at dt 0.1
    Host().sources[1]->Deliver(100);   // 50 .. 59.9 s
    Online().OnOnlineTimer();
    const double used = Host().data.GetChannels().GetMemorySizeMB();

    const struct {
        const char* what;
        bool older;
        double limit;
        bool trimmed;
    } cases[] = {
        {"viewing older data, not yet held", true, used / 1.2, false},
        {"within the limit", false, used * 1.01, false},
        {"above the limit", false, used / 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Host().viewingOlderData = c.older;
        Online().m_dMemoryLimit = c.limit;
        const CKSTTimeStamp first = Host().data.GetStartTimeStamp();
        const CKSTTimeStamp last = Host().data.GetEndTimeStamp();
        const double keep = (last - first).GetSeconds() * c.limit /
                            Host().data.GetChannels().GetMemorySizeMB();
        const CKSTTimeStamp lastOfFirst = Channel(0).GetLastSampleTimeStamp();
        const uint32_t shortCount = Channel(2).GetCount();
        Online().OnOnlineTimer();
        if (!c.trimmed) {
            EXPECT_EQ(Channel(0).GetCount(), 1000u);
            continue;
        }
        // The long channels keep the last `keep` seconds, the short one ends earlier than
        // that window's length and stays whole.
        EXPECT_NEAR((Channel(0).GetFirstSampleTimeStamp() - (lastOfFirst - keep)).GetSeconds(), 0.0,
                    0.1);
        EXPECT_EQ(Channel(0).GetLastSampleTimeStamp(), lastOfFirst);
        EXPECT_EQ(Channel(1).GetCount(), Channel(0).GetCount());
        EXPECT_LT(Channel(0).GetCount(), 1000u);
        EXPECT_EQ(Channel(2).GetCount(), shortCount);
        EXPECT_LT(Host().data.GetChannels().GetMemorySizeMB(), used);
    }
}

TEST_F(OnlineControlTest, TriggerCutOfATwoChannelSet)
{
    // Channel 1 triggers at 0.5; channel 0 is twice it, so its half maximum is 1.0.
    const std::vector<double> trigger = {0, 0, 1, 1, 1, 0, 0, 0, 1, 1, 1, 0};
    const struct {
        const char* what;
        std::vector<double> trigger;
        uint32_t triggerChannel;
        bool interpolate;
        int result;
        uint32_t kept;  // samples of channel 1 after the cut
    } cases[] = {
        {"one full period", trigger, 1, false, KST_OK, 6},
        {"interpolated without a third channel", trigger, 1, true, KST_OK, 6},
        {"no crossing", {0, 0, 0, 0, 0, 0}, 1, false, KST_OK, 0},
        {"no second crossing", {0, 0, 1, 1, 1, 1, 1, 1}, 1, false, KST_OK, 0},
        {"a trigger channel beyond the set", trigger, 2, false, KST_ONL_TRIGGER_RANGE, 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CKSTChannelList& channels = Host().data.GetChannels();
        channels.DeleteAll();
        std::vector<double> doubled;
        for (double v : c.trigger) {
            doubled.push_back(2 * v);
        }
        channels.AddCopy(Equidistant(0.0, 0.01, doubled));
        channels.AddCopy(Equidistant(0.0, 0.01, c.trigger));
        Online().m_nTriggerChannel = c.triggerChannel;
        Online().m_dTriggerLevel = 0.5;
        Online().m_bInterpolate = c.interpolate;
        Online().m_nInterpolationFactor = 4;

        EXPECT_EQ(Online().ApplyTrigger(), c.result);
        EXPECT_EQ(Channel(1).GetCount(), c.kept);
        if (c.kept == 6) {
            EXPECT_EQ(Values(Channel(1)), (std::vector<double>{1, 1, 1, 0, 0, 0}));
        }
        if (c.interpolate) {
            EXPECT_NEAR(Channel(0).GetSampleInterval(), 0.0025, 1e-12);
            EXPECT_GT(Channel(0).GetCount(), 6u);
        } else {
            EXPECT_EQ(Channel(0).GetCount(), c.kept);
        }
    }
}

TEST_F(OnlineControlTest, TriggeredTicksShowOnlyAFullBlock)
{
    Host().plans = {{2, 0.0}};
    ASSERT_EQ(Connect(CKSTString(), 0.0, KST_SOURCE_NODE, 0, true), KST_OK);
    Online().m_nTriggerChannel = 1;
    Online().m_dTriggerLevel = 0.5;
    // Without a ready block the tick takes nothing and shows empty channels.
    Host().sources[0]->blockReady = false;
    Host().sources[0]->Deliver(12);
    Online().OnOnlineTimer();
    EXPECT_EQ(Channel(0).GetCount(), 0u);
    EXPECT_EQ(Host().sources[0]->requests, 0);
    EXPECT_TRUE(Host().timerArmed);
    // A ready block of a rising ramp crosses 0.5 once: no full period, nothing shown.
    Host().sources[0]->blockReady = true;
    Online().OnOnlineTimer();
    EXPECT_EQ(Channel(0).GetCount(), 0u);
    EXPECT_EQ(Host().sources[0]->requests, 1);
    EXPECT_TRUE(Host().shown.empty());
}

TEST_F(OnlineControlTest, ReconnectQuestionForEachAnswer)
{
    const CKSTString path = m_folder.Path("rec.qld");
    const struct {
        const char* what;
        int error;
        std::deque<int> answers;
        std::deque<int> reconnects;  // results of the reconnects' connections
        bool online;
        int questions;
        bool plainMessage;  // a final message without question
    } cases[] = {
        {"no", KST_ONL_DATA_LOST, {0}, {}, false, 1, false},
        {"yes", KST_ERR_TIMEOUT, {kKstOnlineAnswerYes}, {KST_OK}, true, 1, false},
        {"yes, time-out again, no", KST_ONL_DATA_LOST, {kKstOnlineAnswerYes, 0},
         {KST_ERR_TIMEOUT}, false, 2, false},
        {"yes, time-out again, yes", KST_ERR_TIMEOUT, {kKstOnlineAnswerYes, kKstOnlineAnswerYes},
         {KST_ERR_TIMEOUT, KST_OK}, true, 2, false},
        {"yes, another error", KST_ERR_TIMEOUT, {kKstOnlineAnswerYes}, {KST_ERR_HOST_UNKNOWN},
         false, 1, true},
        {"no question for other errors", KST_ERR_PEER_CLOSED, {}, {}, false, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Restart();
        std::filesystem::remove(m_folder.Native("rec.qld"));
        ASSERT_EQ(Connect(path), KST_OK);
        Host().DeliverToAll(5);
        Online().OnOnlineTimer();
        Host().DeliverToAll(5);  // taken by the reconnected client or appended at the stop
        Host().sources[0]->lastError = c.error;
        Host().answers = c.answers;
        Host().openResults = c.reconnects;

        Online().OnOnlineTimer();
        EXPECT_EQ(Online().m_bOnline, c.online);
        EXPECT_EQ(Host().timerArmed, c.online);
        int questions = 0;
        for (const RecordingHost::Shown& shown : Host().shown) {
            questions += shown.question;
        }
        EXPECT_EQ(questions, c.questions);
        EXPECT_EQ(!Host().shown.empty() && !Host().shown.back().question, c.plainMessage);
        EXPECT_EQ(Host().newDocuments, 1) << "a reconnect keeps the document";
        ASSERT_EQ(Host().data.GetChannels().GetCount(), 3);
        if (c.online) {
            EXPECT_EQ(Online().m_nSourceKind, KST_SOURCE_NODE);
            EXPECT_TRUE(Host().opened.empty());
            Online().StopLiveStream();
        } else {
            EXPECT_EQ(Online().m_nSourceKind, KST_SOURCE_NONE);
            EXPECT_EQ(Host().opened.size(), 1u) << "the recording becomes the document";
            EXPECT_FALSE(Host().displayFollows);
        }
    }
}

TEST_F(OnlineControlTest, ControllerBuffersReadTogetherShareTheEarliestStart)
{
    const CKSTString path = m_folder.Path("rec.qld");
    Host().plans = {{1, 2.0}, {2, 0.0}, {1, 5.5}};
    ASSERT_EQ(Connect(path, 0.0, KST_SOURCE_CONTROLLER, -1), KST_OK);
    ASSERT_EQ(Host().data.GetChannels().GetCount(), 4);
    const double delays[] = {2.0, 0.0, 0.0, 5.5};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Channel(i).GetStartTimeStamp(), kStart);
        EXPECT_DOUBLE_EQ(Channel(i).GetT0(), delays[i]);
        const CKSTChannel& recording = *Online().GetRecordingChannels().GetAt(i);
        EXPECT_EQ(recording.GetStartTimeStamp(), i == 1 || i == 2 ? CKSTTimeStamp() : kStart);
        EXPECT_DOUBLE_EQ(recording.GetT0(), delays[i]);
    }
    // The first samples keep the aligned origin.
    Host().DeliverToAll(3);
    Online().OnOnlineTimer();
    for (int i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(Channel(i).GetT0(), delays[i]);
        EXPECT_EQ(Channel(i).GetCount(), 3u);
    }
    // A single buffer is not aligned.
    Online().StopLiveStream();
    ASSERT_EQ(Connect(CKSTString(), 0.0, KST_SOURCE_CONTROLLER, 2), KST_OK);
    EXPECT_EQ(Channel(0).GetStartTimeStamp(), kStart + 2.0);
    EXPECT_DOUBLE_EQ(Channel(0).GetT0(), 0.0);
}

TEST_F(OnlineControlTest, AReadOutOfAControllerStopsAfterItsFirstGoodTick)
{
    const CKSTString path = m_folder.Path("readout.qld");
    for (int kind : {KST_SOURCE_CONTROLLER_BUFDES, KST_SOURCE_CONTROLLER, KST_SOURCE_CONTROLLER_2,
                     KST_SOURCE_NODE}) {
        SCOPED_TRACE(kind);
        Restart();
        ASSERT_EQ(Online().ConnectSource("127.0.0.1", 0, false, 0.2, kind, 1, 1, 0, 1, path, 0.0,
                                         0.0, false, false, false),
                  KST_OK);
        Host().DeliverToAll(4);
        Online().OnOnlineTimer();
        const bool controller = kind != KST_SOURCE_NODE;
        EXPECT_EQ(Online().m_bOnline, !controller);
        EXPECT_EQ(Host().opened.size(), controller ? 1u : 0u);
        Online().StopLiveStream();
    }
}

}  // namespace
}  // namespace kst_test
