#pragma once
// Painting of a curve window's legends into a draw context.

class CKSTDrawContext;
class CKSTLegend;

// The main legend (groupIndex < 0) or a group's legend; with layoutOnly only measured.
void DrawLegend(CKSTLegend& legend, CKSTDrawContext& dc, int groupIndex, bool layoutOnly);
