// CKSTSocket against real peers on loopback: scripted TCP and UDP peers run on their own
// threads, on ports the system picks, and only ever talk to 127.0.0.0/8.
#include "foundation/win/Socket.h"

#include <gtest/gtest.h>
#include <mswsock.h>
#include <ws2tcpip.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "foundation/ErrorCodes.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr uint32_t kLoopback = 0x7F000001;   // 127.0.0.1
constexpr uint32_t kLoopback2 = 0x7F000002;  // 127.0.0.2
constexpr uint32_t kLoopback3 = 0x7F000003;  // 127.0.0.3
// Bound for anything that should happen soon; only reached when a test fails.
constexpr int kGuardSeconds = 10;

double SecondsSince(SteadyClock::time_point start)
{
    return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

sockaddr_in Address(uint32_t hostOrder, int port)
{
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(hostOrder);
    a.sin_port = htons(static_cast<u_short>(port));
    return a;
}

int LocalPort(SOCKET s)
{
    sockaddr_in a = {};
    int length = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
    return ntohs(a.sin_port);
}

void SetReceiveGuard(SOCKET s)
{
    const DWORD ms = kGuardSeconds * 1000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
}

std::string Pattern(size_t n)
{
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    }
    return bytes;
}

std::string BigEndian32(uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

std::string Text(const CKSTString& s)
{
    return std::string(s.c_str(), static_cast<size_t>(s.GetLength()));
}

std::string Bytes(const CKSTMemBuffer& b)
{
    return b.GetSize() ? std::string(reinterpret_cast<const char*>(b.GetData()), b.GetSize())
                       : std::string();
}

CKSTString Str(const std::string& bytes)
{
    CKSTString s;
    s.Assign(bytes.data(), static_cast<int>(bytes.size()));
    return s;
}

// A one-shot release the peers wait for before they close.
class Gate {
public:
    void Open()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    void WaitOpen()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(3 * kGuardSeconds),
                           [this] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};

struct PeerStep {
    enum Kind { kSend, kPause, kClose, kReadToEnd } kind;
    std::string bytes;
    int ms = 0;
};

PeerStep Send(std::string bytes)
{
    return {PeerStep::kSend, std::move(bytes), 0};
}
PeerStep Pause(int ms)
{
    return {PeerStep::kPause, {}, ms};
}
PeerStep CloseConnection()
{
    return {PeerStep::kClose, {}, 0};
}
PeerStep ReadToEnd()
{
    return {PeerStep::kReadToEnd, {}, 0};
}

// Accepts one connection on 127.0.0.1, plays its script, then holds the connection open until
// released (or destroyed) and closes it.
class TcpPeer {
public:
    explicit TcpPeer(std::vector<PeerStep> script) : m_script(std::move(script))
    {
        CKSTSocket::Startup();
        m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        const sockaddr_in local = Address(kLoopback, 0);
        bind(m_listener, reinterpret_cast<const sockaddr*>(&local), sizeof local);
        listen(m_listener, 1);
        m_port = LocalPort(m_listener);
        m_thread = std::thread([this] { Run(); });
    }
    ~TcpPeer() { Finish(); }
    TcpPeer(const TcpPeer&) = delete;
    TcpPeer& operator=(const TcpPeer&) = delete;

    int Port() const { return m_port; }
    void Release() { m_release.Open(); }
    // Everything the peer read; waits for the peer to end.
    std::string Received()
    {
        Finish();
        return m_received;
    }

private:
    void Finish()
    {
        Release();
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

    void Run()
    {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_listener, &readable);
        timeval guard = {kGuardSeconds, 0};
        SOCKET s = INVALID_SOCKET;
        if (select(0, &readable, nullptr, nullptr, &guard) == 1) {
            s = accept(m_listener, nullptr, nullptr);
        }
        closesocket(m_listener);
        if (s == INVALID_SOCKET) {
            return;
        }
        BOOL noDelay = TRUE;
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                   sizeof noDelay);
        SetReceiveGuard(s);
        bool open = true;
        for (const PeerStep& step : m_script) {
            switch (step.kind) {
                case PeerStep::kSend:
                    for (size_t done = 0; done < step.bytes.size();) {
                        const int n = send(s, step.bytes.data() + done,
                                           static_cast<int>(step.bytes.size() - done), 0);
                        if (n <= 0) {
                            break;
                        }
                        done += static_cast<size_t>(n);
                    }
                    break;
                case PeerStep::kPause:
                    std::this_thread::sleep_for(std::chrono::milliseconds(step.ms));
                    break;
                case PeerStep::kClose:
                    shutdown(s, SD_SEND);
                    closesocket(s);
                    open = false;
                    break;
                case PeerStep::kReadToEnd: {
                    char chunk[4096];
                    int n;
                    while ((n = recv(s, chunk, sizeof chunk, 0)) > 0) {
                        m_received.append(chunk, static_cast<size_t>(n));
                    }
                    break;
                }
            }
        }
        m_release.WaitOpen();
        if (open) {
            closesocket(s);
        }
    }

    std::vector<PeerStep> m_script;
    SOCKET m_listener = INVALID_SOCKET;
    int m_port = 0;
    Gate m_release;
    std::string m_received;
    std::thread m_thread;
};

// A UDP socket on 127.0.0.1 that answers every request from loopback with its replies until it
// is destroyed, and keeps the requests it got.
class UdpResponder {
public:
    explicit UdpResponder(std::vector<std::string> replies) : m_replies(std::move(replies))
    {
        CKSTSocket::Startup();
        m_socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        const sockaddr_in local = Address(kLoopback, 0);
        bind(m_socket, reinterpret_cast<const sockaddr*>(&local), sizeof local);
        m_port = LocalPort(m_socket);
        m_thread = std::thread([this] { Run(); });
    }
    ~UdpResponder()
    {
        m_stop = true;
        m_thread.join();
        closesocket(m_socket);
    }

