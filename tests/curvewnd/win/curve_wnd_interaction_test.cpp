// The curve window driven by mouse, key and scroll messages sent to a real window: measuring
// cursors, the rubber band and its interruptions, the press priorities, group boundary drags,
// scrolling by keys and wheel, double-click editing, and the popup menu with its thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "../recording_curve_wnd.h"
#include "curvewnd/CurveDialogMappings.h"
#include "curvewnd/win/CurveEditDialogs.h"
#include "curvewnd/win/CurveWnd.h"
#include "curvewnd/win/CurveWndDialogs.h"
#include "curvewnd/win/PopupMenuThread.h"
#include "framework/framework_test_support.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "support/win/DialogScript.h"
#include "support/win/MessageBoxScript.h"

namespace {

// Messages a subscriber or a command target received.
struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Seen> g_seen;

LRESULT CALLBACK SeenProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_APP || message == WM_COMMAND) {
        g_seen.push_back(Seen{message, wParam, lParam});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeListener()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA cls = {};
        cls.lpfnWndProc = SeenProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "KstTestInteractionListener";
        RegisterClassA(&cls);
        registered = true;
    }
    return CreateWindowA("KstTestInteractionListener", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

int CountSeen(UINT message)
{
    int count = 0;
    for (const Seen& seen : g_seen) {
        count += seen.message == message ? 1 : 0;
    }
    return count;
}

// A table that records the cursor ranges it was given.
class FakeTable : public IKSTCurveWndTable {
public:
    explicit FakeTable(std::vector<std::vector<int32_t>>* ranges) : m_ranges(ranges) {}
    bool IsShown() const override { return true; }
    void Refresh() override {}
    void SetCursorRange(int32_t c1, int32_t c2, bool reset, bool clear) override
    {
        m_ranges->push_back({c1, c2, reset ? 1 : 0, clear ? 1 : 0});
    }

private:
    std::vector<std::vector<int32_t>>* m_ranges;
};

// Dialogs that only record that they were asked for.
class FakeDialogs : public IKSTCurveWndDialogs, public IKSTCurveEditDialogs {
public:
    int ClipboardSize(CKSTCurveWnd&, double&, double&) override { return Note("clipboard"); }
    int BarSettings(CKSTCurveWnd&) override { return Note("bar"); }
    int MeterSettings(CKSTCurveWnd&) override { return Note("meter"); }
    int OptionsSheet(CKSTCurveWnd&) override { return Note("options"); }
    std::unique_ptr<IKSTCurveWndTable> OpenValueTable(CKSTCurveWnd&) override
    {
        Note("value table");
        return std::make_unique<FakeTable>(&ranges);
    }
    std::unique_ptr<IKSTCurveWndTable> OpenDiffMeasure(CKSTCurveWnd&) override
    {
        Note("diff table");
        return std::make_unique<FakeTable>(&ranges);
    }
    int XAxisSettings(CKSTCurveWnd&) override { return Note("x axis"); }
    int YAxisSettings(CKSTCurveWnd&, CKSTYAxis&) override { return Note("y axis"); }
    int CurveDisplay(CKSTCurveWnd&, CKSTCurve&) override { return Note("curve"); }
    int Marker(CKSTCurveWnd&, CKSTPlotMarker* marker) override
    {
        return Note(marker ? "marker" : "new marker");
    }
    int Limit(CKSTCurveWnd&, CKSTLimitLine* line) override
    {
        return Note(line ? "limit" : "new limit");
    }

    int Note(const char* what)
    {
        asked.push_back(what);
        return IDCANCEL;
    }
    std::vector<std::string> asked;
    std::vector<std::vector<int32_t>> ranges;
};

class CurveWndInteractionTest : public kst_test::FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        g_seen.clear();
        KstOleInit();
        KstSetCurveWndDialogs(&dialogs);
        KstSetCurveEditDialogs(&dialogs);
        KstSeams().getAsyncKeyState = [this](int key) -> SHORT {
            return key == VK_LBUTTON && leftHeld ? static_cast<SHORT>(0x8000) : 0;
        };
        // Real mouse moves over the window would mix with the ones the tests send.
        SetCursorPos(1, 1);
        const CKSTString name = KstRegisterWndClass(0, nullptr, GetSysColorBrush(COLOR_WINDOW));
        ASSERT_TRUE(host.CreateEx(0, name.c_str(), "Host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                  40, 40, 660, 460, nullptr, nullptr));
        ASSERT_TRUE(window.Create("Curves", WS_VISIBLE, RECT{0, 0, 600, 400}, &host));
        window.AddChannel(pool.Add("u1", "V", 200, [](uint32_t i) { return (i % 50) * 0.1; }), 2,
                          2);
        window.AddChannel(pool.Add("i1", "A", 200, [](uint32_t i) { return i * 0.01; }), 2, 2);
        window.RecalcLayout();
        listener = MakeListener();
        ASSERT_NE(listener, nullptr);
    }
    void TearDown() override
    {
        ::ClipCursor(nullptr);
        window.ReleaseResources();
        DestroyWindow(listener);
        host.DestroyWindow();
        KstSetCurveWndDialogs(nullptr);
        KstSetCurveEditDialogs(nullptr);
        KstResetPopupMenuSources();
        FrameworkTest::TearDown();
    }

    void Mouse(UINT message, int32_t x, int32_t y, WPARAM keys = 0)
    {
        window.SendMessage(message, keys, MAKELPARAM(x, y));
    }
    // Press, move and release as a user would.
    void Drag(POINT from, POINT to)
    {
        leftHeld = true;
        Mouse(WM_LBUTTONDOWN, from.x, from.y, MK_LBUTTON);
        Mouse(WM_MOUSEMOVE, (from.x + to.x) / 2, (from.y + to.y) / 2, MK_LBUTTON);
        Mouse(WM_MOUSEMOVE, to.x, to.y, MK_LBUTTON);
        leftHeld = false;
        Mouse(WM_LBUTTONUP, to.x, to.y);
    }
    RECT Plot(int group = 0) { return window.GetGroup(group)->GetCurve(0)->GetRect(); }
    POINT InPlot(int32_t dx, int32_t dy, int group = 0)
    {
        return POINT{Plot(group).left + dx, Plot(group).top + dy};
    }
    CKSTCurveWndCore::InteractionState& State() { return window.Interaction(); }
    bool FindLegendEntry(POINT& found)
    {
        const RECT legend = window.GetLegend().GetRect();
        for (int32_t y = legend.top; y < legend.bottom; ++y) {
            for (int32_t x = legend.left; x < legend.right; x += 2) {
                if (window.HitTestLegend(POINT{x, y}) != nullptr) {
                    found = POINT{x, y};
                    return true;
                }
            }
        }
        return false;
    }
    bool FindBorder(POINT& found)
    {
        const RECT first = window.GetGroup(0)->GetRect();
        const int32_t x = (first.left + first.right) / 2;
        for (int32_t y = first.bottom - 3; y <= first.bottom + 3; ++y) {
            if (window.HitTestGroupBorder(POINT{x, y}) == 0) {
                found = POINT{x, y};
                return true;
            }
        }
        return false;
    }

    FakeDialogs dialogs;
    ChannelPool pool;
    CWnd host;
    CKSTCurveWnd window;
    HWND listener = nullptr;
    bool leftHeld = false;
};

TEST_F(CurveWndInteractionTest, DifferentialCursorsStartAtOneAndTwoThirdsAndAreDrawnInverted)
{
    const RECT band = NormalizeRect(window.GetXAxis().GetRect());
    const int32_t span = band.right - band.left;
    const POINT probe = InPlot(0, 20);
    const int32_t first = band.left + span / 3;
    uint32_t before = 0;
    ASSERT_TRUE(window.GetPlotPixel(first, probe.y, before));

    window.StartDifferentialMeasure(POINT{200, probe.y}, true);
    EXPECT_TRUE(window.IsDifferentialMeasure());
    EXPECT_EQ(State().cursor1X, first);
    EXPECT_EQ(State().cursor2X, band.left + (2 * span) / 3);
    EXPECT_EQ(State().cursor2Y, State().cursor1Y + 10);
    EXPECT_EQ(dialogs.asked, std::vector<std::string>{"diff table"});
    ASSERT_FALSE(dialogs.ranges.empty());
    EXPECT_EQ(dialogs.ranges[0], (std::vector<int32_t>{State().cursor1X, State().cursor2X, 1, 1}));
    uint32_t drawn = 0;
    ASSERT_TRUE(window.GetPlotPixel(first, probe.y, drawn));
    EXPECT_EQ(drawn, ~before & 0xFFFFFF);

    window.Subscribe(CKSTCurveWndCore::kEventMeasureEnded, WM_APP + 14, listener);
    window.EndMeasure();
    uint32_t after = 0;
    ASSERT_TRUE(window.GetPlotPixel(first, probe.y, after));
    EXPECT_EQ(after, before);
    EXPECT_EQ(window.GetLeftCursorPixel(), -1);
    kst_test::PumpUntil([] { return CountSeen(WM_APP + 14) > 0; });
    EXPECT_EQ(CountSeen(WM_APP + 14), 1);
}

TEST_F(CurveWndInteractionTest, SimpleCursorFollowsTheMouseUntilFrozen)
{
    window.Subscribe(CKSTCurveWndCore::kEventCursorMoved, WM_APP + 13, listener);
    window.StartSimpleMeasure(InPlot(50, 20));
    ASSERT_TRUE(window.IsSimpleMeasure());
    Mouse(WM_MOUSEMOVE, InPlot(80, 30).x, InPlot(80, 30).y);
    EXPECT_EQ(State().cursor1X, InPlot(80, 30).x);
    EXPECT_EQ(State().cursor1Y, InPlot(80, 30).y);
    EXPECT_EQ(window.GetLeftCursorPixel(), InPlot(80, 30).x);
    kst_test::PumpUntil([] { return CountSeen(WM_APP + 13) > 0; });
    EXPECT_EQ(CountSeen(WM_APP + 13), 1);

    // Moving by value; ignored while the cursors are hidden.
    const double value = window.GetXAxis().PixelToValue(InPlot(120, 0).x);
    window.SetLeftCursorValue(value);
    EXPECT_EQ(State().cursor1X, window.GetXAxis().ValueToPixel(value));
    window.HideCursors();
    window.SetLeftCursorValue(window.GetXAxis().PixelToValue(InPlot(10, 0).x));
    EXPECT_EQ(State().cursor1X, window.GetXAxis().ValueToPixel(value));
    window.ShowCursors();

    // An extra command freezes the cursor.
    window.AddMenuCommand("Extra", 50010, listener);
    window.SendMessage(WM_COMMAND, 50010, 0);
    EXPECT_EQ(State().cursorFrozen, 1);
    const int32_t frozen = State().cursor1X;
    Mouse(WM_MOUSEMOVE, InPlot(200, 30).x, InPlot(200, 30).y);
    EXPECT_EQ(State().cursor1X, frozen);
    window.EndMeasure();
    EXPECT_EQ(State().cursorFrozen, 0);
}

TEST_F(CurveWndInteractionTest, BarDisplaysStartNoBandOrDrag)
{
    window.SetDisplayKind(CKSTCurveWndCore::kDisplayBar, 0, "");
    window.RecalcLayout();
    const RECT client = {0, 0, 600, 400};
    leftHeld = true;
    Mouse(WM_LBUTTONDOWN, (client.right) / 2, client.bottom / 2, MK_LBUTTON);
    EXPECT_EQ(State().rubberBand, 0);
    EXPECT_EQ(State().resizeGroup, -1);
    leftHeld = false;
    Mouse(WM_LBUTTONUP, client.right / 2 + 40, client.bottom / 2 + 40);
    EXPECT_EQ(State().zoomDepth, 0);
}

TEST_F(CurveWndInteractionTest, PageKeysScrollTheFirstGroupsZoomedAxes)
{
    // A band across the whole X band zooms only the group's Y axes.
    const RECT x = NormalizeRect(window.GetXAxis().GetRect());
    const POINT top = InPlot(0, 20);
    ASSERT_TRUE(window.ZoomToRect(RECT{x.left - 5, top.y, x.right + 5, top.y + 30}));
    EXPECT_EQ(window.GetXAxis().GetPreviousState(), nullptr);
    EXPECT_EQ(State().zoomDepth, 1);
    CKSTAxisGroup& group = *window.GetGroup(window.GetFirstShownGroup());
    ASSERT_NE(group.GetScrollBar(), nullptr);
    const CKSTYAxis& axis = *group.GetAxis(0);
    const double minimum = axis.GetMinimum();
    const double span = axis.GetMaximum() - minimum;
    window.SendMessage(WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_NEAR(axis.GetMinimum(), std::max(minimum - span, axis.GetRangeMin()), 1e-9);
    EXPECT_NEAR(axis.GetMaximum() - axis.GetMinimum(), span, 1e-9);
    const double afterPage = axis.GetMinimum();
    window.SendMessage(WM_KEYDOWN, VK_UP, 0);
    EXPECT_NEAR(axis.GetMinimum(), afterPage + span * 0.02, 1e-9);
}

TEST_F(CurveWndInteractionTest, CursorsSurviveARedrawOutsideTheirBracket)
{
    const POINT at = InPlot(60, 25);
    window.StartSimpleMeasure(at);
    // A look change lays the window out again without erasing the cursor first.
    window.SetGridColor(0x00FF00, true);
    window.EndMeasure();
    uint32_t ended = 0;
    ASSERT_TRUE(window.GetPlotPixel(at.x, at.y, ended));
    window.RecalcLayout();
    uint32_t fresh = 0;
    ASSERT_TRUE(window.GetPlotPixel(at.x, at.y, fresh));
    EXPECT_EQ(ended, fresh);
}

TEST_F(CurveWndInteractionTest, SubscribersOfPressDragAndReleaseTakeTheMouse)
{
    window.Subscribe(CKSTCurveWndCore::kEventDrag, WM_APP + 4, listener);
    window.Subscribe(CKSTCurveWndCore::kEventLeftUp, WM_APP + 2, listener);
    const POINT from = InPlot(100, 20);
    Mouse(WM_LBUTTONDOWN, from.x, from.y, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, from.x + 5, from.y + 5, MK_LBUTTON);  // only stores the reference
    Mouse(WM_MOUSEMOVE, from.x + 12, from.y + 2, MK_LBUTTON);
    ASSERT_EQ(CountSeen(WM_APP + 4), 1);
    EXPECT_EQ(LOWORD(g_seen.back().lParam), 7);
    EXPECT_EQ(static_cast<int16_t>(HIWORD(g_seen.back().lParam)), -3);
    Mouse(WM_LBUTTONUP, from.x + 12, from.y + 2);
    EXPECT_EQ(CountSeen(WM_APP + 2), 1);
    // The band the press started ends without zooming, and the mouse is free again.
    EXPECT_EQ(State().rubberBand, 0);
    EXPECT_EQ(State().zoomDepth, 0);

    // Event 0 takes the press: no band starts.
    window.Subscribe(CKSTCurveWndCore::kEventLeftDown, WM_APP + 0, listener);
    Mouse(WM_LBUTTONDOWN, from.x, from.y, MK_LBUTTON);
    EXPECT_EQ(CountSeen(WM_APP + 0), 1);
    EXPECT_EQ(State().rubberBand, 0);
}

TEST_F(CurveWndInteractionTest, GroupScrollBarPagesTheGroups)
{
    for (const char* unit : {"W", "Hz", "m", "s", "K", "N", "Pa", "J", "C", "T"}) {
        window.AddChannel(pool.Add(unit, unit), 2, 2);
    }
    window.RecalcLayout();
    HWND bar = nullptr;
    for (HWND child = FindWindowExA(window.GetSafeHwnd(), nullptr, "ScrollBar", nullptr);
         child != nullptr;
         child = FindWindowExA(window.GetSafeHwnd(), child, "ScrollBar", nullptr)) {
        if (GetDlgCtrlID(child) == 0 && (GetWindowLongA(child, GWL_STYLE) & SBS_VERT) != 0) {
            bar = child;
        }
    }
    ASSERT_NE(bar, nullptr) << "all groups fit";
    const int lastBefore = window.GetLastShownGroup();
    window.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), reinterpret_cast<LPARAM>(bar));
    EXPECT_GT(window.GetFirstShownGroup(), 0);
    EXPECT_LE(window.GetLastShownGroup(), 11);
    EXPECT_GT(window.GetLastShownGroup(), lastBefore);
    window.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(window.GetFirstShownGroup(), 0);
}

