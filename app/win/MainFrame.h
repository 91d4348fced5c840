#pragma once
// The main window: the framework's frame with the toolbar, the status bar and the main view.
// It decides which commands are enabled, builds the window title, protects unsaved live data
// when it closes, opens and appends files dropped from the shell, and fills the status bar's
// lock, rate and memory panes.
#include <windows.h>

#include <cstdint>

#include "app/ReportLayout.h"
#include "app/win/StatusBar.h"
#include "app/win/ViewFrame.h"
#include "framework/FrameWnd.h"
#include "framework/ToolBar.h"

class CKSTAppOptions;
class CTalvenorDoc;
class CTalvenorView;
class IKSTMessageSink;

// Messages of the archive dialogs and their workers to the frame.
constexpr UINT KST_WM_ARCHIVE_LOADED = WM_USER + 0x14;
constexpr UINT KST_WM_ARCHIVE_PROGRESS = WM_USER + 0x17;

class CMainFrame : public CFrameWnd, public IKSTViewFrame {
    DECLARE_MESSAGE_MAP()

public:
    CMainFrame(CKSTAppOptions& options, IKSTMessageSink& messages);
    ~CMainFrame() override;

    // IKSTViewFrame
    void UpdateStatusBar() override;
    void SetPaneTexts(const char* rateText, const char* memoryText) override;
    // The main menu in the options' language with the panes' check marks (MainFrameMenu.cpp).
    void RebuildMenu() override;
    // 0 German, 1 English: the status bar's messages (and the panes that follow the language).
    void SetLanguage(uint16_t language);

    CTalvenorView* GetView() const;
    CTalvenorDoc* GetDocument() const;

    CKSTStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;
    // What the print buttons print: the display as shown unless the print report command
    // asked for a report; the toolbar's buttons keep what was asked for last.
    CKSTReportSettings m_printRequest;
    bool IsSizing() const { return m_bSizing; }

protected:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

    int OnCreate(LPCREATESTRUCT create);
    void OnClose();
    void OnDropFiles(HDROP drop);
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    LRESULT OnSizing(WPARAM wParam, LPARAM lParam);
    LRESULT OnExitSizeMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnArchiveLoaded(WPARAM wParam, LPARAM lParam);
    LRESULT OnArchiveProgress(WPARAM wParam, LPARAM lParam);

    void OnPrintDisplay();
    void OnPreviewDisplay();
    void OnPrintRequest();
    void OnPreviewRequest();
    void OnPrintReport();
    void OnNotAvailable();

    void OnUpdateNotOnline(CCmdUI* cmdUI);
    void OnUpdateOnline(CCmdUI* cmdUI);
    void OnUpdateAlways(CCmdUI* cmdUI);
    void OnUpdateRecentFiles(CCmdUI* cmdUI);
    void OnUpdateSave(CCmdUI* cmdUI);
    void OnUpdateNotLocked(CCmdUI* cmdUI);
    void OnUpdateAppend(CCmdUI* cmdUI);
    void OnUpdateSaveSpectra(CCmdUI* cmdUI);
    void OnUpdatePlayAudio(CCmdUI* cmdUI);
    void OnUpdateStopAudio(CCmdUI* cmdUI);

private:
    bool IsOnline() const;
    bool IsLocked() const;
    bool IsPlaying() const;
    // The view prints or previews the print request.
    void RunPrintRequest(bool preview);

    CKSTAppOptions& m_options;
    IKSTMessageSink& m_messages;
    HICON m_lockIcons[3] = {};   // locked, no lock, opened with a password
    CKSTString m_strStatusText;  // the memory pane's text; an owner-drawn pane points into it
    CKSTString m_strTitleText;
    bool m_bSizing = false;
};
