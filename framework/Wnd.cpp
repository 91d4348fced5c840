#include "framework/Wnd.h"

#include <commctrl.h>

#include <memory>
#include <mutex>
#include <unordered_map>

#include "framework/OleDragDrop.h"
#include "framework/Seams.h"
#include "framework/WndCreation.h"

namespace {

// Permanent objects of all threads: a popup-menu thread sends to windows of the UI thread.
std::mutex g_mapMutex;
std::unordered_map<HWND, CWnd*> g_permanent;

// Plain wrappers for handles without an object, per thread; entries of windows that are gone
// are dropped whenever a new one is made.
thread_local std::unordered_map<HWND, std::unique_ptr<CWnd>> t_temporary;

thread_local CWnd* t_pendingWindow = nullptr;
thread_local HHOOK t_creationHook = nullptr;

HINSTANCE g_resourceHandle = nullptr;

LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_pendingWindow) {
        CWnd* window = t_pendingWindow;
        t_pendingWindow = nullptr;
        window->SubclassWindow(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void EnsureCommonControls()
{
    static std::once_flag once;
    std::call_once(once, [] {
        INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_TAB_CLASSES};
        InitCommonControlsEx(&init);
    });
}

const KstMsgMapEntry* FindEntry(const KstMsgMap* map, UINT key, UINT code, UINT id)
{
    for (; map; map = map->base ? map->base() : nullptr) {
        for (const KstMsgMapEntry* entry = map->entries; entry->handler; ++entry) {
            if (entry->message == key && entry->code == code && id >= entry->firstId &&
                id <= entry->lastId) {
                return entry;
            }
        }
    }
    return nullptr;
}

UINT MapKey(UINT message)
{
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC ? KST_WM_CTLCOLOR : message;
}

// The control that sent an owner-draw or colour message, or null.
HWND ReflectionTarget(UINT message, LPARAM lParam)
{
    if (message == WM_DRAWITEM) {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        return draw->CtlType == ODT_MENU ? nullptr : draw->hwndItem;
    }
    if (MapKey(message) == KST_WM_CTLCOLOR) {
        return reinterpret_cast<HWND>(lParam);
    }
    return nullptr;
}

}  // namespace

// ---- Creation and binding ---------------------------------------------------------------------

KstCreationScope::KstCreationScope(CWnd* window) : m_outerPending(t_pendingWindow)
{
    EnsureCommonControls();
    t_pendingWindow = window;
    if (!t_creationHook) {
        t_creationHook = SetWindowsHookExA(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
        m_installedHook = t_creationHook != nullptr;
    }
}

KstCreationScope::~KstCreationScope()
{
    t_pendingWindow = m_outerPending;
    if (m_installedHook) {
        UnhookWindowsHookEx(t_creationHook);
        t_creationHook = nullptr;
    }
}

INT_PTR CALLBACK KstDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

LRESULT CALLBACK KstWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* object = CWnd::FromHandlePermanent(window);
    if (!object) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return object->RouteMessage(message, wParam, lParam);
}

