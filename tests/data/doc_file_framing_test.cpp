#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "data/DocFile.h"
#include "data/doc_file_test_util.h"
#include "foundation/ErrorCodes.h"
#include "support/TempFolder.h"

using namespace doc_test;

namespace {

TEST(DocFileFraming, CountEscapesAtTheirThresholds)
{
    struct Case {
        bool wide;  // Count16 when set, else Count8
        uint32_t value;
        Bytes bytes;
    };
    const Case cases[] = {
        {true, 0, {0x00, 0x00}},
        {true, 0xFFFE, {0xFE, 0xFF}},
        {true, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
        {true, 0x10000, {0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}},
        {true, 0xFFFFFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {false, 0, {0x00}},
        {false, 0xFE, {0xFE}},
        {false, 0xFF, {0xFF, 0xFF, 0x00}},
        {false, 0x1234, {0xFF, 0x34, 0x12}},
        {false, 0xFFFF, {0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.wide ? "Count16 " : "Count8 ") << c.value);
        CKSTDocRecord record;
        c.wide ? record.PutCount16(c.value) : record.PutCount8(c.value);
        EXPECT_EQ(Bytes(record.GetData(), record.GetData() + record.GetSize()), c.bytes);

        CKSTDocReader reader(c.bytes.data(), c.bytes.size());
        uint32_t back = 0;
        EXPECT_TRUE(c.wide ? reader.ReadCount16(back) : reader.ReadCount8(back));
        EXPECT_EQ(back, c.value);
        EXPECT_TRUE(reader.IsAtEnd());

        // Every prefix of the encoding is refused and leaves the position where it was.
        for (size_t cut = 0; cut < c.bytes.size(); ++cut) {
            CKSTDocReader shortReader(c.bytes.data(), cut);
            EXPECT_FALSE(c.wide ? shortReader.ReadCount16(back) : shortReader.ReadCount8(back));
            EXPECT_EQ(shortReader.GetPosition(), 0u);
        }
    }
}

TEST(DocFileFraming, StringsAreCutWithConsistentLengths)
{
    const CKSTString longText(std::string(300, 'x').c_str());
    CKSTDocRecord record;
    record.PutShortString(longText);
    ASSERT_EQ(record.GetSize(), 256u);
    EXPECT_EQ(record.GetData()[0], 255);

    CKSTDocRecord property;
    property.PutPropertyString(longText);
    ASSERT_EQ(property.GetSize(), 303u);  // 0xFF, u16 300, the text
    CKSTDocReader reader(property.GetData(), property.GetSize());
    CKSTString back;
    ASSERT_TRUE(reader.ReadPropertyString(back));
    EXPECT_EQ(back, longText);

    // A length byte promising more than there is refuses the read.
    const Bytes cut = {5, 'a', 'b'};
    CKSTDocReader cutReader(cut.data(), cut.size());
    EXPECT_FALSE(cutReader.ReadShortString(back));
    EXPECT_EQ(cutReader.GetPosition(), 0u);
}

TEST(DocFileFraming, FontRecordOfArialIs34Bytes)
{
    CKSTFontDesc font;
    font.m_faceName = "Arial";
    font.m_height = -11;
    font.m_weight = 700;
    font.m_italic = 1;
    font.m_escapement = -900;
    CKSTDocRecord record;
    record.PutFontRecord(font);
    ASSERT_EQ(record.GetSize(), 34u);

    CKSTDocReader reader(record.GetData(), record.GetSize());
    CKSTFontDesc back;
    ASSERT_TRUE(reader.ReadFontRecord(back));
    EXPECT_TRUE(back == font);
    EXPECT_TRUE(reader.IsAtEnd());

    CKSTDocReader cut(record.GetData(), record.GetSize() - 1);
    CKSTFontDesc untouched;
    EXPECT_FALSE(cut.ReadFontRecord(untouched));
    EXPECT_TRUE(untouched == CKSTFontDesc());
}

TEST(DocFileFraming, TagClassesAndSkips)
{
    struct Case {
        uint8_t tag;
        Bytes record;  // after the tag
        size_t consumed;
        bool newer;
    };
    const Case cases[] = {
        {12, {3, 0xAA}, 2, false},                       // index, 1 byte
        {20, {3, 1, 2}, 3, false},                       // index, 2 bytes
        {28, {0xFF, 0x00, 0x01, 1, 2, 3, 4}, 7, false},  // wide index, 4 bytes
        {32, {0, 1, 2, 3, 4, 5, 6, 7, 8}, 9, false},
        {14, {0, 2, 0, 9, 9}, 5, false},  // indexed block
        {39, {1, 4, 0, 1, 0, 0, 0}, 7, false},
        {50, {3, 0, 1, 2, 3}, 5, false},  // property entry
        {61, {1, 0, 7}, 3, false},        // known framed record
        {40, {2, 0, 1, 2}, 4, true},
        {54, {0, 0}, 2, true},
        {60, {0, 0}, 2, true},
        {100, {0, 0}, 2, true},  // a bracket outside a process block reads as framed
        {200, {1, 0, 9}, 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.tag));
        Bytes bytes = c.record;
        bytes.push_back(0xEE);  // the next record's tag
        CKSTDocReader reader(bytes.data(), bytes.size());
        uint8_t newer = 0;
        EXPECT_EQ(reader.SkipByClass(c.tag, &newer), 0);
        EXPECT_EQ(reader.GetPosition(), c.consumed);
        EXPECT_EQ(newer != 0, c.newer);

        // Cut anywhere inside, the skip reports the end of data.
        for (size_t cut = 0; cut < c.consumed; ++cut) {
            CKSTDocReader shortReader(bytes.data(), cut);
            EXPECT_EQ(shortReader.SkipByClass(c.tag, nullptr), KST_ERR_END_OF_DATA);
        }
    }
    EXPECT_TRUE(IsKnownTag(1) && IsKnownTag(38) && IsKnownTag(41) && IsKnownTag(53) &&
                IsKnownTag(61) && IsKnownTag(99));
    EXPECT_FALSE(IsKnownTag(0) || IsKnownTag(39 + 1) || IsKnownTag(54) || IsKnownTag(60) ||
                 IsKnownTag(100));
    EXPECT_TRUE(IsTimeBlockTag(35) && IsValueBlockTag(36) && IsValueBlockTag(39));
    EXPECT_FALSE(IsTimeBlockTag(39) || IsLengthPrefixedTag(27) || IsLengthPrefixedTag(40));
}

TEST(DocFileFraming, OpeningChecksTheMagic)
{
    TempFolder folder;
    folder.WriteFile("magic_only.qld", std::string(kDocMagic, kDocMagicSize));
    folder.WriteFile("wrong_magic.qld", "KESTRO-KXE and more");
    folder.WriteFile("short.qld", "KESTRO");
    folder.WriteFile("empty.qld", "");

    CKSTDocFile file;
    ASSERT_EQ(file.OpenRead(folder.Path("magic_only.qld")), 0);
    CKSTChannelList channels;
    uint8_t newer = 1;
    EXPECT_EQ(file.ReadChannels(channels, nullptr, false, &newer), KST_ERR_BAD_HEADER);
    EXPECT_EQ(newer, 0);
    EXPECT_EQ(channels.GetCount(), 0);
    EXPECT_EQ(file.Close(), KST_OK);

    for (const char* name : {"wrong_magic.qld", "short.qld", "empty.qld"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(file.OpenRead(folder.Path(name)), KST_ERR_NOT_CONTAINER);
        EXPECT_FALSE(file.IsOpen());
    }
    EXPECT_EQ(file.OpenRead(folder.Path("absent.qld")), KST_ERR_OPEN_FAILED);

    CKSTDocFile memory;
    EXPECT_EQ(memory.OpenMemoryRead(), KST_ERR_BAD_HEADER);
    memory.SetMemory(ToBuffer(Bytes{'K', 'E', 'S'}));
    EXPECT_EQ(memory.OpenMemoryRead(), KST_ERR_NOT_CONTAINER);
    EXPECT_FALSE(memory.IsOpen());
}

TEST(DocFileFraming, WritesNeedAContainerOpenForWriting)
{
    TempFolder folder;
    CKSTDocFile file;
    CKSTDocRecord payload;
    EXPECT_EQ(file.WriteFramedRecord(61, payload), KST_ERR_FILE_NOT_OPEN);
    ASSERT_EQ(file.OpenWrite(folder.Path("a.qld")), 0);
    EXPECT_EQ(file.Close(), KST_OK);
    ASSERT_EQ(file.OpenRead(folder.Path("a.qld")), 0);
    EXPECT_EQ(file.WriteFramedRecord(61, payload), KST_ERR_NOT_OPEN_FOR_WRITING);
    CKSTChannelList channels;
    EXPECT_EQ(file.WriteChannels(channels, true), KST_ERR_NOT_OPEN_FOR_WRITING);
    EXPECT_EQ(file.AppendNewSamples(channels), KST_ERR_NOT_OPEN_FOR_WRITING);
}

TEST(DocFileFraming, AppendingNeedsAnExistingContainer)
{
    TempFolder folder;
    CKSTDocFile file;
    EXPECT_EQ(file.OpenAppend(folder.Path("vanished.qld")), KST_ERR_OPEN_FAILED);
    EXPECT_FALSE(std::filesystem::exists(folder.Native("vanished.qld")));

    folder.WriteFile("overwritten.qld", "not a container");
    EXPECT_EQ(file.OpenAppend(folder.Path("overwritten.qld")), KST_ERR_NOT_CONTAINER);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(std::filesystem::file_size(folder.Native("overwritten.qld")), 15u);

    folder.WriteFile("good.qld", std::string(kDocMagic, kDocMagicSize));
    ASSERT_EQ(file.OpenAppend(folder.Path("good.qld")), 0);
    EXPECT_EQ(file.WriteByte(61), 0);
    EXPECT_EQ(file.Close(), KST_OK);
    EXPECT_EQ(std::filesystem::file_size(folder.Native("good.qld")), kDocMagicSize + 1u);
}

TEST(DocFileFraming, UnknownRecordsAreSkippedAndFlagged)
{
    const auto build = [](bool withNewer) {
        Bytes bytes = Magic();
        CKSTDocRecord font;
        font.PutU16(0);
        font.PutFontRecord(CKSTFontDesc());
        AppendFramed(bytes, 61, font);  // known, not the channel reader's
        if (withNewer) {
            CKSTDocRecord future;
            future.PutU32(0xDEADBEEF);
            future.PutF64(1.0);
            AppendFramed(bytes, 57, future);
            AppendFramed(bytes, 180, future);
        }
        AppendFramed(bytes, KST_TAG_CHANNEL, ChannelRecord(0, 0, "a", 0, 5));
        CKSTDocRecord values;
        values.PutF64(1.5);
        values.PutF64(-2.5);
        AppendBlock(bytes, KST_TAG_VALUE_F64, 0, values);
        return bytes;
    };
    for (bool withNewer : {false, true}) {
        SCOPED_TRACE(withNewer);
        CKSTChannelList channels;
        uint8_t newer = 7;
        ASSERT_EQ(ReadImage(build(withNewer), channels, &newer), 0);
        EXPECT_EQ(newer, withNewer ? 1 : 0);
        ASSERT_EQ(channels.GetCount(), 1);
        ASSERT_EQ(channels.GetAt(0)->GetCount(), 2u);
        EXPECT_EQ(channels.GetAt(0)->GetValues()[1], -2.5);
    }
}

TEST(DocFileFraming, LongerNewerRecordFormsAreReadWithinTheirLength)
{
    Bytes bytes = Magic();
    CKSTDocRecord record = ChannelRecord(0, 0, "grown", 0, 5, 0.25, 1.0);
    record.PutU32(0x01020304);  // fields a later version may add
    AppendFramed(bytes, KST_TAG_CHANNEL, record);
    CKSTDocRecord values;
    values.PutF64(3.0);
    values.PutF64(99.0);  // a longer f64 block than its count needs is read to its length
    values.PutU8(0xAB);
    AppendBlock(bytes, KST_TAG_VALUE_F64, 0, values);

    CKSTChannelList channels;
    ASSERT_EQ(ReadImage(bytes, channels), 0);
    const CKSTChannel& c = *channels.GetAt(0);
    EXPECT_EQ(c.GetName(), "grown");
    EXPECT_EQ(c.GetDt(), 0.25);
    ASSERT_EQ(c.GetCount(), 2u);
    EXPECT_EQ(c.GetValues()[1], 99.0);
}

}  // namespace
