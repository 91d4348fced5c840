#pragma once
// The view: the child window of a frame that shows a document.
#include <windows.h>

#include "framework/Wnd.h"

class CDocument;
class CFrameWnd;
class CPrintInfo;
struct CCreateContext;

class CView : public CWnd {
    DECLARE_MESSAGE_MAP()

public:
    CView() = default;
    ~CView() override;

    // Creates the view as the frame's child `id` for the context's document; the style comes
    // from PreCreateWindow. On failure the view is gone (it deletes itself with its window).
    virtual BOOL Create(CWnd* parent, UINT id, CCreateContext* context);

    CDocument* GetDocument() const { return m_pDocument; }
    CFrameWnd* GetParentFrame() const;

    // After a document was created or opened; the default calls OnUpdate(nullptr, 0, nullptr).
    virtual void OnInitialUpdate();
    // The document changed (CDocument::UpdateAllViews); the default repaints the view.
    virtual void OnUpdate(CView* sender, LPARAM hint, void* hintObject);

    // Routes to the view's map, then to its document's.
    BOOL OnCmdMsg(UINT id, int code, void* extra, bool probe) override;

    // Printing (PrintInfo.h, PrintPreview.h); views that print map ID_FILE_PRINT and
    // ID_FILE_PRINT_PREVIEW to these.
    void OnFilePrint();
    void OnFilePrintPreview();

protected:
    // Paints the view: called by WM_PAINT with the paint DC.
    virtual void OnDraw(HDC dc) = 0;
    // Defaults: a visible bordered child with a client edge; the class is changed only here.
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);

    // The print protocol: OnPreparePrinting sets the page range and calls DoPreparePrinting
    // (the print dialog; FALSE ends the job), then OnBeginPrinting, OnPrint per page, and
    // OnEndPrinting once the job or the preview ends. The default OnPrint draws with OnDraw.
    virtual BOOL OnPreparePrinting(CPrintInfo* info);
    BOOL DoPreparePrinting(CPrintInfo* info);
    virtual void OnBeginPrinting(HDC dc, CPrintInfo* info);
    virtual void OnPrint(HDC dc, CPrintInfo* info);
    virtual void OnEndPrinting(HDC dc, CPrintInfo* info);

    void OnPaint();
    void OnDestroy();
    // Views are made by their template's factory and delete themselves with their window.
    void PostNcDestroy() override;

    CDocument* m_pDocument = nullptr;

private:
    friend class CDocument;
    friend class CPreviewView;
};
