#include "data/settings/ProcessLayout.h"

#include <algorithm>
#include <utility>

namespace {

// Both null, or both present and equal.
template <class T>
bool RecordsEqual(const KstOwnedRecord<T>& a, const KstOwnedRecord<T>& b)
{
    if (!a || !b) {
        return !a && !b;
    }
    return *a == *b;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Per-kind records

CKSTTextElementSettings::CKSTTextElementSettings() : m_BackColor(KstSystemButtonFaceColor()) {}

bool CKSTTextElementSettings::operator==(const CKSTTextElementSettings& other) const
{
    return m_Text == other.m_Text && m_Alignment == other.m_Alignment &&
           m_BackColor == other.m_BackColor && m_TextColor == other.m_TextColor &&
           m_Font == other.m_Font && m_FontIndex == other.m_FontIndex && m_Frame == other.m_Frame &&
           m_Transparent == other.m_Transparent;
}

bool CKSTValueElementSettings::operator==(const CKSTValueElementSettings& other) const
{
    return m_TitleTextColor == other.m_TitleTextColor &&
           m_TitleBackColor == other.m_TitleBackColor &&
           m_TitleTransparent == other.m_TitleTransparent && m_TitleFont == other.m_TitleFont &&
           m_TitleFontIndex == other.m_TitleFontIndex &&
           m_ValueTextColor == other.m_ValueTextColor &&
           m_ValueBackColor == other.m_ValueBackColor &&
           m_ValueTransparent == other.m_ValueTransparent && m_ValueFont == other.m_ValueFont &&
           m_ValueFontIndex == other.m_ValueFontIndex &&
           m_LampActiveColor1 == other.m_LampActiveColor1 &&
           m_LampActiveColor2 == other.m_LampActiveColor2 &&
           m_LampPassiveColor == other.m_LampPassiveColor && m_DisplayType == other.m_DisplayType &&
           m_TitleSide == other.m_TitleSide && m_TitleAlignment == other.m_TitleAlignment &&
           m_ValueAlignment == other.m_ValueAlignment && m_Operator1 == other.m_Operator1 &&
           m_Operator2 == other.m_Operator2 && m_Threshold1 == other.m_Threshold1 &&
           m_Threshold2 == other.m_Threshold2 && m_SplitRatio == other.m_SplitRatio &&
           m_FrameWidth == other.m_FrameWidth && m_FrameColor == other.m_FrameColor &&
           m_Frame == other.m_Frame && m_Precision == other.m_Precision &&
           m_ShowGroup == other.m_ShowGroup && m_ShowUnit == other.m_ShowUnit &&
           m_ChannelIndex == other.m_ChannelIndex && m_ChannelName == other.m_ChannelName &&
           m_GroupName == other.m_GroupName && m_Title == other.m_Title;
}

bool CKSTButtonElementSettings::operator==(const CKSTButtonElementSettings& other) const
{
    return m_Style == other.m_Style && m_OnColor == other.m_OnColor &&
           m_OffColor == other.m_OffColor && m_FrameColor == other.m_FrameColor &&
           m_BackColor == other.m_BackColor && m_TextColor == other.m_TextColor &&
           m_Transparent == other.m_Transparent && m_GroupInTitle == other.m_GroupInTitle &&
           m_Text == other.m_Text && m_Font == other.m_Font && m_FontIndex == other.m_FontIndex &&
           m_ChannelIndex == other.m_ChannelIndex && m_ChannelName == other.m_ChannelName &&
           m_GroupName == other.m_GroupName;
}

bool CKSTValueSheetRow::operator==(const CKSTValueSheetRow& other) const
{
    return m_GroupName == other.m_GroupName && m_ChannelName == other.m_ChannelName &&
           m_Extra == other.m_Extra && m_Kind == other.m_Kind;
}

bool CKSTValueSheetColumn::operator==(const CKSTValueSheetColumn& other) const
{
    return m_Text == other.m_Text && m_Width == other.m_Width;
}

bool CKSTValueSheetSettings::operator==(const CKSTValueSheetSettings& other) const
{
    return m_ShowGroup == other.m_ShowGroup && m_ShowUnit == other.m_ShowUnit &&
           m_FontIndex == other.m_FontIndex && m_Alignment == other.m_Alignment &&
           m_TextColor == other.m_TextColor && m_CellFont == other.m_CellFont &&
           m_BackColor == other.m_BackColor && m_GridColor == other.m_GridColor &&
           m_CellSpacing == other.m_CellSpacing && m_Decimals == other.m_Decimals;
}

bool CKSTPictureElementSettings::operator==(const CKSTPictureElementSettings& other) const
{
    return m_PictureIndex == other.m_PictureIndex;
}

bool CKSTVideoElementSettings::operator==(const CKSTVideoElementSettings& other) const
{
    return m_Number == other.m_Number && m_Host == other.m_Host &&
           m_CameraIndex == other.m_CameraIndex && m_User == other.m_User &&
           m_Password == other.m_Password && m_Description == other.m_Description &&
           m_RecordText1 == other.m_RecordText1 && m_RecordText2 == other.m_RecordText2 &&
           m_Fps == other.m_Fps && m_Width == other.m_Width && m_Height == other.m_Height &&
           m_InputFormat == other.m_InputFormat && m_OutputFormat == other.m_OutputFormat &&
           m_DisplayOpen == other.m_DisplayOpen && m_Leader == other.m_Leader &&
           m_NoRecord == other.m_NoRecord && m_ExtraFlag == other.m_ExtraFlag &&
           m_Visible == other.m_Visible && m_ShowFrames == other.m_ShowFrames &&
           m_WindowStyle == other.m_WindowStyle && m_Language == other.m_Language;
}

// ---------------------------------------------------------------------------------------------
// CKSTElementSnapshot

void CKSTElementSnapshot::ReleaseRecords()
{
    m_TextSettings.reset();
    m_ValueSettings.reset();
    m_ButtonSettings.reset();
    m_ValueSheetSettings.reset();
    m_CurveSettings.reset();
    m_PictureSettings.reset();
    m_VideoSettings.reset();
}

bool CKSTElementSnapshot::IsEqual(const CKSTElementSnapshot& other) const
{
    if (m_Kind != other.m_Kind) {
        return false;
    }
    if (std::min(m_Left, m_Right) != std::min(other.m_Left, other.m_Right) ||
        std::min(m_Top, m_Bottom) != std::min(other.m_Top, other.m_Bottom) ||
        std::max(m_Left, m_Right) != std::max(other.m_Left, other.m_Right) ||
        std::max(m_Top, m_Bottom) != std::max(other.m_Top, other.m_Bottom)) {
        return false;
    }
    switch (m_Kind) {
        case KST_ELEMENT_TEXT:
            return RecordsEqual(m_TextSettings, other.m_TextSettings);
        case KST_ELEMENT_VALUE:
            return RecordsEqual(m_ValueSettings, other.m_ValueSettings);
        case KST_ELEMENT_BAR:
        case KST_ELEMENT_CURVE:
        case KST_ELEMENT_METER:
            return RecordsEqual(m_CurveSettings, other.m_CurveSettings);
        case KST_ELEMENT_VALUE_SHEET:
            return RecordsEqual(m_ValueSheetSettings, other.m_ValueSheetSettings);
        case KST_ELEMENT_BUTTON:
            return RecordsEqual(m_ButtonSettings, other.m_ButtonSettings);
        case KST_ELEMENT_PICTURE:
            return RecordsEqual(m_PictureSettings, other.m_PictureSettings);
        case KST_ELEMENT_VIDEO:
            return RecordsEqual(m_VideoSettings, other.m_VideoSettings);
        default:
            return true;
    }
}

// ---------------------------------------------------------------------------------------------
// CKSTProcessLayout

void CKSTProcessLayout::Clear()
{
    KstOwnedTable<CKSTElementSnapshot>().swap(m_Entries);
    KstOwnedTable<CKSTFontDesc>().swap(m_Fonts);
    KstOwnedTable<CKSTRasterImage>().swap(m_Pictures);
}

void CKSTProcessLayout::ClearEntries()
{
    m_Entries.clear();
    m_Fonts.clear();
    m_Pictures.clear();
}

int16_t CKSTProcessLayout::AddFont(const CKSTFontDesc& font)
{
    for (size_t i = 0; i < m_Fonts.size(); ++i) {
        if (*m_Fonts[i] == font) {
            return static_cast<int16_t>(i);
        }
    }
    m_Fonts.push_back(std::make_unique<CKSTFontDesc>(font));
    return static_cast<int16_t>(m_Fonts.size() - 1);
}

int16_t CKSTProcessLayout::AddPicture(const CKSTRasterImage& picture)
{
    for (size_t i = 0; i < m_Pictures.size(); ++i) {
        if (m_Pictures[i]->IsEqual(picture)) {
            return static_cast<int16_t>(i);
        }
    }
    m_Pictures.push_back(std::make_unique<CKSTRasterImage>(picture));
    return static_cast<int16_t>(m_Pictures.size() - 1);
}

bool CKSTProcessLayout::IsEqual(const CKSTProcessLayout& other) const
{
    if (m_Entries.size() != other.m_Entries.size()) {
        return false;
    }
    for (size_t i = 0; i < m_Entries.size(); ++i) {
        if (!m_Entries[i]->IsEqual(*other.m_Entries[i])) {
            return false;
        }
    }
    return true;
}

CKSTElementSnapshot& CKSTProcessLayout::AddEntry(int32_t kind)
{
    auto entry = std::make_unique<CKSTElementSnapshot>();
    entry->m_Kind = kind;
    switch (kind) {
        case KST_ELEMENT_TEXT:
            entry->m_TextSettings = std::make_unique<CKSTTextElementSettings>();
            break;
        case KST_ELEMENT_VALUE:
            entry->m_ValueSettings = std::make_unique<CKSTValueElementSettings>();
            break;
        case KST_ELEMENT_BAR:
        case KST_ELEMENT_CURVE:
        case KST_ELEMENT_METER:
            entry->m_CurveSettings = std::make_unique<CKSTCurveWndSettings>();
            break;
        case KST_ELEMENT_VALUE_SHEET:
            entry->m_ValueSheetSettings = std::make_unique<CKSTValueSheetSettings>();
            break;
        case KST_ELEMENT_BUTTON:
            entry->m_ButtonSettings = std::make_unique<CKSTButtonElementSettings>();
            break;
        case KST_ELEMENT_PICTURE:
            entry->m_PictureSettings = std::make_unique<CKSTPictureElementSettings>();
            break;
        case KST_ELEMENT_VIDEO:
            entry->m_VideoSettings = std::make_unique<CKSTVideoElementSettings>();
            break;
        default:
            break;
    }
    m_Entries.push_back(std::move(entry));
    return *m_Entries.back();
}
