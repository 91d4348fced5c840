#pragma once
// What the settings dialogs of a curve window share: texts in the window's language, lists of
// the window's curves, colour and font buttons, and inputs for durations, dates and times.
#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "curvewnd/CurveDialogHost.h"
#include "curvewnd/CurveOwner.h"
#include "foundation/FontDesc.h"
#include "foundation/String.h"
#include "foundation/TimeStamp.h"
#include "framework/Dialog.h"

class CKSTCurve;

// A duration in seconds exchanged with the days, hours, minutes and seconds fields of a block
// starting at base; each field must hold a number.
void DDX_Duration(CDataExchange* dx, int base, double& seconds);
// A time stamp exchanged with a date picker and a time-of-day picker (whole seconds).
void DDX_DateTime(CDataExchange* dx, int dateId, int timeId, CKSTTimeStamp& time);

// The sample buttons and pickers of every settings dialog that edits colours and fonts, the
// display elements' too.
// An owner-drawn colour button: its colour in a rectangle inset by 2 pixels.
void KstDrawColourButton(const DRAWITEMSTRUCT& draw, COLORREF colour);
// A font button: white, with "AaZz" centred in the font.
void KstDrawFontButton(const DRAWITEMSTRUCT& draw, const CKSTFontDesc& font);
// The colour dialog, fully open, any colour, starting at the colour; true on OK.
bool KstChooseColour(CWnd* owner, uint32_t& colour);
// The font dialog with screen and printer fonts, no effects, starting at the font; true on OK.
bool KstChooseFont(CWnd* owner, CKSTFontDesc& font);

class CKSTCurveDialog : public CDialog {
public:
    // Texts in the window's language.
    CKSTCurveDialog(UINT templateId, IKSTCurveDialogHost& host, CWnd* parent);

    // The text of a string id in the dialog's language.
    CKSTString Text(int id) const;
    // The curve as the dialogs list it: "group: name" when the window shows groups in its
    // legend and the channel has a group text, else the channel name.
    CKSTString CurveLabel(const CKSTCurve& curve) const;

protected:
    void SetItemText(int controlId, int stringId);
    void FillCombo(int controlId, std::initializer_list<int> stringIds);
    void FillComboTexts(int controlId, std::initializer_list<const char*> texts);
    // The window's curves (kinds 3 and 4 left out) into m_curves, and from there into a list.
    void CollectCurves();
    void FillCurveList(int controlId);
    // The curve of the window that holds a limit line or marker; null when none does.
    CKSTCurve* FindOwnerCurve(const IKSTCurveItemOwner* owner) const;
    int CurveListIndex(const CKSTCurve* curve) const;
    CKSTCurve* CurveAt(int index) const;
    void ShowItem(int id, bool show);
    void EnableItem(int id, bool enable);

    static void DrawColourButton(const DRAWITEMSTRUCT& draw, COLORREF colour)
    {
        KstDrawColourButton(draw, colour);
    }
    static void DrawFontButton(const DRAWITEMSTRUCT& draw, const CKSTFontDesc& font)
    {
        KstDrawFontButton(draw, font);
    }
    bool ChooseColour(uint32_t& colour) { return KstChooseColour(this, colour); }
    bool ChooseFont(CKSTFontDesc& font) { return KstChooseFont(this, font); }

    // A duration block (days, "d", hours, "h", minutes, "m", seconds, "s" from base on).
    void ShowDuration(int base, bool show);
    void EnableDuration(int base, bool enable);

    IKSTCurveDialogHost* m_host;  // never null
    bool m_english;
    std::vector<CKSTCurve*> m_curves;
};
