// The curve window as a child window: class, creation, the off-screen picture, painting,
// subscriptions, the rebuild message and the drop target.
#include "curvewnd/win/CurveWnd.h"

#include <algorithm>

#include "curvewnd/GroupLayout.h"
#include "curvewnd/win/AxisDraw.h"
#include "curvewnd/win/AxisGroupDraw.h"
#include "curvewnd/win/CurveWndScrollBar.h"
#include "curvewnd/win/GdiScope.h"
#include "curvewnd/win/GroupScrollBar.h"
#include "curvewnd/win/LegendDraw.h"
#include "foundation/win/StringLoader.h"
#include "foundation/win/Sync.h"
#include "framework/Seams.h"
#include "resources/StringIds.h"

namespace {

constexpr UINT kClassStyle = CS_DBLCLKS | CS_OWNDC | CS_SAVEBITS | CS_BYTEALIGNCLIENT;
constexpr COLORREF kPauseColour = 0x0000C0;

// A text window of the framework behind the tip interface of the axes and curves.
class TextTip : public IKSTTextTip {
public:
    ~TextTip() override { m_window.Destroy(); }
    void SetText(const RECT& rect, const CKSTString& text) override
    {
        m_window.SetText(rect, text);
    }
    CKSTTextTipWnd m_window;
};

}  // namespace