    int Port() const { return m_port; }
    std::vector<std::string> Requests()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

private:
    void Run()
    {
        while (!m_stop) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(m_socket, &readable);
            timeval poll = {0, 20000};
            if (select(0, &readable, nullptr, nullptr, &poll) != 1) {
                continue;
            }
            char request[2048];
            sockaddr_in from = {};
            int length = sizeof from;
            const int n = recvfrom(m_socket, request, sizeof request, 0,
                                   reinterpret_cast<sockaddr*>(&from), &length);
            if (n < 0 || (ntohl(from.sin_addr.s_addr) >> 24) != 127) {
                continue;
            }
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_requests.emplace_back(request, static_cast<size_t>(n));
            }
            for (const std::string& reply : m_replies) {
                sendto(m_socket, reply.data(), static_cast<int>(reply.size()), 0,
                       reinterpret_cast<const sockaddr*>(&from), length);
            }
        }
    }

    std::vector<std::string> m_replies;
    SOCKET m_socket = INVALID_SOCKET;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};

// ---------------------------------------------------------------------------------------------
// Reads: each case scripts the peer, runs calls in order and then checks what is left unread
// (the pending bytes plus anything still on the wire) by draining after the peer has closed.

struct Call {
    const char* what;
    std::function<int(CKSTSocket&, std::string&)> run;
    int expected;
    std::string text;
    double minSeconds = -1.0;
    double maxSeconds = -1.0;
};

Call Until(const std::string& delimiter, int expected, std::string text = {})
{
    return {"ReadUntil",
            [delimiter](CKSTSocket& s, std::string& out) {
                CKSTString got;
                const int r = s.ReadUntil(got, Str(delimiter));
                out = Text(got);
                return r;
            },
            expected, std::move(text)};
}

Call UntilBuffer(const std::string& delimiter, int expected, std::string text = {})
{
    return {"ReadUntilBuffer",
            [delimiter](CKSTSocket& s, std::string& out) {
                CKSTMemBuffer got;
                got.Write("stale", 1, 5);
                const int r = s.ReadUntilBuffer(got, Str(delimiter));
                out = Bytes(got);
                return r;
            },
            expected, std::move(text)};
}

Call Line(bool dropCR, int expected, std::string text = {})
{
    return {"ReadLine",
            [dropCR](CKSTSocket& s, std::string& out) {
                CKSTString got;
                const int r = s.ReadLine(got, dropCR);
                out = Text(got);
                return r;
            },
            expected, std::move(text)};
}

Call Recv(int max, int expected, std::string text = {})
{
    return {"Receive",
            [max](CKSTSocket& s, std::string& out) {
                std::string got(static_cast<size_t>(max), '\0');
                const int r = s.Receive(got.data(), max);
                out = r > 0 ? got.substr(0, static_cast<size_t>(r)) : std::string();
                return r;
            },
            expected, std::move(text)};
}

Call Exact(int n, int expected, std::string text = {})
{
    return {"ReceiveExact",
            [n](CKSTSocket& s, std::string& out) {
                std::string got(static_cast<size_t>(n), '\0');
                const int r = s.ReceiveExact(got.data(), n);
                out = r > 0 ? got : std::string();
                return r;
            },
            expected, std::move(text)};
}

Call RecvString(int expected, std::string text = {})
{
    return {"ReceiveString",
            [](CKSTSocket& s, std::string& out) {
                CKSTString got("stale");
                const int r = s.ReceiveString(got);
                out = Text(got);
                return r;
            },
            expected, std::move(text)};
}

Call NonBlocking()
{
    return {"SetBlocking(false)",
            [](CKSTSocket& s, std::string&) { return s.SetBlocking(false); },
            KST_OK,
            {}};
}

Call Taking(Call call, double minSeconds, double maxSeconds)
{
    call.minSeconds = minSeconds;
    call.maxSeconds = maxSeconds;
    return call;
}

struct ReadCase {
    const char* name;
    std::vector<PeerStep> peer;
    double receiveTimeout;
    std::vector<Call> calls;
    std::string unread;
};

// Runs the calls of a case against a connected socket, then drains.
void RunReadCase(const ReadCase& c)
{
    SCOPED_TRACE(c.name);
    TcpPeer peer(c.peer);
    CKSTSocket socket;
    socket.m_sendTimeout = kGuardSeconds;
    ASSERT_EQ(KST_OK, socket.Connect("127.0.0.1", peer.Port(), CKSTSocket::kStream));
    socket.m_receiveTimeout = c.receiveTimeout;
    for (const Call& call : c.calls) {
        SCOPED_TRACE(call.what);
        std::string text;
        const SteadyClock::time_point start = SteadyClock::now();
        const int result = call.run(socket, text);
        const double seconds = SecondsSince(start);
        EXPECT_EQ(call.expected, result);
        if (call.expected >= 0) {
            EXPECT_EQ(call.text, text);
        }
        if (call.minSeconds >= 0.0) {
            EXPECT_GE(seconds, call.minSeconds);
            EXPECT_LE(seconds, call.maxSeconds);
        }
    }
    peer.Release();
    socket.SetBlocking(true);
    socket.m_receiveTimeout = kGuardSeconds;
    CKSTString rest;
    const int drained = socket.ReadUntil(rest, Str(std::string("\x01never\x02", 7)));
    if (c.unread.empty()) {
        EXPECT_EQ(KST_ERR_PEER_CLOSED, drained);
    } else {
        EXPECT_EQ(static_cast<int>(c.unread.size()), drained);
        EXPECT_EQ(c.unread, Text(rest));
    }
}

