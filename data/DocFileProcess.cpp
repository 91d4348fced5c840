// Process blocks of the native container: the layout of a process window.
//
// Block: 'd' id, header, '=' fonts, ']' pictures, one 'I' per element followed by the records
// of its kind, 'e' id. Each record is described once below (data/DocFields.h); "text" there is
// a u16 length and the bytes, cut to 65535. Element kinds store, after their 'I' record:
//
//   text              'O' (older 'J' without the transparency flag); required
//   value or lamp     'b' (older 'Y' without the title, oldest 'K' also without the channel
//                     index); required
//   bar, curve, meter a curve-window settings set without events in a nested block; required
//   value sheet       'P' in a nested block, its columns and rows inside; required
//   button, picture,  'X', '_', 'a'; may be missing
//   video
//
// Writers give an entry without the record its kind requires a default one, so that the block
// stays readable. A u8 holds the low byte of a wider field: the codes, flags, widths and counts
// kept there are below 256 (alignment codes up to 12, frame widths up to 100, decimals up to
// 20).

#include <algorithm>
#include <cstdint>
#include <memory>

#include "data/DocFields.h"
#include "data/DocFile.h"
#include "data/DocFileTables.h"
#include "data/settings/ProcessLayout.h"
#include "foundation/ErrorCodes.h"

namespace {

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

// --- Record descriptions; tag is the stored form where older forms differ ---

template <class Io, class L>
bool VisitHeader(Io& io, L& layout, uint8_t tag)
{
    return io.U32(layout.m_BackgroundColor) && io.U8(layout.m_Gradient) &&
           io.I16(layout.m_GridStepX) && io.I16(layout.m_GridStepY) && io.U8(layout.m_WindowFlag) &&
           (tag == kTagHeaderOld ||
            (io.U16(layout.m_PicturePosition) && io.I16(layout.m_PictureIndex)));
}

// The 'I' record. Readers do not use the element's position; it is kept for older readers.
struct ElementHead {
    uint16_t position = 0;
    uint8_t kind = 0;
    int16_t left = 0;
    int16_t top = 0;
    int16_t right = 0;
    int16_t bottom = 0;
};

template <class Io, class H>
bool VisitElementHead(Io& io, H& head)
{
    return io.U16(head.position) && io.U8(head.kind) && io.I16(head.left) && io.I16(head.top) &&
           io.I16(head.right) && io.I16(head.bottom);
}

// Element rectangles are stored as i16 with ordered corners; coordinates beyond that range are
// clamped rather than wrapped, so an element never lands on the opposite side of the window.
int16_t ClampToI16(int32_t v)
{
    return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX));
}

ElementHead HeadOf(const CKSTElementSnapshot& e, size_t position)
{
    ElementHead head;
    head.position = static_cast<uint16_t>(std::min<size_t>(position, 0xFFFF));
    head.kind = static_cast<uint8_t>(e.m_Kind);
    head.left = ClampToI16(std::min(e.m_Left, e.m_Right));
    head.top = ClampToI16(std::min(e.m_Top, e.m_Bottom));
    head.right = ClampToI16(std::max(e.m_Left, e.m_Right));
    head.bottom = ClampToI16(std::max(e.m_Top, e.m_Bottom));
    return head;
}

// The records of one form per kind; the last parameter only picks the overload by the record's
// type (the record itself is const for writing).
template <class Io, class T>
bool VisitRecord(Io& io, T& t, uint8_t tag, const CKSTTextElementSettings&)
{
    return io.Text16(t.m_Text) && io.U32(t.m_BackColor) && io.U32(t.m_TextColor) &&
           io.U8Of(t.m_Alignment) && io.U8(t.m_Frame) &&
           (tag == kTagTextOld || io.U8(t.m_Transparent)) && io.I16(t.m_FontIndex);
}

