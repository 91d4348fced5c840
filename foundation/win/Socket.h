#pragma once
// The program's one TCP/UDP transport (Winsock 2.2, IPv4): connect with a time-out, listen and
// accept, delimiter, line, exact-length and length-prefixed reads, send-all with a time-out, a
// received-bytes throughput figure, a one-shot UDP request and a background UDP broadcast scan.
//
// Results are 0 or a positive count on success and a negative KstError on failure. The first
// failure since the last Connect sticks in the last-error field; Close returns it.
// Winsock must come before windows.h.
#include <winsock2.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/MemBuffer.h"
#include "foundation/String.h"
#include "foundation/TimeStamp.h"
#include "foundation/win/Thread.h"

// One row of the host's IPv4 address table, addresses in host byte order. `broadcast` is the
// table's broadcast field: non-zero means the subnet has a broadcast address.
struct KstIpAddrRow {
    uint32_t address = 0;
    uint32_t mask = 0;
    uint32_t broadcast = 0;
};

// Dotted text "a.b.c.d" of an address in host byte order.
CKSTString AddressToText(uint32_t address);

class CKSTSocket {
public:
    enum Type : int { kStream = 1, kDatagram = 2 };

    // Most bytes moved by one platform call.
    static constexpr int kChunk = 8192;
    // A block length announced by the peer above this is refused rather than allocated.
    static constexpr uint32_t kMaxBlockLength = 64u << 20;
    // Bytes ReadUntil holds while it waits for a delimiter; a peer that sends more without one
    // gets an error instead of unbounded memory.
    static constexpr int kMaxPendingBytes = 16 << 20;

    // Where the scan gets its target addresses (host byte order); BuildBroadcastTargets unless
    // replaced.
    using TargetListSource = std::vector<uint32_t> (*)();
    static TargetListSource s_targetListSource;
    // The clock of the throughput figure; CKSTTimeStamp::NowPrecise unless replaced.
    using Clock = CKSTTimeStamp (*)();
    static Clock s_clock;

    CKSTSocket();
    ~CKSTSocket();
    CKSTSocket(const CKSTSocket&) = delete;
    CKSTSocket& operator=(const CKSTSocket&) = delete;

    // Starts Winsock 2.2 once per process; later calls return the first result.
    static int Startup();

    int Connect(const CKSTString& host, int port, int type);
    int Close();
    int Listen(int port, int type);
    int Accept();
    int SetBlocking(bool blocking);

    int ReadUntil(CKSTString& out, const CKSTString& delimiter);
    int ReadUntilBuffer(CKSTMemBuffer& out, const CKSTString& delimiter);
    int ReadLine(CKSTString& out, bool dropCR);
    int Receive(void* bytes, int max);
    int ReceiveExact(void* bytes, int n);
    int ReceiveString(CKSTString& out);
    int ReceiveBuffer(CKSTMemBuffer& buffer, int n, uint32_t* counter = nullptr);
    int ReceiveBlock(CKSTMemBuffer& buffer);

    int SendBytes(const void* bytes, int n);
    int SendString(const CKSTString& text);
    int SendBuffer(CKSTMemBuffer& buffer);
    int SendBlock(CKSTMemBuffer& buffer);

    // Received KiB per second since the counting start.
    double Throughput(bool reset);

    static int ResolveHost(const CKSTString& host, uint32_t& address);
    static int OpenUdp(const CKSTString& host, int port, const CKSTString& request,
                       double timeoutSeconds, CKSTString& reply);

    // Starts the broadcast scan. `finished` is cleared here and set by the scan thread after
    // its last target; a scan stopped early (a new scan, the socket destroyed) leaves it alone.
    int StartReceiver(int port, const CKSTString& request, double waitSeconds,
                      std::atomic<unsigned char>* finished);
    int GetReceivedCount();
    CKSTString GetReceivedMessage(int i);
    CKSTString GetReceivedFrom(int i);
    void CloseReceiverHandle();

    static std::vector<uint32_t> BuildBroadcastTargets();
    static std::vector<uint32_t> BroadcastTargetsFromTable(const std::vector<KstIpAddrRow>& rows);

    bool IsOpen() const { return m_open; }
    SOCKET GetHandle() const { return m_socket; }

    // Owners read, set and restore these directly. Seconds; negative waits without limit. The
    // send time-out also bounds the connect.
    double m_sendTimeout = 60.0;
    double m_receiveTimeout = 60.0;
    // Above 0, Listen sets the reuse-address option.
    int m_reuseAddress = 0;

private:
    enum class WaitResult { kReady, kTimedOut, kFailed };

    struct ScanRecord {
        HANDLE mutex = nullptr;
        uint16_t port = 0;
        CKSTString request;
        double waitSeconds = 0.0;
        std::vector<uint32_t> targets;
        std::vector<CKSTString> senders;
        std::vector<CKSTString> replies;
        std::atomic<unsigned char>* finished = nullptr;
        CKSTThreadRecord thread;
        std::atomic<bool> stop{false};
        std::atomic<bool> running{false};
    };

    static unsigned __stdcall DiscoveryThread(void* scanRecord);
    static int RunDiscovery(ScanRecord& scan);

    WaitResult Wait(bool forWriting, double timeoutSeconds);
    int Fail(int code, int platformError = 0);
    int FailWithLastError(int code, int platformError = 0);
    void CloseHandleOnly();
    int ReceiveInto(CKSTMemBuffer& buffer, uint32_t n, uint32_t* counter);
    int SendFromBuffer(CKSTMemBuffer& buffer, bool withLength);
    int ReadUntilPending(const CKSTString& delimiter, int& length);
    void RestorePending(const char* bytes, int n);
    void StopScan();

    SOCKET m_socket = INVALID_SOCKET;
    bool m_blocking = true;
    CKSTString m_host;
    int m_port = 0;
    sockaddr_in m_peer = {};
    bool m_open = false;
    // Bytes received beyond the last delimiter read, consumed first by every later read.
    std::string m_pending;
    int m_lastError = 0;
    int m_lastPlatformError = 0;
    int m_type = kStream;
    uint64_t m_receivedBytes = 0;
    CKSTTimeStamp m_countStart;
    ScanRecord m_scan;
};
