#pragma once
// Seams for everything that would wait for a user: message boxes, modal dialogs, the common
// dialogs, popup-menu tracking and drag and drop. Each is a replaceable function whose default
// is the real call; tests put scripted ones in place so nothing blocks in a modal loop. Also
// the platform state that tests must set (key state, code page), HTML Help, and the report of
// faults that the framework catches instead of crashing.
#include <windows.h>

#include <commdlg.h>
#include <ole2.h>
#include <shlobj.h>

#include <functional>

#include "foundation/String.h"

class CWnd;

struct KstMessageBoxCall {
    HWND owner;
    CKSTString text;
    CKSTString caption;
    UINT type;
    UINT textId;  // string id of the text, 0 when the caller passed a plain text
};

// A modal dialog or property sheet whose window exists and is initialised.
struct KstModalRun {
    CWnd* window;
    UINT templateId;              // dialog resource, 0 for a property sheet
    std::function<bool()> ended;  // the dialog has ended itself (OK, Cancel, EndDialog)
};

// Drives a modal run instead of the message loop; returns the id to end with when the run has
// not ended by itself. It is called for every modal run, nested ones too: a driver for several
// dialogs tells them apart by templateId.
using KstModalDriver = std::function<int(KstModalRun& run)>;

enum class KstFaultKind {
    EscapedException,      // caught at a window procedure, dialog procedure or thread main
    LiveWindowDeleted,     // a window object was deleted while its window still existed
    DeletedWhileHandling,  // a window object was deleted inside one of its own handlers
};

struct KstFault {
    KstFaultKind kind;
    HWND window;      // null when not known
    UINT message;     // the message being handled, 0 when none
    int errorCode;    // the integer thrown (KST_ERR_... such as KST_ERR_INDEX), else 0
    CKSTString text;  // what happened, for a log
};

struct KstUiSeams {
    std::function<int(const KstMessageBoxCall&)> messageBox;
    KstModalDriver modalDriver;  // empty: the real modal loop
    // `error` receives CommDlgExtendedError when the call fails (0 for Cancel).
    std::function<BOOL(OPENFILENAMEA&, DWORD& error)> getOpenFileName;
    std::function<BOOL(OPENFILENAMEA&, DWORD& error)> getSaveFileName;
    std::function<BOOL(CHOOSECOLORA&)> chooseColor;
    std::function<BOOL(CHOOSEFONTA&)> chooseFont;
    std::function<BOOL(PRINTDLGA&)> printDialog;
    std::function<PIDLIST_ABSOLUTE(BROWSEINFOA&)> browseForFolder;
    // TrackPopupMenu's result: the chosen command with TPM_RETURNCMD, else success.
    std::function<BOOL(HMENU, UINT flags, int x, int y, HWND owner)> trackPopupMenu;
    std::function<HRESULT(IDataObject*, IDropSource*, DWORD allowed, DWORD* effect)> doDragDrop;
    // Called from any thread, also while a window procedure runs: must not throw.
    std::function<void(const KstFault&)> reportFault;
    // GetAsyncKeyState and GetKeyState: Shift, Ctrl and the mouse buttons seen by handlers.
    std::function<SHORT(int virtualKey)> getAsyncKeyState;
    std::function<SHORT(int virtualKey)> getKeyState;
    // HtmlHelpA (hhctrl.ocx, loaded when first used): the help window, null on failure.
    std::function<HWND(HWND caller, const char* file, UINT command, DWORD_PTR data)> htmlHelp;
    std::function<UINT()> activeCodePage;  // GetACP
};

// The installed functions; change members to replace a seam.
KstUiSeams& KstSeams();
// Puts every real call back.
void KstResetSeams();

int KstMessageBox(HWND owner, const char* text, const char* caption, UINT type, UINT textId = 0);
BOOL KstTrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner);
HRESULT KstDoDragDrop(IDataObject* data, IDropSource* source, DWORD allowed, DWORD* effect);
BOOL KstGetOpenFileName(OPENFILENAMEA& ofn, DWORD* error = nullptr);
BOOL KstGetSaveFileName(OPENFILENAMEA& ofn, DWORD* error = nullptr);
SHORT KstGetAsyncKeyState(int virtualKey);
SHORT KstGetKeyState(int virtualKey);
// True while the key (VK_SHIFT, VK_CONTROL, VK_LBUTTON...) is down, as GetKeyState tells.
bool KstIsKeyDown(int virtualKey);
HWND KstHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data);

void KstReportFault(const KstFault& fault) noexcept;
// From inside a catch block: reports the exception being handled, escaped from a handler of
// `message` at `where`.
void KstReportEscapedException(const char* where, HWND window, UINT message) noexcept;
