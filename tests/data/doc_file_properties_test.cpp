#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "data/DocFile.h"
#include "data/doc_bytes.h"
#include "data/settings/ProcessLayout.h"
#include "foundation/ErrorCodes.h"
#include "foundation/HeaderInfoList.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Property entries

CKSTHeaderInfoItem Item(const char* name, int32_t type, bool hidden)
{
    CKSTHeaderInfoItem item;
    item.m_name = name;
    switch (type) {
        case KST_HIT_BOOL:
            item.SetBool(1, hidden);
            break;
        case KST_HIT_SHORT:
            item.SetShort(-1234, hidden);
            break;
        case KST_HIT_LONG:
            item.SetLong(-123456789, hidden);
            break;
        case KST_HIT_INT64:
            item.SetInt64(-1234567890123456789LL, hidden);
            break;
        case KST_HIT_DOUBLE:
            item.SetDouble(-2.5e-7, hidden);
            break;
        case KST_HIT_STRING:
            item.SetString("Messung 7; Prüfstand", hidden);
            break;
        case KST_HIT_TIME:
            item.SetTime(CKSTTimeStamp(2023, 4, 5, 6, 7, 8.0), hidden);
            break;
        case KST_HIT_PRECISE_TIME:
            item.SetPreciseTime(CKSTTimeStamp(45000.25, 0.123456), hidden);
            break;
        default:
            break;
    }
    return item;
}

void ExpectSameEntry(const CKSTHeaderInfoItem& a, const CKSTHeaderInfoItem& b)
{
    EXPECT_EQ(a.m_type, b.m_type);
    EXPECT_EQ(a.m_name, b.m_name);
    EXPECT_EQ(a.m_hidden, b.m_hidden);
    EXPECT_EQ(a.m_text, b.m_text);
    EXPECT_EQ(a.m_doubleValue, b.m_doubleValue);
    EXPECT_EQ(a.m_longValue, b.m_longValue);
    EXPECT_EQ(a.m_int64Value, b.m_int64Value);
    EXPECT_EQ(a.m_timeValue.GetSerialDays(), b.m_timeValue.GetSerialDays());
    EXPECT_EQ(a.m_timeValue.GetFraction(), b.m_timeValue.GetFraction());
}

KstBytes WriteList(const CKSTHeaderInfoList& list)
{
    return WriteToMemory([&](CKSTDocFile& f) { return WriteKxdPropertyList(f, list); });
}

int ReadList(const KstBytes& bytes, CKSTHeaderInfoList& list, uint8_t* newer = nullptr)
{
    CKSTDocFile file;
    return ReadKxdPropertyList(file, CKSTDocReader(bytes.data(), bytes.size()), list, newer);
}

TEST(DocFileProperties, EveryTypeRoundTripsVisibleAndHidden)
{
    CKSTHeaderInfoList list;
    for (bool hidden : {false, true}) {
        for (int32_t type = KST_HIT_BOOL; type <= KST_HIT_PRECISE_TIME; ++type) {
            list.Add(Item(("Entry" + std::to_string(type)).c_str(), type, hidden));
        }
    }
    const KstBytes bytes = WriteList(list);

    CKSTDocFile file;
    ASSERT_EQ(OpenMemory(file, bytes), KST_OK);
    CKSTHeaderInfoList read;
    read.SetString("stale", "gone");
    uint8_t newer = 1;
    ASSERT_EQ(ReadKxdPropertyList(file, read, &newer), KST_OK);
    EXPECT_EQ(newer, 0);
    ASSERT_EQ(read.GetCount(true), list.GetCount(true));
    for (int i = 0; i < list.GetCount(true); ++i) {
        SCOPED_TRACE(i);
        ExpectSameEntry(list.GetItem(i), read.GetItem(i));
    }
}

// Stored lengths by type: flags, name length and name, then the value.
TEST(DocFileProperties, RecordLengthsFollowTheType)
{
    struct Case {
        int32_t type;
        uint8_t tag;
        uint32_t length;  // for the name "abc"
    } cases[] = {
        {KST_HIT_BOOL, 44, 3 + 3},          {KST_HIT_SHORT, 45, 3 + 4},
        {KST_HIT_LONG, 47, 3 + 6},          {KST_HIT_INT64, 51, 3 + 10},
        {KST_HIT_DOUBLE, 49, 3 + 10},       {KST_HIT_TIME, 52, 3 + 10},
        {KST_HIT_PRECISE_TIME, 53, 3 + 18},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const CKSTHeaderInfoItem item = Item("abc", c.type, false);
        const KstBytes bytes =
            WriteToMemory([&](CKSTDocFile& f) { return f.WritePropertyEntry(item); });
        ASSERT_EQ(bytes.size(), kDocMagicSize + 3 + c.length);
        EXPECT_EQ(bytes[10], c.tag);
        EXPECT_EQ(bytes[11] | (bytes[12] << 8), static_cast<int>(c.length));
        EXPECT_EQ(bytes[13], 0);  // flags
        EXPECT_EQ(bytes[14], 3);  // name length
    }

    // Strings: a 254-byte text takes a one-byte count, 255 bytes a three-byte one.
    for (size_t n : {size_t(254), size_t(255)}) {
        CKSTHeaderInfoItem item;
        item.m_name = "abc";
        item.SetString(std::string(n, 't').c_str());
        const KstBytes bytes =
            WriteToMemory([&](CKSTDocFile& f) { return f.WritePropertyEntry(item); });
        const size_t length = 3 + 3 + n + (n >= 255 ? 2 : 0);
        ASSERT_EQ(bytes.size(), kDocMagicSize + 3 + length);
        EXPECT_EQ(bytes[11] | (bytes[12] << 8), static_cast<int>(length));
        EXPECT_EQ(bytes[18], n >= 255 ? 0xFF : n);
    }
}

