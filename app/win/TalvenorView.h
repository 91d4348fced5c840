#pragma once
// The main view. It fills its client area with the record window, which it creates on the
// first paint, and shows the document's data set there; it routes the keys and position reports
// of the record window's windows. The online connection and printing come with the view's own
// parts; until then it refuses connections politely.
#include <cstdint>

#include "app/DocumentCore.h"
#include "app/win/RecordWnd.h"
#include "curvewnd/win/CurveWnd.h"
#include "framework/View.h"

class CTalvenorView : public CView, public KstDocumentDisplay {
    DECLARE_MESSAGE_MAP()

public:
    CTalvenorView();
    ~CTalvenorView() override;

    // Connects an online source and starts the live display. The online connection control is
    // not part of this program yet: the user is told so, and the result is -1013 (reported).
    int ConnectSource(const CKSTString& address, int port, bool triggered, double pollInterval,
                      int sourceKind, int backTimeMode, int bufferType, int bufferIndex,
                      int nonErasing, const CKSTString& recordingFile, double backTime,
                      double memoryLimit, bool selectChannels, bool ftpPassive, bool reconnect);
    // Ends online recording: the clients are closed and the timer stops.
    void StopOnline(bool reconnect);

    // ---- Record window, keys, position reports and generated signals ----
    // Message of the record window's position reports; lParam points to a RECT.
    static constexpr UINT kCursorReportMessage = 0x407;
    CKSTCurveWnd& GetMainCurveWnd() { return m_recordWnd.GetMainCurveWnd(); }
    CKSTRecordWnd& GetRecordWnd() { return m_recordWnd; }
    // The data set takes the application's current curve-window settings and is shown anew.
    void ResetWindowStructure();
    // The standard waveform dialog, then the new channel in the document (not while online).
    void GenerateSignal();

    // KstDocumentDisplay
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

    // The online state that the frame's enabling rules and status bar read.
    bool m_bOnline = false;
    int32_t m_nSourceKind = 0;      // KstSourceKind of the connected source
    double m_dRate = 0.0;           // kB/s received since the last tick
    CKSTString m_strRecordingFile;  // appended to while online; empty: none
    bool m_bPlaying = false;        // the sound player plays channels

protected:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void OnUpdate(CView* sender, LPARAM hint, void* hintObject) override;
    void OnDraw(HDC dc) override;
    int OnCreate(LPCREATESTRUCT create);
    void OnSize(UINT type, int width, int height);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    LRESULT OnCursorReport(WPARAM wParam, LPARAM lParam);

private:
    // Hands the data set to the record window with the application's fit-only option.
    void ShowDataSet(CKSTDataSet& dataSet);

    // The record window exists as an object from the start, so a document opened before the
    // first paint is already shown when the window appears.
    CKSTRecordWnd m_recordWnd;
    bool m_firstPaint = true;
};