BEGIN_MESSAGE_MAP(CKSTCurveWnd, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_ERASEBKGND()
ON_WM_PAINT()
ON_WM_CLOSE()
ON_MESSAGE(CKSTCurveWnd::kRebuildMessage, OnRebuild)
ON_MESSAGE(WM_EXITSIZEMOVE, OnExitSizeMove)
ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONDBLCLK()
ON_WM_RBUTTONDOWN()
ON_WM_RBUTTONUP()
ON_WM_MOUSEWHEEL()
ON_WM_KEYDOWN()
ON_WM_HSCROLL()
ON_WM_VSCROLL()
ON_MESSAGE(WM_CANCELMODE, OnCancelMode)
ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
ON_MESSAGE(WM_KILLFOCUS, OnFocusLost)
END_MESSAGE_MAP()

CKSTCurveWnd::CKSTCurveWnd() : m_dropTarget(this)
{
    m_language = IsEnglishUser() ? 1 : 0;
}

CKSTCurveWnd::~CKSTCurveWnd()
{
    ReleaseResources();
    if (m_measureDC != nullptr) {
        m_measure.reset();
        ::DeleteDC(m_measureDC);
        m_measureDC = nullptr;
    }
}

int CKSTCurveWnd::RegisterWindowClass(HINSTANCE)
{
    return KstRegisterClass(kClassName, kClassStyle, LoadCursor(nullptr, IDC_ARROW)) ? 0 : -1;
}

HINSTANCE CKSTCurveWnd::GetInstanceHandle() const
{
    return KstResourceHandle();
}

BOOL CKSTCurveWnd::Create(const char* windowName, DWORD style, const RECT& rect, CWnd* parent)
{
    return CreateEx(0, windowName, style, rect, parent);
}

BOOL CKSTCurveWnd::CreateEx(DWORD exStyle, const char* windowName, DWORD style,
                            const RECT& rect, CWnd* parent)
{
    RegisterWindowClass(nullptr);
    const BOOL made = CWnd::CreateEx(exStyle, kClassName, windowName != nullptr ? windowName : "",
                                     style | WS_CHILD, NormalizeRect(rect), parent, 0);
    if (made) {
        m_created = 1;
    }
    return made;
}

int CKSTCurveWnd::OnCreate(LPCREATESTRUCT create)
{
    if (CWnd::OnCreate(create) == -1) {
        return -1;
    }
    GetClientRect(&m_client);
    m_created = 1;
    MakeBitmap();
    m_dropTarget.Register(this);
    RecalcLayout();
    return 0;
}

bool CKSTCurveWnd::MakeBitmap()
{
    HDC windowDC = ::GetDC(m_hWnd);
    if (windowDC == nullptr) {
        return false;
    }
    if (m_dc.GetHdc() == nullptr) {
        m_dc.Attach(CreateCompatibleDC(windowDC));
    }
    if (m_measureDC == nullptr) {
        m_measureDC = CreateCompatibleDC(windowDC);
        m_measure = std::make_unique<CKSTDCTextMeasure>(m_measureDC);
    }
    GetClientRect(&m_client);
    const int width = std::max<int>(1, m_client.right - m_client.left);
    const int height = std::max<int>(1, m_client.bottom - m_client.top);
    HBITMAP bitmap = CreateCompatibleBitmap(windowDC, width, height);
    ::ReleaseDC(m_hWnd, windowDC);
    if (bitmap == nullptr || m_dc.GetHdc() == nullptr) {
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
        return false;
    }
    HGDIOBJ previous = ::SelectObject(m_dc.GetHdc(), bitmap);
    if (m_oldBitmap == nullptr) {
        m_oldBitmap = previous;
    }
    if (m_bitmap != nullptr) {
        DeleteObject(m_bitmap);
    }
    m_bitmap = bitmap;
    return true;
}

void CKSTCurveWnd::DeleteBitmap()
{
    m_picture.Forget();
    if (m_dc.GetHdc() != nullptr && m_oldBitmap != nullptr) {
        ::SelectObject(m_dc.GetHdc(), m_oldBitmap);
        m_oldBitmap = nullptr;
    }
    if (m_bitmap != nullptr) {
        DeleteObject(m_bitmap);
        m_bitmap = nullptr;
    }
}

void CKSTCurveWnd::DeleteScrollBars()
{
    m_xScrollBar.reset();
    m_groupScrollBar.reset();
    for (const auto& group : m_groups) {
        group->DeleteScrollBar();
    }
}

void CKSTCurveWnd::ReleaseResources()
{
    const HWND window = m_hWnd;
    // The tables refer to the window; measuring ends with it.
    m_diffTable.reset();
    m_valueTable.reset();
    m_interaction.measureMode = kMeasureNone;
    if (m_created != 0) {
        DeleteBitmap();
        m_dc.DeleteDC();
        m_xAxis->HideCursorLabel(1);
        m_xAxis->HideCursorLabel(2);
        DeleteScrollBars();
        if (m_hWnd != nullptr) {
            CWnd::DestroyWindow();
        }
        m_created = 0;
    }
    if (m_notify.IsRegistered(kEventDestroyed)) {
        m_notify.Send(kEventDestroyed, reinterpret_cast<WPARAM>(window), 0);
    }
}

BOOL CKSTCurveWnd::DestroyWindow()
{
    DeleteScrollBars();
    DeleteBitmap();
    m_dc.DeleteDC();
    return CWnd::DestroyWindow();
}

void CKSTCurveWnd::OnClose()
{
    ReleaseResources();
}

void CKSTCurveWnd::OnSize(UINT type, int width, int height)
{
    CWnd::OnSize(type, width, height);
    if (m_hWnd == nullptr || !MakeBitmap()) {
        return;
    }
    HideCursors();
    RecalcLayout();
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    UpdateNow();
    ShowCursors();
    if (m_notify.IsRegistered(kEventSize)) {
        m_notify.Send(kEventSize, reinterpret_cast<WPARAM>(m_hWnd), MAKELPARAM(width, height));
    }
}

BOOL CKSTCurveWnd::OnEraseBkgnd(HDC)
{
    return TRUE;
}

void CKSTCurveWnd::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    if (dc != nullptr && m_dc.GetHdc() != nullptr) {
        const RECT& r = paint.rcPaint;
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, m_dc.GetHdc(), r.left, r.top,
               SRCCOPY);
    }
    EndPaint(m_hWnd, &paint);
}

LRESULT CKSTCurveWnd::OnExitSizeMove(WPARAM, LPARAM)
{
    FireSend(kEventSizeMoveEnd);
    return Default();
}

