// An acquisition node on loopback for the node client's tests: answers the UDP discovery
// request, takes one TCP command connection at a time, lists its FIFOs and serves their samples
// as length-prefixed container messages. Its ports are chosen by the system and printed as
// "udp <port> tcp <port>" on the first line of standard output; it ends when its standard input
// closes. Sample j of FIFO position k has the value k x 1000000 + j, so a reader can tell gaps
// and repeats. Switches:
//   --fifos N          FIFOs listed (default 3); FIFO position k has the node's index 10 + k
//   --rate HZ          samples per second of every FIFO (default 100)
//   --firmware N       firmware number, 240 = version 2.40 (default 240); below 220 every
//                      command is acknowledged with an "OK" line
//   --hello TEXT       hello reply instead of the one built from the firmware number
//   --ident-reply TEXT discovery reply instead of "QVANE04:<tcp port>"
//   --no-status-time   recording-status replies lack "Time"
//   --fault KIND --fault-at N
//                      misbehave once, on the N-th message reply (0 = the FIFO list):
//                      garbage (a message that is no container), huge-length (announces more
//                      than any message may hold), short (announces 1000 bytes more than it
//                      sends), silent (no reply; waits --silent-ms, default 2500, before
//                      reading on), close (half a message, then the connection is closed)
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "data/Channel.h"
#include "data/DocFile.h"
#include "foundation/ByteOrder.h"
#include "foundation/HeaderInfoList.h"
#include "foundation/MemBuffer.h"
#include "foundation/TimeStamp.h"

namespace {

struct Options {
    int fifos = 3;
    double rate = 100.0;
    int firmware = 240;
    std::string hello;
    std::string identReply;
    bool noStatusTime = false;
    std::string fault;
    int faultAt = -1;
    int silentMs = 2500;
};

Options g_options;
CKSTTimeStamp g_origin;
int g_replies = 0;

constexpr uint32_t kMaxRequestBytes = 1u << 20;
constexpr uint32_t kHugeLength = 0x7FFFFFF0u;

bool ParseOptions(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--no-status-time") {
            g_options.noStatusTime = true;
            continue;
        }
        if (i + 1 >= argc) {
            return false;
        }
        const std::string value = argv[++i];
        if (name == "--fifos") {
            g_options.fifos = std::atoi(value.c_str());
        } else if (name == "--rate") {
            std::from_chars(value.data(), value.data() + value.size(), g_options.rate);
        } else if (name == "--firmware") {
            g_options.firmware = std::atoi(value.c_str());
        } else if (name == "--hello") {
            g_options.hello = value;
        } else if (name == "--ident-reply") {
            g_options.identReply = value;
        } else if (name == "--fault") {
            g_options.fault = value;
        } else if (name == "--fault-at") {
            g_options.faultAt = std::atoi(value.c_str());
        } else if (name == "--silent-ms") {
            g_options.silentMs = std::atoi(value.c_str());
        } else {
            return false;
        }
    }
    return g_options.fifos >= 0 && g_options.fifos <= 999 && g_options.rate > 0.0;
}

int BoundPort(SOCKET s)
{
    sockaddr_in a = {};
    int length = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
    return ntohs(a.sin_port);
}

SOCKET BindLoopback(int type)
{
    SOCKET s = socket(AF_INET, type, 0);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        return INVALID_SOCKET;
    }
    return s;
}

