#pragma once
// The file archive: a folder of measurement files of one type, each named after the date and
// time at which its data begin ("2007-03-05_10-00-00.qld"), optionally sorted into a folder
// per month or per day. Data sets are saved into it cut into files of a fixed duration, time
// windows are found and loaded back as one data set, and the time range it covers is reported.
// Every file is read and written through CKSTMeasurementFile.

#include <cstdint>
#include <vector>

#include "data/DataSet.h"
#include "foundation/DirScanner.h"
#include "foundation/String.h"
#include "foundation/TimeStamp.h"

class CKSTTextFormat;

class CKSTFileSet {
public:
    // Folder modes; any other value keeps every file in the base folder.
    static constexpr int32_t kFolderPerMonth = 1;     // base\YYYY-MM
    static constexpr int32_t kFolderPerMonthDay = 2;  // base\YYYY-MM\YYYY-MM-DD
    static constexpr int32_t kDefaultFolderMode = 5;
    static constexpr uint32_t kRecursiveSearchDepth = 10;

    CKSTFileSet();
    CKSTFileSet(const CKSTFileSet&) = delete;
    CKSTFileSet& operator=(const CKSTFileSet&) = delete;

    int32_t GetFolderMode() const { return m_folderMode; }
    void SetFolderMode(int32_t mode) { m_folderMode = mode; }
    const CKSTString& GetBaseFolder() const { return m_baseFolder; }
    void SetBaseFolder(const CKSTString& folder) { m_baseFolder = folder; }
    // Set: written files carry the data set's name (behind their start time when the data are
    // cut into files of a fixed duration, so that no two periods share a name).
    bool GetKeepName() const { return m_keepName != 0; }
    void SetKeepName(bool keep) { m_keepName = keep ? 1 : 0; }

    // Finds the files of the type that cover [from, to]: the last one starting at or before
    // from and every later one starting at or before to. Subfolders down to 10 levels when
    // recursive. 0, or the scanner's error.
    [[nodiscard]] int SearchFiles(int32_t type, const CKSTTimeStamp& from, const CKSTTimeStamp& to,
                    bool recursive);
    // The earliest and latest start time among the archive's files and the most frequent
    // distance in seconds between successive starts (0 with fewer than two files).
    // KST_ERR_BAD_HEADER when the folder holds no file of the type; with files but none named
    // by a time, first stays 9999-12-31 and last the zero stamp.
    [[nodiscard]] int GetArchiveTimeRange(int32_t type, CKSTTimeStamp& first, CKSTTimeStamp& last,
                            double& interval, bool recursive);
    // Merges the files covering [from, to] into the data set (emptied first unless append).
    // A file that cannot be opened or read is skipped and its error becomes the result; 0 when
    // every file was read. A native file with record kinds newer than this program is merged
    // and reported (KST_ERR_NEWER_KINDS). No file at all leaves the data set as it is.
    [[nodiscard]] int LoadWindowFiles(int32_t type, const CKSTTimeStamp& from, const CKSTTimeStamp& to,
                        CKSTDataSet& dataSet, bool append);
    // Saves the data set into the archive. With fileSeconds > 0 (taken as whole seconds) it is
    // cut into files each covering one period of that length counted from midnight, merged
    // with what the archive already holds for the period; else it becomes one file named after
    // its first sample. An open or write error ends the export. A file of a period that could
    // not be read whole is left as it is and its error returned after the other periods are
    // written; a rewritten file keeps all of its samples, also those outside the period.
    [[nodiscard]] int ExportTimeWindow(int32_t type, double fileSeconds, const CKSTDataSet& dataSet,
                         const CKSTTextFormat* textSettings = nullptr);

    // The files found by the last search or load, in the order of their start times.
    [[nodiscard]] int GetFileCount() const { return static_cast<int>(m_files.size()); }
    CKSTString GetFilePath(int index) const;
    CKSTTimeStamp GetFileStart(int index) const;
    const CKSTDirScanner& GetScanner() const { return m_scanner; }

    // "*.qld" ... by file type; every supported kind for the others.
    static CKSTString GetSearchPattern(int32_t type);
    // ".qld" ... by file type, ".qld" for the others.
    static CKSTString GetFileExtension(int32_t type);
    // The start time that a file name carries, after the prefix "M...<blank>" or "^il??" /
    // "!il??" is removed; false when the rest does not begin with a date-time text.
    static bool ParseFileNameTime(const CKSTString& name, CKSTTimeStamp& start);
    // "YYYY-MM\" or "YYYY-MM\YYYY-MM-DD\" by the folder mode; empty in the other modes.
    CKSTString GetSubfolder(const CKSTTimeStamp& start) const;

private:
    struct ArchiveFile {
        CKSTString path;
        CKSTTimeStamp start;
    };
    // What loading a window found out about each file, by path.
    struct LoadReport {
        struct Read {
            CKSTString key;
            CKSTTimeStamp first;  // its first and last sample
            CKSTTimeStamp last;
        };
        struct Failed {
            CKSTString key;
            int error;
        };
        std::vector<Read> read;
        std::vector<Failed> failed;
    };

    // Scans and keeps the time-named files in start order; false when the scan found no file.
    bool ScanFiles(int32_t type, uint32_t depth);
    // Keeps the files that cover [from, to], in the list and in the scanner.
    void KeepWindow(const CKSTTimeStamp& from, const CKSTTimeStamp& to);
    [[nodiscard]] int LoadWindow(int32_t type, const CKSTTimeStamp& from, const CKSTTimeStamp& to,
                   CKSTDataSet& dataSet, bool append, LoadReport* report);
    [[nodiscard]] int WriteWindowFiles(int32_t type, double fileSeconds, const CKSTDataSet& source,
                         const CKSTString& name, const CKSTTimeStamp& first,
                         const CKSTTimeStamp& last, const CKSTTextFormat* textSettings,
                         LoadReport& report);
    CKSTString MakeFilePath(int32_t type, const CKSTTimeStamp& nominalStart, double fileSeconds,
                            const CKSTString& name) const;
    uint32_t GetLoadDepth() const;

    int32_t m_folderMode;
    CKSTString m_baseFolder;
    CKSTDirScanner m_scanner;
    std::vector<ArchiveFile> m_files;
    uint8_t m_keepName;
};
