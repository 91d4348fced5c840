#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "foundation/win/StringLoader.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

namespace {

struct StringDef {
    int id;
    const char* name;
    const char* german;
    const char* english;
};

// The program's table as the code sees it.
const std::vector<StringDef> kProgramStrings = {
#define KST_STRING(name, id, german, english) {id, #name, german, english},
#include "resources/strings/AllStrings.inc"
#undef KST_STRING
};

// The tests' own table, linked from loader_strings.rc.
enum TestStringId : int {
#define KST_STRING(name, id, german, english) name = id,
#include "foundation/win/loader_strings.inc"
#undef KST_STRING
};
const std::vector<StringDef> kTestStrings = {
#define KST_STRING(name, id, german, english) {id, #name, german, english},
#include "foundation/win/loader_strings.inc"
#undef KST_STRING
};

bool InProgramRange(int id)
{
    return (id >= 4000 && id <= 5999) || (id >= 10000 && id <= 11999);
}

bool InGermanRange(int id)
{
    return (id >= 4000 && id <= 4999) || (id >= 10000 && id <= 10999);
}

// Bytes as the resource compiler would show UTF-8 written into a code-page 1252 file.
bool HoldsUtf8(const std::string& text)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        const unsigned char lead = text[i], next = text[i + 1];
        if ((lead == 0xC2 || lead == 0xC3) && next >= 0x80 && next <= 0xBF) {
            return true;
        }
    }
    return false;
}

// Every definition loads from the module in both languages exactly as written.
void ExpectTableLoads(const std::vector<StringDef>& table, HMODULE module)
{
    for (const StringDef& def : table) {
        SCOPED_TRACE(def.name);
        EXPECT_EQ(def.german, std::string(LoadResStringFrom(def.id, false, module).c_str()));
        const std::string english = def.english;
        EXPECT_EQ(english.substr(0, KST_MAX_RES_STRING),
                  LoadResStringFrom(def.id, true, module).c_str());
    }
}

TEST(StringTable, EveryProgramTextExistsInBothLanguages)
{
    std::set<int> ids;
    std::set<std::string> names;
    for (const StringDef& def : kProgramStrings) {
        SCOPED_TRACE(def.name);
        EXPECT_TRUE(InGermanRange(def.id)) << def.id;
        EXPECT_TRUE(ids.insert(def.id).second) << "id used twice";
        EXPECT_TRUE(names.insert(def.name).second) << "name used twice";
        for (const char* text : {def.german, def.english}) {
            EXPECT_GT(strlen(text), 0u);
            EXPECT_LE(strlen(text), size_t(KST_MAX_RES_STRING));
            EXPECT_FALSE(HoldsUtf8(text)) << "write characters beyond ASCII as octal escapes";
        }
    }
    ExpectTableLoads(kProgramStrings, GetModuleHandleA(nullptr));
}

// Every text in the program's id ranges that the linked resources hold comes from the table,
// so no text bypasses it.
TEST(StringTable, LinkedTextsAllComeFromTheTable)
{
    std::set<int> defined;
    for (const StringDef& def : kProgramStrings) {
        defined.insert(def.id);
        defined.insert(def.id + KST_ENGLISH_ID_OFFSET);
    }
    std::vector<int> blocks;
    EnumResourceNamesA(
        nullptr, MAKEINTRESOURCEA(6) /* RT_STRING */,
        [](HMODULE, LPCSTR, LPSTR name, LONG_PTR blocksParam) -> BOOL {
            if (IS_INTRESOURCE(name)) {
                reinterpret_cast<std::vector<int>*>(blocksParam)
                    ->push_back(static_cast<int>(reinterpret_cast<uintptr_t>(name)));
            }
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&blocks));
    ASSERT_FALSE(blocks.empty()) << "the tests' own table is linked";
    int testTexts = 0;
    for (int block : blocks) {
        for (int id = (block - 1) * 16; id < block * 16; ++id) {
            char buffer[8];
            if (LoadStringA(nullptr, id, buffer, sizeof buffer) <= 0) {
                continue;
            }
            if (InProgramRange(id)) {
                EXPECT_EQ(1u, defined.count(id)) << "text " << id << " is not in the table";
            } else if (id == IDR_MAINFRAME || id >= 0x8000) {
                // The main frame's document string, and the command prompts and status-bar
                // pane sizes the framework loads by command id: one text for both languages.
                EXPECT_EQ(0u, defined.count(id)) << "the framework's text is no table text";
            } else {
                ++testTexts;
            }
        }
    }
    EXPECT_EQ(2 * kTestStrings.size(), size_t(testTexts));
}

