#pragma once
// The native tagged container: documents, reader documents, settings files, process settings,
// the recording file and the node protocol's messages all share this framing. A file is the
// ten magic bytes followed by records; every record is a one-byte tag and a payload whose
// delimitation depends on the tag's class (see the Is...Tag tests below).
//
// Writers assemble a record's payload in a CKSTDocRecord first, so the stored length always
// matches the bytes that follow it. Readers scan an in-memory image of the whole container
// through a CKSTDocReader: every read is bounds-checked, every framed record is handed to its
// reader as a sub-reader limited to its declared length, and the scan always continues after
// that length, so longer newer forms of a record are tolerated and a record cut off by the end
// of the data ends the scan. The channel scan then reports KST_ERR_END_OF_DATA, keeping every
// record read before the cut: a file cut short must not pass for a whole one.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "data/Channel.h"
#include "data/ChannelList.h"
#include "foundation/DataFile.h"
#include "foundation/FontDesc.h"
#include "foundation/MappedFile.h"
#include "foundation/MemBuffer.h"
#include "foundation/String.h"

class CKSTCurveWndSettings;
class CKSTDataSet;
class CKSTHeaderInfoItem;
class CKSTHeaderInfoList;
class CKSTProcessLayout;

constexpr char kDocMagic[] = "KESTRO-KXD";
constexpr uint32_t kDocMagicSize = 10;

// Tags of the record kinds this layer reads or writes itself.
enum KstDocTag : uint8_t {
    KST_TAG_CHANNEL_OLD = 1,  // start time as seconds since 1970
    KST_TAG_CHANNEL = 8,
    KST_TAG_CHANNEL_C = 67,       // read like 8
    KST_TAG_VALUE_TEXT_OLD = 82,  // 16-bit key
    KST_TAG_VALUE_TEXT = 91,
    // Single values: Count8 index, then the value.
    KST_TAG_SINGLE_TIME_F32 = 27,
    KST_TAG_SINGLE_VALUE_F32 = 28,
    KST_TAG_SINGLE_TIME_F64 = 31,
    KST_TAG_SINGLE_VALUE_F64 = 32,
    // Blocks: Count8 index, Count16 length, payload. Odd tags hold times, even tags values.
    KST_TAG_TIME_PACKED_OLD = 13,
    KST_TAG_VALUE_PACKED_OLD = 14,
    KST_TAG_TIME_U8 = 17,
    KST_TAG_VALUE_U8 = 18,
    KST_TAG_TIME_U16 = 21,
    KST_TAG_VALUE_U16 = 22,
    KST_TAG_TIME_U32 = 25,
    KST_TAG_VALUE_U32 = 26,
    KST_TAG_TIME_F32 = 29,
    KST_TAG_VALUE_F32 = 30,
    KST_TAG_TIME_F64 = 33,
    KST_TAG_VALUE_F64 = 34,
    KST_TAG_TIME_DIFF_PACKED = 35,
    KST_TAG_VALUE_DIFF_PACKED = 36,
    KST_TAG_TIME_PACKED = 37,
    KST_TAG_VALUE_PACKED = 38,
    KST_TAG_MISSING = 39,
    // Process block brackets: one id byte follows instead of a length.
    KST_TAG_BLOCK_BEGIN = 100,
    KST_TAG_BLOCK_END = 101,
};

// Tag classes.
bool IsFixedSizeTag(uint8_t tag);  // indexed single value
// Payload size of an indexed single value (1, 2, 4 or 8), 0 for other tags.
uint32_t GetFixedTagSize(uint8_t tag);
bool IsLengthPrefixedTag(uint8_t tag);  // indexed block
bool IsTimeBlockTag(uint8_t tag);       // odd members of the indexed blocks
bool IsValueBlockTag(uint8_t tag);      // even members, the missing-samples record included
bool IsPropertyTag(uint8_t tag);
bool IsBlockBracketTag(uint8_t tag);
// Known to this program: 1-38, 41-53, 61-99.
bool IsKnownTag(uint8_t tag);

