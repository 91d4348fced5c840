#pragma once
// Texts a curve shows besides its line: its values in the curve's number format, the label
// (channel name, colon, value) that follows the cursor in a small tip window, also for a matrix
// curve under a pixel.
//
// These are operations of the curve that live here with the painters of events and labels; each
// takes the curve as its first argument.

#include <cstdint>
#include <memory>

#include "curvewnd/CurveOwner.h"
#include "foundation/Geometry.h"
#include "foundation/String.h"

class CKSTAxisGroup;
class CKSTCurve;

// The value (in the Y axis' own units, as the curve's value at a pixel gives it) as text with
// the curve's decimals, or as many as the axis' resolution per pixel asks for, and its unit:
// "dB" on a decibel axis, else the axis' unit with the prefix of the scaling. In the event-text
// style a value the channel has a text for is that text, without unit.
void FormatValue(const CKSTCurve& curve, double value, CKSTString& text, CKSTString& unit);

// The label of the curve at column x (limited to the X axis): the value there, preceded by the
// channel's name and ": " and followed by the unit unless bare is set (the caller folds the
// window's names-at-the-cursor option into bare); the group text goes before the name when the
// window's CursorTextName option is set. rect is where the label goes: beside the value, clear of
// the label tips of the other curves of group when one is given. False, with empty texts and
// rectangle, when the curve has no value there (in the event-text style: no sample within 5
// pixels).
bool GetLabelText(const CKSTCurve& curve, int32_t x, RECT& rect, CKSTString& text, CKSTString& unit,
                  bool bare, const CKSTAxisGroup* group = nullptr);
// The same for a matrix curve at pixel (x, y); a colour matrix shows the red, green and blue
// bytes joined by "/".
bool GetMatrixLabelText(const CKSTCurve& curve, int32_t x, int32_t y, RECT& rect, CKSTString& text,
                        CKSTString& unit, bool bare, const CKSTAxisGroup* group = nullptr);

// The label tip of a curve: a text tip window that remembers where it stands.
class CKSTLabelTip : public IKSTTextTip {
public:
    CKSTLabelTip(std::unique_ptr<IKSTTextTip> window, const RECT& rect);
    void SetText(const RECT& rect, const CKSTString& text) override;
    const RECT& GetRect() const { return m_rect; }
    void ClearRect() { m_rect = {0, 0, 0, 0}; }

private:
    std::unique_ptr<IKSTTextTip> m_window;
    RECT m_rect;
};

// Shows the curve's label at the cursor in a tip window (the window's axes font, the curve's
// colour), replacing one shown before; a label that has no place shows no tip.
void ShowLabelTip(CKSTCurve& curve, int32_t x, int32_t y, const CKSTAxisGroup* group = nullptr);
// Moves a shown tip to the label at the new cursor position.
void MoveLabelTip(CKSTCurve& curve, int32_t x, int32_t y, const CKSTAxisGroup* group = nullptr);
void HideLabelTip(CKSTCurve& curve);
// The curve's tip stands on the rectangle.
bool LabelTipOverlaps(const CKSTCurve& curve, const RECT& rect);
void ClearLabelTipRect(CKSTCurve& curve);
