#include "foundation/FileReplace.h"

#include "foundation/ErrorCodes.h"

namespace {

constexpr char kTemporarySuffix[] = ".kstnew";
constexpr int kTemporarySuffixLength = sizeof kTemporarySuffix - 1;

}  // namespace

CKSTString KstTemporaryFileFor(const CKSTString& target)
{
    return target + kTemporarySuffix;
}

CKSTString KstSavedFileOf(const CKSTString& path)
{
    const int kept = path.GetLength() - kTemporarySuffixLength;
    return kept > 0 && path.Mid(kept) == kTemporarySuffix ? path.Left(kept) : path;
}

int KstSaveReplacing(const CKSTString& target,
                     const std::function<int(const CKSTString& temporary)>& write)
{
    const CKSTString temporary = KstTemporaryFileFor(target);
    int result = write(temporary);
    if (result >= 0) {
        result = KstFlushFile(temporary);
    }
    if (result >= 0) {
        result = KstReplaceFile(temporary, target);
    }
    if (result < 0) {
        KstDeleteFile(temporary);
        return result;
    }
    return KST_OK;
}
