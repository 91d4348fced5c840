#pragma once
// Window objects bound to their HWND, and the message maps that route a window's messages to
// member functions.
//
// Binding: CWnd::CreateEx (and the dialog and property-sheet creators) bind the object to its
// window from inside the window's creation, so WM_CREATE already reaches the object. Every
// message then goes through the class's message map; what no entry handles goes on to the
// window's original procedure (Default). When the window is destroyed the object is detached:
// m_hWnd becomes null, the object itself lives on until its owner deletes it.
//
// Lifetime: an object may delete itself in PostNcDestroy (modeless dialogs, windows that close
// themselves from their own commands). PostNcDestroy runs once the outermost message that the
// object is handling has returned, so no handler further up the stack finds the object gone.
// An object whose window still exists must not be deleted: DestroyWindow first (the derived
// OnDestroy cannot run from a base destructor). Deleting one anyway is reported as a fault
// (Seams.h) and the window is destroyed without the object.
//
// Exceptions: none leaves a window procedure. One that escapes a handler is reported through
// the fault seam and the message ends with a neutral result; the window lives on.
//
// Message maps: a class declares DECLARE_MESSAGE_MAP() and lists its entries between
// BEGIN_MESSAGE_MAP(Class, BaseClass) and END_MESSAGE_MAP(); the base class's map is searched
// after the class's own. WM_COMMAND and WM_NOTIFY from a child control, and WM_DRAWITEM and
// WM_CTLCOLOR* that the parent does not handle, are first offered to the control's own object
// (its ..._REFLECT entries).
//
//     class CKSTExampleWnd : public CWnd {
//         DECLARE_MESSAGE_MAP()
//     protected:
//         void OnLButtonDown(UINT flags, CPoint point);  // hides CWnd's default
//         LRESULT OnRebuild(WPARAM wParam, LPARAM lParam);
//         void OnPopupCommand(UINT id);
//     };
//     BEGIN_MESSAGE_MAP(CKSTExampleWnd, CWnd)
//     ON_WM_LBUTTONDOWN()
//     ON_MESSAGE(WM_USER + 17, OnRebuild)
//     ON_COMMAND_RANGE(49001, 49099, OnPopupCommand)
//     END_MESSAGE_MAP()
#include <windows.h>

#include "foundation/String.h"

class CCmdTarget;
class CWnd;
class COleDropTarget;

struct CPoint : POINT {
    CPoint()
    {
        x = 0;
        y = 0;
    }
    CPoint(int px, int py)
    {
        x = px;
        y = py;
    }
    // A point packed into a message parameter (x low word, y high word, both signed).
    explicit CPoint(LPARAM packed)
    {
        x = static_cast<short>(LOWORD(packed));
        y = static_cast<short>(HIWORD(packed));
    }
};

// One message as a map entry's handler sees it; the handler stores the message's result.
struct KstMsgCall {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
};

// Returns false when the handler declined the message, which then takes the default path.
using KstMsgHandler = bool (*)(CCmdTarget* target, KstMsgCall& call);

struct KstMsgMapEntry {
    UINT message;  // window message, KST_REFLECT | message for reflected entries
    UINT code;     // notification code of WM_COMMAND and WM_NOTIFY entries
    UINT firstId;  // control or command id range of WM_COMMAND and WM_NOTIFY entries
    UINT lastId;
    KstMsgHandler handler;  // null ends a table
};

struct KstMsgMap {
    const KstMsgMap* (*base)();
    const KstMsgMapEntry* entries;
};

// Message keys above every window message (registered messages end at 0xFFFF).
constexpr UINT KST_REFLECT = 0x10000000;
// The seven WM_CTLCOLOR* messages share one entry.
constexpr UINT KST_WM_CTLCOLOR = WM_CTLCOLORMSGBOX;

