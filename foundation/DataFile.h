#pragma once
// The one byte stream through which file formats are read and written: over a C library file
// opened by path, or over an in-memory buffer, with the same operations for both. Beside it,
// helpers that look files up on disk.

#include <cstdint>
#include <cstdio>
#include <memory>

#include "foundation/MemBuffer.h"
#include "foundation/String.h"
#include "foundation/TimeStamp.h"

enum KstOpenMode : uint32_t {
    KST_OPEN_READ = 0,        // "rb"; memory: read from the buffer's start
    KST_OPEN_WRITE = 1,       // "wb"; memory: write into an emptied buffer
    KST_OPEN_APPEND = 2,      // "a+b", files only
    KST_OPEN_READ_WRITE = 3,  // "r+b", files only
};

// Format classes derive from it or hold it; it has no virtual members.
//
// End of data: a read that reaches the end exactly reports nothing; only a read attempted at
// the end (or one that cannot be completed) marks the end as passed, after which IsEOF is true
// and the text reads return KST_ERR_END_OF_DATA. A file shows this through the C library's
// end-of-file flag, a memory stream by a position one past the size (which Tell then shows).
// One difference remains: a read that gets some but not all of its bytes passes the end of a
// file, while in memory it stops at the size and passes the end only with the next read.
class CKSTDataFile {
public:
    static constexpr uint32_t kReadAllChunk = 8196;

    CKSTDataFile();
    // Closes an open file, so that what was written reaches the disk.
    ~CKSTDataFile();
    CKSTDataFile(const CKSTDataFile&) = delete;
    CKSTDataFile& operator=(const CKSTDataFile&) = delete;

    // Slashes become backslashes. 0; KST_ERR_OPEN_FAILED (also for an empty path or an unknown
    // mode) or KST_ERR_ACCESS_DENIED, the stream then being reset. An open file is closed first.
    [[nodiscard]] int Open(const CKSTString& path, uint32_t mode);
    // KST_ERR_BAD_HEADER when the buffer is empty.
    [[nodiscard]] int OpenMemoryRead();
    [[nodiscard]] int OpenMemoryWrite();
    // 0, or KST_ERR_SHORT_TRANSFER when the file's last writes could not be flushed. The state
    // is reset in either case; the memory buffer stays. Callers drop the result, by a cast,
    // only for a stream that was read, has failed already or is closed before reopening.
    [[nodiscard]] int Close();
    void Reset(bool inMemory);

    void GetMemory(CKSTMemBuffer& out) const;
    // Open for writing, the position moves to the end of the copy, else to its start.
    void SetMemory(const CKSTMemBuffer& buffer);
    // The whole open file into the buffer, position 0. KST_ERR_SHORT_TRANSFER on a short read,
    // KST_ERR_TOO_LARGE for a file beyond CKSTMemBuffer::kMaxSize.
    [[nodiscard]] int LoadFileToMemory();
    [[nodiscard]] int SaveMemoryToFile();

    // n bytes; returns the bytes transferred.
    [[nodiscard]] uint32_t Read(void* destination, uint32_t n);
    uint32_t Write(const void* source, uint32_t n);
    // count items of itemSize bytes; returns the whole items transferred.
    [[nodiscard]] uint32_t Read(void* destination, uint32_t itemSize, uint32_t count);
    uint32_t Write(const void* source, uint32_t itemSize, uint32_t count);
    // One item of 2, 4 or 8 bytes in the machine's (little-endian) order; returns 1 or 0.
    [[nodiscard]] uint32_t ReadWord(void* destination);
    [[nodiscard]] uint32_t ReadDword(void* destination);
    [[nodiscard]] uint32_t ReadDouble(void* destination);
    uint32_t WriteWord(const void* source);
    uint32_t WriteDWord(const void* source);
    uint32_t WriteQWord(const void* source);

    // n bytes into out. A length beyond the bytes that are left is refused before anything is
    // allocated: out is emptied, the end counts as passed, KST_ERR_END_OF_DATA.
    [[nodiscard]] int ReadString(CKSTString& out, uint32_t n);
    // One line by the rule of kst_detail::DecodeEscapedLine, then trimmed at its end
    // (trimRight) or given an LF. 0, or KST_ERR_END_OF_DATA when the end was passed (the text
    // read before it is valid).
    [[nodiscard]] int ReadLine(CKSTString& out, bool trimRight);
    // Characters up to a zero byte; KST_ERR_END_OF_DATA when the data ended first.
    [[nodiscard]] int ReadSz(CKSTString& out);
    // The rest of the stream, read in chunks of kReadAllChunk bytes, into out (position 0).
    // expectedSize only sizes the buffer ahead and is capped by what the stream holds.
    // 0, or KST_ERR_TOO_LARGE when the rest does not fit a memory buffer.
    [[nodiscard]] int ReadAll(CKSTMemBuffer& out, uint32_t expectedSize);
    void WriteString(const CKSTString& text);
    uint32_t WriteSz(const char* text);
    // 0, or KST_ERR_SHORT_TRANSFER when not every byte was written.
    [[nodiscard]] int WriteBuffer(const CKSTMemBuffer& buffer);

