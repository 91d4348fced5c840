// A curve-window layout file read into the settings record, markers included and left out.
#include <cstddef>
#include <cstdint>

#include "data/KeyFile.h"
#include "data/LayoutFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CKSTMemBuffer text;
    text.Write(data, 1, static_cast<uint32_t>(size));
    text.SetPosition(0);
    for (const bool leaveOutMarkers : {false, true}) {
        CKSTKeyFile file;
        file.SetMemory(text);
        if (file.OpenMemoryRead() != 0) {
            return 0;
        }
        CKSTCurveWndSettings settings;
        static_cast<void>(LoadCurveWndLayout(file, settings, leaveOutMarkers));
    }
    return 0;
}
