#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "foundation/FontDesc.h"

CKSTFontDesc::CKSTFontDesc(const LOGFONTA& logFont) : m_font(nullptr), m_fontPending(false)
{
    m_height = logFont.lfHeight;
    m_width = logFont.lfWidth;
    m_escapement = logFont.lfEscapement;
    m_orientation = logFont.lfOrientation;
    m_weight = logFont.lfWeight;
    m_italic = logFont.lfItalic;
    m_underline = logFont.lfUnderline;
    m_strikeOut = logFont.lfStrikeOut;
    m_charSet = logFont.lfCharSet;
    m_outPrecision = logFont.lfOutPrecision;
    m_clipPrecision = logFont.lfClipPrecision;
    m_quality = logFont.lfQuality;
    m_pitchAndFamily = logFont.lfPitchAndFamily;
    // A face name filling the whole array has no terminator; never read past it.
    m_faceName.Assign(logFont.lfFaceName,
                      static_cast<int>(strnlen(logFont.lfFaceName, LF_FACESIZE)));
    m_pointSize = -1;
}

void CKSTFontDesc::GetLogFont(LOGFONTA& logFont) const
{
    std::memset(&logFont, 0, sizeof logFont);
    logFont.lfHeight = m_height;
    logFont.lfWidth = m_width;
    logFont.lfEscapement = m_escapement;
    logFont.lfOrientation = m_orientation;
    logFont.lfWeight = m_weight;
    logFont.lfItalic = m_italic;
    logFont.lfUnderline = m_underline;
    logFont.lfStrikeOut = m_strikeOut;
    logFont.lfCharSet = m_charSet;
    logFont.lfOutPrecision = m_outPrecision;
    logFont.lfClipPrecision = m_clipPrecision;
    logFont.lfQuality = m_quality;
    logFont.lfPitchAndFamily = m_pitchAndFamily;
    int n = m_faceName.GetLength();
    if (n > LF_FACESIZE - 1) {
        n = LF_FACESIZE - 1;
    }
    if (n > 0) {
        std::memcpy(logFont.lfFaceName, m_faceName.c_str(), n);
    }
    logFont.lfFaceName[n] = '\0';
}

KstFontHandle CKSTFontDesc::CreatePlatformFont(const CKSTFontDesc& desc, bool usePointSize)
{
    LOGFONTA logFont;
    desc.GetLogFont(logFont);
    if (usePointSize && desc.m_pointSize != -1) {
        // A point font has only its size and face; the height is the screen's pixel count for
        // that many tenths of a point.
        char face[LF_FACESIZE];
        std::memcpy(face, logFont.lfFaceName, sizeof face);
        std::memset(&logFont, 0, sizeof logFont);
        std::memcpy(logFont.lfFaceName, face, sizeof face);
        logFont.lfCharSet = DEFAULT_CHARSET;
        HDC screen = GetDC(nullptr);
        const int64_t pixelsPerInch = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
        if (screen != nullptr) {
            ReleaseDC(nullptr, screen);
        }
        const int64_t pixels = pixelsPerInch * desc.m_pointSize / 720;
        logFont.lfHeight = -static_cast<LONG>(std::llabs(pixels));
    }
    return CreateFontIndirectA(&logFont);
}

void CKSTFontDesc::DeletePlatformFont(KstFontHandle font)
{
    if (font != nullptr) {
        DeleteObject(font);
    }
}

void ScaleToDevice(HDC target, HDC source, int32_t& length)
{
    const int sourcePixels = GetDeviceCaps(source, LOGPIXELSY);
    if (sourcePixels <= 0) {
        return;
    }
    const int targetPixels = GetDeviceCaps(target, LOGPIXELSY);
    length = static_cast<int32_t>(static_cast<double>(targetPixels) / sourcePixels * length);
}
