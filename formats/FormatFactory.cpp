#include "formats/FormatFactory.h"

#include "data/MeasurementFile.h"
#include "formats/DasylabFile.h"
#include "formats/FamosFile.h"
#include "formats/MatFile.h"
#include "formats/TextDataFile.h"
#include "formats/UdbfFile.h"
#include "formats/WavFile.h"

std::unique_ptr<IKSTMeasurementFile> KstCreateFormatFile(int32_t type)
{
    switch (type) {
        case KST_FILE_FAMOS:
            return std::make_unique<CKSTFamosFile>();
        case KST_FILE_UDBF_BIG:
        case KST_FILE_UDBF_LITTLE:
            return std::make_unique<CKSTUdbfFile>(type == KST_FILE_UDBF_BIG);
        case KST_FILE_TEXT:
            return std::make_unique<CKSTTextDataFile>();
        case KST_FILE_DASYLAB:
            return std::make_unique<CKSTDasylabFile>();
        case KST_FILE_MATLAB:
            return std::make_unique<CKSTMatFile>();
        case KST_FILE_WAV:
            return std::make_unique<CKSTWavFile>();
        default:
            return nullptr;
    }
}

void KstInstallFormats()
{
    KstSetForeignFileFactory(KstCreateFormatFile);
}
