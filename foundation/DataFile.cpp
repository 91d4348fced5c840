#include "foundation/DataFile.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "foundation/ErrorCodes.h"

namespace {

const char* const kModeTexts[] = {"rb", "wb", "a+b", "r+b"};

// Longest text the stream hands out: the string's signed length plus its capacity rounding.
constexpr uint64_t kMaxTextLength = 0x7FFFFF00;

bool AssignText(CKSTString& out, const char* bytes, size_t n)
{
    if (n == 0 || n > kMaxTextLength) {
        out.Empty();
        return n == 0;
    }
    out.Assign(bytes, static_cast<int>(n));
    return true;
}

}  // namespace

CKSTDataFile::CKSTDataFile()
    : m_inMemory(0), m_file(nullptr), m_isOpen(0), m_mode(KST_OPEN_READ), m_lastAccess(kNone)
{
}

CKSTDataFile::~CKSTDataFile()
{
    static_cast<void>(Close());
}

int CKSTDataFile::Open(const CKSTString& path, uint32_t mode)
{
    // Taken before closing: the path may be this stream's own, which closing clears.
    const CKSTString nativePath = path.SlashesToBackslashes();
    static_cast<void>(Close());
    Reset(false);
    if (nativePath.IsEmpty() || mode >= sizeof kModeTexts / sizeof kModeTexts[0]) {
        return KST_ERR_OPEN_FAILED;
    }
    bool accessDenied = false;
    FILE* file = KstOpenFile(nativePath, kModeTexts[mode], accessDenied);
    if (file == nullptr) {
        return accessDenied ? KST_ERR_ACCESS_DENIED : KST_ERR_OPEN_FAILED;
    }
    m_file = file;
    m_isOpen = 1;
    m_mode = mode;
    m_path = nativePath;
    return KST_OK;
}

int CKSTDataFile::OpenMemoryRead()
{
    if (m_memory.GetSize() == 0) {
        return KST_ERR_BAD_HEADER;
    }
    static_cast<void>(Close());
    Reset(true);
    m_isOpen = 1;
    m_mode = KST_OPEN_READ;
    m_memory.SetPosition(0);
    return KST_OK;
}

int CKSTDataFile::OpenMemoryWrite()
{
    static_cast<void>(Close());
    Reset(true);
    m_memory.Free();
    m_isOpen = 1;
    m_mode = KST_OPEN_WRITE;
    return KST_OK;
}

int CKSTDataFile::Close()
{
    int result = KST_OK;
    if (m_file != nullptr) {
        // Flushed first: the Windows runtime's fclose reports success when only its buffered
        // bytes fail to reach the disk.
        const bool flushed = std::fflush(m_file) == 0;
        if (std::fclose(m_file) != 0 || !flushed) {
            result = KST_ERR_SHORT_TRANSFER;
        }
        m_file = nullptr;
    }
    Reset(m_inMemory != 0);
    return result;
}

void CKSTDataFile::Reset(bool inMemory)
{
    if (m_file != nullptr) {
        std::fclose(m_file);  // never leak a stream that the caller forgot to close
    }
    m_inMemory = inMemory ? 1 : 0;
    m_file = nullptr;
    m_isOpen = 0;
    m_mode = KST_OPEN_READ;
    m_path.Empty();
    m_lastAccess = kNone;
}

void CKSTDataFile::GetMemory(CKSTMemBuffer& out) const
{
    out.CopyFrom(m_memory);
}

void CKSTDataFile::SetMemory(const CKSTMemBuffer& buffer)
{
    m_memory.CopyFrom(buffer);
    m_memory.SetPosition(m_isOpen && m_mode == KST_OPEN_WRITE ? m_memory.GetSize() : 0);
}

