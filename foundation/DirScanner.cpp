#include "foundation/DirScanner.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "foundation/ErrorCodes.h"

namespace {

// File time (100 ns since 1601-01-01) to its calendar fields unchanged, milliseconds dropped:
// the same stamp the Win32 FILETIME conversion gives, made without the platform.
CKSTTimeStamp FileTimeAsStamp(uint64_t fileTime)
{
    const uint64_t seconds = fileTime / 10000000;
    const int64_t daysSince1601 = static_cast<int64_t>(seconds / 86400);
    const int secondOfDay = static_cast<int>(seconds % 86400);
    // Days since 1970-01-01 to a civil date (proleptic Gregorian).
    int64_t z = daysSince1601 - 134774 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    return CKSTTimeStamp(year, month, day, secondOfDay / 3600, secondOfDay / 60 % 60,
                         secondOfDay % 60);
}

// Tokens at each ';' from the left; an empty token between two ';' is kept (it matches only an
// empty name), an empty remainder after the last ';' is not.
std::vector<CKSTString> SplitPatterns(const CKSTString& text)
{
    std::vector<CKSTString> patterns;
    const int length = text.GetLength();
    int start = 0;
    while (start < length) {
        const int separator = text.Find(';', start);
        if (separator < 0) {
            patterns.push_back(text.Mid(start));
            break;
        }
        patterns.push_back(text.Mid(start, separator - start));
        start = separator + 1;
    }
    return patterns;
}

}  // namespace

CKSTFileEntry::CKSTFileEntry() : m_size(0), m_flags(0), m_depth(0) {}

CKSTFileEntry::CKSTFileEntry(const KstFoundFile& found, const CKSTString& folder, uint32_t depth)
    : m_name(found.name),
      m_folder(folder),
      m_size(found.size),
      m_flags(uint32_t{found.isFolder ? kFolder : kFile} |
              uint32_t{found.readOnly ? kReadOnly : 0u}),
      m_depth(depth),
      m_created(FileTimeAsStamp(found.created)),
      m_lastWritten(FileTimeAsStamp(found.lastWritten)),
      m_lastAccessed(FileTimeAsStamp(found.lastAccessed))
{
}

CKSTString CKSTFileEntry::GetPath() const
{
    return m_folder + m_name;
}

CKSTDirScanner::CKSTDirScanner() : m_maxDepth(0) {}

CKSTDirScanner::~CKSTDirScanner() = default;

int CKSTDirScanner::Scan(const CKSTString& folder, const CKSTString& patternList, uint32_t maxDepth,
                         bool includeFolders, bool includeFiles)
{
    m_startFolder = folder.AsDirectory();
    m_patternText = patternList.IsEmpty() ? CKSTString("*") : patternList;
    m_patterns = SplitPatterns(m_patternText);
    m_maxDepth = maxDepth;
    RemoveAll();
    ScanFolder(m_startFolder, 0, includeFolders, includeFiles);
    return KST_OK;
}

void CKSTDirScanner::ScanFolder(const CKSTString& folder, uint32_t depth, bool includeFolders,
                                bool includeFiles)
{
    KstFileSearch search;
    KstFoundFile found;
    for (bool more = search.First(folder + "*", found); more; more = search.Next(found)) {
        if (!found.isFolder) {
            const bool matches =
                std::any_of(m_patterns.begin(), m_patterns.end(),
                            [&](const CKSTString& p) { return found.name.MatchWildcard(p); });
            if (includeFiles && matches) {
                m_entries.push_back(std::make_unique<CKSTFileEntry>(found, folder, depth));
            }
            continue;
        }
        if (found.name == "." || found.name == "..") {
            continue;
        }
        if (includeFolders) {
            m_entries.push_back(std::make_unique<CKSTFileEntry>(found, folder, depth));
        }
        if (depth < m_maxDepth) {
            ScanFolder(folder + found.name + "\\", depth + 1, includeFolders, includeFiles);
        }
    }
}

CKSTFileEntry* CKSTDirScanner::GetEntry(int index) const
{
    if (index < 0 || index >= GetCount()) {
        return nullptr;
    }
    return m_entries[static_cast<size_t>(index)].get();
}

void CKSTDirScanner::RemoveEntry(int index)
{
    if (index >= 0 && index < GetCount()) {
        m_entries.erase(m_entries.begin() + index);
    }
}

void CKSTDirScanner::RemoveAll()
{
    m_entries.clear();
}

void CKSTDirScanner::Sort()
{
    std::vector<CKSTString> keys;
    keys.reserve(m_entries.size());
    for (const auto& entry : m_entries) {
        keys.push_back(entry->GetPath());
        keys.back().MakeUpper();
    }
    std::vector<size_t> order(m_entries.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    std::vector<std::unique_ptr<CKSTFileEntry>> sorted;
    sorted.reserve(m_entries.size());
    for (size_t i : order) {
        sorted.push_back(std::move(m_entries[i]));
    }
    m_entries = std::move(sorted);
}

bool CreateFolderPath(const CKSTString& path)
{
    const CKSTString p = path.AsDirectory();
    bool creating = false;
    for (int i = 1; i < p.GetLength(); ++i) {
        if (p[i] != '\\') {
            continue;
        }
        const CKSTString prefix = p.Left(i);
        if (!creating) {
            bool isFolder = false;
            if (KstGetFileAttributes(prefix, isFolder)) {
                if (!isFolder) {
                    return false;
                }
                continue;
            }
            creating = true;
        }
        if (!KstCreateFolder(prefix)) {
            return false;
        }
    }
    return true;
}

bool FolderExists(const CKSTString& path)
{
    bool isFolder = false;
    return KstGetFileAttributes(path, isFolder) && isFolder;
}

bool IsExistingFile(const CKSTString& path)
{
    bool isFolder = false;
    return KstGetFileAttributes(path, isFolder) && !isFolder;
}

CKSTString GetProgramFolder()
{
    const CKSTString module = KstGetModuleFileName();
    if (module.IsEmpty()) {
        return ".\\";
    }
    return module.Directory().AsDirectory();
}
