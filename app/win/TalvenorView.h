#pragma once
// The main view. It shows the document's data set in the main curve window, which it creates
// over its client area on the first paint. The record window's other panes, the online
// connection and printing come with the view's own parts; until then it refuses connections
// politely.
#include <cstdint>

#include "app/DocumentCore.h"
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

    CKSTCurveWnd& GetMainCurveWnd() { return m_curveWnd; }

    // KstDocumentDisplay
    void EnableRedraw(bool on) override;
    void AttachDataSet(CKSTDataSet& dataSet, bool storeStructure) override;
    void ApplyCurveSettingsByName(const CKSTCurveWndSettings& settings) override;
    void ApplyChannelVisibility(const CKSTChannelList& channels) override;
    bool GetMainCurveSettings(CKSTCurveWndSettings& settings) override;
    const CKSTChannel* GetXYChannel() override;
    void UpdateStatusBar() override;

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

private:
    // Shows the data set in the main curve window, taking over its stored window structure.
    void ShowDataSet(CKSTDataSet& dataSet);

    // The curve window exists as an object from the start, so a document opened before the
    // first paint is already shown when the window appears.
    CKSTCurveWnd m_curveWnd;
    bool m_firstPaint = true;
};
