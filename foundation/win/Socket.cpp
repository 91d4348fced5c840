#include "foundation/win/Socket.h"

#include <iphlpapi.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>

#include "foundation/ByteOrder.h"
#include "foundation/ErrorCodes.h"
#include "foundation/win/Sync.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kDatagramMax = 8191;
constexpr int kPeekMax = 255;
constexpr int kListenBacklog = 2;
constexpr DWORD kScanStopGuardMs = 10000;

double SecondsSince(SteadyClock::time_point start)
{
    return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

// Takes the scan mutex without giving up; `owned` is false only when the mutex is unusable.
class ScanLock {
public:
    explicit ScanLock(HANDLE mutex) : m_mutex(mutex), m_owned(LockMutex(mutex) == KST_OK) {}
    ~ScanLock()
    {
        if (m_owned) {
            UnlockMutex(m_mutex);
        }
    }
    ScanLock(const ScanLock&) = delete;
    ScanLock& operator=(const ScanLock&) = delete;
    bool Owned() const { return m_owned; }

private:
    HANDLE m_mutex;
    bool m_owned;
};

// A non-blocking UDP socket bound to any address and port 0 with broadcast allowed, or
// INVALID_SOCKET.
SOCKET OpenBroadcastSocket()
{
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) {
        return s;
    }
    u_long nonBlocking = 1;
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = 0;
    BOOL allow = TRUE;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0 ||
        bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&allow),
                   sizeof allow) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

sockaddr_in MakeAddress(uint32_t hostOrderAddress, int port)
{
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(hostOrderAddress);
    address.sin_port = htons(static_cast<u_short>(port));
    return address;
}

// One datagram without waiting: its length (a longer one is cut to `size`), or -1 when none is
// waiting.
int ReceiveDatagram(SOCKET s, char* buffer, int size, sockaddr_in& from)
{
    int fromLength = sizeof from;
    const int n = recvfrom(s, buffer, size, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n != SOCKET_ERROR) {
        return n;
    }
    return WSAGetLastError() == WSAEMSGSIZE ? size : -1;
}

}  // namespace

CKSTString AddressToText(uint32_t address)
{
    char text[16];
    char* p = text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        p = std::to_chars(p, text + sizeof text, (address >> shift) & 0xFF).ptr;
        if (shift > 0) {
            *p++ = '.';
        }
    }
    CKSTString result;
    result.Assign(text, static_cast<int>(p - text));
    return result;
}

CKSTSocket::TargetListSource CKSTSocket::s_targetListSource = &CKSTSocket::BuildBroadcastTargets;
CKSTSocket::Clock CKSTSocket::s_clock = &CKSTTimeStamp::NowPrecise;

CKSTSocket::CKSTSocket()
{
    m_countStart = s_clock();
    CreateMutexHandle(m_scan.mutex);
    Startup();
}

CKSTSocket::~CKSTSocket()
{
    StopScan();
    if (m_open) {
        Close();
    }
    CloseHandleOnly();
    CloseSyncHandle(m_scan.mutex);
}

int CKSTSocket::Startup()
{
    static const int result = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0 ? KST_OK : KST_ERR_SOCKET;
    }();
    return result;
}

int CKSTSocket::Fail(int code, int platformError)
{
    if (m_lastError == 0) {
        m_lastError = code;
        m_lastPlatformError = platformError;
    }
    return code;
}

int CKSTSocket::FailWithLastError(int code, int platformError)
{
    Fail(code, platformError);
    return m_lastError;
}

void CKSTSocket::CloseHandleOnly()
{
    if (m_socket != INVALID_SOCKET) {
        closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }
}

CKSTSocket::WaitResult CKSTSocket::Wait(bool forWriting, double timeoutSeconds)
{
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(m_socket, &ready);
    // Windows reports a failed connect in the exception set, not as writable.
    fd_set failed;
    FD_ZERO(&failed);
    FD_SET(m_socket, &failed);

    timeval limit = {};
    timeval* limitPointer = nullptr;
    if (timeoutSeconds >= 0.0) {
        const double seconds = std::min(timeoutSeconds, 1e8);
        const double whole = std::floor(seconds);
        limit.tv_sec = static_cast<long>(whole);
        limit.tv_usec = static_cast<long>((seconds - whole) * 1e6);
        limitPointer = &limit;
    }
    const int n = select(0, forWriting ? nullptr : &ready, forWriting ? &ready : nullptr,
                         forWriting ? &failed : nullptr, limitPointer);
    if (n == 0) {
        return WaitResult::kTimedOut;
    }
    if (n < 0 || !FD_ISSET(m_socket, &ready) || (forWriting && FD_ISSET(m_socket, &failed))) {
        return WaitResult::kFailed;
    }
    return WaitResult::kReady;
}

