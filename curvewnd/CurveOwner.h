#pragma once
// What the axes, limit lines and markers of a curve window ask of the objects that own them.
// The curve window and its curves implement these; tests and the axis gallery substitute small
// stand-ins, so the axes lay out and format without a live window.

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/FontDesc.h"
#include "foundation/Geometry.h"
#include "foundation/String.h"

class CKSTChannel;
class CKSTCurveWndSettings;
class CKSTYAxis;

// Text extents in a font, from whatever device the caller draws on.
class IKSTTextMeasure {
public:
    // Width and height of the unrotated text in the font; false when nothing could be measured.
    virtual bool MeasureText(const CKSTFontDesc& font, const CKSTString& text, int32_t& width,
                             int32_t& height) = 0;

protected:
    ~IKSTTextMeasure() = default;
};

// A small text window over the curve window (the X axis' cursor labels). Destroying the object
// destroys the window.
class IKSTTextTip {
public:
    virtual ~IKSTTextTip() = default;
    // New text and placement (corners in either order).
    virtual void SetText(const RECT& rect, const CKSTString& text) = 0;
};

class IKSTCurveOwner {
public:
    // The live colours, fonts and tick settings of the window.
    virtual const CKSTCurveWndSettings& GetWindowSettings() const = 0;
    virtual bool IsEnglish() const = 0;
    // 0 y(t), 1 and 3 XY (3 shows a channel as X axis), 2 bar, 4 pointer instrument.
    virtual uint32_t GetDisplayKind() const = 0;
    // The X channel of an XY display or of a track axis; null when none.
    virtual const CKSTChannel* GetXChannel() const = 0;
    // End of the data range last computed by the window's automatic X range.
    virtual double GetDataEndTime() const = 0;

    virtual bool HasDrawingWindow() const = 0;
    virtual void InvalidateRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                bool erase) = 0;
    // Measures on the window's draw context; null while the window has none.
    virtual IKSTTextMeasure* GetTextMeasure() = 0;
    // Null when no window could be made.
    virtual std::unique_ptr<IKSTTextTip> CreateTextTip(const RECT& rect, const CKSTFontDesc& font,
                                                       uint32_t colour, const CKSTString& text) = 0;

    // The colour of the first curve drawn on the axis; false when no curve uses it.
    virtual bool GetCurveColorOfAxis(const CKSTYAxis& axis, uint32_t& colour) const = 0;
    // Channel names of the curves on the axis, in curve order.
    virtual void GetChannelNamesOfAxis(const CKSTYAxis& axis,
                                       std::vector<CKSTString>& names) const = 0;

protected:
    ~IKSTCurveOwner() = default;
};

// The curve that holds limit lines and events.
class IKSTCurveItemOwner {
public:
    // Asks for the curve to be drawn again.
    virtual void Invalidate() = 0;
    // Restores the time order of the curve's events.
    virtual void SortEvents() = 0;

protected:
    ~IKSTCurveItemOwner() = default;
};

// The settings an axis without an owner lays itself out with: the record's defaults.
const CKSTCurveWndSettings& KstDefaultWindowSettings();

// An owner that is no window: the record's default settings, English, nothing to measure with,
// to invalidate or to name. Tools, benchmarks and stand-ins derive from it, with Interface
// IKSTCurveOwner or an interface built on it, and override only what they have.
template <class Interface = IKSTCurveOwner>
class CKSTInertCurveOwner : public Interface {
public:
    const CKSTCurveWndSettings& GetWindowSettings() const override
    {
        return KstDefaultWindowSettings();
    }
    bool IsEnglish() const override { return true; }
    uint32_t GetDisplayKind() const override { return 0; }
    const CKSTChannel* GetXChannel() const override { return nullptr; }
    double GetDataEndTime() const override { return 0.0; }
    bool HasDrawingWindow() const override { return false; }
    void InvalidateRect(int32_t, int32_t, int32_t, int32_t, bool) override {}
    IKSTTextMeasure* GetTextMeasure() override { return nullptr; }
    std::unique_ptr<IKSTTextTip> CreateTextTip(const RECT&, const CKSTFontDesc&, uint32_t,
                                               const CKSTString&) override
    {
        return nullptr;
    }
    bool GetCurveColorOfAxis(const CKSTYAxis&, uint32_t&) const override { return false; }
    void GetChannelNamesOfAxis(const CKSTYAxis&, std::vector<CKSTString>& names) const override
    {
        names.clear();
    }
};
