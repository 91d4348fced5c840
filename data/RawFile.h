#pragma once
// Raw sample files: no header, the whole file one channel of little-endian IEEE floats, 64-bit
// (".dbl") or 32-bit (".flt"). Read only.

#include <cstdint>

#include "data/Channel.h"
#include "data/DataSet.h"
#include "foundation/DataFile.h"
#include "foundation/String.h"

class CKSTRawFile : public CKSTDataFile {
public:
    enum Format {
        kFloat64,  // ".dbl"
        kFloat32,  // ".flt"
    };

    explicit CKSTRawFile(Format format) : m_format(format) {}

    Format GetFormat() const { return m_format; }
    uint32_t GetSampleSize() const { return m_format == kFloat64 ? 8 : 4; }

    [[nodiscard]] int OpenRead(const CKSTString& path) { return Open(path, KST_OPEN_READ); }

    using CKSTDataFile::Read;
    // Empties the data set, names it after the file and reads the file as its one channel.
    // The result of ReadChannel; KST_ERR_FILE_NOT_OPEN leaves the data set as it was.
    [[nodiscard]] int Read(CKSTDataSet& dataSet);
    // The channel starts over with the file's samples (whole samples only, none missing), the
    // file name without folder and extension as its name, the last write time of the file as
    // its start, dt 1 s and t0 0. KST_ERR_FILE_NOT_OPEN; KST_ERR_END_OF_DATA when the file
    // gave fewer bytes than its size promised (the samples read are kept).
    [[nodiscard]] int ReadChannel(CKSTChannel& channel);

private:
    Format m_format;
};
