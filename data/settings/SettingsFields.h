#pragma once
// Every field of the settings records, listed once per record and visited over two records in
// step: KstSameFields compares all of them (the records' own IsEqual and operator== compare
// only what their callers care about), and tests name the first field that differs. Copies
// need no list: the records copy as a whole (data/settings/OwnedTable.h).
//
// A visitor v is called as v(name, a, b) for a plain field, v.Record(name, a, b) for a
// sub-record (whose fields it visits through VisitFields), v.Table(name, a, b) for a table or
// list of records and v.Optional(name, a, b) for a record that may be missing.

#include <vector>

#include "data/settings/CurveWndSettings.h"
#include "data/settings/ProcessLayout.h"
#include "foundation/FontDesc.h"
#include "foundation/RasterImage.h"
#include "foundation/String.h"

template <class V>
void VisitFields(V& v, const CKSTXAxisSettings& a, const CKSTXAxisSettings& b)
{
    v("Type", a.m_Type, b.m_Type);
    v("Unit", a.m_Unit, b.m_Unit);
    v("MinValue", a.m_MinValue, b.m_MinValue);
    v("MaxValue", a.m_MaxValue, b.m_MaxValue);
    v("RangeValue", a.m_RangeValue, b.m_RangeValue);
    v("TickWidth", a.m_TickWidth, b.m_TickWidth);
    v("TickAuto", a.m_TickAuto, b.m_TickAuto);
    v("TicksAtPoints", a.m_TicksAtPoints, b.m_TicksAtPoints);
    v("AxisAuto", a.m_AxisAuto, b.m_AxisAuto);
    v("UnitType", a.m_UnitType, b.m_UnitType);
    v("Rotation", a.m_Rotation, b.m_Rotation);
    v("OnlyStandard", a.m_OnlyStandard, b.m_OnlyStandard);
}

template <class V>
void VisitFields(V& v, const CKSTGroupSettings& a, const CKSTGroupSettings& b)
{
    v("RelativeHeight", a.m_RelativeHeight, b.m_RelativeHeight);
}

template <class V>
void VisitFields(V& v, const CKSTAxisSettings& a, const CKSTAxisSettings& b)
{
    v("SubIndex", a.m_SubIndex, b.m_SubIndex);
    v("Type", a.m_Type, b.m_Type);
    v("Unit", a.m_Unit, b.m_Unit);
    v("MinValue", a.m_MinValue, b.m_MinValue);
    v("MaxValue", a.m_MaxValue, b.m_MaxValue);
    v("TickWidth", a.m_TickWidth, b.m_TickWidth);
    v("TickAuto", a.m_TickAuto, b.m_TickAuto);
    v("AxisAuto", a.m_AxisAuto, b.m_AxisAuto);
    v("UnitType", a.m_UnitType, b.m_UnitType);
    v("Color", a.m_Color, b.m_Color);
    v("Reversed", a.m_Reversed, b.m_Reversed);
    v("Hidden", a.m_Hidden, b.m_Hidden);
    v("MeterAngle", a.m_MeterAngle, b.m_MeterAngle);
    v("Expanded", a.m_Expanded, b.m_Expanded);
}

template <class V>
void VisitFields(V& v, const CKSTLimitSettings& a, const CKSTLimitSettings& b)
{
    v("Value", a.m_Value, b.m_Value);
    v("LineStyle", a.m_LineStyle, b.m_LineStyle);
    v("Color", a.m_Color, b.m_Color);
}

template <class V>
void VisitFields(V& v, const CKSTMarkerSettings& a, const CKSTMarkerSettings& b)
{
    v("Text", a.m_Text, b.m_Text);
    v("Type", a.m_Type, b.m_Type);
    v("Value", a.m_Value, b.m_Value);
    v("AtPoint", a.m_AtPoint, b.m_AtPoint);
    v("Color", a.m_Color, b.m_Color);
    v("Frame", a.m_Frame, b.m_Frame);
    v("Pointer", a.m_Pointer, b.m_Pointer);
    v("BackgroundColor", a.m_BackgroundColor, b.m_BackgroundColor);
    v("Rotation", a.m_Rotation, b.m_Rotation);
    v("Font", a.m_Font, b.m_Font);
}

