#include "foundation/win/SerialPort.h"

#include "foundation/ErrorCodes.h"
#include "foundation/String.h"

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

// The documented platform errors get their own codes; every other one must still come back
// negative, or callers that test for a negative result would take it for success.
int MapPlatformError(DWORD error, int otherwise)
{
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
            return KST_ERR_SERIAL_NO_DEVICE;
        case ERROR_ACCESS_DENIED:
            return KST_ERR_SERIAL_ACCESS_DENIED;
        case ERROR_INVALID_HANDLE:
            return KST_ERR_SERIAL_NOT_OPEN;
        default:
            return otherwise;
    }
}

// Seconds to a time-out field; out-of-range and NaN inputs must not reach the conversion.
DWORD ToMilliseconds(double seconds)
{
    const double ms = seconds * 1000.0;
    if (!(ms >= 1.0)) {
        return 0;
    }
    // MAXDWORD has a meaning of its own in the read interval field.
    if (ms >= static_cast<double>(MAXDWORD - 1)) {
        return MAXDWORD - 1;
    }
    return static_cast<DWORD>(ms);
}

void ApplyHandshake(DCB& dcb, int handshake)
{
    switch (handshake) {
        case 0:
        case 3:
            dcb.fOutxCtsFlow = FALSE;
            dcb.fOutxDsrFlow = FALSE;
            dcb.fDtrControl = DTR_CONTROL_DISABLE;
            dcb.fOutX = FALSE;
            dcb.fInX = FALSE;
            dcb.fRtsControl = handshake == 0 ? RTS_CONTROL_DISABLE : RTS_CONTROL_TOGGLE;
            break;
        case 1:
            dcb.fOutxCtsFlow = TRUE;
            dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
            break;
        case 2:
            dcb.fOutxDsrFlow = TRUE;
            dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
            break;
        case 4:
            dcb.fOutX = TRUE;
            dcb.fInX = TRUE;
            break;
        default:
            break;
    }
}

// A driver may accept a setting it cannot honour (an unsupported speed, a flow control it has
// no lines for) and report success; the port would then run otherwise than asked, silently.
bool SettingsTaken(const DCB& wanted, const DCB& actual)
{
    return wanted.BaudRate == actual.BaudRate && wanted.fOutxCtsFlow == actual.fOutxCtsFlow &&
           wanted.fOutxDsrFlow == actual.fOutxDsrFlow && wanted.fOutX == actual.fOutX &&
           wanted.fInX == actual.fInX;
}

}  // namespace

CKSTSerialPort::CKSTSerialPort() : m_handle(INVALID_HANDLE_VALUE) {}

CKSTSerialPort::~CKSTSerialPort()
{
    if (m_open == 1) {
        Close();
    }
}

int CKSTSerialPort::CheckOpen() const
{
    if (m_port < 1) {
        return KST_ERR_SERIAL_PORT_NUMBER;
    }
    if (m_open != 1) {
        return KST_ERR_SERIAL_NOT_OPEN;
    }
    return KST_OK;
}

int CKSTSerialPort::Open(int16_t port, uint32_t baudRate, int parity, uint8_t dataBits,
                         int stopBits, int handshake)
{
    if (port < 1) {
        return KST_ERR_SERIAL_PORT_NUMBER;
    }
    if (m_open == 1) {
        return KST_ERR_SERIAL_ALREADY_OPEN;
    }

    // The device namespace prefix lets ports above COM9 open as well.
    const std::string name = "\\\\.\\COM" + std::to_string(port);
    HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return MapPlatformError(GetLastError(), KST_ERR_SERIAL_DEVICE);
    }
    const auto fail = [handle](int code) {
        CloseHandle(handle);
        return code;
    };

    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle, &dcb)) {
        return fail(MapPlatformError(GetLastError(), KST_ERR_SERIAL_DEVICE));
    }
    dcb.BaudRate = baudRate;
    dcb.ByteSize = dataBits;
    switch (parity) {
        case 0:
            dcb.Parity = NOPARITY;
            break;
        case 1:
            dcb.Parity = ODDPARITY;
            break;
        case 2:
            dcb.Parity = EVENPARITY;
            break;
        default:
            break;
    }
    switch (stopBits) {
        case 0:
            dcb.StopBits = ONESTOPBIT;
            break;
        case 1:
            dcb.StopBits = TWOSTOPBITS;
            break;
        case 2:
            dcb.StopBits = ONE5STOPBITS;
            break;
        default:
            break;
    }
    ApplyHandshake(dcb, handshake);
    if (!SetCommState(handle, &dcb)) {
        return fail(MapPlatformError(GetLastError(), KST_ERR_SERIAL_SETTINGS_REFUSED));
    }
    DCB actual = {};
    actual.DCBlength = sizeof actual;
    if (!GetCommState(handle, &actual)) {
        return fail(MapPlatformError(GetLastError(), KST_ERR_SERIAL_DEVICE));
    }
    if (!SettingsTaken(dcb, actual)) {
        return fail(KST_ERR_SERIAL_SETTINGS_REFUSED);
    }

    m_handle = handle;
    m_open = 1;
    m_port = port;
    m_baudRate = baudRate;
    return SetTimeouts(m_totalTimeout, m_intervalTimeout);
}

