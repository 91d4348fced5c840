// Property entries (typed name/value pairs of a header list or a node message) and process
// blocks (the layout of a process window) in the native container.
//
// Property entry: tag by type, Count16 length, u8 flags (bit 0 hidden), u8 name length, name,
// value. Hidden entries are stored scrambled; the scrambling keeps every length, so the stored
// lengths are those of the plain texts.
//
// Process block: 'd' id, header, '=' fonts, ']' pictures, one 'I' per element followed by the
// records of its kind, 'e' id. The per-kind records map to the fields of the element settings
// (data/settings/ProcessLayout.h) as follows; "text" is a u16 length and the bytes, cut to 65535.
//
//   'O' text element:    text m_Text | u32 m_BackColor | u32 m_TextColor | u8 m_Alignment |
//                        u8 m_Frame | u8 m_Transparent | u16 m_FontIndex
//                        ('J' is the same without m_Transparent)
//   'b' value element:   text m_ChannelName | text m_GroupName | text m_Title |
//                        title part: u32 m_TitleTextColor, u32 m_TitleBackColor,
//                                    u8 m_TitleTransparent |
//                        value part: u32 m_ValueTextColor, u32 m_ValueBackColor,
//                                    u8 m_ValueTransparent |
//                        u32 m_LampActiveColor1, m_LampActiveColor2, m_LampPassiveColor |
//                        u8 m_DisplayType, m_TitleSide, m_TitleAlignment, m_ValueAlignment,
//                           m_Operator1, m_Operator2 |
//                        f64 m_Threshold1, m_Threshold2, m_SplitRatio |
//                        u8 m_FrameWidth, m_Frame, m_Precision | u32 m_FrameColor |
//                        u16 m_TitleFontIndex, u16 m_ValueFontIndex |
//                        u8 m_ShowGroup, u8 m_ShowUnit | u32 m_ChannelIndex | u32 reserved (0)
//                        ('Y' lacks m_Title; 'K' also the two final u32, so m_ChannelIndex
//                        stays -1)
//   'X' button:          text m_ChannelName (also m_Text) | text m_GroupName | u8 m_Style |
//                        u32 m_OnColor, m_OffColor, m_FrameColor, m_BackColor |
//                        u32 m_TextColor | u8 m_Transparent | u32 m_ChannelIndex |
//                        u16 m_FontIndex
//                        (m_GroupInTitle is not stored; the button's text always equals its
//                        name field)
//   'P' value sheet:     u8 m_ShowGroup | u8 m_ShowUnit | u16 m_FontIndex | u16 m_Alignment |
//                        u32 m_TextColor | u32 m_BackColor | u32 m_GridColor |
//                        u8 m_CellSpacing | u8 m_Decimals | u32 column count | u32 row count,
//                        then per column 'V' u32 m_Width, per row 'Q' text m_ChannelName,
//                        text m_GroupName (the rows' m_Extra and m_Kind and the columns' m_Text
//                        are not stored)
//   '_' picture:         u16 m_PictureIndex
//   'a' video:           u32 m_Number | text m_Host, m_User, m_Password, m_Description,
//                        m_RecordText1, m_RecordText2 | u32 m_CameraIndex, m_Fps, m_Width,
//                        m_Height | u16 m_InputFormat, m_OutputFormat | u8 m_DisplayOpen,
//                        m_Leader, m_NoRecord, m_ExtraFlag, m_Visible, m_ShowFrames |
//                        u32 m_WindowStyle | u8 m_Language
//
// A u8 holds the low byte of a wider field: the codes, flags, widths and counts kept there are
// below 256 (alignment codes up to 12, frame widths up to 100, decimals up to 20).

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>

#include "data/DocFile.h"
#include "data/DocFileTables.h"
#include "data/settings/ProcessLayout.h"
#include "foundation/ErrorCodes.h"
#include "foundation/HeaderInfoList.h"

