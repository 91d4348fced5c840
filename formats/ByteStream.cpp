#include "formats/ByteStream.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "data/Channel.h"
#include "foundation/ErrorCodes.h"
#include "foundation/ParallelFor.h"

namespace {

constexpr size_t kBufferSize = 64 * 1024;
// Raw bytes a decoder gets at once.
constexpr size_t kRunBlockBytes = 64 * 1024;
// Bytes a thread reads from a file at once: few enough reads that the threads seldom wait for
// one another's.
constexpr size_t kReadAheadBytes = 1024 * 1024;
// Bytes per thread of a memory image's copy.
constexpr size_t kCopyGrain = size_t{8} << 20;

// A number in the reader's byte order.
template <typename T>
bool ReadNumber(CKSTByteReader& reader, T& value)
{
    uint8_t bytes[sizeof(T)];
    if (!reader.Read(bytes, sizeof bytes)) {
        return false;
    }
    value = reader.IsSwapped() ? KstLoadNumber<T, true>(bytes) : KstLoadNumber<T, false>(bytes);
    return true;
}

template <typename T>
void WriteLittle(CKSTByteWriter& writer, T value)
{
    uint8_t bytes[sizeof(T)];
    KstStoreLE(bytes, value);
    writer.Bytes(bytes, sizeof bytes);
}

}  // namespace

CKSTByteReader::CKSTByteReader(CKSTDataFile& file, const uint8_t* view)
    : m_file(file), m_view(view), m_buffer(view != nullptr ? 0 : kBufferSize)
{
    const int64_t position = file.Tell();
    const int64_t size = file.GetSize();
    if (position >= 0 && size >= position) {
        m_position = static_cast<uint64_t>(position);
        m_size = static_cast<uint64_t>(size);
    }
}

bool CKSTByteReader::Fill(size_t wanted)
{
    const size_t held = m_bufferEnd - m_bufferStart;
    if (held >= wanted) {
        return true;
    }
    if (m_bufferStart > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_bufferStart, held);
        m_bufferStart = 0;
        m_bufferEnd = held;
    }
    const uint64_t unbuffered = Remaining() - held;
    const size_t room = m_buffer.size() - m_bufferEnd;
    const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(room, unbuffered));
    if (n > 0) {
        m_bufferEnd += m_file.Read(m_buffer.data() + m_bufferEnd, n);
    }
    return m_bufferEnd - m_bufferStart >= wanted;
}

bool CKSTByteReader::Read(void* destination, size_t n)
{
    if (n > Remaining()) {
        return false;
    }
    auto* out = static_cast<uint8_t*>(destination);
    if (m_view != nullptr) {
        if (n > 0) {
            std::memcpy(out, m_view + m_position, n);
        }
        m_position += n;
        return true;
    }
    const size_t held = m_bufferEnd - m_bufferStart;
    if (n <= held || n < m_buffer.size() / 2) {
        if (!Fill(n)) {
            return false;
        }
        std::memcpy(out, m_buffer.data() + m_bufferStart, n);
        m_bufferStart += n;
        m_position += n;
        return true;
    }
    // Large blocks go straight from the stream.
    std::memcpy(out, m_buffer.data() + m_bufferStart, held);
    m_bufferStart = m_bufferEnd = 0;
    size_t done = held;
    while (done < n) {
        const uint32_t part = static_cast<uint32_t>(std::min<size_t>(n - done, 1u << 30));
        const uint32_t got = m_file.Read(out + done, part);
        done += got;
        if (got < part) {
            // The stream gave less than its size promised: what was read is gone, so the
            // position follows it and the rest counts as absent.
            m_position += done;
            m_size = m_position;
            return false;
        }
    }
    m_position += n;
    return true;
}

bool CKSTByteReader::SeekTo(uint64_t position)
{
    if (position > m_size) {
        position = m_size;
        SeekTo(position);
        return false;
    }
    if (m_view != nullptr) {
        m_position = position;
        return true;
    }
    const uint64_t bufferBase = m_position - m_bufferStart;
    if (position >= bufferBase && position <= bufferBase + m_bufferEnd) {
        m_bufferStart = static_cast<size_t>(position - bufferBase);
        m_position = position;
        return true;
    }
    m_bufferStart = m_bufferEnd = 0;
    m_position = position;
    return m_file.Seek(static_cast<int64_t>(position), SEEK_SET) >= 0;
}

bool CKSTByteReader::Skip(uint64_t n)
{
    return SeekTo(n > Remaining() ? m_size + 1 : m_position + n);
}

bool CKSTByteReader::ReadU8(uint8_t& value)
{
    return Read(&value, 1);
}

bool CKSTByteReader::ReadU16(uint16_t& value)
{
    return ReadNumber(*this, value);
}

