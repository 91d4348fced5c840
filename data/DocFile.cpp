#include "data/DocFile.h"

#include <algorithm>
#include <cstring>

#include "foundation/ByteOrder.h"
#include "foundation/ErrorCodes.h"
#include "foundation/SystemMemory.h"

// --- Tag classes ---

uint32_t GetFixedTagSize(uint8_t tag)
{
    switch (tag) {
        case 11:
        case 12:
        case 15:
        case 16:
            return 1;
        case 19:
        case 20:
            return 2;
        case 23:
        case 24:
        case 27:
        case 28:
            return 4;
        case 31:
        case 32:
            return 8;
        default:
            return 0;
    }
}

bool IsFixedSizeTag(uint8_t tag)
{
    return GetFixedTagSize(tag) != 0;
}

bool IsLengthPrefixedTag(uint8_t tag)
{
    return (tag >= 13 && tag <= 39) && !IsFixedSizeTag(tag);
}

bool IsTimeBlockTag(uint8_t tag)
{
    return IsLengthPrefixedTag(tag) && (tag & 1) != 0 && tag != KST_TAG_MISSING;
}

bool IsValueBlockTag(uint8_t tag)
{
    return IsLengthPrefixedTag(tag) && ((tag & 1) == 0 || tag == KST_TAG_MISSING);
}

bool IsPropertyTag(uint8_t tag)
{
    return tag >= 42 && tag <= 53;
}

bool IsBlockBracketTag(uint8_t tag)
{
    return tag == KST_TAG_BLOCK_BEGIN || tag == KST_TAG_BLOCK_END;
}

bool IsKnownTag(uint8_t tag)
{
    return (tag >= 1 && tag <= 38) || (tag >= 41 && tag <= 53) || (tag >= 61 && tag <= 99);
}

// --- Record payloads ---

void CKSTDocRecord::PutBytes(const void* data, size_t n)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    m_bytes.insert(m_bytes.end(), bytes, bytes + n);
}

namespace {

template <class T>
void PutLittle(CKSTDocRecord& record, T v)
{
    uint8_t b[sizeof(T)];
    KstStoreLE(b, v);
    record.PutBytes(b, sizeof b);
}

}  // namespace

void CKSTDocRecord::PutU16(uint16_t v)
{
    PutLittle(*this, v);
}

void CKSTDocRecord::PutU32(uint32_t v)
{
    PutLittle(*this, v);
}

void CKSTDocRecord::PutU64(uint64_t v)
{
    PutLittle(*this, v);
}

void CKSTDocRecord::PutF32(float v)
{
    PutLittle(*this, v);
}

void CKSTDocRecord::PutF64(double v)
{
    PutLittle(*this, v);
}

void CKSTDocRecord::PutCount8(uint32_t v)
{
    if (v < 0xFF) {
        PutU8(static_cast<uint8_t>(v));
    } else {
        PutU8(0xFF);
        PutU16(static_cast<uint16_t>(std::min<uint32_t>(v, 0xFFFF)));
    }
}

void CKSTDocRecord::PutCount16(uint32_t v)
{
    if (v < 0xFFFF) {
        PutU16(static_cast<uint16_t>(v));
    } else {
        PutU16(0xFFFF);
        PutU32(v);
    }
}

void CKSTDocRecord::PutShortString(const CKSTString& text)
{
    const uint32_t n = std::min<uint32_t>(static_cast<uint32_t>(text.GetLength()), kMaxShortString);
    PutU8(static_cast<uint8_t>(n));
    PutBytes(text.c_str(), n);
}

void CKSTDocRecord::PutPropertyString(const CKSTString& text)
{
    const uint32_t n =
        std::min<uint32_t>(static_cast<uint32_t>(text.GetLength()), kMaxPropertyString);
    PutCount8(n);
    PutBytes(text.c_str(), n);
}

