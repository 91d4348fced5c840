#include <windows.h>

#include "app/DocumentCore.h"
#include "foundation/ErrorCodes.h"

int KstReplaceFile(const CKSTString& temporary, const CKSTString& target)
{
    // A read-only file is the user's to keep; Wine's move would replace it regardless.
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        return KST_ERR_ACCESS_DENIED;
    }
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
