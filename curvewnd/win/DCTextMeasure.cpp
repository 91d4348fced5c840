#include "curvewnd/win/DCTextMeasure.h"

CKSTDCTextMeasure::CKSTDCTextMeasure(HDC dc) : m_dc(dc), m_handle(nullptr), m_previous(nullptr) {}

CKSTDCTextMeasure::~CKSTDCTextMeasure()
{
    if (m_previous != nullptr) {
        SelectObject(m_dc, m_previous);
    }
    if (m_handle != nullptr) {
        DeleteObject(m_handle);
    }
}

bool CKSTDCTextMeasure::MeasureText(const CKSTFontDesc& font, const CKSTString& text,
                                    int32_t& width, int32_t& height)
{
    width = 0;
    height = 0;
    if (m_dc == nullptr) {
        return false;
    }
    if (m_handle == nullptr || font != m_font) {
        KstFontHandle made = nullptr;
        if (!font.CreateFont(made)) {
            return false;
        }
        const HGDIOBJ replaced = SelectObject(m_dc, made);
        if (m_previous == nullptr) {
            m_previous = replaced;
        }
        if (m_handle != nullptr) {
            DeleteObject(m_handle);
        }
        m_handle = made;
        m_font = font;
    }
    SIZE size = {};
    if (!GetTextExtentPoint32A(m_dc, text.c_str(), text.GetLength(), &size)) {
        return false;
    }
    width = size.cx;
    height = size.cy;
    return true;
}
