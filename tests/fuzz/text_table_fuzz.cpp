// A text table of any bytes: header analysis, dialects, columns, time axis and header lines,
// read once with the defaults and once with settings that name a dialect and a header length.
#include <cstddef>
#include <cstdint>

#include "data/DataSet.h"
#include "formats/TextDataFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CKSTMemBuffer image;
    image.Write(data, 1, static_cast<uint32_t>(size));
    CKSTTextDataFile file;
    file.SetMemory(image);
    CKSTDataSet dataSet;
    file.Read(dataSet, nullptr, false);

    CKSTTextFormat settings;
    settings.formatCode = size > 0 ? KST_TEXT_IDL_LOGGER + data[0] % 5 : KST_TEXT_RUNTIME;
    settings.headerLines = size > 1 ? static_cast<int16_t>(data[1] % 4) : -1;
    settings.readSeparator = size > 2 ? data[2] % 4 : KST_TEXT_SEPARATOR_AUTO;
    settings.dateFormat = size > 3 ? data[3] % 5 : KST_TEXT_DATE_AUTO;
    settings.removeEmptyColumns = 0;
    file.SetReadSettings(&settings);
    file.Read(dataSet, nullptr, false);
    return 0;
}
