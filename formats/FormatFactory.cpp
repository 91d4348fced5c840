#include "formats/FormatFactory.h"

#include "data/MeasurementFile.h"
#include "formats/FamosFile.h"

std::unique_ptr<CKSTForeignFile> KstCreateFormatFile(int32_t type)
{
    switch (type) {
        case KST_FILE_FAMOS:
            return std::make_unique<CKSTFamosFile>();
        default:
            return nullptr;
    }
}

void KstInstallFormats()
{
    KstSetForeignFileFactory(KstCreateFormatFile);
}
