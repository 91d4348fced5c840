// POSIX side of the path helpers, for the host build; a backslash is taken as the separator.
#include "foundation/DirScanner.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "foundation/host/HostPath.h"

bool KstGetFileAttributes(const CKSTString& path, bool& isFolder)
{
    struct stat st;
    if (path.IsEmpty() || stat(KstHostPath(path).c_str(), &st) != 0) {
        return false;
    }
    isFolder = S_ISDIR(st.st_mode);
    return true;
}

bool KstCreateFolder(const CKSTString& path)
{
    return mkdir(KstHostPath(path).c_str(), 0777) == 0;
}

CKSTString KstGetModuleFileName()
{
    char name[4096];
    const ssize_t n = readlink("/proc/self/exe", name, sizeof name);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof name) {
        return CKSTString();
    }
    std::string path(name, static_cast<size_t>(n));
    std::replace(path.begin(), path.end(), '/', '\\');
    return CKSTString(path.c_str());
}