TEST_F(CurveWndInteractionTest, PressPriorityCursorLegendBorderRubberBand)
{
    window.StartDifferentialMeasure(POINT{100, 100}, false);
    const int32_t c2 = State().cursor2X;
    const int32_t y = InPlot(0, 20).y;

    // Exactly 10 pixels from cursor 2 drags it; the drag follows the mouse.
    Mouse(WM_LBUTTONDOWN, c2 - 10, y, MK_LBUTTON);
    EXPECT_EQ(State().dragging2, 1);
    EXPECT_EQ(State().rubberBand, 0);
    Mouse(WM_MOUSEMOVE, c2 - 30, y + 5, MK_LBUTTON);
    EXPECT_EQ(State().cursor2X, c2 - 30);
    EXPECT_EQ(State().cursor2Y, y + 5);
    Mouse(WM_LBUTTONUP, c2 - 30, y + 5);
    EXPECT_EQ(State().dragging2, 0);
    EXPECT_EQ(State().cursor2X, c2 - 30);

    // 11 pixels away starts a rubber band.
    const int32_t moved = State().cursor2X;
    leftHeld = true;
    Mouse(WM_LBUTTONDOWN, moved + 11, y, MK_LBUTTON);
    EXPECT_EQ(State().dragging1 + State().dragging2, 0);
    EXPECT_EQ(State().rubberBand, 1);
    leftHeld = false;
    Mouse(WM_LBUTTONUP, moved + 11, y);
    EXPECT_EQ(State().rubberBand, 0);
    EXPECT_EQ(State().zoomDepth, 0);  // a click without moving zooms nothing
    window.EndMeasure();

    POINT legend = {0, 0};
    ASSERT_TRUE(FindLegendEntry(legend));
    Mouse(WM_LBUTTONDOWN, legend.x, legend.y, MK_LBUTTON);
    EXPECT_EQ(State().rubberBand, 0);
    EXPECT_EQ(State().resizeGroup, -1);
    Mouse(WM_LBUTTONUP, legend.x, legend.y);  // hides the curve
    Mouse(WM_LBUTTONDOWN, legend.x, legend.y, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, legend.x, legend.y);  // and shows it again

    POINT border = {0, 0};
    // Hiding the first group's only curve scrolled the group list to the second group; back
    // to the first.
    window.ScrollGroups(SB_LINEUP, 0);
    ASSERT_TRUE(FindBorder(border));
    Mouse(WM_LBUTTONDOWN, border.x, border.y, MK_LBUTTON);
    EXPECT_EQ(State().resizeGroup, 0);
    EXPECT_EQ(State().rubberBand, 0);
    Mouse(WM_LBUTTONUP, border.x, border.y);
    EXPECT_EQ(State().resizeGroup, -1);
}

