// A key file's text parsed with and without comments; includes name files of the machine.
#include <cstddef>
#include <cstdint>

#include "data/KeyFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CKSTMemBuffer text;
    text.Write(data, 1, static_cast<uint32_t>(size));
    text.SetPosition(0);
    for (const bool stripComments : {false, true}) {
        CKSTKeyFile file;
        CKSTHeaderInfoList entries;
        static_cast<void>(file.Load(entries, text, stripComments));
    }
    return 0;
}