TEST(SocketReads, DelimitersLinesAndExactReads)
{
    const std::string big = Pattern(20000);
    const ReadCase cases[] = {
        {"line split across packets, CR dropped",
         {Send("O"), Pause(30), Send("K\r"), Pause(30), Send("\nNEXT")},
         5.0,
         {Line(true, 2, "OK")},
         "NEXT"},
        {"line keeps its CR unless asked",
         {Send("OK\r\nNEXT")},
         5.0,
         {Line(false, 3, "OK\r")},
         "NEXT"},
        {"empty lines", {Send("\r\n\nX")}, 5.0, {Line(true, 0, ""), Line(true, 0, "")}, "X"},
        {"delimiter split across packets",
         {Send("first<EN"), Pause(30), Send("D>second<"), Pause(30), Send("END>tail")},
         5.0,
         {Until("<END>", 5, "first"), Until("<END>", 6, "second")},
         "tail"},
        {"delimiter read into a memory buffer replaces its contents",
         {Send(std::string("--frame\0bytes\r\n\r\n--rest", 23))},
         5.0,
         {UntilBuffer("\r\n\r\n", 13, std::string("--frame\0bytes", 13))},
         "--rest"},
        {"peer closes without the delimiter",
         {Send("abc"), CloseConnection()},
         5.0,
         {Until("\r\n", 3, "abc"), Until("\r\n", KST_ERR_PEER_CLOSED)},
         ""},
        {"time-out keeps the partial line pending",
         {Send("ab")},
         0.3,
         {Taking(Line(true, KST_ERR_TIMEOUT), 0.25, 5.0)},
         "ab"},
        {"negative time-out waits for the peer",
         {Pause(400), Send("late\n")},
         -1.0,
         {Taking(Line(true, 4, "late"), 0.3, 10.0)},
         ""},
        {"receive hands out pending bytes at once",
         {Send("line\nrest")},
         5.0,
         {Line(true, 4, "line"), Taking(Recv(100, 4, "rest"), 0.0, 1.0)},
         ""},
        {"receive takes no more than asked from the pending bytes",
         {Send("line\nrest")},
         5.0,
         {Line(true, 4, "line"), Recv(3, 3, "res")},
         "t"},
        {"receive waits for new bytes",
         {Pause(200), Send("xyz")},
         5.0,
         {Taking(Recv(100, 3, "xyz"), 0.1, 5.0)},
         ""},
        {"receive after the peer closed gives 0",
         {CloseConnection()},
         5.0,
         {Recv(10, 0, ""), RecvString(0, "")},
         ""},
        {"receive string", {Send("hello")}, 5.0, {RecvString(5, "hello")}, ""},
        {"receive string time-out empties the text",
         {},
         0.3,
         {Taking(RecvString(KST_ERR_TIMEOUT, ""), 0.25, 5.0)},
         ""},
        {"exact read across pending and new bytes",
         {Send("hdr\nAB"), Pause(100), Send("CDEF")},
         5.0,
         {Line(true, 3, "hdr"), Exact(4, 4, "ABCD")},
         "EF"},
        {"exact read ended by the peer keeps the bytes",
         {Send("AB"), CloseConnection()},
         5.0,
         {Exact(4, KST_ERR_PEER_CLOSED)},
         "AB"},
        {"exact read time-out keeps the bytes",
         {Send("AB")},
         0.3,
         {Taking(Exact(4, KST_ERR_TIMEOUT), 0.25, 5.0)},
         "AB"},
        {"exact read of several chunks", {Send(big)}, 5.0, {Exact(20000, 20000, big)}, ""},
        {"non-blocking reads with nothing waiting",
         {},
         5.0,
         {NonBlocking(), RecvString(KST_ERR_WOULD_BLOCK, ""), Until("\n", KST_ERR_WOULD_BLOCK)},
         ""},
    };
    for (const ReadCase& c : cases) {
        RunReadCase(c);
    }
}

// A peer that never sends the delimiter cannot make the socket hold more than the cap.
TEST(SocketReads, PendingBytesAreCappedWithoutDelimiter)
{
    const size_t sent = CKSTSocket::kMaxPendingBytes + 10;
    TcpPeer peer({Send(std::string(sent, 'x'))});
    CKSTSocket socket;
    ASSERT_EQ(KST_OK, socket.Connect("127.0.0.1", peer.Port(), CKSTSocket::kStream));
    socket.m_receiveTimeout = kGuardSeconds;
    CKSTString line;
    EXPECT_EQ(KST_ERR_SOCKET_LENGTH, socket.ReadLine(line, true));
    EXPECT_EQ(0, line.GetLength());
    // The bytes held so far are not lost: an exact read takes them and then the rest.
    std::string all(sent, '\0');
    EXPECT_EQ(static_cast<int>(sent), socket.ReceiveExact(all.data(), static_cast<int>(sent)));
    EXPECT_EQ(std::string(sent, 'x'), all);
}

struct BlockCase {
    const char* name;
    std::string wire;
    int expected;
    std::string payload;
};

TEST(SocketBlocks, LengthPrefixedBlocksFromThePeer)
{
    const std::string b256 = Pattern(256);
    const std::string b70000 = Pattern(70000);
    const BlockCase cases[] = {
        {"empty block", BigEndian32(0), 0, ""},
        {"header 00 00 01 00 is 256 bytes", std::string("\0\0\x01\0", 4) + b256, 256, b256},
        {"block over several chunks", BigEndian32(70000) + b70000, 70000, b70000},
        {"announced length over the cap", BigEndian32(CKSTSocket::kMaxBlockLength + 1),
         KST_ERR_SOCKET_LENGTH, ""},
        {"announced length near 4 GiB", BigEndian32(0xFFFFFFF0u), KST_ERR_SOCKET_LENGTH, ""},
        {"block cut short by the peer", BigEndian32(100) + Pattern(50), KST_ERR_PEER_CLOSED, ""},
        {"header cut short by the peer", std::string("\0\0", 2), KST_ERR_PEER_CLOSED, ""},
    };
    for (const BlockCase& c : cases) {
        SCOPED_TRACE(c.name);
        TcpPeer peer({Send(c.wire), CloseConnection()});
        CKSTSocket socket;
        socket.m_receiveTimeout = kGuardSeconds;
        ASSERT_EQ(KST_OK, socket.Connect("127.0.0.1", peer.Port(), CKSTSocket::kStream));
        CKSTMemBuffer buffer;
        const std::string stale(1000, 'Z');
        buffer.Write(stale.data(), 1, 1000);
        EXPECT_EQ(c.expected, socket.ReceiveBlock(buffer));
        if (c.expected >= 0) {
            // Exactly the block: nothing of the longer earlier contents survives.
            EXPECT_EQ(c.payload, Bytes(buffer));
            EXPECT_EQ(0u, buffer.GetPosition());
        }
    }
}