TEST_F(CurveWndInteractionTest, LegendClicksToggleTheCurve)
{
    POINT legend = {0, 0};
    ASSERT_TRUE(FindLegendEntry(legend));
    CKSTCurve* curve = window.HitTestLegend(legend);
    ASSERT_NE(curve, nullptr);
    ASSERT_EQ(curve->GetCurveKind(), CKSTCurve::kKindShown);
    Mouse(WM_LBUTTONDOWN, legend.x, legend.y, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, legend.x, legend.y);
    EXPECT_EQ(curve->GetCurveKind(), CKSTCurve::kKindHidden);
    ASSERT_EQ(window.HitTestLegend(legend), curve);
    Mouse(WM_LBUTTONDOWN, legend.x, legend.y, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, legend.x, legend.y);
    EXPECT_EQ(curve->GetCurveKind(), CKSTCurve::kKindShown);
}

TEST_F(CurveWndInteractionTest, RubberBandZoomsOnReleaseAndPostsEvent14)
{
    window.Subscribe(CKSTCurveWndCore::kEventMeasureEnded, WM_APP + 14, listener);
    const POINT from = InPlot(100, 10);
    const POINT to = InPlot(103, 13);  // a 3 x 3 band zooms too
    const double x1 = window.GetXAxis().PixelToValue(from.x);
    Drag(from, to);
    EXPECT_EQ(State().zoomDepth, 1);
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMinimum(), x1);
    EXPECT_NE(window.GetXAxis().GetPreviousState(), nullptr);
    kst_test::PumpUntil([] { return CountSeen(WM_APP + 14) > 0; });
    EXPECT_EQ(CountSeen(WM_APP + 14), 1);
}