int CKSTDataFile::LoadFileToMemory()
{
    if (m_file == nullptr) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    const int64_t length = FileLength();
    if (length < 0) {
        return KST_ERR_SHORT_TRANSFER;
    }
    if (length > CKSTMemBuffer::kMaxSize) {
        return KST_ERR_TOO_LARGE;
    }
    PrepareFileAccess(kRead);
    if (KstSeekFile(m_file, 0, SEEK_SET) != 0) {
        return KST_ERR_SHORT_TRANSFER;
    }
    return m_memory.LoadFile(m_file, static_cast<uint32_t>(length));
}

int CKSTDataFile::SaveMemoryToFile()
{
    if (m_file == nullptr) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    PrepareFileAccess(kWrite);
    return m_memory.SaveFile(m_file);
}

uint32_t CKSTDataFile::Read(void* destination, uint32_t n)
{
    return Read(destination, 1, n);
}

uint32_t CKSTDataFile::Write(const void* source, uint32_t n)
{
    return Write(source, 1, n);
}

uint32_t CKSTDataFile::Read(void* destination, uint32_t itemSize, uint32_t count)
{
    if (m_inMemory) {
        return m_memory.Read(destination, itemSize, count);
    }
    if (m_file == nullptr || itemSize == 0 || count == 0) {
        return 0;
    }
    PrepareFileAccess(kRead);
    return static_cast<uint32_t>(std::fread(destination, itemSize, count, m_file));
}

uint32_t CKSTDataFile::Write(const void* source, uint32_t itemSize, uint32_t count)
{
    if (m_inMemory) {
        return m_memory.Write(source, itemSize, count);
    }
    if (m_file == nullptr || itemSize == 0 || count == 0) {
        return 0;
    }
    PrepareFileAccess(kWrite);
    return static_cast<uint32_t>(std::fwrite(source, itemSize, count, m_file));
}

uint32_t CKSTDataFile::ReadWord(void* destination)
{
    return Read(destination, 2, 1);
}

uint32_t CKSTDataFile::ReadDword(void* destination)
{
    return Read(destination, 4, 1);
}

uint32_t CKSTDataFile::ReadDouble(void* destination)
{
    return Read(destination, 8, 1);
}

uint32_t CKSTDataFile::WriteWord(const void* source)
{
    return Write(source, 2, 1);
}

uint32_t CKSTDataFile::WriteDWord(const void* source)
{
    return Write(source, 4, 1);
}

uint32_t CKSTDataFile::WriteQWord(const void* source)
{
    return Write(source, 8, 1);
}

int CKSTDataFile::ReadString(CKSTString& out, uint32_t n)
{
    out.Empty();
    if (n == 0) {
        return IsEOF() ? KST_ERR_END_OF_DATA : KST_OK;
    }
    // A length from a corrupt file must not become an allocation the data cannot fill.
    const int64_t left = Remaining();
    if (left >= 0 && n > left) {
        MarkEndPassed();
        return KST_ERR_END_OF_DATA;
    }
    if (n > kMaxTextLength) {
        return KST_ERR_TOO_LARGE;
    }
    out.SetLength(static_cast<int>(n));
    const uint32_t got = Read(out.GetBuffer(), 1, n);
    if (got < n) {
        out.SetLength(static_cast<int>(got));
    }
    return IsEOF() ? KST_ERR_END_OF_DATA : KST_OK;
}

int CKSTDataFile::ReadLine(CKSTString& out, bool trimRight)
{
    out.Empty();
    std::string line;
    bool endedByLf = false;
    if (m_inMemory) {
        struct Source {
            const uint8_t* data;
            uint32_t size;
            uint32_t position;
            int Get() { return position < size ? data[position++] : -1; }
            void Unget(int) { --position; }
        } source{m_memory.GetData(), m_memory.GetSize(), m_memory.GetPosition()};
        endedByLf = kst_detail::DecodeEscapedLine(source, line);
        if (endedByLf) {
            m_memory.SetPosition(source.position);
        } else {
            MarkEndPassed();
        }
    } else if (m_file != nullptr) {
        PrepareFileAccess(kRead);
        struct Source {
            FILE* file;
            int Get()
            {
                const int c = std::fgetc(file);
                return c == EOF ? -1 : c;
            }
            void Unget(int c) { std::ungetc(c, file); }
        } source{m_file};
        endedByLf = kst_detail::DecodeEscapedLine(source, line);
    }
    if (!AssignText(out, line.data(), line.size())) {
        return KST_ERR_TOO_LARGE;
    }
    if (trimRight) {
        out.TrimRight();
    } else {
        out.AppendChar('\n');
    }
    return endedByLf ? KST_OK : KST_ERR_END_OF_DATA;
}

