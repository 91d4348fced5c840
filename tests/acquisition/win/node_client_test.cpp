// The node client against the node simulator on loopback (ports chosen by the system), and the
// demonstration node on an injected clock. Nothing here sends a packet beyond 127.0.0.1.
#include "acquisition/win/NodeClient.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "acquisition/DemoNode.h"
#include "acquisition/NodeProtocol.h"
#include "acquisition/win/NodeSimProcess.h"
#include "foundation/ErrorCodes.h"

namespace {

constexpr char kLoopback[] = "127.0.0.1";
// Bound for anything that should happen soon; only reached when a test fails.
constexpr DWORD kGuardMs = 20000;

// Restores the client's seams after each test.
class NodeClientTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        CKSTNodeClient::s_clock = m_clock;
        CKSTNodeClient::s_selectChannels = m_select;
        CKSTNodeClient::s_discoveryPort = m_port;
        CKSTNodeClient::s_udpQuery = m_query;
    }

    // Starts the simulator, connects and sets up the FIFOs in wait-for-request mode, so that
    // every Tick is exactly one poll.
    void ConnectToSimulator(const std::string& switches, int backTimeMode = 0, double timeout = 5.0)
    {
        ASSERT_TRUE(m_sim.Start(switches));
        ASSERT_EQ(m_client.Connect(kLoopback, m_sim.TcpPort(), timeout), KST_OK);
        ASSERT_EQ(m_client.SetupFifos(0.05, true, backTimeMode, 0, 0.0, false, false), KST_OK);
        m_taken.resize(static_cast<size_t>(m_client.GetChannelCount()));
    }

    // What the connection control does on a tick in wait-for-request mode: once the poll has
    // delivered, take every channel's new samples and ask for the next poll. Returns the poll's
    // error.
    int Tick()
    {
        const ULONGLONG deadline = GetTickCount64() + kGuardMs;
        while (!m_client.IsDataReady()) {
            if (GetTickCount64() > deadline) {
                ADD_FAILURE() << "no poll within the guard time";
                return KST_ERR_TIMEOUT;
            }
            Sleep(1);
        }
        const int error = m_client.GetLastPollError();
        for (size_t i = 0; i < m_taken.size(); ++i) {
            CKSTTimeStamp pollTime;
            EXPECT_EQ(m_client.GetChannelData(static_cast<int>(i), pollTime, m_taken[i], nullptr),
                      KST_OK);
        }
        m_client.RequestRead();
        return error;
    }

    // Every channel holds an unbroken run of the simulator's samples (position k x 1000000 + j
    // for sample j), on one equidistant grid.
    void ExpectContinuous(uint32_t atLeast)
    {
        for (size_t k = 0; k < m_taken.size(); ++k) {
            SCOPED_TRACE("channel " + std::to_string(k));
            const CKSTChannel& channel = m_taken[k];
            ASSERT_GE(channel.GetCount(), atLeast);
            EXPECT_EQ(channel.GetTimeBaseType(), CKSTChannel::kEquidistant);
            EXPECT_NEAR(channel.GetDt(), 0.01, 1e-12);
            const double first = channel.GetValue(0);
            EXPECT_EQ(static_cast<int>(first / 1000000.0), static_cast<int>(k));
            uint32_t wrong = 0;
            for (uint32_t j = 0; j < channel.GetCount(); ++j) {
                wrong += channel.GetValue(j) != first + j || channel.IsMissing(j);
            }
            EXPECT_EQ(wrong, 0u);
        }
    }

    kst_test::NodeSimProcess m_sim;
    CKSTNodeClient m_client;
    std::vector<CKSTChannel> m_taken;

private:
    CKSTNodeClient::Clock m_clock = CKSTNodeClient::s_clock;
    CKSTNodeClient::ChannelSelector m_select = CKSTNodeClient::s_selectChannels;
    int m_port = CKSTNodeClient::s_discoveryPort;
    CKSTNodeClient::UdpQuery m_query = CKSTNodeClient::s_udpQuery;
};

