#include "formats/FormatFactory.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>

#include "data/MeasurementFile.h"
#include "formats/DasylabFile.h"
#include "formats/FamosFile.h"
#include "formats/MatFile.h"
#include "formats/SplitDecodeSupport.h"
#include "formats/TextDataFile.h"
#include "formats/UdbfFile.h"
#include "formats/WavFile.h"
#include "support/ChannelBuilders.h"
#include "support/TempFolder.h"

namespace {

TEST(FormatFactoryTest, OnlyForeignTypesGetAnObject)
{
    const int32_t notForeign[] = {KST_FILE_NONE,    KST_FILE_NATIVE,  KST_FILE_NATIVE_ZRW,
                                  KST_FILE_RAW_F64, KST_FILE_RAW_F32, KST_FILE_RECORD,
                                  KST_FILE_BMP,     KST_FILE_GIF,     KST_FILE_JPEG,
                                  -1,               16};
    for (int32_t type : notForeign) {
        SCOPED_TRACE(type);
        EXPECT_EQ(KstCreateFormatFile(type), nullptr);
    }
}

// --- Every foreign type through the measurement-file object ---

template <class Format>
std::unique_ptr<IKSTMeasurementFile> Make()
{
    return std::make_unique<Format>();
}

std::unique_ptr<IKSTMeasurementFile> MakeLittleEndianUdbf()
{
    return std::make_unique<CKSTUdbfFile>(false);
}

struct ForeignCase {
    int32_t type;
    // The format object the type stands for, made directly.
    std::unique_ptr<IKSTMeasurementFile> (*make)();
    const char* file;
    // The type the measurement file carries once it opened the file; an image tells its own.
    int32_t openedType;
    // The reader applies a selection itself, by name: channels the list does not name go.
    bool readerSelects;
};

const ForeignCase kForeignCases[] = {
    {KST_FILE_TEXT, Make<CKSTTextDataFile>, "table.csv", KST_FILE_TEXT, false},
    {KST_FILE_FAMOS, Make<CKSTFamosFile>, "famos.dat", KST_FILE_FAMOS, false},
    {KST_FILE_DASYLAB, Make<CKSTDasylabFile>, "pair.ddf", KST_FILE_DASYLAB, false},
    {KST_FILE_MATLAB, Make<CKSTMatFile>, "m.mat", KST_FILE_MATLAB, false},
    {KST_FILE_UDBF_BIG, Make<CKSTUdbfFile>, "buffer.dat", KST_FILE_UDBF_BIG, true},
    {KST_FILE_UDBF_LITTLE, MakeLittleEndianUdbf, "little.raw", KST_FILE_UDBF_BIG, true},
    {KST_FILE_WAV, Make<CKSTWavFile>, "sound.wav", KST_FILE_WAV, false},
};

// Channels every foreign writer stores, of one length and time base, whole values at a rate a
// sound file can hold, written in memory.
CKSTMemBuffer WrittenImage(IKSTMeasurementFile& writer)
{
    CKSTChannelList channels;
    for (const char* name : {"Force", "Speed"}) {
        CKSTChannel channel =
            kst_test::Equidistant(0.0, 1.0 / 8000, {-3.0, 0.0, 5.0, 1000.0, -2000.0, 7.0});
        channel.SetName(name);
        channel.SetStartTimeStamp(CKSTTimeStamp(2021, 3, 4, 5, 6, 7.0));
        channels.AddCopy(channel);
    }
    CKSTMemBuffer image;
    EXPECT_EQ(writer.OpenMemoryWrite(), KST_OK);
    EXPECT_EQ(writer.WriteChannels(channels, false), KST_OK);
    EXPECT_EQ(writer.GetMemory(image), KST_OK);
    EXPECT_EQ(writer.Close(), KST_OK);
    return image;
}

// What the measurement-file object read is what the format object reads itself.
void ExpectSameRead(const CKSTDataSet& expected, const CKSTDataSet& actual)
{
    EXPECT_EQ(actual.GetName(), expected.GetName());
    kst_test::ExpectSameChannels(expected.GetChannels(), actual.GetChannels());
}

TEST(FormatFactoryTest, EveryForeignTypeReadsAsItsFormatFromFilesAndImages)
{
    KstInstallFormats();
    for (const ForeignCase& c : kForeignCases) {
        SCOPED_TRACE(c.file);
        const std::unique_ptr<IKSTMeasurementFile> made = KstCreateFormatFile(c.type);
        ASSERT_NE(made, nullptr);
        const std::unique_ptr<IKSTMeasurementFile> format = c.make();
        const IKSTMeasurementFile& madeObject = *made;
        const IKSTMeasurementFile& formatObject = *format;
        EXPECT_EQ(typeid(madeObject), typeid(formatObject));
        EXPECT_EQ(made->GetType(), c.type);
        const CKSTMemBuffer image = WrittenImage(*format);

        CKSTDataSet expected;
        ASSERT_EQ(format->SetMemory(image), KST_OK);
        ASSERT_EQ(format->Read(expected, nullptr, false), KST_OK);
        ASSERT_EQ(expected.GetChannels().GetCount(), 2);
        CKSTMeasurementFile memory;
        ASSERT_EQ(memory.OpenMemory(c.type), KST_OK);
        ASSERT_EQ(memory.LoadFromMemory(image), KST_OK);
        EXPECT_EQ(memory.GetType(), c.type);
        CKSTDataSet fromImage;
        ASSERT_EQ(memory.ReadChannels(fromImage), KST_OK);
        ExpectSameRead(expected, fromImage);

        TempFolder folder;
        folder.WriteFile(c.file, std::string(reinterpret_cast<const char*>(image.GetData()),
                                             image.GetSize()));
        ASSERT_EQ(format->OpenRead(folder.Path(c.file)), KST_OK);
        ASSERT_EQ(format->Read(expected, nullptr, false), KST_OK);
        CKSTMeasurementFile file;
        ASSERT_EQ(file.Open(folder.Path(c.file)), KST_OK);
        EXPECT_EQ(file.GetType(), c.openedType);
        CKSTDataSet fromFile;
        ASSERT_EQ(file.ReadChannels(fromFile), KST_OK);
        ExpectSameRead(expected, fromFile);

        // A selection made from the channel list leaves out the same channel for every type,
        // whether the reader or the measurement-file object applies it. Readers read once per
        // open, as the program does.
        CKSTChannelList selection;
        ASSERT_EQ(file.Open(folder.Path(c.file)), KST_OK);
        ASSERT_EQ(file.ReadChannelList(selection), KST_OK);
        ASSERT_EQ(selection.GetCount(), expected.GetChannels().GetCount());
        for (int i = 0; i < selection.GetCount(); ++i) {
            selection.GetAt(i)->SetSelected(i != 0);
        }
        CKSTDataSet selected;
        ASSERT_EQ(file.Open(folder.Path(c.file)), KST_OK);
        ASSERT_EQ(file.ReadChannels(selected, &selection), KST_OK);
        expected.GetChannels().RemoveAt(0);
        ExpectSameRead(expected, selected);

        // A list naming the first channel alone: positions beyond it keep their channels
        // unless the reader selects by name.
        CKSTChannelList firstOnly;
        firstOnly.AddCopy(*selection.GetAt(0));
        firstOnly.GetAt(0)->SetSelected(true);
        ASSERT_EQ(file.Open(folder.Path(c.file)), KST_OK);
        ASSERT_EQ(file.ReadChannels(selected, &firstOnly), KST_OK);
        EXPECT_EQ(selected.GetChannels().GetCount(), c.readerSelects ? 1 : 2);
    }
}

}  // namespace