void CKSTDocRecord::PutColorTriple(uint32_t color)
{
    PutU8(static_cast<uint8_t>(color));
    PutU8(static_cast<uint8_t>(color >> 8));
    PutU8(static_cast<uint8_t>(color >> 16));
}

void CKSTDocRecord::PutFontRecord(const CKSTFontDesc& font)
{
    PutShortString(font.m_faceName);
    PutU8(font.m_charSet);
    PutU8(font.m_clipPrecision);
    PutI32(font.m_escapement);
    PutI32(font.m_height);
    PutU8(font.m_italic);
    PutI32(font.m_orientation);
    PutU8(font.m_outPrecision);
    PutU8(font.m_pitchAndFamily);
    PutU8(font.m_quality);
    PutU8(font.m_strikeOut);
    PutU8(font.m_underline);
    PutI32(font.m_weight);
    PutI32(font.m_width);
}

// --- Checked reads ---

bool CKSTDocReader::SetPosition(size_t pos)
{
    if (pos > m_size) {
        return false;
    }
    m_pos = pos;
    return true;
}

bool CKSTDocReader::Skip(size_t n)
{
    if (n > GetRemaining()) {
        return false;
    }
    m_pos += n;
    return true;
}

bool CKSTDocReader::ReadBytes(void* out, size_t n)
{
    if (n > GetRemaining()) {
        return false;
    }
    if (n != 0) {
        std::memcpy(out, m_data + m_pos, n);
    }
    m_pos += n;
    return true;
}

namespace {

template <class T>
bool ReadLittle(CKSTDocReader& reader, T& v)
{
    uint8_t b[sizeof(T)];
    if (!reader.ReadBytes(b, sizeof(T))) {
        return false;
    }
    v = KstLoadLE<T>(b);
    return true;
}

}  // namespace

bool CKSTDocReader::ReadU8(uint8_t& v)
{
    return ReadLittle(*this, v);
}

bool CKSTDocReader::ReadU16(uint16_t& v)
{
    return ReadLittle(*this, v);
}

bool CKSTDocReader::ReadU32(uint32_t& v)
{
    return ReadLittle(*this, v);
}

bool CKSTDocReader::ReadU64(uint64_t& v)
{
    return ReadLittle(*this, v);
}

bool CKSTDocReader::ReadI8(int8_t& v)
{
    return ReadLittle(*this, v);
}

bool CKSTDocReader::ReadI16(int16_t& v)
{
    return ReadLittle(*this, v);
}

bool CKSTDocReader::ReadI32(int32_t& v)
{
    return ReadLittle(*this, v);
}

bool CKSTDocReader::ReadI64(int64_t& v)
{
    return ReadLittle(*this, v);
}

bool CKSTDocReader::ReadF32(float& v)
{
    return ReadLittle(*this, v);
}

bool CKSTDocReader::ReadF64(double& v)
{
    return ReadLittle(*this, v);
}

bool CKSTDocReader::ReadBool(bool& v)
{
    uint8_t u;
    if (!ReadU8(u)) {
        return false;
    }
    v = u != 0;
    return true;
}

bool CKSTDocReader::ReadCount8(uint32_t& v)
{
    const size_t start = m_pos;
    uint8_t first;
    if (!ReadU8(first)) {
        return false;
    }
    if (first != 0xFF) {
        v = first;
        return true;
    }
    uint16_t wide;
    if (!ReadU16(wide)) {
        m_pos = start;
        return false;
    }
    v = wide;
    return true;
}

bool CKSTDocReader::ReadCount16(uint32_t& v)
{
    const size_t start = m_pos;
    uint16_t first;
    if (!ReadU16(first)) {
        return false;
    }
    if (first != 0xFFFF) {
        v = first;
        return true;
    }
    uint32_t wide;
    if (!ReadU32(wide)) {
        m_pos = start;
        return false;
    }
    v = wide;
    return true;
}

