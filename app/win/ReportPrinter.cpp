#include "app/win/ReportPrinter.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "data/DataSet.h"
#include "foundation/FontDesc.h"
#include "foundation/win/StringLoader.h"
#include "framework/PrintInfo.h"
#include "framework/View.h"
#include "panels/win/PrintReportDlg.h"
#include "resources/StringIds.h"

namespace {

constexpr int kNormalWeight = 400;
constexpr int kBoldWeight = 700;

// A font of the report selected into a device for the life of the object.
class ReportFont {
public:
    ReportFont(HDC dc, int weight) : m_dc(dc)
    {
        HDC screen = GetDC(nullptr);
        const int screenDpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
        if (screen) {
            ReleaseDC(nullptr, screen);
        }
        CKSTFontDesc desc;
        desc.m_height = KstReportFontHeight(GetDeviceCaps(dc, LOGPIXELSY), screenDpi);
        desc.m_weight = weight;
        if (desc.CreateFont(m_font)) {
            m_previous = SelectObject(dc, m_font);
        }
    }
    ~ReportFont()
    {
        if (m_previous) {
            SelectObject(m_dc, m_previous);
        }
        if (m_font) {
            DeleteObject(m_font);
        }
    }
    ReportFont(const ReportFont&) = delete;
    ReportFont& operator=(const ReportFont&) = delete;

private:
    HDC m_dc;
    KstFontHandle m_font = nullptr;
    HGDIOBJ m_previous = nullptr;
};

void DrawLineText(HDC dc, int x, int y, UINT align, const CKSTString& text)
{
    if (text.IsEmpty()) {
        return;
    }
    SetTextAlign(dc, align | TA_TOP | TA_NOUPDATECP);
    TextOutA(dc, x, y, text.c_str(), text.GetLength());
}

int LineHeight(HDC dc)
{
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    return metrics.tmHeight;
}

constexpr UINT kWrap = DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS;

// Height of the word-wrapped text over the rectangle's width.
int MeasureTextBlock(HDC dc, const RECT& rect, const CKSTString& text)
{
    RECT measured = rect;
    measured.bottom = measured.top;
    return DrawTextA(dc, text.c_str(), text.GetLength(), &measured, kWrap | DT_CALCRECT);
}

// The page's rectangle inside the margins.
RECT MarginRect(HDC dc, const CPrintInfo* info, const CKSTPageLayout& layout)
{
    CKSTPageLayout margins = layout;
    margins.m_strTopLine.Empty();
    margins.m_strBottomLine.Empty();
    return KstLayoutCurvePage(info->m_rectDraw, margins, KstReportDeviceOf(dc)).lines;
}

}  // namespace

KstReportDevice KstReportDeviceOf(HDC dc)
{
    KstReportDevice device;
    device.horzRes = GetDeviceCaps(dc, HORZRES);
    device.vertRes = GetDeviceCaps(dc, VERTRES);
    device.horzSizeMm = GetDeviceCaps(dc, HORZSIZE);
    device.vertSizeMm = GetDeviceCaps(dc, VERTSIZE);
    device.logPixelsX = GetDeviceCaps(dc, LOGPIXELSX);
    device.logPixelsY = GetDeviceCaps(dc, LOGPIXELSY);
    return device;
}

void CKSTReportPrinter::PreparePrinting(CPrintInfo* info) const
{
    int first = 1;
    int last = 1;
    KstReportPageRange(m_settings, first, last);
    info->SetMinPage(static_cast<UINT>(first));
    info->SetMaxPage(static_cast<UINT>(last));
}

void CKSTReportPrinter::Print(HDC dc, CPrintInfo* info)
{
    if (m_settings.m_nPageMode == KST_REPORT_TIME_PAGES) {
        PrintCurvePage(dc, info);
    } else {
        PrintReportPage(dc, info);
    }
}

void CKSTReportPrinter::EndPrinting()
{
    m_host.OnReportEnded();
}

void CKSTReportPrinter::PrintCurvePage(HDC dc, CPrintInfo* info)
{
    const KstCurvePageRects rects =
        KstLayoutCurvePage(info->m_rectDraw, m_settings.m_layout, KstReportDeviceOf(dc));
    const KstPageInterval interval =
        KstReportPageInterval(m_settings, static_cast<int>(info->m_nCurPage));
    RenderReportPage(dc, info, rects.lines);
    m_host.DrawCurveSlice(dc, rects.picture, interval.from, interval.to);
}

