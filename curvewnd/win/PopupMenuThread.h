#pragma once
// The curve window's context menu, tracked on a short-lived thread of its own so that the
// window's thread stays free. The window takes a snapshot of everything the menu shows before
// the thread starts; the thread keeps only that snapshot and the window's handle, and sends the
// chosen command (0 when the menu was dismissed) back as WM_COMMAND.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "foundation/String.h"
#include "framework/WinThread.h"

// Commands of the popup menus.
enum : UINT {
    kKstCmdTotalRezoom = 49001,
    kKstCmdSimpleMeasure = 49002,
    kKstCmdCopyToClipboard = 49003,
    kKstCmdDiffMeasure = 49004,
    kKstCmdStepRezoom = 49005,
    kKstCmdEditXAxis = 49006,
    kKstCmdEditYAxis = 49007,
    kKstCmdEditCurve = 49008,
    kKstCmdCommonOptions = 49009,
    kKstCmdAllCurvesVisible = 49010,
    kKstCmdAllCurvesHidden = 49011,
    kKstCmdCreateMarker = 49012,
    kKstCmdEqualHeight = 49015,
    kKstCmdShowAsTable = 49019,
    // A process window's element delete: the curve window may be gone after it.
    kKstCmdDeleteElement = 49035,
    kKstCmdAllMarkersVisible = 49042,
    kKstCmdAllMarkersHidden = 49043,
    kKstCmdAllMarkersIcons = 49044,
    kKstCmdBarSettings = 49045,
    kKstCmdPointerSettings = 49054,
    kKstCmdCreateLimit = 49055,
    kKstCmdRezoomXRange = 49059,
};
// Menu resources by display kind.
enum : UINT {
    kKstMenuCurve = 901,
    kKstMenuBar = 942,
    kKstMenuPointer = 953,
};

// What the menu shows, taken on the window's thread.
struct KstPopupSnapshot {
    struct Extra {
        CKSTString text;
        UINT id;
    };
    HWND window = nullptr;  // the curve window, receiver of the command
    HMODULE module = nullptr;
    bool english = false;
    uint32_t displayKind = 0;
    uint32_t measureMode = 0;
    bool zoomed = false;       // the X axis or a Y axis has a saved zoom state
    bool rangeWindow = false;  // the X axis is a range window
    bool hasRangeTemplate = false;
    uint32_t rootRangeMode = 0;
    std::vector<Extra> extras;
    POINT point = {0, 0};  // client coordinates of the click
};

// The menu of a display kind with its texts in the snapshot's language, the extra commands at
// the end and the item states; its first submenu is the popup. The caller destroys it.
HMENU KstBuildCurvePopupMenu(const KstPopupSnapshot& snapshot);

// A menu of that resource id with the resource's layout, built in code; the items' texts are
// placeholders until KstBuildCurvePopupMenu sets them.
HMENU KstBuildCurvePopupLayout(UINT menuId);

// Where menus and texts come from: the menu resource of the module (when it has none, the menu
// is built with the same layout), the string table in the chosen language. Replaceable so the
// menus can be examined without resources.
struct KstPopupMenuSource {
    std::function<HMENU(UINT menuId, HMODULE module)> loadMenu;
    std::function<CKSTString(int stringId, bool english, HMODULE module)> loadText;
};
KstPopupMenuSource& KstPopupMenuSources();
void KstResetPopupMenuSources();

// The menu thread: builds the menu, tracks it on a hidden window, sends the command, ends.
class CKSTPopupMenuThread : public CWinThread {
public:
    explicit CKSTPopupMenuThread(KstPopupSnapshot snapshot) : m_snapshot(std::move(snapshot)) {}
    BOOL InitInstance() override;

private:
    KstPopupSnapshot m_snapshot;
};