TEST_F(CurveWndInteractionTest, BandEndedByAMoveWithoutTheButton)
{
    struct Case {
        int32_t dx, dy;
        bool zooms;
    };
    const Case cases[] = {{9, 9, false}, {10, 2, true}, {2, 12, true}};
    for (const Case& c : cases) {
        window.Rezoom(0);
        const POINT from = InPlot(150, 20);
        leftHeld = true;
        Mouse(WM_LBUTTONDOWN, from.x, from.y, MK_LBUTTON);
        ASSERT_EQ(State().rubberBand, 1);
        leftHeld = false;  // released outside the window
        Mouse(WM_MOUSEMOVE, from.x + c.dx, from.y + c.dy);
        EXPECT_EQ(State().rubberBand, 0);
        EXPECT_EQ(State().zoomDepth, c.zooms ? 1 : 0) << c.dx << " x " << c.dy;
        Mouse(WM_LBUTTONUP, from.x + c.dx, from.y + c.dy);
        EXPECT_EQ(State().zoomDepth, c.zooms ? 1 : 0) << c.dx << " x " << c.dy;
    }
}

TEST_F(CurveWndInteractionTest, AnInterruptedBandFreesTheMouse)
{
    RECT screen = {0, 0, 0, 0};
    ::GetWindowRect(window.GetSafeHwnd(), &screen);
    for (UINT interruption : {WM_CANCELMODE, WM_CAPTURECHANGED, WM_KILLFOCUS}) {
        const POINT from = InPlot(100, 20);
        leftHeld = true;
        Mouse(WM_LBUTTONDOWN, from.x, from.y, MK_LBUTTON);
        Mouse(WM_MOUSEMOVE, from.x + 40, from.y + 30, MK_LBUTTON);
        ASSERT_EQ(State().rubberBand, 1);
        RECT clip = {0, 0, 0, 0};
        ::GetClipCursor(&clip);
        EXPECT_TRUE(EqualRect(&clip, &screen)) << interruption;
        window.SendMessage(interruption, 0, 0);
        leftHeld = false;
        EXPECT_EQ(State().rubberBand, 0) << interruption;
        ::GetClipCursor(&clip);
        EXPECT_FALSE(EqualRect(&clip, &screen)) << interruption;
        EXPECT_EQ(State().cursorsHidden, 0) << interruption;
        // The release that may still come zooms nothing.
        Mouse(WM_LBUTTONUP, from.x + 40, from.y + 30);
        EXPECT_EQ(State().zoomDepth, 0) << interruption;
    }
}