CWnd::~CWnd()
{
    if (!m_hWnd) {
        return;
    }
    // A subclassed window belongs to its object; destroying it detaches the object.
    if (m_superProc && GetWindowThreadProcessId(m_hWnd, nullptr) == GetCurrentThreadId()) {
        ::DestroyWindow(m_hWnd);
    }
    if (m_hWnd) {
        if (m_superProc) {
            UnsubclassWindow();
        } else {
            Detach();
        }
    }
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU idOrMenu)
{
    if (m_hWnd) {
        return FALSE;
    }
    HWND window = nullptr;
    {
        KstCreationScope scope(this);
        window = CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, parent,
                                 idOrMenu, GetModuleHandleA(nullptr), nullptr);
    }
    return window != nullptr && m_hWnd == window;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    const RECT& rect, CWnd* parent, UINT id)
{
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top,
                    parent ? parent->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

BOOL CWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id)
{
    return CreateEx(0, className, windowName, style, rect, parent, id);
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

BOOL CWnd::Attach(HWND window)
{
    if (!window || m_hWnd) {
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(g_mapMutex);
    if (!g_permanent.emplace(window, this).second) {
        return FALSE;
    }
    m_hWnd = window;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND window = m_hWnd;
    if (window) {
        // Temporary wrappers hold handles without being mapped; they must not unmap the
        // object of a window that reuses their handle.
        std::lock_guard<std::mutex> lock(g_mapMutex);
        const auto found = g_permanent.find(window);
        if (found != g_permanent.end() && found->second == this) {
            g_permanent.erase(found);
        }
    }
    m_hWnd = nullptr;
    return window;
}

BOOL CWnd::SubclassWindow(HWND window)
{
    if (!Attach(window)) {
        return FALSE;
    }
    m_superProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&KstWndProc)));
    if (!m_superProc) {
        Detach();
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    return parent && SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow()
{
    if (m_hWnd && m_superProc) {
        SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
    }
    m_superProc = nullptr;
    return Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND window)
{
    std::lock_guard<std::mutex> lock(g_mapMutex);
    const auto found = g_permanent.find(window);
    return found == g_permanent.end() ? nullptr : found->second;
}

CWnd* CWnd::FromHandle(HWND window)
{
    if (!window) {
        return nullptr;
    }
    if (CWnd* permanent = FromHandlePermanent(window)) {
        return permanent;
    }
    auto found = t_temporary.find(window);
    if (found != t_temporary.end()) {
        return found->second.get();
    }
    for (auto it = t_temporary.begin(); it != t_temporary.end();) {
        it = IsWindow(it->first) ? std::next(it) : t_temporary.erase(it);
    }
    auto wrapper = std::make_unique<CWnd>();
    wrapper->m_hWnd = window;
    return t_temporary.emplace(window, std::move(wrapper)).first->second.get();
}

// ---- Message routing --------------------------------------------------------------------------

LRESULT CWnd::RouteMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const KstMsgCall outer = m_current;
    m_current = {message, wParam, lParam, 0};
    const LRESULT result = WindowProc(message, wParam, lParam);
    m_current = outer;
    if (message == WM_NCDESTROY) {
        if (m_dropTarget) {
            m_dropTarget->Revoke();
        }
        UnsubclassWindow();
        PostNcDestroy();  // may delete this
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) {
        result = DefWindowProc(message, wParam, lParam);
    }
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_COMMAND) {
        *result = 0;
        return OnCommand(wParam, lParam);
    }
    if (message == WM_NOTIFY) {
        return OnNotify(wParam, lParam, result);
    }
    KstMsgCall call{message, wParam, lParam, 0};
    if (DispatchToMap(MapKey(message), 0, 0, call)) {
        *result = call.result;
        return TRUE;
    }
    // Owner drawing and colours that the parent leaves alone belong to the control.
    HWND control = ReflectionTarget(message, lParam);
    return control && ReflectLastMsg(control, result);
}

BOOL CWnd::DispatchToMap(UINT key, UINT code, UINT id, KstMsgCall& call)
{
    const KstMsgMapEntry* entry = FindEntry(GetMessageMap(), key, code, id);
    return entry && entry->handler(this, call);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_superProc) {
        return CallWindowProcA(m_superProc, m_hWnd, message, wParam, lParam);
    }
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    HWND control = reinterpret_cast<HWND>(lParam);
    UINT code = HIWORD(wParam);
    if (control) {
        if (ReflectLastMsg(control)) {
            return TRUE;
        }
    } else if (code == 1) {
        code = 0;  // accelerators run the handlers of their menu commands
    }
    KstMsgCall call{WM_COMMAND, wParam, lParam, 0};
    return DispatchToMap(WM_COMMAND, code, LOWORD(wParam), call);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (ReflectLastMsg(header->hwndFrom, result)) {
        return TRUE;
    }
    KstMsgCall call{WM_NOTIFY, wParam, lParam, 0};
    if (!DispatchToMap(WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom), call)) {
        return FALSE;
    }
    *result = call.result;
    return TRUE;
}

