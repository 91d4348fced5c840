// Any bytes as a FAMOS image: opened, read whole (text keys, index, channels) and each channel
// read again on its own.
#include <cstddef>
#include <cstdint>

#include "data/DataSet.h"
#include "formats/FamosFile.h"
#include "fuzz_memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CKSTMemBuffer image;
    image.Write(data, 1, static_cast<uint32_t>(size));
    CKSTFamosFile file;
    if (file.SetMemory(image) != 0) {
        return 0;
    }
    CKSTDataSet dataSet;
    static_cast<void>(file.Read(dataSet));
    CKSTChannel channel;
    for (uint32_t i = 0; i < 4; ++i) {
        static_cast<void>(file.ReadChannel(channel, i));
    }
    static_cast<void>(file.Close());
    return 0;
}