int CKSTSocket::SetBlocking(bool blocking)
{
    m_blocking = blocking;
    if (m_socket == INVALID_SOCKET) {
        return KST_OK;
    }
    u_long nonBlocking = blocking ? 0 : 1;
    if (ioctlsocket(m_socket, FIONBIO, &nonBlocking) != 0) {
        return Fail(KST_ERR_SOCKET, WSAGetLastError());
    }
    return KST_OK;
}

int CKSTSocket::ResolveHost(const CKSTString& host, uint32_t& address)
{
    in_addr dotted = {};
    if (inet_pton(AF_INET, host.c_str(), &dotted) == 1) {
        address = ntohl(dotted.s_addr);
        return KST_OK;
    }
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) {
        const int error = WSAGetLastError();
        return error == WSATRY_AGAIN ? KST_ERR_WOULD_BLOCK : KST_ERR_HOST_UNKNOWN;
    }
    int result = KST_ERR_ADDRESS_LENGTH;
    if (found->ai_family == AF_INET && found->ai_addrlen == sizeof(sockaddr_in)) {
        address = ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
        result = KST_OK;
    }
    freeaddrinfo(found);
    return result;
}

int CKSTSocket::Connect(const CKSTString& host, int port, int type)
{
    m_host = host;
    m_port = port;
    if (m_open) {
        Close();
    }
    m_lastError = 0;
    m_lastPlatformError = 0;
    m_receivedBytes = 0;
    m_open = true;
    m_type = type;
    m_countStart = s_clock();

    m_socket = socket(AF_INET, type == kDatagram ? SOCK_DGRAM : SOCK_STREAM, 0);
    if (m_socket == INVALID_SOCKET) {
        return Fail(KST_ERR_SOCKET_CREATE, WSAGetLastError());
    }
    uint32_t address = 0;
    const int resolved = ResolveHost(host, address);
    if (resolved != KST_OK) {
        Fail(resolved);
        Close();
        return resolved;
    }
    m_peer = MakeAddress(address, port);

    if (SetBlocking(false) != KST_OK) {
        Close();
        return KST_ERR_SOCKET;
    }
    int result = KST_OK;
    if (connect(m_socket, reinterpret_cast<const sockaddr*>(&m_peer), sizeof m_peer) != 0 &&
        WSAGetLastError() != WSAEWOULDBLOCK) {
        // Refused or impossible at once: waiting out the time-out would only hide it.
        result = Fail(KST_ERR_SOCKET_SEND, WSAGetLastError());
    } else {
        const WaitResult waited = Wait(true, m_sendTimeout);
        int error = 0;
        int length = sizeof error;
        const bool known = getsockopt(m_socket, SOL_SOCKET, SO_ERROR,
                                      reinterpret_cast<char*>(&error), &length) == 0;
        if (waited == WaitResult::kTimedOut) {
            result = Fail(KST_ERR_TIMEOUT);
        } else if (waited == WaitResult::kFailed || !known || error != 0) {
            result = Fail(KST_ERR_SOCKET_SEND, error);
        }
    }
    if (SetBlocking(true) != KST_OK && result == KST_OK) {
        result = KST_ERR_SOCKET;
    }
    if (result != KST_OK) {
        Close();
    }
    return result;
}

int CKSTSocket::Close()
{
    if (!m_open) {
        return m_lastError;
    }
    m_open = false;
    if (m_socket != INVALID_SOCKET) {
        // A listening or never-connected socket has nothing to shut down.
        if (shutdown(m_socket, SD_BOTH) != 0 && WSAGetLastError() != WSAENOTCONN) {
            Fail(KST_ERR_SOCKET_SHUTDOWN, WSAGetLastError());
        }
        if (closesocket(m_socket) != 0) {
            Fail(KST_ERR_SOCKET_CLOSE, WSAGetLastError());
        }
        m_socket = INVALID_SOCKET;
    }
    {
        ScanLock lock(m_scan.mutex);
        m_scan.targets.clear();
        m_scan.replies.clear();
        m_scan.senders.clear();
    }
    m_pending.clear();
    return m_lastError;
}

