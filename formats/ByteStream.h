#pragma once
// Buffered little-endian reading and writing over a CKSTDataFile for the binary sound and MAT
// formats. The reader counts what is left of the stream so that no length from a file is
// trusted beyond it; the writer remembers a failed write so that a full disk is reported.
// Beside them, what the binary readers share to decode long runs of samples: numbers in either
// byte order, room in a channel and runs of a stream decoded on several threads.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <mutex>
#include <type_traits>
#include <vector>

#include "foundation/ByteOrder.h"
#include "foundation/DataFile.h"
#include "foundation/MemBuffer.h"
#include "foundation/ParallelFor.h"

class CKSTChannel;

// The grain of a decoder that carries state from one element to the next: never split, not even
// by KstSetParallelLimits.
constexpr size_t kKstInOrder = 0;

// n more present samples behind the channel's last one, counted at once: the caller writes their
// values before the channel is used again. Null for n == 0.
double* KstAppendRoom(CKSTChannel& channel, uint32_t n);
// Room behind the last sample of each of the first shares.size() channels for shares[c] more
// samples, their arrays grown to exactly that where they are short: rooms[c] points at each room,
// before[c] is the count before it. True when an array was made anew, which decides how a decode
// into the rooms is split (see KstDecodeGrain).
bool KstAppendRooms(const std::vector<CKSTChannel*>& channels, const std::vector<uint32_t>& shares,
                    std::vector<uint32_t>& before, std::vector<double*>& rooms);
// Drops the samples from index n on (nothing when n is not below the count): the rest of a run
// that the stream could not give.
void KstKeepSamples(CKSTChannel& channel, uint32_t n);

// decode(raw, first, n) gets elements first .. first + n - 1 of a run, the first at raw and the
// others `stride` bytes apart. Called from several threads at once when the run is split; each
// call must then write only what its own elements decode to.
using KstRunDecoder = std::function<void(const uint8_t* raw, uint64_t first, uint32_t n)>;

// Hands on `count` elements of `size` bytes, `stride` bytes apart from byte `start` of the stream,
// in blocks small enough to stay in the cache. With a grain below the count, ranges of the run go
// to several threads; with kKstInOrder every block goes to the calling thread, in order. A memory
// stream hands out its own bytes; a file is read into a buffer per thread, one read at a time.
// Returns how many elements lie before the first one the stream could not give; the stream's
// position is then the caller's to set.
uint64_t KstDecodeRun(CKSTDataFile& stream, uint64_t start, uint64_t count, uint32_t size,
                      uint32_t stride, size_t grain, const KstRunDecoder& decode);
// The same over `bytes` bytes in memory from `data` on.
uint64_t KstDecodeRun(const uint8_t* data, uint64_t bytes, uint64_t start, uint64_t count,
                      uint32_t size, uint32_t stride, size_t grain, const KstRunDecoder& decode);

// One stream read by position from several threads: each thread reads through its own View, and
// the stream serves one read at a time. A memory stream hands out its own bytes.
class CKSTSharedReader {
public:
    explicit CKSTSharedReader(CKSTDataFile& stream);
    // `size` bytes in memory.
    CKSTSharedReader(const uint8_t* data, uint64_t size) : m_memory(data), m_size(size) {}
    CKSTSharedReader(const CKSTSharedReader&) = delete;
    CKSTSharedReader& operator=(const CKSTSharedReader&) = delete;

    uint64_t GetSize() const { return m_size; }

    class View {
    public:
        // Reads of a file stop at byte `end`, where the run that is read ends.
        explicit View(CKSTSharedReader& shared, uint64_t end = UINT64_MAX)
            : m_shared(shared), m_end(end)
        {
        }
        // Up to n bytes from byte `position` on, valid until the next call; `got` tells how many
        // the stream holds there. A file is read ahead a megabyte at a time, never past the end
        // given: a short run reads no more than it needs.
        const uint8_t* Get(uint64_t position, size_t n, size_t& got);

    private:
        CKSTSharedReader& m_shared;
        uint64_t m_end;
        std::vector<uint8_t> m_buffer;
        uint64_t m_start = 0;
        size_t m_held = 0;
    };

private:
    CKSTDataFile* m_stream = nullptr;
    std::mutex m_lock;
    const uint8_t* m_memory = nullptr;
    uint64_t m_size = 0;
};

// The image into the stream's own buffer at position 0, as CKSTDataFile::SetMemory does, with the
// fresh pages of the copy touched from several threads. Throws std::bad_alloc when memory runs out.
void KstCopyMemoryImage(CKSTDataFile& stream, const CKSTMemBuffer& image);