    // origin 0 start, 1 current position, 2 end. A file returns fseek's result; a memory stream
    // clamps the position to the size and returns the size. A target before the start fails
    // with -1 and leaves the position, in both kinds.
    int64_t Seek(int64_t offset, int origin);
    int64_t Tell();
    bool IsEOF();
    // Memory: the buffer's size. File: the size of the open file (its pending writes flushed),
    // KST_ERR_SHORT_TRANSFER when none is open.
    int64_t GetSize();
    CKSTString GetPath() const { return m_path; }
    // Last write time of the file at the stream's path, local time, whole seconds.
    CKSTTimeStamp GetWriteTime() const;

    bool IsInMemory() const { return m_inMemory != 0; }
    bool IsOpen() const { return m_isOpen != 0; }
    uint32_t GetMode() const { return m_mode; }
    CKSTMemBuffer& GetMemoryBuffer() { return m_memory; }
    const CKSTMemBuffer& GetMemoryBuffer() const { return m_memory; }

protected:
    uint32_t m_inMemory;
    FILE* m_file;
    CKSTMemBuffer m_memory;
    uint8_t m_isOpen;
    uint32_t m_mode;
    CKSTString m_path;

private:
    enum Access : uint8_t { kNone, kRead, kWrite };

    // Length of the open file with its pending writes, -1 when it cannot be told.
    int64_t FileLength();
    // Bytes between the position and the end of the data, -1 when that cannot be told.
    int64_t Remaining();
    // Leaves the stream in the state of a read that passed the end.
    void MarkEndPassed();
    void PrepareFileAccess(Access access);

    Access m_lastAccess;
};

// File helpers. A path may end in a wildcard pattern; the first match counts.
bool FileExists(const CKSTString& path);
bool FileExistsNotFolder(const CKSTString& path);
// Size of the first match, KST_ERR_SHORT_TRANSFER when nothing is found.
int64_t GetFileSize64(const CKSTString& path);
// Last write time in local time, whole seconds; the zero stamp when nothing is found.
CKSTTimeStamp GetFileWriteTime(const CKSTString& path);
// A file of the disk, which has an end: no folder, device, pipe or socket. No wildcards.
bool IsRegularFile(const CKSTString& path);

// What a file search reports of one file or folder.
struct KstFoundFile {
    CKSTString name;
    uint64_t size = 0;
    bool isFolder = false;
    bool readOnly = false;
    // File times in the platform's units: 100 ns since 1601-01-01, UTC.
    uint64_t created = 0;
    uint64_t lastWritten = 0;
    uint64_t lastAccessed = 0;
};

// Platform seams, defined in foundation/win/ (Win32) and foundation/host/ (POSIX, where a
// backslash in a path is taken as the separator).

// Search over a path whose last part may hold the wildcards '*' and '?', in the platform's
// order; "." and ".." are reported as the platform reports them. At most one search is open.
class KstFileSearch {
public:
    KstFileSearch();
    ~KstFileSearch();
    KstFileSearch(const KstFileSearch&) = delete;
    KstFileSearch& operator=(const KstFileSearch&) = delete;

    // False when nothing matches or the search cannot be made.
    bool First(const CKSTString& pattern, KstFoundFile& out);
    bool Next(KstFoundFile& out);
    void Close();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// fopen of a backslash path; accessDenied tells whether the platform refused access (a folder
// counts as refused, as it does on Windows).
FILE* KstOpenFile(const CKSTString& path, const char* modeText, bool& accessDenied);
// 64-bit fseek and ftell.
[[nodiscard]] int KstSeekFile(FILE* file, int64_t offset, int origin);
int64_t KstTellFile(FILE* file);
// Length of an open file, -1 when it cannot be told.
int64_t KstFileLength(FILE* file);
// File time (100 ns since 1601, UTC) as local calendar time, whole seconds.
CKSTTimeStamp KstFileTimeToLocal(uint64_t fileTime);
