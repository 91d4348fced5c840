#pragma once
// Document templates: how the program makes its document, frame and view, and the document
// string of the template's resource (window title, file type, shell registration).
//
// The single-document template keeps one document and one frame: opening or creating a
// document reuses them. When that fails, frame and document stay as they were (path, title
// and modified flag included); when it fails while making the first ones, both are gone.
#include <windows.h>

#include <functional>
#include <memory>

#include "foundation/String.h"

class CDocument;
class CFrameWnd;
class CView;

class CDocTemplate {
public:
    // Parts of the document string, in the order in which its lines are given.
    enum DocStringIndex {
        windowTitle,
        docName,
        fileNewName,
        filterName,
        filterExt,
        regFileTypeId,
        regFileTypeName,
    };

    using DocumentFactory = std::function<CDocument*()>;
    using FrameFactory = std::function<CFrameWnd*()>;
    using ViewFactory = std::function<CView*()>;

    // `resourceId` names the frame's menu, icon and the document string.
    CDocTemplate(UINT resourceId, DocumentFactory newDocument, FrameFactory newFrame,
                 ViewFactory newView);
    virtual ~CDocTemplate() = default;
    CDocTemplate(const CDocTemplate&) = delete;
    CDocTemplate& operator=(const CDocTemplate&) = delete;

    // FALSE when the part is missing or empty.
    BOOL GetDocString(CKSTString& text, DocStringIndex index) const;
    UINT GetResourceId() const { return m_nIDResource; }

    // Opens `pathName`, or makes a new document without one; the document, or null on failure.
    virtual CDocument* OpenDocumentFile(const char* pathName, BOOL makeVisible = TRUE) = 0;
    virtual CDocument* GetOnlyDocument() const = 0;

    CDocument* CreateNewDocument();
    // The frame for `document` with its view; null when it could not be made.
    CFrameWnd* CreateNewFrame(CDocument* document);
    void InitialUpdateFrame(CFrameWnd* frame, CDocument* document, BOOL makeVisible = TRUE);
    // The document's title when it has no path: the document name, else "Untitled".
    void SetDefaultTitle(CDocument* document);

protected:
    UINT m_nIDResource;
    CKSTString m_strDocStrings;
    DocumentFactory m_newDocument;
    FrameFactory m_newFrame;
    ViewFactory m_newView;
};

class CSingleDocTemplate : public CDocTemplate {
public:
    using CDocTemplate::CDocTemplate;
    ~CSingleDocTemplate() override;

    CDocument* OpenDocumentFile(const char* pathName, BOOL makeVisible = TRUE) override;
    CDocument* GetOnlyDocument() const override { return m_pOnlyDoc.get(); }

private:
    std::unique_ptr<CDocument> m_pOnlyDoc;
};