// Payload of one record being assembled; every Put appends little-endian bytes.
class CKSTDocRecord {
public:
    void Clear() { m_bytes.clear(); }
    void Reserve(size_t n) { m_bytes.reserve(n); }
    const uint8_t* GetData() const { return m_bytes.data(); }
    size_t GetSize() const { return m_bytes.size(); }

    void PutBytes(const void* data, size_t n);
    void PutU8(uint8_t v) { m_bytes.push_back(v); }
    void PutU16(uint16_t v);
    void PutU32(uint32_t v);
    void PutU64(uint64_t v);
    void PutI16(int16_t v) { PutU16(static_cast<uint16_t>(v)); }
    void PutI32(int32_t v) { PutU32(static_cast<uint32_t>(v)); }
    void PutI64(int64_t v) { PutU64(static_cast<uint64_t>(v)); }
    void PutF32(float v);
    void PutF64(double v);
    void PutBool(bool v) { PutU8(v ? 1 : 0); }
    // Below 0xFF one byte, else 0xFF and a u16; values above 0xFFFF are cut to 0xFFFF, so
    // callers check their ranges first where a cut would matter.
    void PutCount8(uint32_t v);
    // Below 0xFFFF a u16, else 0xFFFF and a u32.
    void PutCount16(uint32_t v);
    // One length byte and the text, cut to 255 bytes.
    void PutShortString(const CKSTString& text);
    // Count8 length and the text, cut to 65535 bytes.
    void PutPropertyString(const CKSTString& text);
    // Low, middle and high byte of a colour value.
    void PutColorTriple(uint32_t color);
    void PutFontRecord(const CKSTFontDesc& font);

    static constexpr uint32_t kMaxShortString = 255;
    static constexpr uint32_t kMaxPropertyString = 0xFFFF;

private:
    std::vector<uint8_t> m_bytes;
};

// Checked cursor over container bytes held in memory. Every read returns false (and leaves the
// output untouched) when fewer bytes remain than it needs; the position then stays.
class CKSTDocReader {
public:
    CKSTDocReader() = default;
    CKSTDocReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    size_t GetPosition() const { return m_pos; }
    size_t GetSize() const { return m_size; }
    size_t GetRemaining() const { return m_size - m_pos; }
    bool IsAtEnd() const { return m_pos >= m_size; }
    const uint8_t* GetCurrent() const { return m_data + m_pos; }
    bool SetPosition(size_t pos);
    bool Skip(size_t n);

    [[nodiscard]] bool ReadBytes(void* out, size_t n);
    [[nodiscard]] bool ReadU8(uint8_t& v);
    [[nodiscard]] bool ReadU16(uint16_t& v);
    [[nodiscard]] bool ReadU32(uint32_t& v);
    [[nodiscard]] bool ReadU64(uint64_t& v);
    [[nodiscard]] bool ReadI8(int8_t& v);
    [[nodiscard]] bool ReadI16(int16_t& v);
    [[nodiscard]] bool ReadI32(int32_t& v);
    [[nodiscard]] bool ReadI64(int64_t& v);
    [[nodiscard]] bool ReadF32(float& v);
    [[nodiscard]] bool ReadF64(double& v);
    [[nodiscard]] bool ReadBool(bool& v);  // any non-zero byte is true
    [[nodiscard]] bool ReadCount8(uint32_t& v);
    [[nodiscard]] bool ReadCount16(uint32_t& v);
    [[nodiscard]] bool ReadShortString(CKSTString& text);
    [[nodiscard]] bool ReadPropertyString(CKSTString& text);
    [[nodiscard]] bool ReadColorTriple(uint32_t& color);
    [[nodiscard]] bool ReadFontRecord(CKSTFontDesc& font);

