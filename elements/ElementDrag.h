#pragma once
// One drag of a display element with the left button, from press to release. The start point is
// taken at the first move, so offsets are cumulative from there and not from the press point;
// the first move itself reports nothing. The element learns when the first non-zero offset of a
// drag arrives, which is when a transparent element starts drawing opaque.

#include <cstdint>

// Offsets and points travel in a message's lParam: x in the low 16 bits, y in the high 16 bits,
// each truncated to 16 bits.
inline intptr_t KstPackPoint(int32_t x, int32_t y)
{
    return static_cast<intptr_t>((static_cast<uint32_t>(x) & 0xFFFF) |
                                 ((static_cast<uint32_t>(y) & 0xFFFF) << 16));
}

class CKSTElementDrag {
public:
    struct Move {
        bool report;         // an offset to pass on
        bool startedMoving;  // the first non-zero offset of this drag
        int32_t dx;
        int32_t dy;
    };
    struct Release {
        bool moved;  // some move of the drag had a non-zero offset
        int32_t dx;  // from the start point, (0, 0) when not moved
        int32_t dy;
    };

    void Press() { m_down = true; }
    // A move with the button held; reportZero: a zero offset is passed on too.
    Move OnMove(int32_t x, int32_t y, bool reportZero);
    // Ends the drag (also when no press was seen).
    Release OnRelease(int32_t x, int32_t y);

    bool IsDown() const { return m_down; }
    bool IsMoved() const { return m_moved; }

private:
    bool m_down = false;
    bool m_moved = false;
    // A flag of its own: a first move at the client origin is a start point like any other.
    bool m_startTaken = false;
    int32_t m_startX = 0;
    int32_t m_startY = 0;
};
