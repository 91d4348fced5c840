#pragma once
// Pens, brushes and clipping selected for the length of a block: everything selected is put back
// and every object made for it deleted when the block ends.

#include <windows.h>

class KstGdiScope {
public:
    explicit KstGdiScope(HDC dc) : m_dc(dc) {}
    ~KstGdiScope()
    {
        if (m_oldPen != nullptr) {
            SelectObject(m_dc, m_oldPen);
        }
        if (m_oldBrush != nullptr) {
            SelectObject(m_dc, m_oldBrush);
        }
        if (m_pen != nullptr) {
            DeleteObject(m_pen);
        }
        if (m_brush != nullptr) {
            DeleteObject(m_brush);
        }
    }
    KstGdiScope(const KstGdiScope&) = delete;
    KstGdiScope& operator=(const KstGdiScope&) = delete;

    // Takes the pen (null: no outline) and selects it; one given before is replaced.
    void Pen(HPEN pen)
    {
        HGDIOBJ selected = pen != nullptr ? pen : GetStockObject(NULL_PEN);
        HGDIOBJ old = SelectObject(m_dc, selected);
        if (m_oldPen == nullptr) {
            m_oldPen = old;
        }
        if (m_pen != nullptr) {
            DeleteObject(m_pen);
        }
        m_pen = pen;
    }
    // Takes the brush (null: no fill) and selects it.
    void Brush(HBRUSH brush)
    {
        HGDIOBJ selected = brush != nullptr ? brush : GetStockObject(NULL_BRUSH);
        HGDIOBJ old = SelectObject(m_dc, selected);
        if (m_oldBrush == nullptr) {
            m_oldBrush = old;
        }
        if (m_brush != nullptr) {
            DeleteObject(m_brush);
        }
        m_brush = brush;
    }

private:
    HDC m_dc;
    HPEN m_pen = nullptr;
    HBRUSH m_brush = nullptr;
    HGDIOBJ m_oldPen = nullptr;
    HGDIOBJ m_oldBrush = nullptr;
};

// Drawing is limited to the rectangle (within the clip already set) until the block ends; the
// device context's state (clip, colours, modes) is restored then.
class KstClipScope {
public:
    KstClipScope(HDC dc, const RECT& rect) : m_dc(dc)
    {
        m_saved = SaveDC(dc);
        IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    }
    ~KstClipScope()
    {
        if (m_saved != 0) {
            RestoreDC(m_dc, m_saved);
        }
    }
    KstClipScope(const KstClipScope&) = delete;
    KstClipScope& operator=(const KstClipScope&) = delete;

private:
    HDC m_dc;
    int m_saved;
};
