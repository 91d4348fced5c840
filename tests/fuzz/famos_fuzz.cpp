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
    file.Read(dataSet);
    CKSTChannel channel;
    for (uint32_t i = 0; i < 4; ++i) {
        file.ReadChannel(channel, i);
    }
    file.Close();
    return 0;
}
