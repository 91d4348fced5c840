#include <windows.h>

#include <gtest/gtest.h>

#include <winspool.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "framework/PrintInfo.h"
#include "framework/PrintPreview.h"
#include "shell_test_support.h"

namespace {

using kst_test::TheShellLog;

// What a metafile printer saw of one job: one enhanced metafile per page.
struct MetafileJob {
    std::vector<HENHMETAFILE> pages;
    std::vector<std::string> steps;  // "start", "abort", "end"
    UINT failEndPage = 0;            // EndPage fails at this page (1-based), 0 never
    DWORD failStartDoc = 0;          // StartDoc fails with this last error, 0 never
    ~MetafileJob() { Clear(); }
    void Clear()
    {
        for (HENHMETAFILE page : pages) {
            DeleteEnhMetaFile(page);
        }
        pages.clear();
        steps.clear();
    }
};

// A printer that records every page into its own enhanced metafile on the screen's metrics.
class MetafileDevice : public KstPrintDevice {
public:
    explicit MetafileDevice(MetafileJob& job)
        : m_job(job), m_attribute(CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr))
    {
    }
    ~MetafileDevice() override
    {
        DeleteEnhMetaFile(CloseEnhMetaFile(m_attribute));
        if (m_page) {
            DeleteEnhMetaFile(CloseEnhMetaFile(m_page));
        }
    }
    MetafileDevice(const MetafileDevice&) = delete;
    MetafileDevice& operator=(const MetafileDevice&) = delete;

    HDC AttributeDC() override { return m_attribute; }
    int StartDoc(const char*) override
    {
        m_job.steps.push_back("start");
        if (m_job.failStartDoc) {
            SetLastError(m_job.failStartDoc);
            return 0;
        }
        return 1;
    }
    HDC StartPage() override
    {
        m_page = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
        return m_page;
    }
    int EndPage() override
    {
        m_job.pages.push_back(CloseEnhMetaFile(m_page));
        m_page = nullptr;
        return m_job.pages.size() == m_job.failEndPage ? -1 : 1;
    }
    int EndDoc() override
    {
        m_job.steps.push_back("end");
        return 1;
    }
    void AbortDoc() override { m_job.steps.push_back("abort"); }

private:
    MetafileJob& m_job;
    HDC m_attribute;
    HDC m_page = nullptr;
};

// The rectangles and texts a page holds.
struct PageContent {
    std::vector<RECTL> rectangles;
    std::vector<std::string> texts;
};

PageContent ReadPage(HENHMETAFILE page)
{
    PageContent content;
    auto collect = [](HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data) -> int {
        auto* out = reinterpret_cast<PageContent*>(data);
        if (record->iType == EMR_RECTANGLE) {
            out->rectangles.push_back(reinterpret_cast<const EMRRECTANGLE*>(record)->rclBox);
        } else if (record->iType == EMR_EXTTEXTOUTW) {
            const auto* text = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
            const auto* chars = reinterpret_cast<const wchar_t*>(
                reinterpret_cast<const BYTE*>(record) + text->emrtext.offString);
            out->texts.emplace_back(chars, chars + text->emrtext.nChars);
        } else if (record->iType == EMR_EXTTEXTOUTA) {
            const auto* text = reinterpret_cast<const EMREXTTEXTOUTA*>(record);
            const auto* chars = reinterpret_cast<const char*>(record) + text->emrtext.offString;
            out->texts.emplace_back(chars, chars + text->emrtext.nChars);
        }
        return 1;
    };
    EnumEnhMetaFile(nullptr, page, collect, &content, nullptr);
    return content;
}

std::string PageLine(UINT page, const RECT& r)
{
    return "page " + std::to_string(page) + " " + std::to_string(r.left) + " " +
           std::to_string(r.top) + " " + std::to_string(r.right) + " " + std::to_string(r.bottom);
}

