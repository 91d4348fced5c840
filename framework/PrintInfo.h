#pragma once
// Printing: the state of one print job or preview (CPrintInfo), the printer device seam and
// the page metrics of a device.
//
// A view prints through CView::OnFilePrint (print dialog with the page range, then per page
// StartPage, OnPrint, EndPage) and previews through CView::OnFilePrintPreview (PrintPreview.h).
// Tests replace the printer with their own device (KstPrintSeams), e.g. one enhanced metafile
// per page.
#include <windows.h>

#include <functional>
#include <memory>

#include "framework/CommonDialogs.h"

class CPrintInfo {
public:
    CPrintInfo();
    // Frees the device mode and names that the print dialog returned.
    ~CPrintInfo();
    CPrintInfo(const CPrintInfo&) = delete;
    CPrintInfo& operator=(const CPrintInfo&) = delete;

    void SetMinPage(UINT page) { m_pPD->m_pd.nMinPage = static_cast<WORD>(page); }
    void SetMaxPage(UINT page) { m_pPD->m_pd.nMaxPage = static_cast<WORD>(page); }
    UINT GetMinPage() const { return m_pPD->m_pd.nMinPage; }
    UINT GetMaxPage() const { return m_pPD->m_pd.nMaxPage; }
    // The range the user chose in the print dialog; all pages when no range was chosen.
    UINT GetFromPage() const;
    UINT GetToPage() const;

    std::unique_ptr<CPrintDialog> m_pPD;
    BOOL m_bPreview = FALSE;
    UINT m_nCurPage = 1;
    // The printable area of the current page in the device's units; the view draws inside it.
    RECT m_rectDraw{};
};

// The size of a device's page: the paper and where its printable area lies on it, in device
// units. A device that reports no physical size (screen, metafile, preview) has a page that is
// its printable area.
struct KstPageMetrics {
    SIZE paper;
    POINT printableOffset;
    RECT printable;  // (0, 0, HORZRES, VERTRES)
};
KstPageMetrics KstGetPageMetrics(HDC dc);

// A printer for one job. Return values follow the platform's calls: > 0 is success.
class KstPrintDevice {
public:
    virtual ~KstPrintDevice() = default;
    // The context the pages are measured with, and the one OnBeginPrinting and OnEndPrinting
    // get; valid as long as the device.
    virtual HDC AttributeDC() = 0;
    virtual int StartDoc(const char* title) = 0;
    // The context to draw the page into; null when the page cannot start.
    virtual HDC StartPage() = 0;
    virtual int EndPage() = 0;
    virtual int EndDoc() = 0;
    virtual void AbortDoc() = 0;
};

struct KstPrintSeams {
    // Opens the printer chosen in the dialog (its device names and mode); null when it cannot.
    std::function<std::unique_ptr<KstPrintDevice>(const PRINTDLGA& chosen)> openPrinter;
};
KstPrintSeams& KstPrinting();
void KstResetPrintSeams();

// The platform's printer named by the dialog's device names, with its device mode.
std::unique_ptr<KstPrintDevice> KstOpenPrinter(const PRINTDLGA& chosen);

// Shown when a print job cannot start or the printer fails during it.
constexpr char kPrintFailedText[] = "The document could not be printed.";
