#pragma once
// The main frame around the view, with the status bar. Closing it writes the settings back.
#include "framework/FrameWnd.h"
#include "framework/StatusBar.h"

class CMainFrame : public CFrameWnd {
    DECLARE_MESSAGE_MAP()

public:
    CStatusBar m_wndStatusBar;

protected:
    int OnCreate(LPCREATESTRUCT create);
    void OnClose();
    void PostNcDestroy() override;
};
