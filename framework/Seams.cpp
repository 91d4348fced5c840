#include "framework/Seams.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <mutex>

#include "foundation/ErrorCodes.h"
#include "framework/Wnd.h"

namespace {

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

HWND RealHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data)
{
    // Loaded on first use: most runs never show help.
    static HtmlHelpFunction function = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        if (HMODULE module = LoadLibraryA("hhctrl.ocx")) {
            function = reinterpret_cast<HtmlHelpFunction>(
                reinterpret_cast<void*>(GetProcAddress(module, "HtmlHelpA")));
        }
    });
    return function ? function(caller, file, command, data) : nullptr;
}

// The debugger's output and standard error: where a developer sees it; the program goes on.
void LogFault(const KstFault& fault)
{
    static const char* const kinds[] = {"exception escaped a handler",
                                        "window object deleted while its window exists",
                                        "window object deleted inside its own handler"};
    CKSTString line;
    line.Format("KST fault: %s (window %p, message 0x%04X, error %d): %s\n",
                kinds[static_cast<int>(fault.kind)], static_cast<void*>(fault.window),
                fault.message, fault.errorCode, fault.text.c_str());
    OutputDebugStringA(line.c_str());
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

KstUiSeams RealCalls()
{
    KstUiSeams seams;
    seams.messageBox = [](const KstMessageBoxCall& call) {
        return MessageBoxA(call.owner, call.text.c_str(),
                           call.caption.IsEmpty() ? nullptr : call.caption.c_str(), call.type);
    };
    seams.getOpenFileName = [](OPENFILENAMEA& ofn, DWORD& error) {
        const BOOL ok = GetOpenFileNameA(&ofn);
        error = ok ? 0 : CommDlgExtendedError();
        return ok;
    };
    seams.getSaveFileName = [](OPENFILENAMEA& ofn, DWORD& error) {
        const BOOL ok = GetSaveFileNameA(&ofn);
        error = ok ? 0 : CommDlgExtendedError();
        return ok;
    };
    seams.chooseColor = [](CHOOSECOLORA& cc) { return ChooseColorA(&cc); };
    seams.chooseFont = [](CHOOSEFONTA& cf) { return ChooseFontA(&cf); };
    seams.printDialog = [](PRINTDLGA& pd) { return PrintDlgA(&pd); };
    seams.browseForFolder = [](BROWSEINFOA& bi) { return SHBrowseForFolderA(&bi); };
    seams.trackPopupMenu = [](HMENU menu, UINT flags, int x, int y, HWND owner) {
        return TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
    };
    seams.doDragDrop = [](IDataObject* data, IDropSource* source, DWORD allowed, DWORD* effect) {
        return ::DoDragDrop(data, source, allowed, effect);
    };
    seams.reportFault = LogFault;
    seams.getAsyncKeyState = [](int key) { return GetAsyncKeyState(key); };
    seams.getKeyState = [](int key) { return GetKeyState(key); };
    seams.htmlHelp = RealHtmlHelp;
    seams.activeCodePage = [] { return GetACP(); };
    return seams;
}

bool IsClass(HWND window, const char* name)
{
    char className[64] = {};
    GetClassNameA(window, className, sizeof(className));
    return lstrcmpiA(className, name) == 0;
}

struct ControlSearch {
    int id;
    HWND visible;
    HWND any;
};

BOOL CALLBACK SearchControl(HWND window, LPARAM param)
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

}  // namespace

KstUiSeams& KstSeams()
{
    static KstUiSeams seams = RealCalls();
    return seams;
}

void KstResetSeams()
{
    KstSeams() = RealCalls();
}

int KstMessageBox(HWND owner, const char* text, const char* caption, UINT type, UINT textId)
{
    return KstSeams().messageBox({owner, text, caption, type, textId});
}

BOOL KstTrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner)
{
    return KstSeams().trackPopupMenu(menu, flags, x, y, owner);
}

HRESULT KstDoDragDrop(IDataObject* data, IDropSource* source, DWORD allowed, DWORD* effect)
{
    return KstSeams().doDragDrop(data, source, allowed, effect);
}

BOOL KstGetOpenFileName(OPENFILENAMEA& ofn, DWORD* error)
{
    DWORD code = 0;
    const BOOL ok = KstSeams().getOpenFileName(ofn, code);
    if (error) {
        *error = code;
    }
    return ok;
}

BOOL KstGetSaveFileName(OPENFILENAMEA& ofn, DWORD* error)
{
    DWORD code = 0;
    const BOOL ok = KstSeams().getSaveFileName(ofn, code);
    if (error) {
        *error = code;
    }
    return ok;
}