TEST(DocFileProperties, HiddenEntriesAreStoredScrambled)
{
    CKSTHeaderInfoList list;
    list.SetString("LockPass", "secret", true);
    const KstBytes bytes = WriteList(list);
    const std::string stored(bytes.begin(), bytes.end());
    EXPECT_EQ(stored.find("LockPass"), std::string::npos);
    EXPECT_EQ(stored.find("secret"), std::string::npos);
    EXPECT_EQ(bytes[13], 1);  // hidden flag

    CKSTHeaderInfoList read;
    ASSERT_EQ(ReadList(bytes, read), KST_OK);
    CKSTString text;
    EXPECT_GE(read.GetString("LockPass", text, true), 0);
    EXPECT_EQ(text, "secret");
}

// Texts beyond their length fields are cut; a hidden entry is cut before it is scrambled, so
// it still reads back as the cut plain text, and the entry after it is intact.
TEST(DocFileProperties, OverlongTextsAreCutConsistently)
{
    for (bool hidden : {false, true}) {
        SCOPED_TRACE(hidden);
        CKSTHeaderInfoList list;
        list.SetString(std::string(300, 'N').c_str(), std::string(70000, 'v').c_str(), hidden);
        list.SetLong("after", 42, hidden);
        CKSTHeaderInfoList read;
        ASSERT_EQ(ReadList(WriteList(list), read), KST_OK);
        ASSERT_EQ(read.GetCount(true), 2);
        EXPECT_EQ(read.GetItem(0).m_name, std::string(255, 'N').c_str());
        EXPECT_EQ(read.GetItem(0).m_text, std::string(65535, 'v').c_str());
        EXPECT_EQ(read.GetItem(1).m_name, "after");
        EXPECT_EQ(read.GetItem(1).m_longValue, 42);
    }
}

// Fixtures of the old entry forms; hidden ones in the old scrambled form.
TEST(DocFileProperties, ReadsOldEntryForms)
{
    CKSTHeaderInfoItem hiddenOld;
    hiddenOld.m_name = "Comment";
    hiddenOld.SetString("alt", true);
    hiddenOld.Scramble(KST_SCRAMBLE_CRT, false);
    const std::string scrambledName(hiddenOld.m_name.c_str(),
                                    static_cast<size_t>(hiddenOld.m_name.GetLength()));
    const std::string scrambledText(hiddenOld.m_text.c_str(),
                                    static_cast<size_t>(hiddenOld.m_text.GetLength()));

    ByteWriter records;
    records.Framed(42, ByteWriter().U8(0).Short("d1").F64(1.25));
    records.Framed(43, ByteWriter().U8(1).Short(scrambledName).Prop(scrambledText));
    // '.' and '0' carry plain u16 length, flags and name length.
    ByteWriter older;
    older.U16(0).Text16("s2").Text16("text");
    records.U8(46).U16(static_cast<uint32_t>(older.Size())).Raw(older.Bytes());
    ByteWriter olderDouble;
    olderDouble.U16(0).Text16("d2").F64(-8.5);
    records.U8(48).U16(static_cast<uint32_t>(olderDouble.Size())).Raw(olderDouble.Bytes());

    CKSTHeaderInfoList read;
    ASSERT_EQ(ReadList(Container(records), read), KST_OK);
    ASSERT_EQ(read.GetCount(true), 4);
    double d = 0;
    EXPECT_GE(read.GetDouble("d1", d), 0);
    EXPECT_EQ(d, 1.25);
    CKSTString text;
    EXPECT_GE(read.GetString("Comment", text, true), 0);
    EXPECT_EQ(text, "alt");
    EXPECT_GE(read.GetString("s2", text), 0);
    EXPECT_EQ(text, "text");
    EXPECT_GE(read.GetDouble("d2", d), 0);
    EXPECT_EQ(d, -8.5);
}

