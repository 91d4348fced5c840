#pragma once
// Print preview: a window that takes the place of the frame's view and shows one page at a
// time, drawn by the view's OnPrint into the screen context scaled to the page, with the
// buttons Print, Next, Previous and Close.
//
// While it is open the frame has no menu, its visible control bars are hidden and the view is
// hidden under another control id; Close puts all of that back (the same menu handle) and calls
// the view's OnEndPrinting. The preview deletes itself with its window.
#include <windows.h>

#include <memory>
#include <vector>

#include "framework/PrintInfo.h"
#include "framework/Wnd.h"

class CFrameWnd;
class CView;

class CPreviewView : public CWnd {
    DECLARE_MESSAGE_MAP()

public:
    // Button ids; Print sends ID_FILE_PRINT to the view after the preview closed.
    static constexpr UINT kIdPrint = 0xE100;
    static constexpr UINT kIdNext = 0xE101;
    static constexpr UINT kIdPrevious = 0xE102;
    static constexpr UINT kIdClose = 0xE103;
    // Height of the button strip, pixels.
    static constexpr int kStripHeight = 32;

    // Prepares printing for `view` (OnPreparePrinting, OnBeginPrinting) and shows the preview in
    // its frame. Returns the preview, or null when the view declined or there is no frame (the
    // object is then gone).
    static CPreviewView* Start(CView* view);

    UINT GetCurrentPage() const { return m_info.m_nCurPage; }
    // Where the page lies in the preview's client area (paper, not only the printable area).
    RECT GetPageRect() const;

    // Shows another page; out-of-range pages are ignored.
    void ShowPage(UINT page);
    // Restores the frame and ends printing; the preview is gone afterwards.
    void ClosePreview();

    ~CPreviewView() override;

protected:
    CPreviewView() = default;

    int OnCreate(LPCREATESTRUCT create);
    void OnPaint();
    BOOL OnEraseBkgnd(HDC dc);
    void OnSize(UINT type, int width, int height);
    void OnPrintButton();
    void OnNext();
    void OnPrevious();
    void OnCloseButton();
    void PostNcDestroy() override;

private:
    void UpdateButtons();

    CView* m_view = nullptr;
    CFrameWnd* m_frame = nullptr;
    CPrintInfo m_info;
    std::unique_ptr<KstPrintDevice> m_device;  // the default printer, when there is one
    HDC m_screenIC = nullptr;                  // measures the pages without a printer
    KstPageMetrics m_metrics{};
    HMENU m_savedMenu = nullptr;
    std::vector<HWND> m_hiddenBars;
    UINT m_viewId = 0;
    bool m_closing = false;
    bool m_selfOwned = false;  // from a successful creation on
};
