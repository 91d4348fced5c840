// CKSTSerialPort against a real serial line: the program's end is a COM port of the test prefix,
// and the device at the other end is scripted through a second COM port (support/SerialPeer.h).
// The line is a pseudo-terminal pair: it keeps baud rate, stop bits and flow control, but always
// reports 8 data bits without parity, so those two can only be checked for being accepted.
#include "foundation/ErrorCodes.h"
#include "foundation/String.h"
#include "foundation/win/SerialPort.h"
#include "support/SerialPeer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using kst_test::Expect;
using kst_test::Pause;
using kst_test::PeerStep;
using kst_test::Send;

CKSTString Bytes(const std::string& bytes)
{
    CKSTString text;
    text.Assign(bytes.data(), static_cast<int>(bytes.size()));
    return text;
}

std::string Text(const CKSTString& text)
{
    return std::string(text.c_str(), text.GetLength());
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_port = static_cast<int16_t>(kst_test::TestSerialPort());
        ASSERT_GT(m_port, 0) << "no test serial line: run the tests under tools/test-env.sh";
        // Start every test from a plain line with nothing left over from earlier ones.
        HANDLE own = kst_test::OpenRawComPort(m_port);
        ASSERT_NE(INVALID_HANDLE_VALUE, own);
        CloseHandle(own);
        ASSERT_TRUE(m_peer.Open(kst_test::TestSerialPeerPort()));
    }

    int OpenPlain(CKSTSerialPort& port, int handshake = 0)
    {
        return port.Open(m_port, 115200, 0, 8, 0, handshake);
    }

    // Leaves the given stop bits and handshake, and no other flow control, on the device.
    void Prepare(int stopBits, int handshake)
    {
        for (int code : {0, handshake}) {
            CKSTSerialPort port;
            ASSERT_EQ(KST_OK, port.Open(m_port, 115200, 0, 8, stopBits, code));
            ASSERT_EQ(KST_OK, port.Close());
        }
    }

    static DCB DeviceState(const CKSTSerialPort& port)
    {
        DCB dcb = {};
        dcb.DCBlength = sizeof dcb;
        EXPECT_TRUE(GetCommState(port.GetHandle(), &dcb));
        return dcb;
    }

    int16_t m_port = 0;
    kst_test::SerialPeer m_peer;
};

TEST_F(SerialPortTest, OpensClosesAndReopens)
{
    CKSTSerialPort port;
    ASSERT_EQ(KST_OK, OpenPlain(port));
    EXPECT_TRUE(port.IsOpen());
    EXPECT_NE(INVALID_HANDLE_VALUE, port.GetHandle());

    // A second Open leaves the first connection working.
    EXPECT_EQ(KST_ERR_SERIAL_ALREADY_OPEN, OpenPlain(port));
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(2, port.Write(Bytes("ok")));
    EXPECT_EQ("ok", m_peer.Receive(2, 5000));

    EXPECT_EQ(KST_OK, port.Close());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(INVALID_HANDLE_VALUE, port.GetHandle());
    EXPECT_EQ(KST_ERR_SERIAL_PORT_NUMBER, port.Close());

    ASSERT_EQ(KST_OK, OpenPlain(port));
    EXPECT_EQ(3, port.Write(Bytes("bye")));
    EXPECT_EQ("bye", m_peer.Receive(3, 5000));
}

