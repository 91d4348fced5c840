// Win32 side of the file stream and of the file search.
#include "foundation/DataFile.h"

#include <io.h>
#include <windows.h>

namespace {

uint64_t FileTimeValue(const FILETIME& time)
{
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

void Fill(const WIN32_FIND_DATAA& data, KstFoundFile& out)
{
    out.name = data.cFileName;
    out.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    out.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    out.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    out.created = FileTimeValue(data.ftCreationTime);
    out.lastWritten = FileTimeValue(data.ftLastWriteTime);
    out.lastAccessed = FileTimeValue(data.ftLastAccessTime);
}

}  // namespace

struct KstFileSearch::State {
    HANDLE handle = INVALID_HANDLE_VALUE;
};

KstFileSearch::KstFileSearch() = default;

KstFileSearch::~KstFileSearch()
{
    Close();
}

bool KstFileSearch::First(const CKSTString& pattern, KstFoundFile& out)
{
    Close();
    WIN32_FIND_DATAA data;
    const HANDLE handle = FindFirstFileA(pattern.c_str(), &data);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    m_state = std::make_unique<State>();
    m_state->handle = handle;
    Fill(data, out);
    return true;
}

bool KstFileSearch::Next(KstFoundFile& out)
{
    if (!m_state) {
        return false;
    }
    WIN32_FIND_DATAA data;
    if (!FindNextFileA(m_state->handle, &data)) {
        return false;
    }
    Fill(data, out);
    return true;
}

void KstFileSearch::Close()
{
    if (m_state) {
        FindClose(m_state->handle);
        m_state.reset();
    }
}

FILE* KstOpenFile(const CKSTString& path, const char* modeText, bool& accessDenied)
{
    SetLastError(ERROR_SUCCESS);
    FILE* file = std::fopen(path.c_str(), modeText);
    accessDenied = file == nullptr && GetLastError() == ERROR_ACCESS_DENIED;
    return file;
}

bool IsRegularFile(const CKSTString& path)
{
    const DWORD attributes = GetFileAttributesA(path.SlashesToBackslashes().c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        return false;
    }
    // Devices and pipes of the host show up as plain files in their attributes; ask the
    // handle, opened without reading anything.
    HANDLE handle = CreateFileA(path.SlashesToBackslashes().c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool disk = GetFileType(handle) == FILE_TYPE_DISK;
    CloseHandle(handle);
    return disk;
}

int KstSeekFile(FILE* file, int64_t offset, int origin)
{
    // The runtime's 64-bit seek goes through fsetpos, which leaves the end-of-file flag set
    // here; a successful seek must clear it as fseek does.
    const int result = _fseeki64(file, offset, origin);
    if (result == 0) {
        clearerr(file);
    }
    return result;
}

int64_t KstTellFile(FILE* file)
{
    return _ftelli64(file);
}

int64_t KstFileLength(FILE* file)
{
    return _filelengthi64(_fileno(file));
}

CKSTTimeStamp KstFileTimeToLocal(uint64_t fileTime)
{
    FILETIME utc;
    utc.dwLowDateTime = static_cast<DWORD>(fileTime);
    utc.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) {
        return CKSTTimeStamp();
    }
    return CKSTTimeStamp(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
}
