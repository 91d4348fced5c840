// Any bytes as a UniversalDataBinFile: read whole as a combined image, and split into a
// description block and a data block (at the position its first two bytes give) decoded as the
// controller client does, with a reference so consecutive blocks line up.
#include <cstddef>
#include <cstdint>

#include "data/DataSet.h"
#include "formats/UdbfFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CKSTMemBuffer image;
    image.Write(data, 1, static_cast<uint32_t>(size));
    {
        CKSTUdbfFile file;
        if (file.SetMemory(image) == 0) {
            CKSTDataSet dataSet;
            static_cast<void>(file.Read(dataSet, nullptr, false));
            CKSTChannelList info;
            static_cast<void>(file.ReadChannelInfo(info));
        }
    }
    if (size < 2) {
        return 0;
    }
    const size_t split = 2 + ((static_cast<size_t>(data[0]) << 8 | data[1]) % (size - 1));
    CKSTMemBuffer description;
    CKSTMemBuffer records;
    description.Write(data + 2, 1, static_cast<uint32_t>(split - 2));
    records.Write(data + split, 1, static_cast<uint32_t>(size - split));
    CKSTUdbfFile blocks;
    if (blocks.SetDescriptionMemory(description) != 0 || blocks.SetDataMemory(records) != 0) {
        return 0;
    }
    CKSTChannelList channels;
    double firstTime = 0.0;
    int64_t rawOrigin = 0;
    static_cast<void>(blocks.ReadData(channels, nullptr, 64, &firstTime, &rawOrigin, true, 45000.0, 1000));
    return 0;
}
