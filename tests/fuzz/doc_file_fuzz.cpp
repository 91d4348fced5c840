// A native container image read whole, settings and property entries included, as opening a
// document does.
#include <cstddef>
#include <cstdint>

#include "data/DataSet.h"
#include "data/DocFile.h"
#include "fuzz_memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CKSTMemBuffer image;
    image.Write(data, 1, static_cast<uint32_t>(size));
    image.SetPosition(0);
    CKSTDocFile file;
    file.SetMemory(image);
    if (file.OpenMemoryRead() != 0) {
        return 0;
    }
    CKSTDataSet dataSet;
    uint8_t newerKinds = 0;
    // Any result will do: the read must only stay within its bytes.
    static_cast<void>(file.ReadDataSet(dataSet, nullptr, &newerKinds));
    return 0;
}
