#pragma once
// Small GDI helpers shared by curve windows, display elements and the process-window editor:
// the sunken 3D frame of elements and fields, blitting a raster picture and text-alignment
// flags.
#include <windows.h>

class CKSTRasterImage;

// A two-pixel sunken frame just inside the rectangle (corners in either order): grey and white
// outside, black and the menu colour inside. The selected pen is put back afterwards.
void DrawSunkenFrame(HDC dc, const RECT& rect);

// Copies the source rectangle (sx, sy, width x height) of the raster, whose pixels are colour
// words, to (x, y) of the device. Failures of the platform calls leave the device unchanged.
void CreateBitmapFromBits(const CKSTRasterImage& image, HDC dc, int x, int y, int width, int height,
                          int sourceX, int sourceY);

// DrawText flags and the offset of the text rectangle for an alignment code (0..13; unknown
// codes align right and centred vertically) with the given margin.
void AlignmentToDrawText(int code, UINT& flags, int& dx, int& dy, int margin);
