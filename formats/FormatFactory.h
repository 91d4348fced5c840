#pragma once
// The foreign formats of this program, made for the measurement-file object by file type.

#include <cstdint>
#include <memory>

#include "data/MeasurementFileFormat.h"

// The object that reads or writes files of the type (KstFileType); null for a type that is not
// a foreign format.
std::unique_ptr<IKSTMeasurementFile> KstCreateFormatFile(int32_t type);

// Makes every measurement-file object use these formats; the program calls it at start-up.
void KstInstallFormats();