namespace {

enum KstPropertyTag : uint8_t {
    kTagDoubleOld = 42,  // '*'
    kTagStringOld = 43,  // '+'
    kTagBool = 44,
    kTagShort = 45,
    kTagStringOlder = 46,  // '.': plain u16 length, flags and name length
    kTagLong = 47,
    kTagDoubleOlder = 48,  // '0': as '.'
    kTagDouble = 49,
    kTagString = 50,
    kTagInt64 = 51,
    kTagTime = 52,
    kTagPreciseTime = 53,
};

enum KstProcessTag : uint8_t {
    kTagFont = 61,
    kTagHeaderOld = 72,    // 'H'
    kTagElement = 73,      // 'I'
    kTagTextOld = 74,      // 'J'
    kTagValueOldest = 75,  // 'K'
    kTagText = 79,         // 'O'
    kTagValueSheet = 80,   // 'P'
    kTagSheetRow = 81,     // 'Q'
    kTagSheetColumn = 86,  // 'V'
    kTagButton = 88,       // 'X'
    kTagValueOld = 89,     // 'Y'
    kTagImage = 93,        // ']'
    kTagPicture = 95,      // '_'
    kTagHeader = 96,       // '`'
    kTagVideo = 97,        // 'a'
    kTagValue = 98,        // 'b'
};

// The id of the blocks nested in an element.
constexpr uint8_t kNestedBlockId = 1;
constexpr uint32_t kMaxNameLength = 255;

uint8_t TagOfType(int32_t type)
{
    switch (type) {
        case KST_HIT_BOOL:
            return kTagBool;
        case KST_HIT_SHORT:
            return kTagShort;
        case KST_HIT_LONG:
            return kTagLong;
        case KST_HIT_INT64:
            return kTagInt64;
        case KST_HIT_DOUBLE:
            return kTagDouble;
        case KST_HIT_STRING:
            return kTagString;
        case KST_HIT_TIME:
            return kTagTime;
        case KST_HIT_PRECISE_TIME:
            return kTagPreciseTime;
        default:
            return 0;
    }
}

bool IsOldPropertyTag(uint8_t tag)
{
    return tag == kTagDoubleOld || tag == kTagStringOld || tag == kTagStringOlder ||
           tag == kTagDoubleOlder;
}

// Reads the value of a property record into entry by the type its tag gives.
bool ReadPropertyValue(CKSTDocReader& r, uint8_t tag, bool hidden, CKSTHeaderInfoItem& entry)
{
    switch (tag) {
        case kTagBool: {
            uint8_t v;
            if (!r.ReadU8(v)) {
                return false;
            }
            entry.SetBool(v, hidden);
            return true;
        }
        case kTagShort: {
            int16_t v;
            if (!r.ReadI16(v)) {
                return false;
            }
            entry.SetShort(v, hidden);
            return true;
        }
        case kTagLong: {
            int32_t v;
            if (!r.ReadI32(v)) {
                return false;
            }
            entry.SetLong(v, hidden);
            return true;
        }
        case kTagInt64: {
            int64_t v;
            if (!r.ReadI64(v)) {
                return false;
            }
            entry.SetInt64(v, hidden);
            return true;
        }
        case kTagDouble:
        case kTagDoubleOld:
        case kTagDoubleOlder: {
            double v;
            if (!r.ReadF64(v)) {
                return false;
            }
            entry.SetDouble(v, hidden);
            return true;
        }
        case kTagString:
        case kTagStringOld: {
            CKSTString text;
            if (!r.ReadPropertyString(text)) {
                return false;
            }
            entry.SetString(text, hidden);
            return true;
        }
        case kTagStringOlder: {
            CKSTString text;
            if (!ReadText16(r, text)) {
                return false;
            }
            entry.SetString(text, hidden);
            return true;
        }
        case kTagTime: {
            double days;
            if (!r.ReadF64(days)) {
                return false;
            }
            entry.SetTime(CKSTTimeStamp(days), hidden);
            return true;
        }
        case kTagPreciseTime: {
            double days;
            double fraction;
            if (!r.ReadF64(days) || !r.ReadF64(fraction)) {
                return false;
            }
            entry.SetPreciseTime(CKSTTimeStamp(days, fraction), hidden);
            return true;
        }
        default:
            return false;
    }
}

void PutPropertyValue(CKSTDocRecord& p, const CKSTHeaderInfoItem& entry)
{
    switch (entry.m_type) {
        case KST_HIT_BOOL:
            p.PutU8(static_cast<uint8_t>(entry.m_longValue));
            break;
        case KST_HIT_SHORT:
            p.PutI16(entry.GetShort());
            break;
        case KST_HIT_LONG:
            p.PutI32(entry.m_longValue);
            break;
        case KST_HIT_INT64:
            p.PutI64(entry.m_int64Value);
            break;
        case KST_HIT_DOUBLE:
            p.PutF64(entry.m_doubleValue);
            break;
        case KST_HIT_STRING:
            p.PutPropertyString(entry.m_text);
            break;
        case KST_HIT_TIME:
            p.PutF64(entry.GetDouble());
            break;
        case KST_HIT_PRECISE_TIME:
            p.PutF64(entry.m_timeValue.GetSerialDays());
            p.PutF64(entry.m_timeValue.GetFraction());
            break;
        default:
            break;
    }
}

// --- Process block records ---

// Element rectangles are stored as i16 with ordered corners; coordinates beyond that range are
// clamped rather than wrapped, so an element never lands on the opposite side of the window.
int16_t ClampToI16(int32_t v)
{
    return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX));
}

void PutTextRecord(CKSTDocRecord& p, const CKSTTextElementSettings& t)
{
    PutText16(p, t.m_Text);
    p.PutU32(t.m_BackColor);
    p.PutU32(t.m_TextColor);
    p.PutU8(static_cast<uint8_t>(t.m_Alignment));
    p.PutU8(t.m_Frame);
    p.PutU8(t.m_Transparent);
    p.PutI16(t.m_FontIndex);
}

bool ReadTextRecord(CKSTDocReader& r, CKSTTextElementSettings& t, bool old)
{
    uint8_t alignment;
    if (!ReadText16(r, t.m_Text) || !r.ReadU32(t.m_BackColor) || !r.ReadU32(t.m_TextColor) ||
        !r.ReadU8(alignment) || !r.ReadU8(t.m_Frame) || (!old && !r.ReadU8(t.m_Transparent)) ||
        !r.ReadI16(t.m_FontIndex)) {
        return false;
    }
    t.m_Alignment = alignment;
    return true;
}

void PutDisplayPart(CKSTDocRecord& p, uint32_t textColor, uint32_t backColor, uint32_t transparent)
{
    p.PutU32(textColor);
    p.PutU32(backColor);
    p.PutU8(static_cast<uint8_t>(transparent));
}

