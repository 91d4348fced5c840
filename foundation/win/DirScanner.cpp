// Win32 side of the path helpers.
#include "foundation/DirScanner.h"

#include <windows.h>

bool KstGetFileAttributes(const CKSTString& path, bool& isFolder)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
}

bool KstCreateFolder(const CKSTString& path)
{
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

CKSTString KstGetModuleFileName()
{
    char name[261];
    const DWORD n = GetModuleFileNameA(nullptr, name, sizeof name);
    // A name that filled the buffer was cut and names no real folder.
    if (n == 0 || n >= sizeof name) {
        return CKSTString();
    }
    return CKSTString(name);
}
