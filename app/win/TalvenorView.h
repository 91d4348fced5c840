#pragma once
// The main view. The record window, the online connection and printing come with the view's
// own parts; until then it paints its background and refuses connections politely.
#include <cstdint>

#include "framework/View.h"

class CTalvenorView : public CView {
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

    // The online state that the frame's enabling rules and status bar read.
    bool m_bOnline = false;
    int32_t m_nSourceKind = 0;      // KstSourceKind of the connected source
    double m_dRate = 0.0;           // kB/s received since the last tick
    CKSTString m_strRecordingFile;  // appended to while online; empty: none
    bool m_bPlaying = false;        // the sound player plays channels

protected:
    void OnDraw(HDC dc) override;
};
