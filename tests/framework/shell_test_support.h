#pragma once
// A small program on the application shell for the tests: a document, a frame with toolbar and
// status bar, a view and an application that each handle some of the test commands and log
// what reached them.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/App.h"
#include "framework/Document.h"
#include "framework/FrameWnd.h"
#include "framework/StatusBar.h"
#include "framework/ToolBar.h"
#include "framework/View.h"
#include "framework_test_support.h"
#include "test_resources.h"

namespace kst_test {

// What reached the test program; one per test, reachable from every object.
struct ShellLog {
    std::vector<std::string> commands;  // "view 40101", "application 40104", ...
    std::vector<std::string> dropped;
    std::vector<LPARAM> viewUpdates;
    UINT checkedChoice = ID_TEST_CHOICE_FIRST;
    bool failNewDocument = false;
    bool failViewCreation = false;
    // Printing: pages of the test document, and what the view's print steps saw ("begin",
    // "page 2 0 0 640 480" with the drawing rectangle, "end").
    UINT printPages = 2;
    std::vector<std::string> printing;
    std::vector<RECT> printDeviceRects;  // the drawing rectangle in the context's pixels
};
ShellLog& TheShellLog();

class TestDoc : public CDocument {
    DECLARE_MESSAGE_MAP()

public:
    BOOL OnNewDocument() override;

protected:
    void OnTestCommand(UINT id);
    void OnUpdateDisabled(CCmdUI* cmdUI);
};

class TestView : public CView {
    DECLARE_MESSAGE_MAP()

public:
    void OnUpdate(CView* sender, LPARAM hint, void* hintObject) override;

protected:
    void OnDraw(HDC) override {}
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void OnTestCommand(UINT id);
    void OnUpdateChoice(CCmdUI* cmdUI);
    // Each page gets a frame around the drawing rectangle and its number as text.
    BOOL OnPreparePrinting(CPrintInfo* info) override;
    void OnBeginPrinting(HDC dc, CPrintInfo* info) override;
    void OnPrint(HDC dc, CPrintInfo* info) override;
    void OnEndPrinting(HDC dc, CPrintInfo* info) override;
};

class TestStatusBar : public CStatusBar {
public:
    std::vector<const void*> drawnItems;

protected:
    void DrawItem(LPDRAWITEMSTRUCT draw) override;
};

class TestFrame : public CFrameWnd {
    DECLARE_MESSAGE_MAP()

public:
    CToolBar m_wndToolBar;
    TestStatusBar m_wndStatusBar;

protected:
    int OnCreate(LPCREATESTRUCT create);
    void OnTestCommand(UINT id);
    void OnDropFiles(HDROP drop);
};

class TestApp : public CWinApp {
    DECLARE_MESSAGE_MAP()

public:
    // Runs after the base idle step of every idle call within Run.
    std::function<void(TestApp&)> onIdle;

    BOOL InitInstance() override;
    BOOL OnIdle(LONG count) override;
    // The template of the test program.
    void AddTestTemplate();

protected:
    void OnTestCommand(UINT id);
};

// The key below HKEY_CURRENT_USER where the test program keeps its settings.
constexpr char kTestRegistryKey[] = "Software\\Kestro\\FrameworkShellTests\\";

// Each test starts with its own log; the application object and its windows are gone after it.
class ShellTest : public FrameworkTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // A new application (m_app) with the test template and its first document and frame.
    bool StartApp();
    TestFrame& Frame() { return *static_cast<TestFrame*>(AfxGetMainWnd()); }
    std::unique_ptr<TestApp> m_app;
};

// A file that exists for the test's lifetime, in the temporary folder.
class TempFile {
public:
    explicit TempFile(const char* name);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const CKSTString& Path() const { return m_path; }

private:
    CKSTString m_path;
};

}  // namespace kst_test
