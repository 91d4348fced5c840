#pragma once
// Painting of an axis group into the window's off-screen picture.

#include "foundation/Geometry.h"

class CKSTAxisGroup;
class CKSTDrawContext;

// Background (gradient or plain, or nothing when transparent), picture, frame, grid and level
// lines; with printing the frame is black.
void DrawGroupBackground(CKSTAxisGroup& group, CKSTDrawContext& dc, bool printing);
// The axes that take part, every shown curve and its events. With a stripe the curves are
// drawn only for its columns and only where their band meets it (the caller clips to it).
void DrawGroupCurves(CKSTAxisGroup& group, CKSTDrawContext& dc, const RECT* stripe = nullptr);
// The window title in a white box at the group's top left.
void DrawGroupTitle(const CKSTAxisGroup& group, CKSTDrawContext& dc);
// The box the title covers; empty without a title.
RECT GroupTitleBox(const CKSTAxisGroup& group, CKSTDrawContext& dc);
// The group's slice of the picture placed over the stack rectangle.
void DrawGroupPicture(const CKSTAxisGroup& group, CKSTDrawContext& dc, const RECT& stack);
