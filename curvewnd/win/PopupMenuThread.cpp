// The curve window's context menus: their layout, texts and states, and the thread that tracks
// one and sends the choice back.
#include "curvewnd/win/PopupMenuThread.h"

#include <initializer_list>

#include "foundation/win/StringLoader.h"
#include "framework/Seams.h"

namespace {

struct MenuText {
    UINT command;  // 0: a submenu of the main menu at `position`
    int position;
    int stringId;  // German; English is 1000 further
};

constexpr MenuText kTexts[] = {
    {kKstCmdBarSettings, -1, 10339},
    {kKstCmdPointerSettings, -1, 10339},
    {kKstCmdCopyToClipboard, -1, 10003},
    {kKstCmdTotalRezoom, -1, 10001},
    {kKstCmdStepRezoom, -1, 10005},
    {kKstCmdRezoomXRange, -1, 10120},
    {kKstCmdSimpleMeasure, -1, 10002},
    {kKstCmdDiffMeasure, -1, 10004},
    {kKstCmdCreateMarker, -1, 10011},
    {kKstCmdCreateLimit, -1, 10119},
    {kKstCmdShowAsTable, -1, 10018},
    {0, 10, 10006},
    {kKstCmdEditXAxis, -1, 10151},
    {kKstCmdEditYAxis, -1, 10181},
    {kKstCmdEditCurve, -1, 10050},
    {kKstCmdCommonOptions, -1, 10027},
    {0, 11, 10007},
    {kKstCmdAllCurvesVisible, -1, 10009},
    {kKstCmdAllCurvesHidden, -1, 10010},
    {kKstCmdAllMarkersVisible, -1, 10115},
    {kKstCmdAllMarkersIcons, -1, 10116},
    {kKstCmdAllMarkersHidden, -1, 10117},
    {kKstCmdEqualHeight, -1, 10016},
    {0, 12, 10008},
};

UINT MenuOfKind(uint32_t displayKind)
{
    return displayKind == 2 ? kKstMenuBar : displayKind == 4 ? kKstMenuPointer : kKstMenuCurve;
}

void Append(HMENU menu, UINT id)
{
    AppendMenuA(menu, id == 0 ? MF_SEPARATOR : MF_STRING, id, id == 0 ? nullptr : "?");
}

}  // namespace

HMENU KstBuildCurvePopupLayout(UINT menuId)
{
    HMENU menu = CreateMenu();
    HMENU popup = CreatePopupMenu();
    if (menuId == kKstMenuBar || menuId == kKstMenuPointer) {
        Append(popup, menuId == kKstMenuBar ? kKstCmdBarSettings : kKstCmdPointerSettings);
        Append(popup, kKstCmdCopyToClipboard);
    } else {
        for (UINT id : std::initializer_list<UINT>{kKstCmdStepRezoom, kKstCmdTotalRezoom,
                                                   kKstCmdRezoomXRange, 0u, kKstCmdSimpleMeasure,
                                                   kKstCmdDiffMeasure, kKstCmdCreateMarker,
                                                   kKstCmdCreateLimit, kKstCmdShowAsTable, 0u}) {
            Append(popup, id);
        }
        HMENU edit = CreatePopupMenu();
        for (UINT id : std::initializer_list<UINT>{kKstCmdEditXAxis, kKstCmdEditYAxis,
                                                   kKstCmdEditCurve, kKstCmdCommonOptions}) {
            Append(edit, id);
        }
        HMENU view = CreatePopupMenu();
        for (UINT id : std::initializer_list<UINT>{
                 kKstCmdAllCurvesVisible, kKstCmdAllCurvesHidden, 0u, kKstCmdAllMarkersVisible,
                 kKstCmdAllMarkersIcons, kKstCmdAllMarkersHidden, 0u, kKstCmdEqualHeight}) {
            Append(view, id);
        }
        HMENU extras = CreatePopupMenu();
        Append(extras, kKstCmdCopyToClipboard);
        AppendMenuA(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "?");
        AppendMenuA(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(view), "?");
        AppendMenuA(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(extras), "?");
    }
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "");
    return menu;
}

namespace {

KstPopupMenuSource RealSources()
{
    KstPopupMenuSource sources;
    sources.loadMenu = [](UINT menuId, HMODULE module) {
        HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(menuId));
        return menu != nullptr ? menu : KstBuildCurvePopupLayout(menuId);
    };
    sources.loadText = [](int id, bool english, HMODULE module) {
        return LoadResStringFrom(id, english, module);
    };
    return sources;
}

