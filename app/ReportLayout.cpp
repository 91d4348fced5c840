#include "app/ReportLayout.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "data/DataSet.h"
#include "foundation/HeaderInfoList.h"

namespace {

// The print dialog holds page numbers in 16 bits.
constexpr int kMaxPages = 65535;
// The header's and the footer's row, millimetres.
constexpr double kLineRowMm = 10.0;

const char* TimeLocale(bool english)
{
    return english ? "enu" : "german-austrian";
}

int Pixels(double millimetres, double perMm)
{
    const double pixels = millimetres * perMm;
    if (!std::isfinite(pixels)) {
        return 0;
    }
    return static_cast<int>(std::clamp(pixels, -1e9, 1e9));
}

// Keeps the rectangle from turning inside out.
RECT Ordered(RECT r)
{
    r.right = std::max(r.right, r.left);
    r.bottom = std::max(r.bottom, r.top);
    return r;
}

CKSTString VisibleHeaderValue(const CKSTHeaderInfoList* header, const CKSTString& name, bool& found)
{
    found = false;
    if (!header) {
        return {};
    }
    const int count = header->GetCount(true);
    for (int i = 0; i < count; ++i) {
        const CKSTHeaderInfoItem& item = header->GetItem(i);
        if (!item.m_hidden && item.m_name == name) {
            found = true;
            return item.GetValueText();
        }
    }
    return {};
}

CKSTString TokenValue(const CKSTString& name, const KstReportTokens& tokens)
{
    if (name == "Page" || name == "Seite") {
        return CKSTString::FormatInt(tokens.page);
    }
    if (name == "Pages" || name == "Seiten") {
        return CKSTString::FormatInt(tokens.pages);
    }
    if (name == "Title" || name == "Titel") {
        return tokens.title;
    }
    if (name == "Date" || name == "Datum") {
        return tokens.date;
    }
    if (name == "Time" || name == "Zeit") {
        return tokens.time;
    }
    bool found = false;
    return VisibleHeaderValue(tokens.header, name, found);
}

CKSTString Text(std::string_view part)
{
    CKSTString text;
    text.Assign(part.data(), static_cast<int>(part.size()));
    return text;
}

void Append(CKSTString& out, std::string_view part)
{
    out += Text(part);
}

}  // namespace

void KstReportPageRange(const CKSTReportSettings& settings, int& first, int& last)
{
    first = 1;
    last = settings.m_nPageMode == KST_REPORT_TIME_PAGES
               ? std::clamp(settings.m_nPageCount, 1, kMaxPages)
               : 1;
}

KstPageInterval KstReportPageInterval(const CKSTReportSettings& settings, int page)
{
    const double index = static_cast<double>(page - 1);
    const double duration = settings.m_dPageDuration;
    if (settings.m_dStart <= settings.m_dEnd) {
        const double from = settings.m_dStart + index * duration;
        return {from, from + duration};
    }
    const double to = settings.m_dStart - index * duration;
    return {to - duration, to};
}

void KstReportPixelsPerMm(const KstReportDevice& device, double& perMmX, double& perMmY)
{
    constexpr double kMmPerInch = 25.4;
    perMmX = device.horzSizeMm > 0 ? static_cast<double>(device.horzRes) / device.horzSizeMm
                                   : device.logPixelsX / kMmPerInch;
    perMmY = device.vertSizeMm > 0 ? static_cast<double>(device.vertRes) / device.vertSizeMm
                                   : device.logPixelsY / kMmPerInch;
}

KstCurvePageRects KstLayoutCurvePage(const RECT& draw, const CKSTPageLayout& layout,
                                     const KstReportDevice& device)
{
    double perMmX = 0.0;
    double perMmY = 0.0;
    KstReportPixelsPerMm(device, perMmX, perMmY);
    RECT lines = draw;
    lines.left += Pixels(layout.m_dMarginLeft, perMmX);
    lines.right -= Pixels(layout.m_dMarginRight, perMmX);
    lines.top += Pixels(layout.m_dMarginTop, perMmY);
    lines.bottom -= Pixels(layout.m_dMarginBottom, perMmY);
    lines = Ordered(lines);
    const int row = Pixels(kLineRowMm, perMmY);
    if (!layout.m_strBottomLine.IsEmpty()) {
        lines.bottom = std::max(lines.top, lines.bottom - row);
    }
    RECT picture = lines;
    if (!layout.m_strTopLine.IsEmpty()) {
        picture.top = std::min(picture.bottom, picture.top + row);
    }
    return {lines, picture};
}

