#pragma once
// The binary record file (".bbl"): equidistant channels stored as records of one time and one
// 32-bit float per channel, sealed by the MD5 text of everything before it. Little-endian:
//
//   header (63 bytes)      u32 header size (63 + 27 n), u8 version 2, f64 start (seconds from
//                          1904-01-01 00:00:00 to the first sample of the first channel),
//                          f64 sample interval, u16 channel count n, u32 data size (bytes
//                          before the MD5 text), u32 0, 32-byte text field
//   n descriptors (27)     u16 index, name (16 bytes, zero-padded), unit (8), group (1 byte:
//                          its first character)
//   records (8 + 4 n)      f64 time in seconds from 1904, then one f32 value per channel
//   trailer (32)           MD5 of all bytes before it, as lowercase hexadecimal text

#include <cstdint>

#include "data/ChannelList.h"
#include "data/DataSet.h"
#include "foundation/DataFile.h"
#include "foundation/String.h"

class CKSTRecordFile : public CKSTDataFile {
public:
    static constexpr uint32_t kHeaderSize = 63;
    static constexpr uint32_t kDescriptorSize = 27;
    static constexpr uint32_t kChecksumSize = 32;
    static constexpr uint32_t kNameSize = 16;
    static constexpr uint32_t kUnitSize = 8;
    static constexpr uint8_t kVersion = 2;

    [[nodiscard]] int OpenRead(const CKSTString& path) { return Open(path, KST_OPEN_READ); }
    [[nodiscard]] int OpenWrite(const CKSTString& path) { return Open(path, KST_OPEN_WRITE); }

    using CKSTDataFile::Read;
    // Empties the data set and reads the file into it; the data set is named after the file.
    // Channels whose record times are regular come back equidistant with the header's
    // interval. KST_ERR_FILE_NOT_OPEN; KST_ERR_BAD_HEADER when the sizes in the header do not
    // match the file; KST_ERR_CHECKSUM when the MD5 text does not match the contents.
    [[nodiscard]] int Read(CKSTDataSet& dataSet);

    // Writes the channels as one record per sample of the first channel: time-vector channels
    // are made equidistant first (resampled to their smallest step when irregular), and channel
    // k contributes its value at the record's index (0 for a missing sample, its last value
    // when it is shorter). Nothing is written for an empty list. KST_ERR_FILE_NOT_OPEN,
    // KST_ERR_NOT_OPEN_FOR_WRITING, KST_ERR_CHANNEL_KIND when the first channel cannot be made
    // equidistant, KST_ERR_TOO_LARGE beyond 65,535 channels or a file that a memory buffer
    // cannot hold, KST_ERR_SHORT_TRANSFER.
    [[nodiscard]] int WriteBinaryRecordFile(CKSTChannelList& channels);
    [[nodiscard]] int WriteBinaryRecordFile(CKSTDataSet& dataSet)
    {
        return WriteBinaryRecordFile(dataSet.GetChannels());
    }
};
