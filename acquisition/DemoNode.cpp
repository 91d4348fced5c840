#include "acquisition/DemoNode.h"

#include <cmath>

#include "acquisition/NodeProtocol.h"
#include "data/Channel.h"

namespace kst_node {

const char* const kDemoFifoNames[kDemoFifoCount] = {"Sinus", "Rectangle", "Triangle"};

namespace {

constexpr double kSineRate = 0.6283185307179586;  // 2 pi / 10 s
constexpr double kAmplitude = 10.0;

}  // namespace

double DemoNodeValue(int32_t fifoIndex, double secondsOfDay)
{
    const double phase = 0.1 * secondsOfDay;
    const double f = phase - std::floor(phase);
    switch (fifoIndex) {
        case 0:
            return kAmplitude * std::sin(kSineRate * secondsOfDay);
        case 1:
            return f >= 0.5 ? -kAmplitude : kAmplitude;
        case 2:
            if (f < 0.25) {
                return 40.0 * f;
            }
            if (f >= 0.75) {
                return 40.0 * (f - 1.0);
            }
            return 40.0 * (0.5 - f);
        default:
            return 0.0;
    }
}

void ReadDemoSamples(int32_t fifoIndex, const CKSTTimeStamp& origin, double dt,
                     const CKSTTimeStamp& now, int64_t& readCounter, CKSTChannel& samples)
{
    samples.Reset();
    samples.SetDt(dt);
    samples.SetT0(0.0);
    samples.SetStartTimeStamp(origin + static_cast<double>(readCounter) * dt);
    if (!(dt > 0.0)) {
        return;
    }
    // Each time from the origin, not by summing dt, so that rounding never drifts the grid.
    for (int n = 0; n < kFifoBufferSize; ++n) {
        const CKSTTimeStamp t = origin + static_cast<double>(readCounter) * dt;
        if (!(t < now)) {
            break;
        }
        samples.AppendValue(DemoNodeValue(fifoIndex, t.GetSecondsOfDay()), false);
        ++readCounter;
    }
}

}  // namespace kst_node