int KstReportFontHeight(int deviceLogPixelsY, int screenLogPixelsY)
{
    constexpr int kScreenPixels = 14;
    if (screenLogPixelsY <= 0 || deviceLogPixelsY <= 0) {
        return kScreenPixels;
    }
    return static_cast<int>(
        std::lround(static_cast<double>(kScreenPixels) * deviceLogPixelsY / screenLogPixelsY));
}

KstReportTokens KstReportTokensFor(const CKSTDataSet& data, bool english, int page, int pages)
{
    KstReportTokens tokens;
    tokens.page = page;
    tokens.pages = pages;
    tokens.title = data.GetTitle();
    const CKSTTimeStamp start = data.GetEarliestStartTimeStamp();
    tokens.date = start.FormatStrftime("%d. %B %Y", TimeLocale(english));
    tokens.time = start.FormatStrftime("%H:%M:%S", TimeLocale(english));
    tokens.header = &data.GetHeader();
    return tokens;
}

CKSTString KstExpandHeaderTokens(const CKSTString& text, const KstReportTokens& tokens)
{
    const std::string_view in(text.c_str(), static_cast<size_t>(text.GetLength()));
    if (in.find("&[") == std::string_view::npos) {
        return text;
    }
    CKSTString out;
    size_t pos = 0;
    while (pos < in.size()) {
        const size_t open = in.find("&[", pos);
        if (open == std::string_view::npos) {
            break;
        }
        const size_t close = in.find(']', open + 2);
        if (close == std::string_view::npos) {
            break;
        }
        const std::string_view name = in.substr(open + 2, close - open - 2);
        if (name.find("&[") != std::string_view::npos) {
            // The first "&[" opens no token: it is text, and the scan goes on behind it.
            Append(out, in.substr(pos, open + 2 - pos));
            pos = open + 2;
            continue;
        }
        Append(out, in.substr(pos, open - pos));
        out += TokenValue(Text(name), tokens);
        pos = close + 1;
    }
    Append(out, in.substr(std::min(pos, in.size())));
    return out;
}

KstHeaderLineParts KstSplitHeaderLine(const CKSTString& text)
{
    const std::string_view in(text.c_str(), static_cast<size_t>(text.GetLength()));
    KstHeaderLineParts parts;
    const size_t first = in.find(';');
    Append(parts.left, in.substr(0, first));
    if (first == std::string_view::npos) {
        return parts;
    }
    const size_t second = in.find(';', first + 1);
    Append(parts.centre,
           in.substr(first + 1, second == std::string_view::npos ? std::string_view::npos
                                                                 : second - first - 1));
    if (second != std::string_view::npos) {
        Append(parts.right, in.substr(second + 1));
    }
    return parts;
}

CKSTString KstReportPrintLine(const CKSTString& printedBy, const CKSTString& program,
                              const CKSTString& at, const CKSTTimeStamp& now, bool english)
{
    return printedBy + program + " " + at +
           now.FormatStrftime("%d. %B %Y %H:%M:%S", TimeLocale(english));
}

CKSTString KstReportDateLine(const CKSTString& label, const CKSTDataSet& data, bool english)
{
    CKSTString line = label + " ";
    const int dateIndex = data.FindDateColumn();
    if (dateIndex < 0) {
        return line + data.GetEarliestStartTimeStamp().FormatStrftime("%d. %B %Y %H:%M:%S",
                                                                      TimeLocale(english));
    }
    line += data.GetHeader().GetItem(dateIndex).GetValueText();
    const int timeIndex = data.FindTimeColumn();
    if (timeIndex >= 0) {
        line += " " + data.GetHeader().GetItem(timeIndex).GetValueText();
    }
    return line;
}

KstReportPageRects KstLayoutReportPage(const RECT& draw, int pageWidth, int lineHeight,
                                       int commentHeight, int logPixelsY)
{
    KstReportPageRects rects{};
    const RECT area = Ordered(draw);
    auto below = [&](int y) { return std::min(y, static_cast<int>(area.bottom)); };
    rects.printLineCentre = {pageWidth * 4 / 5, area.top};
    const int titleTop = below(area.top + 2 * lineHeight);
    rects.title = {area.left, titleTop, area.right, below(titleTop + lineHeight)};
    const int commentTop = below(rects.title.bottom + lineHeight / 2);
    rects.comment = {area.left, commentTop, area.right, below(commentTop + commentHeight)};
    const int dateTop = std::max(static_cast<int>(area.top),
                                 static_cast<int>(area.bottom) - logPixelsY / 10 - lineHeight);
    rects.dateLineCentre = {pageWidth / 2, dateTop};
    const int pictureTop = below(rects.comment.bottom + lineHeight / 2);
    rects.picture = Ordered({area.left, pictureTop, area.right, dateTop - lineHeight / 2});
    return rects;
}
