#include "foundation/MemBuffer.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "foundation/ErrorCodes.h"

namespace {

constexpr int kEndOfData = KST_ERR_END_OF_DATA;

// Lengths here never exceed kMaxSize, so they fit the string's signed length.
void AssignBytes(CKSTString& out, const void* bytes, uint32_t n)
{
    if (n == 0) {
        out.Empty();
        return;
    }
    out.Assign(static_cast<const char*>(bytes), static_cast<int>(n));
}

}  // namespace

CKSTMemBuffer::CKSTMemBuffer()
    : m_data(nullptr), m_size(0), m_capacity(0), m_growth(kInitialGrowth), m_position(0)
{
}

CKSTMemBuffer::CKSTMemBuffer(const CKSTMemBuffer& other) : CKSTMemBuffer()
{
    CopyFrom(other);
}

CKSTMemBuffer::~CKSTMemBuffer()
{
    delete[] m_data;
}

CKSTMemBuffer& CKSTMemBuffer::operator=(const CKSTMemBuffer& other)
{
    if (this == &other) {
        return *this;
    }
    if (!Reserve(other.m_size)) {
        throw std::bad_alloc();
    }
    if (other.m_size > 0) {
        std::memcpy(m_data, other.m_data, other.m_size);
    }
    m_size = other.m_size;
    return *this;
}

void CKSTMemBuffer::Free()
{
    delete[] m_data;
    m_data = nullptr;
    m_size = 0;
    m_capacity = 0;
    m_position = 0;
    m_growth = kInitialGrowth;
}

void CKSTMemBuffer::CopyFrom(const CKSTMemBuffer& other)
{
    AssignPart(other, other.m_size);
}

void CKSTMemBuffer::AssignPart(const CKSTMemBuffer& other, uint32_t n)
{
    n = std::min(n, other.m_size);
    if (this == &other) {
        m_size = n;
        m_position = 0;
        return;
    }
    Free();
    if (n == 0) {
        return;
    }
    if (!Reserve(n)) {
        throw std::bad_alloc();
    }
    std::memcpy(m_data, other.m_data, n);
    m_size = n;
}

bool CKSTMemBuffer::Reserve(uint32_t n)
{
    if (n == m_capacity) {
        return true;
    }
    if (n > kMaxSize) {
        return false;
    }
    const uint64_t stepped = static_cast<uint64_t>(m_capacity) + m_growth;
    const uint32_t capacity =
        static_cast<uint32_t>(std::min<uint64_t>(std::max<uint64_t>(stepped, n), kMaxSize));
    uint8_t* data = new (std::nothrow) uint8_t[capacity];
    if (data == nullptr) {
        return false;
    }
    if (m_size > 0) {
        std::memcpy(data, m_data, m_size);
    }
    delete[] m_data;
    m_data = data;
    m_capacity = capacity;
    // The step follows the largest size asked for, so long runs of small writes stay cheap.
    m_growth = std::max(m_growth, n / 10);
    return true;
}

bool CKSTMemBuffer::SetSize(uint32_t n)
{
    if (n > m_capacity && !Reserve(n)) {
        return false;
    }
    m_size = n;
    return true;
}

uint32_t CKSTMemBuffer::SetPosition(uint32_t p)
{
    m_position = std::min(p, m_size);
    return m_size;
}

uint8_t* CKSTMemBuffer::At(uint32_t index)
{
    if (m_size == 0 || index > m_size) {
        throw static_cast<int>(KST_ERR_INDEX);
    }
    return m_data + index;
}

const uint8_t* CKSTMemBuffer::At(uint32_t index) const
{
    return const_cast<CKSTMemBuffer*>(this)->At(index);
}

uint32_t CKSTMemBuffer::RemoveBytes(uint32_t offset, uint32_t count)
{
    const uint64_t end = static_cast<uint64_t>(offset) + count;
    if (end > m_size || count == 0) {
        return m_size;
    }
    const uint32_t tail = m_size - static_cast<uint32_t>(end);
    if (tail > 0) {
        std::memmove(m_data + offset, m_data + end, tail);
    }
    m_size -= count;
    if (m_position >= end) {
        m_position -= count;
    } else if (m_position > offset) {
        m_position = offset;
    }
    return m_size;
}

// End of data: a read that starts at or beyond the end moves the position one past the size
// and returns 0, which is how the memory stream sees that the end was passed. A read cut short
// delivers the whole items that are left and stops before the bytes of a partial item; when not
// even one item is left the end counts as passed, so a reader looping until the end always
// gets there.
uint32_t CKSTMemBuffer::Read(void* destination, uint32_t itemSize, uint32_t count)
{
    uint64_t bytes = static_cast<uint64_t>(itemSize) * count;
    if (bytes == 0) {
        return 0;
    }
    if (m_position >= m_size) {
        m_position = m_size + 1;
        return 0;
    }
    const uint32_t left = m_size - m_position;
    if (bytes > left) {
        count = left / itemSize;
        bytes = static_cast<uint64_t>(count) * itemSize;
        if (count == 0) {
            m_position = m_size + 1;
            return 0;
        }
    }
    std::memcpy(destination, m_data + m_position, bytes);
    m_position += static_cast<uint32_t>(bytes);
    return count;
}