template <class Io, class V>
bool VisitRecord(Io& io, V& v, uint8_t tag, const CKSTValueElementSettings&)
{
    uint32_t reserved = 0;
    return io.Text16(v.m_ChannelName) && io.Text16(v.m_GroupName) &&
           (tag != kTagValue || io.Text16(v.m_Title)) &&
           // the title part, then the value part of the display
           io.U32(v.m_TitleTextColor) && io.U32(v.m_TitleBackColor) &&
           io.U8Of(v.m_TitleTransparent) && io.U32(v.m_ValueTextColor) &&
           io.U32(v.m_ValueBackColor) && io.U8Of(v.m_ValueTransparent) &&
           io.U32(v.m_LampActiveColor1) && io.U32(v.m_LampActiveColor2) &&
           io.U32(v.m_LampPassiveColor) && io.U8Of(v.m_DisplayType) && io.U8Of(v.m_TitleSide) &&
           io.U8Of(v.m_TitleAlignment) && io.U8Of(v.m_ValueAlignment) && io.U8Of(v.m_Operator1) &&
           io.U8Of(v.m_Operator2) && io.F64(v.m_Threshold1) && io.F64(v.m_Threshold2) &&
           io.F64(v.m_SplitRatio) && io.U8Of(v.m_FrameWidth) && io.U8Of(v.m_Frame) &&
           io.U8Of(v.m_Precision) && io.U32(v.m_FrameColor) && io.I16(v.m_TitleFontIndex) &&
           io.I16(v.m_ValueFontIndex) && io.U8(v.m_ShowGroup) && io.U8(v.m_ShowUnit) &&
           (tag == kTagValueOldest || (io.I32(v.m_ChannelIndex) && io.U32(reserved)));
}

// The button's text is not stored: it always equals its name field.
template <class Io, class B>
bool VisitRecord(Io& io, B& b, uint8_t, const CKSTButtonElementSettings&)
{
    return io.Text16(b.m_ChannelName) && io.Text16(b.m_GroupName) && io.U8Of(b.m_Style) &&
           io.U32(b.m_OnColor) && io.U32(b.m_OffColor) && io.U32(b.m_FrameColor) &&
           io.U32(b.m_BackColor) && io.U32(b.m_TextColor) && io.U8(b.m_Transparent) &&
           io.I32(b.m_ChannelIndex) && io.I16(b.m_FontIndex);
}

template <class Io, class P>
bool VisitRecord(Io& io, P& p, uint8_t, const CKSTPictureElementSettings&)
{
    return io.I16(p.m_PictureIndex);
}

template <class Io, class V>
bool VisitRecord(Io& io, V& v, uint8_t, const CKSTVideoElementSettings&)
{
    return io.U32(v.m_Number) && io.Text16(v.m_Host) && io.Text16(v.m_User) &&
           io.Text16(v.m_Password) && io.Text16(v.m_Description) && io.Text16(v.m_RecordText1) &&
           io.Text16(v.m_RecordText2) && io.U32(v.m_CameraIndex) && io.U32(v.m_Fps) &&
           io.U32(v.m_Width) && io.U32(v.m_Height) && io.U16(v.m_InputFormat) &&
           io.U16(v.m_OutputFormat) && io.U8(v.m_DisplayOpen) && io.U8(v.m_Leader) &&
           io.U8(v.m_NoRecord) && io.U8(v.m_ExtraFlag) && io.U8(v.m_Visible) &&
           io.U8(v.m_ShowFrames) && io.U32(v.m_WindowStyle) && io.U8Of(v.m_Language);
}

// Value sheet: the sheet's fields and the column and row counts, then inside the record's
// length one 'V' record per column and one 'Q' per row (the rows' m_Extra and m_Kind and the
// columns' m_Text are not stored).
template <class Io, class S, class N>
bool VisitSheetHead(Io& io, S& s, N& columnCount, N& rowCount)
{
    return io.U8(s.m_ShowGroup) && io.U8(s.m_ShowUnit) && io.I16(s.m_FontIndex) &&
           io.U16Of(s.m_Alignment) && io.U32(s.m_TextColor) && io.U32(s.m_BackColor) &&
           io.U32(s.m_GridColor) && io.U8Of(s.m_CellSpacing) && io.U8Of(s.m_Decimals) &&
           io.U32(columnCount) && io.U32(rowCount);
}

