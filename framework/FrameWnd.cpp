#include "framework/FrameWnd.h"

#include <shellapi.h>

#include <algorithm>

#include "framework/App.h"
#include "framework/ControlBar.h"
#include "framework/Document.h"
#include "framework/View.h"

namespace {

thread_local KstSelfDeleteWatch* t_watches = nullptr;

}  // namespace

// ---- KstSelfDeleteWatch -----------------------------------------------------------------------

KstSelfDeleteWatch::KstSelfDeleteWatch(CWnd* window) : m_window(window), m_outer(t_watches)
{
    t_watches = this;
}

KstSelfDeleteWatch::~KstSelfDeleteWatch()
{
    t_watches = m_outer;
}

void KstSelfDeleteWatch::NotifyDeleting(CWnd* window)
{
    for (KstSelfDeleteWatch* watch = t_watches; watch; watch = watch->m_outer) {
        if (watch->m_window == window) {
            watch->m_deleted = true;
        }
    }
}

// ---- CFrameWnd --------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_CLOSE()
ON_WM_SETFOCUS()
ON_WM_DROPFILES()
ON_MESSAGE(WM_INITMENUPOPUP, OnInitMenuPopup)
ON_MESSAGE(WM_MENUSELECT, OnMenuSelect)
ON_MESSAGE(WM_SETCURSOR, OnSetCursor)
ON_COMMAND_RANGE(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, OnBarCheck)
ON_UPDATE_COMMAND_UI_RANGE(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, OnUpdateControlBarMenu)
END_MESSAGE_MAP()

BOOL CFrameWnd::LoadFrame(UINT resourceId, DWORD style, CWnd* parent, CCreateContext* context)
{
    HINSTANCE resources = KstResourceHandle();
    HICON icon = static_cast<HICON>(LoadImageA(resources, MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
                                               0, 0, LR_DEFAULTSIZE | LR_SHARED));
    const CKSTString className =
        KstRegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                            reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1), icon);

    char text[1024];
    const int length = LoadStringA(resources, resourceId, text, sizeof(text));
    CKSTString title(length > 0 ? text : "");
    if (const int lineEnd = title.Find('\n'); lineEnd >= 0) {
        title.Truncate(lineEnd);
    }
    m_strTitle = title;

    CMenu menu;
    menu.LoadMenu(resourceId);

    CREATESTRUCTA cs{};
    cs.style = style;
    cs.x = CW_USEDEFAULT;
    cs.y = CW_USEDEFAULT;
    cs.cx = CW_USEDEFAULT;
    cs.cy = CW_USEDEFAULT;
    cs.hwndParent = parent ? parent->m_hWnd : nullptr;
    cs.hMenu = menu.GetSafeHmenu();
    cs.hInstance = GetModuleHandleA(nullptr);
    cs.lpszName = m_strTitle.c_str();
    cs.lpszClass = className.c_str();
    if (!PreCreateWindow(cs)) {
        return FALSE;
    }

    m_pCreateContext = context;
    const BOOL created = CreateEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y,
                                  cs.cx, cs.cy, cs.hwndParent, cs.hMenu);
    if (!created) {
        return FALSE;  // `this` may be gone (PostNcDestroy)
    }
    m_pCreateContext = nullptr;
    if (cs.hMenu == menu.GetSafeHmenu() && menu.Detach()) {
        m_ownsMenu = true;  // a window's menu is destroyed with the window
    }
    return TRUE;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA&)
{
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT create)
{
    if (Default() == -1) {
        return -1;
    }
    return OnCreateClient(create, m_pCreateContext) ? 0 : -1;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* context)
{
    if (!context || !context->m_pNewViewClass) {
        return TRUE;
    }
    CView* view = context->m_pNewViewClass();
    return view && view->Create(this, AFX_IDW_PANE_FIRST, context);
}

CDocument* CFrameWnd::GetActiveDocument() const
{
    return m_pViewActive ? m_pViewActive->GetDocument() : nullptr;
}

void CFrameWnd::InitialUpdateFrame(CDocument* document, BOOL makeVisible)
{
    if (!m_pViewActive) {
        m_pViewActive =
            dynamic_cast<CView*>(FromHandlePermanent(::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST)));
    }
    if (m_pViewActive && (!document || m_pViewActive->GetDocument() == document)) {
        m_pViewActive->OnInitialUpdate();
    }
    OnUpdateFrameTitle(TRUE);
    if (makeVisible) {
        CWinApp* app = AfxGetApp();
        ShowWindow(app ? app->GetShowCommand() : SW_SHOWNORMAL);
        UpdateWindow();
    }
}

void CFrameWnd::OnUpdateFrameTitle(BOOL addToTitle)
{
    CDocument* document = GetActiveDocument();
    if (!addToTitle || !document) {
        SetWindowText(m_strTitle.c_str());
        return;
    }
    CKSTString text = document->GetTitle();
    if (!m_strTitle.IsEmpty()) {
        text += " - ";
        text += m_strTitle;
    }
    SetWindowText(text.c_str());
}

void CFrameWnd::RecalcLayout()
{
    if (!m_hWnd) {
        return;
    }
    RECT remaining;
    GetClientRect(&remaining);
    for (CControlBar* bar : m_controlBars) {
        if (bar->m_hWnd && bar->IsWindowVisible()) {
            bar->PositionInFrame(remaining);
        }
    }
    if (HWND view = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST)) {
        ::MoveWindow(view, remaining.left, remaining.top, remaining.right - remaining.left,
                     std::max<LONG>(0, remaining.bottom - remaining.top), TRUE);
    }
}

