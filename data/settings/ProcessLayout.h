#pragma once
// The complete content of a process window as plain data: the window's display settings and one
// snapshot per element with its kind, rectangle and the settings record of its kind. Fonts and
// pictures are pooled in the layout and referred to by index, so that a stored layout holds each
// distinct font and picture once. The process window fills and applies layouts; the native
// container stores them; undo steps keep bare snapshots.

#include <cstdint>
#include <memory>
#include <vector>

#include "data/settings/CurveWndSettings.h"
#include "data/settings/OwnedTable.h"
#include "data/settings/SettingsColors.h"
#include "foundation/FontDesc.h"
#include "foundation/RasterImage.h"
#include "foundation/String.h"

// Element kinds; the numbers are stored in files and undo steps and must not change.
enum KstElementKind : int32_t {
    KST_ELEMENT_TEXT = 1,
    KST_ELEMENT_VALUE = 2,  // numeric value or lamp
    KST_ELEMENT_BAR = 3,
    KST_ELEMENT_CURVE = 4,
    KST_ELEMENT_RESERVED = 5,  // never created, stores nothing
    KST_ELEMENT_VALUE_SHEET = 6,
    KST_ELEMENT_BUTTON = 7,
    KST_ELEMENT_METER = 8,
    KST_ELEMENT_PICTURE = 9,
    KST_ELEMENT_VIDEO = 10,
};

// Bar, curve and meter elements are curve windows and keep a curve-window settings record.
inline bool KstIsCurveElementKind(int32_t kind)
{
    return kind == KST_ELEMENT_BAR || kind == KST_ELEMENT_CURVE || kind == KST_ELEMENT_METER;
}

// Font indices of the records below refer to the layout's font table; -1 until the layout pools
// the font. The records carry the font itself as well, so an element can be rebuilt from a
// record whose index lies outside the table.

struct CKSTTextElementSettings {
    CKSTTextElementSettings();

    bool operator==(const CKSTTextElementSettings& other) const;
    bool operator!=(const CKSTTextElementSettings& other) const { return !(*this == other); }

    CKSTString m_Text;
    int32_t m_Alignment = 0;  // 0 left, 1 right, 4 centre
    uint32_t m_BackColor;
    uint32_t m_TextColor = 0x000000;
    CKSTFontDesc m_Font;
    int16_t m_FontIndex = -1;
    uint8_t m_Frame = 0;
    uint8_t m_Transparent = 0;
};

// Numeric value or lamp: a title field and a value field ("display parts").
struct CKSTValueElementSettings {
    bool operator==(const CKSTValueElementSettings& other) const;
    bool operator!=(const CKSTValueElementSettings& other) const { return !(*this == other); }

    uint32_t m_TitleTextColor = 0xFF0000;
    uint32_t m_TitleBackColor = 0xFFFFFF;
    uint32_t m_TitleTransparent = 0;
    CKSTFontDesc m_TitleFont;
    int16_t m_TitleFontIndex = -1;
    uint32_t m_ValueTextColor = 0xFFFFFF;
    uint32_t m_ValueBackColor = 0x0000FF;
    uint32_t m_ValueTransparent = 0;
    CKSTFontDesc m_ValueFont;
    int16_t m_ValueFontIndex = -1;
    uint32_t m_LampActiveColor1 = 0x0000FF;
    uint32_t m_LampActiveColor2 = 0x00FFFF;
    uint32_t m_LampPassiveColor = 0x00FF00;
    uint32_t m_DisplayType = 0;      // 0 numeric value, 1 lamp
    uint32_t m_TitleSide = 0;        // 0 left, 1 top, 2 bottom, 3 right
    uint32_t m_TitleAlignment = 6;   // 6 left, 12 centred, 9 right
    uint32_t m_ValueAlignment = 12;  // as the title's
    uint32_t m_Operator1 = 0;
    uint32_t m_Operator2 = 0;
    double m_Threshold1 = 0.0;
    double m_Threshold2 = 0.0;
    double m_SplitRatio = 0.5;
    int32_t m_FrameWidth = 1;
    uint32_t m_FrameColor = 0x808080;
    uint32_t m_Frame = 0;
    int32_t m_Precision = 3;
    uint8_t m_ShowGroup = 1;
    uint8_t m_ShowUnit = 1;
    int32_t m_ChannelIndex = -1;  // -1: no channel bound, names empty
    CKSTString m_ChannelName;
    CKSTString m_GroupName;
    CKSTString m_Title;
};

