// Any image given to the DASYLab reader as a loaded file image, read whole.
#include "foreign_image.h"
#include "formats/DasylabFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CKSTDasylabFile file;
    ReadForeignImage(file, data, size);
    return 0;
}
