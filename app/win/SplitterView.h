#pragma once
// The pane view in every cell of the record window's splitters. It hosts one window, which it
// keeps at its own size, and tells a notify window whenever the user's drag of a splitter bar
// gave it a new size; it draws nothing itself.
#include <windows.h>

#include "framework/View.h"

class CKSTSplitterView : public CView {
    DECLARE_MESSAGE_MAP()

public:
    CKSTSplitterView() = default;

    CWnd* m_pNotifyWnd = nullptr;
    UINT m_nNotifyMessage = WM_USER + 2;
    CWnd* m_pHostedWnd = nullptr;
    // While clear, a new size is neither reported nor passed to the hosted window: the record
    // window lays its panes out itself then.
    bool m_bNotify = true;

protected:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void OnDraw(HDC dc) override;
    BOOL OnEraseBkgnd(HDC dc);
    void OnSize(UINT type, int width, int height);
    void OnSetFocus(CWnd* previous);
};
