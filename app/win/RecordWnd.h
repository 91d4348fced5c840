#pragma once
// The record window: the one child of the main view. It divides itself with nested static
// splitters, following seven show flags, into the record information bar (top row), the
// structure tree, the main display (main curve window or process pane) and the spectrum window
// (middle row) and the value list, variable list and comment (bottom row). It keeps the row
// heights the user drags, hands the data set shown to every pane, computes the spectra of all
// channels for the spectrum window and writes the title and comment the user edits back into
// the data set.
//
// Building and laying out: RecordWnd.cpp; the data set and the panes' contents:
// RecordWndData.cpp; the rules themselves are portable (app/RecordLayout.h).
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/RecordLayout.h"
#include "app/win/RecordPanes.h"
#include "curvewnd/win/CurveWnd.h"
#include "data/ChannelList.h"
#include "data/DataSet.h"
#include "foundation/win/NotifyList.h"
#include "framework/Splitter.h"
#include "framework/Wnd.h"
#include "panels/win/StructTreeDlg.h"

class CKSTSplitterView;

class CKSTRecordWnd : public CWnd {
    DECLARE_MESSAGE_MAP()

public:
    static constexpr char kClassName[] = "KSTRecordWndClass";
    // Messages the record window handles.
    static constexpr UINT kPaneEditedMessage = WM_USER + 1;   // title or comment edited
    static constexpr UINT kRowsChangedMessage = WM_USER + 2;  // a pane view got a new size
    static constexpr UINT kStructureMessage = WM_USER + 3;    // the main curves changed
    static constexpr UINT kSettingsMessage = WM_USER;         // a curve window's settings confirmed
    static constexpr UINT kRefreshMessage = WM_USER + 17;     // wParam: HANDLE* of a data mutex
    // Events of its notification list.
    static constexpr uint32_t kEventPositionReport = 12;
    // The spectrum window's title colour (COLORREF).
    static constexpr int32_t kSpectrumTitleColour = 0xFF0000;

    CKSTRecordWnd();
    ~CKSTRecordWnd() override;

    // 0 when the window class was registered, -1 otherwise (also when it exists already).
    static int Register(HINSTANCE instance);
    // The child window over the rectangle (WS_CHILD added, control id 0); false when it could
    // not be made, also when its panes could not be built.
    BOOL Create(const char* windowName, DWORD style, const RECT& rect, CWnd* parent);
    bool IsCreated() const { return m_bCreated; }

    // ---- Show flags: a change rebuilds and lays out the panes once the window exists ----
    void ShowTitle(bool show);
    void ShowChannelList(bool show);
    void ShowSpectra(bool show);
    void ShowValueList(bool show);
    void ShowVariables(bool show);
    void ShowComment(bool show);
    void ShowProcessWindow(bool show);
    const KstPaneFlags& GetShowFlags() const { return m_flags; }
    // The stored heights of the title and the bottom row; 0 for a row not shown.
    int GetTitleHeight() const { return m_titleHeight; }
    int GetBottomHeight() const { return m_bottomHeight; }

    // ---- The data set shown (RecordWndData.cpp) ----
    void SetDataSet(CKSTDataSet* dataSet, bool fitOnly);
    CKSTDataSet* GetDataSet() const { return m_pDataSet; }
    void UpdatePanes();
    void RefreshMain();
    void RefreshSpectra();
    void ClearAll(bool remove);
    void Close();
    void SetLanguage(uint16_t language);
    uint16_t GetLanguage() const { return m_language; }
    bool IsModified() const;
    void ClearModified();
    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetOnline(bool online);
    void CollectSpectra(CKSTDataSet& dataSet);
    void MakeProcessOpaque();
    void MakeProcessTransparent();

    // ---- Panes ----
    CKSTCurveWnd& GetMainCurveWnd() { return m_wndMainCurve; }
    CKSTCurveWnd& GetSpectrumWnd() { return m_wndSpectrum; }
    CKSTProcessWnd& GetProcessWnd() { return m_wndProcess; }
    CKSTRecordInfoBar& GetInfoBar() { return m_wndInfoBar; }
    CKSTCommentDialog& GetCommentPane() { return m_wndComment; }
    CKSTVariableListDlg& GetVariableList() { return m_wndVariables; }
    CKSTChannelBarDlg& GetValueList() { return m_wndValueList; }
    CKSTStructTreeDlg& GetStructTree() { return m_wndStructTree; }
    const CKSTChannelList& GetSpectrumChannels() const { return m_spectra; }
    // The window that fills the main display's place.
    CWnd& GetMainDisplay();
    CKSTNotifyList& GetNotifyList() { return m_notify; }
    // The splitters as built: null when the flags need none.
    CSplitterWnd* GetOuterSplitter() const { return m_pOuter.get(); }
    CSplitterWnd* GetMiddleSplitter() const { return m_pMiddle.get(); }
    CSplitterWnd* GetBottomSplitter() const { return m_pBottom.get(); }

protected:
    int OnCreate(LPCREATESTRUCT create);
    void OnSize(UINT type, int width, int height);
    void OnSetFocus(CWnd* previous);
    void OnClose();
    LRESULT OnPaneEdited(WPARAM wParam, LPARAM lParam);
    LRESULT OnRowsChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnStructureChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnRefresh(WPARAM wParam, LPARAM lParam);

private:
    // Tears the splitters down and builds them for the flags, keeping the curve windows'
    // settings and the process elements; false when a splitter could not be made.
    bool BuildPanes();
    void LayoutPanes();
    void SetFlag(bool KstPaneFlags::*flag, bool show);
    // The information bar, structure tree, comment, variable list and value list from the
    // data set.
    void FillPanes();
    void DeleteSplitters();
    // A pane view in a cell hosting `window`, or null.
    CKSTSplitterView* MakePaneView(CSplitterWnd& splitter, int row, int column, int height);
    // Creates the pane's window in the pane view (when it has none) and hosts it there.
    bool PutPane(KstPane pane, CKSTSplitterView* view);
    bool PutMainDisplay(CWnd* parent, bool direct);
    // Makes every spectrum channel anew (rebuild) or recomputes them in place; the spectrum
    // window's title tells whether any spectrum could be computed.
    void ComputeSpectra(bool rebuild);
    // Hides, refills, applies the structure to and shows the spectrum window.
    void RebuildSpectrumWindow();

    CKSTRecordInfoBar m_wndInfoBar;
    CKSTCommentDialog m_wndComment;
    CKSTVariableListDlg m_wndVariables;
    CKSTChannelBarDlg m_wndValueList;
    CKSTStructTreeDlg m_wndStructTree;
    CKSTCurveWnd m_wndMainCurve;
    CKSTCurveWnd m_wndSpectrum;
    CKSTProcessWnd m_wndProcess;

    CKSTDataSet* m_pDataSet = nullptr;
    CKSTChannelList m_spectra;
    std::unique_ptr<CSplitterWnd> m_pOuter;
    std::unique_ptr<CSplitterWnd> m_pMiddle;
    std::unique_ptr<CSplitterWnd> m_pBottom;
    // The pane views of the splitters as built; they delete themselves with the splitters.
    std::vector<CKSTSplitterView*> m_paneViews;
    CKSTSplitterView* m_pTitleView = nullptr;
    CKSTNotifyList m_notify;

    RECT m_client = {0, 0, 0, 0};
    uint16_t m_language;
    bool m_bCreated = false;
    bool m_bReadOnly = false;
    KstPaneFlags m_flags;
    int m_titleHeight = 0;
    int m_bottomHeight = 0;
};
