#include "framework/Splitter.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/View.h"
#include "framework_test_support.h"

namespace {

// A pane view that keeps the sizes its WM_SIZE reported.
class PaneView : public CView {
    DECLARE_MESSAGE_MAP()

public:
    explicit PaneView(std::vector<SIZE>* sizes = nullptr) : m_sizes(sizes) {}

protected:
    void OnDraw(HDC) override {}
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override
    {
        cs.style &= ~static_cast<DWORD>(WS_BORDER);
        cs.dwExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
        return TRUE;
    }
    void OnSize(UINT, int width, int height)
    {
        if (m_sizes) {
            m_sizes->push_back(SIZE{width, height});
        }
        Default();
    }

private:
    std::vector<SIZE>* m_sizes;
};

BEGIN_MESSAGE_MAP(PaneView, CView)
ON_WM_SIZE()
END_MESSAGE_MAP()

auto MakePane(std::vector<SIZE>* sizes = nullptr)
{
    return [sizes]() -> CView* { return new PaneView(sizes); };
}

class SplitterTest : public kst_test::FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        const CKSTString cls = KstRegisterWndClass(0, LoadCursor(nullptr, IDC_ARROW));
        // A client area of exactly 400 x 300.
        RECT rect{0, 0, 400, 300};
        AdjustWindowRectEx(&rect, WS_POPUP, FALSE, 0);
        ASSERT_TRUE(m_parent.CreateEx(0, cls.c_str(), "splitter parent", WS_POPUP | WS_VISIBLE,
                                      0, 0, rect.right - rect.left, rect.bottom - rect.top,
                                      nullptr, nullptr));
    }
    void TearDown() override
    {
        m_parent.DestroyWindow();
        FrameworkTest::TearDown();
    }
    // A window's rectangle in the parent's client coordinates.
    RECT RectIn(CWnd* window)
    {
        RECT rect;
        window->GetWindowRect(&rect);
        MapWindowPoints(nullptr, m_parent.m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    static int Height(const RECT& rect) { return rect.bottom - rect.top; }

    CWnd m_parent;
};

void ExpectRect(const RECT& expected, const RECT& actual)
{
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.right, actual.right);
    EXPECT_EQ(expected.bottom, actual.bottom);
}

constexpr int kBar = CSplitterWnd::kBarSize;

TEST_F(SplitterTest, NestedSplittersGiveExactPaneRectangles)
{
    CSplitterWnd outer;
    CSplitterWnd middle;
    ASSERT_TRUE(outer.CreateStatic(&m_parent, 3, 1));
    ASSERT_TRUE(outer.CreateView(0, 0, MakePane(), SIZE{100, 50}, nullptr));
    ASSERT_TRUE(middle.CreateStatic(&outer, 1, 3, WS_CHILD | WS_VISIBLE | WS_BORDER,
                                    outer.IdFromRowCol(1, 0)));
    for (int column = 0; column < 3; ++column) {
        ASSERT_TRUE(middle.CreateView(0, column, MakePane(), SIZE{100, 100}, nullptr));
    }
    ASSERT_TRUE(outer.CreateView(2, 0, MakePane(), SIZE{100, 100}, nullptr));
    outer.SetRowInfo(1, 120, 10);
    outer.RecalcLayout();

    EXPECT_EQ(&middle, outer.GetPane(1, 0));
    ExpectRect({0, 0, 400, 50}, RectIn(outer.GetPane(0, 0)));
    ExpectRect({0, 50 + kBar, 400, 50 + kBar + 120}, RectIn(&middle));
    const int bottomTop = 50 + kBar + 120 + kBar;
    ExpectRect({0, bottomTop, 400, 300}, RectIn(outer.GetPane(2, 0)));
    // The nested splitter's client area lies inside its border; its last column takes the rest.
    const int inner = 400 - 2;
    const int top = 50 + kBar + 1;
    ExpectRect({1, top, 1 + 100, top + 118}, RectIn(middle.GetPane(0, 0)));
    ExpectRect({1 + 100 + kBar, top, 1 + 200 + kBar, top + 118}, RectIn(middle.GetPane(0, 1)));
    ExpectRect({1 + 200 + 2 * kBar, top, 1 + inner, top + 118}, RectIn(middle.GetPane(0, 2)));

    int current = 0;
    int minimum = 0;
    outer.GetRowInfo(1, current, minimum);
    EXPECT_EQ(120, current);
    EXPECT_EQ(10, minimum);
    outer.GetRowInfo(3, current, minimum);
    EXPECT_EQ(-1, current);
    EXPECT_EQ(nullptr, outer.GetPane(3, 0));
    EXPECT_FALSE(outer.CreateView(0, 0, MakePane(), SIZE{1, 1}, nullptr));  // taken

    // Rows that do not fit are cut to what is left, in order from the top.
    outer.SetRowInfo(0, 280, 0);
    outer.RecalcLayout();
    EXPECT_EQ(280, Height(RectIn(outer.GetPane(0, 0))));
    EXPECT_EQ(300 - 280 - kBar, Height(RectIn(&middle)));
    EXPECT_EQ(0, Height(RectIn(outer.GetPane(2, 0))));
}