int CKSTDataFile::ReadSz(CKSTString& out)
{
    out.Empty();
    if (m_inMemory) {
        const uint32_t position = m_memory.GetPosition();
        const uint32_t left = m_memory.GetRemaining();
        const uint8_t* start = left > 0 ? m_memory.GetData() + position : nullptr;
        const auto* zero =
            left > 0 ? static_cast<const uint8_t*>(std::memchr(start, 0, left)) : nullptr;
        if (zero == nullptr) {
            AssignText(out, reinterpret_cast<const char*>(start), left);
            MarkEndPassed();
            return KST_ERR_END_OF_DATA;
        }
        const uint32_t length = static_cast<uint32_t>(zero - start);
        AssignText(out, reinterpret_cast<const char*>(start), length);
        m_memory.SetPosition(position + length + 1);
        return KST_OK;
    }
    if (m_file == nullptr) {
        return KST_ERR_END_OF_DATA;
    }
    PrepareFileAccess(kRead);
    std::string text;
    for (;;) {
        const int c = std::fgetc(m_file);
        if (c == EOF) {
            return AssignText(out, text.data(), text.size()) ? KST_ERR_END_OF_DATA
                                                             : KST_ERR_TOO_LARGE;
        }
        if (c == 0) {
            return AssignText(out, text.data(), text.size()) ? KST_OK : KST_ERR_TOO_LARGE;
        }
        text += static_cast<char>(c);
    }
}

int CKSTDataFile::ReadAll(CKSTMemBuffer& out, uint32_t expectedSize)
{
    out.Free();
    uint64_t ahead = expectedSize;
    const int64_t left = Remaining();
    if (left >= 0) {
        ahead = std::min<uint64_t>(ahead, static_cast<uint64_t>(left));
    }
    if (ahead > 0) {
        out.Reserve(static_cast<uint32_t>(std::min<uint64_t>(ahead, CKSTMemBuffer::kMaxSize)));
    }
    std::vector<uint8_t> chunk(kReadAllChunk);
    int result = KST_OK;
    for (;;) {
        const uint32_t got = Read(chunk.data(), 1, kReadAllChunk);
        if (got > 0 && out.Write(chunk.data(), 1, got) != got) {
            result = KST_ERR_TOO_LARGE;
            break;
        }
        if (got < kReadAllChunk) {
            break;
        }
    }
    out.SetPosition(0);
    return result;
}

void CKSTDataFile::WriteString(const CKSTString& text)
{
    if (text.GetLength() > 0) {
        Write(text.c_str(), 1, static_cast<uint32_t>(text.GetLength()));
    }
}

uint32_t CKSTDataFile::WriteSz(const char* text)
{
    if (text == nullptr || *text == '\0') {
        return 0;
    }
    const size_t length = std::strlen(text);
    if (length > std::numeric_limits<uint32_t>::max()) {
        return 0;
    }
    return Write(text, 1, static_cast<uint32_t>(length));
}

int CKSTDataFile::WriteBuffer(const CKSTMemBuffer& buffer)
{
    const uint32_t n = buffer.GetSize();
    if (n == 0) {
        return KST_OK;
    }
    return Write(buffer.GetData(), 1, n) == n ? KST_OK : KST_ERR_SHORT_TRANSFER;
}

