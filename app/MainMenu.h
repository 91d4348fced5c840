#pragma once
// The main menu described once: which string replaces the text of each popup and item, which
// pane each View item switches, and which entries of the menu resource are never shown. The
// menu is rebuilt from the resource in the current language from this table (win/).
#include <cstdint>
#include <vector>

#include "app/AppSettings.h"

// A top-level popup (by position after the removed entries) or a submenu of one.
struct KstMenuPopupText {
    int popup;     // position in the menu bar
    int position;  // position in that popup; -1 for the popup itself
    int textId;
};

struct KstMenuItemText {
    unsigned commandId;
    int textId;
};

// A View item that shows or hides a pane of the record window through a show flag.
struct KstPaneToggle {
    unsigned commandId;
    uint8_t KstAppSettings::*flag;
    bool checkMark;  // the process window's item changes its text instead
};

const std::vector<KstMenuPopupText>& KstMenuPopupTexts();
const std::vector<KstMenuItemText>& KstMenuItemTexts();
const std::vector<KstPaneToggle>& KstPaneToggles();
// The toggle of a command; null for any other command.
const KstPaneToggle* KstFindPaneToggle(unsigned commandId);

// The process window's View item offers what the pane is not showing.
int KstProcessWindowTextId(bool processShown);

// Items of the menu resource reached only through other routes: interpolation (with its whole
// popup), the process-window demo (with the separator before it) and the live oscilloscope.
struct KstHiddenMenuEntries {
    unsigned popupOfCommand;        // the popup holding it goes as a whole
    unsigned commandWithSeparator;  // removed with the separator before it
    unsigned command;               // removed alone
};
KstHiddenMenuEntries KstHiddenMenuItems();
