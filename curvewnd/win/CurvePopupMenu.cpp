#include "curvewnd/win/CurvePopupMenu.h"

#include "curvewnd/CurveMenuTexts.h"
#include "foundation/win/StringLoader.h"

namespace {

void SetItemText(HMENU menu, UINT item, BOOL byPosition, const CKSTString& text)
{
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<char*>(text.c_str());
    SetMenuItemInfoA(menu, item, byPosition, &info);
}

}  // namespace

HMENU KstLoadCurvePopupMenu(uint32_t displayKind, bool english, HMODULE module)
{
    const int id = KstCurveMenuOf(displayKind);
    HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(id));
    HMENU popup = menu ? GetSubMenu(menu, 0) : nullptr;
    if (!popup) {
        return menu;
    }
    for (const KstCurveMenuText& entry : kKstCurveMenuTexts) {
        const CKSTString text = LoadResStringFrom(entry.stringId, english, module);
        if (entry.command == 0) {
            if (id == IDR_CURVE_POPUP) {
                SetItemText(popup, static_cast<UINT>(entry.position), TRUE, text);
            }
        } else {
            // Searches the submenus too; a command the menu lacks is left alone.
            SetItemText(popup, static_cast<UINT>(entry.command), FALSE, text);
        }
    }
    return menu;
}