// The base of everything that has a message map: windows, documents and the application.
// Commands are routed between such objects through OnCmdMsg (CmdUI.h).
class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Runs the handler of command `id` (code CN_COMMAND) or its update handler (code
    // CN_UPDATE_COMMAND_UI, `extra` the CCmdUI) from this object's map; with `probe` it only
    // tells whether there is one. Overrides pass what they do not handle along their route.
    virtual BOOL OnCmdMsg(UINT id, int code, void* extra, bool probe);

    static const KstMsgMap* GetThisMessageMap();

protected:
    virtual const KstMsgMap* GetMessageMap() const;
};

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }

    // Creation. `idOrMenu` is the control id of a child window or the menu of a top-level one.
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x,
                  int y, int width, int height, HWND parent, HMENU idOrMenu);
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                  const RECT& rect, CWnd* parent, UINT id);
    BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect,
                CWnd* parent, UINT id);
    virtual BOOL DestroyWindow();

    // Binding to an existing window: Attach only maps the handle to the object; SubclassWindow
    // also routes the window's messages through the object's map.
    BOOL Attach(HWND window);
    HWND Detach();
    BOOL SubclassWindow(HWND window);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    // The object bound to a handle; FromHandle gives a plain CWnd for a window without one
    // (owned by the calling thread, valid while the window exists).
    static CWnd* FromHandle(HWND window);
    static CWnd* FromHandlePermanent(HWND window);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // Passes the message being handled on to the window's original procedure.
    LRESULT Default();
    // Files dropped from the shell arrive as WM_DROPFILES.
    void DragAcceptFiles(BOOL accept = TRUE) { ::DragAcceptFiles(m_hWnd, accept); }
    // Through the message-box seam (Seams.h).
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK) const;

    // Offered every message of a message loop (CWinThread::Run, modal dialogs) before it is
    // dispatched, from the target window up to its top-level window; TRUE consumes it.
    virtual BOOL PreTranslateMessage(MSG* msg);
    static BOOL WalkPreTranslateTree(MSG* msg);

    CKSTString GetWindowText() const;
    void SetWindowText(const char* text);
    CWnd* GetDlgItem(int id) const;
    int GetDlgCtrlID() const;
    CKSTString GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const char* text);
    UINT IsDlgButtonChecked(int id) const;
    void CheckDlgButton(int id, UINT check);
    CWnd* GetParent() const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    // Changes the style bits; with swpFlags, SetWindowPos applies the change to the frame.
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);
    BOOL ShowWindow(int command);
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowVisible() const;
    BOOL IsWindowEnabled() const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    BOOL SetWindowPos(HWND insertAfter, int x, int y, int width, int height, UINT flags);
    void GetClientRect(RECT* rect) const;
    void GetWindowRect(RECT* rect) const;
    void ClientToScreen(POINT* point) const;
    void ClientToScreen(RECT* rect) const;
    void ScreenToClient(POINT* point) const;
    void ScreenToClient(RECT* rect) const;
    void SetFont(HFONT font, BOOL redraw = TRUE);
    HFONT GetFont() const;

    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE);
    void UpdateWindow();
    BOOL RedrawWindow(const RECT* rect = nullptr, HRGN region = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);

    // Timers post WM_TIMER to this window.
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs);
    BOOL KillTimer(UINT_PTR id);
    CWnd* SetCapture();
    static BOOL ReleaseCapture();
    static CWnd* GetCapture();
    CWnd* SetFocus();
    static CWnd* GetFocus();

    static const KstMsgMap* GetThisMessageMap();

