#pragma once
// The vertical scroll bar beside an axis group whose Y axis is zoomed: a scroll-bar control of
// the curve window that remembers its owner and the rectangle it stands on. Its scroll messages
// go to the curve window.

#include <windows.h>

#include <memory>

#include "curvewnd/AxisGroup.h"
#include "framework/Controls.h"

class CKSTGroupScrollBar : public CScrollBar, public IKSTGroupScrollBar {
    DECLARE_MESSAGE_MAP()
public:
    CKSTGroupScrollBar(IKSTGroupHost* owner, const RECT& rect) : m_owner(owner), m_rect(rect) {}
    ~CKSTGroupScrollBar() override
    {
        if (m_hWnd != nullptr) {
            DestroyWindow();
        }
    }

    IKSTGroupHost* GetOwner() const { return m_owner; }
    const RECT& GetRect() const override { return m_rect; }
    void Move(const RECT& rect) override;
    void SetScrollPosition(int32_t page, int32_t position) override;

protected:
    // Passed on to the curve window (the parent), so drags go on over the bar.
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);

private:
    IKSTGroupHost* m_owner;
    RECT m_rect;
};

// The bar as a child of parent with the id, for IKSTGroupHost::CreateScrollBar; null when the
// control could not be made.
std::unique_ptr<IKSTGroupScrollBar> CreateGroupScrollBar(IKSTGroupHost* owner, CWnd* parent,
                                                         int id, const RECT& rect);
