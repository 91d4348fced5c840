#pragma once
// Command routing and the update of command states.
//
// A command (a menu item, an accelerator, a toolbar button) goes to the frame window, which
// offers it to the active view, the view to its document, then the frame itself and last the
// application (CFrameWnd::OnCmdMsg); the first object whose map has an entry for the id runs it.
//
// Before a popup menu opens, and for toolbar buttons whenever the message loop falls idle, each
// item's state is asked for along the same route: an ON_UPDATE_COMMAND_UI handler receives a
// CCmdUI and sets the item's state through it. An item with neither an update handler nor a
// command handler is disabled.
//
//     ON_UPDATE_COMMAND_UI(ID_FILE_SAVE, OnUpdateFileSave)       // void OnUpdateFileSave(CCmdUI*)
//     ON_UPDATE_COMMAND_UI_RANGE(40001, 40009, OnUpdateChoice)   // same signature; m_nID tells
#include <windows.h>

#include "framework/Wnd.h"

// Codes of CCmdTarget::OnCmdMsg.
constexpr int CN_COMMAND = 0;
constexpr int CN_UPDATE_COMMAND_UI = -1;

// Map key of update handlers, above every window message.
constexpr UINT KST_UPDATE_COMMAND_UI = 0x20000000;

// One item whose state is being updated. The base class changes a menu item (by position);
// toolbars derive their own.
class CCmdUI {
public:
    CCmdUI() = default;
    virtual ~CCmdUI() = default;
    CCmdUI(const CCmdUI&) = delete;
    CCmdUI& operator=(const CCmdUI&) = delete;

    UINT m_nID = 0;
    UINT m_nIndex = 0;     // position of the item in its menu
    UINT m_nIndexMax = 0;  // item count of the menu; a handler that adds items updates both
    HMENU m_hMenu = nullptr;

    virtual void Enable(BOOL on = TRUE);
    virtual void SetCheck(int check = 1);  // 0 unchecked, 1 checked
    virtual void SetText(const char* text);

    // Asks `target` (and its route) for the state; with `disableIfNoHandler` an item that no
    // handler updated is enabled exactly when some handler runs its command.
    void DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler);

    // Set by Enable: whether a handler chose the state, and which.
    bool m_bEnableChanged = false;
    bool m_bEnabled = true;
};

// Updates every command item of `popup` (not its submenus) through `target`'s route.
void KstUpdateMenuPopup(CCmdTarget* target, HMENU popup);

// clang-format off
#define ON_UPDATE_COMMAND_UI(id, fn)                                                     \
    KST_MAP_ENTRY(KST_UPDATE_COMMAND_UI, 0, id, id,                                      \
                  self->fn(reinterpret_cast<CCmdUI*>(call.lParam)); return true)
#define ON_UPDATE_COMMAND_UI_RANGE(firstId, lastId, fn)                                  \
    KST_MAP_ENTRY(KST_UPDATE_COMMAND_UI, 0, firstId, lastId,                             \
                  self->fn(reinterpret_cast<CCmdUI*>(call.lParam)); return true)
// clang-format on
