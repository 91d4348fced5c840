#pragma once
// What the settings dialogs of the text and button elements show in their lists, and what a
// list index gives back.

#include <cstdint>

// Text alignment codes 0 left, 4 centred, 1 right, listed as "left-aligned", "centered",
// "right-aligned". Any other code selects nothing (-1); any other index gives centred.
int KstTextAlignmentIndex(int32_t code);
int32_t KstTextAlignmentCode(int index);

// Button styles listed as "Cylinder" (1), "Ellipse" (0), "Rectangle" (2); a style outside
// selects nothing, an index outside gives the rectangle.
int KstButtonStyleIndex(uint32_t style);
uint32_t KstButtonStyleCode(int index);
