#pragma once
// Text files of sections and key=value lines, read into and written from a property list of
// string entries. A key inside a section is stored as the section path, the byte 0x1D and the
// key; the levels of a section path ("[A|B]") are joined with 0x1D as well. Lines may carry
// comments, and a file may include other files, whose lines are read in its place.
//
// Values are read and written as they stand, quotes included: a user that needs values with
// surrounding blanks, '#' or "//" to come back (the layout file) quotes them itself.
// Backslashes are doubled on every line, which the stream's line reading folds back.

#include <memory>
#include <vector>

#include "foundation/DataFile.h"
#include "foundation/HeaderInfoList.h"
#include "foundation/MemBuffer.h"
#include "foundation/String.h"

class CKSTKeyFile : public CKSTDataFile {
public:
    static constexpr char kPathSeparator = 0x1D;
    // Includes nested deeper than this make the parse fail; a file that is already being read
    // is not included again, so a cycle ends without reaching the limit.
    static constexpr size_t kMaxIncludeDepth = 16;
    // What one parse may take in through includes: files that include each other several
    // times would otherwise multiply their reads beyond any bound.
    static constexpr size_t kMaxIncludes = 256;
    static constexpr int64_t kMaxIncludedBytes = 16 << 20;
    static constexpr int kMaxLineLength = 1 << 20;

    CKSTKeyFile() = default;
    ~CKSTKeyFile();
    CKSTKeyFile(const CKSTKeyFile&) = delete;
    CKSTKeyFile& operator=(const CKSTKeyFile&) = delete;

    using CKSTDataFile::ReadLine;
    using CKSTDataFile::Write;

    // The key file's own list, which the layout reader parses into.
    CKSTHeaderInfoList& GetList() { return m_list; }
    const CKSTHeaderInfoList& GetList() const { return m_list; }

    // Empties out, then reads every line. A file is read into memory and closed first, and
    // opened again for reading by its path afterwards. KST_ERR_FILE_NOT_OPEN,
    // KST_ERR_MALFORMED_LINE (the entries before the line stay), KST_ERR_INCLUDE_TOO_DEEP,
    // KST_ERR_TOO_LARGE beyond the include limits or for a line longer than kMaxLineLength,
    // a read error, or the error of opening the file again. Only files of the disk are
    // included: a device or pipe is skipped like a missing file.
    [[nodiscard]] int Parse(CKSTHeaderInfoList& out, bool stripComments, bool allowIncludes);
    // Parses the text of a memory buffer, includes allowed; the stream is closed afterwards.
    [[nodiscard]] int Load(CKSTHeaderInfoList& out, const CKSTMemBuffer& buffer, bool stripComments);
    // Appends the list as sections and lines: entries without a section first, then one group
    // per section in the order of its first entry. A file is closed afterwards and opened again
    // for appending by its path, so what was written stays. KST_ERR_FILE_NOT_OPEN,
    // KST_ERR_NOT_OPEN_FOR_WRITING, KST_ERR_MALFORMED_LINE (nothing written) for a value holding
    // a line break, KST_ERR_SHORT_TRANSFER or the error of opening it again.
    [[nodiscard]] int Write(const CKSTHeaderInfoList& list, bool crlf);

    // The next line of the file being read (the innermost include, else the file itself),
    // trimmed at its end. KST_ERR_END_OF_DATA when that reader has no line left;
    // KST_ERR_INCLUDE_SLOT when the innermost include slot is empty.
    [[nodiscard]] int ReadLine(CKSTString& out);

    // Cuts the line at the first '#' or "//", whichever comes first, and trims it, unless that
    // position lies between the opening and the closing quote of a pair of double quotes
    // (pairs counted from the start of the line): then the line stays whole.
    static void StripComment(CKSTString& line);
    // The part of an entry name before its last 0x1D, shown with '|' between the levels;
    // empty for a name without a section.
    static CKSTString GetSectionOfKey(const CKSTString& name);
    // The part after the last 0x1D, or the whole name.
    static CKSTString GetKeyName(const CKSTString& name);

private:
    [[nodiscard]] int ParseLines(CKSTHeaderInfoList& out, bool stripComments, bool allowIncludes);
    [[nodiscard]] int OpenInclude(const CKSTString& path);
    bool IsBeingRead(const CKSTString& path) const;
    void CloseIncludes();

    CKSTHeaderInfoList m_list;
    struct Include {
        std::unique_ptr<CKSTDataFile> reader;  // over the file's bytes in memory
        CKSTString path;
    };
    std::vector<Include> m_includes;
    size_t m_includeCount = 0;
    int64_t m_includedBytes = 0;
    // Path of the file whose content is being parsed from memory.
    CKSTString m_parsedPath;
};