int CKSTSocket::Listen(int port, int type)
{
    if (m_open) {
        Close();
    }
    m_lastError = 0;
    m_socket = socket(AF_INET, type == kDatagram ? SOCK_DGRAM : SOCK_STREAM, 0);
    if (m_socket == INVALID_SOCKET) {
        return Fail(KST_ERR_SOCKET_CREATE, WSAGetLastError());
    }
    if (m_reuseAddress > 0) {
        BOOL reuse = TRUE;
        setsockopt(m_socket, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse),
                   sizeof reuse);
    }
    const sockaddr_in local = MakeAddress(INADDR_ANY, port);
    // A socket that failed to become a listener is closed here: Close only handles open ones.
    if (bind(m_socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        Fail(KST_ERR_SOCKET_BIND, WSAGetLastError());
        CloseHandleOnly();
        return KST_ERR_SOCKET_BIND;
    }
    if (type == kStream && listen(m_socket, kListenBacklog) != 0) {
        Fail(KST_ERR_SOCKET_LISTEN, WSAGetLastError());
        CloseHandleOnly();
        return KST_ERR_SOCKET_LISTEN;
    }
    if (!m_blocking) {
        SetBlocking(false);
    }
    m_type = type;
    m_port = port;
    m_open = true;
    return KST_OK;
}

