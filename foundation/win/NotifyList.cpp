#include "foundation/win/NotifyList.h"

#include <algorithm>

void CKSTNotifyList::Register(uint32_t eventId, uint32_t message, HWND window)
{
    if (!window) {
        return;
    }
    Unregister(eventId, window);
    m_entries.push_back({eventId, message, window});
}

void CKSTNotifyList::Unregister(uint32_t eventId, HWND window)
{
    m_entries.erase(
        std::remove_if(m_entries.begin(), m_entries.end(),
                       [&](const Entry& e) { return e.eventId == eventId && e.window == window; }),
        m_entries.end());
}

bool CKSTNotifyList::IsRegistered(uint32_t eventId) const
{
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [&](const Entry& e) { return e.eventId == eventId && e.window; });
}

const CKSTNotifyList::Entry* CKSTNotifyList::Find(uint32_t eventId, HWND window) const
{
    for (const Entry& e : m_entries) {
        if (e.eventId == eventId && e.window == window) {
            return &e;
        }
    }
    return nullptr;
}

std::vector<HWND> CKSTNotifyList::WindowsFor(uint32_t eventId) const
{
    std::vector<HWND> windows;
    for (const Entry& e : m_entries) {
        if (e.eventId == eventId && e.window) {
            windows.push_back(e.window);
        }
    }
    return windows;
}

void CKSTNotifyList::Send(uint32_t eventId, WPARAM wParam, LPARAM lParam)
{
    // The targets are fixed when the send begins: a handler that re-registers itself must not
    // be called twice, nor make the walk skip the window after it.
    for (HWND window : WindowsFor(eventId)) {
        const Entry* entry = Find(eventId, window);
        if (!entry || !IsWindow(window)) {
            continue;
        }
        SendMessageA(window, entry->message, wParam, lParam);
    }
}

void CKSTNotifyList::Post(uint32_t eventId, WPARAM wParam, LPARAM lParam)
{
    for (const Entry& e : m_entries) {
        if (e.eventId == eventId && e.window && IsWindow(e.window)) {
            PostMessageA(e.window, e.message, wParam, lParam);
        }
    }
}
