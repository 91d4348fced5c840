#pragma once
// Growable byte buffer with one read/write position: the memory side of every stream, protocol
// message and document assembled in memory.

#include <cstdint>
#include <cstdio>
#include <string>

#include "foundation/String.h"

class CKSTMemBuffer {
public:
    // Largest size a buffer may reach: positions one past the end and the signed offsets of
    // Find must still fit their types.
    static constexpr uint32_t kMaxSize = 0x7FFFFFFF;
    static constexpr uint32_t kInitialGrowth = 100;

    CKSTMemBuffer();
    CKSTMemBuffer(const CKSTMemBuffer& other);  // as CopyFrom
    ~CKSTMemBuffer();
    // Copies size and bytes; the position stays. Throws std::bad_alloc when memory runs out.
    CKSTMemBuffer& operator=(const CKSTMemBuffer& other);

    void Free();
    // The other's bytes with position 0. Throws std::bad_alloc when memory runs out.
    void CopyFrom(const CKSTMemBuffer& other);
    // The first min(n, other's size) bytes of the other, position 0.
    void AssignPart(const CKSTMemBuffer& other, uint32_t n);

    // Reallocates to max(capacity + growth step, n) unless n equals the capacity; false (and
    // nothing changed) when n exceeds kMaxSize or the memory cannot be had.
    bool Reserve(uint32_t n);
    // Size n, new bytes undefined; false (nothing changed) when the capacity cannot be had.
    bool SetSize(uint32_t n);
    // Clamped to the size; returns the size.
    uint32_t SetPosition(uint32_t p);
    // Pointer to byte index; index == size (one past the end) is allowed. Throws the integer
    // KST_ERR_INDEX when the buffer is empty or index > size.
    uint8_t* At(uint32_t index);
    const uint8_t* At(uint32_t index) const;
    // Removes count bytes at offset (nothing when the range passes the end); a position behind
    // the range moves with its bytes, one inside it moves to offset. Returns the new size.
    uint32_t RemoveBytes(uint32_t offset, uint32_t count);

    // Whole items from the position, cut to what is left; see the .cpp for the end-of-data rule.
    uint32_t Read(void* destination, uint32_t itemSize, uint32_t count);
    // Writes at the position, growing as needed; returns count, or 0 (nothing written) when
    // the buffer would pass kMaxSize or memory runs out.
    uint32_t Write(const void* source, uint32_t itemSize, uint32_t count);
    uint32_t WriteString(const CKSTString& text);
    // Exactly width bytes: the text cut or padded with zero bytes. 0, or KST_ERR_TOO_LARGE.
    int WriteFixedString(const CKSTString& text, uint32_t width);

    // Text reads: 0, or KST_ERR_END_OF_DATA once the position has reached the size afterwards
    // (the text read is valid in both cases).
    int ReadLine(CKSTString& out);
    int ReadSz(CKSTString& out);
    int ReadFixedString(CKSTString& out, uint32_t width);
    int ReadRest(CKSTString& out);
    // count bytes from offset, cut to the buffer; the position stays. Returns 0.
    int GetString(CKSTString& out, uint32_t offset, uint32_t count) const;

    // n bytes from a C stream, position 0; KST_ERR_SHORT_TRANSFER (keeping the bytes that
    // arrived) when fewer come or the buffer cannot hold n.
    int LoadFile(FILE* file, uint32_t n);
    int SaveFile(FILE* file) const;
    // Offset of the first occurrence of the bytes of pattern at or after start; -1 when absent
    // or start is outside 0..size-1; an empty pattern gives start.
    int32_t Find(const CKSTString& pattern, int32_t start) const;

    uint32_t GetSize() const { return m_size; }
    uint32_t GetCapacity() const { return m_capacity; }
    uint32_t GetGrowth() const { return m_growth; }
    uint32_t GetPosition() const { return m_position; }
    // Bytes left between the position and the end (0 once the position is past it).
    uint32_t GetRemaining() const { return m_position < m_size ? m_size - m_position : 0; }
    bool IsPastEnd() const { return m_position > m_size; }
    uint8_t* GetData() { return m_data; }
    const uint8_t* GetData() const { return m_data; }

private:
    uint8_t* m_data;
    uint32_t m_size;
    uint32_t m_capacity;
    uint32_t m_growth;
    uint32_t m_position;
};

namespace kst_detail {

// The line rule shared by the buffer and the file stream, so both read lines alike: an LF ends
// the line; a backslash before an LF continues it on the next line; a doubled backslash gives
// one; CRs right after a backslash are dropped and the backslash keeps its meaning; a CR before
// the LF stays. Source provides int Get() (a byte, or -1 at the end) and void Unget(int c).
// Returns true when an unescaped LF ended the line, false when the data ended first.
template <class Source>
bool DecodeEscapedLine(Source& source, std::string& line)
{
    for (;;) {
        int c = source.Get();
        if (c < 0) {
            return false;
        }
        if (c == '\n') {
            return true;
        }
        if (c != '\\') {
            line += static_cast<char>(c);
            continue;
        }
        int next;
        do {
            next = source.Get();
        } while (next == '\r');
        if (next == '\\') {
            line += '\\';
        } else if (next != '\n') {
            line += '\\';
            if (next < 0) {
                return false;
            }
            source.Unget(next);
        }
    }
}

}  // namespace kst_detail