void CFrameWnd::ShowControlBar(CControlBar* bar, BOOL show)
{
    bar->ShowWindow(show ? SW_SHOWNOACTIVATE : SW_HIDE);
    RecalcLayout();
}

CControlBar* CFrameWnd::GetControlBar(UINT id) const
{
    for (CControlBar* bar : m_controlBars) {
        if (bar->m_hWnd && static_cast<UINT>(bar->GetDlgCtrlID()) == id) {
            return bar;
        }
    }
    return nullptr;
}

BOOL CFrameWnd::ReplaceMenu(CMenu& menu)
{
    HMENU old = ::GetMenu(m_hWnd);
    if (!menu.GetSafeHmenu() || !::SetMenu(m_hWnd, menu.GetSafeHmenu())) {
        return FALSE;
    }
    menu.Detach();
    if (old && m_ownsMenu) {
        ::DestroyMenu(old);
    }
    m_ownsMenu = true;
    DrawMenuBar(m_hWnd);
    return TRUE;
}

void CFrameWnd::GetMessageString(UINT id, CKSTString& text) const
{
    text.Empty();
    if (id == 0) {
        return;
    }
    char buffer[1024];
    if (LoadStringA(KstResourceHandle(), id, buffer, sizeof(buffer)) > 0) {
        text = buffer;
        if (const int lineEnd = text.Find('\n'); lineEnd >= 0) {
            text.Truncate(lineEnd);
        }
    }
}

void CFrameWnd::SetMessageText(UINT id)
{
    CKSTString text;
    GetMessageString(id, text);
    SetMessageText(text.c_str());
    m_nIDLastMessage = id;
}

void CFrameWnd::SetMessageText(const char* text)
{
    if (HWND bar = ::GetDlgItem(m_hWnd, AFX_IDW_STATUS_BAR)) {
        ::SetWindowTextA(bar, text);
    }
}

void CFrameWnd::TrackPrompt(UINT id)
{
    m_nIDTracking = id;
    SetMessageText(id);
}

void CFrameWnd::OnIdleUpdateCmdUI()
{
    for (CControlBar* bar : m_controlBars) {
        if (bar->m_hWnd && bar->IsWindowVisible()) {
            bar->OnUpdateCmdUI(this, TRUE);
        }
    }
    if (m_nIDTracking != m_nIDLastMessage) {
        SetMessageText(m_nIDTracking);
    }
}

BOOL CFrameWnd::OnCmdMsg(UINT id, int code, void* extra, bool probe)
{
    if (m_pViewActive && m_pViewActive->OnCmdMsg(id, code, extra, probe)) {
        return TRUE;
    }
    if (CWnd::OnCmdMsg(id, code, extra, probe)) {
        return TRUE;
    }
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(id, code, extra, probe);
}

BOOL CFrameWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // Menu items and accelerators (no control), and buttons of the frame's bars.
    HWND control = reinterpret_cast<HWND>(lParam);
    const UINT code = HIWORD(wParam);
    const bool fromBar =
        control && code == BN_CLICKED && dynamic_cast<CControlBar*>(FromHandlePermanent(control));
    if ((!control && code <= 1) || fromBar) {
        if (OnCmdMsg(LOWORD(wParam), CN_COMMAND, nullptr, false)) {
            return TRUE;
        }
    }
    return CWnd::OnCommand(wParam, lParam);
}

void CFrameWnd::PostNcDestroy()
{
    CWinApp* app = AfxGetApp();
    if (app && app->GetMainWnd() == this) {
        app->SetMainWnd(nullptr);
        PostQuitMessage(0);
    }
    KstSelfDeleteWatch::NotifyDeleting(this);
    delete this;
}

void CFrameWnd::OnSize(UINT type, int, int)
{
    Default();
    if (type != SIZE_MINIMIZED) {
        RecalcLayout();
    }
}

void CFrameWnd::OnClose()
{
    DestroyWindow();
}

void CFrameWnd::OnSetFocus(CWnd*)
{
    if (m_pViewActive && m_pViewActive->m_hWnd) {
        m_pViewActive->SetFocus();
    } else {
        Default();
    }
}

void CFrameWnd::OnDropFiles(HDROP drop)
{
    DragFinish(drop);
}

LRESULT CFrameWnd::OnInitMenuPopup(WPARAM wParam, LPARAM lParam)
{
    Default();
    if (!HIWORD(lParam)) {  // not the window menu
        KstUpdateMenuPopup(this, reinterpret_cast<HMENU>(wParam));
    }
    return 0;
}

LRESULT CFrameWnd::OnMenuSelect(WPARAM wParam, LPARAM lParam)
{
    const UINT item = LOWORD(wParam);
    const UINT flags = HIWORD(wParam);
    UINT prompt = item;
    if (flags == 0xFFFF && lParam == 0) {
        prompt = AFX_IDS_IDLEMESSAGE;  // the menu closed
    } else if (flags & (MF_SEPARATOR | MF_POPUP)) {
        prompt = 0;
    }
    TrackPrompt(prompt);
    return 0;
}

LRESULT CFrameWnd::OnSetCursor(WPARAM, LPARAM)
{
    CWinApp* app = AfxGetApp();
    if (app && app->IsWaitCursorShown()) {
        app->RestoreWaitCursor();
        return TRUE;
    }
    return Default();
}

void CFrameWnd::OnBarCheck(UINT id)
{
    if (CControlBar* bar = GetControlBar(id)) {
        ShowControlBar(bar, !bar->IsWindowVisible());
    }
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* cmdUI)
{
    CControlBar* bar = GetControlBar(cmdUI->m_nID);
    cmdUI->Enable(bar != nullptr);
    cmdUI->SetCheck(bar && bar->IsWindowVisible());
}
