#pragma once
// Hand-built FAMOS images for the reader and writer tests: keys with their length fields and
// binary data keys, assembled one key at a time.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "formats/FamosFile.h"
#include "foundation/MemBuffer.h"

namespace famos_test {

template <class T>
std::string LittleEndian(const std::vector<T>& values)
{
    std::string bytes;
    for (T v : values) {
        char raw[sizeof(T)];
        std::memcpy(raw, &v, sizeof raw);
        bytes.append(raw, sizeof raw);
    }
    return bytes;
}

inline std::string Text(const CKSTString& s)
{
    return std::string(s.c_str(), static_cast<size_t>(s.GetLength()));
}

inline CKSTMemBuffer Buffer(const std::string& bytes)
{
    CKSTMemBuffer buffer;
    if (!bytes.empty()) {
        buffer.Write(bytes.data(), 1, static_cast<uint32_t>(bytes.size()));
    }
    buffer.SetPosition(0);
    return buffer;
}

// A version 2 image built key by key.
class FamosImage {
public:
    explicit FamosImage(bool lineBreaks = true) : m_breaks(lineBreaks)
    {
        m_bytes = "|CF,2,1,1;|CK,1,3,1,1;";
        Break();
    }
    // "|XX,1,<length>,<fields>;"
    FamosImage& Key(const std::string& name, const std::string& fields)
    {
        m_bytes += "|" + name + ",1," + std::to_string(fields.size()) + "," + fields + ";";
        Break();
        return *this;
    }
    // A key given whole, also one with a wrong length.
    FamosImage& Raw(const std::string& text)
    {
        m_bytes += text;
        return *this;
    }
    // "|CS,1,<length>,<index>,<data>;"
    FamosImage& Data(int index, const std::string& data)
    {
        const std::string fields = std::to_string(index) + "," + data;
        m_bytes += "|CS,1," + std::to_string(fields.size()) + "," + fields + ";";
        Break();
        return *this;
    }
    // Where a channel's values lie and how they are packed.
    struct Layout {
        int reference = 1;
        int format = 8;
        int bytes = 8;
        int64_t bufferOffset = 0;
        int64_t filled = 0;
        std::string scaling = "0,0,0,1,1,V";
        int64_t valueOffset = 0;
        int64_t distance = 0;
        int sampleKey = 1;
        bool ownBuffer = true;
    };
    // The keys of an equidistant channel.
    FamosImage& Channel(const std::string& name, const Layout& layout)
    {
        Key("CG", "1,1,1");
        Key("CD", "0.5,1,1,s,0,0,0");
        Component(1, layout);
        return Key("CN", "0,0,0," + std::to_string(name.size()) + "," + name + ",0,");
    }
    FamosImage& Component(int index, const Layout& layout, const std::string& analog = "1")
    {
        Key("CC", std::to_string(index) + "," + analog);
        Key("CP", std::to_string(layout.reference) + "," + std::to_string(layout.bytes) + "," +
                      std::to_string(layout.format) + "," + std::to_string(layout.bytes * 8) +
                      ",0," + std::to_string(layout.valueOffset) + ",1," +
                      std::to_string(layout.distance));
        if (layout.ownBuffer) {
            Buffer(layout.reference, layout.bufferOffset, layout.filled, "0", layout.sampleKey);
        }
        return Key("CR", layout.scaling);
    }
    FamosImage& Buffer(int reference, int64_t bufferOffset, int64_t filled, const std::string& x0,
                       int sampleKey = 1, const std::string& addTime = "0")
    {
        return Key("Cb", "1,0," + std::to_string(reference) + "," + std::to_string(sampleKey) +
                             "," + std::to_string(bufferOffset) + "," + std::to_string(filled) +
                             ",0," + std::to_string(filled) + ",1," + x0 + "," + addTime + ",");
    }
    const std::string& Bytes() const { return m_bytes; }

private:
    void Break()
    {
        if (m_breaks) {
            m_bytes += "\r\n";
        }
    }

    std::string m_bytes;
    bool m_breaks;
};

// Reads an image through the reader as the measurement-file object does.
inline int ReadImage(const std::string& bytes, CKSTDataSet& dataSet)
{
    CKSTFamosFile file;
    const int open = file.SetMemory(Buffer(bytes));
    if (open != 0) {
        return open;
    }
    return file.Read(dataSet);
}

inline std::vector<double> Values(const CKSTChannel& c)
{
    return c.GetCount() == 0 ? std::vector<double>()
                             : std::vector<double>(c.GetValues(), c.GetValues() + c.GetCount());
}

}  // namespace famos_test
