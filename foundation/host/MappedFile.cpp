#include "foundation/MappedFile.h"

#include <sys/mman.h>

bool CKSTMappedFile::Map(FILE* file, size_t size)
{
    Unmap();
    if (file == nullptr || size == 0) {
        return false;
    }
    void* view = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fileno(file), 0);
    if (view == MAP_FAILED) {
        return false;
    }
    m_data = static_cast<const char*>(view);
    m_size = size;
    return true;
}

void CKSTMappedFile::Unmap()
{
    if (m_data != nullptr) {
        munmap(const_cast<char*>(m_data), m_size);
    }
    m_data = nullptr;
    m_size = 0;
}