TEST(SocketBlocks, ReceiveBufferCountsChunks)
{
    const std::string data = Pattern(20000);
    TcpPeer peer({Send(data + "after")});
    CKSTSocket socket;
    socket.m_receiveTimeout = kGuardSeconds;
    ASSERT_EQ(KST_OK, socket.Connect("127.0.0.1", peer.Port(), CKSTSocket::kStream));
    CKSTMemBuffer buffer;
    uint32_t counter = 5;
    EXPECT_EQ(20000, socket.ReceiveBuffer(buffer, 20000, &counter));
    EXPECT_EQ(20005u, counter);
    EXPECT_EQ(data, Bytes(buffer));
    EXPECT_EQ(0u, buffer.GetPosition());
    CKSTString rest;
    EXPECT_EQ(5, socket.ReceiveString(rest));
    EXPECT_EQ("after", Text(rest));
}

// ---------------------------------------------------------------------------------------------
// Sends: the peer reads everything until the socket closes.

struct SendCase {
    const char* name;
    std::function<int(CKSTSocket&)> send;
    int expected;
    std::string wire;
};

CKSTMemBuffer BufferOf(const std::string& bytes)
{
    CKSTMemBuffer b;
    b.Write(bytes.data(), 1, static_cast<uint32_t>(bytes.size()));
    return b;
}

TEST(SocketSends, EverySendPathDeliversItsBytes)
{
    const std::string b256 = Pattern(256);
    const std::string b70000 = Pattern(70000);
    const std::string b20000 = Pattern(20000);
    const SendCase cases[] = {
        {"text", [](CKSTSocket& s) { return s.SendString("hello\r\n"); }, 7, "hello\r\n"},
        {"empty text is refused", [](CKSTSocket& s) { return s.SendString(""); },
         KST_ERR_SOCKET_LENGTH, ""},
        {"bytes over several chunks",
         [&](CKSTSocket& s) { return s.SendBytes(b20000.data(), 20000); }, 20000, b20000},
        {"buffer without header, whatever its position",
         [&](CKSTSocket& s) {
             CKSTMemBuffer b = BufferOf(b70000);
             b.SetPosition(100);
             return s.SendBuffer(b);
         },
         70000, b70000},
        {"empty block is its header alone",
         [](CKSTSocket& s) {
             CKSTMemBuffer b;
             return s.SendBlock(b);
         },
         0, BigEndian32(0)},
        {"block of 256 bytes",
         [&](CKSTSocket& s) {
             CKSTMemBuffer b = BufferOf(b256);
             return s.SendBlock(b);
         },
         256, std::string("\0\0\x01\0", 4) + b256},
        {"block over several chunks",
         [&](CKSTSocket& s) {
             CKSTMemBuffer b = BufferOf(b70000);
             return s.SendBlock(b);
         },
         70000, std::string("\0\x01\x11\x70", 4) + b70000},
        {"block refused when not blocking",
         [&](CKSTSocket& s) {
             CKSTMemBuffer b = BufferOf(b256);
             s.SetBlocking(false);
             return s.SendBlock(b);
         },
         KST_ERR_SOCKET_NOT_READY, ""},
        {"buffer refused when not blocking",
         [&](CKSTSocket& s) {
             CKSTMemBuffer b = BufferOf(b256);
             s.SetBlocking(false);
             return s.SendBuffer(b);
         },
         KST_ERR_SOCKET_NOT_READY, ""},
        {"non-blocking send of a short text",
         [](CKSTSocket& s) {
             s.SetBlocking(false);
             return s.SendString("quick");
         },
         5, "quick"},
    };
    for (const SendCase& c : cases) {
        SCOPED_TRACE(c.name);
        TcpPeer peer({ReadToEnd()});
        CKSTSocket socket;
        ASSERT_EQ(KST_OK, socket.Connect("127.0.0.1", peer.Port(), CKSTSocket::kStream));
        EXPECT_EQ(c.expected, c.send(socket));
        EXPECT_EQ(KST_OK, socket.Close());
        EXPECT_EQ(c.wire, peer.Received());
    }
}

TEST(SocketSends, ClosedSocketRefusesToSend)
{
    CKSTSocket socket;
    CKSTMemBuffer b = BufferOf("abc");
    EXPECT_EQ(KST_ERR_SOCKET_NOT_READY, socket.SendString("abc"));
    EXPECT_EQ(KST_ERR_SOCKET_NOT_READY, socket.SendBlock(b));
}

// The peer never reads: once its buffers are full the send waits out its time-out.
TEST(SocketSends, SendToAStalledPeerTimesOut)
{
    TcpPeer peer({});
    CKSTSocket socket;
    ASSERT_EQ(KST_OK, socket.Connect("127.0.0.1", peer.Port(), CKSTSocket::kStream));
    socket.m_sendTimeout = 0.5;
    const std::string lots(64 << 20, 'q');
    const SteadyClock::time_point start = SteadyClock::now();
    EXPECT_EQ(KST_ERR_TIMEOUT, socket.SendBytes(lots.data(), static_cast<int>(lots.size())));
    const double seconds = SecondsSince(start);
    EXPECT_GE(seconds, 0.4);
    EXPECT_LE(seconds, 20.0);
}

