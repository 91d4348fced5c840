// Any image given to the MAT reader as a loaded file image, read whole.
#include "foreign_image.h"
#include "formats/MatFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CKSTMatFile file;
    ReadForeignImage(file, data, size);
    return 0;
}
