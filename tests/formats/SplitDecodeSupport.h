#pragma once
// Reading the same input on one thread and with every long decode split over several threads:
// the readers must give the same channels either way, from memory and from a file.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "foundation/ErrorCodes.h"
#include "foundation/MemBuffer.h"
#include "foundation/ParallelFor.h"
#include "support/TempFolder.h"

namespace kst_test {

// For its lifetime: one thread, or decodes split into ranges down to one item on up to four
// threads, however short they are.
class DecodeThreads {
public:
    explicit DecodeThreads(bool split) { KstSetParallelLimits(split ? 4 : 1, split ? 1 : 0); }
    ~DecodeThreads() { KstSetParallelLimits(0, 0); }
    DecodeThreads(const DecodeThreads&) = delete;
    DecodeThreads& operator=(const DecodeThreads&) = delete;
};

// Bit for bit: NaN matches NaN, -0 does not match 0.
inline bool SameBits(const double* a, const double* b, uint32_t n)
{
    return n == 0 || std::memcmp(a, b, size_t{n} * sizeof(double)) == 0;
}

// Everything a reader fills in a channel.
inline void ExpectSameChannel(const CKSTChannel& expected, const CKSTChannel& actual)
{
    EXPECT_EQ(actual.GetName(), expected.GetName());
    EXPECT_EQ(actual.GetUnit(), expected.GetUnit());
    EXPECT_EQ(actual.GetGroup(), expected.GetGroup());
    EXPECT_EQ(actual.GetTimeUnit(), expected.GetTimeUnit());
    ASSERT_EQ(actual.GetValueTextCount(), expected.GetValueTextCount());
    for (int32_t t = 0; t < expected.GetValueTextCount(); ++t) {
        EXPECT_EQ(actual.GetValueText(t), expected.GetValueText(t));
    }
    ASSERT_EQ(actual.GetCount(), expected.GetCount());
    EXPECT_EQ(actual.GetTimeBaseType(), expected.GetTimeBaseType());
    const double grid[] = {expected.GetDt(), expected.GetT0()};
    const double actualGrid[] = {actual.GetDt(), actual.GetT0()};
    EXPECT_TRUE(SameBits(grid, actualGrid, 2));
    EXPECT_EQ(actual.GetStartTimeStamp(), expected.GetStartTimeStamp());
    EXPECT_EQ(actual.GetSampleType(), expected.GetSampleType());
    EXPECT_EQ(actual.HasMissing(), expected.HasMissing());
    EXPECT_EQ(actual.AreTimesAscending(), expected.AreTimesAscending());
    const uint32_t n = expected.GetCount();
    EXPECT_TRUE(SameBits(expected.GetValues(), actual.GetValues(), n));
    if (expected.GetTimeBaseType() == CKSTChannel::kTimeVector) {
        EXPECT_TRUE(SameBits(expected.GetTimes(), actual.GetTimes(), n));
    }
    for (uint32_t i = 0; i < n; ++i) {
        ASSERT_EQ(actual.IsMissing(i), expected.IsMissing(i)) << i;
    }
}

inline void ExpectSameChannels(const CKSTChannelList& expected, const CKSTChannelList& actual)
{
    ASSERT_EQ(actual.GetCount(), expected.GetCount());
    for (int i = 0; i < expected.GetCount(); ++i) {
        SCOPED_TRACE("channel " + std::to_string(i));
        ExpectSameChannel(*expected.GetAt(i), *actual.GetAt(i));
    }
}

// read(set), returning an error code, on one thread and split: the same result and channels,
// and samples among them.
template <class Read>
void ExpectSameSplitOrNot(Read read)
{
    CKSTDataSet one;
    CKSTDataSet split;
    int oneResult = KST_OK;
    int splitResult = KST_OK;
    {
        DecodeThreads threads(false);
        oneResult = read(one);
    }
    {
        DecodeThreads threads(true);
        splitResult = read(split);
    }
    EXPECT_EQ(splitResult, oneResult);
    uint64_t samples = 0;
    for (int i = 0; i < one.GetChannels().GetCount(); ++i) {
        samples += one.GetChannels().GetAt(i)->GetCount();
    }
    EXPECT_GT(samples, 0u);
    ExpectSameChannels(one.GetChannels(), split.GetChannels());
}

// The image read through a fresh Reader from memory and from a file named `fileName`.
template <class Reader>
void ExpectSameSplitOrNot(const std::vector<uint8_t>& image, const std::string& fileName)
{
    CKSTMemBuffer buffer;
    buffer.Write(image.data(), 1, static_cast<uint32_t>(image.size()));
    {
        SCOPED_TRACE("from memory");
        ExpectSameSplitOrNot([&](CKSTDataSet& set) {
            Reader reader;
            const int open = reader.SetMemory(buffer);
            return open != KST_OK ? open : reader.Read(set, nullptr, false);
        });
    }
    TempFolder folder;
    folder.WriteFile(fileName, std::string(image.begin(), image.end()));
    {
        SCOPED_TRACE("from a file");
        ExpectSameSplitOrNot([&](CKSTDataSet& set) {
            Reader reader;
            const int open = reader.OpenRead(folder.Path(fileName));
            return open != KST_OK ? open : reader.Read(set, nullptr, false);
        });
    }
}

}  // namespace kst_test
