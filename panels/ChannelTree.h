#pragma once
// The content of the channel tree panel without its window: the groups and entries it shows in
// its three views, their check boxes, the group edits and the text a drag of its items carries.
//
// File view: the channels of a channel list sorted into their groups, a check box showing the
// channel's curve in the curve window. Window view: the curves of the curve window sorted into
// its axis groups. Selection view: the channels of a list, a check box being the channel's
// selected flag. The window (panels/win/StructTreeDlg.h) inserts the rows that Build gives and
// reads the check boxes back from here after every change.
#include <cstdint>
#include <vector>

#include "foundation/String.h"

class CKSTChannel;
class CKSTChannelList;
class CKSTCurve;
class CKSTCurveWndCore;

struct KstTreeGroup {
    uint8_t expanded = 0;
    uint8_t checked = 0;
    CKSTString name;
};

struct KstTreeEntry {
    CKSTString label;
    int32_t group = 0;     // index into the groups; kNoGroup for a channel shown at the root
    int32_t channel = -1;  // index into the channel list (file and selection views)
    int32_t axisGroup = -1;
    int32_t curve = -1;    // index in the axis group; -1 without a curve
    uint8_t rememberedUnchecked = 0;  // unchecked when its group was switched off
};

// One tree item as the window inserts it: rows follow in tree order, a group's children right
// after it.
struct KstTreeRow {
    CKSTString label;
    uintptr_t data = 0;  // group index, or kEntryData + entry index
    bool checked = false;
    bool expanded = false;
    bool child = false;  // below the group row before it
    bool group = false;
};

class CKSTChannelTree {
public:
    enum Mode : int32_t { kFileView = 0, kWindowView = 1, kSelectionView = 3 };
    static constexpr int32_t kNoGroup = 0x7FFFFFFF;
    // Item data of channel and curve items: this plus the entry index.
    static constexpr uintptr_t kEntryData = 10000;
    static constexpr int kMaxGroupNumber = 100;

    // Sources of the file and window views; the group records are dropped.
    void SetWindowList(CKSTChannelList* channels, CKSTCurveWndCore* curveWnd,
                       CKSTCurveWndCore* secondCurveWnd);
    void ClearWindowList() { SetWindowList(nullptr, nullptr, nullptr); }
    // The selection view over the list alone.
    void SetSelectionSource(CKSTChannelList* channels);
    // The panel's view buttons: file or window view, group records dropped.
    void SetMode(int32_t mode);
    int32_t GetMode() const { return m_mode; }

    // False when there is nothing to show (neither a curve window nor a channel list).
    bool HasSource() const { return m_curveWnd || m_channels; }
    // Rebuilds groups and entries from the sources; the rows to insert.
    std::vector<KstTreeRow> Build();

    static bool IsEntryData(uintptr_t data) { return data >= kEntryData; }
    const KstTreeEntry* EntryOf(uintptr_t data) const;
    const KstTreeGroup* GroupOf(uintptr_t data) const;
    bool IsChecked(uintptr_t data) const;
    const std::vector<KstTreeGroup>& Groups() const { return m_groups; }
    const std::vector<KstTreeEntry>& Entries() const { return m_entries; }
    void SetGroupExpanded(uintptr_t data, bool expanded);

    // A click on the check box of `clicked`: its state is switched, together with every
    // item of `selected` when that holds two or more items. `remember` lets a group note which
    // children were unchecked when it is switched off, so switching it on restores them.
    void ToggleCheck(uintptr_t clicked, const std::vector<uintptr_t>& selected, bool remember);

    // File and selection views: a new group record, named by the first free of `baseName` and
    // `baseName` with a number 2 to 100; returns its index. Window view: a new axis group.
    int CreateGroup(const CKSTString& baseName);
    CKSTString FreeGroupName(const CKSTString& baseName) const;
    // The channels of the group take the new group text (file and selection views).
    void RenameGroup(int group, const CKSTString& name);
    // The channels of the group lose their group and stand at the root.
    void DeleteGroup(int group);
    // File and selection views: the dragged channel items join the group of the target item
    // (a group item, or a channel item's group; a root channel means no group). False when
    // nothing moved.
    bool MoveToGroup(const std::vector<uintptr_t>& dragged, uintptr_t target);

    // Empties the list, then appends for every entry a channel with the entry's name and group
    // and its checked state as selected flag (file and window views with a channel list).
    void GetSelectedChannels(CKSTChannelList& list) const;

    // The channel-list drag text: the tag, then "|group|name" for every channel of the items in
    // the given order (a group item gives its children); an empty group travels as " ".
    CKSTString DragText(const std::vector<uintptr_t>& items) const;
    static constexpr char kDragTag[] = "CKSTChannelTree";

    // The second window's text for an axis group without curves ("empty").
    void SetEmptyGroupText(const CKSTString& text) { m_emptyGroupText = text; }

private:
    void DropRecords();
    void BuildWindowGroups();
    void BuildChannelGroups();
    // The entries and rows of the channels whose group text is groupName.
    void AddChannelRows(const CKSTString& groupName, int32_t group, std::vector<KstTreeRow>& rows);
    int FindGroup(const CKSTString& name) const;
    CKSTChannel* ChannelOf(const KstTreeEntry& entry) const;
    CKSTCurve* CurveOf(const KstTreeEntry& entry) const;
    bool EntryChecked(const KstTreeEntry& entry) const;
    bool ChannelShown(int channelIndex) const;
    // Shows or hides the entry's curve (and the second window's curve of the same channel),
    // or sets its channel's selected flag in the selection view.
    void SetEntryChecked(KstTreeEntry& entry, bool checked);
    void UpdateGroupCheck(int group);
    CKSTString EntryChannelName(const KstTreeEntry& entry) const;
    CKSTString EntryChannelGroup(const KstTreeEntry& entry) const;
    void AppendPair(CKSTString& text, const CKSTString& group, const CKSTString& name) const;

    int32_t m_mode = kFileView;
    CKSTChannelList* m_channels = nullptr;
    CKSTCurveWndCore* m_curveWnd = nullptr;
    CKSTCurveWndCore* m_secondCurveWnd = nullptr;
    std::vector<KstTreeGroup> m_groups;
    std::vector<KstTreeEntry> m_entries;
    CKSTString m_emptyGroupText = "empty";
};
