#include "curvewnd/win/FolderDialog.h"

#include <shlobj.h>

#include "foundation/DirScanner.h"
#include "framework/CommonDialogs.h"
#include "framework/Wnd.h"

bool CKSTFolderDialog::Browse(CKSTString& folder, const CKSTString& title,
                              const CKSTString& initialFolder)
{
    m_initialFolder = initialFolder;
    char displayName[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = m_owner ? m_owner->m_hWnd : nullptr;
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName;
    info.lpszTitle = title.c_str();
    info.ulFlags =
        BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_NEWDIALOGSTYLE | BIF_BROWSEINCLUDEFILES;
    info.lpfn = &CKSTFolderDialog::BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(this);
    if (!KstBrowseForFolder(info, folder)) {
        folder.Empty();
        return false;
    }
    if (!FolderExists(folder)) {
        folder = folder.Directory();
    }
    return true;
}

int CALLBACK CKSTFolderDialog::BrowseCallback(HWND browser, UINT message, LPARAM param, LPARAM data)
{
    const auto* self = reinterpret_cast<const CKSTFolderDialog*>(data);
    if (message == BFFM_INITIALIZED) {
        CKSTString start;
        if (self) {
            start = self->m_initialFolder;
        } else {
            char current[MAX_PATH] = {};
            const DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
            if (length > 0 && length < MAX_PATH) {
                start = current;
            }
        }
        if (!start.IsEmpty()) {
            SendMessageA(browser, BFFM_SETSELECTIONA, TRUE,
                         reinterpret_cast<LPARAM>(start.c_str()));
        }
    } else if (message == BFFM_SELCHANGED) {
        char path[MAX_PATH] = {};
        if (!SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(param), path)) {
            path[0] = '\0';
        }
        SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
    }
    return 0;
}