bool CKSTDocReader::ReadShortString(CKSTString& text)
{
    const size_t start = m_pos;
    uint8_t n;
    if (!ReadU8(n) || n > GetRemaining()) {
        m_pos = start;
        return false;
    }
    text.Assign(reinterpret_cast<const char*>(m_data + m_pos), n);
    m_pos += n;
    return true;
}

bool CKSTDocReader::ReadPropertyString(CKSTString& text)
{
    const size_t start = m_pos;
    uint32_t n;
    if (!ReadCount8(n) || n > GetRemaining()) {
        m_pos = start;
        return false;
    }
    text.Assign(reinterpret_cast<const char*>(m_data + m_pos), static_cast<int>(n));
    m_pos += n;
    return true;
}

bool CKSTDocReader::ReadColorTriple(uint32_t& color)
{
    uint8_t b[3];
    if (!ReadBytes(b, 3)) {
        return false;
    }
    color = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
            (static_cast<uint32_t>(b[2]) << 16);
    return true;
}

bool CKSTDocReader::ReadFontRecord(CKSTFontDesc& font)
{
    const size_t start = m_pos;
    CKSTFontDesc f = font;
    const bool ok = ReadShortString(f.m_faceName) && ReadU8(f.m_charSet) &&
                    ReadU8(f.m_clipPrecision) && ReadI32(f.m_escapement) && ReadI32(f.m_height) &&
                    ReadU8(f.m_italic) && ReadI32(f.m_orientation) && ReadU8(f.m_outPrecision) &&
                    ReadU8(f.m_pitchAndFamily) && ReadU8(f.m_quality) && ReadU8(f.m_strikeOut) &&
                    ReadU8(f.m_underline) && ReadI32(f.m_weight) && ReadI32(f.m_width);
    if (!ok) {
        m_pos = start;
        return false;
    }
    font = f;
    return true;
}

bool CKSTDocReader::TakeRecord(size_t n, CKSTDocReader& record)
{
    if (n > GetRemaining()) {
        return false;
    }
    record = CKSTDocReader(m_data + m_pos, n);
    m_pos += n;
    return true;
}

bool CKSTDocReader::TakeFramedRecord(CKSTDocReader& record)
{
    const size_t start = m_pos;
    uint32_t n;
    if (!ReadCount16(n) || !TakeRecord(n, record)) {
        m_pos = start;
        return false;
    }
    return true;
}

int CKSTDocReader::ReadTag(uint8_t& tag)
{
    if (!ReadU8(tag)) {
        tag = 0;
        return KST_ERR_END_OF_DATA;
    }
    return KST_OK;
}

int CKSTDocReader::SkipTagWithCount(bool withIndex)
{
    uint32_t index;
    if (withIndex && !ReadCount8(index)) {
        return KST_ERR_END_OF_DATA;
    }
    uint32_t n;
    if (!ReadCount16(n) || !Skip(n)) {
        return KST_ERR_END_OF_DATA;
    }
    return KST_OK;
}

int CKSTDocReader::SkipFixedTag(uint8_t tag, bool withIndex)
{
    uint32_t index;
    if (withIndex && !ReadCount8(index)) {
        return KST_ERR_END_OF_DATA;
    }
    return Skip(GetFixedTagSize(tag)) ? KST_OK : KST_ERR_END_OF_DATA;
}

int CKSTDocReader::SkipUnknownTag(uint8_t tag, uint8_t* newerKinds)
{
    uint32_t n;
    if (!ReadCount16(n) || !Skip(n)) {
        return KST_ERR_END_OF_DATA;
    }
    if (!IsKnownTag(tag) && newerKinds != nullptr) {
        *newerKinds = 1;
    }
    return KST_OK;
}

int CKSTDocReader::SkipByClass(uint8_t tag, uint8_t* newerKinds)
{
    if (IsLengthPrefixedTag(tag)) {
        return SkipTagWithCount(true);
    }
    if (IsFixedSizeTag(tag)) {
        return SkipFixedTag(tag, true);
    }
    return SkipUnknownTag(tag, newerKinds);
}

