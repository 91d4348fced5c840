#include "panels/ChannelSelection.h"

#include <algorithm>

#include "data/ChannelList.h"
#include "data/DocFile.h"
#include "data/settings/CurveWndSettings.h"
#include "foundation/DataFile.h"
#include "foundation/ErrorCodes.h"
#include "foundation/FileReplace.h"

namespace {

constexpr uint32_t kKindSelected = 1;
constexpr uint32_t kKindUnselected = 4;

int WriteSettings(const CKSTString& path, const CKSTCurveWndSettings& settings)
{
    CKSTDocFile file;
    int result = file.OpenWrite(path);
    if (result != KST_OK) {
        return result;
    }
    result = file.WriteCurveWndSettings(settings);
    const int closed = file.Close();
    return result != KST_OK ? result : closed;
}

}  // namespace

CKSTString CKSTRecentSelections::ValueName(int n)
{
    CKSTString name("SettingsPath_");
    name.AppendLong(n);
    return name;
}

int CKSTRecentSelections::Find(const CKSTString& path) const
{
    const auto it = std::find(m_paths.begin(), m_paths.end(), path);
    return it == m_paths.end() ? -1 : static_cast<int>(it - m_paths.begin());
}

void CKSTRecentSelections::Add(const CKSTString& path)
{
    // The path may be one of the list's own entries, which the erase below destroys.
    const CKSTString added = path;
    const int index = Find(added);
    if (index >= 0) {
        m_paths.erase(m_paths.begin() + index);
    }
    m_paths.push_front(added);
    while (static_cast<int>(m_paths.size()) > kMaxCount) {
        m_paths.pop_back();
    }
}

void CKSTRecentSelections::Load(const CKSTHeaderInfoList& tree)
{
    m_paths.clear();
    for (int n = 1; n <= kMaxCount; ++n) {
        CKSTString path;
        if (tree.GetString(ValueName(n), path) < 0 || path.IsEmpty() ||
            !FileExistsNotFolder(path) || Find(path) >= 0) {
            continue;
        }
        m_paths.push_back(path);
    }
}

void CKSTRecentSelections::Save(CKSTHeaderInfoList& tree) const
{
    for (int n = 1; n <= kMaxCount; ++n) {
        tree.SetString(ValueName(n), n <= GetCount() ? GetAt(n - 1) : CKSTString());
    }
}

int KstWriteSelectionFile(const CKSTString& path, const CKSTChannelList& channels)
{
    CKSTCurveWndSettings settings;
    settings.AddGroupSettings(nullptr);
    const int axis = settings.AddAxisSettings(nullptr, 0);
    for (int i = 0; i < channels.GetCount(); ++i) {
        const CKSTChannel* channel = channels.GetAt(i);
        CKSTCurveSettings curve;
        curve.m_Name = channel->GetName();
        curve.m_Group = channel->GetGroup();
        curve.m_Unit = channel->GetUnit();
        curve.m_Visible = channel->IsSelected() ? kKindSelected : kKindUnselected;
        settings.AddCurveSettings(&curve, static_cast<int16_t>(axis));
    }
    return KstSaveReplacing(
        path, [&](const CKSTString& temporary) { return WriteSettings(temporary, settings); });
}

int KstApplySelectionFile(const CKSTString& path, CKSTChannelList& channels)
{
    CKSTDocFile file;
    int result = file.OpenRead(path);
    if (result != KST_OK) {
        return result;
    }
    CKSTCurveWndSettings settings;
    result = file.ReadCurveWndSettings(settings, nullptr);
    static_cast<void>(file.Close());
    if (result < 0) {
        return result;
    }
    for (int i = 0; i < channels.GetCount(); ++i) {
        CKSTChannel* channel = channels.GetAt(i);
        bool selected = false;
        for (const auto& curve : settings.m_Curves) {
            if (curve->m_Name == channel->GetName() && curve->m_Group == channel->GetGroup()) {
                selected = curve->m_Visible == kKindSelected;
                break;
            }
        }
        channel->SetSelected(selected);
    }
    return KST_OK;
}
