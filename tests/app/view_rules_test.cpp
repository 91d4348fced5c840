#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/ViewRules.h"

namespace {

TEST(ViewRules, SpaceAndBackspaceStepThroughTheFolder)
{
    EXPECT_EQ(KstFolderStepForKey(0x20), 1);
    EXPECT_EQ(KstFolderStepForKey(0x08), -1);
    for (unsigned other : {0x0Du, 0x25u, 0x27u, 0x41u, 0x2020u}) {
        EXPECT_EQ(KstFolderStepForKey(other), 0) << other;
    }
}

TEST(ViewRules, PositionReportTexts)
{
    const struct {
        int32_t left, top, right, bottom;
        const char* label;
        const char* position;
        const char* size;
    } cases[] = {
        {10, 20, 110, 70, "Size", "Pos: 10,20", "Size: 100x50"},
        {-5, -7, 5, 3, "Gr\xF6\xDF" "e", "Pos: -5,-7", "Gr\xF6\xDF" "e: 10x10"},
        {30, 30, 10, 10, "Size", "Pos: 30,30", "Size: -20x-20"},
        {-2147483647 - 1, 0, 2147483647, 1, "Size", "Pos: -2147483648,0",
         "Size: 4294967295x1"},
    };
    for (const auto& c : cases) {
        const KstCursorReport report =
            KstCursorReportTexts(c.left, c.top, c.right, c.bottom, c.label);
        EXPECT_STREQ(report.position.c_str(), c.position);
        EXPECT_STREQ(report.size.c_str(), c.size);
    }
}

KstSignalRequest Request(int waveform)
{
    KstSignalRequest request;
    request.waveform = waveform;
    request.count = 100;
    request.interval = 0.01;
    request.amplitude = 2.0;
    request.frequency = 5.0;
    request.name = "Signal";
    request.unit = "V";
    return request;
}

TEST(ViewRules, EveryWaveformBecomesANamedChannel)
{
    const struct {
        int waveform;
        double first;  // value of sample 0 (the square wave starts low)
        double at25;   // value of sample 25: a quarter period of 5 Hz at 100 Hz
    } cases[] = {
        {KstSignalRequest::Sine, 0.0, 2.0},
        {KstSignalRequest::Square, -2.0, 2.0},
        {KstSignalRequest::Constant, 2.0, 2.0},
        {KstSignalRequest::Ramp, 0.0, 25 * 2.0 / 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.waveform);
        CKSTDataSet set;
        ASSERT_TRUE(KstAppendSignal(Request(c.waveform), set));
        ASSERT_EQ(set.GetChannels().GetCount(), 1);
        const CKSTChannel& channel = *set.GetChannels().GetAt(0);
        EXPECT_STREQ(channel.GetName().c_str(), "Signal");
        EXPECT_STREQ(channel.GetUnit().c_str(), "V");
        EXPECT_EQ(channel.GetCount(), 100u);
        EXPECT_NEAR(channel.GetSampleInterval(), 0.01, 1e-12);
        EXPECT_NEAR(channel.GetValue(0), c.first, 1e-9);
        EXPECT_NEAR(channel.GetValue(25), c.at25, 1e-9);
    }
    for (int waveform : {KstSignalRequest::Triangle, KstSignalRequest::Sawtooth}) {
        CKSTDataSet set;
        ASSERT_TRUE(KstAppendSignal(Request(waveform), set));
        const CKSTChannel& channel = *set.GetChannels().GetAt(0);
        EXPECT_LE(channel.GetMaxValue(), 2.0 + 1e-9);
        EXPECT_GE(channel.GetMinValue(), -2.0 - 1e-9);
        EXPECT_GT(channel.GetMaxValue() - channel.GetMinValue(), 3.0);
    }
}

TEST(ViewRules, OffsetIsAddedAndTheNewChannelStartsWithTheSet)
{
    CKSTDataSet set;
    KstSignalRequest first = Request(KstSignalRequest::Constant);
    ASSERT_TRUE(KstAppendSignal(first, set));
    CKSTTimeStamp start;
    start.SetDateTime(2024, 3, 4, 5, 6, 7.0);
    set.GetChannels().GetAt(0)->SetStartTimeStamp(start);

    KstSignalRequest second = Request(KstSignalRequest::Constant);
    second.offset = 0.5;
    second.name = "Second";
    ASSERT_TRUE(KstAppendSignal(second, set));
    ASSERT_EQ(set.GetChannels().GetCount(), 2);
    const CKSTChannel& added = *set.GetChannels().GetAt(1);
    EXPECT_NEAR(added.GetValue(0), 2.5, 1e-12);
    EXPECT_NEAR(added.GetValue(99), 2.5, 1e-12);
    EXPECT_TRUE(added.GetStartTimeStamp() == start);
}

TEST(ViewRules, RequestsThatCannotGiveAChannelAddNothing)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        void (*spoil)(KstSignalRequest&);
    } cases[] = {
        {"no samples", [](KstSignalRequest& r) { r.count = 0; }},
        {"negative count", [](KstSignalRequest& r) { r.count = -5; }},
        {"too many samples", [](KstSignalRequest& r) { r.count = kKstMaxSignalSamples + 1; }},
        {"zero interval", [](KstSignalRequest& r) { r.interval = 0.0; }},
        {"negative interval", [](KstSignalRequest& r) { r.interval = -0.1; }},
        {"unknown waveform", [](KstSignalRequest& r) { r.waveform = 6; }},
        {"negative waveform", [](KstSignalRequest& r) { r.waveform = -1; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        KstSignalRequest request = Request(KstSignalRequest::Sine);
        c.spoil(request);
        CKSTDataSet set;
        EXPECT_FALSE(KstAppendSignal(request, set));
        EXPECT_EQ(set.GetChannels().GetCount(), 0);
    }
    for (double bad : {nan, inf, -inf}) {
        for (double KstSignalRequest::*field :
             {&KstSignalRequest::interval, &KstSignalRequest::amplitude,
              &KstSignalRequest::frequency, &KstSignalRequest::phase, &KstSignalRequest::offset}) {
            KstSignalRequest request = Request(KstSignalRequest::Sine);
            request.*field = bad;
            CKSTDataSet set;
            EXPECT_FALSE(KstAppendSignal(request, set));
            EXPECT_EQ(set.GetChannels().GetCount(), 0);
        }
    }
}

}  // namespace
