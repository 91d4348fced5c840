#pragma once
// A small window that shows one text over a curve window: the label of a curve at the mouse,
// the value of an X-axis cursor. It lives as a child of the window the curve window draws into
// and saves the screen under it, so moving or removing it does not make the owner repaint.
#include <windows.h>

#include "foundation/FontDesc.h"
#include "foundation/String.h"
#include "framework/Wnd.h"

// What a tip needs of the window it belongs to.
class IKSTTextTipOwner {
public:
    // The colour the owner paints its window background with, as a plain RGB colour.
    virtual COLORREF GetWindowColor() const = 0;
    // The window the owner draws into: its own, or its host's when it is embedded.
    virtual CWnd* GetDrawingWindow() const = 0;
    // A mouse move over the tip, in the drawing window's client coordinates, so the owner's
    // cursor tracking goes on while the mouse is over the tip.
    virtual void HandleMouseMove(UINT flags, CPoint point) = 0;

protected:
    ~IKSTTextTipOwner() = default;
};

class CKSTTextTipWnd : public CWnd {
    DECLARE_MESSAGE_MAP()

public:
    CKSTTextTipWnd() = default;

    // Creates the tip, visible, over the rectangle (corners in either order, in the drawing
    // window's client coordinates), with a copy of the font setting. False when the owner has
    // no drawing window or the window cannot be created.
    bool Create(IKSTTextTipOwner* owner, const RECT& rect, const CKSTFontDesc& font,
                COLORREF textColor, const CKSTString& text);
    // New text and placement; repaints.
    void SetText(const RECT& rect, const CKSTString& text);
    // Deletes the font, then destroys the window.
    void Destroy();

protected:
    void OnPaint();
    void OnMouseMove(UINT flags, CPoint point);

private:
    IKSTTextTipOwner* m_owner = nullptr;
    CKSTString m_className;
    CKSTString m_text;
    COLORREF m_textColor = 0;
    CKSTFontDesc m_font;
    RECT m_clientRect{};
    RECT m_placementRect{};  // as the owner gave it
};
