// Test signals: n equidistant samples from time 0 at a zero start time stamp.

#include "data/Channel.h"
#include "foundation/Numeric.h"

#include <cmath>

namespace {

const double kTwoPi = 2.0 * kPi;

// Phase angle of sample i in [0, 2 pi), also for negative phases.
double Cycle(double x)
{
    const double y = std::fmod(x, kTwoPi);
    return y < 0.0 ? y + kTwoPi : y;
}

template <typename Value>
void GenerateSignal(CKSTChannel& c, uint32_t n, double dt, Value value)
{
    if (n == 0) {
        return;
    }
    c.FreeData(true, true);
    c.SetTimeBaseType(CKSTChannel::kEquidistant);
    c.SetDt(dt);
    c.SetT0(0.0);
    CKSTTimeStamp zero;
    zero.SetZero();
    c.SetStartTimeStamp(zero);
    c.SetCapacity(n);
    for (uint32_t i = 0; i < n; ++i) {
        c.AppendValue(value(i), false);
    }
}

// Angle of sample i for a frequency and a phase in degrees.
struct Angle {
    double dt;
    double frequency;
    double phase;
    double operator()(uint32_t i) const
    {
        return i * dt * kTwoPi * frequency + phase * kPi / 180.0;
    }
};

}  // namespace

void CKSTChannel::GenerateConstant(double value, uint32_t n, double dt)
{
    GenerateSignal(*this, n, dt, [value](uint32_t) { return value; });
}

void CKSTChannel::GenerateRamp(uint32_t n, double dt)
{
    GenerateSignal(*this, n, dt, [](uint32_t i) { return static_cast<double>(i); });
}

void CKSTChannel::GenerateSine(uint32_t n, double dt, double amplitude, double frequency,
                               double phase)
{
    const Angle angle{dt, frequency, phase};
    GenerateSignal(*this, n, dt, [=](uint32_t i) { return amplitude * std::sin(angle(i)); });
}

void CKSTChannel::GenerateSquare(uint32_t n, double dt, double amplitude, double frequency,
                                 double phase)
{
    const Angle angle{dt, frequency, phase};
    GenerateSignal(*this, n, dt,
                   [=](uint32_t i) { return std::sin(angle(i)) > 0.0 ? amplitude : -amplitude; });
}

void CKSTChannel::GenerateTriangle(uint32_t n, double dt, double amplitude, double frequency,
                                   double phase)
{
    const Angle angle{dt, frequency, phase};
    GenerateSignal(*this, n, dt, [=](uint32_t i) {
        const double y = Cycle(angle(i));
        if (y <= kPi / 2.0) {
            return amplitude * y * 2.0 / kPi;
        }
        if (y <= 3.0 * kPi / 2.0) {
            return amplitude - 2.0 * amplitude * (y - kPi / 2.0) / kPi;
        }
        return (y - 3.0 * kPi / 2.0) * amplitude * 2.0 / kPi - amplitude;
    });
}

void CKSTChannel::GenerateSawtooth(uint32_t n, double dt, double amplitude, double frequency,
                                   double phase)
{
    const Angle angle{dt, frequency, phase};
    GenerateSignal(*this, n, dt, [=](uint32_t i) {
        const double y = Cycle(angle(i));
        if (y <= kPi) {
            return amplitude * y / kPi;
        }
        return (y - kPi) * amplitude / kPi - amplitude;
    });
}