template <class Io, class C>
bool VisitSheetColumn(Io& io, C& column)
{
    return io.U32(column.m_Width);
}

template <class Io, class R>
bool VisitSheetRow(Io& io, R& row)
{
    return io.Text16(row.m_ChannelName) && io.Text16(row.m_GroupName);
}

// --- Framing of the records that follow an element's 'I' ---

enum class Storage {
    kRecord,          // one framed record of the accepted tags, required
    kOptionalRecord,  // one framed record, or none
    kNestedRecord,    // one framed record inside a nested block, required
    kNestedSettings,  // a curve-window settings set inside a nested block, required
};

// What one element kind stores: T is its record, Member where the entry keeps it.
template <class T, Storage S, uint8_t Tag, uint8_t Older = 0, uint8_t Oldest = 0>
struct KindForm {
    using Record = T;
    static constexpr Storage kStorage = S;
    static constexpr uint8_t kTag = Tag;  // the form written
    static bool Accepts(uint8_t tag)
    {
        return tag == Tag || (tag != 0 && (tag == Older || tag == Oldest));
    }
};

// Calls use with the form of the kind and the entry's record slot of that kind; KST_OK for the
// kinds that store nothing after their 'I' record.
template <class E, class Use>
int ForKind(E& e, Use&& use)
{
    switch (e.m_Kind) {
        case KST_ELEMENT_TEXT:
            return use(KindForm<CKSTTextElementSettings, Storage::kRecord, kTagText, kTagTextOld>(),
                       e.m_TextSettings);
        case KST_ELEMENT_VALUE:
            return use(KindForm<CKSTValueElementSettings, Storage::kRecord, kTagValue, kTagValueOld,
                                kTagValueOldest>(),
                       e.m_ValueSettings);
        case KST_ELEMENT_BAR:
        case KST_ELEMENT_CURVE:
        case KST_ELEMENT_METER:
            return use(KindForm<CKSTCurveWndSettings, Storage::kNestedSettings, 0>(),
                       e.m_CurveSettings);
        case KST_ELEMENT_VALUE_SHEET:
            return use(KindForm<CKSTValueSheetSettings, Storage::kNestedRecord, kTagValueSheet>(),
                       e.m_ValueSheetSettings);
        case KST_ELEMENT_BUTTON:
            return use(KindForm<CKSTButtonElementSettings, Storage::kOptionalRecord, kTagButton>(),
                       e.m_ButtonSettings);
        case KST_ELEMENT_PICTURE:
            return use(
                KindForm<CKSTPictureElementSettings, Storage::kOptionalRecord, kTagPicture>(),
                e.m_PictureSettings);
        case KST_ELEMENT_VIDEO:
            return use(KindForm<CKSTVideoElementSettings, Storage::kOptionalRecord, kTagVideo>(),
                       e.m_VideoSettings);
        default:
            return KST_OK;
    }
}

// --- Writing ---

int WriteBracket(CKSTDocFile& file, uint8_t tag, uint8_t id)
{
    const uint8_t bytes[2] = {tag, id};
    return file.WriteBytes(bytes, 2);
}

template <class T>
int WriteRecord(CKSTDocFile& file, uint8_t tag, const T& record)
{
    CKSTDocRecord p;
    DocFieldWriter io(p);
    VisitRecord(io, record, tag, record);
    return file.WriteFramedRecord(tag, p);
}

int WriteRecord(CKSTDocFile& file, uint8_t tag, const CKSTValueSheetSettings& s)
{
    CKSTDocRecord p;
    DocFieldWriter io(p);
    const auto columnCount = static_cast<uint32_t>(s.m_Columns.size());
    const auto rowCount = static_cast<uint32_t>(s.m_Rows.size());
    VisitSheetHead(io, s, columnCount, rowCount);
    for (const CKSTValueSheetColumn& column : s.m_Columns) {
        p.PutU8(kTagSheetColumn);
        VisitSheetColumn(io, column);
    }
    for (const CKSTValueSheetRow& row : s.m_Rows) {
        p.PutU8(kTagSheetRow);
        VisitSheetRow(io, row);
    }
    return file.WriteFramedRecord(tag, p);
}