    // The next n bytes as a reader of their own; this reader moves past them. False (nothing
    // moved) when fewer remain.
    [[nodiscard]] bool TakeRecord(size_t n, CKSTDocReader& record);
    // Count16 length, then that many bytes as TakeRecord.
    [[nodiscard]] bool TakeFramedRecord(CKSTDocReader& record);

    // One tag byte; KST_ERR_END_OF_DATA with the tag 0 at the end.
    [[nodiscard]] int ReadTag(uint8_t& tag);
    // Skips an indexed block or property entry (a Count8 index first when withIndex is set).
    [[nodiscard]] int SkipTagWithCount(bool withIndex);
    // Skips an indexed single value (a Count8 index first when withIndex is set).
    [[nodiscard]] int SkipFixedTag(uint8_t tag, bool withIndex);
    // Skips a framed record; an unknown tag sets *newerKinds (when given) to 1.
    [[nodiscard]] int SkipUnknownTag(uint8_t tag, uint8_t* newerKinds);
    // What every section scan does with a tag it does not handle: skips the record by the tag's
    // class (length-prefixed, fixed-size, or framed and unknown). The skips return
    // KST_ERR_END_OF_DATA when the record passes the end of the data, which ends a scan with what
    // it has read.
    [[nodiscard]] int SkipByClass(uint8_t tag, uint8_t* newerKinds);

private:
    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_pos = 0;
};

// The whole container in memory for the section scans: the stream's own buffer when it is a
// memory stream, else a read-only view of the file, or the file read once where the system
// cannot map it.
class CKSTDocImage {
public:
    // Reader over the records, positioned after the magic.
    CKSTDocReader GetRecords() const;
    const uint8_t* GetData() const { return m_data; }
    size_t GetSize() const { return m_size; }

private:
    friend class CKSTDocFile;
    void Clear();

    CKSTMappedFile m_view;
    std::vector<uint8_t> m_storage;
    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
};

class CKSTDocFile : public CKSTDataFile {
public:
    // Highest channel index the records can carry.
    static constexpr uint32_t kMaxChannelIndex = 0xFFFF;
    // Most values written into one block, so that every payload length fits its u32 field.
    static constexpr uint32_t kMaxBlockValues = 0x1FFFFFF0;

    // --- Opening (framing) ---
    // 0, KST_ERR_OPEN_FAILED / KST_ERR_ACCESS_DENIED, or KST_ERR_NOT_CONTAINER (closed again).
    [[nodiscard]] int OpenRead(const CKSTString& path);
    [[nodiscard]] int OpenWrite(const CKSTString& path);
    // Opens an existing container for appending at its end. KST_ERR_OPEN_FAILED when the file
    // does not exist (nothing is created), KST_ERR_NOT_CONTAINER when it lacks the magic.
    [[nodiscard]] int OpenAppend(const CKSTString& path);
    // KST_ERR_BAD_HEADER for an empty buffer, KST_ERR_NOT_CONTAINER (closed) for a wrong magic.
    [[nodiscard]] int OpenMemoryRead();
    [[nodiscard]] int OpenMemoryWrite();

