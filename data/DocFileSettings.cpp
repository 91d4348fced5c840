// Curve-window settings sets of the native container: one window record, one X-axis record,
// then one record per font, image, group, Y axis, curve (with its level lines and events) and
// event template. Every older form of a record that earlier versions wrote is still read.
//
// The window, axis, plot and marker records are described as lists of fields, one list per
// stored form; the current form's list drives both the writer and the reader, so the two
// cannot drift apart. Fields stored as "u8 of" a wider field keep its low byte; the codes held
// there are all below 256.

#include <algorithm>
#include <cmath>
#include <utility>

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

bool ReadU8Into(CKSTDocReader& r, uint32_t& field)
{
    uint8_t v;
    if (!r.ReadU8(v)) {
        return false;
    }
    field = v;
    return true;
}

bool ReadWindowField(CKSTDocReader& r, CKSTCurveWndSettings& s, WindowField field)
{
    CKSTWindowStyleSettings& w = s.m_WindowStyleSettings;
    uint32_t v = 0;
    switch (field) {
        case WF::kColors:
            return r.ReadU32(s.m_BackgroundColor) && r.ReadU32(s.m_PlotBackgroundColor) &&
                   r.ReadU32(s.m_XTextColor) && r.ReadU32(s.m_YTextColor) &&
                   r.ReadU32(s.m_LegendTextColor) && r.ReadU32(s.m_GridColor);
        case WF::kTicks:
            return r.ReadU16(s.m_BorderWidth) && r.ReadU16(s.m_MainTickLength) &&
                   r.ReadU16(s.m_SubTickLength) && r.ReadU16(s.m_AutoTickDistX) &&
                   r.ReadU16(s.m_AutoTickDistY);
        case WF::kXPlotIndex:
            return r.ReadI16(w.m_XPlotIndex);
        case WF::kLegendStyle:
            return ReadU8Into(r, s.m_LegendStyle);
        case WF::kLegendAlign:
            return ReadU8Into(r, s.m_LegendAlign);
        case WF::kLegendGroup:
            return r.ReadU8(s.m_LegendGroup);
        case WF::kWindowStyle:
            return ReadU8Into(r, w.m_WindowStyle);
        case WF::kWindowStructure:
            return ReadU8Into(r, w.m_WindowStructure);
        case WF::kGridVisible:
            return r.ReadU8(s.m_GridVisible);
        case WF::kBColorGradient:
            return r.ReadU8(s.m_BColorGradient);
        case WF::kCursorCross:
            return r.ReadU8(s.m_CursorCross);
        case WF::kCursorTextName:
            return r.ReadU8(s.m_CursorTextName);
        case WF::kInlineFonts:
            return r.ReadFontRecord(s.m_AxesFontDesc) && r.ReadFontRecord(s.m_LegendFontDesc);
        case WF::kFontIndices:
            return r.ReadI16(w.m_AxesFont) && r.ReadI16(w.m_LegendFont);
        case WF::kImageIndex:
            return r.ReadI16(w.m_ImageIndex);
        case WF::kImagePlacement:
            if (!ReadU8Into(r, v)) {
                return false;
            }
            s.m_ImagePlacement = v;
            return true;
        case WF::kXPlotName:
            return r.ReadShortString(w.m_WindowXPlotName);
        case WF::kEnd:
            break;
    }
    return true;
}