// --- Discovery ---

struct QueryRecord {
    int calls = 0;
    std::string host;
    int port = 0;
    std::string request;
};
QueryRecord g_query;

int RecordQuery(const CKSTString& host, int port, const CKSTString& request, double,
                CKSTString& reply)
{
    ++g_query.calls;
    g_query.host = host.c_str();
    g_query.port = port;
    g_query.request.assign(request.c_str(), static_cast<size_t>(request.GetLength()));
    reply = "QVANE04:6000";
    return KST_OK;
}

TEST_F(NodeClientTest, DiscoveryAsksThePortOfTheHostButNeverTheDemoAddress)
{
    g_query = {};
    CKSTNodeClient::s_udpQuery = &RecordQuery;
    int port = 1;
    EXPECT_FALSE(CKSTNodeClient::QueryDeviceIdent(kst_node::kDemoHost, 1.0, port));
    EXPECT_EQ(g_query.calls, 0);
    EXPECT_EQ(port, 1);

    EXPECT_TRUE(CKSTNodeClient::QueryDeviceIdent(kLoopback, 1.0, port));
    EXPECT_EQ(port, 6000);
    EXPECT_EQ(g_query.calls, 1);
    EXPECT_EQ(g_query.host, kLoopback);
    EXPECT_EQ(g_query.port, 5565);
    EXPECT_EQ(g_query.request, std::string("DeviceIdent?\r"));
}

TEST_F(NodeClientTest, DiscoveryOfTheSimulatorOnLoopback)
{
    ASSERT_TRUE(m_sim.Start(""));
    CKSTNodeClient::s_discoveryPort = m_sim.UdpPort();
    int port = 0;
    ASSERT_TRUE(CKSTNodeClient::QueryDeviceIdent(kLoopback, 5.0, port));
    EXPECT_EQ(port, m_sim.TcpPort());
}

TEST_F(NodeClientTest, DiscoveryRejectsAnotherKindOfDevice)
{
    ASSERT_TRUE(m_sim.Start("--ident-reply \"controller SID:5001\""));
    CKSTNodeClient::s_discoveryPort = m_sim.UdpPort();
    int port = 3;
    EXPECT_FALSE(CKSTNodeClient::QueryDeviceIdent(kLoopback, 5.0, port));
    EXPECT_EQ(port, 3);
}

// --- Connection, channels and samples ---

TEST_F(NodeClientTest, ChannelsAppearAndSamplesStayContinuousOverTwentyPolls)
{
    ConnectToSimulator("--fifos 3 --rate 100");
    EXPECT_EQ(m_client.GetFirmwareVersion(), 240);
    ASSERT_EQ(m_client.GetChannelCount(), 3);
    for (int k = 0; k < 3; ++k) {
        CKSTChannel info;
        ASSERT_EQ(m_client.GetChannelInfo(k, info), KST_OK);
        EXPECT_EQ(std::string(info.GetName().c_str()), "Channel " + std::to_string(k));
        EXPECT_STREQ(info.GetGroup().c_str(), "Node");
        EXPECT_STREQ(info.GetUnit().c_str(), "mV");
        EXPECT_NEAR(info.GetDt(), 0.01, 1e-12);
        EXPECT_EQ(info.GetCount(), 0u);  // the description only; the samples come by tick
    }
    CKSTChannel none;
    EXPECT_EQ(m_client.GetChannelInfo(3, none), KST_ERR_LOCK_NOT_OBTAINED);

    for (int tick = 0; tick <= 20; ++tick) {
        ASSERT_EQ(Tick(), KST_OK) << "tick " << tick;
    }
    // 20 polls at least 50 ms apart at 100 samples per second.
    ExpectContinuous(50);
    EXPECT_GT(m_client.GetThroughput(), 0.0);
    m_client.Disconnect();
    EXPECT_FALSE(m_client.IsConnected());
    EXPECT_EQ(m_client.GetChannelCount(), 0);
}

