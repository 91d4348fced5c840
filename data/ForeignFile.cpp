#include "data/ForeignFile.h"

#include <atomic>

#include "foundation/ErrorCodes.h"

int CKSTForeignFile::GetMemory(CKSTMemBuffer&)
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

int CKSTForeignFile::ReadChannelInfo(CKSTChannelList&)
{
    return KST_ERR_UNKNOWN_FILE_TYPE;
}

namespace {

std::atomic<KstForeignFileFactory> g_factory{nullptr};

}  // namespace

void KstSetForeignFileFactory(KstForeignFileFactory factory)
{
    g_factory.store(factory);
}

std::unique_ptr<CKSTForeignFile> KstCreateForeignFile(int32_t type)
{
    const KstForeignFileFactory factory = g_factory.load();
    return factory != nullptr ? factory(type) : nullptr;
}
