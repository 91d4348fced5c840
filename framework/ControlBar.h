#pragma once
// Control bars: the toolbar and the status bar of a frame. A bar registers with its parent
// frame when it is created; the frame places it at its top or bottom edge (RecalcLayout),
// shows and hides it, and lets it update its items on idle.
#include <windows.h>

#include "framework/Wnd.h"

class CFrameWnd;

// Bar styles, given together with the window styles (WS_CHILD | WS_VISIBLE | CBRS_TOP); they are
// taken out before the window is created. The bars are fixed: CBRS_GRIPPER and
// CBRS_SIZE_DYNAMIC, which concern docking, are accepted and change nothing.
constexpr DWORD CBRS_TOP = 0x0001;
constexpr DWORD CBRS_BOTTOM = 0x0002;
constexpr DWORD CBRS_GRIPPER = 0x0004;
constexpr DWORD CBRS_FLYBY = 0x0008;  // prompts of toolbar buttons under the mouse
constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0010;
constexpr DWORD CBRS_ALL = 0x001F;

class CControlBar : public CWnd {
public:
    ~CControlBar() override;

    DWORD GetBarStyle() const { return m_dwStyle; }
    CFrameWnd* GetFrame() const { return m_pFrame; }

    // Sets the state of the bar's items through `target`'s route.
    virtual void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler);
    // Takes the bar's height off the top or bottom of `remaining` and moves the bar there.
    virtual void PositionInFrame(RECT& remaining);

protected:
    // Creates the control window with the window styles of `style` and `ctrlStyle`, and
    // registers the bar with `parent` when that is a frame.
    BOOL CreateBar(const char* className, DWORD ctrlStyle, DWORD style, CWnd* parent, UINT id);
    // The bar's height for `width`; the control may adjust it to its default first.
    virtual int CalcHeight(int width);

    DWORD m_dwStyle = 0;

private:
    CFrameWnd* m_pFrame = nullptr;
};
