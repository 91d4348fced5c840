#pragma once
// Helpers of the format tests: a little-endian (or big-endian) byte writer for hand-built
// files, temporary paths and reading files back.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/MemBuffer.h"

namespace kst_test {

class Bytes {
public:
    explicit Bytes(bool bigEndian = false) : m_big(bigEndian) {}

    Bytes& Text(const char* text)
    {
        m_data.insert(m_data.end(), text, text + std::strlen(text));
        return *this;
    }
    Bytes& Raw(const void* p, size_t n)
    {
        const auto* b = static_cast<const uint8_t*>(p);
        m_data.insert(m_data.end(), b, b + n);
        return *this;
    }
    Bytes& U8(uint8_t v) { return Raw(&v, 1); }
    Bytes& Zeros(size_t n)
    {
        m_data.insert(m_data.end(), n, 0);
        return *this;
    }
    Bytes& U16(uint16_t v) { return Number(v); }
    Bytes& U32(uint32_t v) { return Number(v); }
    Bytes& I16(int16_t v) { return Number(static_cast<uint16_t>(v)); }
    Bytes& I32(int32_t v) { return Number(static_cast<uint32_t>(v)); }
    Bytes& F32(float v)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return Number(bits);
    }
    Bytes& F64(double v)
    {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        return Number(bits);
    }
    // Overwrites a 32-bit number at a position written before.
    void PatchU32(size_t at, uint32_t v)
    {
        Bytes b(m_big);
        b.U32(v);
        std::memcpy(m_data.data() + at, b.m_data.data(), 4);
    }
    void PatchU16(size_t at, uint16_t v)
    {
        Bytes b(m_big);
        b.U16(v);
        std::memcpy(m_data.data() + at, b.m_data.data(), 2);
    }

    size_t Size() const { return m_data.size(); }
    const std::vector<uint8_t>& Data() const { return m_data; }
    CKSTMemBuffer Buffer() const
    {
        CKSTMemBuffer buffer;
        buffer.Write(m_data.data(), 1, static_cast<uint32_t>(m_data.size()));
        buffer.SetPosition(0);
        return buffer;
    }
    bool Save(const std::string& path) const
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        if (f == nullptr) {
            return false;
        }
        const bool ok = std::fwrite(m_data.data(), 1, m_data.size(), f) == m_data.size();
        return std::fclose(f) == 0 && ok;
    }

private:
    template <typename T>
    Bytes& Number(T v)
    {
        for (size_t i = 0; i < sizeof(T); ++i) {
            const size_t shift = m_big ? (sizeof(T) - 1 - i) * 8 : i * 8;
            m_data.push_back(static_cast<uint8_t>(static_cast<uint64_t>(v) >> shift));
        }
        return *this;
    }

    bool m_big;
    std::vector<uint8_t> m_data;
};

inline std::vector<uint8_t> ReadWholeFile(const std::string& path)
{
    std::vector<uint8_t> data;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        return data;
    }
    uint8_t chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        data.insert(data.end(), chunk, chunk + n);
    }
    std::fclose(f);
    return data;
}

// A file name in the temporary folder, unique within the run.
inline std::string TempPath(const std::string& name)
{
    static int counter = 0;
    const char* dir = std::getenv("TMPDIR");
#ifdef _WIN32
    const char* base = std::getenv("TEMP");
    std::string folder = base != nullptr ? base : ".";
    folder += "\\";
#else
    std::string folder = dir != nullptr ? dir : "/tmp";
    folder += "/";
#endif
    (void)dir;
    return folder + "kst_formats_" + std::to_string(++counter) + "_" + name;
}

// The value formulas of tools/sound_fixtures.py.
inline double FixtureS16(int k, int c)
{
    return ((k * 37 + c * 1000) % 60001) - 30000;
}
inline double FixtureU8(int k, int c)
{
    return ((k * 7 + c * 50 + 3) % 256) - 128;
}

}  // namespace kst_test