TEST_F(CurveWndInteractionTest, TooDeepAZoomShowsTheMessageOnceAndChangesNothing)
{
    CKSTMessageBoxScript boxes;
    ASSERT_TRUE(window.ZoomX(0.0, 2.0e-7));
    const CKSTYAxis& axis = *window.GetGroup(0)->GetAxis(0);
    const double yMax = axis.GetMaximum();
    Drag(InPlot(100, 20), InPlot(110, 60));
    ASSERT_EQ(boxes.ShownIds(), std::vector<UINT>{KST_STR_CW_ZOOM_LIMIT});
    EXPECT_EQ(State().zoomDepth, 1);
    EXPECT_EQ(axis.GetPreviousState(), nullptr);
    EXPECT_DOUBLE_EQ(axis.GetMaximum(), yMax);
    EXPECT_EQ(boxes.Shown()[0].text, window.IsEnglish() ? "Maximum zoom resolution reached!"
                                                        : "Maximale Zoom-Aufl\366sung erreicht!");
}

TEST_F(CurveWndInteractionTest, BoundaryDragResizesTheGroups)
{
    POINT border = {0, 0};
    ASSERT_TRUE(FindBorder(border));
    const RECT before = window.GetGroup(0)->GetRect();
    leftHeld = true;
    Mouse(WM_LBUTTONDOWN, border.x, border.y, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, border.x, border.y + 30, MK_LBUTTON);
    leftHeld = false;
    Mouse(WM_LBUTTONUP, border.x, border.y + 30);
    EXPECT_EQ(State().resizeGroup, -1);
    EXPECT_GT(window.GetGroup(0)->GetWeight(), 1.0);
    EXPECT_NEAR(window.GetGroup(0)->GetWeight() + window.GetGroup(1)->GetWeight(), 2.0, 1e-9);
    EXPECT_GT(window.GetGroup(0)->GetRect().bottom, before.bottom);
    EXPECT_NEAR(window.GetGroup(0)->GetRect().bottom, border.y + 30, 2);

    // "Equal Height for all Y-Axes" and then another drag: still summing to the count.
    window.SendMessage(WM_COMMAND, kKstCmdEqualHeight, 0);
    EXPECT_DOUBLE_EQ(window.GetGroup(0)->GetWeight(), 1.0);
    ASSERT_TRUE(FindBorder(border));
    Mouse(WM_LBUTTONDOWN, border.x, border.y, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, border.x, border.y - 40);
    EXPECT_LT(window.GetGroup(0)->GetWeight(), 1.0);
    EXPECT_NEAR(window.GetGroup(0)->GetWeight() + window.GetGroup(1)->GetWeight(), 2.0, 1e-9);
}