LRESULT CKSTCurveWnd::OnMouseLeave(WPARAM, LPARAM)
{
    TrackLegendHover(POINT{-1, -1});
    return 0;
}

LRESULT CKSTCurveWnd::OnRebuild(WPARAM wParam, LPARAM)
{
    HANDLE* mutex = reinterpret_cast<HANDLE*>(wParam);
    if (mutex == nullptr) {
        return 0;
    }
#ifndef NDEBUG
    // A sender holding the mutex would wait for this handler while it waits for the mutex.
    if (InSendMessage()) {
        KstReportFault(KstFault{KstFaultKind::EscapedException, m_hWnd, kRebuildMessage, 0,
                                "the rebuild message must be posted, not sent"});
        return 0;
    }
#endif
    if (LockMutex(*mutex) != 0) {
        return 0;
    }
    SetUpdateEnabled(false, false);
    SetUpdateEnabled(true, false);
    UnlockMutex(*mutex);
    return 0;
}

// --- Layout and painting ---

void CKSTCurveWnd::RecalcLayout()
{
    DrawPicture(false);
}

void CKSTCurveWnd::RecalcLayoutForNewData()
{
    DrawPicture(true);
}

void CKSTCurveWnd::DrawPicture(bool partialAllowed)
{
    if (m_hWnd == nullptr || m_dc.GetHdc() == nullptr) {
        return;
    }
    GetClientRect(&m_client);
    KstWindowLayout layout;
    LayoutForScreen(m_measure.get(), m_client, layout);
    UpdateScrollBars(layout);
    // Measuring cursors are drawn into the picture: with them it is always drawn whole.
    const bool partial = partialAllowed && m_interaction.measureMode == kMeasureNone;
    KstPicturePlan plan;
    std::vector<RECT> overlays;
    if (partial) {
        if (const CKSTAxisGroup* first = GetFirstVisibleGroup()) {
            overlays.push_back(GroupTitleBox(*first, m_dc));
        }
        if (const CKSTAxisGroup* last = GetLastVisibleGroup(); last != nullptr && m_paused != 0) {
            CKSTString text;
            overlays.push_back(PauseMarkBox(*last, m_dc, text));
        }
    }
    if (partial && m_picture.Plan(*this, m_client, overlays, plan)) {
        DrawPartialPicture(plan);
    } else {
        DrawStaticLayer(m_dc, m_client, false);
        m_pictureStats = PictureStats();
        m_pictureStats.plotWidth = m_pictureStats.columns = FirstPlotWidth();
        m_pictureStats.clientPixels = m_pictureStats.pixels =
            int64_t(m_client.right - m_client.left) * (m_client.bottom - m_client.top);
        // Shown cursors were drawn into the picture just replaced.
        if (m_interaction.cursorsHidden == 0 && m_interaction.measureMode != kMeasureNone) {
            RedrawCursors();
        }
    }
    m_picture.Record(*this);
}

int32_t CKSTCurveWnd::FirstPlotWidth() const
{
    const CKSTAxisGroup* first = GetFirstVisibleGroup();
    if (first == nullptr) {
        return 0;
    }
    const RECT plot = KstGroupPlotRect(first->GetRect(), first->GetLegendHeight());
    return std::max<int32_t>(0, plot.right - plot.left);
}

