#pragma once
// The most-recently-used file list: full paths, newest first, at most a fixed count. Its menu
// entries replace the placeholder item of the first command id whenever the menu pops up
// (UpdateMenu, from the update handler of that id); entry n is command first id + n. The list
// is kept in the registry below the program's key, one value per position.
#include <windows.h>

#include <vector>

#include "foundation/String.h"

class CCmdUI;

class CRecentFileList {
public:
    // `entryFormat` names the values ("File%d", numbered from 1).
    CRecentFileList(UINT firstId, const char* section, const char* entryFormat, int size);

    int GetSize() const { return m_maxSize; }
    int GetCount() const { return static_cast<int>(m_files.size()); }
    const CKSTString& operator[](int index) const { return m_files[static_cast<size_t>(index)]; }
    UINT GetFirstId() const { return m_firstId; }

    // Puts the path first; an equal entry (case ignored) moves there, the oldest falls off.
    void Add(const char* pathName);
    void Remove(int index);

    // The text of entry `index` in the menu: "&n " and the path, shortened to the drive or
    // share, "..." and its last folders, with "&" doubled.
    CKSTString GetMenuText(int index) const;
    // Replaces the entries (or the placeholder) at the update item's position, enabled as the
    // update handler chose before the call, and moves the item past them.
    void UpdateMenu(CCmdUI* cmdUI);

    // Below HKEY_CURRENT_USER\registryKey\section; reading keeps existing files only.
    void ReadList(const CKSTString& registryKey);
    // Writes every position, empty ones as empty texts, so a shorter list leaves nothing stale.
    int WriteList(const CKSTString& registryKey) const;

private:
    CKSTString ValueName(int index) const;

    UINT m_firstId;
    CKSTString m_section;
    CKSTString m_entryFormat;
    int m_maxSize;
    std::vector<CKSTString> m_files;
    CKSTString m_placeholderText;
    bool m_placeholderKnown = false;
};