// ---------------------------------------------------------------------------------------------
// Errors, connect, listen and accept.

TEST(SocketErrors, FirstErrorSticksUntilTheNextConnect)
{
    TcpPeer first({Send("partial")});
    CKSTSocket socket;
    ASSERT_EQ(KST_OK, socket.Connect("127.0.0.1", first.Port(), CKSTSocket::kStream));
    socket.m_receiveTimeout = 0.2;
    CKSTString line;
    EXPECT_EQ(KST_ERR_TIMEOUT, socket.ReadLine(line, true));
    first.Release();
    socket.m_receiveTimeout = kGuardSeconds;
    char bytes[100];
    // The peer has closed now; the call records that but reports the first error.
    EXPECT_EQ(KST_ERR_TIMEOUT, socket.ReceiveExact(bytes, sizeof bytes));
    EXPECT_EQ(KST_ERR_TIMEOUT, socket.Close());
    EXPECT_EQ(KST_ERR_TIMEOUT, socket.Close());

    TcpPeer second({ReadToEnd()});
    ASSERT_EQ(KST_OK, socket.Connect("127.0.0.1", second.Port(), CKSTSocket::kStream));
    EXPECT_EQ(3, socket.SendString("new"));
    EXPECT_EQ(KST_OK, socket.Close());
    EXPECT_EQ("new", second.Received());
}

TEST(SocketConnect, RefusedConnectFailsAtOnce)
{
    CKSTSocket::Startup();
    SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const sockaddr_in local = Address(kLoopback, 0);
    bind(probe, reinterpret_cast<const sockaddr*>(&local), sizeof local);
    const int unusedPort = LocalPort(probe);
    closesocket(probe);

    CKSTSocket socket;
    socket.m_sendTimeout = 30.0;
    const SteadyClock::time_point start = SteadyClock::now();
    EXPECT_EQ(KST_ERR_SOCKET_SEND, socket.Connect("127.0.0.1", unusedPort, CKSTSocket::kStream));
    EXPECT_LT(SecondsSince(start), 5.0);
    EXPECT_FALSE(socket.IsOpen());
    EXPECT_EQ(KST_ERR_SOCKET_SEND, socket.Close());
}

// A listener whose backlog is full leaves further connects unanswered where the system drops
// the request instead of refusing it.
TEST(SocketConnect, UnansweredConnectTimesOut)
{
    CKSTSocket::Startup();
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const sockaddr_in local = Address(kLoopback, 0);
    bind(listener, reinterpret_cast<const sockaddr*>(&local), sizeof local);
    listen(listener, 0);
    const sockaddr_in target = Address(kLoopback, LocalPort(listener));
    std::vector<SOCKET> fillers;
    bool dropping = false;
    for (int i = 0; i < 4 && !dropping; ++i) {
        SOCKET filler = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        u_long nonBlocking = 1;
        ioctlsocket(filler, FIONBIO, &nonBlocking);
        connect(filler, reinterpret_cast<const sockaddr*>(&target), sizeof target);
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(filler, &writable);
        timeval wait = {0, 300000};
        dropping = select(0, nullptr, &writable, nullptr, &wait) == 0;
        fillers.push_back(filler);
    }
    if (dropping) {
        CKSTSocket socket;
        socket.m_sendTimeout = 0.5;
        const SteadyClock::time_point start = SteadyClock::now();
        EXPECT_EQ(KST_ERR_TIMEOUT,
                  socket.Connect("127.0.0.1", ntohs(target.sin_port), CKSTSocket::kStream));
        const double seconds = SecondsSince(start);
        EXPECT_GE(seconds, 0.4);
        EXPECT_LE(seconds, 10.0);
        EXPECT_FALSE(socket.IsOpen());
    }
    for (SOCKET s : fillers) {
        closesocket(s);
    }
    closesocket(listener);
    if (!dropping) {
        GTEST_SKIP() << "this system refuses connects to a full backlog";
    }
}

TEST(SocketConnect, HostNamesAndDatagrams)
{
    uint32_t address = 0;
    EXPECT_EQ(KST_OK, CKSTSocket::ResolveHost("127.0.0.3", address));
    EXPECT_EQ(kLoopback3, address);
    EXPECT_EQ(KST_OK, CKSTSocket::ResolveHost("localhost", address));
    EXPECT_EQ(kLoopback, address);

    TcpPeer peer({Send("by name\n")});
    CKSTSocket socket;
    socket.m_receiveTimeout = kGuardSeconds;
    ASSERT_EQ(KST_OK, socket.Connect("localhost", peer.Port(), CKSTSocket::kStream));
    CKSTString line;
    EXPECT_EQ(7, socket.ReadLine(line, true));
    EXPECT_EQ("by name", Text(line));

    UdpResponder responder({"pong"});
    ASSERT_EQ(KST_OK, socket.Connect("127.0.0.1", responder.Port(), CKSTSocket::kDatagram));
    EXPECT_EQ(4, socket.SendString("ping"));
    EXPECT_EQ(4, socket.ReceiveString(line));
    EXPECT_EQ("pong", Text(line));
    EXPECT_EQ(std::vector<std::string>{"ping"}, responder.Requests());
}

