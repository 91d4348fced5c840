// The main view in the running application: documents opened through the document appear as
// curves in the view's main curve window, which fills the view.
#include "app_test_support.h"

#include <string>
#include <vector>

#include "app/win/TalvenorDoc.h"
#include "app/win/TalvenorView.h"
#include "curvewnd/Curve.h"
#include "support/TempFolder.h"

namespace kst_test {
namespace {

class MainView : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        AnswerStartDialogs();
        ASSERT_TRUE(Start("/noreg"));
        ASSERT_NE(m_app->m_pView, nullptr);
        ASSERT_NE(m_app->m_pDocument, nullptr);
        RecordBoxes();
        // The curve window is made on the view's first paint.
        CWnd* frame = AfxGetMainWnd();
        frame->ShowWindow(SW_SHOWNORMAL);
        frame->UpdateWindow();
        m_app->m_pView->UpdateWindow();
    }

    CTalvenorDoc& Doc() { return *m_app->m_pDocument; }
    CTalvenorView& View() { return *m_app->m_pView; }
    CKSTCurveWnd& Curves() { return View().GetMainCurveWnd(); }

    // The named sine channels saved by the document's own save under the file name.
    CKSTString SaveGenerated(const std::string& file, const std::vector<std::string>& names)
    {
        CKSTDataSet& set = Doc().GetDataSet();
        set.Clear(false);
        CKSTChannelList& channels = set.GetChannels();
        for (const std::string& name : names) {
            CKSTChannel& channel = *channels.GetAt(channels.AddNew());
            channel.GenerateSine(200, 0.005, 1.0, 2.0, 0.0);
            channel.SetName(name.c_str());
        }
        const CKSTString path = m_folder.Path(file);
        EXPECT_TRUE(Doc().SaveFile(path, 0));
        return path;
    }

    std::vector<std::string> CurveNames()
    {
        std::vector<std::string> names;
        for (int i = 0; i < Curves().GetCurveCount(); ++i) {
            const CKSTCurve* curve = Curves().GetCurve(i, false);
            if (curve && curve->GetChannel()) {
                names.push_back(curve->GetChannel()->GetName().c_str());
            }
        }
        return names;
    }

    // The curve window is the view's child and covers exactly its client area.
    void ExpectCurveWindowFillsView()
    {
        ASSERT_TRUE(Curves().m_hWnd && ::IsWindow(Curves().m_hWnd));
        EXPECT_EQ(::GetParent(Curves().m_hWnd), View().m_hWnd);
        EXPECT_TRUE(::IsWindowVisible(Curves().m_hWnd));
        RECT view{};
        RECT curves{};
        ::GetClientRect(View().m_hWnd, &view);
        ::GetWindowRect(Curves().m_hWnd, &curves);
        ::MapWindowPoints(nullptr, View().m_hWnd, reinterpret_cast<POINT*>(&curves), 2);
        EXPECT_GT(view.right, 0);
        EXPECT_GT(view.bottom, 0);
        EXPECT_EQ(curves.left, 0);
        EXPECT_EQ(curves.top, 0);
        EXPECT_EQ(curves.right, view.right);
        EXPECT_EQ(curves.bottom, view.bottom);
    }

    TempFolder m_folder;
};

TEST_F(MainView, FirstPaintMakesOneCurveWindowFillingTheView)
{
    ExpectCurveWindowFillsView();
    char text[64] = {};
    ::GetWindowTextA(Curves().m_hWnd, text, sizeof text);
    EXPECT_STREQ(text, "Kurvenfenster");
    const HWND made = Curves().m_hWnd;
    ::RedrawWindow(View().m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(Curves().m_hWnd, made);
    EXPECT_EQ(::GetWindow(View().m_hWnd, GW_CHILD), made);
    EXPECT_EQ(::GetWindow(made, GW_HWNDNEXT), nullptr);

    // The window follows the view when the frame changes its size.
    CWnd* frame = AfxGetMainWnd();
    RECT before{};
    ::GetWindowRect(frame->m_hWnd, &before);
    frame->MoveWindow(before.left, before.top, 500, 380, TRUE);
    ExpectCurveWindowFillsView();
    frame->MoveWindow(before.left, before.top, 900, 700, TRUE);
    ExpectCurveWindowFillsView();
}

TEST_F(MainView, OpenedDocumentsReplaceTheCurves)
{
    const CKSTString first = SaveGenerated("first.qld", {"Sinus", "Ramp"});
    const CKSTString second = SaveGenerated("second.qld", {"Alpha", "Beta", "Gamma"});
    Doc().OnFileNew();
    EXPECT_EQ(Curves().GetCurveCount(), 0);

    ASSERT_EQ(Doc().OpenFile(first), 1);
    EXPECT_EQ(CurveNames(), (std::vector<std::string>{"Sinus", "Ramp"}));
    ExpectCurveWindowFillsView();
    // The curves show the document's own channels, not copies.
    CKSTChannelList& channels = Doc().GetDataSet().GetChannels();
    ASSERT_EQ(channels.GetCount(), 2);
    EXPECT_EQ(Curves().GetCurve(0, false)->GetChannel(), channels.GetAt(0));
    EXPECT_TRUE(Curves().IsUpdateEnabled());

    ASSERT_EQ(Doc().OpenFile(second), 1);
    EXPECT_EQ(CurveNames(), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(Curves().FindCurveByChannelName("Sinus"), nullptr);
    EXPECT_TRUE(Curves().IsUpdateEnabled());
    ExpectCurveWindowFillsView();

    Doc().OnFileNew();
    EXPECT_EQ(Curves().GetCurveCount(), 0);
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(MainView, SavedDocumentKeepsTheShownStructure)
{
    const CKSTString path = SaveGenerated("shown.qld", {"Sinus", "Ramp"});
    ASSERT_EQ(Doc().OpenFile(path), 1);
    // Saving stores the main curve window's structure, so the reopened file shows the same.
    CKSTCurveWndSettings shown;
    ASSERT_TRUE(View().GetMainCurveSettings(shown));
    ASSERT_TRUE(Doc().SaveFile(path, 0));
    ASSERT_TRUE(Doc().GetDataSet().HasWindowSettings());
    Doc().OnFileNew();
    ASSERT_EQ(Doc().OpenFile(path), 1);
    EXPECT_TRUE(Curves().CurvesMatchSettings(shown));
    EXPECT_EQ(CurveNames(), (std::vector<std::string>{"Sinus", "Ramp"}));
    EXPECT_EQ(View().GetXYChannel(), nullptr);
}

}  // namespace
}  // namespace kst_test
