#pragma once
// The byte stream of the format writers, able to push its buffered bytes out so that a write
// that fails there is reported by the writer: the Windows C runtime (also under Wine) loses the
// error of the flush inside fclose.

#include <cstdio>

#include "foundation/DataFile.h"
#include "foundation/ErrorCodes.h"

class CKSTFormatStream : public CKSTDataFile {
public:
    // 0, or KST_ERR_SHORT_TRANSFER when buffered bytes could not be written or an earlier write
    // failed. Memory streams have nothing to push.
    [[nodiscard]] int Flush()
    {
        if (m_file == nullptr) {
            return KST_OK;
        }
        return std::fflush(m_file) == 0 && std::ferror(m_file) == 0 ? KST_OK
                                                                      : KST_ERR_SHORT_TRANSFER;
    }
    // The open file, null for a memory stream.
    FILE* GetFile() const { return m_file; }
};
