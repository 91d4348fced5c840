// A file image of any type: recognised by its first bytes, loaded into the reader of that type
// and read whole, as the database archive does with stored files.
#include <cstddef>
#include <cstdint>

#include "data/DataSet.h"
#include "data/MeasurementFile.h"
#include "formats/FormatFactory.h"
#include "fuzz_memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool installed = (KstInstallFormats(), true);
    (void)installed;
    CKSTMemBuffer image;
    image.Write(data, 1, static_cast<uint32_t>(size));
    image.SetPosition(0);
    CKSTMeasurementFile file;
    if (file.OpenMemory(CKSTMeasurementFile::DetectType(image)) != 0 ||
        file.LoadFromMemory(image) != 0) {
        return 0;
    }
    CKSTDataSet dataSet;
    static_cast<void>(file.ReadChannels(dataSet));
    static_cast<void>(file.Close());
    return 0;
}