BOOL CWnd::ReflectLastMsg(HWND child, LRESULT* result)
{
    // Only direct children: a property page also gets notifications from its sheet.
    if (!child || ::GetParent(child) != m_hWnd) {
        return FALSE;
    }
    CWnd* object = FromHandlePermanent(child);
    LRESULT ignored = 0;
    return object && object->OnChildNotify(m_current.message, m_current.wParam, m_current.lParam,
                                           result ? result : &ignored);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    UINT code = 0;
    if (message == WM_COMMAND) {
        code = HIWORD(wParam);
    } else if (message == WM_NOTIFY) {
        code = reinterpret_cast<const NMHDR*>(lParam)->code;
    }
    KstMsgCall call{message, wParam, lParam, 0};
    if (!DispatchToMap(KST_REFLECT | MapKey(message), code, 0, call)) {
        return FALSE;
    }
    *result = call.result;
    return TRUE;
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWnd::WalkPreTranslateTree(MSG* msg)
{
    for (HWND window = msg->hwnd; window; window = ::GetParent(window)) {
        CWnd* object = FromHandlePermanent(window);
        if (object && object->PreTranslateMessage(msg)) {
            return TRUE;
        }
        if (!(GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) {
            break;
        }
    }
    return FALSE;
}

// ---- Typed handler defaults ---------------------------------------------------------------------

int CWnd::OnCreate(LPCREATESTRUCT)
{
    return static_cast<int>(Default());
}
void CWnd::OnDestroy()
{
    Default();
}
void CWnd::OnClose()
{
    Default();
}
void CWnd::OnPaint()
{
    Default();
}
BOOL CWnd::OnEraseBkgnd(HDC)
{
    return static_cast<BOOL>(Default());
}
void CWnd::OnSize(UINT, int, int)
{
    Default();
}
void CWnd::OnTimer(UINT_PTR)
{
    Default();
}
void CWnd::OnLButtonDown(UINT, CPoint)
{
    Default();
}
void CWnd::OnLButtonUp(UINT, CPoint)
{
    Default();
}
void CWnd::OnLButtonDblClk(UINT, CPoint)
{
    Default();
}
void CWnd::OnRButtonDown(UINT, CPoint)
{
    Default();
}
void CWnd::OnRButtonUp(UINT, CPoint)
{
    Default();
}
void CWnd::OnMouseMove(UINT, CPoint)
{
    Default();
}
BOOL CWnd::OnMouseWheel(UINT, short, CPoint)
{
    return static_cast<BOOL>(Default());
}
void CWnd::OnKeyDown(UINT, UINT, UINT)
{
    Default();
}
void CWnd::OnKeyUp(UINT, UINT, UINT)
{
    Default();
}
void CWnd::OnHScroll(UINT, UINT, HWND)
{
    Default();
}
void CWnd::OnVScroll(UINT, UINT, HWND)
{
    Default();
}
void CWnd::OnSetFocus(CWnd*)
{
    Default();
}
void CWnd::OnKillFocus(CWnd*)
{
    Default();
}
void CWnd::OnGetMinMaxInfo(MINMAXINFO*)
{
    Default();
}

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT draw)
{
    if (draw->CtlType == ODT_MENU || !ReflectLastMsg(draw->hwndItem)) {
        Default();
    }
}

HBRUSH CWnd::OnCtlColor(HDC, CWnd* control, UINT)
{
    LRESULT brush = 0;
    if (control && ReflectLastMsg(control->m_hWnd, &brush)) {
        return reinterpret_cast<HBRUSH>(brush);
    }
    return reinterpret_cast<HBRUSH>(Default());
}

// ---- Thin wrappers ------------------------------------------------------------------------------

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) const
{
    return KstMessageBox(m_hWnd, text, caption, type);
}

CKSTString CWnd::GetWindowText() const
{
    const int length = GetWindowTextLengthA(m_hWnd);
    CKSTString text;
    if (length > 0) {
        text.SetLength(length);
        text.SetLength(::GetWindowTextA(m_hWnd, text.GetBuffer(), length + 1));
    }
    return text;
}

void CWnd::SetWindowText(const char* text)
{
    ::SetWindowTextA(m_hWnd, text);
}

CWnd* CWnd::GetDlgItem(int id) const
{
    return FromHandle(::GetDlgItem(m_hWnd, id));
}

int CWnd::GetDlgCtrlID() const
{
    return ::GetDlgCtrlID(m_hWnd);
}

CKSTString CWnd::GetDlgItemText(int id) const
{
    HWND control = ::GetDlgItem(m_hWnd, id);
    return control ? FromHandle(control)->GetWindowText() : CKSTString();
}

void CWnd::SetDlgItemText(int id, const char* text)
{
    ::SetDlgItemTextA(m_hWnd, id, text);
}

UINT CWnd::IsDlgButtonChecked(int id) const
{
    return ::IsDlgButtonChecked(m_hWnd, id);
}

void CWnd::CheckDlgButton(int id, UINT check)
{
    ::CheckDlgButton(m_hWnd, id, check);
}

CWnd* CWnd::GetParent() const
{
    return FromHandle(::GetParent(m_hWnd));
}

DWORD CWnd::GetStyle() const
{
    return static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_STYLE));
}

DWORD CWnd::GetExStyle() const
{
    return static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_EXSTYLE));
}

