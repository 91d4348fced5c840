#pragma once
// Loads the popup menu of a curve window's display kind with its texts in a language.
#include <windows.h>

#include <cstdint>

// The menu resource (the caller destroys it); its first submenu is the popup. Null when the
// module holds no such menu.
HMENU KstLoadCurvePopupMenu(uint32_t displayKind, bool english, HMODULE module);