template <class V>
void VisitFields(V& v, const CKSTCurveSettings& a, const CKSTCurveSettings& b)
{
    v("YIndex", a.m_YIndex, b.m_YIndex);
    v("Name", a.m_Name, b.m_Name);
    v("Group", a.m_Group, b.m_Group);
    v("PlotStyle", a.m_PlotStyle, b.m_PlotStyle);
    v("Symbol", a.m_Symbol, b.m_Symbol);
    v("ValueList", a.m_ValueList, b.m_ValueList);
    v("Color", a.m_Color, b.m_Color);
    v("Visible", a.m_Visible, b.m_Visible);
    v("ShowValue", a.m_ShowValue, b.m_ShowValue);
    v("ShowInLegend", a.m_ShowInLegend, b.m_ShowInLegend);
    v("ShowAtCursor", a.m_ShowAtCursor, b.m_ShowAtCursor);
    v("MarkerVisible", a.m_MarkerVisible, b.m_MarkerVisible);
    v("Unit", a.m_Unit, b.m_Unit);
    v("GapInterpol", a.m_GapInterpol, b.m_GapInterpol);
    v("Decimals", a.m_Decimals, b.m_Decimals);
    v("EventTemplateIndex", a.m_EventTemplateIndex, b.m_EventTemplateIndex);
    v.Table("Limits", a.m_Limits, b.m_Limits);
    v.Table("Markers", a.m_Markers, b.m_Markers);
}

template <class V>
void VisitFields(V& v, const CKSTWindowStyleSettings& a, const CKSTWindowStyleSettings& b)
{
    v("WindowStyle", a.m_WindowStyle, b.m_WindowStyle);
    v("WindowStructure", a.m_WindowStructure, b.m_WindowStructure);
    v("XPlotIndex", a.m_XPlotIndex, b.m_XPlotIndex);
    v("WindowXPlotName", a.m_WindowXPlotName, b.m_WindowXPlotName);
    v("AxesFont", a.m_AxesFont, b.m_AxesFont);
    v("LegendFont", a.m_LegendFont, b.m_LegendFont);
    v("ImageIndex", a.m_ImageIndex, b.m_ImageIndex);
}

template <class V>
void VisitFields(V& v, const CKSTCurveWndSettings& a, const CKSTCurveWndSettings& b)
{
    v("MinGroupHeight", a.m_MinGroupHeight, b.m_MinGroupHeight);
    v("BackgroundColor", a.m_BackgroundColor, b.m_BackgroundColor);
    v("PlotBackgroundColor", a.m_PlotBackgroundColor, b.m_PlotBackgroundColor);
    v("XTextColor", a.m_XTextColor, b.m_XTextColor);
    v("YTextColor", a.m_YTextColor, b.m_YTextColor);
    v("LegendTextColor", a.m_LegendTextColor, b.m_LegendTextColor);
    v("GridColor", a.m_GridColor, b.m_GridColor);
    v("AxesFontDesc", a.m_AxesFontDesc, b.m_AxesFontDesc);
    v("LegendFontDesc", a.m_LegendFontDesc, b.m_LegendFontDesc);
    v("BorderWidth", a.m_BorderWidth, b.m_BorderWidth);
    v("MainTickLength", a.m_MainTickLength, b.m_MainTickLength);
    v("SubTickLength", a.m_SubTickLength, b.m_SubTickLength);
    v("AutoTickDistX", a.m_AutoTickDistX, b.m_AutoTickDistX);
    v("AutoTickDistY", a.m_AutoTickDistY, b.m_AutoTickDistY);
    v("GridVisible", a.m_GridVisible, b.m_GridVisible);
    v("LegendGroup", a.m_LegendGroup, b.m_LegendGroup);
    v("BColorGradient", a.m_BColorGradient, b.m_BColorGradient);
    v("BackgroundImage", a.m_BackgroundImage, b.m_BackgroundImage);
    v("ImagePlacement", a.m_ImagePlacement, b.m_ImagePlacement);
    v("CursorCross", a.m_CursorCross, b.m_CursorCross);
    v("CursorTextName", a.m_CursorTextName, b.m_CursorTextName);
    v("LegendStyle", a.m_LegendStyle, b.m_LegendStyle);
    v("LegendAlign", a.m_LegendAlign, b.m_LegendAlign);
    v.Record("WindowStyleSettings", a.m_WindowStyleSettings, b.m_WindowStyleSettings);
    v.Record("XAxisSettings", a.m_XAxisSettings, b.m_XAxisSettings);
    v.Table("Fonts", a.m_Fonts, b.m_Fonts);
    v.Table("Images", a.m_Images, b.m_Images);
    v.Table("Groups", a.m_Groups, b.m_Groups);
    v.Table("Axes", a.m_Axes, b.m_Axes);
    v.Table("Curves", a.m_Curves, b.m_Curves);
    v.Table("Templates", a.m_Templates, b.m_Templates);
}

