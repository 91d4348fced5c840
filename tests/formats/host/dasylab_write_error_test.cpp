#include <gtest/gtest.h>

#include "formats/DasylabFile.h"
#include "foundation/ErrorCodes.h"

namespace {

TEST(DasylabWriteErrorTest, WriteToAFullDeviceFails)
{
    CKSTChannelList list;
    CKSTChannel& channel = *list.GetAt(list.AddNew());
    channel.SetDt(0.01);
    channel.AppendValues(1.0, false, 10);
    CKSTDasylabFile small;
    ASSERT_EQ(small.OpenWrite("/dev/full"), KST_OK);
    const int write = small.WriteChannels(list, false);
    const int close = small.Close();
    EXPECT_TRUE(write == KST_ERR_SHORT_TRANSFER || close == KST_ERR_SHORT_TRANSFER);
    channel.AppendValues(1.0, false, 100000);
    CKSTDasylabFile large;
    ASSERT_EQ(large.OpenWrite("/dev/full"), KST_OK);
    EXPECT_EQ(large.WriteChannels(list, false), KST_ERR_SHORT_TRANSFER);
}

}  // namespace
