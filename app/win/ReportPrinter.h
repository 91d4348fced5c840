#pragma once
// Printing the open record as a report: time-raster pages, each with one time slice of the data
// in a curve picture under the header and above the footer line, or one page with a text block
// over the picture of the display as shown. The view holds one printer and forwards its print
// protocol to it (OnPreparePrinting, OnPrint, OnEndPrinting); the print report command presets
// and runs the dialog and fills the print request.
#include <windows.h>

#include <cstdint>

#include "app/ReportLayout.h"

class CKSTDataSet;
class CPrintInfo;
class CView;
class CWnd;

// What a report reads and draws through the view: the document's data, the program's language
// and the pictures of the main curve window and the process pane.
class IKSTReportHost {
public:
    virtual ~IKSTReportHost() = default;
    // The document's data set; null when there is none.
    virtual const CKSTDataSet* GetReportData() const = 0;
    virtual bool IsEnglish() const = 0;
    // The data's channels over [from, to] seconds with the main curve window's settings, drawn
    // into the rectangle by a curve window built only for this page.
    virtual void DrawCurveSlice(HDC dc, const RECT& rect, double from, double to) = 0;
    // The display as shown: the process pane when it is shown, else the main curve window.
    virtual void DrawDisplay(HDC dc, const RECT& rect) = 0;
    // Printing or the preview ended: the menu of the current language is built again.
    virtual void OnReportEnded() = 0;
};

class CKSTReportPrinter {
public:
    explicit CKSTReportPrinter(IKSTReportHost& host) : m_host(host) {}

    // The print request the next job prints (the view's PrintWithSettings copies it in).
    void SetSettings(const CKSTReportSettings& settings) { m_settings = settings; }
    const CKSTReportSettings& GetSettings() const { return m_settings; }

    // The view's print protocol: the page range before the print dialog, each page, the end.
    void PreparePrinting(CPrintInfo* info) const;
    void Print(HDC dc, CPrintInfo* info);
    void EndPrinting();

    void PrintCurvePage(HDC dc, CPrintInfo* info);
    void PrintReportPage(HDC dc, CPrintInfo* info);
    // The header and footer lines of a page inside the rectangle.
    void RenderReportPage(HDC dc, CPrintInfo* info, const RECT& rect);
    // The tokens of the page expanded in the text.
    CKSTString ExpandHeaderTokens(const CKSTString& text, const CPrintInfo* info) const;
    // Word-wrapped text; a text without line breaks that fits on one line is centred. Returns
    // the height it took.
    static int DrawTextBlock(const RECT& rect, HDC dc, const CKSTString& text);

private:
    IKSTReportHost& m_host;
    CKSTReportSettings m_settings;
};

// What a device reports of its size.
KstReportDevice KstReportDeviceOf(HDC dc);

// The print report command: presets the dialog from the record, its main curve window and the
// remembered page layout, runs it and on OK fills the print request (a time-raster report of the
// chosen range) and the remembered layout. False, changing nothing, when cancelled. The caller
// then shows the print preview of the request.
bool KstRunPrintReport(CWnd* parent, uint32_t language, const IKSTReportRangeSource& source,
                       CKSTPageLayout& remembered, CKSTReportSettings& request);

// The print and print preview commands print the display as shown, on one page.
void KstRequestDisplayPrint(CKSTReportSettings& request);

// The view's PrintWithSettings: the request goes into the view's printer, then the platform's
// print job (print dialog and pages) or print preview of the view starts.
void KstPrintWithSettings(CView& view, CKSTReportPrinter& printer,
                          const CKSTReportSettings& request, bool preview);