void CKSTCurveWnd::DrawPartialPicture(const KstPicturePlan& plan)
{
    HDC hdc = m_dc.GetHdc();
    for (const RECT& band : plan.moved) {
        BitBlt(hdc, band.left, band.top, band.right - band.left - plan.shift,
               band.bottom - band.top, hdc, band.left + plan.shift, band.top, SRCCOPY);
        ::InvalidateRect(m_hWnd, &band, FALSE);
    }
    for (const RECT& stripe : plan.redraw) {
        const int saved = SaveDC(hdc);
        IntersectClipRect(hdc, stripe.left, stripe.top, stripe.right, stripe.bottom);
        DrawStaticLayer(m_dc, m_client, false, &stripe);
        RestoreDC(hdc, saved);
        ::InvalidateRect(m_hWnd, &stripe, FALSE);
    }

    m_pictureStats = PictureStats();
    m_pictureStats.partial = true;
    m_pictureStats.shift = plan.shift;
    m_pictureStats.clientPixels =
        int64_t(m_client.right - m_client.left) * (m_client.bottom - m_client.top);
    const CKSTAxisGroup* first = GetFirstVisibleGroup();
    const RECT plot = first != nullptr
                          ? KstGroupPlotRect(first->GetRect(), first->GetLegendHeight())
                          : RECT{0, 0, 0, 0};
    m_pictureStats.plotWidth = FirstPlotWidth();
    std::vector<uint8_t> drawn(size_t(std::max<int32_t>(0, m_pictureStats.plotWidth)), 0);
    for (const RECT& stripe : plan.redraw) {
        m_pictureStats.pixels +=
            int64_t(stripe.right - stripe.left) * (stripe.bottom - stripe.top);
        if (stripe.top < plot.bottom && stripe.bottom > plot.top) {
            for (int32_t x = std::max(stripe.left, plot.left); x < std::min(stripe.right, plot.right);
                 ++x) {
                drawn[size_t(x - plot.left)] = 1;
            }
        }
    }
    m_pictureStats.columns = static_cast<int32_t>(std::count(drawn.begin(), drawn.end(), 1));
}

void CKSTCurveWnd::RecalcLayout(HDC target, const RECT& rect)
{
    if (m_hWnd == nullptr || target == nullptr) {
        return;
    }
    // The groups leave the screen's layout until the next RecalcLayout.
    m_picture.Forget();
    CKSTDCTextMeasure measure(target);
    KstWindowLayout layout;
    LayoutWindow(&measure, rect, true, layout);
}

void CKSTCurveWnd::UpdateNow()
{
    if (m_created != 0 && m_hWnd != nullptr && m_drawingEnabled != 0) {
        ::UpdateWindow(m_hWnd);
    }
}

void CKSTCurveWnd::InvalidateRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                  bool erase)
{
    if (m_hWnd != nullptr) {
        const RECT rect = NormalizeRect(RECT{left, top, right, bottom});
        ::InvalidateRect(m_hWnd, &rect, erase ? TRUE : FALSE);
    }
}

