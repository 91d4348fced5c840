#include "framework/RecentFileList.h"

#include <algorithm>

#include "foundation/HeaderInfoList.h"
#include "foundation/win/RegistryTree.h"
#include "framework/CmdUI.h"

namespace {

// Longest path shown whole in the menu.
constexpr int kMaxMenuPathLength = 40;

bool SamePath(const CKSTString& a, const char* b)
{
    return lstrcmpiA(a.c_str(), b) == 0;
}

bool IsExistingFile(const CKSTString& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// "C:\one\two\three\file.kxd" -> "C:\...\three\file.kxd" within the length, at least the
// file name; "\\server\share\" prefixes stay like drives.
CKSTString ShortenPath(const CKSTString& path)
{
    if (path.GetLength() <= kMaxMenuPathLength) {
        return path;
    }
    int rootEnd = path.Find('\\');
    if (path.Left(2) == "\\\\") {
        const int share = path.Find('\\', 2);
        rootEnd = share < 0 ? -1 : path.Find('\\', share + 1);
    }
    const int nameStart = path.ReverseFind('\\');
    if (rootEnd < 0 || nameStart <= rootEnd) {
        return path;
    }
    const CKSTString root = path.Left(rootEnd + 1);
    int tailStart = nameStart;
    for (;;) {
        int previous = tailStart - 1;
        while (previous > rootEnd && path[previous] != '\\') {
            --previous;
        }
        if (previous <= rootEnd ||
            root.GetLength() + 3 + path.GetLength() - previous > kMaxMenuPathLength) {
            break;
        }
        tailStart = previous;
    }
    CKSTString shortened = root;
    shortened += "...";
    shortened += path.Mid(tailStart);
    return shortened;
}

}  // namespace

CRecentFileList::CRecentFileList(UINT firstId, const char* section, const char* entryFormat,
                                 int size)
    : m_firstId(firstId), m_section(section), m_entryFormat(entryFormat), m_maxSize(size)
{
}

void CRecentFileList::Add(const char* pathName)
{
    if (!pathName || !*pathName || m_maxSize <= 0) {
        return;
    }
    const CKSTString path(pathName);
    m_files.erase(std::remove_if(m_files.begin(), m_files.end(),
                                 [&](const CKSTString& file) { return SamePath(file, pathName); }),
                  m_files.end());
    m_files.insert(m_files.begin(), path);
    if (GetCount() > m_maxSize) {
        m_files.resize(static_cast<size_t>(m_maxSize));
    }
}

void CRecentFileList::Remove(int index)
{
    if (index >= 0 && index < GetCount()) {
        m_files.erase(m_files.begin() + index);
    }
}

CKSTString CRecentFileList::GetMenuText(int index) const
{
    CKSTString text;
    text.Format("&%d ", index + 1);
    CKSTString shown = ShortenPath((*this)[index]);
    shown.Replace(CKSTString("&"), CKSTString("&&"));
    text += shown;
    return text;
}

void CRecentFileList::UpdateMenu(CCmdUI* cmdUI)
{
    HMENU menu = cmdUI->m_hMenu;
    if (!menu) {
        return;
    }
    if (!m_placeholderKnown) {
        char text[256] = "";
        GetMenuStringA(menu, cmdUI->m_nIndex, text, sizeof(text), MF_BYPOSITION);
        m_placeholderText = text;
        m_placeholderKnown = true;
    }
    const UINT enable = cmdUI->m_bEnabled ? MF_ENABLED : MF_GRAYED;
    for (int i = 0; i < m_maxSize; ++i) {
        DeleteMenu(menu, m_firstId + static_cast<UINT>(i), MF_BYCOMMAND);
    }
    if (m_files.empty()) {
        InsertMenuA(menu, cmdUI->m_nIndex, MF_BYPOSITION | MF_STRING | MF_GRAYED, m_firstId,
                    m_placeholderText.c_str());
    } else {
        for (int i = 0; i < GetCount(); ++i) {
            InsertMenuA(menu, cmdUI->m_nIndex + static_cast<UINT>(i),
                        MF_BYPOSITION | MF_STRING | enable, m_firstId + static_cast<UINT>(i),
                        GetMenuText(i).c_str());
        }
        cmdUI->m_nIndex += static_cast<UINT>(GetCount() - 1);
    }
    cmdUI->m_nIndexMax = static_cast<UINT>(GetMenuItemCount(menu));
    cmdUI->m_bEnableChanged = true;
}

CKSTString CRecentFileList::ValueName(int index) const
{
    CKSTString name = m_entryFormat;
    name.Replace(CKSTString("%d"), CKSTString::FormatInt(index + 1));
    return name;
}

void CRecentFileList::ReadList(const CKSTString& registryKey)
{
    CKSTHeaderInfoList values;
    m_files.clear();
    if (RegLoadTree(HKEY_CURRENT_USER, registryKey + m_section, values) != 0) {
        return;
    }
    for (int i = 0; i < m_maxSize; ++i) {
        CKSTString path;
        values.GetString(ValueName(i), path);
        const bool known = std::any_of(m_files.begin(), m_files.end(), [&](const CKSTString& f) {
            return SamePath(f, path.c_str());
        });
        if (!path.IsEmpty() && !known && IsExistingFile(path)) {
            m_files.push_back(path);
        }
    }
}

int CRecentFileList::WriteList(const CKSTString& registryKey) const
{
    CKSTHeaderInfoList values;
    for (int i = 0; i < m_maxSize; ++i) {
        values.SetString(ValueName(i), i < GetCount() ? (*this)[i] : CKSTString(), false);
    }
    return RegSaveTree(HKEY_CURRENT_USER, registryKey + m_section, values);
}