TEST_F(SerialPortTest, FailedOpenReturnsNegativeCodeAndLeavesThePortClosed)
{
    struct Case {
        const char* what;
        bool onTestLine;
        int16_t port;  // when not on the test line
        uint32_t baud;
        uint8_t dataBits;
        int handshake;
        int expected;
    };
    const Case cases[] = {
        {"port number 0", false, 0, 115200, 8, 0, KST_ERR_SERIAL_PORT_NUMBER},
        {"negative port number", false, -3, 115200, 8, 0, KST_ERR_SERIAL_PORT_NUMBER},
        {"port without a device", false, 200, 115200, 8, 0, KST_ERR_SERIAL_NO_DEVICE},
        {"9 data bits", true, 0, 115200, 9, 0, KST_ERR_SERIAL_SETTINGS_REFUSED},
        // The line accepts a speed it has no divisor for and keeps running at another one.
        {"unsupported baud rate", true, 0, 12345, 8, 0, KST_ERR_SERIAL_SETTINGS_REFUSED},
        // This line has no DSR input: the flow control would silently be missing.
        {"DTR/DSR handshake", true, 0, 115200, 8, 2, KST_ERR_SERIAL_SETTINGS_REFUSED},
        // Refused outright by the platform with a plain error number.
        {"RTS toggle handshake", true, 0, 115200, 8, 3, KST_ERR_SERIAL_SETTINGS_REFUSED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int16_t number = c.onTestLine ? m_port : c.port;
        CKSTSerialPort port;
        EXPECT_EQ(c.expected, port.Open(number, c.baud, 0, c.dataBits, 0, c.handshake));
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(KST_ERR_SERIAL_PORT_NUMBER, port.Close());
        // Nothing is held back: the same object opens the line afterwards.
        EXPECT_EQ(KST_OK, OpenPlain(port));
        EXPECT_EQ(KST_OK, port.Close());
    }
}

TEST_F(SerialPortTest, OperationsNeedAnOpenPort)
{
    struct Case {
        const char* what;
        std::function<int(CKSTSerialPort&)> call;
    };
    const Case cases[] = {
        {"Close", [](CKSTSerialPort& p) { return p.Close(); }},
        {"SetTimeouts", [](CKSTSerialPort& p) { return p.SetTimeouts(1.0, 1.0); }},
        {"Write", [](CKSTSerialPort& p) { return p.Write(Bytes("x")); }},
        {"Read",
         [](CKSTSerialPort& p) {
             char byte = 0;
             return p.Read(byte);
         }},
        {"ReadBytes",
         [](CKSTSerialPort& p) {
             CKSTString out = Bytes("stale");
             const int result = p.ReadBytes(out, 3, 10.0);
             EXPECT_EQ("", Text(out));
             return result;
         }},
    };
    CKSTSerialPort neverOpened;
    CKSTSerialPort closed;
    ASSERT_EQ(KST_OK, OpenPlain(closed));
    ASSERT_EQ(KST_OK, closed.Close());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(KST_ERR_SERIAL_PORT_NUMBER, c.call(neverOpened));
        EXPECT_EQ(KST_ERR_SERIAL_PORT_NUMBER, c.call(closed));
    }
    EXPECT_FALSE(neverOpened.ClearErrors());
    EXPECT_FALSE(closed.ClearErrors());
}

