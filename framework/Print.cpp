// The print job of a view, and the platform's printer behind the device seam.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "framework/Document.h"
#include "framework/FrameWnd.h"
#include "framework/PrintInfo.h"
#include "framework/View.h"

namespace {

class KstPrinterDC : public KstPrintDevice {
public:
    explicit KstPrinterDC(HDC dc) : m_dc(dc) {}
    ~KstPrinterDC() override { DeleteDC(m_dc); }
    KstPrinterDC(const KstPrinterDC&) = delete;
    KstPrinterDC& operator=(const KstPrinterDC&) = delete;

    HDC AttributeDC() override { return m_dc; }
    int StartDoc(const char* title) override
    {
        DOCINFOA info{};
        info.cbSize = sizeof(info);
        info.lpszDocName = title;
        return ::StartDocA(m_dc, &info);
    }
    HDC StartPage() override { return ::StartPage(m_dc) > 0 ? m_dc : nullptr; }
    int EndPage() override { return ::EndPage(m_dc); }
    int EndDoc() override { return ::EndDoc(m_dc); }
    void AbortDoc() override { ::AbortDoc(m_dc); }

private:
    HDC m_dc;
};

// The three names of DEVNAMES, each checked to lie inside the block.
bool ReadDeviceNames(HGLOBAL names, CKSTString& driver, CKSTString& device)
{
    const SIZE_T size = names ? GlobalSize(names) : 0;
    const auto* block = static_cast<const DEVNAMES*>(names ? GlobalLock(names) : nullptr);
    if (!block) {
        return false;
    }
    const char* base = reinterpret_cast<const char*>(block);
    auto text = [&](WORD offset, CKSTString& out) {
        if (offset < sizeof(DEVNAMES) || offset >= size) {
            return false;
        }
        const void* end = memchr(base + offset, 0, size - offset);
        if (!end) {
            return false;
        }
        out = base + offset;
        return true;
    };
    const bool ok = text(block->wDriverOffset, driver) && text(block->wDeviceOffset, device);
    GlobalUnlock(names);
    return ok;
}

}  // namespace

// ---- CPrintInfo, page metrics, seams -----------------------------------------------------------

CPrintInfo::CPrintInfo()
    : m_pPD(std::make_unique<CPrintDialog>(
          FALSE, PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOSELECTION | PD_HIDEPRINTTOFILE))
{
    // A view that sets no range prints one page.
    SetMinPage(1);
    SetMaxPage(1);
}

CPrintInfo::~CPrintInfo()
{
    if (m_pPD->m_pd.hDevMode) {
        GlobalFree(m_pPD->m_pd.hDevMode);
    }
    if (m_pPD->m_pd.hDevNames) {
        GlobalFree(m_pPD->m_pd.hDevNames);
    }
    if (m_pPD->m_pd.hDC) {
        DeleteDC(m_pPD->m_pd.hDC);
    }
}

UINT CPrintInfo::GetFromPage() const
{
    return (m_pPD->m_pd.Flags & PD_PAGENUMS) ? m_pPD->m_pd.nFromPage : GetMinPage();
}

UINT CPrintInfo::GetToPage() const
{
    return (m_pPD->m_pd.Flags & PD_PAGENUMS) ? m_pPD->m_pd.nToPage : GetMaxPage();
}

