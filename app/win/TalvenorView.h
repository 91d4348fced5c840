#pragma once
// The main view. The record window, the online connection and printing come with the view's
// own parts; until then it paints its background and refuses connections politely.
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

protected:
    void OnDraw(HDC dc) override;
};
