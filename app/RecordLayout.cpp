#include "app/RecordLayout.h"

#include <algorithm>

KstPaneGrid KstPlanPanes(const KstPaneFlags& flags)
{
    KstPaneGrid grid;
    if (flags.valueList) {
        grid.bottom.push_back(KstPane::ValueList);
    }
    if (flags.variables) {
        grid.bottom.push_back(KstPane::Variables);
    }
    if (flags.comment) {
        grid.bottom.push_back(KstPane::Comment);
    }
    if (flags.channelList) {
        grid.middle.push_back(KstPane::StructTree);
    }
    grid.middle.push_back(KstPane::MainDisplay);
    if (flags.spectra) {
        grid.middle.push_back(KstPane::Spectrum);
    }
    grid.bottomPanes = static_cast<int>(grid.bottom.size());
    grid.middleColumns = static_cast<int>(grid.middle.size());
    grid.rows = 1 + (flags.title ? 1 : 0) + (grid.bottomPanes > 0 ? 1 : 0);
    grid.titleHeight = flags.title ? kKstTitleRowHeight : 0;
    grid.bottomHeight = grid.bottomPanes > 0 ? kKstBottomRowHeight : 0;
    return grid;
}

KstRowHeights KstPlanRowHeights(int available, int titleHeight, int bottomHeight)
{
    KstRowHeights rows;
    rows.title = std::max(0, titleHeight);
    rows.bottom = std::max(0, bottomHeight);
    // 64 bits: stored heights near the 16-bit limit must not wrap the difference.
    const int64_t middle = static_cast<int64_t>(available) - rows.title - rows.bottom;
    rows.middle = static_cast<int>(std::max<int64_t>(0, middle));
    return rows;
}

KstStoredHeights KstTakeDraggedHeights(const KstStoredHeights& stored, bool titleShown,
                                       bool bottomShown, int readTitle, int readMiddle,
                                       int readBottom)
{
    if ((titleShown && readTitle < 0) || readMiddle < 0 || (bottomShown && readBottom < 0)) {
        return stored;
    }
    KstStoredHeights taken = stored;
    if (!titleShown) {
        taken.title = 0;
    } else if (readTitle > 0) {
        taken.title = readTitle;
    }
    if (!bottomShown) {
        taken.bottom = 0;
    } else if (readBottom > 0) {
        taken.bottom = readBottom;
    }
    return taken;
}