CKSTString CKSTReportPrinter::ExpandHeaderTokens(const CKSTString& text,
                                                 const CPrintInfo* info) const
{
    const int page = static_cast<int>(info->m_nCurPage);
    const int pages = static_cast<int>(info->GetMaxPage());
    KstReportTokens tokens;
    if (const CKSTDataSet* data = m_host.GetReportData()) {
        tokens = KstReportTokensFor(*data, m_host.IsEnglish(), page, pages);
    } else {
        tokens.page = page;
        tokens.pages = pages;
    }
    return KstExpandHeaderTokens(text, tokens);
}

void CKSTReportPrinter::RenderReportPage(HDC dc, CPrintInfo* info, const RECT& rect)
{
    const CKSTString* templates[] = {&m_settings.m_layout.m_strTopLine,
                                     &m_settings.m_layout.m_strBottomLine};
    const int rows[] = {rect.top, rect.bottom};
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const UINT oldAlign = GetTextAlign(dc);
    for (int i = 0; i < 2; ++i) {
        if (templates[i]->IsEmpty()) {
            continue;
        }
        ReportFont font(dc, kBoldWeight);
        const KstHeaderLineParts parts =
            KstSplitHeaderLine(ExpandHeaderTokens(*templates[i], info));
        DrawLineText(dc, rect.left, rows[i], TA_LEFT, parts.left);
        DrawLineText(dc, (rect.left + rect.right) / 2, rows[i], TA_CENTER, parts.centre);
        DrawLineText(dc, rect.right, rows[i], TA_RIGHT, parts.right);
    }
    SetTextAlign(dc, oldAlign);
    SetBkMode(dc, oldMode);
}

int CKSTReportPrinter::DrawTextBlock(const RECT& rect, HDC dc, const CKSTString& text)
{
    if (text.IsEmpty()) {
        return 0;
    }
    const int height = MeasureTextBlock(dc, rect, text);
    const bool oneLine = text.Find('\n') < 0 && text.Find('\r') < 0 && height <= LineHeight(dc);
    RECT target = rect;
    target.bottom = std::max(rect.bottom, static_cast<LONG>(rect.top + height));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text.c_str(), text.GetLength(), &target, kWrap | (oneLine ? DT_CENTER : DT_LEFT));
    SetBkMode(dc, oldMode);
    return height;
}

void CKSTReportPrinter::PrintReportPage(HDC dc, CPrintInfo* info)
{
    const bool english = m_host.IsEnglish();
    const CKSTDataSet* data = m_host.GetReportData();
    const RECT area = MarginRect(dc, info, m_settings.m_layout);
    const int pageWidth = info->m_rectDraw.right - info->m_rectDraw.left;
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const UINT oldAlign = GetTextAlign(dc);

    KstReportPageRects rects{};
    {
        ReportFont font(dc, kNormalWeight);
        const int lineHeight = LineHeight(dc);
        const CKSTString comment = data ? data->GetComment() : CKSTString();
        const int commentHeight = comment.IsEmpty() ? 0 : MeasureTextBlock(dc, area, comment);
        rects = KstLayoutReportPage(area, pageWidth, lineHeight, commentHeight,
                                    GetDeviceCaps(dc, LOGPIXELSY));
        const CKSTString printLine = KstReportPrintLine(
            LoadResString(KST_STR_REPORT_PRINTED_BY, english),
            LoadResString(KST_STR_PRODUCT_NAME, english),
            LoadResString(KST_STR_REPORT_PRINTED_AT, english), CKSTTimeStamp::Now(), english);
        DrawLineText(dc, info->m_rectDraw.left + rects.printLineCentre.x, rects.printLineCentre.y,
                     TA_CENTER, printLine);
        if (data) {
            DrawTextBlock(rects.comment, dc, comment);
            const CKSTString dateLine =
                KstReportDateLine(LoadResString(KST_STR_REPORT_DATE_TIME, english), *data, english);
            DrawLineText(dc, info->m_rectDraw.left + rects.dateLineCentre.x, rects.dateLineCentre.y,
                         TA_CENTER, dateLine);
        }
    }
    if (data) {
        ReportFont font(dc, kBoldWeight);
        DrawLineText(dc, (rects.title.left + rects.title.right) / 2, rects.title.top, TA_CENTER,
                     data->GetTitle());
    }
    SetTextAlign(dc, oldAlign);
    SetBkMode(dc, oldMode);
    m_host.DrawDisplay(dc, rects.picture);
}

