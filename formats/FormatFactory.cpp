#include "formats/FormatFactory.h"

#include "data/MeasurementFile.h"

std::unique_ptr<CKSTForeignFile> KstCreateFormatFile(int32_t type)
{
    switch (type) {
        default:
            return nullptr;
    }
}

void KstInstallFormats()
{
    KstSetForeignFileFactory(KstCreateFormatFile);
}
