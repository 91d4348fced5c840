// Any image given to the WAV reader as a loaded file image, read whole.
#include "foreign_image.h"
#include "formats/WavFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CKSTWavFile file;
    ReadForeignImage(file, data, size);
    return 0;
}
