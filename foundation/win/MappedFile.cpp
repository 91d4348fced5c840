#include "foundation/MappedFile.h"

#include <io.h>
#include <windows.h>

bool CKSTMappedFile::Map(FILE* file, size_t size)
{
    Unmap();
    if (file == nullptr || size == 0) {
        return false;
    }
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const auto wide = static_cast<unsigned long long>(size);
    HANDLE mapping = CreateFileMappingA(handle, nullptr, PAGE_READONLY,
                                        static_cast<DWORD>(wide >> 32), static_cast<DWORD>(wide),
                                        nullptr);
    if (mapping == nullptr) {
        return false;
    }
    // The view keeps the section alive on its own.
    void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, size);
    CloseHandle(mapping);
    if (view == nullptr) {
        return false;
    }
    m_data = static_cast<const char*>(view);
    m_size = size;
    return true;
}

void CKSTMappedFile::Unmap()
{
    if (m_data != nullptr) {
        UnmapViewOfFile(m_data);
    }
    m_data = nullptr;
    m_size = 0;
}
