// A binary record file read as it is, and again with its digest made to match, so that the
// header and record checks behind the digest are reached too.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "data/DataSet.h"
#include "data/RecordFile.h"
#include "foundation/Md5.h"

namespace {

void Read(const std::vector<uint8_t>& bytes)
{
    CKSTMemBuffer image;
    image.Write(bytes.data(), 1, static_cast<uint32_t>(bytes.size()));
    image.SetPosition(0);
    CKSTRecordFile file;
    file.SetMemory(image);
    if (file.OpenMemoryRead() != 0) {
        return;
    }
    CKSTDataSet dataSet;
    static_cast<void>(file.Read(dataSet));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    Read(bytes);
    if (size >= CKSTRecordFile::kChecksumSize) {
        const size_t body = size - CKSTRecordFile::kChecksumSize;
        CKSTMd5Digest digest;
        digest.Update(bytes.data(), body);
        CKSTString hex;
        digest.FinalHex(hex);
        std::memcpy(bytes.data() + body, hex.GetBuffer(), CKSTRecordFile::kChecksumSize);
        Read(bytes);
    }
    return 0;
}