int CKSTSocket::Accept()
{
    if (m_type == kStream) {
        sockaddr_in peer = {};
        int length = sizeof peer;
        const SOCKET accepted = accept(m_socket, reinterpret_cast<sockaddr*>(&peer), &length);
        if (accepted == INVALID_SOCKET) {
            const int error = WSAGetLastError();
            return Fail(error == WSAEWOULDBLOCK ? KST_ERR_WOULD_BLOCK : KST_ERR_SOCKET, error);
        }
        closesocket(m_socket);
        m_socket = accepted;
        m_peer = peer;
        return KST_OK;
    }
    if (m_type == kDatagram) {
        char first[kPeekMax];
        sockaddr_in peer = {};
        int length = sizeof peer;
        const int n = recvfrom(m_socket, first, kPeekMax, MSG_PEEK,
                               reinterpret_cast<sockaddr*>(&peer), &length);
        // A longer datagram only fails to fit the peek; its sender is known all the same.
        const int error = n == SOCKET_ERROR ? WSAGetLastError() : 0;
        if (n == 0 || (n == SOCKET_ERROR && error != WSAEMSGSIZE)) {
            return Fail(error == WSAEWOULDBLOCK ? KST_ERR_WOULD_BLOCK : KST_ERR_SOCKET, error);
        }
        if (connect(m_socket, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
            return Fail(KST_ERR_SOCKET_UDP_CONNECT, WSAGetLastError());
        }
        m_peer = peer;
    }
    return KST_OK;
}

int CKSTSocket::ReadUntilPending(const CKSTString& delimiter, int& consumed)
{
    const std::string wanted(delimiter.c_str(), static_cast<size_t>(delimiter.GetLength()));
    size_t searchFrom = 0;
    char chunk[kChunk];
    for (;;) {
        const size_t at = m_pending.find(wanted, searchFrom);
        if (at != std::string::npos) {
            consumed = static_cast<int>(at + wanted.size());
            return static_cast<int>(at);
        }
        // A delimiter split across receives starts at most its length - 1 before the end.
        searchFrom = m_pending.size() >= wanted.size() ? m_pending.size() - wanted.size() + 1 : 0;
        const int room = kMaxPendingBytes - static_cast<int>(m_pending.size());
        if (room <= 0) {
            return Fail(KST_ERR_SOCKET_LENGTH);
        }
        if (m_blocking) {
            const WaitResult waited = Wait(false, m_receiveTimeout);
            if (waited != WaitResult::kReady) {
                return Fail(
                    waited == WaitResult::kTimedOut ? KST_ERR_TIMEOUT : KST_ERR_SOCKET_RECEIVE,
                    WSAGetLastError());
            }
        }
        const int n = recv(m_socket, chunk, std::min(kChunk, room), 0);
        if (n == SOCKET_ERROR) {
            const int error = WSAGetLastError();
            return Fail(error == WSAEWOULDBLOCK ? KST_ERR_WOULD_BLOCK : KST_ERR_SOCKET_RECEIVE,
                        error);
        }
        if (n == 0) {
            if (m_pending.empty()) {
                return Fail(KST_ERR_PEER_CLOSED);
            }
            consumed = static_cast<int>(m_pending.size());
            return consumed;
        }
        m_receivedBytes += static_cast<uint64_t>(n);
        m_pending.append(chunk, static_cast<size_t>(n));
    }
}

int CKSTSocket::ReadUntil(CKSTString& out, const CKSTString& delimiter)
{
    out.Empty();
    int consumed = 0;
    const int length = ReadUntilPending(delimiter, consumed);
    if (length < 0) {
        return length;
    }
    out.Assign(m_pending.data(), length);
    m_pending.erase(0, static_cast<size_t>(consumed));
    return length;
}

int CKSTSocket::ReadUntilBuffer(CKSTMemBuffer& out, const CKSTString& delimiter)
{
    out.Free();
    int consumed = 0;
    const int length = ReadUntilPending(delimiter, consumed);
    if (length < 0) {
        return length;
    }
    if (out.Write(m_pending.data(), 1, static_cast<uint32_t>(length)) !=
        static_cast<uint32_t>(length)) {
        return Fail(KST_ERR_SOCKET_LENGTH);
    }
    out.SetPosition(0);
    m_pending.erase(0, static_cast<size_t>(consumed));
    return length;
}

int CKSTSocket::ReadLine(CKSTString& out, bool dropCR)
{
    const int length = ReadUntil(out, "\n");
    if (length >= 1 && dropCR && out.Last() == '\r') {
        out.RemoveLast();
        return length - 1;
    }
    return length;
}

int CKSTSocket::Receive(void* bytes, int max)
{
    if (max <= 0) {
        return 0;
    }
    // Bytes already here are the answer; waiting for more first could time out on them.
    if (!m_pending.empty()) {
        const int n = std::min(max, static_cast<int>(m_pending.size()));
        m_pending.copy(static_cast<char*>(bytes), static_cast<size_t>(n));
        m_pending.erase(0, static_cast<size_t>(n));
        return n;
    }
    if (m_blocking) {
        const WaitResult waited = Wait(false, m_receiveTimeout);
        if (waited != WaitResult::kReady) {
            return Fail(waited == WaitResult::kTimedOut ? KST_ERR_TIMEOUT : KST_ERR_SOCKET_RECEIVE,
                        WSAGetLastError());
        }
    }
    const int n = recv(m_socket, static_cast<char*>(bytes), std::min(max, kChunk), 0);
    if (n == SOCKET_ERROR) {
        const int error = WSAGetLastError();
        return Fail(error == WSAEWOULDBLOCK ? KST_ERR_WOULD_BLOCK : KST_ERR_SOCKET_RECEIVE, error);
    }
    m_receivedBytes += static_cast<uint64_t>(n);
    return n;
}

void CKSTSocket::RestorePending(const char* bytes, int n)
{
    m_pending.insert(0, bytes, static_cast<size_t>(n));
}

int CKSTSocket::ReceiveExact(void* bytes, int n)
{
    if (n <= 0) {
        return 0;
    }
    char* out = static_cast<char*>(bytes);
    int got = std::min(n, static_cast<int>(m_pending.size()));
    m_pending.copy(out, static_cast<size_t>(got));
    m_pending.erase(0, static_cast<size_t>(got));
    while (got < n) {
        // On failure the bytes taken so far go back to the pending bytes, so a caller that
        // retries after a time-out still reads the stream from where it stood.
        if (m_blocking) {
            const WaitResult waited = Wait(false, m_receiveTimeout);
            if (waited != WaitResult::kReady) {
                RestorePending(out, got);
                return Fail(
                    waited == WaitResult::kTimedOut ? KST_ERR_TIMEOUT : KST_ERR_SOCKET_RECEIVE,
                    WSAGetLastError());
            }
        }
        const int received = recv(m_socket, out + got, std::min(n - got, kChunk), 0);
        if (received == SOCKET_ERROR || received == 0) {
            RestorePending(out, got);
            return received == 0 ? FailWithLastError(KST_ERR_PEER_CLOSED)
                                 : FailWithLastError(KST_ERR_SOCKET_RECEIVE, WSAGetLastError());
        }
        m_receivedBytes += static_cast<uint64_t>(received);
        got += received;
    }
    return n;
}

int CKSTSocket::ReceiveString(CKSTString& out)
{
    char chunk[kChunk];
    const int n = Receive(chunk, kChunk);
    if (n < 0) {
        out.Empty();
        return n;
    }
    out.Assign(chunk, n);
    return n;
}

int CKSTSocket::ReceiveInto(CKSTMemBuffer& buffer, uint32_t n, uint32_t* counter)
{
    // The buffer holds exactly this transfer, never bytes left from an earlier, longer one.
    buffer.Free();
    if (!buffer.Reserve(n)) {
        return Fail(KST_ERR_SOCKET_LENGTH);
    }
    buffer.SetPosition(0);
    char chunk[kChunk];
    for (uint32_t done = 0; done < n;) {
        const int part = static_cast<int>(std::min<uint32_t>(n - done, kChunk));
        const int received = ReceiveExact(chunk, part);
        if (received < 0) {
            return received;
        }
        if (buffer.Write(chunk, 1, static_cast<uint32_t>(part)) != static_cast<uint32_t>(part)) {
            return Fail(KST_ERR_SOCKET_LENGTH);
        }
        done += static_cast<uint32_t>(part);
        if (counter) {
            *counter += static_cast<uint32_t>(part);
        }
    }
    buffer.SetPosition(0);
    return static_cast<int>(n);
}

int CKSTSocket::ReceiveBuffer(CKSTMemBuffer& buffer, int n, uint32_t* counter)
{
    if (n < 0) {
        return Fail(KST_ERR_SOCKET_LENGTH);
    }
    return ReceiveInto(buffer, static_cast<uint32_t>(n), counter);
}

int CKSTSocket::ReceiveBlock(CKSTMemBuffer& buffer)
{
    unsigned char header[4];
    const int received = ReceiveExact(header, 4);
    if (received < 0) {
        return received;
    }
    const uint32_t length = KstLoadBE<uint32_t>(header);
    if (length > kMaxBlockLength) {
        return Fail(KST_ERR_SOCKET_LENGTH);
    }
    return ReceiveInto(buffer, length, nullptr);
}

int CKSTSocket::SendBytes(const void* bytes, int n)
{
    if (m_socket == INVALID_SOCKET) {
        return KST_ERR_SOCKET_NOT_READY;
    }
    if (n <= 0) {
        return 0;
    }
    const char* data = static_cast<const char*>(bytes);
    if (!m_blocking) {
        const int sent = send(m_socket, data, std::min(n, kChunk), 0);
        return sent == SOCKET_ERROR ? FailWithLastError(KST_ERR_SOCKET_SEND, WSAGetLastError())
                                    : sent;
    }
    int error = 0;
    for (int done = 0;;) {
        const WaitResult waited = Wait(true, m_sendTimeout);
        if (waited == WaitResult::kTimedOut) {
            return FailWithLastError(KST_ERR_TIMEOUT);
        }
        if (waited == WaitResult::kFailed) {
            error = WSAGetLastError();
            break;
        }
        // Small pieces keep a blocking send from outlasting the time-out.
        const int sent = send(m_socket, data + done, std::min(n - done, kChunk), 0);
        if (sent == SOCKET_ERROR) {
            error = WSAGetLastError();
            break;
        }
        done += sent;
        if (done == n) {
            return n;
        }
    }
    return FailWithLastError(KST_ERR_SOCKET_SEND, error);
}

int CKSTSocket::SendString(const CKSTString& text)
{
    if (text.IsEmpty()) {
        return KST_ERR_SOCKET_LENGTH;
    }
    return SendBytes(text.c_str(), text.GetLength());
}

int CKSTSocket::SendFromBuffer(CKSTMemBuffer& buffer, bool withLength)
{
    if (!m_blocking || m_socket == INVALID_SOCKET) {
        return KST_ERR_SOCKET_NOT_READY;
    }
    const uint32_t size = buffer.GetSize();
    if (size > static_cast<uint32_t>(INT32_MAX)) {
        return Fail(KST_ERR_SOCKET_LENGTH);
    }
    if (withLength) {
        unsigned char header[4];
        KstStoreBE(header, size);
        const int sent = SendBytes(header, 4);
        if (sent < 0) {
            return sent;
        }
    }
    buffer.SetPosition(0);
    char chunk[kChunk];
    for (uint32_t done = 0; done < size;) {
        const uint32_t part = buffer.Read(chunk, 1, std::min<uint32_t>(size - done, kChunk));
        const int sent = SendBytes(chunk, static_cast<int>(part));
        if (sent < 0) {
            return sent;
        }
        done += part;
    }
    return static_cast<int>(size);
}

int CKSTSocket::SendBuffer(CKSTMemBuffer& buffer)
{
    return SendFromBuffer(buffer, false);
}

int CKSTSocket::SendBlock(CKSTMemBuffer& buffer)
{
    return SendFromBuffer(buffer, true);
}

double CKSTSocket::Throughput(bool reset)
{
    const CKSTTimeStamp now = s_clock();
    const double seconds = (now - m_countStart).GetSeconds();
    const double result =
        seconds > 0.0 ? static_cast<double>(m_receivedBytes) / seconds / 1024.0 : 0.0;
    if (reset && seconds > 2.0) {
        m_countStart = now;
        m_receivedBytes = 0;
    }
    return result;
}

int CKSTSocket::OpenUdp(const CKSTString& host, int port, const CKSTString& request,
                        double timeoutSeconds, CKSTString& reply)
{
    Startup();
    const SOCKET s = OpenBroadcastSocket();
    if (s == INVALID_SOCKET) {
        return KST_ERR_SOCKET;
    }
    uint32_t address = 0;
    const int resolved = ResolveHost(host, address);
    if (resolved != KST_OK) {
        closesocket(s);
        return resolved;
    }
    const sockaddr_in target = MakeAddress(address, port);
    if (sendto(s, request.c_str(), request.GetLength(), 0,
               reinterpret_cast<const sockaddr*>(&target), sizeof target) == SOCKET_ERROR) {
        closesocket(s);
        return KST_ERR_SOCKET;
    }
    const SteadyClock::time_point sent = SteadyClock::now();
    std::string datagram(kDatagramMax, '\0');
    int result = KST_ERR_TIMEOUT;
    while (SecondsSince(sent) < timeoutSeconds) {
        sockaddr_in from = {};
        const int n = ReceiveDatagram(s, datagram.data(), kDatagramMax, from);
        if (n >= 0) {
            reply.Assign(datagram.data(), n);
            result = KST_OK;
            break;
        }
        Sleep(1);
    }
    closesocket(s);
    return result;
}

std::vector<uint32_t> CKSTSocket::BroadcastTargetsFromTable(const std::vector<KstIpAddrRow>& rows)
{
    std::vector<uint32_t> targets;
    for (const KstIpAddrRow& row : rows) {
        if (row.address == 0) {
            continue;
        }
        const uint32_t network = row.address & row.mask;
        const uint32_t target = row.broadcast != 0 ? (network | ~row.mask) : network;
        if ((target >> 24) == 127) {
            continue;
        }
        targets.push_back(target);
    }
    return targets;
}

std::vector<uint32_t> CKSTSocket::BuildBroadcastTargets()
{
    std::vector<unsigned char> storage(sizeof(MIB_IPADDRTABLE));
    ULONG size = static_cast<ULONG>(storage.size());
    DWORD status = ERROR_INSUFFICIENT_BUFFER;
    for (int attempt = 0; attempt < 5 && status == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
        storage.resize(std::max<size_t>(size, sizeof(MIB_IPADDRTABLE)));
        size = static_cast<ULONG>(storage.size());
        status = GetIpAddrTable(reinterpret_cast<MIB_IPADDRTABLE*>(storage.data()), &size, FALSE);
    }
    if (status != NO_ERROR) {
        return {};
    }
    const auto* table = reinterpret_cast<const MIB_IPADDRTABLE*>(storage.data());
    std::vector<KstIpAddrRow> rows;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        KstIpAddrRow row;
        row.address = ntohl(table->table[i].dwAddr);
        row.mask = ntohl(table->table[i].dwMask);
        row.broadcast = table->table[i].dwBCastAddr;
        rows.push_back(row);
    }
    return BroadcastTargetsFromTable(rows);
}