bool ReadDisplayPart(CKSTDocReader& r, uint32_t& textColor, uint32_t& backColor,
                     uint32_t& transparent)
{
    uint8_t flag;
    if (!r.ReadU32(textColor) || !r.ReadU32(backColor) || !r.ReadU8(flag)) {
        return false;
    }
    transparent = flag;
    return true;
}

bool ReadU8To(CKSTDocReader& r, uint32_t& field)
{
    uint8_t v;
    if (!r.ReadU8(v)) {
        return false;
    }
    field = v;
    return true;
}

bool ReadU8To(CKSTDocReader& r, int32_t& field)
{
    uint8_t v;
    if (!r.ReadU8(v)) {
        return false;
    }
    field = v;
    return true;
}

void PutValueRecord(CKSTDocRecord& p, const CKSTValueElementSettings& v)
{
    PutText16(p, v.m_ChannelName);
    PutText16(p, v.m_GroupName);
    PutText16(p, v.m_Title);
    PutDisplayPart(p, v.m_TitleTextColor, v.m_TitleBackColor, v.m_TitleTransparent);
    PutDisplayPart(p, v.m_ValueTextColor, v.m_ValueBackColor, v.m_ValueTransparent);
    p.PutU32(v.m_LampActiveColor1);
    p.PutU32(v.m_LampActiveColor2);
    p.PutU32(v.m_LampPassiveColor);
    for (uint32_t code : {v.m_DisplayType, v.m_TitleSide, v.m_TitleAlignment, v.m_ValueAlignment,
                          v.m_Operator1, v.m_Operator2}) {
        p.PutU8(static_cast<uint8_t>(code));
    }
    p.PutF64(v.m_Threshold1);
    p.PutF64(v.m_Threshold2);
    p.PutF64(v.m_SplitRatio);
    p.PutU8(static_cast<uint8_t>(v.m_FrameWidth));
    p.PutU8(static_cast<uint8_t>(v.m_Frame));
    p.PutU8(static_cast<uint8_t>(v.m_Precision));
    p.PutU32(v.m_FrameColor);
    p.PutI16(v.m_TitleFontIndex);
    p.PutI16(v.m_ValueFontIndex);
    p.PutU8(v.m_ShowGroup);
    p.PutU8(v.m_ShowUnit);
    p.PutI32(v.m_ChannelIndex);
    p.PutU32(0);
}

// tag 'b' current, 'Y' without the title, 'K' also without the two final u32.
bool ReadValueRecord(CKSTDocReader& r, CKSTValueElementSettings& v, uint8_t tag)
{
    if (!ReadText16(r, v.m_ChannelName) || !ReadText16(r, v.m_GroupName) ||
        (tag == kTagValue && !ReadText16(r, v.m_Title))) {
        return false;
    }
    if (!ReadDisplayPart(r, v.m_TitleTextColor, v.m_TitleBackColor, v.m_TitleTransparent) ||
        !ReadDisplayPart(r, v.m_ValueTextColor, v.m_ValueBackColor, v.m_ValueTransparent) ||
        !r.ReadU32(v.m_LampActiveColor1) || !r.ReadU32(v.m_LampActiveColor2) ||
        !r.ReadU32(v.m_LampPassiveColor)) {
        return false;
    }
    for (uint32_t* code : {&v.m_DisplayType, &v.m_TitleSide, &v.m_TitleAlignment,
                           &v.m_ValueAlignment, &v.m_Operator1, &v.m_Operator2}) {
        if (!ReadU8To(r, *code)) {
            return false;
        }
    }
    if (!r.ReadF64(v.m_Threshold1) || !r.ReadF64(v.m_Threshold2) || !r.ReadF64(v.m_SplitRatio) ||
        !ReadU8To(r, v.m_FrameWidth) || !ReadU8To(r, v.m_Frame) || !ReadU8To(r, v.m_Precision) ||
        !r.ReadU32(v.m_FrameColor) || !r.ReadI16(v.m_TitleFontIndex) ||
        !r.ReadI16(v.m_ValueFontIndex) || !r.ReadU8(v.m_ShowGroup) || !r.ReadU8(v.m_ShowUnit)) {
        return false;
    }
    if (tag == kTagValueOldest) {
        return true;
    }
    uint32_t reserved;
    return r.ReadI32(v.m_ChannelIndex) && r.ReadU32(reserved);
}

void PutButtonRecord(CKSTDocRecord& p, const CKSTButtonElementSettings& b)
{
    PutText16(p, b.m_ChannelName);
    PutText16(p, b.m_GroupName);
    p.PutU8(static_cast<uint8_t>(b.m_Style));
    p.PutU32(b.m_OnColor);
    p.PutU32(b.m_OffColor);
    p.PutU32(b.m_FrameColor);
    p.PutU32(b.m_BackColor);
    p.PutU32(b.m_TextColor);
    p.PutU8(b.m_Transparent);
    p.PutI32(b.m_ChannelIndex);
    p.PutI16(b.m_FontIndex);
}

bool ReadButtonRecord(CKSTDocReader& r, CKSTButtonElementSettings& b)
{
    if (!ReadText16(r, b.m_ChannelName) || !ReadText16(r, b.m_GroupName) ||
        !ReadU8To(r, b.m_Style) || !r.ReadU32(b.m_OnColor) || !r.ReadU32(b.m_OffColor) ||
        !r.ReadU32(b.m_FrameColor) || !r.ReadU32(b.m_BackColor) || !r.ReadU32(b.m_TextColor) ||
        !r.ReadU8(b.m_Transparent) || !r.ReadI32(b.m_ChannelIndex) || !r.ReadI16(b.m_FontIndex)) {
        return false;
    }
    b.m_Text = b.m_ChannelName;
    return true;
}

