// The node protocol's parsers and requests: discovery and hello replies, the firmware table of
// the FIFO-list request, the FIFO list and the checks on every reply the node sends.
#include "acquisition/NodeProtocol.h"

#include <gtest/gtest.h>

#include <string>

#include "data/Channel.h"
#include "data/DocFile.h"
#include "foundation/ErrorCodes.h"

namespace {

using namespace kst_node;

struct IdentCase {
    const char* reply;
    bool accepted;
    int port;
};

TEST(NodeProtocolTest, DiscoveryReplies)
{
    const IdentCase cases[] = {
        {"QVANE04:5001", true, 5001},
        {"node:49163\r\n", true, 49163},
        {"a:1:2", true, 1},
        {"node: +8000", true, 8000},
        {"node:SID:5001", false, 0},
        {"SID:5001", false, 0},
        {"controller SID:12 port:5001", false, 0},
        {"no colon 5001", false, 0},
        {"node:", false, 0},
        {"node:x5001", false, 0},
        {"node:-5001", false, 0},
        {"node:0", false, 0},
        {"node:65536", false, 0},
        {"node:00000005001", false, 0},   // 11 digits
        {"node:0000005001", true, 5001},  // 10 digits
        {"", false, 0},
    };
    for (const IdentCase& c : cases) {
        int port = -7;
        EXPECT_EQ(ParseDeviceIdentReply(c.reply, port), c.accepted) << c.reply;
        EXPECT_EQ(port, c.accepted ? c.port : -7) << c.reply;
    }
}

TEST(NodeProtocolTest, FirmwareFromHello)
{
    const std::pair<const char*, int> cases[] = {
        {"QVANE04 node V2.20", 220},
        {"QVANE04 node V2.31 build 7", 231},
        {"node V12.345", 1234},
        {"node V2.2", 22},
        {"node V", 0},
        {"node Vx.20", 0},
        {"node v2.20", 0},
        {"nodeV2.20", 0},
        {"", 0},
    };
    for (const auto& [hello, version] : cases) {
        EXPECT_EQ(ParseFirmwareVersion(hello), version) << hello;
    }
}

TEST(NodeProtocolTest, FifoPropertyNames)
{
    EXPECT_EQ(std::string(FifoPropertyName(0, "Name").c_str()), std::string("FIFO_000\x1DName"));
    EXPECT_EQ(std::string(FifoPropertyName(42, "FifoIndex").c_str()), std::string("FIFO_042\x1D"
                                                                                  "FifoIndex"));
    EXPECT_EQ(std::string(FifoPropertyName(999, "Unit").c_str()), std::string("FIFO_999\x1DUnit"));
}

// What the FIFO-list request carries for each firmware and back-time mode.
struct RawFifosCase {
    int firmware;
    int backTimeMode;
    bool hasBackTime;
    double backTime;
    bool hasRecordingIndex;
    bool hasOldFifoData;
    bool oldFifoData;
};

TEST(NodeProtocolTest, FifoListRequestByFirmware)
{
    const RawFifosCase cases[] = {
        {0, 0, false, 0.0, false, true, false},   {0, 1, false, 0.0, false, true, true},
        {219, 2, false, 0.0, false, true, true},  {220, 0, false, 0.0, false, true, false},
        {230, 1, false, 0.0, false, true, true},  {230, 3, false, 0.0, false, true, true},
        {231, 0, true, 0.0, true, false, false},  {231, 1, true, -1.0, true, false, false},
        {240, 2, true, 12.5, true, false, false}, {240, 3, false, 0.0, true, false, false},
    };
    for (const RawFifosCase& c : cases) {
        SCOPED_TRACE("firmware " + std::to_string(c.firmware) + " mode " +
                     std::to_string(c.backTimeMode));
        CKSTHeaderInfoList request;
        request.SetLong("Stale", 1);
        BuildRawFifosRequest(c.firmware, c.backTimeMode, 12.5, 7, request);
        EXPECT_LT(request.GetCount(true), 3);
        double backTime = 99.0;
        EXPECT_EQ(request.GetDouble("FifoBackTime", backTime) >= 0, c.hasBackTime);
        if (c.hasBackTime) {
            EXPECT_EQ(backTime, c.backTime);
        }
        int32_t index = 0;
        EXPECT_EQ(request.GetLong("RecordingIndex", index) >= 0, c.hasRecordingIndex);
        if (c.hasRecordingIndex) {
            EXPECT_EQ(index, 7);
        }
        uint8_t old = 9;
        EXPECT_EQ(request.GetBoolByte("OldFifoData", old) >= 0, c.hasOldFifoData);
        if (c.hasOldFifoData) {
            EXPECT_EQ(old != 0, c.oldFifoData);
        }
    }
}

TEST(NodeProtocolTest, FifoValuesRequest)
{
    CKSTHeaderInfoList request;
    BuildFifoValuesRequest(12, 123456789012LL, request);
    int32_t fifo = 0, size = 0;
    int64_t counter = 0;
    uint8_t first = 0;
    ASSERT_GE(request.GetLong("FifoIndex", fifo), 0);
    ASSERT_GE(request.GetInt64("ReadCounter", counter), 0);
    ASSERT_GE(request.GetLong("BufferSize", size), 0);
    ASSERT_GE(request.GetBoolByte("FirstCall", first), 0);
    EXPECT_EQ(fifo, 12);
    EXPECT_EQ(counter, 123456789012LL);
    EXPECT_EQ(size, 5000);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(request.GetItem(request.Find("ReadCounter", false)).m_type, KST_HIT_INT64);
}

TEST(NodeProtocolTest, FifoListStopsAtFirstPositionWithoutName)
{
    CKSTHeaderInfoList reply;
    reply.SetString(FifoPropertyName(0, "Name"), "A");
    reply.SetString(FifoPropertyName(0, "Group"), "G");
    reply.SetString(FifoPropertyName(0, "Unit"), "V");
    reply.SetLong(FifoPropertyName(0, "FifoIndex"), 4);
    reply.SetInt64(FifoPropertyName(0, "ReadCounter"), 77);
    reply.SetString(FifoPropertyName(1, "Name"), "B");  // defaults, no FIFO index
    reply.SetString(FifoPropertyName(3, "Name"), "after the gap");
    const std::vector<KstNodeFifoEntry> fifos = ListFifos(reply);
    ASSERT_EQ(fifos.size(), 2u);
    EXPECT_STREQ(fifos[0].name.c_str(), "A");
    EXPECT_STREQ(fifos[0].group.c_str(), "G");
    EXPECT_STREQ(fifos[0].unit.c_str(), "V");
    EXPECT_TRUE(fifos[0].hasFifoIndex);
    EXPECT_EQ(fifos[0].fifoIndex, 4);
    EXPECT_EQ(fifos[0].readCounter, 77);
    EXPECT_STREQ(fifos[1].name.c_str(), "B");
    EXPECT_STREQ(fifos[1].group.c_str(), "");
    EXPECT_FALSE(fifos[1].hasFifoIndex);
    EXPECT_EQ(fifos[1].readCounter, 0);
}

TEST(NodeProtocolTest, FifoListHoldsAtMostThreeDigitPositions)
{
    CKSTHeaderInfoList reply;
    for (int i = 0; i < 1001; ++i) {
        reply.SetString(FifoPropertyName(i, "Name"), "x");
    }
    EXPECT_EQ(ListFifos(reply).size(), 1000u);
}

TEST(NodeProtocolTest, ErrorCodeIsTakenFromTheReply)
{
    CKSTHeaderInfoList reply;
    EXPECT_EQ(TakeErrorCode(reply), KST_ERR_NODE_NO_ERROR_CODE);
    reply.SetLong("ErrorCode", -17);
    reply.SetLong("Other", 1);
    EXPECT_EQ(TakeErrorCode(reply), -17);
    EXPECT_FALSE(reply.HasVisible("ErrorCode"));
    EXPECT_TRUE(reply.HasVisible("Other"));
    reply.SetLong("ErrorCode", 0);
    EXPECT_EQ(TakeErrorCode(reply), 0);
}

TEST(NodeProtocolTest, MessageLengthsBeyondTheProtocolAreRefused)
{
    const struct {
        uint8_t prefix[4];
        int result;
        uint32_t length;
    } cases[] = {
        {{0, 0, 0, 0}, KST_OK, 0},
        {{0, 0, 1, 2}, KST_OK, 258},
        {{0, 0x40, 0, 0}, KST_OK, kMaxMessageBytes},
        {{0, 0x40, 0, 1}, KST_ERR_SOCKET_LENGTH, 5},
        {{0x7F, 0xFF, 0xFF, 0xF0}, KST_ERR_SOCKET_LENGTH, 5},
        {{0xFF, 0xFF, 0xFF, 0xFF}, KST_ERR_SOCKET_LENGTH, 5},
    };
    for (const auto& c : cases) {
        uint32_t length = 5;
        EXPECT_EQ(DecodeMessageLength(c.prefix, length), c.result);
        EXPECT_EQ(length, c.length);
    }
}

// A FIFO-values reply as a node sends it: the property list, then the channel data record.
CKSTMemBuffer ValuesReply(const CKSTHeaderInfoList& list, const CKSTChannel* channel)
{
    CKSTDocFile file;
    CKSTMemBuffer message;
    EXPECT_EQ(file.OpenMemoryWrite(), KST_OK);
    EXPECT_EQ(WriteKxdPropertyList(file, list), KST_OK);
    if (channel != nullptr) {
        EXPECT_EQ(file.WriteChannelRecord(*channel, 0, 0), KST_OK);
        EXPECT_EQ(file.WriteSamples(*channel, 0, 0, channel->GetCount()), KST_OK);
    }
    file.GetMemory(message);
    EXPECT_EQ(file.Close(), KST_OK);
    return message;
}

CKSTChannel Ramp(uint32_t n)
{
    CKSTChannel channel;
    channel.SetDt(0.01);
    channel.SetStartTimeStamp(CKSTTimeStamp(2026, 3, 4, 5, 6, 7.25));
    for (uint32_t i = 0; i < n; ++i) {
        channel.AppendValue(1000.0 + i, false);
    }
    return channel;
}

TEST(NodeProtocolTest, FifoValuesReplyGivesCounterAndSamples)
{
    CKSTHeaderInfoList list;
    list.SetLong("ErrorCode", 0);
    list.SetInt64("ReadCounter", 5000000123LL);
    const CKSTChannel ramp = Ramp(25);
    int64_t counter = 0;
    CKSTChannel samples;
    ASSERT_EQ(ParseFifoValuesReply(ValuesReply(list, &ramp), counter, samples), KST_OK);
    EXPECT_EQ(counter, 5000000123LL);
    ASSERT_EQ(samples.GetCount(), 25u);
    EXPECT_EQ(samples.GetValue(0), 1000.0);
    EXPECT_EQ(samples.GetValue(24), 1024.0);
    EXPECT_DOUBLE_EQ(samples.GetDt(), 0.01);
    EXPECT_TRUE(samples.GetStartTimeStamp() == ramp.GetStartTimeStamp());
}

TEST(NodeProtocolTest, RefusedFifoValuesRepliesLeaveCounterAndSamples)
{
    const CKSTChannel ramp = Ramp(3);
    const CKSTChannel tooMany = Ramp(static_cast<uint32_t>(kReplySampleBudget) + 1);
    CKSTHeaderInfoList noCode;
    noCode.SetInt64("ReadCounter", 9);
    CKSTHeaderInfoList failed;
    failed.SetLong("ErrorCode", -3);
    failed.SetInt64("ReadCounter", 9);
    CKSTHeaderInfoList noCounter;
    noCounter.SetLong("ErrorCode", 0);
    CKSTHeaderInfoList good;
    good.SetLong("ErrorCode", 0);
    good.SetInt64("ReadCounter", 9);
    CKSTMemBuffer garbage;
    garbage.Write("not a container at all", 1, 22);
    const struct {
        const char* what;
        CKSTMemBuffer message;
        int result;
    } cases[] = {
        {"no error code", ValuesReply(noCode, &ramp), KST_ERR_NODE_NO_ERROR_CODE},
        {"node error", ValuesReply(failed, &ramp), KST_ERR_NODE_NO_ERROR_CODE},
        {"no read counter", ValuesReply(noCounter, &ramp), KST_ERR_NODE_NO_ERROR_CODE},
        {"no channel record", ValuesReply(good, nullptr), KST_ERR_BAD_HEADER},
        {"beyond the sample budget", ValuesReply(good, &tooMany), KST_ERR_TOO_LARGE},
        {"garbage", garbage, KST_ERR_NOT_CONTAINER},
        {"empty", CKSTMemBuffer(), KST_ERR_BAD_HEADER},
    };
    for (const auto& c : cases) {
        int64_t counter = 1;
        CKSTChannel samples = Ramp(2);
        EXPECT_EQ(ParseFifoValuesReply(c.message, counter, samples), c.result) << c.what;
        EXPECT_EQ(counter, 1) << c.what;
        EXPECT_EQ(samples.GetCount(), 2u) << c.what;
    }
}

TEST(NodeProtocolTest, RecordingStatusReply)
{
    const CKSTTimeStamp t1(2026, 1, 2, 3, 4, 5.0);
    const CKSTTimeStamp t2(2026, 1, 2, 3, 5, 0.0);
    auto timeItem = [](const char* name, const CKSTTimeStamp& stamp) {
        CKSTHeaderInfoItem item(name, "");
        item.SetTime(stamp);
        return item;
    };
    CKSTHeaderInfoList reply;
    reply.SetString("SaveStatus", "Idle");
    reply.Add(timeItem("Time", t1));
    KstNodeRecordingStatus status;
    EXPECT_EQ(ParseRecordingStatusReply(reply, status), KST_ERR_NODE_RECORDING_STATUS);
    reply.Add(timeItem("SaveLastFileTime", t2));
    ASSERT_EQ(ParseRecordingStatusReply(reply, status), KST_OK);
    EXPECT_STREQ(status.saveStatus.c_str(), "Idle");
    EXPECT_TRUE(status.time == t1);
    EXPECT_TRUE(status.fileTime == t2);
    EXPECT_EQ(status.progress, 0.0);
    EXPECT_EQ(status.fileCount, 0);
    // The current file's time wins over the last one's.
    reply.Add(timeItem("SaveCurrFileTime", t1));
    reply.SetDouble("SaveFileProgress", 0.25);
    reply.SetLong("SaveFileCount", 3);
    ASSERT_EQ(ParseRecordingStatusReply(reply, status), KST_OK);
    EXPECT_TRUE(status.fileTime == t1);
    EXPECT_EQ(status.progress, 0.25);
    EXPECT_EQ(status.fileCount, 3);
    reply.Remove("SaveStatus");
    EXPECT_EQ(ParseRecordingStatusReply(reply, status), KST_ERR_NODE_RECORDING_STATUS);
}

}  // namespace
