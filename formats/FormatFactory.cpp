#include "formats/FormatFactory.h"

#include "data/MeasurementFile.h"
#include "formats/FamosFile.h"
#include "formats/UdbfFile.h"

std::unique_ptr<CKSTForeignFile> KstCreateFormatFile(int32_t type)
{
    switch (type) {
        case KST_FILE_FAMOS:
            return std::make_unique<CKSTFamosFile>();
        case KST_FILE_UDBF_BIG:
        case KST_FILE_UDBF_LITTLE:
            return std::make_unique<CKSTUdbfFile>(type == KST_FILE_UDBF_BIG);
        default:
            return nullptr;
    }
}

void KstInstallFormats()
{
    KstSetForeignFileFactory(KstCreateFormatFile);
}
