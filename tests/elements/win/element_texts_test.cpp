// Every text of the element dialogs exists in both languages.
#include <windows.h>

#include <gtest/gtest.h>

#include "foundation/win/StringLoader.h"
#include "resources/StringIds.h"

namespace {

struct StringEntry {
    int id;
    const char* german;
    const char* english;
};

#define KST_STRING(name, id, german, english) {id, german, english},
constexpr StringEntry kElementDialogTexts[] = {
#include "resources/strings/element_dialogs.inc"
#include "resources/strings/element_settings.inc"
};
#undef KST_STRING

TEST(ElementDialogTexts, EveryStringIdExistsInBothLanguages)
{
    for (const StringEntry& entry : kElementDialogTexts) {
        EXPECT_STREQ(LoadResString(entry.id, false).c_str(), entry.german) << entry.id;
        EXPECT_STREQ(LoadResString(entry.id, true).c_str(), entry.english) << entry.id;
    }
    // The title group's text is the menu's.
    EXPECT_FALSE(LoadResString(KST_STR_MENU_TITLE, false).IsEmpty());
    EXPECT_FALSE(LoadResString(KST_STR_MENU_TITLE, true).IsEmpty());
}

}  // namespace
