#include "acquisition/win/NodeClient.h"

#include "acquisition/DemoNode.h"
#include "acquisition/NodeProtocol.h"
#include "data/DocFile.h"
#include "foundation/ErrorCodes.h"
#include "foundation/HeaderInfoList.h"
#include "foundation/win/StringLoader.h"
#include "foundation/win/Sync.h"

namespace {

constexpr int kConnectionWaitMs = 30000;
constexpr int kThreadStopWaitMs = 10000;
constexpr double kKeepAliveTimeout = 5.0;
constexpr uint32_t kSleepStepMs = 10;
// Most stale bytes discarded before a keep-alive; a peer that sends without pause cannot hold
// the poll thread here.
constexpr int kMaxDiscardedBytes = 2 * static_cast<int>(kst_node::kMaxMessageBytes);

int SelectAllChannels(CKSTChannelList& channels, int)
{
    for (int i = 0; i < channels.GetCount(); ++i) {
        channels.GetAt(i)->SetSelected(true);
    }
    return IDOK;
}

// Holds a Win32 mutex taken by WaitMutex until the end of the scope.
class MutexHold {
public:
    MutexHold(HANDLE mutex, int timeoutMs)
        : m_mutex(mutex), m_owned(WaitMutex(mutex, timeoutMs) != 0)
    {
    }
    ~MutexHold()
    {
        if (m_owned) {
            UnlockMutex(m_mutex);
        }
    }
    MutexHold(const MutexHold&) = delete;
    MutexHold& operator=(const MutexHold&) = delete;
    bool Owned() const { return m_owned; }

private:
    HANDLE m_mutex;
    bool m_owned;
};

}  // namespace

CKSTNodeClient::Clock CKSTNodeClient::s_clock = &CKSTTimeStamp::Now;
CKSTNodeClient::ChannelSelector CKSTNodeClient::s_selectChannels = &SelectAllChannels;
int CKSTNodeClient::s_discoveryPort = kst_node::kDiscoveryPort;
CKSTNodeClient::UdpQuery CKSTNodeClient::s_udpQuery = &CKSTSocket::OpenUdp;

CKSTNodeClient::CKSTNodeClient()
{
    m_language = IsEnglishUser() ? 1 : 0;
    CreateMutexHandle(m_connectionMutex);
    CreateMutexHandle(m_dataMutex);
}

CKSTNodeClient::~CKSTNodeClient()
{
    if (m_connected) {
        Disconnect();
    }
    StopPolling();
    CloseSyncHandle(m_connectionMutex);
    CloseSyncHandle(m_dataMutex);
}

bool CKSTNodeClient::IsDemo() const
{
    return kst_node::IsDemoHost(m_host);
}

bool CKSTNodeClient::QueryDeviceIdent(const CKSTString& host, double timeoutSeconds, int& port)
{
    // The demo address is also the broadcast address: asking it would reach every device of
    // the network for a node that does not exist.
    if (kst_node::IsDemoHost(host)) {
        return false;
    }
    CKSTString reply;
    if (s_udpQuery(host, s_discoveryPort, kst_node::kDiscoveryRequest, timeoutSeconds, reply) !=
        KST_OK) {
        return false;
    }
    return kst_node::ParseDeviceIdentReply(reply, port);
}

