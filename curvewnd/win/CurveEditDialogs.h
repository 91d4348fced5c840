#pragma once
// The settings dialogs of a curve window's own objects: X axis, Y axis, curve display, marker
// and limit line. Unless another factory is installed, each runs the window's own dialog over
// the live window.
#include <windows.h>

class CKSTCurve;
class CKSTCurveWnd;
class CKSTLimitLine;
class CKSTPlotMarker;
class CKSTYAxis;

class IKSTCurveEditDialogs {
public:
    virtual ~IKSTCurveEditDialogs() = default;
    // Each runs its dialog modally, applies what the user confirmed and returns the result
    // (IDCANCEL when nothing was applied). A null marker or line asks for a new one.
    virtual int XAxisSettings(CKSTCurveWnd& window) = 0;
    virtual int YAxisSettings(CKSTCurveWnd& window, CKSTYAxis& axis) = 0;
    virtual int CurveDisplay(CKSTCurveWnd& window, CKSTCurve& curve) = 0;
    virtual int Marker(CKSTCurveWnd& window, CKSTPlotMarker* marker) = 0;
    virtual int Limit(CKSTCurveWnd& window, CKSTLimitLine* line) = 0;
};

// The factory every window uses unless it is given its own.
IKSTCurveEditDialogs& KstCurveEditDialogs();
// Installs a factory (null: the window's own dialogs); the caller keeps it alive while windows
// may ask.
void KstSetCurveEditDialogs(IKSTCurveEditDialogs* dialogs);
