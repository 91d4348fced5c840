#include "elements/win/ElementProtocol.h"

#include <algorithm>

#include "framework/Wnd.h"

namespace {

struct EventMessage {
    uint32_t event;
    UINT message;
};

constexpr EventMessage kDesignEvents[] = {
    {KST_ELEMENT_EVENT_LBUTTON_DOWN, KST_MSG_ELEMENT_LBUTTON_DOWN},
    {KST_ELEMENT_EVENT_LBUTTON_UP, KST_MSG_ELEMENT_LBUTTON_UP},
    {KST_ELEMENT_EVENT_MOUSE_MOVE, KST_MSG_ELEMENT_MOUSE_MOVE},
    {KST_ELEMENT_EVENT_RBUTTON_DOWN, KST_MSG_ELEMENT_RBUTTON_DOWN},
    {KST_ELEMENT_EVENT_SIZE, KST_MSG_ELEMENT_SIZE},
    {KST_ELEMENT_EVENT_SETTINGS_OK, KST_MSG_ELEMENT_SETTINGS_OK},
    {KST_ELEMENT_EVENT_SIZE_MOVE_END, KST_MSG_ELEMENT_SIZE_MOVE_END},
};

}  // namespace

void SubscribeElementEvents(CKSTNotifyList& list, HWND window, bool withDrop)
{
    for (const EventMessage& entry : kDesignEvents) {
        list.Register(entry.event, entry.message, window);
    }
    if (withDrop) {
        list.Register(KST_ELEMENT_EVENT_TEXT_DROPPED, KST_MSG_ELEMENT_TEXT_DROPPED, window);
    }
}

void UnsubscribeElementEvents(CKSTNotifyList& list, HWND window, bool withDrop)
{
    for (const EventMessage& entry : kDesignEvents) {
        if (entry.event != KST_ELEMENT_EVENT_SETTINGS_OK) {
            list.Unregister(entry.event, window);
        }
    }
    if (withDrop) {
        list.Unregister(KST_ELEMENT_EVENT_TEXT_DROPPED, window);
    }
}

void FireElementEvent(CKSTNotifyList& list, uint32_t event, HWND element, LPARAM lParam)
{
    if (list.IsRegistered(event)) {
        list.Send(event, reinterpret_cast<WPARAM>(element), lParam);
    }
}

bool RegisterElementClass(const char* className)
{
    return KstRegisterClass(className, CS_DBLCLKS | CS_OWNDC | CS_SAVEBITS | CS_BYTEALIGNCLIENT,
                     LoadCursor(nullptr, IDC_ARROW));
}

bool HasTransparentStyle(HWND window)
{
    return (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0;
}

bool SetTransparentStyle(HWND window, bool transparent)
{
    if (!window || HasTransparentStyle(window) == transparent) {
        return false;
    }
    LONG_PTR style = GetWindowLongPtrA(window, GWL_EXSTYLE);
    style = transparent ? (style | WS_EX_TRANSPARENT) : (style & ~LONG_PTR(WS_EX_TRANSPARENT));
    SetWindowLongPtrA(window, GWL_EXSTYLE, style);
    return true;
}

CKSTElementBackBuffer::~CKSTElementBackBuffer()
{
    Release();
}

bool CKSTElementBackBuffer::Create(HWND window)
{
    Release();
    HDC windowDC = GetDC(window);
    HDC memory = windowDC ? CreateCompatibleDC(windowDC) : nullptr;
    if (windowDC) {
        ReleaseDC(window, windowDC);
    }
    if (!memory) {
        return false;
    }
    m_context.Attach(memory);
    return Resize(window);
}

bool CKSTElementBackBuffer::Resize(HWND window)
{
    HDC memory = m_context.GetHdc();
    if (!memory) {
        return false;
    }
    RECT client{};
    GetClientRect(window, &client);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    // A bitmap of at least one pixel keeps the context drawable while the window has no area.
    info.bmiHeader.biWidth = std::max<LONG>(client.right - client.left, 1);
    info.bmiHeader.biHeight = -std::max<LONG>(client.bottom - client.top, 1);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) {
        return false;
    }
    HGDIOBJ replaced = SelectObject(memory, bitmap);
    if (!m_previous) {
        m_previous = replaced;
    }
    if (m_bitmap) {
        DeleteObject(m_bitmap);
    }
    m_bitmap = bitmap;
    return true;
}

void CKSTElementBackBuffer::Release()
{
    HDC memory = m_context.GetHdc();
    if (memory && m_previous) {
        SelectObject(memory, m_previous);
    }
    m_previous = nullptr;
    if (m_bitmap) {
        DeleteObject(m_bitmap);
        m_bitmap = nullptr;
    }
    m_context.DeleteDC();
}
