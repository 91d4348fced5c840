// Any image given to the WAV reader as a loaded file image, read whole.
#include <cstddef>
#include <cstdint>

#include "data/DataSet.h"
#include "formats/WavFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CKSTMemBuffer image;
    image.Write(data, 1, static_cast<uint32_t>(size));
    CKSTWavFile file;
    if (file.SetMemory(image) != 0) {
        return 0;
    }
    CKSTDataSet dataSet;
    file.Read(dataSet, nullptr, false);
    file.Close();
    return 0;
}