CKSTDocReader CKSTDocImage::GetRecords() const
{
    CKSTDocReader reader(m_data, m_size);
    reader.SetPosition(std::min<size_t>(kDocMagicSize, m_size));
    return reader;
}

// --- Opening ---

int CKSTDocFile::CheckMagic()
{
    char magic[kDocMagicSize];
    if (Read(magic, kDocMagicSize) != kDocMagicSize ||
        std::memcmp(magic, kDocMagic, kDocMagicSize) != 0) {
        static_cast<void>(Close());
        return KST_ERR_NOT_CONTAINER;
    }
    return KST_OK;
}

int CKSTDocFile::OpenRead(const CKSTString& path)
{
    const int result = Open(path, KST_OPEN_READ);
    return result != KST_OK ? result : CheckMagic();
}

int CKSTDocFile::OpenWrite(const CKSTString& path)
{
    int result = Open(path, KST_OPEN_WRITE);
    if (result == KST_OK) {
        result = WriteBytes(kDocMagic, kDocMagicSize);
    }
    return result;
}

int CKSTDocFile::OpenAppend(const CKSTString& path)
{
    // "a+b" would create a vanished recording file as a headless fragment; the magic is
    // checked through a read first so that appends only ever extend a real container.
    int result = OpenRead(path);
    if (result != KST_OK) {
        return result;
    }
    static_cast<void>(Close());
    result = Open(path, KST_OPEN_APPEND);
    if (result == KST_OK) {
        Seek(0, 2);
    }
    return result;
}

int CKSTDocFile::OpenMemoryRead()
{
    const int result = CKSTDataFile::OpenMemoryRead();
    return result != KST_OK ? result : CheckMagic();
}

int CKSTDocFile::OpenMemoryWrite()
{
    const int result = CKSTDataFile::OpenMemoryWrite();
    return result != KST_OK ? result : WriteBytes(kDocMagic, kDocMagicSize);
}

// --- Writing ---

int CKSTDocFile::CheckWritable() const
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    return GetMode() == KST_OPEN_READ ? KST_ERR_NOT_OPEN_FOR_WRITING : KST_OK;
}

int CKSTDocFile::WriteBytes(const void* data, size_t n)
{
    const int check = CheckWritable();
    if (check != KST_OK) {
        return check;
    }
    const uint8_t* own = GetMemoryBuffer().GetData();
    const uint8_t* source = static_cast<const uint8_t*>(data);
    // Growing the buffer frees the old block, where the source may lie; its own write copes.
    const bool fromBuffer =
        own != nullptr && source >= own && source < own + GetMemoryBuffer().GetCapacity();
    uint8_t* room = IsInMemory() && n != 0 && !fromBuffer ? TakeMemoryRoom(n) : nullptr;
    if (room != nullptr) {
        std::memcpy(room, source, n);
        return KST_OK;
    }
    const uint8_t* bytes = source;
    while (n > 0) {
        const uint32_t chunk = static_cast<uint32_t>(std::min<size_t>(n, 1u << 30));
        if (Write(bytes, chunk) != chunk) {
            return KST_ERR_SHORT_TRANSFER;
        }
        bytes += chunk;
        n -= chunk;
    }
    return KST_OK;
}

