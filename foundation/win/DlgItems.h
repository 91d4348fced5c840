#pragma once
// One-line helpers of dialogs: enable, disable, show or hide the control with an id. A missing
// control is left alone.
#include <windows.h>

void EnableDlgItem(HWND dialog, int id);
void DisableDlgItem(HWND dialog, int id);
void ShowDlgItem(HWND dialog, int id);
void HideDlgItem(HWND dialog, int id);