int CKSTSerialPort::Close()
{
    const int check = CheckOpen();
    if (check != KST_OK) {
        return check;
    }
    const BOOL closed = CloseHandle(m_handle);
    const DWORD error = closed ? ERROR_SUCCESS : GetLastError();
    m_handle = INVALID_HANDLE_VALUE;
    m_open = 0;
    m_port = 0;
    return closed ? KST_OK : MapPlatformError(error, KST_ERR_SERIAL_DEVICE);
}

int CKSTSerialPort::SetTimeouts(double totalSeconds, double intervalSeconds)
{
    const int check = CheckOpen();
    if (check != KST_OK) {
        return check;
    }
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = ToMilliseconds(intervalSeconds);
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = ToMilliseconds(totalSeconds);
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = ToMilliseconds(totalSeconds);
    if (!SetCommTimeouts(m_handle, &timeouts)) {
        return MapPlatformError(GetLastError(), KST_ERR_SERIAL_DEVICE);
    }
    m_totalTimeout = totalSeconds;
    m_intervalTimeout = intervalSeconds;
    return KST_OK;
}

int CKSTSerialPort::Write(const CKSTString& text)
{
    const int check = CheckOpen();
    if (check != KST_OK) {
        return check;
    }
    DWORD written = 0;
    if (!WriteFile(m_handle, text.c_str(), static_cast<DWORD>(text.GetLength()), &written,
                   nullptr)) {
        return MapPlatformError(GetLastError(), KST_ERR_SERIAL_DEVICE);
    }
    return static_cast<int>(written);
}

int CKSTSerialPort::Read(char& byte)
{
    const int check = CheckOpen();
    if (check != KST_OK) {
        return check;
    }
    DWORD count = 0;
    if (!ReadFile(m_handle, &byte, 1, &count, nullptr)) {
        return MapPlatformError(GetLastError(), KST_ERR_SERIAL_DEVICE);
    }
    return static_cast<int>(count);
}

int CKSTSerialPort::ReadBytes(CKSTString& out, int n, double timeoutSeconds)
{
    out.Empty();
    const int check = CheckOpen();
    if (check != KST_OK) {
        return check;
    }
    if (n <= 0) {
        return 0;
    }

    using Clock = std::chrono::steady_clock;
    std::vector<char> bytes;
    bytes.reserve(static_cast<size_t>(n));
    bool waiting = false;
    Clock::time_point firstWait;
    while (static_cast<int>(bytes.size()) < n) {
        if (ClearErrors()) {
            char byte = 0;
            const int count = Read(byte);
            if (count < 0) {
                out.Assign(bytes.data(), static_cast<int>(bytes.size()));
                return KST_ERR_SERIAL_READ;
            }
            if (count == 1) {
                bytes.push_back(byte);
                continue;
            }
        }
        // The time-out bounds the whole read from its first wait, not each byte.
        if (!waiting) {
            firstWait = Clock::now();
            waiting = true;
        }
        Sleep(1);
        const double waited = std::chrono::duration<double>(Clock::now() - firstWait).count();
        if (!ClearErrors() && !(waited <= timeoutSeconds)) {
            // Only what really arrived is handed back.
            out.Assign(bytes.data(), static_cast<int>(bytes.size()));
            return KST_ERR_SERIAL_TIMEOUT;
        }
    }
    out.Assign(bytes.data(), n);
    return n;
}

bool CKSTSerialPort::ClearErrors()
{
    if (m_open != 1) {
        return false;
    }
    DWORD errors = 0;
    COMSTAT status = {};
    if (!ClearCommError(m_handle, &errors, &status)) {
        return false;
    }
    return status.cbInQue > 0;
}
