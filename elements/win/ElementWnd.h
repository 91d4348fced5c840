#pragma once
// The window side of the element protocol that every display element kind shares: its notify
// list and the events fired into it, the drag state of a press, and the transparent style taken
// off while the element is moved or sized and put back afterwards. Kinds with a back buffer
// build on the buffered variant.
#include <windows.h>

#include <cstdint>

#include "elements/ElementDrag.h"
#include "elements/win/ElementProtocol.h"
#include "foundation/win/NotifyList.h"
#include "framework/Wnd.h"

class CKSTElementWnd : public CWnd {
    DECLARE_MESSAGE_MAP()

public:
    void SuspendTransparency();
    // True when the transparent style was put back.
    bool RestoreTransparency();

    CKSTNotifyList& GetNotifyList() { return m_notify; }

protected:
    // Whether the element's settings ask for the transparent style.
    virtual bool WantsTransparency() const = 0;
    // Told when the transparent style is taken off (true) or put back (false), for kinds that
    // paint through a back buffer only while opaque.
    virtual void OnTransparencySuspended(bool) {}

    void Fire(uint32_t event, LPARAM lParam = 0);
    void InvalidateIfCreated();
    // A move with the left button held after a press on the element, passed on as an offset
    // while someone listens; reportZero as for CKSTElementDrag::OnMove.
    void DragOnMouseMove(UINT flags, CPoint point, bool reportZero);
    // A drag that moved the element showed it opaque until the release.
    void RestoreTransparencyAfterMove();

    BOOL OnEraseBkgnd(HDC dc);
    void OnRButtonDown(UINT flags, CPoint point);
    LRESULT OnSizing(WPARAM wParam, LPARAM lParam);
    LRESULT OnExitSizeMove(WPARAM wParam, LPARAM lParam);

    CKSTNotifyList m_notify;
    CKSTElementDrag m_drag;
    uint8_t m_transparencySuspended = 0;

private:
    // Takes the transparent style off; false when the element had none to take off.
    bool TakeOffTransparentStyle();

    uint8_t m_sizing = 0;
};

// An element that paints through a back buffer of its client size while it is opaque; a
// transparent one paints straight onto the window, over what lies behind it. Keys do nothing.
class CKSTBufferedElementWnd : public CKSTElementWnd {
    DECLARE_MESSAGE_MAP()

public:
    bool IsDoubleBuffered() const { return m_doubleBuffered != 0; }

protected:
    void OnTransparencySuspended(bool suspended) override;

    int OnCreate(LPCREATESTRUCT create);
    void OnDestroy();
    void OnSize(UINT type, int width, int height);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);

    CKSTElementBackBuffer m_backBuffer;
    uint8_t m_doubleBuffered = 1;
};
