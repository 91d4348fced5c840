#pragma once
// Menus: loaded from the resources, changed item by item, tracked as popup menus.
//
// A CMenu owns the menu it loaded or created and destroys it with itself; GetSubMenu gives a
// CMenu that only refers to the submenu (its parent owns it). Items are addressed by command
// id (MF_BYCOMMAND, the default) or by position (MF_BYPOSITION).
#include <windows.h>

#include "foundation/String.h"

class CWnd;

class CMenu {
public:
    CMenu() = default;
    ~CMenu() { DestroyMenu(); }
    CMenu(CMenu&& other) noexcept;
    CMenu& operator=(CMenu&& other) noexcept;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;
    HMENU GetSafeHmenu() const { return m_hMenu; }

    BOOL LoadMenu(UINT id);  // from KstResourceHandle()
    BOOL CreatePopupMenu();
    BOOL DestroyMenu();  // an owned menu only; a referring CMenu just lets go
    // Lets go of the menu without destroying it; its new owner destroys it.
    HMENU Detach()
    {
        m_owned = false;
        HMENU menu = m_hMenu;
        m_hMenu = nullptr;
        return menu;
    }
    CMenu GetSubMenu(int position) const;

    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }
    CKSTString GetMenuString(UINT item, UINT flags = MF_BYCOMMAND) const;
    // Replaces the text only; a submenu stays attached to its item.
    BOOL SetMenuItemText(UINT item, const char* text, UINT flags = MF_BYCOMMAND);
    UINT GetMenuState(UINT item, UINT flags = MF_BYCOMMAND) const
    {
        return ::GetMenuState(m_hMenu, item, flags);
    }
    // MF_CHECKED / MF_UNCHECKED; returns the previous state, -1 for a missing item.
    DWORD CheckMenuItem(UINT item, UINT check) { return ::CheckMenuItem(m_hMenu, item, check); }
    // MF_ENABLED / MF_GRAYED / MF_DISABLED; returns the previous state, -1 for a missing item.
    UINT EnableMenuItem(UINT item, UINT enable) { return ::EnableMenuItem(m_hMenu, item, enable); }
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr)
    {
        return ::AppendMenuA(m_hMenu, flags, id, text);
    }
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR id = 0, const char* text = nullptr)
    {
        return ::InsertMenuA(m_hMenu, position, flags, id, text);
    }
    // RemoveMenu keeps a submenu alive; DeleteMenu destroys it.
    BOOL RemoveMenu(UINT item, UINT flags) { return ::RemoveMenu(m_hMenu, item, flags); }
    BOOL DeleteMenu(UINT item, UINT flags) { return ::DeleteMenu(m_hMenu, item, flags); }

    // Through the popup-tracking seam; with TPM_RETURNCMD the chosen command (0 for none).
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner) const;

private:
    CMenu(HMENU menu, bool owned) : m_hMenu(menu), m_owned(owned) {}

    bool m_owned = false;
};
