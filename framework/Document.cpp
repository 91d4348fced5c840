#include "framework/Document.h"

#include <algorithm>

#include "foundation/ErrorCodes.h"
#include "foundation/FileReplace.h"
#include "framework/App.h"
#include "framework/FrameWnd.h"
#include "framework/View.h"

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle()
    {
        if (IsOpen()) {
            CloseHandle(m_handle);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    bool Close()
    {
        const bool closed = CloseHandle(m_handle) != FALSE;
        m_handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE m_handle;
};

}  // namespace

// ---- CArchive ---------------------------------------------------------------------------------

UINT CArchive::Read(void* buffer, UINT count)
{
    DWORD read = 0;
    if (m_mode != load || !ReadFile(m_file, buffer, count, &read, nullptr)) {
        return 0;
    }
    return read;
}

BOOL CArchive::Write(const void* buffer, UINT count)
{
    DWORD written = 0;
    const bool whole =
        m_mode == store && WriteFile(m_file, buffer, count, &written, nullptr) && written == count;
    m_allWritten = m_allWritten && whole;
    return whole;
}

// ---- CDocument --------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
END_MESSAGE_MAP()

CDocument::~CDocument()
{
    // Views outliving their document must not reach it any more.
    for (CView* view : m_views) {
        view->m_pDocument = nullptr;
    }
}

BOOL CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.Empty();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(const char* pathName)
{
    FileHandle file(CreateFileA(pathName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
        return FALSE;
    }
    DeleteContents();
    CArchive archive(file.Get(), CArchive::load, pathName);
    Serialize(archive);
    SetModifiedFlag(FALSE);
    SetPathName(pathName);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(const char* pathName)
{
    const int result = KstSaveReplacing(pathName, [&](const CKSTString& temporary) -> int {
        FileHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsOpen()) {
            return KST_ERR_OPEN_FAILED;
        }
        CArchive archive(file.Get(), CArchive::store, pathName);
        Serialize(archive);
        const bool closed = file.Close();
        return archive.AllWritten() && closed ? KST_OK : KST_ERR_SHORT_TRANSFER;
    });
    if (result != KST_OK) {
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::Serialize(CArchive&) {}

void CDocument::SetPathName(const char* pathName, BOOL addToMRU)
{
    char full[MAX_PATH];
    char* filePart = nullptr;
    const DWORD length = GetFullPathNameA(pathName, MAX_PATH, full, &filePart);
    if (length > 0 && length < MAX_PATH) {
        m_strPathName = full;
    } else {
        m_strPathName = pathName;
    }
    const char* name = m_strPathName.c_str();
    for (const char* c = name; *c; ++c) {
        if (*c == '\\' || *c == '/') {
            name = c + 1;
        }
    }
    SetTitle(name);
    if (addToMRU) {
        if (CWinApp* app = AfxGetApp()) {
            app->AddToRecentFileList(m_strPathName.c_str());
        }
    }
}

void CDocument::SetTitle(const char* title)
{
    m_strTitle = title;
    for (CView* view : m_views) {
        if (CFrameWnd* frame = view->GetParentFrame()) {
            frame->OnUpdateFrameTitle(TRUE);
        }
    }
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, void* hintObject)
{
    // A view may add or remove views while it updates.
    const std::vector<CView*> views = m_views;
    for (CView* view : views) {
        if (view != sender && std::find(m_views.begin(), m_views.end(), view) != m_views.end()) {
            view->OnUpdate(sender, hint, hintObject);
        }
    }
}

void CDocument::AddView(CView* view)
{
    if (std::find(m_views.begin(), m_views.end(), view) == m_views.end()) {
        m_views.push_back(view);
        view->m_pDocument = this;
    }
}

void CDocument::RemoveView(CView* view)
{
    const auto found = std::find(m_views.begin(), m_views.end(), view);
    if (found != m_views.end()) {
        m_views.erase(found);
        view->m_pDocument = nullptr;
    }
}
