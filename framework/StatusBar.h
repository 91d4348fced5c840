#pragma once
// The status bar: panes given by indicator ids. The separator (ID_SEPARATOR) stretches over
// what the others leave; every other pane is as wide as the string of its id. The framework
// writes nothing into the panes but the prompts, which arrive as the bar's window text and go
// to the pane of id 0; pane texts, styles and icons are the program's.
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "foundation/String.h"
#include "framework/ControlBar.h"
#include "framework/FrameworkIds.h"

// Pane styles. A disabled pane shows nothing and shows its text again when it is enabled.
constexpr UINT SBPS_NORMAL = 0x0000;
constexpr UINT SBPS_NOBORDERS = SBT_NOBORDERS;
constexpr UINT SBPS_POPOUT = SBT_POPOUT;
constexpr UINT SBPS_DISABLED = 0x04000000;
constexpr UINT SBPS_STRETCH = 0x08000000;

class CStatusBar;

// The control's own operations on the panes of a status bar.
class CStatusBarCtrl {
public:
    explicit CStatusBarCtrl(CStatusBar& bar) : m_bar(bar) {}

    // `type` 0, SBT_NOBORDERS, SBT_POPOUT or SBT_OWNERDRAW; with SBT_OWNERDRAW `text` is handed
    // to DrawItem as the item data and must stay valid while the pane shows it.
    BOOL SetText(const char* text, int pane, int type);
    BOOL SetIcon(int pane, HICON icon);

private:
    CStatusBar& m_bar;
};

class CStatusBar : public CControlBar {
    DECLARE_MESSAGE_MAP()

public:
    CStatusBar() = default;

    BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                UINT id = AFX_IDW_STATUS_BAR);
    // One pane per id, empty; FALSE when an id other than the separator has no string.
    BOOL SetIndicators(const UINT* ids, int count);

    int GetCount() const { return static_cast<int>(m_panes.size()); }
    int CommandToIndex(UINT id) const;  // -1 when no pane has the id
    UINT GetPaneStyle(int index) const;
    void SetPaneStyle(int index, UINT style);
    // A plain text; FALSE for a pane that does not exist.
    BOOL SetPaneText(int index, const char* text);
    CKSTString GetPaneText(int index) const;
    BOOL SetPaneIcon(int index, HICON icon);

    CStatusBarCtrl GetStatusBarCtrl() { return CStatusBarCtrl(*this); }

    // Draws an owner-drawn pane (SBT_OWNERDRAW); `itemData` is the pointer given with its text.
    virtual void DrawItem(LPDRAWITEMSTRUCT draw);

    void PositionInFrame(RECT& remaining) override;

protected:
    // WM_SETTEXT: the text goes to the pane of id 0; 0 when it was set, -1 otherwise.
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    int CalcHeight(int width) override;

private:
    friend class CStatusBarCtrl;

    struct Pane {
        UINT id = 0;
        UINT style = SBPS_NORMAL;
        int width = 0;
        CKSTString text;
        const char* ownerData = nullptr;  // set while the pane is owner-drawn
    };

    BOOL SetPaneContent(int index, const char* text, int type);
    void ShowPane(int index);
    void UpdateParts();
    int TextWidth(const char* text) const;

    std::vector<Pane> m_panes;
};