// Only the fields of the current form are ever written.
void PutWindowField(CKSTDocRecord& p, const CKSTCurveWndSettings& s, WindowField field)
{
    const CKSTWindowStyleSettings& w = s.m_WindowStyleSettings;
    switch (field) {
        case WF::kColors:
            p.PutU32(s.m_BackgroundColor);
            p.PutU32(s.m_PlotBackgroundColor);
            p.PutU32(s.m_XTextColor);
            p.PutU32(s.m_YTextColor);
            p.PutU32(s.m_LegendTextColor);
            p.PutU32(s.m_GridColor);
            break;
        case WF::kTicks:
            p.PutU16(s.m_BorderWidth);
            p.PutU16(s.m_MainTickLength);
            p.PutU16(s.m_SubTickLength);
            p.PutU16(s.m_AutoTickDistX);
            p.PutU16(s.m_AutoTickDistY);
            break;
        case WF::kLegendStyle:
            p.PutU8(static_cast<uint8_t>(s.m_LegendStyle));
            break;
        case WF::kLegendAlign:
            p.PutU8(static_cast<uint8_t>(s.m_LegendAlign));
            break;
        case WF::kLegendGroup:
            p.PutU8(s.m_LegendGroup);
            break;
        case WF::kWindowStyle:
            p.PutU8(static_cast<uint8_t>(w.m_WindowStyle));
            break;
        case WF::kWindowStructure:
            p.PutU8(static_cast<uint8_t>(w.m_WindowStructure));
            break;
        case WF::kGridVisible:
            p.PutU8(s.m_GridVisible);
            break;
        case WF::kBColorGradient:
            p.PutU8(s.m_BColorGradient);
            break;
        case WF::kCursorCross:
            p.PutU8(s.m_CursorCross);
            break;
        case WF::kCursorTextName:
            p.PutU8(s.m_CursorTextName);
            break;
        case WF::kFontIndices:
            p.PutI16(w.m_AxesFont);
            p.PutI16(w.m_LegendFont);
            break;
        case WF::kImageIndex:
            p.PutI16(w.m_ImageIndex);
            break;
        case WF::kImagePlacement:
            p.PutU8(static_cast<uint8_t>(s.m_ImagePlacement));
            break;
        case WF::kXPlotName:
            p.PutShortString(w.m_WindowXPlotName);
            break;
        case WF::kXPlotIndex:
        case WF::kInlineFonts:
        case WF::kEnd:
            break;
    }
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

// Old forms keep the unit type as two flags: 3 when the first is set, else 1 when the second
// is set, else 0.
bool ReadUnitFlags(CKSTDocReader& r, uint32_t& unitType)
{
    uint8_t first;
    uint8_t second;
    if (!r.ReadU8(first) || !r.ReadU8(second)) {
        return false;
    }
    unitType = first != 0 ? 3 : (second != 0 ? 1 : 0);
    return true;
}

bool ReadXAxisField(CKSTDocReader& r, CKSTXAxisSettings& x, XAxisField field)
{
    switch (field) {
        case XF::kUnit:
            return r.ReadShortString(x.m_Unit);
        case XF::kType:
            return ReadU8Into(r, x.m_Type);
        case XF::kValues:
            return r.ReadF64(x.m_MinValue) && r.ReadF64(x.m_MaxValue) &&
                   r.ReadF64(x.m_RangeValue) && r.ReadF64(x.m_TickWidth);
        case XF::kTickAuto:
            return r.ReadU8(x.m_TickAuto);
        case XF::kTicksAtPoints:
            return r.ReadU8(x.m_TicksAtPoints);
        case XF::kAxisAuto:
            return ReadU8Into(r, x.m_AxisAuto);
        case XF::kUnitType:
            return ReadU8Into(r, x.m_UnitType);
        case XF::kUnitFlags:
            return ReadUnitFlags(r, x.m_UnitType);
        case XF::kRotation:
            return r.ReadU16(x.m_Rotation);
        case XF::kOnlyStandard:
            return r.ReadU8(x.m_OnlyStandard);
        case XF::kEnd:
            break;
    }
    return true;
}

void PutXAxisField(CKSTDocRecord& p, const CKSTXAxisSettings& x, XAxisField field)
{
    switch (field) {
        case XF::kUnit:
            p.PutShortString(x.m_Unit);
            break;
        case XF::kType:
            p.PutU8(static_cast<uint8_t>(x.m_Type));
            break;
        case XF::kValues:
            p.PutF64(x.m_MinValue);
            p.PutF64(x.m_MaxValue);
            p.PutF64(x.m_RangeValue);
            p.PutF64(x.m_TickWidth);
            break;
        case XF::kTickAuto:
            p.PutU8(x.m_TickAuto);
            break;
        case XF::kTicksAtPoints:
            p.PutU8(x.m_TicksAtPoints);
            break;
        case XF::kAxisAuto:
            p.PutU8(static_cast<uint8_t>(x.m_AxisAuto));
            break;
        case XF::kUnitType:
            p.PutU8(static_cast<uint8_t>(x.m_UnitType));
            break;
        case XF::kRotation:
            p.PutU16(x.m_Rotation);
            break;
        case XF::kOnlyStandard:
            p.PutU8(x.m_OnlyStandard);
            break;
        case XF::kUnitFlags:
        case XF::kEnd:
            break;
    }
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

bool ReadYAxisField(CKSTDocReader& r, CKSTAxisSettings& a, uint16_t& index, YAxisField field)
{
    int16_t subIndex = 0;
    switch (field) {
        case YF::kUnit:
            return r.ReadShortString(a.m_Unit);
        case YF::kIndex:
            return r.ReadU16(index);
        case YF::kSubIndex:
            // The group number's low half; taken as signed so that "no group" (-1) survives.
            if (!r.ReadI16(subIndex)) {
                return false;
            }
            a.m_SubIndex = subIndex;
            return true;
        case YF::kType:
            return ReadU8Into(r, a.m_Type);
        case YF::kValues:
            return r.ReadF64(a.m_MinValue) && r.ReadF64(a.m_MaxValue) && r.ReadF64(a.m_TickWidth);
        case YF::kTickAuto:
            return r.ReadU8(a.m_TickAuto);
        case YF::kAxisAuto:
            return r.ReadU8(a.m_AxisAuto);
        case YF::kUnitType:
            return ReadU8Into(r, a.m_UnitType);
        case YF::kUnitFlags:
            return ReadUnitFlags(r, a.m_UnitType);
        case YF::kColor:
            return r.ReadU32(a.m_Color);
        case YF::kReversed:
            return r.ReadU8(a.m_Reversed);
        case YF::kHidden:
            return r.ReadU8(a.m_Hidden);
        case YF::kMeterAngle:
            return r.ReadF64(a.m_MeterAngle);
        case YF::kEnd:
            break;
    }
    return true;
}

void PutYAxisField(CKSTDocRecord& p, const CKSTAxisSettings& a, uint16_t index, YAxisField field)
{
    switch (field) {
        case YF::kUnit:
            p.PutShortString(a.m_Unit);
            break;
        case YF::kIndex:
            p.PutU16(index);
            break;
        case YF::kSubIndex:
            p.PutU16(static_cast<uint16_t>(a.m_SubIndex));
            break;
        case YF::kType:
            p.PutU8(static_cast<uint8_t>(a.m_Type));
            break;
        case YF::kValues:
            p.PutF64(a.m_MinValue);
            p.PutF64(a.m_MaxValue);
            p.PutF64(a.m_TickWidth);
            break;
        case YF::kTickAuto:
            p.PutU8(a.m_TickAuto);
            break;
        case YF::kAxisAuto:
            p.PutU8(a.m_AxisAuto);
            break;
        case YF::kUnitType:
            p.PutU8(static_cast<uint8_t>(a.m_UnitType));
            break;
        case YF::kColor:
            p.PutU32(a.m_Color);
            break;
        case YF::kReversed:
            p.PutU8(a.m_Reversed);
            break;
        case YF::kHidden:
            p.PutU8(a.m_Hidden);
            break;
        case YF::kMeterAngle:
            p.PutF64(a.m_MeterAngle);
            break;
        case YF::kUnitFlags:
        case YF::kEnd:
            break;
    }
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

bool ReadPlotField(CKSTDocReader& r, CKSTCurveSettings& c, uint16_t& index, PlotField field)
{
    uint16_t ignored = 0;
    switch (field) {
        case PF::kName:
            return r.ReadShortString(c.m_Name);
        case PF::kGroup:
            return r.ReadShortString(c.m_Group);
        case PF::kIndex:
            return r.ReadU16(index);
        case PF::kGroupNumber:
            return r.ReadU16(ignored);
        case PF::kYIndex:
            return r.ReadI16(c.m_YIndex);
        case PF::kPlotStyle:
            return ReadU8Into(r, c.m_PlotStyle);
        case PF::kSymbol:
            return ReadU8Into(r, c.m_Symbol);
        case PF::kValueList:
            return ReadU8Into(r, c.m_ValueList);
        case PF::kColor:
            return r.ReadU32(c.m_Color);
        case PF::kVisible:
            return ReadU8Into(r, c.m_Visible);
        case PF::kGapInterpol:
            return r.ReadU8(c.m_GapInterpol);
        case PF::kShowValue:
            return r.ReadU8(c.m_ShowValue);
        case PF::kEventTemplate:
            return r.ReadI16(c.m_EventTemplateIndex);
        case PF::kLegendFlag:
            return r.ReadU8(c.m_ShowInLegend);
        case PF::kCursorFlag:
            return r.ReadU8(c.m_ShowAtCursor);
        case PF::kDecimals:
            return r.ReadI16(c.m_Decimals);
        case PF::kEnd:
            break;
    }
    return true;
}

void PutPlotField(CKSTDocRecord& p, const CKSTCurveWndSettings& s, const CKSTCurveSettings& c,
                  uint16_t index, PlotField field)
{
    switch (field) {
        case PF::kName:
            p.PutShortString(c.m_Name);
            break;
        case PF::kGroup:
            p.PutShortString(c.m_Group);
            break;
        case PF::kIndex:
            p.PutU16(index);
            break;
        case PF::kGroupNumber: {
            // 0 when YIndex names no axis; readers ignore the field.
            uint16_t group = 0;
            if (c.m_YIndex >= 0 && static_cast<size_t>(c.m_YIndex) < s.m_Axes.size()) {
                group =
                    static_cast<uint16_t>(s.m_Axes[static_cast<size_t>(c.m_YIndex)]->m_SubIndex);
            }
            p.PutU16(group);
            break;
        }
        case PF::kYIndex:
            p.PutI16(c.m_YIndex);
            break;
        case PF::kPlotStyle:
            p.PutU8(static_cast<uint8_t>(c.m_PlotStyle));
            break;
        case PF::kSymbol:
            p.PutU8(static_cast<uint8_t>(c.m_Symbol));
            break;
        case PF::kValueList:
            p.PutU8(static_cast<uint8_t>(c.m_ValueList));
            break;
        case PF::kColor:
            p.PutU32(c.m_Color);
            break;
        case PF::kVisible:
            p.PutU8(static_cast<uint8_t>(c.m_Visible));
            break;
        case PF::kGapInterpol:
            p.PutU8(c.m_GapInterpol);
            break;
        case PF::kShowValue:
            p.PutU8(c.m_ShowValue);
            break;
        case PF::kEventTemplate:
            p.PutI16(c.m_EventTemplateIndex);
            break;
        case PF::kLegendFlag:
            p.PutU8(c.m_ShowInLegend);
            break;
        case PF::kCursorFlag:
            p.PutU8(c.m_ShowAtCursor);
            break;
        case PF::kDecimals:
            p.PutI16(c.m_Decimals);
            break;
        case PF::kEnd:
            break;
    }
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

bool ReadMarkerField(CKSTDocReader& r, CKSTMarkerSettings& m, uint16_t& curve, MarkerField field)
{
    uint16_t type = 0;
    switch (field) {
        case MF::kText:
            return r.ReadPropertyString(m.m_Text);
        case MF::kCurveIndex:
            return r.ReadU16(curve);
        case MF::kType:
            if (!r.ReadU16(type)) {
                return false;
            }
            m.m_Type = type;
            return true;
        case MF::kValue:
            return r.ReadF64(m.m_Value);
        case MF::kColor:
            return r.ReadU32(m.m_Color);
        case MF::kFrame:
            return r.ReadU8(m.m_Frame);
        case MF::kBackColor:
            return r.ReadU32(m.m_BackgroundColor);
        case MF::kRotation:
            return r.ReadU16(m.m_Rotation);
        case MF::kAtPoint:
            return r.ReadU8(m.m_AtPoint);
        case MF::kFont:
            return r.ReadI16(m.m_Font);
        case MF::kPointer:
            return r.ReadU8(m.m_Pointer);
        case MF::kEnd:
            break;
    }
    return true;
}

void PutMarkerField(CKSTDocRecord& p, const CKSTMarkerSettings& m, uint16_t curve,
                    MarkerField field)
{
    switch (field) {
        case MF::kText:
            p.PutPropertyString(m.m_Text);
            break;
        case MF::kCurveIndex:
            p.PutU16(curve);
            break;
        case MF::kType:
            p.PutU16(static_cast<uint16_t>(m.m_Type));
            break;
        case MF::kValue:
            p.PutF64(m.m_Value);
            break;
        case MF::kColor:
            p.PutU32(m.m_Color);
            break;
        case MF::kFrame:
            p.PutU8(m.m_Frame);
            break;
        case MF::kBackColor:
            p.PutU32(m.m_BackgroundColor);
            break;
        case MF::kRotation:
            p.PutU16(m.m_Rotation);
            break;
        case MF::kAtPoint:
            p.PutU8(m.m_AtPoint);
            break;
        case MF::kFont:
            p.PutI16(m.m_Font);
            break;
        case MF::kPointer:
            p.PutU8(m.m_Pointer);
            break;
        case MF::kEnd:
            break;
    }
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

// Reads the fields of one form in order; false as soon as the record runs short.
template <class Form, class ReadField>
bool ReadFields(const Form& form, ReadField&& read)
{
    for (auto field : form.fields) {
        if (static_cast<int>(field) == 0) {
            break;
        }
        if (!read(field)) {
            return false;
        }
    }
    return true;
}

template <class Form, class PutField>
void PutFields(const Form& form, PutField&& put)
{
    for (auto field : form.fields) {
        if (static_cast<int>(field) == 0) {
            break;
        }
        put(field);
    }
}

// --- Record readers ---

int ReadWindowRecord(CKSTDocReader& r, CKSTCurveWndSettings& s, const WindowForm& form)
{
    return ReadFields(form, [&](WindowField f) { return ReadWindowField(r, s, f); })
               ? KST_OK
               : KST_ERR_BAD_RECORD;
}

int ReadXAxisRecord(CKSTDocReader& r, CKSTCurveWndSettings& s, const XAxisForm& form)
{
    CKSTXAxisSettings axis;
    if (!ReadFields(form, [&](XAxisField f) { return ReadXAxisField(r, axis, f); })) {
        return KST_ERR_BAD_RECORD;
    }
    s.m_XAxisSettings = axis;
    return KST_OK;
}

int ReadYAxisRecord(CKSTDocReader& r, CKSTCurveWndSettings& s, const YAxisForm& form)
{
    CKSTAxisSettings axis;
    uint16_t index = 0;
    if (!ReadFields(form, [&](YAxisField f) { return ReadYAxisField(r, axis, index, f); })) {
        return KST_ERR_BAD_RECORD;
    }
    GrowTableTo(s.m_Axes, index) = axis;
    return KST_OK;
}

int ReadPlotRecord(CKSTDocReader& r, CKSTCurveWndSettings& s, const PlotForm& form)
{
    CKSTCurveSettings curve;
    uint16_t index = 0;
    if (!ReadFields(form, [&](PlotField f) { return ReadPlotField(r, curve, index, f); })) {
        return KST_ERR_BAD_RECORD;
    }
    // Level lines and events that arrived before their plot record stay with the curve.
    CKSTCurveSettings& target = GrowTableTo(s.m_Curves, index);
    curve.m_Limits = std::move(target.m_Limits);
    curve.m_Markers = std::move(target.m_Markers);
    target = std::move(curve);
    return KST_OK;
}

int ReadLimitRecord(CKSTDocReader& r, CKSTCurveWndSettings& s)
{
    uint16_t curve;
    uint8_t style;
    CKSTLimitSettings limit;
    if (!r.ReadU16(curve) || !r.ReadU8(style) || !r.ReadU32(limit.m_Color) ||
        !r.ReadF64(limit.m_Value)) {
        return KST_ERR_BAD_RECORD;
    }
    limit.m_LineStyle = style;
    GrowTableTo(s.m_Curves, curve).AddLimit(&limit);
    return KST_OK;
}

int ReadMarkerRecord(CKSTDocReader& r, CKSTCurveWndSettings& s, const MarkerForm& form)
{
    CKSTMarkerSettings marker;
    uint16_t curve = 0;
    if (!ReadFields(form, [&](MarkerField f) { return ReadMarkerField(r, marker, curve, f); })) {
        return KST_ERR_BAD_RECORD;
    }
    GrowTableTo(s.m_Curves, curve).AddMarker(&marker, marker.m_Font);
    return KST_OK;
}

int ReadTemplateRecord(CKSTDocReader& r, CKSTCurveWndSettings& s)
{
    uint16_t index;
    uint16_t type;
    CKSTMarkerSettings t;
    if (!r.ReadU16(index) || !r.ReadU16(type) || !r.ReadU32(t.m_Color) || !r.ReadU8(t.m_Frame) ||
        !r.ReadU8(t.m_Pointer) || !r.ReadU32(t.m_BackgroundColor) || !r.ReadU16(t.m_Rotation) ||
        !r.ReadI16(t.m_Font)) {
        return KST_ERR_BAD_RECORD;
    }
    t.m_Type = type;
    GrowTableTo(s.m_Templates, index) = t;
    return KST_OK;
}

int ReadSubWindowRecord(CKSTDocReader& r, CKSTCurveWndSettings& s)
{
    uint16_t index;
    double height;
    if (!r.ReadU16(index) || !r.ReadF64(height)) {
        return KST_ERR_BAD_RECORD;
    }
    GrowTableTo(s.m_Groups, index).m_RelativeHeight = height;
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

int ReadSettingsRecord(CKSTDocReader& r, CKSTCurveWndSettings& s, uint8_t tag)
{
    switch (ClassifySettingsTag(tag)) {
        case SettingsKind::kWindow:
            return ReadWindowRecord(r, s, *FindForm(kWindowForms, tag));
        case SettingsKind::kXAxis:
            return ReadXAxisRecord(r, s, *FindForm(kXAxisForms, tag));
        case SettingsKind::kYAxis:
            return ReadYAxisRecord(r, s, *FindForm(kYAxisForms, tag));
        case SettingsKind::kPlot:
            return ReadPlotRecord(r, s, *FindForm(kPlotForms, tag));
        case SettingsKind::kLimit:
            return ReadLimitRecord(r, s);
        case SettingsKind::kMarker:
            return ReadMarkerRecord(r, s, *FindForm(kMarkerForms, tag));
        case SettingsKind::kOther:
            break;
        case SettingsKind::kNone:
            return KST_OK;
    }
    switch (tag) {
        case kTagFont:
            return ReadFontTableRecord(r, s.m_Fonts);
        case kTagImage:
            return ReadImageTableRecord(r, s.m_Images);
        case kTagSubWindow:
            return ReadSubWindowRecord(r, s);
        case kTagTemplate:
            return ReadTemplateRecord(r, s);
        default:
            return KST_OK;
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Shared record pieces

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

void PutFontTableRecord(CKSTDocRecord& record, uint32_t index, const CKSTFontDesc& font)
{
    record.PutU16(static_cast<uint16_t>(index));
    record.PutFontRecord(font);
}

int ReadFontTableRecord(CKSTDocReader& record, KstOwnedTable<CKSTFontDesc>& table)
{
    uint16_t index;
    CKSTFontDesc font;
    if (!record.ReadU16(index) || !record.ReadFontRecord(font)) {
        return KST_ERR_BAD_RECORD;
    }
    GrowTableTo(table, index) = font;
    return KST_OK;
}

void PutImageTableRecord(CKSTDocRecord& record, uint32_t index, const CKSTRasterImage& image)
{
    const uint32_t* pixels = image.GetPixels();
    const bool stored = pixels != nullptr;
    record.PutU16(static_cast<uint16_t>(index));
    record.PutU32(stored ? image.GetColumns() : 0);
    record.PutU32(stored ? image.GetRows() : 0);
    if (!stored) {
        return;
    }
    const uint64_t count = image.GetPixelCount();
    record.Reserve(record.GetSize() + static_cast<size_t>(count) * 3);
    for (uint64_t i = 0; i < count; ++i) {
        record.PutColorTriple(pixels[i]);
    }
}

int ReadImageTableRecord(CKSTDocReader& record, KstOwnedTable<CKSTRasterImage>& table)
{
    uint16_t index;
    uint32_t columns;
    uint32_t rows;
    if (!record.ReadU16(index) || !record.ReadU32(columns) || !record.ReadU32(rows)) {
        return KST_ERR_BAD_RECORD;
    }
    // Both factors are below 2^32, so neither product overflows 64 bits.
    const uint64_t count = static_cast<uint64_t>(columns) * rows;
    if (count > CKSTRasterImage::kMaxPixels || count * 3 > record.GetRemaining()) {
        return KST_ERR_BAD_RECORD;
    }
    CKSTRasterImage& image = GrowTableTo(table, index);
    if (!image.Create(columns, rows)) {
        return KST_ERR_TOO_LARGE;
    }
    uint32_t* pixels = image.GetPixels();
    for (uint64_t i = 0; i < count; ++i) {
        record.ReadColorTriple(pixels[i]);
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
    auto write = [&](uint8_t tag) {
        const int r = WriteFramedRecord(tag, p);
        p.Clear();
        return r;
    };

    PutFields(*FindForm(kWindowForms, kTagWindow),
              [&](WindowField f) { PutWindowField(p, settings, f); });
    if ((result = write(kTagWindow)) != KST_OK) {
        return result;
    }
    PutFields(*FindForm(kXAxisForms, kTagXAxis),
              [&](XAxisField f) { PutXAxisField(p, settings.m_XAxisSettings, f); });
    if ((result = write(kTagXAxis)) != KST_OK) {
        return result;
    }
    for (size_t i = 0; i < settings.m_Fonts.size(); ++i) {
        PutFontTableRecord(p, static_cast<uint32_t>(i), *settings.m_Fonts[i]);
        if ((result = write(kTagFont)) != KST_OK) {
            return result;
        }
    }
    for (size_t i = 0; i < settings.m_Images.size(); ++i) {
        PutImageTableRecord(p, static_cast<uint32_t>(i), *settings.m_Images[i]);
        if ((result = write(kTagImage)) != KST_OK) {
            return result;
        }
    }
    for (size_t i = 0; i < settings.m_Groups.size(); ++i) {
        p.PutU16(static_cast<uint16_t>(i));
        p.PutF64(settings.m_Groups[i]->m_RelativeHeight);
        if ((result = write(kTagSubWindow)) != KST_OK) {
            return result;
        }
    }
    const YAxisForm& yForm = *FindForm(kYAxisForms, kTagYAxis);
    for (size_t i = 0; i < settings.m_Axes.size(); ++i) {
        const auto index = static_cast<uint16_t>(i);
        PutFields(yForm, [&](YAxisField f) { PutYAxisField(p, *settings.m_Axes[i], index, f); });
        if ((result = write(kTagYAxis)) != KST_OK) {
            return result;
        }
    }
    const PlotForm& plotForm = *FindForm(kPlotForms, kTagPlot);
    const MarkerForm& markerForm = *FindForm(kMarkerForms, kTagMarker);
    for (size_t i = 0; i < settings.m_Curves.size(); ++i) {
        const CKSTCurveSettings& curve = *settings.m_Curves[i];
        const auto index = static_cast<uint16_t>(i);
        PutFields(plotForm, [&](PlotField f) { PutPlotField(p, settings, curve, index, f); });
        if ((result = write(kTagPlot)) != KST_OK) {
            return result;
        }
        for (const auto& limit : curve.m_Limits) {
            p.PutU16(index);
            p.PutU8(static_cast<uint8_t>(limit->m_LineStyle));
            p.PutU32(limit->m_Color);
            p.PutF64(limit->m_Value);
            if ((result = write(kTagLimit)) != KST_OK) {
                return result;
            }
        }
        if (withoutMarkers) {
            continue;
        }
        for (const auto& marker : curve.m_Markers) {
            PutFields(markerForm, [&](MarkerField f) { PutMarkerField(p, *marker, index, f); });
            if ((result = write(kTagMarker)) != KST_OK) {
                return result;
            }
        }
    }
    for (size_t i = 0; i < settings.m_Templates.size(); ++i) {
        const CKSTMarkerSettings& t = *settings.m_Templates[i];
        p.PutU16(static_cast<uint16_t>(i));
        p.PutU16(static_cast<uint16_t>(t.m_Type));
        p.PutU32(t.m_Color);
        p.PutU8(t.m_Frame);
        p.PutU8(t.m_Pointer);
        p.PutU32(t.m_BackgroundColor);
        p.PutU16(t.m_Rotation);
        p.PutI16(t.m_Font);
        if ((result = write(kTagTemplate)) != KST_OK) {
            return result;
        }
    }
    return KST_OK;
}

int CKSTDocFile::ReadCurveWndSettings(CKSTCurveWndSettings& settings, uint8_t* newerKinds)
{
    if (newerKinds != nullptr) {
        *newerKinds = 0;
    }
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    CKSTDocImage image;
    const int result = LoadImage(image);
    if (result != KST_OK) {
        return result;
    }
    CKSTDocReader records = image.GetRecords();
    return ReadSettingsRecords(records, settings, true, newerKinds, false);
}

int CKSTDocFile::ReadCurveWndSettingsAll(CKSTCurveWndSettings& settings, uint8_t* newerKinds)
{
    if (newerKinds != nullptr) {
        *newerKinds = 0;
    }
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    CKSTDocImage image;
    const int result = LoadImage(image);
    if (result != KST_OK) {
        return result;
    }
    CKSTDocReader records = image.GetRecords();
    return ReadSettingsRecords(records, settings, false, newerKinds, false);
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
        result = ReadSettingsRecord(record, settings, tag);
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