uint8_t* CKSTDocFile::TakeMemoryRoom(size_t n)
{
    CKSTMemBuffer& memory = GetMemoryBuffer();
    const uint64_t position = memory.GetPosition();
    const uint64_t end = position + n;
    // A position past the end would leave a gap, which the buffer's own writes clear.
    if (position > memory.GetSize() || end > CKSTMemBuffer::kMaxSize) {
        return nullptr;
    }
    if (end > memory.GetCapacity()) {
        const uint64_t grown = memory.GetCapacity() + memory.GetCapacity() / 2;
        const uint64_t capacity = std::min<uint64_t>(std::max(grown, end), CKSTMemBuffer::kMaxSize);
        if (!memory.Reserve(static_cast<uint32_t>(capacity))) {
            return nullptr;
        }
    }
    if (end > memory.GetSize() && !memory.SetSize(static_cast<uint32_t>(end))) {
        return nullptr;
    }
    memory.SetPosition(static_cast<uint32_t>(end));
    return memory.At(static_cast<uint32_t>(position));
}
int CKSTDocFile::WriteCount8(uint32_t v)
{
    CKSTDocRecord bytes;
    bytes.PutCount8(v);
    return WriteBytes(bytes.GetData(), bytes.GetSize());
}

int CKSTDocFile::WriteCount16(uint32_t v)
{
    CKSTDocRecord bytes;
    bytes.PutCount16(v);
    return WriteBytes(bytes.GetData(), bytes.GetSize());
}

int CKSTDocFile::WriteFramedRecord(uint8_t tag, const CKSTDocRecord& payload)
{
    if (payload.GetSize() > UINT32_MAX) {
        return KST_ERR_TOO_LARGE;
    }
    CKSTDocRecord head;
    head.PutU8(tag);
    head.PutCount16(static_cast<uint32_t>(payload.GetSize()));
    int result = WriteBytes(head.GetData(), head.GetSize());
    if (result == KST_OK) {
        result = WriteBytes(payload.GetData(), payload.GetSize());
    }
    return result;
}

int CKSTDocFile::WriteBlockFrame(uint8_t tag, uint32_t index, const CKSTDocRecord& head,
                                 uint64_t bodySize)
{
    const uint64_t length = static_cast<uint64_t>(head.GetSize()) + bodySize;
    if (index > kMaxChannelIndex || length > UINT32_MAX) {
        return KST_ERR_TOO_LARGE;
    }
    CKSTDocRecord frame;
    frame.PutU8(tag);
    frame.PutCount8(index);
    frame.PutCount16(static_cast<uint32_t>(length));
    frame.PutBytes(head.GetData(), head.GetSize());
    return WriteBytes(frame.GetData(), frame.GetSize());
}

int CKSTDocFile::WriteIndexedBlock(uint8_t tag, uint32_t index, const CKSTDocRecord& head,
                                   const uint8_t* body, size_t bodySize)
{
    int result = WriteBlockFrame(tag, index, head, bodySize);
    if (result == KST_OK && bodySize != 0) {
        result = WriteBytes(body, bodySize);
    }
    return result;
}

int CKSTDocFile::WriteFilledBlock(uint8_t tag, uint32_t index, const CKSTDocRecord& head,
                                  uint64_t n, uint32_t itemBits, const BodyFill& fill)
{
    // One megabyte of items, a multiple of 8 of them.
    constexpr uint64_t kChunkBits = uint64_t{8} << 20;
    const uint64_t bodySize = (n * itemBits + 7) / 8;
    int result = WriteBlockFrame(tag, index, head, bodySize);
    if (result != KST_OK || bodySize == 0) {
        return result;
    }
    uint8_t* room = IsInMemory() ? TakeMemoryRoom(static_cast<size_t>(bodySize)) : nullptr;
    if (room != nullptr) {
        fill(room, 0, static_cast<size_t>(n));
        return KST_OK;
    }
    const uint64_t perChunk = std::min(n, kChunkBits / itemBits / 8 * 8);
    m_chunk.resize(static_cast<size_t>((perChunk * itemBits + 7) / 8));
    for (uint64_t first = 0; result == KST_OK && first < n; first += perChunk) {
        const uint64_t count = std::min(perChunk, n - first);
        fill(m_chunk.data(), static_cast<size_t>(first), static_cast<size_t>(count));
        result = WriteBytes(m_chunk.data(), static_cast<size_t>((count * itemBits + 7) / 8));
    }
    return result;
}

