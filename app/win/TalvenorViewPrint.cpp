// The main view's printing: the platform's print protocol goes to the report printer, which
// reads the record and draws the main curve window through the view.
#include <cmath>

#include "app/win/MessageSink.h"
#include "app/win/ReportPrinter.h"
#include "app/win/TalvenorDoc.h"
#include "app/win/TalvenorView.h"
#include "app/win/ViewFrame.h"
#include "data/DataSet.h"
#include "framework/FrameWnd.h"

// The record and the main curve window as report printing reads them.
class CKSTViewReport : public IKSTReportHost, public IKSTReportRangeSource {
public:
    CKSTViewReport(CTalvenorView& view, IKSTMessageSink& messages)
        : m_view(view), m_messages(messages), m_printer(*this)
    {
    }

    CKSTReportPrinter& Printer() { return m_printer; }

    // IKSTReportHost
    const CKSTDataSet* GetReportData() const override { return Data(); }
    bool IsEnglish() const override { return m_messages.IsEnglish(); }
    void DrawCurveSlice(HDC dc, const RECT& rect, double from, double to) override
    {
        const CKSTDataSet* data = Data();
        if (!data) {
            return;
        }
        // A window of its own for the page, so that the shown one keeps its range.
        CKSTCurveWnd page;
        const RECT size{0, 0, 800, 600};
        if (!page.Create("Kurvenfenster", 0, size, &m_view)) {
            return;
        }
        page.SetVisible(false, false);
        page.SetLanguage(IsEnglish() ? 1 : 0, false);
        page.AddChannels(data->GetChannels());
        CKSTCurveWndSettings settings;
        Curves().GetSettings(settings, false);
        page.ApplySettings(settings, false, false);
        page.SetXAxisRange(from, to, CKSTXAxis::kRangeMinMaxFixed, false);
        page.SetVisible(true, false);
        page.DrawToDC(dc, rect);
        page.ReleaseResources();
    }
    void DrawDisplay(HDC dc, const RECT& rect) override { Curves().DrawToDC(dc, rect); }
    void OnReportEnded() override
    {
        if (IKSTViewFrame* frame = m_view.Frame()) {
            frame->RebuildMenu();
        }
    }

    // IKSTReportRangeSource
    double GetDataStartTime() const override
    {
        const CKSTDataSet* data = Data();
        return data ? data->GetChannels().GetStartTime() : 0.0;
    }
    double GetDataEndTime() const override
    {
        const CKSTDataSet* data = Data();
        return data ? data->GetChannels().GetEndTime() : 0.0;
    }
    double GetVisibleXMin() const override { return Curves().GetXAxis().GetMinimum(); }
    double GetVisibleXMax() const override { return Curves().GetXAxis().GetMaximum(); }
    double GetLeftCursorValue() const override { return Curves().GetLeftCursorValue(); }
    double GetRightCursorValue() const override { return Curves().GetRightCursorValue(); }
    int GetDisplayKind() const override { return static_cast<int>(Curves().GetDisplayKind()); }
    bool IsXYDisplay() const override { return Curves().IsXYDisplay() && XChannel(); }
    double GetXValueAtTime(double time) const override
    {
        const CKSTChannel* x = XChannel();
        return x ? x->GetValueAtTime(time) : time;
    }
    double GetTimeOfNearestXValue(double value) const override
    {
        const CKSTChannel* x = XChannel();
        return x ? x->GetTimeOfNearestValue(value) : value;
    }
    bool GetXChannelStep(double& step, int& sampleCount) const override
    {
        const CKSTChannel* x = XChannel();
        if (!x || !x->GetDominantValueStep(step, true, 0.001)) {
            return false;
        }
        sampleCount = static_cast<int>(x->GetCount());
        return true;
    }
    CKSTString GetXUnitText() const override
    {
        if (const CKSTChannel* x = XChannel(); x && IsXYDisplay()) {
            return x->GetUnit();
        }
        const CKSTDataSet* data = Data();
        const CKSTChannelList* channels = data ? &data->GetChannels() : nullptr;
        return channels && channels->GetCount() > 0 ? channels->GetAt(0)->GetTimeUnit()
                                                    : CKSTString();
    }

private:
    const CKSTDataSet* Data() const
    {
        CTalvenorDoc* document = dynamic_cast<CTalvenorDoc*>(m_view.GetDocument());
        return document ? &document->GetDataSet() : nullptr;
    }
    CKSTCurveWnd& Curves() const { return m_view.GetMainCurveWnd(); }
    const CKSTChannel* XChannel() const { return Curves().GetXChannel(); }

    CTalvenorView& m_view;
    IKSTMessageSink& m_messages;
    CKSTReportPrinter m_printer;
};

void CTalvenorView::ReportDeleter::operator()(CKSTViewReport* report) const
{
    delete report;
}

CKSTViewReport& CTalvenorView::Report()
{
    if (!m_report) {
        m_report.reset(new CKSTViewReport(*this, m_messages));
    }
    return *m_report;
}

void CTalvenorView::PrintWithSettings(const CKSTReportSettings& request, bool preview)
{
    KstPrintWithSettings(*this, Report().Printer(), request, preview);
}

bool CTalvenorView::RunPrintReport(CKSTPageLayout& remembered, CKSTReportSettings& request)
{
    const uint32_t language = m_messages.IsEnglish() ? 1 : 0;
    return KstRunPrintReport(GetParentFrame(), language, Report(), remembered, request);
}

BOOL CTalvenorView::OnPreparePrinting(CPrintInfo* info)
{
    Report().Printer().PreparePrinting(info);
    return DoPreparePrinting(info);
}

void CTalvenorView::OnPrint(HDC dc, CPrintInfo* info)
{
    Report().Printer().Print(dc, info);
}

void CTalvenorView::OnEndPrinting(HDC, CPrintInfo*)
{
    Report().Printer().EndPrinting();
}