bool CKSTByteReader::ReadU32(uint32_t& value)
{
    return ReadNumber(*this, value);
}

bool CKSTByteReader::ReadF32(float& value)
{
    return ReadNumber(*this, value);
}

bool CKSTByteReader::ReadF64(double& value)
{
    return ReadNumber(*this, value);
}

void CKSTByteReader::Resume()
{
    if (m_view != nullptr) {
        return;
    }
    m_bufferStart = m_bufferEnd = 0;
    m_file.Seek(static_cast<int64_t>(m_position), SEEK_SET);
}

uint64_t CKSTByteReader::DecodeRun(uint64_t count, uint32_t size, uint32_t stride, size_t grain,
                                   const KstRunDecoder& decode)
{
    const uint64_t start = m_position;
    const uint64_t fit = Remaining() >= size ? (Remaining() - size) / stride + 1 : 0;
    const uint64_t wanted = std::min(count, fit);
    const uint64_t got =
        m_view != nullptr ? KstDecodeRun(m_view, m_size, start, wanted, size, stride, grain, decode)
                          : KstDecodeRun(m_file, start, wanted, size, stride, grain, decode);
    m_position = got == 0 ? start : start + (got - 1) * stride + size;
    if (got < wanted) {
        // As Read does: what the stream did not give counts as absent.
        m_size = m_position;
    }
    Resume();
    return got;
}

double* KstAppendRoom(CKSTChannel& channel, uint32_t n)
{
    double* room = nullptr;
    channel.AppendDecoded(n, [&room](double* out) { room = out; });
    return room;
}

bool KstAppendRooms(const std::vector<CKSTChannel*>& channels, const std::vector<uint32_t>& shares,
                    std::vector<uint32_t>& before, std::vector<double*>& rooms)
{
    before.resize(shares.size());
    rooms.resize(shares.size());
    bool fresh = false;
    for (size_t c = 0; c < shares.size(); ++c) {
        CKSTChannel& channel = *channels[c];
        before[c] = channel.GetCount();
        const uint32_t needed = before[c] + shares[c];
        if (channel.GetCapacity() < needed) {
            fresh = true;
            channel.SetCapacity(needed);
        }
        rooms[c] = KstAppendRoom(channel, shares[c]);
    }
    return fresh;
}

void KstKeepSamples(CKSTChannel& channel, uint32_t n)
{
    if (n < channel.GetCount()) {
        channel.SetCapacity(n);
    }
}

CKSTSharedReader::CKSTSharedReader(CKSTDataFile& stream) : m_stream(&stream)
{
    const int64_t size = stream.GetSize();
    m_size = size > 0 ? static_cast<uint64_t>(size) : 0;
    if (stream.IsInMemory() && m_size > 0) {
        m_memory = stream.GetMemoryBuffer().GetData();
    }
}

const uint8_t* CKSTSharedReader::View::Get(uint64_t position, size_t n, size_t& got)
{
    const uint64_t size = m_shared.m_size;
    got = position < size ? static_cast<size_t>(std::min<uint64_t>(n, size - position)) : 0;
    if (got == 0) {
        return nullptr;
    }
    if (m_shared.m_memory != nullptr) {
        return m_shared.m_memory + position;
    }
    if (position >= m_start && position + got <= m_start + m_held) {
        return m_buffer.data() + (position - m_start);
    }
    const uint64_t ahead = std::max<uint64_t>(m_end, position + got) - position;
    const size_t want = static_cast<size_t>(std::min<uint64_t>(
        std::max(got, std::min<size_t>(kReadAheadBytes, ahead)),
        std::min<uint64_t>(size - position, UINT32_MAX)));
    m_buffer.resize(std::max(m_buffer.size(), want));
    m_start = position;
    m_held = 0;
    {
        std::lock_guard<std::mutex> lock(m_shared.m_lock);
        if (m_shared.m_stream->Seek(static_cast<int64_t>(position), SEEK_SET) >= 0) {
            m_held = m_shared.m_stream->Read(m_buffer.data(), static_cast<uint32_t>(want));
        }
    }
    got = std::min(got, m_held);
    return m_buffer.data();
}

