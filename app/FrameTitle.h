#pragma once
// The main window's title: whatever the framework asks for, it shows the current file's name,
// the command-line file in parentheses while the standard display settings do not always
// apply, and the product name with its version.
#include <cstdint>

#include "foundation/String.h"

// `productName` and `version` in the current language; `settingsUsage` 2 is "Ever".
CKSTString KstFrameTitle(const CKSTString& currentPath, int32_t settingsUsage,
                         const CKSTString& commandLineFile, const CKSTString& productName,
                         const CKSTString& version);
// The text after the last backslash (the whole path without one).
CKSTString KstFileNameOf(const CKSTString& path);