template <class V>
void VisitFields(V& v, const CKSTTextElementSettings& a, const CKSTTextElementSettings& b)
{
    v("Text", a.m_Text, b.m_Text);
    v("Alignment", a.m_Alignment, b.m_Alignment);
    v("BackColor", a.m_BackColor, b.m_BackColor);
    v("TextColor", a.m_TextColor, b.m_TextColor);
    v("Font", a.m_Font, b.m_Font);
    v("FontIndex", a.m_FontIndex, b.m_FontIndex);
    v("Frame", a.m_Frame, b.m_Frame);
    v("Transparent", a.m_Transparent, b.m_Transparent);
}

template <class V>
void VisitFields(V& v, const CKSTValueElementSettings& a, const CKSTValueElementSettings& b)
{
    v("TitleTextColor", a.m_TitleTextColor, b.m_TitleTextColor);
    v("TitleBackColor", a.m_TitleBackColor, b.m_TitleBackColor);
    v("TitleTransparent", a.m_TitleTransparent, b.m_TitleTransparent);
    v("TitleFont", a.m_TitleFont, b.m_TitleFont);
    v("TitleFontIndex", a.m_TitleFontIndex, b.m_TitleFontIndex);
    v("ValueTextColor", a.m_ValueTextColor, b.m_ValueTextColor);
    v("ValueBackColor", a.m_ValueBackColor, b.m_ValueBackColor);
    v("ValueTransparent", a.m_ValueTransparent, b.m_ValueTransparent);
    v("ValueFont", a.m_ValueFont, b.m_ValueFont);
    v("ValueFontIndex", a.m_ValueFontIndex, b.m_ValueFontIndex);
    v("LampActiveColor1", a.m_LampActiveColor1, b.m_LampActiveColor1);
    v("LampActiveColor2", a.m_LampActiveColor2, b.m_LampActiveColor2);
    v("LampPassiveColor", a.m_LampPassiveColor, b.m_LampPassiveColor);
    v("DisplayType", a.m_DisplayType, b.m_DisplayType);
    v("TitleSide", a.m_TitleSide, b.m_TitleSide);
    v("TitleAlignment", a.m_TitleAlignment, b.m_TitleAlignment);
    v("ValueAlignment", a.m_ValueAlignment, b.m_ValueAlignment);
    v("Operator1", a.m_Operator1, b.m_Operator1);
    v("Operator2", a.m_Operator2, b.m_Operator2);
    v("Threshold1", a.m_Threshold1, b.m_Threshold1);
    v("Threshold2", a.m_Threshold2, b.m_Threshold2);
    v("SplitRatio", a.m_SplitRatio, b.m_SplitRatio);
    v("FrameWidth", a.m_FrameWidth, b.m_FrameWidth);
    v("FrameColor", a.m_FrameColor, b.m_FrameColor);
    v("Frame", a.m_Frame, b.m_Frame);
    v("Precision", a.m_Precision, b.m_Precision);
    v("ShowGroup", a.m_ShowGroup, b.m_ShowGroup);
    v("ShowUnit", a.m_ShowUnit, b.m_ShowUnit);
    v("ChannelIndex", a.m_ChannelIndex, b.m_ChannelIndex);
    v("ChannelName", a.m_ChannelName, b.m_ChannelName);
    v("GroupName", a.m_GroupName, b.m_GroupName);
    v("Title", a.m_Title, b.m_Title);
}

