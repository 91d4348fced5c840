#pragma once
// The surface through which curve windows, their axes, legend and curves, the display elements
// and the value sheet draw: it owns the device context of an off-screen bitmap, keeps the
// current font setting and the font it replaced, and offers the few drawing calls that are not
// made on the device context directly.

#include <windows.h>

#include "foundation/FontDesc.h"
#include "foundation/RasterImage.h"

class CKSTDrawContext {
public:
    CKSTDrawContext();
    // Leaves an attached device context alone: only DeleteDC releases it, so a temporary draw
    // context may be built on a device context it does not own (a printer's) and dropped.
    ~CKSTDrawContext();
    CKSTDrawContext(const CKSTDrawContext&) = delete;
    CKSTDrawContext& operator=(const CKSTDrawContext&) = delete;

    // Makes dc the context drawn into (typically a memory context compatible with a window's);
    // one attached before is deleted first.
    void Attach(HDC dc);
    HDC GetHdc() const { return m_dc; }
    // Deletes the attached context and forgets it; the platform's result, true when none was
    // attached.
    bool DeleteDC();

    // A line from (x1, y1) to (x2, y2) with the selected pen, the end point itself not drawn.
    void Line(int x1, int y1, int x2, int y2);
    // A polygon with the selected pen and brush.
    void Polygon(const POINT* points, int count);

    // Copies the setting as the current one, re-creates the setting's own font (a point size
    // is honoured) and selects it; with remember set, the font it replaced is remembered for
    // RestoreFont. The setting must outlive the selection: the device context holds its font.
    void SelectFont(CKSTFontDesc& font, bool remember);
    // Selects the remembered font; the font it replaces is remembered in its place, so two
    // calls in a row toggle between the two most recent fonts.
    void RestoreFont();

    // Selects object and returns the one it replaced; a null object selects nothing and returns
    // the current bitmap. While measuring, nothing is selected: the object's bitmap size is
    // recorded as the measured size instead and null is returned.
    HGDIOBJ SelectObject(HGDIOBJ object);

    void SetMeasuring(bool measuring) { m_measuring = measuring; }
    bool IsMeasuring() const { return m_measuring; }
    // Only the column and row counts are meaningful.
    const CKSTRasterImage& GetMeasuredSize() const { return m_measuredSize; }
    const CKSTFontDesc& GetFontSetting() const { return m_font; }

private:
    HDC m_dc;
    HGDIOBJ m_rememberedFont;
    bool m_measuring;
    CKSTRasterImage m_measuredSize;
    CKSTFontDesc m_font;
};
