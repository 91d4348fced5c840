#pragma once
// Buffered little-endian reading and writing over a CKSTDataFile for the binary sound and MAT
// formats. The reader counts what is left of the stream so that no length from a file is
// trusted beyond it; the writer remembers a failed write so that a full disk is reported.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/DataFile.h"

class CKSTByteReader {
public:
    // Reads on from the stream's current position up to its size.
    explicit CKSTByteReader(CKSTDataFile& file);
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

private:
    bool Fill(size_t wanted);

    CKSTDataFile& m_file;
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
    int Finish();

private:
    void Flush();

    CKSTDataFile& m_file;
    std::vector<uint8_t> m_buffer;
    size_t m_used = 0;
    uint64_t m_written = 0;
    bool m_failed = false;
};
