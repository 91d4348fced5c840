#pragma once
// The node simulator (tools/node_sim) as a child process of a test: started with its switches,
// it reports the loopback ports it bound; it ends when the test closes its standard input.
#include <windows.h>

#include <cstdio>
#include <string>

namespace kst_test {

class NodeSimProcess {
public:
    NodeSimProcess() = default;
    NodeSimProcess(const NodeSimProcess&) = delete;
    NodeSimProcess& operator=(const NodeSimProcess&) = delete;

    ~NodeSimProcess()
    {
        if (m_input != nullptr) {
            CloseHandle(m_input);
        }
        if (m_process.hProcess != nullptr) {
            if (WaitForSingleObject(m_process.hProcess, 10000) != WAIT_OBJECT_0) {
                TerminateProcess(m_process.hProcess, 1);
            }
            CloseHandle(m_process.hProcess);
            CloseHandle(m_process.hThread);
        }
    }

    // False when the simulator did not start or did not report its ports.
    bool Start(const std::string& switches)
    {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE childInput = nullptr;
        HANDLE childOutput = nullptr;
        HANDLE output = nullptr;
        if (!CreatePipe(&childInput, &m_input, &inherit, 0) ||
            !CreatePipe(&output, &childOutput, &inherit, 0)) {
            return false;
        }
        SetHandleInformation(m_input, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childInput;
        startup.hStdOutput = childOutput;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        std::string line = std::string("\"") + KST_NODE_SIM_PATH + "\" " + switches;
        const bool started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                                            nullptr, &startup, &m_process) != FALSE;
        CloseHandle(childInput);
        CloseHandle(childOutput);
        std::string report;
        char c = 0;
        DWORD n = 0;
        while (started && report.size() < 100 && ReadFile(output, &c, 1, &n, nullptr) && n == 1 &&
               c != '\n') {
            report += c;
        }
        CloseHandle(output);
        return started && std::sscanf(report.c_str(), "udp %d tcp %d", &m_udpPort, &m_tcpPort) == 2;
    }

    int UdpPort() const { return m_udpPort; }
    int TcpPort() const { return m_tcpPort; }

private:
    PROCESS_INFORMATION m_process = {};
    HANDLE m_input = nullptr;
    int m_udpPort = 0;
    int m_tcpPort = 0;
};

}  // namespace kst_test
