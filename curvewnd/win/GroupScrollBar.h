#pragma once
// The vertical scroll bar beside an axis group whose Y axis is zoomed: a scroll-bar control of
// the curve window that remembers its owner and the rectangle it stands on. Its scroll messages
// go to the curve window.

#include <windows.h>

#include "framework/Controls.h"

class IKSTGroupHost;

class CKSTGroupScrollBar : public CScrollBar {
public:
    CKSTGroupScrollBar(IKSTGroupHost* owner, const RECT& rect) : m_owner(owner), m_rect(rect) {}
    ~CKSTGroupScrollBar() override
    {
        if (m_hWnd != nullptr) {
            DestroyWindow();
        }
    }

    IKSTGroupHost* GetOwner() const { return m_owner; }
    const RECT& GetRect() const { return m_rect; }
    void SetRect(const RECT& rect) { m_rect = rect; }

private:
    IKSTGroupHost* m_owner;
    RECT m_rect;
};
