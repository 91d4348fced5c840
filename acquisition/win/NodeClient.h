#pragma once
// Client of one acquisition node: discovery over UDP, a TCP command connection, one channel per
// data FIFO of the node, and a poll thread that fetches the new samples of every FIFO each poll
// period. The online connection control takes the channel descriptions once, copies the new
// samples out on each tick and reads or writes the public flags below directly. The host
// "255.255.255.255" is the built-in demonstration node, which needs no network at all.
#include <winsock2.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "data/Channel.h"
#include "data/ChannelList.h"
#include "foundation/MemBuffer.h"
#include "foundation/String.h"
#include "foundation/TimeStamp.h"
#include "foundation/win/Socket.h"
#include "foundation/win/Thread.h"

class CKSTHeaderInfoList;

// One data FIFO of the node that is read, with the samples fetched since they were last taken.
class CKSTNodeFifoChannel {
public:
    bool m_active = false;
    int32_t m_fifoIndex = -1;
    // The node's running sample count: how many samples of the FIFO have been read so far.
    int64_t m_readCounter = 0;
    CKSTChannel m_channel;
    // When the poll thread last started reading this FIFO.
    CKSTTimeStamp m_pollTime;
    // Demo node only: the time of its sample 0.
    CKSTTimeStamp m_demoOrigin;
};

class CKSTNodeClient {
public:
    // The clock of set-up and poll times and of the demo node's samples; CKSTTimeStamp::Now
    // unless replaced.
    using Clock = CKSTTimeStamp (*)();
    static Clock s_clock;
    // Lets the user choose among the listed channels (their selected flags) in a language
    // (0 German, 1 English); IDOK when confirmed. The default selects every channel; the
    // program installs its channel selection dialog.
    using ChannelSelector = int (*)(CKSTChannelList& channels, int language);
    static ChannelSelector s_selectChannels;
    // UDP port of the discovery request; kst_node::kDiscoveryPort unless replaced.
    static int s_discoveryPort;
    // Sends the discovery request and waits for one reply; CKSTSocket::OpenUdp unless replaced.
    using UdpQuery = int (*)(const CKSTString& host, int port, const CKSTString& request,
                             double timeoutSeconds, CKSTString& reply);
    static UdpQuery s_udpQuery;

    CKSTNodeClient();
    ~CKSTNodeClient();
    CKSTNodeClient(const CKSTNodeClient&) = delete;
    CKSTNodeClient& operator=(const CKSTNodeClient&) = delete;

    // Asks one host whether a node answers there and on which command port; needs no
    // connection. The demo host is never asked (false, port untouched).
    static bool QueryDeviceIdent(const CKSTString& host, double timeoutSeconds, int& port);

    [[nodiscard]] int Connect(const CKSTString& host, int port, double timeoutSeconds);
    // Builds the FIFO records and starts the poll thread.
    [[nodiscard]] int SetupFifos(double pollInterval, bool waitForRequest, int backTimeMode,
                   int32_t recordingIndex, double backTime, bool readRecordingStatus,
                   bool selectChannels);
    int GetChannelCount();
    // The description of the FIFO's channel, without samples; KST_ERR_LOCK_NOT_OBTAINED for an
    // inactive record.
    [[nodiscard]] int GetChannelInfo(int index, CKSTChannel& channel);
    // Moves the samples fetched since the last call into target (and second, when given) and
    // gives the FIFO's poll time. 0 also when nothing could be copied.
    [[nodiscard]] int GetChannelData(int index, CKSTTimeStamp& pollTime, CKSTChannel& target,
                       CKSTChannel* second);
    // KiB per second received, the count restarting after 2 s.
    double GetThroughput();
    [[nodiscard]] int GetRecordingStatus(int32_t recordingIndex, CKSTString& saveStatus, CKSTTimeStamp& time,
                           CKSTTimeStamp& fileTime, double& progress, int32_t& fileCount,
                           bool force);
    void Disconnect();

    int GetFirmwareVersion() const { return m_firmwareVersion; }
    CKSTString GetHost() const { return m_host; }

    // The flags the connection control shares with the poll thread.
    bool IsConnected() const { return m_connected; }
    // Result of the poll thread's last pass; a non-zero value puts the thread into keep-alive.
    int32_t GetLastPollError() const { return m_lastPollError; }
    // A requested read (or, without requests, a poll pass) has data ready to be taken.
    bool IsDataReady() const { return m_dataReady != 0; }
    // The data were taken: the next read is requested.
    void RequestRead()
    {
        m_dataReady = 0;
        m_readRequest = 1;
    }
    // A paused thread keeps the connection alive but reads nothing.
    void SetPause(bool pause) { m_pause = pause ? 1 : 0; }
    // The language of the channel selection: 1 English, 0 German.
    void SetLanguage(int32_t language) { m_language = language; }

private:
    static unsigned __stdcall PollThreadEntry(void* client);
    void PollThread();
    [[nodiscard]] int PollOnce();
    // Reads the recording status into the cache that GetRecordingStatus answers from.
    void RefreshStatusCache();
    bool KeepAlive();
    void StopPolling();
    void DeleteFifos();
    // Sleeps ms in short steps, ending early when the stop flag is set.
    void SleepUnlessStopped(uint32_t ms);

    [[nodiscard]] int Transact(const char* command, CKSTHeaderInfoList& list);
    [[nodiscard]] int TransactRaw(const char* command, const CKSTHeaderInfoList& request, CKSTMemBuffer& reply);
    [[nodiscard]] int ReceiveMessage(CKSTMemBuffer& message);
    void DiscardStaleBytes();
    [[nodiscard]] int ReadFifoValues(CKSTNodeFifoChannel& fifo, bool firstCall);
    [[nodiscard]] int SetupDemoFifos();
    [[nodiscard]] int SetupNodeFifos(int32_t recordingIndex, bool selectChannels);
    bool IsDemo() const;

    CKSTString m_host;
    CKSTSocket m_socket;
    HANDLE m_connectionMutex = nullptr;
    int32_t m_firmwareVersion = 0;

    bool m_statusCacheEnabled = false;
    CKSTString m_saveStatus;
    CKSTTimeStamp m_statusTime;
    CKSTTimeStamp m_fileTime;
    double m_saveProgress = 0.0;
    int32_t m_saveFileCount = 0;

    int32_t m_backTimeMode = 0;
    double m_backTime = 0.0;
    bool m_waitForRequest = false;

    CKSTThreadRecord m_thread;
    bool m_threadRunning = false;
    HANDLE m_dataMutex = nullptr;
    uint32_t m_pollPeriodMs = 0;
    std::atomic<int32_t> m_stop{0};
    // The rate of the last poll pass, for GetThroughput while a transaction holds the socket.
    std::atomic<double> m_throughput{0.0};

    std::vector<std::unique_ptr<CKSTNodeFifoChannel>> m_fifos;

    std::atomic<bool> m_connected{false};
    std::atomic<int32_t> m_lastPollError{0};
    int32_t m_language = 1;
    std::atomic<int32_t> m_pause{0};
    std::atomic<int32_t> m_readRequest{0};
    std::atomic<int32_t> m_dataReady{0};
};
