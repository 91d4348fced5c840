#include "framework/Splitter.h"

#include <algorithm>

#include "framework/View.h"

namespace {

constexpr int kMaxTracks = 16;

}  // namespace

BEGIN_MESSAGE_MAP(CSplitterWnd, CWnd)
ON_WM_SIZE()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_MESSAGE(WM_SETCURSOR, OnSetCursor)
ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
END_MESSAGE_MAP()

CSplitterWnd::~CSplitterWnd()
{
    // The panes go with the window; OnDestroy of derived classes cannot run from ~CWnd.
    if (m_hWnd) {
        DestroyWindow();
    }
}

BOOL CSplitterWnd::CreateStatic(CWnd* parent, int rows, int columns, DWORD style, UINT id)
{
    if (m_hWnd || !parent || !parent->m_hWnd || rows < 1 || rows > kMaxTracks || columns < 1 ||
        columns > kMaxTracks) {
        return FALSE;
    }
    m_rows.assign(static_cast<size_t>(rows), Track{});
    m_columns.assign(static_cast<size_t>(columns), Track{});
    m_dragRow = m_dragColumn = -1;
    const CKSTString className = KstRegisterWndClass(
        CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    RECT rect;
    parent->GetClientRect(&rect);
    if (!CreateEx(0, className.c_str(), "", style | WS_CHILD | WS_CLIPCHILDREN, rect, parent,
                  id)) {
        return FALSE;
    }
    // A nested splitter goes into its cell at once.
    if (auto* outer = dynamic_cast<CSplitterWnd*>(parent)) {
        outer->RecalcLayout();
    }
    return TRUE;
}

BOOL CSplitterWnd::CreateView(int row, int column, const std::function<CView*()>& viewClass,
                              SIZE initialSize, CCreateContext* context)
{
    if (!m_hWnd || row < 0 || row >= GetRowCount() || column < 0 || column >= GetColumnCount() ||
        ::GetDlgItem(m_hWnd, static_cast<int>(IdFromRowCol(row, column))) || !viewClass) {
        return FALSE;
    }
    CView* view = viewClass();
    if (!view) {
        return FALSE;
    }
    m_rows[static_cast<size_t>(row)].ideal = std::max<LONG>(0, initialSize.cy);
    m_columns[static_cast<size_t>(column)].ideal = std::max<LONG>(0, initialSize.cx);
    // A failed Create has deleted the view.
    if (!view->Create(this, IdFromRowCol(row, column), context)) {
        return FALSE;
    }
    RecalcLayout();
    return TRUE;
}

UINT CSplitterWnd::IdFromRowCol(int row, int column) const
{
    return static_cast<UINT>(AFX_IDW_PANE_FIRST + row * kMaxTracks + column);
}

CWnd* CSplitterWnd::GetPane(int row, int column) const
{
    if (!m_hWnd || row < 0 || row >= GetRowCount() || column < 0 || column >= GetColumnCount()) {
        return nullptr;
    }
    HWND pane = ::GetDlgItem(m_hWnd, static_cast<int>(IdFromRowCol(row, column)));
    return pane ? CWnd::FromHandle(pane) : nullptr;
}

void CSplitterWnd::GetRowInfo(int row, int& current, int& minimum) const
{
    if (row < 0 || row >= GetRowCount()) {
        current = minimum = -1;
        return;
    }
    current = m_rows[static_cast<size_t>(row)].current;
    minimum = m_rows[static_cast<size_t>(row)].minimum;
}

void CSplitterWnd::SetRowInfo(int row, int ideal, int minimum)
{
    if (row >= 0 && row < GetRowCount()) {
        m_rows[static_cast<size_t>(row)].ideal = std::max(0, ideal);
        m_rows[static_cast<size_t>(row)].minimum = std::max(0, minimum);
    }
}

void CSplitterWnd::GetColumnInfo(int column, int& current, int& minimum) const
{
    if (column < 0 || column >= GetColumnCount()) {
        current = minimum = -1;
        return;
    }
    current = m_columns[static_cast<size_t>(column)].current;
    minimum = m_columns[static_cast<size_t>(column)].minimum;
}

void CSplitterWnd::SetColumnInfo(int column, int ideal, int minimum)
{
    if (column >= 0 && column < GetColumnCount()) {
        m_columns[static_cast<size_t>(column)].ideal = std::max(0, ideal);
        m_columns[static_cast<size_t>(column)].minimum = std::max(0, minimum);
    }
}

void CSplitterWnd::LayoutTracks(std::vector<Track>& tracks, int extent)
{
    int position = 0;
    const int last = static_cast<int>(tracks.size()) - 1;
    for (int i = 0; i <= last; ++i) {
        Track& track = tracks[static_cast<size_t>(i)];
        const int left = std::max(0, extent - position);
        track.position = position;
        track.current = i == last ? left : std::min(std::max(track.ideal, track.minimum), left);
        position += track.current + kBarSize;
    }
}

void CSplitterWnd::RecalcLayout()
{
    if (!m_hWnd) {
        return;
    }
    RECT client;
    GetClientRect(&client);
    LayoutTracks(m_rows, client.bottom - client.top);
    LayoutTracks(m_columns, client.right - client.left);
    // One deferred move for all panes, so that nested splitters see a consistent parent.
    HDWP moves = BeginDeferWindowPos(GetRowCount() * GetColumnCount());
    for (int row = 0; row < GetRowCount(); ++row) {
        for (int column = 0; column < GetColumnCount(); ++column) {
            HWND pane = ::GetDlgItem(m_hWnd, static_cast<int>(IdFromRowCol(row, column)));
            if (!pane) {
                continue;
            }
            const Track& r = m_rows[static_cast<size_t>(row)];
            const Track& c = m_columns[static_cast<size_t>(column)];
            if (moves) {
                moves = DeferWindowPos(moves, pane, nullptr, c.position, r.position, c.current,
                                       r.current, SWP_NOZORDER | SWP_NOACTIVATE);
            } else {
                ::SetWindowPos(pane, nullptr, c.position, r.position, c.current, r.current,
                               SWP_NOZORDER | SWP_NOACTIVATE);
            }
        }
    }
    if (moves) {
        EndDeferWindowPos(moves);
    }
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CSplitterWnd::OnSize(UINT, int, int)
{
    Default();
    RecalcLayout();
}

int CSplitterWnd::HitRowBar(CPoint point) const
{
    for (int i = 0; i + 1 < GetRowCount(); ++i) {
        const Track& row = m_rows[static_cast<size_t>(i)];
        const int barTop = row.position + row.current;
        if (point.y >= barTop && point.y < barTop + kBarSize) {
            return i;
        }
    }
    return -1;
}

int CSplitterWnd::HitColumnBar(CPoint point) const
{
    for (int i = 0; i + 1 < GetColumnCount(); ++i) {
        const Track& column = m_columns[static_cast<size_t>(i)];
        const int barLeft = column.position + column.current;
        if (point.x >= barLeft && point.x < barLeft + kBarSize) {
            return i;
        }
    }
    return -1;
}

void CSplitterWnd::MoveBar(std::vector<Track>& tracks, int index, int edge)
{
    Track& before = tracks[static_cast<size_t>(index)];
    Track& after = tracks[static_cast<size_t>(index) + 1];
    const int both = before.current + after.current;
    int size = std::clamp(edge - before.position, 0, both);
    // The minimum of the track after the bar wins over the one before it when both cannot hold.
    size = std::min(std::max(size, before.minimum), std::max(0, both - after.minimum));
    before.ideal = size;
    after.ideal = both - size;
}

void CSplitterWnd::OnLButtonDown(UINT, CPoint point)
{
    m_dragRow = HitRowBar(point);
    m_dragColumn = m_dragRow >= 0 ? -1 : HitColumnBar(point);
    if (m_dragRow < 0 && m_dragColumn < 0) {
        return;
    }
    // Where in the bar it was grabbed, so that the bar does not jump under the mouse.
    m_grab = point;
    if (m_dragRow >= 0) {
        const Track& row = m_rows[static_cast<size_t>(m_dragRow)];
        m_grab.y = point.y - (row.position + row.current);
    } else {
        const Track& column = m_columns[static_cast<size_t>(m_dragColumn)];
        m_grab.x = point.x - (column.position + column.current);
    }
    SetCapture();
}

void CSplitterWnd::OnMouseMove(UINT, CPoint point)
{
    if (m_dragRow >= 0) {
        MoveBar(m_rows, m_dragRow, point.y - m_grab.y);
        RecalcLayout();
    } else if (m_dragColumn >= 0) {
        MoveBar(m_columns, m_dragColumn, point.x - m_grab.x);
        RecalcLayout();
    }
}

void CSplitterWnd::OnLButtonUp(UINT flags, CPoint point)
{
    if (m_dragRow < 0 && m_dragColumn < 0) {
        return;
    }
    OnMouseMove(flags, point);
    m_dragRow = m_dragColumn = -1;
    if (GetCapture() == this) {
        ReleaseCapture();
    }
}

LRESULT CSplitterWnd::OnCaptureChanged(WPARAM, LPARAM)
{
    // Another window took the mouse: the drag ends where the bar is now.
    m_dragRow = m_dragColumn = -1;
    return 0;
}

LRESULT CSplitterWnd::OnSetCursor(WPARAM wParam, LPARAM lParam)
{
    if (reinterpret_cast<HWND>(wParam) == m_hWnd && LOWORD(lParam) == HTCLIENT) {
        POINT point;
        GetCursorPos(&point);
        ScreenToClient(&point);
        const CPoint at(point.x, point.y);
        if (HitRowBar(at) >= 0) {
            ::SetCursor(LoadCursor(nullptr, IDC_SIZENS));
            return TRUE;
        }
        if (HitColumnBar(at) >= 0) {
            ::SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
            return TRUE;
        }
    }
    return Default();
}