TEST(DocFileProperties, ListEdgeCases)
{
    // An entry of no known type is refused and nothing is written.
    CKSTDocFile file;
    ASSERT_EQ(file.OpenMemoryWrite(), KST_OK);
    CKSTHeaderInfoItem none;
    none.m_name = "x";
    EXPECT_EQ(file.WritePropertyEntry(none), KST_ERR_UNKNOWN_PROPERTY_TYPE);
    EXPECT_EQ(file.GetMemoryBuffer().GetSize(), kDocMagicSize);

    CKSTDocFile closed;
    EXPECT_EQ(closed.WritePropertyEntry(Item("a", KST_HIT_LONG, false)), KST_ERR_FILE_NOT_OPEN);
    CKSTHeaderInfoList list;
    EXPECT_EQ(ReadKxdPropertyList(closed, list, nullptr), KST_ERR_FILE_NOT_OPEN);

    // An empty list writes nothing; reading it gives an empty list.
    EXPECT_EQ(WriteList(CKSTHeaderInfoList()).size(), kDocMagicSize);
    list.SetLong("old", 1);
    EXPECT_EQ(ReadList(Container(ByteWriter()), list), KST_OK);
    EXPECT_EQ(list.GetCount(true), 0);

    // Other sections' records are skipped; unknown ones raise the flag; an entry shorter than
    // its fields is an error; one cut off by the end of the data ends the list.
    const ByteWriter entry = ByteWriter().Framed(47, ByteWriter().U8(0).Short("n").I32(5));
    struct Case {
        const char* name;
        ByteWriter records;
        int expected;
        int count;
        uint8_t newer;
    } cases[] = {
        {"between other records",
         ByteWriter().Framed(92, ByteWriter().U8(1)).Raw(entry.Bytes()).U8(30).U8(1).U16(4).U32(0),
         KST_OK, 1, 0},
        {"after an unknown record", ByteWriter().Framed(57, ByteWriter()).Raw(entry.Bytes()),
         KST_OK, 1, 1},
        {"value missing", ByteWriter().Raw(entry.Bytes()).Framed(47, ByteWriter().U8(0).Short("m")),
         KST_ERR_BAD_RECORD, 1, 0},
        {"name longer than the record", ByteWriter().Framed(47, ByteWriter().U8(0).U8(9).U8('a')),
         KST_ERR_BAD_RECORD, 0, 0},
        {"cut off", ByteWriter().Raw(entry.Bytes()).U8(47).U16(9).U8(0), KST_OK, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTHeaderInfoList read;
        uint8_t newer = 0;
        EXPECT_EQ(ReadList(Container(c.records), read, &newer), c.expected);
        EXPECT_EQ(read.GetCount(true), c.count);
        EXPECT_EQ(newer, c.newer);
    }
}

// Scrambling draws from generator state of its own, so documents written and read on several
// threads at once keep their hidden entries intact.
TEST(DocFileProperties, HiddenEntriesRoundTripOnConcurrentThreads)
{
    constexpr int kThreads = 4;
    constexpr int kRounds = 200;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &failures] {
            for (int round = 0; round < kRounds; ++round) {
                const std::string tag = std::to_string(t) + "-" + std::to_string(round);
                CKSTHeaderInfoList list;
                list.SetString(("Hidden" + tag).c_str(), ("Secret value " + tag).c_str(), true);
                list.SetComment(("Comment " + tag).c_str(), true);
                list.SetLong("Visible", round);
                CKSTDocFile writer;
                EXPECT_EQ(writer.OpenMemoryWrite(), KST_OK);
                if (WriteKxdPropertyList(writer, list) != KST_OK) {
                    ++failures;
                    continue;
                }
                CKSTMemBuffer memory = writer.GetMemoryBuffer();
                CKSTDocFile reader;
                reader.SetMemory(memory);
                CKSTHeaderInfoList read;
                CKSTString text;
                if (reader.OpenMemoryRead() != KST_OK ||
                    ReadKxdPropertyList(reader, read, nullptr) != KST_OK ||
                    read.GetString(("Hidden" + tag).c_str(), text, true) < 0 ||
                    text != ("Secret value " + tag).c_str() || !read.GetComment(text) ||
                    text != ("Comment " + tag).c_str()) {
                    ++failures;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures.load(), 0);
}

TEST(DocFileProperties, ReaderSurvivesTruncationAndMutation)
{
    CKSTHeaderInfoList list;
    for (bool hidden : {false, true}) {
        for (int32_t type = KST_HIT_BOOL; type <= KST_HIT_PRECISE_TIME; ++type) {
            list.Add(Item(("E" + std::to_string(type)).c_str(), type, hidden));
        }
    }
    ExpectRobustReads(WriteList(list), {KST_OK, KST_ERR_BAD_RECORD}, [](const KstBytes& input) {
        CKSTHeaderInfoList read;
        return ReadList(input, read);
    });
}

// ---------------------------------------------------------------------------------------------
// Process block

CKSTTextElementSettings MakeText()
{
    CKSTTextElementSettings t;
    t.m_Text = "Pressure";
    t.m_Alignment = 4;
    t.m_BackColor = 0x112233;
    t.m_TextColor = 0x445566;
    t.m_FontIndex = 1;
    t.m_Frame = 1;
    t.m_Transparent = 1;
    return t;
}

CKSTValueElementSettings MakeValue()
{
    CKSTValueElementSettings v;
    v.m_TitleTextColor = 0x010101;
    v.m_TitleBackColor = 0x020202;
    v.m_TitleTransparent = 1;
    v.m_TitleFontIndex = 0;
    v.m_ValueTextColor = 0x030303;
    v.m_ValueBackColor = 0x040404;
    v.m_ValueTransparent = 1;
    v.m_ValueFontIndex = 1;
    v.m_LampActiveColor1 = 0x050505;
    v.m_LampActiveColor2 = 0x060606;
    v.m_LampPassiveColor = 0x070707;
    v.m_DisplayType = 1;
    v.m_TitleSide = 3;
    v.m_TitleAlignment = 9;
    v.m_ValueAlignment = 6;
    v.m_Operator1 = 2;
    v.m_Operator2 = 4;
    v.m_Threshold1 = 10.5;
    v.m_Threshold2 = -5.25;
    v.m_SplitRatio = 0.3;
    v.m_FrameWidth = 3;
    v.m_FrameColor = 0x080808;
    v.m_Frame = 1;
    v.m_Precision = 5;
    v.m_ShowGroup = 0;
    v.m_ShowUnit = 0;
    v.m_ChannelIndex = 70000;
    v.m_ChannelName = "T1";
    v.m_GroupName = "Oven";
    v.m_Title = "Temperature";
    return v;
}

CKSTButtonElementSettings MakeButton()
{
    CKSTButtonElementSettings b;
    b.m_Style = 2;
    b.m_OnColor = 0x0A0A0A;
    b.m_OffColor = 0x0B0B0B;
    b.m_FrameColor = 0x0C0C0C;
    b.m_BackColor = 0x0D0D0D;
    b.m_TextColor = 0x0E0E0E;
    b.m_Transparent = 1;
    b.m_FontIndex = 0;
    b.m_ChannelIndex = 3;
    b.m_ChannelName = "Valve";
    b.m_Text = "Valve";  // the button's text is its name field
    b.m_GroupName = "Plant";
    return b;
}

CKSTValueSheetSettings MakeSheet()
{
    CKSTValueSheetSettings s;
    s.m_ShowGroup = 0;
    s.m_ShowUnit = 0;
    s.m_FontIndex = 1;
    s.m_Alignment = 9;
    s.m_TextColor = 0x121212;
    s.m_BackColor = 0x343434;
    s.m_GridColor = 0x565656;
    s.m_CellSpacing = 2;
    s.m_Decimals = 4;
    s.m_Columns = {{"", 120}, {"", 80}};
    CKSTValueSheetRow row;
    row.m_GroupName = "G1";
    row.m_ChannelName = "C1";
    s.m_Rows.push_back(row);
    row.m_GroupName = "";
    row.m_ChannelName = "C2";
    s.m_Rows.push_back(row);
    return s;
}

CKSTVideoElementSettings MakeVideo()
{
    CKSTVideoElementSettings v;
    v.m_Number = 2;
    v.m_Host = "127.0.0.1";
    v.m_CameraIndex = 5;
    v.m_User = "operator";
    v.m_Password = "pw";
    v.m_Description = "Door";
    v.m_RecordText1 = "R1";
    v.m_RecordText2 = "R2";
    v.m_Fps = 25;
    v.m_Width = 640;
    v.m_Height = 480;
    v.m_InputFormat = 1;
    v.m_OutputFormat = 2;
    v.m_DisplayOpen = 1;
    v.m_Leader = 1;
    v.m_NoRecord = 1;
    v.m_ExtraFlag = 1;
    v.m_Visible = 1;
    v.m_ShowFrames = 1;
    v.m_WindowStyle = 0x50000000;
    v.m_Language = 1;
    return v;
}

// A layout with one element of every kind, two fonts and a picture.
CKSTProcessLayout MakeLayout()
{
    CKSTProcessLayout layout;
    layout.m_BackgroundColor = 0xABCDEF;
    layout.m_Gradient = 0;
    layout.m_GridStepX = 7;
    layout.m_GridStepY = 9;
    layout.m_WindowFlag = 1;
    layout.m_PicturePosition = 6;
    layout.m_PictureIndex = 0;
    CKSTFontDesc font;
    font.m_faceName = "Tahoma";
    layout.AddFont(font);
    font.m_weight = 700;
    layout.AddFont(font);
    CKSTRasterImage picture;
    picture.Create(2, 2);
    for (uint32_t i = 0; i < 4; ++i) {
        picture.GetPixels()[i] = 0x102030 + i;
    }
    layout.AddPicture(picture);

    int position = 0;
    auto add = [&](int32_t kind) -> CKSTElementSnapshot& {
        CKSTElementSnapshot& e = layout.AddEntry(kind);
        e.m_Left = 10 * position;
        e.m_Top = 20 * position;
        e.m_Right = 10 * position + 50;
        e.m_Bottom = 20 * position + 30;
        ++position;
        return e;
    };
    *add(KST_ELEMENT_TEXT).m_TextSettings = MakeText();
    *add(KST_ELEMENT_VALUE).m_ValueSettings = MakeValue();
    for (int32_t kind : {KST_ELEMENT_BAR, KST_ELEMENT_CURVE, KST_ELEMENT_METER}) {
        CKSTCurveWndSettings& curve = *add(kind).m_CurveSettings;
        curve.m_BorderWidth = static_cast<uint16_t>(kind);
        curve.AddCurveForChannel("U", "G", "V");
        curve.m_Fonts.push_back(std::make_unique<CKSTFontDesc>(font));
    }
    add(KST_ELEMENT_RESERVED);
    *add(KST_ELEMENT_VALUE_SHEET).m_ValueSheetSettings = MakeSheet();
    *add(KST_ELEMENT_BUTTON).m_ButtonSettings = MakeButton();
    add(KST_ELEMENT_PICTURE).m_PictureSettings->m_PictureIndex = 0;
    *add(KST_ELEMENT_VIDEO).m_VideoSettings = MakeVideo();
    return layout;
}

int ReadLayout(const KstBytes& bytes, CKSTProcessLayout& layout, uint8_t* newer = nullptr)
{
    CKSTDocFile file;
    return file.ReadProcessBlock(CKSTDocReader(bytes.data(), bytes.size()), layout, newer);
}

TEST(DocFileProcess, LayoutWithEveryKindRoundTrips)
{
    const CKSTProcessLayout original = MakeLayout();
    const KstBytes bytes =
        WriteToMemory([&](CKSTDocFile& f) { return f.WriteProcessBlock(original); });
    CKSTDocFile file;
    ASSERT_EQ(OpenMemory(file, bytes), KST_OK);
    CKSTProcessLayout read;
    uint8_t newer = 1;
    ASSERT_EQ(file.ReadProcessBlock(read, &newer), KST_OK);
    EXPECT_EQ(newer, 0);

    EXPECT_EQ(read.m_BackgroundColor, original.m_BackgroundColor);
    EXPECT_EQ(read.m_Gradient, original.m_Gradient);
    EXPECT_EQ(read.m_GridStepX, original.m_GridStepX);
    EXPECT_EQ(read.m_GridStepY, original.m_GridStepY);
    EXPECT_EQ(read.m_WindowFlag, original.m_WindowFlag);
    EXPECT_EQ(read.m_PicturePosition, original.m_PicturePosition);
    EXPECT_EQ(read.m_PictureIndex, original.m_PictureIndex);
    ASSERT_EQ(read.m_Fonts.size(), 2u);
    EXPECT_TRUE(*read.m_Fonts[1] == *original.m_Fonts[1]);
    ASSERT_EQ(read.m_Pictures.size(), 1u);
    EXPECT_TRUE(read.m_Pictures[0]->IsEqual(*original.m_Pictures[0]));

    ASSERT_EQ(read.m_Entries.size(), original.m_Entries.size());
    EXPECT_TRUE(read.IsEqual(original));
    for (size_t i = 0; i < read.m_Entries.size(); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        const CKSTElementSnapshot& a = *original.m_Entries[i];
        const CKSTElementSnapshot& b = *read.m_Entries[i];
        EXPECT_EQ(b.m_Kind, a.m_Kind);
        EXPECT_EQ(b.m_Left, a.m_Left);
        EXPECT_EQ(b.m_Top, a.m_Top);
        EXPECT_EQ(b.m_Right, a.m_Right);
        EXPECT_EQ(b.m_Bottom, a.m_Bottom);
        // Every record field round-trips: the record equalities compare all of them, the
        // value sheet's lists apart.
        EXPECT_EQ(!b.m_TextSettings, !a.m_TextSettings);
        EXPECT_EQ(!b.m_ValueSettings, !a.m_ValueSettings);
        EXPECT_EQ(!b.m_ButtonSettings, !a.m_ButtonSettings);
        EXPECT_EQ(!b.m_ValueSheetSettings, !a.m_ValueSheetSettings);
        EXPECT_EQ(!b.m_CurveSettings, !a.m_CurveSettings);
        EXPECT_EQ(!b.m_PictureSettings, !a.m_PictureSettings);
        EXPECT_EQ(!b.m_VideoSettings, !a.m_VideoSettings);
        if (a.m_ValueSheetSettings && b.m_ValueSheetSettings) {
            EXPECT_TRUE(b.m_ValueSheetSettings->m_Rows == a.m_ValueSheetSettings->m_Rows);
            EXPECT_TRUE(b.m_ValueSheetSettings->m_Columns == a.m_ValueSheetSettings->m_Columns);
        }
        if (a.m_CurveSettings && b.m_CurveSettings) {
            EXPECT_EQ(b.m_CurveSettings->m_BorderWidth, a.m_CurveSettings->m_BorderWidth);
            ASSERT_EQ(b.m_CurveSettings->m_Curves.size(), 1u);
            EXPECT_EQ(b.m_CurveSettings->m_Curves[0]->m_Name, "U");
            EXPECT_EQ(b.m_CurveSettings->m_Fonts.size(), 1u);
        }
    }
}

// Other programs read these bytes: a change to the current forms must be deliberate. Entries
// without their records show the defaults written in their place.
TEST(DocFileProcess, WrittenBytesStayTheSame)
{
    CKSTProcessLayout layout = MakeLayout();
    for (const auto& entry : layout.m_Entries) {
        if (entry->m_CurveSettings) {
            entry->m_CurveSettings->m_BackgroundColor = 0x0A0B0C;  // not the system colour
        }
    }
    for (int32_t kind : {KST_ELEMENT_VALUE, KST_ELEMENT_VALUE_SHEET, KST_ELEMENT_BUTTON}) {
        layout.AddEntry(kind).ReleaseRecords();
    }
    const KstBytes bytes =
        WriteToMemory([&](CKSTDocFile& f) { return f.WriteProcessBlock(layout, 3); });
    EXPECT_EQ(bytes.size(), 1430u);
    EXPECT_EQ(Fingerprint(bytes), 0xCFFF7379F32C6141u) << std::hex << Fingerprint(bytes);
}

TEST(DocFileProcess, RectanglesAreStoredOrderedAndClamped)
{
    struct Case {
        int32_t x1, y1, x2, y2;
        int32_t left, top, right, bottom;
    } cases[] = {
        {50, 5, 10, 40, 10, 5, 50, 40},
        {10, 40, 50, 5, 10, 5, 50, 40},
        {-70000, 0, 70000, 100, -32768, 0, 32767, 100},
    };
    for (const Case& c : cases) {
        CKSTProcessLayout layout;
        CKSTElementSnapshot& e = layout.AddEntry(KST_ELEMENT_RESERVED);
        e.m_Left = c.x1;
        e.m_Top = c.y1;
        e.m_Right = c.x2;
        e.m_Bottom = c.y2;
        CKSTProcessLayout read;
        ASSERT_EQ(
            ReadLayout(WriteToMemory([&](CKSTDocFile& f) { return f.WriteProcessBlock(layout); }),
                       read),
            KST_OK);
        ASSERT_EQ(read.m_Entries.size(), 1u);
        EXPECT_EQ(read.m_Entries[0]->m_Left, c.left);
        EXPECT_EQ(read.m_Entries[0]->m_Top, c.top);
        EXPECT_EQ(read.m_Entries[0]->m_Right, c.right);
        EXPECT_EQ(read.m_Entries[0]->m_Bottom, c.bottom);
    }
}

// Entries without a record: the kinds whose reader requires one get a default record, the
// others stay without.
TEST(DocFileProcess, EntriesWithoutRecords)
{
    CKSTProcessLayout layout;
    for (int32_t kind = KST_ELEMENT_TEXT; kind <= KST_ELEMENT_VIDEO; ++kind) {
        layout.m_Entries.push_back(std::make_unique<CKSTElementSnapshot>());
        layout.m_Entries.back()->m_Kind = kind;
    }
    CKSTProcessLayout read;
    ASSERT_EQ(ReadLayout(WriteToMemory([&](CKSTDocFile& f) { return f.WriteProcessBlock(layout); }),
                         read),
              KST_OK);
    ASSERT_EQ(read.m_Entries.size(), 10u);
    EXPECT_TRUE(read.m_Entries[0]->m_TextSettings != nullptr);
    EXPECT_TRUE(read.m_Entries[1]->m_ValueSettings != nullptr);
    EXPECT_TRUE(read.m_Entries[3]->m_CurveSettings != nullptr);
    EXPECT_TRUE(read.m_Entries[5]->m_ValueSheetSettings != nullptr);
    EXPECT_TRUE(read.m_Entries[6]->m_ButtonSettings == nullptr);
    EXPECT_TRUE(read.m_Entries[8]->m_PictureSettings == nullptr);
    EXPECT_TRUE(read.m_Entries[9]->m_VideoSettings == nullptr);
}

// Fixture pieces of a block: 'd' 0, a header, the given element records, 'e' with closeId.
ByteWriter Block(const ByteWriter& body, uint8_t closeId = 0)
{
    ByteWriter w;
    w.U8(100).U8(0);
    w.Framed(96, ByteWriter().U32(0xFFFFFF).U8(1).I16(3).I16(3).U8(0).U16(12).I16(-1));
    return w.Raw(body.Bytes()).U8(101).U8(closeId);
}

ByteWriter Element(uint8_t kind)
{
    return ByteWriter().Framed(73, ByteWriter().U16(0).U8(kind).I16(1).I16(2).I16(3).I16(4));
}

ByteWriter TextRecord()
{
    return ByteWriter().Framed(79,
                               ByteWriter().Text16("t").U32(1).U32(2).U8(0).U8(0).U8(0).I16(-1));
}

TEST(DocFileProcess, ReadsOldForms)
{
    ByteWriter value;
    value.Text16("C").Text16("G").U32(1).U32(2).U8(1).U32(3).U32(4).U8(0);
    value.U32(5).U32(6).U32(7).U8(1).U8(2).U8(12).U8(9).U8(3).U8(4);
    value.F64(1.5).F64(2.5).F64(0.25).U8(2).U8(1).U8(6).U32(8).I16(0).I16(1).U8(0).U8(1);
    ByteWriter records;
    records.U8(100).U8(3);
    records.Framed(72, ByteWriter().U32(0x123456).U8(0).I16(5).I16(6).U8(1));
    records.Raw(Element(1).Bytes());
    records.Framed(74, ByteWriter().Text16("old").U32(0x11).U32(0x22).U8(4).U8(1).I16(2));
    records.Raw(Element(2).Bytes()).Framed(75, value);
    records.Raw(Element(2).Bytes()).Framed(89, ByteWriter().Raw(value.Bytes()).U32(9).U32(0));
    records.U8(101).U8(3);

    CKSTProcessLayout read;
    ASSERT_EQ(ReadLayout(Container(records), read), KST_OK);
    EXPECT_EQ(read.m_BackgroundColor, 0x123456u);
    EXPECT_EQ(read.m_GridStepY, 6);
    EXPECT_EQ(read.m_WindowFlag, 1);
    EXPECT_EQ(read.m_PicturePosition, 12);
    EXPECT_EQ(read.m_PictureIndex, -1);
    ASSERT_EQ(read.m_Entries.size(), 3u);

    const CKSTTextElementSettings& text = *read.m_Entries[0]->m_TextSettings;
    EXPECT_EQ(text.m_Text, "old");
    EXPECT_EQ(text.m_BackColor, 0x11u);
    EXPECT_EQ(text.m_TextColor, 0x22u);
    EXPECT_EQ(text.m_Alignment, 4);
    EXPECT_EQ(text.m_Frame, 1);
    EXPECT_EQ(text.m_Transparent, 0);
    EXPECT_EQ(text.m_FontIndex, 2);

    for (size_t i : {size_t(1), size_t(2)}) {
        SCOPED_TRACE(i);
        const CKSTValueElementSettings& v = *read.m_Entries[i]->m_ValueSettings;
        EXPECT_EQ(v.m_ChannelName, "C");
        EXPECT_EQ(v.m_GroupName, "G");
        EXPECT_EQ(v.m_Title, "");
        EXPECT_EQ(v.m_TitleTransparent, 1u);
        EXPECT_EQ(v.m_ValueBackColor, 4u);
        EXPECT_EQ(v.m_LampPassiveColor, 7u);
        EXPECT_EQ(v.m_TitleAlignment, 12u);
        EXPECT_EQ(v.m_Operator2, 4u);
        EXPECT_EQ(v.m_SplitRatio, 0.25);
        EXPECT_EQ(v.m_FrameWidth, 2);
        EXPECT_EQ(v.m_Precision, 6);
        EXPECT_EQ(v.m_FrameColor, 8u);
        EXPECT_EQ(v.m_ValueFontIndex, 1);
        EXPECT_EQ(v.m_ShowUnit, 1);
        EXPECT_EQ(v.m_ChannelIndex, i == 1 ? -1 : 9);
    }
}

TEST(DocFileProcess, ErrorCodes)
{
    const ByteWriter nestedCurve = ByteWriter().U8(100).U8(1).Framed(
        6, ByteWriter().Short("").U8(0).F64(0).F64(1).F64(1).F64(1).U8(0).U8(0).U8(0));
    const ByteWriter sheet = ByteWriter().Framed(
        80,
        ByteWriter().U8(1).U8(1).I16(-1).U16(12).U32(0).U32(0).U32(0).U8(1).U8(3).U32(0).U32(0));
    struct Case {
        const char* name;
        ByteWriter records;
        int expected;
        size_t entries;  // read before the error
    } cases[] = {
        {"no block", ByteWriter().Framed(92, ByteWriter().U8(0)), KST_OK, 0},
        {"two blocks", ByteWriter().Raw(Block(Element(5)).Bytes()).Raw(Block(Element(5)).Bytes()),
         KST_OK, 2},
        {"closing id differs", Block(Element(5), 1), KST_ERR_BLOCK_ID_MISMATCH, 1},
        {"header missing", ByteWriter().U8(100).U8(0).Raw(Element(5).Bytes()),
         KST_ERR_UNEXPECTED_TAG, 0},
        {"foreign record inside the block",
         Block(ByteWriter().Raw(Element(5).Bytes()).Framed(78, ByteWriter())),
         KST_ERR_UNEXPECTED_TAG, 1},
        {"text element without its record",
         Block(ByteWriter().Raw(Element(1).Bytes()).Raw(Element(5).Bytes())),
         KST_ERR_MISSING_RECORD, 0},
        {"value element without its record",
         Block(ByteWriter().Raw(Element(2).Bytes()).Raw(TextRecord().Bytes())),
         KST_ERR_MISSING_RECORD, 0},
        {"curve element without its nested set",
         Block(ByteWriter().Raw(Element(4).Bytes()).Raw(TextRecord().Bytes())),
         KST_ERR_MISSING_RECORD, 0},
        {"nested set of id 2", Block(ByteWriter().Raw(Element(3).Bytes()).U8(100).U8(2)),
         KST_ERR_UNEXPECTED_TAG, 0},
        {"nested set closed with id 0",
         Block(ByteWriter().Raw(Element(8).Bytes()).Raw(nestedCurve.Bytes()).U8(101).U8(0)),
         KST_ERR_BLOCK_ID_MISMATCH, 0},
        {"nested set without settings",
         Block(ByteWriter().Raw(Element(8).Bytes()).U8(100).U8(1).U8(101).U8(1)),
         KST_ERR_MISSING_RECORD, 0},
        {"value sheet without its record",
         Block(ByteWriter().Raw(Element(6).Bytes()).U8(100).U8(1).U8(101).U8(1)),
         KST_ERR_MISSING_RECORD, 0},
        {"value sheet closed with id 0",
         Block(ByteWriter().Raw(Element(6).Bytes()).U8(100).U8(1).Raw(sheet.Bytes()).U8(101).U8(0)),
         KST_ERR_BLOCK_ID_MISMATCH, 0},
        {"value sheet with more rows than its record holds",
         Block(ByteWriter()
                   .Raw(Element(6).Bytes())
                   .U8(100)
                   .U8(1)
                   .Framed(80, ByteWriter()
                                   .U8(1)
                                   .U8(1)
                                   .I16(-1)
                                   .U16(12)
                                   .U32(0)
                                   .U32(0)
                                   .U32(0)
                                   .U8(1)
                                   .U8(3)
                                   .U32(0)
                                   .U32(0x7FFFFFFF))),
         KST_ERR_BAD_RECORD, 0},
        {"value sheet with a foreign record inside",
         Block(ByteWriter()
                   .Raw(Element(6).Bytes())
                   .U8(100)
                   .U8(1)
                   .Framed(80, ByteWriter()
                                   .U8(1)
                                   .U8(1)
                                   .I16(-1)
                                   .U16(12)
                                   .U32(0)
                                   .U32(0)
                                   .U32(0)
                                   .U8(1)
                                   .U8(3)
                                   .U32(1)
                                   .U32(0)
                                   .U8(81)
                                   .U32(0))),
         KST_ERR_UNEXPECTED_TAG, 0},
        {"data ends inside the block",
         ByteWriter()
             .U8(100)
             .U8(0)
             .Framed(96, ByteWriter().U32(0).U8(0).I16(3).I16(3).U8(0).U16(12).I16(-1))
             .Raw(Element(5).Bytes()),
         KST_ERR_END_OF_DATA, 1},
        {"header shorter than its fields",
         ByteWriter().U8(100).U8(0).Framed(96, ByteWriter().U32(0)), KST_ERR_BAD_RECORD, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTProcessLayout read;
        EXPECT_EQ(ReadLayout(Container(c.records), read), c.expected);
        EXPECT_EQ(read.m_Entries.size(), c.entries);
    }

    CKSTDocFile closed;
    CKSTProcessLayout layout;
    EXPECT_EQ(closed.ReadProcessBlock(layout, nullptr), KST_ERR_FILE_NOT_OPEN);
    EXPECT_EQ(closed.WriteProcessBlock(layout), KST_ERR_FILE_NOT_OPEN);
}

TEST(DocFileProcess, ReaderSurvivesTruncationAndMutation)
{
    const KstBytes bytes =
        WriteToMemory([](CKSTDocFile& f) { return f.WriteProcessBlock(MakeLayout()); });
    ExpectRobustReads(bytes,
                      {KST_OK, KST_ERR_END_OF_DATA, KST_ERR_BAD_RECORD, KST_ERR_BLOCK_ID_MISMATCH,
                       KST_ERR_UNEXPECTED_TAG, KST_ERR_MISSING_RECORD, KST_ERR_TOO_LARGE},
                      [](const KstBytes& input) {
                          CKSTProcessLayout read;
                          return ReadLayout(input, read);
                      });
}

}  // namespace
