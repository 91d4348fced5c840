#pragma once
// A read-only view of the whole of an open file, so that a reader parses the bytes where the
// system keeps them instead of copying them into fresh memory first: that copy costs a page
// fault per 4 KiB written, several times the parsing. The platform code lies in
// foundation/win/ and foundation/host/.

#include <cstddef>
#include <cstdio>

class CKSTMappedFile {
public:
    CKSTMappedFile() = default;
    ~CKSTMappedFile() { Unmap(); }
    CKSTMappedFile(const CKSTMappedFile&) = delete;
    CKSTMappedFile& operator=(const CKSTMappedFile&) = delete;

    // The first `size` bytes of the file; the view stays valid after the file is closed. False,
    // with nothing mapped, for an empty file or one the system cannot map (the caller then
    // reads it).
    bool Map(FILE* file, size_t size);
    void Unmap();

    bool IsMapped() const { return m_data != nullptr; }
    const char* GetData() const { return m_data; }
    size_t GetSize() const { return m_size; }

private:
    const char* m_data = nullptr;
    size_t m_size = 0;
};
