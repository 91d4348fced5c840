#include "formats/FormatFactory.h"

#include "data/MeasurementFile.h"
#include "formats/TextDataFile.h"

std::unique_ptr<CKSTForeignFile> KstCreateFormatFile(int32_t type)
{
    switch (type) {
        case KST_FILE_TEXT:
            return std::make_unique<CKSTTextDataFile>();
        default:
            return nullptr;
    }
}

void KstInstallFormats()
{
    KstSetForeignFileFactory(KstCreateFormatFile);
}
