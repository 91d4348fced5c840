#pragma once
// The system's common dialogs (file open and save, colour, font, print setup, folder browser),
// each run through its seam (Seams.h). DoModal returns IDOK or IDCANCEL; the structures are
// public so callers set titles, folders and flags as the system documents them.
#include <windows.h>

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

#include "foundation/String.h"

class CWnd;

class CFileDialog {
public:
    // `filter` holds text and pattern pairs separated by '|' and ends with "||"
    // ("Text (*.txt)|*.txt|All Files (*.*)|*.*||"). With OFN_ALLOWMULTISELECT the name buffer
    // holds 32,000 bytes, else 260 characters.
    CFileDialog(BOOL openFileDialog, const char* defaultExt = nullptr,
                const char* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                CWnd* parent = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    INT_PTR DoModal();
    // The common-dialog error of the last DoModal, 0 for OK or Cancel; FNERR_BUFFERTOOSMALL
    // (0x3003) when more files were chosen than the buffer holds.
    DWORD GetExtendedError() const { return m_error; }

    // The chosen file (the first one of several).
    CKSTString GetPathName() const;
    // Every chosen file with its folder, in the dialog's order.
    std::vector<CKSTString> GetPathNames() const;

    OPENFILENAMEA m_ofn;  // nFilterIndex goes in and comes back

private:
    BOOL m_open;
    std::vector<char> m_filter;
    CKSTString m_defaultExt;
    std::vector<char> m_fileBuffer;
    DWORD m_error = 0;
};

class CColorDialog {
public:
    CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* parent = nullptr);
    INT_PTR DoModal();
    COLORREF GetColor() const { return m_cc.rgbResult; }

    CHOOSECOLORA m_cc;  // its custom colours are shared by every colour dialog of the program
};

class CFontDialog {
public:
    // A printer device context lists the printer's fonts too; without one, CF_PRINTERFONTS is
    // dropped (the system dialog refuses to open otherwise).
    explicit CFontDialog(const LOGFONTA* initial = nullptr, DWORD flags = CF_SCREENFONTS,
                         HDC printer = nullptr, CWnd* parent = nullptr);
    INT_PTR DoModal();
    void GetCurrentFont(LOGFONTA* font) const { *font = m_lf; }

    CHOOSEFONTA m_cf;
    LOGFONTA m_lf;
};

class CPrintDialog {
public:
    // The device mode and names handles that the dialog returns in m_pd belong to the caller.
    explicit CPrintDialog(BOOL printSetupOnly,
                          DWORD flags = PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS |
                                        PD_HIDEPRINTTOFILE | PD_NOSELECTION,
                          CWnd* parent = nullptr);
    INT_PTR DoModal();

    PRINTDLGA m_pd;
};

// Runs the folder browser described by `info` (owner, title, flags, callback); true with the
// chosen item's file-system path, false on Cancel or for an item without a path.
bool KstBrowseForFolder(BROWSEINFOA& info, CKSTString& path);
