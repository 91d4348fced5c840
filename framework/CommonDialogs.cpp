#include "framework/CommonDialogs.h"

#include <cstring>

#include "framework/Seams.h"
#include "framework/Wnd.h"

namespace {

constexpr size_t kMultiSelectBuffer = 32000;

HWND OwnerOf(CWnd* parent)
{
    return parent ? parent->m_hWnd : nullptr;
}

}  // namespace

// ---- CFileDialog -------------------------------------------------------------------------------

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExt, const char* fileName,
                         DWORD flags, const char* filter, CWnd* parent)
    : m_ofn{}, m_open(openFileDialog), m_defaultExt(defaultExt)
{
    if (filter) {
        // '|' separators become the zero bytes the system expects.
        for (const char* c = filter; *c; ++c) {
            m_filter.push_back(*c == '|' ? '\0' : *c);
        }
        m_filter.push_back('\0');
        m_filter.push_back('\0');
    }
    m_fileBuffer.assign((flags & OFN_ALLOWMULTISELECT) ? kMultiSelectBuffer : MAX_PATH, '\0');
    if (fileName) {
        strncpy(m_fileBuffer.data(), fileName, m_fileBuffer.size() - 1);
    }
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.hwndOwner = OwnerOf(parent);
    m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.data();
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrFile = m_fileBuffer.data();
    m_ofn.nMaxFile = static_cast<DWORD>(m_fileBuffer.size());
    m_ofn.lpstrDefExt = m_defaultExt.IsEmpty() ? nullptr : m_defaultExt.c_str();
    m_ofn.Flags = flags | OFN_EXPLORER;
}

INT_PTR CFileDialog::DoModal()
{
    const BOOL ok =
        m_open ? KstGetOpenFileName(m_ofn, &m_error) : KstGetSaveFileName(m_ofn, &m_error);
    return ok ? IDOK : IDCANCEL;
}

CKSTString CFileDialog::GetPathName() const
{
    const std::vector<CKSTString> names = GetPathNames();
    return names.empty() ? CKSTString() : names.front();
}

std::vector<CKSTString> CFileDialog::GetPathNames() const
{
    // One file: its full path. Several: the folder, then each name, zero-separated, ending
    // with an empty string.
    std::vector<CKSTString> names;
    const char* first = m_ofn.lpstrFile;
    if (!first || !*first) {
        return names;
    }
    const char* next = first + strlen(first) + 1;
    if (!(m_ofn.Flags & OFN_ALLOWMULTISELECT) || !*next) {
        names.emplace_back(first);
        return names;
    }
    CKSTString folder(first);
    if (folder.Last() != '\\') {
        folder += '\\';
    }
    for (; *next; next += strlen(next) + 1) {
        names.push_back(folder + next);
    }
    return names;
}

// ---- CColorDialog, CFontDialog, CPrintDialog ---------------------------------------------------

CColorDialog::CColorDialog(COLORREF initial, DWORD flags, CWnd* parent) : m_cc{}
{
    static COLORREF customColors[16] = {};
    m_cc.lStructSize = sizeof(m_cc);
    m_cc.hwndOwner = OwnerOf(parent);
    m_cc.rgbResult = initial;
    m_cc.lpCustColors = customColors;
    m_cc.Flags = flags;
}

INT_PTR CColorDialog::DoModal()
{
    return KstSeams().chooseColor(m_cc) ? IDOK : IDCANCEL;
}

CFontDialog::CFontDialog(const LOGFONTA* initial, DWORD flags, HDC printer, CWnd* parent)
    : m_cf{}, m_lf{}
{
    if (initial) {
        m_lf = *initial;
        flags |= CF_INITTOLOGFONTSTRUCT;
    }
    if (!printer) {
        flags &= ~static_cast<DWORD>(CF_PRINTERFONTS);
    }
    m_cf.lStructSize = sizeof(m_cf);
    m_cf.hwndOwner = OwnerOf(parent);
    m_cf.hDC = printer;
    m_cf.lpLogFont = &m_lf;
    m_cf.Flags = flags;
}

INT_PTR CFontDialog::DoModal()
{
    m_cf.lpLogFont = &m_lf;
    return KstSeams().chooseFont(m_cf) ? IDOK : IDCANCEL;
}

CPrintDialog::CPrintDialog(BOOL printSetupOnly, DWORD flags, CWnd* parent) : m_pd{}
{
    m_pd.lStructSize = sizeof(m_pd);
    m_pd.hwndOwner = OwnerOf(parent);
    m_pd.Flags = flags | (printSetupOnly ? PD_PRINTSETUP : 0);
}

INT_PTR CPrintDialog::DoModal()
{
    return KstSeams().printDialog(m_pd) ? IDOK : IDCANCEL;
}

// ---- Folder browser ----------------------------------------------------------------------------

bool KstBrowseForFolder(BROWSEINFOA& info, CKSTString& path)
{
    path.Empty();
    PIDLIST_ABSOLUTE item = KstSeams().browseForFolder(info);
    if (!item) {
        return false;
    }
    char buffer[MAX_PATH] = {};
    const bool found = SHGetPathFromIDListA(item, buffer) != FALSE;
    CoTaskMemFree(item);
    if (found) {
        path = buffer;
    }
    return found;
}
