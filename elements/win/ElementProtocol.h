#pragma once
// What every display element window shares: the events it fires into its notify list and the
// messages the process window registers for them, the window class of the element kinds, the
// transparency style and the back buffer that opaque elements paint through.
#include <windows.h>

#include <cstdint>

#include "curvewnd/win/DrawContext.h"
#include "foundation/win/NotifyList.h"

enum KstElementEvent : uint32_t {
    KST_ELEMENT_EVENT_LBUTTON_DOWN = 0,
    KST_ELEMENT_EVENT_LBUTTON_UP = 2,
    KST_ELEMENT_EVENT_SETTINGS_OK = 3,
    KST_ELEMENT_EVENT_MOUSE_MOVE = 4,
    KST_ELEMENT_EVENT_RBUTTON_DOWN = 5,
    KST_ELEMENT_EVENT_SIZE = 8,
    KST_ELEMENT_EVENT_SIZE_MOVE_END = 10,
    KST_ELEMENT_EVENT_TEXT_DROPPED = 18,
};

// The message the process window wants for each event.
constexpr UINT KST_MSG_ELEMENT_LBUTTON_DOWN = WM_USER + 3;
constexpr UINT KST_MSG_ELEMENT_LBUTTON_UP = WM_USER + 6;
constexpr UINT KST_MSG_ELEMENT_MOUSE_MOVE = WM_USER + 4;
constexpr UINT KST_MSG_ELEMENT_RBUTTON_DOWN = WM_USER + 5;
constexpr UINT KST_MSG_ELEMENT_SIZE = WM_USER + 2;
constexpr UINT KST_MSG_ELEMENT_SETTINGS_OK = WM_USER + 8;
constexpr UINT KST_MSG_ELEMENT_SIZE_MOVE_END = WM_USER + 10;
constexpr UINT KST_MSG_ELEMENT_TEXT_DROPPED = WM_USER + 11;

// Registers the window for the seven pointer, size and settings events; withDrop adds the
// dropped-text event. Registering twice changes nothing.
void SubscribeElementEvents(CKSTNotifyList& list, HWND window, bool withDrop = true);
// Removes the window's entries except the one of event 3: a settings dialog confirmed after
// design mode ended still reaches the process window.
void UnsubscribeElementEvents(CKSTNotifyList& list, HWND window, bool withDrop = true);
// Sends the event with the element as wParam when someone is registered for it.
void FireElementEvent(CKSTNotifyList& list, uint32_t event, HWND element, LPARAM lParam = 0);

// The window class of an element kind: double clicks, own device context, arrow cursor, no
// background brush. False when registration fails, as it does for a class that exists already.
bool RegisterElementClass(const char* className);

// Adds or removes WS_EX_TRANSPARENT; true when the style changed.
bool SetTransparentStyle(HWND window, bool transparent);
bool HasTransparentStyle(HWND window);
// Applies a changed frame style at once: no move, no size, frame changed, shown.
constexpr UINT KST_SWP_FRAME_CHANGED = SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED | SWP_SHOWWINDOW;

// The off-screen picture of an opaque element: a memory device context compatible with the
// window's and a 32-bit DIB section of the client size, kept selected.
class CKSTElementBackBuffer {
public:
    CKSTElementBackBuffer() = default;
    ~CKSTElementBackBuffer();
    CKSTElementBackBuffer(const CKSTElementBackBuffer&) = delete;
    CKSTElementBackBuffer& operator=(const CKSTElementBackBuffer&) = delete;

    // Makes the context and a bitmap of the window's client size; false when either failed.
    bool Create(HWND window);
    // A new bitmap of the client size.
    bool Resize(HWND window);
    void Release();

    bool IsReady() const { return m_bitmap != nullptr; }
    CKSTDrawContext& Context() { return m_context; }
    HDC GetHdc() const { return m_context.GetHdc(); }

private:
    CKSTDrawContext m_context;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
};
