#pragma once
// The record window's panes whose contents belong to the viewer panels and the process window:
// the record information bar, comment, variable list, value list and process pane. Each class
// carries the operations the record window and the view call on it; until its own window comes,
// each is an empty child window that shows the pane's name in the current language. Replace a class here by its real one of the same name.
#include <windows.h>

#include <cstdint>

#include "data/ChannelList.h"
#include "data/DataSet.h"
#include "foundation/HeaderInfoList.h"
#include "foundation/String.h"
#include "foundation/TimeStamp.h"
#include "framework/Wnd.h"

class CKSTCurveWnd;

// An empty pane window labelled with string `labelId` of its language.
class CKSTPaneStandIn : public CWnd {
    DECLARE_MESSAGE_MAP()

public:
    explicit CKSTPaneStandIn(int labelId);
    ~CKSTPaneStandIn() override;

    // A visible child filling the parent's client area; false when it could not be made.
    virtual BOOL CreatePane(CWnd* parent);
    // 0 German, otherwise English.
    void SetLanguage(uint16_t language);
    uint16_t GetLanguage() const { return m_language; }
    void SetNotify(CWnd* window, UINT message)
    {
        m_pNotifyWnd = window;
        m_nNotifyMessage = message;
    }
    CWnd* GetNotifyWnd() const { return m_pNotifyWnd; }
    UINT GetNotifyMessage() const { return m_nNotifyMessage; }

    bool m_bReadOnly = false;
    bool m_bModified = false;

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(HDC dc);
    // Tells the notify window that the user changed the pane's contents.
    void NotifyEdited();

private:
    int m_labelId;
    uint16_t m_language;
    // Panes made by CreatePane carry their label as window text; others keep the text given.
    bool m_bTextFollowsLanguage = false;
    CWnd* m_pNotifyWnd = nullptr;
    UINT m_nNotifyMessage = WM_USER + 1;
};

// The record information bar (dialog 919): the data set's title with its date and time.
class CKSTRecordInfoBar : public CKSTPaneStandIn {
public:
    CKSTRecordInfoBar();
    void SetTitle(const CKSTString& title) { m_strTitle = title; }
    void SetDateTime(const CKSTTimeStamp& stamp) { m_dateTime = stamp; }
    void ClearTexts();
    // The user's edit of the title: stored and reported to the notify window.
    void EditTitle(const CKSTString& title);

    CKSTString m_strTitle;
    CKSTTimeStamp m_dateTime;
};

// The comment pane (dialog 915).
class CKSTCommentDialog : public CKSTPaneStandIn {
public:
    CKSTCommentDialog();
    void SetText(const CKSTString& text) { m_strText = text; }
    CKSTString GetText() const { return m_strText; }
    void ClearText() { m_strText.Empty(); }
    void SetReadOnly(bool readOnly) { m_bReadOnly = readOnly; }
    // The user's edit: stored and reported to the notify window.
    void EditText(const CKSTString& text);

private:
    CKSTString m_strText;
};

// The variable list pane (dialog 918) over a header list it does not own.
class CKSTVariableListDlg : public CKSTPaneStandIn {
public:
    CKSTVariableListDlg();
    void SetList(CKSTHeaderInfoList* list) { m_pList = list; }
    void ClearList() { m_pList = nullptr; }
    CKSTHeaderInfoList* GetList() const { return m_pList; }
    // Lets go of the grid window before the pane window goes.
    void ReleaseGrid() {}

private:
    CKSTHeaderInfoList* m_pList = nullptr;
};

// The value list pane (dialog 970): the values of a curve window's curves at its cursor.
class CKSTChannelBarDlg : public CKSTPaneStandIn {
public:
    CKSTChannelBarDlg();
    void SetCurveWnd(CKSTCurveWnd* window) { m_pCurveWnd = window; }
    CKSTCurveWnd* GetCurveWnd() const { return m_pCurveWnd; }
    void ReleaseGrid() {}

private:
    CKSTCurveWnd* m_pCurveWnd = nullptr;
};

// A snapshot of the process pane's elements, taken before its window is rebuilt.
struct CKSTProcessLayout {
    int elementCount = 0;
};

// The process pane: the process window that takes the main curve window's place.
class CKSTProcessWnd : public CKSTPaneStandIn {
public:
    CKSTProcessWnd();
    ~CKSTProcessWnd() override;

    BOOL Create(const char* windowName, DWORD style, const RECT& rect, CWnd* parent);
    BOOL CreateEx(DWORD exStyle, const char* windowName, DWORD style, const RECT& rect,
                  CWnd* parent);
    bool IsCreated() const { return m_hWnd != nullptr; }
    void Close();

    // 0 when the file was taken as the pane's settings file, negative otherwise.
    int LoadSettingsFile(const CKSTString& path);
    const CKSTString& GetSettingsPath() const { return m_strSettingsPath; }
    void DeleteAllElements() { m_nElements = 0; }
    int GetElementCount() const { return m_nElements; }
    void SaveLayout(CKSTProcessLayout& layout) const { layout.elementCount = m_nElements; }
    void RestoreLayout(const CKSTProcessLayout& layout) { m_nElements = layout.elementCount; }

    void SetDataSet(CKSTDataSet* dataSet) { m_pDataSet = dataSet; }
    CKSTDataSet* GetDataSet() const { return m_pDataSet; }
    void RefreshElements() {}
    void SetDesignMode(bool design, bool toolBox);
    bool IsDesignMode() const { return m_bDesignMode; }
    void ShowToolBox(bool show) { m_bToolBoxShown = show; }
    bool IsToolBoxShown() const { return m_bToolBoxShown; }
    void SetVisible(bool visible) { m_bVisible = visible; }
    bool IsVisible() const { return m_bVisible; }
    void MakeElementsOpaque() {}
    void MakeElementsTransparent() {}

private:
    CKSTString m_strSettingsPath;
    CKSTDataSet* m_pDataSet = nullptr;
    int m_nElements = 0;
    bool m_bDesignMode = false;
    bool m_bToolBoxShown = false;
    bool m_bVisible = true;
};
