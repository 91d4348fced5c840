#include "foundation/win/StringLoader.h"

namespace {

LANGID PlatformUserLanguageId()
{
    return GetUserDefaultLangID();
}

KstLanguageIdSource g_languageIdSource = PlatformUserLanguageId;

}  // namespace

bool IsEnglishLanguageId(LANGID languageId)
{
    return PRIMARYLANGID(languageId) != LANG_GERMAN;
}

bool IsEnglishUser()
{
    return IsEnglishLanguageId(g_languageIdSource());
}

KstLanguageIdSource SetUserLanguageIdSource(KstLanguageIdSource source)
{
    const KstLanguageIdSource previous = g_languageIdSource;
    g_languageIdSource = source ? source : PlatformUserLanguageId;
    return previous;
}

CKSTString& LoadResStringFrom(CKSTString& out, int id, bool english, HMODULE module)
{
    char buffer[KST_MAX_RES_STRING + 1];
    const UINT resourceId = static_cast<UINT>(english ? id + KST_ENGLISH_ID_OFFSET : id);
    const int n = LoadStringA(module, resourceId, buffer, sizeof buffer);
    out.Assign(buffer, n > 0 ? n : 0);
    return out;
}

CKSTString LoadResStringFrom(int id, bool english, HMODULE module)
{
    CKSTString text;
    return LoadResStringFrom(text, id, english, module);
}

CKSTString& LoadResString(CKSTString& out, int id, bool english)
{
    return LoadResStringFrom(out, id, english, GetModuleHandleA(nullptr));
}

CKSTString LoadResString(int id, bool english)
{
    CKSTString text;
    return LoadResString(text, id, english);
}

bool SetMenuItemText(HMENU menu, UINT item, const char* text, UINT type, bool byPosition)
{
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_TYPE;
    info.fType = type;
    info.dwTypeData = const_cast<char*>(text ? text : "");
    return SetMenuItemInfoA(menu, item, byPosition ? TRUE : FALSE, &info) != FALSE;
}

bool SetMenuItemTextById(HMENU menu, UINT item, int id, bool english, UINT type, bool byPosition)
{
    const CKSTString text = LoadResString(id, english);
    return SetMenuItemText(menu, item, text.c_str(), type, byPosition);
}
