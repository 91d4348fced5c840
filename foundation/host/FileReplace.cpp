#include "foundation/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "foundation/ErrorCodes.h"
#include "foundation/host/HostPath.h"

int KstFlushFile(const CKSTString& path)
{
    const int file = open(KstHostPath(path).c_str(), O_WRONLY);
    if (file < 0) {
        return KST_ERR_OPEN_FAILED;
    }
    const bool synced = fsync(file) == 0;
    const bool closed = close(file) == 0;
    return synced && closed ? KST_OK : KST_ERR_SHORT_TRANSFER;
}

int KstReplaceFile(const CKSTString& temporary, const CKSTString& target)
{
    const std::string to = KstHostPath(target);
    // A file that may not be written is the user's to keep; rename alone would replace it. The
    // write bits count as Windows' read-only attribute does, also for a process that could
    // write the file anyway (root).
    struct stat st;
    if (stat(to.c_str(), &st) == 0 &&
        ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(to.c_str(), W_OK) != 0)) {
        return KST_ERR_ACCESS_DENIED;
    }
    // rename replaces an existing target in one step here.
    if (std::rename(KstHostPath(temporary).c_str(), to.c_str()) == 0) {
        return KST_OK;
    }
    return errno == EACCES || errno == EPERM ? KST_ERR_ACCESS_DENIED : KST_ERR_OPEN_FAILED;
}

void KstDeleteFile(const CKSTString& path)
{
    // Files only, as on Windows: a folder in the temporary's place is not the save's.
    unlink(KstHostPath(path).c_str());
}
