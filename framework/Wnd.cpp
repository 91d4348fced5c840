#include "framework/Wnd.h"

#include <commctrl.h>

#include <functional>
#include <memory>
#include <mutex>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "framework/OleDragDrop.h"
#include "framework/Seams.h"
#include "framework/WndCreation.h"

namespace {

// Thread-local state holds trivially destructible values only, never an object with a
// destructor: this toolchain emulates thread-local storage, and at thread exit that storage
// can be released before the thread-local destructors run, which then work on freed memory.
// Per-thread objects live in process-wide tables instead, dropped by a fiber-local callback.
thread_local CWnd* t_pendingWindow = nullptr;
thread_local const char* t_pendingClass = nullptr;  // the class the pending window must have
thread_local HHOOK t_creationHook = nullptr;
static_assert(std::is_trivially_destructible_v<decltype(t_pendingWindow)> &&
              std::is_trivially_destructible_v<decltype(t_pendingClass)> &&
              std::is_trivially_destructible_v<decltype(t_creationHook)>);

struct WrapperKey {
    DWORD thread;
    HWND window;
    bool operator==(const WrapperKey& other) const
    {
        return thread == other.thread && window == other.window;
    }
};

struct WrapperKeyHash {
    size_t operator()(const WrapperKey& key) const
    {
        return std::hash<const void*>()(key.window) ^ (static_cast<size_t>(key.thread) << 1);
    }
};

struct HandleMaps {
    std::mutex mutex;
    // Permanent objects of all threads: a popup-menu thread sends to windows of the UI thread.
    std::unordered_map<HWND, CWnd*> permanent;
    // Plain wrappers for handles without an object, each owned by the thread that asked for it.
    std::unordered_map<WrapperKey, std::unique_ptr<CWnd>, WrapperKeyHash> temporary;
};

// Never destroyed: threads may still end (and drop their wrappers) while the process exits.
HandleMaps& Maps()
{
    static HandleMaps* maps = new HandleMaps;
    return *maps;
}

// Deletes wrappers outside the lock, unbound first so that ~CWnd leaves the maps alone.
void DeleteWrappers(std::vector<std::unique_ptr<CWnd>>& wrappers)
{
    for (auto& wrapper : wrappers) {
        wrapper->m_hWnd = nullptr;
    }
    wrappers.clear();
}

// Fiber-local callback, run when a thread that made wrappers ends; the value is its id.
void WINAPI DropThreadWrappers(void* value)
{
    const auto thread = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(value));
    std::vector<std::unique_ptr<CWnd>> dropped;
    {
        HandleMaps& maps = Maps();
        std::lock_guard<std::mutex> lock(maps.mutex);
        for (auto it = maps.temporary.begin(); it != maps.temporary.end();) {
            if (it->first.thread == thread) {
                dropped.push_back(std::move(it->second));
                it = maps.temporary.erase(it);
            } else {
                ++it;
            }
        }
    }
    DeleteWrappers(dropped);
}

DWORD WrapperSlot()
{
    static const DWORD slot = FlsAlloc(&DropThreadWrappers);
    return slot;
}

HINSTANCE g_resourceHandle = nullptr;

bool HasClass(HWND window, const char* className)
{
    if (!className) {
        return false;
    }
    if (IS_INTRESOURCE(className)) {
        return GetClassWord(window, GCW_ATOM) ==
               static_cast<WORD>(reinterpret_cast<UINT_PTR>(className));
    }
    char actual[257] = {};
    return GetClassNameA(window, actual, sizeof(actual)) > 0 && lstrcmpiA(actual, className) == 0;
}

LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam)
{
    // Another window made first on this thread (by a hook, an input method) is left alone.
    HWND created = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND && t_pendingWindow && HasClass(created, t_pendingClass)) {
        CWnd* window = t_pendingWindow;
        t_pendingWindow = nullptr;
        t_pendingClass = nullptr;
        window->SubclassWindow(created);
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

KstCreationScope::KstCreationScope(CWnd* window, const char* className)
    : m_outerPending(t_pendingWindow), m_outerClass(t_pendingClass)
{
    EnsureCommonControls();
    t_pendingWindow = window;
    t_pendingClass = className;
    if (!t_creationHook) {
        t_creationHook = SetWindowsHookExA(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
        m_installedHook = t_creationHook != nullptr;
    }
}

KstCreationScope::~KstCreationScope()
{
    t_pendingWindow = m_outerPending;
    t_pendingClass = m_outerClass;
    if (m_installedHook) {
        UnhookWindowsHookEx(t_creationHook);
        t_creationHook = nullptr;
    }
}

INT_PTR CALLBACK KstDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    // The dialog's window procedure is KstWndProc, which handles everything; nothing runs here
    // that could throw.
    return FALSE;
}

LRESULT CALLBACK KstWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        CWnd* object = CWnd::FromHandlePermanent(window);
        if (!object) {
            return DefWindowProcA(window, message, wParam, lParam);
        }
        return object->RouteMessage(message, wParam, lParam);
    } catch (...) {
        KstReportEscapedException("window procedure", window, message);
        return 0;
    }
}