protected:
    const KstMsgMap* GetMessageMap() const override;
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The map lookup; false when nothing handled the message.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // The original procedure with the given message.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // WM_COMMAND: reflected to the sending control first, then the map's command entries.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // WM_NOTIFY: reflected to the sending control first, then the map's notify entries.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // A message that this object's parent reflected; looks up the ..._REFLECT entries.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // After the window is gone and the object detached; an object that owns itself may delete
    // itself here.
    virtual void PostNcDestroy() {}
    // Offers the message being handled to `child`'s object.
    BOOL ReflectLastMsg(HWND child, LRESULT* result = nullptr);

    // Handlers of the ON_WM_... entries; each default passes the message on.
    int OnCreate(LPCREATESTRUCT create);
    void OnDestroy();
    void OnClose();
    void OnPaint();
    BOOL OnEraseBkgnd(HDC dc);
    void OnSize(UINT type, int width, int height);
    void OnTimer(UINT_PTR id);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnRButtonUp(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    BOOL OnMouseWheel(UINT flags, short delta, CPoint screenPoint);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnKeyUp(UINT key, UINT repeat, UINT flags);
    void OnHScroll(UINT code, UINT position, HWND scrollBar);
    void OnVScroll(UINT code, UINT position, HWND scrollBar);
    void OnSetFocus(CWnd* previous);
    void OnKillFocus(CWnd* next);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    // Defaults reflect to the control that sent the message, then pass it on.
    void OnDrawItem(int id, LPDRAWITEMSTRUCT draw);
    HBRUSH OnCtlColor(HDC dc, CWnd* control, UINT controlType);

private:
    friend LRESULT CALLBACK KstWndProc(HWND, UINT, WPARAM, LPARAM);
    friend class COleDropTarget;

    friend class KstDispatchScope;

    LRESULT RouteMessage(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL DispatchToMap(UINT key, UINT code, UINT id, KstMsgCall& call);

    WNDPROC m_superProc = nullptr;  // set while subclassed
    // The innermost message being handled (on the stack of RouteMessage), for Default.
    const KstMsgCall* m_currentMsg = nullptr;
    int m_dispatchDepth = 0;          // messages of this object on the stack
    bool m_postNcDestroyDue = false;  // WM_NCDESTROY came while the depth was above one
    COleDropTarget* m_dropTarget = nullptr;
};

// Registers a window class of the program (the KST...Class names); its windows get their
// object through CWnd::CreateEx. False when registration fails, which includes a class of that
// name existing already.
bool KstRegisterClass(const char* className, UINT classStyle, HCURSOR cursor,
                      HBRUSH background = nullptr, HICON icon = nullptr);
// A class without a name of its own, one per combination of the arguments; returns its name.
CKSTString KstRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr,
                               HBRUSH background = nullptr, HICON icon = nullptr);

// The module whose resources (dialogs, menus) the framework loads; the program's own by default.
HINSTANCE KstResourceHandle();
void KstSetResourceHandle(HINSTANCE module);

// Dispatches the calling thread's waiting messages without blocking; false once WM_QUIT was
// seen (it is posted again for the next loop).
bool KstPumpPendingMessages();

