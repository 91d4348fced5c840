#pragma once
// Recursive folder listing filtered by file-name patterns, and the path helpers beside it
// (folder chains, folder and file tests, the program's own folder). Paths use backslashes.

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/DataFile.h"
#include "foundation/String.h"
#include "foundation/TimeStamp.h"

class CKSTFileEntry {
public:
    enum Flags : uint32_t { kFile = 1, kFolder = 2, kReadOnly = 4 };

    CKSTFileEntry();
    CKSTFileEntry(const KstFoundFile& found, const CKSTString& folder, uint32_t depth);

    // folder + name.
    CKSTString GetPath() const;
    bool IsFolder() const { return (m_flags & kFolder) != 0; }

    const CKSTString& GetName() const { return m_name; }
    // The folder it was found in, ending with "\".
    const CKSTString& GetFolder() const { return m_folder; }
    uint64_t GetSize() const { return m_size; }
    uint32_t GetFlags() const { return m_flags; }
    // 0 in the start folder, one more per level below it.
    uint32_t GetDepth() const { return m_depth; }
    // The platform's file times as they stand (UTC, not local time).
    const CKSTTimeStamp& GetCreated() const { return m_created; }
    const CKSTTimeStamp& GetLastWritten() const { return m_lastWritten; }
    const CKSTTimeStamp& GetLastAccessed() const { return m_lastAccessed; }

private:
    CKSTString m_name;
    CKSTString m_folder;
    uint64_t m_size;
    uint32_t m_flags;
    uint32_t m_depth;
    CKSTTimeStamp m_created;
    CKSTTimeStamp m_lastWritten;
    CKSTTimeStamp m_lastAccessed;
};

class CKSTDirScanner {
public:
    CKSTDirScanner();
    ~CKSTDirScanner();
    CKSTDirScanner(const CKSTDirScanner&) = delete;
    CKSTDirScanner& operator=(const CKSTDirScanner&) = delete;

    // Lists below folder down to maxDepth levels the files whose names match one of the
    // ';'-separated patterns (case-sensitive; an empty list means "*") and, when asked, the
    // folders. The previous entries are deleted. A folder that cannot be searched yields no
    // entries. Returns 0.
    int Scan(const CKSTString& folder, const CKSTString& patternList, uint32_t maxDepth,
             bool includeFolders, bool includeFiles);
    // One folder (ending with "\") at the given depth, with the current patterns; entries are
    // appended in the platform's order, a subfolder's contents where the subfolder was met.
    void ScanFolder(const CKSTString& folder, uint32_t depth, bool includeFolders,
                    bool includeFiles);

    // Null outside 0..GetCount()-1.
    CKSTFileEntry* GetEntry(int index) const;
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    void RemoveEntry(int index);
    void RemoveAll();
    // By the upper-cased full path, byte-wise with signed bytes; equal paths keep their order.
    void Sort();

    const CKSTString& GetStartFolder() const { return m_startFolder; }
    const CKSTString& GetPatternText() const { return m_patternText; }
    const std::vector<CKSTString>& GetPatterns() const { return m_patterns; }
    uint32_t GetMaxDepth() const { return m_maxDepth; }

private:
    CKSTString m_startFolder;
    CKSTString m_patternText;
    std::vector<CKSTString> m_patterns;
    uint32_t m_maxDepth;
    std::vector<std::unique_ptr<CKSTFileEntry>> m_entries;
};

// Creates every missing folder of the path. False when a file stands where a folder is needed
// or a folder cannot be created; folders made before such a failure stay.
bool CreateFolderPath(const CKSTString& path);
bool FolderExists(const CKSTString& path);
bool IsExistingFile(const CKSTString& path);
// The folder of the program file with a trailing "\", ".\" when it cannot be told.
CKSTString GetProgramFolder();

// Platform seams, defined in foundation/win/ and foundation/host/.
// False when the path's attributes cannot be read.
bool KstGetFileAttributes(const CKSTString& path, bool& isFolder);
bool KstCreateFolder(const CKSTString& path);
// Full path of the program file in backslash form; empty when it cannot be read whole.
CKSTString KstGetModuleFileName();
