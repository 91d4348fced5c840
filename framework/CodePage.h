#pragma once
// The program's texts (names, units, the micro sign 0xB5, umlauts) are single bytes of the
// Windows code page 1252, and the system turns them into characters with the process's ANSI
// code page. Under another code page they are shown and stored wrongly, so the program warns
// at start-up: the application object calls KstCheckCodePage once.
#include <windows.h>

#include "foundation/String.h"

constexpr UINT KST_PROGRAM_CODE_PAGE = 1252;

// Id of the warning, passed to the message-box seam with its text.
constexpr UINT KST_IDP_CODE_PAGE = 0xF110;

// The process's ANSI code page (through the seam, Seams.h).
UINT KstActiveCodePage();

// The warning for a process that runs in `codePage`.
CKSTString KstCodePageWarning(UINT codePage);

// True when the process runs in the program's code page; otherwise shows the warning through
// the message-box seam and returns false.
bool KstCheckCodePage(HWND owner = nullptr);
