#pragma once
// The dialogs and windows a curve window borrows from the display elements and the viewer
// panels: clipboard size, bar and pointer settings, the options sheet, the value table and the
// differential-measure table. They live in higher layers, which install their factory at start;
// until then every request tells the user that the dialog is not available yet.
#include <windows.h>

#include <cstdint>
#include <memory>

class CKSTCurveWnd;

// A modeless table window that follows the window's data (value table, differential measure).
class IKSTCurveWndTable {
public:
    virtual ~IKSTCurveWndTable() = default;
    virtual bool IsShown() const = 0;
    // Rebuilds the table.
    virtual void Refresh() = 0;
    // The two cursor columns (differential measure); reset and clear start the table anew.
    virtual void SetCursorRange(int32_t cursor1, int32_t cursor2, bool reset, bool clear) = 0;
};

class IKSTCurveWndDialogs {
public:
    virtual ~IKSTCurveWndDialogs() = default;
    // The picture size in centimetres, shown with one decimal; IDOK with the new values (1.0 ..
    // 50.0), IDCANCEL leaves them.
    virtual int ClipboardSize(CKSTCurveWnd& window, double& widthCm, double& heightCm) = 0;
    // Settings of a bar display, of a pointer instrument and the common options sheet; each
    // applies what the user confirmed and returns the dialog's result.
    virtual int BarSettings(CKSTCurveWnd& window) = 0;
    virtual int MeterSettings(CKSTCurveWnd& window) = 0;
    virtual int OptionsSheet(CKSTCurveWnd& window) = 0;
    // Null when the window cannot be shown.
    virtual std::unique_ptr<IKSTCurveWndTable> OpenValueTable(CKSTCurveWnd& window) = 0;
    virtual std::unique_ptr<IKSTCurveWndTable> OpenDiffMeasure(CKSTCurveWnd& window) = 0;
};

// The factory every window uses unless it is given its own.
IKSTCurveWndDialogs& KstCurveWndDialogs();
// Installs a factory (null: the one that tells the user a dialog is not available yet); the
// caller keeps it alive while windows may ask.
void KstSetCurveWndDialogs(IKSTCurveWndDialogs* dialogs);
// Tells the user that the dialog the window would open is not there yet; IDCANCEL.
int KstTellDialogUnavailable(CKSTCurveWnd& window);
