#include "framework/Seams.h"

#include <cstring>

namespace {

KstUiSeams RealCalls()
{
    KstUiSeams seams;
    seams.messageBox = [](const KstMessageBoxCall& call) {
        return MessageBoxA(call.owner, call.text.c_str(),
                           call.caption.IsEmpty() ? nullptr : call.caption.c_str(), call.type);
    };
    seams.getOpenFileName = [](OPENFILENAMEA& ofn, DWORD& error) {
        const BOOL ok = GetOpenFileNameA(&ofn);
        error = ok ? 0 : CommDlgExtendedError();
        return ok;
    };
    seams.getSaveFileName = [](OPENFILENAMEA& ofn, DWORD& error) {
        const BOOL ok = GetSaveFileNameA(&ofn);
        error = ok ? 0 : CommDlgExtendedError();
        return ok;
    };
    seams.chooseColor = [](CHOOSECOLORA& cc) { return ChooseColorA(&cc); };
    seams.chooseFont = [](CHOOSEFONTA& cf) { return ChooseFontA(&cf); };
    seams.printDialog = [](PRINTDLGA& pd) { return PrintDlgA(&pd); };
    seams.browseForFolder = [](BROWSEINFOA& bi) { return SHBrowseForFolderA(&bi); };
    seams.trackPopupMenu = [](HMENU menu, UINT flags, int x, int y, HWND owner) {
        return TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
    };
    seams.doDragDrop = [](IDataObject* data, IDropSource* source, DWORD allowed, DWORD* effect) {
        return ::DoDragDrop(data, source, allowed, effect);
    };
    return seams;
}

}  // namespace

KstUiSeams& KstSeams()
{
    static KstUiSeams seams = RealCalls();
    return seams;
}

void KstResetSeams()
{
    KstSeams() = RealCalls();
}

int KstMessageBox(HWND owner, const char* text, const char* caption, UINT type, UINT textId)
{
    return KstSeams().messageBox({owner, text, caption, type, textId});
}

BOOL KstTrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner)
{
    return KstSeams().trackPopupMenu(menu, flags, x, y, owner);
}

HRESULT KstDoDragDrop(IDataObject* data, IDropSource* source, DWORD allowed, DWORD* effect)
{
    return KstSeams().doDragDrop(data, source, allowed, effect);
}

BOOL KstGetOpenFileName(OPENFILENAMEA& ofn, DWORD* error)
{
    DWORD code = 0;
    const BOOL ok = KstSeams().getOpenFileName(ofn, code);
    if (error) {
        *error = code;
    }
    return ok;
}

BOOL KstGetSaveFileName(OPENFILENAMEA& ofn, DWORD* error)
{
    DWORD code = 0;
    const BOOL ok = KstSeams().getSaveFileName(ofn, code);
    if (error) {
        *error = code;
    }
    return ok;
}
