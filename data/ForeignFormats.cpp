#include "data/ForeignFormats.h"

#include <atomic>

#include "foundation/ErrorCodes.h"

// --- Text table ---

int CKSTTextDataFile::OpenRead(const CKSTString&)
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

int CKSTTextDataFile::OpenWrite(const CKSTString&)
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

int CKSTTextDataFile::OpenMemoryWrite()
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

int CKSTTextDataFile::GetMemory(CKSTMemBuffer&)
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

int CKSTTextDataFile::SetMemory(const CKSTMemBuffer&)
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

int CKSTTextDataFile::Close()
{
    return KST_OK;
}

bool CKSTTextDataFile::IsOpen() const
{
    return false;
}

int CKSTTextDataFile::Read(CKSTDataSet&, bool)
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

int CKSTTextDataFile::Write(const CKSTDataSet&)
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

int CKSTTextDataFile::WriteByFormat(const CKSTDataSet&, const CKSTTextFormat&)
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

int CKSTTextDataFile::WriteChannelsByFormat(const CKSTChannelList&, bool)
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

// --- The formats with the common operation set ---

#define KST_UNBUILT_FORMAT(Class)                    \
    int Class::OpenRead(const CKSTString&)           \
    {                                                \
        return KST_ERR_UNKNOWN_FILE_TYPE;            \
    }                                                \
    int Class::OpenWrite(const CKSTString&)          \
    {                                                \
        return KST_ERR_UNKNOWN_FILE_TYPE;            \
    }                                                \
    int Class::OpenMemoryWrite()                     \
    {                                                \
        return KST_ERR_UNKNOWN_FILE_TYPE;            \
    }                                                \
    int Class::GetMemory(CKSTMemBuffer&)             \
    {                                                \
        return KST_ERR_UNKNOWN_FILE_TYPE;            \
    }                                                \
    int Class::SetMemory(const CKSTMemBuffer&)       \
    {                                                \
        return KST_ERR_UNKNOWN_FILE_TYPE;            \
    }                                                \
    int Class::Close()                               \
    {                                                \
        return KST_OK;                               \
    }                                                \
    int Class::Read(CKSTDataSet&)                    \
    {                                                \
        return KST_ERR_UNKNOWN_FILE_TYPE;            \
    }                                                \
    int Class::Write(const CKSTDataSet&)             \
    {                                                \
        return KST_ERR_UNKNOWN_FILE_TYPE;            \
    }                                                \
    int Class::WriteChannels(const CKSTChannelList&) \
    {                                                \
        return KST_ERR_UNKNOWN_FILE_TYPE;            \
    }

KST_UNBUILT_FORMAT(CKSTFamosFile)
KST_UNBUILT_FORMAT(CKSTDasylabFile)
KST_UNBUILT_FORMAT(CKSTMatFile)
KST_UNBUILT_FORMAT(CKSTWavFile)

#undef KST_UNBUILT_FORMAT

bool CKSTDasylabFile::IsOpen() const
{
    return false;
}

// --- UniversalDataBinFile ---

int CKSTUdbfFile::Open(const CKSTString&)
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

int CKSTUdbfFile::OpenWrite(const CKSTString&)
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

int CKSTUdbfFile::OpenMemoryWrite()
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

int CKSTUdbfFile::SetMemory(const CKSTMemBuffer&)
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

int CKSTUdbfFile::Close()
{
    return KST_OK;
}

int CKSTUdbfFile::Read(CKSTDataSet&, const CKSTChannelList*)
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

int CKSTUdbfFile::ReadChannelInfo(CKSTChannelList&)
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

int CKSTUdbfFile::Write(const CKSTDataSet&)
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

int CKSTUdbfFile::WriteChannels(const CKSTChannelList&)
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

// --- Factory ---

namespace {

template <class T>
std::unique_ptr<T> Make()
{
    return std::make_unique<T>();
}

const KstFormatFactory kBuiltIn = {Make<CKSTTextDataFile>, Make<CKSTFamosFile>,
                                   Make<CKSTDasylabFile>,  Make<CKSTMatFile>,
                                   Make<CKSTUdbfFile>,     Make<CKSTWavFile>};

std::atomic<const KstFormatFactory*> g_factory{&kBuiltIn};

}  // namespace

const KstFormatFactory& KstGetBuiltInFormatFactory()
{
    return kBuiltIn;
}

void KstSetFormatFactory(const KstFormatFactory* factory)
{
    g_factory.store(factory != nullptr ? factory : &kBuiltIn);
}

const KstFormatFactory& KstGetFormatFactory()
{
    return *g_factory.load();
}
