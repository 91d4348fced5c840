// The curve window as a window: creation, its picture, printing and clipboard export, the
// events its subscribers see, the rebuild message, the drop target and the borrowed dialogs.
#include "curvewnd/win/CurveWnd.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "curvewnd/win/CurveWndDialogs.h"
#include "curvewnd/win/CurveWndScrollBar.h"
#include "foundation/Colors.h"
#include "foundation/win/Sync.h"
#include "framework/framework_test_support.h"
#include "resources/StringIds.h"
#include "support/win/MessageBoxScript.h"
#include "../recording_curve_wnd.h"

namespace {

// A window that records the messages it receives, copying what pointers and handles point at
// while the message is being handled.
struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    int32_t point[3];
    std::string text;
};
std::vector<Received> g_received;

LRESULT CALLBACK RecordProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if ((message >= WM_USER && message < 0xC000) || message == WM_MOUSEMOVE ||
        message == WM_LBUTTONUP) {
        Received entry{message, wParam, lParam, {0, 0, 0}, {}};
        if (message == WM_APP + 1 && lParam != 0) {
            std::memcpy(entry.point, reinterpret_cast<const int32_t*>(lParam), sizeof entry.point);
        }
        if (message == WM_USER + 11 && lParam != 0) {
            HGLOBAL text = reinterpret_cast<HGLOBAL>(lParam);
            if (const char* chars = static_cast<const char*>(GlobalLock(text))) {
                entry.text = chars;
                GlobalUnlock(text);
            }
        }
        g_received.push_back(entry);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeRecorder()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA cls = {};
        cls.lpfnWndProc = RecordProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "KstTestEventRecorder";
        RegisterClassA(&cls);
        registered = true;
    }
    return CreateWindowA("KstTestEventRecorder", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

std::vector<UINT> ReceivedMessages()
{
    std::vector<UINT> messages;
    for (const Received& entry : g_received) {
        messages.push_back(entry.message);
    }
    return messages;
}

class CurveWndTest : public kst_test::FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        g_received.clear();
        KstOleInit();
        const CKSTString name = KstRegisterWndClass(0, nullptr, GetSysColorBrush(COLOR_WINDOW));
        ASSERT_TRUE(host.CreateEx(0, name.c_str(), "Host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                  40, 40, 660, 460, nullptr, nullptr));
        ASSERT_TRUE(window.Create("Curves", WS_VISIBLE, RECT{600, 400, 0, 0}, &host));
        window.AddChannel(pool.Add("u1", "V", 200, [](uint32_t i) { return (i % 50) * 0.1; }), 2,
                          2);
        window.AddChannel(pool.Add("i1", "A", 200, [](uint32_t i) { return i * 0.01; }), 2, 2);
        recorder = MakeRecorder();
        ASSERT_NE(recorder, nullptr);
    }
    void TearDown() override
    {
        window.ReleaseResources();
        DestroyWindow(recorder);
        host.DestroyWindow();
        KstSetCurveWndDialogs(nullptr);
        FrameworkTest::TearDown();
    }

    void Pump()
    {
        KstPumpPendingMessages();
    }

    ChannelPool pool;
    CWnd host;
    CKSTCurveWnd window;
    HWND recorder = nullptr;
};

TEST_F(CurveWndTest, CreatesAChildOfItsClassWithAPictureOfTheClientSize)
{
    EXPECT_TRUE(window.IsCreated());
    char className[64] = {};
    GetClassNameA(window.m_hWnd, className, sizeof className);
    EXPECT_STREQ(className, "KSTCurveWndClass");
    EXPECT_NE(GetWindowLongA(window.m_hWnd, GWL_STYLE) & WS_CHILD, 0);
    CKSTRasterImage image;
    ASSERT_EQ(window.CopyToImage(image), 0);
    EXPECT_EQ(image.GetColumns(), 600u);
    EXPECT_EQ(image.GetRows(), 400u);
}

TEST_F(CurveWndTest, PictureShowsEveryCurveInItsColourInsideItsGroup)
{
    for (int i = 0; i < window.GetCurveCount(); ++i) {
        const CKSTCurve& curve = *window.GetCurve(i, true);
        const RECT band = curve.GetRect();
        bool found = false;
        for (int y = band.top; y < band.bottom && !found; ++y) {
            for (int x = band.left; x < band.right && !found; ++x) {
                uint32_t colour = 0;
                found = window.GetPlotPixel(x, y, colour) &&
                        colour == window.GetNearestScreenColor(curve.GetColor());
            }
        }
        EXPECT_TRUE(found) << curve.GetChannelName().c_str();
    }
}

TEST_F(CurveWndTest, LegendIsAsHighAsOneRowOfItsFont)
{
    HDC dc = window.GetDC();
    CKSTDCTextMeasure measure(dc);
    int32_t width = 0;
    int32_t height = 0;
    ASSERT_TRUE(measure.MeasureText(window.Settings().m_LegendFontDesc, "u1", width, height));
    window.ReleaseDC(dc);
    const RECT legend = window.GetLegend().GetRect();
    EXPECT_EQ(legend.bottom - legend.top, 1 + height + 1 + 2);
    EXPECT_EQ(window.GetLegend().GetEntryRects().size(), 2u);
}

TEST_F(CurveWndTest, ClipboardSizeAtFifteenCentimetresOnNinetySixDpi)
{
    const SIZE size = CKSTCurveWnd::ClipboardPixels(15.0, 15.0, 1.0, 96, 96);
    EXPECT_EQ(size.cx, 567);
    EXPECT_EQ(size.cy, 567);
    const SIZE huge = CKSTCurveWnd::ClipboardPixels(1e12, -1e12, 1.0, 96, 96);
    EXPECT_EQ(huge.cx, INT32_MAX);
    EXPECT_EQ(huge.cy, INT32_MIN);
}

TEST_F(CurveWndTest, ExportsLeaveTheWindowPictureAndColoursAsTheyWere)
{
    const uint32_t background = window.Settings().m_BackgroundColor;
    CKSTRasterImage before;
    ASSERT_EQ(window.CopyToImage(before), 0);

    ASSERT_EQ(window.CopyToClipboard(15.0, 15.0, 1.0), 0);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HENHMETAFILE picture = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
    ENHMETAHEADER header = {};
    const bool gotHeader =
        picture != nullptr && GetEnhMetaFileHeader(picture, sizeof header, &header) != 0;
    CloseClipboard();
    ASSERT_TRUE(gotHeader);
    EXPECT_GT(header.nRecords, 10u);

    // Printing into a picture of its own.
    const int side = 300;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, side, -side, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC target = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HBITMAP page = CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(page, nullptr);
    HGDIOBJ old = SelectObject(target, page);
    PatBlt(target, 0, 0, side, side, WHITENESS);
    EXPECT_EQ(window.DrawToDC(target, 0, 0, side, side), 0);
    GdiFlush();
    const uint32_t* pixels = static_cast<const uint32_t*>(bits);
    int drawn = 0;
    for (int i = 0; i < side * side; ++i) {
        drawn += (pixels[i] & 0xFFFFFF) != 0xFFFFFF ? 1 : 0;
    }
    EXPECT_GT(drawn, 100);
    SelectObject(target, old);
    DeleteObject(page);
    DeleteDC(target);

    EXPECT_EQ(window.DrawToDC(nullptr, 0, 0, 10, 10), KST_ERR_GRAPHICS);
    EXPECT_EQ(window.Settings().m_BackgroundColor, background);
    CKSTRasterImage after;
    ASSERT_EQ(window.CopyToImage(after), 0);
    EXPECT_TRUE(after.IsEqual(before));
}

TEST_F(CurveWndTest, PrintsIntoAMetafileDevice)
{
    // A page as the printer seam's test devices record it.
    HDC page = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(page, nullptr);
    const RECT rect = {100, 50, 900, 650};
    EXPECT_EQ(window.DrawToDC(page, rect), 0);
    HENHMETAFILE recorded = CloseEnhMetaFile(page);
    ASSERT_NE(recorded, nullptr);
    ENHMETAHEADER header = {};
    ASSERT_NE(GetEnhMetaFileHeader(recorded, sizeof header, &header), 0u);
    DeleteEnhMetaFile(recorded);
    // The window's picture, scaled into the rectangle.
    EXPECT_GT(header.nRecords, 10u);
    EXPECT_GE(header.rclBounds.left, rect.left - 1);
    EXPECT_LE(header.rclBounds.right, rect.right + 1);
    EXPECT_GT(header.rclBounds.right - header.rclBounds.left, (rect.right - rect.left) / 2);
}

TEST_F(CurveWndTest, SubscribeAllReportsTheElementEventsOnly)
{
    window.SubscribeAll(recorder);
    MoveWindow(window.m_hWnd, 0, 0, 500, 300, TRUE);
    Pump();
    ASSERT_FALSE(g_received.empty());
    EXPECT_EQ(g_received.back().message, static_cast<UINT>(WM_USER + 2));
    EXPECT_EQ(g_received.back().wParam, reinterpret_cast<WPARAM>(window.m_hWnd));
    EXPECT_EQ(g_received.back().lParam, MAKELPARAM(500, 300));

    g_received.clear();
    for (uint32_t event : {1u, 3u, 6u, 7u, 11u, 13u, 14u, 15u, 16u, 17u, 23u}) {
        window.FireSend(event);
        window.FirePost(event);
    }
    window.Refresh();
    Pump();
    EXPECT_TRUE(g_received.empty());

    window.UnsubscribeAll(recorder);
    MoveWindow(window.m_hWnd, 0, 0, 400, 300, TRUE);
    Pump();
    EXPECT_TRUE(g_received.empty());
}

TEST_F(CurveWndTest, EventsArriveSentOrPostedWithTheirParameters)
{
    window.Subscribe(CKSTCurveWndCore::kEventRefreshed, WM_APP + 23, recorder);
    window.Subscribe(CKSTCurveWndCore::kEventRefreshed, WM_APP + 24, recorder);  // replaces
    window.Subscribe(CKSTCurveWndCore::kEventLeftDownAtPoint, WM_APP + 1, recorder);
    window.Subscribe(CKSTCurveWndCore::kEventKey, WM_APP + 7, recorder);

    window.Refresh();
    EXPECT_TRUE(g_received.empty());  // posted: not yet there
    Pump();
    ASSERT_EQ(ReceivedMessages(), std::vector<UINT>{WM_APP + 24});
    EXPECT_EQ(g_received[0].wParam, reinterpret_cast<WPARAM>(window.m_hWnd));

    g_received.clear();
    const RECT second = window.GetGroup(1)->GetRect();
    window.FireSendAtPoint(17, second.top + 2, CKSTCurveWndCore::kEventLeftDownAtPoint);
    ASSERT_EQ(g_received.size(), 1u);  // sent: there at once
    EXPECT_EQ(g_received[0].wParam, 1u);
    EXPECT_EQ(g_received[0].point[0], 17);
    EXPECT_EQ(g_received[0].point[1], second.top + 2);
    EXPECT_EQ(g_received[0].point[2], 1);

    g_received.clear();
    window.FirePostParams(CKSTCurveWndCore::kEventKey, 65, MAKELPARAM(3, 1));
    Pump();
    ASSERT_EQ(g_received.size(), 1u);
    EXPECT_EQ(g_received[0].wParam, 65u);

    g_received.clear();
    window.Subscribe(CKSTCurveWndCore::kEventDestroyed, WM_APP + 11, recorder);
    const HWND handle = window.m_hWnd;
    window.ReleaseResources();
    ASSERT_EQ(ReceivedMessages(), std::vector<UINT>{WM_APP + 11});
    EXPECT_EQ(g_received[0].wParam, reinterpret_cast<WPARAM>(handle));
    EXPECT_FALSE(IsWindow(handle));
}

TEST_F(CurveWndTest, DropsReachTheSubscriberWhoCopiesTheText)
{
    COleDataSource source;
    const char text[] = "CKSTChannelTree u1 i1";
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
    std::memcpy(GlobalLock(memory), text, sizeof text);
    GlobalUnlock(memory);
    source.CacheGlobalData(CF_TEXT, memory);
    COleDataObject data;
    data.Attach(source.GetIDataObject(), FALSE);

    CKSTCurveWndDropTarget target(&window);
    EXPECT_EQ(target.OnDragEnter(&window, &data, 0, CPoint(5, 5)), DROPEFFECT_MOVE);
    EXPECT_EQ(target.OnDragOver(&window, &data, 0, CPoint(5, 5)), DROPEFFECT_NONE);
    EXPECT_TRUE(target.OnDrop(&window, &data, DROPEFFECT_MOVE, CPoint(5, 5)));
    EXPECT_TRUE(g_received.empty());

    window.SubscribeAll(recorder);
    EXPECT_EQ(target.OnDragOver(&window, &data, 0, CPoint(5, 5)), DROPEFFECT_MOVE);
    EXPECT_TRUE(target.OnDrop(&window, &data, DROPEFFECT_MOVE, CPoint(5, 5)));
    ASSERT_EQ(g_received.size(), 1u);
    EXPECT_EQ(g_received[0].message, static_cast<UINT>(WM_USER + 11));
    EXPECT_EQ(g_received[0].text, text);
    // The window freed its copy after the send.
    EXPECT_EQ(GlobalFlags(reinterpret_cast<HGLOBAL>(g_received[0].lParam)), GMEM_INVALID_HANDLE);
}

TEST_F(CurveWndTest, ScrollBarsPassMouseMovesAndReleasesOnInClientCoordinates)
{
    CKSTCurveWndScrollBar bar(CWnd::FromHandle(recorder));
    ASSERT_TRUE(bar.Place(RECT{30, 40, 230, 56}, SBS_HORZ));
    bar.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 3));
    bar.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(7, 2));
    ASSERT_EQ(ReceivedMessages(), (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONUP}));
    EXPECT_EQ(g_received[0].lParam, MAKELPARAM(35, 43));
    EXPECT_EQ(g_received[1].lParam, MAKELPARAM(37, 42));
    EXPECT_EQ(g_received[0].wParam, 0u);
}

