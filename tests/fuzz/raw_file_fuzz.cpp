// Raw sample files of both widths.
#include <cstddef>
#include <cstdint>

#include "data/DataSet.h"
#include "data/RawFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CKSTMemBuffer image;
    image.Write(data, 1, static_cast<uint32_t>(size));
    image.SetPosition(0);
    for (const CKSTRawFile::Format format : {CKSTRawFile::kFloat64, CKSTRawFile::kFloat32}) {
        CKSTRawFile file(format);
        file.SetMemory(image);
        if (file.OpenMemoryRead() != 0) {
            continue;
        }
        CKSTDataSet dataSet;
        static_cast<void>(file.Read(dataSet));
    }
    return 0;
}
