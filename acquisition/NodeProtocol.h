#pragma once
// The acquisition node's protocol without its transport: the discovery and hello replies, the
// property names and requests of the commands, and the checks every reply passes before anything
// is taken from it. The node is a device outside the program, so each length, count and field
// it sends is checked here against what the protocol allows.
#include <cstdint>
#include <vector>

#include "foundation/HeaderInfoList.h"
#include "foundation/MemBuffer.h"
#include "foundation/String.h"
#include "foundation/TimeStamp.h"

class CKSTChannel;

namespace kst_node {

// UDP port the nodes answer the discovery request on.
constexpr int kDiscoveryPort = 5565;
// Sent without a terminating zero.
constexpr char kDiscoveryRequest[] = "DeviceIdent?\r";
// The command port callers use when no node answered the discovery request.
constexpr int kDefaultCommandPort = 49163;
// The built-in demonstration node: no network at all.
constexpr char kDemoHost[] = "255.255.255.255";

constexpr char kHello[] = "QVANE04\r\n";
constexpr char kPromptOff[] = "PROMPT_OFF\r\n";
constexpr char kCheck[] = "Check\r\n";
constexpr char kGetRawFifos[] = "_GET_RAW_FIFOS";
constexpr char kGetFifoValues[] = "_GET_FIFO_VALUES";
constexpr char kGetRecordingStatus[] = "_GET_REC_STATUS";

// Firmware from which transactions no longer wait for an "OK" line.
constexpr int kFirmwareWithoutAck = 220;
// Firmware above which the FIFO list takes a back time and a recording index.
constexpr int kFirmwareOldFifoData = 230;

// Values asked for per FIFO and pass.
constexpr int32_t kFifoBufferSize = 5000;
// The FIFO names carry the position as three digits, so no node lists more.
constexpr int kMaxFifoPositions = 1000;
// Longest message the protocol has use for: a FIFO list of every position with long texts, or
// the values of one pass. A longer announced length is refused before anything is allocated.
constexpr uint32_t kMaxMessageBytes = 4u << 20;
// Samples (values and times) one FIFO-values reply may create; blocks of equal values and
// missing runs would otherwise expand a few bytes into any number of samples.
constexpr uint64_t kReplySampleBudget = 4 * static_cast<uint64_t>(kFifoBufferSize);

bool IsDemoHost(const CKSTString& host);

// Command port from a discovery reply: the integer after the first ':' (optional blanks and
// sign, at most 10 digits). False for a reply of another kind of device (it contains "SID:"),
// without a number, or with a number that is no TCP port.
bool ParseDeviceIdentReply(const CKSTString& reply, int& port);

// Firmware version from the hello reply: every '.' removed, the number in the four characters
// after the first " V" (" V2.20" gives 220); 0 when none stands there.
int ParseFirmwareVersion(const CKSTString& helloLine);

// "FIFO_" + position as three digits + the character 0x1D + field.
CKSTString FifoPropertyName(int position, const char* field);

void BuildRawFifosRequest(int firmwareVersion, int backTimeMode, double backTime,
                          int32_t recordingIndex, CKSTHeaderInfoList& request);
void BuildFifoValuesRequest(int32_t fifoIndex, int64_t readCounter, CKSTHeaderInfoList& request);
void BuildRecordingStatusRequest(int32_t recordingIndex, CKSTHeaderInfoList& request);

// One position of the FIFO list.
struct KstNodeFifoEntry {
    CKSTString name;
    CKSTString group;
    CKSTString unit;
    bool hasFifoIndex = false;
    int32_t fifoIndex = -1;
    int64_t readCounter = 0;
};

// Positions 0, 1, ... of a FIFO-list reply up to the first one without "Name".
std::vector<KstNodeFifoEntry> ListFifos(const CKSTHeaderInfoList& reply);

// KST_ERR_NODE_NO_ERROR_CODE when "ErrorCode" is missing; otherwise removes it and returns its
// value (0 for success).
int TakeErrorCode(CKSTHeaderInfoList& reply);

// Length of a message from its 4-byte big-endian prefix; KST_ERR_SOCKET_LENGTH above
// kMaxMessageBytes.
int DecodeMessageLength(const uint8_t prefix[4], uint32_t& length);

// A FIFO-values reply: the property list, its "ErrorCode" (missing or not 0:
// KST_ERR_NODE_NO_ERROR_CODE), the new "ReadCounter" (missing: the same) and the samples of the
// channel data record, held to kReplySampleBudget. Nothing is taken from a reply that fails.
int ParseFifoValuesReply(const CKSTMemBuffer& message, int64_t& readCounter, CKSTChannel& samples);

struct KstNodeRecordingStatus {
    CKSTString saveStatus;
    CKSTTimeStamp time;
    CKSTTimeStamp fileTime;
    double progress = 0.0;
    int32_t fileCount = 0;
};

// KST_ERR_NODE_RECORDING_STATUS without "SaveStatus", "Time" or a file time.
int ParseRecordingStatusReply(const CKSTHeaderInfoList& reply, KstNodeRecordingStatus& status);

}  // namespace kst_node