struct CKSTButtonElementSettings {
    bool operator==(const CKSTButtonElementSettings& other) const;
    bool operator!=(const CKSTButtonElementSettings& other) const { return !(*this == other); }

    uint32_t m_Style = 1;  // 0 ellipse, 1 cylinder, 2 rectangle
    uint32_t m_OnColor = 0x0000FF;
    uint32_t m_OffColor = 0x00FF00;
    uint32_t m_FrameColor = 0x00FFFF;
    uint32_t m_BackColor = 0x808080;
    uint32_t m_TextColor = 0x000000;
    uint8_t m_Transparent = 0;
    uint8_t m_GroupInTitle = 0;
    CKSTString m_Text;
    CKSTFontDesc m_Font;
    int16_t m_FontIndex = -1;
    int32_t m_ChannelIndex = -1;
    // The button's text when no channel is bound.
    CKSTString m_ChannelName;
    CKSTString m_GroupName;  // empty when no channel is bound
};

struct CKSTValueSheetRow {
    bool operator==(const CKSTValueSheetRow& other) const;

    CKSTString m_GroupName;
    CKSTString m_ChannelName;
    CKSTString m_Extra;  // left empty by the value sheet
    uint32_t m_Kind = 3;
};

struct CKSTValueSheetColumn {
    bool operator==(const CKSTValueSheetColumn& other) const;

    CKSTString m_Text;  // left empty by the value sheet
    uint32_t m_Width = 0;
};

struct CKSTValueSheetSettings {
    // Flags, words, font and font index; the row and column lists take no part.
    bool operator==(const CKSTValueSheetSettings& other) const;
    bool operator!=(const CKSTValueSheetSettings& other) const { return !(*this == other); }

    uint8_t m_ShowGroup = 1;
    uint8_t m_ShowUnit = 1;
    int16_t m_FontIndex = -1;
    uint32_t m_Alignment = 12;  // the sheet's 16-bit code: 6 left, 12 centred, 9 right
    uint32_t m_TextColor = 0x000000;
    CKSTFontDesc m_CellFont;
    uint32_t m_BackColor = 0xFFFFFF;
    uint32_t m_GridColor = 0x808080;
    uint32_t m_CellSpacing = 1;  // frame width, 0 to 100
    uint32_t m_Decimals = 3;     // 0 to 20
    std::vector<CKSTValueSheetRow> m_Rows;
    std::vector<CKSTValueSheetColumn> m_Columns;
};

struct CKSTPictureElementSettings {
    // The index alone.
    bool operator==(const CKSTPictureElementSettings& other) const;
    bool operator!=(const CKSTPictureElementSettings& other) const { return !(*this == other); }

    int16_t m_PictureIndex = -1;  // into the layout's picture table
    CKSTRasterImage m_Picture;    // used when the index lies outside the table
};

struct CKSTVideoElementSettings {
    bool operator==(const CKSTVideoElementSettings& other) const;
    bool operator!=(const CKSTVideoElementSettings& other) const { return !(*this == other); }

    uint32_t m_Number = 0;
    CKSTString m_Host;
    uint32_t m_CameraIndex = 0;
    CKSTString m_User = "root";
    CKSTString m_Password;
    CKSTString m_Description;
    CKSTString m_RecordText1;
    CKSTString m_RecordText2;
    uint32_t m_Fps = 0;
    uint32_t m_Width = 0;
    uint32_t m_Height = 0;
    uint16_t m_InputFormat = 0;
    uint16_t m_OutputFormat = 0;
    uint8_t m_DisplayOpen = 0;
    uint8_t m_Leader = 0;
    uint8_t m_NoRecord = 0;
    uint8_t m_ExtraFlag = 0;
    uint8_t m_Visible = 0;
    uint8_t m_ShowFrames = 0;
    uint32_t m_WindowStyle = 0;
    uint32_t m_Language = 0;
};