    // --- Primitive writes on the stream ---
    // KST_ERR_FILE_NOT_OPEN, KST_ERR_NOT_OPEN_FOR_WRITING, or 0.
    [[nodiscard]] int CheckWritable() const;
    // KST_ERR_SHORT_TRANSFER when not every byte could be written.
    [[nodiscard]] int WriteBytes(const void* data, size_t n);
    [[nodiscard]] int WriteByte(uint8_t v) { return WriteBytes(&v, 1); }
    [[nodiscard]] int WriteCount8(uint32_t v);
    [[nodiscard]] int WriteCount16(uint32_t v);
    // Tag, Count16 length of the payload, payload.
    [[nodiscard]] int WriteFramedRecord(uint8_t tag, const CKSTDocRecord& payload);
    // Tag, Count8 index, Count16 length, then the head and body bytes (one payload).
    [[nodiscard]] int WriteIndexedBlock(uint8_t tag, uint32_t index, const CKSTDocRecord& head,
                          const uint8_t* body, size_t bodySize);
    // Tag, Count8 index, value bytes.
    [[nodiscard]] int WriteIndexedValue(uint8_t tag, uint32_t index, const CKSTDocRecord& value);
    // Writes the bytes of items first .. first + count - 1 to out; count is a multiple of 8 but
    // for the last items, so that every call but the last ends on a whole byte.
    using BodyFill = std::function<void(uint8_t* out, size_t first, size_t count)>;
    // As WriteIndexedBlock, with a body of n items of itemBits bits each that fill writes in
    // place: straight into a memory stream's buffer, into a file through one scratch chunk
    // reused for every block.
    [[nodiscard]] int WriteFilledBlock(uint8_t tag, uint32_t index, const CKSTDocRecord& head,
                                       uint64_t n, uint32_t itemBits, const BodyFill& fill);

    // The container's bytes for the section scans. KST_ERR_FILE_NOT_OPEN, KST_ERR_TOO_LARGE,
    // KST_ERR_SHORT_TRANSFER, or KST_ERR_NOT_CONTAINER when the image lacks the magic.
    [[nodiscard]] int LoadImage(CKSTDocImage& image);

    // Total samples the reads of one loaded image may create (blocks of equal values and
    // missing runs expand a few bytes into many samples); a read that would pass it ends with
    // KST_ERR_TOO_LARGE, keeping what it has read. 0, the default, takes half the memory free
    // when the image is loaded.
    void SetSampleBudget(uint64_t samples) { m_sampleBudget = samples; }
    uint64_t GetSampleBudget() const { return m_sampleBudget; }

    // --- Documents (DocFileDocument.cpp) ---
    [[nodiscard]] int WriteDataSet(const CKSTDataSet& dataSet, bool shareTimeBases);
    [[nodiscard]] int WriteChannels(const CKSTChannelList& channels, bool shareTimeBases);
    [[nodiscard]] int AppendNewSamples(const CKSTChannelList& channels);
    [[nodiscard]] int AppendChannelSamples(const CKSTChannel& channel, uint32_t index);
    // Result precedence: a header or channel reader's error, else KST_ERR_NO_SETTINGS when the
    // file holds no settings record (or the settings reader's error), else 0. With the channels
    // read, none found or the data cut short (KST_ERR_END_OF_DATA) the set is named after the
    // path; with none, it takes the file's time. Everything read stays in the set whatever the
    // result.
    [[nodiscard]] int ReadDataSet(CKSTDataSet& dataSet, const CKSTChannelList* filter, uint8_t* newerKinds);
    [[nodiscard]] int ReadChannels(CKSTChannelList& channels, const CKSTChannelList* filter, bool append,
                     uint8_t* newerKinds);
    [[nodiscard]] int ReadChannelRecords(CKSTChannelList& channels, bool append, uint8_t* newerKinds);
    [[nodiscard]] int ReadChannelData(CKSTChannel& channel, uint32_t index, uint8_t* newerKinds);
    [[nodiscard]] int WritePropertyListToMemory(const CKSTHeaderInfoList& list, CKSTMemBuffer& buffer,
                                  bool append);
    [[nodiscard]] int ReadPropertyListFromMemory(CKSTHeaderInfoList& list, const CKSTMemBuffer& buffer);
    [[nodiscard]] int ReadSamplesFromMemory(CKSTChannel& channel, uint32_t index, const CKSTMemBuffer& buffer);

    // Scans of an image already loaded.
    [[nodiscard]] int ReadChannels(const CKSTDocReader& records, CKSTChannelList& channels,
                     const CKSTChannelList* filter, bool append, uint8_t* newerKinds);
    [[nodiscard]] int ReadChannelData(const CKSTDocReader& records, CKSTChannel& channel, uint32_t index,
                        uint8_t* newerKinds);

