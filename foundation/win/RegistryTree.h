#pragma once
// Settings trees moved between the registry and a property list, and the shell association of
// document extensions with the program.

#include <windows.h>

#include "foundation/HeaderInfoList.h"
#include "foundation/String.h"

// The program's own settings below HKEY_CURRENT_USER.
constexpr char kKstRegistryRoot[] = "Software\\Kestro\\Talvenor\\";
// ProgID under which the program registers its document extensions.
constexpr char kKstDocumentProgId[] = "TalvenorWriter";
// Joins subkey path and value name in the entry names of a settings tree.
constexpr char kKstTreeSeparator = '\x1D';

// Empties the list and loads root\keyPath with all values and subkeys into it; subkeys that
// cannot be opened are left out. 0, or KST_ERR_REG_KEY_NOT_OPENED when the key cannot be opened.
int RegLoadTree(HKEY root, const CKSTString& keyPath, CKSTHeaderInfoList& list);

// Writes every entry below root\keyPath, creating keys as needed; values and keys that are not
// in the list stay. 0, or KST_ERR_REG_WRITE at the first key or value that cannot be written.
int RegSaveTree(HKEY root, const CKSTString& keyPath, const CKSTHeaderInfoList& list);

// Associates ".extension" (given without the dot) with progId, opened by "commandPath" "%1";
// whatever the ProgID's command was before is replaced. Failures of single registry calls are
// not reported.
int RegisterFileType(const CKSTString& progId, const CKSTString& commandPath,
                     const CKSTString& iconPath, const CKSTString& extension,
                     const CKSTString& description);

// Removes the association of ".extension" with progId; an extension associated with another
// program, and whatever other programs keep in the extension's key, are left alone.
int UnregisterFileType(const CKSTString& extension, const CKSTString& progId = kKstDocumentProgId);
