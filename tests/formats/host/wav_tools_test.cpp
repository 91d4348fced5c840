// WAV files of other writers (sox, Python's wave module) read here, and files written here
// checked by soxi, sndfile-info and Python's wave module.
#include <gtest/gtest.h>

#include <cstdio>

#include "formats/FormatTestSupport.h"
#include "formats/host/ToolSupport.h"
#include "data/DataSet.h"
#include "formats/WavFile.h"
#include "foundation/ErrorCodes.h"

namespace {

using kst_test::FixtureDir;
using kst_test::FixtureS16;
using kst_test::FixtureU8;
using kst_test::HaveTool;
using kst_test::RunCommand;

TEST(WavToolsTest, ReadsFilesOfOtherWriters)
{
    ASSERT_TRUE(HaveTool("sox")) << "sox missing: run tools/install-deps.sh";
    ASSERT_FALSE(FixtureDir().empty());
    struct Case {
        const char* file;
        int channels;
        int frames;
        double rate;
        bool eightBit;
        std::vector<const char*> names;
    } cases[] = {
        {"sox_u8_mono_8000.wav", 1, 100, 8000, true, {"Mono"}},
        {"sox_s16_stereo_44100.wav", 2, 200, 44100, false, {"Left", "Right"}},
        {"sox_s16_mono_50000.wav", 1, 50, 50000, false, {"Mono"}},
        {"py_u8_stereo_11025.wav", 2, 77, 11025, true, {"Left", "Right"}},
        {"py_s16_3ch_22050.wav", 3, 130, 22050, false, {"", "", ""}},
        {"py_s16_mono_odd_chunk.wav", 1, 21, 8000, false, {"Mono"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        CKSTWavFile file;
        ASSERT_EQ(file.OpenRead((FixtureDir() + "/" + c.file).c_str()), KST_OK);
        CKSTDataSet dataSet;
        ASSERT_EQ(file.Read(dataSet, nullptr, false), KST_OK);
        const CKSTChannelList& channels = dataSet.GetChannels();
        ASSERT_EQ(channels.GetCount(), c.channels);
        for (int ch = 0; ch < c.channels; ++ch) {
            const CKSTChannel& channel = *channels.GetAt(ch);
            EXPECT_EQ(channel.GetName(), c.names[ch]);
            EXPECT_DOUBLE_EQ(channel.GetDt(), 1.0 / c.rate);
            ASSERT_EQ(channel.GetCount(), static_cast<uint32_t>(c.frames));
            for (int k = 0; k < c.frames; ++k) {
                const double expected = c.eightBit ? FixtureU8(k, ch) : FixtureS16(k, ch);
                ASSERT_EQ(channel.GetValue(k), expected) << "channel " << ch << " sample " << k;
            }
        }
        EXPECT_EQ(file.Close(), KST_OK);
    }
    // sox writes more than two channels in the extensible format, which is not plain PCM.
    CKSTWavFile extensible;
    ASSERT_EQ(extensible.OpenRead((FixtureDir() + "/sox_s16_3ch_extensible.wav").c_str()),
              KST_OK);
    CKSTDataSet dataSet;
    EXPECT_EQ(extensible.Read(dataSet, nullptr, false), KST_ERR_WAV_NOT_PCM);
}

TEST(WavToolsTest, WrittenFilesPassIndependentReaders)
{
    ASSERT_TRUE(HaveTool("soxi")) << "soxi missing: run tools/install-deps.sh";
    ASSERT_TRUE(HaveTool("sndfile-info")) << "sndfile-info missing: run tools/install-deps.sh";
    ASSERT_TRUE(HaveTool("/usr/bin/python3"));
    struct Case {
        int channels;
        double rate;
        int frames;
    } cases[] = {{1, 50000, 333}, {2, 44100, 1000}, {2, 8000, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        CKSTChannelList list;
        for (int ch = 0; ch < c.channels; ++ch) {
            CKSTChannel& channel = *list.GetAt(list.AddNew());
            channel.SetDt(1.0 / c.rate);
            for (int k = 0; k < c.frames; ++k) {
                channel.AppendValue(FixtureS16(k, ch), false);
            }
        }
        const std::string path = kst_test::TempPath("written.wav");
        CKSTWavFile file;
        ASSERT_EQ(file.OpenWrite(path.c_str()), KST_OK);
        ASSERT_EQ(file.WriteChannels(list, false), KST_OK);
        ASSERT_EQ(file.Close(), KST_OK);

        int status = 0;
        const std::string rate = RunCommand("soxi -r " + path, status);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(std::stod(rate), c.rate);
        EXPECT_EQ(std::stoi(RunCommand("soxi -c " + path, status)), c.channels);
        EXPECT_EQ(std::stoi(RunCommand("soxi -s " + path, status)), c.frames);

        const std::string info = RunCommand("sndfile-info " + path, status);
        EXPECT_EQ(status, 0);
        EXPECT_NE(info.find("Sample Rate : " + std::to_string(static_cast<int>(c.rate))),
                  std::string::npos)
            << info;
        EXPECT_EQ(info.find("Error"), std::string::npos) << info;
        EXPECT_EQ(info.find("Should"), std::string::npos) << info;

        // Python's wave module: rate, channels and the sum of every sample.
        const std::string script =
            "import wave,struct,sys\n"
            "w=wave.open(sys.argv[1])\n"
            "d=w.readframes(w.getnframes())\n"
            "s=struct.unpack('<%dh'%(len(d)//2),d)\n"
            "print(w.getframerate(),w.getnchannels(),w.getsampwidth(),w.getnframes(),sum(s))\n";
        const std::string scriptPath = kst_test::TempPath("check.py");
        kst_test::Bytes text;
        text.Text(script.c_str());
        ASSERT_TRUE(text.Save(scriptPath));
        const std::string out = RunCommand("/usr/bin/python3 " + scriptPath + " " + path, status);
        EXPECT_EQ(status, 0) << out;
        long long sum = 0;
        for (int k = 0; k < c.frames; ++k) {
            for (int ch = 0; ch < c.channels; ++ch) {
                sum += static_cast<long long>(FixtureS16(k, ch));
            }
        }
        EXPECT_EQ(out, std::to_string(static_cast<int>(c.rate)) + " " +
                           std::to_string(c.channels) + " 2 " + std::to_string(c.frames) + " " +
                           std::to_string(sum) + "\n");
        std::remove(path.c_str());
        std::remove(scriptPath.c_str());
    }
}

TEST(WavToolsTest, WriteToAFullDeviceFails)
{
    CKSTChannelList list;
    CKSTChannel& small = *list.GetAt(list.AddNew());
    small.SetDt(1e-3);
    small.AppendValues(1.0, false, 10);
    CKSTWavFile file;
    ASSERT_EQ(file.OpenWrite("/dev/full"), KST_OK);
    const int write = file.WriteChannels(list, false);
    const int close = file.Close();
    // A small file stays in the stream's buffer until it is closed.
    EXPECT_TRUE(write == KST_ERR_SHORT_TRANSFER || close == KST_ERR_SHORT_TRANSFER);

    small.AppendValues(1.0, false, 1000000);
    ASSERT_EQ(file.OpenWrite("/dev/full"), KST_OK);
    EXPECT_EQ(file.WriteChannels(list, false), KST_ERR_SHORT_TRANSFER);
    static_cast<void>(file.Close());  // the write has failed already
}

}  // namespace
