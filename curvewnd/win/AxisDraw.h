#pragma once
// Painting of the X and Y axes on a draw context, from the layout the axes compute themselves.

class CKSTDrawContext;
class CKSTXAxis;
class CKSTYAxis;

// Fills the band and paints ticks and labels; with layoutOnly (band at least 4 pixels wide) only
// lays the labels out, which sets the axis height.
void DrawAxis(CKSTXAxis& axis, CKSTDrawContext& dc, bool layoutOnly);
// Fills the band and paints ticks, edge line, labels and unit caption; with layoutOnly (band at
// least 4 pixels wide) only lays the labels out, which sets the axis width.
void DrawAxis(CKSTYAxis& axis, CKSTDrawContext& dc, bool layoutOnly);