int CKSTSocket::StartReceiver(int port, const CKSTString& request, double waitSeconds,
                              std::atomic<unsigned char>* finished)
{
    // The thread works on m_scan: a scan still running must be over before it is refilled.
    StopScan();
    m_open = true;
    m_scan.port = static_cast<uint16_t>(port);
    m_scan.request = request;
    m_scan.waitSeconds = waitSeconds;
    m_scan.finished = finished;
    {
        ScanLock lock(m_scan.mutex);
        m_scan.targets.clear();
        m_scan.replies.clear();
        m_scan.senders.clear();
    }
    // Cleared before the thread exists, so a poller never sees the previous scan's 1.
    if (finished) {
        finished->store(0);
    }
    m_scan.stop = false;
    m_scan.running = true;
    if (StartThread(m_scan.thread, &CKSTSocket::DiscoveryThread, &m_scan) != KST_OK) {
        m_scan.running = false;
        if (finished) {
            finished->store(1);
        }
        return KST_ERR_THREAD_START;
    }
    return KST_OK;
}

void CKSTSocket::StopScan()
{
    if (m_scan.running) {
        m_scan.stop = true;
        const SteadyClock::time_point start = SteadyClock::now();
        while (m_scan.running && SecondsSince(start) * 1000.0 < kScanStopGuardMs) {
            Sleep(1);
        }
        if (m_scan.running && m_scan.thread.handle) {
            KillThread(m_scan.thread);
            m_scan.running = false;
        }
    }
    if (m_scan.thread.handle && !WaitThreadEnd(m_scan.thread, kScanStopGuardMs)) {
        KillThread(m_scan.thread);
    }
}

