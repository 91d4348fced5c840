#pragma once
// One COM port: line settings, time-outs, writing a text and reading bytes with an overall
// time-out. Used from one thread at a time; nothing here takes a lock.

#include <cstdint>

class CKSTString;

class CKSTSerialPort {
public:
    CKSTSerialPort();
    ~CKSTSerialPort();
    CKSTSerialPort(const CKSTSerialPort&) = delete;
    CKSTSerialPort& operator=(const CKSTSerialPort&) = delete;

    // parity: 0 none, 1 odd, 2 even; stopBits: 0 one, 1 two, 2 one and a half; handshake:
    // 0 none, 1 RTS/CTS, 2 DTR/DSR, 3 RTS toggle, 4 XON/XOFF. Other codes keep the device's value.
    int Open(int16_t port, uint32_t baudRate, int parity, uint8_t dataBits, int stopBits,
             int handshake);
    int Close();
    int SetTimeouts(double totalSeconds, double intervalSeconds);
    int Write(const CKSTString& text);
    int Read(char& byte);
    int ReadBytes(CKSTString& out, int n, double timeoutSeconds);
    bool ClearErrors();

    bool IsOpen() const { return m_open == 1; }
    // The device handle while open, for reading the device's own state back.
    void* GetHandle() const { return m_handle; }

private:
    int CheckOpen() const;

    int16_t m_open = 0;
    int16_t m_port = 0;
    double m_totalTimeout = 30.0;
    double m_intervalTimeout = 10.0;
    uint32_t m_baudRate = 0;
    void* m_handle;
};