TEST(StringLoader, LoadsByLanguageInCodePage1252)
{
    const HMODULE module = GetModuleHandleA(nullptr);
    ExpectTableLoads(kTestStrings, module);

    // The bytes themselves, not only agreement with the compiler's view of the escapes.
    EXPECT_EQ(std::string("Gr\xF6\xDF"
                          "e in \xB5m"),
              LoadResString(KST_TEST_STR_SIZE, false).c_str());
    EXPECT_EQ(std::string("Size in \xB5m"), LoadResString(KST_TEST_STR_SIZE, true).c_str());
    EXPECT_EQ(std::string("\xE4\xF6\xFC\xC4\xD6\xDC\xDF \xB0"
                          "C"),
              LoadResString(KST_TEST_STR_UMLAUTS, false).c_str());
    EXPECT_EQ(std::string("\x80 5 \x96 \x84zitiert\x93"),
              LoadResString(KST_TEST_STR_SIGNS, false).c_str());
    EXPECT_EQ(std::string("100% a\\b\tc"), LoadResString(KST_TEST_STR_SIGNS, true).c_str());
}

TEST(StringLoader, LongTextsAndMissingIds)
{
    const CKSTString longest = LoadResString(KST_TEST_STR_999, false);
    EXPECT_EQ(KST_MAX_RES_STRING, longest.GetLength());
    EXPECT_EQ('a', longest.First());
    EXPECT_EQ('a', longest.Last());

    // A longer text is cut to what the 1000-character buffer holds.
    const CKSTString cut = LoadResString(KST_TEST_STR_1199, true);
    EXPECT_EQ(KST_MAX_RES_STRING, cut.GetLength());
    EXPECT_EQ(std::string(KST_TEST_TEXT_1199).substr(0, KST_MAX_RES_STRING), cut.c_str());

    const int missing[] = {30999, 29999, 0};
    for (int id : missing) {
        for (bool english : {false, true}) {
            SCOPED_TRACE(testing::Message() << id << (english ? " English" : " German"));
            CKSTString text("old");
            EXPECT_EQ(&text, &LoadResString(text, id, english));
            EXPECT_TRUE(text.IsEmpty());
        }
    }
    // Another module's table does not hold the program's texts.
    EXPECT_TRUE(
        LoadResStringFrom(KST_TEST_STR_SIZE, false, GetModuleHandleA("kernel32.dll")).IsEmpty());
}

TEST(StringLoader, EnglishUnlessTheUserIsGerman)
{
    struct Case {
        LANGID id;
        bool english;
    };
    static const Case cases[] = {
        {0x0407, false}, {0x0C07, false}, {0x0807, false}, {0x1007, false}, {0x0409, true},
        {0x0809, true},  {0x040C, true},  {0x0000, true},  {0x0413, true},
    };
    static LANGID current = 0;
    const KstLanguageIdSource previous = SetUserLanguageIdSource([] { return current; });
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.id);
        current = c.id;
        EXPECT_EQ(c.english, IsEnglishUser());
        EXPECT_EQ(c.english, IsEnglishLanguageId(c.id));
    }
    SetUserLanguageIdSource(previous);
    SetUserLanguageIdSource(nullptr);
    EXPECT_EQ(IsEnglishLanguageId(GetUserDefaultLangID()), IsEnglishUser());
}

std::string MenuText(HMENU menu, UINT item, UINT flag)
{
    char buffer[64] = {};
    GetMenuStringA(menu, item, buffer, sizeof buffer, flag);
    return buffer;
}

TEST(StringLoader, MenuItemTexts)
{
    HMENU menu = CreatePopupMenu();
    ASSERT_TRUE(menu);
    AppendMenuA(menu, MF_STRING | MF_CHECKED, 101, "First");
    AppendMenuA(menu, MF_STRING | MF_GRAYED, 102, "Second");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);

    EXPECT_TRUE(SetMenuItemText(menu, 101, "Erster"));
    EXPECT_EQ("Erster", MenuText(menu, 101, MF_BYCOMMAND));
    EXPECT_TRUE(SetMenuItemText(menu, 1, "Zweiter", MFT_STRING, true));
    EXPECT_EQ("Zweiter", MenuText(menu, 102, MF_BYCOMMAND));
    // Only the text changes: ids and states stay.
    EXPECT_EQ(101u, GetMenuItemID(menu, 0));
    EXPECT_EQ(102u, GetMenuItemID(menu, 1));
    EXPECT_TRUE(GetMenuState(menu, 101, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(menu, 102, MF_BYCOMMAND) & MF_GRAYED);

    EXPECT_TRUE(SetMenuItemTextById(menu, 101, KST_TEST_STR_MENU, false));
    EXPECT_EQ(
        "\xD6"
        "ffnen",
        MenuText(menu, 101, MF_BYCOMMAND));
    EXPECT_TRUE(SetMenuItemTextById(menu, 0, KST_TEST_STR_MENU, true, MFT_STRING, true));
    EXPECT_EQ("Open", MenuText(menu, 101, MF_BYCOMMAND));

    // The separator becomes a text item.
    EXPECT_TRUE(SetMenuItemText(menu, 2, "Dritter", MFT_STRING, true));
    EXPECT_EQ("Dritter", MenuText(menu, 2, MF_BYPOSITION));

    EXPECT_FALSE(SetMenuItemText(menu, 999, "None"));
    EXPECT_FALSE(SetMenuItemText(menu, 7, "None", MFT_STRING, true));
    DestroyMenu(menu);
}

}  // namespace
