#pragma once
// Helpers of the container tests: a builder for hand-made record bytes (the fixtures of older
// record forms and of malformed input), and writing a container into memory and back.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "data/DocFile.h"
#include "foundation/MemBuffer.h"

using KstBytes = std::vector<uint8_t>;

// Little-endian bytes appended one field at a time.
class ByteWriter {
public:
    ByteWriter& U8(uint32_t v)
    {
        m_bytes.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    ByteWriter& U16(uint32_t v) { return U8(v).U8(v >> 8); }
    ByteWriter& U32(uint32_t v) { return U16(v).U16(v >> 16); }
    ByteWriter& I16(int32_t v) { return U16(static_cast<uint32_t>(v)); }
    ByteWriter& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
    ByteWriter& U64(uint64_t v) { return U32(static_cast<uint32_t>(v)).U32(v >> 32); }
    ByteWriter& F64(double v)
    {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        return U64(bits);
    }
    ByteWriter& Raw(const std::string& s)
    {
        m_bytes.insert(m_bytes.end(), s.begin(), s.end());
        return *this;
    }
    ByteWriter& Raw(const KstBytes& b)
    {
        m_bytes.insert(m_bytes.end(), b.begin(), b.end());
        return *this;
    }
    // One length byte, then the text.
    ByteWriter& Short(const std::string& s) { return U8(static_cast<uint32_t>(s.size())).Raw(s); }
    // u16 length, then the text.
    ByteWriter& Text16(const std::string& s) { return U16(static_cast<uint32_t>(s.size())).Raw(s); }
    // Count8 length, then the text.
    ByteWriter& Prop(const std::string& s)
    {
        if (s.size() < 0xFF) {
            U8(static_cast<uint32_t>(s.size()));
        } else {
            U8(0xFF).U16(static_cast<uint32_t>(s.size()));
        }
        return Raw(s);
    }
    ByteWriter& Count16(uint32_t v) { return v < 0xFFFF ? U16(v) : U16(0xFFFF).U32(v); }
    // A framed record: tag, Count16 length, payload.
    ByteWriter& Framed(uint8_t tag, const ByteWriter& payload)
    {
        return U8(tag).Count16(static_cast<uint32_t>(payload.Size())).Raw(payload.m_bytes);
    }
    // Logical-font fields as the font record stores them.
    ByteWriter& Font(const std::string& face, int32_t height, int32_t weight)
    {
        Short(face).U8(1).U8(2).I32(30).I32(height).U8(1).I32(40).U8(3).U8(0x22).U8(4).U8(1).U8(1);
        return I32(weight).I32(7);
    }

    size_t Size() const { return m_bytes.size(); }
    const KstBytes& Bytes() const { return m_bytes; }

private:
    KstBytes m_bytes;
};

// The magic followed by the given records.
inline KstBytes Container(const ByteWriter& records)
{
    KstBytes bytes(kDocMagic, kDocMagic + kDocMagicSize);
    bytes.insert(bytes.end(), records.Bytes().begin(), records.Bytes().end());
    return bytes;
}

// Runs write on a container opened for writing into memory; returns its bytes.
inline KstBytes WriteToMemory(const std::function<int(CKSTDocFile&)>& write)
{
    CKSTDocFile file;
    EXPECT_EQ(file.OpenMemoryWrite(), KST_OK);
    EXPECT_EQ(write(file), KST_OK);
    const CKSTMemBuffer& memory = file.GetMemoryBuffer();
    KstBytes bytes(memory.GetData(), memory.GetData() + memory.GetSize());
    EXPECT_EQ(file.Close(), KST_OK);
    return bytes;
}

// Opens the bytes as a container in memory for reading.
inline int OpenMemory(CKSTDocFile& file, const KstBytes& bytes)
{
    CKSTMemBuffer memory;
    memory.Write(bytes.data(), 1, static_cast<uint32_t>(bytes.size()));
    file.SetMemory(memory);
    return file.OpenMemoryRead();
}

// FNV-1a fingerprint of a byte image: the stored forms' tests pin what the writers produce.
inline uint64_t Fingerprint(const KstBytes& bytes)
{
    uint64_t hash = 0xCBF29CE484222325u;
    for (uint8_t b : bytes) {
        hash = (hash ^ b) * 0x100000001B3u;
    }
    return hash;
}

// Feeds read every prefix of bytes and a series of copies with random bytes changed; read must
// come back without a fault the sanitizers see, with one of the results it may give.
inline void ExpectRobustReads(const KstBytes& bytes, const std::vector<int>& allowed,
                              const std::function<int(const KstBytes&)>& read)
{
    auto check = [&](const KstBytes& input) {
        const int result = read(input);
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), result), allowed.end())
            << "result " << result << " for " << input.size() << " bytes";
    };
    for (size_t n = kDocMagicSize; n < bytes.size(); ++n) {
        SCOPED_TRACE("cut at " + std::to_string(n));
        check(KstBytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)));
    }
    std::mt19937 random(12345);
    std::uniform_int_distribution<size_t> position(kDocMagicSize, bytes.size() - 1);
    std::uniform_int_distribution<int> value(0, 255);
    std::uniform_int_distribution<int> changes(1, 8);
    for (int round = 0; round < 2000; ++round) {
        KstBytes mutated = bytes;
        for (int i = changes(random); i > 0; --i) {
            mutated[position(random)] = static_cast<uint8_t>(value(random));
        }
        SCOPED_TRACE("mutation round " + std::to_string(round));
        check(mutated);
    }
}
