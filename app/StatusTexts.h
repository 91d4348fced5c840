#pragma once
// What the main frame's status bar shows, worked out without a window: the message number
// that a command prompt carries, the lock-state pane, the online rate and the memory text
// with its colour against the online memory limit, and the colour prefix of an owner-drawn
// pane. Portable; the bar itself is in win/.
#include <cstdint>

#include "foundation/String.h"

// The number a prompt carries: its leading decimal digits (after an optional sign); 0 when it
// starts with none.
int KstMessageNumber(const char* text);
// The string id of message `number` from `base` (base + number - 1); 0 for numbers below 1,
// which show an empty pane.
int KstMessageStringId(int base, int number);

// Pane 1: which icon, and whether the pane is disabled.
enum class KstLockIcon { Locked, None, Opened };
struct KstLockPane {
    KstLockIcon icon;
    bool disabled;
};
KstLockPane KstLockPaneFor(bool locked, bool hasPassword);

// Pane 2 while online: "Polling: " for a controller read without a buffer description,
// "Buffered: " otherwise, then the rate in kB/s with one decimal.
CKSTString KstRateText(int32_t sourceKind, double rateKiloBytesPerSecond);

// Pane 3: "Mem: " and the size in Bytes, kB or MB.
CKSTString KstMemoryText(uint64_t bytes);
// The colour prefix of the memory text: none offline or without a limit; online green up to
// 1.05 times the limit (MiB), yellow up to 1.25 times, red above.
const char* KstMemoryColourPrefix(bool online, uint64_t bytes, double limitMiB);

// An owner-drawn pane's text "foreground|background|rest"; without two '|' it is drawn as it
// stands in the current colours.
struct KstColouredText {
    bool coloured = false;
    uint32_t foreground = 0;  // COLORREF
    uint32_t background = 0;
    CKSTString text;
};
KstColouredText KstParseColouredText(const char* text);