TEST_F(CurveWndInteractionTest, KeysAndWheelScrollTheZoomedRange)
{
    window.Subscribe(CKSTCurveWndCore::kEventKey, WM_APP + 7, listener);
    window.SendMessage(WM_KEYDOWN, VK_END, 0);  // not zoomed: nothing to scroll
    ASSERT_TRUE(window.ZoomX(50.0, 70.0));
    const CKSTXAxis& axis = window.GetXAxis();
    const double rootMin = axis.GetRootMinimum();
    const double rootMax = axis.GetRootMaximum();
    window.SendMessage(WM_KEYDOWN, VK_END, 0);
    EXPECT_DOUBLE_EQ(axis.GetMinimum(), rootMax - 20.0);
    window.SendMessage(WM_KEYDOWN, VK_HOME, 0);
    EXPECT_DOUBLE_EQ(axis.GetMinimum(), rootMin);
    window.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_NEAR(axis.GetMinimum(), rootMin + 0.4, 1e-9);
    window.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_NEAR(axis.GetMinimum(), rootMin + 2.4, 1e-9);
    window.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_NEAR(axis.GetMinimum(), rootMin + 0.4, 1e-9);
    window.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 500), 0);
    EXPECT_NEAR(axis.GetMinimum(), rootMin + (rootMax - rootMin) * 0.5, 1e-9);

    window.SendMessage(WM_KEYDOWN, 'A', MAKELPARAM(1, 0));
    kst_test::PumpUntil([] { return CountSeen(WM_APP + 7) > 0; });
    ASSERT_EQ(CountSeen(WM_APP + 7), 1);
    EXPECT_EQ(g_seen.back().wParam, static_cast<WPARAM>('A'));
}

TEST_F(CurveWndInteractionTest, DoubleClicksOpenTheDialogOfWhatIsUnderTheMouse)
{
    const RECT x = NormalizeRect(window.GetXAxis().GetRect());
    Mouse(WM_LBUTTONDBLCLK, (x.left + x.right) / 2, (x.top + x.bottom) / 2);
    CKSTCurve* curve = window.GetGroup(0)->GetCurve(0);
    const CKSTYAxis* yAxis = curve->GetYAxis();
    const RECT yRect = NormalizeRect(yAxis->GetRect());
    Mouse(WM_LBUTTONDBLCLK, (yRect.left + yRect.right) / 2, (yRect.top + yRect.bottom) / 2);
    // A point on the curve: its value at a column of the plot.
    const RECT plot = Plot();
    int32_t hitY = -1;
    const int32_t hitX = plot.left + 50;
    for (int32_t y = plot.top; y < plot.bottom && hitY < 0; ++y) {
        if (window.GetGroup(0)->HitTestCurve(POINT{hitX, y}) != nullptr) {
            hitY = y;
        }
    }
    ASSERT_GE(hitY, 0);
    Mouse(WM_LBUTTONDBLCLK, hitX, hitY);
    EXPECT_EQ(dialogs.asked, (std::vector<std::string>{"x axis", "y axis", "curve"}));

    window.Subscribe(CKSTCurveWndCore::kEventDoubleClick, WM_APP + 3, listener);
    Mouse(WM_LBUTTONDBLCLK, hitX, hitY);
    EXPECT_EQ(dialogs.asked.size(), 3u);
    EXPECT_EQ(CountSeen(WM_APP + 3), 1);
}

// Without an installed factory the window runs its own dialogs, and what they confirm reaches
// the window.
TEST_F(CurveWndInteractionTest, OwnEditDialogsChangeTheWindow)
{
    KstSetCurveEditDialogs(nullptr);
    CKSTMessageBoxScript boxes;

    CKSTYAxis* axis = window.GetGroup(0)->GetCurve(0)->GetYAxis();
    const RECT yRect = NormalizeRect(axis->GetRect());
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .Click(IDC_YAXIS_RANGE_MANUAL)
                                 .SetText(IDC_YAXIS_MIN, "1")
                                 .SetText(IDC_YAXIS_MAX, "4")
                                 .Click(IDOK);
    Mouse(WM_LBUTTONDBLCLK, (yRect.left + yRect.right) / 2, (yRect.top + yRect.bottom) / 2);
    EXPECT_FALSE(axis->IsAutoRange());
    EXPECT_DOUBLE_EQ(axis->GetMinimum(), 1.0);
    EXPECT_DOUBLE_EQ(axis->GetMaximum(), 4.0);
    EXPECT_TRUE(window.IsModified());

    // The X axis dialog from the menu command: the axis type, and a display kind with the
    // X channel found by its name.
    const struct {
        int entry;
        uint32_t kind;
        uint32_t type;
        const char* xChannel;
    } cases[] = {
        {kKstXTypeRelativeTime, 0, CKSTXAxis::kTypeRelativeTime, nullptr},
        {kKstXTypeChannelAsAxis, 3, CKSTXAxis::kTypeStandard, "i1"},
    };
    for (const auto& c : cases) {
        KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                     .Select(IDC_XAXIS_TYPE, c.entry)
                                     .Select(IDC_XAXIS_CHANNEL, 1)
                                     .Click(IDOK);
        window.SendMessage(WM_COMMAND, kKstCmdEditXAxis, 0);
        EXPECT_EQ(window.GetDisplayKind(), c.kind) << c.entry;
        EXPECT_EQ(window.GetXAxis().GetType(), c.type) << c.entry;
        if (c.xChannel != nullptr) {
            ASSERT_NE(window.GetXChannel(), nullptr) << c.entry;
            EXPECT_STREQ(window.GetXChannel()->GetName().c_str(), c.xChannel);
        }
    }
    EXPECT_TRUE(boxes.ShownIds().empty());
    EXPECT_TRUE(dialogs.asked.empty());
}