TEST_F(NodeClientTest, ContinuousPollingWithoutRequests)
{
    ASSERT_TRUE(m_sim.Start("--fifos 2 --rate 200"));
    ASSERT_EQ(m_client.Connect(kLoopback, m_sim.TcpPort(), 5.0), KST_OK);
    ASSERT_EQ(m_client.SetupFifos(0.02, false, 0, 0, 0.0, false, false), KST_OK);
    std::vector<CKSTChannel> taken(2);
    CKSTChannel second;
    const ULONGLONG deadline = GetTickCount64() + kGuardMs;
    while (taken[0].GetCount() < 200 && GetTickCount64() < deadline) {
        Sleep(30);
        CKSTTimeStamp pollTime;
        ASSERT_EQ(m_client.GetChannelData(0, pollTime, taken[0], &second), KST_OK);
        ASSERT_EQ(m_client.GetChannelData(1, pollTime, taken[1], nullptr), KST_OK);
        ASSERT_EQ(m_client.GetLastPollError(), KST_OK);
    }
    ASSERT_GE(taken[0].GetCount(), 200u);
    for (size_t k = 0; k < taken.size(); ++k) {
        const double first = taken[k].GetValue(0);
        for (uint32_t j = 0; j < taken[k].GetCount(); ++j) {
            ASSERT_EQ(taken[k].GetValue(j), first + j) << "channel " << k << " sample " << j;
        }
    }
    // The second target gets the same samples.
    ASSERT_EQ(second.GetCount(), taken[0].GetCount());
    EXPECT_EQ(second.GetValue(second.GetCount() - 1), taken[0].GetValue(second.GetCount() - 1));
}

