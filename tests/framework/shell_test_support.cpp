#include "shell_test_support.h"

#include <shellapi.h>

#include "framework/PrintInfo.h"

namespace kst_test {

namespace {

ShellLog g_log;

void Log(const char* who, UINT id)
{
    g_log.commands.push_back(std::string(who) + " " + std::to_string(id));
}

}  // namespace

ShellLog& TheShellLog()
{
    return g_log;
}

// ---- Document: handles the document's and the frame's command and disables one item --------

BEGIN_MESSAGE_MAP(TestDoc, CDocument)
ON_COMMAND_RANGE(ID_TEST_VIEW_CMD, ID_TEST_DOC_CMD, OnTestCommand)
ON_UPDATE_COMMAND_UI(ID_TEST_DISABLED, OnUpdateDisabled)
END_MESSAGE_MAP()

BOOL TestDoc::OnNewDocument()
{
    return !g_log.failNewDocument && CDocument::OnNewDocument();
}

void TestDoc::OnTestCommand(UINT id)
{
    Log("document", id);
}

void TestDoc::OnUpdateDisabled(CCmdUI* cmdUI)
{
    cmdUI->Enable(FALSE);
}

// ---- View ---------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(TestView, CView)
ON_COMMAND_RANGE(ID_TEST_VIEW_CMD, ID_TEST_VIEW_CMD, OnTestCommand)
ON_UPDATE_COMMAND_UI_RANGE(ID_TEST_CHOICE_FIRST, ID_TEST_CHOICE_LAST, OnUpdateChoice)
ON_COMMAND(ID_FILE_PRINT, OnFilePrint)
ON_COMMAND(ID_FILE_PRINT_PREVIEW, OnFilePrintPreview)
END_MESSAGE_MAP()

void TestView::OnUpdate(CView*, LPARAM hint, void*)
{
    g_log.viewUpdates.push_back(hint);
}

BOOL TestView::PreCreateWindow(CREATESTRUCTA& cs)
{
    cs.style &= ~WS_BORDER;
    return !g_log.failViewCreation;
}

void TestView::OnTestCommand(UINT id)
{
    Log("view", id);
}

void TestView::OnUpdateChoice(CCmdUI* cmdUI)
{
    cmdUI->Enable(TRUE);
    cmdUI->SetCheck(cmdUI->m_nID == g_log.checkedChoice);
}

BOOL TestView::OnPreparePrinting(CPrintInfo* info)
{
    info->SetMaxPage(g_log.printPages);
    return DoPreparePrinting(info);
}

void TestView::OnBeginPrinting(HDC, CPrintInfo*)
{
    g_log.printing.push_back("begin");
}

void TestView::OnPrint(HDC dc, CPrintInfo* info)
{
    const RECT& r = info->m_rectDraw;
    g_log.printing.push_back("page " + std::to_string(info->m_nCurPage) + " " +
                             std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                             std::to_string(r.right) + " " + std::to_string(r.bottom));
    POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
    LPtoDP(dc, corners, 2);
    g_log.printDeviceRects.push_back(RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y});
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    const std::string text = "Page " + std::to_string(info->m_nCurPage);
    TextOutA(dc, r.left + 10, r.top + 10, text.c_str(), static_cast<int>(text.size()));
}

void TestView::OnEndPrinting(HDC, CPrintInfo*)
{
    g_log.printing.push_back("end");
}

void TestStatusBar::DrawItem(LPDRAWITEMSTRUCT draw)
{
    drawnItems.push_back(reinterpret_cast<const void*>(draw->itemData));
}

// ---- Frame --------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(TestFrame, CFrameWnd)
ON_WM_CREATE()
ON_WM_DROPFILES()
ON_COMMAND_RANGE(ID_TEST_VIEW_CMD, ID_TEST_FRAME_CMD, OnTestCommand)
END_MESSAGE_MAP()

int TestFrame::OnCreate(LPCREATESTRUCT create)
{
    if (CFrameWnd::OnCreate(create) == -1) {
        return -1;
    }
    static const UINT indicators[] = {ID_SEPARATOR, ID_TEST_INDICATOR_WIDE,
                                      ID_TEST_INDICATOR_NARROW};
    if (!m_wndToolBar.CreateEx(
            this, 0,
            WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_FLYBY | CBRS_SIZE_DYNAMIC) ||
        !m_wndToolBar.LoadToolBar(IDR_TEST_SHELL) || !m_wndStatusBar.Create(this) ||
        !m_wndStatusBar.SetIndicators(indicators, 3)) {
        return -1;
    }
    return 0;
}

void TestFrame::OnTestCommand(UINT id)
{
    Log("frame", id);
}

void TestFrame::OnDropFiles(HDROP drop)
{
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char path[MAX_PATH];
        if (DragQueryFileA(drop, i, path, MAX_PATH)) {
            g_log.dropped.push_back(path);
        }
    }
    CFrameWnd::OnDropFiles(drop);
}

// ---- Application
// ----------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(TestApp, CWinApp)
ON_COMMAND_RANGE(ID_TEST_VIEW_CMD, ID_TEST_APP_CMD, OnTestCommand)
ON_COMMAND_RANGE(ID_TEST_DISABLED, ID_TEST_DISABLED, OnTestCommand)
END_MESSAGE_MAP()

void TestApp::AddTestTemplate()
{
    AddDocTemplate(new CSingleDocTemplate(
        IDR_TEST_SHELL, [] { return new TestDoc; }, [] { return new TestFrame; },
        [] { return new TestView; }));
}

BOOL TestApp::InitInstance()
{
    SetRegistryKey(kTestRegistryKey);
    LoadStdProfileSettings(4);
    AddTestTemplate();
    RegisterShellFileTypes();
    CCommandLineInfo info;
    ParseCommandLine(info);
    info.m_nShellCommand = CCommandLineInfo::FileNew;
    return ProcessShellCommand(info);
}

BOOL TestApp::OnIdle(LONG count)
{
    CWinApp::OnIdle(count);
    if (onIdle) {
        onIdle(*this);
    }
    return FALSE;
}

void TestApp::OnTestCommand(UINT id)
{
    Log("application", id);
}

// ---- Fixture
// ----------------------------------------------------------------------------------------

void ShellTest::SetUp()
{
    FrameworkTest::SetUp();
    g_log = ShellLog();
}

void ShellTest::TearDown()
{
    m_app.reset();
    // The main frame's end posts WM_QUIT; it must not end the next test's loops.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    FrameworkTest::TearDown();
}

bool ShellTest::StartApp()
{
    m_app = std::make_unique<TestApp>();
    m_app->LoadStdProfileSettings(4);
    m_app->AddTestTemplate();
    return m_app->OpenDocumentFile(nullptr) != nullptr && AfxGetMainWnd() != nullptr;
}

TempFile::TempFile(const char* name)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    m_path = folder;
    m_path += name;
    HANDLE file = CreateFileA(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
}

TempFile::~TempFile()
{
    DeleteFileA(m_path.c_str());
}

}  // namespace kst_test
