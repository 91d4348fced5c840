#pragma once
// Numeric helpers of the axis code (tick steps, outward rounding, decimal exponents), a
// power-of-two helper, a 2-D rotation and the process-wide RANMAR random generator.

#include <cstdint>

constexpr double kPi = 3.14159265358979323846;

// Rounds to a multiple of 10^exponent, halves away from zero.
double RoundToExponent(double value, int16_t exponent);
// Smallest multiple of step x 10^exponent that is >= value (step 0 rounds to a whole unit).
double RoundUpToStep(double value, int16_t exponent, int16_t step);
// Largest multiple of step x 10^exponent that is <= value.
double RoundDownToStep(double value, int16_t exponent, int16_t step);

// 1, 2, 2.5, 5 or 10 times a power of ten, with the sign of value; 1e-300 for 0.
double NiceStep(double value);
// A time-axis step in seconds: decimal below 10 s, then minutes and hours, then whole days.
double NiceTimeStep(double seconds);
// 1, 2, 3, 5 or 10 times a power of ten, with the sign of value.
double NiceDayStep(double value);
// The largest 1, 2 or 5 times a power of ten that divides value.
double NiceStep125(double value);

// Decimal exponent of value with its mantissa in [1, 10]; 0 gives -300.
int16_t DecadeExponent(double value);
// That mantissa (never negative).
double NormalizeToDecade(double value);
// A multiple of 3 with the mantissa in [1, 1000]; 0 for exactly 0.
int16_t EngineeringExponent(double value);
// EngineeringExponent of the one of a and b with the larger magnitude (b on a tie).
int16_t EngineeringExponentOfMax(double a, double b);

// floor(log2 n) (-1 for 0); the largest power of two <= n goes to *power when given.
int Log2OfPowerOfTwo(uint32_t n, uint32_t* power = nullptr);

// Rotates the vector (x, y) about the origin by angle radians.
void RotateVector(double& x, double& y, double angle);

// Marsaglia-Zaman universal generator. Stored files carry entries scrambled with its sequence,
// so every step is kept exactly. Seeds outside 0..31328 and 0..30081 select the default pair.
class CKSTRanmar {
public:
    explicit CKSTRanmar(int32_t ij = 1802, int32_t kl = 9373) { Init(ij, kl); }
    void Init(int32_t ij, int32_t kl);
    // Next number in [0, 1).
    double Uniform();
    // An integer in [lo, hi].
    int Int(int lo, int hi);

private:
    double m_u[98] = {};
    double m_c = 0.0;
    double m_cd = 0.0;
    double m_cm = 0.0;
    int m_i97 = 97;
    int m_j97 = 33;
};

// The process-wide generator, for the UI thread only; threads keep a CKSTRanmar of their own.
void RandomInit(int32_t ij, int32_t kl);
// Next number in [0, 1); starts from the default pair when never seeded.
double RandomUniform();
// An integer in [lo, hi].
int RandomInt(int lo, int hi);
