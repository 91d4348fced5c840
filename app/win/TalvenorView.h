#pragma once
// The main view. It shows the document's data set in the main curve window, which it creates
// over its client area on the first paint. It drives the online connection (its state is the
// view's, TalvenorViewOnline.cpp) and prints reports (TalvenorViewPrint.cpp).
#include <cstdint>
#include <memory>

#include "app/DocumentCore.h"
#include "app/OnlineControl.h"
#include "app/ReportLayout.h"
#include "curvewnd/win/CurveWnd.h"
#include "framework/View.h"

class CKSTViewReport;

class CTalvenorView : public CView,
                      public KstDocumentDisplay,
                      private CKSTOnlineHost,
                      public CKSTOnlineControl {
    DECLARE_MESSAGE_MAP()

public:
    CTalvenorView();
    ~CTalvenorView() override;

    CKSTCurveWnd& GetMainCurveWnd() { return m_curveWnd; }

    // KstDocumentDisplay
    void EnableRedraw(bool on) override;
    void AttachDataSet(CKSTDataSet& dataSet, bool storeStructure) override;
    void ApplyCurveSettingsByName(const CKSTCurveWndSettings& settings) override;
    void ApplyChannelVisibility(const CKSTChannelList& channels) override;
    bool GetMainCurveSettings(CKSTCurveWndSettings& settings) override;
    const CKSTChannel* GetXYChannel() override;
    void UpdateStatusBar() override;

    bool m_bPlaying = false;  // the sound player plays channels

    // ---- Online connection (TalvenorViewOnline.cpp) ----------------------------------------
    // The online state and ConnectSource, StopOnline, Reconnect... come with CKSTOnlineControl.
    bool IsOnline() override { return m_bOnline; }
    void StopLiveStream() override { CKSTOnlineControl::StopLiveStream(); }
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

    // ---- Online connection (TalvenorViewOnline.cpp) ----
    void OnTimer(UINT_PTR id);
    void OnStopLiveStream();

    // ---- Printing (TalvenorViewPrint.cpp) ----
    BOOL OnPreparePrinting(CPrintInfo* info) override;
    void OnPrint(HDC dc, CPrintInfo* info) override;
    void OnEndPrinting(HDC dc, CPrintInfo* info) override;

private:
    // Shows the data set in the main curve window, taking over its stored window structure.
    void ShowDataSet(CKSTDataSet& dataSet);

    // The curve window exists as an object from the start, so a document opened before the
    // first paint is already shown when the window appears.
    CKSTCurveWnd m_curveWnd;
    bool m_firstPaint = true;

    // ---- Online connection (TalvenorViewOnline.cpp) ----
    // CKSTOnlineHost
    CKSTDataSet* GetOnlineData() override;
    void NewDocument() override;
    int OpenSources(int32_t& sourceKind, const CKSTOnlineArgs& args, bool selectChannels,
                    std::vector<std::unique_ptr<CKSTOnlineSource>>& sources) override;
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

    // ---- Printing (TalvenorViewPrint.cpp) ----
    struct ReportDeleter {
        void operator()(CKSTViewReport* report) const;
    };
    CKSTViewReport& Report();
    std::unique_ptr<CKSTViewReport, ReportDeleter> m_report;
};
