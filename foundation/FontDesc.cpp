#include "foundation/FontDesc.h"

CKSTFontDesc::CKSTFontDesc() : m_font(nullptr), m_fontPending(false)
{
    SetDefault();
}

CKSTFontDesc::CKSTFontDesc(const CKSTFontDesc& other) : CKSTFontDesc()
{
    *this = other;
}

CKSTFontDesc& CKSTFontDesc::operator=(const CKSTFontDesc& other)
{
    if (this != &other) {
        m_height = other.m_height;
        m_width = other.m_width;
        m_escapement = other.m_escapement;
        m_orientation = other.m_orientation;
        m_weight = other.m_weight;
        m_italic = other.m_italic;
        m_underline = other.m_underline;
        m_strikeOut = other.m_strikeOut;
        m_charSet = other.m_charSet;
        m_outPrecision = other.m_outPrecision;
        m_clipPrecision = other.m_clipPrecision;
        m_quality = other.m_quality;
        m_pitchAndFamily = other.m_pitchAndFamily;
        m_faceName = other.m_faceName;
        m_pointSize = other.m_pointSize;
    }
    // Even a self-assignment re-creates the own font, from the logical-font fields.
    ReleaseOwnFont();
    m_fontPending = true;
    return *this;
}

CKSTFontDesc::~CKSTFontDesc()
{
    ReleaseOwnFont();
}

void CKSTFontDesc::SetDefault()
{
    m_height = -11;
    m_width = 0;
    m_escapement = 0;
    m_orientation = 0;
    m_weight = 400;
    m_italic = 0;
    m_underline = 0;
    m_strikeOut = 0;
    m_charSet = 0;            // ANSI
    m_outPrecision = 3;       // stroke precision
    m_clipPrecision = 2;      // stroke precision
    m_quality = 1;            // draft
    m_pitchAndFamily = 0x22;  // variable pitch, swiss family
    m_faceName = "Arial";
    m_pointSize = -1;
}

bool CKSTFontDesc::CreateFont(KstFontHandle& target) const
{
    DeletePlatformFont(target);
    target = CreatePlatformFont(*this, true);
    return target != nullptr;
}

KstFontHandle CKSTFontDesc::CreateOwnFont()
{
    m_fontPending = false;
    CreateFont(m_font);
    return m_font;
}

KstFontHandle CKSTFontDesc::GetFont() const
{
    if (m_fontPending) {
        m_fontPending = false;
        DeletePlatformFont(m_font);
        m_font = CreatePlatformFont(*this, false);
    }
    return m_font;
}

bool CKSTFontDesc::operator==(const CKSTFontDesc& other) const
{
    return m_height == other.m_height && m_width == other.m_width &&
           m_escapement == other.m_escapement && m_orientation == other.m_orientation &&
           m_weight == other.m_weight && m_italic == other.m_italic &&
           m_underline == other.m_underline && m_strikeOut == other.m_strikeOut &&
           m_charSet == other.m_charSet && m_outPrecision == other.m_outPrecision &&
           m_clipPrecision == other.m_clipPrecision && m_quality == other.m_quality &&
           m_pitchAndFamily == other.m_pitchAndFamily && m_faceName == other.m_faceName &&
           m_pointSize == other.m_pointSize;
}

void CKSTFontDesc::ReleaseOwnFont()
{
    DeletePlatformFont(m_font);
    m_font = nullptr;
    m_fontPending = false;
}