// The byte order other than the machine's.
constexpr KstByteOrder kKstSwappedOrder =
    kKstMachineOrder == KstByteOrder::Little ? KstByteOrder::Big : KstByteOrder::Little;

// A number of type T at any byte offset, in the other byte order when kSwap is set.
template <typename T, bool kSwap>
T KstLoadNumber(const uint8_t* p)
{
    return KstLoad<T, (kSwap ? kKstSwappedOrder : kKstMachineOrder)>(p);
}

// n numbers of type T, `stride` bytes apart from p, widened into out. One tight loop per type
// and byte order; doubles packed in the machine's order are copied as they are.
template <typename T, bool kSwap>
void KstWidenRun(const uint8_t* p, size_t stride, double* out, size_t n)
{
    if (std::is_same<T, double>::value && !kSwap && stride == sizeof(double)) {
        std::memcpy(out, p, n * sizeof(double));
        return;
    }
    for (size_t i = 0; i < n; ++i) {
        out[i] = static_cast<double>(KstLoadNumber<T, kSwap>(p + i * stride));
    }
}

template <typename T>
void KstWidenRun(const uint8_t* p, size_t stride, bool swap, double* out, size_t n)
{
    if (swap) {
        KstWidenRun<T, true>(p, stride, out, n);
    } else {
        KstWidenRun<T, false>(p, stride, out, n);
    }
}

class CKSTByteReader {
public:
    // Reads on from the stream's current position up to its size. With a view of the stream's
    // bytes (all GetSize() of them, valid while the reader is used), reads take them from there
    // without a copy and the stream itself is not moved.
    explicit CKSTByteReader(CKSTDataFile& file, const uint8_t* view = nullptr);
    CKSTByteReader(const CKSTByteReader&) = delete;
    CKSTByteReader& operator=(const CKSTByteReader&) = delete;

    uint64_t GetPosition() const { return m_position; }
    uint64_t GetSize() const { return m_size; }
    uint64_t Remaining() const { return m_size - m_position; }

    // Multi-byte numbers are taken in the other byte order while set.
    void SetSwap(bool swap) { m_swap = swap; }
    bool IsSwapped() const { return m_swap; }

    // False, with nothing consumed, when fewer than n bytes remain or the stream fails.
    bool Read(void* destination, size_t n);
    // False when the target lies beyond the end; the position is then the end.
    bool Skip(uint64_t n);
    bool SeekTo(uint64_t position);

    bool ReadU8(uint8_t& value);
    bool ReadU16(uint16_t& value);
    bool ReadU32(uint32_t& value);
    bool ReadF32(float& value);
    bool ReadF64(double& value);

    // Reading goes on from the reader's position after others moved the stream.
    void Resume();

    // The next `count` elements through KstDecodeRun (never more than remain); the position then
    // lies behind the last element read. Returns the elements read.
    uint64_t DecodeRun(uint64_t count, uint32_t size, uint32_t stride, size_t grain,
                       const KstRunDecoder& decode);

private:
    bool Fill(size_t wanted);

    CKSTDataFile& m_file;
    const uint8_t* m_view;
    std::vector<uint8_t> m_buffer;
    size_t m_bufferStart = 0;  // first unread byte of the buffer
    size_t m_bufferEnd = 0;
    uint64_t m_position = 0;  // position of the next byte handed out
    uint64_t m_size = 0;
    bool m_swap = false;
};

class CKSTByteWriter {
public:
    explicit CKSTByteWriter(CKSTDataFile& file);
    CKSTByteWriter(const CKSTByteWriter&) = delete;
    CKSTByteWriter& operator=(const CKSTByteWriter&) = delete;

    void Bytes(const void* source, size_t n);
    void Text(const char* text);
    void Zeros(size_t n);
    void U8(uint8_t value) { Bytes(&value, 1); }
    void U16(uint16_t value);
    void U32(uint32_t value);
    void I16(int16_t value) { U16(static_cast<uint16_t>(value)); }
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void F32(float value);
    void F64(double value);

    uint64_t GetWritten() const { return m_written; }
    // Hands the rest to the stream: 0, or KST_ERR_SHORT_TRANSFER when any write failed.
    [[nodiscard]] int Finish();

private:
    void Flush();

    CKSTDataFile& m_file;
    std::vector<uint8_t> m_buffer;
    size_t m_used = 0;
    uint64_t m_written = 0;
    bool m_failed = false;
};