// Back-time mode 1 reaches the node as the field of its firmware generation: every FIFO then
// starts at its first sample. Old firmware acknowledges each command with an "OK" line.
TEST_F(NodeClientTest, FifoListRequestForEachFirmware)
{
    const struct {
        const char* switches;
        int firmware;
    } cases[] = {
        {"--firmware 240", 240}, {"--firmware 231", 231},
        {"--firmware 230", 230}, {"--firmware 220", 220},
        {"--firmware 210", 210}, {"--firmware 0 --hello \"QVANE04 node\"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.switches);
        kst_test::NodeSimProcess sim;
        ASSERT_TRUE(sim.Start(c.switches));
        CKSTNodeClient client;
        ASSERT_EQ(client.Connect(kLoopback, sim.TcpPort(), 5.0), KST_OK);
        EXPECT_EQ(client.GetFirmwareVersion(), c.firmware);
        ASSERT_EQ(client.SetupFifos(0.05, true, 1, 0, 0.0, false, false), KST_OK);
        ASSERT_EQ(client.GetChannelCount(), 3);
        CKSTChannel first;
        CKSTTimeStamp pollTime;
        ASSERT_EQ(client.GetChannelData(2, pollTime, first, nullptr), KST_OK);
        ASSERT_GE(first.GetCount(), 1u);
        EXPECT_EQ(first.GetValue(0), 2000000.0);
        client.Disconnect();
    }
}

int SelectOnlySecond(CKSTChannelList& channels, int)
{
    for (int i = 0; i < channels.GetCount(); ++i) {
        channels.GetAt(i)->SetSelected(i == 1);
    }
    return IDOK;
}
int SelectNone(CKSTChannelList& channels, int)
{
    for (int i = 0; i < channels.GetCount(); ++i) {
        channels.GetAt(i)->SetSelected(false);
    }
    return IDOK;
}
int Cancel(CKSTChannelList&, int)
{
    return IDCANCEL;
}

TEST_F(NodeClientTest, ChannelSelection)
{
    const struct {
        CKSTNodeClient::ChannelSelector selector;
        int result;
        int channels;
    } cases[] = {
        {nullptr, KST_OK, 3},  // the default selects every channel
        {&SelectOnlySecond, KST_OK, 1},
        {&SelectNone, KST_ERR_NODE_NO_FIFOS, 0},
        {&Cancel, KST_ERR_SELECTION_CANCELLED, 0},
    };
    ASSERT_TRUE(m_sim.Start(""));
    ASSERT_EQ(m_client.Connect(kLoopback, m_sim.TcpPort(), 5.0), KST_OK);
    const CKSTNodeClient::ChannelSelector all = CKSTNodeClient::s_selectChannels;
    for (const auto& c : cases) {
        CKSTNodeClient::s_selectChannels = c.selector ? c.selector : all;
        EXPECT_EQ(m_client.SetupFifos(0.05, false, 0, 0, 0.0, false, true), c.result);
        EXPECT_EQ(m_client.GetChannelCount(), c.channels);
    }
    CKSTNodeClient::s_selectChannels = &SelectOnlySecond;
    ASSERT_EQ(m_client.SetupFifos(0.05, false, 0, 0, 0.0, false, true), KST_OK);
    CKSTChannel info;
    ASSERT_EQ(m_client.GetChannelInfo(0, info), KST_OK);
    EXPECT_STREQ(info.GetName().c_str(), "Channel 1");
}

TEST_F(NodeClientTest, RecordingStatus)
{
    ASSERT_TRUE(m_sim.Start(""));
    ASSERT_EQ(m_client.Connect(kLoopback, m_sim.TcpPort(), 5.0), KST_OK);
    CKSTString status;
    CKSTTimeStamp time, fileTime;
    double progress = -1.0;
    int32_t count = -1;
    ASSERT_EQ(m_client.GetRecordingStatus(0, status, time, fileTime, progress, count, true),
              KST_OK);
    EXPECT_STREQ(status.c_str(), "Recording");
    EXPECT_NEAR((fileTime - time).GetSeconds(), 60.0, 1e-6);
    EXPECT_EQ(progress, 0.0);
    EXPECT_EQ(count, 4);

    // The cache, once enabled by the set-up, answers without asking the node.
    ASSERT_EQ(m_client.SetupFifos(0.05, true, 0, 0, 0.0, true, false), KST_OK);
    CKSTString cached;
    ASSERT_EQ(m_client.GetRecordingStatus(0, cached, time, fileTime, progress, count, false),
              KST_OK);
    EXPECT_STREQ(cached.c_str(), "Recording");
}

TEST_F(NodeClientTest, RecordingStatusWithoutTimeIsRefused)
{
    ASSERT_TRUE(m_sim.Start("--no-status-time"));
    ASSERT_EQ(m_client.Connect(kLoopback, m_sim.TcpPort(), 5.0), KST_OK);
    CKSTString status;
    CKSTTimeStamp time, fileTime;
    double progress = 0.0;
    int32_t count = 0;
    EXPECT_EQ(m_client.GetRecordingStatus(0, status, time, fileTime, progress, count, true),
              KST_ERR_NODE_RECORDING_STATUS);
}

TEST_F(NodeClientTest, StateErrors)
{
    CKSTString status;
    CKSTTimeStamp time, fileTime;
    double progress = 0.0;
    int32_t count = 0;
    EXPECT_EQ(m_client.GetRecordingStatus(0, status, time, fileTime, progress, count, true),
              KST_ERR_NODE_NOT_CONNECTED);
    EXPECT_EQ(m_client.SetupFifos(0.05, false, 0, 0, 0.0, false, false),
              KST_ERR_NODE_NOT_CONNECTED);

    ASSERT_EQ(m_client.Connect(kst_node::kDemoHost, 0, 10.0), KST_OK);
    EXPECT_EQ(m_client.Connect(kst_node::kDemoHost, 0, 10.0), KST_ERR_NODE_ALREADY_CONNECTED);
    CKSTChannel target;
    CKSTTimeStamp pollTime;
    EXPECT_EQ(m_client.GetChannelData(0, pollTime, target, nullptr), KST_OK);
    EXPECT_EQ(target.GetCount(), 0u);
}

TEST_F(NodeClientTest, ConnectToAClosedPortFails)
{
    int port = 0;
    {
        // A port that was just free: nothing listens there any more.
        kst_test::NodeSimProcess sim;
        ASSERT_TRUE(sim.Start(""));
        port = sim.TcpPort();
    }
    EXPECT_LT(m_client.Connect(kLoopback, port, 2.0), 0);
    EXPECT_FALSE(m_client.IsConnected());
}

// --- Misbehaving nodes ---

struct FaultCase {
    const char* fault;
    int error;
    bool recovers;  // the keep-alive brings the connection back
};

const FaultCase kFaults[] = {
    {"garbage", KST_ERR_NOT_CONTAINER, true}, {"huge-length", KST_ERR_SOCKET_LENGTH, true},
    {"short", KST_ERR_TIMEOUT, true},         {"silent", KST_ERR_TIMEOUT, true},
    {"close", KST_ERR_PEER_CLOSED, false},
};

std::string FaultSwitches(const FaultCase& fault, int at)
{
    return std::string("--fault ") + fault.fault + " --fault-at " + std::to_string(at) +
           " --silent-ms 2500";
}

TEST_F(NodeClientTest, MisbehaviourDuringSetupIsReturned)
{
    for (const FaultCase& fault : kFaults) {
        SCOPED_TRACE(fault.fault);
        kst_test::NodeSimProcess sim;
        ASSERT_TRUE(sim.Start(FaultSwitches(fault, 0)));
        CKSTNodeClient client;
        ASSERT_EQ(client.Connect(kLoopback, sim.TcpPort(), 1.0), KST_OK);
        EXPECT_EQ(client.SetupFifos(0.05, true, 0, 0, 0.0, false, false), fault.error);
        EXPECT_EQ(client.GetChannelCount(), 0);
        EXPECT_TRUE(client.IsConnected());  // the connection control disconnects
        client.Disconnect();
        EXPECT_FALSE(client.IsConnected());
    }
}

// Replies 0 to 3 list the FIFOs and bring their first samples; the fault hits a later poll.
TEST_F(NodeClientTest, MisbehaviourDuringPollingIsKeptAsPollError)
{
    for (const FaultCase& fault : kFaults) {
        SCOPED_TRACE(fault.fault);
        m_taken.clear();
        kst_test::NodeSimProcess sim;
        ASSERT_TRUE(sim.Start(FaultSwitches(fault, 3 + 9)));
        CKSTNodeClient client;
        ASSERT_EQ(client.Connect(kLoopback, sim.TcpPort(), 1.0), KST_OK);
        ASSERT_EQ(client.SetupFifos(0.3, true, 0, 0, 0.0, false, false), KST_OK);
        m_taken.resize(3);
        // Tick against the client of this case.
        auto tick = [&]() {
            const ULONGLONG deadline = GetTickCount64() + kGuardMs;
            while (!client.IsDataReady() && GetTickCount64() < deadline) {
                Sleep(1);
            }
            EXPECT_TRUE(client.IsDataReady());
            const int error = client.GetLastPollError();
            for (int k = 0; k < 3; ++k) {
                CKSTTimeStamp pollTime;
                EXPECT_EQ(client.GetChannelData(k, pollTime, m_taken[static_cast<size_t>(k)],
                                                nullptr),
                          KST_OK);
            }
            client.RequestRead();
            return error;
        };
        std::vector<int> errors;
        for (int i = 0; i < 4; ++i) {
            errors.push_back(tick());
        }
        // Tick 0 takes the first samples; ticks 1 and 2 ask for one good poll each.
        EXPECT_EQ(errors, (std::vector<int>{KST_OK, KST_OK, KST_OK, fault.error}));
        if (fault.recovers) {
            for (int i = 0; i < 4; ++i) {
                EXPECT_EQ(tick(), KST_OK) << "tick after the fault " << i;
            }
            ExpectContinuous(1);
        } else {
            Sleep(400);
            EXPECT_EQ(client.GetLastPollError(), fault.error);
        }
        client.Disconnect();
        EXPECT_FALSE(client.IsConnected());
    }
}

// --- The demonstration node ---

std::mutex g_clockLock;
CKSTTimeStamp g_now;

CKSTTimeStamp FakeNow()
{
    std::lock_guard<std::mutex> lock(g_clockLock);
    return g_now;
}
void SetFakeNow(const CKSTTimeStamp& now)
{
    std::lock_guard<std::mutex> lock(g_clockLock);
    g_now = now;
}

TEST_F(NodeClientTest, DemoNodeStreamsItsSignalsAtKnownTimes)
{
    CKSTNodeClient::s_udpQuery = &RecordQuery;
    g_query = {};
    CKSTNodeClient::s_clock = &FakeNow;
    const CKSTTimeStamp start(2026, 5, 6, 10, 0, 2.5);  // 36002.5 s: every signal at +10
    SetFakeNow(start);
    ASSERT_EQ(m_client.Connect(kst_node::kDemoHost, 12345, 10.0), KST_OK);
    EXPECT_TRUE(m_client.IsConnected());
    ASSERT_EQ(m_client.SetupFifos(0.02, true, 0, 0, 0.0, false, false), KST_OK);
    ASSERT_EQ(m_client.GetChannelCount(), 3);
    m_taken.resize(3);
    const char* const names[] = {"Sinus", "Rectangle", "Triangle"};
    for (int k = 0; k < 3; ++k) {
        CKSTChannel info;
        ASSERT_EQ(m_client.GetChannelInfo(k, info), KST_OK);
        EXPECT_STREQ(info.GetName().c_str(), names[k]);
        EXPECT_STREQ(info.GetUnit().c_str(), "V");
        EXPECT_STREQ(info.GetGroup().c_str(), "");
        EXPECT_DOUBLE_EQ(info.GetDt(), 0.1);
        EXPECT_TRUE(info.GetStartTimeStamp() == start);
    }
    ASSERT_EQ(Tick(), KST_OK);  // the set-up reads nothing yet
    EXPECT_EQ(m_taken[0].GetCount(), 0u);

    SetFakeNow(start + 1.05);
    ASSERT_EQ(Tick(), KST_OK);
    ASSERT_EQ(Tick(), KST_OK);
    SetFakeNow(start + 2.05);
    ASSERT_EQ(Tick(), KST_OK);
    ASSERT_EQ(Tick(), KST_OK);
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(names[k]);
        const CKSTChannel& channel = m_taken[static_cast<size_t>(k)];
        ASSERT_EQ(channel.GetCount(), 21u);  // 36002.5 .. 36004.5 in steps of 0.1 s
        EXPECT_TRUE(channel.GetStartTimeStamp() == start);
        EXPECT_EQ(channel.GetTimeBaseType(), CKSTChannel::kEquidistant);
        EXPECT_NEAR(channel.GetValue(0), 10.0, 1e-9);
        for (uint32_t j = 0; j < channel.GetCount(); ++j) {
            EXPECT_NEAR(channel.GetValue(j), kst_node::DemoNodeValue(k, 36002.5 + 0.1 * j), 1e-9)
                << j;
        }
    }
    // At 36004.5 s the triangle is at 0.45 of its period, on the falling edge: 40 x 0.05.
    EXPECT_NEAR(m_taken[2].GetValue(20), 2.0, 1e-9);
    EXPECT_EQ(g_query.calls, 0);
    m_client.Disconnect();
    EXPECT_FALSE(m_client.IsConnected());
}

}  // namespace