// Message loop until `ended` (checked after every message) or WM_QUIT, which is posted again.
template <class Ended>
void KstRunModalLoop(Ended ended)
{
    MSG msg;
    while (!ended()) {
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!CWnd::WalkPreTranslateTree(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// ---- Message map macros ---------------------------------------------------------------------

#define DECLARE_MESSAGE_MAP()                    \
public:                                          \
    static const KstMsgMap* GetThisMessageMap(); \
                                                 \
protected:                                       \
    const KstMsgMap* GetMessageMap() const override;

// clang-format off
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                               \
    const KstMsgMap* theClass::GetMessageMap() const { return GetThisMessageMap(); }         \
    const KstMsgMap* theClass::GetThisMessageMap()                                           \
    {                                                                                        \
        using ThisClass [[maybe_unused]] = theClass;                                         \
        using TheBaseClass = baseClass;                                                      \
        static const KstMsgMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                                    \
            {0, 0, 0, 0, nullptr}};                                                          \
        static const KstMsgMap map = {&TheBaseClass::GetThisMessageMap, entries};            \
        return &map;                                                                         \
    }
// clang-format on

// One entry; the body sees `self` (the object as its class) and `call`.
#define KST_MAP_ENTRY(message, code, firstId, lastId, ...)                                      \
    {(message), static_cast<UINT>(code), static_cast<UINT>(firstId), static_cast<UINT>(lastId), \
     [](CCmdTarget* kstTarget, KstMsgCall& call) -> bool {                                      \
         auto* self = static_cast<ThisClass*>(kstTarget);                                       \
         (void)call;                                                                            \
         __VA_ARGS__;                                                                           \
     }},

// LRESULT fn(WPARAM, LPARAM): any message, WM_USER+n included; its result is the message's.
#define ON_MESSAGE(message, fn) \
    KST_MAP_ENTRY(message, 0, 0, 0, call.result = self->fn(call.wParam, call.lParam); return true)

// void fn(): a menu, accelerator or button command.
#define ON_COMMAND(id, fn) KST_MAP_ENTRY(WM_COMMAND, 0, id, id, self->fn(); return true)
// void fn(UINT id)
#define ON_COMMAND_RANGE(firstId, lastId, fn) \
    KST_MAP_ENTRY(WM_COMMAND, 0, firstId, lastId, self->fn(LOWORD(call.wParam)); return true)
// void fn(): a WM_COMMAND notification code of a control.
#define ON_CONTROL(code, id, fn) KST_MAP_ENTRY(WM_COMMAND, code, id, id, self->fn(); return true)
// void fn(UINT id)
#define ON_CONTROL_RANGE(code, firstId, lastId, fn) \
    KST_MAP_ENTRY(WM_COMMAND, code, firstId, lastId, self->fn(LOWORD(call.wParam)); return true)
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_EN_CHANGE(id, fn) ON_CONTROL(EN_CHANGE, id, fn)
#define ON_EN_UPDATE(id, fn) ON_CONTROL(EN_UPDATE, id, fn)
#define ON_EN_KILLFOCUS(id, fn) ON_CONTROL(EN_KILLFOCUS, id, fn)
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)
#define ON_LBN_SELCHANGE(id, fn) ON_CONTROL(LBN_SELCHANGE, id, fn)

// void fn(NMHDR*, LRESULT*): a WM_NOTIFY code of a control.
#define ON_NOTIFY(code, id, fn)                                                  \
    KST_MAP_ENTRY(WM_NOTIFY, code, id, id,                                       \
                  self->fn(reinterpret_cast<NMHDR*>(call.lParam), &call.result); \
                  return true)
// void fn(UINT id, NMHDR*, LRESULT*)
#define ON_NOTIFY_RANGE(code, firstId, lastId, fn)                                           \
    KST_MAP_ENTRY(WM_NOTIFY, code, firstId, lastId,                                          \
                  self->fn(static_cast<UINT>(reinterpret_cast<NMHDR*>(call.lParam)->idFrom), \
                           reinterpret_cast<NMHDR*>(call.lParam), &call.result);             \
                  return true)

// Entries of a control for the notifications it sent to its parent.
// void fn(NMHDR*, LRESULT*)
#define ON_NOTIFY_REFLECT(code, fn)                                              \
    KST_MAP_ENTRY(KST_REFLECT | WM_NOTIFY, code, 0, 0xFFFFFFFF,                  \
                  self->fn(reinterpret_cast<NMHDR*>(call.lParam), &call.result); \
                  return true)
// void fn()
#define ON_CONTROL_REFLECT(code, fn) \
    KST_MAP_ENTRY(KST_REFLECT | WM_COMMAND, code, 0, 0xFFFFFFFF, self->fn(); return true)
// void DrawItem(LPDRAWITEMSTRUCT)
#define ON_WM_DRAWITEM_REFLECT()                                                   \
    KST_MAP_ENTRY(KST_REFLECT | WM_DRAWITEM, 0, 0, 0xFFFFFFFF,                     \
                  self->DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(call.lParam)); \
                  call.result = TRUE; return true)
// HBRUSH CtlColor(HDC, UINT controlType); a null brush leaves the message to the parent.
#define ON_WM_CTLCOLOR_REFLECT()                                                    \
    KST_MAP_ENTRY(KST_REFLECT | KST_WM_CTLCOLOR, 0, 0, 0xFFFFFFFF,                  \
                  HBRUSH brush = self->CtlColor(reinterpret_cast<HDC>(call.wParam), \
                                                call.message - WM_CTLCOLORMSGBOX);  \
                  call.result = reinterpret_cast<LRESULT>(brush); return brush != nullptr)

// Typed handlers (defaults in CWnd).
#define ON_WM_CREATE()                                                                         \
    KST_MAP_ENTRY(WM_CREATE, 0, 0, 0,                                                          \
                  call.result = self->OnCreate(reinterpret_cast<LPCREATESTRUCT>(call.lParam)); \
                  return true)
#define ON_WM_DESTROY() KST_MAP_ENTRY(WM_DESTROY, 0, 0, 0, self->OnDestroy(); return true)
#define ON_WM_CLOSE() KST_MAP_ENTRY(WM_CLOSE, 0, 0, 0, self->OnClose(); return true)
#define ON_WM_PAINT() KST_MAP_ENTRY(WM_PAINT, 0, 0, 0, self->OnPaint(); return true)
#define ON_WM_ERASEBKGND()                                                              \
    KST_MAP_ENTRY(WM_ERASEBKGND, 0, 0, 0,                                               \
                  call.result = self->OnEraseBkgnd(reinterpret_cast<HDC>(call.wParam)); \
                  return true)