SHORT KstGetAsyncKeyState(int virtualKey)
{
    return KstSeams().getAsyncKeyState(virtualKey);
}

SHORT KstGetKeyState(int virtualKey)
{
    return KstSeams().getKeyState(virtualKey);
}

bool KstIsKeyDown(int virtualKey)
{
    return (KstGetKeyState(virtualKey) & 0x8000) != 0;
}

HWND KstHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data)
{
    return KstSeams().htmlHelp(caller, file, command, data);
}

// ---- Faults -----------------------------------------------------------------------------------

void KstReportFault(const KstFault& fault) noexcept
{
    try {
        const auto& report = KstSeams().reportFault;
        if (report) {
            report(fault);
        } else {
            LogFault(fault);
        }
    } catch (...) {
        // A report that fails has nowhere left to go; the caller goes on regardless.
    }
}

void KstReportEscapedException(const char* where, HWND window, UINT message) noexcept
{
    KstFault fault{KstFaultKind::EscapedException, window, message, 0, {}};
    try {
        try {
            throw;
        } catch (int code) {
            fault.errorCode = code;
            fault.text.Format("%s: error %d thrown", where, code);
        } catch (KstError code) {
            fault.errorCode = code;
            fault.text.Format("%s: error %d thrown", where, static_cast<int>(code));
        } catch (const std::exception& error) {
            fault.text.Format("%s: %s", where, error.what());
        } catch (...) {
            fault.text.Format("%s: unknown exception", where);
        }
    } catch (...) {
        // Formatting the text failed (memory); the report goes out with what it has.
    }
    KstReportFault(fault);
}

// ---- Dialog scripts ---------------------------------------------------------------------------

HWND CKSTDialogScript::FindControl(HWND dialog, int id)
{
    if (HWND direct = GetDlgItem(dialog, id)) {
        return direct;
    }
    ControlSearch search{id, nullptr, nullptr};
    EnumChildWindows(dialog, SearchControl, reinterpret_cast<LPARAM>(&search));
    return search.visible ? search.visible : search.any;
}

CKSTDialogScript& CKSTDialogScript::SetText(int id, const char* text)
{
    CKSTString copy(text);
    m_actions.push_back([id, copy](CWnd& dialog) {
        if (HWND control = FindControl(dialog.m_hWnd, id)) {
            SetWindowTextA(control, copy.c_str());
        }
    });
    return *this;
}

CKSTDialogScript& CKSTDialogScript::Select(int id, int index)
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

CKSTDialogScript& CKSTDialogScript::Click(int id)
{
    m_actions.push_back([id](CWnd& dialog) {
        if (HWND control = FindControl(dialog.m_hWnd, id)) {
            SendMessageA(control, BM_CLICK, 0, 0);
        }
    });
    return *this;
}

CKSTDialogScript& CKSTDialogScript::Command(int id, UINT notifyCode)
{
    m_actions.push_back([id, notifyCode](CWnd& dialog) {
        if (HWND control = FindControl(dialog.m_hWnd, id)) {
            SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(id, notifyCode),
                         reinterpret_cast<LPARAM>(control));
        }
    });
    return *this;
}

CKSTDialogScript& CKSTDialogScript::Notify(int id, UINT notifyCode)
{
    m_actions.push_back([id, notifyCode](CWnd& dialog) {
        if (HWND control = FindControl(dialog.m_hWnd, id)) {
            NMHDR header{control, static_cast<UINT_PTR>(id), notifyCode};
            SendMessageA(GetParent(control), WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header));
        }
    });
    return *this;
}

CKSTDialogScript& CKSTDialogScript::Run(std::function<void(CWnd& dialog)> action)
{
    m_actions.push_back(std::move(action));
    return *this;
}

int CKSTDialogScript::operator()(KstModalRun& run) const
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

// ---- Scripted message boxes ---------------------------------------------------------------------

CKSTMessageBoxScript::CKSTMessageBoxScript(std::vector<int> answers, int otherwise)
    : m_answers(std::move(answers)), m_otherwise(otherwise), m_previous(KstSeams().messageBox)
{
    KstSeams().messageBox = [this](const KstMessageBoxCall& call) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_shown.push_back(call);
        return m_next < m_answers.size() ? m_answers[m_next++] : m_otherwise;
    };
}

CKSTMessageBoxScript::~CKSTMessageBoxScript()
{
    KstSeams().messageBox = m_previous;
}

std::vector<KstMessageBoxCall> CKSTMessageBoxScript::Shown() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_shown;
}

std::vector<UINT> CKSTMessageBoxScript::ShownIds() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<UINT> ids;
    for (const auto& call : m_shown) {
        ids.push_back(call.textId);
    }
    return ids;
}