void CKSTCurveWnd::InvalidateClient()
{
    // Whatever made the whole window stale may have changed the look of the picture too.
    m_picture.Forget();
    if (m_hWnd != nullptr) {
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
}

void CKSTCurveWnd::UpdateScrollBars(const KstWindowLayout& layout)
{
    if (layout.xScrollBar) {
        if (!m_xScrollBar) {
            m_xScrollBar = std::make_unique<CKSTCurveWndScrollBar>(this);
        }
        if (m_xScrollBar->Place(layout.xScrollBarRect, SBS_HORZ)) {
            const double rootMin = m_xAxis->GetRootMinimum();
            const double span = m_xAxis->GetRootMaximum() - rootMin;
            int page = 1000;
            int position = 0;
            if (span > 0.0) {
                page = std::max(3, static_cast<int>(
                                       1000.0 * (m_xAxis->GetMaximum() - m_xAxis->GetMinimum()) /
                                       span));
                position = static_cast<int>(1000.0 * (m_xAxis->GetMinimum() - rootMin) / span);
            }
            m_xScrollBar->SetInfo(0, 1000, page, position);
        }
    } else {
        m_xScrollBar.reset();
    }
    if (layout.groupScrollBar) {
        if (!m_groupScrollBar) {
            m_groupScrollBar = std::make_unique<CKSTCurveWndScrollBar>(this);
        }
        if (m_groupScrollBar->Place(layout.groupScrollBarRect, SBS_VERT)) {
            int first = 0;
            for (int g = 0; g < m_firstShownGroup && g < GetGroupCount(); ++g) {
                first += m_groups[g]->HasShownCurve() ? 1 : 0;
            }
            int shown = 0;
            for (const auto& group : m_groups) {
                shown += group->IsVisible() ? 1 : 0;
            }
            m_groupScrollBar->SetInfo(0, std::max(0, CountListedGroups() - 1), shown, first);
            m_groupScrollBar->EnableScrollBar(ESB_ENABLE_BOTH);
        }
    } else {
        m_groupScrollBar.reset();
    }
    for (int g = 0; g < GetGroupCount(); ++g) {
        CKSTAxisGroup& group = *m_groups[g];
        if (group.IsVisible() && group.HasZoomedAxis() && layout.yScrollBarWidth > 0) {
            group.UpdateScrollBar(kGroupScrollBarIdBase + g, layout.yScrollBarWidth);
        } else {
            group.DeleteScrollBar();
        }
    }
}

void CKSTCurveWnd::DrawStaticLayer(CKSTDrawContext& dc, const RECT& area, bool exportMode,
                                   const RECT* stripe)
{
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr) {
        return;
    }
    const uint32_t background = m_settings.m_BackgroundColor;
    if (background != KST_COLOR_NONE && background != KST_COLOR_AUTOMATIC) {
        KstGdiScope gdi(hdc);
        gdi.Brush(CreateSolidBrush(background & 0xFFFFFF));
        PatBlt(hdc, area.left, area.top, area.right - area.left, area.bottom - area.top, PATCOPY);
    }
    const uint32_t style = m_settings.m_LegendStyle;
    if (style == kLegendMain || style == kLegendTitle) {
        DrawLegend(*m_legend, dc, -1, false);
    }
    if (m_xAxis->GetType() != CKSTXAxis::kTypeNone) {
        DrawAxis(*m_xAxis, dc, false);
    }
    for (int g = 0; g < GetGroupCount(); ++g) {
        CKSTAxisGroup& group = *m_groups[g];
        if (!group.IsVisible()) {
            continue;
        }
        DrawGroupBackground(group, dc, exportMode);
        if (style == kLegendPerGroup) {
            DrawLegend(GetGroupLegend(&group), dc, g, false);
        }
    }
    for (const auto& group : m_groups) {
        if (group->IsVisible()) {
            DrawGroupCurves(*group, dc, stripe);
        }
    }
    if (exportMode) {
        return;
    }
    if (const CKSTAxisGroup* first = GetFirstVisibleGroup()) {
        DrawGroupTitle(*first, dc);
    }
    if (const CKSTAxisGroup* last = GetLastVisibleGroup(); last != nullptr && m_paused != 0) {
        DrawPauseMark(*last, dc);
    }
}

RECT CKSTCurveWnd::PauseMarkBox(const CKSTAxisGroup& group, CKSTDrawContext& dc,
                                CKSTString& text)
{
    text = LoadResString(KST_STR_CW_PAUSE, IsEnglish());
    CKSTFontDesc font = m_settings.m_AxesFontDesc;
    dc.SelectFont(font, true);
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc.GetHdc(), text.c_str(), text.GetLength(), &size);
    dc.RestoreFont();
    const RECT& rect = group.GetRect();
    // Mirrors the title box at the opposite corner.
    return RECT{std::max<int32_t>(rect.left + 10, rect.right - 20 - size.cx), rect.top + 10,
                rect.right - 10, rect.top + 30};
}

void CKSTCurveWnd::DrawPauseMark(const CKSTAxisGroup& group, CKSTDrawContext& dc)
{
    HDC hdc = dc.GetHdc();
    CKSTString text;
    const RECT box = PauseMarkBox(group, dc, text);
    CKSTFontDesc font = m_settings.m_AxesFontDesc;
    dc.SelectFont(font, true);
    const COLORREF oldText = SetTextColor(hdc, kPauseColour);
    const COLORREF oldBack = SetBkColor(hdc, 0xFFFFFF);
    ExtTextOutA(hdc, box.left + 5, box.top + 2, ETO_OPAQUE | ETO_CLIPPED, &box, text.c_str(),
                text.GetLength(), nullptr);
    SetBkColor(hdc, oldBack);
    SetTextColor(hdc, oldText);
    dc.RestoreFont();
}

