#include <windows.h>

#include "app/DocumentCore.h"
#include "foundation/ErrorCodes.h"

int KstReplaceFile(const CKSTString& temporary, const CKSTString& target)
{
    // The write-through flag returns only when the move reached the disk.
    if (MoveFileExA(temporary.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return KST_OK;
    }
    return GetLastError() == ERROR_ACCESS_DENIED ? KST_ERR_ACCESS_DENIED : KST_ERR_OPEN_FAILED;
}

void KstDeleteFile(const CKSTString& path)
{
    DeleteFileA(path.c_str());
}
