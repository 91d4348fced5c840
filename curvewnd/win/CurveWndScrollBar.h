#pragma once
// The horizontal X scroll bar and the group scroll bar of a curve window. Mouse moves and
// button releases over a bar reach the curve window too, so a rubber band or a cursor drag goes
// on when the mouse crosses a bar.
#include <windows.h>

#include "framework/Controls.h"

// Sends the mouse message to the curve window with the point in its client coordinates.
void KstForwardToCurveWnd(const CWnd& bar, CWnd* curveWnd, UINT message, CPoint point);

class CKSTCurveWndScrollBar : public CScrollBar {
    DECLARE_MESSAGE_MAP()
public:
    explicit CKSTCurveWndScrollBar(CWnd* curveWnd) : m_curveWnd(curveWnd) {}
    ~CKSTCurveWndScrollBar() override
    {
        if (m_hWnd != nullptr) {
            DestroyWindow();
        }
    }

    const RECT& GetRect() const { return m_rect; }
    // Created as a visible child of the curve window, or moved there.
    bool Place(const RECT& rect, DWORD orientation);
    // Range, page and position with redraw.
    void SetInfo(int minimum, int maximum, int page, int position);

protected:
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);

private:
    CWnd* m_curveWnd;
    RECT m_rect = {0, 0, 0, 0};
};