class PrintTest : public kst_test::ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        KstPrinting().openPrinter = [this](const PRINTDLGA&) -> std::unique_ptr<KstPrintDevice> {
            ++m_opened;
            if (m_noPrinter) {
                return nullptr;
            }
            return std::make_unique<MetafileDevice>(m_job);
        };
        KstSeams().printDialog = [this](PRINTDLGA& pd) {
            m_dialogs.push_back(pd);
            if (m_dialogResult && !pd.hDevNames) {
                // Names of a printer that only the device seam knows.
                pd.hDevNames = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVNAMES) + 8);
            }
            if (m_pageRange.first) {
                pd.Flags |= PD_PAGENUMS;
                pd.nFromPage = static_cast<WORD>(m_pageRange.first);
                pd.nToPage = static_cast<WORD>(m_pageRange.second);
            }
            return m_dialogResult;
        };
        KstSeams().messageBox = [this](const KstMessageBoxCall& call) {
            m_boxes.push_back(call.text.c_str());
            return IDOK;
        };
        HDC screen = GetDC(nullptr);
        m_screenPage = {0, 0, GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, VERTRES)};
        ReleaseDC(nullptr, screen);
    }
    void TearDown() override
    {
        KstResetPrintSeams();
        ShellTest::TearDown();
    }
    void Command(UINT id) { Frame().SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    MetafileJob m_job;
    std::vector<PRINTDLGA> m_dialogs;
    std::vector<std::string> m_boxes;
    std::pair<UINT, UINT> m_pageRange{0, 0};
    BOOL m_dialogResult = TRUE;
    bool m_noPrinter = false;
    int m_opened = 0;
    RECT m_screenPage{};  // metafile devices measure their pages on the screen
};

TEST_F(PrintTest, TwoPagesPrintThroughTheSeamWithTheDeviceRectangle)
{
    ASSERT_TRUE(StartApp());
    Command(ID_FILE_PRINT);

    ASSERT_EQ(1u, m_dialogs.size());
    EXPECT_EQ(1, m_dialogs[0].nMinPage);
    EXPECT_EQ(2, m_dialogs[0].nMaxPage);
    EXPECT_EQ(1, m_dialogs[0].nFromPage);
    EXPECT_EQ(2, m_dialogs[0].nToPage);
    EXPECT_EQ(0u, m_dialogs[0].Flags & (PD_NOPAGENUMS | PD_RETURNDEFAULT));
    EXPECT_EQ(Frame().m_hWnd, m_dialogs[0].hwndOwner);
    EXPECT_EQ((std::vector<std::string>{"begin", PageLine(1, m_screenPage),
                                        PageLine(2, m_screenPage), "end"}),
              TheShellLog().printing);
    EXPECT_EQ((std::vector<std::string>{"start", "end"}), m_job.steps);
    ASSERT_EQ(2u, m_job.pages.size());
    for (UINT page = 1; page <= 2; ++page) {
        SCOPED_TRACE(page);
        const PageContent content = ReadPage(m_job.pages[page - 1]);
        ASSERT_EQ(1u, content.rectangles.size());
        // The record's box is inclusive.
        EXPECT_EQ(0, content.rectangles[0].left);
        EXPECT_EQ(0, content.rectangles[0].top);
        EXPECT_EQ(m_screenPage.right - 1, content.rectangles[0].right);
        EXPECT_EQ(m_screenPage.bottom - 1, content.rectangles[0].bottom);
        EXPECT_EQ((std::vector<std::string>{"Page " + std::to_string(page)}), content.texts);
    }
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(PrintTest, RangesCancelAndDeviceErrorsEndTheJobCleanly)
{
    struct Case {
        const char* name;
        std::pair<UINT, UINT> range;
        BOOL dialog;
        bool noPrinter;
        UINT failEndPage;
        DWORD failStartDoc;
        std::vector<std::string> printing;  // "p1"/"p2" for the pages
        std::vector<std::string> device;
        bool reported;
    };
    const Case cases[] = {
        {"range 2..2", {2, 2}, TRUE, false, 0, 0, {"begin", "p2", "end"}, {"start", "end"}, false},
        {"range beyond the last page", {2, 9}, TRUE, false, 0, 0, {"begin", "p2", "end"},
         {"start", "end"}, false},
        {"dialog cancelled", {0, 0}, FALSE, false, 0, 0, {}, {}, false},
        {"no printer", {0, 0}, TRUE, true, 0, 0, {}, {}, true},
        {"page 1 fails", {0, 0}, TRUE, false, 1, 0, {"begin", "p1", "end"}, {"start", "abort"},
         true},
        {"job refused", {0, 0}, TRUE, false, 0, ERROR_ACCESS_DENIED, {"begin", "end"}, {"start"},
         true},
        {"user cancelled the job", {0, 0}, TRUE, false, 0, ERROR_CANCELLED, {"begin", "end"},
         {"start"}, false},
    };
    ASSERT_TRUE(StartApp());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_pageRange = c.range;
        m_dialogResult = c.dialog;
        m_noPrinter = c.noPrinter;
        m_job.Clear();
        m_job.failEndPage = c.failEndPage;
        m_job.failStartDoc = c.failStartDoc;
        m_boxes.clear();
        TheShellLog().printing.clear();
        Command(ID_FILE_PRINT);
        std::vector<std::string> expected;
        for (const std::string& step : c.printing) {
            expected.push_back(step[0] == 'p' ? PageLine(step[1] - '0', m_screenPage) : step);
        }
        EXPECT_EQ(expected, TheShellLog().printing);
        EXPECT_EQ(c.device, m_job.steps);
        EXPECT_EQ(c.reported ? std::vector<std::string>{kPrintFailedText}
                             : std::vector<std::string>{},
                  m_boxes);
    }
}

