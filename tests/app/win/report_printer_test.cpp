// Report pages rendered into enhanced metafiles, read back record by record, and the print report
// command through the modal seam.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/win/ReportPrinter.h"
#include "data/DataSet.h"
#include "framework/PrintInfo.h"
#include "framework/View.h"
#include "framework/framework_test_support.h"
#include "resources/ResourceIds.h"
#include "support/FakeReportRange.h"
#include "support/win/DialogScript.h"
#include "support/win/MetafilePrinter.h"

namespace kst_test {
namespace {

// A text record of a page: the text and its reference point (where its alignment anchors it).
struct DrawnText {
    std::string text;
    POINTL at;
};

std::vector<DrawnText> ReadTexts(HENHMETAFILE page)
{
    std::vector<DrawnText> texts;
    auto collect = [](HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data) -> int {
        auto* out = reinterpret_cast<std::vector<DrawnText>*>(data);
        if (record->iType == EMR_EXTTEXTOUTW) {
            const auto* text = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
            const auto* chars = reinterpret_cast<const wchar_t*>(
                reinterpret_cast<const BYTE*>(record) + text->emrtext.offString);
            char narrow[1024] = {};
            WideCharToMultiByte(1252, 0, chars, static_cast<int>(text->emrtext.nChars), narrow,
                                sizeof narrow - 1, nullptr, nullptr);
            out->push_back({narrow, text->emrtext.ptlReference});
        } else if (record->iType == EMR_EXTTEXTOUTA) {
            const auto* text = reinterpret_cast<const EMREXTTEXTOUTA*>(record);
            const auto* chars = reinterpret_cast<const char*>(record) + text->emrtext.offString;
            out->push_back({std::string(chars, text->emrtext.nChars), text->emrtext.ptlReference});
        }
        return 1;
    };
    EnumEnhMetaFile(nullptr, page, collect, &texts, nullptr);
    return texts;
}

const DrawnText* FindText(const std::vector<DrawnText>& texts, const std::string& text)
{
    for (const DrawnText& drawn : texts) {
        if (drawn.text == text) {
            return &drawn;
        }
    }
    return nullptr;
}

std::string Number(double value)
{
    return std::to_string(static_cast<int>(value));
}

// The view's side: records which pictures the pages asked for and marks them on the page.
class RecordingHost : public IKSTReportHost {
public:
    const CKSTDataSet* data = nullptr;
    bool english = true;
    std::vector<std::pair<double, double>> slices;
    std::vector<RECT> pictures;
    int displays = 0;
    int ended = 0;

    const CKSTDataSet* GetReportData() const override { return data; }
    bool IsEnglish() const override { return english; }
    void DrawCurveSlice(HDC dc, const RECT& rect, double from, double to) override
    {
        slices.emplace_back(from, to);
        pictures.push_back(rect);
        const std::string text = "slice " + Number(from) + ".." + Number(to);
        SetTextAlign(dc, TA_LEFT | TA_TOP);
        TextOutA(dc, rect.left, rect.top, text.c_str(), static_cast<int>(text.size()));
    }
    void DrawDisplay(HDC dc, const RECT& rect) override
    {
        ++displays;
        pictures.push_back(rect);
        SetTextAlign(dc, TA_LEFT | TA_TOP);
        TextOutA(dc, rect.left, rect.top, "display", 7);
    }
    void OnReportEnded() override { ++ended; }
};

// Prints one page of the job into a metafile as the framework does: page range first, the
// device's printable area as the drawing rectangle.
HENHMETAFILE PrintPage(CKSTReportPrinter& printer, UINT page, UINT* lastPage = nullptr)
{
    CPrintInfo info;
    printer.PreparePrinting(&info);
    if (lastPage) {
        *lastPage = info.GetMaxPage();
    }
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    info.m_nCurPage = page;
    info.m_rectDraw = KstGetPageMetrics(dc).printable;
    printer.Print(dc, &info);
    return CloseEnhMetaFile(dc);
}

// The page a metafile device measures (the screen's).
RECT MetafilePage(KstReportDevice* device = nullptr)
{
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    const RECT page = KstGetPageMetrics(dc).printable;
    if (device) {
        *device = KstReportDeviceOf(dc);
    }
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
    return page;
}

class ReportPrinter : public FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        m_data.SetStartTimeStamp(CKSTTimeStamp(2026, 12, 24, 13, 45, 10));
        m_data.SetTitle("Run 7");
        m_data.GetHeader().SetString("Operator", "Anna");
        m_host.data = &m_data;
    }