template <class V>
void VisitFields(V& v, const CKSTButtonElementSettings& a, const CKSTButtonElementSettings& b)
{
    v("Style", a.m_Style, b.m_Style);
    v("OnColor", a.m_OnColor, b.m_OnColor);
    v("OffColor", a.m_OffColor, b.m_OffColor);
    v("FrameColor", a.m_FrameColor, b.m_FrameColor);
    v("BackColor", a.m_BackColor, b.m_BackColor);
    v("TextColor", a.m_TextColor, b.m_TextColor);
    v("Transparent", a.m_Transparent, b.m_Transparent);
    v("GroupInTitle", a.m_GroupInTitle, b.m_GroupInTitle);
    v("Text", a.m_Text, b.m_Text);
    v("Font", a.m_Font, b.m_Font);
    v("FontIndex", a.m_FontIndex, b.m_FontIndex);
    v("ChannelIndex", a.m_ChannelIndex, b.m_ChannelIndex);
    v("ChannelName", a.m_ChannelName, b.m_ChannelName);
    v("GroupName", a.m_GroupName, b.m_GroupName);
}

template <class V>
void VisitFields(V& v, const CKSTValueSheetRow& a, const CKSTValueSheetRow& b)
{
    v("GroupName", a.m_GroupName, b.m_GroupName);
    v("ChannelName", a.m_ChannelName, b.m_ChannelName);
    v("Extra", a.m_Extra, b.m_Extra);
    v("Kind", a.m_Kind, b.m_Kind);
}

template <class V>
void VisitFields(V& v, const CKSTValueSheetColumn& a, const CKSTValueSheetColumn& b)
{
    v("Text", a.m_Text, b.m_Text);
    v("Width", a.m_Width, b.m_Width);
}

template <class V>
void VisitFields(V& v, const CKSTValueSheetSettings& a, const CKSTValueSheetSettings& b)
{
    v("ShowGroup", a.m_ShowGroup, b.m_ShowGroup);
    v("ShowUnit", a.m_ShowUnit, b.m_ShowUnit);
    v("FontIndex", a.m_FontIndex, b.m_FontIndex);
    v("Alignment", a.m_Alignment, b.m_Alignment);
    v("TextColor", a.m_TextColor, b.m_TextColor);
    v("CellFont", a.m_CellFont, b.m_CellFont);
    v("BackColor", a.m_BackColor, b.m_BackColor);
    v("GridColor", a.m_GridColor, b.m_GridColor);
    v("CellSpacing", a.m_CellSpacing, b.m_CellSpacing);
    v("Decimals", a.m_Decimals, b.m_Decimals);
    v.Table("Rows", a.m_Rows, b.m_Rows);
    v.Table("Columns", a.m_Columns, b.m_Columns);
}

template <class V>
void VisitFields(V& v, const CKSTPictureElementSettings& a, const CKSTPictureElementSettings& b)
{
    v("PictureIndex", a.m_PictureIndex, b.m_PictureIndex);
    v("Picture", a.m_Picture, b.m_Picture);
}

template <class V>
void VisitFields(V& v, const CKSTVideoElementSettings& a, const CKSTVideoElementSettings& b)
{
    v("Number", a.m_Number, b.m_Number);
    v("Host", a.m_Host, b.m_Host);
    v("CameraIndex", a.m_CameraIndex, b.m_CameraIndex);
    v("User", a.m_User, b.m_User);
    v("Password", a.m_Password, b.m_Password);
    v("Description", a.m_Description, b.m_Description);
    v("RecordText1", a.m_RecordText1, b.m_RecordText1);
    v("RecordText2", a.m_RecordText2, b.m_RecordText2);
    v("Fps", a.m_Fps, b.m_Fps);
    v("Width", a.m_Width, b.m_Width);
    v("Height", a.m_Height, b.m_Height);
    v("InputFormat", a.m_InputFormat, b.m_InputFormat);
    v("OutputFormat", a.m_OutputFormat, b.m_OutputFormat);
    v("DisplayOpen", a.m_DisplayOpen, b.m_DisplayOpen);
    v("Leader", a.m_Leader, b.m_Leader);
    v("NoRecord", a.m_NoRecord, b.m_NoRecord);
    v("ExtraFlag", a.m_ExtraFlag, b.m_ExtraFlag);
    v("Visible", a.m_Visible, b.m_Visible);
    v("ShowFrames", a.m_ShowFrames, b.m_ShowFrames);
    v("WindowStyle", a.m_WindowStyle, b.m_WindowStyle);
    v("Language", a.m_Language, b.m_Language);
}