template <class Form, class Slot>
int WriteKindRecords(CKSTDocFile& file, Form form, const Slot& slot)
{
    using T = typename Form::Record;
    if (!slot && Form::kStorage == Storage::kOptionalRecord) {
        return KST_OK;
    }
    std::unique_ptr<T> fallback;
    const T* record = slot.get();
    if (record == nullptr) {
        fallback = std::make_unique<T>();
        record = fallback.get();
    }
    if constexpr (Form::kStorage == Storage::kRecord ||
                  Form::kStorage == Storage::kOptionalRecord) {
        return WriteRecord(file, form.kTag, *record);
    } else {
        int result = WriteBracket(file, KST_TAG_BLOCK_BEGIN, kNestedBlockId);
        if (result == KST_OK) {
            if constexpr (Form::kStorage == Storage::kNestedSettings) {
                result = file.WriteCurveWndSettings(*record, true);
            } else {
                result = WriteRecord(file, form.kTag, *record);
            }
        }
        return result == KST_OK ? WriteBracket(file, KST_TAG_BLOCK_END, kNestedBlockId) : result;
    }
}

// --- Reading ---

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

template <class T>
int ReadRecord(CKSTDocReader& records, uint8_t tag, T& record)
{
    return ReadFramed(records, [&](CKSTDocReader& r) {
        DocFieldReader io(r);
        return VisitRecord(io, record, tag, record);
    });
}

int ReadRecord(CKSTDocReader& records, uint8_t tag, CKSTButtonElementSettings& button)
{
    const int result = ReadFramed(records, [&](CKSTDocReader& r) {
        DocFieldReader io(r);
        return VisitRecord(io, button, tag, button);
    });
    if (result == KST_OK) {
        button.m_Text = button.m_ChannelName;
    }
    return result;
}

int ReadRecord(CKSTDocReader& records, uint8_t, CKSTValueSheetSettings& s)
{
    CKSTDocReader r;
    if (!records.TakeFramedRecord(r)) {
        return KST_ERR_END_OF_DATA;
    }
    DocFieldReader io(r);
    uint32_t columnCount = 0;
    uint32_t rowCount = 0;
    if (!VisitSheetHead(io, s, columnCount, rowCount)) {
        return KST_ERR_BAD_RECORD;
    }
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
            if (!VisitSheetColumn(io, column)) {
                return KST_ERR_BAD_RECORD;
            }
            s.m_Columns.push_back(column);
        } else if (tag == kTagSheetRow && s.m_Rows.size() < rowCount) {
            CKSTValueSheetRow row;
            if (!VisitSheetRow(io, row)) {
                return KST_ERR_BAD_RECORD;
            }
            s.m_Rows.push_back(row);
        } else {
            return KST_ERR_UNEXPECTED_TAG;
        }
    }
    return KST_OK;
}

// The rest of a nested block after its opening, its 'e' and id included.
int ReadNestedBody(CKSTDocFile&, CKSTDocReader& records, uint8_t tag, CKSTValueSheetSettings& sheet,
                   uint8_t*)
{
    uint8_t next;
    if (records.ReadTag(next) != KST_OK) {
        return KST_ERR_END_OF_DATA;
    }
    if (next != tag) {
        return KST_ERR_MISSING_RECORD;
    }
    int result = ReadRecord(records, tag, sheet);
    if (result != KST_OK) {
        return result;
    }
    if (records.ReadTag(next) != KST_OK) {
        return KST_ERR_END_OF_DATA;
    }
    return next == KST_TAG_BLOCK_END ? ReadNestedEndId(records) : KST_ERR_UNEXPECTED_TAG;
}

int ReadNestedBody(CKSTDocFile& file, CKSTDocReader& records, uint8_t,
                   CKSTCurveWndSettings& settings, uint8_t* newerKinds)
{
    const int read = file.ReadSettingsRecords(records, settings, true, newerKinds, true);
    if (read != KST_OK && read != KST_ERR_NO_SETTINGS) {
        return read;
    }
    // The set stops after 'e'; at the end of the data there is no id to read.
    const int result = ReadNestedEndId(records);
    if (result == KST_OK && read == KST_ERR_NO_SETTINGS) {
        return KST_ERR_MISSING_RECORD;
    }
    return result;
}