void PutValueSheetRecord(CKSTDocRecord& p, const CKSTValueSheetSettings& s)
{
    p.PutU8(s.m_ShowGroup);
    p.PutU8(s.m_ShowUnit);
    p.PutI16(s.m_FontIndex);
    p.PutU16(static_cast<uint16_t>(s.m_Alignment));
    p.PutU32(s.m_TextColor);
    p.PutU32(s.m_BackColor);
    p.PutU32(s.m_GridColor);
    p.PutU8(static_cast<uint8_t>(s.m_CellSpacing));
    p.PutU8(static_cast<uint8_t>(s.m_Decimals));
    p.PutU32(static_cast<uint32_t>(s.m_Columns.size()));
    p.PutU32(static_cast<uint32_t>(s.m_Rows.size()));
    // The column and row records follow inside the record's length.
    for (const CKSTValueSheetColumn& column : s.m_Columns) {
        p.PutU8(kTagSheetColumn);
        p.PutU32(column.m_Width);
    }
    for (const CKSTValueSheetRow& row : s.m_Rows) {
        p.PutU8(kTagSheetRow);
        PutText16(p, row.m_ChannelName);
        PutText16(p, row.m_GroupName);
    }
}

int ReadValueSheetRecord(CKSTDocReader& r, CKSTValueSheetSettings& s)
{
    uint16_t alignment;
    uint8_t spacing;
    uint8_t decimals;
    uint32_t columnCount;
    uint32_t rowCount;
    if (!r.ReadU8(s.m_ShowGroup) || !r.ReadU8(s.m_ShowUnit) || !r.ReadI16(s.m_FontIndex) ||
        !r.ReadU16(alignment) || !r.ReadU32(s.m_TextColor) || !r.ReadU32(s.m_BackColor) ||
        !r.ReadU32(s.m_GridColor) || !r.ReadU8(spacing) || !r.ReadU8(decimals) ||
        !r.ReadU32(columnCount) || !r.ReadU32(rowCount)) {
        return KST_ERR_BAD_RECORD;
    }
    s.m_Alignment = alignment;
    s.m_CellSpacing = spacing;
    s.m_Decimals = decimals;
    // Every column and row record takes at least 5 bytes: counts that the record cannot hold
    // are refused before anything is reserved.
    const uint64_t minimum = (static_cast<uint64_t>(columnCount) + rowCount) * 5;
    if (minimum > r.GetRemaining()) {
        return KST_ERR_BAD_RECORD;
    }
    s.m_Columns.clear();
    s.m_Rows.clear();
    s.m_Columns.reserve(columnCount);
    s.m_Rows.reserve(rowCount);
    for (uint64_t i = 0; i < static_cast<uint64_t>(columnCount) + rowCount; ++i) {
        uint8_t tag;
        if (!r.ReadU8(tag)) {
            return KST_ERR_BAD_RECORD;
        }
        if (tag == kTagSheetColumn && s.m_Columns.size() < columnCount) {
            CKSTValueSheetColumn column;
            if (!r.ReadU32(column.m_Width)) {
                return KST_ERR_BAD_RECORD;
            }
            s.m_Columns.push_back(column);
        } else if (tag == kTagSheetRow && s.m_Rows.size() < rowCount) {
            CKSTValueSheetRow row;
            if (!ReadText16(r, row.m_ChannelName) || !ReadText16(r, row.m_GroupName)) {
                return KST_ERR_BAD_RECORD;
            }
            s.m_Rows.push_back(row);
        } else {
            return KST_ERR_UNEXPECTED_TAG;
        }
    }
    return KST_OK;
}

void PutVideoRecord(CKSTDocRecord& p, const CKSTVideoElementSettings& v)
{
    p.PutU32(v.m_Number);
    for (const CKSTString* text : {&v.m_Host, &v.m_User, &v.m_Password, &v.m_Description,
                                   &v.m_RecordText1, &v.m_RecordText2}) {
        PutText16(p, *text);
    }
    p.PutU32(v.m_CameraIndex);
    p.PutU32(v.m_Fps);
    p.PutU32(v.m_Width);
    p.PutU32(v.m_Height);
    p.PutU16(v.m_InputFormat);
    p.PutU16(v.m_OutputFormat);
    for (uint8_t flag :
         {v.m_DisplayOpen, v.m_Leader, v.m_NoRecord, v.m_ExtraFlag, v.m_Visible, v.m_ShowFrames}) {
        p.PutU8(flag);
    }
    p.PutU32(v.m_WindowStyle);
    p.PutU8(static_cast<uint8_t>(v.m_Language));
}

bool ReadVideoRecord(CKSTDocReader& r, CKSTVideoElementSettings& v)
{
    if (!r.ReadU32(v.m_Number)) {
        return false;
    }
    for (CKSTString* text : {&v.m_Host, &v.m_User, &v.m_Password, &v.m_Description,
                             &v.m_RecordText1, &v.m_RecordText2}) {
        if (!ReadText16(r, *text)) {
            return false;
        }
    }
    if (!r.ReadU32(v.m_CameraIndex) || !r.ReadU32(v.m_Fps) || !r.ReadU32(v.m_Width) ||
        !r.ReadU32(v.m_Height) || !r.ReadU16(v.m_InputFormat) || !r.ReadU16(v.m_OutputFormat)) {
        return false;
    }
    for (uint8_t* flag : {&v.m_DisplayOpen, &v.m_Leader, &v.m_NoRecord, &v.m_ExtraFlag,
                          &v.m_Visible, &v.m_ShowFrames}) {
        if (!r.ReadU8(*flag)) {
            return false;
        }
    }
    return r.ReadU32(v.m_WindowStyle) && ReadU8To(r, v.m_Language);
}

