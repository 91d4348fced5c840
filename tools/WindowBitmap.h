#pragma once
// Saves what a window shows on the screen as a .png file, for the tools that take pictures of
// program windows for people to look at.
#include <windows.h>

// False when the window has no area or the file could not be written.
bool SaveWindowPng(HWND window, const char* path);
