#include "acquisition/NodeProtocol.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "data/Channel.h"
#include "data/DocFile.h"
#include "foundation/ByteOrder.h"
#include "foundation/ErrorCodes.h"

namespace kst_node {

namespace {

constexpr char kFieldSeparator = 0x1D;
constexpr int kMaxPortDigits = 10;
constexpr int kFirmwareDigits = 4;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

bool IsDemoHost(const CKSTString& host)
{
    return host == kDemoHost;
}

bool ParseDeviceIdentReply(const CKSTString& reply, int& port)
{
    if (reply.Find("SID:", 0) >= 0) {
        return false;
    }
    const int colon = reply.Find(':', 0);
    if (colon < 0) {
        return false;
    }
    const char* p = reply.c_str() + colon + 1;
    const char* end = reply.c_str() + reply.GetLength();
    while (p < end && (*p == ' ' || *p == '\t')) {
        ++p;
    }
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    const char* digits = p;
    while (p < end && IsDigit(*p)) {
        ++p;
    }
    const long long count = p - digits;
    if (count == 0 || count > kMaxPortDigits) {
        return false;
    }
    long long value = 0;
    std::from_chars(digits, p, value);
    if (negative || value < 1 || value > 65535) {
        return false;
    }
    port = static_cast<int>(value);
    return true;
}

int ParseFirmwareVersion(const CKSTString& helloLine)
{
    CKSTString text = helloLine;
    text.Remove('.');
    const int at = text.Find(" V", 0);
    if (at < 0) {
        return 0;
    }
    const char* p = text.c_str() + at + 2;
    const char* end = std::min(p + kFirmwareDigits, text.c_str() + text.GetLength());
    const char* digitsEnd = p;
    while (digitsEnd < end && IsDigit(*digitsEnd)) {
        ++digitsEnd;
    }
    int version = 0;
    std::from_chars(p, digitsEnd, version);
    return version;
}

CKSTString FifoPropertyName(int position, const char* field)
{
    CKSTString name = "FIFO_";
    name += CKSTString::FormatInt(position, 3, '0');
    name += kFieldSeparator;
    name += field;
    return name;
}

void BuildRawFifosRequest(int firmwareVersion, int backTimeMode, double backTime,
                          int32_t recordingIndex, CKSTHeaderInfoList& request)
{
    request.Clear();
    if (firmwareVersion > kFirmwareOldFifoData) {
        if (backTimeMode == 0) {
            request.SetDouble("FifoBackTime", 0.0);
        } else if (backTimeMode == 1) {
            request.SetDouble("FifoBackTime", -1.0);
        } else if (backTimeMode == 2) {
            request.SetDouble("FifoBackTime", backTime);
        }
        request.SetLong("RecordingIndex", recordingIndex);
    } else {
        request.SetBool("OldFifoData", backTimeMode != 0);
    }
}

void BuildFifoValuesRequest(int32_t fifoIndex, int64_t readCounter, CKSTHeaderInfoList& request)
{
    request.Clear();
    request.SetLong("FifoIndex", fifoIndex);
    request.SetInt64("ReadCounter", readCounter);
    request.SetLong("BufferSize", kFifoBufferSize);
    request.SetBool("FirstCall", true);
}

void BuildRecordingStatusRequest(int32_t recordingIndex, CKSTHeaderInfoList& request)
{
    request.Clear();
    request.SetLong("RecordingIndex", recordingIndex);
}

std::vector<KstNodeFifoEntry> ListFifos(const CKSTHeaderInfoList& reply)
{
    std::vector<KstNodeFifoEntry> fifos;
    for (int position = 0; position < kMaxFifoPositions; ++position) {
        KstNodeFifoEntry entry;
        if (reply.GetString(FifoPropertyName(position, "Name"), entry.name) < 0) {
            break;
        }
        reply.GetStringOr(FifoPropertyName(position, "Group"), entry.group, CKSTString());
        reply.GetStringOr(FifoPropertyName(position, "Unit"), entry.unit, CKSTString());
        entry.hasFifoIndex =
            reply.GetLong(FifoPropertyName(position, "FifoIndex"), entry.fifoIndex) >= 0;
        if (reply.GetInt64(FifoPropertyName(position, "ReadCounter"), entry.readCounter) < 0) {
            entry.readCounter = 0;
        }
        fifos.push_back(entry);
    }
    return fifos;
}

int TakeErrorCode(CKSTHeaderInfoList& reply)
{
    int32_t code = 0;
    if (reply.GetLong("ErrorCode", code) < 0) {
        return KST_ERR_NODE_NO_ERROR_CODE;
    }
    reply.Remove("ErrorCode");
    return code;
}

int DecodeMessageLength(const uint8_t prefix[4], uint32_t& length)
{
    const uint32_t value = KstLoadBE<uint32_t>(prefix);
    if (value > kMaxMessageBytes) {
        return KST_ERR_SOCKET_LENGTH;
    }
    length = value;
    return KST_OK;
}

int ParseFifoValuesReply(const CKSTMemBuffer& message, int64_t& readCounter, CKSTChannel& samples)
{
    CKSTHeaderInfoList reply;
    CKSTDocFile file;
    int result = file.ReadPropertyListFromMemory(reply, message);
    if (result != KST_OK) {
        return result;
    }
    int32_t errorCode = 0;
    int64_t counter = 0;
    if (reply.GetLong("ErrorCode", errorCode) < 0 || errorCode != 0 ||
        reply.GetInt64("ReadCounter", counter) < 0) {
        return KST_ERR_NODE_NO_ERROR_CODE;
    }
    CKSTChannel channel;
    file.SetSampleBudget(kReplySampleBudget);
    result = file.ReadSamplesFromMemory(channel, 0, message);
    if (result != KST_OK) {
        return result;
    }
    readCounter = counter;
    samples = channel;
    return KST_OK;
}

int ParseRecordingStatusReply(const CKSTHeaderInfoList& reply, KstNodeRecordingStatus& status)
{
    KstNodeRecordingStatus read;
    if (reply.GetString("SaveStatus", read.saveStatus) < 0 ||
        reply.GetTime("Time", read.time) < 0 ||
        (reply.GetTime("SaveCurrFileTime", read.fileTime) < 0 &&
         reply.GetTime("SaveLastFileTime", read.fileTime) < 0)) {
        return KST_ERR_NODE_RECORDING_STATUS;
    }
    if (reply.GetDouble("SaveFileProgress", read.progress) < 0) {
        read.progress = 0.0;
    }
    if (reply.GetLong("SaveFileCount", read.fileCount) < 0) {
        read.fileCount = 0;
    }
    status = read;
    return KST_OK;
}

}  // namespace kst_node