// The framed record after a tag already read: its fields through read, which returns false
// when the record runs short. KST_ERR_END_OF_DATA when the record passes the end of the data.
template <class Read>
int ReadFramed(CKSTDocReader& records, Read&& read)
{
    CKSTDocReader record;
    if (!records.TakeFramedRecord(record)) {
        return KST_ERR_END_OF_DATA;
    }
    return read(record) ? KST_OK : KST_ERR_BAD_RECORD;
}

// Reads a nested block's opening: 'd' and the id 1.
int ReadNestedBegin(CKSTDocReader& records)
{
    uint8_t tag;
    if (records.ReadTag(tag) != KST_OK) {
        return KST_ERR_END_OF_DATA;
    }
    if (tag != KST_TAG_BLOCK_BEGIN) {
        return KST_ERR_MISSING_RECORD;
    }
    uint8_t id;
    if (!records.ReadU8(id)) {
        return KST_ERR_END_OF_DATA;
    }
    return id == kNestedBlockId ? KST_OK : KST_ERR_UNEXPECTED_TAG;
}

// The id after a nested block's 'e' (the tag itself already read).
int ReadNestedEndId(CKSTDocReader& records)
{
    uint8_t id;
    if (!records.ReadU8(id)) {
        return KST_ERR_END_OF_DATA;
    }
    return id == kNestedBlockId ? KST_OK : KST_ERR_BLOCK_ID_MISMATCH;
}

