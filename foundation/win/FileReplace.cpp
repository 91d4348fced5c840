#include "foundation/FileReplace.h"

#include <windows.h>

#include "foundation/ErrorCodes.h"

int KstFlushFile(const CKSTString& path)
{
    const HANDLE file =
        CreateFileA(path.SlashesToBackslashes().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return KST_ERR_OPEN_FAILED;
    }
    const bool flushed = FlushFileBuffers(file) != FALSE;
    const bool closed = CloseHandle(file) != FALSE;
    return flushed && closed ? KST_OK : KST_ERR_SHORT_TRANSFER;
}

int KstReplaceFile(const CKSTString& temporary, const CKSTString& target)
{
    const CKSTString from = temporary.SlashesToBackslashes();
    const CKSTString to = target.SlashesToBackslashes();
    // A read-only file is the user's to keep; Wine's move would replace it regardless.
    const DWORD attributes = GetFileAttributesA(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        return KST_ERR_ACCESS_DENIED;
    }
    // The write-through flag returns only when the move reached the disk.
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return KST_OK;
    }
    return GetLastError() == ERROR_ACCESS_DENIED ? KST_ERR_ACCESS_DENIED : KST_ERR_OPEN_FAILED;
}

void KstDeleteFile(const CKSTString& path)
{
    DeleteFileA(path.SlashesToBackslashes().c_str());
}
