#pragma once
// A scripted modal dialog for the modal-driver seam of framework/Seams.h.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/String.h"
#include "framework/Seams.h"
#include "framework/Wnd.h"

// The text of a dialog's control, and the dialog's caption.
inline std::string DialogItemText(CWnd& dialog, int id)
{
    char text[512] = {};
    GetDlgItemTextA(dialog.m_hWnd, id, text, sizeof text);
    return text;
}

inline std::string DialogCaption(CWnd& dialog)
{
    char text[256] = {};
    GetWindowTextA(dialog.m_hWnd, text, sizeof text);
    return text;
}

// A scripted modal dialog: after OnInitDialog the actions run in order (each followed by the
// messages it caused) until the dialog ends itself; then it ends with the given id. Controls
// are found by id in the dialog, else in its visible descendants (the shown property page).
class CKSTDialogScript {
public:
    explicit CKSTDialogScript(int endId = IDCANCEL) : m_endId(endId) {}

    CKSTDialogScript& SetText(int id, const char* text);
    // Combo box, list box or list control; the parent is notified as for a user's choice.
    CKSTDialogScript& Select(int id, int index);
    CKSTDialogScript& Click(int id);
    CKSTDialogScript& Command(int id, UINT notifyCode);  // WM_COMMAND from the control
    CKSTDialogScript& Notify(int id, UINT notifyCode);   // WM_NOTIFY from the control
    CKSTDialogScript& Run(std::function<void(CWnd& dialog)> action);

    int operator()(KstModalRun& run) const;

    static HWND FindControl(HWND dialog, int id);

private:
    struct ControlSearch {
        int id;
        HWND visible;
        HWND any;
    };
    static bool IsClass(HWND window, const char* name);
    static BOOL CALLBACK SearchControl(HWND window, LPARAM param);

    std::vector<std::function<void(CWnd&)>> m_actions;
    int m_endId;
};

inline bool CKSTDialogScript::IsClass(HWND window, const char* name)
{
    char className[64] = {};
    GetClassNameA(window, className, sizeof(className));
    return lstrcmpiA(className, name) == 0;
}

inline BOOL CALLBACK CKSTDialogScript::SearchControl(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<ControlSearch*>(param);
    if (GetDlgCtrlID(window) != search->id) {
        return TRUE;
    }
    if (!search->any) {
        search->any = window;
    }
    if (IsWindowVisible(window)) {
        search->visible = window;
        return FALSE;
    }
    return TRUE;
}

inline HWND CKSTDialogScript::FindControl(HWND dialog, int id)
{
    if (HWND direct = GetDlgItem(dialog, id)) {
        return direct;
    }
    ControlSearch search{id, nullptr, nullptr};
    EnumChildWindows(dialog, SearchControl, reinterpret_cast<LPARAM>(&search));
    return search.visible ? search.visible : search.any;
}

inline CKSTDialogScript& CKSTDialogScript::SetText(int id, const char* text)
{
    CKSTString copy(text);
    m_actions.push_back([id, copy](CWnd& dialog) {
        if (HWND control = FindControl(dialog.m_hWnd, id)) {
            SetWindowTextA(control, copy.c_str());
        }
    });
    return *this;
}

inline CKSTDialogScript& CKSTDialogScript::Select(int id, int index)
{
    m_actions.push_back([id, index](CWnd& dialog) {
        HWND control = FindControl(dialog.m_hWnd, id);
        if (!control) {
            return;
        }
        HWND parent = GetParent(control);
        if (IsClass(control, WC_COMBOBOXA)) {
            SendMessageA(control, CB_SETCURSEL, index, 0);
            SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(control));
        } else if (IsClass(control, WC_LISTBOXA)) {
            SendMessageA(control, LB_SETCURSEL, index, 0);
            SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(control));
        } else if (IsClass(control, WC_LISTVIEWA)) {
            // The list control notifies its parent itself (LVN_ITEMCHANGED).
            LVITEMA item{};
            item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            item.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageA(control, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
        }
    });
    return *this;
}

inline CKSTDialogScript& CKSTDialogScript::Click(int id)
{
    m_actions.push_back([id](CWnd& dialog) {
        if (HWND control = FindControl(dialog.m_hWnd, id)) {
            SendMessageA(control, BM_CLICK, 0, 0);
        }
    });
    return *this;
}

inline CKSTDialogScript& CKSTDialogScript::Command(int id, UINT notifyCode)
{
    m_actions.push_back([id, notifyCode](CWnd& dialog) {
        if (HWND control = FindControl(dialog.m_hWnd, id)) {
            SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(id, notifyCode),
                         reinterpret_cast<LPARAM>(control));
        }
    });
    return *this;
}

inline CKSTDialogScript& CKSTDialogScript::Notify(int id, UINT notifyCode)
{
    m_actions.push_back([id, notifyCode](CWnd& dialog) {
        if (HWND control = FindControl(dialog.m_hWnd, id)) {
            NMHDR header{control, static_cast<UINT_PTR>(id), notifyCode};
            SendMessageA(GetParent(control), WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header));
        }
    });
    return *this;
}

inline CKSTDialogScript& CKSTDialogScript::Run(std::function<void(CWnd& dialog)> action)
{
    m_actions.push_back(std::move(action));
    return *this;
}

inline int CKSTDialogScript::operator()(KstModalRun& run) const
{
    KstPumpPendingMessages();
    for (const auto& action : m_actions) {
        if (run.ended()) {
            break;
        }
        action(*run.window);
        KstPumpPendingMessages();
    }
    return m_endId;
}