// --- Popup menu ---

struct MenuItem {
    UINT id;
    std::string text;
    bool checked;
    bool greyed;
};

std::vector<MenuItem> Items(HMENU menu)
{
    std::vector<MenuItem> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_FTYPE | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        items.push_back(MenuItem{(info.fType & MFT_SEPARATOR) ? 0u : info.wID, text,
                                 (info.fState & MFS_CHECKED) != 0,
                                 (info.fState & MFS_GRAYED) != 0});
        if (info.hSubMenu != nullptr) {
            for (const MenuItem& sub : Items(info.hSubMenu)) {
                items.push_back(sub);
            }
        }
    }
    return items;
}

const MenuItem* Find(const std::vector<MenuItem>& items, UINT id)
{
    for (const MenuItem& item : items) {
        if (item.id == id) {
            return &item;
        }
    }
    return nullptr;
}

class PopupMenuTest : public kst_test::FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        // Texts that show their id and language, and no menu resource: the built layout.
        KstPopupMenuSources().loadMenu = [](UINT id, HMODULE) {
            return KstBuildCurvePopupLayout(id);
        };
        KstPopupMenuSources().loadText = [](int id, bool english, HMODULE) {
            return CKSTString(
                ((english ? "E" : "G") + std::to_string(english ? id + 1000 : id)).c_str());
        };
    }
    void TearDown() override
    {
        KstResetPopupMenuSources();
        FrameworkTest::TearDown();
    }
};

TEST_F(PopupMenuTest, ItemStatesOverZoomStateMeasureModeAndDisplayKind)
{
    struct Case {
        uint32_t kind;
        uint32_t measure;
        bool zoomed, rangeWindow, rangeTemplate;
        uint32_t rootMode;
        bool simpleChecked, diffChecked, totalGrey, stepGrey, xRangeGrey;
    };
    const Case cases[] = {
        {0, 0, false, false, false, 0, false, false, true, true, true},
        {0, 1, false, false, true, 1, true, false, false, true, false},
        {0, 2, true, false, false, 0, false, true, false, false, true},
        {1, 0, true, false, true, 0, false, false, false, false, false},
        {3, 1, true, true, true, 2, true, false, false, true, true},
    };
    for (bool english : {false, true}) {
        for (const Case& c : cases) {
            KstPopupSnapshot snapshot;
            snapshot.english = english;
            snapshot.displayKind = c.kind;
            snapshot.measureMode = c.measure;
            snapshot.zoomed = c.zoomed;
            snapshot.rangeWindow = c.rangeWindow;
            snapshot.hasRangeTemplate = c.rangeTemplate;
            snapshot.rootRangeMode = c.rootMode;
            HMENU menu = KstBuildCurvePopupMenu(snapshot);
            ASSERT_NE(menu, nullptr);
            const std::vector<MenuItem> items = Items(GetSubMenu(menu, 0));
            DestroyMenu(menu);
            const std::string at = std::to_string(c.kind) + "/" + std::to_string(c.measure);
            ASSERT_NE(Find(items, kKstCmdSimpleMeasure), nullptr) << at;
            EXPECT_EQ(Find(items, kKstCmdSimpleMeasure)->checked, c.simpleChecked) << at;
            EXPECT_EQ(Find(items, kKstCmdDiffMeasure)->checked, c.diffChecked) << at;
            EXPECT_EQ(Find(items, kKstCmdTotalRezoom)->greyed, c.totalGrey) << at;
            EXPECT_EQ(Find(items, kKstCmdStepRezoom)->greyed, c.stepGrey) << at;
            EXPECT_EQ(Find(items, kKstCmdRezoomXRange)->greyed, c.xRangeGrey) << at;
            EXPECT_EQ(Find(items, kKstCmdSimpleMeasure)->text, english ? "E11002" : "G10002");
            EXPECT_EQ(Find(items, kKstCmdEqualHeight)->text, english ? "E11016" : "G10016");
            EXPECT_EQ(items.size(), 26u) << at;  // 13 items of the menu, 13 in its submenus
        }
    }
}

