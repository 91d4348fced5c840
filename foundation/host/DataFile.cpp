// POSIX side of the file stream and of the file search, for the host build. Paths arrive in
// backslash form; a backslash is taken as the separator. Name matching is case-sensitive here.
#include "foundation/DataFile.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <cerrno>
#include <ctime>
#include <string>

#include "foundation/host/HostPath.h"

namespace {

constexpr int64_t kUnixEpochIn1601Seconds = 11644473600;

uint64_t FileTimeValue(const timespec& t)
{
    return static_cast<uint64_t>(t.tv_sec + kUnixEpochIn1601Seconds) * 10000000 +
           static_cast<uint64_t>(t.tv_nsec) / 100;
}

bool Fill(const std::string& path, const char* name, KstFoundFile& out)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0 && lstat(path.c_str(), &st) != 0) {
        return false;
    }
    out.name = name;
    out.isFolder = S_ISDIR(st.st_mode);
    out.size = out.isFolder ? 0 : static_cast<uint64_t>(st.st_size);
    out.readOnly = (st.st_mode & S_IWUSR) == 0;
    out.created = FileTimeValue(st.st_ctim);  // no creation time here: the status change
    out.lastWritten = FileTimeValue(st.st_mtim);
    out.lastAccessed = FileTimeValue(st.st_atim);
    return true;
}

}  // namespace

struct KstFileSearch::State {
    DIR* dir = nullptr;
    std::string folder;
    std::string pattern;
};

KstFileSearch::KstFileSearch() = default;

KstFileSearch::~KstFileSearch()
{
    Close();
}

bool KstFileSearch::First(const CKSTString& pattern, KstFoundFile& out)
{
    Close();
    const std::string path = KstHostPath(pattern);
    const size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    if (last.empty()) {
        return false;
    }
    if (folder.empty()) {
        folder = "/";
    }
    if (last.find_first_of("*?") == std::string::npos) {
        return Fill(path, last.c_str(), out);
    }
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    m_state = std::make_unique<State>();
    m_state->dir = dir;
    m_state->folder = folder;
    m_state->pattern = last == "*.*" ? "*" : last;  // as on Windows, "*.*" takes every name
    return Next(out);
}

bool KstFileSearch::Next(KstFoundFile& out)
{
    if (!m_state) {
        return false;
    }
    while (const dirent* entry = readdir(m_state->dir)) {
        if (fnmatch(m_state->pattern.c_str(), entry->d_name, 0) == 0 &&
            Fill(m_state->folder + "/" + entry->d_name, entry->d_name, out)) {
            return true;
        }
    }
    return false;
}

void KstFileSearch::Close()
{
    if (m_state) {
        closedir(m_state->dir);
        m_state.reset();
    }
}

FILE* KstOpenFile(const CKSTString& path, const char* modeText, bool& accessDenied)
{
    const std::string hostPath = KstHostPath(path);
    FILE* file = std::fopen(hostPath.c_str(), modeText);
    if (file == nullptr) {
        accessDenied = errno == EACCES || errno == EPERM || errno == EISDIR;
        return nullptr;
    }
    // Windows refuses to open a folder as a file; so does the stream everywhere.
    struct stat st;
    if (fstat(fileno(file), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(file);
        accessDenied = true;
        return nullptr;
    }
    accessDenied = false;
    return file;
}

bool IsRegularFile(const CKSTString& path)
{
    struct stat st;
    return stat(KstHostPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int KstSeekFile(FILE* file, int64_t offset, int origin)
{
    return fseeko(file, static_cast<off_t>(offset), origin);
}

int64_t KstTellFile(FILE* file)
{
    return ftello(file);
}

int64_t KstFileLength(FILE* file)
{
    struct stat st;
    if (fstat(fileno(file), &st) != 0) {
        return -1;
    }
    return st.st_size;
}

CKSTTimeStamp KstFileTimeToLocal(uint64_t fileTime)
{
    const time_t seconds =
        static_cast<time_t>(static_cast<int64_t>(fileTime / 10000000) - kUnixEpochIn1601Seconds);
    std::tm local;
    if (localtime_r(&seconds, &local) == nullptr) {
        return CKSTTimeStamp();
    }
    return CKSTTimeStamp(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                         local.tm_min, local.tm_sec);
}
