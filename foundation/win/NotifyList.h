#pragma once
// Event sink list: windows register for an owner's event ids with the message they want, and
// the owner fires an event without knowing its subscribers' classes. Used on the UI thread.
#include <windows.h>

#include <cstdint>
#include <vector>

class CKSTNotifyList {
public:
    CKSTNotifyList() = default;
    CKSTNotifyList(const CKSTNotifyList&) = delete;
    CKSTNotifyList& operator=(const CKSTNotifyList&) = delete;

    // A null window is ignored. Otherwise the window's entry for the id is replaced by one at
    // the end of the order, so registering again moves it last and changes its message.
    void Register(uint32_t eventId, uint32_t message, HWND window);
    // Removes the window's entry for the id; other ids and other windows stay as they are.
    void Unregister(uint32_t eventId, HWND window);
    bool IsRegistered(uint32_t eventId) const;

    // SendMessageA to every window registered for the id, in registration order. A handler may
    // register, unregister or destroy windows: the send reaches the windows registered when it
    // began that are still registered and still exist at their turn, each once, with their
    // current message. Handles that no longer name a window are skipped.
    void Send(uint32_t eventId, WPARAM wParam, LPARAM lParam);
    // PostMessageA likewise; the handlers run later, when the targets' threads pump messages.
    void Post(uint32_t eventId, WPARAM wParam, LPARAM lParam);

    int GetCount() const { return static_cast<int>(m_entries.size()); }

private:
    struct Entry {
        uint32_t eventId;
        uint32_t message;
        HWND window;
    };

    const Entry* Find(uint32_t eventId, HWND window) const;
    std::vector<HWND> WindowsFor(uint32_t eventId) const;

    std::vector<Entry> m_entries;
};
