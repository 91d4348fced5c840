#include "foundation/win/DlgItems.h"

void EnableDlgItem(HWND dialog, int id)
{
    if (HWND item = GetDlgItem(dialog, id)) {
        EnableWindow(item, TRUE);
    }
}

void DisableDlgItem(HWND dialog, int id)
{
    if (HWND item = GetDlgItem(dialog, id)) {
        EnableWindow(item, FALSE);
    }
}

void ShowDlgItem(HWND dialog, int id)
{
    if (HWND item = GetDlgItem(dialog, id)) {
        ShowWindow(item, SW_SHOWNORMAL);
    }
}

void HideDlgItem(HWND dialog, int id)
{
    if (HWND item = GetDlgItem(dialog, id)) {
        ShowWindow(item, SW_HIDE);
    }
}