int CKSTDocFile::WriteIndexedValue(uint8_t tag, uint32_t index, const CKSTDocRecord& value)
{
    if (index > kMaxChannelIndex) {
        return KST_ERR_TOO_LARGE;
    }
    CKSTDocRecord frame;
    frame.PutU8(tag);
    frame.PutCount8(index);
    frame.PutBytes(value.GetData(), value.GetSize());
    return WriteBytes(frame.GetData(), frame.GetSize());
}

// --- Reading ---

void CKSTDocImage::Clear()
{
    m_view.Unmap();
    m_storage.clear();
    m_data = nullptr;
    m_size = 0;
}

int CKSTDocFile::LoadImage(CKSTDocImage& image)
{
    image.Clear();
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    if (IsInMemory()) {
        const CKSTMemBuffer& memory = GetMemoryBuffer();
        image.m_data = memory.GetData();
        image.m_size = memory.GetSize();
    } else {
        const int64_t size = GetSize();
        if (size < 0) {
            return KST_ERR_SHORT_TRANSFER;
        }
        if (static_cast<uint64_t>(size) > SIZE_MAX / 2) {
            return KST_ERR_TOO_LARGE;
        }
        // The samples are decoded where the system keeps the file: no copy into fresh memory.
        if (image.m_view.Map(m_file, static_cast<size_t>(size))) {
            image.m_data = reinterpret_cast<const uint8_t*>(image.m_view.GetData());
            image.m_size = image.m_view.GetSize();
        } else {
            const int result = ReadFileImage(image, static_cast<size_t>(size));
            if (result != KST_OK) {
                return result;
            }
        }
    }
    if (image.m_size < kDocMagicSize || std::memcmp(image.m_data, kDocMagic, kDocMagicSize) != 0) {
        return KST_ERR_NOT_CONTAINER;
    }
    m_samplesLeft = m_sampleBudget != 0 ? m_sampleBudget : FreeMemorySampleBudget();
    return KST_OK;
}

int CKSTDocFile::ReadFileImage(CKSTDocImage& image, size_t size)
{
    try {
        image.m_storage.resize(size);
    } catch (const std::bad_alloc&) {
        return KST_ERR_TOO_LARGE;
    }
    Seek(0, 0);
    size_t done = 0;
    while (done < image.m_storage.size()) {
        const uint32_t chunk =
            static_cast<uint32_t>(std::min<size_t>(image.m_storage.size() - done, 1u << 26));
        const uint32_t got = Read(image.m_storage.data() + done, chunk);
        if (got == 0) {
            break;
        }
        done += got;
    }
    // A file that shrank under us is scanned as far as it goes.
    image.m_storage.resize(done);
    image.m_data = image.m_storage.data();
    image.m_size = image.m_storage.size();
    return KST_OK;
}

uint64_t CKSTDocFile::FreeMemorySampleBudget()
{
    // A sample costs its value, its time when it has one and its missing flag.
    constexpr uint64_t kBytesPerSample = 17;
    // When the platform cannot tell, what a machine of today surely has.
    constexpr uint64_t kUnknown = uint64_t{1} << 28;
    const uint64_t available = KstAvailableMemory();
    return available == 0 ? kUnknown : std::max<uint64_t>(available / 2 / kBytesPerSample, 1);
}

bool CKSTDocFile::TakeFromBudget(uint64_t samples)
{
    if (samples > m_samplesLeft) {
        return false;
    }
    m_samplesLeft -= samples;
    return true;
}

bool CKSTDocFile::GrowList(CKSTChannelList& channels, int index)
{
    // What an empty channel costs in memory, counted in samples.
    constexpr uint64_t kChannelCost = 64;
    while (channels.GetCount() <= index) {
        if (!TakeFromBudget(kChannelCost)) {
            return false;
        }
        channels.AddNew();
    }
    return true;
}