int CKSTNodeClient::Connect(const CKSTString& host, int port, double timeoutSeconds)
{
    if (m_connected) {
        return KST_ERR_NODE_ALREADY_CONNECTED;
    }
    if (kst_node::IsDemoHost(host)) {
        m_host = host;
        m_connected = true;
        return KST_OK;
    }
    int result = KST_OK;
    {
        MutexHold hold(m_connectionMutex, kConnectionWaitMs);
        if (!hold.Owned()) {
            return KST_ERR_NODE_BUSY;
        }
        m_socket.m_sendTimeout = timeoutSeconds;
        m_socket.m_receiveTimeout = timeoutSeconds;
        result = m_socket.Connect(host, port, CKSTSocket::kStream);
        if (result < 0) {
            m_socket.Close();
            return result;
        }
        // Each command goes out in a few small writes; waiting for the node's acknowledgement
        // of the first would hold every transaction for the peer's delayed-ACK time.
        BOOL noDelay = TRUE;
        setsockopt(m_socket.GetHandle(), IPPROTO_TCP, TCP_NODELAY,
                   reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
        result = m_socket.SendString(kst_node::kHello);
        CKSTString line;
        if (result >= 0) {
            result = m_socket.ReadLine(line, true);
        }
        if (result >= 0) {
            m_firmwareVersion = kst_node::ParseFirmwareVersion(line);
            char discarded[2];
            result = m_socket.ReceiveExact(discarded, 2);
        }
        if (result >= 0) {
            result = m_socket.SendString(kst_node::kPromptOff);
        }
        if (result >= 0) {
            m_host = host;
            m_connected = true;
            return KST_OK;
        }
    }
    Disconnect();
    return result;
}

int CKSTNodeClient::SetupFifos(double pollInterval, bool waitForRequest, int backTimeMode,
                               int32_t recordingIndex, double backTime, bool readRecordingStatus,
                               bool selectChannels)
{
    // A second set-up must not free the records under a running poll thread.
    StopPolling();
    m_backTimeMode = backTimeMode;
    m_backTime = backTime;
    m_waitForRequest = waitForRequest;

    const int result = IsDemo() ? SetupDemoFifos() : SetupNodeFifos(recordingIndex, selectChannels);
    if (result != KST_OK) {
        return result;
    }
    if (readRecordingStatus) {
        {
            MutexHold hold(m_dataMutex, -1);
            m_statusCacheEnabled = true;
        }
        RefreshStatusCache();
    }
    m_pollPeriodMs = pollInterval > 0.0 ? static_cast<uint32_t>(pollInterval * 1000.0) : 0;
    if (m_waitForRequest) {
        m_readRequest = 0;
        m_dataReady = 1;
    }
    m_stop = 0;
    const int started = StartThread(m_thread, &CKSTNodeClient::PollThreadEntry, this);
    if (started != KST_OK) {
        return started;
    }
    m_threadRunning = true;
    return KST_OK;
}

int CKSTNodeClient::SetupDemoFifos()
{
    const CKSTTimeStamp now = s_clock();
    MutexHold hold(m_dataMutex, -1);
    for (int i = 0; i < kst_node::kDemoFifoCount; ++i) {
        auto fifo = std::make_unique<CKSTNodeFifoChannel>();
        fifo->m_active = true;
        fifo->m_fifoIndex = i;
        fifo->m_readCounter = 0;
        fifo->m_pollTime = now;
        fifo->m_demoOrigin = now;
        fifo->m_channel.SetName(kst_node::kDemoFifoNames[i]);
        fifo->m_channel.SetUnit(kst_node::kDemoUnit);
        fifo->m_channel.SetDt(kst_node::kDemoSampleInterval);
        fifo->m_channel.SetStartTimeStamp(now);
        m_fifos.push_back(std::move(fifo));
    }
    return KST_OK;
}

int CKSTNodeClient::SetupNodeFifos(int32_t recordingIndex, bool selectChannels)
{
    CKSTHeaderInfoList list;
    kst_node::BuildRawFifosRequest(m_firmwareVersion, m_backTimeMode, m_backTime, recordingIndex,
                                   list);
    int result = Transact(kst_node::kGetRawFifos, list);
    if (result != KST_OK) {
        return result;
    }
    const std::vector<kst_node::KstNodeFifoEntry> entries = kst_node::ListFifos(list);
    std::vector<bool> selected(entries.size(), true);
    if (selectChannels) {
        CKSTChannelList channels;
        for (const kst_node::KstNodeFifoEntry& entry : entries) {
            CKSTChannel* channel = channels.GetAt(channels.AddNew());
            channel->SetName(entry.name);
            channel->SetGroup(entry.group);
        }
        if (s_selectChannels(channels, m_language) != IDOK) {
            return KST_ERR_SELECTION_CANCELLED;
        }
        for (size_t i = 0; i < entries.size(); ++i) {
            selected[i] = channels.GetAt(static_cast<int>(i))->IsSelected();
        }
    }

    const CKSTTimeStamp setupTime = s_clock();
    for (size_t i = 0; i < entries.size() && entries[i].hasFifoIndex; ++i) {
        if (!selected[i]) {
            continue;
        }
        auto fifo = std::make_unique<CKSTNodeFifoChannel>();
        fifo->m_active = true;
        fifo->m_fifoIndex = entries[i].fifoIndex;
        fifo->m_pollTime = setupTime;
        fifo->m_readCounter = entries[i].readCounter;
        result = ReadFifoValues(*fifo, true);
        if (result != KST_OK) {
            return result;
        }
        fifo->m_channel.SetName(entries[i].name);
        fifo->m_channel.SetGroup(entries[i].group);
        fifo->m_channel.SetUnit(entries[i].unit);
        MutexHold hold(m_dataMutex, -1);
        m_fifos.push_back(std::move(fifo));
    }
    return m_fifos.empty() ? KST_ERR_NODE_NO_FIFOS : KST_OK;
}

int CKSTNodeClient::GetChannelCount()
{
    MutexHold hold(m_dataMutex, -1);
    return static_cast<int>(m_fifos.size());
}

int CKSTNodeClient::GetChannelInfo(int index, CKSTChannel& channel)
{
    MutexHold hold(m_dataMutex, -1);
    if (!hold.Owned() || index < 0 || index >= static_cast<int>(m_fifos.size()) ||
        !m_fifos[static_cast<size_t>(index)]->m_active) {
        return KST_ERR_LOCK_NOT_OBTAINED;
    }
    channel.CopyFrom(m_fifos[static_cast<size_t>(index)]->m_channel);
    return KST_OK;
}

int CKSTNodeClient::GetChannelData(int index, CKSTTimeStamp& pollTime, CKSTChannel& target,
                                   CKSTChannel* second)
{
    MutexHold hold(m_dataMutex, -1);
    if (!hold.Owned() || index < 0 || index >= static_cast<int>(m_fifos.size())) {
        return KST_OK;
    }
    CKSTNodeFifoChannel& fifo = *m_fifos[static_cast<size_t>(index)];
    if (!fifo.m_active) {
        return KST_OK;
    }
    target.Append(fifo.m_channel, false);
    if (second != nullptr) {
        second->Append(fifo.m_channel, false);
    }
    fifo.m_channel.FreeData(true, false);
    pollTime = fifo.m_pollTime;
    return KST_OK;
}

double CKSTNodeClient::GetThroughput()
{
    MutexHold hold(m_connectionMutex, 0);
    if (hold.Owned()) {
        m_throughput = m_socket.Throughput(true);
    }
    return m_throughput;
}

int CKSTNodeClient::GetRecordingStatus(int32_t recordingIndex, CKSTString& saveStatus,
                                       CKSTTimeStamp& time, CKSTTimeStamp& fileTime,
                                       double& progress, int32_t& fileCount, bool force)
{
    if (!force) {
        MutexHold hold(m_dataMutex, -1);
        if (m_statusCacheEnabled) {
            saveStatus = m_saveStatus;
            time = m_statusTime;
            fileTime = m_fileTime;
            progress = m_saveProgress;
            fileCount = m_saveFileCount;
            return KST_OK;
        }
    }
    CKSTHeaderInfoList list;
    kst_node::BuildRecordingStatusRequest(recordingIndex, list);
    int result = Transact(kst_node::kGetRecordingStatus, list);
    if (result != KST_OK) {
        return result;
    }
    kst_node::KstNodeRecordingStatus status;
    result = kst_node::ParseRecordingStatusReply(list, status);
    if (result != KST_OK) {
        return result;
    }
    saveStatus = status.saveStatus;
    time = status.time;
    fileTime = status.fileTime;
    progress = status.progress;
    fileCount = status.fileCount;
    MutexHold hold(m_dataMutex, -1);
    if (m_statusCacheEnabled) {
        m_saveStatus = status.saveStatus;
        m_statusTime = status.time;
        m_fileTime = status.fileTime;
        m_saveProgress = status.progress;
        m_saveFileCount = status.fileCount;
    }
    return KST_OK;
}

void CKSTNodeClient::RefreshStatusCache()
{
    CKSTString status;
    CKSTTimeStamp time, fileTime;
    double progress = 0.0;
    int32_t count = 0;
    // A status that could not be read keeps the cached one: the next poll pass asks again, and
    // the data transfer does not depend on it.
    static_cast<void>(GetRecordingStatus(0, status, time, fileTime, progress, count, true));
}

void CKSTNodeClient::Disconnect()
{
    StopPolling();
    MutexHold hold(m_connectionMutex, kConnectionWaitMs);
    if (!hold.Owned()) {
        return;
    }
    m_socket.Close();
    m_connected = false;
    m_host.Empty();
}

// --- Transactions ---

int CKSTNodeClient::Transact(const char* command, CKSTHeaderInfoList& list)
{
    CKSTMemBuffer reply;
    int result = TransactRaw(command, list, reply);
    if (result != KST_OK) {
        return result;
    }
    CKSTDocFile file;
    list.Clear();
    result = file.ReadPropertyListFromMemory(list, reply);
    if (result != KST_OK) {
        return result;
    }
    return kst_node::TakeErrorCode(list);
}

int CKSTNodeClient::TransactRaw(const char* command, const CKSTHeaderInfoList& request,
                                CKSTMemBuffer& reply)
{
    if (!m_connected) {
        return KST_ERR_NODE_NOT_CONNECTED;
    }
    MutexHold hold(m_connectionMutex, kConnectionWaitMs);
    if (!hold.Owned()) {
        return KST_ERR_NODE_BUSY;
    }
    CKSTString line = command;
    line += "\r\n";
    int result = m_socket.SendString(line);
    if (result < 0) {
        return result;
    }
    if (m_firmwareVersion < kst_node::kFirmwareWithoutAck) {
        result = m_socket.ReadLine(line, true);
        if (result < 0) {
            return result;
        }
        if (line.Left(2) != "OK") {
            return KST_ERR_NODE_NO_ACK;
        }
    }
    CKSTMemBuffer message;
    CKSTDocFile file;
    result = file.WritePropertyListToMemory(request, message, false);
    if (result != KST_OK) {
        return result;
    }
    result = m_socket.SendBlock(message);
    if (result < 0) {
        return result;
    }
    result = ReceiveMessage(reply);
    return result < 0 ? result : KST_OK;
}

int CKSTNodeClient::ReceiveMessage(CKSTMemBuffer& message)
{
    uint8_t prefix[4];
    int result = m_socket.ReceiveExact(prefix, 4);
    if (result < 0) {
        return result;
    }
    uint32_t length = 0;
    result = kst_node::DecodeMessageLength(prefix, length);
    if (result != KST_OK) {
        return result;
    }
    return m_socket.ReceiveBuffer(message, static_cast<int>(length));
}

void CKSTNodeClient::DiscardStaleBytes()
{
    const double saved = m_socket.m_receiveTimeout;
    m_socket.m_receiveTimeout = 0.0;
    char chunk[CKSTSocket::kChunk];
    for (int discarded = 0; discarded < kMaxDiscardedBytes;) {
        const int n = m_socket.Receive(chunk, sizeof chunk);
        if (n <= 0) {
            break;
        }
        discarded += n;
    }
    m_socket.m_receiveTimeout = saved;
}

int CKSTNodeClient::ReadFifoValues(CKSTNodeFifoChannel& fifo, bool firstCall)
{
    CKSTChannel samples;
    int64_t readCounter = fifo.m_readCounter;
    if (IsDemo()) {
        kst_node::ReadDemoSamples(fifo.m_fifoIndex, fifo.m_demoOrigin,
                                  kst_node::kDemoSampleInterval, s_clock(), readCounter, samples);
    } else {
        CKSTHeaderInfoList request;
        kst_node::BuildFifoValuesRequest(fifo.m_fifoIndex, fifo.m_readCounter, request);
        CKSTMemBuffer reply;
        int result = TransactRaw(kst_node::kGetFifoValues, request, reply);
        if (result != KST_OK) {
            return result;
        }
        // The counter moves only together with the samples it counts: a reply that cannot be
        // read is asked for again instead of leaving a gap.
        result = kst_node::ParseFifoValuesReply(reply, readCounter, samples);
        if (result != KST_OK) {
            return result;
        }
    }
    MutexHold hold(m_dataMutex, -1);
    if (!hold.Owned()) {
        return KST_OK;
    }
    fifo.m_readCounter = readCounter;
    if (firstCall) {
        fifo.m_channel.CopyFrom(samples);
    }
    fifo.m_channel.Append(samples, false);
    return KST_OK;
}

// --- Poll thread ---

unsigned __stdcall CKSTNodeClient::PollThreadEntry(void* client)
{
    static_cast<CKSTNodeClient*>(client)->PollThread();
    return 0;
}

void CKSTNodeClient::PollThread()
{
    m_pause = 0;
    while (!m_stop) {
        if (m_lastPollError != 0) {
            if (KeepAlive()) {
                m_lastPollError = 0;
            }
        } else if (!m_pause) {
            if (m_waitForRequest) {
                while (!m_readRequest && !m_stop) {
                    SleepMs(kSleepStepMs);
                }
                if (m_stop) {
                    break;
                }
            }
            m_lastPollError = PollOnce();
            m_dataReady = 1;
            m_readRequest = 0;
        }
        SleepUnlessStopped(m_pollPeriodMs);
    }
}

void CKSTNodeClient::SleepUnlessStopped(uint32_t ms)
{
    for (uint32_t slept = 0; slept < ms && !m_stop; slept += kSleepStepMs) {
        SleepMs(std::min(kSleepStepMs, ms - slept));
    }
}

int CKSTNodeClient::PollOnce()
{
    const CKSTTimeStamp now = s_clock();
    for (size_t i = 0;; ++i) {
        CKSTNodeFifoChannel* fifo = nullptr;
        {
            MutexHold hold(m_dataMutex, -1);
            if (!hold.Owned()) {
                return KST_ERR_LOCK_NOT_OBTAINED;
            }
            if (i >= m_fifos.size()) {
                break;
            }
            fifo = m_fifos[i].get();
            if (!fifo->m_active) {
                continue;
            }
            fifo->m_pollTime = now;
        }
        const int result = ReadFifoValues(*fifo, false);
        if (result != KST_OK) {
            return result;
        }
    }
    if (!IsDemo()) {
        MutexHold hold(m_connectionMutex, kConnectionWaitMs);
        if (hold.Owned()) {
            m_throughput = m_socket.Throughput(false);
        }
    }
    bool refreshStatus = false;
    {
        MutexHold hold(m_dataMutex, -1);
        refreshStatus = m_statusCacheEnabled;
    }
    if (refreshStatus) {
        RefreshStatusCache();
    }
    return KST_OK;
}

bool CKSTNodeClient::KeepAlive()
{
    MutexHold hold(m_connectionMutex, kConnectionWaitMs);
    if (!hold.Owned()) {
        return false;
    }
    const double sendTimeout = m_socket.m_sendTimeout;
    const double receiveTimeout = m_socket.m_receiveTimeout;
    // What is left of a reply that came too late would otherwise be read as the answer.
    DiscardStaleBytes();
    m_socket.m_sendTimeout = kKeepAliveTimeout;
    m_socket.m_receiveTimeout = kKeepAliveTimeout;
    const int sent = m_socket.SendString(kst_node::kCheck);
    CKSTString line;
    const int read = sent >= 0 ? m_socket.ReadLine(line, true) : sent;
    m_socket.m_sendTimeout = sendTimeout;
    m_socket.m_receiveTimeout = receiveTimeout;
    return sent >= 0 && read >= 0;
}

void CKSTNodeClient::StopPolling()
{
    if (m_threadRunning) {
        m_stop = 1;
        if (!WaitThreadEnd(m_thread, kThreadStopWaitMs)) {
            KillThread(m_thread);
        }
        m_threadRunning = false;
    }
    DeleteFifos();
}

void CKSTNodeClient::DeleteFifos()
{
    MutexHold hold(m_dataMutex, -1);
    m_fifos.clear();
}