void SetText(HMENU menu, UINT item, BOOL byPosition, const CKSTString& text)
{
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<char*>(text.c_str());
    SetMenuItemInfoA(menu, item, byPosition, &info);
}

void Enable(HMENU menu, UINT command, bool enabled)
{
    EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

KstPopupMenuSource& KstPopupMenuSources()
{
    static KstPopupMenuSource sources = RealSources();
    return sources;
}

void KstResetPopupMenuSources()
{
    KstPopupMenuSources() = RealSources();
}

HMENU KstBuildCurvePopupMenu(const KstPopupSnapshot& snapshot)
{
    const KstPopupMenuSource& sources = KstPopupMenuSources();
    const UINT menuId = MenuOfKind(snapshot.displayKind);
    HMENU menu = sources.loadMenu(menuId, snapshot.module);
    HMENU popup = menu != nullptr ? GetSubMenu(menu, 0) : nullptr;
    if (popup == nullptr) {
        return menu;
    }
    for (const MenuText& entry : kTexts) {
        const CKSTString text = sources.loadText(entry.stringId, snapshot.english, snapshot.module);
        if (text.IsEmpty()) {
            continue;  // the resource's own text stays
        }
        if (entry.command == 0) {
            if (menuId == kKstMenuCurve) {
                SetText(popup, static_cast<UINT>(entry.position), TRUE, text);
            }
        } else {
            // Searches the submenus too; a command the menu lacks is left alone.
            SetText(popup, entry.command, FALSE, text);
        }
    }
    if (!snapshot.extras.empty()) {
        AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        for (const KstPopupSnapshot::Extra& extra : snapshot.extras) {
            AppendMenuA(popup, MF_STRING, extra.id, extra.text.c_str());
        }
    }
    if (snapshot.displayKind == 2 || snapshot.displayKind == 4) {
        return menu;
    }
    CheckMenuItem(popup, kKstCmdSimpleMeasure,
                  MF_BYCOMMAND | (snapshot.measureMode == 1 ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(popup, kKstCmdDiffMeasure,
                  MF_BYCOMMAND | (snapshot.measureMode == 2 ? MF_CHECKED : MF_UNCHECKED));
    if (snapshot.zoomed) {
        Enable(popup, kKstCmdTotalRezoom, true);
        Enable(popup, kKstCmdStepRezoom, !snapshot.rangeWindow);
        Enable(popup, kKstCmdRezoomXRange, snapshot.hasRangeTemplate && !snapshot.rangeWindow);
    } else {
        Enable(popup, kKstCmdStepRezoom, false);
        Enable(popup, kKstCmdRezoomXRange, snapshot.hasRangeTemplate);
        Enable(popup, kKstCmdTotalRezoom, snapshot.rootRangeMode == 1);
    }
    return menu;
}

BOOL CKSTPopupMenuThread::InitInstance()
{
    RECT rect = {0, 0, 0, 0};
    GetWindowRect(m_snapshot.window, &rect);
    // The menu's owner must belong to this thread; it never shows.
    HWND host = CreateWindowExA(WS_EX_NOPARENTNOTIFY, "STATIC", "", WS_CHILD, 0, 0, 0, 0,
                                m_snapshot.window, nullptr, m_snapshot.module, nullptr);
    HMENU menu = KstBuildCurvePopupMenu(m_snapshot);
    HMENU popup = menu != nullptr ? GetSubMenu(menu, 0) : nullptr;
    UINT chosen = 0;
    if (popup != nullptr && host != nullptr) {
        chosen = static_cast<UINT>(KstTrackPopupMenu(popup, TPM_NONOTIFY | TPM_RETURNCMD,
                                                     rect.left + m_snapshot.point.x,
                                                     rect.top + m_snapshot.point.y, host));
    }
    if (menu != nullptr) {
        DestroyMenu(menu);
    }
    if (host != nullptr) {
        DestroyWindow(host);
    }
    // The window clears its popup-open flag when the command arrives; this thread touches
    // nothing of it but its handle, which may be gone after an element delete.
    SendMessageA(m_snapshot.window, WM_COMMAND, chosen, 0);
    AfxEndThread(0);
}
