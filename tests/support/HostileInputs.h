#pragma once
// Inputs built so that a reader or writer that is not linear in them takes far longer, or makes
// far more, than their size suggests; n scales each. The readers' linearity benchmark times them
// at two sizes, and the fuzz seeds start from small ones.

#include <cstdint>
#include <cstring>
#include <string>

#include "foundation/HeaderInfoList.h"

namespace kst_hostile {

// "|XX,1,<length>,<fields>;"
inline std::string FamosKey(const std::string& name, const std::string& fields)
{
    return "|" + name + ",1," + std::to_string(fields.size()) + "," + fields + ";\r\n";
}

// A version 1 FAMOS file of n channels, each with its own unit entry and named layout entry,
// sharing four interleaved 16-bit samples each: a reader that searches the keys again for every
// channel is quadratic.
inline std::string FamosVersion1Channels(int n)
{
    std::string bytes = "|CF,1,0,0;\r\n|CD,1,0.01,1,0,1,1,s;\r\n|CR,1," + std::to_string(n) + ",";
    for (int i = 0; i < n; ++i) {
        bytes += "1,1,2.0,0.5,000000000,1,V,";
    }
    bytes += ";\r\n|NT,1,ab,01.02.2020,1,,12:34:56.50;\r\n|CP,3,0,0," + std::to_string(n) + ",";
    for (int i = 0; i < n; ++i) {
        bytes += "4,0,c" + std::to_string(i) + ",";
    }
    const std::string data(static_cast<size_t>(n) * 4 * 2, '\x01');
    bytes += ";\r\n|CJ,1," + std::to_string(data.size() + 18) + ";\r\n";
    return bytes + "|CS,1," + std::to_string(data.size()) + "," + data + ";";
}

// The keys of a version 2 channel of one double in buffer `reference`, stored in data key
// `sampleKey`; the buffer's own key only when `ownBuffer`.
inline std::string FamosChannel(int reference, int sampleKey, int format, int bytes, int filled,
                                bool ownBuffer)
{
    const std::string ref = std::to_string(reference);
    std::string keys = FamosKey("CG", "1,1,1") + FamosKey("CD", "0.5,1,1,s,0,0,0") +
                       FamosKey("CC", "1,1") +
                       FamosKey("CP", ref + "," + std::to_string(bytes) + "," +
                                          std::to_string(format) + "," +
                                          std::to_string(bytes * 8) + ",0,0,1,0");
    if (ownBuffer) {
        const std::string size = std::to_string(filled);
        keys += FamosKey("Cb", "1,0," + ref + "," + std::to_string(sampleKey) + ",0," + size +
                                   ",0," + size + ",1,0,0,");
    }
    const std::string name = "c" + ref;
    return keys + FamosKey("CR", "0,0,0,1,1,V") +
           FamosKey("CN", "0,0,0," + std::to_string(name.size()) + "," + name + ",0,");
}

inline std::string FamosDataKey(int index, const std::string& data)
{
    const std::string fields = std::to_string(index) + "," + data;
    return "|CS,1," + std::to_string(fields.size()) + "," + fields + ";\r\n";
}

// A version 2 FAMOS file of n channels and 10 n data keys, channel i's one value in data key
// 10 i + 10: a reader that walks the data keys for every component is quadratic.
inline std::string FamosVersion2ManyDataKeys(int n)
{
    std::string bytes = "|CF,2,1,1;|CK,1,3,1,1;\r\n";
    for (int i = 0; i < n; ++i) {
        bytes += FamosChannel(i + 1, 10 * i + 10, 8, 8, 8, true);
    }
    for (int k = 1; k <= 10 * n; ++k) {
        double value = k;
        std::string raw(sizeof value, '\0');
        std::memcpy(&raw[0], &value, sizeof value);
        bytes += FamosDataKey(k, raw);
    }
    return bytes;
}

// A version 2 FAMOS file of n channels that all take every byte of one buffer of `bufferBytes`
// unsigned bytes as their samples: a few dozen bytes of keys make bufferBytes samples.
inline std::string FamosSharedBuffer(int n, int bufferBytes)
{
    std::string bytes = "|CF,2,1,1;|CK,1,3,1,1;\r\n";
    for (int i = 0; i < n; ++i) {
        bytes += FamosChannel(1, 1, 1, 1, bufferBytes, i == 0);
    }
    std::string data(static_cast<size_t>(bufferBytes), '\0');
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<char>(i * 7);
    }
    return bytes + FamosDataKey(1, data);
}

inline void AppendU32(std::string& bytes, uint32_t value)
{
    char raw[4];
    std::memcpy(raw, &value, sizeof raw);
    bytes.append(raw, sizeof raw);
}

// A level 5 MAT file whose n x (n + 1) matrix of int8 stores only n elements: one channel per
// row would be one channel per stored byte.
inline std::string MatCutShortMatrix(uint32_t n)
{
    std::string header = "MATLAB 5.0 MAT-file, Platform: TEST";
    header.resize(124, ' ');
    header += std::string("\x00\x01IM", 4);
    std::string content;
    for (const uint32_t word : {6u, 8u, 8u, 0u, 5u, 8u, n, n + 1, 1u, 1u}) {
        AppendU32(content, word);
    }
    content += std::string("m\0\0\0\0\0\0\0", 8);
    AppendU32(content, 1);
    AppendU32(content, n);
    for (uint32_t i = 0; i < n; ++i) {
        content += static_cast<char>(i % 127);
    }
    content.resize((content.size() + 7) / 8 * 8, '\0');
    std::string bytes = header;
    AppendU32(bytes, 14);
    AppendU32(bytes, static_cast<uint32_t>(content.size()));
    return bytes + content;
}

// Entries of n sections of two keys each, the sections used in turn: a writer that looks for
// the rest of a section's entries through the whole list is quadratic.
inline CKSTHeaderInfoList KeyFileSections(int n)
{
    CKSTHeaderInfoList list;
    for (const char* key : {"a", "b"}) {
        for (int i = 0; i < n; ++i) {
            CKSTString name("S");
            name.AppendLong(i);
            name.AppendChar(0x1D);
            name += key;
            list.SetString(name, "1");
        }
    }
    return list;
}

// A text table of about `bytes` bytes whose dates have the two-digit years 0, 1, 2, 0, 1, 2 ...:
// mostly rising, so each fall is taken for a new century, and the years grow by a century
// every third line.
inline std::string TwoDigitYearTable(size_t bytes)
{
    std::string text = "Datum;Wert\r\n";
    for (int i = 0; text.size() < bytes; ++i) {
        text += "1.1." + std::to_string(i % 3) + ";" + std::to_string(i % 10) + "\r\n";
    }
    return text;
}

}  // namespace kst_hostile
