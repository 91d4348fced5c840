#include "foundation/Numeric.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

// Scaling by repeated multiplication (not pow) keeps the results that axis limits have always
// had, e.g. 0.31 at exponent -1 becomes 3.1 and 4 becomes 0.4 again.
double ScaleDown(double value, int16_t exponent)
{
    for (int i = 0; i < exponent; ++i) {
        value *= 0.1;
    }
    for (int i = 0; i < -exponent; ++i) {
        value *= 10.0;
    }
    return value;
}

double ScaleUp(double value, int16_t exponent)
{
    return ScaleDown(value, static_cast<int16_t>(-exponent));
}

void NormalizeDecade(double value, double& mantissa, int& exponent)
{
    mantissa = std::fabs(value);
    exponent = 0;
    while (mantissa < 1.0 && exponent > -300) {
        mantissa *= 10.0;
        --exponent;
    }
    while (mantissa > 10.0 && exponent < 300) {
        mantissa *= 0.1;
        ++exponent;
    }
}

// The double nearest to 10^e for the exponents the decade normalisation yields (-300..300). The
// C library's pow is not exact everywhere (MinGW's is off by dozens of units in the last place
// at 1e-300), so the nearest value is parsed once from its decimal text.
double PowerOfTen(int e)
{
    static const std::array<double, 601> kPowers = [] {
        std::array<double, 601> powers{};
        for (int k = -300; k <= 300; ++k) {
            char text[8];
            const int n = std::snprintf(text, sizeof(text), "1e%d", k);
            std::from_chars(text, text + n, powers[static_cast<size_t>(k + 300)]);
        }
        return powers;
    }();
    return kPowers[static_cast<size_t>(e + 300)];
}

}  // namespace

double RoundToExponent(double value, int16_t exponent)
{
    const double s = ScaleDown(value, exponent);
    double n = 0.0;
    const double f = std::modf(s, &n);
    if (value >= 0.0) {
        if (f >= 0.5) {
            n += 1.0;
        }
    } else if (f <= -0.5) {
        n -= 1.0;
    }
    return ScaleUp(n, exponent);
}

// The next multiple is computed directly instead of stepping by one unit until
// abs(fmod(n, step)) < 0.5: for whole n and a whole step the result is the same, and it also
// ends for steps far larger than n and for n beyond 2^53, where n + 1 == n.
double RoundUpToStep(double value, int16_t exponent, int16_t step)
{
    const double s = ScaleDown(value, exponent);
    double n = 0.0;
    const double f = std::modf(s, &n);
    if (value >= 0.0 && f > 0.0) {
        n += 1.0;
    }
    const double size = std::fabs(static_cast<double>(step));
    if (size > 0.0 && std::isfinite(n)) {
        const double r = std::fmod(n, size);
        if (r > 0.0) {
            n += size - r;
        } else if (r < 0.0) {
            n -= r;
        }
    }
    return ScaleUp(n, exponent);
}

double RoundDownToStep(double value, int16_t exponent, int16_t step)
{
    const double s = ScaleDown(value, exponent);
    double n = 0.0;
    const double f = std::modf(s, &n);
    if (value < 0.0 && f < 0.0) {
        n -= 1.0;
    }
    const double size = std::fabs(static_cast<double>(step));
    if (size > 0.0 && std::isfinite(n)) {
        const double r = std::fmod(n, size);
        if (r > 0.0) {
            n -= r;
        } else if (r < 0.0) {
            n -= size + r;
        }
    }
    return ScaleUp(n, exponent);
}

double NiceStep(double value)
{
    double m = 0.0;
    int e = 0;
    NormalizeDecade(value, m, e);
    // Each threshold lies near the geometric mean of its two neighbours.
    double mantissa = 10.0;
    if (m < 1.414) {
        mantissa = 1.0;
    } else if (m < 2.236) {
        mantissa = 2.0;
    } else if (m < 3.536) {
        mantissa = 2.5;
    } else if (m < 7.07) {
        mantissa = 5.0;
    }
    if (value < 0.0) {
        mantissa = -mantissa;
    }
    return PowerOfTen(e) * mantissa;
}

double NiceDayStep(double value)
{
    double m = 0.0;
    int e = 0;
    NormalizeDecade(value, m, e);
    double mantissa = 10.0;
    if (m < 1.414) {
        mantissa = 1.0;
    } else if (m < 2.449) {
        mantissa = 2.0;
    } else if (m < 3.873) {
        mantissa = 3.0;
    } else if (m < 7.07) {
        mantissa = 5.0;
    }
    if (value < 0.0) {
        mantissa = -mantissa;
    }
    return PowerOfTen(e) * mantissa;
}