// The next tag when it is the wanted one (the reader then stands after it); otherwise the
// reader stays where it was.
bool NextTagIs(CKSTDocReader& records, uint8_t wanted)
{
    const size_t start = records.GetPosition();
    uint8_t tag;
    if (records.ReadTag(tag) == KST_OK && tag == wanted) {
        return true;
    }
    records.SetPosition(start);
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Property entries

int CKSTDocFile::WritePropertyEntry(const CKSTHeaderInfoItem& entry)
{
    const int check = CheckWritable();
    if (check != KST_OK) {
        return check;
    }
    const uint8_t tag = TagOfType(entry.m_type);
    if (tag == 0) {
        return KST_ERR_UNKNOWN_PROPERTY_TYPE;
    }
    CKSTHeaderInfoItem stored = entry;
    // Cut before scrambling, so that what is stored unscrambles to the cut plain texts.
    if (static_cast<uint32_t>(stored.m_name.GetLength()) > kMaxNameLength) {
        stored.m_name = stored.m_name.Left(kMaxNameLength);
    }
    if (stored.m_type == KST_HIT_STRING &&
        static_cast<uint32_t>(stored.m_text.GetLength()) > CKSTDocRecord::kMaxPropertyString) {
        stored.m_text = stored.m_text.Left(CKSTDocRecord::kMaxPropertyString);
    }
    stored.Scramble(KST_SCRAMBLE_RANMAR, false);

    CKSTDocRecord p;
    p.PutU8(stored.m_hidden != 0 ? 1 : 0);
    p.PutU8(static_cast<uint8_t>(stored.m_name.GetLength()));
    p.PutBytes(stored.m_name.c_str(), static_cast<size_t>(stored.m_name.GetLength()));
    PutPropertyValue(p, stored);
    Seek(0, 2);
    return WriteFramedRecord(tag, p);
}

int CKSTDocFile::ReadPropertyEntry(CKSTDocReader& records, CKSTHeaderInfoItem& entry, uint8_t tag)
{
    if (!IsPropertyTag(tag)) {
        return KST_OK;
    }
    CKSTDocReader r;
    const bool wideHead = tag == kTagStringOlder || tag == kTagDoubleOlder;
    if (wideHead) {
        const size_t start = records.GetPosition();
        uint16_t length;
        if (!records.ReadU16(length) || !records.TakeRecord(length, r)) {
            records.SetPosition(start);
            return KST_ERR_END_OF_DATA;
        }
    } else if (!records.TakeFramedRecord(r)) {
        return KST_ERR_END_OF_DATA;
    }

    uint32_t flags = 0;
    uint32_t nameLength = 0;
    if (wideHead) {
        uint16_t f;
        uint16_t n;
        if (!r.ReadU16(f) || !r.ReadU16(n)) {
            return KST_ERR_BAD_RECORD;
        }
        flags = f;
        nameLength = n;
    } else {
        uint8_t f;
        uint8_t n;
        if (!r.ReadU8(f) || !r.ReadU8(n)) {
            return KST_ERR_BAD_RECORD;
        }
        flags = f;
        nameLength = n;
    }
    if (nameLength > r.GetRemaining()) {
        return KST_ERR_BAD_RECORD;
    }
    CKSTHeaderInfoItem item;
    item.m_name.Assign(reinterpret_cast<const char*>(r.GetCurrent()), static_cast<int>(nameLength));
    r.Skip(nameLength);
    if (!ReadPropertyValue(r, tag, (flags & 1) != 0, item)) {
        return KST_ERR_BAD_RECORD;
    }
    item.Unscramble(IsOldPropertyTag(tag) ? KST_SCRAMBLE_CRT : KST_SCRAMBLE_RANMAR, false);
    entry = item;
    return KST_OK;
}

int WriteKxdPropertyList(CKSTDocFile& file, const CKSTHeaderInfoList& list)
{
    const int count = list.GetCount(true);
    for (int i = 0; i < count; ++i) {
        const int result = file.WritePropertyEntry(list.GetItem(i));
        if (result != KST_OK) {
            return result;
        }
    }
    return KST_OK;
}

int ReadKxdPropertyList(CKSTDocFile& file, CKSTHeaderInfoList& list, uint8_t* newerKinds)
{
    if (newerKinds != nullptr) {
        *newerKinds = 0;
    }
    if (!file.IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    CKSTDocImage image;
    const int result = file.LoadImage(image);
    if (result != KST_OK) {
        return result;
    }
    return ReadKxdPropertyList(file, image.GetRecords(), list, newerKinds);
}

int ReadKxdPropertyList(CKSTDocFile& file, const CKSTDocReader& records, CKSTHeaderInfoList& list,
                        uint8_t* newerKinds)
{
    uint8_t newer = 0;
    list.Clear();
    CKSTDocReader r = records;
    r.SetPosition(std::min<size_t>(kDocMagicSize, r.GetSize()));
    int result = KST_OK;
    for (;;) {
        uint8_t tag;
        if (r.ReadTag(tag) != KST_OK) {
            break;
        }
        if (IsPropertyTag(tag)) {
            CKSTHeaderInfoItem item;
            result = file.ReadPropertyEntry(r, item, tag);
            if (result != KST_OK) {
                // An entry cut off by the end of the data ends the list with what was read.
                if (result == KST_ERR_END_OF_DATA) {
                    result = KST_OK;
                }
                break;
            }
            // A second entry of the same name and hidden flag with another type is dropped;
            // the first one stands.
            list.Add(item);
            continue;
        }
        if (IsBlockBracketTag(tag)) {
            uint8_t id;
            if (!r.ReadU8(id)) {
                break;
            }
            continue;
        }
        if (r.SkipByClass(tag, &newer) != KST_OK) {
            break;
        }
    }
    if (newerKinds != nullptr) {
        *newerKinds = newer;
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Process block

int CKSTDocFile::WriteProcessBlock(const CKSTProcessLayout& layout, uint8_t blockId)
{
    int result = CheckWritable();
    if (result != KST_OK) {
        return result;
    }
    if (layout.m_Fonts.size() > kMaxTableIndex + 1 ||
        layout.m_Pictures.size() > kMaxTableIndex + 1) {
        return KST_ERR_TOO_LARGE;
    }
    CKSTDocRecord p;
    auto write = [&](uint8_t tag) {
        const int r = WriteFramedRecord(tag, p);
        p.Clear();
        return r;
    };
    auto bracket = [&](uint8_t tag, uint8_t id) {
        const uint8_t bytes[2] = {tag, id};
        return WriteBytes(bytes, 2);
    };

    if ((result = bracket(KST_TAG_BLOCK_BEGIN, blockId)) != KST_OK) {
        return result;
    }
    p.PutU32(layout.m_BackgroundColor);
    p.PutU8(layout.m_Gradient);
    p.PutI16(layout.m_GridStepX);
    p.PutI16(layout.m_GridStepY);
    p.PutU8(layout.m_WindowFlag);
    p.PutU16(layout.m_PicturePosition);
    p.PutI16(layout.m_PictureIndex);
    if ((result = write(kTagHeader)) != KST_OK) {
        return result;
    }
    for (size_t i = 0; i < layout.m_Fonts.size(); ++i) {
        PutFontTableRecord(p, static_cast<uint32_t>(i), *layout.m_Fonts[i]);
        if ((result = write(kTagFont)) != KST_OK) {
            return result;
        }
    }
    for (size_t i = 0; i < layout.m_Pictures.size(); ++i) {
        PutImageTableRecord(p, static_cast<uint32_t>(i), *layout.m_Pictures[i]);
        if ((result = write(kTagImage)) != KST_OK) {
            return result;
        }
    }

    for (size_t i = 0; i < layout.m_Entries.size(); ++i) {
        const CKSTElementSnapshot& e = *layout.m_Entries[i];
        // Readers do not use the element's position; it is kept for older readers.
        p.PutU16(static_cast<uint16_t>(std::min<size_t>(i, 0xFFFF)));
        p.PutU8(static_cast<uint8_t>(e.m_Kind));
        p.PutI16(ClampToI16(std::min(e.m_Left, e.m_Right)));
        p.PutI16(ClampToI16(std::min(e.m_Top, e.m_Bottom)));
        p.PutI16(ClampToI16(std::max(e.m_Left, e.m_Right)));
        p.PutI16(ClampToI16(std::max(e.m_Top, e.m_Bottom)));
        if ((result = write(kTagElement)) != KST_OK) {
            return result;
        }

        // Kinds whose reader requires a record get a default one when the entry has none, so
        // that the block stays readable.
        switch (e.m_Kind) {
            case KST_ELEMENT_TEXT:
                PutTextRecord(p, e.m_TextSettings ? *e.m_TextSettings : CKSTTextElementSettings());
                result = write(kTagText);
                break;
            case KST_ELEMENT_VALUE:
                PutValueRecord(p,
                               e.m_ValueSettings ? *e.m_ValueSettings : CKSTValueElementSettings());
                result = write(kTagValue);
                break;
            case KST_ELEMENT_BAR:
            case KST_ELEMENT_CURVE:
            case KST_ELEMENT_METER:
                result = bracket(KST_TAG_BLOCK_BEGIN, kNestedBlockId);
                if (result == KST_OK) {
                    result = WriteCurveWndSettings(
                        e.m_CurveSettings ? *e.m_CurveSettings : CKSTCurveWndSettings(), true);
                }
                if (result == KST_OK) {
                    result = bracket(KST_TAG_BLOCK_END, kNestedBlockId);
                }
                break;
            case KST_ELEMENT_VALUE_SHEET:
                result = bracket(KST_TAG_BLOCK_BEGIN, kNestedBlockId);
                if (result == KST_OK) {
                    PutValueSheetRecord(p, e.m_ValueSheetSettings ? *e.m_ValueSheetSettings
                                                                  : CKSTValueSheetSettings());
                    result = write(kTagValueSheet);
                }
                if (result == KST_OK) {
                    result = bracket(KST_TAG_BLOCK_END, kNestedBlockId);
                }
                break;
            case KST_ELEMENT_BUTTON:
                if (e.m_ButtonSettings) {
                    PutButtonRecord(p, *e.m_ButtonSettings);
                    result = write(kTagButton);
                }
                break;
            case KST_ELEMENT_PICTURE:
                if (e.m_PictureSettings) {
                    p.PutI16(e.m_PictureSettings->m_PictureIndex);
                    result = write(kTagPicture);
                }
                break;
            case KST_ELEMENT_VIDEO:
                if (e.m_VideoSettings) {
                    PutVideoRecord(p, *e.m_VideoSettings);
                    result = write(kTagVideo);
                }
                break;
            default:
                break;
        }
        if (result != KST_OK) {
            return result;
        }
    }
    return bracket(KST_TAG_BLOCK_END, blockId);
}

int CKSTDocFile::ReadProcessBlock(CKSTProcessLayout& layout, uint8_t* newerKinds)
{
    if (newerKinds != nullptr) {
        *newerKinds = 0;
    }
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    CKSTDocImage image;
    const int result = LoadImage(image);
    if (result != KST_OK) {
        return result;
    }
    return ReadProcessBlock(image.GetRecords(), layout, newerKinds);
}

int CKSTDocFile::ReadProcessBlock(const CKSTDocReader& records, CKSTProcessLayout& layout,
                                  uint8_t* newerKinds)
{
    uint8_t newer = 0;
    CKSTDocReader r = records;
    r.SetPosition(std::min<size_t>(kDocMagicSize, r.GetSize()));

    // The body of one block after 'd' and its id, up to and including the matching 'e'.
    auto readBlock = [&](uint8_t blockId) -> int {
        uint8_t tag;
        if (r.ReadTag(tag) != KST_OK) {
            return KST_ERR_END_OF_DATA;
        }
        if (tag != kTagHeader && tag != kTagHeaderOld) {
            return KST_ERR_UNEXPECTED_TAG;
        }
        int result = ReadFramed(r, [&](CKSTDocReader& h) {
            bool ok = h.ReadU32(layout.m_BackgroundColor) && h.ReadU8(layout.m_Gradient) &&
                      h.ReadI16(layout.m_GridStepX) && h.ReadI16(layout.m_GridStepY) &&
                      h.ReadU8(layout.m_WindowFlag);
            if (ok && tag == kTagHeader) {
                ok = h.ReadU16(layout.m_PicturePosition) && h.ReadI16(layout.m_PictureIndex);
            }
            return ok;
        });
        if (result != KST_OK) {
            return result;
        }
        for (;;) {
            if (r.ReadTag(tag) != KST_OK) {
                return KST_ERR_END_OF_DATA;
            }
            switch (tag) {
                case kTagFont:
                case kTagImage: {
                    CKSTDocReader record;
                    if (!r.TakeFramedRecord(record)) {
                        return KST_ERR_END_OF_DATA;
                    }
                    result = tag == kTagFont ? ReadFontTableRecord(record, layout.m_Fonts)
                                             : ReadImageTableRecord(record, layout.m_Pictures);
                    break;
                }
                case kTagElement:
                    result = ReadProcessElement(r, layout, &newer);
                    break;
                case KST_TAG_BLOCK_END: {
                    uint8_t id;
                    if (!r.ReadU8(id)) {
                        return KST_ERR_END_OF_DATA;
                    }
                    return id == blockId ? KST_OK : KST_ERR_BLOCK_ID_MISMATCH;
                }
                default:
                    return KST_ERR_UNEXPECTED_TAG;
            }
            if (result != KST_OK) {
                return result;
            }
        }
    };

    int result = KST_OK;
    for (;;) {
        uint8_t tag;
        if (r.ReadTag(tag) != KST_OK) {
            break;
        }
        if (IsBlockBracketTag(tag)) {
            uint8_t id;
            if (!r.ReadU8(id)) {
                result = tag == KST_TAG_BLOCK_BEGIN ? KST_ERR_END_OF_DATA : KST_OK;
                break;
            }
            if (tag == KST_TAG_BLOCK_END) {
                continue;  // an end without a block is skipped like any other stray record
            }
            result = readBlock(id);
            if (result != KST_OK) {
                break;
            }
            continue;
        }
        if (r.SkipByClass(tag, &newer) != KST_OK) {
            break;
        }
    }
    if (newerKinds != nullptr) {
        *newerKinds = newer;
    }
    return result;
}

int CKSTDocFile::ReadProcessElement(CKSTDocReader& records, CKSTProcessLayout& layout,
                                    uint8_t* newerKinds)
{
    auto entry = std::make_unique<CKSTElementSnapshot>();
    CKSTElementSnapshot& e = *entry;
    int result = ReadFramed(records, [&](CKSTDocReader& r) {
        uint16_t index;
        uint8_t kind;
        int16_t left;
        int16_t top;
        int16_t right;
        int16_t bottom;
        if (!r.ReadU16(index) || !r.ReadU8(kind) || !r.ReadI16(left) || !r.ReadI16(top) ||
            !r.ReadI16(right) || !r.ReadI16(bottom)) {
            return false;
        }
        e.m_Kind = kind;
        e.m_Left = left;
        e.m_Top = top;
        e.m_Right = right;
        e.m_Bottom = bottom;
        return true;
    });
    if (result != KST_OK) {
        return result;
    }

    // The record a kind requires: one of the accepted tags must come next.
    auto requireTag = [&](std::initializer_list<uint8_t> accepted, uint8_t& tag) -> int {
        if (records.ReadTag(tag) != KST_OK) {
            return KST_ERR_END_OF_DATA;
        }
        return std::find(accepted.begin(), accepted.end(), tag) != accepted.end()
                   ? KST_OK
                   : KST_ERR_MISSING_RECORD;
    };

    uint8_t tag = 0;
    switch (e.m_Kind) {
        case KST_ELEMENT_TEXT:
            e.m_TextSettings = std::make_unique<CKSTTextElementSettings>();
            result = requireTag({kTagText, kTagTextOld}, tag);
            if (result == KST_OK) {
                result = ReadFramed(records, [&](CKSTDocReader& r) {
                    return ReadTextRecord(r, *e.m_TextSettings, tag == kTagTextOld);
                });
            }
            break;
        case KST_ELEMENT_VALUE:
            e.m_ValueSettings = std::make_unique<CKSTValueElementSettings>();
            result = requireTag({kTagValue, kTagValueOld, kTagValueOldest}, tag);
            if (result == KST_OK) {
                result = ReadFramed(records, [&](CKSTDocReader& r) {
                    return ReadValueRecord(r, *e.m_ValueSettings, tag);
                });
            }
            break;
        case KST_ELEMENT_BAR:
        case KST_ELEMENT_CURVE:
        case KST_ELEMENT_METER: {
            e.m_CurveSettings = std::make_unique<CKSTCurveWndSettings>();
            result = ReadNestedBegin(records);
            if (result != KST_OK) {
                break;
            }
            const int settings =
                ReadSettingsRecords(records, *e.m_CurveSettings, true, newerKinds, true);
            if (settings != KST_OK && settings != KST_ERR_NO_SETTINGS) {
                result = settings;
                break;
            }
            // The set stops after 'e'; at the end of the data there is no id to read.
            result = ReadNestedEndId(records);
            if (result == KST_OK && settings == KST_ERR_NO_SETTINGS) {
                result = KST_ERR_MISSING_RECORD;
            }
            break;
        }
        case KST_ELEMENT_VALUE_SHEET:
            e.m_ValueSheetSettings = std::make_unique<CKSTValueSheetSettings>();
            result = ReadNestedBegin(records);
            if (result == KST_OK) {
                result = requireTag({kTagValueSheet}, tag);
            }
            if (result == KST_OK) {
                CKSTDocReader record;
                result = records.TakeFramedRecord(record)
                             ? ReadValueSheetRecord(record, *e.m_ValueSheetSettings)
                             : KST_ERR_END_OF_DATA;
            }
            if (result == KST_OK) {
                if (records.ReadTag(tag) != KST_OK) {
                    result = KST_ERR_END_OF_DATA;
                } else if (tag != KST_TAG_BLOCK_END) {
                    result = KST_ERR_UNEXPECTED_TAG;
                } else {
                    result = ReadNestedEndId(records);
                }
            }
            break;
        // The remaining kinds may come without their record.
        case KST_ELEMENT_BUTTON:
            if (NextTagIs(records, kTagButton)) {
                e.m_ButtonSettings = std::make_unique<CKSTButtonElementSettings>();
                result = ReadFramed(records, [&](CKSTDocReader& r) {
                    return ReadButtonRecord(r, *e.m_ButtonSettings);
                });
            }
            break;
        case KST_ELEMENT_PICTURE:
            if (NextTagIs(records, kTagPicture)) {
                e.m_PictureSettings = std::make_unique<CKSTPictureElementSettings>();
                result = ReadFramed(records, [&](CKSTDocReader& r) {
                    return r.ReadI16(e.m_PictureSettings->m_PictureIndex);
                });
            }
            break;
        case KST_ELEMENT_VIDEO:
            if (NextTagIs(records, kTagVideo)) {
                e.m_VideoSettings = std::make_unique<CKSTVideoElementSettings>();
                result = ReadFramed(records, [&](CKSTDocReader& r) {
                    return ReadVideoRecord(r, *e.m_VideoSettings);
                });
            }
            break;
        default:
            break;
    }
    if (result == KST_OK) {
        layout.m_Entries.push_back(std::move(entry));
    }
    return result;
}