    // --- Channel records and samples (DocFileChannels.cpp) ---
    [[nodiscard]] int WriteChannelRecord(const CKSTChannel& channel, uint32_t index, uint32_t timeBaseIndex);
    [[nodiscard]] int WriteTimeVector(const CKSTChannel& channel, uint32_t index);
    [[nodiscard]] int WriteSamples(const CKSTChannel& channel, uint32_t index, uint32_t from, uint32_t to);
    [[nodiscard]] int WriteSamplesWithMissing(const CKSTChannel& channel, uint32_t index);
    [[nodiscard]] int WriteMissingRun(uint32_t index, uint32_t count);
    // One block as chosen by the caller: bit-packed (packed with levels > 0), quantised codes
    // of fixed width (levels > 0 without packed) or raw by the sample type (levels 0).
    // A difference block takes n + 1 values and stores values[0] and the n differences, which
    // the scale and offset fit.
    [[nodiscard]] int WriteSampleBlock(uint32_t index, uint16_t sampleType, const double* values, uint32_t n,
                         bool time, double scale, double offset, uint64_t levels, bool packed,
                         bool difference);
    // Recording appends of one sample: a time as f64; a value as f32 when the sample type is 4
    // and f32 holds it exactly, else as f64.
    [[nodiscard]] int WriteSingleTime(uint32_t index, uint16_t sampleType, double time);
    [[nodiscard]] int WriteSingleValue(uint32_t index, uint16_t sampleType, double value);

    // Record readers, called by the scans after the tag (and, for samples, the index). Each
    // gets the record's bytes and appends to the end of the channel's arrays.
    [[nodiscard]] int ReadChannelRecord(CKSTDocReader& record, CKSTChannel& channel, uint8_t tag,
                          uint32_t& timeBaseIndex);
    [[nodiscard]] int ReadSingleTime(CKSTDocReader& value, CKSTChannel& channel, uint8_t tag);
    [[nodiscard]] int ReadSingleValue(CKSTDocReader& value, CKSTChannel& channel, uint8_t tag);
    [[nodiscard]] int ReadTimeBlock(CKSTDocReader& block, CKSTChannel& channel, uint8_t tag);
    [[nodiscard]] int ReadValueBlock(CKSTDocReader& block, CKSTChannel& channel, uint8_t tag);
    [[nodiscard]] int ReadMissingRun(CKSTDocReader& block, CKSTChannel& channel);
    // With no channel the entry is read and dropped.
    [[nodiscard]] int ReadValueText(CKSTDocReader& record, CKSTChannel* channel, uint8_t tag);

    // --- Curve-window settings records, property entries and process block ---
    // (defined with those records; these are the entry points the document code calls)
    [[nodiscard]] int WriteCurveWndSettings(const CKSTCurveWndSettings& settings, bool withoutMarkers = true);
    [[nodiscard]] int ReadCurveWndSettings(CKSTCurveWndSettings& settings, uint8_t* newerKinds);
    [[nodiscard]] int ReadCurveWndSettingsAll(CKSTCurveWndSettings& settings, uint8_t* newerKinds);
    // Reads a settings set from the reader's position; not nested, it starts after the magic.
    [[nodiscard]] int ReadSettingsRecords(CKSTDocReader& records, CKSTCurveWndSettings& settings,
                            bool withoutMarkers, uint8_t* newerKinds, bool nested);