    CKSTDataSet m_data;
    RecordingHost m_host;
};

TEST_F(ReportPrinter, TimeRasterPagesDrawTheirLinesAndSlicesInBothLanguages)
{
    struct Case {
        bool english;
        const char* top;
        const char* bottom;
        const char* right;   // the top line's right part
        const char* centre;  // the bottom line's centre part on page 2
    };
    const Case cases[] = {
        {true, "&[Title];;&[Date] &[Time]", ";Page &[Page] of &[Pages];",
         "24. December 2026 13:45:10", "Page 2 of 3"},
        {false, "&[Titel];;&[Datum] &[Zeit]", ";Seite &[Seite] von &[Seiten] (&[Operator]);",
         "24. Dezember 2026 13:45:10", "Seite 2 von 3 (Anna)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.centre);
        m_host = RecordingHost();
        m_host.data = &m_data;
        m_host.english = c.english;
        CKSTReportSettings settings;
        settings.m_nPageMode = KST_REPORT_TIME_PAGES;
        settings.m_nPageCount = 3;
        settings.m_dStart = 100;  // backwards in time
        settings.m_dEnd = 0;
        settings.m_dPageDuration = 10;
        settings.m_layout.m_strTopLine = c.top;
        settings.m_layout.m_strBottomLine = c.bottom;
        CKSTReportPrinter printer(m_host);
        printer.SetSettings(settings);

        KstReportDevice device;
        const RECT page = MetafilePage(&device);
        const KstCurvePageRects rects = KstLayoutCurvePage(page, settings.m_layout, device);
        ASSERT_LT(rects.picture.top, rects.picture.bottom);
        ASSERT_LT(rects.lines.bottom, page.bottom);

        for (UINT number = 1; number <= 3; ++number) {
            SCOPED_TRACE(number);
            UINT last = 0;
            HENHMETAFILE emf = PrintPage(printer, number, &last);
            const std::vector<DrawnText> texts = ReadTexts(emf);
            DeleteEnhMetaFile(emf);
            EXPECT_EQ(last, 3u);

            const DrawnText* title = FindText(texts, "Run 7");
            ASSERT_NE(title, nullptr);
            EXPECT_EQ(title->at.x, rects.lines.left);
            EXPECT_EQ(title->at.y, rects.lines.top);
            const DrawnText* date = FindText(texts, c.right);
            ASSERT_NE(date, nullptr);
            EXPECT_EQ(date->at.x, rects.lines.right);
            EXPECT_EQ(date->at.y, rects.lines.top);

            const std::string slice = "slice " + std::to_string(100 - 10 * number) + ".." +
                                      std::to_string(110 - 10 * number);
            const DrawnText* picture = FindText(texts, slice);
            ASSERT_NE(picture, nullptr);
            EXPECT_EQ(picture->at.x, rects.picture.left);
            EXPECT_EQ(picture->at.y, rects.picture.top);
            // Title, date, footer centre and the slice: no token text, nothing at the left of
            // the footer.
            EXPECT_EQ(texts.size(), 4u);
            for (const DrawnText& drawn : texts) {
                EXPECT_EQ(drawn.text.find("&["), std::string::npos) << drawn.text;
            }
            if (number == 2) {
                const DrawnText* footer = FindText(texts, c.centre);
                ASSERT_NE(footer, nullptr);
                EXPECT_EQ(footer->at.x, (rects.lines.left + rects.lines.right) / 2);
                EXPECT_EQ(footer->at.y, rects.lines.bottom);
            }
        }
        ASSERT_EQ(m_host.pictures.size(), 3u);
        EXPECT_EQ(m_host.pictures[0].bottom, rects.picture.bottom);
        EXPECT_EQ(m_host.pictures[0].right, rects.picture.right);
        printer.EndPrinting();
        EXPECT_EQ(m_host.ended, 1);
    }
}

TEST_F(ReportPrinter, EmptyTemplatesLeaveTheMarginRectangleToThePicture)
{
    CKSTReportSettings settings;
    settings.m_nPageMode = KST_REPORT_TIME_PAGES;
    settings.m_nPageCount = 1;
    settings.m_dStart = 0;
    settings.m_dEnd = 50;
    settings.m_dPageDuration = 50;
    CKSTReportPrinter printer(m_host);
    printer.SetSettings(settings);
    HENHMETAFILE emf = PrintPage(printer, 1);
    const std::vector<DrawnText> texts = ReadTexts(emf);
    DeleteEnhMetaFile(emf);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "slice 0..50");

    KstReportDevice device;
    const RECT page = MetafilePage(&device);
    double perMmX = 0;
    double perMmY = 0;
    KstReportPixelsPerMm(device, perMmX, perMmY);
    ASSERT_EQ(m_host.pictures.size(), 1u);
    const RECT& picture = m_host.pictures[0];
    EXPECT_EQ(picture.left, static_cast<int>(20 * perMmX));
    EXPECT_EQ(picture.top, static_cast<int>(10 * perMmY));
    EXPECT_EQ(picture.right, page.right - static_cast<int>(10 * perMmX));
    EXPECT_EQ(picture.bottom, page.bottom - static_cast<int>(10 * perMmY));
}

