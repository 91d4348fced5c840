#include "formats/WavFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "data/MeasurementFile.h"
#include "formats/FormatFactory.h"
#include "formats/FormatTestSupport.h"
#include "formats/SplitDecodeSupport.h"
#include "foundation/ErrorCodes.h"

using kst_test::Bytes;

namespace {

// A RIFF/WAVE image: the fmt chunk fields, then the chunks given.
Bytes FmtChunk(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint32_t size = 16)
{
    Bytes b;
    b.Text("fmt ").U32(size).U16(tag).U16(channels).U32(rate);
    b.U32(rate * channels * bits / 8).U16(static_cast<uint16_t>(channels * bits / 8)).U16(bits);
    b.Zeros(size > 16 ? size - 16 : 0);
    return b;
}

Bytes Riff(std::initializer_list<Bytes> chunks)
{
    Bytes b;
    b.Text("RIFF").U32(0).Text("WAVE");
    for (const Bytes& c : chunks) {
        b.Raw(c.Data().data(), c.Size());
    }
    b.PatchU32(4, static_cast<uint32_t>(b.Size() - 8));
    return b;
}

Bytes DataChunk(std::initializer_list<int16_t> samples, uint32_t sizeField = 0)
{
    Bytes b;
    b.Text("data").U32(sizeField != 0 ? sizeField : static_cast<uint32_t>(samples.size() * 2));
    for (int16_t s : samples) {
        b.I16(s);
    }
    return b;
}

int ReadImage(const Bytes& image, CKSTDataSet& dataSet)
{
    CKSTWavFile file;
    const int open = file.SetMemory(image.Buffer());
    if (open != KST_OK) {
        return open;
    }
    return file.Read(dataSet, nullptr, false);
}

std::vector<double> Values(const CKSTChannel& channel)
{
    return std::vector<double>(channel.GetValues(), channel.GetValues() + channel.GetCount());
}

TEST(WavFileTest, ReadsHandBuiltImages)
{
    Bytes mono8;
    mono8.Text("data").U32(4).U8(128).U8(128).U8(128).U8(128);
    Bytes odd;
    odd.Text("note").U32(3).Text("abc").U8(0);  // odd size, pad byte follows
    struct Case {
        const char* what;
        Bytes image;
        std::vector<const char*> names;
        std::vector<std::vector<double>> values;
    } cases[] = {
        {"8-bit silence", Riff({FmtChunk(1, 1, 8000, 8), mono8}), {"Mono"}, {{0, 0, 0, 0}}},
        {"odd chunk before data", Riff({FmtChunk(1, 1, 8000, 16), odd, DataChunk({5, -6})}),
         {"Mono"}, {{5, -6}}},
        {"longer fmt chunk", Riff({FmtChunk(1, 1, 8000, 16, 18), DataChunk({7})}), {"Mono"},
         {{7}}},
        {"partial last frame", Riff({FmtChunk(1, 2, 8000, 16), DataChunk({1, 2, 3, 4, 5})}),
         {"Left", "Right"}, {{1, 3, 5}, {2, 4}}},
        {"size beyond the file", Riff({FmtChunk(1, 1, 8000, 16), DataChunk({9, 8}, 0x7FFFFFF0)}),
         {"Mono"}, {{9, 8}}},
        {"three channels", Riff({FmtChunk(1, 3, 8000, 16), DataChunk({1, 2, 3, 4, 5, 6})}),
         {"", "", ""}, {{1, 4}, {2, 5}, {3, 6}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CKSTDataSet dataSet;
        ASSERT_EQ(ReadImage(c.image, dataSet), KST_OK);
        const CKSTChannelList& channels = dataSet.GetChannels();
        ASSERT_EQ(channels.GetCount(), static_cast<int>(c.names.size()));
        for (int i = 0; i < channels.GetCount(); ++i) {
            const CKSTChannel& channel = *channels.GetAt(i);
            EXPECT_EQ(channel.GetName(), c.names[i]);
            EXPECT_EQ(Values(channel), c.values[i]);
            EXPECT_DOUBLE_EQ(channel.GetDt(), 1.0 / 8000);
            EXPECT_EQ(channel.GetTimeBaseType(), CKSTChannel::kEquidistant);
            // Room only for what the file holds, however large its size field.
            EXPECT_LE(channel.GetCapacity(), 1000u);
        }
    }
}

// More samples than one read block, with a channel count that does not divide it: every
// channel keeps its own samples across the block boundaries, a partial last frame included.
double SampleAt(uint16_t bits, uint32_t k)
{
    return bits == 8 ? static_cast<double>(k * 7u % 256u) - 128.0
                     : static_cast<double>(static_cast<int16_t>(k * 7919u));
}

// Sample k of the data is SampleAt(bits, k).
Bytes Interleaved(uint16_t bits, uint16_t channels, uint32_t samples)
{
    Bytes data;
    data.Text("data").U32(samples * bits / 8);
    for (uint32_t k = 0; k < samples; ++k) {
        if (bits == 8) {
            data.U8(static_cast<uint8_t>(k * 7u % 256u));
        } else {
            data.I16(static_cast<int16_t>(k * 7919u));
        }
    }
    return Riff({FmtChunk(1, channels, 8000, bits), data});
}

TEST(WavFileTest, ManyChannelsAcrossReadBlocks)
{
    for (uint16_t bits : {uint16_t{8}, uint16_t{16}}) {
        SCOPED_TRACE(bits);
        const uint16_t channels = 3;
        const uint32_t samples = 100001;
        auto sampleAt = [bits](uint32_t k) { return SampleAt(bits, k); };
        CKSTDataSet dataSet;
        ASSERT_EQ(ReadImage(Interleaved(bits, channels, samples), dataSet), KST_OK);
        ASSERT_EQ(dataSet.GetChannels().GetCount(), channels);
        for (uint16_t c = 0; c < channels; ++c) {
            const CKSTChannel& channel = *dataSet.GetChannels().GetAt(c);
            ASSERT_EQ(channel.GetCount(), samples / channels + (c < samples % channels ? 1 : 0));
            for (uint32_t i = 0; i < channel.GetCount(); ++i) {
                ASSERT_EQ(channel.GetValues()[i], sampleAt(i * channels + c)) << c << " " << i;
            }
        }
    }
}

// 8- and 16-bit samples of one, two and three channels across read blocks, partial last frames
// and a size field beyond the file: the same channels whether the decoding runs on one thread or
// is split over several, with ranges that begin inside a frame.
TEST(WavFileTest, SplitDecodingGivesTheSameChannels)
{
    struct Case {
        const char* what;
        Bytes image;
    } cases[] = {
        {"8-bit mono", Interleaved(8, 1, 70001)},
        {"8-bit stereo", Interleaved(8, 2, 70001)},
        {"16-bit mono", Interleaved(16, 1, 40001)},
        {"16-bit stereo", Interleaved(16, 2, 100001)},
        {"16-bit, three channels", Interleaved(16, 3, 100001)},
        {"size beyond the file",
         Riff({FmtChunk(1, 2, 8000, 16), DataChunk({9, 8, 7}, 0x7FFFFFF0)})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kst_test::ExpectSameSplitOrNot<CKSTWavFile>(c.image.Data(), "split.wav");
    }
}

TEST(WavFileTest, RefusesBrokenHeaders)
{
    Bytes notRiff;
    notRiff.Text("RIFX").U32(4).Text("WAVE");
    Bytes notWave;
    notWave.Text("RIFF").U32(4).Text("AVI ");
    Bytes shortFmt;
    shortFmt.Text("fmt ").U32(14).U16(1).U16(1).U32(8000).U32(16000).U16(2);
    struct Case {
        const char* what;
        Bytes image;
        int expected;
    } cases[] = {
        {"not RIFF", notRiff, KST_ERR_NOT_WAV},
        {"not WAVE", notWave, KST_ERR_NOT_WAV},
        {"data before fmt", Riff({DataChunk({1}), FmtChunk(1, 1, 8000, 16)}), KST_ERR_WAV_NOT_PCM},
        {"fmt shorter than 16", Riff({shortFmt, DataChunk({1})}), KST_ERR_WAV_NOT_PCM},
        {"no channels", Riff({FmtChunk(1, 0, 8000, 16), DataChunk({1})}), KST_ERR_WAV_NOT_PCM},
        {"float samples", Riff({FmtChunk(3, 1, 8000, 32), DataChunk({1, 2})}),
         KST_ERR_WAV_NOT_PCM},
        {"24-bit samples", Riff({FmtChunk(1, 1, 8000, 24), DataChunk({1, 2, 3})}),
         KST_ERR_WAV_NOT_PCM},
        {"rate zero", Riff({FmtChunk(1, 1, 0, 16), DataChunk({1})}), KST_ERR_WAV_NOT_PCM},
        // Found by fuzzing: 65528 channels for a few samples made as many empty channels.
        {"more channels than samples", Riff({FmtChunk(1, 65528, 8000, 16), DataChunk({1, 2, 3})}),
         KST_ERR_WAV_NOT_PCM},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CKSTDataSet dataSet;
        EXPECT_EQ(ReadImage(c.image, dataSet), c.expected);
    }
}

CKSTChannel& AddChannel(CKSTChannelList& list, std::vector<double> values, double dt)
{
    CKSTChannel& channel = *list.GetAt(list.AddNew());
    channel.SetDt(dt);
    for (double v : values) {
        channel.AppendValue(v, false);
    }
    return channel;
}

// Writes into memory and reads the image back.
int RoundTrip(const CKSTChannelList& channels, CKSTDataSet& back, std::vector<uint8_t>* image)
{
    CKSTWavFile writer;
    EXPECT_EQ(writer.OpenMemoryWrite(), KST_OK);
    const int result = writer.WriteChannels(channels, false);
    if (result != KST_OK) {
        return result;
    }
    CKSTMemBuffer buffer;
    EXPECT_EQ(writer.GetMemory(buffer), KST_OK);
    if (image != nullptr) {
        image->assign(buffer.GetData(), buffer.GetData() + buffer.GetSize());
    }
    CKSTWavFile reader;
    const int open = reader.SetMemory(buffer);
    return open != KST_OK ? open : reader.Read(back, nullptr, false);
}

TEST(WavFileTest, SampleRateIsRoundedFromTheInterval)
{
    struct Case {
        double dt;
        uint32_t rate;
    } cases[] = {{1.0 / 50000, 50000}, {1.0 / 44100, 44100}, {1.0 / 8000, 8000},
                 {1.0 / 3, 3},         {0.0004, 2500},      {0.0, 0},
                 {-0.001, 0},          {std::nan(""), 0},   {1e-12, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dt);
        EXPECT_EQ(CKSTWavFile::GetSampleRate(c.dt), c.rate);
        CKSTChannelList list;
        AddChannel(list, {1, 2}, c.dt);
        CKSTDataSet back;
        std::vector<uint8_t> image;
        const int result = RoundTrip(list, back, &image);
        if (c.rate == 0) {
            EXPECT_EQ(result, KST_ERR_SOUND_UNSUITABLE);
            continue;
        }
        ASSERT_EQ(result, KST_OK);
        ASSERT_GE(image.size(), 44u);
        uint32_t rate;
        std::memcpy(&rate, image.data() + 24, 4);
        EXPECT_EQ(rate, c.rate);
        EXPECT_DOUBLE_EQ(back.GetChannels().GetAt(0)->GetDt(), 1.0 / c.rate);
    }
}

TEST(WavFileTest, WritesTheFirstTwoChannelsSaturated)
{
    CKSTChannelList list;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    AddChannel(list, {40000, -40000, 32768, nan, 1.9, -1.9}, 0.001);
    AddChannel(list, {100, 200}, 0.001);  // shorter: its last value repeats
    AddChannel(list, {7, 7, 7}, 0.001);
    CKSTDataSet back;
    std::vector<uint8_t> image;
    ASSERT_EQ(RoundTrip(list, back, &image), KST_OK);
    EXPECT_EQ(image.size(), 44u + 6 * 4);
    const CKSTChannelList& channels = back.GetChannels();
    ASSERT_EQ(channels.GetCount(), 2);
    EXPECT_EQ(Values(*channels.GetAt(0)),
              (std::vector<double>{32767, -32768, 32767, 0, 1, -1}));
    EXPECT_EQ(Values(*channels.GetAt(1)), (std::vector<double>{100, 200, 200, 200, 200, 200}));
}

TEST(WavFileTest, EmptyListWritesNothingAndClosedFileRefuses)
{
    CKSTChannelList empty;
    CKSTWavFile writer;
    EXPECT_EQ(writer.WriteChannels(empty, false), KST_ERR_FILE_NOT_OPEN);
    ASSERT_EQ(writer.OpenMemoryWrite(), KST_OK);
    EXPECT_EQ(writer.WriteChannels(empty, false), KST_OK);
    CKSTMemBuffer buffer;
    EXPECT_EQ(writer.GetMemory(buffer), KST_OK);
    EXPECT_EQ(buffer.GetSize(), 0u);
}

TEST(WavFileTest, ExportCheck)
{
    struct Case {
        const char* what;
        std::vector<std::vector<double>> values;
        std::vector<double> dts;
        int expected;
    } cases[] = {
        {"none", {}, {}, KST_ERR_SOUND_UNSUITABLE},
        {"three", {{-9000, 9000}, {-9000, 9000}, {-9000, 9000}}, {1e-3, 1e-3, 1e-3},
         KST_ERR_SOUND_UNSUITABLE},
        {"unequal intervals", {{-9000, 9000}, {-9000, 9000}}, {1e-3, 2e-3},
         KST_ERR_SOUND_UNSUITABLE},
        {"50 Hz", {{-9000, 9000}}, {0.02}, KST_ERR_SOUND_UNSUITABLE},
        {"amplitude 1", {{-1, 1}}, {1e-3}, KST_ERR_SOUND_RANGE},
        {"minimum above -7000", {{0, 10000}}, {1e-3}, KST_ERR_SOUND_RANGE},
        {"maximum 32768", {{-32767, 32768}}, {1e-3}, 1},
        {"maximum above 32768", {{-9000, 32769}}, {1e-3}, KST_ERR_SOUND_RANGE},
        {"stereo in range", {{-9000, 9000}, {-7000, 7000}}, {1e-4, 1e-4}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CKSTChannelList list;
        for (size_t i = 0; i < c.values.size(); ++i) {
            AddChannel(list, c.values[i], c.dts[i]);
        }
        EXPECT_EQ(CKSTWavFile::CheckExport(list), c.expected);
        EXPECT_EQ(CKSTWavFile::CanExport(list), c.expected == 1);
    }
    CKSTChannelList timeVector;
    CKSTChannel& channel = *timeVector.GetAt(timeVector.AddNew());
    channel.AppendTimeValue(0.0, -9000);
    channel.AppendTimeValue(0.001, 9000);
    channel.AppendTimeValue(0.0015, 0);
    EXPECT_EQ(CKSTWavFile::CheckExport(timeVector), KST_ERR_SOUND_UNSUITABLE);
}

TEST(WavFileTest, PcmConversion)
{
    struct Case {
        const char* what;
        std::vector<double> values;
        double dt;
        std::vector<double> expected;
        double expectedDt;
    } cases[] = {
        // The factor from the maximum, 30000 / 10000, around the mean 5000.
        {"0 to 10000", {0, 10000}, 1e-3, {-15000, 15000}, 1e-3},
        {"already in range", {-9000, 9000, 0}, 1e-3, {-9000, 9000, 0}, 1e-3},
        {"amplitude 1", {-1, 1, 0}, 1e-3, {-30000, 30000, 0}, 1e-3},
        {"50 Hz runs at 100 Hz", {-9000, 9000}, 0.02, {-9000, 9000}, 0.01},
        // The factor from the minimum (300) would carry the value 300 - mean past 16 bits.
        {"offset mean", {-100, 100, 100, 100}, 1e-3, {-30000, 10000, 10000, 10000}, 1e-3},
        {"flat", {5, 5, 5}, 1e-3, {0, 0, 0}, 1e-3},
        {"flat zero", {0, 0}, 1e-3, {0, 0}, 1e-3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CKSTChannelList source;
        AddChannel(source, c.values, c.dt);
        CKSTChannelList out;
        CKSTWavFile::ToPcm(source, out);
        ASSERT_EQ(out.GetCount(), 1);
        const CKSTChannel& channel = *out.GetAt(0);
        ASSERT_EQ(channel.GetCount(), c.expected.size());
        for (size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_NEAR(channel.GetValue(i), c.expected[i], 1e-6) << i;
            EXPECT_LE(std::fabs(channel.GetValue(i)), 32767.0);
        }
        EXPECT_DOUBLE_EQ(channel.GetDt(), c.expectedDt);
        // The caller's channel is left as it was.
        EXPECT_EQ(Values(*source.GetAt(0)), c.values);
        EXPECT_DOUBLE_EQ(source.GetAt(0)->GetDt(), c.dt);
    }
}

TEST(WavFileTest, PcmConversionResamplesTheCoarserChannel)
{
    CKSTChannelList source;
    AddChannel(source, {0, 1000, 2000, 3000, 4000}, 0.002);
    AddChannel(source, {0, 500, 1000, 1500, 2000, 2500, 3000, 3500, 4000}, 0.001);
    CKSTChannelList out;
    CKSTWavFile::ToPcm(source, out);
    ASSERT_EQ(out.GetCount(), 2);
    const CKSTChannel& a = *out.GetAt(0);
    const CKSTChannel& b = *out.GetAt(1);
    EXPECT_DOUBLE_EQ(a.GetDt(), 0.001);
    // Resampled, both channels cover the same 8 ms and keep the same ramp.
    ASSERT_EQ(a.GetCount(), b.GetCount());
    for (uint32_t i = 0; i < a.GetCount(); ++i) {
        EXPECT_NEAR(a.GetValue(i), b.GetValue(i), 1e-6) << i;
    }
    EXPECT_EQ(CKSTWavFile::CheckExport(out), 1);
    EXPECT_EQ(source.GetAt(0)->GetCount(), 5u);
}

TEST(WavFileTest, FactoryMakesTheWavObjectForTheFacade)
{
    KstInstallFormats();
    CKSTChannelList list;
    AddChannel(list, {-9000, 9000, 3}, 1.0 / 8000);
    CKSTMeasurementFile file;
    ASSERT_EQ(file.OpenMemory(KST_FILE_WAV), KST_OK);
    ASSERT_EQ(file.Write(list), KST_OK);
    CKSTMemBuffer image;
    ASSERT_EQ(file.SaveToMemory(image), KST_OK);
    ASSERT_EQ(file.Close(), KST_OK);
    ASSERT_EQ(file.OpenMemory(KST_FILE_WAV), KST_OK);
    ASSERT_EQ(file.LoadFromMemory(image), KST_OK);
    CKSTDataSet back;
    ASSERT_EQ(file.ReadChannels(back), KST_OK);
    ASSERT_EQ(back.GetChannels().GetCount(), 1);
    EXPECT_EQ(Values(*back.GetChannels().GetAt(0)), (std::vector<double>{-9000, 9000, 3}));
}

}  // namespace