#define ON_WM_SIZE()                                                                            \
    KST_MAP_ENTRY(                                                                              \
        WM_SIZE, 0, 0, 0,                                                                       \
        self->OnSize(static_cast<UINT>(call.wParam), LOWORD(call.lParam), HIWORD(call.lParam)); \
        return true)
#define ON_WM_TIMER() KST_MAP_ENTRY(WM_TIMER, 0, 0, 0, self->OnTimer(call.wParam); return true)
#define KST_MOUSE_ENTRY(message, fn)                                                               \
    KST_MAP_ENTRY(message, 0, 0, 0, self->fn(static_cast<UINT>(call.wParam), CPoint(call.lParam)); \
                  return true)
#define ON_WM_LBUTTONDOWN() KST_MOUSE_ENTRY(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() KST_MOUSE_ENTRY(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() KST_MOUSE_ENTRY(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() KST_MOUSE_ENTRY(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() KST_MOUSE_ENTRY(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_MOUSEMOVE() KST_MOUSE_ENTRY(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_MOUSEWHEEL()                                                              \
    KST_MAP_ENTRY(WM_MOUSEWHEEL, 0, 0, 0,                                               \
                  call.result = self->OnMouseWheel(GET_KEYSTATE_WPARAM(call.wParam),    \
                                                   GET_WHEEL_DELTA_WPARAM(call.wParam), \
                                                   CPoint(call.lParam));                \
                  return true)
#define KST_KEY_ENTRY(message, fn)                                                          \
    KST_MAP_ENTRY(                                                                          \
        message, 0, 0, 0,                                                                   \
        self->fn(static_cast<UINT>(call.wParam), LOWORD(call.lParam), HIWORD(call.lParam)); \
        return true)
#define ON_WM_KEYDOWN() KST_KEY_ENTRY(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() KST_KEY_ENTRY(WM_KEYUP, OnKeyUp)
#define KST_SCROLL_ENTRY(message, fn)                                                            \
    KST_MAP_ENTRY(                                                                               \
        message, 0, 0, 0,                                                                        \
        self->fn(LOWORD(call.wParam), HIWORD(call.wParam), reinterpret_cast<HWND>(call.lParam)); \
        return true)
#define ON_WM_HSCROLL() KST_SCROLL_ENTRY(WM_HSCROLL, OnHScroll)
#define ON_WM_VSCROLL() KST_SCROLL_ENTRY(WM_VSCROLL, OnVScroll)
#define ON_WM_SETFOCUS()                                                                   \
    KST_MAP_ENTRY(WM_SETFOCUS, 0, 0, 0,                                                    \
                  self->OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(call.wParam))); \
                  return true)
#define ON_WM_KILLFOCUS()                                                                   \
    KST_MAP_ENTRY(WM_KILLFOCUS, 0, 0, 0,                                                    \
                  self->OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(call.wParam))); \
                  return true)
#define ON_WM_GETMINMAXINFO()                                                        \
    KST_MAP_ENTRY(WM_GETMINMAXINFO, 0, 0, 0,                                         \
                  self->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(call.lParam)); \
                  return true)
#define ON_WM_DRAWITEM()                                                             \
    KST_MAP_ENTRY(WM_DRAWITEM, 0, 0, 0,                                              \
                  self->OnDrawItem(static_cast<int>(call.wParam),                    \
                                   reinterpret_cast<LPDRAWITEMSTRUCT>(call.lParam)); \
                  call.result = TRUE; return true)
#define ON_WM_CTLCOLOR()                                                                      \
    KST_MAP_ENTRY(KST_WM_CTLCOLOR, 0, 0, 0,                                                   \
                  call.result = reinterpret_cast<LRESULT>(                                    \
                      self->OnCtlColor(reinterpret_cast<HDC>(call.wParam),                    \
                                       CWnd::FromHandle(reinterpret_cast<HWND>(call.lParam)), \
                                       call.message - WM_CTLCOLORMSGBOX));                    \
                  return true)