TEST_F(CurveWndTest, RebuildWaitsForTheCallersMutex)
{
    HANDLE mutex = nullptr;
    ASSERT_EQ(CreateMutexHandle(mutex), 0);
    CKSTChannel* channel = pool.channels[0].get();
    std::atomic<bool> posted{false};
    std::atomic<bool> appended{false};
    std::thread producer([&] {
        LockMutex(mutex);
        CKSTCurveWnd::PostRebuild(window.m_hWnd, &mutex);
        posted = true;
        Sleep(50);
        for (int i = 0; i < 100; ++i) {
            channel->AppendValue(1.0, false);
        }
        appended = true;
        UnlockMutex(mutex);
    });
    ASSERT_TRUE(kst_test::PumpUntil([&] { return posted.load(); }));
    ASSERT_TRUE(kst_test::PumpUntil([&] { return window.GetXAxis().GetMaximum() >= 299.0; }));
    EXPECT_TRUE(appended);
    producer.join();
    CloseSyncHandle(mutex);
}

class FakeDialogs : public IKSTCurveWndDialogs {
public:
    int ClipboardSize(CKSTCurveWnd&, double& width, double& height) override
    {
        shownWidth = width;
        width = 10.0;
        height = 5.0;
        return result;
    }
    int BarSettings(CKSTCurveWnd&) override { return IDCANCEL; }
    int MeterSettings(CKSTCurveWnd&) override { return IDCANCEL; }
    int OptionsSheet(CKSTCurveWnd&) override { return IDCANCEL; }
    std::unique_ptr<IKSTCurveWndTable> OpenValueTable(CKSTCurveWnd&) override { return nullptr; }
    std::unique_ptr<IKSTCurveWndTable> OpenDiffMeasure(CKSTCurveWnd&) override { return nullptr; }

