#pragma once
// What a curve asks of the window that shows it, beyond what the axes ask (IKSTCurveOwner): its
// automatic colour, re-layout and immediate update, the legend, the group ranges, the window's
// subscribers and the pixels it has drawn. The curve window implements it; tests substitute a
// stand-in.

#include <cstdint>

#include "curvewnd/CurveOwner.h"

class CKSTCurve;
class CKSTDrawContext;

class IKSTCurveHost : public IKSTCurveOwner {
public:
    // Window events a curve posts.
    static constexpr uint32_t kEventCurveChanged = 15;

    // The colour the window gives the curve when neither the curve nor its channel has one.
    virtual uint32_t GetAutoCurveColor(const CKSTCurve& curve) const = 0;
    virtual void RecalcLayout() = 0;
    // Paints what is invalid at once.
    virtual void UpdateNow() = 0;
    // The legend measures itself again.
    virtual void UpdateLegend() = 0;
    // Every axis group recomputes the value ranges of its axes.
    virtual void RecalcGroupRanges() = 0;
    virtual bool IsSubscribed(uint32_t event) const = 0;
    // Posts the event to its subscribers with the curve as parameter; the platform's result.
    virtual int32_t PostEvent(uint32_t event, const CKSTCurve* curve) = 0;
    // The context of the window's off-screen picture; null while there is none.
    virtual CKSTDrawContext* GetDrawContext() = 0;
    // A pixel of the window's off-screen picture as COLORREF; false outside it.
    virtual bool GetPlotPixel(int32_t x, int32_t y, uint32_t& colour) const = 0;
    // The colour the screen shows for the given one.
    virtual uint32_t GetNearestScreenColor(uint32_t colour) const = 0;

protected:
    ~IKSTCurveHost() = default;
};
