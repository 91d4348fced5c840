#pragma once
// How the record window divides itself, worked out without a window: which rows, columns and
// bottom panes the seven show flags give, the heights the rows get when the window is laid
// out, and which of the row heights a user's drag leaves behind. Portable; the window is in
// win/RecordWnd.
#include <cstdint>
#include <vector>

struct KstPaneFlags {
    bool title = false;
    bool comment = true;
    bool variables = true;
    bool valueList = false;
    bool channelList = false;
    bool spectra = false;
    bool process = false;
};

// The record window's panes; the middle and bottom rows list theirs left to right.
enum class KstPane { InfoBar, StructTree, MainDisplay, Spectrum, ValueList, Variables, Comment };

struct KstPaneGrid {
    int rows = 1;           // of the outer splitter: title, middle, bottom
    int middleColumns = 1;  // structure tree, main display, spectrum
    int bottomPanes = 0;
    int titleHeight = 0;   // pixels; 0 without a title row
    int bottomHeight = 0;  // pixels; 0 without a bottom row
    std::vector<KstPane> middle;
    std::vector<KstPane> bottom;

    bool HasOuterSplitter() const { return rows > 1; }
    bool HasMiddleSplitter() const { return middleColumns > 1; }
    bool HasBottomSplitter() const { return bottomPanes > 1; }
    int MiddleRow() const { return titleHeight > 0 ? 1 : 0; }
    int BottomRow() const { return rows - 1; }
};

// The heights a row starts with, pixels.
constexpr int kKstTitleRowHeight = 50;
constexpr int kKstBottomRowHeight = 100;
// The extent every pane view is created with.
constexpr int kKstPaneExtent = 100;

KstPaneGrid KstPlanPanes(const KstPaneFlags& flags);

// The ideal heights of the outer splitter's rows for the height the rows have together. The
// title and bottom rows keep their stored heights; the middle row takes what is left, never
// below 0, so a window sized to nothing keeps the heights for when it grows again.
struct KstRowHeights {
    int title = 0;
    int middle = 0;
    int bottom = 0;
};
KstRowHeights KstPlanRowHeights(int available, int titleHeight, int bottomHeight);

// What stays stored after the user dragged a row border: `read*` are the rows' heights after
// the drag (-1 when the splitter could not tell). A negative height changes nothing; a row
// dragged shut (0) keeps its height, so it opens again at its size.
struct KstStoredHeights {
    int title = 0;
    int bottom = 0;
};
KstStoredHeights KstTakeDraggedHeights(const KstStoredHeights& stored, bool titleShown,
                                       bool bottomShown, int readTitle, int readMiddle,
                                       int readBottom);