namespace {

uint64_t DecodeShared(CKSTSharedReader& shared, uint64_t start, uint64_t count, uint32_t size,
                      uint32_t stride, size_t grain, const KstRunDecoder& decode)
{
    if (count == 0 || size == 0 || stride < size || start > shared.GetSize()) {
        return 0;
    }
    const uint64_t left = shared.GetSize() - start;
    const uint64_t total = std::min(count, left >= size ? (left - size) / stride + 1 : 0);
    if (total == 0) {
        return 0;
    }
    const uint32_t perBlock = static_cast<uint32_t>(std::max<size_t>(1, kRunBlockBytes / stride));
    // Each range reads its blocks by position; a file's reads take turns, while the decoding of
    // the blocks runs side by side.
    std::mutex failureLock;
    uint64_t firstMissing = total;
    auto range = [&](size_t begin, size_t end) {
        CKSTSharedReader::View view(shared, start + (end - 1) * uint64_t{stride} + size);
        for (size_t first = begin; first < end;) {
            const uint32_t n = static_cast<uint32_t>(std::min<size_t>(perBlock, end - first));
            size_t got = 0;
            const uint8_t* raw =
                view.Get(start + first * stride, static_cast<size_t>(n - 1) * stride + size, got);
            const uint32_t whole =
                got >= size
                    ? std::min<uint32_t>(n, static_cast<uint32_t>((got - size) / stride + 1))
                    : 0;
            if (whole > 0) {
                decode(raw, first, whole);
            }
            if (whole < n) {
                std::lock_guard<std::mutex> lock(failureLock);
                firstMissing = std::min<uint64_t>(firstMissing, first + whole);
                return;
            }
            first += n;
        }
    };
    if (grain == kKstInOrder) {
        range(0, static_cast<size_t>(total));
    } else {
        KstParallelFor(static_cast<size_t>(total), grain, range);
    }
    return firstMissing;
}

}  // namespace

uint64_t KstDecodeRun(CKSTDataFile& stream, uint64_t start, uint64_t count, uint32_t size,
                      uint32_t stride, size_t grain, const KstRunDecoder& decode)
{
    CKSTSharedReader shared(stream);
    return DecodeShared(shared, start, count, size, stride, grain, decode);
}

uint64_t KstDecodeRun(const uint8_t* data, uint64_t bytes, uint64_t start, uint64_t count,
                      uint32_t size, uint32_t stride, size_t grain, const KstRunDecoder& decode)
{
    CKSTSharedReader shared(data, bytes);
    return DecodeShared(shared, start, count, size, stride, grain, decode);
}

void KstCopyMemoryImage(CKSTDataFile& stream, const CKSTMemBuffer& image)
{
    CKSTMemBuffer& own = stream.GetMemoryBuffer();
    if (&own == &image) {
        own.SetPosition(0);
        return;
    }
    const uint32_t n = image.GetSize();
    // A buffer of about the size keeps its pages, which later images of a run of blocks reuse.
    if (own.GetCapacity() < n || own.GetCapacity() / 2 > n) {
        own.Free();
    }
    if (!own.SetSize(n)) {
        throw std::bad_alloc();
    }
    if (n > 0) {
        uint8_t* to = own.GetData();
        const uint8_t* from = image.GetData();
        KstParallelFor(n, kCopyGrain, [&](size_t begin, size_t end) {
            std::memcpy(to + begin, from + begin, end - begin);
        });
    }
    own.SetPosition(0);
}

CKSTByteWriter::CKSTByteWriter(CKSTDataFile& file) : m_file(file), m_buffer(kBufferSize) {}

void CKSTByteWriter::Flush()
{
    if (m_used == 0) {
        return;
    }
    if (!m_failed && m_file.Write(m_buffer.data(), static_cast<uint32_t>(m_used)) != m_used) {
        m_failed = true;
    }
    m_used = 0;
}

void CKSTByteWriter::Bytes(const void* source, size_t n)
{
    const auto* in = static_cast<const uint8_t*>(source);
    m_written += n;
    while (n > 0) {
        if (m_used == m_buffer.size()) {
            Flush();
        }
        const size_t part = std::min(n, m_buffer.size() - m_used);
        std::memcpy(m_buffer.data() + m_used, in, part);
        m_used += part;
        in += part;
        n -= part;
    }
}

void CKSTByteWriter::Text(const char* text)
{
    Bytes(text, std::strlen(text));
}

void CKSTByteWriter::Zeros(size_t n)
{
    static const uint8_t kZeros[16] = {};
    while (n > 0) {
        const size_t part = std::min(n, sizeof kZeros);
        Bytes(kZeros, part);
        n -= part;
    }
}

void CKSTByteWriter::U16(uint16_t value)
{
    WriteLittle(*this, value);
}

void CKSTByteWriter::U32(uint32_t value)
{
    WriteLittle(*this, value);
}

void CKSTByteWriter::F32(float value)
{
    WriteLittle(*this, value);
}

void CKSTByteWriter::F64(double value)
{
    WriteLittle(*this, value);
}

int CKSTByteWriter::Finish()
{
    Flush();
    return m_failed ? KST_ERR_SHORT_TRANSFER : KST_OK;
}