void CKSTCurveWnd::RedrawLegend(int group)
{
    if (m_dc.GetHdc() == nullptr) {
        return;
    }
    if (group < 0) {
        DrawLegend(*m_legend, m_dc, -1, false);
    } else if (CKSTAxisGroup* g = GetGroup(group)) {
        DrawLegend(GetGroupLegend(g), m_dc, group, false);
    }
}

void CKSTCurveWnd::TrackMouseLeave(bool hovering)
{
    if (m_hWnd == nullptr) {
        return;
    }
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof track;
    track.dwFlags = hovering ? TME_LEAVE : TME_CANCEL | TME_LEAVE;
    track.hwndTrack = m_hWnd;
    track.dwHoverTime = 1000;
    _TrackMouseEvent(&track);
}

HDC CKSTCurveWnd::GetDC()
{
    return m_hWnd != nullptr ? ::GetDC(m_hWnd) : nullptr;
}

void CKSTCurveWnd::ReleaseDC(HDC dc)
{
    if (dc != nullptr) {
        ::ReleaseDC(m_hWnd, dc);
    }
}

void CKSTCurveWnd::GetScreenRect(RECT& rect) const
{
    rect = RECT{0, 0, 0, 0};
    if (m_hWnd != nullptr) {
        ::GetWindowRect(m_hWnd, &rect);
    }
}

// --- Hooks ---

std::unique_ptr<IKSTTextTip> CKSTCurveWnd::CreateTextTip(const RECT& rect,
                                                         const CKSTFontDesc& font,
                                                         uint32_t colour, const CKSTString& text)
{
    auto tip = std::make_unique<TextTip>();
    if (!tip->m_window.Create(this, rect, font, colour & 0xFFFFFF, text)) {
        return nullptr;
    }
    return tip;
}

std::unique_ptr<IKSTGroupScrollBar> CKSTCurveWnd::CreateScrollBar(int id, const RECT& rect)
{
    return m_hWnd != nullptr ? CreateGroupScrollBar(this, this, id, rect) : nullptr;
}

CKSTDrawContext* CKSTCurveWnd::GetDrawContext()
{
    return m_dc.GetHdc() != nullptr ? &m_dc : nullptr;
}

bool CKSTCurveWnd::GetPlotPixel(int32_t x, int32_t y, uint32_t& colour) const
{
    if (m_dc.GetHdc() == nullptr) {
        return false;
    }
    const COLORREF pixel = GetPixel(m_dc.GetHdc(), x, y);
    if (pixel == CLR_INVALID) {
        return false;
    }
    colour = pixel;
    return true;
}

uint32_t CKSTCurveWnd::GetNearestScreenColor(uint32_t colour) const
{
    return m_dc.GetHdc() != nullptr ? GetNearestColor(m_dc.GetHdc(), colour & 0xFFFFFF) : colour;
}

COLORREF CKSTCurveWnd::GetWindowColor() const
{
    return m_settings.m_BackgroundColor & 0xFFFFFF;
}

void CKSTCurveWnd::HandleMouseMove(UINT flags, CPoint point)
{
    SendMessage(WM_MOUSEMOVE, flags, MAKELPARAM(point.x, point.y));
}

// --- Subscriptions ---

int CKSTCurveWnd::Subscribe(uint32_t event, uint32_t message, HWND target)
{
    m_notify.Register(event, message, target);
    return 0;
}

void CKSTCurveWnd::Unsubscribe(uint32_t event, HWND target)
{
    m_notify.Unregister(event, target);
}

bool CKSTCurveWnd::IsSubscribed(uint32_t event) const
{
    return m_notify.IsRegistered(event);
}

void CKSTCurveWnd::FireSend(uint32_t event)
{
    if (m_notify.IsRegistered(event)) {
        m_notify.Send(event, reinterpret_cast<WPARAM>(m_hWnd), 0);
    }
}