double NiceTimeStep(double seconds)
{
    struct TimeStep {
        double below;
        double step;
    };
    static const TimeStep kSteps[] = {
        {12.247, 10},   {17.321, 15},   {24.495, 20},   {42.426, 30},    {84.853, 60},
        {189.74, 120},  {424.26, 300},  {734.85, 600},  {1039.2, 900},   {1469.7, 1200},
        {2545.6, 1800}, {5091.2, 3600}, {8818.2, 7200}, {12471, 10800},  {17636, 14400},
        {24942, 21600}, {35273, 28800}, {61094, 43200}, {122188, 86400},
    };
    if (seconds < 10.0) {
        return NiceStep(seconds);
    }
    for (const TimeStep& row : kSteps) {
        if (seconds < row.below) {
            return row.step;
        }
    }
    return NiceDayStep(seconds / 86400.0) * 86400.0;
}

double NiceStep125(double value)
{
    double k = 1.0;
    double whole = 0.0;
    while (std::modf(std::fabs(value), &whole) > 1e-6) {
        value *= 10.0;
        k *= 0.1;
    }
    double n = std::trunc(value);
    while (std::fmod(n, 10.0) == 0.0 && k < 1e10) {
        value *= 0.1;
        k *= 10.0;
        n = std::trunc(value);
    }
    if (std::fmod(n, 5.0) == 0.0) {
        k *= 5.0;
    }
    return std::fmod(n, 2.0) == 0.0 ? 2.0 * k : k;
}

int16_t DecadeExponent(double value)
{
    double m = 0.0;
    int e = 0;
    NormalizeDecade(value, m, e);
    return static_cast<int16_t>(e);
}

double NormalizeToDecade(double value)
{
    double m = 0.0;
    int e = 0;
    NormalizeDecade(value, m, e);
    return m;
}

int16_t EngineeringExponent(double value)
{
    if (value == 0.0) {
        return 0;
    }
    double m = std::fabs(value);
    int e = 0;
    while (m < 1.0 && e > -300) {
        m *= 1000.0;
        e -= 3;
    }
    while (m > 1000.0 && e < 300) {
        m *= 0.001;
        e += 3;
    }
    return static_cast<int16_t>(e);
}

int16_t EngineeringExponentOfMax(double a, double b)
{
    return std::fabs(b) >= std::fabs(a) ? EngineeringExponent(b) : EngineeringExponent(a);
}

int Log2OfPowerOfTwo(uint32_t n, uint32_t* power)
{
    uint64_t p = 1;
    int c = 0;
    while (p <= n) {
        p *= 2;
        ++c;
        if (p > 0xFFFFFFFFu) {
            break;
        }
    }
    if (power) {
        *power = static_cast<uint32_t>(p / 2);
    }
    return c - 1;
}

void RotateVector(double& x, double& y, double angle)
{
    const double a = std::atan2(y, x) + angle;
    const double r = std::sqrt(x * x + y * y);
    x = r * std::cos(a);
    y = r * std::sin(a);
}

namespace {

// Marsaglia-Zaman universal generator; one process-wide state used from the UI thread only.
// Stored files carry entries scrambled with its sequence, so every step is kept exactly.
struct RandomState {
    double u[98] = {};
    int i97 = 97;
    int j97 = 33;
    double c = 0.0;
    double cd = 0.0;
    double cm = 0.0;
    bool initialised = false;
};

RandomState g_random;

}  // namespace

void RandomInit(int32_t ij, int32_t kl)
{
    if (ij < 0 || ij > 31328 || kl < 0 || kl > 30081) {
        ij = 1802;
        kl = 9373;
    }
    int i = (ij / 177) % 177 + 2;
    int j = ij % 177 + 2;
    int k = (kl / 169) % 178 + 1;
    int l = kl % 169;
    for (int entry = 1; entry <= 97; ++entry) {
        double s = 0.0;
        double t = 0.5;
        for (int bit = 0; bit < 24; ++bit) {
            const int m = (((i * j) % 179) * k) % 179;
            i = j;
            j = k;
            k = m;
            l = (53 * l + 1) % 169;
            if ((l * m) % 64 >= 32) {
                s += t;
            }
            t *= 0.5;
        }
        g_random.u[entry] = s;
    }
    g_random.c = 362436.0 / 16777216.0;
    g_random.cd = 7654321.0 / 16777216.0;
    g_random.cm = 16777213.0 / 16777216.0;
    g_random.i97 = 97;
    g_random.j97 = 33;
    g_random.initialised = true;
}

double RandomUniform()
{
    if (!g_random.initialised) {
        RandomInit(1802, 9373);
    }
    RandomState& r = g_random;
    double x = r.u[r.i97] - r.u[r.j97];
    // Also at exactly zero, unlike the published generator: stored sequences depend on it.
    if (x <= 0.0) {
        x += 1.0;
    }
    r.u[r.i97] = x;
    if (--r.i97 == 0) {
        r.i97 = 97;
    }
    if (--r.j97 == 0) {
        r.j97 = 97;
    }
    r.c -= r.cd;
    if (r.c < 0.0) {
        r.c += r.cm;
    }
    x -= r.c;
    if (x < 0.0) {
        x += 1.0;
    }
    return x;
}

int RandomInt(int lo, int hi)
{
    const double span = static_cast<double>(hi) - static_cast<double>(lo) + 1.0;
    return static_cast<int>(std::trunc(RandomUniform() * span) + lo);
}