// One message (or reflected notification) of an object on the stack. When the outermost one
// ends after the window was destroyed, PostNcDestroy runs, which may delete the object.
class KstDispatchScope {
public:
    KstDispatchScope(CWnd& window, const KstMsgCall* message)
        : m_window(window), m_outer(window.m_currentMsg)
    {
        if (message) {
            window.m_currentMsg = message;
        }
        ++window.m_dispatchDepth;
    }
    ~KstDispatchScope()
    {
        m_window.m_currentMsg = m_outer;
        if (--m_window.m_dispatchDepth > 0 || !m_window.m_postNcDestroyDue) {
            return;
        }
        m_window.m_postNcDestroyDue = false;
        try {
            m_window.PostNcDestroy();  // may delete the object: nothing touches it afterwards
        } catch (...) {
            KstReportEscapedException("PostNcDestroy", nullptr, WM_NCDESTROY);
        }
    }
    KstDispatchScope(const KstDispatchScope&) = delete;
    KstDispatchScope& operator=(const KstDispatchScope&) = delete;

private:
    CWnd& m_window;
    const KstMsgCall* m_outer;
};

CWnd::~CWnd()
{
    if (m_dispatchDepth > 0) {
        KstReportFault({KstFaultKind::DeletedWhileHandling, m_hWnd,
                        m_currentMsg ? m_currentMsg->message : 0, 0,
                        "the object was deleted while it was handling a message"});
    }
    if (m_dropTarget) {
        m_dropTarget->Revoke();
    }
    if (!m_hWnd) {
        return;
    }
    if (!m_superProc) {
        Detach();  // attached only: the window is not this object's
        return;
    }
    // Only the CWnd part is left: the derived OnDestroy and PostNcDestroy cannot run any more.
    // The window goes without its object.
    HWND window = m_hWnd;
    KstReportFault({KstFaultKind::LiveWindowDeleted, window, 0, 0,
                    "DestroyWindow was not called before the object was deleted"});
    UnsubclassWindow();
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
        ::DestroyWindow(window);
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
        KstCreationScope scope(this, className);
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
    HandleMaps& maps = Maps();
    std::lock_guard<std::mutex> lock(maps.mutex);
    if (!maps.permanent.emplace(window, this).second) {
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
        HandleMaps& maps = Maps();
        std::lock_guard<std::mutex> lock(maps.mutex);
        const auto found = maps.permanent.find(window);
        if (found != maps.permanent.end() && found->second == this) {
            maps.permanent.erase(found);
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
    HandleMaps& maps = Maps();
    std::lock_guard<std::mutex> lock(maps.mutex);
    const auto found = maps.permanent.find(window);
    return found == maps.permanent.end() ? nullptr : found->second;
}

CWnd* CWnd::FromHandle(HWND window)
{
    if (!window) {
        return nullptr;
    }
    const DWORD thread = GetCurrentThreadId();
    std::vector<std::unique_ptr<CWnd>> gone;
    CWnd* found = nullptr;
    {
        HandleMaps& maps = Maps();
        std::lock_guard<std::mutex> lock(maps.mutex);
        const auto permanent = maps.permanent.find(window);
        if (permanent != maps.permanent.end()) {
            return permanent->second;
        }
        const auto temporary = maps.temporary.find({thread, window});
        if (temporary != maps.temporary.end()) {
            return temporary->second.get();
        }
        // This thread's wrappers of windows that are gone go when it makes a new one.
        for (auto it = maps.temporary.begin(); it != maps.temporary.end();) {
            if (it->first.thread == thread && !IsWindow(it->first.window)) {
                gone.push_back(std::move(it->second));
                it = maps.temporary.erase(it);
            } else {
                ++it;
            }
        }
        auto wrapper = std::make_unique<CWnd>();
        wrapper->m_hWnd = window;
        found = maps.temporary.emplace(WrapperKey{thread, window}, std::move(wrapper))
                    .first->second.get();
    }
    // The rest go when the thread ends.
    const DWORD slot = WrapperSlot();
    if (slot != FLS_OUT_OF_INDEXES && !FlsGetValue(slot)) {
        FlsSetValue(slot, reinterpret_cast<void*>(static_cast<UINT_PTR>(thread)));
    }
    DeleteWrappers(gone);
    return found;
}

size_t KstTemporaryWrapperCount()
{
    HandleMaps& maps = Maps();
    std::lock_guard<std::mutex> lock(maps.mutex);
    return maps.temporary.size();
}

// ---- Message routing --------------------------------------------------------------------------

namespace {

// The result of a message whose handler threw. A window whose painting failed is validated,
// or WM_PAINT would come back at once, forever; a creation fails.
LRESULT ResultAfterException(HWND window, UINT message)
{
    switch (message) {
        case WM_PAINT:
            ValidateRect(window, nullptr);
            return 0;
        case WM_CREATE:
            return -1;
        default:
            return 0;
    }
}

}  // namespace

LRESULT CWnd::RouteMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The message stays on this stack frame: Default reads it through m_currentMsg.
    const KstMsgCall current{message, wParam, lParam, 0};
    LRESULT result = 0;
    KstDispatchScope scope(*this, &current);
    const HWND window = m_hWnd;
    try {
        result = WindowProc(message, wParam, lParam);
    } catch (...) {
        KstReportEscapedException("window procedure", window, message);
        result = ResultAfterException(window, message);
    }
    if (message == WM_NCDESTROY) {
        if (m_dropTarget) {
            m_dropTarget->Revoke();
        }
        UnsubclassWindow();
        m_postNcDestroyDue = true;  // run by the scope once the outermost message returns
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
    if (!m_currentMsg) {
        return 0;
    }
    return DefWindowProc(m_currentMsg->message, m_currentMsg->wParam, m_currentMsg->lParam);
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
    if (!object || !m_currentMsg) {
        return FALSE;
    }
    const KstMsgCall message = *m_currentMsg;
    LRESULT ignored = 0;
    // A control that deletes itself from its own notification is gone only afterwards.
    KstDispatchScope scope(*object, nullptr);
    return object->OnChildNotify(message.message, message.wParam, message.lParam,
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
