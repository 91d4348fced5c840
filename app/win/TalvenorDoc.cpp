#include "app/win/TalvenorDoc.h"

#include "app/win/TalvenorApp.h"
#include "resources/StringIds.h"
#include "foundation/win/StringLoader.h"

namespace {

void TellNotAvailable(const CKSTString& names)
{
    CTalvenorApp* app = KstTheApp();
    if (!app) {
        return;
    }
    CKSTString text = LoadResString(KST_STR_OPEN_NOT_AVAILABLE, app->IsEnglish());
    text += names;
    app->MessageBoxText(text.c_str(), MB_OK | MB_ICONINFORMATION);
}

}  // namespace

CTalvenorDoc::CTalvenorDoc()
{
    if (CTalvenorApp* app = KstTheApp()) {
        app->m_pDocument = this;
    }
}

CTalvenorDoc::~CTalvenorDoc()
{
    if (CTalvenorApp* app = KstTheApp(); app && app->m_pDocument == this) {
        app->m_pDocument = nullptr;
    }
}

BOOL CTalvenorDoc::OnNewDocument()
{
    return CDocument::OnNewDocument();
}

BOOL CTalvenorDoc::OnOpenDocument(const char* pathName)
{
    TellNotAvailable(pathName ? pathName : "");
    return FALSE;
}

void CTalvenorDoc::AppendFiles(const std::vector<CKSTString>& paths, bool& stop)
{
    CKSTString names;
    for (const CKSTString& path : paths) {
        names += path;
        names += "\r\n";
    }
    // Nothing was appended, but the user has been told; the next file gets its own notice.
    TellNotAvailable(names);
    stop = false;
}

BOOL CTalvenorDoc::SaveFile(const char*, int)
{
    if (CTalvenorApp* app = KstTheApp()) {
        app->MessageBoxId(KST_STR_FUNCTION_NOT_AVAILABLE, MB_OK | MB_ICONINFORMATION);
    }
    return FALSE;
}