class PreviewTest : public PrintTest {
protected:
    CPreviewView* Preview()
    {
        return dynamic_cast<CPreviewView*>(
            CWnd::FromHandlePermanent(GetDlgItem(Frame().m_hWnd, AFX_IDW_PANE_FIRST)));
    }
    void Click(CPreviewView* preview, UINT id)
    {
        preview->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(preview->m_hWnd, id)));
    }
    // Paints the preview and returns the page it drew.
    std::string Painted(CPreviewView* preview)
    {
        TheShellLog().printing.clear();
        TheShellLog().printDeviceRects.clear();
        preview->RedrawWindow();
        return TheShellLog().printing.empty() ? "" : TheShellLog().printing.back();
    }
    bool Enabled(CPreviewView* preview, UINT id)
    {
        return IsWindowEnabled(GetDlgItem(preview->m_hWnd, id)) != FALSE;
    }
};

TEST_F(PreviewTest, PagesTurnAndCloseRestoresMenuBarsAndView)
{
    // No printer: the screen measures the pages.
    m_dialogResult = FALSE;
    ASSERT_TRUE(StartApp());
    HWND frame = Frame().m_hWnd;
    HMENU menu = GetMenu(frame);
    ASSERT_NE(nullptr, menu);
    CView* view = Frame().GetActiveView();
    ASSERT_NE(nullptr, view);
    RECT viewRect;
    GetWindowRect(view->m_hWnd, &viewRect);
    ASSERT_TRUE(Frame().m_wndToolBar.IsWindowVisible());
    ASSERT_TRUE(Frame().m_wndStatusBar.IsWindowVisible());

    Command(ID_FILE_PRINT_PREVIEW);
    CPreviewView* preview = Preview();
    ASSERT_NE(nullptr, preview);
    ASSERT_EQ(1u, m_dialogs.size());
    EXPECT_NE(0u, m_dialogs[0].Flags & PD_RETURNDEFAULT);
    EXPECT_EQ(0, m_opened);
    EXPECT_EQ((std::vector<std::string>{"begin"}), TheShellLog().printing);
    EXPECT_EQ(nullptr, GetMenu(frame));
    EXPECT_FALSE(Frame().m_wndToolBar.IsWindowVisible());
    EXPECT_FALSE(Frame().m_wndStatusBar.IsWindowVisible());
    EXPECT_FALSE(view->IsWindowVisible());
    // The preview has the frame's whole client area.
    RECT client;
    RECT previewRect;
    GetClientRect(frame, &client);
    GetClientRect(preview->m_hWnd, &previewRect);
    EXPECT_EQ(client.right, previewRect.right);
    EXPECT_EQ(client.bottom, previewRect.bottom);

    // Page 1, drawn through OnPrint in page units onto the page rectangle on the screen.
    EXPECT_EQ(PageLine(1, m_screenPage), Painted(preview));
    const RECT page = preview->GetPageRect();
    ASSERT_GT(page.right - page.left, 50);
    ASSERT_EQ(1u, TheShellLog().printDeviceRects.size());
    const RECT drawn = TheShellLog().printDeviceRects[0];
    EXPECT_NEAR(page.left, drawn.left, 1);
    EXPECT_NEAR(page.top, drawn.top, 1);
    EXPECT_NEAR(page.right, drawn.right, 1);
    EXPECT_NEAR(page.bottom, drawn.bottom, 1);
    EXPECT_TRUE(Enabled(preview, CPreviewView::kIdNext));
    EXPECT_FALSE(Enabled(preview, CPreviewView::kIdPrevious));

    Click(preview, CPreviewView::kIdNext);
    EXPECT_EQ(PageLine(2, m_screenPage), Painted(preview));
    EXPECT_FALSE(Enabled(preview, CPreviewView::kIdNext));
    EXPECT_TRUE(Enabled(preview, CPreviewView::kIdPrevious));
    Click(preview, CPreviewView::kIdNext);  // beyond the last page: stays
    EXPECT_EQ(2u, preview->GetCurrentPage());
    Click(preview, CPreviewView::kIdPrevious);
    EXPECT_EQ(PageLine(1, m_screenPage), Painted(preview));

    TheShellLog().printing.clear();
    Click(preview, CPreviewView::kIdClose);
    KstPumpPendingMessages();
    EXPECT_EQ(nullptr, Preview());
    EXPECT_EQ((std::vector<std::string>{"end"}), TheShellLog().printing);
    EXPECT_EQ(menu, GetMenu(frame));
    EXPECT_TRUE(Frame().m_wndToolBar.IsWindowVisible());
    EXPECT_TRUE(Frame().m_wndStatusBar.IsWindowVisible());
    EXPECT_TRUE(view->IsWindowVisible());
    EXPECT_EQ(view->m_hWnd, GetDlgItem(frame, AFX_IDW_PANE_FIRST));
    RECT after;
    GetWindowRect(view->m_hWnd, &after);
    EXPECT_TRUE(EqualRect(&viewRect, &after));
    EXPECT_TRUE(m_job.pages.empty());
}