TEST_F(ReportPrinter, SingleReportPageShowsTheTextBlockAboveTheDisplay)
{
    m_data.SetComment("Short comment", false);
    m_data.GetHeader().SetString("Datum", "24.12.2026");
    m_data.GetHeader().SetString("Zeit", "13:45:10");
    const struct {
        bool english;
        const char* printedBy;
        const char* dateLine;
    } cases[] = {
        {true, "printed by Talvenor - Vizuve at ", "Date/Time: 24.12.2026 13:45:10"},
        {false, "gedruckt mit Talvenor - Vizuve am ", "Datum/Zeit: 24.12.2026 13:45:10"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dateLine);
        m_host = RecordingHost();
        m_host.data = &m_data;
        m_host.english = c.english;
        CKSTReportPrinter printer(m_host);  // a fresh request prints the display on one page
        UINT last = 0;
        HENHMETAFILE emf = PrintPage(printer, 1, &last);
        const std::vector<DrawnText> texts = ReadTexts(emf);
        DeleteEnhMetaFile(emf);
        EXPECT_EQ(last, 1u);
        EXPECT_EQ(m_host.displays, 1);
        EXPECT_TRUE(m_host.slices.empty());

        const RECT page = MetafilePage();
        const DrawnText* printLine = nullptr;
        for (const DrawnText& drawn : texts) {
            if (drawn.text.rfind(c.printedBy, 0) == 0) {
                printLine = &drawn;
            }
        }
        ASSERT_NE(printLine, nullptr);
        EXPECT_EQ(printLine->at.x, page.right * 4 / 5);
        const DrawnText* title = FindText(texts, "Run 7");
        const DrawnText* comment = FindText(texts, "Short comment");
        const DrawnText* date = FindText(texts, c.dateLine);
        const DrawnText* display = FindText(texts, "display");
        ASSERT_TRUE(title && comment && date && display);
        EXPECT_EQ(date->at.x, page.right / 2);
        // Print line, title and comment over the picture, the date line below it.
        EXPECT_LT(printLine->at.y, title->at.y);
        EXPECT_LT(title->at.y, comment->at.y);
        EXPECT_LT(comment->at.y, display->at.y);
        EXPECT_LT(display->at.y, date->at.y);
        EXPECT_LT(m_host.pictures[0].bottom, date->at.y);
    }
}

