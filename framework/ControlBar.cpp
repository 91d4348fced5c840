#include "framework/ControlBar.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/FrameWnd.h"

CControlBar::~CControlBar()
{
    if (m_pFrame) {
        auto& bars = m_pFrame->m_controlBars;
        bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
    }
}

BOOL CControlBar::CreateBar(const char* className, DWORD ctrlStyle, DWORD style, CWnd* parent,
                            UINT id)
{
    m_dwStyle = style & CBRS_ALL;
    // The frame places the bar; the control only keeps its default height.
    const DWORD windowStyle = (style & ~CBRS_ALL) | ctrlStyle | CCS_NOPARENTALIGN | CCS_NODIVIDER |
                              ((m_dwStyle & CBRS_BOTTOM) ? CCS_BOTTOM : CCS_TOP);
    if (!CreateEx(0, className, nullptr, windowStyle, 0, 0, 0, 0, parent ? parent->m_hWnd : nullptr,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)))) {
        return FALSE;
    }
    if (auto* frame = dynamic_cast<CFrameWnd*>(parent)) {
        m_pFrame = frame;
        frame->m_controlBars.push_back(this);
    }
    return TRUE;
}

void CControlBar::OnUpdateCmdUI(CFrameWnd*, BOOL) {}

int CControlBar::CalcHeight(int)
{
    RECT rect;
    GetWindowRect(&rect);
    return rect.bottom - rect.top;
}

void CControlBar::PositionInFrame(RECT& remaining)
{
    const int width = remaining.right - remaining.left;
    const int height = std::min<int>(CalcHeight(width), remaining.bottom - remaining.top);
    if (m_dwStyle & CBRS_BOTTOM) {
        remaining.bottom -= height;
        SetWindowPos(nullptr, remaining.left, remaining.bottom, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SetWindowPos(nullptr, remaining.left, remaining.top, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        remaining.top += height;
    }
}