TEST_F(SplitterTest, DraggingABarChangesTheRowsNextToItAndThePanesGetTheirSizes)
{
    std::vector<SIZE> topSizes;
    std::vector<SIZE> middleSizes;
    CSplitterWnd splitter;
    ASSERT_TRUE(splitter.CreateStatic(&m_parent, 3, 1));
    ASSERT_TRUE(splitter.CreateView(0, 0, MakePane(&topSizes), SIZE{400, 50}, nullptr));
    ASSERT_TRUE(splitter.CreateView(1, 0, MakePane(&middleSizes), SIZE{400, 100}, nullptr));
    ASSERT_TRUE(splitter.CreateView(2, 0, MakePane(), SIZE{400, 100}, nullptr));
    splitter.SetRowInfo(1, 100, 40);

    struct Case {
        int grabY;  // in the splitter's client area
        int dropY;
        int top;     // row heights afterwards
        int middle;
        bool moved;
    };
    const Case cases[] = {
        {50 + 2, 80 + 2, 80, 70, true},   // the bar below the top row, 30 down
        {80 + 1, 10 + 1, 10, 140, true},  // and back up beyond where it was
        {10 + 3, 250, 110, 40, true},     // down as far as the middle row's minimum allows
        {110 + kBar + 40 + 1, 0, 110, 40, false},  // the second bar cannot squeeze that row
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dropY);
        topSizes.clear();
        middleSizes.clear();
        splitter.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, c.grabY));
        splitter.PostMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(25, (c.grabY + c.dropY) / 2));
        splitter.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(25, c.dropY));
        KstPumpPendingMessages();
        int top = 0;
        int middle = 0;
        int minimum = 0;
        splitter.GetRowInfo(0, top, minimum);
        splitter.GetRowInfo(1, middle, minimum);
        EXPECT_EQ(c.top, top);
        EXPECT_EQ(c.middle, middle);
        EXPECT_EQ(c.top, Height(RectIn(splitter.GetPane(0, 0))));
        EXPECT_EQ(c.middle, Height(RectIn(splitter.GetPane(1, 0))));
        EXPECT_EQ(300 - c.top - c.middle - 2 * kBar, Height(RectIn(splitter.GetPane(2, 0))));
        if (c.moved) {
            ASSERT_FALSE(topSizes.empty());
            ASSERT_FALSE(middleSizes.empty());
            EXPECT_EQ(c.top, topSizes.back().cy);
            EXPECT_EQ(400, topSizes.back().cx);
            EXPECT_EQ(c.middle, middleSizes.back().cy);
        } else {
            EXPECT_TRUE(topSizes.empty());
            EXPECT_TRUE(middleSizes.empty());
        }
    }
    EXPECT_EQ(nullptr, CWnd::GetCapture());
}

TEST_F(SplitterTest, DeletingTheSplittersLeavesHostedWindowsDetachedAndReCreatable)
{
    CWnd hosted[2];
    const CKSTString cls = KstRegisterWndClass(0);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        auto* outer = new CSplitterWnd;
        auto* bottom = new CSplitterWnd;
        ASSERT_TRUE(outer->CreateStatic(&m_parent, 2, 1));
        ASSERT_TRUE(outer->CreateView(0, 0, MakePane(), SIZE{400, 100}, nullptr));
        ASSERT_TRUE(bottom->CreateStatic(outer, 1, 2, WS_CHILD | WS_VISIBLE | WS_BORDER,
                                         outer->IdFromRowCol(1, 0)));
        ASSERT_TRUE(bottom->CreateView(0, 0, MakePane(), SIZE{100, 100}, nullptr));
        ASSERT_TRUE(bottom->CreateView(0, 1, MakePane(), SIZE{100, 100}, nullptr));
        CWnd* panes[2] = {outer->GetPane(0, 0), bottom->GetPane(0, 1)};
        for (int i = 0; i < 2; ++i) {
            ASSERT_EQ(nullptr, hosted[i].m_hWnd);
            ASSERT_TRUE(hosted[i].CreateEx(0, cls.c_str(), "hosted", WS_CHILD | WS_VISIBLE,
                                           RECT{0, 0, 10, 10}, panes[i], 1));
        }
        HWND paneWindow = panes[0]->m_hWnd;
        // Nested first, as the record window does; then the outer one takes the rest.
        delete bottom;
        EXPECT_EQ(nullptr, hosted[1].m_hWnd);
        EXPECT_NE(nullptr, hosted[0].m_hWnd);
        delete outer;
        EXPECT_EQ(nullptr, hosted[0].m_hWnd);
        EXPECT_FALSE(IsWindow(paneWindow));
        EXPECT_EQ(nullptr, GetWindow(m_parent.m_hWnd, GW_CHILD));
    }
}

TEST_F(SplitterTest, CreationRejectsBadGridsAndParents)
{
    CSplitterWnd splitter;
    EXPECT_FALSE(splitter.CreateStatic(&m_parent, 0, 1));
    EXPECT_FALSE(splitter.CreateStatic(&m_parent, 1, 17));
    CWnd none;
    EXPECT_FALSE(splitter.CreateStatic(&none, 1, 1));
    EXPECT_FALSE(splitter.CreateView(0, 0, MakePane(), SIZE{1, 1}, nullptr));
    ASSERT_TRUE(splitter.CreateStatic(&m_parent, 1, 1));
    EXPECT_FALSE(splitter.CreateView(0, 1, MakePane(), SIZE{1, 1}, nullptr));
}

}  // namespace
