#include "framework/Menu.h"

#include <utility>

#include "framework/Seams.h"
#include "framework/Wnd.h"

CMenu::CMenu(CMenu&& other) noexcept
    : m_hMenu(std::exchange(other.m_hMenu, nullptr)), m_owned(std::exchange(other.m_owned, false))
{
}

CMenu& CMenu::operator=(CMenu&& other) noexcept
{
    if (this != &other) {
        DestroyMenu();
        m_hMenu = std::exchange(other.m_hMenu, nullptr);
        m_owned = std::exchange(other.m_owned, false);
    }
    return *this;
}

BOOL CMenu::LoadMenu(UINT id)
{
    DestroyMenu();
    m_hMenu = ::LoadMenuA(KstResourceHandle(), MAKEINTRESOURCEA(id));
    m_owned = m_hMenu != nullptr;
    return m_owned;
}

BOOL CMenu::CreatePopupMenu()
{
    DestroyMenu();
    m_hMenu = ::CreatePopupMenu();
    m_owned = m_hMenu != nullptr;
    return m_owned;
}

BOOL CMenu::DestroyMenu()
{
    const BOOL destroyed = m_owned && ::DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
    m_owned = false;
    return destroyed;
}

CMenu CMenu::GetSubMenu(int position) const
{
    return CMenu(::GetSubMenu(m_hMenu, position), false);
}

CKSTString CMenu::GetMenuString(UINT item, UINT flags) const
{
    const int length = ::GetMenuStringA(m_hMenu, item, nullptr, 0, flags);
    CKSTString text;
    if (length > 0) {
        text.SetLength(length);
        text.SetLength(::GetMenuStringA(m_hMenu, item, text.GetBuffer(), length + 1, flags));
    }
    return text;
}

BOOL CMenu::SetMenuItemText(UINT item, const char* text, UINT flags)
{
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<char*>(text);
    return ::SetMenuItemInfoA(m_hMenu, item, (flags & MF_BYPOSITION) != 0, &info);
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner) const
{
    return KstTrackPopupMenu(m_hMenu, flags, x, y, owner ? owner->m_hWnd : nullptr);
}
