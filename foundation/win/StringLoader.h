#pragma once
// User-visible texts by language: every text exists in German under id N and in English under
// N + 1000 in the string table (resources/strings/), and the language is the user's unless the
// settings say otherwise.
#include <windows.h>

#include <cstdint>

#include "foundation/String.h"

// Longest text a string-table entry yields (a 1000-character buffer with its terminator).
constexpr int KST_MAX_RES_STRING = 999;
// English texts have the German id plus this offset.
constexpr int KST_ENGLISH_ID_OFFSET = 1000;

// False when the user's default language is German (any region), true otherwise.
bool IsEnglishUser();
// True unless the primary language of the language id is German.
bool IsEnglishLanguageId(LANGID languageId);

// Where IsEnglishUser takes the user's default language from: GetUserDefaultLangID unless a test
// substitutes another source. Null restores the platform's. Returns the previous source.
using KstLanguageIdSource = LANGID (*)();
KstLanguageIdSource SetUserLanguageIdSource(KstLanguageIdSource source);

// The text of id (German) or id + 1000 (English) from the program's string table, at most 999
// characters; an id without a text gives the empty text.
CKSTString& LoadResString(CKSTString& out, int id, bool english);
CKSTString LoadResString(int id, bool english);
// The same from the string table of the given module.
CKSTString& LoadResStringFrom(CKSTString& out, int id, bool english, HMODULE module);
CKSTString LoadResStringFrom(int id, bool english, HMODULE module);

// Makes the item a text item of the given menu-item type (MFT_STRING = 0 for plain text) with
// the text, changing nothing else; the item is a command id, or a position with the flag set.
// The platform's success flag.
bool SetMenuItemText(HMENU menu, UINT item, const char* text, UINT type = MFT_STRING,
                     bool byPosition = false);
// The text loaded with LoadResString first.
bool SetMenuItemTextById(HMENU menu, UINT item, int id, bool english, UINT type = MFT_STRING,
                         bool byPosition = false);
