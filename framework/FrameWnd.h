#pragma once
// The frame window: the top-level window around a view, with a menu, a toolbar on top and a
// status bar at the bottom (control bars, ControlBar.h). It routes commands (CmdUI.h), updates
// menu items when their popup opens and the bars when the message loop falls idle, shows the
// prompt of the highlighted menu item in the status bar, and lays out bars and view.
#include <windows.h>

#include <functional>
#include <vector>

#include "foundation/String.h"
#include "framework/CmdUI.h"
#include "framework/FrameworkIds.h"
#include "framework/Menu.h"
#include "framework/Wnd.h"

class CControlBar;
class CDocTemplate;
class CDocument;
class CView;

// What a frame needs to make its view: the document shown and the view's factory.
struct CCreateContext {
    CDocument* m_pCurrentDoc = nullptr;
    std::function<CView*()> m_pNewViewClass;
    CDocTemplate* m_pNewDocTemplate = nullptr;
};

class CFrameWnd : public CWnd {
    DECLARE_MESSAGE_MAP()

public:
    CFrameWnd() = default;

    // Creates the frame with the menu, the icon (when there is one) and the title (the first
    // line of the string) of resource `resourceId`; WM_CREATE then makes the view from
    // `context`. When creation fails after the window existed, the frame has deleted itself
    // (as it does whenever its window is destroyed).
    virtual BOOL LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW,
                           CWnd* parent = nullptr, CCreateContext* context = nullptr);

    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* view) { m_pViewActive = view; }
    CDocument* GetActiveDocument() const;

    // Makes the view that was created for the document active, gives it OnInitialUpdate,
    // updates the title and, with `makeVisible`, shows the frame.
    virtual void InitialUpdateFrame(CDocument* document, BOOL makeVisible);
    // "document title - frame title", or the frame title alone without a document.
    virtual void OnUpdateFrameTitle(BOOL addToTitle);
    const CKSTString& GetTitle() const { return m_strTitle; }
    void SetTitle(const char* title) { m_strTitle = title; }

    // Places the visible bars (top ones from the top down, bottom ones from the bottom up) and
    // gives the rest of the client area to the view.
    virtual void RecalcLayout();
    void ShowControlBar(CControlBar* bar, BOOL show);
    CControlBar* GetControlBar(UINT id) const;

    // Makes `menu` the frame's menu; the frame owns it from now on and destroys the menu it
    // had. FALSE (the old menu kept, `menu` left to the caller) when it cannot be set.
    BOOL ReplaceMenu(CMenu& menu);

    // Shows the prompt of command `id` (its string up to "\n"; 0 shows nothing) in the status
    // bar, as the bar's window text.
    void SetMessageText(UINT id);
    void SetMessageText(const char* text);
    // Shows the prompt of `id` and keeps it until the next one (idle restores what was shown
    // last when something else wrote into the status bar in between).
    void TrackPrompt(UINT id);
    virtual void GetMessageString(UINT id, CKSTString& text) const;

    // Toolbar buttons from the route of this frame, and the idle prompt once a menu has closed.
    virtual void OnIdleUpdateCmdUI();

    // Routes a command to the active view (and so its document), then the frame, then the
    // application.
    BOOL OnCmdMsg(UINT id, int code, void* extra, bool probe) override;

protected:
    // Adjusts the creation parameters; the default changes nothing.
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    // Creates the view from the context; FALSE makes the frame creation fail.
    virtual BOOL OnCreateClient(LPCREATESTRUCT create, CCreateContext* context);

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;

    int OnCreate(LPCREATESTRUCT create);
    void OnSize(UINT type, int width, int height);
    void OnClose();
    void OnSetFocus(CWnd* previous);
    // Releases the drop; programs handle WM_DROPFILES with their own ON_WM_DROPFILES entry.
    void OnDropFiles(HDROP drop);
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    LRESULT OnMenuSelect(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    void OnBarCheck(UINT id);
    void OnUpdateControlBarMenu(CCmdUI* cmdUI);

    CKSTString m_strTitle;
    UINT m_nIDTracking = AFX_IDS_IDLEMESSAGE;  // prompt to show
    UINT m_nIDLastMessage = 0;                 // prompt shown, 0 before the first

private:
    friend class CControlBar;

    CCreateContext* m_pCreateContext = nullptr;
    CView* m_pViewActive = nullptr;
    std::vector<CControlBar*> m_controlBars;
    bool m_ownsMenu = false;
};

// void OnDropFiles(HDROP): files dropped from the shell; the handler releases the handle (or
// calls CFrameWnd::OnDropFiles).
#define ON_WM_DROPFILES()                                                                         \
    KST_MAP_ENTRY(WM_DROPFILES, 0, 0, 0, self->OnDropFiles(reinterpret_cast<HDROP>(call.wParam)); \
                  return true)

// Tells a creator whether the window being created deleted itself (frames and views delete
// themselves with their window, also when a failed creation destroyed it).
class KstSelfDeleteWatch {
public:
    explicit KstSelfDeleteWatch(CWnd* window);
    ~KstSelfDeleteWatch();
    KstSelfDeleteWatch(const KstSelfDeleteWatch&) = delete;
    KstSelfDeleteWatch& operator=(const KstSelfDeleteWatch&) = delete;

    bool Deleted() const { return m_deleted; }
    // Called by a self-deleting window right before it deletes itself.
    static void NotifyDeleting(CWnd* window);

private:
    CWnd* m_window;
    bool m_deleted = false;
    KstSelfDeleteWatch* m_outer;
};
