#include <cstdio>

#include "app/DocumentCore.h"
#include "foundation/ErrorCodes.h"

int KstReplaceFile(const CKSTString& temporary, const CKSTString& target)
{
    // rename replaces an existing target in one step here.
    return std::rename(temporary.c_str(), target.c_str()) == 0 ? KST_OK : KST_ERR_ACCESS_DENIED;
}

void KstDeleteFile(const CKSTString& path)
{
    std::remove(path.c_str());
}
