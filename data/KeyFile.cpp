#include "data/KeyFile.h"

#include <algorithm>
#include <string>
#include <unordered_map>

#include "foundation/ErrorCodes.h"

namespace {

// The stream's line reading turns a doubled backslash into one and a backslash before a line
// end into a continuation; doubling them all makes every line come back as it was written.
void AppendLine(CKSTMemBuffer& out, const CKSTString& line, const char* lineEnd)
{
    CKSTString escaped = line;
    escaped.Replace(CKSTString("\\"), CKSTString("\\\\"));
    escaped += lineEnd;
    out.WriteString(escaped);
}

bool SamePath(const CKSTString& a, const CKSTString& b)
{
    CKSTString upperA = a;
    CKSTString upperB = b;
    upperA.MakeUpper();
    upperB.MakeUpper();
    return upperA == upperB;
}

}  // namespace

CKSTKeyFile::~CKSTKeyFile()
{
    CloseIncludes();
    m_list.Clear();
}

int CKSTKeyFile::Parse(CKSTHeaderInfoList& out, bool stripComments, bool allowIncludes)
{
    out.Clear();
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    CloseIncludes();
    m_parsedPath.Empty();
    if (IsInMemory()) {
        return ParseLines(out, stripComments, allowIncludes);
    }

    const CKSTString path = GetPath();
    int result = LoadFileToMemory();
    static_cast<void>(Close());
    if (result == KST_OK && m_memory.GetSize() > 0) {
        result = OpenMemoryRead();
        if (result == KST_OK) {
            m_parsedPath = path;
            result = ParseLines(out, stripComments, allowIncludes);
            m_parsedPath.Empty();
            CloseIncludes();
        }
    }
    const int reopened = Open(path, KST_OPEN_READ);
    return result != KST_OK ? result : reopened;
}

int CKSTKeyFile::Load(CKSTHeaderInfoList& out, const CKSTMemBuffer& buffer, bool stripComments)
{
    static_cast<void>(Close());
    Reset(true);
    SetMemory(buffer);
    if (buffer.GetSize() == 0) {
        out.Clear();
        return KST_OK;
    }
    int result = OpenMemoryRead();
    if (result == KST_OK) {
        result = Parse(out, stripComments, true);
    }
    static_cast<void>(Close());
    return result;
}

int CKSTKeyFile::Write(const CKSTHeaderInfoList& list, bool crlf)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    if (GetMode() == KST_OPEN_READ) {
        return KST_ERR_NOT_OPEN_FOR_WRITING;
    }
    const char* lineEnd = crlf ? "\r\n" : "\n";
    const int count = list.GetCount(true);
    std::vector<CKSTString> sections(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        sections[static_cast<size_t>(i)] = GetSectionOfKey(list.GetItem(i).m_name);
    }

    // A line break would split the entry into lines that read back as something else.
    for (int i = 0; i < count; ++i) {
        const CKSTString value = list.GetItem(i).GetValueText();
        if (value.Find('\n') >= 0 || value.Find('\r') >= 0) {
            return KST_ERR_MALFORMED_LINE;
        }
    }

    CKSTMemBuffer content;
    const auto writeEntry = [&](int i) {
        const CKSTHeaderInfoItem& item = list.GetItem(i);
        AppendLine(content, GetKeyName(item.m_name) + "=" + item.GetValueText(), lineEnd);
    };
    // A reader puts every line into the section above it, so entries without a section can
    // only come before the first header.
    for (int i = 0; i < count; ++i) {
        if (sections[static_cast<size_t>(i)].IsEmpty()) {
            writeEntry(i);
        }
    }
    // The entries of each section in list order, the sections in the order of their first entry.
    std::unordered_map<std::string, size_t> groupOf;
    std::vector<std::vector<int>> groups;
    for (int i = 0; i < count; ++i) {
        const CKSTString& section = sections[static_cast<size_t>(i)];
        if (section.IsEmpty()) {
            continue;
        }
        const auto added = groupOf.emplace(
            std::string(section.c_str(), static_cast<size_t>(section.GetLength())), groups.size());
        if (added.second) {
            groups.emplace_back();
        }
        groups[added.first->second].push_back(i);
    }
    for (const std::vector<int>& group : groups) {
        content.WriteString(lineEnd);
        AppendLine(content, "[" + sections[static_cast<size_t>(group.front())] + "]", lineEnd);
        for (const int i : group) {
            writeEntry(i);
        }
    }

    int result = WriteBuffer(content);
    if (IsInMemory()) {
        return result;
    }
    // Closing flushes what was written; opening for appending keeps it, where opening the
    // file as it was opened ("wb") would empty it again.
    const CKSTString path = GetPath();
    const int closed = Close();
    const int reopened = Open(path, KST_OPEN_APPEND);
    if (result == KST_OK) {
        result = closed;
    }
    return result != KST_OK ? result : reopened;
}