TEST(SocketListen, StreamListenAcceptAndTalk)
{
    CKSTSocket server;
    server.m_receiveTimeout = kGuardSeconds;
    ASSERT_EQ(KST_OK, server.Listen(0, CKSTSocket::kStream));
    const int port = LocalPort(server.GetHandle());

    std::string clientGot;
    std::thread client([port, &clientGot] {
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        const sockaddr_in target = Address(kLoopback, port);
        SetReceiveGuard(s);
        if (connect(s, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) {
            send(s, "hello\r\n", 7, 0);
            char reply[16];
            const int n = recv(s, reply, sizeof reply, 0);
            if (n > 0) {
                clientGot.assign(reply, static_cast<size_t>(n));
            }
        }
        closesocket(s);
    });
    EXPECT_EQ(KST_OK, server.Accept());
    CKSTString line;
    EXPECT_EQ(5, server.ReadLine(line, true));
    EXPECT_EQ("hello", Text(line));
    EXPECT_EQ(5, server.SendString("world"));
    client.join();
    EXPECT_EQ("world", clientGot);
    EXPECT_EQ(KST_OK, server.Close());
}

TEST(SocketListen, ListenErrorsAndClose)
{
    CKSTSocket first;
    ASSERT_EQ(KST_OK, first.Listen(0, CKSTSocket::kStream));
    const int port = LocalPort(first.GetHandle());

    CKSTSocket second;
    EXPECT_EQ(KST_ERR_SOCKET_BIND, second.Listen(port, CKSTSocket::kStream));
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(KST_ERR_SOCKET_BIND, second.Close());
    // A listener that never accepted has nothing to shut down: closing it is no failure.
    EXPECT_EQ(KST_OK, first.Close());
    // Listen starts over with a clear error.
    EXPECT_EQ(KST_OK, second.Listen(0, CKSTSocket::kStream));
    EXPECT_EQ(KST_OK, second.Close());

    CKSTSocket nonBlocking;
    ASSERT_EQ(KST_OK, nonBlocking.Listen(0, CKSTSocket::kStream));
    nonBlocking.SetBlocking(false);
    EXPECT_EQ(KST_ERR_WOULD_BLOCK, nonBlocking.Accept());
}

TEST(SocketListen, DatagramAcceptConnectsToTheFirstSender)
{
    CKSTSocket server;
    server.m_receiveTimeout = kGuardSeconds;
    ASSERT_EQ(KST_OK, server.Listen(0, CKSTSocket::kDatagram));
    const int port = LocalPort(server.GetHandle());

    SOCKET client = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    const sockaddr_in local = Address(kLoopback, 0);
    bind(client, reinterpret_cast<const sockaddr*>(&local), sizeof local);
    SetReceiveGuard(client);
    // Longer than the peek: the sender must be learnt all the same.
    const std::string datagram = Pattern(1000);
    const sockaddr_in target = Address(kLoopback, port);
    sendto(client, datagram.data(), static_cast<int>(datagram.size()), 0,
           reinterpret_cast<const sockaddr*>(&target), sizeof target);

    CKSTString got;
    EXPECT_EQ(KST_OK, server.Accept());
    EXPECT_EQ(1000, server.ReceiveString(got));
    EXPECT_EQ(datagram, Text(got));
    EXPECT_EQ(3, server.SendString("ack"));
    char reply[16] = {};
    EXPECT_EQ(3, recv(client, reply, sizeof reply, 0));
    EXPECT_EQ("ack", std::string(reply, 3));
    closesocket(client);

    CKSTSocket idle;
    ASSERT_EQ(KST_OK, idle.Listen(0, CKSTSocket::kDatagram));
    idle.SetBlocking(false);
    EXPECT_EQ(KST_ERR_WOULD_BLOCK, idle.Accept());
}

// ---------------------------------------------------------------------------------------------
// Throughput on a substituted clock.

CKSTTimeStamp g_now(45000.0);
CKSTTimeStamp FakeNow()
{
    return g_now;
}

class SocketThroughput : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedClock = CKSTSocket::s_clock;
        CKSTSocket::s_clock = &FakeNow;
    }
    void TearDown() override { CKSTSocket::s_clock = m_savedClock; }

    CKSTSocket::Clock m_savedClock = nullptr;
};

TEST_F(SocketThroughput, CountsReceivedBytesAndRestartsAfterTwoSeconds)
{
    TcpPeer peer({Send(Pattern(2048)), Pause(300), Send(Pattern(1024))});
    CKSTSocket socket;
    socket.m_receiveTimeout = kGuardSeconds;
    ASSERT_EQ(KST_OK, socket.Connect("127.0.0.1", peer.Port(), CKSTSocket::kStream));
    EXPECT_EQ(0.0, socket.Throughput(false));

    std::string bytes(2048, '\0');
    ASSERT_EQ(2048, socket.ReceiveExact(bytes.data(), 2048));
    g_now.AddSeconds(1.0);
    EXPECT_DOUBLE_EQ(2.0, socket.Throughput(true));  // within 2 s: keeps counting
    g_now.AddSeconds(1.0);
    EXPECT_DOUBLE_EQ(1.0, socket.Throughput(false));
    g_now.AddSeconds(0.5);
    EXPECT_DOUBLE_EQ(0.8, socket.Throughput(true));  // after 2 s: restarts
    EXPECT_EQ(0.0, socket.Throughput(false));

    ASSERT_EQ(1024, socket.ReceiveExact(bytes.data(), 1024));
    g_now.AddSeconds(0.5);
    EXPECT_DOUBLE_EQ(2.0, socket.Throughput(false));
}

// ---------------------------------------------------------------------------------------------
// UDP request and scan.

TEST(SocketUdp, RequestWithAndWithoutReply)
{
    UdpResponder answering({"DeviceName\tNode 7"});
    CKSTString reply;
    EXPECT_EQ(KST_OK,
              CKSTSocket::OpenUdp("127.0.0.1", answering.Port(), "DeviceIdent?\r", 5.0, reply));
    EXPECT_EQ("DeviceName\tNode 7", Text(reply));
    EXPECT_EQ(std::vector<std::string>{"DeviceIdent?\r"}, answering.Requests());

    UdpResponder silent({});
    const SteadyClock::time_point start = SteadyClock::now();
    EXPECT_EQ(KST_ERR_TIMEOUT,
              CKSTSocket::OpenUdp("127.0.0.1", silent.Port(), "anyone?", 0.3, reply));
    const double seconds = SecondsSince(start);
    EXPECT_GE(seconds, 0.25);
    EXPECT_LE(seconds, 5.0);
    EXPECT_EQ(std::vector<std::string>{"anyone?"}, silent.Requests());
}