TEST_F(PreviewTest, PrintFromThePreviewClosesItAndPrintsOnThePrinter)
{
    ASSERT_TRUE(StartApp());
    // A default printer exists: the preview measures on it.
    Command(ID_FILE_PRINT_PREVIEW);
    CPreviewView* preview = Preview();
    ASSERT_NE(nullptr, preview);
    EXPECT_EQ(1, m_opened);
    Click(preview, CPreviewView::kIdPrint);
    ASSERT_TRUE(kst_test::PumpUntil([&] { return m_job.pages.size() == 2; }));
    EXPECT_EQ(nullptr, Preview());
    ASSERT_EQ(2u, m_dialogs.size());
    EXPECT_EQ(0u, m_dialogs[1].Flags & PD_RETURNDEFAULT);
    EXPECT_EQ((std::vector<std::string>{"begin", "end", "begin", PageLine(1, m_screenPage),
                                        PageLine(2, m_screenPage), "end"}),
              TheShellLog().printing);
}

// The real printer path: a Wine PostScript printer whose port is a file, with a PPD that
// declares margins. tools/print-file-test.sh renders the file with ghostscript afterwards
// (KST_TEST_PRINT_FILE names it then; the test keeps it).
class FilePrinterTest : public kst_test::ShellTest {
protected:
    static constexpr char kPrinter[] = "Kestro Test File Printer";

