#pragma once
// Named channel selections: selection files (*.qls) that store which channels of a list are
// chosen, and the list of the ten most recently used selection files kept in the registry.
#include <deque>

#include "foundation/HeaderInfoList.h"
#include "foundation/String.h"

class CKSTChannelList;

// Registry key of the recent list below the program's root key.
constexpr char kKstSelectionsKey[] = "Options\\SELECTIONS";

// Paths, most recent first, at most kMaxCount.
class CKSTRecentSelections {
public:
    static constexpr int kMaxCount = 10;

    // Moves a known path to the front, or puts a new one there and drops the oldest beyond ten.
    void Add(const CKSTString& path);
    // Values "SettingsPath_1" to "SettingsPath_10" of the registry tree, in order; a value that
    // is missing, names no existing file or repeats an earlier one is skipped.
    void Load(const CKSTHeaderInfoList& tree);
    // Sets all ten values, the empty text beyond the end of the list.
    void Save(CKSTHeaderInfoList& tree) const;

    int GetCount() const { return static_cast<int>(m_paths.size()); }
    const CKSTString& GetAt(int i) const { return m_paths[static_cast<size_t>(i)]; }
    int Find(const CKSTString& path) const;

    static CKSTString ValueName(int n);

private:
    std::deque<CKSTString> m_paths;
};

// Writes the selection of every channel of the list: one curve record per channel with its name,
// its group and kind 1 when selected, 4 when not. An existing file is replaced only once the
// new one is complete. 0 or the error of the container.
int KstWriteSelectionFile(const CKSTString& path, const CKSTChannelList& channels);

// Every channel of the list is selected exactly when the file's first curve record of the
// same name and group has kind 1. A file that cannot be read changes nothing; its error.
int KstApplySelectionFile(const CKSTString& path, CKSTChannelList& channels);
