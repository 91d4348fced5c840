#include "framework/DocTemplate.h"

#include "framework/App.h"
#include "framework/Document.h"
#include "framework/FrameWnd.h"
#include "framework/View.h"

namespace {

// The frame that shows the document, through its first view.
CFrameWnd* FrameOf(CDocument* document)
{
    for (CView* view : document->GetViews()) {
        if (CFrameWnd* frame = view->GetParentFrame()) {
            return frame;
        }
    }
    return nullptr;
}

}  // namespace

// ---- CDocTemplate -----------------------------------------------------------------------------

CDocTemplate::CDocTemplate(UINT resourceId, DocumentFactory newDocument, FrameFactory newFrame,
                           ViewFactory newView)
    : m_nIDResource(resourceId),
      m_newDocument(std::move(newDocument)),
      m_newFrame(std::move(newFrame)),
      m_newView(std::move(newView))
{
    char text[1024];
    if (LoadStringA(KstResourceHandle(), resourceId, text, sizeof(text)) > 0) {
        m_strDocStrings = text;
    }
}

BOOL CDocTemplate::GetDocString(CKSTString& text, DocStringIndex index) const
{
    text.Empty();
    int start = 0;
    for (int i = 0; i < index; ++i) {
        start = m_strDocStrings.Find('\n', start);
        if (start < 0) {
            return FALSE;
        }
        ++start;
    }
    const int end = m_strDocStrings.Find('\n', start);
    text = end < 0 ? m_strDocStrings.Mid(start) : m_strDocStrings.Mid(start, end - start);
    return !text.IsEmpty();
}

CDocument* CDocTemplate::CreateNewDocument()
{
    CDocument* document = m_newDocument ? m_newDocument() : nullptr;
    if (document) {
        document->m_pDocTemplate = this;
    }
    return document;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* document)
{
    CFrameWnd* frame = m_newFrame ? m_newFrame() : nullptr;
    if (!frame) {
        return nullptr;
    }
    CCreateContext context;
    context.m_pCurrentDoc = document;
    context.m_pNewViewClass = m_newView;
    context.m_pNewDocTemplate = this;
    KstSelfDeleteWatch watch(frame);
    if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW, nullptr, &context)) {
        if (!watch.Deleted()) {
            delete frame;
        }
        return nullptr;
    }
    return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* frame, CDocument* document, BOOL makeVisible)
{
    frame->InitialUpdateFrame(document, makeVisible);
}

void CDocTemplate::SetDefaultTitle(CDocument* document)
{
    CKSTString title;
    if (!GetDocString(title, docName)) {
        title = "Untitled";
    }
    document->SetTitle(title.c_str());
}

// ---- CSingleDocTemplate -----------------------------------------------------------------------

CSingleDocTemplate::~CSingleDocTemplate()
{
    // A frame still showing the document goes first: its view refers to it.
    if (m_pOnlyDoc) {
        if (CFrameWnd* frame = FrameOf(m_pOnlyDoc.get())) {
            frame->DestroyWindow();
        }
    }
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const char* pathName, BOOL makeVisible)
{
    std::unique_ptr<CDocument> created;
    CDocument* document = m_pOnlyDoc.get();
    if (!document) {
        created.reset(CreateNewDocument());
        document = created.get();
        if (!document) {
            return nullptr;
        }
    }
    CFrameWnd* frame = FrameOf(document);
    const bool newFrame = frame == nullptr;
    if (newFrame) {
        frame = CreateNewFrame(document);
        if (!frame) {
            return nullptr;
        }
    }

    // Restored when the document refuses, so that a failure leaves it as it was.
    const CKSTString oldPath = document->GetPathName();
    const CKSTString oldTitle = document->GetTitle();
    const BOOL oldModified = document->IsModified();
    BOOL done = FALSE;
    if (pathName) {
        done = document->OnOpenDocument(pathName);
    } else {
        SetDefaultTitle(document);
        done = document->OnNewDocument();
    }
    if (!done) {
        if (newFrame) {
            frame->DestroyWindow();  // the frame deletes itself
        }
        if (!created) {
            document->m_strPathName = oldPath;
            document->SetTitle(oldTitle.c_str());
            document->SetModifiedFlag(oldModified);
        }
        return nullptr;
    }

    if (created) {
        m_pOnlyDoc = std::move(created);
    }
    if (newFrame) {
        CWinApp* app = AfxGetApp();
        if (app && !app->GetMainWnd()) {
            app->SetMainWnd(frame);
        }
    }
    InitialUpdateFrame(frame, document, makeVisible);
    return document;
}