template <class V>
void VisitFields(V& v, const CKSTElementSnapshot& a, const CKSTElementSnapshot& b)
{
    v("Id", a.m_Id, b.m_Id);
    v("Selected", a.m_Selected, b.m_Selected);
    v("Kind", a.m_Kind, b.m_Kind);
    v("Left", a.m_Left, b.m_Left);
    v("Top", a.m_Top, b.m_Top);
    v("Right", a.m_Right, b.m_Right);
    v("Bottom", a.m_Bottom, b.m_Bottom);
    v.Optional("TextSettings", a.m_TextSettings, b.m_TextSettings);
    v.Optional("ValueSettings", a.m_ValueSettings, b.m_ValueSettings);
    v.Optional("ButtonSettings", a.m_ButtonSettings, b.m_ButtonSettings);
    v.Optional("ValueSheetSettings", a.m_ValueSheetSettings, b.m_ValueSheetSettings);
    v.Optional("CurveSettings", a.m_CurveSettings, b.m_CurveSettings);
    v.Optional("PictureSettings", a.m_PictureSettings, b.m_PictureSettings);
    v.Optional("VideoSettings", a.m_VideoSettings, b.m_VideoSettings);
}

template <class V>
void VisitFields(V& v, const CKSTProcessLayout& a, const CKSTProcessLayout& b)
{
    v("BackgroundColor", a.m_BackgroundColor, b.m_BackgroundColor);
    v("Gradient", a.m_Gradient, b.m_Gradient);
    v("GridStepX", a.m_GridStepX, b.m_GridStepX);
    v("GridStepY", a.m_GridStepY, b.m_GridStepY);
    v("WindowFlag", a.m_WindowFlag, b.m_WindowFlag);
    v("PicturePosition", a.m_PicturePosition, b.m_PicturePosition);
    v("PictureIndex", a.m_PictureIndex, b.m_PictureIndex);
    v.Table("Entries", a.m_Entries, b.m_Entries);
    v.Table("Fonts", a.m_Fonts, b.m_Fonts);
    v.Table("Pictures", a.m_Pictures, b.m_Pictures);
}

// Plain fields: pictures compare by size and pixels, everything else by its operator==.
inline bool KstFieldEqual(const CKSTRasterImage& a, const CKSTRasterImage& b)
{
    return a.IsEqual(b);
}
template <class T>
bool KstFieldEqual(const T& a, const T& b)
{
    return a == b;
}

// A table's element, a list's element or an optional record, by reference whatever holds it.
template <class T>
const T& KstElement(const std::unique_ptr<T>& element)
{
    return *element;
}
template <class T>
const T& KstElement(const T& element)
{
    return element;
}

// Table and list elements that are records are visited field by field; fonts and pictures
// compare as plain fields.
template <class V, class T>
auto KstVisitElement(V& v, const char* name, const T& a, const T& b, int)
    -> decltype(VisitFields(v, a, b), void())
{
    v.Record(name, a, b);
}
template <class V, class T>
void KstVisitElement(V& v, const char* name, const T& a, const T& b, long)
{
    v(name, a, b);
}

// Every field of two records of one type equal; tables of the same length with equal elements,
// optional records both missing or both present and equal.
class KstFieldComparer {
public:
    template <class T>
    void operator()(const char*, const T& a, const T& b)
    {
        m_equal = m_equal && KstFieldEqual(a, b);
    }
    template <class R>
    void Record(const char*, const R& a, const R& b)
    {
        VisitFields(*this, a, b);
    }
    template <class List>
    void Table(const char* name, const List& a, const List& b)
    {
        if (a.size() != b.size()) {
            m_equal = false;
            return;
        }
        for (size_t i = 0; i < a.size() && m_equal; ++i) {
            KstVisitElement(*this, name, KstElement(a[i]), KstElement(b[i]), 0);
        }
    }
    template <class Slot>
    void Optional(const char* name, const Slot& a, const Slot& b)
    {
        if (!a || !b) {
            m_equal = m_equal && !a && !b;
            return;
        }
        Record(name, *a, *b);
    }

    bool IsEqual() const { return m_equal; }

private:
    bool m_equal = true;
};

template <class R>
bool KstSameFields(const R& a, const R& b)
{
    KstFieldComparer comparer;
    VisitFields(comparer, a, b);
    return comparer.IsEqual();
}
