#pragma once
// Channel lists described by (group, name, selected) rows, and their selected flags read back,
// for the tests of channel selections.

#include <array>
#include <string>
#include <vector>

#include "data/ChannelList.h"

namespace kst_test {

// Each row is group, name and "1" for a selected channel (anything else: not selected).
inline void AddSelectableChannels(CKSTChannelList& list,
                                  const std::vector<std::array<const char*, 3>>& rows)
{
    for (const auto& row : rows) {
        CKSTChannel* channel = list.GetAt(list.AddNew());
        channel->SetGroup(row[0]);
        channel->SetName(row[1]);
        channel->SetSelected(row[2][0] == '1');
    }
}

// One character per channel in list order: '1' selected, '0' not.
inline std::string SelectedFlags(const CKSTChannelList& list)
{
    std::string text;
    for (int i = 0; i < list.GetCount(); ++i) {
        text += list.GetAt(i)->IsSelected() ? "1" : "0";
    }
    return text;
}

}  // namespace kst_test
