#include "data/settings/MarkerSettings.h"

bool CKSTMarkerSettings::IsEqual(const CKSTMarkerSettings& other) const
{
    return m_Text == other.m_Text && m_Type == other.m_Type && m_Value == other.m_Value &&
           m_AtPoint == other.m_AtPoint && m_Color == other.m_Color && m_Frame == other.m_Frame &&
           m_Pointer == other.m_Pointer && m_BackgroundColor == other.m_BackgroundColor &&
           m_Rotation == other.m_Rotation && m_Font == other.m_Font;
}
