#pragma once
// The persistent description of one curve window: colours, fonts, tick and legend settings, the
// display kind, the X axis and the structure of groups, Y axes and curves with their level
// lines, events and event-text templates. It holds no pointer to a live object: curves name
// their channels by name and group text, axes their groups by number, curves their axes and
// markers their fonts by index. A plain value: copies are deep.
//
// Indices stored in a record are not checked here; whoever applies a record treats -1 (and any
// index outside its table) as none.

#include <cstdint>

#include "data/settings/AxisSettings.h"
#include "data/settings/CurveSettings.h"
#include "data/settings/MarkerSettings.h"
#include "data/settings/OwnedTable.h"
#include "data/settings/SettingsColors.h"
#include "data/settings/WindowStyleSettings.h"
#include "foundation/FontDesc.h"
#include "foundation/RasterImage.h"
#include "foundation/String.h"

// What a record keeps for the window that holds it rather than as its content: copies of a
// record leave it alone (a copy-constructed record has the default, an assigned one keeps its
// own).
struct CKSTCurveWndHostFields {
    CKSTCurveWndHostFields() = default;
    CKSTCurveWndHostFields(const CKSTCurveWndHostFields&) {}
    CKSTCurveWndHostFields& operator=(const CKSTCurveWndHostFields&) { return *this; }

    uint16_t m_MinGroupHeight = 30;  // pixels
};

class CKSTCurveWndSettings : public CKSTCurveWndHostFields {
public:
    CKSTCurveWndSettings();
    // Copies take every field except MinGroupHeight; the tables are deep copies.
    CKSTCurveWndSettings(const CKSTCurveWndSettings&) = default;
    CKSTCurveWndSettings(CKSTCurveWndSettings&&) = default;
    CKSTCurveWndSettings& operator=(const CKSTCurveWndSettings& other)
    {
        return KstAssignCopy(*this, other);
    }
    CKSTCurveWndSettings& operator=(CKSTCurveWndSettings&&) = default;
    ~CKSTCurveWndSettings();

    // The look of the window: colours, live fonts and picture, ticks, legend and cursor
    // settings. LegendGroup, MinGroupHeight, the two sub-records and the tables take no part.
    bool IsEqual(const CKSTCurveWndSettings& other) const;
    bool operator==(const CKSTCurveWndSettings& other) const { return IsEqual(other); }
    bool operator!=(const CKSTCurveWndSettings& other) const { return !IsEqual(other); }

    // Index of the first equal table entry, or of a copy appended for it.
    int16_t InternFont(const CKSTFontDesc& font);
    // -1 for a picture without pixels, which is not stored.
    int16_t InternImage(const CKSTRasterImage& image);
    int16_t InternTemplate(const CKSTMarkerSettings& marker);

    // Appending a copy of the given record (defaults for null); each returns the new index.
    int AddGroupSettings(const CKSTGroupSettings* group);
    int AddAxisSettings(const CKSTAxisSettings* axis, int32_t groupNumber);
    int AddCurveSettings(const CKSTCurveSettings* curve, int16_t axisIndex);
    // A default axis record of that group and unit.
    int CreateAxis(int32_t groupNumber, const CKSTString& unit);
    // A new axis in a new group.
    int CreateAxisForUnit(const CKSTString& unit);
    // A curve record for a channel, on the first axis of the channel's unit or on a new axis in
    // a new group; returns the curve record's index.
    int AddCurveForChannel(const CKSTString& name, const CKSTString& group, const CKSTString& unit);
    // Every curve record takes over the events of the first curve record of `other` with the
    // same channel name, their fonts interned into this record's font table.
    void MergeCurveItems(const CKSTCurveWndSettings& other);

    // One more than the largest group number of the axis records; 0 without any.
    int32_t GetNextGroupNumber() const;
    int FindAxisOfGroup(int32_t groupNumber) const;
    int FindCurveOfAxis(int axisIndex) const;
    void ReplaceAxisGroup(int32_t oldGroup, int32_t newGroup);
    // Axis indices are compared as 16-bit values, as curve records store them.
    void ReplaceCurveAxis(int oldAxis, int newAxis);

    // Axis records by group number, then curve records by the group of their axis; both
    // stable, and every curve keeps pointing at the axis record it pointed at.
    void SortAxes();
    // Group numbers without gaps (numbers from 32000 up are left alone), then RemoveUnusedFonts.
    void CompactGroups();
    // Drops the fonts that neither the window nor any event or template refers to.
    void RemoveUnusedFonts();

    void RemoveAllAxes();
    void RemoveAll();

    uint32_t m_BackgroundColor;  // around the plot area; the menu colour at construction
    uint32_t m_PlotBackgroundColor = 0xFFFFFF;
    uint32_t m_XTextColor = 0x000000;
    uint32_t m_YTextColor = 0xC00000;
    uint32_t m_LegendTextColor = 0x000000;
    uint32_t m_GridColor = 0xC0C0C0;
    CKSTFontDesc m_AxesFontDesc;    // live axes font
    CKSTFontDesc m_LegendFontDesc;  // live legend font
    uint16_t m_BorderWidth = 5;
    uint16_t m_MainTickLength = 4;
    uint16_t m_SubTickLength = 2;
    uint16_t m_AutoTickDistX = 90;
    uint16_t m_AutoTickDistY = 25;
    uint8_t m_GridVisible = 1;
    uint8_t m_LegendGroup = 0;
    uint8_t m_BColorGradient = 1;
    CKSTRasterImage m_BackgroundImage;  // live picture drawn into each group
    uint32_t m_ImagePlacement = 12;     // codes 5 to 13
    uint8_t m_CursorCross = 0;
    // Curve texts show the channel's group before its name.
    uint8_t m_CursorTextName = 1;
    uint32_t m_LegendStyle = 1;
    uint32_t m_LegendAlign = 4;
    CKSTWindowStyleSettings m_WindowStyleSettings;
    CKSTXAxisSettings m_XAxisSettings;

    KstOwnedTable<CKSTFontDesc> m_Fonts;
    KstOwnedTable<CKSTRasterImage> m_Images;
    KstOwnedTable<CKSTGroupSettings> m_Groups;  // one per group, in group order
    KstOwnedTable<CKSTAxisSettings> m_Axes;     // one per Y axis
    KstOwnedTable<CKSTCurveSettings> m_Curves;
    KstOwnedTable<CKSTMarkerSettings> m_Templates;  // event-text templates

private:
    // Group number of the curve's axis record; false when its YIndex names none.
    bool GetCurveGroup(const CKSTCurveSettings& curve, int32_t& group) const;
    bool IsFontUsed(int index) const;
    void ReplaceFontReferences(int oldIndex, int newIndex);
};