uint32_t CKSTMemBuffer::Write(const void* source, uint32_t itemSize, uint32_t count)
{
    const uint64_t bytes = static_cast<uint64_t>(itemSize) * count;
    if (bytes == 0) {
        return 0;
    }
    const uint64_t end = static_cast<uint64_t>(m_position) + bytes;
    if (end > kMaxSize) {
        return 0;
    }
    std::unique_ptr<uint8_t[]> ownBytes;
    if (end > m_capacity) {
        // Growing frees the old block, which may be where the source lies.
        const auto* src = static_cast<const uint8_t*>(source);
        if (m_data != nullptr && src >= m_data && src < m_data + m_capacity) {
            ownBytes.reset(new (std::nothrow) uint8_t[bytes]);
            if (!ownBytes) {
                return 0;
            }
            std::memcpy(ownBytes.get(), src, bytes);
            source = ownBytes.get();
        }
        if (!Reserve(static_cast<uint32_t>(end))) {
            return 0;
        }
    }
    if (m_position > m_size) {
        std::memset(m_data + m_size, 0, m_position - m_size);  // no stale bytes in a gap
    }
    std::memmove(m_data + m_position, source, bytes);
    m_position = static_cast<uint32_t>(end);
    m_size = std::max(m_size, m_position);
    return count;
}

uint32_t CKSTMemBuffer::WriteString(const CKSTString& text)
{
    return Write(text.c_str(), 1, static_cast<uint32_t>(text.GetLength()));
}

int CKSTMemBuffer::WriteFixedString(const CKSTString& text, uint32_t width)
{
    if (width == 0) {
        return KST_OK;
    }
    const uint32_t used = std::min(width, static_cast<uint32_t>(text.GetLength()));
    if (static_cast<uint64_t>(m_position) + width > kMaxSize) {
        return KST_ERR_TOO_LARGE;
    }
    if (used > 0 && Write(text.c_str(), 1, used) != used) {
        return KST_ERR_TOO_LARGE;
    }
    if (width > used) {
        const uint32_t pad = width - used;
        static const uint8_t zeros[256] = {};
        for (uint32_t done = 0; done < pad;) {
            const uint32_t n = std::min<uint32_t>(pad - done, sizeof zeros);
            if (Write(zeros, 1, n) != n) {
                return KST_ERR_TOO_LARGE;
            }
            done += n;
        }
    }
    return KST_OK;
}

int CKSTMemBuffer::ReadLine(CKSTString& out)
{
    out.Empty();
    if (m_position >= m_size) {
        m_position = m_size + 1;
        return kEndOfData;
    }
    struct Source {
        CKSTMemBuffer& buffer;
        int Get()
        {
            if (buffer.m_position >= buffer.m_size) {
                return -1;
            }
            return buffer.m_data[buffer.m_position++];
        }
        void Unget(int) { --buffer.m_position; }
    } source{*this};
    std::string line;
    kst_detail::DecodeEscapedLine(source, line);
    AssignBytes(out, line.data(), static_cast<uint32_t>(line.size()));
    return m_position < m_size ? KST_OK : kEndOfData;
}

int CKSTMemBuffer::ReadSz(CKSTString& out)
{
    out.Empty();
    if (m_position >= m_size) {
        m_position = m_size + 1;
        return kEndOfData;
    }
    const uint8_t* start = m_data + m_position;
    const uint32_t left = m_size - m_position;
    const auto* zero = static_cast<const uint8_t*>(std::memchr(start, 0, left));
    const uint32_t length = zero ? static_cast<uint32_t>(zero - start) : left;
    AssignBytes(out, start, length);
    m_position += zero ? length + 1 : length;
    return m_position < m_size ? KST_OK : kEndOfData;
}

int CKSTMemBuffer::ReadFixedString(CKSTString& out, uint32_t width)
{
    out.Empty();
    if (m_position >= m_size) {
        m_position = m_size + 1;
        return kEndOfData;
    }
    const uint8_t* start = m_data + m_position;
    const uint32_t field = std::min(width, m_size - m_position);
    const auto* zero = static_cast<const uint8_t*>(std::memchr(start, 0, field));
    AssignBytes(out, start, zero ? static_cast<uint32_t>(zero - start) : field);
    m_position += field;
    return m_position < m_size ? KST_OK : kEndOfData;
}

int CKSTMemBuffer::ReadRest(CKSTString& out)
{
    if (m_position < m_size) {
        AssignBytes(out, m_data + m_position, m_size - m_position);
    } else {
        out.Empty();
    }
    m_position = m_size;
    return KST_OK;
}

int CKSTMemBuffer::GetString(CKSTString& out, uint32_t offset, uint32_t count) const
{
    if (offset >= m_size) {
        out.Empty();
        return KST_OK;
    }
    AssignBytes(out, m_data + offset, std::min(count, m_size - offset));
    return KST_OK;
}

int CKSTMemBuffer::LoadFile(FILE* file, uint32_t n)
{
    if (file == nullptr || (n > m_capacity && !Reserve(n))) {
        return KST_ERR_SHORT_TRANSFER;
    }
    const size_t got = n > 0 ? std::fread(m_data, 1, n, file) : 0;
    m_size = static_cast<uint32_t>(got);
    m_position = 0;
    return got < n ? KST_ERR_SHORT_TRANSFER : KST_OK;
}

int CKSTMemBuffer::SaveFile(FILE* file) const
{
    if (file == nullptr) {
        return KST_ERR_SHORT_TRANSFER;
    }
    if (m_size > 0 && std::fwrite(m_data, 1, m_size, file) < m_size) {
        return KST_ERR_SHORT_TRANSFER;
    }
    return KST_OK;
}

int32_t CKSTMemBuffer::Find(const CKSTString& pattern, int32_t start) const
{
    if (start < 0 || static_cast<uint32_t>(start) >= m_size) {
        return -1;
    }
    if (pattern.GetLength() == 0) {
        return start;
    }
    const auto* first = reinterpret_cast<const uint8_t*>(pattern.c_str());
    const uint8_t* last = first + pattern.GetLength();
    const uint8_t* end = m_data + m_size;
    const uint8_t* hit = std::search(static_cast<const uint8_t*>(m_data) + start, end, first, last);
    return hit == end ? -1 : static_cast<int32_t>(hit - m_data);
}
