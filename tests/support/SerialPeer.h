#pragma once
// The device at the far end of the test serial line (Windows tests only). tools/test-env.sh joins
// two COM ports of the test prefix through a pseudo-terminal pair and names them in
// KST_TEST_SERIAL_PORT (the program's end) and KST_TEST_SERIAL_PEER (this end). A test scripts
// the peer as a list of steps (expect bytes, send bytes, pause) that runs on its own thread while
// the code under test talks to the other end.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kst_test {

// 0 when the variable is missing, i.e. the tests do not run under tools/test-env.sh.
inline int SerialPortFromEnvironment(const char* name)
{
    char value[16] = {};
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::atoi(value) : 0;
}
inline int TestSerialPort()
{
    return SerialPortFromEnvironment("KST_TEST_SERIAL_PORT");
}
inline int TestSerialPeerPort()
{
    return SerialPortFromEnvironment("KST_TEST_SERIAL_PEER");
}

// Opens a COM port with raw 8N1 and no flow control; INVALID_HANDLE_VALUE on failure.
inline HANDLE OpenRawComPort(int port)
{
    const std::string name = "\\\\.\\COM" + std::to_string(port);
    HANDLE h = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return h;
    }
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    bool ok = GetCommState(h, &dcb);
    if (ok) {
        dcb.BaudRate = 115200;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = dcb.fOutX = dcb.fInX = FALSE;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        ok = SetCommState(h, &dcb) && PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR);
    }
    if (!ok) {
        CloseHandle(h);
        return INVALID_HANDLE_VALUE;
    }
    return h;
}

struct PeerStep {
    enum Kind { kExpect, kSend, kPause } kind;
    std::string bytes;
    int ms;
};
inline PeerStep Expect(std::string bytes)
{
    return {PeerStep::kExpect, std::move(bytes), 0};
}
inline PeerStep Send(std::string bytes)
{
    return {PeerStep::kSend, std::move(bytes), 0};
}
inline PeerStep Pause(int ms)
{
    return {PeerStep::kPause, {}, ms};
}

class SerialPeer {
public:
    ~SerialPeer()
    {
        Finish();
        if (m_handle != INVALID_HANDLE_VALUE) {
            CloseHandle(m_handle);
        }
    }

    // Also empties what earlier tests left in this end's queues.
    bool Open(int port)
    {
        m_handle = OpenRawComPort(port);
        return m_handle != INVALID_HANDLE_VALUE;
    }

    bool Send(const std::string& bytes)
    {
        DWORD written = 0;
        return WriteFile(m_handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                         nullptr) &&
               written == bytes.size();
    }

    // Up to n bytes; fewer when the time-out passes first.
    std::string Receive(size_t n, DWORD timeoutMs)
    {
        COMMTIMEOUTS timeouts = {0, 0, timeoutMs, 0, 1000};
        SetCommTimeouts(m_handle, &timeouts);
        std::string bytes(n, '\0');
        DWORD count = 0;
        if (n == 0 || !ReadFile(m_handle, bytes.data(), static_cast<DWORD>(n), &count, nullptr)) {
            count = 0;
        }
        bytes.resize(count);
        return bytes;
    }

    // Runs the steps on a thread; Finish waits for them.
    void Start(std::vector<PeerStep> script)
    {
        Finish();
        m_failure.clear();
        m_thread = std::thread([this, script = std::move(script)] { Run(script); });
    }

    // Empty when every step went as scripted, else what went wrong first.
    std::string Finish()
    {
        if (m_thread.joinable()) {
            m_thread.join();
        }
        return m_failure;
    }

private:
    void Run(const std::vector<PeerStep>& script)
    {
        for (size_t i = 0; i < script.size(); ++i) {
            const PeerStep& step = script[i];
            const std::string where = "peer step " + std::to_string(i) + ": ";
            if (step.kind == PeerStep::kPause) {
                Sleep(static_cast<DWORD>(step.ms));
            } else if (step.kind == PeerStep::kSend) {
                if (!Send(step.bytes)) {
                    m_failure = where + "send failed";
                    return;
                }
            } else {
                const std::string got = Receive(step.bytes.size(), 5000);
                if (got != step.bytes) {
                    m_failure = where + "expected \"" + step.bytes + "\", got \"" + got + "\"";
                    return;
                }
            }
        }
    }

    HANDLE m_handle = INVALID_HANDLE_VALUE;
    std::thread m_thread;
    std::string m_failure;
};

}  // namespace kst_test
