#include "framework/View.h"

#include "framework/Document.h"
#include "framework/FrameWnd.h"

BEGIN_MESSAGE_MAP(CView, CWnd)
ON_WM_PAINT()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CView::~CView()
{
    // A window whose creation failed gets no WM_DESTROY, only WM_NCDESTROY.
    if (m_pDocument) {
        m_pDocument->RemoveView(this);
    }
}

BOOL CView::Create(CWnd* parent, UINT id, CCreateContext* context)
{
    CREATESTRUCTA cs{};
    cs.style = WS_CHILD | WS_VISIBLE | WS_BORDER;
    cs.dwExStyle = WS_EX_CLIENTEDGE;
    cs.hwndParent = parent ? parent->m_hWnd : nullptr;
    cs.hMenu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id));
    cs.hInstance = GetModuleHandleA(nullptr);
    const CKSTString defaultClass = KstRegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                                                        reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    cs.lpszClass = defaultClass.c_str();
    KstSelfDeleteWatch watch(this);
    if (PreCreateWindow(cs)) {
        if (context && context->m_pCurrentDoc) {
            context->m_pCurrentDoc->AddView(this);
        }
        if (CreateEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                     cs.hwndParent, cs.hMenu)) {
            return TRUE;
        }
    }
    if (!watch.Deleted()) {
        delete this;
    }
    return FALSE;
}

BOOL CView::PreCreateWindow(CREATESTRUCTA&)
{
    return TRUE;
}

CFrameWnd* CView::GetParentFrame() const
{
    for (HWND window = ::GetParent(m_hWnd); window; window = ::GetParent(window)) {
        if (auto* frame = dynamic_cast<CFrameWnd*>(FromHandlePermanent(window))) {
            return frame;
        }
    }
    return nullptr;
}

void CView::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
}

void CView::OnUpdate(CView*, LPARAM, void*)
{
    Invalidate(TRUE);
}

BOOL CView::OnCmdMsg(UINT id, int code, void* extra, bool probe)
{
    return CWnd::OnCmdMsg(id, code, extra, probe) ||
           (m_pDocument && m_pDocument->OnCmdMsg(id, code, extra, probe));
}

void CView::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    OnDraw(dc);
    EndPaint(m_hWnd, &paint);
}

void CView::OnDestroy()
{
    if (CFrameWnd* frame = GetParentFrame(); frame && frame->GetActiveView() == this) {
        frame->SetActiveView(nullptr);
    }
    if (m_pDocument) {
        m_pDocument->RemoveView(this);
    }
    Default();
}

void CView::PostNcDestroy()
{
    KstSelfDeleteWatch::NotifyDeleting(this);
    delete this;
}
