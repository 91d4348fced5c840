#include "curvewnd/win/TextTipWnd.h"

#include "curvewnd/win/DrawContext.h"
#include "foundation/Geometry.h"

BEGIN_MESSAGE_MAP(CKSTTextTipWnd, CWnd)
ON_WM_PAINT()
ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

bool CKSTTextTipWnd::Create(IKSTTextTipOwner* owner, const RECT& rect, const CKSTFontDesc& font,
                            COLORREF textColor, const CKSTString& text)
{
    CWnd* parent = owner ? owner->GetDrawingWindow() : nullptr;
    if (m_hWnd || !parent || !parent->m_hWnd) {
        return false;
    }
    m_owner = owner;
    m_text = text;
    m_textColor = textColor;
    m_font = font;
    m_placementRect = rect;
    // Saving the bits under the tip lets it move along with the mouse without the owner
    // repainting its plot each time.
    m_className = KstRegisterWndClass(CS_SAVEBITS, LoadCursor(nullptr, IDC_ARROW));
    const RECT placed = NormalizeRect(rect);
    if (!CreateEx(WS_EX_NOPARENTNOTIFY, m_className.c_str(), "", WS_CHILD | WS_VISIBLE, placed,
                  parent, 0)) {
        return false;
    }
    GetClientRect(&m_clientRect);
    return true;
}

void CKSTTextTipWnd::SetText(const RECT& rect, const CKSTString& text)
{
    m_text = text;
    const RECT placed = NormalizeRect(rect);
    // Sized from the normalised rectangle: corners given right to left would otherwise make
    // an inverted client rectangle that paints nothing.
    m_clientRect = RECT{0, 0, placed.right - placed.left, placed.bottom - placed.top};
    m_placementRect = rect;
    if (m_hWnd) {
        Invalidate(FALSE);
        MoveWindow(placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top,
                   TRUE);
    }
}

void CKSTTextTipWnd::Destroy()
{
    m_font = CKSTFontDesc();  // releases the font made for painting
    DestroyWindow();
}

void CKSTTextTipWnd::OnPaint()
{
    PAINTSTRUCT paint;
    HDC paintDc = BeginPaint(m_hWnd, &paint);
    {
        CKSTDrawContext dc;  // borrows the paint context, never deletes it
        dc.Attach(paintDc);
        HBRUSH brush =
            CreateSolidBrush(m_owner ? m_owner->GetWindowColor() : GetSysColor(COLOR_WINDOW));
        HGDIOBJ oldBrush = dc.SelectObject(brush);
        FillRect(paintDc, &m_clientRect, brush);

        dc.SelectFont(m_font, true);
        const COLORREF oldColor = ::SetTextColor(paintDc, m_textColor);
        const int oldMode = SetBkMode(paintDc, TRANSPARENT);
        TextOutA(paintDc, m_clientRect.left + 2, m_clientRect.top + 1, m_text.c_str(),
                 m_text.GetLength());

        HGDIOBJ oldPen = dc.SelectObject(GetStockObject(BLACK_PEN));
        const RECT& r = m_clientRect;
        dc.Line(r.left, r.bottom, r.left, r.top);
        dc.Line(r.left, r.top, r.right - 1, r.top);
        dc.Line(r.right - 1, r.top, r.right - 1, r.bottom - 1);
        dc.Line(r.right - 1, r.bottom - 1, r.left, r.bottom - 1);

        SetBkMode(paintDc, oldMode);
        ::SetTextColor(paintDc, oldColor);
        dc.SelectObject(oldPen);
        dc.SelectObject(oldBrush);
        dc.RestoreFont();
        DeleteObject(brush);
    }
    EndPaint(m_hWnd, &paint);
}

void CKSTTextTipWnd::OnMouseMove(UINT flags, CPoint point)
{
    if (!m_owner) {
        return;
    }
    MapWindowPoints(m_hWnd, ::GetParent(m_hWnd), &point, 1);
    m_owner->HandleMouseMove(flags, point);
}
