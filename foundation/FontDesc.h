#pragma once
// Font setting of every text the program draws: the logical-font fields, a face name and an
// optional point size, compared, copied and stored as plain data. The platform font object is
// made only when drawing asks for it, so records full of font settings can be copied freely
// without using up GDI handles, and the record builds without the platform.

#include <cstdint>

#include "foundation/String.h"

// windows.h maps CreateFont to CreateFontA. Undefining it here keeps the member's name in code
// that includes windows.h first; the CreateFontA member below serves code that includes it later.
#ifdef CreateFont
#undef CreateFont
#endif

struct HFONT__;
using KstFontHandle = HFONT__*;  // HFONT on Windows; always null on the host

#ifdef _WIN32
struct HDC__;
struct tagLOGFONTA;
#endif

class CKSTFontDesc {
public:
    CKSTFontDesc();
    // Copies and assignment take every field; their own font is the one made from the
    // logical-font fields (the point size left out), created when GetFont first asks for it.
    CKSTFontDesc(const CKSTFontDesc& other);
    CKSTFontDesc& operator=(const CKSTFontDesc& other);
    ~CKSTFontDesc();

#ifdef _WIN32
    // Fields and face name from the LOGFONT, point size -1, no font until CreateOwnFont.
    explicit CKSTFontDesc(const tagLOGFONTA& logFont);
    // The face name is cut to 31 characters and always terminated.
    void GetLogFont(tagLOGFONTA& logFont) const;
#endif

    // Every field to its default; the own font stays as it is.
    void SetDefault();

    // Replaces the font in target (deleting the one it held) by a new one: from the
    // logical-font fields when the point size is -1, else a font of that size (tenths of a
    // point) and face for the screen. False, leaving target empty, when no platform font could
    // be made (always on the host).
    bool CreateFont(KstFontHandle& target) const;
#ifdef _WIN32
    bool CreateFontA(KstFontHandle& target) const
    {
        return CreateFont(target);
    }
#endif
    // CreateFont into the own font; returns it (null when none could be made).
    KstFontHandle CreateOwnFont();
    // The own font: after a copy or assignment it is made here from the logical-font fields;
    // otherwise null until CreateOwnFont. The object stays owned by this description.
    KstFontHandle GetFont() const;

    // The thirteen logical-font fields, the face name (case-sensitive) and the point size.
    bool operator==(const CKSTFontDesc& other) const;
    bool operator!=(const CKSTFontDesc& other) const
    {
        return !(*this == other);
    }

    // The logical-font fields in the platform's order.
    int32_t m_height;  // logical units; negative gives the character height
    int32_t m_width;
    int32_t m_escapement;   // tenths of a degree
    int32_t m_orientation;  // tenths of a degree
    int32_t m_weight;
    uint8_t m_italic;
    uint8_t m_underline;
    uint8_t m_strikeOut;
    uint8_t m_charSet;
    uint8_t m_outPrecision;
    uint8_t m_clipPrecision;
    uint8_t m_quality;
    uint8_t m_pitchAndFamily;
    CKSTString m_faceName;
    int32_t m_pointSize;  // tenths of a point; -1 uses the logical-font fields

private:
    void ReleaseOwnFont();

    // Platform part (foundation/win/, foundation/host/).
    static KstFontHandle CreatePlatformFont(const CKSTFontDesc& desc, bool usePointSize);
    static void DeletePlatformFont(KstFontHandle font);

    mutable KstFontHandle m_font;
    // Set by copies: GetFont still owes the font made from the logical-font fields.
    mutable bool m_fontPending;
};

#ifdef _WIN32
// length = truncate(LOGPIXELSY of target / LOGPIXELSY of source x length); carries screen
// font sizes to a printer. A source without a vertical resolution leaves length unchanged.
void ScaleToDevice(HDC__* target, HDC__* source, int32_t& length);
#endif
