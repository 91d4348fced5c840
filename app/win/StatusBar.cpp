#include "app/win/StatusBar.h"

#include "app/StatusTexts.h"
#include "foundation/win/StringLoader.h"

BEGIN_MESSAGE_MAP(CKSTStatusBar, CStatusBar)
ON_MESSAGE(WM_SETTEXT, OnSetText)
END_MESSAGE_MAP()

CKSTStatusBar::CKSTStatusBar() : m_language(IsEnglishUser() ? 1 : 0) {}

void CKSTStatusBar::SetLanguage(uint16_t language)
{
    m_language = language;
    ShowMessage();
}

LRESULT CKSTStatusBar::OnSetText(WPARAM, LPARAM lParam)
{
    if (!lParam) {
        return -1;
    }
    m_nMessage = KstMessageNumber(reinterpret_cast<const char*>(lParam));
    return ShowMessage();
}

int CKSTStatusBar::ShowMessage()
{
    const int index = CommandToIndex(ID_SEPARATOR);
    if (index < 0) {
        return -1;
    }
    const int id = KstMessageStringId(m_nStringBase, m_nMessage);
    const CKSTString text = id > 0 ? LoadResString(id, m_language != 0) : CKSTString();
    return SetPaneText(index, text.c_str()) ? 0 : -1;
}

void CKSTStatusBar::DrawItem(LPDRAWITEMSTRUCT draw)
{
    const auto* data = reinterpret_cast<const char*>(draw->itemData);
    if (!data) {
        return;
    }
    HDC dc = draw->hDC;
    const KstColouredText parsed = KstParseColouredText(data);
    const RECT& rect = draw->rcItem;
    if (!parsed.coloured) {
        TextOutA(dc, rect.left, rect.top, parsed.text.c_str(), parsed.text.GetLength());
        return;
    }
    HBRUSH brush = CreateSolidBrush(parsed.background);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    PatBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, PATCOPY);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
    const COLORREF oldColour = SetTextColor(dc, parsed.foreground);
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, rect.left, rect.top, parsed.text.c_str(), parsed.text.GetLength());
    SetBkMode(dc, OPAQUE);
    SetTextColor(dc, oldColour);
}