// A view that hands its print protocol to the report printer, as the main view does.
class ReportView : public CView {
public:
    explicit ReportView(IKSTReportHost& host) : printer(host) {}
    CKSTReportPrinter printer;

protected:
    void OnDraw(HDC) override {}
    BOOL OnPreparePrinting(CPrintInfo* info) override
    {
        printer.PreparePrinting(info);
        return DoPreparePrinting(info);
    }
    void OnPrint(HDC dc, CPrintInfo* info) override { printer.Print(dc, info); }
    void OnEndPrinting(HDC, CPrintInfo*) override { printer.EndPrinting(); }
};

TEST_F(ReportPrinter, AViewPrintsEveryPageOfTheRequestThroughThePlatformJob)
{
    std::vector<HENHMETAFILE> pages;
    std::vector<int> dialogMaxPages;
    KstPrinting().openPrinter = [&](const PRINTDLGA&) -> std::unique_ptr<KstPrintDevice> {
        return std::make_unique<MetafilePrinter>(pages);
    };
    KstSeams().printDialog = [&](PRINTDLGA& pd) {
        dialogMaxPages.push_back(pd.nMaxPage);
        return TRUE;
    };
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, "STATIC", "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr));
    auto* view = new ReportView(m_host);
    ASSERT_TRUE(view->Create(&parent, 1, nullptr));

    CKSTReportSettings request;
    request.m_nPageMode = KST_REPORT_TIME_PAGES;
    request.m_nPageCount = 3;
    request.m_dEnd = 30;
    request.m_dPageDuration = 10;
    request.m_layout.m_strBottomLine = "&[Page]/&[Pages]";
    KstPrintWithSettings(*view, view->printer, request, false);
    ASSERT_EQ(pages.size(), 3u);
    for (size_t i = 0; i < pages.size(); ++i) {
        const std::vector<DrawnText> texts = ReadTexts(pages[i]);
        const std::string footer = std::to_string(i + 1) + "/3";
        EXPECT_NE(FindText(texts, footer), nullptr) << footer;
        EXPECT_NE(
            FindText(texts, "slice " + std::to_string(10 * i) + ".." + std::to_string(10 * i + 10)),
            nullptr);
        DeleteEnhMetaFile(pages[i]);
    }
    pages.clear();
    EXPECT_EQ(m_host.ended, 1);

    // The print command afterwards prints the display on one page.
    KstRequestDisplayPrint(request);
    KstPrintWithSettings(*view, view->printer, request, false);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(FindText(ReadTexts(pages[0]), "display"), nullptr);
    DeleteEnhMetaFile(pages[0]);
    EXPECT_EQ(dialogMaxPages, (std::vector<int>{3, 1}));
    EXPECT_EQ(m_host.ended, 2);
    KstResetPrintSeams();
    parent.DestroyWindow();
}

// The command presets the dialog from the record and fills the print request on OK.
class PrintReportCommand : public FrameworkTest {};

