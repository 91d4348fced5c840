#include "framework/CmdUI.h"

namespace {

const KstMsgMapEntry* FindCommandEntry(const KstMsgMap* map, UINT key, UINT id)
{
    for (; map; map = map->base ? map->base() : nullptr) {
        for (const KstMsgMapEntry* entry = map->entries; entry->handler; ++entry) {
            if (entry->message == key && entry->code == 0 && id >= entry->firstId &&
                id <= entry->lastId) {
                return entry;
            }
        }
    }
    return nullptr;
}

}  // namespace

// ---- CCmdTarget -------------------------------------------------------------------------------

BOOL CCmdTarget::OnCmdMsg(UINT id, int code, void* extra, bool probe)
{
    const UINT key = code == CN_UPDATE_COMMAND_UI ? KST_UPDATE_COMMAND_UI : WM_COMMAND;
    const KstMsgMapEntry* entry = FindCommandEntry(GetMessageMap(), key, id);
    if (!entry) {
        return FALSE;
    }
    if (probe) {
        return TRUE;
    }
    KstMsgCall call{key, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(extra), 0};
    return entry->handler(this, call);
}

const KstMsgMap* CCmdTarget::GetThisMessageMap()
{
    static const KstMsgMapEntry entries[] = {{0, 0, 0, 0, nullptr}};
    static const KstMsgMap map = {nullptr, entries};
    return &map;
}

const KstMsgMap* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

// ---- CCmdUI -----------------------------------------------------------------------------------

void CCmdUI::Enable(BOOL on)
{
    m_bEnableChanged = true;
    m_bEnabled = on != FALSE;
    if (m_hMenu) {
        EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
    }
}

void CCmdUI::SetCheck(int check)
{
    if (m_hMenu) {
        CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
    }
}

void CCmdUI::SetText(const char* text)
{
    if (m_hMenu) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STRING;
        info.dwTypeData = const_cast<char*>(text);
        SetMenuItemInfoA(m_hMenu, m_nIndex, TRUE, &info);
    }
}

void CCmdUI::DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler)
{
    m_bEnableChanged = false;
    m_bEnabled = true;
    target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, false);
    if (disableIfNoHandler && !m_bEnableChanged) {
        Enable(target->OnCmdMsg(m_nID, CN_COMMAND, nullptr, true));
    }
}

void KstUpdateMenuPopup(CCmdTarget* target, HMENU popup)
{
    CCmdUI state;
    state.m_hMenu = popup;
    state.m_nIndexMax = static_cast<UINT>(GetMenuItemCount(popup));
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        const UINT id = GetMenuItemID(popup, static_cast<int>(state.m_nIndex));
        // Separators (0) and submenus (-1) have no command; system commands keep their state.
        if (id == 0 || id == static_cast<UINT>(-1) || id >= 0xF000) {
            continue;
        }
        state.m_nID = id;
        state.DoUpdate(target, TRUE);
    }
}