    void SetUp() override
    {
        ShellTest::SetUp();
        using UnixName = char*(CDECL*)(const wchar_t*);
        const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
        if (!unixName) {
            GTEST_SKIP() << "the file-port printer is Wine's";
        }
        if (const char* given = std::getenv("KST_TEST_PRINT_FILE"); given && *given) {
            m_port = given;
            m_keep = true;
        } else {
            wchar_t folder[MAX_PATH];
            wchar_t file[MAX_PATH];
            GetTempPathW(MAX_PATH, folder);
            GetTempFileNameW(folder, L"kps", 0, file);
            m_windowsFile = file;
            char* name = unixName(file);
            ASSERT_NE(nullptr, name);
            m_port = name;
            HeapFree(GetProcessHeap(), 0, name);
        }
        std::remove(m_port.c_str());
        DeleteFileW(m_windowsFile.c_str());
        ASSERT_TRUE(InstallPrinter());
    }
    void TearDown() override
    {
        HANDLE printer = nullptr;
        PRINTER_DEFAULTSA access{nullptr, nullptr, PRINTER_ALL_ACCESS};
        if (OpenPrinterA(const_cast<char*>(kPrinter), &printer, &access)) {
            DeletePrinter(printer);
            ClosePrinter(printer);
        }
        if (!m_keep && !m_windowsFile.empty()) {
            DeleteFileW(m_windowsFile.c_str());
        }
        ShellTest::TearDown();
    }
    // The PPD goes into the driver folder, where the PostScript driver looks for it.
    bool InstallPrinter()
    {
        char folder[MAX_PATH];
        DWORD needed = 0;
        if (!GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder),
                                        sizeof(folder), &needed)) {
            return false;
        }
        const std::string ppd = std::string(folder) + "\\kst-file-printer.ppd";
        if (!CopyFileA(KST_FRAMEWORK_FIXTURES "/file-printer.ppd", ppd.c_str(), FALSE)) {
            return false;
        }
        DRIVER_INFO_3A driver{};
        driver.cVersion = 3;
        driver.pName = const_cast<char*>(kPrinter);
        driver.pDriverPath = const_cast<char*>("wineps.drv");
        driver.pConfigFile = const_cast<char*>("wineps.drv");
        driver.pDataFile = const_cast<char*>(ppd.c_str());
        if (!AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&driver),
                                 APD_COPY_NEW_FILES)) {
            return false;
        }
        PRINTER_INFO_2A info{};
        info.pPrinterName = const_cast<char*>(kPrinter);
        info.pPortName = const_cast<char*>(m_port.c_str());  // a Unix path: the file port
        info.pDriverName = const_cast<char*>(kPrinter);
        info.pPrintProcessor = const_cast<char*>("WinPrint");
        info.pDatatype = const_cast<char*>("RAW");
        HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
        if (!printer) {
            return false;
        }
        ClosePrinter(printer);
        return true;
    }
    // What the print dialog returns for the printer: its device names.
    static HGLOBAL DeviceNames()
    {
        const std::string driver = "winspool";
        const std::string device = kPrinter;
        const size_t size = sizeof(DEVNAMES) + driver.size() + device.size() + 3;
        HGLOBAL names = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
        auto* block = static_cast<DEVNAMES*>(GlobalLock(names));
        char* base = reinterpret_cast<char*>(block);
        block->wDriverOffset = sizeof(DEVNAMES);
        block->wDeviceOffset = static_cast<WORD>(block->wDriverOffset + driver.size() + 1);
        block->wOutputOffset = static_cast<WORD>(block->wDeviceOffset + device.size() + 1);
        memcpy(base + block->wDriverOffset, driver.c_str(), driver.size() + 1);
        memcpy(base + block->wDeviceOffset, device.c_str(), device.size() + 1);
        GlobalUnlock(names);
        return names;
    }

    std::string m_port;
    std::wstring m_windowsFile;
    bool m_keep = false;
};

TEST_F(FilePrinterTest, TwoPagesReachThePrinterFileInsideTheMargins)
{
    ASSERT_TRUE(StartApp());
    KstSeams().printDialog = [](PRINTDLGA& pd) {
        pd.hDevNames = DeviceNames();
        return TRUE;
    };
    std::vector<std::string> boxes;
    KstSeams().messageBox = [&boxes](const KstMessageBoxCall& call) {
        boxes.push_back(call.text.c_str());
        return IDOK;
    };
    Frame().SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_PRINT, 0), 0);
    EXPECT_TRUE(boxes.empty());

    // The pages are the printable area of the device, which lies inside the paper.
    HDC dc = CreateDCA("WINSPOOL", kPrinter, nullptr, nullptr);
    ASSERT_NE(nullptr, dc);
    const KstPageMetrics metrics = KstGetPageMetrics(dc);
    DeleteDC(dc);
    EXPECT_GT(metrics.printableOffset.x, 0);
    EXPECT_GT(metrics.printableOffset.y, 0);
    EXPECT_LT(metrics.printable.right + metrics.printableOffset.x, metrics.paper.cx);
    EXPECT_LT(metrics.printable.bottom + metrics.printableOffset.y, metrics.paper.cy);
    EXPECT_EQ((std::vector<std::string>{"begin", PageLine(1, metrics.printable),
                                        PageLine(2, metrics.printable), "end"}),
              TheShellLog().printing);

    std::ifstream file(m_port, std::ios::binary);
    ASSERT_TRUE(file.good()) << m_port;
    const std::string postScript((std::istreambuf_iterator<char>(file)),
                                 std::istreambuf_iterator<char>());
    EXPECT_EQ(0u, postScript.rfind("%!PS", 0));
    EXPECT_NE(std::string::npos, postScript.find("%%Page: 1 1"));
    EXPECT_NE(std::string::npos, postScript.find("%%Page: 2 2"));
    EXPECT_EQ(std::string::npos, postScript.find("%%Page: 3"));
}

}  // namespace
