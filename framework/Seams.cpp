#include "framework/Seams.h"

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