int64_t CKSTDataFile::Seek(int64_t offset, int origin)
{
    if (!m_inMemory) {
        if (m_file == nullptr) {
            return -1;
        }
        m_lastAccess = kNone;  // a seek allows the direction to change
        return KstSeekFile(m_file, offset, origin);
    }
    int64_t base;
    switch (origin) {
        case SEEK_SET:
            base = 0;
            break;
        case SEEK_CUR:
            base = m_memory.GetPosition();
            break;
        case SEEK_END:
            base = m_memory.GetSize();
            break;
        default:
            return -1;
    }
    int64_t target;
    if (__builtin_add_overflow(base, offset, &target)) {
        target = offset < 0 ? -1 : std::numeric_limits<int64_t>::max();
    }
    if (target < 0) {
        return -1;
    }
    const uint64_t clamped = std::min<uint64_t>(static_cast<uint64_t>(target), m_memory.GetSize());
    return m_memory.SetPosition(static_cast<uint32_t>(clamped));
}

int64_t CKSTDataFile::Tell()
{
    if (m_inMemory) {
        return m_memory.GetPosition();
    }
    return m_file != nullptr ? KstTellFile(m_file) : -1;
}

bool CKSTDataFile::IsEOF()
{
    if (m_inMemory) {
        return m_memory.IsPastEnd();
    }
    return m_file == nullptr || std::feof(m_file) != 0;
}

int64_t CKSTDataFile::GetSize()
{
    if (m_inMemory) {
        return m_memory.GetSize();
    }
    const int64_t length = FileLength();
    return length < 0 ? int64_t{KST_ERR_SHORT_TRANSFER} : length;
}

CKSTTimeStamp CKSTDataFile::GetWriteTime() const
{
    return GetFileWriteTime(m_path);
}

int64_t CKSTDataFile::FileLength()
{
    if (m_file == nullptr) {
        return -1;
    }
    if (m_lastAccess == kWrite) {
        std::fflush(m_file);  // pending writes count
    }
    return KstFileLength(m_file);
}

int64_t CKSTDataFile::Remaining()
{
    if (m_inMemory) {
        return m_memory.GetRemaining();
    }
    const int64_t length = FileLength();
    const int64_t position = m_file != nullptr ? KstTellFile(m_file) : -1;
    if (length < 0 || position < 0) {
        return -1;
    }
    return std::max<int64_t>(0, length - position);
}

void CKSTDataFile::MarkEndPassed()
{
    if (m_inMemory) {
        uint8_t byte;
        m_memory.SetPosition(m_memory.GetSize());
        m_memory.Read(&byte, 1, 1);
        return;
    }
    if (m_file != nullptr) {
        PrepareFileAccess(kRead);
        static_cast<void>(KstSeekFile(m_file, 0, SEEK_END));
        std::fgetc(m_file);
    }
}

// The C library needs a positioning call between reading and writing an update stream.
void CKSTDataFile::PrepareFileAccess(Access access)
{
    if (m_lastAccess != kNone && m_lastAccess != access) {
        static_cast<void>(KstSeekFile(m_file, 0, SEEK_CUR));
    }
    m_lastAccess = access;
}

bool FileExists(const CKSTString& path)
{
    KstFileSearch search;
    KstFoundFile found;
    return search.First(path, found);
}

bool FileExistsNotFolder(const CKSTString& path)
{
    KstFileSearch search;
    KstFoundFile found;
    return search.First(path, found) && !found.isFolder;
}

int64_t GetFileSize64(const CKSTString& path)
{
    KstFileSearch search;
    KstFoundFile found;
    if (!search.First(path, found)) {
        return KST_ERR_SHORT_TRANSFER;
    }
    return static_cast<int64_t>(found.size);
}

CKSTTimeStamp GetFileWriteTime(const CKSTString& path)
{
    KstFileSearch search;
    KstFoundFile found;
    if (!search.First(path, found)) {
        return CKSTTimeStamp();
    }
    return KstFileTimeToLocal(found.lastWritten);
}
