#pragma once
// Shared by the benchmark programs: a wall-clock stopwatch and the one output format,
// "name: value unit", so figures from different programs can be collected by a script.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace kst::bench {

class Stopwatch {
public:
    Stopwatch() : m_start(std::chrono::steady_clock::now()) {}
    double Seconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    }

private:
    std::chrono::steady_clock::time_point m_start;
};

// A step that must succeed for the figures to mean anything: a failure ends the program.
inline void RequireOk(int result, const char* what)
{
    if (result != 0) {
        std::fprintf(stderr, "%s failed: %d\n", what, result);
        std::exit(1);
    }
}

inline void Report(const char* name, double value, const char* unit)
{
    std::printf("%s: %.6g %s\n", name, value, unit);
    std::fflush(stdout);
}

// Seconds of the fastest of `runs` calls of work; timing() may narrow what is timed by
// returning its own figure instead of a negative one.
template <typename Work>
double BestSeconds(int runs, Work work)
{
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < runs; ++i) {
        Stopwatch watch;
        const double own = work();
        best = std::min(best, own >= 0.0 ? own : watch.Seconds());
    }
    return best;
}

// Seconds of the fastest memcpy of `bytes` into a destination allocated just before it, as a
// reader's channels are: the cost of producing that much fresh memory, page faults included,
// which no reader can go below. The source is warm.
inline double FreshCopySeconds(size_t bytes, int runs)
{
    std::vector<unsigned char> source(bytes, 1);
    double sink = 0.0;
    const double best = BestSeconds(runs, [&] {
        Stopwatch watch;
        auto* target = static_cast<unsigned char*>(std::malloc(bytes));
        if (target == nullptr) {
            return std::numeric_limits<double>::infinity();
        }
        std::memcpy(target, source.data(), bytes);
        const double seconds = watch.Seconds();
        sink += target[bytes / 2];
        std::free(target);
        return seconds;
    });
    return sink > 0.0 ? best : std::numeric_limits<double>::infinity();
}

}  // namespace kst::bench
