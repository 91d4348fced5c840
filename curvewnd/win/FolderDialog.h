#pragma once
// The folder chooser of the archive dialogs: the system's folder browser (through the
// framework's seam), opened at a given folder, that also lists files so the user sees what a
// folder holds; choosing a file chooses its folder.
#include <windows.h>

#include "foundation/String.h"

class CWnd;

class CKSTFolderDialog {
public:
    explicit CKSTFolderDialog(CWnd* owner = nullptr) : m_owner(owner) {}

    // Runs the browser owned by the owner's window, with the title, starting at the initial
    // folder (none when empty). True with the chosen folder; false with an empty text on
    // Cancel or for a choice that is no file-system path.
    bool Browse(CKSTString& folder, const CKSTString& title, const CKSTString& initialFolder);

private:
    static int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM param, LPARAM data);

    CWnd* m_owner;
    CKSTString m_initialFolder;
};
