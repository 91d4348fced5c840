#include "curvewnd/win/DrawContext.h"

#include <cstdlib>

CKSTDrawContext::CKSTDrawContext() : m_dc(nullptr), m_rememberedFont(nullptr), m_measuring(false) {}

CKSTDrawContext::~CKSTDrawContext() = default;

void CKSTDrawContext::Attach(HDC dc)
{
    if (dc != m_dc) {
        DeleteDC();
        m_dc = dc;
    }
}

bool CKSTDrawContext::DeleteDC()
{
    if (m_dc == nullptr) {
        return true;
    }
    const BOOL deleted = ::DeleteDC(m_dc);
    m_dc = nullptr;
    m_rememberedFont = nullptr;
    return deleted != FALSE;
}

void CKSTDrawContext::Line(int x1, int y1, int x2, int y2)
{
    if (m_dc != nullptr) {
        MoveToEx(m_dc, x1, y1, nullptr);
        LineTo(m_dc, x2, y2);
    }
}

void CKSTDrawContext::Polygon(const POINT* points, int count)
{
    if (m_dc != nullptr && points != nullptr && count > 0) {
        ::Polygon(m_dc, points, count);
    }
}

void CKSTDrawContext::SelectFont(CKSTFontDesc& font, bool remember)
{
    if (&font != &m_font) {
        m_font = font;
    }
    // Re-creating the setting's font deletes the one it held. A font still selected cannot be
    // deleted (it would leak), so step off it first; and a remembered font that is about to
    // vanish is stood in for by its re-created equal.
    const HGDIOBJ previousOwn = font.GetFont();
    const HGDIOBJ current = m_dc != nullptr ? GetCurrentObject(m_dc, OBJ_FONT) : nullptr;
    const bool ownSelected = previousOwn != nullptr && current == previousOwn;
    if (ownSelected) {
        ::SelectObject(m_dc, GetStockObject(SYSTEM_FONT));
    }
    const HGDIOBJ made = font.CreateOwnFont();
    if (m_rememberedFont != nullptr && m_rememberedFont == previousOwn) {
        m_rememberedFont = made;
    }
    if (m_dc == nullptr || made == nullptr) {
        return;
    }
    const HGDIOBJ replaced = ::SelectObject(m_dc, made);
    if (remember && replaced != nullptr) {
        m_rememberedFont = ownSelected ? made : replaced;
    }
}

void CKSTDrawContext::RestoreFont()
{
    if (m_dc == nullptr || m_rememberedFont == nullptr) {
        return;
    }
    const HGDIOBJ replaced = ::SelectObject(m_dc, m_rememberedFont);
    if (replaced != nullptr) {
        m_rememberedFont = replaced;
    }
}

HGDIOBJ CKSTDrawContext::SelectObject(HGDIOBJ object)
{
    if (m_measuring) {
        BITMAP bitmap = {};
        if (object != nullptr && GetObjectType(object) == OBJ_BITMAP &&
            GetObjectW(object, sizeof bitmap, &bitmap) != 0 &&
            m_measuredSize.Create(static_cast<uint32_t>(std::abs(bitmap.bmWidth)),
                                  static_cast<uint32_t>(std::abs(bitmap.bmHeight)))) {
            m_measuredSize.Free();
        } else {
            m_measuredSize.Clear();
        }
        return nullptr;
    }
    if (m_dc == nullptr) {
        return nullptr;
    }
    if (object == nullptr) {
        return GetCurrentObject(m_dc, OBJ_BITMAP);
    }
    return ::SelectObject(m_dc, object);
}