struct TableCase {
    const char* name;
    std::vector<KstIpAddrRow> rows;
    std::vector<uint32_t> targets;
};

TEST(SocketScanTargets, BroadcastTargetsFromTheAddressTable)
{
    const TableCase cases[] = {
        {"subnet broadcast, loopback skipped",
         {{0xC0A80114, 0xFFFFFF00, 1}, {0x7F000001, 0xFF000000, 1}},
         {0xC0A801FF}},
        {"no broadcast field gives the network address",
         {{0x0A010203, 0xFFFF0000, 0}},
         {0x0A010000}},
        {"empty addresses skipped, table order kept",
         {{0, 0, 1}, {0xAC100505, 0xFFF00000, 1}, {0x0A000001, 0xFF000000, 1}},
         {0xAC1FFFFF, 0x0AFFFFFF}},
        {"only loopback", {{0x7F000001, 0xFF000000, 1}}, {}},
    };
    for (const TableCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.targets, CKSTSocket::BroadcastTargetsFromTable(c.rows));
    }
    EXPECT_EQ("192.168.1.255", Text(AddressToText(0xC0A801FF)));
}

// Answers requests on every loopback address of one port and tells which address each was
// sent to. Replies go out with that address as their source where the system honours it;
// otherwise they come from 127.0.0.1.
class ScanResponder {
public:
    explicit ScanResponder(std::map<uint32_t, std::vector<std::string>> replies)
        : m_replies(std::move(replies))
    {
        CKSTSocket::Startup();
        m_socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        const sockaddr_in any = Address(INADDR_ANY, 0);
        bind(m_socket, reinterpret_cast<const sockaddr*>(&any), sizeof any);
        m_port = LocalPort(m_socket);
        DWORD on = 1;
        setsockopt(m_socket, IPPROTO_IP, IP_PKTINFO, reinterpret_cast<const char*>(&on), sizeof on);
        GUID id = WSAID_WSARECVMSG;
        DWORD bytes = 0;
        WSAIoctl(m_socket, SIO_GET_EXTENSION_FUNCTION_POINTER, &id, sizeof id, &m_recvMsg,
                 sizeof m_recvMsg, &bytes, nullptr, nullptr);
        m_thread = std::thread([this] { Run(); });
    }
    ~ScanResponder()
    {
        m_stop = true;
        m_thread.join();
        closesocket(m_socket);
    }

    int Port() const { return m_port; }
    // (address the request was sent to, request text) in arrival order.
    std::vector<std::pair<uint32_t, std::string>> Requests()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

    // Sends from `source` to a fresh socket on 127.0.0.1 and returns the sender address seen.
    static uint32_t VisibleSource(uint32_t source)
    {
        SOCKET from = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        const sockaddr_in any = Address(INADDR_ANY, 0);
        bind(from, reinterpret_cast<const sockaddr*>(&any), sizeof any);
        SOCKET to = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        const sockaddr_in local = Address(kLoopback, 0);
        bind(to, reinterpret_cast<const sockaddr*>(&local), sizeof local);
        SetReceiveGuard(to);
        sockaddr_in target = Address(kLoopback, LocalPort(to));
        SendFrom(from, source, target, "probe");
        char buffer[8];
        sockaddr_in sender = {};
        int length = sizeof sender;
        recvfrom(to, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&sender), &length);
        closesocket(from);
        closesocket(to);
        return ntohl(sender.sin_addr.s_addr);
    }

private:
    static void SendFrom(SOCKET s, uint32_t source, sockaddr_in& target, const std::string& text)
    {
        char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))] = {};
        WSABUF data = {static_cast<ULONG>(text.size()), const_cast<char*>(text.data())};
        WSAMSG message = {};
        message.name = reinterpret_cast<sockaddr*>(&target);
        message.namelen = sizeof target;
        message.lpBuffers = &data;
        message.dwBufferCount = 1;
        message.Control.buf = control;
        message.Control.len = sizeof control;
        WSACMSGHDR* header = WSA_CMSG_FIRSTHDR(&message);
        header->cmsg_level = IPPROTO_IP;
        header->cmsg_type = IP_PKTINFO;
        header->cmsg_len = WSA_CMSG_LEN(sizeof(IN_PKTINFO));
        auto* info = reinterpret_cast<IN_PKTINFO*>(WSA_CMSG_DATA(header));
        info->ipi_addr.s_addr = htonl(source);
        DWORD sent = 0;
        WSASendMsg(s, &message, 0, &sent, nullptr, nullptr);
    }

    void Run()
    {
        while (!m_stop) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(m_socket, &readable);
            timeval poll = {0, 20000};
            if (select(0, &readable, nullptr, nullptr, &poll) != 1) {
                continue;
            }
            char request[2048];
            char control[256];
            sockaddr_in from = {};
            WSABUF data = {sizeof request, request};
            WSAMSG message = {};
            message.name = reinterpret_cast<sockaddr*>(&from);
            message.namelen = sizeof from;
            message.lpBuffers = &data;
            message.dwBufferCount = 1;
            message.Control.buf = control;
            message.Control.len = sizeof control;
            DWORD n = 0;
            if (!m_recvMsg || m_recvMsg(m_socket, &message, &n, nullptr, nullptr) != 0) {
                continue;
            }
            // Bound to every address: never answer anything that is not loopback.
            if ((ntohl(from.sin_addr.s_addr) >> 24) != 127) {
                continue;
            }
            uint32_t destination = 0;
            for (WSACMSGHDR* h = WSA_CMSG_FIRSTHDR(&message); h; h = WSA_CMSG_NXTHDR(&message, h)) {
                if (h->cmsg_level == IPPROTO_IP && h->cmsg_type == IP_PKTINFO) {
                    destination =
                        ntohl(reinterpret_cast<IN_PKTINFO*>(WSA_CMSG_DATA(h))->ipi_addr.s_addr);
                }
            }
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_requests.emplace_back(destination, std::string(request, n));
            }
            const auto found = m_replies.find(destination);
            if (found == m_replies.end()) {
                continue;
            }
            for (const std::string& reply : found->second) {
                SendFrom(m_socket, destination, from,
                         reply == "=" ? std::string(request, n) : reply);
            }
        }
    }

    std::map<uint32_t, std::vector<std::string>> m_replies;
    SOCKET m_socket = INVALID_SOCKET;
    int m_port = 0;
    LPFN_WSARECVMSG m_recvMsg = nullptr;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<std::pair<uint32_t, std::string>> m_requests;
    std::thread m_thread;
};

