// A text table of any bytes: header analysis, dialects, columns, time axis and header lines,
// read once with the defaults and once with settings that name a dialect and a header length.
// The default read is repeated split over threads down to single lines, and must give the same
// channels bit for bit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "data/DataSet.h"
#include "formats/TextDataFile.h"
#include "foundation/ParallelFor.h"

namespace {

bool SameBytes(const void* a, const void* b, size_t n)
{
    return n == 0 || (a != nullptr && b != nullptr && std::memcmp(a, b, n) == 0);
}

bool SameChannels(const CKSTChannelList& a, const CKSTChannelList& b)
{
    if (a.GetCount() != b.GetCount()) {
        return false;
    }
    for (int c = 0; c < a.GetCount(); ++c) {
        const CKSTChannel& x = *a.GetAt(c);
        const CKSTChannel& y = *b.GetAt(c);
        const size_t n = x.GetCount();
        if (n != y.GetCount() || x.GetTimeBaseType() != y.GetTimeBaseType() ||
            !SameBytes(x.GetValues(), y.GetValues(), n * sizeof(double)) ||
            !SameBytes(x.GetMissingFlags(), y.GetMissingFlags(), n) ||
            (x.GetTimes() != nullptr) != (y.GetTimes() != nullptr) ||
            (x.GetTimes() != nullptr &&
             !SameBytes(x.GetTimes(), y.GetTimes(), n * sizeof(double))) ||
            x.GetDt() != y.GetDt() || x.GetT0() != y.GetT0()) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CKSTMemBuffer image;
    image.Write(data, 1, static_cast<uint32_t>(size));
    CKSTTextDataFile file;
    static_cast<void>(file.SetMemory(image));
    CKSTDataSet dataSet;
    const int result = file.Read(dataSet, nullptr, false);

    KstSetParallelLimits(4, 1);
    CKSTDataSet split;
    const int splitResult = file.Read(split, nullptr, false);
    KstSetParallelLimits(0, 0);
    if (result != splitResult || !SameChannels(dataSet.GetChannels(), split.GetChannels())) {
        std::abort();
    }

    CKSTTextFormat settings;
    settings.formatCode = size > 0 ? KST_TEXT_IDL_LOGGER + data[0] % 5 : KST_TEXT_RUNTIME;
    settings.headerLines = size > 1 ? static_cast<int16_t>(data[1] % 4) : -1;
    settings.readSeparator = size > 2 ? data[2] % 4 : KST_TEXT_SEPARATOR_AUTO;
    settings.dateFormat = size > 3 ? data[3] % 5 : KST_TEXT_DATE_AUTO;
    settings.removeEmptyColumns = 0;
    file.SetReadSettings(&settings);
    static_cast<void>(file.Read(dataSet, nullptr, false));
    return 0;
}
