// Curve-window settings sets of the native container: one window record, one X-axis record,
// then one record per font, image, group, Y axis, curve (with its level lines and events) and
// event template. Every older form of a record that earlier versions wrote is still read.
//
// Every record is described once and that description both reads and writes it
// (data/DocFields.h), so the two cannot drift apart: the window, axis, plot and marker records
// as lists of fields, one list per stored form, over one stored form per field; the records of
// a single form as one Visit each. Fields stored as "u8 of" a wider field keep its low byte;
// the codes held there are all below 256.

#include <algorithm>
#include <cmath>
#include <utility>

#include "data/DocFields.h"
#include "data/DocFile.h"
#include "data/DocFileTables.h"
#include "data/settings/CurveWndSettings.h"
#include "foundation/ErrorCodes.h"

namespace {

enum KstSettingsTag : uint8_t {
    kTagWindowV1 = 2,
    kTagXAxisV1 = 3,
    kTagYAxisV1 = 4,
    kTagPlotV1 = 5,
    kTagXAxisV2 = 6,
    kTagYAxisV2 = 7,
    kTagLimit = 9,
    kTagMarkerV1 = 10,
    kTagFont = 61,
    kTagWindowV2 = 62,
    kTagXAxisV3 = 63,
    kTagYAxisV3 = 64,
    kTagPlotV2 = 65,
    kTagMarkerV2 = 66,
    kTagSubWindow = 68,
    kTagWindowV3 = 69,
    kTagPlotV3 = 70,
    kTagYAxisV4 = 71,
    kTagWindowV4 = 76,
    kTagWindowV5 = 77,
    kTagXAxis = 78,
    kTagTemplate = 83,
    kTagPlotV4 = 84,
    kTagMarker = 85,
    kTagWindowV6 = 87,
    kTagYAxis = 90,
    kTagWindow = 92,
    kTagImage = 93,
    kTagPlotV5 = 94,
    kTagPlot = 99,
};

constexpr int kMaxFields = 20;

// --- Window record ---

enum class WindowField : uint8_t {
    kEnd,
    kColors,  // six u32 colours
    kTicks,   // five u16: border width, tick lengths, automatic tick distances
    kXPlotIndex,
    kLegendStyle,
    kLegendAlign,
    kLegendGroup,
    kWindowStyle,
    kWindowStructure,
    kGridVisible,
    kBColorGradient,
    kCursorCross,
    kCursorTextName,
    kInlineFonts,  // axes and legend font as font records, into the live fonts
    kFontIndices,  // AxesFont, LegendFont
    kImageIndex,
    kImagePlacement,
    kXPlotName,
};

struct WindowForm {
    uint8_t tag;
    WindowField fields[kMaxFields];
};

using WF = WindowField;
const WindowForm kWindowForms[] = {
    {kTagWindowV1,
     {WF::kColors, WF::kTicks, WF::kXPlotIndex, WF::kLegendStyle, WF::kWindowStyle,
      WF::kGridVisible, WF::kInlineFonts}},
    {kTagWindowV2,
     {WF::kColors, WF::kTicks, WF::kXPlotIndex, WF::kLegendStyle, WF::kLegendGroup,
      WF::kWindowStyle, WF::kGridVisible, WF::kFontIndices}},
    {kTagWindowV3,
     {WF::kColors, WF::kTicks, WF::kXPlotIndex, WF::kLegendStyle, WF::kLegendGroup,
      WF::kWindowStyle, WF::kWindowStructure, WF::kGridVisible, WF::kFontIndices}},
    {kTagWindowV4,
     {WF::kColors, WF::kTicks, WF::kXPlotIndex, WF::kLegendStyle, WF::kLegendAlign,
      WF::kLegendGroup, WF::kWindowStyle, WF::kWindowStructure, WF::kGridVisible,
      WF::kBColorGradient, WF::kFontIndices}},
    {kTagWindowV5,
     {WF::kColors, WF::kTicks, WF::kXPlotIndex, WF::kLegendStyle, WF::kLegendAlign,
      WF::kLegendGroup, WF::kWindowStyle, WF::kWindowStructure, WF::kGridVisible,
      WF::kBColorGradient, WF::kCursorCross, WF::kCursorTextName, WF::kFontIndices}},
    {kTagWindowV6,
     {WF::kColors, WF::kTicks, WF::kLegendStyle, WF::kLegendAlign, WF::kLegendGroup,
      WF::kWindowStyle, WF::kWindowStructure, WF::kGridVisible, WF::kBColorGradient,
      WF::kCursorCross, WF::kCursorTextName, WF::kFontIndices, WF::kXPlotName}},
    {kTagWindow,
     {WF::kColors, WF::kTicks, WF::kLegendStyle, WF::kLegendAlign, WF::kLegendGroup,
      WF::kWindowStyle, WF::kWindowStructure, WF::kGridVisible, WF::kBColorGradient,
      WF::kCursorCross, WF::kCursorTextName, WF::kFontIndices, WF::kImageIndex, WF::kImagePlacement,
      WF::kXPlotName}},
};

// The stored form of each field; the forms above pick and order them. S is the settings
// record, const for writing.
template <class Io, class S>
bool VisitWindowField(Io& io, S& s, WindowField field)
{
    auto& w = s.m_WindowStyleSettings;
    switch (field) {
        case WF::kColors:
            return io.U32(s.m_BackgroundColor) && io.U32(s.m_PlotBackgroundColor) &&
                   io.U32(s.m_XTextColor) && io.U32(s.m_YTextColor) &&
                   io.U32(s.m_LegendTextColor) && io.U32(s.m_GridColor);
        case WF::kTicks:
            return io.U16(s.m_BorderWidth) && io.U16(s.m_MainTickLength) &&
                   io.U16(s.m_SubTickLength) && io.U16(s.m_AutoTickDistX) &&
                   io.U16(s.m_AutoTickDistY);
        case WF::kXPlotIndex:
            return io.I16(w.m_XPlotIndex);
        case WF::kLegendStyle:
            return io.U8Of(s.m_LegendStyle);
        case WF::kLegendAlign:
            return io.U8Of(s.m_LegendAlign);
        case WF::kLegendGroup:
            return io.U8(s.m_LegendGroup);
        case WF::kWindowStyle:
            return io.U8Of(w.m_WindowStyle);
        case WF::kWindowStructure:
            return io.U8Of(w.m_WindowStructure);
        case WF::kGridVisible:
            return io.U8(s.m_GridVisible);
        case WF::kBColorGradient:
            return io.U8(s.m_BColorGradient);
        case WF::kCursorCross:
            return io.U8(s.m_CursorCross);
        case WF::kCursorTextName:
            return io.U8(s.m_CursorTextName);
        case WF::kInlineFonts:
            return io.Font(s.m_AxesFontDesc) && io.Font(s.m_LegendFontDesc);
        case WF::kFontIndices:
            return io.I16(w.m_AxesFont) && io.I16(w.m_LegendFont);
        case WF::kImageIndex:
            return io.I16(w.m_ImageIndex);
        case WF::kImagePlacement:
            return io.U8Of(s.m_ImagePlacement);
        case WF::kXPlotName:
            return io.ShortString(w.m_WindowXPlotName);
        case WF::kEnd:
            break;
    }
    return true;
}

// --- X axis ---

enum class XAxisField : uint8_t {
    kEnd,
    kUnit,
    kType,
    kValues,  // MinValue, MaxValue, RangeValue, TickWidth
    kTickAuto,
    kTicksAtPoints,
    kAxisAuto,
    kUnitType,
    kUnitFlags,  // two old flag bytes that give the unit type
    kRotation,
    kOnlyStandard,
};

struct XAxisForm {
    uint8_t tag;
    XAxisField fields[kMaxFields];
};

using XF = XAxisField;
const XAxisForm kXAxisForms[] = {
    {kTagXAxisV1,
     {XF::kUnit, XF::kType, XF::kValues, XF::kTickAuto, XF::kAxisAuto, XF::kUnitFlags}},
    {kTagXAxisV2, {XF::kUnit, XF::kType, XF::kValues, XF::kTickAuto, XF::kAxisAuto, XF::kUnitType}},
    {kTagXAxisV3,
     {XF::kUnit, XF::kType, XF::kValues, XF::kTickAuto, XF::kAxisAuto, XF::kUnitType, XF::kRotation,
      XF::kOnlyStandard}},
    {kTagXAxis,
     {XF::kUnit, XF::kType, XF::kValues, XF::kTickAuto, XF::kTicksAtPoints, XF::kAxisAuto,
      XF::kUnitType, XF::kRotation, XF::kOnlyStandard}},
};

template <class Io, class X>
bool VisitXAxisField(Io& io, X& x, XAxisField field)
{
    switch (field) {
        case XF::kUnit:
            return io.ShortString(x.m_Unit);
        case XF::kType:
            return io.U8Of(x.m_Type);
        case XF::kValues:
            return io.F64(x.m_MinValue) && io.F64(x.m_MaxValue) && io.F64(x.m_RangeValue) &&
                   io.F64(x.m_TickWidth);
        case XF::kTickAuto:
            return io.U8(x.m_TickAuto);
        case XF::kTicksAtPoints:
            return io.U8(x.m_TicksAtPoints);
        case XF::kAxisAuto:
            return io.U8Of(x.m_AxisAuto);
        case XF::kUnitType:
            return io.U8Of(x.m_UnitType);
        case XF::kUnitFlags:
            return io.UnitFlags(x.m_UnitType);
        case XF::kRotation:
            return io.U16(x.m_Rotation);
        case XF::kOnlyStandard:
            return io.U8(x.m_OnlyStandard);
        case XF::kEnd:
            break;
    }
    return true;
}

// --- Y axis ---

enum class YAxisField : uint8_t {
    kEnd,
    kUnit,
    kIndex,
    kSubIndex,
    kType,
    kValues,  // MinValue, MaxValue, TickWidth
    kTickAuto,
    kAxisAuto,
    kUnitType,
    kUnitFlags,
    kColor,
    kReversed,
    kHidden,
    kMeterAngle,
};

struct YAxisForm {
    uint8_t tag;
    YAxisField fields[kMaxFields];
};

using YF = YAxisField;
const YAxisForm kYAxisForms[] = {
    {kTagYAxisV1,
     {YF::kUnit, YF::kIndex, YF::kSubIndex, YF::kValues, YF::kTickAuto, YF::kAxisAuto,
      YF::kUnitFlags, YF::kColor}},
    {kTagYAxisV2,
     {YF::kUnit, YF::kIndex, YF::kSubIndex, YF::kValues, YF::kTickAuto, YF::kAxisAuto,
      YF::kUnitType, YF::kColor}},
    {kTagYAxisV3,
     {YF::kUnit, YF::kIndex, YF::kSubIndex, YF::kValues, YF::kTickAuto, YF::kAxisAuto,
      YF::kUnitType, YF::kColor, YF::kReversed}},
    {kTagYAxisV4,
     {YF::kUnit, YF::kIndex, YF::kSubIndex, YF::kType, YF::kValues, YF::kTickAuto, YF::kAxisAuto,
      YF::kUnitType, YF::kColor, YF::kReversed}},
    {kTagYAxis,
     {YF::kUnit, YF::kIndex, YF::kSubIndex, YF::kType, YF::kValues, YF::kTickAuto, YF::kAxisAuto,
      YF::kUnitType, YF::kColor, YF::kReversed, YF::kHidden, YF::kMeterAngle}},
};

// index is the axis' place in the table (const for writing).
template <class Io, class A, class I>
bool VisitYAxisField(Io& io, A& a, I& index, YAxisField field)
{
    switch (field) {
        case YF::kUnit:
            return io.ShortString(a.m_Unit);
        case YF::kIndex:
            return io.U16(index);
        case YF::kSubIndex:
            // The group number's low half, read back signed so that "no group" (-1) survives.
            return io.I16Of(a.m_SubIndex);
        case YF::kType:
            return io.U8Of(a.m_Type);
        case YF::kValues:
            return io.F64(a.m_MinValue) && io.F64(a.m_MaxValue) && io.F64(a.m_TickWidth);
        case YF::kTickAuto:
            return io.U8(a.m_TickAuto);
        case YF::kAxisAuto:
            return io.U8(a.m_AxisAuto);
        case YF::kUnitType:
            return io.U8Of(a.m_UnitType);
        case YF::kUnitFlags:
            return io.UnitFlags(a.m_UnitType);
        case YF::kColor:
            return io.U32(a.m_Color);
        case YF::kReversed:
            return io.U8(a.m_Reversed);
        case YF::kHidden:
            return io.U8(a.m_Hidden);
        case YF::kMeterAngle:
            return io.F64(a.m_MeterAngle);
        case YF::kEnd:
            break;
    }
    return true;
}

// --- Plot ---

enum class PlotField : uint8_t {
    kEnd,
    kName,
    kGroup,
    kIndex,
    kGroupNumber,  // the group of the curve's axis; written for older readers, read and ignored
    kYIndex,
    kPlotStyle,
    kSymbol,
    kValueList,
    kColor,
    kVisible,
    kGapInterpol,
    kShowValue,
    kEventTemplate,
    kLegendFlag,
    kCursorFlag,
    kDecimals,
};

struct PlotForm {
    uint8_t tag;
    PlotField fields[kMaxFields];
};

using PF = PlotField;
const PlotForm kPlotForms[] = {
    {kTagPlotV1,
     {PF::kName, PF::kIndex, PF::kGroupNumber, PF::kYIndex, PF::kPlotStyle, PF::kSymbol, PF::kColor,
      PF::kVisible}},
    {kTagPlotV2,
     {PF::kName, PF::kIndex, PF::kGroupNumber, PF::kYIndex, PF::kPlotStyle, PF::kSymbol, PF::kColor,
      PF::kVisible, PF::kGapInterpol}},
    {kTagPlotV3,
     {PF::kName, PF::kGroup, PF::kIndex, PF::kGroupNumber, PF::kYIndex, PF::kPlotStyle, PF::kSymbol,
      PF::kColor, PF::kVisible, PF::kGapInterpol}},
    {kTagPlotV4,
     {PF::kName, PF::kGroup, PF::kIndex, PF::kGroupNumber, PF::kYIndex, PF::kPlotStyle, PF::kSymbol,
      PF::kColor, PF::kVisible, PF::kGapInterpol, PF::kEventTemplate}},
    {kTagPlotV5,
     {PF::kName, PF::kGroup, PF::kIndex, PF::kGroupNumber, PF::kYIndex, PF::kPlotStyle, PF::kSymbol,
      PF::kValueList, PF::kColor, PF::kVisible, PF::kGapInterpol, PF::kShowValue,
      PF::kEventTemplate}},
    {kTagPlot,
     {PF::kName, PF::kGroup, PF::kIndex, PF::kGroupNumber, PF::kYIndex, PF::kPlotStyle, PF::kSymbol,
      PF::kValueList, PF::kColor, PF::kVisible, PF::kGapInterpol, PF::kShowValue,
      PF::kEventTemplate, PF::kLegendFlag, PF::kCursorFlag, PF::kDecimals}},
};

// What a plot record stores beside the curve's own fields.
struct PlotPlace {
    uint16_t index = 0;        // the curve's place in the table
    uint16_t groupNumber = 0;  // the group of its axis; 0 when YIndex names no axis
};

template <class Io, class C, class P>
bool VisitPlotField(Io& io, C& c, P& place, PlotField field)
{
    switch (field) {
        case PF::kName:
            return io.ShortString(c.m_Name);
        case PF::kGroup:
            return io.ShortString(c.m_Group);
        case PF::kIndex:
            return io.U16(place.index);
        case PF::kGroupNumber:
            return io.U16(place.groupNumber);
        case PF::kYIndex:
            return io.I16(c.m_YIndex);
        case PF::kPlotStyle:
            return io.U8Of(c.m_PlotStyle);
        case PF::kSymbol:
            return io.U8Of(c.m_Symbol);
        case PF::kValueList:
            return io.U8Of(c.m_ValueList);
        case PF::kColor:
            return io.U32(c.m_Color);
        case PF::kVisible:
            return io.U8Of(c.m_Visible);
        case PF::kGapInterpol:
            return io.U8(c.m_GapInterpol);
        case PF::kShowValue:
            return io.U8(c.m_ShowValue);
        case PF::kEventTemplate:
            return io.I16(c.m_EventTemplateIndex);
        case PF::kLegendFlag:
            return io.U8(c.m_ShowInLegend);
        case PF::kCursorFlag:
            return io.U8(c.m_ShowAtCursor);
        case PF::kDecimals:
            return io.I16(c.m_Decimals);
        case PF::kEnd:
            break;
    }
    return true;
}

PlotPlace PlaceOfCurve(const CKSTCurveWndSettings& s, const CKSTCurveSettings& c, size_t index)
{
    PlotPlace place;
    place.index = static_cast<uint16_t>(index);
    if (c.m_YIndex >= 0 && static_cast<size_t>(c.m_YIndex) < s.m_Axes.size()) {
        place.groupNumber =
            static_cast<uint16_t>(s.m_Axes[static_cast<size_t>(c.m_YIndex)]->m_SubIndex);
    }
    return place;
}

// --- Marker (event of a curve) ---

enum class MarkerField : uint8_t {
    kEnd,
    kText,
    kCurveIndex,
    kType,
    kValue,
    kColor,
    kFrame,
    kBackColor,
    kRotation,
    kAtPoint,
    kFont,
    kPointer,
};

struct MarkerForm {
    uint8_t tag;
    MarkerField fields[kMaxFields];
};

using MF = MarkerField;
const MarkerForm kMarkerForms[] = {
    {kTagMarkerV1,
     {MF::kText, MF::kCurveIndex, MF::kType, MF::kValue, MF::kColor, MF::kFrame, MF::kBackColor,
      MF::kRotation}},
    {kTagMarkerV2,
     {MF::kText, MF::kCurveIndex, MF::kType, MF::kValue, MF::kColor, MF::kFrame, MF::kBackColor,
      MF::kRotation, MF::kAtPoint, MF::kFont}},
    {kTagMarker,
     {MF::kText, MF::kCurveIndex, MF::kType, MF::kValue, MF::kColor, MF::kFrame, MF::kBackColor,
      MF::kRotation, MF::kAtPoint, MF::kFont, MF::kPointer}},
};

// curve is the index of the curve the event belongs to (const for writing).
template <class Io, class M, class I>
bool VisitMarkerField(Io& io, M& m, I& curve, MarkerField field)
{
    switch (field) {
        case MF::kText:
            return io.PropertyString(m.m_Text);
        case MF::kCurveIndex:
            return io.U16(curve);
        case MF::kType:
            return io.U16Of(m.m_Type);
        case MF::kValue:
            return io.F64(m.m_Value);
        case MF::kColor:
            return io.U32(m.m_Color);
        case MF::kFrame:
            return io.U8(m.m_Frame);
        case MF::kBackColor:
            return io.U32(m.m_BackgroundColor);
        case MF::kRotation:
            return io.U16(m.m_Rotation);
        case MF::kAtPoint:
            return io.U8(m.m_AtPoint);
        case MF::kFont:
            return io.I16(m.m_Font);
        case MF::kPointer:
            return io.U8(m.m_Pointer);
        case MF::kEnd:
            break;
    }
    return true;
}

// --- Records of a single form ---

// Level line: u16 curve index, u8 line style, u32 colour, f64 value.
template <class Io, class L, class I>
bool VisitLimitRecord(Io& io, L& limit, I& curve)
{
    return io.U16(curve) && io.U8Of(limit.m_LineStyle) && io.U32(limit.m_Color) &&
           io.F64(limit.m_Value);
}

// Event template; its text, value and anchor are not stored.
template <class Io, class M, class I>
bool VisitTemplateRecord(Io& io, M& t, I& index)
{
    return io.U16(index) && io.U16Of(t.m_Type) && io.U32(t.m_Color) && io.U8(t.m_Frame) &&
           io.U8(t.m_Pointer) && io.U32(t.m_BackgroundColor) && io.U16(t.m_Rotation) &&
           io.I16(t.m_Font);
}

// Group ("sub-window"): u16 index, f64 relative height.
template <class Io, class G, class I>
bool VisitSubWindowRecord(Io& io, G& group, I& index)
{
    return io.U16(index) && io.F64(group.m_RelativeHeight);
}

template <class Form>
const Form* FindForm(const Form* forms, size_t count, uint8_t tag)
{
    for (size_t i = 0; i < count; ++i) {
        if (forms[i].tag == tag) {
            return &forms[i];
        }
    }
    return nullptr;
}

template <class Form, size_t N>
const Form* FindForm(const Form (&forms)[N], uint8_t tag)
{
    return FindForm(forms, N, tag);
}

// Runs the fields of one form in order; false as soon as a reader runs short.
template <class Form, class VisitField>
bool VisitForm(const Form& form, VisitField&& visit)
{
    for (auto field : form.fields) {
        if (static_cast<int>(field) == 0) {
            break;
        }
        if (!visit(field)) {
            return false;
        }
    }
    return true;
}

// The current form of each record, the one the writer uses.
const WindowForm& kWindowForm = *FindForm(kWindowForms, kTagWindow);
const XAxisForm& kXAxisForm = *FindForm(kXAxisForms, kTagXAxis);
const YAxisForm& kYAxisForm = *FindForm(kYAxisForms, kTagYAxis);
const PlotForm& kPlotForm = *FindForm(kPlotForms, kTagPlot);
const MarkerForm& kMarkerForm = *FindForm(kMarkerForms, kTagMarker);

// --- Record readers ---

int Result(bool read)
{
    return read ? KST_OK : KST_ERR_BAD_RECORD;
}

int ReadWindowRecord(CKSTDocReader& r, CKSTCurveWndSettings& s, const WindowForm& form)
{
    DocFieldReader io(r);
    return Result(VisitForm(form, [&](WindowField f) { return VisitWindowField(io, s, f); }));
}

int ReadXAxisRecord(CKSTDocReader& r, CKSTCurveWndSettings& s, const XAxisForm& form)
{
    DocFieldReader io(r);
    CKSTXAxisSettings axis;
    if (!VisitForm(form, [&](XAxisField f) { return VisitXAxisField(io, axis, f); })) {
        return KST_ERR_BAD_RECORD;
    }
    s.m_XAxisSettings = axis;
    return KST_OK;
}

int ReadYAxisRecord(CKSTDocReader& r, CKSTCurveWndSettings& s, const YAxisForm& form,
                    uint64_t& left)
{
    DocFieldReader io(r);
    CKSTAxisSettings axis;
    uint16_t index = 0;
    if (!VisitForm(form, [&](YAxisField f) { return VisitYAxisField(io, axis, index, f); })) {
        return KST_ERR_BAD_RECORD;
    }
    CKSTAxisSettings* slot = GrowTableTo(s.m_Axes, index, left);
    if (slot == nullptr) {
        return KST_ERR_TOO_LARGE;
    }
    *slot = axis;
    return KST_OK;
}

int ReadPlotRecord(CKSTDocReader& r, CKSTCurveWndSettings& s, const PlotForm& form, uint64_t& left)
{
    DocFieldReader io(r);
    CKSTCurveSettings curve;
    PlotPlace place;
    if (!VisitForm(form, [&](PlotField f) { return VisitPlotField(io, curve, place, f); })) {
        return KST_ERR_BAD_RECORD;
    }
    // Level lines and events that arrived before their plot record stay with the curve.
    CKSTCurveSettings* target = GrowTableTo(s.m_Curves, place.index, left);
    if (target == nullptr) {
        return KST_ERR_TOO_LARGE;
    }
    curve.m_Limits = std::move(target->m_Limits);
    curve.m_Markers = std::move(target->m_Markers);
    *target = std::move(curve);
    return KST_OK;
}

int ReadLimitRecord(CKSTDocReader& r, CKSTCurveWndSettings& s, uint64_t& left)
{
    DocFieldReader io(r);
    CKSTLimitSettings limit;
    uint16_t curve = 0;
    if (!VisitLimitRecord(io, limit, curve)) {
        return KST_ERR_BAD_RECORD;
    }
    CKSTCurveSettings* target = GrowTableTo(s.m_Curves, curve, left);
    if (target == nullptr) {
        return KST_ERR_TOO_LARGE;
    }
    target->AddLimit(&limit);
    return KST_OK;
}

int ReadMarkerRecord(CKSTDocReader& r, CKSTCurveWndSettings& s, const MarkerForm& form,
                     uint64_t& left)
{
    DocFieldReader io(r);
    CKSTMarkerSettings marker;
    uint16_t curve = 0;
    if (!VisitForm(form, [&](MarkerField f) { return VisitMarkerField(io, marker, curve, f); })) {
        return KST_ERR_BAD_RECORD;
    }
    CKSTCurveSettings* target = GrowTableTo(s.m_Curves, curve, left);
    if (target == nullptr) {
        return KST_ERR_TOO_LARGE;
    }
    target->AddMarker(&marker, marker.m_Font);
    return KST_OK;
}

int ReadTemplateRecord(CKSTDocReader& r, CKSTCurveWndSettings& s, uint64_t& left)
{
    DocFieldReader io(r);
    CKSTMarkerSettings t;
    uint16_t index = 0;
    if (!VisitTemplateRecord(io, t, index)) {
        return KST_ERR_BAD_RECORD;
    }
    CKSTMarkerSettings* slot = GrowTableTo(s.m_Templates, index, left);
    if (slot == nullptr) {
        return KST_ERR_TOO_LARGE;
    }
    *slot = t;
    return KST_OK;
}

int ReadSubWindowRecord(CKSTDocReader& r, CKSTCurveWndSettings& s, uint64_t& left)
{
    DocFieldReader io(r);
    CKSTGroupSettings group;
    uint16_t index = 0;
    if (!VisitSubWindowRecord(io, group, index)) {
        return KST_ERR_BAD_RECORD;
    }
    CKSTGroupSettings* slot = GrowTableTo(s.m_Groups, index, left);
    if (slot == nullptr) {
        return KST_ERR_TOO_LARGE;
    }
    slot->m_RelativeHeight = group.m_RelativeHeight;
    return KST_OK;
}

enum class SettingsKind { kNone, kWindow, kXAxis, kYAxis, kPlot, kLimit, kMarker, kOther };

SettingsKind ClassifySettingsTag(uint8_t tag)
{
    if (FindForm(kWindowForms, tag) != nullptr) {
        return SettingsKind::kWindow;
    }
    if (FindForm(kXAxisForms, tag) != nullptr) {
        return SettingsKind::kXAxis;
    }
    if (FindForm(kYAxisForms, tag) != nullptr) {
        return SettingsKind::kYAxis;
    }
    if (FindForm(kPlotForms, tag) != nullptr) {
        return SettingsKind::kPlot;
    }
    if (FindForm(kMarkerForms, tag) != nullptr) {
        return SettingsKind::kMarker;
    }
    switch (tag) {
        case kTagLimit:
            return SettingsKind::kLimit;
        case kTagFont:
        case kTagImage:
        case kTagSubWindow:
        case kTagTemplate:
            return SettingsKind::kOther;
        default:
            return SettingsKind::kNone;
    }
}

int ReadSettingsRecord(CKSTDocReader& r, CKSTCurveWndSettings& s, uint8_t tag, uint64_t& left)
{
    switch (ClassifySettingsTag(tag)) {
        case SettingsKind::kWindow:
            return ReadWindowRecord(r, s, *FindForm(kWindowForms, tag));
        case SettingsKind::kXAxis:
            return ReadXAxisRecord(r, s, *FindForm(kXAxisForms, tag));
        case SettingsKind::kYAxis:
            return ReadYAxisRecord(r, s, *FindForm(kYAxisForms, tag), left);
        case SettingsKind::kPlot:
            return ReadPlotRecord(r, s, *FindForm(kPlotForms, tag), left);
        case SettingsKind::kLimit:
            return ReadLimitRecord(r, s, left);
        case SettingsKind::kMarker:
            return ReadMarkerRecord(r, s, *FindForm(kMarkerForms, tag), left);
        case SettingsKind::kOther:
            break;
        case SettingsKind::kNone:
            return KST_OK;
    }
    switch (tag) {
        case kTagFont:
            return ReadFontTableRecord(r, s.m_Fonts, left);
        case kTagImage:
            return ReadImageTableRecord(r, s.m_Images, left);
        case kTagSubWindow:
            return ReadSubWindowRecord(r, s, left);
        case kTagTemplate:
            return ReadTemplateRecord(r, s, left);
        default:
            return KST_OK;
    }
}

// The settings set of a whole container.
int ReadSettingsSet(CKSTDocFile& file, CKSTCurveWndSettings& settings, bool withoutMarkers,
                    uint8_t* newerKinds)
{
    CKSTDocImage image;
    const int result = LoadRecordImage(file, image, newerKinds);
    if (result != KST_OK) {
        return result;
    }
    CKSTDocReader records = image.GetRecords();
    return file.ReadSettingsRecords(records, settings, withoutMarkers, newerKinds, false);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Shared record pieces

int LoadRecordImage(CKSTDocFile& file, CKSTDocImage& image, uint8_t* newerKinds)
{
    if (newerKinds != nullptr) {
        *newerKinds = 0;
    }
    if (!file.IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    return file.LoadImage(image);
}

void PutText16(CKSTDocRecord& record, const CKSTString& text)
{
    const uint32_t n = std::min<uint32_t>(static_cast<uint32_t>(text.GetLength()), 0xFFFF);
    record.PutU16(static_cast<uint16_t>(n));
    record.PutBytes(text.c_str(), n);
}

bool ReadText16(CKSTDocReader& record, CKSTString& text)
{
    const size_t start = record.GetPosition();
    uint16_t n;
    if (!record.ReadU16(n) || n > record.GetRemaining()) {
        record.SetPosition(start);
        return false;
    }
    text.Assign(reinterpret_cast<const char*>(record.GetCurrent()), n);
    record.Skip(n);
    return true;
}

// Table records start with the entry's index; the image record stores its size, then its
// pixels.
template <class Io, class F, class I>
bool VisitFontTableRecord(Io& io, F& font, I& index)
{
    return io.U16(index) && io.Font(font);
}

template <class Io, class I, class N>
bool VisitImageTableHead(Io& io, I& index, N& columns, N& rows)
{
    return io.U16(index) && io.U32(columns) && io.U32(rows);
}

void PutFontTableRecord(CKSTDocRecord& record, uint32_t index, const CKSTFontDesc& font)
{
    DocFieldWriter io(record);
    const auto stored = static_cast<uint16_t>(index);
    VisitFontTableRecord(io, font, stored);
}

int ReadFontTableRecord(CKSTDocReader& record, KstOwnedTable<CKSTFontDesc>& table,
                        uint64_t& elementsLeft)
{
    DocFieldReader io(record);
    uint16_t index = 0;
    CKSTFontDesc font;
    if (!VisitFontTableRecord(io, font, index)) {
        return KST_ERR_BAD_RECORD;
    }
    CKSTFontDesc* slot = GrowTableTo(table, index, elementsLeft);
    if (slot == nullptr) {
        return KST_ERR_TOO_LARGE;
    }
    *slot = font;
    return KST_OK;
}

void PutImageTableRecord(CKSTDocRecord& record, uint32_t index, const CKSTRasterImage& image)
{
    const uint32_t* pixels = image.GetPixels();
    const bool stored = pixels != nullptr;
    const auto storedIndex = static_cast<uint16_t>(index);
    const uint32_t columns = stored ? image.GetColumns() : 0;
    const uint32_t rows = stored ? image.GetRows() : 0;
    DocFieldWriter io(record);
    VisitImageTableHead(io, storedIndex, columns, rows);
    if (!stored) {
        return;
    }
    const uint64_t count = image.GetPixelCount();
    record.Reserve(record.GetSize() + static_cast<size_t>(count) * 3);
    for (uint64_t i = 0; i < count; ++i) {
        record.PutColorTriple(pixels[i]);
    }
}

int ReadImageTableRecord(CKSTDocReader& record, KstOwnedTable<CKSTRasterImage>& table,
                         uint64_t& elementsLeft)
{
    DocFieldReader io(record);
    uint16_t index = 0;
    uint32_t columns = 0;
    uint32_t rows = 0;
    if (!VisitImageTableHead(io, index, columns, rows)) {
        return KST_ERR_BAD_RECORD;
    }
    // Both factors are below 2^32, so neither product overflows 64 bits.
    const uint64_t count = static_cast<uint64_t>(columns) * rows;
    if (count > CKSTRasterImage::kMaxPixels || count * 3 > record.GetRemaining()) {
        return KST_ERR_BAD_RECORD;
    }
    CKSTRasterImage* image = GrowTableTo(table, index, elementsLeft);
    if (image == nullptr || !image->Create(columns, rows)) {
        return KST_ERR_TOO_LARGE;
    }
    uint32_t* pixels = image->GetPixels();
    for (uint64_t i = 0; i < count; ++i) {
        static_cast<void>(record.ReadColorTriple(pixels[i]));  // length checked above
    }
    return KST_OK;
}

int WriteTableRecords(CKSTDocFile& file, const KstOwnedTable<CKSTFontDesc>& fonts,
                      const KstOwnedTable<CKSTRasterImage>& images)
{
    CKSTDocRecord p;
    for (size_t i = 0; i < fonts.size(); ++i) {
        PutFontTableRecord(p, static_cast<uint32_t>(i), *fonts[i]);
        const int result = file.WriteFramedRecord(kTagFont, p);
        if (result != KST_OK) {
            return result;
        }
        p.Clear();
    }
    for (size_t i = 0; i < images.size(); ++i) {
        PutImageTableRecord(p, static_cast<uint32_t>(i), *images[i]);
        const int result = file.WriteFramedRecord(kTagImage, p);
        if (result != KST_OK) {
            return result;
        }
        p.Clear();
    }
    return KST_OK;
}

// ---------------------------------------------------------------------------------------------
// CKSTDocFile: settings sets

int CKSTDocFile::WriteCurveWndSettings(const CKSTCurveWndSettings& settings, bool withoutMarkers)
{
    int result = CheckWritable();
    if (result != KST_OK) {
        return result;
    }
    if (settings.m_Fonts.size() > kMaxTableIndex + 1 ||
        settings.m_Images.size() > kMaxTableIndex + 1 ||
        settings.m_Groups.size() > kMaxTableIndex + 1 ||
        settings.m_Axes.size() > kMaxTableIndex + 1 ||
        settings.m_Curves.size() > kMaxTableIndex + 1 ||
        settings.m_Templates.size() > kMaxTableIndex + 1) {
        return KST_ERR_TOO_LARGE;
    }

    CKSTDocRecord p;
    DocFieldWriter io(p);
    auto write = [&](uint8_t tag) {
        const int r = WriteFramedRecord(tag, p);
        p.Clear();
        return r;
    };

    VisitForm(kWindowForm, [&](WindowField f) { return VisitWindowField(io, settings, f); });
    if ((result = write(kTagWindow)) != KST_OK) {
        return result;
    }
    VisitForm(kXAxisForm,
              [&](XAxisField f) { return VisitXAxisField(io, settings.m_XAxisSettings, f); });
    if ((result = write(kTagXAxis)) != KST_OK) {
        return result;
    }
    if ((result = WriteTableRecords(*this, settings.m_Fonts, settings.m_Images)) != KST_OK) {
        return result;
    }
    for (size_t i = 0; i < settings.m_Groups.size(); ++i) {
        const auto index = static_cast<uint16_t>(i);
        VisitSubWindowRecord(io, *settings.m_Groups[i], index);
        if ((result = write(kTagSubWindow)) != KST_OK) {
            return result;
        }
    }
    for (size_t i = 0; i < settings.m_Axes.size(); ++i) {
        const auto index = static_cast<uint16_t>(i);
        VisitForm(kYAxisForm,
                  [&](YAxisField f) { return VisitYAxisField(io, *settings.m_Axes[i], index, f); });
        if ((result = write(kTagYAxis)) != KST_OK) {
            return result;
        }
    }
    for (size_t i = 0; i < settings.m_Curves.size(); ++i) {
        const CKSTCurveSettings& curve = *settings.m_Curves[i];
        const PlotPlace place = PlaceOfCurve(settings, curve, i);
        VisitForm(kPlotForm, [&](PlotField f) { return VisitPlotField(io, curve, place, f); });
        if ((result = write(kTagPlot)) != KST_OK) {
            return result;
        }
        for (const auto& limit : curve.m_Limits) {
            VisitLimitRecord(io, *limit, place.index);
            if ((result = write(kTagLimit)) != KST_OK) {
                return result;
            }
        }
        if (withoutMarkers) {
            continue;
        }
        for (const auto& marker : curve.m_Markers) {
            VisitForm(kMarkerForm,
                      [&](MarkerField f) { return VisitMarkerField(io, *marker, place.index, f); });
            if ((result = write(kTagMarker)) != KST_OK) {
                return result;
            }
        }
    }
    for (size_t i = 0; i < settings.m_Templates.size(); ++i) {
        const auto index = static_cast<uint16_t>(i);
        VisitTemplateRecord(io, *settings.m_Templates[i], index);
        if ((result = write(kTagTemplate)) != KST_OK) {
            return result;
        }
    }
    return KST_OK;
}

int CKSTDocFile::ReadCurveWndSettings(CKSTCurveWndSettings& settings, uint8_t* newerKinds)
{
    return ReadSettingsSet(*this, settings, true, newerKinds);
}

int CKSTDocFile::ReadCurveWndSettingsAll(CKSTCurveWndSettings& settings, uint8_t* newerKinds)
{
    return ReadSettingsSet(*this, settings, false, newerKinds);
}

int CKSTDocFile::ReadSettingsRecords(CKSTDocReader& records, CKSTCurveWndSettings& settings,
                                     bool withoutMarkers, uint8_t* newerKinds, bool nested)
{
    // A nested set belongs to a process block whose reader collects the flag over the block.
    uint8_t newer = 0;
    if (!nested) {
        if (newerKinds != nullptr) {
            *newerKinds = 0;
        }
        records.SetPosition(std::min<size_t>(kDocMagicSize, records.GetSize()));
    }
    settings.RemoveAll();
    if (!nested) {
        m_tableElementsLeft = records.GetSize();
    }

    bool found = false;
    int result = KST_OK;
    for (;;) {
        uint8_t tag;
        if (records.ReadTag(tag) != KST_OK) {
            break;
        }
        if (tag == KST_TAG_BLOCK_END) {
            if (!nested) {
                result = KST_ERR_MISSING_RECORD;
            }
            break;
        }
        if (tag == KST_TAG_BLOCK_BEGIN) {
            uint8_t id;
            if (!records.ReadU8(id)) {
                break;
            }
            continue;
        }
        const SettingsKind kind = ClassifySettingsTag(tag);
        if (kind == SettingsKind::kNone || (kind == SettingsKind::kMarker && withoutMarkers)) {
            // A record cut off by the end of the data ends the scan with what was read.
            if (records.SkipByClass(tag, &newer) != KST_OK) {
                break;
            }
            continue;
        }
        CKSTDocReader record;
        if (!records.TakeFramedRecord(record)) {
            break;
        }
        result = ReadSettingsRecord(record, settings, tag, m_tableElementsLeft);
        if (result != KST_OK) {
            break;
        }
        found = true;
    }
    if (newerKinds != nullptr && newer != 0) {
        *newerKinds = 1;
    }
    if (result != KST_OK) {
        return result;
    }
    return found ? KST_OK : KST_ERR_NO_SETTINGS;
}