unsigned __stdcall CKSTSocket::DiscoveryThread(void* scanRecord)
{
    ScanRecord& scan = *static_cast<ScanRecord*>(scanRecord);
    const int result = RunDiscovery(scan);
    // Last touch of the record: the owner may free it once this is false.
    scan.running = false;
    return static_cast<unsigned>(result);
}

int CKSTSocket::RunDiscovery(ScanRecord& scan)
{
    const auto finish = [&scan](SOCKET s, int result) {
        if (!scan.stop && scan.finished) {
            scan.finished->store(1);
        }
        if (s != INVALID_SOCKET) {
            closesocket(s);
        }
        return result;
    };

    Startup();
    const std::vector<uint32_t> targets = s_targetListSource();
    {
        ScanLock lock(scan.mutex);
        scan.targets = targets;
    }
    const SOCKET s = OpenBroadcastSocket();
    if (s == INVALID_SOCKET) {
        return finish(s, KST_ERR_SOCKET);
    }
    std::string datagram(kDatagramMax, '\0');
    for (const uint32_t target : targets) {
        if (scan.stop) {
            break;
        }
        const sockaddr_in to = MakeAddress(target, scan.port);
        if (sendto(s, scan.request.c_str(), scan.request.GetLength(), 0,
                   reinterpret_cast<const sockaddr*>(&to), sizeof to) == SOCKET_ERROR) {
            return finish(s, KST_ERR_SOCKET);
        }
        const SteadyClock::time_point sent = SteadyClock::now();
        while (!scan.stop && SecondsSince(sent) < scan.waitSeconds) {
            sockaddr_in from = {};
            const int n = ReceiveDatagram(s, datagram.data(), kDatagramMax, from);
            if (n >= 0) {
                const CKSTString sender = AddressToText(ntohl(from.sin_addr.s_addr));
                CKSTString reply;
                reply.Assign(datagram.data(), n);
                ScanLock lock(scan.mutex);
                if (lock.Owned() && std::find(scan.senders.begin(), scan.senders.end(), sender) ==
                                        scan.senders.end()) {
                    scan.replies.push_back(reply);
                    scan.senders.push_back(sender);
                }
            }
            Sleep(1);
        }
    }
    return finish(s, KST_OK);
}

int CKSTSocket::GetReceivedCount()
{
    ScanLock lock(m_scan.mutex);
    return static_cast<int>(m_scan.replies.size());
}

CKSTString CKSTSocket::GetReceivedMessage(int i)
{
    ScanLock lock(m_scan.mutex);
    if (i < 0 || i >= static_cast<int>(m_scan.replies.size())) {
        return CKSTString();
    }
    return m_scan.replies[static_cast<size_t>(i)];
}

CKSTString CKSTSocket::GetReceivedFrom(int i)
{
    ScanLock lock(m_scan.mutex);
    if (i < 0 || i >= static_cast<int>(m_scan.senders.size())) {
        return CKSTString();
    }
    return m_scan.senders[static_cast<size_t>(i)];
}

void CKSTSocket::CloseReceiverHandle()
{
    if (m_scan.thread.handle) {
        CloseHandle(m_scan.thread.handle);
        m_scan.thread.handle = nullptr;
    }
}
