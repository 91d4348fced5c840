#include "elements/ElementDrag.h"

CKSTElementDrag::Move CKSTElementDrag::OnMove(int32_t x, int32_t y, bool reportZero)
{
    if (!m_startTaken) {
        m_startTaken = true;
        m_startX = x;
        m_startY = y;
        return Move{false, false, 0, 0};
    }
    const int32_t dx = x - m_startX;
    const int32_t dy = y - m_startY;
    const bool nonZero = dx != 0 || dy != 0;
    const bool started = nonZero && !m_moved;
    m_moved = m_moved || nonZero;
    return Move{nonZero || reportZero, started, dx, dy};
}

CKSTElementDrag::Release CKSTElementDrag::OnRelease(int32_t x, int32_t y)
{
    Release release{m_moved, 0, 0};
    if (m_moved) {
        release.dx = x - m_startX;
        release.dy = y - m_startY;
    }
    m_down = false;
    m_moved = false;
    m_startTaken = false;
    m_startX = 0;
    m_startY = 0;
    return release;
}
