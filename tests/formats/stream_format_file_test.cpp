#include "formats/StreamFormatFile.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "data/ChannelList.h"
#include "data/DataSet.h"
#include "formats/DasylabFile.h"
#include "formats/FamosFile.h"
#include "formats/MatFile.h"
#include "formats/TextDataFile.h"
#include "formats/WavFile.h"
#include "foundation/ErrorCodes.h"
#include "support/ChannelBuilders.h"
#include "support/TempFolder.h"

namespace {

using namespace std::string_literals;

CKSTMemBuffer Buffer(const std::string& bytes)
{
    CKSTMemBuffer buffer;
    buffer.Write(bytes.data(), 1, static_cast<uint32_t>(bytes.size()));
    return buffer;
}

template <class Format>
std::unique_ptr<CKSTStreamFormatFile> Make()
{
    return std::make_unique<Format>();
}

// One format through the shared opening, image and closing: what it refuses and with which
// error, and that a refused file or image leaves nothing open and the object fit for the next.
struct Case {
    const char* name;
    std::unique_ptr<CKSTStreamFormatFile> (*make)();
    const char* file;
    std::string refused;  // bytes whose head the format refuses (text takes any)
    int refusedResult;
    int emptyImageResult;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

class StreamFormatFileTest : public ::testing::TestWithParam<Case> {
protected:
    // The format's own image of two short channels.
    static CKSTMemBuffer WrittenImage(CKSTStreamFormatFile& writer)
    {
        CKSTChannelList channels;
        for (const char* name : {"a", "b"}) {
            CKSTChannel channel = kst_test::Equidistant(0.0, 0.125, {-3.0, 0.0, 5.0, 1000.0});
            channel.SetName(name);
            channels.AddCopy(channel);
        }
        CKSTMemBuffer image;
        EXPECT_EQ(writer.OpenMemoryWrite(), KST_OK);
        EXPECT_TRUE(writer.IsOpen());
        EXPECT_EQ(writer.WriteChannels(channels, false), KST_OK);
        EXPECT_EQ(writer.GetMemory(image), KST_OK);
        EXPECT_EQ(writer.Close(), KST_OK);
        EXPECT_FALSE(writer.IsOpen());
        return image;
    }

    TempFolder m_folder;
};

TEST_P(StreamFormatFileTest, RefusedFilesAndImagesLeaveNothingOpen)
{
    const Case& c = GetParam();
    const std::unique_ptr<CKSTStreamFormatFile> file = c.make();
    const CKSTMemBuffer good = WrittenImage(*c.make());

    EXPECT_EQ(file->OpenRead(m_folder.Path(std::string("none_") + c.file)), KST_ERR_OPEN_FAILED);
    EXPECT_FALSE(file->IsOpen());
    EXPECT_EQ(file->OpenWrite(m_folder.Path(std::string("none/") + c.file)), KST_ERR_OPEN_FAILED);
    EXPECT_FALSE(file->IsOpen());

    m_folder.WriteFile(c.file, c.refused);
    EXPECT_EQ(file->OpenRead(m_folder.Path(c.file)), c.refusedResult);
    EXPECT_EQ(file->IsOpen(), c.refusedResult == KST_OK);
    EXPECT_EQ(file->SetMemory(Buffer(c.refused)), c.refusedResult);
    EXPECT_EQ(file->IsOpen(), c.refusedResult == KST_OK);
    EXPECT_EQ(file->SetMemory(CKSTMemBuffer()), c.emptyImageResult);
    EXPECT_EQ(file->IsOpen(), c.emptyImageResult == KST_OK);

    ASSERT_EQ(file->SetMemory(good), KST_OK);
    EXPECT_TRUE(file->IsOpen());
    CKSTDataSet fromImage;
    EXPECT_EQ(file->Read(fromImage, nullptr, false), KST_OK);
    EXPECT_EQ(fromImage.GetChannels().GetCount(), 2);

    m_folder.WriteFile(c.file, std::string(reinterpret_cast<const char*>(good.GetData()),
                                           good.GetSize()));
    ASSERT_EQ(file->OpenRead(m_folder.Path(c.file)), KST_OK);
    CKSTDataSet fromFile;
    EXPECT_EQ(file->Read(fromFile, nullptr, false), KST_OK);
    EXPECT_EQ(fromFile.GetChannels().GetCount(), 2);
    EXPECT_EQ(file->Close(), KST_OK);
    EXPECT_FALSE(file->IsOpen());
}

INSTANTIATE_TEST_SUITE_P(
    EveryStreamFormat, StreamFormatFileTest,
    ::testing::Values(
        Case{"Wav", Make<CKSTWavFile>, "s.wav", "RIFF\x04\0\0\0WAVX"s, KST_ERR_NOT_WAV,
             KST_ERR_BAD_HEADER},
        Case{"Mat", Make<CKSTMatFile>, "m.mat", "matlab 5.0", KST_ERR_NOT_MAT,
             KST_ERR_BAD_HEADER},
        // A MAT header cut short is no supported file either.
        Case{"MatShort", Make<CKSTMatFile>, "short.mat", "MATLAB 5.0", KST_ERR_MAT_UNSUPPORTED,
             KST_ERR_BAD_HEADER},
        Case{"Dasylab", Make<CKSTDasylabFile>, "d.ddf", "DTDF\rheader without its end",
             KST_ERR_NOT_DASYLAB, KST_ERR_BAD_HEADER},
        // An empty image is no FAMOS file rather than a bad one.
        Case{"Famos", Make<CKSTFamosFile>, "f.dat", "|CF,3,1,1;", KST_ERR_NOT_FAMOS,
             KST_ERR_NOT_FAMOS},
        Case{"Text", Make<CKSTTextDataFile>, "t.csv", "no table at all", KST_OK, KST_OK}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