TEST_F(PopupMenuTest, BarAndPointerMenusHaveTwoItemsAndTheExtraCommands)
{
    for (uint32_t kind : {2u, 4u}) {
        KstPopupSnapshot snapshot;
        snapshot.displayKind = kind;
        snapshot.english = true;
        snapshot.measureMode = 1;
        snapshot.extras = {{"First", 50001}, {"Second", 50002}};
        HMENU menu = KstBuildCurvePopupMenu(snapshot);
        const std::vector<MenuItem> items = Items(GetSubMenu(menu, 0));
        DestroyMenu(menu);
        ASSERT_EQ(items.size(), 5u);
        EXPECT_EQ(items[0].id, kind == 2 ? UINT{kKstCmdBarSettings} : UINT{kKstCmdPointerSettings});
        EXPECT_EQ(items[0].text, "E11339");
        EXPECT_EQ(items[1].id, UINT{kKstCmdCopyToClipboard});
        EXPECT_EQ(items[2].id, 0u);  // separator
        EXPECT_EQ(items[3].text, "First");
        EXPECT_EQ(items[4].id, 50002u);
        for (const MenuItem& item : items) {
            EXPECT_FALSE(item.checked);
        }
    }
}

// The real window with its menu thread; the tracking seam runs on that thread.
class PopupThreadTest : public CurveWndInteractionTest {
protected:
    void SetUp() override
    {
        CurveWndInteractionTest::SetUp();
        KstSeams().trackPopupMenu = [this](HMENU menu, UINT flags, int, int, HWND owner) -> BOOL {
            std::lock_guard<std::mutex> lock(mutex);
            tracked = Items(menu);
            trackFlags = flags;
            ownerThread = GetWindowThreadProcessId(owner, nullptr);
            return static_cast<BOOL>(choice);
        };
    }
    // Right-click and wait until the command came back.
    void RightClick()
    {
        window.SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(100, 100));
        ASSERT_TRUE(kst_test::PumpUntil([this] { return State().popupOpen == 0; }));
    }
    std::vector<MenuItem> Tracked()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return tracked;
    }

    std::mutex mutex;
    std::vector<MenuItem> tracked;
    UINT trackFlags = 0;
    DWORD ownerThread = 0;
    std::atomic<UINT> choice{0};
};

TEST_F(PopupThreadTest, DismissingSendsIdZeroAndClearsPopupOpen)
{
    RightClick();
    EXPECT_EQ(State().popupOpen, 0);
    {
        std::lock_guard<std::mutex> lock(mutex);
        EXPECT_EQ(trackFlags, UINT{TPM_NONOTIFY | TPM_RETURNCMD});
        EXPECT_NE(ownerThread, GetCurrentThreadId());
    }
    EXPECT_FALSE(Tracked().empty());
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_EQ(State().measureMode, 0u);
}

TEST_F(PopupThreadTest, ChosenCommandRunsOnTheWindow)
{
    choice = kKstCmdSimpleMeasure;
    RightClick();
    EXPECT_TRUE(window.IsSimpleMeasure());
    RightClick();
    const std::vector<MenuItem> items = Tracked();
    ASSERT_NE(Find(items, kKstCmdSimpleMeasure), nullptr);
    EXPECT_TRUE(Find(items, kKstCmdSimpleMeasure)->checked);  // the snapshot saw mode 1
    EXPECT_FALSE(window.IsSimpleMeasure());                   // chosen again: ends measuring

    choice = kKstCmdCreateMarker;
    RightClick();
    EXPECT_EQ(dialogs.asked, std::vector<std::string>{"new marker"});
}

TEST_F(PopupThreadTest, ExtraCommandsReplaceEarlierOnesAndAreForwarded)
{
    window.AddMenuCommand("Delete element", 50001, listener);
    window.AddMenuCommand("Delete element", 50002, listener);
    window.AddMenuCommand("Other", 50003, listener);
    ASSERT_EQ(window.GetMenuCommands().size(), 2u);
    choice = 50002;
    RightClick();
    const std::vector<MenuItem> items = Tracked();
    EXPECT_EQ(Find(items, 50001), nullptr);
    ASSERT_NE(Find(items, 50002), nullptr);
    EXPECT_EQ(items[items.size() - 2].id, 50002u);
    EXPECT_EQ(items.back().id, 50003u);
    ASSERT_EQ(CountSeen(WM_COMMAND), 1);
    EXPECT_EQ(LOWORD(g_seen.back().wParam), 50002);
    EXPECT_EQ(State().cursorFrozen, 1);
    window.RemoveMenuCommand("Other", 0);
    EXPECT_EQ(window.GetMenuCommands().size(), 1u);
}

TEST_F(PopupThreadTest, PointerSettingsDoesWhatTheWindowSettingsDo)
{
    window.SetDisplayKind(CKSTCurveWndCore::kDisplayPointer, 0, "");
    choice = kKstCmdPointerSettings;
    RightClick();
    EXPECT_EQ(dialogs.asked, std::vector<std::string>{"meter"});
    window.SendMessage(WM_COMMAND, kKstCmdCommonOptions, 0);
    EXPECT_EQ(dialogs.asked, (std::vector<std::string>{"meter", "meter"}));
}

TEST_F(PopupThreadTest, Event6SubscriberGetsTheRightClickInsteadOfAMenu)
{
    window.Subscribe(CKSTCurveWndCore::kEventRightUp, WM_APP + 6, listener);
    window.SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(100, 100));
    EXPECT_EQ(State().popupOpen, 0);
    EXPECT_EQ(CountSeen(WM_APP + 6), 1);
    EXPECT_TRUE(Tracked().empty());
}

}  // namespace