bool KstRunPrintReport(CWnd* parent, uint32_t language, const IKSTReportRangeSource& source,
                       CKSTPageLayout& remembered, CKSTReportSettings& request)
{
    const double start = source.GetDataStartTime();
    const double end = source.GetDataEndTime();
    const bool xChannelAxis = source.IsXYDisplay();
    CKSTPrintReportDlg dialog(language, parent);
    dialog.SetRangeSource(&source);
    dialog.m_layout = remembered;
    double width = std::fabs(end - start);
    double secondsPerX = 0.0;
    dialog.m_dXMin = start;
    dialog.m_dXMax = end;
    if (xChannelAxis) {
        dialog.m_dXMin = source.GetXValueAtTime(start);
        dialog.m_dXMax = source.GetXValueAtTime(end);
        double step = 0.0;
        int count = 0;
        if (source.GetXChannelStep(step, count)) {
            width = count * step;
            secondsPerX = (end - start) / width;
        } else {
            width = std::fabs(dialog.m_dXMax - dialog.m_dXMin);
            secondsPerX = (end - start) / (dialog.m_dXMax - dialog.m_dXMin);
        }
        // An X channel without extent gives no scale.
        if (!std::isfinite(secondsPerX) || secondsPerX == 0.0) {
            secondsPerX = 0.0;
        }
        dialog.m_dScaleFactor = secondsPerX != 0.0 ? 1.0 / secondsPerX : 0.0;
        if (!std::isfinite(width)) {
            width = 0.0;
        }
    }
    dialog.m_dRangePerPage = width;
    for (double part : {0.1, 0.2, 0.5}) {
        const double truncated = std::trunc(part * width);
        if (truncated != 0.0) {
            dialog.m_dRangePerPage = truncated;
            break;
        }
    }
    if (dialog.DoModal() != IDOK) {
        return false;
    }

    request.m_nPageMode = KST_REPORT_TIME_PAGES;
    request.m_layout = dialog.m_layout;
    remembered = dialog.m_layout;
    request.m_nRangeMode = dialog.m_nRangeMode;
    switch (dialog.m_nRangeMode) {
        case KST_REPORT_RANGE_WINDOW:
            request.m_dStart = source.GetVisibleXMin();
            request.m_dEnd = source.GetVisibleXMax();
            break;
        case KST_REPORT_RANGE_CURSORS:
            request.m_dStart = source.GetLeftCursorValue();
            request.m_dEnd = source.GetRightCursorValue();
            break;
        case KST_REPORT_RANGE_X:
            request.m_dStart =
                xChannelAxis ? source.GetTimeOfNearestXValue(dialog.m_dXMin) : dialog.m_dXMin;
            request.m_dEnd =
                xChannelAxis ? source.GetTimeOfNearestXValue(dialog.m_dXMax) : dialog.m_dXMax;
            break;
        default:
            // No choice made prints the whole file.
            request.m_dStart = start;
            request.m_dEnd = end;
            break;
    }
    request.m_dPageDuration =
        xChannelAxis ? std::fabs(dialog.m_dRangePerPage * secondsPerX) : dialog.m_dRangePerPage;
    request.m_nPageCount = dialog.m_nPages;
    return true;
}

void KstRequestDisplayPrint(CKSTReportSettings& request)
{
    request.m_nPageMode = KST_REPORT_SINGLE_PAGE;
}

void KstPrintWithSettings(CView& view, CKSTReportPrinter& printer,
                          const CKSTReportSettings& request, bool preview)
{
    printer.SetSettings(request);
    if (preview) {
        view.OnFilePrintPreview();
    } else {
        view.OnFilePrint();
    }
}
