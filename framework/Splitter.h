#pragma once
// Static splitter: a window divided into a fixed grid of rows and columns, one pane window per
// cell, with drag bars between the cells that the user moves with the mouse.
//
// A pane is any child of the splitter whose control id is IdFromRowCol(row, column); CreateView
// makes a view there, and another splitter created with that id becomes a nested pane. Rows get
// their ideal heights from the top down (at least their minimum while space remains, never more
// than what is left); the last row takes the rest. Columns likewise from the left.
//
// Deleting the splitter destroys its window and with it every pane's window: pane views delete
// themselves, other window objects hosted in the panes are detached (m_hWnd null) and can be
// created again.
#include <windows.h>

#include <functional>
#include <vector>

#include "framework/FrameworkIds.h"
#include "framework/Wnd.h"

class CView;
struct CCreateContext;

class CSplitterWnd : public CWnd {
    DECLARE_MESSAGE_MAP()

public:
    // Thickness of a drag bar, pixels.
    static constexpr int kBarSize = 6;

    CSplitterWnd() = default;
    ~CSplitterWnd() override;

    // Creates the splitter window as child `id` of `parent` with `rows` x `columns` cells (each
    // 1..16); the cells stay empty until panes are made.
    BOOL CreateStatic(CWnd* parent, int rows, int columns, DWORD style = WS_CHILD | WS_VISIBLE,
                      UINT id = AFX_IDW_PANE_FIRST);
    // Makes the view that `viewClass` returns in a cell; `initialSize` becomes the ideal height
    // of its row and width of its column. FALSE when the cell is out of range or taken, or the
    // view cannot be created.
    BOOL CreateView(int row, int column, const std::function<CView*()>& viewClass,
                    SIZE initialSize, CCreateContext* context);

    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    int GetColumnCount() const { return static_cast<int>(m_columns.size()); }
    // The window object in a cell, null when the cell is empty or out of range.
    CWnd* GetPane(int row, int column) const;
    UINT IdFromRowCol(int row, int column) const;

    // `current` is the size the last layout gave; -1 for a row or column out of range.
    void GetRowInfo(int row, int& current, int& minimum) const;
    void SetRowInfo(int row, int ideal, int minimum);
    void GetColumnInfo(int column, int& current, int& minimum) const;
    void SetColumnInfo(int column, int ideal, int minimum);

    // Places every pane in its cell from the ideal sizes.
    virtual void RecalcLayout();

protected:
    struct Track {
        int ideal = 0;
        int minimum = 0;
        int current = 0;
        int position = 0;  // top or left edge of the cell in the last layout
    };

    void OnSize(UINT type, int width, int height);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);

private:
    static void LayoutTracks(std::vector<Track>& tracks, int extent);
    // The bar under `point`: the index of the row or column above or left of it, -1 for none.
    int HitRowBar(CPoint point) const;
    int HitColumnBar(CPoint point) const;
    // Moves the bar after track `index` so that track `index` ends at `edge`; only the two
    // tracks next to the bar change size, neither below its minimum.
    static void MoveBar(std::vector<Track>& tracks, int index, int edge);

    std::vector<Track> m_rows;
    std::vector<Track> m_columns;
    // The bar being dragged: a row bar or a column bar, and where in the bar it was grabbed.
    int m_dragRow = -1;
    int m_dragColumn = -1;
    CPoint m_grab;
};
