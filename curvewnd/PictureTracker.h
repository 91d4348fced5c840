#pragma once
// What a refresh of a curve window's picture has to draw. After every drawing of the picture the
// tracker records what it was drawn from; on the next refresh it compares the window with that
// record. When samples were only appended and the X range moved by a whole number of pixels (or
// stayed), the plot bands can be moved by that many pixels and only the stripes that differ from
// the moved picture drawn again: the newly exposed columns with the few before them that join
// the line, the columns at the left edge where the line now enters the band, the boxes drawn
// over the bands and the X axis strip. Anything else asks for the whole picture.

#include <cstdint>
#include <vector>

#include "foundation/Geometry.h"

class CKSTCurve;
class CKSTCurveWndCore;

struct KstPicturePlan {
    // Pixels the plot bands move to the left.
    int32_t shift = 0;
    // The plot bands whose pixels move.
    std::vector<RECT> moved;
    // Drawn again afterwards, each clipped to its rectangle; curves only over its columns.
    std::vector<RECT> redraw;
};

class CKSTPictureTracker {
public:
    // The next plan asks for the whole picture.
    void Forget() { m_valid = false; }
    bool IsValid() const { return m_valid; }
    // The picture was drawn from the window's present state.
    void Record(const CKSTCurveWndCore& window);
    // Whether the picture can be brought up to date by moving and drawing stripes, and which.
    // overlays are boxes drawn over the plot bands last (title, pause mark), client the
    // window's client area. False when the whole picture must be drawn.
    bool Plan(const CKSTCurveWndCore& window, const RECT& client,
              const std::vector<RECT>& overlays, KstPicturePlan& plan) const;

private:
    // The data a curve was drawn from, enough to tell that samples were only appended.
    struct Trace {
        const CKSTCurve* curve = nullptr;
        const void* channel = nullptr;
        uint32_t count = 0;
        double t0 = 0.0;
        double dt = 0.0;
        double offset = 0.0;
        // Time and value of the last sample (NaN value for a missing one).
        double lastTime = 0.0;
        uint64_t lastValueBits = 0;
        // Time of the last present sample, where the line ended.
        double lastPresentTime = 0.0;
        bool anyPresent = false;
    };

    static std::vector<uint64_t> LookKey(const CKSTCurveWndCore& window);
    static bool Supports(const CKSTCurveWndCore& window);
    static Trace TraceOf(const CKSTCurve& curve);

    bool m_valid = false;
    std::vector<uint64_t> m_look;
    double m_xMinimum = 0.0;
    double m_xDisplayMaximum = 0.0;
    std::vector<Trace> m_traces;
};
