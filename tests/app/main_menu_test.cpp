#include <gtest/gtest.h>

#include <set>

#include "app/MainMenu.h"
#include "framework/FrameworkIds.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

namespace {

TEST(MainMenu, EveryItemHasOneTextAndPopupsTheirs)
{
    std::set<unsigned> commands;
    for (const KstMenuItemText& item : KstMenuItemTexts()) {
        EXPECT_TRUE(commands.insert(item.commandId).second) << item.commandId;
        EXPECT_GE(item.textId, 4000) << item.commandId;
    }
    // The items the menu hides have no text to set.
    const KstHiddenMenuEntries hidden = KstHiddenMenuItems();
    for (unsigned command : {hidden.popupOfCommand, hidden.commandWithSeparator, hidden.command}) {
        EXPECT_EQ(commands.count(command), 0u) << command;
    }
    // The process window's item changes its text with the pane.
    EXPECT_EQ(commands.count(ID_VIEW_PROCESS), 0u);
    EXPECT_EQ(KstProcessWindowTextId(false), KST_STR_MENU_PROCESS_WINDOW);
    EXPECT_EQ(KstProcessWindowTextId(true), KST_STR_MENU_CURVE_WINDOW);

    std::set<int> topLevel;
    for (const KstMenuPopupText& popup : KstMenuPopupTexts()) {
        if (popup.position < 0) {
            topLevel.insert(popup.popup);
        }
    }
    EXPECT_EQ(topLevel, (std::set<int>{0, 1, 2, 3, 4, 5}));
}

TEST(MainMenu, PaneTogglesSwitchTheirOwnFlag)
{
    // Each toggle reaches a flag of its own.
    KstAppSettings settings;
    std::set<const uint8_t*> flags;
    for (const KstPaneToggle& toggle : KstPaneToggles()) {
        EXPECT_TRUE(flags.insert(&(settings.*toggle.flag)).second) << toggle.commandId;
        EXPECT_EQ(KstFindPaneToggle(toggle.commandId), &toggle);
        EXPECT_EQ(toggle.checkMark, toggle.commandId != ID_VIEW_PROCESS);
    }
    EXPECT_EQ(flags.size(), 7u);
    EXPECT_EQ(KstFindPaneToggle(ID_VIEW_TITLE)->flag, &KstAppSettings::showTitle);
    EXPECT_EQ(KstFindPaneToggle(ID_VIEW_VALUE_LIST)->flag, &KstAppSettings::showValues);
    EXPECT_EQ(KstFindPaneToggle(ID_VIEW_CHANNEL_LIST)->flag, &KstAppSettings::showChannelTree);
    EXPECT_EQ(KstFindPaneToggle(ID_FILE_OPEN), nullptr);
}

}  // namespace