TEST_F(SerialPortTest, LineSettingsReachTheDevice)
{
    struct Case {
        uint32_t baud;
        int parity;
        uint8_t dataBits;
        int priorStopBits;
        int stopBits;
        BYTE expectedStopBits;
    };
    const Case cases[] = {
        {9600, 0, 8, 1, 0, ONESTOPBIT},   {115200, 1, 7, 0, 1, TWOSTOPBITS},
        {300, 2, 8, 0, 0, ONESTOPBIT},    {57600, 0, 8, 0, 1, TWOSTOPBITS},
        {19200, 9, 8, 1, 7, TWOSTOPBITS}, {38400, 0, 8, 0, 7, ONESTOPBIT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("baud " + std::to_string(c.baud) + ", stop bits code " +
                     std::to_string(c.stopBits) + " after " + std::to_string(c.priorStopBits));
        Prepare(c.priorStopBits, 0);
        CKSTSerialPort port;
        ASSERT_EQ(KST_OK, port.Open(m_port, c.baud, c.parity, c.dataBits, c.stopBits, 0));
        const DCB dcb = DeviceState(port);
        EXPECT_EQ(c.baud, dcb.BaudRate);
        EXPECT_EQ(c.expectedStopBits, dcb.StopBits);
    }
}

TEST_F(SerialPortTest, HandshakeReachesTheDevice)
{
    struct Case {
        int prior;
        int handshake;
        bool cts, dsr, outX, inX;
    };
    const Case cases[] = {
        {4, 0, false, false, false, false},  // clears what was on
        {0, 1, true, false, false, false},  {0, 4, false, false, true, true},
        {4, 1, true, false, true, true},   // XON/XOFF stays
        {1, 4, true, false, true, true},   // CTS flow stays
        {4, 7, false, false, true, true},  // unknown code: no change
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("handshake " + std::to_string(c.handshake) + " after " +
                     std::to_string(c.prior));
        Prepare(0, c.prior);
        CKSTSerialPort port;
        ASSERT_EQ(KST_OK, OpenPlain(port, c.handshake));
        const DCB dcb = DeviceState(port);
        EXPECT_EQ(c.cts, static_cast<bool>(dcb.fOutxCtsFlow));
        EXPECT_EQ(c.dsr, static_cast<bool>(dcb.fOutxDsrFlow));
        EXPECT_EQ(c.outX, static_cast<bool>(dcb.fOutX));
        EXPECT_EQ(c.inX, static_cast<bool>(dcb.fInX));
    }
}

TEST_F(SerialPortTest, TimeoutsReachTheDeviceAndAreKeptForTheNextOpen)
{
    const auto deviceTimeouts = [](const CKSTSerialPort& port) {
        COMMTIMEOUTS t = {};
        EXPECT_TRUE(GetCommTimeouts(port.GetHandle(), &t));
        return std::vector<DWORD>{t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier,
                                  t.ReadTotalTimeoutConstant, t.WriteTotalTimeoutMultiplier,
                                  t.WriteTotalTimeoutConstant};
    };
    CKSTSerialPort port;
    ASSERT_EQ(KST_OK, OpenPlain(port));
    EXPECT_EQ((std::vector<DWORD>{10000, 0, 30000, 0, 30000}), deviceTimeouts(port));

    ASSERT_EQ(KST_OK, port.SetTimeouts(2.5, 0.1));
    EXPECT_EQ((std::vector<DWORD>{100, 0, 2500, 0, 2500}), deviceTimeouts(port));

    ASSERT_EQ(KST_OK, port.Close());
    ASSERT_EQ(KST_OK, OpenPlain(port));
    EXPECT_EQ((std::vector<DWORD>{100, 0, 2500, 0, 2500}), deviceTimeouts(port));

    // Values no time-out field can hold are clamped, not converted out of range.
    ASSERT_EQ(KST_OK, port.SetTimeouts(-1.0, 1e12));
    EXPECT_EQ((std::vector<DWORD>{MAXDWORD - 1, 0, 0, 0, 0}), deviceTimeouts(port));
}

TEST_F(SerialPortTest, ReadReturnsNothingWhenTheDeviceTimeoutPasses)
{
    CKSTSerialPort port;
    ASSERT_EQ(KST_OK, OpenPlain(port));
    ASSERT_EQ(KST_OK, port.SetTimeouts(0.3, 0.1));
    char byte = 'z';
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(0, port.Read(byte));
    const double waited = SecondsSince(start);
    EXPECT_GE(waited, 0.2);
    EXPECT_LT(waited, 10.0);

    m_peer.Start({Pause(50), Send("x")});
    EXPECT_EQ(1, port.Read(byte));
    EXPECT_EQ('x', byte);
    EXPECT_EQ("", m_peer.Finish());
}

TEST_F(SerialPortTest, WrittenBytesArriveUnchanged)
{
    std::string everyByte;
    for (int i = 0; i < 256; ++i) {
        everyByte += static_cast<char>(i);
    }
    std::string block;
    for (int i = 0; i < 4096; ++i) {
        block += static_cast<char>('A' + i % 26);
    }
    const std::string cases[] = {"PING\r\n", everyByte, block};

    CKSTSerialPort port;
    ASSERT_EQ(KST_OK, OpenPlain(port));
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(std::to_string(bytes.size()) + " bytes");
        EXPECT_EQ(static_cast<int>(bytes.size()), port.Write(Bytes(bytes)));
        EXPECT_EQ(bytes, m_peer.Receive(bytes.size(), 5000));
    }
    EXPECT_EQ(0, port.Write(CKSTString()));
    EXPECT_EQ("", m_peer.Receive(1, 200));
}