namespace {

BOOL ModifyLong(HWND window, int index, DWORD remove, DWORD add, UINT swpFlags)
{
    const DWORD old = static_cast<DWORD>(GetWindowLongA(window, index));
    const DWORD changed = (old & ~remove) | add;
    if (changed == old) {
        return FALSE;
    }
    SetWindowLongA(window, index, static_cast<LONG>(changed));
    if (swpFlags) {
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    }
    return TRUE;
}

}  // namespace

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags)
{
    return ModifyLong(m_hWnd, GWL_STYLE, remove, add, swpFlags);
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags)
{
    return ModifyLong(m_hWnd, GWL_EXSTYLE, remove, add, swpFlags);
}

BOOL CWnd::ShowWindow(int command)
{
    return ::ShowWindow(m_hWnd, command);
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    return ::EnableWindow(m_hWnd, enable);
}

BOOL CWnd::IsWindowVisible() const
{
    return ::IsWindowVisible(m_hWnd);
}

BOOL CWnd::IsWindowEnabled() const
{
    return ::IsWindowEnabled(m_hWnd);
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint)
{
    ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

BOOL CWnd::SetWindowPos(HWND insertAfter, int x, int y, int width, int height, UINT flags)
{
    return ::SetWindowPos(m_hWnd, insertAfter, x, y, width, height, flags);
}

void CWnd::GetClientRect(RECT* rect) const
{
    ::GetClientRect(m_hWnd, rect);
}

void CWnd::GetWindowRect(RECT* rect) const
{
    ::GetWindowRect(m_hWnd, rect);
}

void CWnd::ClientToScreen(POINT* point) const
{
    ::ClientToScreen(m_hWnd, point);
}

void CWnd::ClientToScreen(RECT* rect) const
{
    MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(rect), 2);
}

void CWnd::ScreenToClient(POINT* point) const
{
    ::ScreenToClient(m_hWnd, point);
}

void CWnd::ScreenToClient(RECT* rect) const
{
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(rect), 2);
}

void CWnd::SetFont(HFONT font, BOOL redraw)
{
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
}

HFONT CWnd::GetFont() const
{
    return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
}

void CWnd::Invalidate(BOOL erase)
{
    ::InvalidateRect(m_hWnd, nullptr, erase);
}

void CWnd::InvalidateRect(const RECT* rect, BOOL erase)
{
    ::InvalidateRect(m_hWnd, rect, erase);
}

void CWnd::UpdateWindow()
{
    ::UpdateWindow(m_hWnd);
}

BOOL CWnd::RedrawWindow(const RECT* rect, HRGN region, UINT flags)
{
    return ::RedrawWindow(m_hWnd, rect, region, flags);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs)
{
    return ::SetTimer(m_hWnd, id, elapseMs, nullptr);
}

BOOL CWnd::KillTimer(UINT_PTR id)
{
    return ::KillTimer(m_hWnd, id);
}

CWnd* CWnd::SetCapture()
{
    return FromHandle(::SetCapture(m_hWnd));
}

BOOL CWnd::ReleaseCapture()
{
    return ::ReleaseCapture();
}

CWnd* CWnd::GetCapture()
{
    return FromHandle(::GetCapture());
}

CWnd* CWnd::SetFocus()
{
    return FromHandle(::SetFocus(m_hWnd));
}

CWnd* CWnd::GetFocus()
{
    return FromHandle(::GetFocus());
}

const KstMsgMap* CWnd::GetThisMessageMap()
{
    static const KstMsgMapEntry entries[] = {{0, 0, 0, 0, nullptr}};
    static const KstMsgMap map = {nullptr, entries};
    return &map;
}

const KstMsgMap* CWnd::GetMessageMap() const
{
    return GetThisMessageMap();
}

// ---- Classes, resources, message pumping -----------------------------------------------------

bool KstRegisterClass(const char* className, UINT classStyle, HCURSOR cursor, HBRUSH background,
                      HICON icon)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = classStyle;
    // Windows of these classes get KstWndProc through the creation hook; the class keeps the
    // default procedure as their original one.
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = className;
    return RegisterClassExA(&wc) != 0;
}

CKSTString KstRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    CKSTString name;
    name.Format("KstWnd:%x:%p:%p:%p", classStyle, static_cast<void*>(cursor),
                static_cast<void*>(background), static_cast<void*>(icon));
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExA(GetModuleHandleA(nullptr), name.c_str(), &existing)) {
        KstRegisterClass(name.c_str(), classStyle, cursor, background, icon);
    }
    return name;
}

HINSTANCE KstResourceHandle()
{
    return g_resourceHandle ? g_resourceHandle : GetModuleHandleA(nullptr);
}

void KstSetResourceHandle(HINSTANCE module)
{
    g_resourceHandle = module;
}

bool KstPumpPendingMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (!CWnd::WalkPreTranslateTree(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}
