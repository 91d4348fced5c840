#pragma once
// Text extents measured on a device context, for the portable label layout of the axes.

#include <windows.h>

#include "curvewnd/CurveOwner.h"

class CKSTDCTextMeasure : public IKSTTextMeasure {
public:
    // A null device context measures nothing.
    explicit CKSTDCTextMeasure(HDC dc);
    // Puts back the font the device context had before the first measurement.
    ~CKSTDCTextMeasure();
    CKSTDCTextMeasure(const CKSTDCTextMeasure&) = delete;
    CKSTDCTextMeasure& operator=(const CKSTDCTextMeasure&) = delete;

    bool MeasureText(const CKSTFontDesc& font, const CKSTString& text, int32_t& width,
                     int32_t& height) override;

private:
    HDC m_dc;
    // The font last selected for measuring, kept while the next text uses the same setting.
    CKSTFontDesc m_font;
    HFONT m_handle;
    HGDIOBJ m_previous;
};
