#include <unistd.h>

#include <cstdio>

#include "app/DocumentCore.h"
#include "foundation/ErrorCodes.h"

int KstReplaceFile(const CKSTString& temporary, const CKSTString& target)
{
    // A file that may not be written is the user's to keep; rename alone would replace it.
    if (access(target.c_str(), F_OK) == 0 && access(target.c_str(), W_OK) != 0) {
        return KST_ERR_ACCESS_DENIED;
    }
    // rename replaces an existing target in one step here.
    return std::rename(temporary.c_str(), target.c_str()) == 0 ? KST_OK : KST_ERR_ACCESS_DENIED;
}

void KstDeleteFile(const CKSTString& path)
{
    std::remove(path.c_str());
}