std::vector<uint32_t> g_targets;
std::vector<uint32_t> FixedTargets()
{
    return g_targets;
}
std::vector<uint32_t> SlowTargets()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return g_targets;
}

class SocketScan : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedSource = CKSTSocket::s_targetListSource;
        CKSTSocket::s_targetListSource = &FixedTargets;
        g_targets = {kLoopback2, kLoopback3};
    }
    void TearDown() override { CKSTSocket::s_targetListSource = m_savedSource; }

    static bool WaitFinished(const std::atomic<unsigned char>& finished)
    {
        const SteadyClock::time_point start = SteadyClock::now();
        while (finished.load() == 0 && SecondsSince(start) < kGuardSeconds) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return finished.load() == 1;
    }

    static std::vector<std::pair<std::string, std::string>> Results(CKSTSocket& socket)
    {
        std::vector<std::pair<std::string, std::string>> results;
        for (int i = 0; i < socket.GetReceivedCount(); ++i) {
            results.emplace_back(Text(socket.GetReceivedMessage(i)),
                                 Text(socket.GetReceivedFrom(i)));
        }
        return results;
    }

    CKSTSocket::TargetListSource m_savedSource = nullptr;
};

TEST_F(SocketScan, CollectsOneReplyPerSender)
{
    ScanResponder responder({{kLoopback2, {"node A", "node A again"}}, {kLoopback3, {"node B"}}});
    // Where replies cannot carry the alias as their source, both devices look alike (127.0.0.1)
    // and the second one's reply counts as a repeat.
    const uint32_t sourceA = ScanResponder::VisibleSource(kLoopback2);
    const uint32_t sourceB = ScanResponder::VisibleSource(kLoopback3);
    std::vector<std::pair<std::string, std::string>> expected = {
        {"node A", Text(AddressToText(sourceA))}};
    if (sourceB != sourceA) {
        expected.emplace_back("node B", Text(AddressToText(sourceB)));
    }

    CKSTSocket socket;
    std::atomic<unsigned char> finished{1};
    ASSERT_EQ(KST_OK, socket.StartReceiver(responder.Port(), "DeviceIdent?\r", 0.3, &finished));
    ASSERT_TRUE(WaitFinished(finished));
    socket.CloseReceiverHandle();

    const std::vector<std::pair<uint32_t, std::string>> requests = {{kLoopback2, "DeviceIdent?\r"},
                                                                    {kLoopback3, "DeviceIdent?\r"}};
    EXPECT_EQ(requests, responder.Requests());
    EXPECT_EQ(expected, Results(socket));
    EXPECT_EQ("", Text(socket.GetReceivedMessage(5)));
    EXPECT_EQ("", Text(socket.GetReceivedFrom(-1)));
    // Closing forgets the replies.
    socket.Close();
    EXPECT_EQ(0, socket.GetReceivedCount());
}

TEST_F(SocketScan, FinishedFlagIsClearedBeforeTheScanRuns)
{
    CKSTSocket::s_targetListSource = &SlowTargets;
    g_targets = {kLoopback2};
    ScanResponder responder({{kLoopback2, {"="}}});
    CKSTSocket socket;
    std::atomic<unsigned char> finished{1};  // left over from an earlier scan
    ASSERT_EQ(KST_OK, socket.StartReceiver(responder.Port(), "who?", 0.2, &finished));
    EXPECT_EQ(0, finished.load());
    ASSERT_TRUE(WaitFinished(finished));
    EXPECT_EQ(1, socket.GetReceivedCount());
    EXPECT_EQ("who?", Text(socket.GetReceivedMessage(0)));
}

TEST_F(SocketScan, NewScanOrDestructionStopsARunningScan)
{
    g_targets = {kLoopback2};
    ScanResponder responder({{kLoopback2, {"="}}});
    auto socket = std::make_unique<CKSTSocket>();
    std::atomic<unsigned char> first{0};
    std::atomic<unsigned char> second{0};
    ASSERT_EQ(KST_OK, socket->StartReceiver(responder.Port(), "first", 30.0, &first));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    SteadyClock::time_point start = SteadyClock::now();
    ASSERT_EQ(KST_OK, socket->StartReceiver(responder.Port(), "second", 0.2, &second));
    EXPECT_LT(SecondsSince(start), 5.0);
    ASSERT_TRUE(WaitFinished(second));
    EXPECT_EQ(0, first.load());  // a stopped scan leaves its owner's flag alone
    EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{
                  {"second", Text(AddressToText(ScanResponder::VisibleSource(kLoopback2)))}}),
              Results(*socket));

    std::atomic<unsigned char> third{0};
    ASSERT_EQ(KST_OK, socket->StartReceiver(responder.Port(), "third", 30.0, &third));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    start = SteadyClock::now();
    socket.reset();
    EXPECT_LT(SecondsSince(start), 5.0);
    EXPECT_EQ(0, third.load());
    const auto requests = responder.Requests();
    ASSERT_EQ(3u, requests.size());
    EXPECT_EQ("third", requests[2].second);
}

}  // namespace
