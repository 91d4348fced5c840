#pragma once
// Saving that never destroys what was there. A user's file is written as a temporary file
// beside it (on the same volume, so that the move is one step), flushed to the disk and only
// then moved over the old file: whenever a save stops, the old file or the new one is whole.

#include <functional>

#include "foundation/String.h"

// The file that stands for target while target is being saved.
CKSTString KstTemporaryFileFor(const CKSTString& target);
// The file that a path being written becomes: the target of a temporary file, else the path.
CKSTString KstSavedFileOf(const CKSTString& path);

// write creates the file at the path it is given, fills and closes it, and returns 0 or a
// negative error. Only when it succeeded is that file flushed to the disk and moved over
// target; otherwise, and when the flush or the move fails, it is deleted and target stays as
// it was. 0, or the first error unchanged.
[[nodiscard]] int KstSaveReplacing(const CKSTString& target,
                                   const std::function<int(const CKSTString& temporary)>& write);

// The platform's steps, defined in foundation/win/ and foundation/host/.

// The file's bytes on the disk: 0, KST_ERR_OPEN_FAILED or KST_ERR_SHORT_TRANSFER.
int KstFlushFile(const CKSTString& path);
// Moves a completely written file over target in one step: 0, KST_ERR_ACCESS_DENIED (also for
// a read-only target, which stays the user's) or KST_ERR_OPEN_FAILED.
int KstReplaceFile(const CKSTString& temporary, const CKSTString& target);
void KstDeleteFile(const CKSTString& path);