template <class Form, class Slot>
int ReadKindRecords(CKSTDocFile& file, CKSTDocReader& records, Form form, Slot& slot,
                    uint8_t* newerKinds)
{
    using T = typename Form::Record;
    if constexpr (Form::kStorage == Storage::kOptionalRecord) {
        if (!NextTagIs(records, form.kTag)) {
            return KST_OK;
        }
        slot = std::make_unique<T>();
        return ReadRecord(records, form.kTag, *slot);
    } else if constexpr (Form::kStorage == Storage::kRecord) {
        slot = std::make_unique<T>();
        uint8_t tag;
        if (records.ReadTag(tag) != KST_OK) {
            return KST_ERR_END_OF_DATA;
        }
        return form.Accepts(tag) ? ReadRecord(records, tag, *slot) : KST_ERR_MISSING_RECORD;
    } else {
        slot = std::make_unique<T>();
        const int result = ReadNestedBegin(records);
        return result == KST_OK ? ReadNestedBody(file, records, form.kTag, *slot, newerKinds)
                                : result;
    }
}

}  // namespace

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
    DocFieldWriter io(p);
    auto write = [&](uint8_t tag) {
        const int r = WriteFramedRecord(tag, p);
        p.Clear();
        return r;
    };

    if ((result = WriteBracket(*this, KST_TAG_BLOCK_BEGIN, blockId)) != KST_OK) {
        return result;
    }
    VisitHeader(io, layout, kTagHeader);
    if ((result = write(kTagHeader)) != KST_OK) {
        return result;
    }
    if ((result = WriteTableRecords(*this, layout.m_Fonts, layout.m_Pictures)) != KST_OK) {
        return result;
    }
    for (size_t i = 0; i < layout.m_Entries.size(); ++i) {
        const CKSTElementSnapshot& e = *layout.m_Entries[i];
        const ElementHead head = HeadOf(e, i);
        VisitElementHead(io, head);
        if ((result = write(kTagElement)) != KST_OK) {
            return result;
        }
        result = ForKind(
            e, [&](auto form, const auto& slot) { return WriteKindRecords(*this, form, slot); });
        if (result != KST_OK) {
            return result;
        }
    }
    return WriteBracket(*this, KST_TAG_BLOCK_END, blockId);
}

int CKSTDocFile::ReadProcessBlock(CKSTProcessLayout& layout, uint8_t* newerKinds)
{
    CKSTDocImage image;
    const int result = LoadRecordImage(*this, image, newerKinds);
    return result != KST_OK ? result : ReadProcessBlock(image.GetRecords(), layout, newerKinds);
}

int CKSTDocFile::ReadProcessBlock(const CKSTDocReader& records, CKSTProcessLayout& layout,
                                  uint8_t* newerKinds)
{
    uint8_t newer = 0;
    CKSTDocReader r = records;
    r.SetPosition(std::min<size_t>(kDocMagicSize, r.GetSize()));
    m_tableElementsLeft = records.GetSize();

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
            DocFieldReader io(h);
            return VisitHeader(io, layout, tag);
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
                    result =
                        tag == kTagFont
                            ? ReadFontTableRecord(record, layout.m_Fonts, m_tableElementsLeft)
                            : ReadImageTableRecord(record, layout.m_Pictures, m_tableElementsLeft);
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
    ElementHead head;
    int result = ReadFramed(records, [&](CKSTDocReader& r) {
        DocFieldReader io(r);
        return VisitElementHead(io, head);
    });
    if (result != KST_OK) {
        return result;
    }
    e.m_Kind = head.kind;
    e.m_Left = head.left;
    e.m_Top = head.top;
    e.m_Right = head.right;
    e.m_Bottom = head.bottom;

    result = ForKind(e, [&](auto form, auto& slot) {
        return ReadKindRecords(*this, records, form, slot, newerKinds);
    });
    if (result == KST_OK) {
        layout.m_Entries.push_back(std::move(entry));
    }
    return result;
}
