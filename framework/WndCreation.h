#pragma once
// Binding a window object to a window that is being created (used by CWnd, CDialog and
// CPropertySheet). While a scope is alive, the first window of `className` that the calling
// thread creates is subclassed for `window` from inside its creation (a CBT hook), before
// WM_NCCREATE. `className` is a name or an atom (MAKEINTATOM) and must outlive the scope.
#include <windows.h>

#include <cstddef>

class CWnd;

class KstCreationScope {
public:
    KstCreationScope(CWnd* window, const char* className);
    ~KstCreationScope();
    KstCreationScope(const KstCreationScope&) = delete;
    KstCreationScope& operator=(const KstCreationScope&) = delete;

private:
    CWnd* m_outerPending;
    const char* m_outerClass;
    bool m_installedHook = false;
};

// Dialog procedure of dialogs whose window is bound to an object: everything is handled
// through the object's map before the dialog manager sees it.
INT_PTR CALLBACK KstDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The window procedure of every subclassed window: routes to the bound object's map.
LRESULT CALLBACK KstWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Wrappers that CWnd::FromHandle made and still holds, of all threads (a thread's go when it
// ends).
size_t KstTemporaryWrapperCount();