int CKSTKeyFile::ReadLine(CKSTString& out)
{
    out.Empty();
    CKSTDataFile* reader = this;
    if (!m_includes.empty()) {
        reader = m_includes.back().reader.get();
        if (reader == nullptr) {
            return KST_ERR_INCLUDE_SLOT;
        }
    }
    const int result = reader->CKSTDataFile::ReadLine(out, true);
    // A last line without a line end is still a line.
    if (result == KST_ERR_END_OF_DATA && !out.IsEmpty()) {
        return KST_OK;
    }
    return result;
}

void CKSTKeyFile::StripComment(CKSTString& line)
{
    const int hash = line.Find('#');
    const int slashes = line.Find(CKSTString("//"));
    int cut = hash;
    if (cut < 0 || (slashes >= 0 && slashes < cut)) {
        cut = slashes;
    }
    if (cut < 0) {
        return;
    }
    int quotesBefore = 0;
    for (int i = 0; i < cut; ++i) {
        quotesBefore += line[i] == '"' ? 1 : 0;
    }
    if (quotesBefore % 2 == 1 && line.Find('"', cut + 1) >= 0) {
        return;
    }
    line.Truncate(cut);
    line.Trim();
}

CKSTString CKSTKeyFile::GetSectionOfKey(const CKSTString& name)
{
    const int last = name.ReverseFind(kPathSeparator);
    if (last < 0) {
        return CKSTString();
    }
    CKSTString section = name.Left(last);
    section.Replace(kPathSeparator, '|');
    return section;
}

CKSTString CKSTKeyFile::GetKeyName(const CKSTString& name)
{
    const int last = name.ReverseFind(kPathSeparator);
    return last < 0 ? name : name.Mid(last + 1);
}

int CKSTKeyFile::ParseLines(CKSTHeaderInfoList& out, bool stripComments, bool allowIncludes)
{
    CKSTString section;
    for (;;) {
        CKSTString line;
        const int read = ReadLine(line);
        if (read == KST_ERR_END_OF_DATA) {
            if (m_includes.empty()) {
                return KST_OK;
            }
            m_includes.pop_back();
            continue;
        }
        if (read != KST_OK) {
            return read;
        }
        if (line.GetLength() > kMaxLineLength) {
            return KST_ERR_TOO_LARGE;
        }
        line.Trim();
        if (stripComments) {
            StripComment(line);
        }
        if (line.IsEmpty()) {
            continue;
        }
        if (line.GetLength() >= 2 && line.First() == '[' && line.Last() == ']') {
            section = line.Mid(1, line.GetLength() - 2);
            section.Replace('|', kPathSeparator);
            continue;
        }
        const int equals = line.Find('=');
        if (equals <= 0) {
            return KST_ERR_MALFORMED_LINE;
        }
        CKSTString key = line.Left(equals);
        CKSTString value = line.Mid(equals + 1);
        key.Trim();
        value.Trim();

        CKSTString upperKey = key;
        upperKey.MakeUpper();
        if (allowIncludes && upperKey == "INCLUDE") {
            const int included = OpenInclude(value);
            if (included != KST_OK) {
                return included;
            }
            continue;
        }
        const CKSTString name = section.IsEmpty() ? key : section + kPathSeparator + key;
        const int set = out.SetString(name, value);
        if (set < 0) {
            return set;
        }
    }
}

int CKSTKeyFile::OpenInclude(const CKSTString& path)
{
    auto reader = std::make_unique<CKSTDataFile>();
    // An include that cannot be opened is skipped, as is one that is already being read: its
    // lines are read (or being read) anyway.
    if (!IsRegularFile(path) || reader->Open(path, KST_OPEN_READ) != KST_OK ||
        IsBeingRead(reader->GetPath())) {
        return KST_OK;
    }
    if (m_includes.size() >= kMaxIncludeDepth) {
        return KST_ERR_INCLUDE_TOO_DEEP;
    }
    const int64_t size = reader->GetSize();
    if (++m_includeCount > kMaxIncludes || size < 0 || size > kMaxIncludedBytes - m_includedBytes) {
        return KST_ERR_TOO_LARGE;
    }
    m_includedBytes += size;
    CKSTString openedPath = reader->GetPath();
    // Read whole by its size, so that a file growing while it is read cannot make it endless.
    const int loaded = reader->LoadFileToMemory();
    if (loaded != KST_OK) {
        return loaded;
    }
    if (size == 0 || reader->OpenMemoryRead() != KST_OK) {
        return KST_OK;
    }
    m_includes.push_back({std::move(reader), std::move(openedPath)});
    return KST_OK;
}

bool CKSTKeyFile::IsBeingRead(const CKSTString& path) const
{
    if (!m_parsedPath.IsEmpty() && SamePath(path, m_parsedPath)) {
        return true;
    }
    return std::any_of(m_includes.begin(), m_includes.end(),
                       [&](const Include& include) { return SamePath(path, include.path); });
}

void CKSTKeyFile::CloseIncludes()
{
    m_includes.clear();
    m_includeCount = 0;
    m_includedBytes = 0;
}