void ServeDiscovery(SOCKET udp, int tcpPort)
{
    char datagram[8192];
    for (;;) {
        sockaddr_in from = {};
        int fromLength = sizeof from;
        const int n = recvfrom(udp, datagram, sizeof datagram, 0,
                               reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (n < 0) {
            return;
        }
        if (std::string(datagram, static_cast<size_t>(n)) != "DeviceIdent?\r") {
            continue;
        }
        const std::string reply = g_options.identReply.empty()
                                      ? "QVANE04:" + std::to_string(tcpPort)
                                      : g_options.identReply;
        sendto(udp, reply.data(), static_cast<int>(reply.size()), 0,
               reinterpret_cast<sockaddr*>(&from), fromLength);
    }
}

void WatchStandardInput()
{
    char byte;
    DWORD n = 0;
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    while (ReadFile(in, &byte, 1, &n, nullptr) && n > 0) {
    }
    ExitProcess(0);
}

class Connection {
public:
    explicit Connection(SOCKET s) : m_socket(s) {}

    bool SendAll(const void* data, size_t n)
    {
        const char* p = static_cast<const char*>(data);
        while (n > 0) {
            const int sent = send(m_socket, p, static_cast<int>(n), 0);
            if (sent <= 0) {
                return false;
            }
            p += sent;
            n -= static_cast<size_t>(sent);
        }
        return true;
    }
    bool SendAll(const std::string& bytes) { return SendAll(bytes.data(), bytes.size()); }

    bool ReceiveAll(void* data, size_t n)
    {
        char* p = static_cast<char*>(data);
        while (n > 0) {
            const int got = recv(m_socket, p, static_cast<int>(n), 0);
            if (got <= 0) {
                return false;
            }
            p += got;
            n -= static_cast<size_t>(got);
        }
        return true;
    }

    // Up to LF, without CR LF.
    bool ReadLine(std::string& line)
    {
        line.clear();
        char c;
        while (ReceiveAll(&c, 1)) {
            if (c == '\n') {
                if (!line.empty() && line.back() == '\r') {
                    line.pop_back();
                }
                return true;
            }
            if (line.size() > 4096) {
                return false;
            }
            line += c;
        }
        return false;
    }

    bool ReceiveMessage(CKSTMemBuffer& message)
    {
        uint8_t prefix[4];
        if (!ReceiveAll(prefix, 4)) {
            return false;
        }
        const uint32_t length = KstLoadBE<uint32_t>(prefix);
        if (length > kMaxRequestBytes) {
            return false;
        }
        std::string bytes(length, '\0');
        if (!ReceiveAll(bytes.data(), length)) {
            return false;
        }
        message.Free();
        message.Write(bytes.data(), 1, length);
        message.SetPosition(0);
        return true;
    }

    // False when the connection is to end.
    bool SendMessage(const CKSTMemBuffer& message)
    {
        const int number = g_replies++;
        const uint32_t length = message.GetSize();
        std::string bytes(reinterpret_cast<const char*>(message.GetData()), length);
        uint32_t announced = length;
        if (number == g_options.faultAt) {
            const std::string& fault = g_options.fault;
            if (fault == "silent") {
                Sleep(static_cast<DWORD>(g_options.silentMs));
                return true;
            }
            if (fault == "garbage") {
                bytes.assign(64, '\0');
                for (size_t i = 0; i < bytes.size(); ++i) {
                    bytes[i] = static_cast<char>(i * 37 + 11);
                }
                announced = static_cast<uint32_t>(bytes.size());
            } else if (fault == "huge-length") {
                announced = kHugeLength;
            } else if (fault == "short") {
                announced = length + 1000;
            } else if (fault == "close") {
                bytes.resize(bytes.size() / 2);
            }
        }
        char prefix[4];
        KstStoreBE(prefix, announced);
        if (!SendAll(std::string(prefix, 4) + bytes)) {
            return false;
        }
        return !(number == g_options.faultAt && g_options.fault == "close");
    }

private:
    SOCKET m_socket;
};

double Dt()
{
    return 1.0 / g_options.rate;
}

int64_t Produced()
{
    const double seconds = (CKSTTimeStamp::Now() - g_origin).GetSeconds();
    return seconds > 0.0 ? static_cast<int64_t>(seconds * g_options.rate) : 0;
}

CKSTString Field(int position, const char* field)
{
    char name[64];
    std::snprintf(name, sizeof name, "FIFO_%03d\x1D%s", position, field);
    return name;
}

// Replies are written to memory; a failure there leaves nothing sane to answer with.
void RequireOk(int result)
{
    if (result != KST_OK) {
        std::fprintf(stderr, "node_sim: writing a reply failed: %d\n", result);
        std::exit(1);
    }
}

void MessageFromList(const CKSTHeaderInfoList& list, CKSTMemBuffer& message)
{
    CKSTDocFile file;
    RequireOk(file.WritePropertyListToMemory(list, message, false));
}

void FifoList(const CKSTHeaderInfoList& request, CKSTMemBuffer& message)
{
    const int64_t produced = Produced();
    // Each firmware reads only the back-time field of its own generation.
    int64_t start = produced;
    if (g_options.firmware > 230) {
        double backTime = 0.0;
        if (request.GetDouble("FifoBackTime", backTime) >= 0) {
            const int64_t back = static_cast<int64_t>(backTime * g_options.rate);
            start = backTime < 0.0 ? 0 : std::max<int64_t>(0, produced - back);
        }
    } else {
        uint8_t old = 0;
        if (request.GetBoolByte("OldFifoData", old) >= 0 && old != 0) {
            start = 0;
        }
    }
    CKSTHeaderInfoList reply;
    for (int k = 0; k < g_options.fifos; ++k) {
        reply.SetString(Field(k, "Name"), ("Channel " + std::to_string(k)).c_str());
        reply.SetString(Field(k, "Group"), "Node");
        reply.SetLong(Field(k, "FifoIndex"), 10 + k);
        reply.SetInt64(Field(k, "ReadCounter"), start);
        reply.SetString(Field(k, "Unit"), "mV");
    }
    reply.SetLong("ErrorCode", 0);
    MessageFromList(reply, message);
}

void FifoValues(const CKSTHeaderInfoList& request, CKSTMemBuffer& message)
{
    int32_t fifoIndex = -1;
    int64_t counter = 0;
    int32_t bufferSize = 0;
    request.GetLong("FifoIndex", fifoIndex);
    request.GetInt64("ReadCounter", counter);
    request.GetLong("BufferSize", bufferSize);
    const int position = fifoIndex - 10;
    CKSTHeaderInfoList reply;
    if (position < 0 || position >= g_options.fifos || counter < 0 || bufferSize <= 0) {
        reply.SetLong("ErrorCode", -1);
        MessageFromList(reply, message);
        return;
    }
    const int64_t end = std::min(Produced(), counter + bufferSize);
    CKSTChannel channel;
    channel.SetName(("Channel " + std::to_string(position)).c_str());
    channel.SetDt(Dt());
    channel.SetStartTimeStamp(g_origin + static_cast<double>(counter) * Dt());
    for (int64_t j = counter; j < end; ++j) {
        channel.AppendValue(position * 1000000.0 + static_cast<double>(j), false);
    }
    reply.SetLong("ErrorCode", 0);
    reply.SetInt64("ReadCounter", std::max(counter, end));
    CKSTDocFile file;
    RequireOk(file.OpenMemoryWrite());
    RequireOk(WriteKxdPropertyList(file, reply));
    RequireOk(file.WriteChannelRecord(channel, 0, 0));
    RequireOk(file.WriteSamples(channel, 0, 0, channel.GetCount()));
    file.GetMemory(message);
    RequireOk(file.Close());
}

void RecordingStatus(CKSTMemBuffer& message)
{
    CKSTHeaderInfoList reply;
    reply.SetString("SaveStatus", "Recording");
    CKSTHeaderInfoItem time("Time", "");
    time.SetTime(g_origin);
    if (!g_options.noStatusTime) {
        reply.Add(time);
    }
    CKSTHeaderInfoItem fileTime("SaveLastFileTime", "");
    fileTime.SetTime(g_origin + 60.0);
    reply.Add(fileTime);
    reply.SetLong("SaveFileCount", 4);
    reply.SetLong("ErrorCode", 0);
    MessageFromList(reply, message);
}

std::string HelloLine()
{
    if (!g_options.hello.empty()) {
        return g_options.hello;
    }
    char text[64];
    std::snprintf(text, sizeof text, "QVANE04 node V%d.%02d", g_options.firmware / 100,
                  g_options.firmware % 100);
    return text;
}

void Serve(SOCKET s)
{
    Connection connection(s);
    std::string line;
    if (!connection.ReadLine(line) || line != "QVANE04" ||
        !connection.SendAll(HelloLine() + "\r\n> ") || !connection.ReadLine(line) ||
        line != "PROMPT_OFF") {
        return;
    }
    while (connection.ReadLine(line)) {
        if (line == "Check") {
            if (!connection.SendAll("OK\r\n")) {
                return;
            }
            continue;
        }
        if (line != "_GET_RAW_FIFOS" && line != "_GET_FIFO_VALUES" && line != "_GET_REC_STATUS") {
            if (!connection.SendAll("ERROR unknown command\r\n")) {
                return;
            }
            continue;
        }
        if (g_options.firmware < 220 && !connection.SendAll("OK\r\n")) {
            return;
        }
        CKSTMemBuffer message;
        CKSTHeaderInfoList request;
        CKSTDocFile file;
        if (!connection.ReceiveMessage(message) ||
            file.ReadPropertyListFromMemory(request, message) != 0) {
            return;
        }
        CKSTMemBuffer reply;
        if (line == "_GET_RAW_FIFOS") {
            FifoList(request, reply);
        } else if (line == "_GET_FIFO_VALUES") {
            FifoValues(request, reply);
        } else {
            RecordingStatus(reply);
        }
        if (!connection.SendMessage(reply)) {
            return;
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (!ParseOptions(argc, argv)) {
        std::fprintf(stderr, "node_sim: bad arguments\n");
        return 2;
    }
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        return 1;
    }
    g_origin = CKSTTimeStamp::Now();
    const SOCKET udp = BindLoopback(SOCK_DGRAM);
    const SOCKET listener = BindLoopback(SOCK_STREAM);
    if (udp == INVALID_SOCKET || listener == INVALID_SOCKET || listen(listener, 4) != 0) {
        std::fprintf(stderr, "node_sim: cannot bind on loopback\n");
        return 1;
    }
    const int tcpPort = BoundPort(listener);
    std::printf("udp %d tcp %d\n", BoundPort(udp), tcpPort);
    std::fflush(stdout);
    std::thread(WatchStandardInput).detach();
    std::thread(ServeDiscovery, udp, tcpPort).detach();
    for (;;) {
        const SOCKET s = accept(listener, nullptr, nullptr);
        if (s == INVALID_SOCKET) {
            return 1;
        }
        // Replies go out at once instead of waiting for the acknowledgement of the last one.
        BOOL noDelay = TRUE;
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                   sizeof noDelay);
        Serve(s);
        closesocket(s);
    }
}