KstPageMetrics KstGetPageMetrics(HDC dc)
{
    KstPageMetrics metrics{};
    metrics.printable = {0, 0, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
    metrics.paper = {GetDeviceCaps(dc, PHYSICALWIDTH), GetDeviceCaps(dc, PHYSICALHEIGHT)};
    metrics.printableOffset = {GetDeviceCaps(dc, PHYSICALOFFSETX),
                               GetDeviceCaps(dc, PHYSICALOFFSETY)};
    if (metrics.paper.cx <= 0 || metrics.paper.cy <= 0) {
        metrics.paper = {metrics.printable.right, metrics.printable.bottom};
        metrics.printableOffset = {0, 0};
    }
    return metrics;
}

std::unique_ptr<KstPrintDevice> KstOpenPrinter(const PRINTDLGA& chosen)
{
    CKSTString driver;
    CKSTString device;
    if (!ReadDeviceNames(chosen.hDevNames, driver, device)) {
        return nullptr;
    }
    const auto* mode =
        static_cast<const DEVMODEA*>(chosen.hDevMode ? GlobalLock(chosen.hDevMode) : nullptr);
    HDC dc = CreateDCA(driver.c_str(), device.c_str(), nullptr, mode);
    if (mode) {
        GlobalUnlock(chosen.hDevMode);
    }
    return dc ? std::make_unique<KstPrinterDC>(dc) : nullptr;
}

KstPrintSeams& KstPrinting()
{
    static KstPrintSeams seams{&KstOpenPrinter};
    return seams;
}

void KstResetPrintSeams()
{
    KstPrinting().openPrinter = &KstOpenPrinter;
}

// ---- CView's print job -------------------------------------------------------------------------

BOOL CView::OnPreparePrinting(CPrintInfo* info)
{
    return DoPreparePrinting(info);
}

void CView::OnBeginPrinting(HDC, CPrintInfo*) {}

void CView::OnPrint(HDC dc, CPrintInfo*)
{
    OnDraw(dc);
}

void CView::OnEndPrinting(HDC, CPrintInfo*) {}

BOOL CView::DoPreparePrinting(CPrintInfo* info)
{
    PRINTDLGA& pd = info->m_pPD->m_pd;
    CFrameWnd* frame = GetParentFrame();
    pd.hwndOwner = frame ? frame->m_hWnd : m_hWnd;
    pd.nFromPage = static_cast<WORD>(info->GetMinPage());
    pd.nToPage = static_cast<WORD>(info->GetMaxPage());
    pd.Flags &= ~static_cast<DWORD>(PD_NOPAGENUMS);
    if (info->m_bPreview) {
        // The preview measures its pages on the default printer without asking; without one
        // the screen stands in.
        pd.Flags |= PD_RETURNDEFAULT;
        info->m_pPD->DoModal();
        return TRUE;
    }
    if (info->m_pPD->DoModal() == IDOK) {
        return TRUE;
    }
    if (CommDlgExtendedError() != 0) {
        MessageBox(kPrintFailedText, nullptr, MB_OK | MB_ICONEXCLAMATION);
    }
    return FALSE;
}

void CView::OnFilePrint()
{
    CPrintInfo info;
    if (!OnPreparePrinting(&info)) {
        return;
    }
    std::unique_ptr<KstPrintDevice> device = KstPrinting().openPrinter(info.m_pPD->m_pd);
    if (!device) {
        MessageBox(kPrintFailedText, nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    HDC attribute = device->AttributeDC();
    OnBeginPrinting(attribute, &info);
    const CKSTString title = m_pDocument ? m_pDocument->GetTitle() : GetWindowText();
    const UINT first = std::max(info.GetFromPage(), info.GetMinPage());
    const UINT last = std::min(info.GetToPage(), info.GetMaxPage());
    bool failed = false;
    bool cancelled = false;
    // A step that fails because the user cancelled (the output file name, the spooler) is no
    // error to report.
    auto fail = [&] {
        failed = true;
        cancelled = GetLastError() == ERROR_CANCELLED;
    };
    SetLastError(0);
    if (device->StartDoc(title.c_str()) <= 0) {
        fail();
    } else {
        for (UINT page = first; page <= last && !failed; ++page) {
            info.m_nCurPage = page;
            HDC dc = device->StartPage();
            if (!dc) {
                fail();
                break;
            }
            info.m_rectDraw = KstGetPageMetrics(dc).printable;
            const int saved = SaveDC(dc);
            OnPrint(dc, &info);
            RestoreDC(dc, saved);
            if (device->EndPage() <= 0) {
                fail();
            }
        }
        if (failed) {
            device->AbortDoc();
        } else if (device->EndDoc() <= 0) {
            fail();
        }
    }
    OnEndPrinting(attribute, &info);
    if (failed && !cancelled) {
        MessageBox(kPrintFailedText, nullptr, MB_OK | MB_ICONEXCLAMATION);
    }
}
