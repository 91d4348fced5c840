#pragma once
// The main view. It fills its client area with the record window, which it creates on the
// first paint, and shows the document's data set there; it routes the keys and position reports
// of the record window's windows. It owns the online connection (TalvenorViewOnline.cpp) and
// prints reports (TalvenorViewPrint.cpp).
#include <cstdint>
#include <memory>

#include "app/DocumentCore.h"
#include "app/OnlineControl.h"
#include "app/ReportLayout.h"
#include "app/win/RecordWnd.h"
#include "curvewnd/win/CurveWnd.h"
#include "framework/View.h"

class CKSTAppOptions;
class CKSTViewReport;
class CTalvenorDoc;
class IKSTMessageSink;
class IKSTViewFrame;

class CTalvenorView : public CView, public IKSTDocumentDisplay {
    DECLARE_MESSAGE_MAP()

public:
    CTalvenorView(CKSTAppOptions& options, IKSTMessageSink& messages);
    ~CTalvenorView() override;

    // ---- Record window, keys, position reports and generated signals ----
    // Message of the record window's position reports; lParam points to a RECT.
    static constexpr UINT kCursorReportMessage = 0x407;
    CKSTCurveWnd& GetMainCurveWnd() { return m_recordWnd.GetMainCurveWnd(); }
    CKSTRecordWnd& GetRecordWnd() { return m_recordWnd; }
    // The data set takes the application's current curve-window settings and is shown anew.
    void ResetWindowStructure();
    // The standard waveform dialog, then the new channel in the document (not while online).
    void GenerateSignal();

    // IKSTDocumentDisplay
    bool IsOnline() override { return m_online.m_bOnline; }
    int32_t GetSourceKind() override { return m_online.m_nSourceKind; }
    void StopLiveStream() override { m_online.StopLiveStream(); }
    void EnableRedraw(bool on) override;
    void AttachDataSet(CKSTDataSet& dataSet, bool storeStructure) override;
    void ApplyCurveSettingsByName(const CKSTCurveWndSettings& settings) override;
    void ApplyChannelVisibility(const CKSTChannelList& channels) override;
    bool GetMainCurveSettings(CKSTCurveWndSettings& settings) override;
    const CKSTChannel* GetXYChannel() override;
    void UpdateStatusBar() override;
    void SetLocked(bool locked) override;
    void UpdatePanes() override;
    void GetSelectedChannels(CKSTChannelList& channels) override;

    bool m_bPlaying = false;  // the sound player plays channels

    // The frame around the view; null while the view stands alone.
    IKSTViewFrame* Frame() const;

    // ---- Online connection (TalvenorViewOnline.cpp) ----------------------------------------
    CKSTOnlineControl& Online() { return m_online; }
    const CKSTOnlineControl& Online() const { return m_online; }
    // The live-stream and live-oscilloscope commands.
    void StartLiveStream();
    void StartLiveOscilloscope();

    // ---- Printing (TalvenorViewPrint.cpp) ---------------------------------------------------
    // The request goes into the view's report printer, then the print job or its preview runs.
    void PrintWithSettings(const CKSTReportSettings& request, bool preview);
    // The print report command: the dialog, then the preview of the report; false when
    // cancelled.
    bool RunPrintReport(CKSTPageLayout& remembered, CKSTReportSettings& request);

protected:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void OnUpdate(CView* sender, LPARAM hint, void* hintObject) override;
    void OnDraw(HDC dc) override;
    int OnCreate(LPCREATESTRUCT create);
    void OnSize(UINT type, int width, int height);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    LRESULT OnCursorReport(WPARAM wParam, LPARAM lParam);

    // ---- Online connection (TalvenorViewOnline.cpp) ----
    void OnTimer(UINT_PTR id);
    void OnStopLiveStream();

    // ---- Printing (TalvenorViewPrint.cpp) ----
    BOOL OnPreparePrinting(CPrintInfo* info) override;
    void OnPrint(HDC dc, CPrintInfo* info) override;
    void OnEndPrinting(HDC dc, CPrintInfo* info) override;

private:
    CTalvenorDoc* Document() const;
    // Hands the data set to the record window with the application's fit-only option.
    void ShowDataSet(CKSTDataSet& dataSet);

    CKSTAppOptions& m_options;
    IKSTMessageSink& m_messages;
    // The record window exists as an object from the start, so a document opened before the
    // first paint is already shown when the window appears.
    CKSTRecordWnd m_recordWnd;
    bool m_firstPaint = true;

    // ---- Online connection (TalvenorViewOnline.cpp) ----
    // The connection's questions, timer and displays, answered by this view.
    class OnlineHost : public IKSTOnlineHost {
    public:
        explicit OnlineHost(CTalvenorView& view) : m_view(view) {}

        CKSTDataSet* GetOnlineData() override;
        void NewDocument() override;
        int OpenSources(int32_t& sourceKind, const CKSTOnlineArgs& args, bool selectChannels,
                        std::vector<std::unique_ptr<IKSTOnlineSource>>& sources) override;
        void ArmOnlineTimer(uint32_t periodMs) override;
        void KillOnlineTimer() override;
        bool IsViewingOlderData() override;
        void ShowOnlineData(CKSTDataSet& data) override;
        void EndOnlineDisplay() override;
        void RefreshDisplays() override;
        void RefreshStatus() override;
        int ShowError(int code, bool askReconnect) override;
        void SetLiveDataModified(bool modified) override;
        bool IsLiveDataModified() override;
        void OpenRecording(const CKSTString& path, bool keepShownStructure) override;
        void BeginWait() override;
        void EndWait() override;

    private:
        CTalvenorView& m_view;
    };
    OnlineHost m_onlineHost{*this};
    CKSTOnlineControl m_online{m_onlineHost};

    // ---- Printing (TalvenorViewPrint.cpp) ----
    struct ReportDeleter {
        void operator()(CKSTViewReport* report) const;
    };
    CKSTViewReport& Report();
    std::unique_ptr<CKSTViewReport, ReportDeleter> m_report;
};