    // --- Property entries (DocFileProperties.cpp) and process block (DocFileProcess.cpp) ---
    // Appends the entry at the end of the data; a hidden entry is stored scrambled.
    // KST_ERR_UNKNOWN_PROPERTY_TYPE (nothing written) for a type outside 1 to 8.
    [[nodiscard]] int WritePropertyEntry(const CKSTHeaderInfoItem& entry);
    // Reads the entry that follows a property tag (length field first) in any accepted form and
    // restores a hidden entry. A tag that is not a property tag reads nothing. 0, or
    // KST_ERR_END_OF_DATA when the entry passes the end of the data, KST_ERR_BAD_RECORD when
    // its declared length does not hold its fields.
    [[nodiscard]] int ReadPropertyEntry(CKSTDocReader& records, CKSTHeaderInfoItem& entry, uint8_t tag);
    // The layout as one block between 'd' and 'e' carrying blockId.
    [[nodiscard]] int WriteProcessBlock(const CKSTProcessLayout& layout, uint8_t blockId = 0);
    // Every block of the file, read into the layout in file order (not cleared first). 0 also
    // when the file holds no block; what was read before an error stays in the layout.
    [[nodiscard]] int ReadProcessBlock(CKSTProcessLayout& layout, uint8_t* newerKinds);
    [[nodiscard]] int ReadProcessBlock(const CKSTDocReader& records, CKSTProcessLayout& layout,
                         uint8_t* newerKinds);
    // Reads the 'I' record at the reader's position (after its tag), appends the element to the
    // layout and reads the records of its kind.
    [[nodiscard]] int ReadProcessElement(CKSTDocReader& records, CKSTProcessLayout& layout, uint8_t* newerKinds);

private:
    [[nodiscard]] int CheckMagic();
    // Reserves the samples a record is about to create against the budget of this read.
    [[nodiscard]] bool TakeFromBudget(uint64_t samples);
    static uint64_t FreeMemorySampleBudget();
    // Adds empty channels until the list has an entry at index, each charged to the budget.
    [[nodiscard]] bool GrowList(CKSTChannelList& channels, int index);
    [[nodiscard]] int WriteValueRange(const CKSTChannel& channel, uint32_t index, uint32_t from, uint32_t to);
    // Where the next n bytes of a memory stream go, the buffer grown geometrically so that a
    // document of many blocks is copied a bounded number of times; the position moves past
    // them. Null, nothing changed, where the stream's own write must do it: a position past
    // the end or a buffer that cannot grow.
    uint8_t* TakeMemoryRoom(size_t n);
    [[nodiscard]] int WriteBlockFrame(uint8_t tag, uint32_t index, const CKSTDocRecord& head,
                                      uint64_t bodySize);
    // The file's bytes into the image's own storage; KST_ERR_TOO_LARGE when they do not fit.
    [[nodiscard]] int ReadFileImage(CKSTDocImage& image, size_t size);

    uint64_t m_sampleBudget = 0;
    uint64_t m_samplesLeft = UINT64_MAX;
    // Table elements the settings and process-block reads of one record image may still create.
    uint64_t m_tableElementsLeft = 0;
    // The scratch chunk of filled blocks written to a file.
    std::vector<uint8_t> m_chunk;
};

// Property lists (defined with the property entries).
[[nodiscard]] int WriteKxdPropertyList(CKSTDocFile& file, const CKSTHeaderInfoList& list);
[[nodiscard]] int ReadKxdPropertyList(CKSTDocFile& file, CKSTHeaderInfoList& list, uint8_t* newerKinds);
[[nodiscard]] int ReadKxdPropertyList(CKSTDocFile& file, const CKSTDocReader& records, CKSTHeaderInfoList& list,
                        uint8_t* newerKinds);

// Quantises n values to codes round((x - offset) / scale) of bitWidth bits and packs them most
// significant bit first into out (byteCount bytes, cleared first). Stops after n codes or when
// byteCount is reached.
void PackSamples(uint8_t* out, size_t byteCount, uint32_t n, uint32_t bitWidth, double offset,
                 double scale, const double* values);
// As PackSamples for the n differences values[i + 1] - values[i] of n + 1 values.
void PackDifferences(uint8_t* out, size_t byteCount, uint32_t n, uint32_t bitWidth, double offset,
                     double scale, const double* values);