TEST_F(PrintReportCommand, TimeAxisPresetsAndTheCursorRange)
{
    FakeReportRange range;
    CKSTPageLayout remembered;
    remembered.m_strTopLine = "&[Title]";
    remembered.m_dMarginLeft = 15;
    CKSTReportSettings request;
    std::string xMin, xMax, perPage, top, left;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .Run([&](CWnd& d) {
                                     char text[256];
                                     GetDlgItemTextA(d.m_hWnd, IDC_REPORT_XMIN, text, 256);
                                     xMin = text;
                                     GetDlgItemTextA(d.m_hWnd, IDC_REPORT_XMAX, text, 256);
                                     xMax = text;
                                     GetDlgItemTextA(d.m_hWnd, IDC_REPORT_PER_PAGE, text, 256);
                                     perPage = text;
                                     GetDlgItemTextA(d.m_hWnd, IDC_REPORT_TOP_LINE, text, 256);
                                     top = text;
                                     GetDlgItemTextA(d.m_hWnd, IDC_REPORT_LEFT, text, 256);
                                     left = text;
                                 })
                                 .Click(IDC_REPORT_RANGE_CURSORS)
                                 .SetText(IDC_REPORT_PER_PAGE, "0,25")
                                 .SetText(IDC_REPORT_BOTTOM, "5")
                                 .Click(IDOK);
    ASSERT_TRUE(KstRunPrintReport(nullptr, 1, range, remembered, request));
    EXPECT_EQ(xMin, "10");
    EXPECT_EQ(xMax, "110");
    EXPECT_EQ(perPage, "10") << "a tenth of the 100 s of data";
    EXPECT_EQ(top, "&[Title]");
    EXPECT_EQ(left, "15");

    EXPECT_EQ(request.m_nPageMode, KST_REPORT_TIME_PAGES);
    EXPECT_EQ(request.m_nRangeMode, KST_REPORT_RANGE_CURSORS);
    EXPECT_DOUBLE_EQ(request.m_dStart, 5.0);
    EXPECT_DOUBLE_EQ(request.m_dEnd, 6.0);
    EXPECT_DOUBLE_EQ(request.m_dPageDuration, 0.25);
    EXPECT_EQ(request.m_nPageCount, 4);
    EXPECT_DOUBLE_EQ(request.m_layout.m_dMarginBottom, 5.0);
    EXPECT_DOUBLE_EQ(remembered.m_dMarginBottom, 5.0);
    EXPECT_EQ(remembered.m_strBottomLine, "Page &[Page] of &[Pages]");

    // Cancel changes neither the request nor the remembered layout.
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).SetText(IDC_REPORT_LEFT, "99");
    const CKSTReportSettings before = request;
    EXPECT_FALSE(KstRunPrintReport(nullptr, 0, range, remembered, request));
    EXPECT_DOUBLE_EQ(request.m_dStart, before.m_dStart);
    EXPECT_DOUBLE_EQ(remembered.m_dMarginLeft, 15.0);
}

TEST_F(PrintReportCommand, XChannelAxisTurnsTypedValuesIntoTimes)
{
    // X = 2 t with a dominant step of 0.5 over 100 samples: 50 X units for 100 s.
    FakeReportRange range;
    range.xy = true;
    range.xStep = 0.5;
    range.xCount = 100;
    CKSTPageLayout remembered;
    CKSTReportSettings request;
    std::string xMin, xMax, perPage, pages;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .Run([&](CWnd& d) {
                                     char text[256];
                                     GetDlgItemTextA(d.m_hWnd, IDC_REPORT_XMIN, text, 256);
                                     xMin = text;
                                     GetDlgItemTextA(d.m_hWnd, IDC_REPORT_XMAX, text, 256);
                                     xMax = text;
                                     GetDlgItemTextA(d.m_hWnd, IDC_REPORT_PER_PAGE, text, 256);
                                     perPage = text;
                                 })
                                 .Click(IDC_REPORT_RANGE_X)
                                 .SetText(IDC_REPORT_XMIN, "40")
                                 .SetText(IDC_REPORT_XMAX, "140")
                                 .Run([&](CWnd& d) {
                                     char text[64];
                                     GetDlgItemTextA(d.m_hWnd, IDC_REPORT_PAGES, text, 64);
                                     pages = text;
                                 })
                                 .Click(IDOK);
    ASSERT_TRUE(KstRunPrintReport(nullptr, 1, range, remembered, request));
    EXPECT_EQ(xMin, "20");
    EXPECT_EQ(xMax, "220");
    EXPECT_EQ(perPage, "5");
    // 40..140 are the times 20..70: 50 s at 0.5 X units per second, 5 per page.
    EXPECT_EQ(pages, "5");
    EXPECT_DOUBLE_EQ(request.m_dStart, 20.0);
    EXPECT_DOUBLE_EQ(request.m_dEnd, 70.0);
    EXPECT_DOUBLE_EQ(request.m_dPageDuration, 10.0) << "5 X units at 2 s each";
    EXPECT_EQ(request.m_nPageCount, 5);
}

}  // namespace
}  // namespace kst_test
