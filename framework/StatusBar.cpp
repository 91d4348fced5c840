#include "framework/StatusBar.h"

#include <algorithm>

namespace {

constexpr UINT kBorderTypes = SBT_NOBORDERS | SBT_POPOUT;

}  // namespace

// ---- CStatusBarCtrl ---------------------------------------------------------------------------

BOOL CStatusBarCtrl::SetText(const char* text, int pane, int type)
{
    return m_bar.SetPaneContent(pane, text, type);
}

BOOL CStatusBarCtrl::SetIcon(int pane, HICON icon)
{
    return m_bar.SetPaneIcon(pane, icon);
}

// ---- CStatusBar -------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
ON_MESSAGE(WM_SETTEXT, OnSetText)
ON_WM_DRAWITEM_REFLECT()
END_MESSAGE_MAP()

BOOL CStatusBar::Create(CWnd* parent, DWORD style, UINT id)
{
    if (!(style & (CBRS_TOP | CBRS_BOTTOM))) {
        style |= CBRS_BOTTOM;
    }
    return CreateBar(STATUSCLASSNAMEA, 0, style, parent, id);
}

BOOL CStatusBar::SetIndicators(const UINT* ids, int count)
{
    std::vector<Pane> panes(static_cast<size_t>(std::max(count, 0)));
    BOOL allFound = TRUE;
    for (int i = 0; i < count; ++i) {
        Pane& pane = panes[static_cast<size_t>(i)];
        pane.id = ids[i];
        if (pane.id == ID_SEPARATOR) {
            pane.style = SBPS_STRETCH | SBPS_NOBORDERS;
            continue;
        }
        char text[256];
        if (LoadStringA(KstResourceHandle(), pane.id, text, sizeof(text)) <= 0) {
            allFound = FALSE;
            continue;
        }
        pane.width = TextWidth(text);
    }
    m_panes = std::move(panes);
    UpdateParts();
    for (int i = 0; i < GetCount(); ++i) {
        ShowPane(i);
    }
    return allFound;
}

int CStatusBar::TextWidth(const char* text) const
{
    HDC dc = ::GetDC(m_hWnd);
    HFONT font = GetFont();
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent{};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
    SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);
    // Room for the pane's edges on both sides.
    return extent.cx + 4 * GetSystemMetrics(SM_CXEDGE);
}

int CStatusBar::CommandToIndex(UINT id) const
{
    for (size_t i = 0; i < m_panes.size(); ++i) {
        if (m_panes[i].id == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

UINT CStatusBar::GetPaneStyle(int index) const
{
    return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].style : 0;
}

void CStatusBar::SetPaneStyle(int index, UINT style)
{
    if (index < 0 || index >= GetCount() || m_panes[static_cast<size_t>(index)].style == style) {
        return;
    }
    m_panes[static_cast<size_t>(index)].style = style;
    ShowPane(index);
}

BOOL CStatusBar::SetPaneText(int index, const char* text)
{
    if (index < 0 || index >= GetCount()) {
        return FALSE;
    }
    return SetPaneContent(
        index, text, static_cast<int>(m_panes[static_cast<size_t>(index)].style & kBorderTypes));
}

CKSTString CStatusBar::GetPaneText(int index) const
{
    if (index < 0 || index >= GetCount() || m_panes[static_cast<size_t>(index)].ownerData) {
        return CKSTString();
    }
    return m_panes[static_cast<size_t>(index)].text;
}

BOOL CStatusBar::SetPaneIcon(int index, HICON icon)
{
    if (index < 0 || index >= GetCount()) {
        return FALSE;
    }
    return static_cast<BOOL>(
        SendMessage(SB_SETICON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(icon)));
}

BOOL CStatusBar::SetPaneContent(int index, const char* text, int type)
{
    if (index < 0 || index >= GetCount()) {
        return FALSE;
    }
    Pane& pane = m_panes[static_cast<size_t>(index)];
    if (type & SBT_OWNERDRAW) {
        pane.ownerData = text;
        pane.text.Empty();
    } else {
        pane.ownerData = nullptr;
        pane.text = text;
    }
    pane.style = (pane.style & ~kBorderTypes) | (static_cast<UINT>(type) & kBorderTypes);
    ShowPane(index);
    return TRUE;
}

void CStatusBar::ShowPane(int index)
{
    const Pane& pane = m_panes[static_cast<size_t>(index)];
    WPARAM part = static_cast<WPARAM>(index) | (pane.style & kBorderTypes);
    LPARAM content = reinterpret_cast<LPARAM>("");
    if (!(pane.style & SBPS_DISABLED)) {
        if (pane.ownerData) {
            part |= SBT_OWNERDRAW;
            content = reinterpret_cast<LPARAM>(pane.ownerData);
        } else {
            content = reinterpret_cast<LPARAM>(pane.text.c_str());
        }
    }
    SendMessage(SB_SETTEXTA, part, content);
}

void CStatusBar::UpdateParts()
{
    if (!m_hWnd || m_panes.empty()) {
        return;
    }
    RECT client;
    GetClientRect(&client);
    int fixed = 0;
    int stretching = 0;
    for (const Pane& pane : m_panes) {
        if (pane.style & SBPS_STRETCH) {
            ++stretching;
        } else {
            fixed += pane.width;
        }
    }
    const int spare = std::max<int>(0, client.right - fixed);
    std::vector<int> rights;
    int right = 0;
    for (const Pane& pane : m_panes) {
        right += (pane.style & SBPS_STRETCH) ? spare / stretching : pane.width;
        rights.push_back(right);
    }
    SendMessage(SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.data()));
}

void CStatusBar::DrawItem(LPDRAWITEMSTRUCT) {}

int CStatusBar::CalcHeight(int width)
{
    // The control takes its default height for the new size.
    SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, 0));
    return CControlBar::CalcHeight(width);
}

void CStatusBar::PositionInFrame(RECT& remaining)
{
    CControlBar::PositionInFrame(remaining);
    UpdateParts();
}

LRESULT CStatusBar::OnSetText(WPARAM, LPARAM lParam)
{
    const int index = CommandToIndex(ID_SEPARATOR);
    if (index < 0 || !lParam) {
        return -1;
    }
    return SetPaneText(index, reinterpret_cast<const char*>(lParam)) ? 0 : -1;
}