// The live element a snapshot was taken of: copies of a snapshot leave it alone (a copy starts
// without it, an assigned snapshot keeps its own).
struct CKSTElementIdentity {
    CKSTElementIdentity() = default;
    CKSTElementIdentity(const CKSTElementIdentity&) {}
    CKSTElementIdentity& operator=(const CKSTElementIdentity&) { return *this; }

    uint32_t m_Id = 0;
    uint8_t m_Selected = 0;
};

// One element of a layout. It owns at most the one record that its kind uses. Copies take the
// kind, the rectangle and deep copies of the records.
class CKSTElementSnapshot : public CKSTElementIdentity {
public:
    CKSTElementSnapshot() = default;
    CKSTElementSnapshot(const CKSTElementSnapshot&) = default;
    CKSTElementSnapshot(CKSTElementSnapshot&&) = default;
    CKSTElementSnapshot& operator=(const CKSTElementSnapshot& other)
    {
        return KstAssignCopy(*this, other);
    }
    CKSTElementSnapshot& operator=(CKSTElementSnapshot&&) = default;

    void ReleaseRecords();
    void Assign(const CKSTElementSnapshot& source) { *this = source; }
    // Kinds, rectangles with ordered corners, then the record of the kind; kind 5 and kinds
    // outside 1 to 10 compare by kind and rectangle alone.
    bool IsEqual(const CKSTElementSnapshot& other) const;

    int32_t m_Kind = 0;
    int32_t m_Left = 0;  // client coordinates, corners in either order
    int32_t m_Top = 0;
    int32_t m_Right = 0;
    int32_t m_Bottom = 0;
    KstOwnedRecord<CKSTTextElementSettings> m_TextSettings;        // kind 1
    KstOwnedRecord<CKSTValueElementSettings> m_ValueSettings;      // kind 2
    KstOwnedRecord<CKSTButtonElementSettings> m_ButtonSettings;    // kind 7
    KstOwnedRecord<CKSTValueSheetSettings> m_ValueSheetSettings;   // kind 6
    KstOwnedRecord<CKSTCurveWndSettings> m_CurveSettings;          // kinds 3, 4, 8
    KstOwnedRecord<CKSTPictureElementSettings> m_PictureSettings;  // kind 9
    KstOwnedRecord<CKSTVideoElementSettings> m_VideoSettings;      // kind 10
};

class CKSTProcessLayout {
public:
    CKSTProcessLayout() = default;
    CKSTProcessLayout(const CKSTProcessLayout&) = default;
    CKSTProcessLayout(CKSTProcessLayout&&) = default;
    CKSTProcessLayout& operator=(const CKSTProcessLayout& other)
    {
        return KstAssignCopy(*this, other);
    }
    CKSTProcessLayout& operator=(CKSTProcessLayout&&) = default;

    // Deletes every entry, font and picture and releases the lists' storage.
    void Clear();
    // Deletes every entry, font and picture, keeping the lists' storage for a refill.
    void ClearEntries();
    // The header fields and deep copies of the source's fonts, entries and pictures.
    CKSTProcessLayout& Copy(const CKSTProcessLayout& source) { return *this = source; }

    // Index of the first equal table entry, or of a copy appended for it.
    int16_t AddFont(const CKSTFontDesc& font);
    int16_t AddPicture(const CKSTRasterImage& picture);

    // Entry lists of the same length with pairwise equal entries; the header and the tables
    // take no part.
    bool IsEqual(const CKSTProcessLayout& other) const;
    bool operator==(const CKSTProcessLayout& other) const { return IsEqual(other); }
    bool operator!=(const CKSTProcessLayout& other) const { return !IsEqual(other); }

    // A new entry of the kind, appended, with a default record of the kind; returns it.
    CKSTElementSnapshot& AddEntry(int32_t kind);

    uint32_t m_BackgroundColor = 0xFFFFFF;
    uint8_t m_Gradient = 1;
    int16_t m_GridStepX = 3;
    int16_t m_GridStepY = 3;
    uint8_t m_WindowFlag = 0;
    uint16_t m_PicturePosition = 12;  // codes 5 to 13
    int16_t m_PictureIndex = -1;      // into the picture table; -1 = no background picture
    KstOwnedTable<CKSTElementSnapshot> m_Entries;
    KstOwnedTable<CKSTFontDesc> m_Fonts;
    KstOwnedTable<CKSTRasterImage> m_Pictures;
};
