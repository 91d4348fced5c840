#pragma once
// Any image given to a foreign-format reader as a loaded file image, read whole.
#include <cstddef>
#include <cstdint>

#include "data/DataSet.h"
#include "data/MeasurementFileFormat.h"

inline void ReadForeignImage(IKSTMeasurementFile& file, const uint8_t* data, size_t size)
{
    CKSTMemBuffer image;
    image.Write(data, 1, static_cast<uint32_t>(size));
    if (file.SetMemory(image) != 0) {
        return;
    }
    CKSTDataSet dataSet;
    static_cast<void>(file.Read(dataSet, nullptr, false));
    static_cast<void>(file.Close());
}
