#include "app/MainMenu.h"

#include "framework/FrameworkIds.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

const std::vector<KstMenuPopupText>& KstMenuPopupTexts()
{
    static const std::vector<KstMenuPopupText> texts = {
        {0, -1, KST_STR_MENU_FILE},   {0, 3, KST_STR_MENU_ARCHIVES}, {0, 14, KST_STR_MENU_PASSWORD},
        {1, -1, KST_STR_MENU_EDIT},   {2, -1, KST_STR_MENU_VIEW},    {3, -1, KST_STR_MENU_SETTINGS},
        {4, -1, KST_STR_MENU_EXTRAS}, {5, -1, KST_STR_MENU_ONLINE},
        // The help popup "&?" reads the same in both languages.
    };
    return texts;
}

const std::vector<KstMenuItemText>& KstMenuItemTexts()
{
    static const std::vector<KstMenuItemText> texts = {
        {ID_FILE_NEW_DOCUMENT, KST_STR_MENU_NEW},
        {ID_FILE_OPEN, KST_STR_MENU_OPEN},
        {ID_FILE_OPEN_SELECTIVE, KST_STR_MENU_OPEN_SELECTIVE},
        {ID_FILE_FILE_ARCHIVE, KST_STR_MENU_FILE_ARCHIVE},
        {ID_FILE_DATABASE_ARCHIVE, KST_STR_MENU_DATABASE_ARCHIVE},
        {ID_FILE_SAVE, KST_STR_MENU_SAVE},
        {ID_FILE_SAVE_AS, KST_STR_MENU_SAVE_AS},
        {ID_FILE_APPEND, KST_STR_MENU_APPEND},
        {ID_FILE_PRINT_DISPLAY, KST_STR_MENU_PRINT},
        {ID_FILE_PRINT_REPORT, KST_STR_MENU_PRINT_REPORT},
        {ID_FILE_PREVIEW_DISPLAY, KST_STR_MENU_PREVIEW},
        {ID_FILE_PRINT_SETUP, KST_STR_MENU_PRINT_SETUP},
        {ID_FILE_LOCK, KST_STR_MENU_LOCK},
        {ID_FILE_UNLOCK, KST_STR_MENU_UNLOCK},
        {ID_FILE_REMOVE_LOCK, KST_STR_MENU_REMOVE_LOCK},
        {ID_APP_EXIT, KST_STR_MENU_QUIT},
        {ID_EDIT_CHANNELS, KST_STR_MENU_CHANNELS},
        {ID_EDIT_X_AXIS, KST_STR_MENU_X_AXIS},
        {ID_EDIT_CUT_CURSORS, KST_STR_MENU_CUT_CURSORS},
        {ID_VIEW_TOOLBAR, KST_STR_MENU_TOOLBAR},
        {ID_VIEW_STATUS_BAR, KST_STR_MENU_STATUS_BAR},
        {ID_VIEW_TITLE, KST_STR_MENU_TITLE},
        {ID_VIEW_CHANNEL_LIST, KST_STR_MENU_CHANNEL_LIST},
        {ID_VIEW_VALUE_LIST, KST_STR_MENU_VALUE_LIST},
        {ID_VIEW_SPECTRA, KST_STR_MENU_SPECTRA},
        {ID_VIEW_VARIABLES, KST_STR_MENU_VARIABLES},
        {ID_VIEW_COMMENT, KST_STR_MENU_COMMENT},
        {ID_SETTINGS_FILE_TYPES, KST_STR_MENU_FILE_TYPES},
        {ID_SETTINGS_LANGUAGE, KST_STR_MENU_LANGUAGE},
        {ID_SETTINGS_STD_DISPLAY, KST_STR_MENU_STD_DISPLAY},
        {ID_SETTINGS_ASCII_LOAD, KST_STR_MENU_ASCII_LOAD},
        {ID_SETTINGS_ASCII_SAVE, KST_STR_MENU_ASCII_SAVE},
        {ID_SETTINGS_FFT, KST_STR_MENU_FFT},
        {ID_EXTRAS_WAVEFORM, KST_STR_SIGNAL_CAPTION},
        {ID_EXTRAS_PLAY_AUDIO, KST_STR_MENU_PLAY_AUDIO},
        {ID_EXTRAS_STOP_AUDIO, KST_STR_MENU_STOP_AUDIO},
        {ID_EXTRAS_SAVE_SPECTRA, KST_STR_MENU_SAVE_SPECTRA},
        {ID_ONLINE_START, KST_STR_MENU_START_LIVE},
        {ID_ONLINE_STOP, KST_STR_MENU_STOP_LIVE},
        {ID_HELP_INDEX, KST_STR_MENU_HELP},
        {ID_APP_ABOUT, KST_STR_MENU_ABOUT},
    };
    return texts;
}

const std::vector<KstPaneToggle>& KstPaneToggles()
{
    static const std::vector<KstPaneToggle> toggles = {
        {ID_VIEW_TITLE, &KstAppSettings::showTitle, true},
        {ID_VIEW_CHANNEL_LIST, &KstAppSettings::showChannelTree, true},
        {ID_VIEW_VALUE_LIST, &KstAppSettings::showValues, true},
        {ID_VIEW_SPECTRA, &KstAppSettings::showSpectra, true},
        {ID_VIEW_VARIABLES, &KstAppSettings::showVariables, true},
        {ID_VIEW_COMMENT, &KstAppSettings::showComment, true},
        {ID_VIEW_PROCESS, &KstAppSettings::showProcess, false},
    };
    return toggles;
}

const KstPaneToggle* KstFindPaneToggle(unsigned commandId)
{
    for (const KstPaneToggle& toggle : KstPaneToggles()) {
        if (toggle.commandId == commandId) {
            return &toggle;
        }
    }
    return nullptr;
}

int KstProcessWindowTextId(bool processShown)
{
    return processShown ? KST_STR_MENU_CURVE_WINDOW : KST_STR_MENU_PROCESS_WINDOW;
}

KstHiddenMenuEntries KstHiddenMenuItems()
{
    return {ID_MATH_INTERPOLATION, ID_VIEW_PROCESS_DEMO, ID_ONLINE_OSCILLOSCOPE};
}