TEST_F(SerialPortTest, AnswersFollowRequests)
{
    CKSTSerialPort port;
    ASSERT_EQ(KST_OK, OpenPlain(port));
    m_peer.Start({Expect("PING"), Pause(50), Send("PONGabc")});
    ASSERT_EQ(4, port.Write(Bytes("PING")));
    CKSTString out;
    EXPECT_EQ(4, port.ReadBytes(out, 4, 5.0));
    EXPECT_EQ("PONG", Text(out));
    EXPECT_EQ("", m_peer.Finish());

    // What was not asked for stays queued for the next read.
    Sleep(50);
    EXPECT_TRUE(port.ClearErrors());
    EXPECT_EQ(3, port.ReadBytes(out, 3, 5.0));
    EXPECT_EQ("abc", Text(out));
    EXPECT_FALSE(port.ClearErrors());
}

struct ReadCase {
    const char* name;
    std::vector<PeerStep> script;
    int n;
    double timeout;
    int expected;
    std::string expectedOut;
    bool outIsPrefix;  // the count received before the time-out depends on scheduling
};

void PrintTo(const ReadCase& c, std::ostream* os)
{
    *os << c.name;
}

class SerialPortReadTest : public SerialPortTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(SerialPortReadTest, ReadBytes)
{
    const ReadCase& c = GetParam();
    CKSTSerialPort port;
    ASSERT_EQ(KST_OK, OpenPlain(port));
    m_peer.Start(c.script);
    CKSTString out = Bytes("stale");
    const auto start = std::chrono::steady_clock::now();
    const int result = port.ReadBytes(out, c.n, c.timeout);
    const double waited = SecondsSince(start);
    EXPECT_EQ("", m_peer.Finish());

    EXPECT_EQ(c.expected, result);
    if (c.outIsPrefix) {
        EXPECT_LT(out.GetLength(), c.n);
        EXPECT_EQ(0u, c.expectedOut.rfind(Text(out), 0)) << Text(out);
    } else {
        EXPECT_EQ(c.expectedOut, Text(out));
    }
    if (result == KST_ERR_SERIAL_TIMEOUT) {
        EXPECT_GE(waited, c.timeout);
        EXPECT_LT(waited, c.timeout + 10.0);
    }
}

const ReadCase kReadCases[] = {
    {"Waiting", {Send("hello")}, 5, 5.0, 5, "hello", false},
    {"AfterAPause", {Pause(100), Send("hello")}, 5, 5.0, 5, "hello", false},
    {"InPieces",
     {Send("he"), Pause(150), Send("l"), Pause(150), Send("lo")},
     5,
     5.0,
     5,
     "hello",
     false},
    {"EveryByteValue",
     {Send(std::string("\0\x11\x13\r\n\xff", 6))},
     6,
     5.0,
     6,
     std::string("\0\x11\x13\r\n\xff", 6),
     false},
    {"NothingAskedFor", {}, 0, 5.0, 0, "", false},
    {"NothingArrives", {}, 4, 0.2, KST_ERR_SERIAL_TIMEOUT, "", false},
    {"PartialThenSilence", {Send("abc")}, 5, 0.3, KST_ERR_SERIAL_TIMEOUT, "abc", false},
    // No gap reaches the time-out, but the whole read does.
    {"TimeoutBoundsTheWholeRead",
     {Send("a"), Pause(400), Send("b"), Pause(400), Send("c"), Pause(400), Send("d"), Pause(400),
      Send("e")},
     5,
     1.0,
     KST_ERR_SERIAL_TIMEOUT,
     "abcde",
     true},
};

INSTANTIATE_TEST_SUITE_P(Cases, SerialPortReadTest, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
