// The main menu in the current language with the panes' check marks.
#include "app/MainMenu.h"
#include "app/win/AppOptions.h"
#include "app/win/MainFrame.h"
#include "foundation/win/StringLoader.h"
#include "framework/Menu.h"
#include "resources/ResourceIds.h"

namespace {

// The popup of the menu bar that holds `command`, by position; -1 when none does.
int PopupHolding(HMENU bar, UINT command)
{
    const int count = GetMenuItemCount(bar);
    for (int i = 0; i < count; ++i) {
        HMENU popup = GetSubMenu(bar, i);
        if (popup && GetMenuState(popup, command, MF_BYCOMMAND) != static_cast<UINT>(-1)) {
            return i;
        }
    }
    return -1;
}

// Removes the command from its popup together with the separator right before it.
void RemoveWithSeparatorBefore(HMENU bar, UINT command)
{
    const int popupIndex = PopupHolding(bar, command);
    if (popupIndex < 0) {
        return;
    }
    HMENU popup = GetSubMenu(bar, popupIndex);
    const int count = GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        if (GetMenuItemID(popup, i) != command) {
            continue;
        }
        RemoveMenu(popup, static_cast<UINT>(i), MF_BYPOSITION);
        if (i > 0 &&
            (GetMenuState(popup, static_cast<UINT>(i - 1), MF_BYPOSITION) & MF_SEPARATOR)) {
            RemoveMenu(popup, static_cast<UINT>(i - 1), MF_BYPOSITION);
        }
        return;
    }
}

}  // namespace

void CMainFrame::RebuildMenu()
{
    const KstAppSettings& settings = m_options.Settings();
    const bool english = settings.language == 1;
    CMenu menu;
    if (!menu.LoadMenu(IDR_MAINFRAME)) {
        return;
    }
    HMENU bar = menu.GetSafeHmenu();

    const KstHiddenMenuEntries hidden = KstHiddenMenuItems();
    if (const int popup = PopupHolding(bar, hidden.popupOfCommand); popup >= 0) {
        DeleteMenu(bar, static_cast<UINT>(popup), MF_BYPOSITION);
    }
    RemoveWithSeparatorBefore(bar, hidden.commandWithSeparator);
    DeleteMenu(bar, hidden.command, MF_BYCOMMAND);

    for (const KstMenuPopupText& text : KstMenuPopupTexts()) {
        HMENU owner = text.position < 0 ? bar : GetSubMenu(bar, text.popup);
        const int position = text.position < 0 ? text.popup : text.position;
        if (owner) {
            SetMenuItemTextById(owner, static_cast<UINT>(position), text.textId, english,
                                MFT_STRING, true);
        }
    }
    for (const KstMenuItemText& text : KstMenuItemTexts()) {
        SetMenuItemTextById(bar, text.commandId, text.textId, english);
    }
    for (const KstPaneToggle& toggle : KstPaneToggles()) {
        const bool shown = settings.*toggle.flag != 0;
        if (toggle.checkMark) {
            CheckMenuItem(bar, toggle.commandId,
                          MF_BYCOMMAND | (shown ? MF_CHECKED : MF_UNCHECKED));
        } else {
            SetMenuItemTextById(bar, toggle.commandId, KstProcessWindowTextId(shown), english);
        }
    }
    if (m_hWnd && ReplaceMenu(menu)) {
        DrawMenuBar(m_hWnd);
    }
}