void CKSTCurveWnd::FirePost(uint32_t event)
{
    if (m_notify.IsRegistered(event)) {
        m_notify.Post(event, reinterpret_cast<WPARAM>(m_hWnd), 0);
    }
}

void CKSTCurveWnd::FirePostParams(uint32_t event, WPARAM wParam, LPARAM lParam)
{
    if (m_notify.IsRegistered(event)) {
        m_notify.Post(event, wParam, lParam);
    }
}

void CKSTCurveWnd::FireSendAtPoint(int32_t x, int32_t y, uint32_t event)
{
    if (!m_notify.IsRegistered(event)) {
        return;
    }
    int index = 0;
    for (int g = 0; g < GetGroupCount(); ++g) {
        const RECT rect = NormalizeRect(m_groups[g]->GetRect());
        if (y >= rect.top && y < rect.bottom) {
            index = g;
            break;
        }
    }
    int32_t point[3] = {x, y, static_cast<int32_t>(event)};
    m_notify.Send(event, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(point));
}

int32_t CKSTCurveWnd::PostEvent(uint32_t event, const CKSTCurve* curve)
{
    if (!m_notify.IsRegistered(event)) {
        return 0;
    }
    m_notify.Post(event, reinterpret_cast<WPARAM>(curve), 0);
    return 1;
}

namespace {

struct ElementEvent {
    uint32_t event;
    uint32_t message;
};
// The events and messages a host of display elements listens to.
constexpr ElementEvent kElementEvents[] = {
    {CKSTCurveWndCore::kEventLeftDown, WM_USER + 3},
    {CKSTCurveWndCore::kEventLeftUp, WM_USER + 6},
    {CKSTCurveWndCore::kEventRightDown, WM_USER + 5},
    {CKSTCurveWndCore::kEventDrag, WM_USER + 4},
    {CKSTCurveWndCore::kEventSize, WM_USER + 2},
    {CKSTCurveWndCore::kEventSizeMoveEnd, WM_USER + 10},
    {CKSTCurveWndCore::kEventTextDropped, WM_USER + 11},
};

}  // namespace

void CKSTCurveWnd::SubscribeAll(HWND target)
{
    for (const ElementEvent& entry : kElementEvents) {
        Subscribe(entry.event, entry.message, target);
    }
}

void CKSTCurveWnd::UnsubscribeAll(HWND target)
{
    for (const ElementEvent& entry : kElementEvents) {
        Unsubscribe(entry.event, target);
    }
}

IKSTCurveWndDialogs& CKSTCurveWnd::Dialogs() const
{
    return m_dialogs != nullptr ? *m_dialogs : KstCurveWndDialogs();
}

// --- Drop target ---

DROPEFFECT CKSTCurveWndDropTarget::OnDragEnter(CWnd*, COleDataObject*, DWORD, CPoint)
{
    return DROPEFFECT_MOVE;
}

DROPEFFECT CKSTCurveWndDropTarget::OnDragOver(CWnd*, COleDataObject*, DWORD, CPoint)
{
    return m_curveWnd->IsSubscribed(CKSTCurveWndCore::kEventTextDropped) ? DROPEFFECT_MOVE
                                                                          : DROPEFFECT_NONE;
}

void CKSTCurveWndDropTarget::OnDragLeave(CWnd*) {}

BOOL CKSTCurveWndDropTarget::OnDrop(CWnd*, COleDataObject* data, DROPEFFECT, CPoint)
{
    HGLOBAL text = data != nullptr ? data->GetGlobalData(CF_TEXT) : nullptr;
    if (m_curveWnd->IsSubscribed(CKSTCurveWndCore::kEventTextDropped)) {
        // Subscribers copy the text during the send; the window frees it afterwards.
        m_curveWnd->m_notify.Send(CKSTCurveWndCore::kEventTextDropped,
                                  reinterpret_cast<WPARAM>(m_curveWnd->m_hWnd),
                                  reinterpret_cast<LPARAM>(text));
    }
    if (text != nullptr) {
        GlobalFree(text);
    }
    return TRUE;
}