    int result = IDOK;
    double shownWidth = 0.0;
};

TEST_F(CurveWndTest, ClipboardCommandTakesTheSizesTheDialogConfirms)
{
    FakeDialogs dialogs;
    window.SetDialogs(&dialogs);
    dialogs.result = IDCANCEL;
    EXPECT_EQ(window.ClipboardCommand(), IDCANCEL);
    EXPECT_DOUBLE_EQ(window.GetClipboardWidth(), 15.0);

    dialogs.result = IDOK;
    EXPECT_EQ(window.ClipboardCommand(), IDOK);
    EXPECT_DOUBLE_EQ(dialogs.shownWidth, 15.0);
    EXPECT_DOUBLE_EQ(window.GetClipboardWidth(), 10.0);
    EXPECT_DOUBLE_EQ(window.GetClipboardHeight(), 5.0);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
}

TEST_F(CurveWndTest, DialogsNotThereYetAreAnnouncedToTheUser)
{
    CKSTMessageBoxScript boxes;
    EXPECT_EQ(window.ClipboardCommand(), IDCANCEL);
    EXPECT_EQ(window.Dialogs().OptionsSheet(window), IDCANCEL);
    EXPECT_EQ(window.Dialogs().OpenValueTable(window), nullptr);
    EXPECT_EQ(boxes.ShownIds(), (std::vector<UINT>(3, KST_STR_CW_DIALOG_UNAVAILABLE)));
}

}  // namespace
